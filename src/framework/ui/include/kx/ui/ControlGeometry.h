#pragma once
// Conversions between the control tree's double geometry and whole pixels, and the small
// rectangle helpers of the layout. Rounding is half away from zero and saturates at 32 bits.
#include "kx/Geometry.h"
#include "kx/Region.h"

#include <cstdint>

namespace KX {

// Integers widened to doubles are clamped to plus or minus 2^52.
inline constexpr double kMaxGeometryValue = 4503599627370496.0;

// Each coordinate rounded as RoundToInt32 (NaN and values below the range give 0x80000000).
PointT<int32_t> RoundPointToLong(const PointT<double>& point) noexcept;
// The same rule on x, y, width and height separately.
RectT<int32_t> RoundRectToLong(const RectT<double>& rect) noexcept;
// Each value widened and clamped to plus or minus 2^52.
inline double LongToDouble(int64_t value) noexcept
{
    const double v = static_cast<double>(value);
    if (v > kMaxGeometryValue)
        return kMaxGeometryValue;
    if (v < -kMaxGeometryValue)
        return -kMaxGeometryValue;
    return v;
}
inline PointT<double> LongPointToDoublePoint(const PointT<int32_t>& point) noexcept
{
    return PointT<double>{LongToDouble(point.x), LongToDouble(point.y)};
}
inline RectT<double> LongRectToDoubleRect(const RectT<int32_t>& rect) noexcept
{
    return RectT<double>{LongToDouble(rect.x), LongToDouble(rect.y), LongToDouble(rect.width),
                         LongToDouble(rect.height)};
}

// Adds (x, y, width, height) to the region with each edge truncated after adding 0.5:
// left = trunc(x + 0.5), right = left + trunc(width + 0.5); the same vertically.
void AddRectToRegion(LRegion& region, const RectT<double>& rect);

// The first value for axis 0, the second for any other axis.
inline double& GetAxisRef(PointT<double>& pair, int32_t axis) noexcept
{
    return axis == 0 ? pair.x : pair.y;
}
inline double GetAxisValue(const PointT<double>& pair, int32_t axis) noexcept
{
    return axis == 0 ? pair.x : pair.y;
}

// The rectangle (left, top, right, bottom) at index, or the empty rectangle past the end.
RectT<int32_t> GetRegionRectAt(const LRegion& region, uint32_t index) noexcept;

// Makes a negative width or height positive, then floors the four edges with a relative
// tolerance of one double epsilon and rebuilds width and height from them.
void SnapRect(RectT<double>& rect) noexcept;

} // namespace KX
