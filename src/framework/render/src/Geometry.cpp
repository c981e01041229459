#include "kx/Geometry.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace KX {

double RoundHalfAwayFromZero(double value) noexcept
{
    return std::round(value);
}

bool IntersectRects(const RectT<double>& a, const RectT<double>& b, RectT<double>& out) noexcept
{
    const double left = std::max(a.x, b.x);
    const double top = std::max(a.y, b.y);
    const double right = std::min(a.x + a.width, b.x + b.width);
    const double bottom = std::min(a.y + a.height, b.y + b.height);
    const double width = right - left;
    const double height = bottom - top;
    if (width > kDoubleEpsilon && height > kDoubleEpsilon) {
        out = RectT<double>{left, top, width, height};
        return true;
    }
    out = RectT<double>{};
    return false;
}

namespace {
// The whole number v lies on when it is closer to it than a relative epsilon; else v.
double SnapNearWhole(double v)
{
    const double whole = std::round(v);
    return std::fabs(v - whole) < std::fabs(v) * kDoubleEpsilon ? whole : v;
}

// Floor and ceiling that treat a value within a relative epsilon of a whole number as that number.
double FloorTolerant(double v)
{
    return std::floor(SnapNearWhole(v));
}

double CeilTolerant(double v)
{
    return std::ceil(SnapNearWhole(v));
}
} // namespace

void SnapRectOutward(RectT<double>& rect) noexcept
{
    if (rect.width < 0) {
        rect.x += rect.width;
        rect.width = -rect.width;
    }
    if (rect.height < 0) {
        rect.y += rect.height;
        rect.height = -rect.height;
    }
    const double left = FloorTolerant(rect.x);
    const double top = FloorTolerant(rect.y);
    const double right = CeilTolerant(rect.x + rect.width);
    const double bottom = CeilTolerant(rect.y + rect.height);
    rect.x = left;
    rect.y = top;
    rect.width = std::max(right, left) - left;
    rect.height = std::max(bottom, top) - top;
}

void RoundPointInPlace(PointT<double>& point) noexcept
{
    point.x = std::round(point.x);
    point.y = std::round(point.y);
}

PointT<int32_t> RoundSizeToLong(double cx, double cy) noexcept
{
    return PointT<int32_t>{RoundToInt32(cx), RoundToInt32(cy)};
}

PointT<int32_t> RoundPointToInt(const PointT<float>& point) noexcept
{
    return PointT<int32_t>{RoundToInt32(point.x), RoundToInt32(point.y)};
}

bool UnionRectsF(const RectT<float>& a, const RectT<float>& b, RectT<float>& out) noexcept
{
    const float left = std::min(a.x, b.x);
    const float top = std::min(a.y, b.y);
    const float right = std::max(a.x + a.width, b.x + b.width);
    const float bottom = std::max(a.y + a.height, b.y + b.height);
    out = RectT<float>{left, top, right - left, bottom - top};
    return out.width > kFloatEpsilon && out.height > kFloatEpsilon;
}

namespace Detail {
int32_t NextShapeHandle() noexcept
{
    static std::atomic<int32_t> counter{0};
    int32_t handle = counter.fetch_add(1) + 1;
    while (handle == 0)
        handle = counter.fetch_add(1) + 1;
    return handle;
}
} // namespace Detail

} // namespace KX
