// The checked combo box: the checked list as its drop-down, the two sets of looks and the
// "checkBox" child that mirrors the current item (it only shows; checking is done in the list).
#include "kx/controls/CheckedComboBox.h"

#include "kx/controls/Button.h"
#include "kx/controls/CheckedListBox.h"
#include "kx/controls/ListParams.h"

namespace KX {

LCheckedComboBox::LCheckedComboBox(const RCPtr<LControl>& parent, const WString& name) : LComboBox(parent, name) {}

LCheckedComboBox::~LCheckedComboBox() = default;

KXRESULT LCheckedComboBox::Initialize()
{
    m_checkedList = RCPtr<LCheckedListBox>::DynamicCast(ConstRCPtr<LControl>(FindChild(WString(u"listBox"))));
    if (Failed(LComboBox::Initialize()) || !m_checkedList)
        return E_FAIL;
    const RCPtr<LControl> self(this);
    m_checkBox = FindChild(WString(u"checkBox"));
    if (m_checkBox)
        m_checkBox->SetUseParentToolTip(true);
    m_checkedList->SetDropDownMode(true);
    if (!m_checkedList->GetIconList().empty()) {
        // The button beside the label only shows the current item; presses go to the combo box.
        m_iconMode = true;
        if (const RCPtr<LButton> button = RCPtr<LButton>::DynamicCast(m_checkBox))
            button->mouseTransparent = true;
        else if (m_checkBox)
            m_checkBox->SetHitTransparent(true);
    }
    if (!m_checkedComboHandler)
        m_checkedComboHandler =
            RCPtr<LNotificationHandler<LCheckedComboBox>>(new LNotificationHandler<LCheckedComboBox>(this));
    TraceFailedResult(m_checkedComboHandler->AddDistributorHandler(&LCheckedComboBox::OnListCheckChange,
                                                                   RCPtr<LNotificationDistributor>(m_checkedList.Get()),
                                                                   NID_ITEM_CHECK_CHANGE, 0),
                      "LCheckedComboBox::Initialize");
    return S_OK;
}

KXRESULT LCheckedComboBox::PostInitialize()
{
    const RCPtr<LControl> self(this);
    MirrorItem(GetSelectedIndex());
    const KXRESULT hr = LComboBox::PostInitialize();
    UpdateLook();
    return hr;
}

KXRESULT LCheckedComboBox::Receive(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n)
{
    if (!IsBuilt())
        return S_FALSE;
    if (m_checkedComboHandler && m_checkedComboHandler->Receive(from, n))
        return S_OK;
    return LComboBox::Receive(from, n);
}

KXRESULT LCheckedComboBox::UnregisterForNotification(const RCPtr<LNotificationDistributor>& d, const char16_t* name)
{
    if (m_checkedComboHandler && name)
        m_checkedComboHandler->RemoveDistributorHandler(d, name);
    return LComboBox::UnregisterForNotification(d, name);
}

KXRESULT LCheckedComboBox::SetItemCount(int32_t count)
{
    const RCPtr<LControl> self(this);
    const KXRESULT hr = LComboBox::SetItemCount(count);
    UpdateLook();
    return hr;
}

int32_t LCheckedComboBox::SetSelectedIndex(int32_t index)
{
    const RCPtr<LControl> self(this);
    MirrorItem(index);
    return LComboBox::SetSelectedIndex(index);
}

void LCheckedComboBox::UpdateLook()
{
    int32_t look = GetStateLookIndex();
    // A skin with only the combo box's seven looks shows them whatever is checked.
    if (GetCheckedCount() > 0 && GetLookCount() >= static_cast<uint32_t>(2 * kCheckedLookOffset))
        look += kCheckedLookOffset;
    ShowLook(look, 0);
}

void LCheckedComboBox::SetItemChecked(int32_t index, bool checked)
{
    if (!m_checkedList || index < 0 || index >= m_checkedList->GetItemCount())
        return;
    const RCPtr<LControl> self(this);
    m_checkedList->SetItemChecked(index, checked);
    UpdateLook();
    if (index == GetSelectedIndex())
        MirrorItem(index);
}

bool LCheckedComboBox::IsItemChecked(int32_t index) const
{
    return m_checkedList && m_checkedList->IsItemChecked(index);
}

int32_t LCheckedComboBox::GetCheckedCount() const
{
    return m_checkedList ? m_checkedList->GetCheckedCount() : 0;
}

void LCheckedComboBox::MirrorItem(int32_t index)
{
    if (!m_checkBox || !m_checkedList)
        return;
    const RCPtr<LControl> box = m_checkBox;
    const bool item = index >= 0 && index < m_checkedList->GetItemCount();
    if (item) {
        box->SetNormalizedValue(m_checkedList->IsItemChecked(index) ? 1.0 : 0.0);
    }
    const ConstRCPtr<LBitmap> icon = item ? m_checkedList->GetItemIcon(index) : ConstRCPtr<LBitmap>();
    for (uint32_t i = box->GetLookCount(); i-- > 0;)
        if (box->GetLookAt(static_cast<int32_t>(i)))
            box->SetLookBitmap(icon, 2, static_cast<int32_t>(i), false);
}

KXRESULT LCheckedComboBox::OnListCheckChange(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>& n)
{
    if (!n || !m_checkedList)
        return kConsumed;
    const RCPtr<LControl> self(this);
    // Only the first check and the last uncheck change which set of looks applies.
    const int32_t checked = m_checkedList->GetCheckedCount();
    if (checked == 0 || checked == 1)
        UpdateLook();
    // The button beside the label follows a toggle of the current item in the open list.
    const ConstRCPtr<LIndexedDataParam> param = ConstRCPtr<LIndexedDataParam>::DynamicCast(n->GetPayload());
    if (param && param->GetIndex() == GetSelectedIndex())
        MirrorItem(param->GetIndex());
    RCPtr<LNotification> forward;
    LNotification::Create(forward, NID_ITEM_CHECK_CHANGE, n->GetPayload());
    if (forward)
        SendNotification(forward);
    return kConsumed;
}

} // namespace KX
