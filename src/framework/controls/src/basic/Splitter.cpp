// The splitters: the drag range from the anchor and the tied panes, the drag resizing the anchor,
// and the relayout that keeps the panes inside their limits.
#include "kx/controls/Splitter.h"

#include "kx/ui/ControlHost.h"
#include "kx/ui/LayoutPasses.h"
#include "kx/ui/RootWindow.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace KX {

namespace {
constexpr double kSizeEpsilon = 2.220446049250313e-15;

double Axis(PointT<double> p, int32_t axis)
{
    return axis == 0 ? p.x : p.y;
}

// The absolute limits of a control on an axis; 0 where it has none (or one tied to a control).
double MinSizeOf(const LLayoutDescriptor& layout, int32_t axis)
{
    const SizeLimit& limit = layout.MinSize(axis);
    return limit.toControl == 0 ? limit.absolute : 0.0;
}
double MaxSizeOf(const LLayoutDescriptor& layout, int32_t axis)
{
    const SizeLimit& limit = layout.MaxSize(axis);
    return limit.toControl == 0 ? limit.absolute : 0.0;
}
} // namespace

LSplitterBase::LSplitterBase(const RCPtr<LControl>& parent, const WString& name, int32_t orientation)
    : LControl(parent, name), m_orientation(orientation == 0 ? 0 : 1)
{
}

KXRESULT LSplitterBase::Initialize()
{
    const KXRESULT hr = LControl::Initialize();
    if (Failed(hr))
        return hr;
    if (IRootWindowHost* host = GetRootWindowHost())
        SetCursor(
            host->GetApplicationCursor(WString(m_orientation == 0 ? u"UI_CURSOR_SIZE_NS" : u"UI_CURSOR_SIZE_WE")));
    return hr;
}

RCPtr<LControl> LSplitterBase::FindAnchor() const
{
    const RCPtr<LLayoutDescriptor>& layout = GetLayout();
    const RCPtr<LControl>& parent = GetParent();
    if (!layout || !parent)
        return {};
    const AxisPlacement& position = layout->Position(GetAxis());
    if (position.kind != kPositionToControl || position.controlName.IsEmpty())
        return {};
    RCPtr<LControl> anchor = parent->FindChild(position.controlName);
    if (anchor.Get() == this || !anchor || !anchor->GetLayout())
        return {};
    return anchor;
}

void LSplitterBase::NarrowBySiblings(double ownPos, bool onlyHeld, double& lo, double& hi)
{
    const RCPtr<LControl> parent = GetParent();
    const RCPtr<LLayoutDescriptor>& own = GetLayout();
    if (!parent || !own)
        return;
    const int32_t axis = GetAxis();
    LChildControlList& children = parent->GetChildren();
    const int32_t ownIndex = children.IndexOf(this, kOrderInsertion);
    for (uint32_t i = 0; i < children.GetCount(); ++i) {
        const RCPtr<LControl> sibling = children.GetAt(i, kOrderInsertion);
        const RCPtr<LLayoutDescriptor> layout = sibling ? sibling->GetLayout() : nullptr;
        if (!layout || sibling.Get() == this)
            continue;
        // After the splitter in layout order (ties broken by insertion order).
        const bool after = layout->layoutOrder > own->layoutOrder ||
                           (layout->layoutOrder == own->layoutOrder && static_cast<int32_t>(i) > ownIndex);
        if (!after)
            continue;
        const AxisPlacement& p = layout->Position(axis);
        const SizeSpec& s = layout->Size(axis);
        const bool sizeTied = s.kind == kSizeToControl && s.controlName == GetName();
        const bool positionTied = p.kind == kPositionToControl && p.controlName == GetName() && s.kind != kSizeToSelf;
        if (!sizeTied && !positionTied)
            continue;
        double cur = Axis(sibling->GetSize(), axis);
        if (onlyHeld) {
            RectT<double> asked;
            if (Failed(ComputeControlPlacement(layout.Get(), parent.Get(), RectT<double>{}, PointT<double>{},
                                               PointT<double>{}, asked)))
                continue;
            const double wanted = axis == 0 ? asked.width : asked.height;
            if (std::fabs(wanted - cur) < kSizeEpsilon)
                continue; // not held by a limit
            cur = wanted;
        }
        const double sMin = MinSizeOf(*layout, axis), sMax = MaxSizeOf(*layout, axis);
        const float tie = sizeTied ? s.relative : p.relative;
        if (tie == 0.0f) {
            lo = std::max(lo, ownPos - (cur - sMin));
            if (sMax > 0.0)
                hi = std::min(hi, ownPos + (sMax - cur));
        } else {
            hi = std::min(hi, ownPos + (cur - sMin));
            if (sMax > 0.0)
                lo = std::max(lo, ownPos - (sMax - cur));
        }
    }
}

