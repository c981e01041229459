// The SDL event loop's idle passes and modal runs, presenting the back buffer through the window surface,
// and the bounds of a second instance's command line.
#include "SdlWindowSupport.h"

#include <cstring>
#include <string>

namespace {

using namespace sdltest;

using SdlEventLoop = WindowTest;

TEST_F(SdlEventLoop, IdlePassesRunWhileWantedAndTheCountIsBelowTwo)
{
    window.reset(); // no ticks: only the wakes below start idle periods
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    std::vector<int> counts;
    loop.SetIdleHandler([&](int count) {
        counts.push_back(count);
        if (counts.size() == 3)
            EventLoop::Wake(); // after the last pass of the period: a new period
        if (counts.size() == 5)
            EventLoop::Wake(); // during a period: the next pass starts a new one
        if (counts.size() == 6)
            loop.Quit(5);
        return true;
    });
    EXPECT_EQ(loop.Run(), 5);
    EXPECT_EQ(counts, (std::vector<int>{0, 1, 2, 0, 1, 0}));
}

TEST_F(SdlEventLoop, AnIdleHandlerWantingNoMoreGetsOnePassPerPeriod)
{
    window.reset();
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    std::vector<int> counts;
    loop.SetIdleHandler([&](int count) {
        counts.push_back(count);
        if (counts.size() == 2)
            loop.Quit(0);
        else
            EventLoop::Wake();
        return false;
    });
    loop.Run();
    EXPECT_EQ(counts, (std::vector<int>{0, 0}));
}

TEST_F(SdlEventLoop, APointerMoveToTheSamePlaceStartsNoNewIdlePeriod)
{
    window.reset();
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    std::vector<int> counts;
    loop.SetIdleHandler([&](int count) {
        counts.push_back(count);
        if (counts.size() <= 2) {
            SDL_Event move{};
            move.type = SDL_MOUSEMOTION;
            move.motion.x = 3;
            move.motion.y = 4;
            SDL_PushEvent(&move);
        } else {
            loop.Quit(0);
        }
        return true;
    });
    loop.Run();
    EXPECT_EQ(counts, (std::vector<int>{0, 0, 1}));
}

TEST_F(SdlEventLoop, AWindowsTickStartsANewIdlePeriod)
{
    int periods = 0;
    loop.SetIdleHandler([&](int count) {
        if (count == 0 && ++periods == 3)
            loop.Quit(0);
        return false;
    });
    loop.Run(); // without the 33 ms tick this would wait for ever
    EXPECT_EQ(periods, 3);
}

TEST_F(SdlEventLoop, PaintsComeBeforeIdleAndCarryTheInvalidRectangles)
{
    std::vector<std::string> order;
    struct PaintSink : WindowEventSink {
        std::vector<std::string>* order;
        std::vector<Rect> dirty;
        void OnWindowEvent(Window&, const WindowEvent& event) override
        {
            if (event.kind == WindowEventKind::Paint) {
                order->push_back("paint");
                dirty = event.dirty;
            }
        }
    } paintSink;
    paintSink.order = &order;
    window->SetSink(&paintSink);
    window->Invalidate({10, 10, 100, 100});
    window->Invalidate({-5, 0, 10, 10});
    window->Invalidate({70, 0, 5, 5}); // outside the 64 x 48 client area
    loop.SetIdleHandler([&](int) {
        order.push_back("idle");
        loop.Quit(0);
        return false;
    });
    loop.Run();
    EXPECT_EQ(order, (std::vector<std::string>{"paint", "idle"}));
    EXPECT_EQ(paintSink.dirty, (std::vector<Rect>{{10, 10, 54, 38}, {0, 0, 5, 10}})) << "clipped to the client area";
    EXPECT_FALSE(window->HasPendingPaint());
}

TEST_F(SdlEventLoop, ModalRunsNestDisableTheirOwnerAndEndWithTheirCode)
{
    WindowOptions options;
    options.width = 20;
    options.height = 20;
    options.owner = window.get();
    Window dialog(options);
    Window inner(options);
    Window box(options);
    ASSERT_TRUE(dialog.IsValid() && inner.IsValid() && box.IsValid());
    bool ownerDisabledDuringRun = false;
    int innerResult = 0;
    int passes = 0;
    loop.SetIdleHandler([&](int) {
        ++passes;
        if (passes == 1) {
            ownerDisabledDuringRun = !window->IsInputEnabled() && dialog.IsInputEnabled();
            innerResult = loop.RunModal(inner, &dialog);
            EXPECT_TRUE(dialog.IsInputEnabled()) << "the inner run gave its owner back";
            // A box over the main window, which the dialog's run holds: it stays held after.
            loop.RunModal(box, window.get());
            EXPECT_FALSE(window->IsInputEnabled()) << "the box gave back an owner another run holds";
            dialog.EndModal(7);
        } else if (passes == 2) {
            EXPECT_FALSE(dialog.IsInputEnabled());
            inner.EndModal(3);
        } else if (passes == 3) {
            box.EndModal(1);
        }
        return false;
    });
    EXPECT_EQ(loop.RunModal(dialog, window.get()), 7);
    EXPECT_EQ(innerResult, 3);
    EXPECT_TRUE(ownerDisabledDuringRun);
    EXPECT_TRUE(window->IsInputEnabled());
    EXPECT_FALSE(loop.QuitRequested());
}

TEST_F(SdlEventLoop, QuitInsideAModalRunEndsItWithMinusOneAndStaysInForce)
{
    WindowOptions options;
    options.owner = window.get();
    auto dialog = std::make_unique<Window>(options);
    loop.SetIdleHandler([&](int) {
        loop.Quit(9);
        return false;
    });
    EXPECT_EQ(loop.RunModal(*dialog, window.get()), -1);
    EXPECT_TRUE(loop.QuitRequested());
    EXPECT_EQ(loop.Run(), 9) << "the outer loop ends at once";

    EventLoop second;
    second.SetIdleHandler([&](int) {
        dialog.reset(); // the dialog closed under its own run
        return false;
    });
    Window* raw = dialog.get();
    EXPECT_EQ(second.RunModal(*raw, nullptr), -1);
}

// Reads the window surface's pixel at (x, y) as 0xRRGGBB.
uint32_t SurfacePixel(Window& w, int x, int y)
{
    SDL_Surface* surface = SDL_GetWindowSurface(w.Handle());
    const auto* row = static_cast<const uint8_t*>(surface->pixels) + y * surface->pitch;
    Uint32 raw = 0;
    std::memcpy(&raw, row + x * surface->format->BytesPerPixel, surface->format->BytesPerPixel);
    Uint8 r = 0, g = 0, b = 0;
    SDL_GetRGB(raw, surface->format, &r, &g, &b);
    return uint32_t{r} << 16 | uint32_t{g} << 8 | b;
}

using SdlWindowPresent = WindowTest;

TEST_F(SdlWindowPresent, OnlyTheDirtyRectanglesPixelsReachTheWindow)
{
    SDL_Surface* surface = SDL_GetWindowSurface(window->Handle());
    ASSERT_NE(surface, nullptr) << SDL_GetError();
    SDL_FillRect(surface, nullptr, 0);
    std::vector<uint32_t> pixels(64 * 48);
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x)
            pixels[y * 64 + x] = 0xFF000000u | uint32_t(x * 4) << 16 | uint32_t(y * 5) << 8 | 0x3C;
    window->SetBackBuffer({pixels.data(), 64 * 4, 64, 48, PixelLayout::Premultiplied});
    ASSERT_TRUE(window->Present({{2, 3, 5, 4}, {60, 40, 10, 10}}));
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x) {
            const bool dirty = (x >= 2 && x < 7 && y >= 3 && y < 7) || (x >= 60 && y >= 40);
            ASSERT_EQ(SurfacePixel(*window, x, y), dirty ? (pixels[y * 64 + x] & 0xFFFFFF) : 0u) << x << "," << y;
        }
}

