// Dragging a control: moving and dropping it, moving or resizing it inside its parent, panning its
// content with a throw, the auto-scroll of the container near its edges, and the idle steps.
#include "kx/RenderHost.h"
#include "kx/ui/Control.h"
#include "kx/ui/RootWindow.h"

#include <algorithm>
#include <cmath>

namespace KX {

namespace {
constexpr double kEdgeMargin = 30.0;

double NowSeconds()
{
    return static_cast<double>(GetTickTime()) / 1000.0;
}

RCPtr<IRootWindow> WindowOf(LControl& c)
{
    RCPtr<LControl> top = c.GetTopLevelControl();
    return top ? top->GetTopLevelOwnerSlot() : RCPtr<IRootWindow>();
}

void SetNamedCursor(LControl& c, const char16_t* name)
{
    IRootWindowHost* host = GetRootWindowHost();
    if (RCPtr<IRootWindow> window = WindowOf(c))
        window->SetCursor(host ? host->GetApplicationCursor(WString(name)) : 0);
}

void PlaceAxis(LLayoutDescriptor& layout, int32_t axis, double position, const double* size, int docked = -1)
{
    AxisPlacement p;
    SizeSpec s;
    layout.GetAxisPlacement(axis, p, s);
    p.absolute = position;
    if (docked >= 0)
        p.docked = static_cast<uint8_t>(docked);
    if (size)
        s.absolute = *size;
    layout.SetAxisPlacement(axis, p, s);
}
} // namespace

void LControl::OnDragBegin()
{
    const PointT<double> parentScroll = m_parent ? m_parent->m_scroll : PointT<double>{};
    if (m_leftDrag) {
        m_dragBeginGeometry[0] = m_size.x;
        m_dragBeginGeometry[1] = m_size.y;
        m_parentScrollAtDragBegin = parentScroll;
    }
    if (!m_layout)
        return;
    if (m_dragMode == DragMode::kDropMove) {
        m_dropTarget = nullptr;
        m_wasUnclippedBeforeDrag = m_layout->clipToParent ? 0 : 1;
        SetClipToParent(false);
        m_xDockedBeforeDrag = m_layout->IsXDocked() ? 1 : 0;
        if (!m_xDockedBeforeDrag)
            PlaceAxis(*m_layout, 0, m_position.x - parentScroll.x, nullptr, 1);
        m_yDockedBeforeDrag = m_layout->IsYDocked() ? 1 : 0;
        if (!m_yDockedBeforeDrag)
            PlaceAxis(*m_layout, 1, m_position.y - parentScroll.y, nullptr, 1);
    }
    m_dragBeginGeometry[2] = m_layout->Position(0).absolute;
    m_dragBeginGeometry[3] = m_layout->Position(1).absolute;
    m_dragBeginGeometry[4] = m_layout->Size(0).absolute;
    m_dragBeginGeometry[5] = m_layout->Size(1).absolute;
}

void LControl::SaveGeometry()
{
    m_pressPoint.x += m_lastDragDelta.x;
    m_pressPoint.y += m_lastDragDelta.y;
    m_dragBeginGeometry[0] = m_size.x;
    m_dragBeginGeometry[1] = m_size.y;
    if (m_parent)
        m_parentScrollAtDragBegin = m_parent->m_scroll;
    if (m_layout) {
        m_dragBeginGeometry[2] = m_layout->Position(0).absolute;
        m_dragBeginGeometry[3] = m_layout->Position(1).absolute;
        m_dragBeginGeometry[4] = m_layout->Size(0).absolute;
        m_dragBeginGeometry[5] = m_layout->Size(1).absolute;
    }
}

void LControl::OnDragEnd()
{
    const RCPtr<LControl> self(this);
    if (m_dragMode != DragMode::kDropMove) {
        if (RCPtr<LControl> parent = m_parent) {
            parent->StopAxisAnimation(0);
            parent->StopAxisAnimation(1);
        }
        return;
    }
    SetNamedCursor(*this, u"UI_CURSOR_ARROW");
    if (!m_wasUnclippedBeforeDrag)
        SetClipToParent(true);
    if (m_layout) {
        const PointT<double> parentScroll = m_parent ? m_parent->m_scroll : PointT<double>{};
        if (!m_xDockedBeforeDrag)
            PlaceAxis(*m_layout, 0, m_layout->Position(0).absolute + parentScroll.x, nullptr, 0);
        if (!m_yDockedBeforeDrag)
            PlaceAxis(*m_layout, 1, m_layout->Position(1).absolute + parentScroll.y, nullptr, 0);
        PerformLayout();
    }
    if (RCPtr<LControl> target = m_dropTarget) {
        target->StopAxisAnimation(0);
        target->StopAxisAnimation(1);
        target->OnDrop(self);
        target->OnDragLeave(self);
        m_dropTarget = nullptr;
    }
}

// The steps of one move of a drag, over the control's state; they gather the auto-scroll
// overshoot per edge for the container.
struct LControl::DragMove {
    LControl& c;
    const RCPtr<LControl>& self;
    PointT<double> point;   // the pointer in the control
    PointT<double> pointer; // the pointer in the root window
    PointT<double> raw;     // the move since the press
    PointT<double> delta;   // the move as limited
    PointT<double> parentScroll;
    RCPtr<LControl> container;
    // Overshoot past the auto-scroll margin per edge: left, right, top, bottom.
    double overshoot[4] = {};
    bool counts[4] = {};

