// Region arithmetic on rectangle lists, checked against a pixel model, and the node pool.
#include "kx/Region.h"

#include <gtest/gtest.h>

#include <limits>
#include <random>
#include <vector>

using namespace KX;

namespace {

// Pixels [kLo, kHi) in both directions, each with the number of rectangles covering it.
constexpr int kLo = -8;
constexpr int kHi = 48;
constexpr int kSpan = kHi - kLo;

using Coverage = std::vector<int>;

Coverage CoverageOf(const LRegion& region)
{
    Coverage cover(kSpan * kSpan, 0);
    for (const LRegionNode* n = region.GetFirst(); n; n = n->next)
        for (int y = n->top; y < n->bottom; ++y)
            for (int x = n->left; x < n->right; ++x)
                ++cover[(y - kLo) * kSpan + (x - kLo)];
    return cover;
}

struct R {
    int l, t, r, b;
};

Coverage Paint(Coverage cover, const R& rect, int value)
{
    for (int y = rect.t; y < rect.b; ++y)
        for (int x = rect.l; x < rect.r; ++x)
            cover[(y - kLo) * kSpan + (x - kLo)] = value;
    return cover;
}

// Every pixel covered at most once.
bool NoOverlap(const Coverage& cover)
{
    for (int c : cover)
        if (c > 1)
            return false;
    return true;
}

std::vector<R> Rects(const LRegion& region)
{
    std::vector<R> rects;
    for (const LRegionNode* n = region.GetFirst(); n; n = n->next)
        rects.push_back(R{n->left, n->top, n->right, n->bottom});
    return rects;
}

R RandomRect(std::mt19937& rng)
{
    std::uniform_int_distribution<int> pos(kLo, kHi - 1);
    int l = pos(rng), r = pos(rng), t = pos(rng), b = pos(rng);
    if (l > r)
        std::swap(l, r);
    if (t > b)
        std::swap(t, b);
    return R{l, t, r, b};
}

// Live pool nodes are back where they were when the test ends.
class RegionTest : public ::testing::Test {
protected:
    void SetUp() override { m_live = LRegionNodePool::GetLiveCount(); }
    void TearDown() override { EXPECT_EQ(LRegionNodePool::GetLiveCount(), m_live); }

private:
    uint32_t m_live = 0;
};

} // namespace

TEST_F(RegionTest, AddRectKeepsRectanglesApart)
{
    LRegion region;
    region.AddRect(0, 0, 10, 10);
    region.AddRect(5, 5, 15, 15);
    EXPECT_EQ(region.GetRectCount(), 3u);
    const Coverage cover = CoverageOf(region);
    EXPECT_TRUE(NoOverlap(cover));
    Coverage expected(kSpan * kSpan, 0);
    expected = Paint(Paint(expected, {0, 0, 10, 10}, 1), {5, 5, 15, 15}, 1);
    EXPECT_EQ(cover, expected);

    int32_t l, t, r, b;
    EXPECT_TRUE(region.GetBounds(l, t, r, b));
    EXPECT_EQ(l, 0);
    EXPECT_EQ(t, 0);
    EXPECT_EQ(r, 15);
    EXPECT_EQ(b, 15);
    // The rectangle added last is first.
    EXPECT_EQ(Rects(region).front().l, 5);
}

TEST_F(RegionTest, DegenerateRectanglesAreIgnored)
{
    LRegion region;
    region.AddRect(5, 0, 5, 10);
    region.AddRect(0, 7, 10, 7);
    region.AddRect(10, 10, 0, 0);
    EXPECT_TRUE(region.IsEmpty());
    int32_t l = 1, t = 1, r = 1, b = 1;
    EXPECT_FALSE(region.GetBounds(l, t, r, b));
    EXPECT_EQ(l | t | r | b, 0);
}

