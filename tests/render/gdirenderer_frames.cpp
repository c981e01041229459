// GDI+ renderer: the factory, render contexts, their surfaces, frames and presentation.
#include "GdiRendererTestUtil.h"
#include "RenderCoreFakes.h"

#include "kx/Exception.h"

using namespace KX;
using gditest::MakeContext;
using gditest::MakeRenderer;
using gditest::SurfacePixel;
using gditest::TestWindow;
using rendertest::Hex;

namespace {

const LColor kRed(1.0f, 0.0f, 0.0f, 1.0f);
const LColor kBlue(0.0f, 0.0f, 1.0f, 1.0f);
constexpr gdi::ARGB kRedARGB = 0xFFFF0000;
constexpr gdi::ARGB kBlueARGB = 0xFF0000FF;
constexpr gdi::ARGB kBlack = 0xFF000000;

} // namespace

TEST(GdiRendererFactory, MakesTheGdiRendererForTypeOne)
{
    RCPtr<LRenderer> renderer = LRenderer::Create(kRendererGDIPlus, {0, 0, 10, 10}, nullptr);
    ASSERT_TRUE(renderer);
    EXPECT_EQ(renderer->GetRendererType(), 1);
    EXPECT_NE(dynamic_cast<LGDIRenderer*>(renderer.Get()), nullptr);
}

TEST(GdiRenderContext, SurfacesFollowTheViewport)
{
    auto renderer = MakeRenderer();
    auto context = MakeContext(*renderer, {0, 0, 0, 0});
    EXPECT_EQ(context->GetSurface()->GetSize(), (PointT<int32_t>{1, 1}));
    EXPECT_EQ(context->GetSpareSurface()->GetSize(), (PointT<int32_t>{1, 1}));
    int32_t w = 0, h = 0;
    context->GetMaxSurfaceSize(w, h);
    EXPECT_EQ(w, 4096);
    EXPECT_EQ(h, 4096);

    auto sized = MakeContext(*renderer, {5, 6, 100, 50});
    EXPECT_EQ(sized->GetSurface()->GetSize(), (PointT<int32_t>{100, 50}));
    const gdi::Bitmap* current = sized->GetBitmap();

    // Same size, nothing invalid: the surfaces are kept.
    renderer->RenderStart(sized);
    renderer->RenderFinish(sized);
    EXPECT_EQ(sized->GetBitmap(), current);

    sized->SetViewport({5, 6, 120, 50});
    renderer->RenderStart(sized);
    EXPECT_EQ(sized->GetSurface()->GetSize(), (PointT<int32_t>{120, 50}));
    EXPECT_EQ(sized->GetSpareSurface()->GetSize(), (PointT<int32_t>{120, 50}));
    renderer->RenderFinish(sized);
}

TEST(GdiRenderContext, AFullInvalidationStartsOnFreshSurfaces)
{
    auto renderer = MakeRenderer();
    auto context = MakeContext(*renderer, {0, 0, 40, 20});

    renderer->RenderStart(context);
    renderer->FillRect({0, 0, 40, 20}, kRed, true);
    renderer->RenderFinish(context);

    // Two rectangles covering the viewport: the drawing is kept.
    context->GetInvalidRegion().AddRect(0, 0, 20, 20);
    context->GetInvalidRegion().AddRect(20, 0, 40, 20);
    renderer->RenderStart(context);
    EXPECT_EQ(Hex(SurfacePixel(*context, 30, 10)), Hex(kRedARGB));
    renderer->RenderFinish(context);

    // One rectangle equal to the viewport: fresh, transparent surfaces.
    context->GetInvalidRegion().Clear();
    context->GetInvalidRegion().AddRect(0, 0, 40, 20);
    renderer->RenderStart(context);
    EXPECT_EQ(Hex(SurfacePixel(*context, 30, 10)), Hex(0));
    renderer->RenderFinish(context);
}

TEST(GdiRenderContext, PresentsTheInvalidRectanglesLastFirst)
{
    TestWindow window(60, 30);
    auto renderer = MakeRenderer();
    auto context = MakeContext(*renderer, {0, 0, 60, 30}, &window, false);
    context->GetInvalidRegion().AddRect(0, 0, 10, 10);
    context->GetInvalidRegion().AddRect(40, 20, 60, 30);

    renderer->RenderStart(context);
    renderer->FillRect({0, 0, 60, 30}, kRed, true);
    EXPECT_TRUE(window.surface->GetPresentations().empty());
    renderer->RenderFinish(context);

    EXPECT_EQ(Hex(window.surface->GetPixel(5, 5)), Hex(kRedARGB));
    EXPECT_EQ(Hex(window.surface->GetPixel(50, 25)), Hex(kRedARGB));
    EXPECT_EQ(Hex(window.surface->GetPixel(25, 15)), Hex(kBlack)) << "outside the invalid region";

    ASSERT_EQ(window.surface->GetPresentations().size(), 1u);
    const std::vector<gdi::RectI>& shown = window.surface->GetPresentations()[0];
    ASSERT_EQ(shown.size(), 2u);
    // The region lists its newest rectangle first; presentation walks the list backwards.
    EXPECT_EQ(shown[0], (gdi::RectI{0, 0, 10, 10}));
    EXPECT_EQ(shown[1], (gdi::RectI{40, 20, 20, 10}));
    // The region is the paint handler's to manage.
    EXPECT_EQ(context->GetInvalidRegion().GetRectCount(), 2u);
}