// SDL's texture framebuffer would upload and draw the whole window for every present, however
// few rectangles are dirty. Run alone (as ctest runs it), the window alone decides.
TEST(SdlWindowFramebuffer, ASoftwareWindowPresentsIntoItsOwnFramebufferNotAWindowTexture)
{
    if (!StartVideo())
        GTEST_SKIP() << "no offscreen video driver: " << SDL_GetError();
    ::unsetenv("SDL_FRAMEBUFFER_ACCELERATION");
    SDL_ResetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION);
    WindowOptions options;
    options.width = 32;
    options.height = 24;
    Window software(options);
    ASSERT_TRUE(software.IsValid()) << SDL_GetError();
    std::vector<uint32_t> pixels(32 * 24, 0xFF336699u);
    software.SetBackBuffer({pixels.data(), 32 * 4, 32, 24, PixelLayout::Premultiplied});
    ASSERT_TRUE(software.Present({{1, 1, 4, 4}}));
    EXPECT_EQ(SDL_GetRenderer(software.Handle()), nullptr) << "presented through an SDL renderer's texture";
    software.ClearBackBuffer();
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
}

TEST_F(SdlWindowPresent, StraightAlphaShowsOverBlackAndPremultipliedAsItIs)
{
    SDL_FillRect(SDL_GetWindowSurface(window->Handle()), nullptr, 0);
    uint32_t pixel = 0x80FF4020u;
    window->SetBackBuffer({&pixel, 4, 1, 1, PixelLayout::Straight});
    window->Present({{0, 0, 1, 1}});
    EXPECT_EQ(SurfacePixel(*window, 0, 0), 0x802010u);
    pixel = 0x80804020u;
    window->SetBackBuffer({&pixel, 4, 1, 1, PixelLayout::Premultiplied});
    window->Present({{0, 0, 1, 1}});
    EXPECT_EQ(SurfacePixel(*window, 0, 0), 0x804020u);
    window->ClearBackBuffer();
}

