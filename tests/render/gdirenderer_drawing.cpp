// GDI+ renderer: rectangles, text, shapes, state stacking and context surfaces, checked on
// the pixels of offscreen surfaces.
#include "GdiRendererTestUtil.h"

#include "kx/D3D9Renderer.h"
#include "kx/Font.h"
#include "kx/GDITextMeasurer.h"

#include <array>
#include <utility>

using namespace KX;
using gditest::MakeContext;
using gditest::MakeRenderer;
using gditest::SurfacePixel;
using rendertest::Hex;

namespace {

const LColor kRed(1.0f, 0.0f, 0.0f, 1.0f);
const LColor kGreen(0.0f, 1.0f, 0.0f, 1.0f);
const LColor kBlue(0.0f, 0.0f, 1.0f, 1.0f);
const LColor kWhite(1.0f, 1.0f, 1.0f, 1.0f);
constexpr gdi::ARGB kRedARGB = 0xFFFF0000;
constexpr gdi::ARGB kGreenARGB = 0xFF00FF00;
constexpr gdi::ARGB kBlueARGB = 0xFF0000FF;
constexpr gdi::ARGB kWhiteARGB = 0xFFFFFFFF;

class GdiDrawing : public ::testing::Test {
protected:
    void SetUp() override
    {
        renderer = MakeRenderer();
        context = MakeContext(*renderer, {0, 0, 64, 48});
        renderer->RenderStart(context);
    }
    void TearDown() override
    {
        while (renderer->GetContextStack().GetCount() != 0)
            renderer->RenderFinish(renderer->GetContextStack().ElementAt(renderer->GetContextStack().GetCount() - 1));
    }
    gdi::ARGB At(int32_t x, int32_t y) const { return SurfacePixel(*context, x, y); }

    RCPtr<LGDIRenderer> renderer;
    RCPtr<LGDIRenderContextInfo> context;
};

} // namespace

TEST_F(GdiDrawing, FillRectWithoutBlendSetsTheExactColourInSurfacePixelsIgnoringOriginAndClip)
{
    renderer->FillRect({0, 0, 64, 48}, kWhite, true);
    const LColor halfTransparent = LColor::MakeFromARGB(0x80402010);
    renderer->FillRect({2, 2, 3, 3}, halfTransparent, false);
    EXPECT_EQ(Hex(At(2, 2)), Hex(0x80402010));
    EXPECT_EQ(Hex(At(4, 4)), Hex(0x80402010));
    EXPECT_EQ(Hex(At(1, 1)), Hex(kWhiteARGB));
    EXPECT_EQ(Hex(At(5, 5)), Hex(kWhiteARGB));

    // With blend the colour mixes with the white below.
    renderer->FillRect({10, 2, 3, 3}, halfTransparent, true);
    const gdi::ARGB mixed = At(11, 3);
    EXPECT_EQ(mixed >> 24, 255u);
    EXPECT_NE(Hex(mixed), Hex(kWhiteARGB));
    EXPECT_NE(Hex(mixed), Hex(0x80402010));

    // Inside a pushed clip at (20, 20): neither moved by the origin nor cut by the clip.
    renderer->PushClipRect({20, 20, 2, 2}, {0, 0, 2, 2}, nullptr, false);
    renderer->FillRect({30, 30, 5, 5}, kRed, false);
    renderer->FillRect({-100, 10, 1000, 1}, kBlue, false); // reaches past the surface's edges
    renderer->PopState();
    EXPECT_EQ(Hex(At(30, 30)), Hex(kRedARGB));
    EXPECT_EQ(Hex(At(34, 34)), Hex(kRedARGB));
    EXPECT_EQ(Hex(At(35, 35)), Hex(kWhiteARGB));
    EXPECT_EQ(Hex(At(0, 10)), Hex(kBlueARGB));
    EXPECT_EQ(Hex(At(63, 10)), Hex(kBlueARGB));
    EXPECT_EQ(Hex(At(0, 30)), Hex(kWhiteARGB));
}

