// A checked list box row: the list row with its "checkBox" child and an icon in its looks.
#include "kx/controls/CheckedListBox.h"

#include "ConditionEdges.h"

namespace KX {

LCheckedListBoxItem::LCheckedListBoxItem(const RCPtr<LControl>& parent, const WString& name)
    : LListBoxItem(parent, name)
{
}

LCheckedListBoxItem::~LCheckedListBoxItem() = default;

KXRESULT LCheckedListBoxItem::Receive(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n)
{
    if (!IsBuilt())
        return S_FALSE;
    if (m_rowHandler && m_rowHandler->Receive(from, n))
        return S_OK;
    return LListBoxItem::Receive(from, n);
}

KXRESULT LCheckedListBoxItem::UnregisterForNotification(const RCPtr<LNotificationDistributor>& d, const char16_t* name)
{
    if (m_rowHandler && name)
        m_rowHandler->RemoveDistributorHandler(d, name);
    return LListBoxItem::UnregisterForNotification(d, name);
}

KXRESULT LCheckedListBoxItem::Initialize()
{
    const KXRESULT hr = LListBoxItem::Initialize();
    if (Failed(hr))
        return hr;
    m_rowHandler =
        RCPtr<LNotificationHandler<LCheckedListBoxItem>>(new LNotificationHandler<LCheckedListBoxItem>(this));
    m_checkBox = FindChild(WString(u"checkBox"));
    if (m_checkBox)
        TraceFailedResult(m_rowHandler->AddDistributorHandler(&LCheckedListBoxItem::OnCheckBoxHoverChange,
                                                              RCPtr<LNotificationDistributor>(m_checkBox.Get()),
                                                              NID_HOVER_CONDITION_CHANGE, 0),
                          "LCheckedListBoxItem::Initialize");
    return hr;
}

KXRESULT LCheckedListBoxItem::OnCheckBoxHoverChange(const RCPtr<LNotificationDistributor>&,
                                                    const RCPtr<LNotification>& n)
{
    const ConstRCPtr<LConditionsParam> change =
        n ? ConstRCPtr<LConditionsParam>::DynamicCast(n->GetPayload()) : ConstRCPtr<LConditionsParam>();
    if (!change)
        return kConsumed;
    SetHighlighted(conditions::Rose(*change, Condition::kHover));
    return kConsumed;
}

bool LCheckedListBoxItem::ShowLookOnRow(int32_t lookIndex, bool)
{
    return SetLookOpacity(lookIndex, 1.0f, true) >= 0;
}

void LCheckedListBoxItem::SetRowIcon(const ConstRCPtr<LBitmap>& icon)
{
    if (icon.Get() == m_icon.Get())
        return;
    m_icon = icon;
    for (uint32_t i = GetLookCount(); i-- > 0;)
        SetLookBitmap(icon, 2, static_cast<int32_t>(i), false);
}

} // namespace KX
