// The OpenGL renderer's display lists and purging caches: shapes and colour-rectangle lists
// compiled once and replayed, rebuilt when changed, evicted and aged out.
#include "GLRendererTestUtil.h"

#include <vector>

using namespace KX;
using namespace gltest;

namespace {

const LColor kRed(1.0f, 0.0f, 0.0f, 1.0f);
const LColor kGreen(0.0f, 1.0f, 0.0f, 1.0f);
const PointT<float> kNoOffset{0.0f, 0.0f};
const PointT<float> kUnitScale{1.0f, 1.0f};

PolylineT<float> Square(float x, float y, float size)
{
    PolylineT<float> square;
    square.AddPoint(x, y);
    square.AddPoint(x + size, y);
    square.AddPoint(x + size, y + size);
    square.AddPoint(x, y + size);
    return square;
}

class GLLists : public ::testing::Test {
protected:
    void SetUp() override
    {
        context = rig.MakeContext(64, 48);
        Start();
    }
    void TearDown() override
    {
        if (rig.renderer->GetContextStack().GetCount() != 0)
            rig.renderer->RenderFinish(context);
    }
    void Start()
    {
        rig.renderer->RenderStart(context);
        rig.renderer->FillRect({0, 0, 64, 48}, kBlack, false);
    }
    void Finish() { rig.renderer->RenderFinish(context); }
    uint32_t At(int32_t x, int32_t y) const { return Rgb(PixelAt(*context, x, y)); }
    LGLDisplayListCache& Cache(LGLRenderer::ListCache which) { return rig.renderer->GetListCache(which); }

    GLRig rig;
    RCPtr<LGLRenderContextInfo> context;
};

} // namespace

TEST_F(GLLists, ListsAreMadeOnFirstUseAndCalledInRange)
{
    RCPtr<LGLDisplayList> lists(new LGLDisplayList(2));
    EXPECT_EQ(lists->GetFirst(), LGLDisplayList::kNoList);
    EXPECT_EQ(lists->Call(0, 1), E_FAIL);
    ASSERT_EQ(lists->Begin(1), S_OK);
    glEndList();
    const GLuint first = lists->GetFirst();
    EXPECT_NE(first, LGLDisplayList::kNoList);
    EXPECT_EQ(lists->Begin(2), E_INVALIDARG);
    EXPECT_EQ(lists->Call(0, 2), S_OK);
    EXPECT_EQ(lists->Call(1, 2), E_INVALIDARG);
    EXPECT_EQ(lists->Call(-1, 1), E_INVALIDARG);
    EXPECT_EQ(lists->Call(0x7FFFFFFF, 1), E_INVALIDARG);
    EXPECT_EQ(LGLDisplayList::GetEmpty()->GetCount(), 0);
    EXPECT_EQ(const_cast<LGLDisplayList*>(LGLDisplayList::GetEmpty().Get())->Begin(0), E_FAIL);
    lists = nullptr;
    EXPECT_FALSE(glIsList(first));
}

TEST_F(GLLists, AnUnchangedShapeIsCompiledOnceAndReplayedWhereverItIsDrawn)
{
    PolylineT<float> square = Square(2.0f, 2.0f, 6.0f);
    rig.renderer->FillPolygon(square, kRed, kNoOffset, kUnitScale, true);
    LGLDisplayList* compiled = Cache(LGLRenderer::ListCache::FilledPolygons).Peek(square.GetHandle());
    ASSERT_NE(compiled, nullptr);
    const GLuint first = compiled->GetFirst();
    EXPECT_FALSE(square.IsChanged());

    // Offset and scale are applied around the list, so one list serves both places.
    rig.renderer->FillPolygon(square, kGreen, {30.0f, 10.0f}, {2.0f, 1.0f}, true);
    EXPECT_EQ(Cache(LGLRenderer::ListCache::FilledPolygons).Peek(square.GetHandle()), compiled);
    EXPECT_EQ(compiled->GetFirst(), first);
    Finish();
    EXPECT_EQ(At(2, 2), 0xFF0000u);
    EXPECT_EQ(At(7, 7), 0xFF0000u);
    EXPECT_EQ(At(34, 12), 0x00FF00u); // (2,2) * (2,1) + (30,10)
    EXPECT_EQ(At(45, 17), 0x00FF00u);
    EXPECT_EQ(At(46, 17), 0u);
}