TEST_F(GdiDrawing, FillRectWithoutBlendKeepsEveryTranslucentValueExactly)
{
    // Every alpha with colours that premultiplication rounds or wipes out, and some it keeps.
    const gdi::ARGB colours[] = {0xFF0101, 0x010101, 0x402010, 0xFFFFFF, 0x000000, 0x7F3F1F, 0xFE02FD};
    constexpr int32_t kWidth = 64;
    int32_t index = 0;
    for (gdi::ARGB rgb : colours) {
        for (uint32_t alpha = 0; alpha < 256; ++alpha, ++index) {
            const gdi::ARGB value = (alpha << 24) | rgb;
            renderer->FillRect({index % kWidth, index / kWidth, 1, 1}, LColor::MakeFromARGB(value), false);
            // Blended drawing elsewhere in between does not disturb what was set.
            if (index % 97 == 0)
                renderer->FillRect({0, 47, 64, 1}, LColor::MakeFromARGB(0x80FF8000), true);
        }
    }
    index = 0;
    int32_t changed = 0;
    for (gdi::ARGB rgb : colours)
        for (uint32_t alpha = 0; alpha < 256; ++alpha, ++index)
            if (At(index % kWidth, index / kWidth) != ((alpha << 24) | rgb)) {
                if (++changed < 5)
                    ADD_FAILURE() << Hex((alpha << 24) | rgb) << " read back as "
                                  << Hex(At(index % kWidth, index / kWidth));
            }
    EXPECT_EQ(changed, 0) << "of " << index;

    // A blended fill over an exact pixel mixes with it as with any other.
    renderer->FillRect({0, 0, 1, 1}, kRed, true);
    EXPECT_EQ(Hex(At(0, 0)), Hex(kRedARGB));
}

TEST_F(GdiDrawing, FilledRectDrawsOnlyTheVisibleParts)
{
    renderer->DrawFilledRect({2, 2, 10, 10}, LColor(1, 0, 0, 0), kBlue, 1.0f);
    EXPECT_EQ(Hex(At(2, 2)), Hex(kBlueARGB));
    EXPECT_EQ(Hex(At(6, 6)), Hex(0)) << "a fill of alpha 0 is skipped";
    renderer->DrawFilledRect({20, 2, 10, 10}, kRed, LColor(0, 0, 1, 0), 1.0f);
    EXPECT_EQ(Hex(At(20, 2)), Hex(kRedARGB));
    EXPECT_EQ(Hex(At(25, 6)), Hex(kRedARGB));
    EXPECT_EQ(Hex(At(30, 6)), Hex(0));
}

TEST_F(GdiDrawing, TextIsDrawnOnePixelAboveItsPosition)
{
    const ConstRCPtr<LFont> font = LFont::GetFont(WString(u"Arial"), 12.0f, kFontBold);
    renderer->DrawText(WString(u"Fader 12"), font, {3, 10}, kWhite);

    // The same text straight through the graphics layer with its top at y = 9.
    auto expected = rendertest::MakeBitmap(64, 48);
    auto graphics = rendertest::MakeGraphics(*expected);
    graphics->SetSmoothingMode(gdi::SmoothingMode::HighSpeed);
    graphics->SetPixelOffsetMode(gdi::PixelOffsetMode::HighSpeed);
    gdi::Font gdiFont;
    ASSERT_EQ(LGDITextMeasurer::MakeFont(WString(u"Arial"), 12.0f, kFontBold, gdi::Unit::Point, gdiFont),
              gdi::Status::Ok);
    graphics->DrawString(u"Fader 12", gdiFont, gdi::RectF{3, 9, 0, 0}, nullptr, gdi::SolidBrush(kWhiteARGB));
    graphics.reset();

    const gdi::RectI ink = rendertest::InkBounds(*context->GetBitmap(), 0);
    ASSERT_GT(ink.width, 0) << "nothing drawn";
    EXPECT_EQ(ink, rendertest::InkBounds(*expected, 0));
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x)
            ASSERT_EQ(Hex(At(x, y)), Hex(rendertest::Pixel(*expected, x, y))) << x << "," << y;
}

