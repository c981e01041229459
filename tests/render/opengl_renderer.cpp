// The OpenGL renderer over OSMesa: contexts, frames, state, rectangles, bitmaps, text and
// context surfaces, checked on the pixels of the surfaces.
#include "GLRendererTestUtil.h"

#include "FakeAppServices.h"
#include "kx/Exception.h"

#include <GL/osmesa.h>

#include <string>
#include <vector>

using namespace KX;
using namespace gltest;

namespace {

const LColor kRed(1.0f, 0.0f, 0.0f, 1.0f);
const LColor kGreen(0.0f, 1.0f, 0.0f, 1.0f);
const LColor kBlue(0.0f, 0.0f, 1.0f, 1.0f);

// Records message boxes and answers string look-ups with the key.
class RecordingShell : public kxtest::FakeAppServices {
public:
    RecordingShell()
    {
        lookup = [](const WString& key) {
            if (key == WString(u"GL_ERROR_MESSAGE_MAKE_CONTEXT_CURRENT"))
                return WString(u"wglMakeCurrent failed with error %d: %s.");
            return WString("<") + key + WString(">");
        };
    }
};

// An OSMesa context that claims a back buffer and counts swaps.
class CountingSurface : public LOSMesaSurface {
public:
    CountingSurface(int32_t w, int32_t h, int& swaps) : LOSMesaSurface(w, h), m_swaps(swaps) {}
    void SwapBuffers() override { ++m_swaps; }

private:
    int& m_swaps;
};

class DoubleBufferedContext : public LOSMesaContext {
public:
    DoubleBufferedContext(bool swapCopies)
        : LOSMesaContext(OSMesaCreateContextExt(OSMESA_BGRA, 0, 0, 0, nullptr)), m_swapCopies(swapCopies)
    {
    }
    RCPtr<LGLSurface> CreateSurface(WindowHandle, const RectT<int32_t>& viewport, bool) override
    {
        return RCPtr<LGLSurface>(new CountingSurface(viewport.width, viewport.height, swaps));
    }
    bool IsDoubleBuffered() const override { return true; }
    bool SwapsByCopy() const override { return m_swapCopies; }
    int swaps = 0;

private:
    bool m_swapCopies;
};

// A context that can be told to refuse binding.
class RefusingContext : public LGLContext {
public:
    RCPtr<LGLSurface> CreateSurface(WindowHandle, const RectT<int32_t>& viewport, bool) override
    {
        return RCPtr<LGLSurface>(LOSMesaSurface::Create(viewport.width, viewport.height).Get());
    }
    bool IsDoubleBuffered() const override { return false; }
    bool SwapsByCopy() const override { return false; }
    int32_t GetLastError(WString& text) const override
    {
        text = WString(u"Access denied");
        return 5;
    }
    bool refuse = true;

protected:
    bool MakeCurrent(LGLSurface&) override { return !refuse; }
    void MakeNoneCurrent() override {}
};

// A window that hands the renderer a context of its own (or none).
class GLWindow : public IRenderWindow, public IGLWindow {
public:
    explicit GLWindow(RCPtr<LGLContext> context) : m_context(std::move(context)) {}
    gdi::WindowSurface* GetWindowSurface() override { return nullptr; }
    void* GetDeviceContext() override { return nullptr; }
    RCPtr<LGLContext> CreateGLContext() override
    {
        ++requests;
        return m_context;
    }
    int requests = 0;

private:
    RCPtr<LGLContext> m_context;
};

std::string ExceptionText(const std::function<void()>& f)
{
    try {
        f();
    } catch (const std::exception& e) {
        return e.what();
    }
    return "(no exception)";
}

class GLDrawing : public ::testing::Test {
protected:
    void SetUp() override
    {
        context = rig.MakeContext(64, 48);
        rig.renderer->RenderStart(context);
        rig.renderer->FillRect({0, 0, 64, 48}, kBlack, false);
    }
    void TearDown() override { FinishAll(); }
    void FinishAll()
    {
        while (rig.renderer->GetContextStack().GetCount() != 0)
            rig.renderer->RenderFinish(
                rig.renderer->GetContextStack().ElementAt(rig.renderer->GetContextStack().GetCount() - 1));
    }
    // Ends the frame so the pixels can be read.
    void Finish() { rig.renderer->RenderFinish(context); }
    uint32_t At(int32_t x, int32_t y) const { return Rgb(PixelAt(*context, x, y)); }