TEST(GdiRenderContext, AnOffscreenContextIsNeverPresented)
{
    TestWindow window(20, 20);
    auto renderer = MakeRenderer();
    auto context = MakeContext(*renderer, {0, 0, 20, 20}, &window, true);
    context->GetInvalidRegion().AddRect(0, 0, 20, 20);
    renderer->RenderStart(context);
    renderer->FillRect({0, 0, 20, 20}, kRed, true);
    renderer->RenderFinish(context);
    EXPECT_TRUE(window.surface->GetPresentations().empty());
    EXPECT_EQ(Hex(window.surface->GetPixel(10, 10)), Hex(kBlack));
    EXPECT_EQ(Hex(SurfacePixel(*context, 10, 10)), Hex(kRedARGB));
}

TEST(GdiRendererFrames, NestedFramesDrawIntoTheirOwnSurfaces)
{
    auto renderer = MakeRenderer();
    auto outer = MakeContext(*renderer, {0, 0, 20, 20});
    auto inner = MakeContext(*renderer, {0, 0, 20, 20});

    renderer->RenderStart(outer);
    EXPECT_EQ(renderer->GetTarget(), outer.Get());
    renderer->RenderStart(inner);
    EXPECT_EQ(renderer->GetTarget(), inner.Get());
    renderer->FillRect({0, 0, 5, 5}, kBlue, true);

    // Finishing the outer one first is refused; the inner frame stays open and drawable.
    EXPECT_THROW(renderer->RenderFinish(outer), std::runtime_error);
    EXPECT_EQ(renderer->GetTarget(), inner.Get());
    renderer->FillRect({5, 5, 5, 5}, kBlue, true);

    renderer->RenderFinish(inner);
    EXPECT_EQ(renderer->GetTarget(), outer.Get());
    renderer->FillRect({10, 10, 5, 5}, kRed, true);
    renderer->RenderFinish(outer);
    EXPECT_EQ(renderer->GetTarget(), nullptr);

    EXPECT_EQ(Hex(SurfacePixel(*inner, 1, 1)), Hex(kBlueARGB));
    EXPECT_EQ(Hex(SurfacePixel(*inner, 6, 6)), Hex(kBlueARGB));
    EXPECT_EQ(Hex(SurfacePixel(*inner, 11, 11)), Hex(0));
    EXPECT_EQ(Hex(SurfacePixel(*outer, 1, 1)), Hex(0));
    EXPECT_EQ(Hex(SurfacePixel(*outer, 11, 11)), Hex(kRedARGB));

    // Finishing with nothing open is no error.
    EXPECT_EQ(renderer->RenderFinish(outer), S_OK);
}

TEST(GdiRendererFrames, DrawingWithoutAFrameDoesNothingButDrawBitmapThrows)
{
    auto renderer = MakeRenderer();
    renderer->FillRect({0, 0, 5, 5}, kRed, true);
    renderer->FillRect({0, 0, 5, 5}, kRed, false);
    renderer->DrawRect({0, 0, 5, 5}, kRed, 1.0f);
    renderer->DrawLine({0, 0}, {5, 5}, kRed, 1.0f);
    renderer->DrawText(WString(u"x"), LFont::GetFont(WString(u"Arial"), 10.0f, 0), {0, 0}, kRed);
    PolylineT<float> line;
    line.AddPoint(0, 0);
    line.AddPoint(5, 5);
    renderer->DrawPolyline(line, kRed, {0, 0}, {1, 1}, true);
    EXPECT_EQ(renderer->GetCachedPathCount(), 0u);

    auto bitmap = LBitmap::CreateFilledBitmap(4, 4, kRed);
    try {
        renderer->DrawBitmap(bitmap, {0, 0, 4, 4}, 0);
        FAIL() << "no exception";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "Runtime Error : KX::LGDIRenderer::DrawBitmap : Renderer\\Gdi\\GDIRenderer : Line 562");
    }
}

