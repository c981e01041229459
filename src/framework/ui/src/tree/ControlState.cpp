// Setters, invalidation and the operations whose full behaviour comes with the input, focus and
// descriptor handling of the control.
#include "kx/ui/Control.h"

#include <cmath>

namespace KX {

KXRESULT LControl::Invalidate(const RectT<double>& rect, bool clip)
{
    const PointT<double> origin = GetOriginInRootWindow();
    return InvalidateFromChild(RectT<double>{rect.x + origin.x, rect.y + origin.y, rect.width, rect.height}, clip,
                               rect);
}

KXRESULT LControl::InvalidateFromChild(const RectT<double>& root, bool clip, RectT<double> own)
{
    if (!m_layout || !m_layout->visible || !(m_size.x > 0.0) || !(m_size.y > 0.0))
        return S_FALSE;
    bool clipped = false;
    if (clip && m_layout->clipToParent) {
        if (!IntersectRects(own, GetParentRectLocal(), own))
            return S_FALSE;
        clipped = true;
    }
    if (m_parent) {
        const PointT<double> look = m_parent->LookOrigin();
        own.x += m_position.x - m_parent->m_scroll.x + look.x;
        own.y += m_position.y - m_parent->m_scroll.y + look.y;
        return m_parent->InvalidateFromChild(root, clip, own);
    }
    if (!m_ownerWindow)
        return S_OK;
    RectT<double> out = root;
    if (clipped) {
        // own is in this control's coordinates; the top-level control sits at its position.
        const RectT<double> ownInRoot{own.x + m_position.x, own.y + m_position.y, own.width, own.height};
        if (!IntersectRects(out, ownInRoot, out))
            return S_FALSE;
    }
    const RectT<int32_t> r = RoundRectToLong(out);
    const int64_t right = static_cast<int64_t>(r.x) + r.width, bottom = static_cast<int64_t>(r.y) + r.height;
    m_ownerWindow->InvalidateRect(RectT<int32_t>{r.x, r.y, static_cast<int32_t>(std::min<int64_t>(right, INT32_MAX)),
                                                 static_cast<int32_t>(std::min<int64_t>(bottom, INT32_MAX))});
    return S_OK;
}

void LControl::InvalidateBoundsChange(PointT<double>, PointT<double>) {}
void LControl::AddInvalidRect(const RCPtr<LControl>&) {}

void LControl::GetScrollRange(RectT<double>& out, const RCPtr<LControl>&)
{
    out = RectT<double>{0, 0, kMaxGeometryValue, kMaxGeometryValue};
}

KXRESULT LControl::SetDragMode(int32_t mode, uint32_t axes)
{
    m_dragMode = mode;
    m_dragAxes = axes;
    return S_OK;
}

KXRESULT LControl::OnParentResized(PointT<double>, PointT<double>)
{
    if (m_layout && (m_layout->IsXDocked() || m_layout->IsYDocked()))
        PerformLayout();
    return S_OK;
}

KXRESULT LControl::OnChildChanged(const RCPtr<LControl>& child)
{
    if (!m_layoutSuspended)
        PerformLayout();
    AddInvalidRect(child);
    return S_OK;
}

KXRESULT LControl::OnResize(int32_t, int32_t)
{
    return Relayout();
}

} // namespace KX