TEST_F(GLLists, AChangedShapeIsRecompiledAndItsFlagCleared)
{
    PolylineT<float> square = Square(2.0f, 2.0f, 4.0f);
    rig.renderer->FillPolygon(square, kRed, kNoOffset, kUnitScale, true);
    const GLuint before = Cache(LGLRenderer::ListCache::FilledPolygons).Peek(square.GetHandle())->GetFirst();
    square.SetPoint(2, 20.0f, 20.0f);
    square.SetPoint(1, 20.0f, 2.0f);
    square.SetPoint(3, 2.0f, 20.0f);
    ASSERT_TRUE(square.IsChanged());
    rig.renderer->FillRect({0, 0, 64, 48}, kBlack, false);
    rig.renderer->FillPolygon(square, kRed, kNoOffset, kUnitScale, true);
    EXPECT_FALSE(square.IsChanged());
    LGLDisplayList* after = Cache(LGLRenderer::ListCache::FilledPolygons).Peek(square.GetHandle());
    ASSERT_NE(after, nullptr);
    EXPECT_NE(after->GetFirst(), before);
    Finish();
    EXPECT_EQ(At(18, 18), 0xFF0000u);
}

TEST_F(GLLists, AChangeSeenByOneKindOfDrawingRebuildsTheOthersToo)
{
    PolylineT<float> line;
    line.AddPoint(0.0f, 10.5f);
    line.AddPoint(30.0f, 10.5f);
    rig.renderer->DrawPolyline(line, kRed, kNoOffset, kUnitScale, true);
    rig.renderer->FillPolygon(Square(0, 0, 1), kRed, kNoOffset, kUnitScale, true);

    // Moved; the segment drawing reads (and clears) the changed flag.
    line.SetPoint(0, 0.0f, 30.5f);
    line.SetPoint(1, 30.0f, 30.5f);
    rig.renderer->DrawLineSegments(line, kGreen, kNoOffset, kUnitScale, true);
    EXPECT_FALSE(line.IsChanged());
    EXPECT_EQ(Cache(LGLRenderer::ListCache::Polylines).Peek(line.GetHandle()), nullptr);

    rig.renderer->FillRect({0, 0, 64, 48}, kBlack, false);
    rig.renderer->DrawPolyline(line, kRed, kNoOffset, kUnitScale, true);
    Finish();
    EXPECT_EQ(At(15, 30), 0xFF0000u);
    EXPECT_EQ(At(15, 10), 0u);
}

TEST_F(GLLists, DrawingWithoutKeepingDropsTheEntryAndDrawsAtOnce)
{
    PolylineT<float> square = Square(4.0f, 4.0f, 8.0f);
    rig.renderer->FillPolygon(square, kRed, kNoOffset, kUnitScale, true);
    rig.renderer->DrawPolygon(square, kGreen, kNoOffset, kUnitScale, true);
    ASSERT_NE(Cache(LGLRenderer::ListCache::FilledPolygons).Peek(square.GetHandle()), nullptr);
    rig.renderer->DrawPolygon(square, kGreen, kNoOffset, kUnitScale, false);
    // An outline drawn uncached also drops the fill's list (and the other way round).
    EXPECT_EQ(Cache(LGLRenderer::ListCache::PolygonOutlines).Peek(square.GetHandle()), nullptr);
    EXPECT_EQ(Cache(LGLRenderer::ListCache::FilledPolygons).Peek(square.GetHandle()), nullptr);
    Finish();
    EXPECT_EQ(At(8, 8), 0xFF0000u);
}

TEST_F(GLLists, PolygonOutlinesAreOpenLineStrips)
{
    PolylineT<float> triangle;
    triangle.AddPoint(10.5f, 10.5f);
    triangle.AddPoint(40.5f, 10.5f);
    triangle.AddPoint(10.5f, 40.5f);
    rig.renderer->DrawPolygon(triangle, kGreen, kNoOffset, kUnitScale, true);
    rig.renderer->DrawPolygon(triangle, kGreen, {0.0f, 0.0f}, kUnitScale, false);
    Finish();
    EXPECT_NE(At(25, 10), 0u);
    EXPECT_NE(At(25, 25), 0u);
    EXPECT_EQ(At(10, 25), 0u) << "no edge back to the first point";
}

