// The moveable-control sub-editor: finding its widgets, showing a message, reading it back.
#include "editor/MoveableControlEditPanel.h"

#include "dialogs/DialogSupport.h"
#include "editor/ControlUtilities.h"

#include "kx/Notification.h"
#include "kx/NotificationId.h"
#include "kx/controls/ComboBox.h"
#include "kx/controls/ListBox.h"
#include "kx/controls/NumericUpDown.h"
#include "kx/controls/TabControl.h"
#include "kx/controls/TextBox.h"

#include <cmath>
#include <initializer_list>

using namespace KX;
namespace MM = MoveableMessage;

namespace {

constexpr const char* kInitialize = "LMoveableControlEditPanel::Initialize";
constexpr const char* kRegister = "LMoveableControlEditPanel::RegisterForAllParameterNotifications";
constexpr const char* kSource = "UI\\LumoSeriesCommon\\MoveableControlEditPanel";

constexpr const char16_t* kPageNames[] = {u"ccAbsolutePage", u"ccRelativePage", u"nrpnRpnPage", u"otherPage"};
constexpr double kMidiMaximum = 127.0;
constexpr int32_t kNumberDigits = 3;

// The control at the end of a chain of child names, as T; null when a link is missing.
template <class T>
RCPtr<T> FindPath(const RCPtr<LControl>& from, std::initializer_list<const char16_t*> names)
{
    RCPtr<LControl> at = from;
    for (const char16_t* name : names) {
        if (!at)
            return RCPtr<T>();
        at = at->FindChild(WString(name));
    }
    return RCPtr<T>(dynamic_cast<T*>(at.Get()));
}

RCPtr<LNumericUpDown> MinimumBox(const RCPtr<LControl>& page)
{
    return FindPath<LNumericUpDown>(page, {u"minMaxSelectors", u"min", u"numericUpDown"});
}
RCPtr<LNumericUpDown> MaximumBox(const RCPtr<LControl>& page)
{
    return FindPath<LNumericUpDown>(page, {u"minMaxSelectors", u"max", u"numericUpDown"});
}
RCPtr<LComboBox> ChannelCombo(const RCPtr<LControl>& page)
{
    return FindPath<LComboBox>(page, {u"midiChannel", u"comboBox"});
}
RCPtr<LNumericUpDown> NumberBox(const RCPtr<LControl>& page)
{
    return FindPath<LNumericUpDown>(page, {u"cc", u"ccSelector", u"numericUpDown"});
}

// A byte into a number box: clamped into its range.
void ShowNumber(const RCPtr<LNumericUpDown>& box, signed char byte)
{
    if (box)
        box->SetValueAndRead(static_cast<double>(byte));
}
void ShowItem(const RCPtr<LComboBox>& combo, int32_t index)
{
    if (combo)
        combo->SetSelectedIndex(index);
}
// A channel byte the list has no item for shows the first item (the global channel): a list with
// nothing selected would make every later edit unsendable.
void ShowChannel(const RCPtr<LComboBox>& combo, int32_t index)
{
    if (combo)
        combo->SetSelectedIndex(index >= 0 && index < combo->GetItemCount() ? index : 0);
}

// A number box's value truncated toward zero, its low 8 bits; 0 for a missing box.
signed char NumberByte(const RCPtr<LNumericUpDown>& box)
{
    if (!box)
        return 0;
    return static_cast<signed char>(static_cast<int32_t>(std::trunc(box->GetValue())) & 0xFF);
}
// A combo's selected index, its low 8 bits (0xFF when nothing is selected).
signed char ItemByte(const RCPtr<LComboBox>& combo, int32_t offset = 0)
{
    if (!combo)
        return 0;
    return static_cast<signed char>((combo->GetSelectedIndex() + offset) & 0xFF);
}

template <class T>
void Add(RCPtrArray<T>& list, const RCPtr<T>& item)
{
    list.AddItem(item);
}

template <class T>
RCPtr<T> At(const RCPtrArray<T>& list, uint32_t i)
{
    return i < list.GetCount() ? list.ElementAt(i) : RCPtr<T>();
}

} // namespace

LMoveableControlEditPanel::LMoveableControlEditPanel(const RCPtr<LControl>& parent, const WString& name)
    : LPanel(parent, name)
{
}

LMoveableControlEditPanel::~LMoveableControlEditPanel()
{
    m_otherType = nullptr;
    m_relativeType = nullptr;
    m_rpnType = nullptr;
    m_msb = nullptr;
    m_lsb = nullptr;
    m_tabControl = nullptr;
    m_handler = nullptr;
}

