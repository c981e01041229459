// Setters, invalidation and the operations whose full behaviour comes with the input, focus and
// descriptor handling of the control.
#include "LayoutValues.h"
#include "kx/ui/Control.h"

#include <cmath>
#include <forward_list>
#include <vector>

namespace KX {

KXRESULT LControl::Invalidate(const RectT<double>& rect, bool clip)
{
    // What InvalidateFromChild refuses first, before the walk to the root for the origin.
    if (!m_layout || !m_layout->visible || !(m_size.x > 0.0) || !(m_size.y > 0.0))
        return S_FALSE;
    if (clip && m_layout->clipToParent && m_parent && m_parent->m_scrollRepaintPending) {
        RectT<double> own = rect;
        if (IntersectRects(own, GetParentRectLocal(), own) && LeftToScrollingParent(own))
            return S_OK;
    }
    const PointT<double> origin = GetOriginInRootWindow();
    return InvalidateFromChild(RectT<double>{rect.x + origin.x, rect.y + origin.y, rect.width, rect.height}, clip,
                               rect);
}

KXRESULT LControl::InvalidateFromChild(const RectT<double>& root, bool clip, RectT<double> own)
{
    if (!m_layout || !m_layout->visible || !(m_size.x > 0.0) || !(m_size.y > 0.0))
        return S_FALSE;
    // This control's place in the parent's coordinates, read once for the clipping and the step up.
    LControl* parent = m_parent.Get();
    PointT<double> place;
    if (parent) {
        // LookOrigin from the look's integers: its pair of doubles would be stored and read back
        // as one vector here, which stalls.
        PointT<int32_t> look;
        if (const RCPtr<IControlLook>& current = parent->GetLookAt(-1)) {
            const RectT<int32_t> r = current->GetRect();
            look = PointT<int32_t>{r.x, r.y};
        }
        place = PointT<double>{m_position.x - parent->m_scroll.x + LongToDouble(look.x),
                               m_position.y - parent->m_scroll.y + LongToDouble(look.y)};
    }
    if (clip && m_layout->clipToParent) {
        const RectT<double> area =
            parent ? RectT<double>{-place.x, -place.y, parent->m_size.x, parent->m_size.y} : GetParentRectLocal();
        if (!IntersectRects(own, area, own))
            return S_FALSE;
        if (LeftToScrollingParent(own))
            return S_OK;
    }
    // A control that does not clip to its parent draws beyond it, and so beyond its ancestors:
    // they clip no more.
    if (!m_layout->clipToParent)
        clip = false;
    if (parent) {
        own.x += place.x;
        own.y += place.y;
        return parent->InvalidateFromChild(root, clip, own);
    }
    if (!m_ownerWindow)
        return S_OK;
    // own carries the clipping done on the way up, in this control's coordinates; the top-level
    // control sits at its position.
    RectT<double> out = root;
    const RectT<double> ownInRoot{own.x + m_position.x, own.y + m_position.y, own.width, own.height};
    if (!IntersectRects(out, ownInRoot, out))
        return S_FALSE;
    const RectT<int32_t> r = RoundRectToLong(out);
    const int64_t right = static_cast<int64_t>(r.x) + r.width, bottom = static_cast<int64_t>(r.y) + r.height;
    m_ownerWindow->InvalidateRect(RectT<int32_t>{r.x, r.y, static_cast<int32_t>(std::min<int64_t>(right, INT32_MAX)),
                                                 static_cast<int32_t>(std::min<int64_t>(bottom, INT32_MAX))});
    return S_OK;
}

bool LControl::LeftToScrollingParent(const RectT<double>& own) const
{
    const LControl* parent = m_parent.Get();
    if (!parent || !parent->m_scrollRepaintPending)
        return false;
    // In whole pixels the part rounds inside the parent's own rectangle.
    auto whole = [](double v) { return v == std::trunc(v); };
    const PointT<double> look = parent->LookOrigin();
    const double x = own.x + m_position.x - parent->m_scroll.x + look.x;
    const double y = own.y + m_position.y - parent->m_scroll.y + look.y;
    return whole(x) && whole(y) && whole(own.width) && whole(own.height) && whole(parent->m_size.x) &&
           whole(parent->m_size.y);
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

KXRESULT LControl::OnParentResized(PointT<double> oldOffset, PointT<double> newOffset)
{
    if (m_layout && (m_layout->IsXDocked() || m_layout->IsYDocked()) && !ShiftWithParentScroll(oldOffset, newOffset))
        PerformLayout();
    return S_OK;
}

namespace {
// Both strictly on one side of zero: rounding half away from zero then moves with the value.
bool OnOneSide(double a, double b) noexcept
{
    return (a > 0.0 && b > 0.0) || (a < 0.0 && b < 0.0);
}
} // namespace

bool LControl::NamedSiblingsAllowShift(int32_t axis) const
{
    const AxisPlacement& p = m_layout->Position(axis);
    const SizeSpec& s = m_layout->Size(axis);
    const WString* names[2] = {p.kind == kPositionToControl ? &p.controlName : nullptr,
                               s.kind == kSizeToControl ? &s.controlName : nullptr};
    for (const WString* name : names) {
        if (!name)
            continue;
        // Looked up without taking a reference: the scrolling parent holds its children.
        const LControl* sibling =
            m_parent->m_subtreeDeferred ? m_parent->FindChild(*name).Get() : m_parent->FindChildInList(*name);
        // A sibling that does not follow the scroll is a fixed reference; one that does must have
        // moved with this scroll already, by the same shift.
        if (sibling && IsDockedOn(*sibling, axis) &&
            (sibling == this || sibling->m_shiftedAtSerial != m_parent->m_scrollSerial))
            return false;
    }
    return true;
}

bool LControl::ShiftWithParentScroll(PointT<double> oldOffset, PointT<double> newOffset)
{
    // Only a move inside the parent, which repaints itself whole after the scroll; a control
    // drawn outside it, or one holding the focus at no size, takes the full pass.
    // Only called while the parent scrolls, which holds itself.
    LControl* const parent = m_parent.Get();
    if (!parent || !parent->m_scrolling[0] || parent->m_scrolling[1] < 2 || !m_layout || !m_layout->clipToParent ||
        m_unclippedCount > 0 || !(newOffset.x == parent->m_scroll.x && newOffset.y == parent->m_scroll.y) ||
        parent->m_childMovedAtSerial == parent->m_scrollSerial ||
        ((m_hasFocus || m_containsFocus) && !(m_size.x > 0.0 && m_size.y > 0.0)))
        return false;
    PointT<double> position = m_position;
    for (int32_t axis = 0; axis < 2; ++axis) {
        if (!m_layout->Position(axis).docked)
            continue;
        const double from = GetAxisValue(oldOffset, axis), to = GetAxisValue(newOffset, axis);
        const double delta = to - from;
        if (delta == 0.0)
            continue;
        // Offsets the layout would clamp, or a shift that is not whole pixels, are laid out.
        if (!(std::fabs(from) < kMaxLayoutCoordinate && std::fabs(to) < kMaxLayoutCoordinate) ||
            delta != std::trunc(delta))
            return false;
        // Limits named after children measure from this control's own place.
        if (m_layout->MinSize(axis).toControl || m_layout->MaxSize(axis).toControl)
            return false;
        const double near = GetAxisValue(m_position, axis), far = near + GetAxisValue(m_size, axis);
        if (!OnOneSide(near, near + delta) || !OnOneSide(far, far + delta) ||
            !(std::fabs(near + delta) < kMaxLayoutCoordinate && std::fabs(far + delta) < kMaxLayoutCoordinate))
            return false;
        if (!NamedSiblingsAllowShift(axis))
            return false;
        GetAxisRef(position, axis) = near + delta;
    }
    m_shiftedAtSerial = parent->m_scrollSerial;
    if (position.x == m_position.x && position.y == m_position.y)
        return true;
    // What a move through SetBounds does, less the repaint the parent does and the siblings'
    // layout: those placed after this one are docked and shifted too, or see it without the scroll.
    const RCPtr<LControl> self(this);
    CaptureLookBounds();
    m_position = position;
    parent->OnChildChanged(self);
    CheckTrackedBoundsChanged();
    return true;
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

void LControl::RelayoutAfterShifts()
{
    const uint32_t serial = m_scrollSerial;
    const uint32_t count = m_children.GetCount();
    bool shifted = false;
    // Runs on every scroll: the moved names are kept on the stack while few, with their lengths
    // (names often share a long prefix and differ at the end). A layout below may call out and
    // take a moved child away with its name: from the first one on, the names compared are held.
    struct MovedName {
        const char16_t* text;
        unsigned length;
        const LControl* control; // only until the first layout
    };
    constexpr size_t kFew = 16;
    MovedName fewMoved[kFew];
    size_t movedCount = 0;
    std::vector<MovedName> moreMoved;
    std::forward_list<WString> held; // makes nothing until used
    bool holding = false;
    auto hold = [&](MovedName& m) {
        held.push_front(m.control->m_name);
        m.text = held.front().GetString();
    };
    auto note = [&](const LControl* c) {
        MovedName m{c->m_name.GetString(), c->m_name.GetLength(), c};
        if (holding)
            hold(m);
        if (movedCount < kFew)
            fewMoved[movedCount++] = m;
        else
            moreMoved.push_back(m);
    };
    for (uint32_t i = 0; i < count; ++i) {
        const LControl* c = m_children.GetAt(i, kOrderInsertion).Get();
        shifted = shifted || c->m_shiftedAtSerial == serial;
        if (c->m_shiftedAtSerial == serial || c->m_movedAtSerial == serial)
            note(c);
    }
    if (!shifted && m_scrolling[1] != 3)
        return;
    auto named = [&](const WString& name) {
        const char16_t* text = name.GetString();
        const unsigned length = name.GetLength();
        auto same = [&](const MovedName& m) {
            if (m.length != length)
                return false;
            for (unsigned k = length; k > 0; --k)
                if (m.text[k - 1] != text[k - 1])
                    return false;
            return true;
        };
        for (size_t m = 0; m < movedCount; ++m)
            if (same(fewMoved[m]))
                return true;
        for (const MovedName& m : moreMoved)
            if (same(m))
                return true;
        return false;
    };
    auto names = [&](const AxisPlacement& p, const SizeSpec& s) {
        return (p.kind == kPositionToControl && named(p.controlName)) ||
               (s.kind == kSizeToControl && named(s.controlName));
    };
    // In child order, as the moves' passes went: one moved here counts for those after it.
    for (uint32_t i = 0; i < count && i < m_children.GetCount(); ++i) {
        LControl* c = m_children.GetAt(i, kOrderInsertion).Get();
        const LLayoutDescriptor* l = c->m_layout.Get();
        if (!l || c->m_shiftedAtSerial == serial)
            continue;
        bool again = false;
        for (int32_t axis = 0; axis < 2 && !again; ++axis)
            again = names(l->Position(axis), l->Size(axis)) ||
                    ((l->IsXDocked() || l->IsYDocked()) && (l->MinSize(axis).toControl || l->MaxSize(axis).toControl));
        if (!again)
            continue;
        if (!holding) {
            holding = true;
            for (size_t m = 0; m < movedCount; ++m)
                hold(fewMoved[m]);
            for (MovedName& m : moreMoved)
                hold(m);
        }
        const RCPtr<LControl> laidOut(c);
        if (c->PerformLayout() == S_OK && c->m_movedAtSerial == serial)
            note(c);
    }
}

} // namespace KX