TEST_F(GLLists, PolygonsWhoseEdgesCrossAreFilled)
{
    // A bow tie: a left and a right triangle meeting at (20, 20).
    PolylineT<float> bowTie;
    bowTie.AddPoint(0.0f, 0.0f);
    bowTie.AddPoint(40.0f, 40.0f);
    bowTie.AddPoint(40.0f, 0.0f);
    bowTie.AddPoint(0.0f, 40.0f);
    rig.renderer->FillPolygon(bowTie, kRed, kNoOffset, kUnitScale, false);
    Finish();
    EXPECT_EQ(At(4, 20), 0xFF0000u);
    EXPECT_EQ(At(36, 20), 0xFF0000u);
    EXPECT_EQ(At(20, 8), 0u);
    EXPECT_EQ(At(20, 32), 0u);
}

TEST_F(GLLists, ColourRectanglesAreScaledOffsetAndDrawnLastFirst)
{
    ColorRectListT<float> list;
    list.AddRect({0.0f, 0.0f, 2.0f, 2.0f}, 0xFFFF0000u);
    list.AddRect({1.0f, 1.0f, 2.0f, 2.0f}, 0xFF00FF00u);
    list.SetScale(2.5f, 2.0f);
    rig.renderer->DrawColorRectList(list, {10.0, 4.0}, true);
    ASSERT_NE(Cache(LGLRenderer::ListCache::ColorRects).Peek(list.GetHandle()), nullptr);
    EXPECT_FALSE(list.IsChanged());
    Finish();
    // Red (10..15, 4..8) drawn last, over green (13..18, 6..10) (2.5 rounds to 3).
    EXPECT_EQ(At(10, 4), 0xFF0000u);
    EXPECT_EQ(At(14, 7), 0xFF0000u);
    EXPECT_EQ(At(15, 7), 0x00FF00u);
    EXPECT_EQ(At(17, 9), 0x00FF00u);
    EXPECT_EQ(At(18, 9), 0u);

    Start();
    list.SetScale(1.0f, 1.0f);
    rig.renderer->DrawColorRectList(list, {0.0, 0.0}, true);
    Finish();
    EXPECT_EQ(At(0, 0), 0xFF0000u);
    EXPECT_EQ(At(2, 2), 0x00FF00u);
    EXPECT_EQ(At(10, 4), 0u);
}

TEST_F(GLLists, The257thShapeTakesTheEntryUsedLongestAgo)
{
    std::vector<PolylineT<float>> shapes(257);
    for (size_t i = 0; i < shapes.size(); ++i) {
        shapes[i].AddPoint(0.0f, 0.5f);
        shapes[i].AddPoint(1.0f, 0.5f);
    }
    for (size_t i = 0; i < 256; ++i)
        rig.renderer->DrawPolyline(shapes[i], kRed, kNoOffset, kUnitScale, true);
    rig.renderer->DrawPolyline(shapes[0], kRed, kNoOffset, kUnitScale, true);
    LGLDisplayListCache& cache = Cache(LGLRenderer::ListCache::Polylines);
    EXPECT_EQ(cache.CountObjects(), 256u);
    const GLuint evictedList = cache.Peek(shapes[1].GetHandle())->GetFirst();
    rig.renderer->DrawPolyline(shapes[256], kRed, kNoOffset, kUnitScale, true);
    EXPECT_EQ(cache.CountObjects(), 256u);
    EXPECT_EQ(cache.Peek(shapes[1].GetHandle()), nullptr);
    EXPECT_NE(cache.Peek(shapes[0].GetHandle()), nullptr);
    EXPECT_NE(cache.Peek(shapes[256].GetHandle()), nullptr);
    EXPECT_NE(cache.Peek(shapes[2].GetHandle()), nullptr);
    // The evicted list was deleted with its entry (OpenGL may hand its name out again).
    EXPECT_TRUE(!glIsList(evictedList) || cache.Peek(shapes[256].GetHandle())->GetFirst() == evictedList);
}

