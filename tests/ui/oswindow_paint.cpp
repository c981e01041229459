// Frames through the OS window: a whole-window frame on the SDL window surface equals the same
// frame drawn offscreen, pixel for pixel; an expose shows the kept frame without drawing.
#include "OSWindowFakes.h"

#include "TestSupport.h"
#include "kx/GDIRenderContextInfo.h"

#include "platform/gdi/WindowSurface.h"

#include <cstdlib>

using namespace KX;
using kxtest::FakeLook;
using kxtest::GiveLook;
using kxtest::Hex;
using uitest::Make;
using uitest::TestControl;

namespace {

// Whether the window's opaque pixel is the straight ARGB value shown over black: exact for
// opaque values, within the premultiplication's rounding for translucent ones.
bool SameOverBlack(uint32_t shown, uint32_t straight)
{
    const uint32_t alpha = straight >> 24;
    for (int shift = 0; shift < 24; shift += 8) {
        const int expected = static_cast<int>((((straight >> shift) & 0xFF) * alpha + 127) / 255);
        const int got = static_cast<int>((shown >> shift) & 0xFF);
        if (alpha == 0xFF ? got != expected : std::abs(got - expected) > 1)
            return false;
    }
    return true;
}

class OSWindowPaint : public oswtest::OSWindowTest {
protected:
    void SetUp() override
    {
        OSWindowTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        main = Make(nullptr, u"main", 0, 0, kW, kH);
        // The main control draws nothing; the bottom rows have no paper: what is drawn there
        // stays translucent.
        mainLook = GiveLook(*main, {0, 0, kW, kH}, 0);
        window->GetRootWindow()->AttachMainControl(main);
        RCPtr<TestControl> paper = Make(main, u"paper", 0, 0, kW, kH - 40);
        paperLook = GiveLook(*paper, {0, 0, kW, kH - 40}, 0xFFFFFFFF);
        RCPtr<TestControl> panel = Make(main, u"panel", 20, 30, 150, 100);
        GiveLook(*panel, {0, 0, 150, 100}, 0xFFFF0000);
        RCPtr<TestControl> glass = Make(panel, u"glass", 100, 50, 100, 100); // cut by the panel, blended
        GiveLook(*glass, {0, 0, 100, 100}, 0x800000FF);
        RCPtr<TestControl> far = Make(main, u"far", 250, 150, 70, 50);
        GiveLook(*far, {0, 0, 70, 50}, 0xFF10C060);
        RCPtr<TestControl> haze = Make(main, u"haze", 0, kH - 30, 100, 30);
        GiveLook(*haze, {0, 0, 100, 30}, 0x80FF8000);
    }
    void TearDown() override
    {
        mainLook = paperLook = nullptr;
        main = nullptr;
        OSWindowTest::TearDown();
    }

    // The frame the root window draws offscreen with the same renderer.
    RCPtr<LGDIRenderContextInfo> OffscreenFrame()
    {
        RCPtr<LRenderContextInfo> info;
        EXPECT_EQ(window->GetRenderer()->InitRenderContextInfo({0, 0, kW, kH}, nullptr, true, info), S_OK);
        auto context = RCPtr<LGDIRenderContextInfo>::DynamicCast(info);
        LRegion all;
        all.AddRect(0, 0, kW, kH);
        context->GetInvalidRegion().AddRect(0, 0, kW, kH);
        window->GetRenderer()->RenderStart(ConstRCPtr<LRenderContextInfo>(context));
        window->GetRootWindow()->Paint(all);
        window->GetRenderer()->RenderFinish(ConstRCPtr<LRenderContextInfo>(context));
        return context;
    }

    // The window surface as 0x00RRGGBB values.
    std::vector<uint32_t> ReadWindow()
    {
        SDL_Surface* surface = SDL_GetWindowSurface(window->GetPlatformWindow().Handle());
        EXPECT_NE(surface, nullptr) << SDL_GetError();
        std::vector<uint32_t> pixels;
        if (!surface)
            return pixels;
        SDL_Surface* argb = SDL_ConvertSurfaceFormat(surface, SDL_PIXELFORMAT_ARGB8888, 0);
        EXPECT_NE(argb, nullptr);
        EXPECT_EQ(argb->w, kW);
        EXPECT_EQ(argb->h, kH);
        for (int y = 0; y < argb->h; ++y) {
            const auto* row = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(argb->pixels) +
                                                                static_cast<ptrdiff_t>(y) * argb->pitch);
            for (int x = 0; x < argb->w; ++x)
                pixels.push_back(row[x] & 0xFFFFFF);
        }
        SDL_FreeSurface(argb);
        return pixels;
    }