TEST_F(RegionTest, SubtractInsideLeavesAFrameAndCollectsTheHole)
{
    LRegion region;
    region.AddRect(0, 0, 30, 30);
    LRegion hole;
    region.SubtractRect(10, 10, 20, 20, &hole);
    EXPECT_EQ(region.GetRectCount(), 4u);
    Coverage expected = Paint(Coverage(kSpan * kSpan, 0), {0, 0, 30, 30}, 1);
    EXPECT_EQ(CoverageOf(region), Paint(expected, {10, 10, 20, 20}, 0));
    ASSERT_EQ(hole.GetRectCount(), 1u);
    EXPECT_EQ(Rects(hole)[0].l, 10);
    EXPECT_EQ(Rects(hole)[0].b, 20);

    // Without a collecting region the cut part is simply gone; a rectangle that only touches cuts nothing.
    region.SubtractRect(30, 0, 40, 30);
    EXPECT_EQ(region.GetRectCount(), 4u);
    region.SubtractRect(-5, -5, 50, 50);
    EXPECT_TRUE(region.IsEmpty());
}

TEST_F(RegionTest, EmptyRectanglesCutNothing)
{
    // An empty rectangle across a node must neither split it nor leave empty pieces, which
    // would make Optimize cut bands for ever.
    LRegion region;
    region.AddRect(0, 0, 20, 20);
    LRegion cut;
    region.SubtractRect(5, 10, 15, 10, &cut);
    region.SubtractRect(10, 0, 10, 20, &cut);
    EXPECT_EQ(region.GetRectCount(), 1u);
    EXPECT_TRUE(cut.IsEmpty());
    region.AddRect(-5, 10, 0, 30);
    region.Optimize();
    EXPECT_EQ(CoverageOf(region), Paint(Paint(Coverage(kSpan * kSpan, 0), {0, 0, 20, 20}, 1), {-5, 10, 0, 30}, 1));

    // Rectangles pushed entirely past the end of the coordinate range are dropped.
    LRegion edge;
    edge.AddRect(2147483600, 0, 2147483640, 10);
    edge.AddRect(0, 0, 10, 10);
    edge.Offset(100, 0);
    EXPECT_EQ(edge.GetRectCount(), 1u);
    edge.Optimize();
    EXPECT_EQ(edge.GetRectCount(), 1u);
}

TEST_F(RegionTest, RandomOperationsMatchThePixelModel)
{
    std::mt19937 rng(12345);
    for (int round = 0; round < 60; ++round) {
        LRegion region;
        Coverage model(kSpan * kSpan, 0);
        for (int step = 0; step < 12; ++step) {
            const R rect = RandomRect(rng);
            if (rng() % 3 == 0) {
                LRegion cut;
                const Coverage before = CoverageOf(region);
                region.SubtractRect(rect.l, rect.t, rect.r, rect.b, &cut);
                model = Paint(model, rect, 0);
                // What was cut is exactly the part of the region inside the rectangle.
                Coverage inside(kSpan * kSpan, 0);
                for (size_t i = 0; i < inside.size(); ++i)
                    inside[i] = before[i] - model[i];
                EXPECT_EQ(CoverageOf(cut), inside);
            } else {
                region.AddRect(rect.l, rect.t, rect.r, rect.b);
                model = Paint(model, rect, 1);
            }
            const Coverage cover = CoverageOf(region);
            ASSERT_TRUE(NoOverlap(cover)) << "round " << round << " step " << step;
            ASSERT_EQ(cover, model) << "round " << round << " step " << step;
        }

        // Intersection with another region built the same way.
        LRegion other;
        Coverage otherModel(kSpan * kSpan, 0);
        for (int step = 0; step < 5; ++step) {
            const R rect = RandomRect(rng);
            other.AddRect(rect.l, rect.t, rect.r, rect.b);
            otherModel = Paint(otherModel, rect, 1);
        }
        LRegion both(region);
        both.Intersect(other);
        Coverage expected(kSpan * kSpan, 0);
        for (size_t i = 0; i < expected.size(); ++i)
            expected[i] = model[i] & otherModel[i];
        EXPECT_EQ(CoverageOf(both), expected);

        // Optimising changes neither the area nor the absence of overlaps, also when repeated.
        LRegion optimised(region);
        optimised.Optimize();
        EXPECT_EQ(CoverageOf(optimised), model);
        optimised.Optimize();
        EXPECT_EQ(CoverageOf(optimised), model);
    }
}