    DragMove(LControl& control, const RCPtr<LControl>& held, PointT<double> at)
        : c(control), self(held), point(at), container(control.m_parent)
    {
        const PointT<double> origin = c.GetOriginInRootWindow();
        pointer = {point.x + origin.x, point.y + origin.y};
        raw = {c.m_position.x + point.x - c.m_pressPoint.x, c.m_position.y + point.y - c.m_pressPoint.y};
        delta = raw;
        parentScroll = c.m_parent ? c.m_parent->m_scroll : PointT<double>{};
    }

    // Keeps the move inside the parent's visible client area (and a resized control at least a
    // pixel wide and high); near the parent's edges, how far past them for the auto-scroll.
    void LimitToParent()
    {
        LControl& parent = *c.m_parent;
        const RectT<double> client = parent.GetClientRect();
        const RectT<double> visible{client.x + parentScroll.x, client.y + parentScroll.y, client.width, client.height};
        RectT<double> limit = visible;
        parent.LimitDragRect(limit);
        delta.x = std::max(limit.x - c.m_pressPoint.x, std::min(delta.x, limit.x + limit.width - c.m_pressPoint.x));
        delta.y = std::max(limit.y - c.m_pressPoint.y, std::min(delta.y, limit.y + limit.height - c.m_pressPoint.y));
        if (c.m_dragMode >= DragMode::kResize) {
            if (c.m_dragAxes & DragAxis::kLeftEdge)
                delta.x = std::min(delta.x, c.m_dragBeginGeometry[0] - 1.0);
            if (c.m_dragAxes & DragAxis::kRightEdge)
                delta.x = std::max(delta.x, 1.0 - c.m_dragBeginGeometry[0]);
            if (c.m_dragAxes & DragAxis::kTopEdge)
                delta.y = std::min(delta.y, c.m_dragBeginGeometry[1] - 1.0);
            if (c.m_dragAxes & DragAxis::kBottomEdge)
                delta.y = std::max(delta.y, 1.0 - c.m_dragBeginGeometry[1]);
        }
        if (c.m_dragMode == DragMode::kMoveScroll || c.m_dragMode == DragMode::kResizeScroll)
            MeasureParentOvershoot(client, visible, limit);
        c.m_lastDragDelta = delta;
    }