    GLRig rig;
    RCPtr<LGLRenderContextInfo> context;
};

} // namespace

// ---------------------------------------------------------------------------------------------
// Construction and contexts

TEST(GLRendererSetUp, TheFactoryMakesTheOpenGLRendererForTypeZero)
{
    RCPtr<LRenderer> renderer = LRenderer::Create(kRendererOpenGL, {0, 0, 10, 10}, nullptr);
    ASSERT_TRUE(renderer);
    EXPECT_EQ(renderer->GetRendererType(), 0);
    auto gl = RCPtr<LGLRenderer>::DynamicCast(renderer);
    ASSERT_TRUE(gl);
    ASSERT_TRUE(gl->GetFontRenderer());
    EXPECT_TRUE(dynamic_cast<LGLGlyphRenderer*>(gl->GetFontRenderer()->GetGlyphProcessor().Get()));
    EXPECT_TRUE(dynamic_cast<LOSMesaContext*>(gl->GetGLContext().Get()));
}

TEST(GLRendererSetUp, AWindowWithAContextOfItsOwnProvidesIt)
{
    RCPtr<DoubleBufferedContext> own(new DoubleBufferedContext(true));
    GLWindow window{RCPtr<LGLContext>(own.Get())};
    RCPtr<LGLRenderer> renderer(new LGLRenderer(RCPtr<LFontRenderer>(), &window));
    EXPECT_EQ(window.requests, 1);
    EXPECT_EQ(renderer->GetGLContext().Get(), own.Get());
    EXPECT_TRUE(renderer->IsDoubleBuffered());
    EXPECT_TRUE(renderer->SwapsCopies());
}

TEST(GLRendererSetUp, NoContextShowsTheErrorBoxAndThrows)
{
    RecordingShell shell;
    GLWindow window{RCPtr<LGLContext>()};
    const std::string text =
        ExceptionText([&] { RCPtr<LGLRenderer> r(new LGLRenderer(RCPtr<LFontRenderer>(), &window)); });
    EXPECT_EQ(text, "Runtime Error : KX::LGLRenderer::LGLRenderer : Renderer\\OpenGL\\GLRenderer : Line 171");
    ASSERT_EQ(shell.boxes.size(), 1u);
    EXPECT_EQ(shell.BoxLines()[0], "<GL_ERROR_CAPTION> | <GL_ERROR_MESSAGE_CREATE_CONTEXT><GL_ERROR_UPDATE_DRIVER>");
    EXPECT_EQ(shell.boxes.back().flags, 0x30u);
}

