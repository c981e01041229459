// The note-mode sub-editor: finding its widgets, showing a value, reading it back, scales.
#include "editor/NoteModeEditPanel.h"

#include "dialogs/DialogSupport.h"
#include "editor/ControlUtilities.h"
#include "editor/EditPanelFrame.h"
#include "editor/MidiNoteSelector.h"

#include "kx/Notification.h"
#include "kx/NotificationId.h"
#include "kx/controls/ComboBox.h"
#include "kx/controls/NumericUpDown.h"

#include <array>
#include <cmath>
#include <utility>
#include <vector>

using namespace KX;
namespace NM = NoteModeValue;

namespace {

constexpr const char* kInitialize = "LNoteModeEditPanel::Initialize";
constexpr const char* kRegister = "LNoteModeEditPanel::RegisterForAllParameterNotifications";
constexpr const char* kSource = "UI\\LumoSeriesCommon\\NoteModeEditPanel";

// Scale selector items 1..10 in list order; Dorian is listed before Lydian.
constexpr std::array<int32_t, NM::kScaleItems> kScaleIds{-1, 0, 1, 2, 3, 4, 5, 7, 6, 8, 9};
constexpr int32_t kOffItem = 0;
constexpr int32_t kRangeItem = 0;

WString NoteChildName(uint32_t note)
{
    return WString::Format(u"note%u", note);
}

// The label's own string under key.
WString LabelString(const RCPtr<LControl>& label, const char16_t* key)
{
    WString text;
    label->LookupString(WString(key), text);
    return text;
}

void SetLabelKey(const RCPtr<LControl>& label, const char16_t* key)
{
    if (label)
        label->SetText(LabelString(label, key));
}

// A field's value truncated toward zero, its low 8 bits.
signed char NoteByte(const RCPtr<LNumericUpDown>& field)
{
    if (!field)
        return 0;
    return static_cast<signed char>(static_cast<int32_t>(std::trunc(field->GetValue())) & 0xFF);
}

// A signed byte into a field: clamped into its range (a byte of 0x80 or more lands on 0).
void ShowNote(const RCPtr<LNumericUpDown>& field, signed char byte)
{
    if (field)
        field->SetValueAndRead(static_cast<double>(byte));
}

} // namespace

int32_t NoteModeValue::ScaleIdOfItem(int32_t item) noexcept
{
    return item >= 0 && item < kScaleItems ? kScaleIds[static_cast<size_t>(item)] : -1;
}

LNoteModeEditPanel::LNoteModeEditPanel(const RCPtr<LControl>& parent, const WString& name) : LPanel(parent, name) {}

LNoteModeEditPanel::~LNoteModeEditPanel()
{
    m_scaleCombo = nullptr;
    m_typeCombo = nullptr;
    m_noteFields.RemoveAll();
    m_handler = nullptr;
}

KXRESULT LNoteModeEditPanel::Initialize()
{
    const KXRESULT base = LPanel::Initialize();
    m_handler = RCPtr<LNotificationHandler<LNoteModeEditPanel>>(new LNotificationHandler<LNoteModeEditPanel>(this));
    if (Failed(base))
        return base;

    const RCPtr<LControl> type = FindChild(WString(u"noteModeType"));
    m_typeCombo = editor::FindChildAs<LComboBox>(type.Get(), u"comboBox");
    if (!m_typeCombo)
        editor::ThrowNullPointer("can not find noteModeType child comboBox", kInitialize, kSource, 41);
    const RCPtr<LControl> scale = FindChild(WString(u"noteScaleType"));
    m_scaleCombo = editor::FindChildAs<LComboBox>(scale.Get(), u"comboBox");
    if (!m_scaleCombo)
        editor::ThrowNullPointer("can not find noteScaleType child comboBox", kInitialize, kSource, 46);

    // All eight fields, in order: every other operation counts on them.
    for (uint32_t n = 1; n <= NM::kNoteFields; ++n) {
        const WString name = NoteChildName(n);
        const RCPtr<LControl> note = FindChild(name);
        if (!note)
            editor::ThrowMissingChild(name, kInitialize, kSource, 52);
        const RCPtr<LControl> selector = note->FindChild(WString(u"noteSelector"));
        RCPtr<LNumericUpDown> field = editor::FindChildAs<LNumericUpDown>(selector.Get(), u"numericUpDown");
        if (!field)
            editor::ThrowNullPointer("can not find noteSelector child numericUpDown", kInitialize, kSource, 56);
        m_noteFields.AddItem(field);
    }
    SetLabelKey(NoteLabel(1), u"START_NOTE_LABEL");
    RegisterForAllParameterNotifications();
    return base;
}

