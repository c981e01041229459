#pragma once
// The layout passes that place and size a control from its layout descriptor: placement
// against the parent, its client area, a named sibling or the screen; the minimum size (absolute,
// a named child, the children's box or the label text); the maximum size; and the snapping of
// the result to whole pixels. Each pass works per axis, x then y, in doubles. UI thread only.
#include "kx/Geometry.h"
#include "kx/KXResult.h"

#include <cmath>

namespace KX {

class LControl;
class LLayoutDescriptor;

// Coordinates and sizes the passes give are limited to plus or minus this; NaN gives 0.
inline constexpr double kMaxLayoutCoordinate = 1073741824.0;

// Half away from zero to a whole number, saturating at the limit; NaN gives 0.
inline double RoundLayoutValue(double value) noexcept
{
    if (std::isnan(value))
        return 0.0;
    if (value >= kMaxLayoutCoordinate)
        return kMaxLayoutCoordinate;
    if (value <= -kMaxLayoutCoordinate)
        return -kMaxLayoutCoordinate;
    return std::trunc(value < 0.0 ? value - 0.5 : value + 0.5);
}

// right = round(x + width), bottom = round(y + height), x = round(x), y = round(y); width and
// height are rebuilt from the edges.
void SnapRectToPixels(RectT<double>& rect) noexcept;

// The siblings a placement's named references found: [axis][0 position, 1 size], null for none.
struct NamedSiblings {
    const LControl* found[2][2] = {};
    // In: a sibling to try first for each reference; taken only while it still has the name,
    // so it must be the last child of its name under the reference (null: search).
    const LControl* hint[2][2] = {};
};

// Position and size from the layout descriptor, snapped. reference is the parent; without one, area
// (origin and size of the parent area), clientSize and fallback (the point a named reference
// falls back to) stand in for it. E_INVALIDARG without a descriptor, else S_OK. named, when
// given, receives the siblings the named references found; referenceClient, with a reference,
// its client area (its current look's rectangle) as read.
KXRESULT ComputeControlPlacement(const LLayoutDescriptor* layout, LControl* reference, const RectT<double>& area,
                                 PointT<double> clientSize, PointT<double> fallback, RectT<double>& out,
                                 NamedSiblings* named = nullptr, RectT<double>* referenceClient = nullptr);

// Grows position and size (in/out) to the control's minimum: 1 when something changed, 0 when
// nothing did, E_FAIL when the placement anchor cannot reach a named minimum on an axis.
KXRESULT ApplyMinimumSize(LControl& control, PointT<double>& position, PointT<double>& size);

// Shrinks position and size (in/out) to the control's maximum: 1 when something changed, else 0.
KXRESULT ApplyMaximumSize(LControl& control, PointT<double>& position, PointT<double>& size);

} // namespace KX