    void ExpectWindowEqualsOffscreen()
    {
        const RCPtr<LGDIRenderContextInfo> frame = OffscreenFrame();
        const std::vector<uint32_t> shown = ReadWindow();
        ASSERT_EQ(shown.size(), size_t(kW) * kH);
        int mismatches = 0;
        for (int32_t y = 0; y < kH; ++y)
            for (int32_t x = 0; x < kW; ++x) {
                gdi::ARGB expected = 0;
                ASSERT_EQ(frame->GetBitmap()->GetPixel(x, y, expected), gdi::Status::Ok);
                const uint32_t got = shown[size_t(y) * kW + x];
                if (!SameOverBlack(got, expected) && ++mismatches <= 5)
                    ADD_FAILURE() << "(" << x << "," << y << ") window " << Hex(got) << " offscreen " << Hex(expected);
            }
        EXPECT_EQ(mismatches, 0);
    }

    RCPtr<TestControl> main;
    RCPtr<FakeLook> mainLook, paperLook;
};

} // namespace

TEST_F(OSWindowPaint, WholeWindowFrameEqualsTheOffscreenFrame)
{
    ASSERT_EQ(window->InvalidateAll(), S_OK);
    app.loop.ProcessPending();
    ExpectWindowEqualsOffscreen();
    EXPECT_GT(mainLook->clientDraws, 0);
    // The translucent corner shows as composited over black.
    EXPECT_EQ(Hex(ReadWindow()[size_t(kH - 10) * kW + 10]), Hex(0x804000));
}

TEST_F(OSWindowPaint, PartialInvalidationRedrawsOnlyItsRectangleAndExposeRedrawsNothing)
{
    ASSERT_EQ(window->InvalidateAll(), S_OK);
    app.loop.ProcessPending();
    // A change inside a small rectangle only: the rest of the window keeps the old frame.
    paperLook->argb = 0xFF202020;
    window->GetRootWindow()->InvalidateArea({0, 0, 10, 10});
    app.loop.ProcessPending();
    const std::vector<uint32_t> shown = ReadWindow();
    ASSERT_EQ(shown.size(), size_t(kW) * kH);
    EXPECT_EQ(Hex(shown[0]), Hex(0x202020));
    EXPECT_EQ(Hex(shown[size_t(5) * kW + 15]), Hex(0xFFFFFF));
    // An expose shows the kept frame again without drawing.
    const int draws = paperLook->clientDraws;
    SDL_Surface* surface = SDL_GetWindowSurface(window->GetPlatformWindow().Handle());
    ASSERT_NE(surface, nullptr);
    SDL_FillRect(surface, nullptr, SDL_MapRGB(surface->format, 1, 2, 3));
    Inject(WindowEventOf(*window, SDL_WINDOWEVENT_EXPOSED));
    EXPECT_EQ(paperLook->clientDraws, draws);
    EXPECT_EQ(Hex(ReadWindow()[0]), Hex(0x202020));
}

TEST_F(OSWindowPaint, ResizeKeepsTheBackBufferTheClientSizeAndRepaintsWhole)
{
    Inject(WindowEventOf(*window, SDL_WINDOWEVENT_SIZE_CHANGED, 200, 120));
    EXPECT_EQ(window->GetRenderContext()->GetViewport(), (RectT<int32_t>{0, 0, 200, 120}));
    EXPECT_EQ(window->GetWindowSurface()->GetBackBuffer().GetWidth(), 200);
    EXPECT_EQ(window->GetWindowSurface()->GetBackBuffer().GetHeight(), 120);
    // Minimising leaves the root window's size alone but still sets the viewport.
    const RectT<int32_t> before = window->GetRootWindow()->GetClientRect();
    Inject(WindowEventOf(*window, SDL_WINDOWEVENT_MINIMIZED));
    EXPECT_EQ(window->GetRootWindow()->GetClientRect(), before);
}

TEST_F(OSWindowPaint, SizeLimitsOfTheMainControlBoundTheWindow)
{
    main->GetLayout()->MaxSize(0).absolute = 250;
    main->GetLayout()->MinSize(1).absolute = 150;
    window->ApplySizeLimits();
    int w = 0, h = 0;
    SDL_GetWindowMinimumSize(window->GetPlatformWindow().Handle(), &w, &h);
    EXPECT_EQ(h, 150);
    SDL_GetWindowMaximumSize(window->GetPlatformWindow().Handle(), &w, &h);
    EXPECT_EQ(w, 250);
    // A size outside the limits (a window manager that ignores them) is fitted at once.
    Inject(WindowEventOf(*window, SDL_WINDOWEVENT_SIZE_CHANGED, 300, 100));
    RectT<int32_t> client{};
    window->GetClientRect(client);
    EXPECT_EQ(client.width, 250);
    EXPECT_EQ(client.height, 150);
}