    void MeasureParentOvershoot(const RectT<double>& client, const RectT<double>& visible, const RectT<double>& limit)
    {
        PointT<double> p = point;
        c.m_parent->MapPointFromControl(c, p);
        const double clientPos[2] = {client.x, client.y}, clientLen[2] = {client.width, client.height};
        const double limitPos[2] = {limit.x, limit.y}, limitLen[2] = {limit.width, limit.height};
        const double visiblePos[2] = {visible.x, visible.y};
        const double scroll[2] = {parentScroll.x, parentScroll.y}, mapped[2] = {p.x, p.y};
        const double press[2] = {c.m_pressPoint.x, c.m_pressPoint.y}, rawD[2] = {raw.x, raw.y};
        const bool clamped[2] = {delta.x != raw.x, delta.y != raw.y};
        const uint32_t axisBits[2] = {DragAxis::kX | DragAxis::kRightEdge | DragAxis::kLeftEdge,
                                      DragAxis::kY | DragAxis::kTopEdge | DragAxis::kBottomEdge};
        for (int i = 0; i < 2; ++i) {
            const double nearMargin =
                std::clamp(kEdgeMargin - std::trunc(std::trunc(clientPos[i]) - limitPos[i]), 0.0, kEdgeMargin);
            const double farMargin = std::clamp(kEdgeMargin + std::trunc(clientPos[i] + clientLen[i]) -
                                                    std::trunc(limitPos[i] + limitLen[i]),
                                                0.0, kEdgeMargin);
            const double at = press[i] + rawD[i];
            const double nearSide = visiblePos[i], farSide = visiblePos[i] + clientLen[i];
            const bool live = (c.m_dragAxes & axisBits[i]) != 0 && !clamped[i];
            if (scroll[i] + mapped[i] <= clientPos[i] + clientLen[i] * 0.5) {
                if (at <= nearSide + nearMargin) {
                    overshoot[2 * i] = nearSide + nearMargin - at;
                    counts[2 * i] = live;
                }
            } else if (at >= farSide - farMargin) {
                overshoot[2 * i + 1] = at - (farSide - farMargin);
                counts[2 * i + 1] = live;
            }
        }
    }

    // Moves the control, or the edges the axes name, by the move.
    void PlaceOrResize()
    {
        LLayoutDescriptor& layout = *c.m_layout;
        const double shiftX = layout.IsXDocked() ? parentScroll.x - c.m_parentScrollAtDragBegin.x : 0.0;
        const double shiftY = layout.IsYDocked() ? parentScroll.y - c.m_parentScrollAtDragBegin.y : 0.0;
        const double x = c.m_dragBeginGeometry[2] + delta.x - shiftX, y = c.m_dragBeginGeometry[3] + delta.y - shiftY;
        const uint32_t axes = c.m_dragAxes;
        if (c.m_dragMode <= DragMode::kMoveScroll) {
            if (axes & DragAxis::kX)
                PlaceAxis(layout, 0, x, nullptr);
            if (axes & DragAxis::kY)
                PlaceAxis(layout, 1, y, nullptr);
        } else {
            if (axes & DragAxis::kLeftEdge && !(axes & DragAxis::kRightEdge)) {
                const double w = c.m_dragBeginGeometry[4] - delta.x;
                PlaceAxis(layout, 0, x, &w);
            } else if (axes & DragAxis::kRightEdge) {
                const double w = c.m_dragBeginGeometry[4] + delta.x;
                PlaceAxis(layout, 0, layout.Position(0).absolute, &w);
            }
            if (axes & DragAxis::kTopEdge && !(axes & DragAxis::kBottomEdge)) {
                const double h = c.m_dragBeginGeometry[5] - delta.y;
                PlaceAxis(layout, 1, y, &h);
            } else if (axes & DragAxis::kBottomEdge) {
                const double h = c.m_dragBeginGeometry[5] + delta.y;
                PlaceAxis(layout, 1, layout.Position(1).absolute, &h);
            }
        }
        c.PerformLayout();
    }