TEST(GLRendererSetUp, AContextThatCannotBeBoundIsReportedWithTheSystemsText)
{
    RecordingShell shell;
    RCPtr<RefusingContext> refusing(new RefusingContext());
    const std::string text = ExceptionText([&] {
        RCPtr<LGLRenderer> r(new LGLRenderer(RCPtr<LFontRenderer>(), nullptr, RCPtr<LGLContext>(refusing.Get())));
    });
    EXPECT_EQ(text, "Runtime Error : KX::LGLRenderer::LGLRenderer : Renderer\\OpenGL\\GLRenderer : Line 180");
    ASSERT_EQ(shell.boxes.size(), 1u);
    EXPECT_EQ(shell.BoxLines()[0],
              "<GL_ERROR_CAPTION> | wglMakeCurrent failed with error 5: Access denied.<GL_ERROR_UPDATE_DRIVER>");

    // Refused later, a frame shows the box and draws nothing, and still ends cleanly.
    refusing->refuse = false;
    RCPtr<LGLRenderer> renderer(new LGLRenderer(RCPtr<LFontRenderer>(), nullptr, RCPtr<LGLContext>(refusing.Get())));
    RCPtr<LRenderContextInfo> context;
    ASSERT_EQ(renderer->InitRenderContextInfo({0, 0, 8, 8}, nullptr, true, context), S_OK);
    refusing->refuse = true;
    EXPECT_EQ(renderer->RenderStart(context), E_FAIL);
    EXPECT_EQ(shell.boxes.size(), 2u);
    EXPECT_FALSE(renderer->CanDraw());
    renderer->FillRect({0, 0, 8, 8}, kRed, true);
    EXPECT_EQ(renderer->RenderFinish(context), S_OK);
    EXPECT_EQ(renderer->GetContextStack().GetCount(), 0u);
}

TEST(GLRendererSetUp, DoubleBufferedWindowsSwapOrCopyOncePerFrame)
{
    for (const bool swapCopies : {true, false}) {
        RCPtr<DoubleBufferedContext> own(new DoubleBufferedContext(swapCopies));
        GLWindow window{RCPtr<LGLContext>(own.Get())};
        RCPtr<LGLRenderer> renderer(new LGLRenderer(RCPtr<LFontRenderer>(), &window));
        RCPtr<LRenderContextInfo> context;
        ASSERT_EQ(renderer->InitRenderContextInfo({0, 0, 16, 16}, &window, false, context), S_OK);
        RCPtr<LRenderContextInfo> offscreen;
        ASSERT_EQ(renderer->InitRenderContextInfo({0, 0, 8, 8}, &window, true, offscreen), S_OK);
        for (int frame = 0; frame < 2; ++frame) {
            renderer->RenderStart(context);
            renderer->FillRect({0, 0, 16, 16}, kBlack, false);
            renderer->FillRect({4, 4, 4, 4}, kGreen, true);
            renderer->RenderFinish(context);
        }
        renderer->RenderStart(offscreen);
        renderer->RenderFinish(offscreen);
        // Swapping windows swap; copying ones leave the back buffer to the copy; offscreen never.
        EXPECT_EQ(own->swaps, swapCopies ? 2 : 0);
        // The copy restores matrices and buffers: the second frame drew where the first did.
        auto* surface =
            dynamic_cast<LOSMesaSurface*>(RCPtr<LGLRenderContextInfo>::DynamicCast(context)->GetSurface().Get());
        EXPECT_EQ(Rgb(surface->GetPixel(5, 5)), 0x00FF00u);
        EXPECT_EQ(Rgb(surface->GetPixel(3, 3)), 0u);
    }
}

// ---------------------------------------------------------------------------------------------
// Frames

TEST(GLRendererFrames, NestedFramesReturnToTheOuterSurfaceAndClip)
{
    GLRig rig;
    auto outer = rig.MakeContext(40, 30);
    auto inner = rig.MakeContext(20, 20);
    rig.renderer->RenderStart(outer);
    rig.renderer->FillRect({0, 0, 40, 30}, kBlack, false);
    rig.renderer->PushClipRect({0.0, 0.0, 10.0, 30.0}, {0.0, 0.0, 10.0, 30.0}, ConstRCPtr<LStencil>(), true);

    rig.renderer->RenderStart(inner);
    rig.renderer->FillRect({0, 0, 20, 20}, kBlue, false);
    rig.renderer->RenderFinish(inner);

    // The outer frame goes on drawing into its own surface, inside its own clip.
    rig.renderer->FillRect({0, 0, 40, 30}, kRed, true);
    rig.renderer->PopState();
    rig.renderer->RenderFinish(outer);

    EXPECT_EQ(Rgb(PixelAt(*outer, 5, 25)), 0xFF0000u);
    EXPECT_EQ(Rgb(PixelAt(*outer, 15, 5)), 0u);
    EXPECT_EQ(Rgb(PixelAt(*inner, 15, 15)), 0x0000FFu);
}

