#pragma once
// Shared set-up of the SDL window tests: the offscreen video driver, a sink that records what a window
// delivers, and events injected as the platform would queue them.
#include "platform/sdl/EventLoop.h"
#include "platform/sdl/Window.h"

#include <gtest/gtest.h>

#include <SDL.h>

#include <cstdlib>
#include <memory>
#include <vector>

namespace sdltest {

using namespace platform::sdl;

// Video starts once and stays for the rest of the process, with software window surfaces.
inline bool StartVideo()
{
    ::setenv("SDL_VIDEODRIVER", "offscreen", 1);
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    static const bool started = SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_TIMER) == 0;
    return started;
}

struct RecordingSink : WindowEventSink {
    std::vector<WindowEvent> events;
    void OnWindowEvent(Window&, const WindowEvent& event) override { events.push_back(event); }
    std::vector<WindowEvent> Of(WindowEventKind kind) const
    {
        std::vector<WindowEvent> found;
        for (const WindowEvent& event : events)
            if (event.kind == kind)
                found.push_back(event);
        return found;
    }
};

// A window with a recording sink; the queue starts empty and the modifier state clear.
class WindowTest : public ::testing::Test {
protected:
    std::unique_ptr<Window> window;
    RecordingSink sink;
    EventLoop loop;

    void SetUp() override
    {
        if (!StartVideo())
            GTEST_SKIP() << "no offscreen video driver: " << SDL_GetError();
        WindowOptions options;
        options.title = "test";
        options.width = 64;
        options.height = 48;
        window = std::make_unique<Window>(options);
        ASSERT_TRUE(window->IsValid()) << SDL_GetError();
        window->SetSink(&sink);
        SDL_PumpEvents();
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
        SDL_SetModState(KMOD_NONE);
    }
    void TearDown() override
    {
        SDL_SetModState(KMOD_NONE);
        window.reset();
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    }

    // Queues the event and runs it through the loop.
    void Inject(SDL_Event event) { Push(event), loop.ProcessPending(); }
    void Push(SDL_Event& event) { ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError(); }

    SDL_Event Button(bool down, Uint8 button, Uint8 clicks, int x, int y) const
    {
        SDL_Event event{};
        event.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
        event.button.windowID = window->Id();
        event.button.button = button;
        event.button.clicks = clicks;
        event.button.x = x;
        event.button.y = y;
        return event;
    }
    SDL_Event Wheel(float x, float y, bool flipped = false) const
    {
        SDL_Event event{};
        event.type = SDL_MOUSEWHEEL;
        event.wheel.windowID = window->Id();
        event.wheel.preciseX = x;
        event.wheel.preciseY = y;
        event.wheel.direction = flipped ? SDL_MOUSEWHEEL_FLIPPED : SDL_MOUSEWHEEL_NORMAL;
        event.wheel.mouseX = 5;
        event.wheel.mouseY = 6;
        return event;
    }
    SDL_Event Key(bool down, SDL_Keycode sym, SDL_Scancode scancode, Uint16 mod, bool repeat = false) const
    {
        SDL_Event event{};
        event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
        event.key.windowID = window->Id();
        event.key.repeat = repeat ? 1 : 0;
        event.key.keysym.sym = sym;
        event.key.keysym.scancode = scancode;
        event.key.keysym.mod = mod;
        return event;
    }
    SDL_Event WindowEventOf(SDL_WindowEventID id, int data1 = 0, int data2 = 0) const
    {
        SDL_Event event{};
        event.type = SDL_WINDOWEVENT;
        event.window.windowID = window->Id();
        event.window.event = static_cast<Uint8>(id);
        event.window.data1 = data1;
        event.window.data2 = data2;
        return event;
    }
};

} // namespace sdltest
