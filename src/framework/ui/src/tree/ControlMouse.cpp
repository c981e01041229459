// Pointer input of a control: presses, releases, moves, hover, capture loss and clicks.
#include "kx/RenderHost.h"
#include "kx/ui/Control.h"
#include "kx/ui/RootWindow.h"

#include <cmath>
#include <cstdlib>

namespace KX {

namespace {
bool IsKnownButton(uint32_t button)
{
    return button == 1 || button == 2 || button == 4;
}
} // namespace

void LControl::SendInputNotification(const char16_t* name, const ConstRCPtr<LRefCountedObject>& param)
{
    RCPtr<LNotification> n;
    LNotification::Create(n, name, param);
    if (n)
        SendNotification(n);
}

KXRESULT LControl::OnMouseEnter()
{
    m_pointerOver = 1;
    UpdateConditions();
    return S_OK;
}

KXRESULT LControl::OnMouseLeave()
{
    m_pointerOver = 0;
    UpdateConditions();
    return S_OK;
}

KXRESULT LControl::FocusFromChild(const RCPtr<LControl>&)
{
    if (!m_notFocusable && !(m_parent && !m_focusPassesToParent && m_parent->IsNotFocusable(true))) {
        SetFocus(true);
        return S_OK;
    }
    if (RCPtr<LControl> parent = m_parent)
        parent->FocusFromChild(RCPtr<LControl>(this));
    return S_OK;
}

KXRESULT LControl::OnMouseDown(const RCPtr<LMouseButtonParam>& param)
{
    if (!param || !IsKnownButton(param->GetButton()))
        return E_INVALIDARG;
    if (!m_capture && (!IsShowing(true) || !m_layout || !m_layout->enabled || (m_parent && !m_parent->IsEnabled(true))))
        return S_FALSE;
    const RCPtr<LControl> self(this);
    if (!m_capture) {
        if (!m_notFocusable && (!m_parent || m_focusPassesToParent || !m_parent->IsNotFocusable(true)))
            SetFocus(true);
        else if (RCPtr<LControl> parent = m_parent)
            parent->FocusFromChild(self);
    }
    switch (param->GetButton()) {
    case 1:
        m_lastPress = param;
        OnLeftDown(param);
        break;
    case 2: OnMiddleDown(param); break;
    default: OnRightDown(param); break;
    }
    SendInputNotification(NID_MOUSE_DOWN, ConstRCPtr<LRefCountedObject>(param.Get()));
    if (!m_capture) {
        const PointT<int32_t> p = param->GetPoint();
        BeginDrag(static_cast<int32_t>(param->GetButton()), p.x, p.y);
    }
    return S_OK;
}

KXRESULT LControl::OnMouseMove(const RCPtr<LPointWithModifiersParam>& param)
{
    if (!param)
        return E_INVALIDARG;
    const RCPtr<LControl> self(this);
    m_moveTime = GetTickTime();
    if (m_leftPressed || m_middlePressed || m_rightPressed) {
        const PointT<int32_t> press =
            RoundPointToLong(PointT<double>{m_pressPoint.x - m_position.x, m_pressPoint.y - m_position.y});
        const PointT<int32_t> p = param->GetPoint();
        const int64_t dx = std::llabs(static_cast<int64_t>(p.x) - press.x);
        const int64_t dy = std::llabs(static_cast<int64_t>(p.y) - press.y);
        if (std::max(dx, dy) >= m_dragThreshold) {
            // The pending press is taken first so that the move at the press point cannot come
            // back here (with threshold 0 it would without end).
            const uint8_t left = m_leftPressed, middle = m_middlePressed, right = m_rightPressed;
            m_leftPressed = m_middlePressed = m_rightPressed = 0;
            OnMouseMove(LPointWithModifiersParam::Create(press, param->GetModifiers()));
            if (left)
                m_leftDrag = 1;
            else if (middle)
                m_middleDrag = 1;
            else if (right)
                m_rightDrag = 1;
            UpdateConditions();
        }
    }
    OnMove(param);
    SendInputNotification(NID_MOUSE_MOVE, ConstRCPtr<LRefCountedObject>(param.Get()));
    if (m_leftDrag && m_dragMode != DragMode::kNone)
        OnDragMove(param);
    m_previousMoveTime = m_moveTime;
    return S_OK;
}

KXRESULT LControl::OnMouseUp(const RCPtr<LMouseButtonParam>& param)
{
    if (!param || !IsKnownButton(param->GetButton()))
        return E_INVALIDARG;
    if (!m_capture && (!IsShowing(true) || !m_layout || !m_layout->enabled || (m_parent && !m_parent->IsEnabled(true))))
        return S_FALSE;
    const RCPtr<LControl> self(this);
    bool click = false;
    switch (param->GetButton()) {
    case 1:
        OnLeftUp(param);
        click = m_leftPressed || (m_leftDrag && m_dragMode == DragMode::kNone);
        break;
    case 2:
        OnMiddleUp(param);
        click = m_middlePressed || (m_middleDrag && m_dragMode == DragMode::kNone);
        break;
    default:
        OnRightUp(param);
        click = m_rightPressed || (m_rightDrag && m_dragMode == DragMode::kNone);
        break;
    }
    click = click && m_pointerOver;
    if (param->GetButton() == 1 && m_leftDrag && m_dragMode == DragMode::kPan) {
        m_releaseTime = GetTickTime();
        if (m_releaseTime - m_previousMoveTime < 100) {
            RectT<double> range;
            GetScrollRange(range, self);
            const double low[2] = {range.x, range.y};
            const double high[2] = {range.x + range.width, range.y + range.height};
            for (int32_t axis = 0; axis < 2; ++axis) {
                const uint32_t bit = axis == 0 ? DragAxis::kX : DragAxis::kY;
                const bool enabled = m_dragAxes == bit || m_dragAxes == DragAxis::kBoth;
                if (enabled && std::fabs(m_throwVelocity[axis]) >= 1000.0) {
                    StartAxisAnimation(axis, m_throwVelocity[axis], high[axis], low[axis], RCPtr<LControl>());
                    m_throwRunning[axis] = 1;
                }
            }
        }
    }
    SendInputNotification(NID_MOUSE_UP, ConstRCPtr<LRefCountedObject>(param.Get()));
    if (m_capture && param->GetPressedButtons() == 0)
        OnCaptureLost();
    if (click && m_layout && m_layout->enabled && (!m_parent || m_parent->IsEnabled(true)))
        OnClick(param);
    return S_OK;
}

KXRESULT LControl::OnCaptureLost()
{
    if (!m_capture)
        return S_FALSE;
    const RCPtr<LControl> self(this);
    m_capture = 0;
    m_leftPressed = m_middlePressed = m_rightPressed = 0;
    m_leftDrag = m_middleDrag = m_rightDrag = 0;
    RCPtr<LControl> top = GetTopLevelControl();
    RCPtr<IRootWindow> window = top ? top->GetTopLevelOwnerSlot() : RCPtr<IRootWindow>();
    if (auto* root = dynamic_cast<LRootWindow*>(window.Get())) {
        // Only this control's capture is released; another control's stays.
        if (root->GetCaptureControl().Get() == this)
            root->ReleaseCaptureControl();
    }
    UpdateConditions();
    m_lastPress = nullptr;
    return S_OK;
}

KXRESULT LControl::OnClick(const RCPtr<LMouseButtonParam>& param)
{
    if (!param)
        return E_INVALIDARG;
    switch (param->GetButton()) {
    case 1: return OnLeftClick(param);
    case 2: return OnMiddleClick(param);
    case 4: return OnRightClick(param);
    default: return E_INVALIDARG;
    }
}

KXRESULT LControl::OnLeftClick(const RCPtr<LMouseButtonParam>& param)
{
    if (!param)
        return E_INVALIDARG;
    const RCPtr<LControl> self(this);
    OnLeftClickHook(param);
    SendInputNotification(NID_LEFT_CLICK, ConstRCPtr<LRefCountedObject>(param.Get()));
    return S_OK;
}

KXRESULT LControl::OnMiddleClick(const RCPtr<LMouseButtonParam>& param)
{
    if (!param)
        return E_INVALIDARG;
    const RCPtr<LControl> self(this);
    OnMiddleClickHook(param);
    SendInputNotification(NID_MIDDLE_CLICK, ConstRCPtr<LRefCountedObject>(param.Get()));
    return S_OK;
}

KXRESULT LControl::OnRightClick(const RCPtr<LMouseButtonParam>& param)
{
    if (!param)
        return E_INVALIDARG;
    const RCPtr<LControl> self(this);
    OnRightClickHook(param);
    SendInputNotification(NID_RIGHT_CLICK, ConstRCPtr<LRefCountedObject>(param.Get()));
    const RCPtr<LMenuDescriptor>& menu = GetContextMenuRef();
    if (menu)
        ShowPopupMenu(menu);
    return S_OK;
}

} // namespace KX
