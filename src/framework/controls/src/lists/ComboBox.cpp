// The combo box: its set-up, current item, label, keys, look and the notifications of its list
// and text box. Opening the list is in ComboBoxDropDown.cpp.
#include "kx/controls/ComboBox.h"

#include "kx/Wrappers.h"
#include "kx/controls/ListBox.h"
#include "kx/ui/ControlDescriptor.h"
#include "kx/ui/KeyCode.h"
#include "kx/ui/RootWindow.h"
#include "kx/ui/StringTable.h"

#include "ConditionEdges.h"

#include <cmath>

namespace KX {

namespace {

// A press of the key without modifiers; key codes are compared whole.
bool IsPlainKeyDown(const KeyCode& key, uint8_t virtualKey)
{
    return key.code == KeyCode(virtualKey, true, 0, 0).code;
}

} // namespace

LComboBox::LComboBox(const RCPtr<LControl>& parent, const WString& name) : LDropDownControl(parent, name) {}

LComboBox::~LComboBox() = default;

KXRESULT LComboBox::ReadCreateParams()
{
    const KXRESULT result = LControl::ReadCreateParams();
    const LControlDescriptor* descriptor = GetDescriptor().Get();
    const LStringTable* params = descriptor ? descriptor->GetCreateParams().Get() : nullptr;
    WString text;
    if (params && params->Lookup(WString(u"INITIAL_SELECTED_INDEX"), text))
        m_initialIndex = static_cast<int32_t>(text.ToInt());
    return result;
}

KXRESULT LComboBox::Initialize()
{
    if (Failed(LDropDownControl::Initialize()))
        return E_FAIL;
    m_listBox = RCPtr<LListBox>::DynamicCast(ConstRCPtr<LControl>(FindChild(WString(u"listBox"))));
    if (!m_listBox)
        return E_FAIL;
    if (!m_comboHandler)
        m_comboHandler = RCPtr<LNotificationHandler<LComboBox>>(new LNotificationHandler<LComboBox>(this));
    const RCPtr<LNotificationDistributor> list(m_listBox.Get());
    TraceFailedResult(
        m_comboHandler->AddDistributorHandler(&LComboBox::OnListVisibility, list, NID_VISIBLITY_CONDITION_CHANGE, 0),
        "LComboBox::Initialize");
    TraceFailedResult(m_comboHandler->AddDistributorHandler(&LComboBox::OnListActivated, list, NID_ITEM_ACTIVATED, 0),
                      "LComboBox::Initialize");

    m_textBox = FindChild(WString(u"textBox"));
    if (m_textBox) {
        const RCPtr<LNotificationDistributor> box(m_textBox.Get());
        TraceFailedResult(
            m_comboHandler->AddDistributorHandler(&LComboBox::OnTextBoxPassOn, box, NID_TEXTBOX_VALIDATING, 0),
            "LComboBox::Initialize");
        TraceFailedResult(
            m_comboHandler->AddDistributorHandler(&LComboBox::OnTextBoxValidated, box, NID_TEXTBOX_VALIDATED, 0),
            "LComboBox::Initialize");
        TraceFailedResult(
            m_comboHandler->AddDistributorHandler(&LComboBox::OnTextBoxPassOn, box, NID_TEXTBOX_TEXT_CHANGE, 0),
            "LComboBox::Initialize");
        TraceFailedResult(
            m_comboHandler->AddDistributorHandler(&LComboBox::OnTextBoxFocus, box, NID_HAS_FOCUS_CONDITION_CHANGE, 0),
            "LComboBox::Initialize");
    }

    m_listBox->SetDropDownMode(true);
    if (const RCPtr<LStringTable>& table = GetStringTable())
        m_listBox->FillFromStringTable(ConstRCPtr<LStringTable>(table));

    if (m_initialIndex >= 0 && m_initialIndex < m_listBox->GetItemCount() &&
        m_listBox->SelectRange(m_initialIndex, -1, true) >= 0) {
        ApplyText(m_listBox->GetItemText(m_initialIndex), true);
        m_currentIndex = m_initialIndex;
    }
    return S_OK;
}

KXRESULT LComboBox::PostInitialize()
{
    if (!m_listBox)
        return E_FAIL;
    const RCPtr<LListBox> list = m_listBox;
    list->SetVisible(false);
    const LControlDescriptor* descriptor = list->GetDescriptor().Get();
    const LLayoutDescriptor* skin = descriptor ? descriptor->GetLayout().Get() : nullptr;
    const RCPtr<LLayoutDescriptor>& own = list->GetLayout();
    if (own) {
        for (int32_t axis = 0; axis < 2; ++axis) {
            SizeLimit minimum = own->MinSize(axis), maximum = own->MaxSize(axis);
            const double given = skin ? skin->MinSize(axis).absolute : 0.0;
            if (given > 0.0)
                continue;
            minimum.absolute = axis == 0 ? std::trunc(GetSize().x) : static_cast<double>(list->GetRowHeight());
            list->SetAxisSizeLimits(axis, minimum, maximum);
        }
        if (own->MaxSize(1).absolute > 0.0)
            list->SnapHeightToRows();
    }
    return S_OK;
}

KXRESULT LComboBox::SetText(const WString& text)
{
    RCPtr<LControl> self(this);
    if (ApplyText(text, true) != S_OK)
        return S_FALSE;
    if (m_listBox && !m_listBox->GetItemSwatches().empty())
        Invalidate(RectT<double>{0, 0, GetSize().x, GetSize().y}, true);
    SetSelectedIndex(FindItemNamed(text));
    return S_OK;
}

int32_t LComboBox::FindItemNamed(const WString& text)
{
    if (!m_listBox)
        return -1;
    for (int32_t i = m_listBox->GetItemCount() - 1; i >= 0; --i) {
        const WString item = m_listBox->GetItemText(i);
        if (m_caseSensitive ? item == text : TextCompareNoCase(item.GetString(), text.GetString()) == 0)
            return i;
    }
    return -1;
}

int32_t LComboBox::SetSelectedIndex(int32_t index)
{
    RCPtr<LControl> self(this);
    const int32_t previous = m_currentIndex;
    if (!m_listBox) {
        m_currentIndex = -1;
        return m_currentIndex;
    }
    const RCPtr<LListBox> list = m_listBox;
    const int32_t r = index >= 0 ? list->SelectRange(index, index, true) : -1;
    if (r < 0) {
        // None, or past the end: nothing is current and the list shows no selection. A name left
        // from an item would show a value the box does not hold; typed text stays.
        m_currentIndex = -1;
        list->ClearSelection();
        if (!GetText().IsEmpty() && FindItemNamed(GetText()) >= 0) {
            ApplyText(WString(), true);
            if (m_textBox)
                RCPtr<LControl>(m_textBox)->SetText(WString());
        }
    } else {
        m_currentIndex = r;
        const WString text = list->GetItemText(r);
        ApplyText(text, true);
        if (m_textBox)
            RCPtr<LControl>(m_textBox)->SetText(text);
    }
    if (m_currentIndex != previous) {
        // The swatch beside the text changes with the item, outside the text's own bounds.
        if (!list->GetItemSwatches().empty())
            Invalidate(RectT<double>{0, 0, GetSize().x, GetSize().y}, true);
        Send(NID_SELECTION_CHANGE, ConstRCPtr<LRefCountedObject>());
    }
    return m_currentIndex;
}

KXRESULT LComboBox::SetItemCount(int32_t count)
{
    if (!m_listBox)
        return E_FAIL;
    RCPtr<LControl> self(this);
    const int32_t result = RCPtr<LListBox>(m_listBox)->SetItemCount(count);
    if (m_currentIndex >= count)
        SetSelectedIndex(-1);
    if (IsDropDownShowing())
        ShowDropDown(true);
    return result;
}

int32_t LComboBox::InsertItem(int32_t index, const ConstRCPtr<LRefCountedObject>& text)
{
    if (!text)
        return E_INVALIDARG;
    if (!m_listBox)
        return E_FAIL;
    RCPtr<LControl> self(this);
    // The list keeps taggable text objects; any other object goes in by its text form.
    const WString itemText = text->ToString();
    const LTaggableObject* taggable = dynamic_cast<const LTaggableObject*>(text.Get());
    const RCPtr<LTaggableObject> object =
        taggable ? RCPtr<LTaggableObject>(const_cast<LTaggableObject*>(taggable)) : TaggableFromString(itemText);
    const int32_t added = RCPtr<LListBox>(m_listBox)->InsertItem(index, object);
    if (added < 0)
        return added;
    if (added <= m_currentIndex)
        ++m_currentIndex;
    else if (m_currentIndex < 0 && itemText == GetText())
        SetSelectedIndex(added);
    return added;
}

int32_t LComboBox::AddItem(const WString& text)
{
    const RCPtr<LTaggableObject> object = TaggableFromString(text);
    return InsertItem(GetItemCount(), ConstRCPtr<LRefCountedObject>(object.Get()));
}

WString LComboBox::GetItemText(int32_t index)
{
    return m_listBox ? m_listBox->GetItemText(index) : WString();
}

int32_t LComboBox::GetItemCount()
{
    return m_listBox ? m_listBox->GetItemCount() : 0;
}

void LComboBox::OnConditionsChanged(const RCPtr<LConditionsParam>& param)
{
    if (!param)
        return;
    RCPtr<LControl> self(this);
    const uint32_t bit = Condition::kLeftPressed;
    if (conditions::Rose(*param, bit)) {
        // The press point in our own coordinates; the list's position is taken off when the
        // press is handed to the list, once the list is placed.
        m_pressPoint = PointT<double>{param->GetPoint().x - GetPosition().x, param->GetPoint().y - GetPosition().y};
    }
    LDropDownControl::OnConditionsChanged(param);
    UpdateLook();
}

KXRESULT LComboBox::FilterKey(const RCPtr<LKeyParam>& param)
{
    if (!param)
        return S_FALSE;
    RCPtr<LControl> self(this);
    const KeyCode& key = param->GetKey();
    if (!IsDropDownShowing()) {
        if (IsPlainKeyDown(key, VKey::Down) || IsPlainKeyDown(key, VKey::Return)) {
            ShowDropDown(true);
            return S_OK;
        }
        return S_FALSE;
    }
    if (IsPlainKeyDown(key, VKey::Escape)) {
        ShowDropDown(false);
        return S_OK;
    }
    // A list in a window of its own gets the keys through the box, which keeps the focus.
    if (m_popupRoot && key.GetVirtualKey() != VKey::Tab) {
        RCPtr<LListBox>(m_listBox)->OnKey(param);
        return S_OK;
    }
    return S_FALSE;
}

KXRESULT LComboBox::HandleKey(const RCPtr<LKeyParam>& param)
{
    if (param && IsPlainKeyDown(param->GetKey(), VKey::Escape) && IsDropDownShowing()) {
        RCPtr<LControl> self(this);
        ShowDropDown(false);
        return S_OK;
    }
    return LControl::HandleKey(param);
}

WString LComboBox::GetToolTipText()
{
    return IsTextClipped() ? GetText() : LControl::GetToolTipText();
}

int32_t LComboBox::GetStateLookIndex()
{
    const uint32_t mask = GetConditionFlags();
    if (!(mask & Condition::kEnabled))
        return 6;
    const bool hover = (mask & Condition::kHoverOrHighlighted) != 0;
    if (IsDropDownShowing())
        return hover ? 5 : 4;
    const bool focus = (mask & Condition::kFocusVisible) != 0;
    return (focus ? 1 : 0) + (hover ? 2 : 0);
}

void LComboBox::UpdateLook()
{
    ShowLook(GetStateLookIndex(), 0);
}

KXRESULT LComboBox::Receive(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n)
{
    if (!IsBuilt())
        return S_FALSE;
    if (m_comboHandler && m_comboHandler->Receive(from, n))
        return S_OK;
    return LDropDownControl::Receive(from, n);
}

KXRESULT LComboBox::UnregisterForNotification(const RCPtr<LNotificationDistributor>& d, const char16_t* name)
{
    if (m_comboHandler)
        m_comboHandler->RemoveDistributorHandler(d, name);
    return LDropDownControl::UnregisterForNotification(d, name);
}

KXRESULT LComboBox::OnListActivated(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>&)
{
    // A choice that arrives while the combo box is disabled or hidden is not applied.
    if (m_listBox && IsEnabled(true) && IsShowing(true))
        SetSelectedIndex(m_listBox->GetCaretIndex());
    return S_FALSE;
}

KXRESULT LComboBox::OnListVisibility(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>&)
{
    RCPtr<LControl> self(this);
    if (m_popupRoot && m_listBox && m_listBox->GetLayout()) {
        if (!m_listBox->GetLayout()->visible) {
            ClosePopup();
        } else if (!m_popupRoot->GetServices()) {
            // The list's window went (with the window it was opened from): the list comes home shut.
            ClosePopup();
            RCPtr<LListBox>(m_listBox)->SetVisible(false);
        }
    }
    UpdateLook();
    return S_OK;
}

KXRESULT LComboBox::OnTextBoxValidated(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n)
{
    RCPtr<LControl> self(this);
    if (m_textBox && m_listBox) {
        const WString text = m_textBox->GetText();
        SetSelectedIndex(m_listBox->FindItemByText(text, -1, m_caseSensitive));
        if (m_currentIndex < 0 && m_addTypedText && !text.IsEmpty()) {
            const int32_t added = AddItem(text);
            if (added >= 0)
                SetSelectedIndex(added);
        }
    }
    return OnTextBoxPassOn(from, n);
}

KXRESULT LComboBox::OnTextBoxPassOn(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>& n)
{
    if (n)
        Send(n->GetID(), n->GetPayload());
    return S_OK;
}

KXRESULT LComboBox::OnTextBoxFocus(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>& n)
{
    const ConstRCPtr<LConditionsParam> param =
        n ? ConstRCPtr<LConditionsParam>::DynamicCast(n->GetPayload()) : ConstRCPtr<LConditionsParam>();
    if (param && conditions::Rose(*param, Condition::kHasFocus))
        if (m_listBox)
            RCPtr<LListBox>(m_listBox)->SetVisible(false);
    return S_OK;
}

void LComboBox::Send(const char16_t* id, const ConstRCPtr<LRefCountedObject>& param)
{
    RCPtr<LNotification> n;
    LNotification::Create(n, id, param);
    if (n)
        SendNotification(n);
}

} // namespace KX