KXRESULT LMoveableControlEditPanel::Initialize()
{
    const KXRESULT base = LPanel::Initialize();
    if (Failed(base))
        return base;
    m_handler = RCPtr<LNotificationHandler<LMoveableControlEditPanel>>(
        new LNotificationHandler<LMoveableControlEditPanel>(this));
    if (!m_handler)
        return E_FAIL;
    m_tabControl = editor::FindChildAs<LTabControl>(this, u"tabControl");
    if (!m_tabControl)
        editor::ThrowNullPointer("Couldn't find child typeTabControl", kInitialize, kSource, 52);

    const RCPtr<LControl> absolute = m_tabControl->GetPageForTab(WString(kPageNames[kAbsolutePage]));
    Add(m_minimums, MinimumBox(absolute));
    Add(m_maximums, MaximumBox(absolute));
    Add(m_channels, ChannelCombo(absolute));
    Add(m_numbers, NumberBox(absolute));

    const RCPtr<LControl> relative = m_tabControl->GetPageForTab(WString(kPageNames[kRelativePage]));
    Add(m_numbers, NumberBox(relative));
    Add(m_channels, ChannelCombo(relative));
    m_relativeType = FindPath<LComboBox>(relative, {u"relativeType", u"comboBox"});

    const RCPtr<LControl> rpn = m_tabControl->GetPageForTab(WString(kPageNames[kRpnPage]));
    Add(m_channels, ChannelCombo(rpn));
    m_rpnType = FindPath<LComboBox>(rpn, {u"NrpnRpnSelector", u"comboBox"});
    m_lsb = FindPath<LNumericUpDown>(rpn, {u"msbLSBSelectors", u"lsb", u"numericUpDown"});
    m_msb = FindPath<LNumericUpDown>(rpn, {u"msbLSBSelectors", u"msb", u"numericUpDown"});

    const RCPtr<LControl> other = m_tabControl->GetPageForTab(WString(kPageNames[kOtherPage]));
    m_otherType = FindPath<LComboBox>(other, {u"otherType", u"comboBox"});
    if (!m_otherType)
        editor::ThrowNullPointer("Can not find ComboBox Control: otherType", kInitialize, kSource, 78);
    if (m_otherType->GetListBox() && m_otherType->GetItemCount() > MM::kRemovedOtherItem) {
        if (m_otherType->GetSelectedIndex() >= MM::kRemovedOtherItem)
            m_otherType->SetSelectedIndex(-1);
        m_otherType->GetListBox()->RemoveItemAt(MM::kRemovedOtherItem);
    }
    Add(m_minimums, MinimumBox(other));
    Add(m_maximums, MaximumBox(other));
    Add(m_channels, ChannelCombo(other));

    for (const RCPtrArray<LNumericUpDown>* list : {&m_numbers, &m_minimums, &m_maximums}) {
        editor::SetValueRangeForAllArrayItems(*list, 0.0, kMidiMaximum);
        for (uint32_t i = 0; i < list->GetCount(); ++i)
            if (const RCPtr<LNumericUpDown>& box = list->ElementAt(i); box && box->GetTextBox())
                box->GetTextBox()->SetMaxLength(kNumberDigits);
    }
    if (m_lsb)
        m_lsb->SetValueRange(0.0, kMidiMaximum, 0);
    if (m_msb)
        m_msb->SetValueRange(0.0, kMidiMaximum, 0);
    return base;
}

KXRESULT LMoveableControlEditPanel::Receive(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n)
{
    if (m_handler && m_handler->Receive(from, n))
        return S_OK;
    return LPanel::Receive(from, n);
}

KXRESULT LMoveableControlEditPanel::UnregisterForNotification(const RCPtr<LNotificationDistributor>& d,
                                                              const char16_t* name)
{
    if (m_handler)
        m_handler->RemoveDistributorHandler(d, name);
    return LPanel::UnregisterForNotification(d, name);
}

void LMoveableControlEditPanel::SetMoveableMessage(const Array<signed char>& message)
{
    signed char m[MM::kLength] = {};
    for (uint32_t i = 0; i < MM::kLength && i < message.GetCount(); ++i)
        m[i] = message.ElementAt(i);

    // Filling the widgets is no edit.
    LNotificationClient::UnregisterFromAll();
    for (uint32_t i = 0; i < m_channels.GetCount(); ++i)
        ShowChannel(m_channels.ElementAt(i), m[MM::kChannel]);
    if (m[MM::kTyped] == 0) {
        for (uint32_t i = 0; i < m_numbers.GetCount(); ++i)
            ShowNumber(m_numbers.ElementAt(i), m[MM::kNumber]);
        if (m[MM::kRelative] != 0) {
            if (m_tabControl)
                m_tabControl->SelectTab(WString(kPageNames[kRelativePage]));
            ShowItem(m_relativeType, m[MM::kLow]);
        } else {
            if (m_tabControl)
                m_tabControl->SelectTab(WString(kPageNames[kAbsolutePage]));
            ShowNumber(At(m_minimums, 0), m[MM::kLow]);
            ShowNumber(At(m_maximums, 0), m[MM::kHigh]);
        }
    } else {
        const int32_t code = m[MM::kNumber];
        if (code >= MM::kFirstRpnType && code < MM::kFirstRpnType + MM::kRpnTypeCount) {
            if (m_tabControl)
                m_tabControl->SelectTab(WString(kPageNames[kRpnPage]));
            ShowItem(m_rpnType, code - MM::kFirstRpnType);
            ShowNumber(m_lsb, m[MM::kLow]);
            ShowNumber(m_msb, m[MM::kHigh]);
        } else {
            if (m_tabControl)
                m_tabControl->SelectTab(WString(kPageNames[kOtherPage]));
            ShowItem(m_otherType, code < MM::kFirstRpnType ? code : code - MM::kRpnTypeCount);
            ShowNumber(At(m_minimums, 1), m[MM::kLow]);
            ShowNumber(At(m_maximums, 1), m[MM::kHigh]);
        }
    }
    RegisterForAllParameterNotifications();
}

