// The tool tip: delay, display time, quick follow-up and placement below the pointer.
#include "kx/controls/ToolTip.h"

#include "kx/ui/ControlHost.h"
#include "kx/ui/RootWindow.h"

#include <cmath>

namespace KX {

uint32_t LToolTip::s_lastTipHiddenTick = 0;

namespace {
LRootWindow* RootWindowOf(LControl& control)
{
    const RCPtr<LControl> top = control.GetTopLevelControl();
    LControl& topmost = top ? *top : control;
    return dynamic_cast<LRootWindow*>(topmost.GetTopLevelOwnerSlot().Get());
}

int32_t RoundHalfAway(double value)
{
    if (!(value == value))
        return 0;
    return static_cast<int32_t>(value < 0.0 ? std::ceil(value - 0.5) : std::floor(value + 0.5));
}
} // namespace

LToolTip::LToolTip(const RCPtr<LControl>& parent, const WString& name) : LControl(parent, name) {}

KXRESULT LToolTip::ReadCreateParams()
{
    SetNotFocusable(true);
    return S_OK;
}

KXRESULT LToolTip::PostInitialize()
{
    SetVisible(false);
    return S_OK;
}

KXRESULT LToolTip::ShowForControl(const RCPtr<LControl>&)
{
    const RCPtr<LToolTip> self(this);
    if (LRootWindow* root = RootWindowOf(*this)) {
        const RectT<int32_t> client = root->GetClientRect();
        if (const RCPtr<LLayoutDescriptor>& layout = GetLayout()) {
            SizeLimit maximum = layout->MaxSize(0);
            maximum.toControl = 0;
            maximum.controlName = WString();
            maximum.absolute = static_cast<double>(client.width - kWindowMargin);
            SetAxisSizeLimits(0, layout->MinSize(0), maximum);
        }
    }
    const uint32_t now = GetAppTickTime();
    const bool subscribed = m_tipState != kHidden;
    m_stateTick = now;
    if (now - s_lastTipHiddenTick < kQuickFollow)
        ShowNow();
    else
        m_tipState = kWaiting;
    if (!subscribed)
        SubscribeIdle();
    return S_OK;
}

void LToolTip::ShowNow()
{
    m_tipState = kShown;
    PlaceNearPointer();
    SetVisible(true);
}

void LToolTip::OnIdleHook()
{
    const uint32_t now = GetAppTickTime();
    if (m_tipState == kWaiting && now - m_stateTick > kShowDelay) {
        m_stateTick = now;
        ShowNow();
    } else if (m_tipState == kShown && now - m_stateTick > kShowTime) {
        Hide();
    }
}

void LToolTip::Hide()
{
    const RCPtr<LToolTip> self(this);
    if (m_tipState != kHidden) {
        m_tipState = kHidden;
        UnsubscribeIdle();
    }
    // Only a tip that was on the screen starts the quick follow-up.
    const RCPtr<LLayoutDescriptor>& layout = GetLayout();
    if (layout && layout->visible && GetSize().x > 0.0 && GetSize().y > 0.0)
        s_lastTipHiddenTick = GetAppTickTime();
    if (RCPtr<LControl> parent = GetParent())
        parent->RemoveChildDeferred(RCPtr<LControl>(this));
}

void LToolTip::PlaceNearPointer()
{
    LRootWindow* root = RootWindowOf(*this);
    const RCPtr<LLayoutDescriptor> layout = GetLayout();
    if (!root || !layout)
        return;
    const RCPtr<LRootWindow> hold(root);
    const PointT<int32_t> pointer = root->GetCursorPos();
    const RectT<int32_t> client = root->GetClientRect();
    const double limit[2] = {static_cast<double>(client.width), static_cast<double>(client.height)};
    for (int32_t axis = 0; axis < 2; ++axis) {
        // Measured each time: the x placement may have changed how the text wraps.
        const double size = RoundHalfAway(axis == 0 ? GetSize().x : GetSize().y);
        double pos = axis == 0 ? pointer.x : pointer.y + kPointerOffset;
        if (pos + size > limit[axis])
            pos = limit[axis] - size;
        if (pos < 0.0)
            pos = 0.0;
        // Placed against the parent's origin, then corrected by where that puts it in the window
        // (the parent's client area and scroll offset lie in between).
        const RCPtr<LControl> parent = GetParent();
        const PointT<double> parentOrigin = parent ? parent->GetOriginInRootWindow() : PointT<double>{};
        AxisPlacement position = layout->Position(axis);
        const SizeSpec extent = layout->Size(axis);
        position.relative = 0.0f;
        position.absolute = pos - RoundHalfAway(axis == 0 ? parentOrigin.x : parentOrigin.y);
        SetAxisPlacement(axis, position, extent);
        const PointT<double> origin = GetOriginInRootWindow();
        const double at = RoundHalfAway(axis == 0 ? origin.x : origin.y);
        if (at != pos) {
            position.absolute += pos - at;
            SetAxisPlacement(axis, position, extent);
        }
    }
}

} // namespace KX