TEST_F(GLLists, CachesAreAgedEveryFiveMinutes)
{
    PolylineT<float> kept = Square(0, 0, 4);
    PolylineT<float> dropped = Square(10, 0, 4);
    RCPtr<LBitmap> keptBitmap = MakeBitmap(2, 2, [](int32_t, int32_t) { return 0xFFFFFFFFu; });
    RCPtr<LBitmap> droppedBitmap = MakeBitmap(2, 2, [](int32_t, int32_t) { return 0xFF000000u; });
    auto drawAll = [&](bool both) {
        rig.renderer->FillPolygon(kept, kRed, kNoOffset, kUnitScale, true);
        rig.renderer->DrawBitmap(keptBitmap, {0, 20, 2, 2}, 0);
        if (both) {
            rig.renderer->FillPolygon(dropped, kRed, kNoOffset, kUnitScale, true);
            rig.renderer->DrawBitmap(droppedBitmap, {4, 20, 2, 2}, 0);
        }
    };
    LGLDisplayListCache& fills = Cache(LGLRenderer::ListCache::FilledPolygons);
    LGLRenderer::TextureCache& textures = rig.renderer->GetTextureCache();
    // The renderer was made before the host's clock took over.
    const uint32_t start = rig.renderer->GetLastPurgeTime();
    rig.host.tick = start;

    drawAll(true);
    rig.host.tick = start + 300000; // not more than five minutes: no purge
    Finish();
    EXPECT_EQ(rig.renderer->GetLastPurgeTime(), start);

    // The first purge marks the clock; everything was used since the start.
    Start();
    rig.host.tick = start + 300001;
    Finish();
    EXPECT_EQ(rig.renderer->GetLastPurgeTime(), start + 300001);
    EXPECT_EQ(fills.CountObjects(), 2u);
    EXPECT_EQ(textures.CountObjects(), 2u);

    // Only what was drawn since then survives the next one.
    Start();
    drawAll(false);
    rig.host.tick = start + 600003;
    Finish();
    EXPECT_EQ(rig.renderer->GetLastPurgeTime(), start + 600003);
    EXPECT_NE(fills.Peek(kept.GetHandle()), nullptr);
    EXPECT_EQ(fills.Peek(dropped.GetHandle()), nullptr);
    EXPECT_NE(textures.Peek(keptBitmap->GetHandle()), nullptr);
    EXPECT_EQ(textures.Peek(droppedBitmap->GetHandle()), nullptr);

    // A frame nested in another never purges; the outer one's end does.
    auto inner = rig.MakeContext(8, 8);
    Start();
    rig.renderer->RenderStart(inner);
    rig.host.tick = start + 900010;
    rig.renderer->RenderFinish(inner);
    EXPECT_EQ(rig.renderer->GetLastPurgeTime(), start + 600003);
    Finish();
    EXPECT_EQ(rig.renderer->GetLastPurgeTime(), start + 900010);
    EXPECT_EQ(fills.CountObjects(), 0u);
    EXPECT_EQ(textures.CountObjects(), 0u);
}

TEST(GLObjectCache, ADroppedEntryIsReusedBeforeTheOldestLiveOne)
{
    LGLObjectCache<LGLDisplayList, int32_t, &Detail::HashLowByte> cache(2);
    cache.GetSlot(1, false) = RCPtr<LGLDisplayList>(new LGLDisplayList(0));
    cache.GetSlot(2, false) = RCPtr<LGLDisplayList>(new LGLDisplayList(0));
    cache.GetSlot(1, false); // 2 is now the entry used longest ago
    EXPECT_TRUE(cache.Drop(1));
    EXPECT_FALSE(cache.Drop(7));
    EXPECT_EQ(cache.CountObjects(), 1u);
    cache.GetSlot(3, false) = RCPtr<LGLDisplayList>(new LGLDisplayList(0));
    EXPECT_NE(cache.Peek(2), nullptr);
    EXPECT_NE(cache.Peek(3), nullptr);
    EXPECT_EQ(cache.Peek(1), nullptr);
}