TEST(GLRendererFrames, SurfacesOfOneSizeKeepTheirOwnPixels)
{
    GLRig rig;
    auto first = rig.MakeContext(24, 24);
    auto second = rig.MakeContext(24, 24);
    rig.renderer->RenderStart(first);
    rig.renderer->FillRect({0, 0, 24, 24}, kRed, false);
    rig.renderer->RenderFinish(first);
    rig.renderer->RenderStart(second);
    rig.renderer->FillRect({0, 0, 12, 24}, kGreen, false);
    rig.renderer->RenderFinish(second);
    // A later frame draws only a corner: the rest of each surface is what it was.
    rig.renderer->RenderStart(first);
    rig.renderer->FillRect({0, 0, 2, 2}, kBlue, false);
    rig.renderer->RenderFinish(first);

    EXPECT_EQ(Rgb(PixelAt(*first, 0, 0)), 0x0000FFu);
    EXPECT_EQ(Rgb(PixelAt(*first, 10, 10)), 0xFF0000u);
    EXPECT_EQ(Rgb(PixelAt(*second, 10, 10)), 0x00FF00u);
    EXPECT_EQ(Rgb(PixelAt(*second, 20, 10)), 0u);
}

TEST(GLRendererFrames, OriginAndClipCarryOverToTheNextFrame)
{
    GLRig rig;
    auto context = rig.MakeContext(32, 32);
    rig.renderer->RenderStart(context);
    rig.renderer->FillRect({0, 0, 32, 32}, kBlack, false);
    rig.renderer->PushState();
    rig.renderer->OffsetOrigin({10.0, 10.0});
    rig.renderer->SetClipRect({0.0, 0.0, 4.0, 4.0});
    rig.renderer->RenderFinish(context); // left pushed on purpose

    rig.renderer->RenderStart(context);
    rig.renderer->FillRect({0, 0, 8, 8}, kGreen, true);
    rig.renderer->PopState();
    rig.renderer->FillRect({0, 0, 2, 2}, kRed, true);
    rig.renderer->RenderFinish(context);

    EXPECT_EQ(Rgb(PixelAt(*context, 11, 11)), 0x00FF00u);
    EXPECT_EQ(Rgb(PixelAt(*context, 15, 15)), 0u); // outside the carried clip
    EXPECT_EQ(Rgb(PixelAt(*context, 1, 1)), 0xFF0000u);
}

TEST(GLRendererFrames, DrawingOutsideAFrameDoesNothing)
{
    GLRig rig;
    auto context = rig.MakeContext(8, 8);
    rig.renderer->FillRect({0, 0, 8, 8}, kRed, true);
    rig.renderer->DrawLine({0.0f, 0.0f}, {8.0f, 8.0f}, kRed, 1.0f);
    rig.renderer->RenderStart(context);
    rig.renderer->RenderFinish(context);
    EXPECT_EQ(PixelAt(*context, 3, 3), 0u);
}

// ---------------------------------------------------------------------------------------------
// Clip, origin and rectangles

TEST_F(GLDrawing, AFreshClipLetsEverythingThrough)
{
    rig.renderer->FillRect({0, 0, 64, 48}, kRed, true);
    Finish();
    EXPECT_EQ(At(0, 0), 0xFF0000u);
    EXPECT_EQ(At(63, 47), 0xFF0000u);
}

TEST_F(GLDrawing, AClipLeftOfTheViewportHidesEverything)
{
    rig.renderer->SetClipRect({-50.0, 0.0, 20.0, 48.0});
    rig.renderer->FillRect({0, 0, 64, 48}, kRed, true);
    rig.renderer->SetClipRect({0.0, 0.0, 64.0, 48.0});
    Finish();
    EXPECT_EQ(At(0, 0), 0u);
    EXPECT_EQ(At(63, 47), 0u);
}

