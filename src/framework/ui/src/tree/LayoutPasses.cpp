// Placement pass and pixel snapping of the layout.
#include "kx/ui/LayoutPasses.h"

#include "LayoutValues.h"
#include "kx/ui/Control.h"
#include "kx/ui/ControlGeometry.h"

#include <cmath>

namespace KX {

void SnapRectToPixels(RectT<double>& rect) noexcept
{
    const double right = RoundLayoutValue(rect.x + rect.width);
    const double bottom = RoundLayoutValue(rect.y + rect.height);
    rect.x = RoundLayoutValue(rect.x);
    rect.y = RoundLayoutValue(rect.y);
    rect.width = right - rect.x;
    rect.height = bottom - rect.y;
}

namespace {

// What the placement measures against: the parent's area and client area, or their stand-ins.
struct Reference {
    LControl* parent = nullptr;
    PointT<double> origin;
    PointT<double> size;
    PointT<double> client;
    PointT<double> scroll;
    PointT<double> fallback;
};

bool HasName(const LControl& c, const char16_t* wanted)
{
    const char16_t* text = c.GetName().GetString();
    return text == wanted || TextCompare(text, wanted) == 0;
}

// The last child of that name, as FindChild finds it, without its calls per child; the hint
// when it still has the name.
const LControl* FindSibling(LControl& parent, const WString& name, const LControl* hint)
{
    const char16_t* const wanted = name.GetString();
    if (hint && HasName(*hint, wanted))
        return hint;
    const LChildControlList& children = parent.GetChildren();
    for (uint32_t i = children.GetCount(); i > 0; --i) {
        const LControl* c = children.InsertionAt(i - 1);
        if (HasName(*c, wanted))
            return c;
    }
    return nullptr;
}

// Origin and extent of a named sibling on the axis; the fallback point without a parent, and
// (0, 0) for a name no sibling has.
void NamedReference(const Reference& ref, const WString& name, int32_t axis, double& origin, double& extent,
                    const LControl*& found, const LControl* hint)
{
    origin = 0.0;
    extent = 0.0;
    found = nullptr;
    if (!ref.parent) {
        origin = GetAxisValue(ref.fallback, axis);
        return;
    }
    const LControl* sibling = FindSibling(*ref.parent, name, hint);
    found = sibling;
    if (!sibling)
        return;
    origin = LayoutCoord(GetAxisValue(sibling->GetPosition(), axis));
    if (IsDockedOn(*sibling, axis))
        origin -= GetAxisValue(ref.scroll, axis);
    extent = LayoutCoord(GetAxisValue(sibling->GetSize(), axis));
}

// Position and size on one axis.
void PlaceAxis(const LLayoutDescriptor& layout, const Reference& ref, int32_t axis, double& pos, double& size,
               const LControl* (&found)[2], const LControl* const (&hint)[2])
{
    const AxisPlacement& p = layout.Position(axis);
    const SizeSpec& s = layout.Size(axis);
    const double o = GetAxisValue(ref.origin, axis);
    const double parentSize = GetAxisValue(ref.size, axis);
    const double clientSize = GetAxisValue(ref.client, axis);
    const double rel = LayoutFactor(p.relative);
    const double abs = LayoutCoord(p.absolute);
    switch (p.kind) {
    case kPositionToParent: pos = RoundLayoutValue(rel * parentSize) + abs + o; break;
    case kPositionToControl: {
        double origin = 0.0, extent = 0.0;
        NamedReference(ref, p.controlName, axis, origin, extent, found[0], hint[0]);
        pos = RoundLayoutValue(rel * extent) + origin + abs;
        break;
    }
    default: // the client area, also for kinds the reader never gives
        pos = RoundLayoutValue(rel * clientSize) + abs;
        break;
    }

    const double alpha = LayoutFactor(p.anchor);
    if (s.kind == kSizeToSelf) {
        size = LayoutCoord(s.absolute);
        if (size < 0.0)
            size = 0.0;
    } else {
        double origin = 0.0, extent = clientSize;
        if (s.kind == kSizeToParent) {
            origin = o;
            extent = parentSize;
        } else if (s.kind == kSizeToControl) {
            NamedReference(ref, s.controlName, axis, origin, extent, found[1], hint[1]);
        }
        const double end = RoundLayoutValue(LayoutFactor(s.relative) * extent) + origin + LayoutCoord(s.absolute);
        const double d = end - pos;
        if (d > 0.0 && alpha >= 0.0 && alpha < 1.0)
            size = d / (1.0 - alpha);
        else if (d < 0.0 && alpha > 0.0 && alpha <= 1.0)
            size = -d / alpha;
        else
            size = 0.0;
    }
    pos -= alpha * size;
    if (p.docked)
        pos += GetAxisValue(ref.scroll, axis);
}

} // namespace

namespace {

void Place(const LLayoutDescriptor& layout, LControl* reference, const RectT<double>& area, PointT<double> clientSize,
           PointT<double> fallback, RectT<double>& out, NamedSiblings& siblings, RectT<double>* referenceClient)
{
    Reference ref;
    ref.parent = reference;
    if (reference) {
        const RectT<double> look = reference->GetLookRect(-1);
        if (referenceClient)
            *referenceClient = look;
        ref.origin = PointT<double>{-LayoutCoord(look.x), -LayoutCoord(look.y)};
        ref.size = PointT<double>{LayoutCoord(reference->GetSize().x), LayoutCoord(reference->GetSize().y)};
        ref.client = PointT<double>{LayoutCoord(look.width), LayoutCoord(look.height)};
        ref.scroll =
            PointT<double>{LayoutCoord(reference->GetScrollOffset().x), LayoutCoord(reference->GetScrollOffset().y)};
    } else {
        ref.origin = PointT<double>{LayoutCoord(area.x), LayoutCoord(area.y)};
        ref.size = PointT<double>{LayoutCoord(area.width), LayoutCoord(area.height)};
        ref.client = PointT<double>{LayoutCoord(clientSize.x), LayoutCoord(clientSize.y)};
        ref.fallback = PointT<double>{LayoutCoord(fallback.x), LayoutCoord(fallback.y)};
    }
    // Written in place: a copy of the axes' separate stores would be read back as one vector.
    PlaceAxis(layout, ref, 0, out.x, out.width, siblings.found[0], siblings.hint[0]);
    PlaceAxis(layout, ref, 1, out.y, out.height, siblings.found[1], siblings.hint[1]);
    SnapRectToPixels(out);
}

} // namespace

KXRESULT ComputeControlPlacement(const LLayoutDescriptor* layout, LControl* reference, const RectT<double>& area,
                                 PointT<double> clientSize, PointT<double> fallback, RectT<double>& out,
                                 NamedSiblings* named, RectT<double>* referenceClient)
{
    if (!layout)
        return E_INVALIDARG;
    if (named) {
        Place(*layout, reference, area, clientSize, fallback, out, *named, referenceClient);
    } else {
        NamedSiblings unused;
        Place(*layout, reference, area, clientSize, fallback, out, unused, referenceClient);
    }
    return S_OK;
}

} // namespace KX
