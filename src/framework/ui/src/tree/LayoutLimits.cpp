// Minimum and maximum passes of the layout: absolute limits, named children, the children's
// bounding box and the label text of the current look.
#include "LayoutValues.h"
#include "kx/ui/ControlGeometry.h"
#include "kx/ui/ControlLook.h"
#include "kx/ui/LayoutPasses.h"
#include "kx/ui/LookDescriptor.h"

#include <algorithm>
#include <cmath>

namespace KX {

namespace {

constexpr double kEpsilon = 2.220446049250313e-16;
constexpr float kMaxTextBox = 8388608.0f;

// A child's rectangle in the coordinates its parent is placed in; with the docked correction the
// parent's scroll offset is taken off once more on each axis the child is docked on.
RectT<double> ChildRect(const LControl& parent, const LControl& child, bool dockedCorrection)
{
    const PointT<double> scroll{LayoutCoord(parent.GetScrollOffset().x), LayoutCoord(parent.GetScrollOffset().y)};
    const RectT<double> look = parent.GetLookRect(-1);
    PointT<double> p;
    for (int32_t a = 0; a < 2; ++a) {
        double v = LayoutCoord(GetAxisValue(child.GetPosition(), a)) - GetAxisValue(scroll, a) +
                   LayoutCoord(a == 0 ? look.x : look.y) + LayoutCoord(GetAxisValue(parent.GetPosition(), a));
        if (dockedCorrection && IsDockedOn(child, a))
            v -= GetAxisValue(scroll, a);
        GetAxisRef(p, a) = v;
    }
    return RectT<double>{p.x, p.y, LayoutCoord(child.GetSize().x), LayoutCoord(child.GetSize().y)};
}

double& RectOrigin(RectT<double>& r, int32_t axis)
{
    return axis == 0 ? r.x : r.y;
}
double& RectExtent(RectT<double>& r, int32_t axis)
{
    return axis == 0 ? r.width : r.height;
}

// The children's bounding box, widened on one axis only. The maximum pass takes no box when the
// first child is docked on both axes, and counts unclipped children too.
bool ChildrenBox(LControl& control, int32_t axis, bool forMaximum, RectT<double>& box)
{
    LChildControlList& children = control.GetChildren();
    const uint32_t count = children.GetCount();
    if (count == 0)
        return false;
    const LControl& first = *children.GetAt(0, kOrderInsertion);
    if (forMaximum && IsDockedOn(first, 0) && IsDockedOn(first, 1))
        return false;
    box = ChildRect(control, first, false);
    for (uint32_t i = count - 1; i >= 1; --i) {
        const LControl& child = *children.GetAt(i, kOrderInsertion);
        const RCPtr<LLayoutDescriptor>& layout = child.GetLayout();
        if (!forMaximum && layout && !layout->clipToParent)
            continue;
        RectT<double> r = ChildRect(control, child, true);
        const double farEdge = RectOrigin(r, axis) + RectExtent(r, axis);
        const double boxFar = RectOrigin(box, axis) + RectExtent(box, axis);
        if (farEdge > boxFar)
            RectExtent(box, axis) += farEdge - boxFar;
        if (RectOrigin(r, axis) < RectOrigin(box, axis)) {
            RectExtent(box, axis) += RectOrigin(box, axis) - RectOrigin(r, axis);
            RectOrigin(box, axis) = RectOrigin(r, axis);
        }
    }
    return true;
}

// The reference of a named limit: a child of that name, or the children's box for "Children".
// False when the axis is to be left alone.
bool NamedLimitReference(LControl& control, const WString& name, int32_t axis, bool forMaximum, RectT<double>& ref,
                         bool& isBox)
{
    isBox = false;
    if (control.GetChildren().GetCount() == 0)
        return false;
    const RCPtr<LControl> child = control.FindChild(name);
    if (child) {
        ref = ChildRect(control, *child, true);
        return true;
    }
    if (!name.Equals(u"Children"))
        return false;
    isBox = true;
    return ChildrenBox(control, axis, forMaximum, ref);
}

// The frame the current look puts around its client area on the axis.
double LookFrame(const LControl& control, int32_t axis)
{
    const RCPtr<IControlLook>& look = control.GetLookAt(-1);
    if (!look)
        return 0.0;
    RectT<double> client;
    if (!look->GetClientPartRect(client))
        client = LongRectToDoubleRect(look->GetRect());
    return LayoutCoord(GetAxisValue(control.GetSize(), axis)) - LayoutCoord(axis == 0 ? client.width : client.height);
}

double ClampBox(float v)
{
    if (std::isnan(v))
        return 0.0;
    return static_cast<double>(std::clamp(v, -kMaxTextBox, kMaxTextBox));
}

// ceil(need / span) truncated to an integer; 0 when the box does not scale with the control.
double TextGrowth(double need, float nearRel, float farRel)
{
    if (!std::isfinite(nearRel) || !std::isfinite(farRel) || nearRel == farRel)
        return 0.0;
    return std::trunc(LayoutCoord(std::ceil(need / (static_cast<double>(farRel) - static_cast<double>(nearRel)))));
}

// The absolute minimum of an axis, raised by the label text when its overflow type asks for it.
double AbsoluteMinimum(LControl& control, const LLayoutDescriptor& layout, int32_t axis, const PointT<double>& size)
{
    double minimum = LayoutCoord(layout.MinSize(axis).absolute);
    const int32_t overflow = axis == 0 ? layout.textOverflowX : layout.textOverflowY;
    if (overflow == kTextOverflowClip)
        return minimum;
    const RCPtr<IControlLook>& look = control.GetLookAt(-1);
    ILookLabel* label = look ? look->GetLabel() : nullptr;
    if (!label)
        return minimum;
    const LLookDescriptor& description = label->GetDescriptor();
    const LookTextProperties& text = description.GetTextProperties();
    const RectT<float> box =
        description.GetTextRect(static_cast<float>(LayoutCoord(size.x)), static_cast<float>(LayoutCoord(size.y)));
    if (axis == 0) {
        if (overflow != kTextOverflowExpand)
            return minimum;
        label->SetWordWrap(false);
        const double need = std::ceil(static_cast<double>(label->GetTextWidth()) - ClampBox(box.width));
        if (!(need > 0.0))
            return minimum;
        minimum = std::max(minimum, LayoutCoord(size.x) + TextGrowth(need, text.leftRel, text.rightRel));
        const SizeLimit& maximum = layout.MaxSize(0);
        const double maxAbs = LayoutCoord(maximum.absolute);
        if (maxAbs > 0.0 && !maximum.toControl && maxAbs < minimum) {
            minimum = maxAbs;
            label->SetWordWrap(true); // the text wraps inside the widest allowed control
        }
        return minimum;
    }
    const auto width = static_cast<int32_t>(std::trunc(LayoutCoord(size.x)));
    const double need = std::ceil(static_cast<double>(label->GetHeightForWidth(width)) - ClampBox(box.height));
    if (need > 0.0)
        minimum = std::max(minimum, LayoutCoord(size.y) + TextGrowth(need, text.topRel, text.bottomRel));
    return minimum;
}

} // namespace

KXRESULT ApplyMinimumSize(LControl& control, PointT<double>& position, PointT<double>& size)
{
    const LLayoutDescriptor* layout = control.GetLayout().Get();
    if (!layout)
        return S_OK;
    KXRESULT result = S_OK;
    for (int32_t axis = 0; axis < 2; ++axis) {
        double& pos = GetAxisRef(position, axis);
        double& extent = GetAxisRef(size, axis);
        pos = LayoutCoord(pos);
        extent = LayoutCoord(extent);
        const double alpha = LayoutFactor(layout->Position(axis).anchor);
        const SizeLimit& limit = layout->MinSize(axis);
        if (!limit.toControl) {
            const double minimum = AbsoluteMinimum(control, *layout, axis, size);
            if (minimum > extent) {
                pos -= RoundLayoutValue(alpha * (minimum - extent));
                extent = minimum;
                result = S_FALSE;
            }
            continue;
        }
        RectT<double> ref;
        bool isBox = false;
        if (!NamedLimitReference(control, limit.controlName, axis, false, ref, isBox))
            continue;
        const double refExtent = RectExtent(ref, axis);
        if (!(refExtent > 0.0))
            continue;
        const double origin = isBox ? pos - alpha * refExtent : RectOrigin(ref, axis);
        const double end = LayoutCoord(LayoutFactor(limit.relative) * refExtent + origin + LayoutCoord(limit.absolute));
        if (pos > end) {
            if (alpha > 0.0 && alpha <= 1.0) {
                extent += RoundLayoutValue((pos - end) / alpha);
                pos = end;
                result = S_FALSE;
            } else {
                result = E_FAIL;
            }
        }
        if (end > pos + extent) {
            if (alpha >= 0.0 && alpha < 1.0) {
                pos -= RoundLayoutValue(alpha * (end - pos - extent) / (1.0 - alpha));
                extent = RoundLayoutValue(end) - pos;
                result = S_FALSE;
            } else {
                result = E_FAIL;
            }
        }
        if (limit.controlName.Equals(u"Children"))
            extent += LookFrame(control, axis);
    }
    return result;
}

KXRESULT ApplyMaximumSize(LControl& control, PointT<double>& position, PointT<double>& size)
{
    const LLayoutDescriptor* layout = control.GetLayout().Get();
    if (!layout)
        return S_OK;
    KXRESULT result = S_OK;
    for (int32_t axis = 0; axis < 2; ++axis) {
        double& pos = GetAxisRef(position, axis);
        double& extent = GetAxisRef(size, axis);
        pos = LayoutCoord(pos);
        extent = LayoutCoord(extent);
        const double alpha = LayoutFactor(layout->Position(axis).anchor);
        const SizeLimit& limit = layout->MaxSize(axis);
        if (!limit.toControl) {
            // 0 means no maximum; so does a negative one, which would give a negative size.
            const double maximum = LayoutCoord(limit.absolute);
            if (maximum > 0.0 && maximum < extent) {
                pos -= RoundLayoutValue(alpha * (maximum - extent));
                extent = maximum;
                result = S_FALSE;
            }
            continue;
        }
        RectT<double> ref;
        bool isBox = false;
        if (!NamedLimitReference(control, limit.controlName, axis, true, ref, isBox))
            continue;
        if (!(ref.width > kEpsilon && ref.height > kEpsilon))
            continue;
        const double refExtent = RectExtent(ref, axis);
        const double origin = isBox ? pos - alpha * refExtent : RectOrigin(ref, axis);
        const double end = LayoutCoord(LayoutFactor(limit.relative) * refExtent + origin + LayoutCoord(limit.absolute));
        if (pos < end && end < pos + extent) {
            // The far edge comes back to the end and the position moves by the anchor's share of
            // the cut; when that would leave no room before the end, the far edge moves alone.
            const double moved = pos - RoundLayoutValue(alpha * (end - pos - extent));
            if (RoundLayoutValue(end) - moved >= 0.0)
                pos = moved;
            extent = RoundLayoutValue(end) - pos;
            result = S_FALSE;
        }
        if (limit.controlName.Equals(u"Children"))
            extent += LookFrame(control, axis);
    }
    return result;
}

} // namespace KX