TEST_F(GdiDrawing, MeasuringMatchesTheSharedMeasurer)
{
    const ConstRCPtr<LFont> font = LFont::GetFont(WString(u"NoSuchFaceAnywhere"), 10.0f, 0);
    const auto measurer = LGDITextMeasurer::Create(96);
    EXPECT_EQ(renderer->MeasureText(WString(), font), (RectT<float>{0, 0, 0, 0}));
    EXPECT_EQ(renderer->MeasureText(WString(u"CC 7 Ch 1"), font), measurer->MeasureText(WString(u"CC 7 Ch 1"), font));
    int32_t h = 0, a = 0, d = 0, h2 = 0, a2 = 0, d2 = 0;
    // An unknown face falls back to the sans-serif family instead of failing.
    EXPECT_EQ(renderer->GetFontMetrics(font, h, a, d), S_OK);
    measurer->GetFontMetrics(font, h2, a2, d2);
    EXPECT_GT(h, 0);
    EXPECT_LT(a, 0);
    EXPECT_EQ((std::array{h, a, d}), (std::array{h2, a2, d2}));
}

TEST_F(GdiDrawing, OriginsAndClipsStackAndUnwind)
{
    renderer->PushState();
    renderer->PushOrigin({5, 5});
    renderer->PushOrigin({3.5, -2.5}); // rounded to (4, -3)
    renderer->FillRect({0, 0, 1, 1}, kRed, true);
    renderer->PopState();
    renderer->FillRect({0, 0, 1, 1}, kGreen, true);
    renderer->PopState();
    renderer->PopState();
    renderer->FillRect({0, 0, 1, 1}, kBlue, true);
    EXPECT_EQ(Hex(At(9, 2)), Hex(kRedARGB));
    EXPECT_EQ(Hex(At(5, 5)), Hex(kGreenARGB));
    EXPECT_EQ(Hex(At(0, 0)), Hex(kBlueARGB));

    renderer->PushClipRect({10, 10, 20, 20}, {0, 0, 100, 100}, nullptr, true);
    renderer->PushClipRect({5, 5, 10, 10}, {0, 0, 100, 100}, nullptr, true);
    renderer->FillRect({-50, -50, 200, 200}, kRed, true);
    renderer->PopState();
    renderer->DrawLine({-50.0f, 0.0f}, {200.0f, 0.0f}, kGreen, 1.0f);
    renderer->PopState();
    renderer->FillRect({40, 40, 2, 2}, kBlue, true);

    EXPECT_EQ(Hex(At(15, 15)), Hex(kRedARGB));
    EXPECT_EQ(Hex(At(24, 24)), Hex(kRedARGB));
    EXPECT_EQ(Hex(At(25, 25)), Hex(0));
    EXPECT_EQ(Hex(At(14, 16)), Hex(0));
    // The line at the outer origin (10, 10), cut to the outer clip [10, 30).
    EXPECT_EQ(Hex(At(10, 10)), Hex(kGreenARGB));
    EXPECT_EQ(Hex(At(29, 10)), Hex(kGreenARGB));
    EXPECT_EQ(Hex(At(30, 10)), Hex(0));
    EXPECT_EQ(Hex(At(9, 10)), Hex(0));
    // Everything unwound: no clip, no origin.
    EXPECT_EQ(Hex(At(41, 41)), Hex(kBlueARGB));
}

TEST_F(GdiDrawing, ColorRectListsAreScaledOffsetAndDrawnLastFirst)
{
    ColorRectListT<float> list;
    list.AddRect({0, 0, 4, 4}, kRedARGB);
    list.AddRect({2, 2, 4, 4}, kBlueARGB);
    list.SetScale(2.0f, 2.0f);
    renderer->DrawColorRectList(list, {10.0, 1.0}, true);
    EXPECT_EQ(Hex(At(10, 1)), Hex(kRedARGB));
    EXPECT_EQ(Hex(At(15, 6)), Hex(kRedARGB)) << "the first rectangle is drawn last, on top";
    EXPECT_EQ(Hex(At(21, 12)), Hex(kBlueARGB));
    EXPECT_EQ(Hex(At(22, 13)), Hex(0));
    // The origin is back where it was.
    renderer->FillRect({0, 0, 1, 1}, kGreen, true);
    EXPECT_EQ(Hex(At(0, 0)), Hex(kGreenARGB));
}