    // Pans the content against the move and keeps the throw's velocity.
    void Pan()
    {
        const double dt = static_cast<double>(c.m_moveTime - c.m_previousMoveTime) / 1000.0;
        // The content's own range bounds the pan, as it bounds the throw.
        RectT<double> range;
        c.GetScrollRange(range, self);
        PointT<double> offset = c.m_scroll;
        const double last[2] = {c.m_lastDragDelta.x, c.m_lastDragDelta.y}, now[2] = {delta.x, delta.y};
        const double low[2] = {range.x, range.y}, high[2] = {range.x + range.width, range.y + range.height};
        double* target[2] = {&offset.x, &offset.y};
        for (int i = 0; i < 2; ++i) {
            const double d = last[i] - now[i];
            if (dt > 0.0)
                c.m_throwVelocity[i] =
                    (c.m_throwVelocity[i] == 0.0 || dt >= 0.2) ? d / dt : 0.5 * d / dt + 0.5 * c.m_throwVelocity[i];
            const bool enabled =
                c.m_dragAxes == DragAxis::kBoth || c.m_dragAxes == (i == 0 ? DragAxis::kX : DragAxis::kY);
            if (enabled && d != 0.0)
                *target[i] = std::clamp(*target[i] + d, low[i], std::max(low[i], high[i]));
        }
        if (offset != c.m_scroll)
            c.SetScrollOffset(offset);
        c.m_lastDragDelta = delta;
    }

    // The control under the pointer that accepts the dragged one; each answer hands the question
    // on, and a ring of answers is cut off.
    RCPtr<LControl> FindDropTarget()
    {
        const RCPtr<IRootWindow> window = WindowOf(c);
        RCPtr<LControl> found;
        if (window) {
            c.m_hitTransparent = 1;
            found = window->HitTest(RoundPointToLong(pointer), true, false);
            c.m_hitTransparent = 0;
        }
        PointT<double> at = pointer;
        for (int hops = 0; found && hops < 64; ++hops) {
            RCPtr<LControl> accepting = found->FindAcceptingControl(self, at);
            if (!accepting || accepting == found)
                return accepting;
            accepting->MapPointFromControl(*found, at);
            found = accepting;
        }
        return found;
    }

    // Tells the targets the drag enters, crosses and leaves, and sets the cursor.
    void TrackDropTarget()
    {
        const RCPtr<LControl> found = FindDropTarget();
        if (found == c.m_dropTarget) {
            if (found)
                found->OnDragOver(self, pointer);
        } else {
            if (RCPtr<LControl> old = c.m_dropTarget) {
                old->StopAxisAnimation(0);
                old->StopAxisAnimation(1);
                old->OnDragLeave(self);
            }
            c.m_dropTarget = found;
            if (found) {
                SetNamedCursor(c, u"UI_CURSOR_DROP_MOVE");
                found->OnDragEnter(self);
                found->OnDragOver(self, pointer);
            } else {
                SetNamedCursor(c, u"UI_CURSOR_NO_DROP");
            }
        }
        if (RCPtr<LControl> target = c.m_dropTarget) {
            container = target;
            MeasureTargetOvershoot(*target);
        }
    }

    // How far the pointer is past the target's auto-scroll margins, at the edges it scrolls at.
    void MeasureTargetOvershoot(LControl& target)
    {
        const uint32_t edges = target.GetAutoScrollEdges(self);
        if (edges == 0)
            return;
        const PointT<double> look = target.LookOrigin();
        const PointT<double> tOrigin = target.GetOriginInRootWindow();
        const double px = pointer.x - tOrigin.x - look.x + target.m_scroll.x;
        const double py = pointer.y - tOrigin.y - look.y + target.m_scroll.y;
        const RectT<double> r = target.GetLookRect(-1);
        const double left = r.x + target.m_scroll.x, right = left + r.width;
        const double top = r.y + target.m_scroll.y, bottom = top + r.height;
        if (px < left + kEdgeMargin) {
            overshoot[0] = left + kEdgeMargin - px;
            counts[0] = (edges & DragAxis::kLeftEdge) != 0;
        } else if (px > right - kEdgeMargin) {
            overshoot[1] = px - (right - kEdgeMargin);
            counts[1] = (edges & DragAxis::kRightEdge) != 0;
        }
        if (py < top + kEdgeMargin) {
            overshoot[2] = top + kEdgeMargin - py;
            counts[2] = (edges & DragAxis::kTopEdge) != 0;
        } else if (py > bottom - kEdgeMargin) {
            overshoot[3] = py - (bottom - kEdgeMargin);
            counts[3] = (edges & DragAxis::kBottomEdge) != 0;
        }
    }