TEST_F(SdlWindowPresent, AnExposeRecopiesTheKeptBufferWithoutAskingForAPaint)
{
    std::vector<uint32_t> pixels(64 * 48, 0xFF123456u);
    window->SetBackBuffer({pixels.data(), 64 * 4, 64, 48, PixelLayout::Premultiplied});
    SDL_FillRect(SDL_GetWindowSurface(window->Handle()), nullptr, 0);
    Inject(WindowEventOf(SDL_WINDOWEVENT_EXPOSED));
    EXPECT_EQ(SurfacePixel(*window, 0, 0), 0x123456u);
    EXPECT_EQ(SurfacePixel(*window, 63, 47), 0x123456u);
    EXPECT_TRUE(sink.events.empty());
    EXPECT_FALSE(window->HasPendingPaint());

    window->ClearBackBuffer();
    Inject(WindowEventOf(SDL_WINDOWEVENT_EXPOSED));
    ASSERT_EQ(sink.Of(WindowEventKind::Paint).size(), 1u) << "nothing kept: a paint is needed";
    EXPECT_EQ(sink.events[0].dirty, (std::vector<Rect>{{0, 0, 64, 48}}));
}

TEST_F(SdlWindowPresent, AResizedWindowPresentsIntoItsNewSurface)
{
    SDL_SetWindowSize(window->Handle(), 100, 80);
    std::vector<uint32_t> pixels(100 * 80, 0xFF00FF00u);
    window->SetBackBuffer({pixels.data(), 100 * 4, 100, 80, PixelLayout::Premultiplied});
    ASSERT_TRUE(window->Present({{0, 0, 100, 80}}));
    SDL_Surface* surface = SDL_GetWindowSurface(window->Handle());
    ASSERT_EQ(surface->w, 100);
    EXPECT_EQ(SurfacePixel(*window, 99, 79), 0x00FF00u);
    window->ClearBackBuffer();
}

