// The memo that lets a layout run over unchanged inputs end before computing anything.
#include "PlacementMemo.h"

namespace KX {

namespace {

bool Same(PointT<double> a, PointT<double> b) noexcept
{
    return a.x == b.x && a.y == b.y; // a NaN never equals: such a placement is computed again
}

bool Same(const RectT<double>& a, const RectT<double>& b) noexcept
{
    return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height;
}

// The same text buffer: no need to compare the characters (and no virtual call to reach them).
bool SameBuffer(const WString& a, const WString& b) noexcept
{
    return a.GetBuffer().Get() == b.GetBuffer().Get();
}

bool Named(int32_t positionKind, int32_t sizeKind, int32_t which)
{
    return which == 0 ? positionKind == kPositionToControl : sizeKind == kSizeToControl;
}

// The layout's values of one axis as the placement reads them; false when the axis reads more.
bool ReadAxis(const LLayoutDescriptor& layout, int32_t axis, PlacementMemoAxis& out)
{
    const AxisPlacement& p = layout.Position(axis);
    const SizeSpec& s = layout.Size(axis);
    const SizeLimit& lo = layout.MinSize(axis);
    const SizeLimit& hi = layout.MaxSize(axis);
    if (lo.toControl || hi.toControl)
        return false;
    out.anchor = p.anchor;
    out.positionKind = p.kind;
    out.positionRelative = p.relative;
    out.positionAbsolute = p.absolute;
    out.docked = p.docked;
    out.sizeKind = s.kind;
    out.sizeRelative = s.relative;
    out.sizeAbsolute = s.absolute;
    out.minimum = lo.absolute;
    out.maximum = hi.absolute;
    // A name already held (the same text buffer) is not copied again.
    if (p.kind == kPositionToControl && !SameBuffer(out.names[0], p.controlName))
        out.names[0] = p.controlName;
    if (s.kind == kSizeToControl && !SameBuffer(out.names[1], s.controlName))
        out.names[1] = s.controlName;
    return true;
}

bool SameAxis(const LLayoutDescriptor& layout, int32_t axis, const PlacementMemoAxis& m)
{
    const AxisPlacement& p = layout.Position(axis);
    const SizeSpec& s = layout.Size(axis);
    const SizeLimit& lo = layout.MinSize(axis);
    const SizeLimit& hi = layout.MaxSize(axis);
    if (lo.toControl || hi.toControl || p.anchor != m.anchor || p.kind != m.positionKind ||
        p.relative != m.positionRelative || p.absolute != m.positionAbsolute || p.docked != m.docked ||
        s.kind != m.sizeKind || s.relative != m.sizeRelative || s.absolute != m.sizeAbsolute ||
        lo.absolute != m.minimum || hi.absolute != m.maximum)
        return false;
    return (p.kind != kPositionToControl || SameBuffer(p.controlName, m.names[0]) || p.controlName == m.names[0]) &&
           (s.kind != kSizeToControl || SameBuffer(s.controlName, m.names[1]) || s.controlName == m.names[1]);
}

bool TextKeepsSize(const LLayoutDescriptor& layout)
{
    // A label that may grow the control is measured on every layout.
    return layout.textOverflowX == kTextOverflowClip && layout.textOverflowY == kTextOverflowClip;
}

} // namespace

const LControl::PlacementMemo* LControl::PlacementMemo::OwnHolds(const PlacementMemo* memo, const LControl* parent,
                                                                 uint32_t childStamp, PointT<double> position,
                                                                 PointT<double> size)
{
    if (!memo || !memo->placed || !parent || memo->parent != parent || memo->childStamp != childStamp ||
        !Same(position, memo->position) || !Same(size, memo->size))
        return nullptr;
    return memo;
}

LControl::PlacementMemo::Parent::Parent(const LControl& parent)
    : control(&parent), childStamp(parent.m_children.GetChangeStamp()), size(parent.m_size), scroll(parent.m_scroll),
      client(parent.GetLookRect(-1))
{
}

bool LControl::PlacementMemo::Holds(const LControl& control)
{
    const LControl* parent = control.m_parent.Get();
    const PlacementMemo* memo =
        OwnHolds(control.m_placementMemo.get(), parent, parent ? parent->m_children.GetChangeStamp() : 0,
                 control.m_position, control.m_size);
    if (!memo || !Same(parent->m_size, memo->parentSize) || !Same(parent->m_scroll, memo->parentScroll) ||
        !Same(parent->GetLookRect(-1), memo->parentClient))
        return false;
    return Inputs(control, *memo);
}

bool LControl::PlacementMemo::Holds(const LControl& control, const Parent& parent)
{
    const PlacementMemo* memo =
        OwnHolds(control.m_placementMemo.get(), parent.control, parent.childStamp, control.m_position, control.m_size);
    if (!memo || control.m_parent.Get() != parent.control || !Same(parent.size, memo->parentSize) ||
        !Same(parent.scroll, memo->parentScroll) || !Same(parent.client, memo->parentClient))
        return false;
    return Inputs(control, *memo);
}

bool LControl::PlacementMemo::Inputs(const LControl& control, const PlacementMemo& memo)
{
    const LLayoutDescriptor& layout = *control.m_layout;
    if (!TextKeepsSize(layout))
        return false;
    for (int32_t axis = 0; axis < 2; ++axis) {
        const Axis& a = memo.axes[axis];
        if (!SameAxis(layout, axis, a))
            return false;
        for (int32_t which = 0; which < 2; ++which) {
            if (!Named(a.positionKind, a.sizeKind, which))
                continue;
            // The child list is as it was, so the sibling is still there; it must still go by
            // the name (no other child can have taken it meanwhile).
            const LControl* sibling = a.named[which];
            if ((!SameBuffer(sibling->m_name, a.namedAs[which]) && !(sibling->m_name == a.names[which])) ||
                GetAxisValue(sibling->m_position, axis) != a.namedOrigin[which] ||
                GetAxisValue(sibling->m_size, axis) != a.namedExtent[which] ||
                (sibling->m_layout && sibling->m_layout->Position(axis).docked != 0) != (a.namedDocked[which] != 0))
                return false;
        }
    }
    return true;
}

void LControl::PlacementMemo::Hint(const LControl& control, NamedSiblings& named) noexcept
{
    const PlacementMemo* memo = control.m_placementMemo.get();
    const LControl* parent = control.m_parent.Get();
    if (!memo || !parent || memo->hintParent != parent || memo->hintStamp != parent->m_children.GetChangeStamp())
        return;
    for (int32_t axis = 0; axis < 2; ++axis)
        for (int32_t which = 0; which < 2; ++which)
            named.hint[axis][which] = memo->hints[axis][which];
}

void LControl::PlacementMemo::Note(LControl& control, const NamedSiblings& named, const RectT<double>& parentClient)
{
    LControl* parent = control.m_parent.Get();
    const LLayoutDescriptor* layout = control.m_layout.Get();
    if (!parent || !layout || !TextKeepsSize(*layout)) {
        Forget(control);
        return;
    }
    if (!control.m_placementMemo)
        control.m_placementMemo = std::make_unique<PlacementMemo>();
    PlacementMemo& memo = *control.m_placementMemo;
    memo.noted = memo.placed = false;
    memo.hintParent = parent;
    memo.hintStamp = parent->m_children.GetChangeStamp();
    for (int32_t axis = 0; axis < 2; ++axis)
        for (int32_t which = 0; which < 2; ++which)
            memo.hints[axis][which] = named.found[axis][which];
    for (int32_t axis = 0; axis < 2; ++axis) {
        Axis& a = memo.axes[axis];
        if (!ReadAxis(*layout, axis, a))
            return;
        for (int32_t which = 0; which < 2; ++which) {
            a.named[which] = nullptr;
            if (!Named(a.positionKind, a.sizeKind, which))
                continue;
            const LControl* sibling = named.found[axis][which];
            if (!sibling)
                return; // a name no child has: laid out every time
            a.named[which] = sibling;
            if (!SameBuffer(a.namedAs[which], sibling->m_name))
                a.namedAs[which] = sibling->m_name;
            a.namedOrigin[which] = GetAxisValue(sibling->m_position, axis);
            a.namedExtent[which] = GetAxisValue(sibling->m_size, axis);
            a.namedDocked[which] = sibling->m_layout && sibling->m_layout->Position(axis).docked != 0;
        }
    }
    memo.parent = parent;
    memo.childStamp = parent->m_children.GetChangeStamp();
    memo.parentSize = parent->m_size;
    memo.parentScroll = parent->m_scroll;
    memo.parentClient = parentClient;
    memo.noted = true;
}

void LControl::PlacementMemo::Placed(LControl& control, PointT<double> position, PointT<double> size)
{
    PlacementMemo* memo = control.m_placementMemo.get();
    if (!memo || !memo->noted)
        return;
    memo->position = position;
    memo->size = size;
    memo->placed = true;
}

void LControl::PlacementMemo::Forget(LControl& control) noexcept
{
    if (PlacementMemo* memo = control.m_placementMemo.get()) {
        memo->noted = memo->placed = false;
        memo->hintParent = nullptr;
    }
}

} // namespace KX