TEST_F(GLDrawing, ClipsAreWholePixelsFromTheTopLeft)
{
    rig.renderer->PushClipRect({10.0, 5.0, 6.0, 4.0}, {10.0, 5.0, 6.0, 4.0}, ConstRCPtr<LStencil>(), true);
    rig.renderer->FillRect({-10, -10, 100, 100}, kGreen, true);
    rig.renderer->PopState();
    Finish();
    EXPECT_EQ(At(10, 5), 0x00FF00u);
    EXPECT_EQ(At(15, 8), 0x00FF00u);
    EXPECT_EQ(At(9, 5), 0u);
    EXPECT_EQ(At(16, 8), 0u);
    EXPECT_EQ(At(10, 4), 0u);
    EXPECT_EQ(At(10, 9), 0u);
}

TEST_F(GLDrawing, FillWithoutBlendSetsColourAndAlphaIgnoringTheClip)
{
    rig.renderer->PushOrigin({0.0, 0.0}); // nothing saved yet: no effect
    rig.renderer->PushState();
    rig.renderer->PushOrigin({3.5, -2.5}); // moves by (4, -3)
    rig.renderer->SetClipRect({0.0, 0.0, 1.0, 1.0});
    rig.renderer->FillRect({1, 10, 2, 2}, LColor::MakeFromARGB(0x80402010u), false);
    rig.renderer->FillRect({1, 10, 2, 2}, kRed, true); // clipped away
    rig.renderer->PopState();
    rig.renderer->PopState();
    Finish();
    EXPECT_EQ(PixelAt(*context, 5, 7), 0x80402010u);
    EXPECT_EQ(PixelAt(*context, 6, 8), 0x80402010u);
    EXPECT_EQ(At(4, 7), 0u);
    EXPECT_EQ(At(7, 9), 0u);
}

TEST_F(GLDrawing, UntexturedDrawingAfterABitmapIsNotTextured)
{
    // Texturing stays on after a bitmap; lines, outlines, fills and shapes turn it off.
    RCPtr<LBitmap> clear = MakeBitmap(4, 4, [](int32_t, int32_t) { return 0x00000000u; });
    PolylineT<float> line;
    line.AddPoint(10.0f, 30.5f);
    line.AddPoint(30.0f, 30.5f);
    rig.renderer->DrawBitmap(clear, {0, 0, 4, 4}, 0);
    rig.renderer->DrawLine({10.0f, 20.5f}, {30.0f, 20.5f}, kGreen, 1.0f);
    rig.renderer->DrawBitmap(clear, {0, 0, 4, 4}, 0);
    rig.renderer->DrawRect({40, 20, 10, 10}, kGreen, 1.0f);
    rig.renderer->DrawBitmap(clear, {0, 0, 4, 4}, 0);
    rig.renderer->FillRect({10, 40, 4, 4}, kGreen, true);
    rig.renderer->DrawBitmap(clear, {0, 0, 4, 4}, 0);
    rig.renderer->DrawPolyline(line, kGreen, {0.0f, 0.0f}, {1.0f, 1.0f}, true);
    Finish();
    EXPECT_EQ(At(20, 20), 0x00FF00u);
    EXPECT_NE(At(45, 20), 0u);
    EXPECT_EQ(At(11, 41), 0x00FF00u);
    EXPECT_EQ(At(20, 30), 0x00FF00u);
}

// ---------------------------------------------------------------------------------------------
// Bitmaps

