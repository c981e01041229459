// Initialising a built control (its notification handler, create parameters, tool tip and own key
// bindings), the sibling-key handler, and the deferred removal of children.
#include "kx/NotificationCenter.h"
#include "kx/ui/Control.h"
#include "kx/ui/ControlDescriptor.h"
#include "kx/ui/StringTable.h"

namespace KX {

KXRESULT LControl::Initialize()
{
    const RCPtr<LNotificationCenter> queue = GetNotificationQueue();
    if (queue.Get() != m_notificationCenter.Get())
        m_notificationCenter = queue;
    if (!m_handler)
        m_handler = RCPtr<LNotificationHandler<LControl>>(new LNotificationHandler<LControl>(this));
    ReadCreateParams();

    const RCPtr<LStringTable>& table = m_stringTable.Get();
    if (!table)
        return S_OK;
    WString tip;
    if (table->Lookup(WString(u"TOOLTIP"), tip))
        m_toolTipText = tip;
    m_keyBindings.LoadFromStringTable(table.Get(), WString(HotKeyTable::kLocalPrefix));
    if (m_parent && !m_keyBindings.IsEmpty()) {
        // A key that a sibling passes up reaches us through the parent; our own comes directly.
        TraceFailedResult(m_handler->AddDistributorHandler(
                              &LControl::OnSiblingKey, RCPtr<LNotificationDistributor>(m_parent), NID_SIBLING_KEY, 0),
                          "LControl::Initialize");
        TraceFailedResult(m_handler->AddObjectHandler(&LControl::OnSiblingKey, NID_SIBLING_KEY),
                          "LControl::Initialize");
    }
    return S_OK;
}

KXRESULT LControl::ReadCreateParams()
{
    const LControlDescriptor* descriptor = m_descriptor.Get().Get();
    const LStringTable* params = descriptor ? descriptor->GetCreateParams().Get() : nullptr;
    const bool negativeTab = m_layout && m_layout->tabStop < 0;
    if (!params) {
        SetNotFocusable(negativeTab);
        return S_OK;
    }
    WString text;
    if (params->Lookup(WString(u"INITIAL_VALUE"), text))
        SetNormalizedValue(text.ToDouble()); // not a number: 0.0
    if (params->Lookup(WString(u"NOT_FOCUSABLE"), text))
        SetNotFocusable(LControlDescriptor::CountsAsTrue(text));
    else
        SetNotFocusable(negativeTab);
    if (params->Lookup(WString(u"USE_PARENT_TOOLTIP"), text))
        m_useParentToolTip = LControlDescriptor::CountsAsTrue(text) ? 1 : 0;
    if (params->Lookup(WString(u"WANTS_TAB"), text))
        m_wantsTab = LControlDescriptor::CountsAsTrue(text) ? 1 : 0;
    return S_OK;
}

KXRESULT LControl::OnSiblingKey(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>& n)
{
    const ConstRCPtr<LSiblingKeyParam> param =
        n ? ConstRCPtr<LSiblingKeyParam>::DynamicCast(n->GetPayload()) : ConstRCPtr<LSiblingKeyParam>();
    if (!param || !IsShowing(true) || !m_layout || !m_layout->enabled || (m_parent && !m_parent->IsEnabled(true)))
        return S_FALSE;
    const WString name = m_keyBindings.FindNotificationForKey(param->GetKey());
    if (name.IsEmpty())
        return S_FALSE;
    // The sender reads the result back: the record is shared, only the notification holds it const.
    const_cast<LSiblingKeyParam*>(param.Get())->SetResult(0);
    // Our handlers act on it as if it had come from elsewhere.
    SendNotificationTo(RCPtr<LNotificationReceiver>(this), name.GetString(), ConstRCPtr<LRefCountedObject>(param));
    return S_FALSE;
}

KXRESULT LControl::RemoveChildDeferred(const RCPtr<LControl>& child)
{
    if (!child || child->m_parent.Get() != this)
        return E_INVALIDARG;
    if (child->m_capture)
        child->OnCaptureLost();
    child->SetVisible(false);
    m_pendingRemovals.AddItem(child);
    if (m_pendingRemovals.GetCount() == 1)
        SubscribeIdle();
    return S_OK;
}

KXRESULT LControl::FlushPendingChildren()
{
    if (m_pendingRemovals.GetCount() == 0)
        return S_OK;
    // Work on the entries taken out: a removal that queues another, or flushes again, then never
    // sees (or finishes twice) an entry of this pass.
    RCPtrArray<LControl> pending;
    while (m_pendingRemovals.GetCount() > 0) {
        RCPtr<LControl> child;
        m_pendingRemovals.RemoveItem(0, child);
        pending.AddItem(child);
    }
    for (uint32_t i = 0; i < pending.GetCount(); ++i)
        if (const RCPtr<LControl> child = pending.GetData()[i])
            child->FinishDeferredRemoval();
    // The subscription of this pass; one queued meanwhile took its own.
    UnsubscribeIdle();
    return S_OK;
}

} // namespace KX