TEST(GdiRendererFrames, OriginAndClipCarryOverToTheNextFrameOnce)
{
    auto renderer = MakeRenderer();
    auto context = MakeContext(*renderer, {0, 0, 40, 40});

    // A frame that leaves an origin and a clip behind.
    renderer->RenderStart(context);
    renderer->PushState();
    renderer->PushClipRect({10, 10, 20, 20}, {0, 0, 20, 20}, nullptr, true);
    renderer->RenderFinish(context);

    for (int frame = 0; frame < 2; ++frame) {
        if (frame == 1)
            context->GetInvalidRegion().AddRect(0, 0, 40, 40); // fresh surfaces
        renderer->RenderStart(context);
        renderer->FillRect({-10, -10, 100, 100}, kBlue, true);
        renderer->RenderFinish(context);
        SCOPED_TRACE(frame);
        // Drawn at the kept origin (10, 10), not at twice it, and inside the kept clip.
        EXPECT_EQ(Hex(SurfacePixel(*context, 10, 10)), Hex(kBlueARGB));
        EXPECT_EQ(Hex(SurfacePixel(*context, 19, 19)), Hex(kBlueARGB));
        EXPECT_EQ(Hex(SurfacePixel(*context, 9, 9)), Hex(0));
        EXPECT_EQ(Hex(SurfacePixel(*context, 20, 20)), Hex(0));
        context->GetInvalidRegion().Clear();
    }
}

TEST(GdiRendererFrames, TheBitmapCacheIsPurgedOfUnusedEntriesAfterFiveMinutes)
{
    rendercore::ScopedRenderHost host(nullptr);
    host.tick = 5000;
    auto renderer = MakeRenderer();
    EXPECT_EQ(renderer->GetLastPurgeTime(), 5000u);
    auto context = MakeContext(*renderer, {0, 0, 40, 40});
    auto first = LBitmap::CreateFilledBitmap(4, 4, kRed);
    auto second = LBitmap::CreateFilledBitmap(4, 4, kBlue);

    renderer->RenderStart(context);
    renderer->DrawBitmap(first, {0, 0, 8, 8}, 0);
    host.tick = 5000 + LGDIRenderer::kPurgeInterval; // not more than the interval
    renderer->RenderFinish(context);
    EXPECT_EQ(renderer->GetLastPurgeTime(), 5000u);

    // The first purge only marks where the next one starts.
    host.tick += 1;
    renderer->RenderStart(context);
    renderer->RenderFinish(context);
    EXPECT_EQ(renderer->GetLastPurgeTime(), host.tick);
    EXPECT_EQ(renderer->GetCachedBitmapCount(), 1u);

    renderer->RenderStart(context);
    renderer->DrawBitmap(second, {0, 0, 8, 8}, 0);
    renderer->RenderFinish(context);
    host.tick += LGDIRenderer::kPurgeInterval + 1;
    renderer->RenderStart(context);
    renderer->RenderFinish(context);
    // The first bitmap was not drawn since the previous purge; the second was.
    EXPECT_EQ(renderer->GetCachedBitmapCount(), 1u);
    renderer->RenderStart(context);
    renderer->DrawBitmap(second, {0, 0, 8, 8}, 0);
    EXPECT_EQ(renderer->GetCachedBitmapCount(), 1u);

    // The purged entry is made again on demand.
    renderer->DrawBitmap(first, {0, 0, 8, 8}, 0);
    EXPECT_EQ(Hex(SurfacePixel(*context, 7, 7)), Hex(kRedARGB));
    renderer->RenderFinish(context);
    EXPECT_EQ(renderer->GetCachedBitmapCount(), 2u);
}

TEST(GdiRendererFrames, TheTextScaleFollowsTheWindowsResolution)
{
    TestWindow window(120, 40);
    auto renderer = MakeRenderer();
    auto context = MakeContext(*renderer, {0, 0, 120, 40}, &window, false);
    const ConstRCPtr<LFont> font = LFont::GetFont(WString(u"Arial"), 12.0f, 0);
    auto drawnInk = [&] {
        renderer->RenderStart(context);
        renderer->FillRect({0, 0, 120, 40}, LColor(0, 0, 0, 1), false);
        renderer->DrawText(WString(u"Preset 12"), font, {2, 4}, LColor(1, 1, 1, 1));
        const gdi::RectI ink = rendertest::InkBounds(*context->GetBitmap(), kBlack);
        renderer->RenderFinish(context);
        return ink;
    };
    const gdi::RectI at96 = drawnInk();
    EXPECT_EQ(renderer->GetTextScale(), 1.0f);
    ASSERT_GT(at96.width, 0);

    // The window is given its real resolution: the surfaces take it, and the text scale
    // undoes it, so that text keeps the size it was measured at.
    window.surface->SetDpi(144.0f, 144.0f);
    const gdi::RectI at144 = drawnInk();
    EXPECT_FLOAT_EQ(renderer->GetTextScale(), 96.0f / 144.0f);
    EXPECT_EQ(context->GetGraphics()->GetDpiX(), 144.0f);
    EXPECT_NEAR(at144.width, at96.width, 2);
    EXPECT_NEAR(at144.height, at96.height, 2);

    window.surface->SetDpi(192.0f, 192.0f);
    drawnInk();
    EXPECT_FLOAT_EQ(renderer->GetTextScale(), 0.5f);
}
