// The root window's invalid region, its frame painting in Z order with the unclipped pass, and
// its client size.
#include "kx/ui/RootWindow.h"

#include "kx/ui/ControlGeometry.h"
#include "kx/ui/ControlHost.h"
#include "kx/ui/LayoutPasses.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace KX {

namespace {
int32_t ZOrderOf(const LControl& control)
{
    const RCPtr<LLayoutDescriptor>& layout = control.GetLayout();
    return layout ? layout->zOrder : 0;
}

// Where a control's children are drawn from, in root coordinates: its origin, the corner of its
// current look, less its scroll offset.
PointT<double> ClientOriginInRoot(const LControl& parent)
{
    const PointT<int32_t> origin = RoundPointToLong(parent.GetOriginInRootWindow());
    PointT<double> result{static_cast<double>(origin.x), static_cast<double>(origin.y)};
    if (const RCPtr<IControlLook>& look = parent.GetLookAt(-1)) {
        const RectT<int32_t> r = look->GetRect();
        result.x += r.x;
        result.y += r.y;
    }
    const PointT<double> scroll = parent.GetScrollOffset();
    result.x -= scroll.x;
    result.y -= scroll.y;
    return result;
}
} // namespace

void LRootWindow::InvalidateRect(const RectT<int32_t>& ltrb)
{
    const int64_t width = static_cast<int64_t>(ltrb.width) - ltrb.x;
    const int64_t height = static_cast<int64_t>(ltrb.height) - ltrb.y;
    if (width < 1 || height < 1)
        return;
    InvalidateArea(RectT<int32_t>{ltrb.x, ltrb.y, static_cast<int32_t>(std::min<int64_t>(width, INT32_MAX)),
                                  static_cast<int32_t>(std::min<int64_t>(height, INT32_MAX))});
}

void LRootWindow::InvalidateArea(const RectT<int32_t>& rect)
{
    // 64-bit edges: a rectangle near the 32-bit limits must not wrap into the client area.
    const int64_t left = std::max<int64_t>(rect.x, 0);
    const int64_t top = std::max<int64_t>(rect.y, 0);
    const int64_t right = std::min<int64_t>(static_cast<int64_t>(rect.x) + rect.width, m_client.width);
    const int64_t bottom = std::min<int64_t>(static_cast<int64_t>(rect.y) + rect.height, m_client.height);
    if (right - left < 1 || bottom - top < 1)
        return;
    m_invalid.AddRect(static_cast<int32_t>(left), static_cast<int32_t>(top), static_cast<int32_t>(right),
                      static_cast<int32_t>(bottom));
    if (m_services)
        m_services->InvalidateRect(static_cast<int32_t>(left), static_cast<int32_t>(top),
                                   static_cast<int32_t>(right - left), static_cast<int32_t>(bottom - top));
}

void LRootWindow::TakeInvalidRegion(LRegion& out)
{
    if (m_fullRepaint) {
        const RectT<int32_t> client = GetClientRect();
        InvalidateArea(RectT<int32_t>{0, 0, client.width, client.height});
        m_fullRepaint = false;
    }
    m_invalid.Optimize();
    out.Clear();
    out.AddRegion(m_invalid);
    m_invalid.Clear();
}

void LRootWindow::Paint(const LRegion& region)
{
    if (!m_main || region.IsEmpty() || !m_renderer)
        return;
    LRenderContextInfo* context = m_renderer->GetCurrentContext();
    if (!context || !context->CanDrawNow()) {
        if (m_services)
            m_services->InvalidateAll();
        return;
    }
    int32_t left = 0, top = 0, right = 0, bottom = 0;
    region.GetBounds(left, top, right, bottom);
    const PointT<double> position = m_main->GetPosition();
    const PointT<double> size = m_main->GetSize();
    RectT<double> clip;
    if (!IntersectRects(RectT<double>{position.x, position.y, size.x, size.y},
                        RectT<double>{static_cast<double>(left), static_cast<double>(top),
                                      static_cast<double>(right) - left, static_cast<double>(bottom) - top},
                        clip))
        return;
    CAutoClip scope(m_renderer);
    MoveState(*context, PointT<double>{}, clip);
    PaintControl(m_main, region, false);
}