TEST_F(GLDrawing, BitmapsAtTheirOwnSizeArePixelExact)
{
    RCPtr<LBitmap> bitmap =
        MakeBitmap(5, 3, [](int32_t x, int32_t y) { return gdi::MakeARGB(255, x * 50, y * 100, 7); });
    rig.renderer->DrawBitmap(bitmap, {10, 20, 5, 3}, 0);
    Finish();
    for (int32_t y = 0; y < 3; ++y)
        for (int32_t x = 0; x < 5; ++x)
            EXPECT_EQ(At(10 + x, 20 + y), (uint32_t(x * 50) << 16) | (uint32_t(y * 100) << 8) | 7u) << x << "," << y;
    EXPECT_EQ(At(15, 20), 0u);
    EXPECT_EQ(At(10, 23), 0u);
}

TEST_F(GLDrawing, TilesOverhangTheDestinationUntilTheClipCutsThem)
{
    RCPtr<LBitmap> bitmap =
        MakeBitmap(10, 10, [](int32_t x, int32_t y) { return x == 0 && y == 0 ? 0xFFFF0000u : 0xFF00FF00u; });
    rig.renderer->DrawBitmap(bitmap, {0, 0, 25, 25}, 1);
    Finish();
    // Nine tiles: their corners at 0, 10 and 20 each way; the last ones reach 30.
    for (int32_t ty = 0; ty < 3; ++ty)
        for (int32_t tx = 0; tx < 3; ++tx)
            EXPECT_EQ(At(tx * 10, ty * 10), 0xFF0000u) << tx << "," << ty;
    EXPECT_EQ(At(29, 29), 0x00FF00u);
    EXPECT_EQ(At(30, 29), 0u);
}

TEST_F(GLDrawing, CentringUsesIntegerHalves)
{
    RCPtr<LBitmap> bitmap = MakeBitmap(10, 10, [](int32_t, int32_t) { return 0xFF0000FFu; });
    rig.renderer->DrawBitmap(bitmap, {0, 0, 15, 15}, 2);
    Finish();
    EXPECT_EQ(At(2, 2), 0x0000FFu);
    EXPECT_EQ(At(11, 11), 0x0000FFu);
    EXPECT_EQ(At(1, 2), 0u);
    EXPECT_EQ(At(12, 11), 0u);
}

TEST_F(GLDrawing, ResizeTypesAreCheckedOnlyWhenTheSizesDiffer)
{
    RCPtr<LBitmap> bitmap = MakeBitmap(4, 4, [](int32_t, int32_t) { return 0xFFFFFFFFu; });
    rig.renderer->DrawBitmap(bitmap, {0, 0, 4, 4}, 7);
    const std::string text = ExceptionText([&] { rig.renderer->DrawBitmap(bitmap, {0, 0, 5, 4}, 7); });
    EXPECT_EQ(text, "Logic Error : Invalid ResizeType passed to DrawBitmap! : KX::LGLRenderer::DrawBitmap : "
                    "Renderer\\OpenGL\\GLRenderer : Line 1152");
    const std::string null = ExceptionText([&] { rig.renderer->DrawBitmap(ConstRCPtr<LBitmap>(), {0, 0, 4, 4}, 0); });
    EXPECT_NE(null.find("KXRESULT = 80070057"), std::string::npos) << null;
    EXPECT_NE(null.find("KX::LGLRenderer::DrawBitmap : Renderer\\OpenGL\\GLRenderer : Line 1102"), std::string::npos);
    Finish();
    EXPECT_EQ(At(3, 3), 0xFFFFFFu);
}

TEST_F(GLDrawing, TilingAnEmptyBitmapEnds)
{
    RCPtr<LBitmap> empty(new LBitmap(WString(u"none"), WString(u"/no/such/image.png")));
    rig.renderer->DrawBitmap(empty, {0, 0, 20, 20}, 1);
    rig.renderer->DrawBitmap(empty, {0, 0, 20, 20}, 2);
    Finish();
    EXPECT_EQ(At(5, 5), 0u);
}

