#pragma once
// Shared set-up of the OS window tests: SDL's offscreen video driver, an application that keeps
// the root-window list, the profile values and the command lines it is given, and a window with a
// GDI+ renderer whose events are injected through SDL's queue.
#include "RootWindowFakes.h"

#include "kx/ui/OSWindow.h"

#include "platform/sdl/EventLoop.h"
#include "platform/sdl/Window.h"

#include <gtest/gtest.h>

#include <SDL.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace oswtest {

inline bool StartVideo()
{
    ::setenv("SDL_VIDEODRIVER", "offscreen", 1);
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    static const bool started = SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_TIMER) == 0;
    return started;
}

// SDL's video on the X11 driver, started here or found running there; empty, or the reason a test
// that needs a real X display skips.
inline std::string StartX11Video()
{
    if (!std::getenv("DISPLAY"))
        return "DISPLAY is not set";
    if (SDL_WasInit(SDL_INIT_VIDEO)) {
        const char* driver = SDL_GetCurrentVideoDriver();
        if (!driver || std::strcmp(driver, "x11") != 0)
            return std::string("SDL video already runs on ") + (driver ? driver : "nothing");
        return {};
    }
    ::setenv("SDL_VIDEODRIVER", "x11", 1);
    if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_TIMER) != 0)
        return std::string("SDL's x11 driver does not start: ") + SDL_GetError();
    return {};
}

class FakeApp : public KX::IOSWindowApp, public KX::IRootWindowHost {
public:
    FakeApp()
    {
        KX::SetOSWindowApp(this);
        KX::SetRootWindowHost(this);
    }
    ~FakeApp() override
    {
        KX::SetOSWindowApp(nullptr);
        KX::SetRootWindowHost(nullptr);
    }

    // IOSWindowApp.
    KX::WString GetTitle() override { return KX::WString(u"Lumo Test"); }
    bool GetProfileBinary(const KX::WString& section, const KX::WString& entry, std::vector<uint8_t>& out) override
    {
        auto found = profile.find(Key(section, entry));
        if (found == profile.end())
            return false;
        out = found->second;
        return true;
    }
    bool WriteProfileBinary(const KX::WString& section, const KX::WString& entry, const uint8_t* data,
                            uint32_t size) override
    {
        profile[Key(section, entry)] = std::vector<uint8_t>(data, data + size);
        return true;
    }
    void RegisterRootWindow(const KX::RCPtr<KX::LRootWindow>& root) override { windows.push_back(root); }
    void UnregisterRootWindow(KX::LRootWindow* root) override
    {
        std::erase_if(windows, [root](const auto& w) { return w.Get() == root; });
    }
    platform::sdl::EventLoop* GetEventLoop() override { return &loop; }
    void OnCommandLine(const KX::WString& text) override { commandLines.push_back(text); }

    // IRootWindowHost.
    uint32_t GetRootWindowCount() override { return static_cast<uint32_t>(windows.size()); }
    KX::RCPtr<KX::LRootWindow> GetRootWindowAt(uint32_t i) override
    {
        return i < windows.size() ? windows[i] : KX::RCPtr<KX::LRootWindow>();
    }

    static std::string Key(const KX::WString& section, const KX::WString& entry)
    {
        return std::string(section.ToNarrow().GetString()) + "/" + entry.ToNarrow().GetString();
    }

    platform::sdl::EventLoop loop;
    std::vector<KX::RCPtr<KX::LRootWindow>> windows;
    std::map<std::string, std::vector<uint8_t>> profile;
    std::vector<KX::WString> commandLines;
};

// A shown GDI+ window of 320 x 200 with the focus, the queue empty and the modifier state clear.
class OSWindowTest : public ::testing::Test {
protected:
    static constexpr int32_t kW = 320, kH = 200;

    void SetUp() override
    {
        if (!StartVideo())
            GTEST_SKIP() << "no offscreen video driver: " << SDL_GetError();
        window = MakeWindow(u"main", nullptr);
        ASSERT_NE(window, nullptr);
        Settle();
        Inject(WindowEventOf(*window, SDL_WINDOWEVENT_FOCUS_GAINED));
    }
    void TearDown() override
    {
        SDL_SetModState(KMOD_NONE);
        for (KX::OSWindow* w : {dialog, window})
            if (w)
                w->Destroy();
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    }

    KX::OSWindow* MakeWindow(const char16_t* title, KX::OSWindow* owner)
    {
        KX::OSWindowOptions options;
        options.title = title;
        options.width = kW;
        options.height = kH;
        options.x = 40;
        options.y = 30;
        options.owner = owner;
        KX::OSWindow* made = KX::OSWindow::Create(options);
        if (!made)
            return nullptr;
        EXPECT_EQ(made->CreateRenderer(KX::kRendererGDIPlus), KX::S_OK);
        made->Show(1);
        return made;
    }
    // Drops the events and paints the window's creation queued.
    void Settle()
    {
        app.loop.ProcessPending();
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
        SDL_SetModState(KMOD_NONE);
    }

    void Inject(SDL_Event event)
    {
        ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
        app.loop.ProcessPending();
    }
    static SDL_Event Button(const KX::OSWindow& w, bool down, Uint8 button, Uint8 clicks, int x, int y)
    {
        SDL_Event event{};
        event.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
        event.button.windowID = w.GetPlatformWindow().Id();
        event.button.button = button;
        event.button.clicks = clicks;
        event.button.x = x;
        event.button.y = y;
        return event;
    }
    static SDL_Event Motion(const KX::OSWindow& w, int x, int y)
    {
        SDL_Event event{};
        event.type = SDL_MOUSEMOTION;
        event.motion.windowID = w.GetPlatformWindow().Id();
        event.motion.x = x;
        event.motion.y = y;
        return event;
    }
    static SDL_Event Wheel(const KX::OSWindow& w, float x, float y)
    {
        SDL_Event event{};
        event.type = SDL_MOUSEWHEEL;
        event.wheel.windowID = w.GetPlatformWindow().Id();
        event.wheel.preciseX = x;
        event.wheel.preciseY = y;
        event.wheel.direction = SDL_MOUSEWHEEL_NORMAL;
        event.wheel.mouseX = 35;
        event.wheel.mouseY = 45;
        return event;
    }
    static SDL_Event Key(const KX::OSWindow& w, bool down, SDL_Keycode sym, SDL_Scancode scancode, Uint16 mod)
    {
        SDL_Event event{};
        event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
        event.key.windowID = w.GetPlatformWindow().Id();
        event.key.keysym.sym = sym;
        event.key.keysym.scancode = scancode;
        event.key.keysym.mod = mod;
        return event;
    }
    static SDL_Event Text(const KX::OSWindow& w, const char* utf8)
    {
        SDL_Event event{};
        event.type = SDL_TEXTINPUT;
        event.text.windowID = w.GetPlatformWindow().Id();
        std::snprintf(event.text.text, sizeof event.text.text, "%s", utf8);
        return event;
    }
    static SDL_Event WindowEventOf(const KX::OSWindow& w, SDL_WindowEventID id, int data1 = 0, int data2 = 0)
    {
        SDL_Event event{};
        event.type = SDL_WINDOWEVENT;
        event.window.windowID = w.GetPlatformWindow().Id();
        event.window.event = static_cast<Uint8>(id);
        event.window.data1 = data1;
        event.window.data2 = data2;
        return event;
    }

    FakeApp app;
    KX::OSWindow* window = nullptr;
    KX::OSWindow* dialog = nullptr;
};

} // namespace oswtest