TEST_F(SdlWindowPresent, ACommandLineIsTakenOnlyWhenBoundedEndedAndWellFormed)
{
    const char good[] = "lumo --open \xC3\xA9.preset";
    EXPECT_TRUE(window->AcceptCommandLine(good, sizeof good));
    ASSERT_EQ(sink.events.size(), 1u);
    EXPECT_EQ(sink.events[0].kind, WindowEventKind::CommandLine);
    EXPECT_EQ(sink.events[0].text, "lumo --open \xC3\xA9.preset");

    std::string longest(Window::kMaxCommandLineBytes - 1, 'x');
    EXPECT_TRUE(window->AcceptCommandLine(longest.c_str(), longest.size() + 1));
    std::string over(Window::kMaxCommandLineBytes, 'x');
    EXPECT_FALSE(window->AcceptCommandLine(over.c_str(), over.size() + 1));
    EXPECT_FALSE(window->AcceptCommandLine("abc", 3)) << "no NUL";
    EXPECT_FALSE(window->AcceptCommandLine("a\0bc", 5)) << "a NUL inside";
    EXPECT_FALSE(window->AcceptCommandLine("\xC3(", 3)) << "malformed UTF-8";
    EXPECT_FALSE(window->AcceptCommandLine(nullptr, 0));
    EXPECT_FALSE(window->AcceptCommandLine("", 0));
    EXPECT_TRUE(window->AcceptCommandLine("", 1)) << "an empty line is a line";
    window->SetInputEnabled(false);
    EXPECT_FALSE(window->AcceptCommandLine(good, sizeof good)) << "a disabled window takes none";
    EXPECT_EQ(sink.Of(WindowEventKind::CommandLine).size(), 3u);
}

TEST_F(SdlWindowPresent, GeometryPlacementAndSizeLimits)
{
    window->SetClientRect({30, 40, 120, 90});
    EXPECT_EQ(window->ClientRectOnScreen(), (Rect{30, 40, 120, 90}));
    int32_t x = 5, y = 6;
    window->ClientToScreen(x, y);
    EXPECT_EQ(x, 35);
    EXPECT_EQ(y, 46);
    window->ScreenToClient(x, y);
    EXPECT_EQ(x, 5);
    EXPECT_EQ(y, 6);

    window->SetMinimumClientSize(100, 100);
    window->SetMaximumClientSize(200, 0);
    SDL_SetWindowSize(window->Handle(), 50, 5000);
    const Rect limited = window->ClientRect();
    EXPECT_EQ(limited.width, 100);
    EXPECT_GE(limited.height, 100);

    Placement placement;
    placement.normal = {11, 12, 150, 110};
    window->SetPlacement(placement);
    const Placement back = window->GetPlacement();
    EXPECT_EQ(back.normal, placement.normal);
    EXPECT_FALSE(back.maximised);
    const Rect work = window->WorkArea();
    EXPECT_GT(work.width, 0);
    EXPECT_GT(work.height, 0);

    window->SetTitle("Lumo \xE2\x80\x93 Preset");
    EXPECT_EQ(window->Title(), "Lumo \xE2\x80\x93 Preset");

    WindowOptions fixed;
    fixed.resizable = false;
    EXPECT_FALSE(Window(fixed).IsResizable());
    EXPECT_TRUE(window->IsResizable());
}

TEST_F(SdlWindowPresent, OneProcessWideCursorReportsThePreviousKind)
{
    // The offscreen driver has no system cursors: only the bookkeeping shows here.
    const CursorKind before = Window::SetCursor(CursorKind::Wait);
    EXPECT_EQ(Window::SetCursor(CursorKind::Hand), CursorKind::Wait);
    EXPECT_EQ(Window::SetCursor(CursorKind::Hand), CursorKind::Hand) << "unchanged when equal";
    EXPECT_EQ(Window::SetCursor(before), CursorKind::Hand);
}

} // namespace