TEST_F(GdiDrawing, PolylineShapes)
{
    PolylineT<float> segments;
    for (float y : {0.0f, 5.0f})
        for (float x : {0.0f, 10.0f})
            segments.AddPoint(x, y);
    segments.AddPoint(0, 10); // an odd last point is no segment
    renderer->DrawLineSegments(segments, kRed, {1, 1}, {1, 1}, true);
    EXPECT_EQ(Hex(At(6, 1)), Hex(kRedARGB));
    EXPECT_EQ(Hex(At(6, 6)), Hex(kRedARGB));
    EXPECT_EQ(Hex(At(6, 3)), Hex(0)) << "segments are separate figures";
    EXPECT_EQ(Hex(At(6, 8)), Hex(0));
    EXPECT_EQ(Hex(At(6, 9)), Hex(0));

    PolylineT<float> triangle;
    triangle.AddPoint(0, 0);
    triangle.AddPoint(10, 0);
    triangle.AddPoint(10, 10);
    renderer->DrawPolyline(triangle, kGreen, {20, 1}, {1, 1}, true);
    EXPECT_EQ(Hex(At(30, 6)), Hex(kGreenARGB));
    EXPECT_EQ(Hex(At(25, 6)), Hex(0)) << "a polyline stays open";
    renderer->DrawPolygon(triangle, kBlue, {40, 1}, {1, 1}, true);
    // The same shape, just kept as an open line, is drawn closed.
    EXPECT_EQ(Hex(At(45, 6)), Hex(kBlueARGB)) << "a polygon is closed";

    PolylineT<float> square;
    for (auto [x, y] : {std::pair{0, 0}, {4, 0}, {4, 4}, {0, 4}})
        square.AddPoint(float(x), float(y));
    renderer->FillPolygon(square, kRed, {2, 20}, {2, 2}, false);
    EXPECT_EQ(Hex(At(3, 21)), Hex(kRedARGB));
    EXPECT_EQ(Hex(At(9, 27)), Hex(kRedARGB)) << "scaled by 2";
    EXPECT_EQ(Hex(At(11, 29)), Hex(0));
    // The origin is back where it was.
    renderer->FillRect({63, 47, 1, 1}, kGreen, true);
    EXPECT_EQ(Hex(At(63, 47)), Hex(kGreenARGB));
}

TEST_F(GdiDrawing, PathsAreKeptPerShapeUntilChanged)
{
    PolylineT<float> square;
    for (auto [x, y] : {std::pair{0, 0}, {4, 0}, {4, 4}, {0, 4}})
        square.AddPoint(float(x), float(y));
    renderer->FillPolygon(square, kRed, {0, 0}, {1, 1}, false);
    EXPECT_EQ(renderer->GetCachedPathCount(), 0u) << "not kept";
    renderer->FillPolygon(square, kRed, {0, 0}, {1, 1}, true);
    renderer->FillPolygon(square, kRed, {0, 0}, {1, 1}, true);
    EXPECT_EQ(renderer->GetCachedPathCount(), 1u);
    EXPECT_FALSE(square.IsChanged());

    // A changed shape is rebuilt once.
    for (uint32_t i = 0; i < 4; ++i)
        square.SetPoint(i, square.GetPoints().ElementAt(i).x + 30, square.GetPoints().ElementAt(i).y);
    ASSERT_TRUE(square.IsChanged());
    renderer->FillPolygon(square, kBlue, {0, 0}, {1, 1}, true);
    EXPECT_FALSE(square.IsChanged());
    EXPECT_EQ(renderer->GetCachedPathCount(), 1u);
    EXPECT_EQ(Hex(At(31, 1)), Hex(kBlueARGB));
    EXPECT_EQ(Hex(At(1, 1)), Hex(kRedARGB));

    // A copy is another shape.
    PolylineT<float> copy(square);
    renderer->DrawPolygon(copy, kGreen, {0, 20}, {1, 1}, true);
    EXPECT_EQ(renderer->GetCachedPathCount(), 2u);
}