    // Scrolls the container on each axis the pointer went past a margin of, faster the further.
    void AutoScrollContainer()
    {
        const bool any = counts[0] || counts[1] || counts[2] || counts[3];
        RectT<double> range;
        if (any)
            container->GetScrollRange(range, self);
        const double low[2] = {range.x, range.y}, high[2] = {range.x + range.width, range.y + range.height};
        for (int i = 0; i < 2; ++i) {
            double speed = 0.0;
            if (counts[2 * i])
                speed = -(overshoot[2 * i] + 1.0) * 15.0;
            else if (counts[2 * i + 1])
                speed = (overshoot[2 * i + 1] + 1.0) * 15.0;
            if (speed != 0.0)
                container->StartAxisAnimation(i, speed, high[i], low[i], self);
            else
                container->StopAxisAnimation(i);
        }
    }
};

void LControl::OnDragMove(const RCPtr<LPointWithModifiersParam>& param)
{
    if (!param || !m_layout)
        return;
    const RCPtr<LControl> self(this);
    m_inDragMove = 1;
    DragMove move(*this, self, LongPointToDoublePoint(param->GetPoint()));
    if (m_dragMode >= DragMode::kMove && m_dragMode <= DragMode::kResizeScroll && m_parent)
        move.LimitToParent();
    if (m_dragMode >= DragMode::kDropMove && m_dragMode <= DragMode::kResizeScroll)
        move.PlaceOrResize();
    if (m_dragMode >= DragMode::kPan)
        move.Pan();
    if (m_dragMode == DragMode::kDropMove)
        move.TrackDropTarget();
    if (move.container)
        move.AutoScrollContainer();
    OnDragStep(param);
    m_inDragMove = 0;
}

KXRESULT LControl::OnIdle(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>&)
{
    const RCPtr<LControl> self(this);
    for (int32_t i = 0; i < 2; ++i) {
        if (!m_animating[i])
            continue;
        const double now = NowSeconds();
        const double elapsed = now - m_stepTime[i];
        const double step = std::round(m_speed[i] * elapsed);
        m_stepTime[i] = now;
        if (step != 0.0) {
            PointT<double> offset = m_scroll;
            double& axis = i == 0 ? offset.x : offset.y;
            axis = std::clamp(axis + step, m_lowestOffset[i], std::max(m_lowestOffset[i], m_highestOffset[i]));
            SetScrollOffset(offset);
            if (RCPtr<LControl> dragged = m_animationDragged[i]) {
                if (auto* root = dynamic_cast<LRootWindow*>(WindowOf(*dragged).Get())) {
                    const PointT<int32_t> cursor = root->GetCursorPos();
                    const PointT<int32_t> at = RoundPointToLong(dragged->GetOriginInRootWindow());
                    dragged->OnDragMove(LPointWithModifiersParam::Create(
                        PointT<int32_t>{cursor.x - at.x, cursor.y - at.y}, root->GetModifierState()));
                }
            }
        }
        if (m_animating[i] && m_throwRunning[i] && GetTickTime() - m_releaseTime > 1000) {
            const double reduce = std::round(m_throwDeceleration * elapsed);
            const double left = std::fabs(m_speed[i]) - reduce;
            if (left <= 0.0)
                StopAxisAnimation(i);
            else
                m_speed[i] = m_speed[i] < 0.0 ? -left : left;
        }
    }
    // Children removed with RemoveChildDeferred leave now; the control itself stays.
    FlushPendingChildren();
    OnIdleHook();
    return S_OK;
}

} // namespace KX