TEST_F(GLDrawing, SubBitmapsShareTheirRootsTexture)
{
    RCPtr<LBitmap> root = MakeBitmap(8, 4, [](int32_t x, int32_t) { return x < 4 ? 0xFFFF0000u : 0xFF0000FFu; });
    ConstRCPtr<LBitmap> right = root->CreateSubBitmap(4, 0, 4, 4);
    rig.renderer->DrawBitmap(root, {0, 0, 8, 4}, 0);
    rig.renderer->DrawBitmap(right, {20, 0, 4, 4}, 0);
    Finish();
    EXPECT_EQ(rig.renderer->GetTextureCache().CountObjects(), 1u);
    EXPECT_EQ(At(20, 0), 0x0000FFu);
    EXPECT_EQ(At(23, 3), 0x0000FFu);
    EXPECT_EQ(At(24, 3), 0u);
}

TEST_F(GLDrawing, PixelsWrittenAfterDrawingAreDrawnNextTime)
{
    RCPtr<LBitmap> bitmap = MakeBitmap(4, 4, [](int32_t, int32_t) { return 0xFFFF0000u; });
    rig.renderer->DrawBitmap(bitmap, {0, 0, 4, 4}, 0);
    {
        // A write lock gives the bitmap new pixels (and a new texture key).
        RCPtr<LBitmapData> data(new LBitmapData(bitmap, gdi::ImageLockMode::Write));
        for (uint32_t y = 0; y < 4; ++y)
            for (uint32_t x = 0; x < 4; ++x)
                *data->GetPixelAddress(x, y) = static_cast<int32_t>(0xFF00FF00u);
    }
    rig.renderer->DrawBitmap(bitmap, {10, 0, 4, 4}, 0);
    Finish();
    EXPECT_EQ(At(1, 1), 0xFF0000u);
    EXPECT_EQ(At(11, 1), 0x00FF00u);
}

TEST_F(GLDrawing, StretchedEdgesDoNotFadeIntoTheTexturesPadding)
{
    // 5 x 3 in an 8 x 4 texture, stretched: its last column and row stay their colour.
    RCPtr<LBitmap> bitmap = MakeBitmap(5, 3, [](int32_t, int32_t) { return 0xFFFFFFFFu; });
    rig.renderer->DrawBitmap(bitmap, {0, 0, 40, 24}, 0);
    Finish();
    EXPECT_EQ(At(0, 0), 0xFFFFFFu);
    EXPECT_EQ(At(39, 23), 0xFFFFFFu);
    EXPECT_EQ(At(39, 0), 0xFFFFFFu);
    EXPECT_EQ(At(0, 23), 0xFFFFFFu);
}

// ---------------------------------------------------------------------------------------------
// Text

TEST_F(GLDrawing, TextHangsBelowItsPositionInsideTheMeasuredBox)
{
    const ConstRCPtr<LFont> font = LFont::GetFont(WString(u"DejaVu Sans"), 12.0f, kFontRegular);
    const RectT<float> box = rig.renderer->MeasureText(WString(u"HH"), font);
    rig.renderer->DrawText(WString(u"HH"), font, {10, 20}, kWhite);
    Finish();
    int32_t top = 1000;
    int32_t bottom = -1;
    int32_t left = 1000;
    int32_t right = -1;
    for (int32_t y = 0; y < 48; ++y)
        for (int32_t x = 0; x < 64; ++x)
            if (Green(At(x, y)) > 0x80) {
                top = std::min(top, y);
                bottom = std::max(bottom, y);
                left = std::min(left, x);
                right = std::max(right, x);
            }
    ASSERT_GE(bottom, 0) << "no text drawn";
    // "H" reaches from the cap height to the baseline, which lies the font's ascent below 20.
    EXPECT_EQ(bottom + 1, 20 - font->GetAscent());
    EXPECT_GT(top, 20);
    EXPECT_GE(left, 10);
    EXPECT_LE(right, 10 + static_cast<int32_t>(box.width));
    EXPECT_GT(right - left, static_cast<int32_t>(box.width) / 2);
}