void LRootWindow::MoveState(LRenderContextInfo& context, PointT<double> origin, const RectT<double>& clip)
{
    // Through the renderer, which keeps its own transform and clip in step with the state.
    const RenderState& state = context.GetCurrentState();
    m_renderer->OffsetOrigin(PointT<double>{origin.x - state.originX, origin.y - state.originY});
    m_renderer->SetClipRect(clip);
}

void LRootWindow::PaintControl(const RCPtr<LControl>& control, const LRegion& region, bool unclippedPass)
{
    // One list per nesting level, kept across frames.
    if (m_unclippedLists.size() <= m_paintDepth)
        m_unclippedLists.push_back(std::make_unique<RCPtrArray<LControl>>());
    RCPtrArray<LControl>& list = *m_unclippedLists[m_paintDepth];
    list.RemoveAll();
    control->Draw(m_renderer, region, list, unclippedPass);
    const uint32_t count = list.GetCount();
    if (count == 0)
        return;
    std::vector<std::pair<uint32_t, int32_t>> order;
    order.reserve(count);
    for (uint32_t i = 0; i < count; ++i)
        order.emplace_back(i, ZOrderOf(*list.GetData()[i]));
    std::stable_sort(order.begin(), order.end(), [](const auto& a, const auto& b) { return a.second < b.second; });
    // The children, held apart from the list that the nested passes reuse.
    std::vector<RCPtr<LControl>> children;
    children.reserve(count);
    for (const auto& entry : order)
        children.push_back(list.GetData()[entry.first]);
    list.RemoveAll();
    ++m_paintDepth;
    for (const RCPtr<LControl>& child : children) {
        const RCPtr<LControl>& parent = child->GetParent();
        const PointT<double> origin = parent ? ClientOriginInRoot(*parent) : PointT<double>{};
        LRenderContextInfo* context = m_renderer->GetCurrentContext();
        if (!context)
            break;
        CAutoClip scope(m_renderer);
        const PointT<double> position = child->GetPosition();
        const PointT<double> size = child->GetSize();
        MoveState(*context, origin, RectT<double>{position.x, position.y, size.x, size.y});
        PaintControl(child, region, true);
    }
    --m_paintDepth;
}

void LRootWindow::OnSize(PointT<int32_t> size)
{
    m_client.width = size.x;
    m_client.height = size.y;
    if (RCPtr<LControl> main = m_main)
        main->OnResize(size.x, size.y);
}

bool LRootWindow::ConstrainClientSize(PointT<int32_t>& size)
{
    const PointT<int32_t> proposed = size;
    if (RCPtr<LControl> main = m_main) {
        if (const RCPtr<LLayoutDescriptor>& layout = main->GetLayout()) {
            IControlHost* host = GetControlHost();
            RectT<double> area =
                LongRectToDoubleRect(host ? host->GetScreenArea() : RectT<int32_t>{0, 0, proposed.x, proposed.y});
            const PointT<int32_t> screenOrigin = GetClientOriginOnScreen();
            area.x = -static_cast<double>(screenOrigin.x);
            area.y = -static_cast<double>(screenOrigin.y);
            const PointT<int32_t> cursor = GetCursorPos();
            RectT<double> placed;
            if (Succeeded(ComputeControlPlacement(
                    layout.Get(), nullptr, area,
                    PointT<double>{static_cast<double>(size.x), static_cast<double>(size.y)},
                    PointT<double>{static_cast<double>(cursor.x), static_cast<double>(cursor.y)}, placed))) {
                SnapRectToPixels(placed);
                PointT<double> position{placed.x, placed.y};
                PointT<double> extent{placed.width, placed.height};
                ApplyMinimumSize(*main, position, extent);
                ApplyMaximumSize(*main, position, extent);
                RectT<double> snapped{position.x, position.y, extent.x, extent.y};
                SnapRectToPixels(snapped);
                size = RoundPointToLong(PointT<double>{snapped.width, snapped.height});
            }
        }
    }
    size.x = std::max(size.x, 1);
    size.y = std::max(size.y, 1);
    return size.x != proposed.x || size.y != proposed.y;
}

} // namespace KX