void LSplitterBase::OnDragBegin()
{
    const RCPtr<LSplitterBase> self(this);
    const int32_t axis = GetAxis();
    m_dragMin = 0.0;
    m_dragMax = kNoLimit;
    const RCPtr<LLayoutDescriptor> layout = GetLayout();
    if (!layout) {
        LControl::OnDragBegin();
        return;
    }
    const double ownPos = Axis(GetPosition(), axis);
    m_anchor = FindAnchor();
    if (const RCPtr<LControl> anchor = m_anchor) {
        // Held where it is, placed absolutely, while the anchor changes under it.
        m_savedPlacement = layout->Position(axis);
        m_savedPosAbs = m_savedPlacement.absolute;
        m_savedPosRel = m_savedPlacement.relative;
        AxisPlacement fixed = m_savedPlacement;
        fixed.kind = kPositionToClient;
        fixed.controlName = WString();
        fixed.relative = 0.0f;
        fixed.absolute = ownPos;
        SetAxisPlacement(axis, fixed, layout->Size(axis));
        const double moved = Axis(GetPosition(), axis) - ownPos;
        if (moved != 0.0) {
            fixed.absolute -= moved;
            SetAxisPlacement(axis, fixed, layout->Size(axis));
        }
        const LLayoutDescriptor& a = *anchor->GetLayout();
        m_anchorStartPos = a.Position(axis).absolute;
        m_anchorStartSize = a.Size(axis).absolute;
        const double anchorMin = MinSizeOf(a, axis), anchorMax = MaxSizeOf(a, axis);
        m_dragMin = std::max(m_dragMin, ownPos - (m_anchorStartSize - anchorMin));
        if (anchorMax > 0.0)
            m_dragMax = std::min(m_dragMax, (anchorMax - m_anchorStartSize) + ownPos);
    }
    NarrowBySiblings(ownPos, false, m_dragMin, m_dragMax);
    // Into the coordinates the drag places the splitter in.
    m_startPlaced = layout->Position(axis).absolute;
    const double shift = m_startPlaced - ownPos;
    m_dragMin += shift;
    m_dragMax += shift;
    LControl::OnDragBegin();
}

void LSplitterBase::OnDragMove(const RCPtr<LPointWithModifiersParam>& param)
{
    const RCPtr<LSplitterBase> self(this);
    LControl::OnDragMove(param);
    const RCPtr<LLayoutDescriptor> layout = GetLayout();
    if (!layout)
        return;
    const int32_t axis = GetAxis();
    AxisPlacement position = layout->Position(axis);
    const double placed = std::clamp(position.absolute, m_dragMin, std::max(m_dragMin, m_dragMax));
    if (placed != position.absolute) {
        position.absolute = placed;
        SetAxisPlacement(axis, position, layout->Size(axis));
    }
    if (const RCPtr<LControl> anchor = m_anchor) {
        const RCPtr<LLayoutDescriptor> a = anchor->GetLayout();
        SizeSpec size = a->Size(axis);
        size.absolute = m_anchorStartSize + (placed - m_startPlaced);
        anchor->SetAxisPlacement(axis, a->Position(axis), size);
    }
}

void LSplitterBase::OnDragEnd()
{
    const RCPtr<LSplitterBase> self(this);
    const RCPtr<LLayoutDescriptor> layout = GetLayout();
    if (m_anchor && layout) {
        AxisPlacement restored = m_savedPlacement;
        restored.absolute = m_savedPosAbs;
        restored.relative = m_savedPosRel;
        SetAxisPlacement(GetAxis(), restored, layout->Size(GetAxis()));
    }
    LControl::OnDragEnd();
}

void LSplitterBase::OnConditionsChanged(const RCPtr<LConditionsParam>& param)
{
    LControl::OnConditionsChanged(param);
    if (param) {
        const uint32_t before = param->GetPreviousMask(), now = param->GetCurrentMask();
        if ((now & Condition::kLeftDrag) && !(before & Condition::kLeftDrag))
            SetDragMode(DragMode::kMoveScroll, m_orientation == 0 ? DragAxis::kY : DragAxis::kX);
        else if (!(now & Condition::kLeftDrag) && (before & Condition::kLeftDrag))
            m_anchor = nullptr;
    }
    UpdateLook();
}

void LSplitterBase::UpdateLook()
{
    const uint32_t mask = GetConditionFlags();
    int32_t index = 0;
    if (!(mask & Condition::kEnabled)) {
        index = 6;
    } else {
        const bool hover = (mask & Condition::kHover) != 0;
        const bool pressed = (mask & (Condition::kLeftPressed | Condition::kLeftDrag)) && (mask & Condition::kCapture);
        index = hover && pressed ? 2 : hover ? 1 : 0;
        // Selected: the control's extra highlight.
        if (IsHighlighted())
            index += 3;
    }
    if (static_cast<uint32_t>(index) < GetLookCount())
        ShowLook(index, 1);
}

KXRESULT LSplitterBase::OnResize(int32_t width, int32_t height)
{
    const KXRESULT hr = LControl::OnResize(width, height);
    LayoutPanes();
    return hr;
}

KXRESULT LSplitterBase::LayoutPanes()
{
    if (m_inLayoutPanes || !GetLayout() || !GetParent())
        return S_OK;
    const RCPtr<LSplitterBase> self(this);
    m_inLayoutPanes = true;
    const int32_t axis = GetAxis();
    const double ownPos = Axis(GetPosition(), axis);
    double lo = 0.0, hi = kNoLimit;
    const RCPtr<LControl> anchor = FindAnchor();
    if (anchor) {
        const LLayoutDescriptor& a = *anchor->GetLayout();
        const double size = a.Size(axis).absolute, minimum = MinSizeOf(a, axis), maximum = MaxSizeOf(a, axis);
        lo = std::max(0.0, ownPos - (size - minimum));
        if (maximum > 0.0)
            hi = std::min(hi, (maximum - size) + ownPos);
    }
    NarrowBySiblings(ownPos, true, lo, hi);
    if (lo > hi)
        std::swap(lo, hi);
    const double target = ownPos < lo ? lo : ownPos > hi ? hi : ownPos;
    if (target != ownPos && anchor) {
        const RCPtr<LLayoutDescriptor> a = anchor->GetLayout();
        SizeSpec size = a->Size(axis);
        size.absolute += target - ownPos;
        anchor->SetAxisPlacement(axis, a->Position(axis), size);
    }
    m_inLayoutPanes = false;
    return S_OK;
}

} // namespace KX