TEST(GLRendererText, MetricsAndMeasuringWorkOutsideFrames)
{
    GLRig rig;
    const ConstRCPtr<LFont> font = LFont::GetFont(WString(u"DejaVu Sans"), 12.0f, kFontRegular);
    int32_t height = 0;
    int32_t ascent = 0;
    int32_t descent = 0;
    ASSERT_EQ(rig.renderer->GetFontMetrics(font, height, ascent, descent), S_OK);
    EXPECT_GE(height, 16);
    EXPECT_LT(ascent, 0);
    EXPECT_GT(descent, 0);
    const RectT<float> one = rig.renderer->MeasureText(WString(u"W"), font);
    const RectT<float> two = rig.renderer->MeasureText(WString(u"WW"), font);
    EXPECT_GT(one.width, 5.0f);
    EXPECT_GT(two.width, one.width * 1.5f);
    EXPECT_EQ(LGLContext::GetBoundContext(), nullptr);

    RCPtr<LGLRenderer> bare(new LGLRenderer(RCPtr<LFontRenderer>(), nullptr));
    EXPECT_EQ(bare->GetFontMetrics(font, height, ascent, descent), E_FAIL);
    EXPECT_EQ(bare->MeasureText(WString(u"W"), font), RectT<float>{});
}

// ---------------------------------------------------------------------------------------------
// Context surfaces

TEST(GLRendererSurfaces, OffscreenContextsAreCopiedAndScrolled)
{
    GLRig rig;
    auto source = rig.MakeContext(16, 16);
    auto window = rig.MakeContext(32, 32, false);
    rig.renderer->RenderStart(source);
    rig.renderer->FillRect({0, 0, 16, 16}, kBlack, false);
    rig.renderer->FillRect({0, 0, 8, 16}, kRed, true);
    rig.renderer->FillRect({8, 0, 8, 4}, kGreen, true);
    rig.renderer->RenderFinish(source);

    rig.renderer->RenderStart(window);
    rig.renderer->FillRect({0, 0, 32, 32}, kBlue, false);
    EXPECT_EQ(rig.renderer->DrawContextSurface(window, {0, 0}, {0, 0, 4, 4}), E_INVALIDARG);
    EXPECT_EQ(rig.renderer->DrawContextSurface(source, {20, 20}, {6, 2, 4, 4}), S_OK);
    rig.renderer->RenderFinish(window);
    EXPECT_EQ(rig.renderer->DrawContextSurface(source, {0, 0}, {0, 0, 4, 4}), E_FAIL); // no frame

    EXPECT_EQ(Rgb(PixelAt(*window, 20, 20)), 0xFF0000u);
    EXPECT_EQ(Rgb(PixelAt(*window, 21, 23)), 0xFF0000u);
    EXPECT_EQ(Rgb(PixelAt(*window, 22, 20)), 0x00FF00u);
    EXPECT_EQ(Rgb(PixelAt(*window, 23, 21)), 0x00FF00u);
    EXPECT_EQ(Rgb(PixelAt(*window, 22, 22)), 0u);
    EXPECT_EQ(Rgb(PixelAt(*window, 24, 20)), 0x0000FFu);

    EXPECT_EQ(rig.renderer->ScrollContextSurface(window, {1, 1}), E_INVALIDARG);
    EXPECT_EQ(rig.renderer->ScrollContextSurface(source, {4, 2}), S_OK);
    EXPECT_EQ(rig.renderer->GetContextStack().GetCount(), 0u);
    EXPECT_EQ(Rgb(PixelAt(*source, 4, 2)), 0xFF0000u);  // was (0, 0)
    EXPECT_EQ(Rgb(PixelAt(*source, 12, 2)), 0x00FF00u); // was (8, 0)
    EXPECT_EQ(Rgb(PixelAt(*source, 12, 6)), 0u);        // was (8, 4)
    EXPECT_EQ(Rgb(PixelAt(*source, 11, 15)), 0xFF0000u);
}
