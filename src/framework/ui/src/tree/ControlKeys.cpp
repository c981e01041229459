// Keys reaching a control: its own and its siblings' bindings, the hot-key tables of the root
// window and the application, Tab navigation among the focusable children of a container, and
// giving up the keyboard focus.
#include "kx/ui/Control.h"
#include "kx/ui/RootWindow.h"
#include "kx/ui/VirtualKeys.h"

namespace KX {

namespace {
constexpr uint8_t kTabKey = 9;

LRootWindow* AsRootWindow(const RCPtr<IRootWindow>& window)
{
    return dynamic_cast<LRootWindow*>(window.Get());
}
} // namespace

void LControl::OnKey(const RCPtr<LKeyParam>& param)
{
    if (!param || !IsShowing(true) || !m_layout || !m_layout->enabled || (m_parent && !m_parent->IsEnabled(true)))
        return;
    // Our own "LHK" bindings first.
    const RCPtr<LSiblingKeyParam> sibling = LSiblingKeyParam::Create(param->GetKey(), RCPtr<LControl>(this));
    SendNotificationTo(RCPtr<LNotificationReceiver>(this), u"NID_SIBLING_KEY", ConstRCPtr<LRefCountedObject>(sibling));
    if (sibling->GetResult() == 0 || FilterKey(param) != S_FALSE)
        return;
    const KeyCode& key = param->GetKey();
    const bool tab = KeyCode::IsKeyDown(key) && key.GetVirtualKey() == kTabKey;
    param->GetRoute().AddItem(RCPtr<LControl>(this));
    if (!tab) {
        if (const RCPtr<LControl> parent = m_parent)
            parent->HandleKey(param);
        else
            DispatchUnconsumedKey(m_ownerWindow.Get(), key);
        return;
    }
    if (m_wantsTab)
        return;
    if (const RCPtr<LControl> parent = m_parent)
        parent->HandleKeyNavigation(param);
    else if (LRootWindow* window = AsRootWindow(m_ownerWindow))
        RCPtr<LRootWindow>(window)->FocusNextRootWindow(param);
}

KXRESULT LControl::HandleKey(const RCPtr<LKeyParam>& param)
{
    if (!param)
        return E_INVALIDARG;
    const KXRESULT r = HandleSiblingKey(param);
    if (r != S_FALSE)
        return r;
    // A key goes one level up the tree, then to the hot-key tables.
    return DispatchUnconsumedKey(GetTopLevelOwnerSlot().Get(), param->GetKey());
}

void LControl::PassNavigationUp(const RCPtr<LKeyParam>& param)
{
    param->GetRoute().AddItem(RCPtr<LControl>(this));
    if (const RCPtr<LControl> parent = m_parent)
        parent->HandleKeyNavigation(param);
    else if (LRootWindow* window = AsRootWindow(m_ownerWindow))
        RCPtr<LRootWindow>(window)->FocusNextRootWindow(param);
}

void LControl::HandleKeyNavigation(const RCPtr<LKeyParam>& param)
{
    if (!param)
        return;
    const uint32_t code = param->GetKey().code;
    const bool backward = (code & KeyCode::kShift) != 0;
    if (code & KeyCode::kCtrl) {
        // Leave this container: a plain Tab, not from the keyboard, walks on from here.
        const KeyCode tab(backward ? (KeyCode::kShift | kTabKey) : uint32_t{kTabKey}, 0, 0);
        PassNavigationUp(LKeyParam::Create(tab, false));
        return;
    }
    RCPtrArray<LControl>& route = param->GetRoute();
    RCPtr<LControl> start = route.GetCount() > 0 ? route.GetData()[route.GetCount() - 1] : RCPtr<LControl>();
    RCPtr<LControl> next = GetNextFocusableChild(start, backward);
    while (next && next.Get() != start.Get()) {
        if (!param->IsFromKeyboard()) {
            // Walking past either end of the tab order leaves this container.
            const int32_t from = m_children.IndexOf(start.Get(), kOrderTab);
            const int32_t to = m_children.IndexOf(next.Get(), kOrderTab);
            if (from < 0 || to < 0)
                KX_THROW(std::runtime_error, "", "KX::LControl::ChildControlList::GetAt", "ControlBase\\Control",
                         3304);
            if (backward ? to >= from : to <= from) {
                PassNavigationUp(param);
                return;
            }
        }
        if (next->CanReceiveFocus() || next->HasFocusableDescendant()) {
            next->SetFocus(!backward);
            return;
        }
        if (!start->IsShowing(true) || !start->m_layout || !start->m_layout->enabled ||
            (start->m_parent && !start->m_parent->IsEnabled(true)))
            start = next;
        const RCPtr<LControl> after = GetNextFocusableChild(next, backward);
        if (after.Get() == next.Get())
            break;
        next = after;
    }
    if (!param->IsFromKeyboard())
        PassNavigationUp(param);
}

bool LControl::KillFocus()
{
    if (m_hasFocus) {
        m_hasFocus = 0;
        // Condition notifications for the change come with the focus model's UpdateConditions.
        if (LRootWindow* window = AsRootWindow(GetTopLevelOwnerSlot()))
            RCPtr<LRootWindow>(window)->SuspendFocus();
        return true;
    }
    if (!m_containsFocus)
        return false;
    m_containsFocus = 0;
    const RCPtr<LControl> branch = GetFocusedChild();
    return branch && branch->KillFocus();
}

} // namespace KX