KXRESULT LNoteModeEditPanel::Receive(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n)
{
    if (m_handler && m_handler->Receive(from, n))
        return S_OK;
    return LPanel::Receive(from, n);
}

KXRESULT LNoteModeEditPanel::UnregisterForNotification(const RCPtr<LNotificationDistributor>& d, const char16_t* name)
{
    if (m_handler)
        m_handler->RemoveDistributorHandler(d, name);
    return LPanel::UnregisterForNotification(d, name);
}

void LNoteModeEditPanel::RegisterForAllParameterNotifications()
{
    LNotificationHandler<LNoteModeEditPanel>& h = *m_handler;
    CheckResult(h.AddDistributorHandler(&LNoteModeEditPanel::OnNoteScaleChange,
                                        RCPtr<LNotificationDistributor>(m_scaleCombo.Get()), NID_SELECTION_CHANGE, 0),
                kRegister, kSource, 80);
    CheckResult(h.AddDistributorHandler(&LNoteModeEditPanel::OnNoteModeTypeChange,
                                        RCPtr<LNotificationDistributor>(m_typeCombo.Get()), NID_SELECTION_CHANGE, 0),
                kRegister, kSource, 83);
    editor::SetNotificationForAllArrayItems(m_noteFields, h, &LNoteModeEditPanel::OnNoteValueChange, NID_VALUE_CHANGE);
}

RCPtr<LControl> LNoteModeEditPanel::NoteLabel(uint32_t note)
{
    const RCPtr<LControl> child = FindChild(NoteChildName(note));
    return child ? child->FindChild(WString(u"controlNameLabel")) : RCPtr<LControl>();
}

int32_t LNoteModeEditPanel::NoteCount() const
{
    const int32_t index = m_typeCombo ? m_typeCombo->GetSelectedIndex() : -1;
    if (index < 0 || index > NM::kMaxCount - NM::kRangeCount)
        return NM::kMaxCount;
    return index + NM::kRangeCount;
}

void LNoteModeEditPanel::SetNoteCount(uint8_t count)
{
    const uint32_t n = count < NM::kRangeCount ? NM::kRangeCount : count > NM::kMaxCount ? NM::kMaxCount : count;
    for (uint32_t note = 2; note <= NM::kNoteFields; ++note) {
        const RCPtr<LControl> child = FindChild(NoteChildName(note));
        if (!child)
            continue;
        child->SetVisible(note <= n);
        const RCPtr<LControl> label = child->FindChild(WString(u"controlNameLabel"));
        if (!label)
            continue;
        if (note == n)
            SetLabelKey(label, u"END_NOTE_LABEL");
        else
            label->SetText(editor::FormatLabel(LabelString(label, u"MULTI_NOTE_LABEL"), static_cast<int32_t>(note)));
    }
}

Array<signed char> LNoteModeEditPanel::GetNoteModeValue()
{
    Array<signed char> v;
    v.SetSize(NM::kLength);
    for (uint32_t i = 0; i < NM::kLength; ++i)
        v.ElementAt(i) = 0;
    if (m_noteFields.GetCount() < NM::kNoteFields)
        return v;
    const int32_t n = NoteCount();
    v.ElementAt(NM::kCount) = static_cast<signed char>(n);
    v.ElementAt(NM::kFirst) = NoteByte(m_noteFields.ElementAt(0));
    v.ElementAt(NM::kLast) = NoteByte(m_noteFields.ElementAt(static_cast<uint32_t>(n - 1)));
    if (n == NM::kRangeCount)
        return v;
    // Notes 2..n-1, then the hidden ones as they stand.
    uint32_t at = NM::kLast + 1;
    for (uint32_t field = 1; field < NM::kNoteFields; ++field)
        if (field != static_cast<uint32_t>(n - 1))
            v.ElementAt(at++) = NoteByte(m_noteFields.ElementAt(field));
    return v;
}