Array<signed char> LMoveableControlEditPanel::GetMoveableMessage()
{
    Array<signed char> m;
    m.SetSize(MM::kLength);
    for (uint32_t i = 0; i < MM::kLength; ++i)
        m.ElementAt(i) = 0;
    const int32_t page = m_tabControl ? m_tabControl->GetSelectedIndex() : -1;
    switch (page) {
    case kAbsolutePage:
        m.ElementAt(MM::kChannel) = ItemByte(At(m_channels, 0));
        m.ElementAt(MM::kNumber) = NumberByte(At(m_numbers, 0));
        m.ElementAt(MM::kLow) = NumberByte(At(m_minimums, 0));
        m.ElementAt(MM::kHigh) = NumberByte(At(m_maximums, 0));
        break;
    case kRelativePage:
        m.ElementAt(MM::kChannel) = ItemByte(At(m_channels, 1));
        m.ElementAt(MM::kNumber) = NumberByte(At(m_numbers, 1));
        m.ElementAt(MM::kRelative) = 1;
        m.ElementAt(MM::kLow) = ItemByte(m_relativeType);
        break;
    case kRpnPage:
        m.ElementAt(MM::kChannel) = ItemByte(At(m_channels, 2));
        m.ElementAt(MM::kTyped) = 1;
        // Nothing selected stays 0xFF rather than becoming a valid-looking code 3.
        m.ElementAt(MM::kNumber) = m_rpnType && m_rpnType->GetSelectedIndex() < 0
                                       ? static_cast<signed char>(-1)
                                       : ItemByte(m_rpnType, MM::kFirstRpnType);
        m.ElementAt(MM::kLow) = NumberByte(m_lsb);
        m.ElementAt(MM::kHigh) = NumberByte(m_msb);
        break;
    case kOtherPage: {
        m.ElementAt(MM::kChannel) = ItemByte(At(m_channels, 3));
        m.ElementAt(MM::kTyped) = 1;
        const int32_t item = m_otherType ? m_otherType->GetSelectedIndex() : 0;
        m.ElementAt(MM::kNumber) =
            static_cast<signed char>((item >= MM::kFirstRpnType ? item + MM::kRpnTypeCount : item) & 0xFF);
        m.ElementAt(MM::kLow) = NumberByte(At(m_minimums, 1));
        m.ElementAt(MM::kHigh) = NumberByte(At(m_maximums, 1));
        break;
    }
    default: break;
    }
    return m;
}

void LMoveableControlEditPanel::RegisterForAllParameterNotifications()
{
    LNotificationHandler<LMoveableControlEditPanel>& h = *m_handler;
    const auto member = &LMoveableControlEditPanel::OnParameterControlChanged;
    auto one = [&](LNotificationDistributor* d, const char16_t* name, int line) {
        CheckResult(h.AddDistributorHandler(member, RCPtr<LNotificationDistributor>(d), name, 0), kRegister, kSource,
                    line);
    };
    one(m_tabControl.Get(), NID_TAB_SELECTED, 190);
    one(m_relativeType.Get(), NID_SELECTION_CHANGE, 191);
    one(m_rpnType.Get(), NID_SELECTION_CHANGE, 192);
    one(m_lsb.Get(), NID_VALUE_CHANGE, 193);
    one(m_msb.Get(), NID_VALUE_CHANGE, 194);
    one(m_otherType.Get(), NID_SELECTION_CHANGE, 195);
    editor::SetNotificationForAllArrayItems(m_numbers, h, member, NID_VALUE_CHANGE);
    editor::SetNotificationForAllArrayItems(m_minimums, h, member, NID_VALUE_CHANGE);
    editor::SetNotificationForAllArrayItems(m_maximums, h, member, NID_VALUE_CHANGE);
    editor::SetNotificationForAllArrayItems(m_channels, h, member, NID_SELECTION_CHANGE);
}

KXRESULT LMoveableControlEditPanel::OnParameterControlChanged(const RCPtr<LNotificationDistributor>&,
                                                              const RCPtr<LNotification>&)
{
    const RCPtr<LMoveableControlEditPanel> self(this);
    RCPtr<LNotification> n;
    LNotification::Create(n, NID_PARAMETERS_CHANGED, nullptr);
    if (n)
        SendNotification(n);
    return 1;
}
