// Rounding, saturation and rectangle helpers of the drawing code, and shape handles.
#include "kx/Geometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace KX;

namespace {
constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
const double kNaN = std::numeric_limits<double>::quiet_NaN();
} // namespace

TEST(GeometryRounding, HalfAwayFromZeroWithSaturation)
{
    EXPECT_EQ(RoundSizeToLong(2.5, -2.5), (PointT<int32_t>{3, -3}));
    EXPECT_EQ(RoundSizeToLong(0.49, -0.49), (PointT<int32_t>{0, 0}));
    // The largest double below 0.5 must not round up (adding 0.5 first would make it 1).
    EXPECT_EQ(RoundToInt32(0.49999999999999994), 0);
    EXPECT_EQ(RoundToInt32(-0.49999999999999994), 0);
    EXPECT_EQ(RoundSizeToLong(3.0e9, -3.0e9), (PointT<int32_t>{kMax, kMin}));
    EXPECT_EQ(RoundSizeToLong(kNaN, std::numeric_limits<double>::infinity()), (PointT<int32_t>{kMin, kMax}));
    EXPECT_EQ(RoundToInt32(-std::numeric_limits<double>::infinity()), kMin);
    // The range edges themselves.
    EXPECT_EQ(RoundToInt32(2147483647.4), kMax);
    EXPECT_EQ(RoundToInt32(2147483647.5), kMax);
    EXPECT_EQ(RoundToInt32(-2147483648.0), kMin);
    EXPECT_EQ(RoundToInt32(-2147483647.5), kMin);
    EXPECT_EQ(RoundToInt32(-2147483646.5), -2147483647);
}

TEST(GeometryRounding, PointsOfFloatsAndDoubles)
{
    EXPECT_EQ(RoundPointToInt(PointT<float>{2.5f, -2.5f}), (PointT<int32_t>{3, -3}));
    EXPECT_EQ(RoundPointToInt(PointT<float>{3.0e9f, -3.0e9f}), (PointT<int32_t>{kMax, kMin}));
    EXPECT_EQ(RoundPointToInt(PointT<float>{2147483648.0f, std::numeric_limits<float>::quiet_NaN()}),
              (PointT<int32_t>{kMax, kMin}));

    PointT<double> p{10.5, -20.5};
    RoundPointInPlace(p);
    EXPECT_EQ(p, (PointT<double>{11.0, -21.0}));
    p = PointT<double>{1e300, -0.4};
    RoundPointInPlace(p);
    EXPECT_EQ(p.x, 1e300);
    EXPECT_EQ(p.y, 0.0);
}

TEST(GeometryRects, IntersectionAndItsEmptyResult)
{
    RectT<double> out;
    EXPECT_TRUE(IntersectRects({0, 0, 10, 10}, {5, -5, 10, 10}, out));
    EXPECT_EQ(out, (RectT<double>{5, 0, 5, 5}));

    // Touching edges, disjoint rectangles and slivers give the empty rectangle.
    out = RectT<double>{1, 2, 3, 4};
    EXPECT_FALSE(IntersectRects({0, 0, 10, 10}, {10, 0, 5, 5}, out));
    EXPECT_EQ(out, (RectT<double>{}));
    EXPECT_FALSE(IntersectRects({0, 0, 10, 10}, {20, 20, 5, 5}, out));
    EXPECT_EQ(out, (RectT<double>{}));
    EXPECT_FALSE(IntersectRects({0, 0, 10, 10}, {5, 5, 1e-17, 3}, out));

    // The result may be written over an argument.
    RectT<double> a{0, 0, 8, 8};
    EXPECT_TRUE(IntersectRects(a, {2, 2, 10, 10}, a));
    EXPECT_EQ(a, (RectT<double>{2, 2, 6, 6}));
}

TEST(GeometryRects, SnapOutwardWidensToWholePixels)
{
    RectT<double> r{10.4, 20.6, 5.2, 3.0};
    SnapRectOutward(r);
    EXPECT_EQ(r, (RectT<double>{10, 20, 6, 4}));

    // Negative sizes move the corner to the other edge first.
    r = RectT<double>{10.5, 10.5, -4.0, -2.25};
    SnapRectOutward(r);
    EXPECT_EQ(r, (RectT<double>{6, 8, 5, 3}));

    // Negative coordinates go down, not toward zero.
    r = RectT<double>{-0.5, -1.5, 1.0, 1.0};
    SnapRectOutward(r);
    EXPECT_EQ(r, (RectT<double>{-1, -2, 2, 2}));

    // Edges within the relative tolerance of a whole number count as on it.
    r = RectT<double>{0.9999999999999999, 3.0000000000000004, 1.0, 1.0};
    SnapRectOutward(r);
    EXPECT_EQ(r, (RectT<double>{1, 3, 1, 1}));

    // Whole-pixel rectangles stay as they are, the huge "clip nothing" one included.
    r = RectT<double>{-5000000136282112.0, -5000000136282112.0, 10000000272564224.0, 10000000272564224.0};
    const RectT<double> before = r;
    SnapRectOutward(r);
    EXPECT_EQ(r, before);
}

TEST(GeometryRects, UnionOfFloatRectangles)
{
    RectT<float> out;
    EXPECT_TRUE(UnionRectsF({0, 0, 10, 5}, {20, -5, 5, 5}, out));
    EXPECT_EQ(out, (RectT<float>{0, -5, 25, 10}));
    EXPECT_FALSE(UnionRectsF({3, 3, 0, 0}, {3, 3, 0, 10}, out));
    EXPECT_EQ(out, (RectT<float>{3, 3, 0, 10}));
}

TEST(GeometryShapes, CopiesAreNewShapes)
{
    PolylineT<float> a;
    a.AddPoint(1, 2);
    EXPECT_NE(a.GetHandle(), 0);
    EXPECT_TRUE(a.TakeChanged());
    EXPECT_FALSE(a.TakeChanged());

    // A copy must not share what renderers cached for the original.
    const PolylineT<float> copy(a);
    EXPECT_NE(copy.GetHandle(), a.GetHandle());
    EXPECT_EQ(copy.GetPoints().ElementAt(0), (PointT<float>{1, 2}));
    // An assigned shape keeps its handle and must be rebuilt.
    PolylineT<float> b;
    const int32_t handle = b.GetHandle();
    b.TakeChanged();
    b = a;
    EXPECT_EQ(b.GetHandle(), handle);
    EXPECT_TRUE(b.IsChanged());
}
