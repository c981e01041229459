// GDI+ renderer: bitmaps through the cache of pre-scaled cached bitmaps — stretching, tiling,
// centring, sub-bitmaps, the resize-type check and the cache's entries.
#include "GdiRendererTestUtil.h"

#include <functional>
#include <string>

using namespace KX;
using gditest::Checker;
using gditest::MakeContext;
using gditest::MakePatternBitmap;
using gditest::MakeRenderer;
using gditest::SurfacePixel;
using rendertest::Hex;

namespace {

constexpr gdi::ARGB kRedARGB = 0xFFFF0000;
constexpr gdi::ARGB kBlueARGB = 0xFF0000FF;

class GdiBitmaps : public ::testing::Test {
protected:
    void SetUp() override
    {
        renderer = MakeRenderer();
        context = MakeContext(*renderer, {0, 0, 80, 60});
        renderer->RenderStart(context);
    }
    void TearDown() override { renderer->RenderFinish(context); }
    gdi::ARGB At(int32_t x, int32_t y) const { return SurfacePixel(*context, x, y); }
    // Starts the next test step on a transparent surface.
    void Clear() { renderer->FillRect({0, 0, 80, 60}, LColor(), false); }

    // Every pixel of the w x h rectangle at (x0, y0) is expected(x, y).
    template <class Expected>
    void ExpectArea(int32_t x0, int32_t y0, int32_t w, int32_t h, Expected expected)
    {
        for (int32_t y = 0; y < h; ++y)
            for (int32_t x = 0; x < w; ++x)
                ASSERT_EQ(Hex(At(x0 + x, y0 + y)), Hex(expected(x, y))) << "at " << x << "," << y;
    }

    RCPtr<LGDIRenderer> renderer;
    RCPtr<LGDIRenderContextInfo> context;
};

std::string ErrorText(const std::function<void()>& action)
{
    try {
        action();
    } catch (const std::invalid_argument& e) {
        return e.what();
    }
    return "no invalid_argument";
}

} // namespace

TEST_F(GdiBitmaps, TheResizeTypeIsCheckedOnlyWhenABitmapMustBeScaled)
{
    auto bitmap = MakePatternBitmap(10, 10, Checker);
    renderer->DrawBitmap(bitmap, {1, 2, 10, 10}, 7); // sizes match: drawn unscaled
    ExpectArea(1, 2, 10, 10, Checker);

    const std::string text = ErrorText([&] { renderer->DrawBitmap(bitmap, {0, 0, 20, 20}, 7); });
    EXPECT_EQ(text, "Invalid Argument : Invalid ResizeType passed to DrawBitmap. : KX::LGDIRenderer::DrawBitmap : "
                    "Renderer\\Gdi\\GDIRenderer : Line 553");
    EXPECT_EQ(ErrorText([&] { renderer->DrawBitmap(bitmap, {0, 0, 20, 20}, -1); }).substr(0, 16), "Invalid Argument");
    EXPECT_EQ(renderer->GetCachedBitmapCount(), 1u);

    // Once the size is cached, the type no longer matters.
    renderer->DrawBitmap(bitmap, {0, 0, 20, 20}, 1);
    EXPECT_NO_THROW(renderer->DrawBitmap(bitmap, {30, 0, 20, 20}, 7));
    EXPECT_EQ(renderer->GetCachedBitmapCount(), 2u);
}

TEST_F(GdiBitmaps, StretchingScalesTheWholeBitmap)
{
    auto halves = MakePatternBitmap(10, 10, [](int x, int) { return x < 5 ? kRedARGB : kBlueARGB; });
    renderer->DrawBitmap(halves, {4, 4, 40, 20}, 0);
    EXPECT_EQ(Hex(At(4, 4)), Hex(kRedARGB));
    EXPECT_EQ(Hex(At(20, 23)), Hex(kRedARGB));
    EXPECT_EQ(Hex(At(28, 4)), Hex(kBlueARGB));
    EXPECT_EQ(Hex(At(43, 23)), Hex(kBlueARGB));
    EXPECT_EQ(Hex(At(44, 23)), Hex(0));
    EXPECT_EQ(Hex(At(43, 24)), Hex(0));
}

TEST_F(GdiBitmaps, TilingRepeatsTheBitmapCutAtTheEdge)
{
    auto bitmap = MakePatternBitmap(10, 10, Checker);
    auto tiled = [](int x, int y) { return Checker(x % 10, y % 10); };

    // Fewer than three repeats: tiles drawn one by one.
    renderer->DrawBitmap(bitmap, {3, 4, 25, 25}, 1);
    ExpectArea(3, 4, 25, 25, tiled);
    EXPECT_EQ(Hex(At(28, 4)), Hex(0));
    EXPECT_EQ(Hex(At(3, 29)), Hex(0));

    // Three repeats and more: one texture fill.
    Clear();
    renderer->DrawBitmap(bitmap, {0, 0, 30, 10}, 1);
    ExpectArea(0, 0, 30, 10, tiled);
    Clear();
    renderer->DrawBitmap(bitmap, {5, 5, 47, 33}, 1);
    ExpectArea(5, 5, 47, 33, tiled);
    EXPECT_EQ(Hex(At(52, 20)), Hex(0));
}