KXRESULT LNoteModeEditPanel::SetNoteModeValue(const Array<signed char>& value)
{
    if (value.GetCount() != NM::kLength || m_noteFields.GetCount() < NM::kNoteFields)
        return E_INVALIDARG;
    const int32_t n = value.ElementAt(NM::kCount);
    if (n < NM::kRangeCount || n > NM::kMaxCount)
        return E_INVALIDARG;
    // The value the widgets show already, as when the model reports an edit made here: the
    // scale stays as the user left it ("Off" after a typed note), not worked out anew.
    const Array<signed char> shown = GetNoteModeValue();
    bool same = !std::exchange(m_showAnew, false) && shown.GetCount() == NM::kLength;
    for (uint32_t i = 0; same && i < NM::kLength; ++i)
        same = shown.ElementAt(i) == value.ElementAt(i);
    if (same)
        return S_OK;
    // Our own copy: the caller's bytes stay as they are.
    std::array<signed char, NM::kLength> v{};
    for (uint32_t i = 0; i < NM::kLength; ++i)
        v[i] = value.ElementAt(i);

    const RCPtr<LNoteModeEditPanel> self(this);
    // The handlers stay registered: each change answers as a user's would, and the last step
    // leaves the widgets showing exactly this value.
    m_typeCombo->SetSelectedIndex(n - NM::kRangeCount);
    SetNoteCount(static_cast<uint8_t>(NoteCount()));
    ShowNote(m_noteFields.ElementAt(0), v[NM::kFirst]);
    if (n == NM::kRangeCount) {
        ShowNote(m_noteFields.ElementAt(1), v[NM::kLast]);
        m_scaleCombo->SetSelectedIndex(kOffItem);
        return S_OK;
    }
    // The last note moves from byte 2 to byte n, the middle notes one place down.
    for (int32_t i = NM::kLast; i < n; ++i)
        std::swap(v[static_cast<size_t>(i)], v[static_cast<size_t>(i + 1)]);
    for (uint32_t field = 1; field < NM::kNoteFields; ++field)
        ShowNote(m_noteFields.ElementAt(field), v[field + 1]);
    SelectMatchingScale();
    return S_OK;
}

void LNoteModeEditPanel::SendParametersChanged()
{
    RCPtr<LNotification> n;
    LNotification::Create(n, NID_PARAMETERS_CHANGED, nullptr);
    if (n)
        SendNotification(n);
}

KXRESULT LNoteModeEditPanel::OnNoteValueChange(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>&)
{
    const RCPtr<LNoteModeEditPanel> self(this);
    const RCPtr<LNumericUpDown>& first = m_noteFields.ElementAt(0);
    if (from.Get() == static_cast<LNotificationDistributor*>(first.Get()))
        ApplyScaleSelection();
    else
        m_scaleCombo->SetSelectedIndex(kOffItem);
    SendParametersChanged();
    return 1;
}

KXRESULT LNoteModeEditPanel::OnNoteModeTypeChange(const RCPtr<LNotificationDistributor>& from,
                                                  const RCPtr<LNotification>&)
{
    const RCPtr<LNoteModeEditPanel> self(this);
    if (from.Get() == static_cast<LNotificationDistributor*>(m_typeCombo.Get()))
        SetNoteCount(static_cast<uint8_t>(NoteCount()));
    SendParametersChanged();
    return 1;
}

KXRESULT LNoteModeEditPanel::OnNoteScaleChange(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>&)
{
    const RCPtr<LNoteModeEditPanel> self(this);
    ApplyScaleSelection();
    return 1;
}

void LNoteModeEditPanel::ApplyScaleSelection()
{
    // Filling the notes is no edit of a note.
    LNotificationClient::UnregisterFromAll();
    if (m_typeCombo->GetSelectedIndex() != kRangeItem) {
        std::vector<RCPtr<LControl>> fields;
        for (uint32_t i = 0; i < m_noteFields.GetCount(); ++i)
            fields.emplace_back(m_noteFields.ElementAt(i).Get());
        const int32_t item = m_scaleCombo->GetSelectedIndex();
        SetLabelKey(NoteLabel(1), item == kOffItem ? u"START_NOTE_LABEL" : u"KEY_LABEL");
        const int32_t scale = NM::ScaleIdOfItem(item);
        if (scale >= 0)
            editor::ApplyScaleToNoteSelectors(fields, scale);
    }
    RegisterForAllParameterNotifications();
    SendParametersChanged();
}

void LNoteModeEditPanel::SelectMatchingScale()
{
    Array<double> notes;
    for (uint32_t i = 0; i < m_noteFields.GetCount(); ++i)
        notes.AddItem(m_noteFields.ElementAt(i) ? std::trunc(m_noteFields.ElementAt(i)->GetValue()) : 0.0);
    int32_t match = kOffItem;
    for (int32_t item = 1; item < NM::kScaleItems && notes.GetCount() > 0 && match == kOffItem; ++item) {
        const Array<double> built = editor::BuildScaleNotes(NM::ScaleIdOfItem(item), notes.ElementAt(0),
                                                            static_cast<int32_t>(notes.GetCount()));
        bool same = built.GetCount() == notes.GetCount();
        for (uint32_t i = 0; same && i < notes.GetCount(); ++i)
            same = built.ElementAt(i) == notes.ElementAt(i);
        if (same)
            match = item;
    }
    m_scaleCombo->SetSelectedIndex(match);
}