TEST_F(RegionTest, OptimizeMergesNeighbours)
{
    LRegion halves;
    halves.AddRect(0, 0, 5, 10);
    halves.AddRect(5, 0, 10, 10);
    halves.Optimize();
    ASSERT_EQ(halves.GetRectCount(), 1u);
    EXPECT_EQ(Rects(halves)[0].r, 10);

    // Stacked rectangles of the same width become one, also across several bands.
    LRegion stack;
    stack.AddRect(0, 0, 8, 4);
    stack.AddRect(0, 8, 8, 12);
    stack.AddRect(0, 4, 8, 8);
    stack.Optimize();
    ASSERT_EQ(stack.GetRectCount(), 1u);
    const R r = Rects(stack)[0];
    EXPECT_EQ(r.t, 0);
    EXPECT_EQ(r.b, 12);

    // The frame left by a hole: four pieces in three bands.
    LRegion frame;
    frame.AddRect(0, 0, 30, 30);
    frame.SubtractRect(10, 10, 20, 20);
    frame.Optimize();
    EXPECT_EQ(frame.GetRectCount(), 4u);
    const std::vector<R> sorted = Rects(frame);
    for (size_t i = 1; i < sorted.size(); ++i)
        EXPECT_LE(sorted[i - 1].t, sorted[i].t);

    // Overlapping tall and short rectangles are cut into bands.
    LRegion tall;
    tall.AddRect(0, 0, 5, 20);
    tall.AddRect(10, 5, 15, 10);
    tall.Optimize();
    Coverage expected = Paint(Paint(Coverage(kSpan * kSpan, 0), {0, 0, 5, 20}, 1), {10, 5, 15, 10}, 1);
    EXPECT_EQ(CoverageOf(tall), expected);
    EXPECT_EQ(tall.GetRectCount(), 2u);
}

TEST_F(RegionTest, AddRegionCopiesWithoutRemovingOverlap)
{
    LRegion a;
    a.AddRect(0, 0, 10, 10);
    LRegion b;
    b.AddRect(5, 0, 15, 10);
    b.AddRect(20, 0, 25, 5);
    a.AddRegion(b);
    EXPECT_EQ(a.GetRectCount(), 3u);
    EXPECT_FALSE(NoOverlap(CoverageOf(a)));
    // Copies go to the front in the other's order, so the other's last rectangle comes first.
    EXPECT_EQ(Rects(a)[0].l, 5);
    EXPECT_EQ(Rects(a)[1].l, 20);

    // Adding a region to itself doubles it.
    b.AddRegion(b);
    EXPECT_EQ(b.GetRectCount(), 4u);
}

TEST_F(RegionTest, OperationsWithItself)
{
    LRegion region;
    region.AddRect(0, 0, 10, 10);
    region.AddRect(20, 0, 30, 10);
    region.Intersect(region);
    EXPECT_EQ(CoverageOf(region), Paint(Paint(Coverage(kSpan * kSpan, 0), {0, 0, 10, 10}, 1), {20, 0, 30, 10}, 1));
    LRegion cut;
    region.SubtractRegion(region, &cut);
    EXPECT_TRUE(region.IsEmpty());
    EXPECT_EQ(cut.GetRectCount(), 2u);
}

