// Drawing, hit-testing and the look array of a control.
#include "kx/ui/Control.h"
#include "kx/ui/Look.h"

#include <algorithm>
#include <cmath>

namespace KX {

namespace {
const RCPtr<IControlLook>& NullLookRef()
{
    static const RCPtr<IControlLook> null;
    return null;
}

bool LookRectContains(const RectT<int32_t>& r, PointT<int32_t> p)
{
    return r.x <= p.x && static_cast<int64_t>(p.x) < static_cast<int64_t>(r.x) + r.width && r.y <= p.y &&
           static_cast<int64_t>(p.y) < static_cast<int64_t>(r.y) + r.height;
}

bool IntersectInt(const RectT<int32_t>& a, const RectT<int32_t>& b, RectT<int32_t>& out)
{
    const int64_t left = std::max(a.x, b.x), top = std::max(a.y, b.y);
    const int64_t right = std::min<int64_t>(int64_t(a.x) + a.width, int64_t(b.x) + b.width);
    const int64_t bottom = std::min<int64_t>(int64_t(a.y) + a.height, int64_t(b.y) + b.height);
    if (right <= left || bottom <= top)
        return false;
    out = RectT<int32_t>{int32_t(left), int32_t(top), int32_t(right - left), int32_t(bottom - top)};
    return true;
}

// The children of one drawing pass: clipped, with this many docked axes.
bool InPass(const LControl& c, int32_t pass)
{
    const LLayoutDescriptor* l = c.GetLayout().Get();
    if (l && !l->clipToParent)
        return false;
    const int32_t docked = l ? (l->IsXDocked() ? 1 : 0) + (l->IsYDocked() ? 1 : 0) : 0;
    return pass == 1 ? docked == 0 : pass == 2 ? docked == 1 : docked == 2;
}
// invalid less what opaque children paint over anyway; false (out untouched) when nothing is.
bool SubtractOpaqueChildren(LControl& self, const LRenderContextInfo& context, const LRegion& invalid, LRegion& out)
{
    // Only with one look fully shown and nothing fading or masking the children drawn over it:
    // what such a child covers opaquely is painted over whatever the client area put there.
    const RenderState& state = context.GetCurrentState();
    const PointT<double> scroll = self.GetScrollOffset();
    if (self.GetChildren().GetCount() == 0 || state.alpha != 1.0f || state.stencil)
        return false;
    int32_t shown = -1;
    for (uint32_t i = 0; i < self.GetLookCount(); ++i) {
        const float opacity = self.GetLookOpacity(i);
        if (!(opacity > 0.0f))
            continue;
        if (shown >= 0 || opacity != 1.0f || !self.GetLookAt(static_cast<int32_t>(i)))
            return false;
        shown = static_cast<int32_t>(i);
    }
    if (shown < 0)
        return false;
    const IControlLook& look = *self.GetLookAt(shown);
    const RectT<int32_t> lookRect = look.GetRect();
    RectT<double> client;
    RectT<int32_t> shape = lookRect;
    if (look.GetClientPartRect(client)) {
        const RectT<int32_t> c = RoundRectToLong(client);
        if (!IntersectInt(lookRect, RectT<int32_t>{lookRect.x + c.x, lookRect.y + c.y, c.width, c.height}, shape))
            return false;
    }
    if (scroll.x != std::trunc(scroll.x) || scroll.y != std::trunc(scroll.y) ||
        !(std::fabs(scroll.x) < 1e8 && std::fabs(scroll.y) < 1e8) || state.originX != std::trunc(state.originX) ||
        state.originY != std::trunc(state.originY) ||
        !(std::fabs(state.originX) < 1e8 && std::fabs(state.originY) < 1e8))
        return false;
    const int32_t ox = static_cast<int32_t>(state.originX), oy = static_cast<int32_t>(state.originY);
    const int32_t sx = static_cast<int32_t>(scroll.x), sy = static_cast<int32_t>(scroll.y);
    auto whole = [](double v) { return v == std::trunc(v) && std::fabs(v) < 1e8; };
    bool any = false;
    // The children in the order and passes DrawChildrenForLook draws them.
    const uint32_t count = self.GetChildren().GetCount();
    uint32_t position = 0;
    for (int32_t pass = 1; pass <= 3 && position < count; ++pass) {
        if (pass == 3)
            shape = lookRect;
        for (; position < count; ++position) {
            const LControl& c = *self.GetChildren().GetAt(position, kOrderDrawing);
            if (!InPass(c, pass))
                break;
            if (!c.GetLayout() || !c.GetLayout()->visible || c.GetOpacity() != 1.0f || !(c.GetSize().x > 0.0) ||
                !(c.GetSize().y > 0.0) || !whole(c.GetPosition().x) || !whole(c.GetPosition().y) ||
                !whole(c.GetSize().x) || !whole(c.GetSize().y))
                continue;
            RectT<int32_t> opaque;
            bool found = false;
            for (uint32_t i = 0; i < c.GetLookCount() && !found; ++i) {
                const LLook* look = c.GetLookOpacity(i) == 1.0f
                                        ? dynamic_cast<const LLook*>(c.GetLookAt(static_cast<int32_t>(i)).Get())
                                        : nullptr;
                found = look && look->GetOpaqueRect(opaque);
            }
            const RectT<int32_t> own{0, 0, static_cast<int32_t>(c.GetSize().x), static_cast<int32_t>(c.GetSize().y)};
            if (!found || !IntersectInt(opaque, own, opaque))
                continue;
            RectT<int32_t> inParent{static_cast<int32_t>(c.GetPosition().x) + opaque.x + lookRect.x - sx,
                                    static_cast<int32_t>(c.GetPosition().y) + opaque.y + lookRect.y - sy, opaque.width,
                                    opaque.height};
            if (!IntersectInt(inParent, shape, inParent))
                continue;
            if (!any)
                out = invalid;
            any = true;
            out.SubtractRect(inParent.x + ox, inParent.y + oy, inParent.x + ox + inParent.width,
                             inParent.y + oy + inParent.height);
        }
    }
    return any;
}

} // namespace

const RCPtr<IControlLook>& LControl::GetLookAt(int32_t index) const
{
    const uint32_t count = m_looks.GetCount();
    auto& looks = const_cast<RCPtrArray<IControlLook>&>(m_looks);
    if (index >= 0 && static_cast<uint32_t>(index) < count)
        return looks.GetData()[index];
    const int32_t visible = GetFirstVisibleLook();
    if (visible >= 0)
        return looks.GetData()[visible];
    for (uint32_t i = 0; i < count; ++i)
        if (looks.GetData()[i])
            return looks.GetData()[i];
    return NullLookRef();
}

float LControl::GetLookOpacity(uint32_t index) const
{
    return index < m_lookOpacities.GetCount() ? const_cast<Array<float>&>(m_lookOpacities).GetData()[index] : 0.0f;
}

int32_t LControl::GetFirstVisibleLook() const
{
    auto& looks = const_cast<RCPtrArray<IControlLook>&>(m_looks);
    for (uint32_t i = 0; i < looks.GetCount(); ++i)
        if (looks.GetData()[i] && GetLookOpacity(i) > 0.0f)
            return static_cast<int32_t>(i);
    return -1;
}

int32_t LControl::AddLook(const RCPtr<IControlLook>& look)
{
    const int32_t index = m_looks.AddItem(look);
    if (index >= 0 && m_lookOpacities.GetCount() < m_looks.GetCount())
        m_lookOpacities.AddItem(0.0f);
    return index;
}

KXRESULT LControl::SetLookOpacity(int32_t index, float opacity, bool exclusive)
{
    const uint32_t count = m_lookOpacities.GetCount();
    if (index < 0 || static_cast<uint32_t>(index) >= count)
        return E_INVALIDARG;
    float* values = m_lookOpacities.GetData();
    bool changed = false;
    if (opacity >= 0.0f && opacity <= 1.0f && values[index] != opacity) {
        values[index] = opacity;
        changed = true;
    }
    if (exclusive) {
        for (uint32_t i = 0; i < count; ++i) {
            if (static_cast<int32_t>(i) != index && values[i] != 0.0f) {
                values[i] = 0.0f;
                changed = true;
            }
        }
    }
    if (changed)
        Invalidate(RectT<double>{0, 0, m_size.x, m_size.y}, m_layout ? m_layout->clipToParent : true);
    return S_OK;
}

KXRESULT LControl::ShowLook(int32_t index, int32_t)
{
    return SetLookOpacity(index, 1.0f, true);
}

void LControl::ClearLookRegion(int32_t index)
{
    if (index >= 0 && static_cast<uint32_t>(index) < m_looks.GetCount() && m_looks.GetData()[index])
        m_looks.GetData()[index]->GetRegion().Clear();
}

void LControl::ClearAllLookRegions()
{
    for (uint32_t i = 0; i < m_looks.GetCount(); ++i)
        ClearLookRegion(static_cast<int32_t>(i));
}

KXRESULT LControl::SetLookRegionExcept(int32_t index, int32_t exceptIndex)
{
    const uint32_t count = m_looks.GetCount();
    if (index < 0 || exceptIndex < 0 || static_cast<uint32_t>(index) >= count ||
        static_cast<uint32_t>(exceptIndex) >= count || !m_looks.GetData()[index] || !m_looks.GetData()[exceptIndex])
        return E_INVALIDARG;
    LRegion& region = m_looks.GetData()[index]->GetRegion();
    region.Clear();
    const PointT<int32_t> size = RoundSizeToLong(m_size);
    region.AddRect(0, 0, size.x, size.y);
    region.SubtractRegion(m_looks.GetData()[exceptIndex]->GetRegion());
    Invalidate(RectT<double>{0, 0, m_size.x, m_size.y}, m_layout ? m_layout->clipToParent : true);
    return S_OK;
}

void LControl::GetColorAtPoint(uint32_t& out, PointT<int32_t> point, int32_t lookIndex)
{
    out = 0x00FFFFFFu;
    if (const RCPtr<IControlLook>& look = GetLookAt(lookIndex))
        out = look->GetColorAtPoint(point);
}

bool LControl::IsPointTransparent(PointT<int32_t> point)
{
    bool transparent = true;
    for (uint32_t i = 0; transparent && i < m_looks.GetCount(); ++i) {
        if (GetLookOpacity(i) > 0.0f) {
            uint32_t colour = 0x00FFFFFFu;
            GetColorAtPoint(colour, point, static_cast<int32_t>(i));
            if ((colour >> 24) != 0)
                transparent = false;
        }
    }
    return transparent;
}

KXRESULT LControl::Draw(const RCPtr<LRenderer>& renderer, const LRegion& invalid, RCPtrArray<LControl>& unclipped,
                        bool unclippedPass)
{
    // A clipped control is drawn only in the normal pass, an unclipped one only in the unclipped pass.
    const bool clip = !m_layout || m_layout->clipToParent;
    if (clip == unclippedPass)
        return E_INVALIDARG;
    if (!m_layout || !m_layout->visible || !(m_size.x > 0.0) || !(m_size.y > 0.0))
        return S_OK;
    LRenderContextInfo* context = renderer ? renderer->GetCurrentContext() : nullptr;
    if (!context)
        return E_FAIL;
    RectT<double> rect{m_position.x, m_position.y, m_size.x, m_size.y};
    if (!unclippedPass) {
        const RectT<double>& c = context->GetCurrentState().clip;
        IntersectRects(rect, c, rect);
    }
    if (!(rect.width > kDoubleEpsilon) || !(rect.height > kDoubleEpsilon)) {
        if (m_unclippedCount > 0)
            CollectUnclippedDescendants(unclipped, true, false);
        return S_OK;
    }
    const RectT<double> own{m_position.x, m_position.y, m_size.x, m_size.y};
    CAutoClip clipScope(renderer, own, LongRectToDoubleRect(RoundRectToLong(rect)), nullptr, true);
    context->GetCurrentState().alpha *= m_opacity;

    const RectT<int32_t>& viewport = context->GetViewport();
    const RenderState& state = context->GetCurrentState();
    RectT<double> inView;
    const RectT<double> viewLocal{viewport.x - state.originX, viewport.y - state.originY,
                                  static_cast<double>(viewport.width), static_cast<double>(viewport.height)};
    if (!IntersectRects(RectT<double>{0, 0, m_size.x, m_size.y}, viewLocal, inView)) {
        if (m_unclippedCount > 0)
            CollectUnclippedDescendants(unclipped, true, false);
        return S_OK;
    }
    const uint32_t lookCount = m_looks.GetCount();
    auto eachLook = [&](auto&& body) {
        for (uint32_t i = 0; i < lookCount; ++i) {
            const float opacity = GetLookOpacity(i);
            if (!(opacity > 0.0f))
                continue;
            CAutoClip lookScope(renderer);
            context->GetCurrentState().alpha *= opacity;
            body(static_cast<int32_t>(i));
        }
    };
    LRegion uncovered;
    const bool covered = SubtractOpaqueChildren(*this, *context, invalid, uncovered);
    eachLook([&](int32_t i) {
        if (const RCPtr<IControlLook>& look = m_looks.GetData()[i])
            look->DrawClientArea(renderer, covered ? uncovered : invalid);
    });
    eachLook([&](int32_t i) {
        if (const RCPtr<IControlLook>& look = m_looks.GetData()[i])
            look->DrawNonClientParts(renderer, invalid);
    });
    auto eachInvalidRect = [&](auto paint) {
        for (const LRegionNode* n = invalid.GetFirst(); n; n = n->next) {
            const RenderState& st = context->GetCurrentState();
            RectT<double> r{n->left - st.originX, n->top - st.originY, static_cast<double>(n->right - n->left),
                            static_cast<double>(n->bottom - n->top)};
            if (IntersectRects(r, st.clip, r)) {
                CAutoClip paintScope(renderer, RectT<double>{0, 0, m_size.x, m_size.y}, r, nullptr, true);
                (this->*paint)(renderer);
            }
        }
    };
    eachInvalidRect(&LControl::PaintBeforeChildren);
    eachLook([&](int32_t i) {
        if (const RCPtr<IControlLook>& look = GetLookAt(i)) {
            const PointT<double> origin = m_looksScrollWithContent ? m_scroll : PointT<double>{};
            look->DrawLabelText(renderer, invalid, origin);
        }
        if (m_children.GetCount() > 0)
            DrawChildrenForLook(renderer, invalid, unclipped, i);
    });
    eachInvalidRect(&LControl::PaintAfterChildren);
    for (uint32_t i = 0; i < m_children.GetCount(); ++i) {
        const RCPtr<LControl>& c = m_children.GetAt(i, kOrderDrawing);
        if (c->m_layout && c->m_layout->visible && c->m_size.x > 0.0 && c->m_size.y > 0.0 && !c->m_layout->clipToParent)
            unclipped.AddItem(c);
    }
    return S_OK;
}

void LControl::DrawChildrenForLook(const RCPtr<LRenderer>& renderer, const LRegion& invalid,
                                   RCPtrArray<LControl>& unclipped, int32_t lookIndex)
{
    LRenderContextInfo* context = renderer->GetCurrentContext();
    const RCPtr<IControlLook>& look = GetLookAt(lookIndex);
    RectT<double> lookRect{0, 0, m_size.x, m_size.y};
    if (look)
        lookRect = LongRectToDoubleRect(look->GetRect());
    RectT<double> shape = lookRect;
    RectT<double> clientPart;
    if (look && look->GetClientPartRect(clientPart))
        shape =
            RectT<double>{lookRect.x + clientPart.x, lookRect.y + clientPart.y, clientPart.width, clientPart.height};
    const uint32_t count = m_children.GetCount();
    uint32_t position = 0;
    for (int32_t pass = 1; pass <= 3 && position < count; ++pass) {
        if (pass == 3)
            shape = lookRect;
        for (; position < count; ++position) {
            RCPtr<LControl> child = m_children.GetAt(position, kOrderDrawing);
            if (!InPass(*child, pass))
                break;
            // Clipped to the shape (this control's coordinates), then moved to the content origin:
            // a clip given relative to the scrolled content would cut off its top.
            CAutoClip lookScope(renderer, lookRect, shape, nullptr, true);
            CAutoClip contentScope(renderer, PointT<double>{-m_scroll.x, -m_scroll.y});
            const RectT<double> childRect{child->m_position.x, child->m_position.y, child->m_size.x, child->m_size.y};
            RectT<double> overlap;
            if (childRect.width > kDoubleEpsilon && childRect.height > kDoubleEpsilon &&
                IntersectRects(childRect, context->GetCurrentState().clip, overlap)) {
                child->Draw(renderer, invalid, unclipped, false);
            } else if (child->m_unclippedCount > 0) {
                child->CollectUnclippedDescendants(unclipped, true, false);
            }
        }
    }
}

bool LControl::EntersHitWalk(PointT<int32_t> point, bool& inside)
{
    if (!m_layout || !m_layout->visible || !(m_size.x > 0.0) || !(m_size.y > 0.0))
        return false;
    inside = ContainsPoint(PointT<double>{static_cast<double>(point.x), static_cast<double>(point.y)});
    return inside || m_unclippedCount > 0;
}

template <typename Visit>
void LControl::VisitHitChildren(PointT<int32_t> point, bool search, bool inside, int32_t depth, Visit&& visit)
{
    const PointT<int32_t> scroll = RoundPointToLong(m_scroll);
    for (uint32_t li = 0; li < m_looks.GetCount(); ++li) {
        if (!(GetLookOpacity(li) > 0.0f))
            continue;
        const RectT<int32_t> lr = RoundRectToLong(GetLookRect(static_cast<int32_t>(li)));
        const bool inLook = LookRectContains(lr, point);
        const PointT<int32_t> content{point.x - lr.x + scroll.x, point.y - lr.y + scroll.y};
        for (uint32_t i = m_children.GetCount(); i > 0; --i) {
            RCPtr<LControl> child = m_children.GetAt(i - 1, kOrderDrawing);
            const LLayoutDescriptor* cl = child->m_layout.Get();
            const bool bothDocked = cl && cl->IsXDocked() && cl->IsYDocked();
            const bool reachesOut = (cl && !cl->clipToParent) || child->m_unclippedCount > 0;
            if (!((inside && search && (bothDocked || inLook)) || depth > kClippedZOrder || reachesOut))
                continue;
            const PointT<int32_t> cp = RoundPointToLong(child->m_position);
            visit(*child, PointT<int32_t>{content.x - cp.x, content.y - cp.y}, search && inside, reachesOut);
        }
    }
}

bool LControl::AcceptsHitAt(PointT<int32_t> point, bool inside)
{
    bool excluded = false;
    if (m_parent && m_layout->clipToParent && !(m_layout->IsXDocked() && m_layout->IsYDocked())) {
        PointT<double> inParent{static_cast<double>(point.x), static_cast<double>(point.y)};
        m_parent->MapPointFromControl(*this, inParent);
        const RectT<int32_t> pl = RoundRectToLong(m_parent->GetLookRect(-1));
        excluded = !LookRectContains(pl, RoundPointToLong(inParent));
    }
    return !IsPointTransparent(point) && !m_hitTransparent && inside && !excluded;
}

void LControl::HitTestChildren(RCPtr<LControl>& out, PointT<int32_t> point, bool search, PointT<int32_t>& local,
                               int32_t& depth)
{
    out = nullptr;
    local = PointT<int32_t>{};
    bool inside = false;
    if (!EntersHitWalk(point, inside))
        return;
    const int32_t d = GetEffectiveZOrder();
    RCPtr<LControl> hit;
    PointT<int32_t> hitLocal{};
    VisitHitChildren(point, search, inside, d,
                     [&](LControl& child, PointT<int32_t> at, bool childSearch, bool reachesOut) {
                         // Once a hit is found, only children drawn outside their parents can cover it.
                         if (hit && !reachesOut)
                             return;
                         RCPtr<LControl> found;
                         PointT<int32_t> foundLocal{};
                         child.HitTestChildren(found, at, childSearch, foundLocal, depth);
                         if (found && !(hit && hit->GetEffectiveZOrder() >= found->GetEffectiveZOrder())) {
                             hit = found;
                             hitLocal = foundLocal;
                         }
                     });
    if (hit) {
        depth = hit->GetEffectiveZOrder();
        out = hit;
        local = hitLocal;
        return;
    }
    if (AcceptsHitAt(point, inside) && (d > depth || (d == kClippedZOrder && search))) {
        local = point;
        depth = d;
        out = RCPtr<LControl>(this);
    }
}

void LControl::CollectHits(std::vector<std::pair<int32_t, RCPtr<LControl>>>& out, PointT<int32_t> point, bool search)
{
    // The hit test's walk, without stopping at the first hit.
    bool inside = false;
    if (!EntersHitWalk(point, inside))
        return;
    const int32_t d = GetEffectiveZOrder();
    VisitHitChildren(point, search, inside, d, [&](LControl& child, PointT<int32_t> at, bool childSearch, bool) {
        child.CollectHits(out, at, childSearch);
    });
    if (AcceptsHitAt(point, inside) && (d > kClippedZOrder || search))
        out.emplace_back(d, RCPtr<LControl>(this));
}

} // namespace KX
