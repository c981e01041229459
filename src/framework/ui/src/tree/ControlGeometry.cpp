#include "kx/ui/ControlGeometry.h"

#include <cmath>

namespace KX {

PointT<int32_t> RoundPointToLong(const PointT<double>& point) noexcept
{
    return PointT<int32_t>{RoundToInt32(point.x), RoundToInt32(point.y)};
}

RectT<int32_t> RoundRectToLong(const RectT<double>& rect) noexcept
{
    return RectT<int32_t>{RoundToInt32(rect.x), RoundToInt32(rect.y), RoundToInt32(rect.width),
                          RoundToInt32(rect.height)};
}

namespace {
// Truncation toward zero, saturating at the 32-bit range (NaN gives 0x80000000).
int32_t TruncToInt32(double v) noexcept
{
    if (std::isnan(v) || v < -2147483648.0)
        return INT32_MIN;
    if (v > 2147483647.0)
        return INT32_MAX;
    return static_cast<int32_t>(v);
}

int32_t SaturatedAdd(int32_t a, int32_t b) noexcept
{
    const int64_t sum = static_cast<int64_t>(a) + b;
    if (sum > INT32_MAX)
        return INT32_MAX;
    if (sum < INT32_MIN)
        return INT32_MIN;
    return static_cast<int32_t>(sum);
}

// Floors v with a relative tolerance of one double epsilon.
double FloorWithTolerance(double v) noexcept
{
    if (v >= 0.0)
        return std::trunc(v + v * kDoubleEpsilon);
    return std::trunc(v - (v * kDoubleEpsilon + 1.0));
}
} // namespace

void AddRectToRegion(LRegion& region, const RectT<double>& rect)
{
    const int32_t left = TruncToInt32(rect.x + 0.5);
    const int32_t top = TruncToInt32(rect.y + 0.5);
    const int32_t right = SaturatedAdd(left, TruncToInt32(rect.width + 0.5));
    const int32_t bottom = SaturatedAdd(top, TruncToInt32(rect.height + 0.5));
    region.AddRect(left, top, right, bottom);
}

RectT<int32_t> GetRegionRectAt(const LRegion& region, uint32_t index) noexcept
{
    const LRegionNode* node = region.GetFirst();
    for (uint32_t i = 0; node && i < index; ++i)
        node = node->next;
    if (!node)
        return RectT<int32_t>{};
    return RectT<int32_t>{node->left, node->top, node->right, node->bottom};
}

void SnapRect(RectT<double>& rect) noexcept
{
    if (rect.width < 0.0) {
        rect.x += rect.width;
        rect.width = -rect.width;
    }
    if (rect.height < 0.0) {
        rect.y += rect.height;
        rect.height = -rect.height;
    }
    const double left = FloorWithTolerance(rect.x);
    const double top = FloorWithTolerance(rect.y);
    const double right = FloorWithTolerance(rect.x + rect.width);
    const double bottom = FloorWithTolerance(rect.y + rect.height);
    rect = RectT<double>{left, top, right - left, bottom - top};
}

} // namespace KX
