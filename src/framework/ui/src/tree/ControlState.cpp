// Setters, invalidation and the operations whose full behaviour comes with the input, focus and
// descriptor handling of the control.
#include "kx/ui/Control.h"

#include <cmath>

namespace KX {

KXRESULT LControl::SetText(const WString& text)
{
    // Relayout on a new text comes with the full setter.
    return ApplyText(text, false);
}

double LControl::SetNormalizedValue(double value)
{
    if (std::isnan(value))
        return m_value; // never stored
    const double t = std::clamp(value, 0.0, 1.0);
    if (t == m_value)
        return m_value;
    m_value = t;
    OnValueChanged();
    RCPtr<LNotification> n;
    LNotification::Create(n, u"NID_VALUE_CHANGE", LValueParam::Create(t, NormalizedToValue(t)));
    if (n)
        SendNotification(n);
    return m_value;
}

const PointT<double>& LControl::SetScrollOffset(PointT<double> offset)
{
    RoundPointInPlace(offset);
    if (offset == m_scroll)
        return m_scroll;
    const PointT<double> old = m_scroll;
    m_scroll = offset;
    for (uint32_t i = 0; i < m_children.GetCount(); ++i)
        RCPtr<LControl>(m_children.GetAt(i, kOrderInsertion))->OnParentResized(old, offset);
    Invalidate(RectT<double>{0, 0, m_size.x, m_size.y}, m_layout ? m_layout->clipToParent : true);
    InvalidateBoundsChange(old, offset);
    return m_scroll;
}

KXRESULT LControl::SetBounds(PointT<double> position, PointT<double> size)
{
    if (position == m_position && size == m_size)
        return S_FALSE;
    CaptureLookBounds();
    const bool clip = m_layout ? m_layout->clipToParent : true;
    Invalidate(RectT<double>{0, 0, m_size.x, m_size.y}, clip);
    const bool sizeChanged =
        !(std::fabs(size.x - m_size.x) < 2.220446049250313e-15 && std::fabs(size.y - m_size.y) < 2.220446049250313e-15);
    m_position = position;
    m_size = size;
    if (sizeChanged) {
        const PointT<int32_t> lookSize = RoundSizeToLong(m_size);
        for (uint32_t i = 0; i < m_looks.GetCount(); ++i)
            if (const RCPtr<IControlLook>& look = m_looks.GetData()[i])
                look->SetSize(lookSize.x, lookSize.y);
    }
    if (sizeChanged && !m_rebuildingChildren) {
        m_rebuildingChildren = 1;
        const PointT<int32_t> whole = RoundSizeToLong(m_size);
        for (uint32_t i = 0; i < m_children.GetCount(); ++i)
            RCPtr<LControl>(m_children.GetAt(i, kOrderInsertion))->OnResize(whole.x, whole.y);
        m_rebuildingChildren = 0;
    }
    // Sibling relayout, look sizes and focus moves come with the full bounds setter.
    if (m_parent)
        m_parent->OnChildChanged(RCPtr<LControl>(this));
    Invalidate(RectT<double>{0, 0, m_size.x, m_size.y}, clip);
    CheckTrackedBoundsChanged();
    return S_OK;
}

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

void LControl::SetNotFocusable(bool notFocusable)
{
    const bool signAgrees = m_layout ? ((m_layout->tabStop < 0) == notFocusable) : true;
    if ((m_notFocusable != 0) == notFocusable && signAgrees)
        return;
    m_notFocusable = notFocusable ? 1 : 0;
    if (m_layout && !signAgrees)
        m_layout->tabStop = m_layout->tabStop == 0 ? -1 : -m_layout->tabStop;
    if (m_parent)
        m_parent->m_children.Touch();
    // Moving the focus on a change comes with the focus model.
}

void LControl::SetVisible(bool visible)
{
    if (!m_layout || m_layout->visible == visible)
        return;
    // Focus moves and condition updates come with the focus model.
    if (!visible)
        Invalidate(RectT<double>{0, 0, m_size.x, m_size.y}, m_layout->clipToParent);
    m_layout->visible = visible;
    if (visible)
        Invalidate(RectT<double>{0, 0, m_size.x, m_size.y}, m_layout->clipToParent);
}

void LControl::SetEnabled(bool enabled)
{
    if (!m_layout || m_layout->enabled == enabled)
        return;
    // Focus moves and condition updates come with the focus model.
    m_layout->enabled = enabled;
    Invalidate(RectT<double>{0, 0, m_size.x, m_size.y}, m_layout->clipToParent);
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

// Not yet wired: the focus model, mouse input, keys and deferred removal
// answer E_NOTIMPL so that a caller cannot mistake them for done.
KXRESULT LControl::SetFocus(bool)
{
    return E_NOTIMPL;
}
KXRESULT LControl::FinishDeferredRemoval()
{
    return E_NOTIMPL;
}
KXRESULT LControl::BeginDrag(int32_t, int32_t, int32_t)
{
    return S_FALSE;
}
KXRESULT LControl::HandleSiblingKey(const RCPtr<LKeyParam>&)
{
    return S_FALSE;
}
void LControl::OrderSiblingKeyClients(const RCPtr<LKeyParam>&, const LNotificationDistributor::LNotificationClientPool&,
                                      Array<uint32_t>& out)
{
    out.RemoveAll();
}

} // namespace KX