TEST_F(GdiDrawing, ContextSurfacesAreCopiedFromOffscreenContextsOnly)
{
    auto source = MakeContext(*renderer, {0, 0, 16, 16}, nullptr, true);
    auto visible = MakeContext(*renderer, {0, 0, 16, 16}, nullptr, false);
    renderer->RenderStart(source);
    renderer->FillRect({2, 2, 3, 3}, kRed, true);
    renderer->RenderFinish(source);

    EXPECT_EQ(renderer->DrawContextSurface(visible, {0, 0}, {0, 0, 8, 8}), E_INVALIDARG);
    RCPtr<LRenderer> d3d9(new LD3D9Renderer());
    RCPtr<LRenderContextInfo> foreign;
    d3d9->InitRenderContextInfo({0, 0, 8, 8}, nullptr, true, foreign);
    EXPECT_EQ(renderer->DrawContextSurface(foreign, {0, 0}, {0, 0, 8, 8}), E_INVALIDARG);
    EXPECT_EQ(renderer->ScrollContextSurface(foreign, {1, 1}), E_INVALIDARG);
    EXPECT_EQ(renderer->ScrollContextSurface(visible, {1, 1}), E_INVALIDARG);

    renderer->PushState();
    renderer->PushOrigin({10, 10});
    EXPECT_EQ(renderer->DrawContextSurface(source, {0, 0}, {0, 0, 8, 8}), S_OK);
    renderer->PopState();
    EXPECT_EQ(Hex(At(12, 12)), Hex(kRedARGB));
    EXPECT_EQ(Hex(At(14, 14)), Hex(kRedARGB));
    EXPECT_EQ(Hex(At(15, 15)), Hex(0));
}

TEST_F(GdiDrawing, ScrollingMovesTheWholeSurfaceOntoTheSpare)
{
    auto scrolled = MakeContext(*renderer, {0, 0, 16, 16}, nullptr, true);
    renderer->RenderStart(scrolled);
    renderer->FillRect({0, 0, 4, 4}, kRed, true);
    // Scrolled while drawing inside an origin and a clip: the whole surface moves.
    renderer->PushClipRect({2, 2, 4, 4}, {0, 0, 4, 4}, nullptr, true);
    const gdi::Bitmap* before = scrolled->GetBitmap();
    EXPECT_EQ(renderer->ScrollContextSurface(scrolled, {5, 3}), S_OK);
    EXPECT_NE(scrolled->GetBitmap(), before);
    EXPECT_EQ(Hex(SurfacePixel(*scrolled, 5, 3)), Hex(kRedARGB));
    EXPECT_EQ(Hex(SurfacePixel(*scrolled, 8, 6)), Hex(kRedARGB));
    EXPECT_EQ(Hex(SurfacePixel(*scrolled, 9, 7)), Hex(0));
    EXPECT_EQ(Hex(SurfacePixel(*scrolled, 0, 0)), Hex(0));

    // Drawing goes on on the new surface with the same origin and clip.
    renderer->FillRect({0, 0, 10, 10}, kBlue, true);
    renderer->PopState();
    renderer->RenderFinish(scrolled);
    EXPECT_EQ(Hex(SurfacePixel(*scrolled, 2, 2)), Hex(kBlueARGB));
    EXPECT_EQ(Hex(SurfacePixel(*scrolled, 3, 3)), Hex(kBlueARGB));
    EXPECT_EQ(Hex(SurfacePixel(*scrolled, 4, 4)), Hex(0));
    EXPECT_EQ(Hex(SurfacePixel(*scrolled, 6, 6)), Hex(kRedARGB));
    EXPECT_EQ(Hex(SurfacePixel(*scrolled, 1, 1)), Hex(0));
}
