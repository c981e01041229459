// Smoke tests on a real X display (Xvfb in the test script): an OS window opens through SDL's x11
// driver, paints a frame, takes a click pushed through SDL's queue and closes. Skipped without a
// display or when SDL's video already runs on another driver in this process. The video stays
// started for the rest of the process (its libraries stay loaded).
#include "OSWindowFakes.h"
#include "UiTestControls.h"
#include "platform/sdl/Video.h"

#include <X11/Xlib.h>

#include <cstring>

using namespace KX;

namespace {

// Counts the left clicks a control sends.
class ClickCount : public LNotificationReceiver {
public:
    KXRESULT Receive(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>&) override
    {
        ++clicks;
        return S_OK;
    }
    KXRESULT UnregisterForNotification(const RCPtr<LNotificationDistributor>&, const char16_t*) override
    {
        return S_OK;
    }
    int clicks = 0;
};

class XvfbSmoke : public ::testing::Test {
protected:
    static constexpr int32_t kW = 240, kH = 160;

    void SetUp() override
    {
        if (const std::string why = oswtest::StartX11Video(); !why.empty())
            GTEST_SKIP() << why;
        app = std::make_unique<oswtest::FakeApp>();
        OSWindowOptions options;
        options.title = u"xvfb";
        options.width = kW;
        options.height = kH;
        window = OSWindow::Create(options);
        ASSERT_NE(window, nullptr) << SDL_GetError();
        ASSERT_EQ(window->CreateRenderer(kRendererGDIPlus), S_OK);
        window->Show(1);
    }
    void TearDown() override
    {
        main = button = nullptr;
        if (window)
            window->Destroy();
        app.reset();
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    }

    void Settle()
    {
        for (int i = 0; i < 20; ++i) {
            SDL_Delay(5);
            app->loop.ProcessPending();
        }
    }
    void Push(SDL_Event event)
    {
        ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
        app->loop.ProcessPending();
    }
    SDL_Event Button(bool down, int x, int y) const
    {
        SDL_Event event{};
        event.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
        event.button.windowID = window->GetPlatformWindow().Id();
        event.button.button = SDL_BUTTON_LEFT;
        event.button.clicks = 1;
        event.button.x = x;
        event.button.y = y;
        return event;
    }
    // The window surface's pixel as 0x00RRGGBB.
    uint32_t Pixel(int x, int y) const
    {
        SDL_Surface* surface = SDL_GetWindowSurface(window->GetPlatformWindow().Handle());
        if (!surface)
            return 0xFF000000u;
        SDL_Surface* argb = SDL_ConvertSurfaceFormat(surface, SDL_PIXELFORMAT_ARGB8888, 0);
        if (!argb)
            return 0xFF000000u;
        const auto* row = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(argb->pixels) +
                                                            static_cast<ptrdiff_t>(y) * argb->pitch);
        const uint32_t value = row[x] & 0xFFFFFF;
        SDL_FreeSurface(argb);
        return value;
    }

    std::unique_ptr<oswtest::FakeApp> app;
    OSWindow* window = nullptr;
    RCPtr<uitest::TestControl> main, button;
};

} // namespace

TEST_F(XvfbSmoke, WindowOpensPaintsTakesAClickAndCloses)
{
    main = uitest::Make(nullptr, u"main", 0, 0, kW, kH);
    rwtest::GiveHitLook(*main, kW, kH, 0xFFFFFFFF);
    window->GetRootWindow()->AttachMainControl(main);
    button = uitest::Make(main, u"button", 20, 30, 80, 40);
    rwtest::GiveHitLook(*button, 80, 40, 0xFFFF0000);
    RCPtr<ClickCount> clicks(new ClickCount());
    EXPECT_FALSE(KX::Failed(button->RegisterClient(RCPtr<LNotificationReceiver>(clicks), u"NID_LEFT_CLICK", 0)));
    ASSERT_EQ(app->windows.size(), 1u);
    EXPECT_TRUE(window->GetPlatformWindow().Id() != 0);

    // Paints: the button's red over the main control's white (SDL's x11 framebuffer goes through
    // an OpenGL texture and marks the window OpenGL, which must not stop the frame). The server maps the window and
    // sizes it on its own time: its events are let in first.
    Settle();
    ASSERT_EQ(window->InvalidateAll(), S_OK);
    app->loop.ProcessPending();
    EXPECT_EQ(Pixel(30, 40), 0xFF0000u);
    EXPECT_EQ(Pixel(200, 140), 0xFFFFFFu);

    // A click through SDL's queue reaches the button.
    SDL_Event focus{};
    focus.type = SDL_WINDOWEVENT;
    focus.window.windowID = window->GetPlatformWindow().Id();
    focus.window.event = SDL_WINDOWEVENT_FOCUS_GAINED;
    Push(focus);
    Push(Button(true, 30, 40));
    Push(Button(false, 30, 40));
    EXPECT_EQ(clicks->clicks, 1);
    EXPECT_EQ(window->GetRootWindow()->GetCaptureControl().Get(), nullptr);

    // Closes: the window leaves the application's list and SDL's.
    const uint32_t id = window->GetPlatformWindow().Id();
    window->Destroy();
    window = nullptr;
    app->loop.ProcessPending();
    EXPECT_TRUE(app->windows.empty());
    EXPECT_EQ(SDL_GetWindowFromID(id), nullptr);
}

// A request that races a window's destruction (here: an event sent to a window just destroyed)
// gets a BadWindow error; SDL hands X errors on to Xlib's handler, which would end the process.
TEST_F(XvfbSmoke, AnEventSentToAWindowAlreadyGoneLeavesTheProgramRunning)
{
    std::string error;
    ASSERT_TRUE(platform::sdl::StartVideo(&error)) << error;
    Display* display = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr);
    const ::Window gone = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 8, 8, 0, 0, 0);
    XDestroyWindow(display, gone);
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = gone;
    event.xclient.format = 32;
    XSendEvent(display, gone, False, NoEventMask, &event);
    XSync(display, False);
    XCloseDisplay(display);
    platform::sdl::StopVideo();
    SUCCEED() << "the process lived through the error";
}