TEST_F(GdiBitmaps, SubBitmapsDrawTheirOwnRectangleOfTheRoot)
{
    auto root = MakePatternBitmap(10, 10, Checker);
    const ConstRCPtr<LBitmap> part = root->CreateSubBitmap(3, 2, 5, 4);
    auto ofPart = [](int x, int y) { return Checker(3 + x % 5, 2 + y % 4); };

    renderer->DrawBitmap(part, {0, 0, 5, 4}, 0);
    ExpectArea(0, 0, 5, 4, ofPart);
    EXPECT_EQ(Hex(At(5, 0)), Hex(0));

    Clear();
    renderer->DrawBitmap(part, {0, 0, 12, 6}, 1); // 2.4 repeats across
    ExpectArea(0, 0, 12, 6, ofPart);
    Clear();
    renderer->DrawBitmap(part, {0, 0, 21, 9}, 1); // texture fill
    ExpectArea(0, 0, 21, 9, ofPart);
}

TEST_F(GdiBitmaps, CentringPutsTheBitmapInTheMiddle)
{
    auto red = LBitmap::CreateFilledBitmap(10, 10, LColor(1, 0, 0, 1));
    // 21 x 21: the bitmap lands at (5.5, 5.5).
    renderer->DrawBitmap(red, {10, 10, 21, 21}, 2);
    for (int i : {6, 10, 14})
        EXPECT_EQ(Hex(At(10 + i, 10 + i)), Hex(kRedARGB)) << i;
    for (int i : {0, 4, 16, 20})
        EXPECT_EQ(Hex(At(10 + i, 10 + i)), Hex(0)) << i;

    // 20 x 14: exactly at (5, 2).
    Clear();
    renderer->DrawBitmap(red, {0, 0, 20, 14}, 2);
    ExpectArea(0, 0, 20, 14, [](int x, int y) { return x >= 5 && x < 15 && y >= 2 && y < 12 ? kRedARGB : 0u; });
}

TEST_F(GdiBitmaps, OneCacheEntryPerBitmapAndSize)
{
    auto first = MakePatternBitmap(10, 10, Checker);
    auto second = MakePatternBitmap(10, 10, Checker);
    renderer->DrawBitmap(first, {0, 0, 20, 20}, 0);
    renderer->DrawBitmap(first, {30, 30, 20, 20}, 0);
    EXPECT_EQ(renderer->GetCachedBitmapCount(), 1u);
    renderer->DrawBitmap(first, {0, 0, 20, 21}, 0);
    EXPECT_EQ(renderer->GetCachedBitmapCount(), 2u);
    renderer->DrawBitmap(second, {0, 0, 20, 20}, 0);
    renderer->DrawBitmap(first->CreateSubBitmap(0, 0, 0, 0), {0, 0, 20, 20}, 0);
    EXPECT_EQ(renderer->GetCachedBitmapCount(), 4u) << "bitmaps are told apart by identity";

    // Nothing to draw: no entry.
    renderer->DrawBitmap(first, {0, 0, 0, 20}, 0);
    renderer->DrawBitmap(nullptr, {0, 0, 20, 20}, 0);
    RCPtr<LBitmap> empty(new LBitmap(WString(u"missing"), WString(u"/no/such/image.png")));
    ASSERT_FALSE(empty->IsLoaded());
    renderer->DrawBitmap(empty, {0, 0, 20, 20}, 0);
    EXPECT_EQ(renderer->GetCachedBitmapCount(), 4u);
}

TEST_F(GdiBitmaps, ASizeNoBitmapCanHaveLeavesTheFullCacheAlone)
{
    auto bitmap = MakePatternBitmap(2, 2, Checker);
    for (int32_t i = 1; i <= 256; ++i)
        renderer->DrawBitmap(bitmap, {0, 0, i, 1}, 0);
    ASSERT_EQ(renderer->GetCachedBitmapCount(), 256u);
    // Too wide, too tall, too many pixels: nothing is drawn and no entry gives way.
    renderer->DrawBitmap(bitmap, {0, 0, 40000, 1}, 0);
    renderer->DrawBitmap(bitmap, {0, 0, 1, 40000}, 0);
    renderer->DrawBitmap(bitmap, {0, 0, 9000, 9000}, 1);
    EXPECT_EQ(renderer->GetCachedBitmapCount(), 256u);
    // Nor does a refused resize type.
    EXPECT_THROW(renderer->DrawBitmap(bitmap, {0, 0, 300, 1}, 7), std::invalid_argument);
    EXPECT_EQ(renderer->GetCachedBitmapCount(), 256u);
}

TEST_F(GdiBitmaps, PixelsWrittenAfterCachingAreDrawn)
{
    auto bitmap = LBitmap::CreateFilledBitmap(4, 4, LColor(1, 0, 0, 1));
    renderer->DrawBitmap(bitmap, {0, 0, 8, 8}, 0);
    EXPECT_EQ(Hex(At(7, 7)), Hex(kRedARGB));
    {
        const RCPtr<LBitmapData> pixels(new LBitmapData(bitmap, gdi::ImageLockMode::Write));
        ASSERT_TRUE(pixels->IsLocked());
        for (uint32_t y = 0; y < 4; ++y)
            for (uint32_t x = 0; x < 4; ++x)
                *pixels->GetPixelAddress(x, y) = static_cast<int32_t>(kBlueARGB);
    }
    renderer->DrawBitmap(bitmap, {0, 0, 8, 8}, 0);
    EXPECT_EQ(Hex(At(7, 7)), Hex(kBlueARGB));
}

TEST_F(GdiBitmaps, BitmapsFollowTheOriginAndClip)
{
    auto bitmap = LBitmap::CreateFilledBitmap(10, 10, LColor(1, 0, 0, 1));
    renderer->PushClipRect({20, 10, 4, 4}, {20, 10, 4, 4}, nullptr, true);
    renderer->DrawBitmap(bitmap, {-2, -2, 10, 10}, 0);
    renderer->PopState();
    ExpectArea(16, 6, 12, 12, [](int x, int y) { return x >= 4 && x < 8 && y >= 4 && y < 8 ? kRedARGB : 0u; });
}