TEST_F(RegionTest, QueriesAndOffset)
{
    LRegion region;
    region.AddRect(10, 10, 20, 20);
    region.AddRect(30, 10, 40, 15);

    Array<RectT<int32_t>> rects;
    rects.AddItem(RectT<int32_t>{1, 1, 1, 1});
    region.ForEachRect(rects);
    ASSERT_EQ(rects.GetCount(), 2u);
    EXPECT_EQ(rects.ElementAt(0), (RectT<int32_t>{30, 10, 10, 5}));
    EXPECT_EQ(rects.ElementAt(1), (RectT<int32_t>{10, 10, 10, 10}));

    EXPECT_TRUE(region.IntersectsRect(19, 19, 25, 25));
    EXPECT_FALSE(region.IntersectsRect(20, 10, 30, 20)); // touching only
    EXPECT_FALSE(region.IntersectsRect(0, 0, 100, 10));

    EXPECT_TRUE(region.IntersectsRectF({15, 15, 1, 1}, {0, 0}));
    EXPECT_TRUE(region.IntersectsRectF({5, 5, 1, 1}, {10, 10}));
    EXPECT_FALSE(region.IntersectsRectF({15, 15, 1e-20, 1}, {0, 0}));
    EXPECT_FALSE(region.IntersectsRectF({15, 15, 1, 1}, {std::numeric_limits<double>::quiet_NaN(), 0}));
    // Negative coordinates are cut off at 0; huge ones at the 32-bit range.
    EXPECT_TRUE(region.IntersectsRectF({-1e12, -1e12, 2e12, 2e12}, {0, 0}));

    region.Offset(5, -5);
    int32_t l, t, r, b;
    region.GetBounds(l, t, r, b);
    EXPECT_EQ(l, 15);
    EXPECT_EQ(t, 5);
    EXPECT_EQ(r, 45);
    EXPECT_EQ(b, 15);

    // Offsets saturate instead of wrapping around.
    LRegion far;
    far.AddRect(std::numeric_limits<int32_t>::max() - 200, 0, std::numeric_limits<int32_t>::max() - 5, 5);
    far.Offset(100, -100);
    far.GetBounds(l, t, r, b);
    EXPECT_EQ(l, std::numeric_limits<int32_t>::max() - 100);
    EXPECT_EQ(r, std::numeric_limits<int32_t>::max());
    EXPECT_EQ(t, -100);
    LRegion wide;
    wide.AddRect(std::numeric_limits<int32_t>::min(), 0, std::numeric_limits<int32_t>::max(), 1);
    wide.ForEachRect(rects);
    EXPECT_EQ(rects.ElementAt(0).width, std::numeric_limits<int32_t>::max());
}

TEST_F(RegionTest, CopyAndMoveKeepOrder)
{
    LRegion region;
    region.AddRect(0, 0, 1, 1);
    region.AddRect(2, 0, 3, 1);
    region.AddRect(4, 0, 5, 1);
    LRegion copy(region);
    std::vector<R> a = Rects(region), b = Rects(copy);
    ASSERT_EQ(a.size(), b.size());
    for (size_t i = 0; i < a.size(); ++i)
        EXPECT_EQ(a[i].l, b[i].l);
    LRegion moved(std::move(copy));
    EXPECT_TRUE(copy.IsEmpty());
    EXPECT_EQ(moved.GetRectCount(), 3u);
    moved = region;
    EXPECT_EQ(moved.GetRectCount(), 3u);
    moved = LRegion();
    EXPECT_TRUE(moved.IsEmpty());
}

TEST_F(RegionTest, PoolRecyclesAndOverflowsToTheHeap)
{
    const uint32_t live = LRegionNodePool::GetLiveCount();
    const uint32_t heapBefore = LRegionNodePool::GetHeapAllocationCount();
    {
        LRegion many;
        for (int i = 0; i < 600; ++i)
            many.AddRect(i * 2, 0, i * 2 + 1, 1);
        EXPECT_EQ(many.GetRectCount(), 600u);
        EXPECT_EQ(LRegionNodePool::GetLiveCount(), live + 600);
        EXPECT_GE(LRegionNodePool::GetPeakCount(), live + 600);
        EXPECT_GE(LRegionNodePool::GetHeapAllocationCount(), heapBefore + 600 - LRegionNodePool::kBlockSlots);
    }
    EXPECT_EQ(LRegionNodePool::GetLiveCount(), live);
    // Freed block slots are used again before the heap.
    const uint32_t heapAfter = LRegionNodePool::GetHeapAllocationCount();
    LRegion few;
    for (int i = 0; i < 100; ++i)
        few.AddRect(i * 2, 0, i * 2 + 1, 1);
    EXPECT_EQ(LRegionNodePool::GetHeapAllocationCount(), heapAfter);
    // Nodes come out zeroed: a fresh rectangle holds exactly what was added.
    EXPECT_EQ(Rects(few).front().r, 199);
}
