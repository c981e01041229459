// The root window's input routing: pointer buttons, moves, wheel steps and keys to the capture,
// hit-tested or focused control, and the hover, tooltip and capture owners.
#include "kx/ui/RootWindow.h"

#include "kx/ui/ControlGeometry.h"

#include <vector>

namespace KX {

namespace {
uint32_t DoubleClickBit(uint32_t button)
{
    switch (button) {
    case kMouseButtonLeft: return 1;
    case kMouseButtonMiddle: return 2;
    case kMouseButtonRight: return 4;
    default: return 0;
    }
}

// The tooltip's owner: the control, or the nearest ancestor whose tooltip it borrows.
RCPtr<LControl> FindToolTipOwner(RCPtr<LControl> control)
{
    while (control && control->GetToolTipText().IsEmpty() && control->UsesParentToolTip() && control->GetParent())
        control = control->GetParent();
    return control;
}

bool IsInTree(const LControl& control)
{
    return control.GetParent() || const_cast<LControl&>(control).GetTopLevelOwnerSlot();
}

// A press that works on the focused control: Tab, the arrows, Space, Enter, typing, alone or
// with Shift. Not a modifier or lock key alone, a function or media key, nor anything pressed
// with Ctrl, Alt or Win (a shortcut, a Ctrl+click).
bool WorksOnTheFocus(const KeyCode& key)
{
    if (!KeyCode::IsKeyDown(key) || (key.code & (KeyCode::kCtrl | KeyCode::kAlt | KeyCode::kWin)) != 0)
        return false;
    const uint8_t virtualKey = key.GetVirtualKey();
    switch (virtualKey) {
    case VKey::Shift:
    case VKey::Control:
    case VKey::Menu:
    case VKey::LeftShift:
    case VKey::RightShift:
    case VKey::LeftControl:
    case VKey::RightControl:
    case VKey::LeftMenu:
    case VKey::RightMenu:
    case VKey::LeftWin:
    case VKey::RightWin:
    case VKey::Capital:
    case VKey::NumLock:
    case VKey::Scroll:
    case VKey::Pause:
    case VKey::Snapshot:
    case VKey::Sleep: return false;
    default:
        return (virtualKey < VKey::F1 || virtualKey >= VKey::F1 + 24) &&
               (virtualKey < VKey::BrowserBack || virtualKey > VKey::LaunchApp2);
    }
}
} // namespace

bool LRootWindow::HoldsControl(const LControl& control) const
{
    const LControl* top = &control;
    while (top->GetParent())
        top = top->GetParent().Get();
    return top == m_main.Get();
}

void LRootWindow::SetFocusControl(const RCPtr<LControl>& control)
{
    RCPtr<LControl> old = std::move(m_focus);
    m_focus = control;
    if (old && old.Get() != control.Get() && !HoldsControl(*old))
        old->KillFocus();
}

void LRootWindow::DropDetachedOwners()
{
    // A control that left this window's tree (its branch removed or rebuilt) holds nothing here.
    if (m_capture && !HoldsControl(*m_capture)) {
        RCPtr<LControl> old = std::move(m_capture);
        old->OnCaptureLost();
    }
    if (m_focus && !HoldsControl(*m_focus)) {
        RCPtr<LControl> old = std::move(m_focus);
        old->KillFocus();
    }
    if (m_savedFocus && !HoldsControl(*m_savedFocus))
        m_savedFocus = nullptr;
    if (m_toolTip && !HoldsControl(*m_toolTip)) {
        RCPtr<LControl> old = std::move(m_toolTip);
        old->ShowToolTip(false);
    }
    if (m_hover && !HoldsControl(*m_hover)) {
        RCPtr<LControl> old = std::move(m_hover);
        if (IsInTree(*old))
            old->OnMouseLeave();
    }
}

PointT<int32_t> LRootWindow::RootOrigin(const LControl& control)
{
    return RoundPointToLong(control.GetOriginInRootWindow());
}

RCPtr<LControl> LRootWindow::HitTest(PointT<int32_t> point, PointT<int32_t>& local, bool updateHover)
{
    local = PointT<int32_t>{};
    RCPtr<LControl> hit;
    if (!m_main)
        return hit;
    const PointT<int32_t> origin = RoundPointToLong(m_main->GetPosition());
    int32_t depth = INT32_MIN;
    m_main->HitTestChildren(hit, PointT<int32_t>{point.x - origin.x, point.y - origin.y}, true, local, depth);
    if (updateHover)
        SetHoverControl(hit);
    return hit;
}

RCPtr<LControl> LRootWindow::HitTest(PointT<int32_t> point, bool searchUnclipped, bool updateHover)
{
    RCPtr<LControl> hit;
    if (!m_main)
        return hit;
    const PointT<int32_t> origin = RoundPointToLong(m_main->GetPosition());
    PointT<int32_t> local{};
    int32_t depth = INT32_MIN;
    m_main->HitTestChildren(hit, PointT<int32_t>{point.x - origin.x, point.y - origin.y}, searchUnclipped, local,
                            depth);
    if (updateHover)
        SetHoverControl(hit);
    return hit;
}

void LRootWindow::HideToolTip()
{
    if (RCPtr<LControl> tip = m_toolTip)
        tip->ShowToolTip(false);
}

void LRootWindow::SetHoverControl(const RCPtr<LControl>& requested)
{
    RCPtr<LControl> control = requested;
    if (m_capture && control.Get() != m_capture.Get())
        control = nullptr;
    if (control.Get() == m_hover.Get())
        return;
    RCPtr<LControl> owner;
    if (control && control.Get() != m_capture.Get()) {
        owner = FindToolTipOwner(control);
        if (owner && owner->GetToolTipText().IsEmpty())
            owner = nullptr;
    }
    if (owner.Get() != m_toolTip.Get()) {
        if (RCPtr<LControl> old = m_toolTip)
            old->ShowToolTip(false);
        m_toolTip = owner;
        if (owner)
            owner->ShowToolTip(true);
    }
    RCPtr<LControl> old = std::move(m_hover);
    if (old && IsInTree(*old))
        old->OnMouseLeave();
    m_hover = control;
    if (control)
        control->OnMouseEnter();
}

KXRESULT LRootWindow::SetCaptureControl(const RCPtr<LControl>& control)
{
    if (!control)
        return E_INVALIDARG;
    if (RCPtr<LControl> old = m_capture)
        old->OnCaptureLost();
    m_capture = control;
    return S_OK;
}

void LRootWindow::OnCaptureLost()
{
    if (RCPtr<LControl> capture = m_capture)
        capture->OnCaptureLost();
}

void LRootWindow::SetKeyboardInUse(bool inUse)
{
    if (m_keyboardInUse == inUse)
        return;
    m_keyboardInUse = inUse;
    std::vector<RCPtr<LControl>> chain;
    for (RCPtr<LControl> c = m_focus; c; c = c->GetParent())
        chain.push_back(c);
    for (const RCPtr<LControl>& c : chain)
        c->UpdateConditions();
}

void LRootWindow::OnMouseButton(uint32_t action, uint32_t button, uint32_t modifiers, PointT<int32_t> point)
{
    if (!IsActive())
        return;
    DropDetachedOwners();
    const PointT<int32_t> current = GetCursorPos();
    if (current.x != point.x || current.y != point.y)
        OnMouseMove(point, modifiers);
    HideToolTip();
    const uint32_t bit = DoubleClickBit(button);
    if (bit == 0)
        return;
    if (action == kMousePress || action == kMouseDoubleClick) {
        SetKeyboardInUse(false);
        RCPtr<LControl> target = m_capture;
        PointT<int32_t> local{};
        if (target) {
            const PointT<int32_t> origin = RootOrigin(*target);
            local = PointT<int32_t>{point.x - origin.x, point.y - origin.y};
        } else {
            target = HitTest(point, local, true);
            if (!target)
                return;
        }
        const bool doubleClick = action == kMouseDoubleClick;
        RCPtr<LMouseButtonParam> param =
            LMouseButtonParam::Create(button, local, modifiers, doubleClick, GetMouseButtonState());
        if (doubleClick)
            m_doubleClickBits |= bit;
        else
            m_doubleClickBits &= ~bit;
        target->OnMouseDown(param);
    } else if (action == kMouseRelease) {
        RCPtr<LControl> target = m_capture;
        if (!target)
            return;
        const PointT<int32_t> origin = RootOrigin(*target);
        const PointT<int32_t> local{point.x - origin.x, point.y - origin.y};
        const bool doubleClick = (m_doubleClickBits & bit) != 0;
        m_doubleClickBits &= ~bit;
        target->OnMouseUp(LMouseButtonParam::Create(button, local, modifiers, doubleClick, GetMouseButtonState()));
    }
}

void LRootWindow::OnMouseMove(PointT<int32_t> point, uint32_t modifiers)
{
    if (!IsActive())
        return;
    DropDetachedOwners();
    if (RCPtr<LControl> capture = m_capture) {
        PointT<int32_t> ignored{};
        HitTest(point, ignored, true);
        const PointT<int32_t> origin = RootOrigin(*capture);
        capture->OnMouseMove(
            LPointWithModifiersParam::Create(PointT<int32_t>{point.x - origin.x, point.y - origin.y}, modifiers));
        return;
    }
    PointT<int32_t> local{};
    if (RCPtr<LControl> hit = HitTest(point, local, true))
        hit->OnMouseMove(LPointWithModifiersParam::Create(local, modifiers));
}

void LRootWindow::DeliverWheel(const RCPtr<LControl>& target, const RCPtr<LMouseWheelParam>& param)
{
    const bool horizontal = param->IsHorizontal();
    const KXRESULT hr = horizontal ? target->OnMouseHWheel(param) : target->OnMouseWheel(param);
    if (hr != S_FALSE)
        return;
    if (RCPtr<LControl> focus = m_focus) {
        if (focus.Get() == target.Get())
            return;
        if (horizontal)
            focus->OnMouseHWheel(param);
        else
            focus->OnMouseWheel(param);
    }
}

void LRootWindow::OnMouseWheel(PointT<int32_t> point, uint32_t modifiers, uint32_t direction)
{
    if (!IsActive() || direction > kWheelRight)
        return;
    DropDetachedOwners();
    HideToolTip();
    RCPtr<LControl> target = m_capture;
    if (!target) {
        PointT<int32_t> local{};
        target = HitTest(point, local, false);
        if (!target)
            return;
    }
    DeliverWheel(target, LMouseWheelParam::Create(point, modifiers, direction));
}

void LRootWindow::OnKey(const RCPtr<LKeyParam>& param)
{
    DropDetachedOwners();
    HideToolTip();
    if (!param)
        return;
    if (WorksOnTheFocus(param->GetKey()))
        SetKeyboardInUse(true);
    if (RCPtr<LControl> focus = m_focus)
        focus->OnKey(param);
}

} // namespace KX
