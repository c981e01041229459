// The panel: sibling keys, keys bubbling up the panel tree and Tab navigation without wrapping.
#include "kx/controls/Panel.h"

#include "kx/Exception.h"
#include "kx/ui/ControlFactory.h"
#include "kx/ui/GlobalHotKeyManager.h"

#include <stdexcept>

namespace KX {

LPanel::LPanel(const RCPtr<LControl>& parent, const WString& name) : LScrollView(parent, name) {}

LPanel::~LPanel()
{
    m_panelHandler = nullptr;
}

KXRESULT LPanel::Initialize()
{
    const KXRESULT base = LScrollView::Initialize();
    if (Failed(base) || !GetParent())
        return base;
    try {
        m_panelHandler = RCPtr<LNotificationHandler<LPanel>>(new LNotificationHandler<LPanel>(this));
        CheckResult(m_panelHandler->AddDistributorHandler(
                        &LPanel::OnPanelSiblingKey, RCPtr<LNotificationDistributor>(GetParent()), NID_SIBLING_KEY, 0),
                    "KX::LPanel::Initialize", "Controls\\Panel", 37);
    } catch (const std::runtime_error&) {
        return E_FAIL;
    }
    return S_OK;
}

KXRESULT LPanel::UnregisterForNotification(const RCPtr<LNotificationDistributor>& d, const char16_t* name)
{
    if (m_panelHandler)
        m_panelHandler->RemoveDistributorHandler(d, name);
    return LScrollView::UnregisterForNotification(d, name);
}

KXRESULT LPanel::Receive(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n)
{
    if (!IsBuilt())
        return S_FALSE;
    const RCPtr<LPanel> self(this);
    if (m_panelHandler && m_panelHandler->Receive(from, n))
        return S_OK;
    return LScrollView::Receive(from, n);
}

KXRESULT LPanel::OnPanelSiblingKey(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>& n)
{
    auto* record = n ? dynamic_cast<LSiblingKeyParam*>(const_cast<LRefCountedObject*>(n->GetPayload().Get())) : nullptr;
    if (!record)
        return S_FALSE;
    const RCPtr<LKeyParam> key = LKeyParam::Create(record->GetKey(), true);
    const KXRESULT used = HandleSiblingKey(key);
    // Only a use is reported; another receiver may still take the key.
    if (used == S_OK)
        record->SetResult(0);
    return S_FALSE;
}

KXRESULT LPanel::HandleKey(const RCPtr<LKeyParam>& param)
{
    if (!param)
        return E_INVALIDARG;
    const KXRESULT sibling = HandleSiblingKey(param);
    if (sibling != S_FALSE)
        return sibling;
    if (const RCPtr<LControl> parent = GetParent()) {
        param->GetRoute().AddItem(RCPtr<LControl>(this));
        return parent->HandleKey(param);
    }
    return DispatchUnconsumedKey(GetTopLevelOwnerSlot().Get(), param->GetKey());
}

RCPtr<LControl> LPanel::GetNextFocusableChild(const RCPtr<LControl>& child, bool backward)
{
    RCPtr<LControl> next = LScrollView::GetNextFocusableChild(child, backward);
    if (!next || !child || !GetParent())
        return next;
    ChildControlList& children = GetChildren();
    const int32_t from = children.IndexOf(child.Get(), kOrderTab);
    const int32_t to = children.IndexOf(next.Get(), kOrderTab);
    // A nested panel does not wrap: the parent moves on past it.
    if (backward ? to > from : to < from)
        return LControlFactory::NullControl();
    return next;
}

void LPanel::HandleKeyNavigation(const RCPtr<LKeyParam>& param)
{
    if (!param)
        return;
    const RCPtr<LPanel> self(this);
    const uint32_t code = param->GetKey().code;
    const bool backward = (code & KeyCode::kShift) != 0;
    RCPtrArray<LControl>& route = param->GetRoute();
    if (!(code & KeyCode::kCtrl)) {
        RCPtr<LControl> start = route.GetCount() > 0 ? route.GetData()[route.GetCount() - 1] : RCPtr<LControl>();
        if (start && start->GetParent().Get() != this)
            start = nullptr; // the key did not come from a child of ours
        RCPtr<LControl> candidate = start ? GetNextFocusableChild(start, backward) : RCPtr<LControl>();
        // One step per child at most, so a walk that never meets its start again still ends.
        for (uint32_t steps = 0; candidate && steps <= GetChildren().GetCount(); ++steps) {
            if (start && candidate.Get() == start.Get())
                break;
            if (candidate->CanReceiveFocus() || candidate->HasFocusableDescendant()) {
                candidate->SetFocus(!backward);
                return;
            }
            if (start && (!start->IsShowing(true) || !start->IsEnabled(true)))
                start = candidate;
            candidate = GetNextFocusableChild(candidate, backward);
        }
    }
    // Nothing taken (or Ctrl held): the parent carries on from this panel.
    route.AddItem(RCPtr<LControl>(this));
    if (const RCPtr<LControl> parent = GetParent())
        parent->HandleKeyNavigation(param);
}

} // namespace KX
