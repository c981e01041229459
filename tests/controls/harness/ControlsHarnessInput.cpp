// The controls tests' fixture: input through SDL's queue (pointer, wheel, keys, text) for the
// test window and for other windows such as modal dialogs.
#include "ControlsHarness.h"

#include <cstdio>

using namespace KX;

namespace ctltest {

void PushWindowEvent(Uint32 window, SDL_WindowEventID event)
{
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.windowID = window;
    e.window.event = static_cast<Uint8>(event);
    SDL_PushEvent(&e);
}

void PushMouse(Uint32 window, Uint32 type, int32_t x, int32_t y, uint8_t button)
{
    SDL_Event e{};
    e.type = type;
    if (type == SDL_MOUSEMOTION) {
        e.motion.windowID = window;
        e.motion.x = x;
        e.motion.y = y;
    } else {
        e.button.windowID = window;
        e.button.button = button;
        e.button.clicks = 1;
        e.button.x = x;
        e.button.y = y;
    }
    SDL_PushEvent(&e);
}

void PushClick(Uint32 window, int32_t x, int32_t y)
{
    for (Uint32 type : {SDL_MOUSEMOTION, SDL_MOUSEBUTTONDOWN, SDL_MOUSEBUTTONUP})
        PushMouse(window, type, x, y);
}

void ControlsTest::QueueClick(OSWindow& target, int32_t x, int32_t y)
{
    const Uint32 id = target.GetPlatformWindow().Id();
    PushWindowEvent(id, SDL_WINDOWEVENT_FOCUS_GAINED);
    PushClick(id, x, y);
}

void ControlsTest::Inject(SDL_Event event)
{
    const Uint32 id = window->GetPlatformWindow().Id();
    switch (event.type) {
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: event.button.windowID = id; break;
    case SDL_MOUSEMOTION: event.motion.windowID = id; break;
    case SDL_MOUSEWHEEL: event.wheel.windowID = id; break;
    case SDL_KEYDOWN:
    case SDL_KEYUP: event.key.windowID = id; break;
    case SDL_TEXTINPUT: event.text.windowID = id; break;
    case SDL_WINDOWEVENT: event.window.windowID = id; break;
    default: break;
    }
    ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
    app->events.ProcessPending();
}

void ControlsTest::MoveTo(int32_t x, int32_t y)
{
    SDL_Event event{};
    event.type = SDL_MOUSEMOTION;
    event.motion.x = x;
    event.motion.y = y;
    Inject(event);
}

void ControlsTest::Press(int32_t x, int32_t y, uint8_t button, uint8_t clicks, uint16_t mod)
{
    MoveTo(x, y);
    SDL_SetModState(static_cast<SDL_Keymod>(mod));
    SDL_Event event{};
    event.type = SDL_MOUSEBUTTONDOWN;
    event.button.button = button;
    event.button.clicks = clicks;
    event.button.x = x;
    event.button.y = y;
    Inject(event);
    SDL_SetModState(KMOD_NONE);
}

void ControlsTest::Release(int32_t x, int32_t y, uint8_t button, uint8_t clicks, uint16_t mod)
{
    SDL_SetModState(static_cast<SDL_Keymod>(mod));
    SDL_Event event{};
    event.type = SDL_MOUSEBUTTONUP;
    event.button.button = button;
    event.button.clicks = clicks;
    event.button.x = x;
    event.button.y = y;
    Inject(event);
    SDL_SetModState(KMOD_NONE);
}

void ControlsTest::Click(int32_t x, int32_t y, uint8_t button, uint16_t mod)
{
    Press(x, y, button, 1, mod);
    Release(x, y, button, 1, mod);
}

void ControlsTest::DoubleClick(int32_t x, int32_t y, uint16_t mod)
{
    Click(x, y, SDL_BUTTON_LEFT, mod);
    Press(x, y, SDL_BUTTON_LEFT, 2, mod);
    Release(x, y, SDL_BUTTON_LEFT, 2, mod);
}

void ControlsTest::Wheel(int32_t x, int32_t y, float dy, float dx)
{
    MoveTo(x, y);
    SDL_Event event{};
    event.type = SDL_MOUSEWHEEL;
    event.wheel.preciseX = dx;
    event.wheel.preciseY = dy;
    event.wheel.x = static_cast<Sint32>(dx);
    event.wheel.y = static_cast<Sint32>(dy);
    event.wheel.direction = SDL_MOUSEWHEEL_NORMAL;
    event.wheel.mouseX = x;
    event.wheel.mouseY = y;
    Inject(event);
}

PointT<int32_t> ControlsTest::CentreOf(const LControl& control)
{
    const PointT<double> origin = control.GetOriginInRootWindow();
    const PointT<double> size = control.GetSize();
    return {static_cast<int32_t>(origin.x + size.x / 2), static_cast<int32_t>(origin.y + size.y / 2)};
}

void ControlsTest::ClickOn(const LControl& control, uint8_t button, uint16_t mod)
{
    const PointT<int32_t> at = CentreOf(control);
    Click(at.x, at.y, button, mod);
}

void ControlsTest::KeyDown(SDL_Keycode key, uint16_t mod, bool repeat)
{
    SDL_SetModState(static_cast<SDL_Keymod>(mod));
    SDL_Event event{};
    event.type = SDL_KEYDOWN;
    event.key.keysym.sym = key;
    event.key.keysym.scancode = SDL_GetScancodeFromKey(key);
    event.key.keysym.mod = mod;
    event.key.repeat = repeat ? 1 : 0;
    Inject(event);
}

void ControlsTest::KeyUp(SDL_Keycode key, uint16_t mod)
{
    SDL_Event event{};
    event.type = SDL_KEYUP;
    event.key.keysym.sym = key;
    event.key.keysym.scancode = SDL_GetScancodeFromKey(key);
    event.key.keysym.mod = mod;
    Inject(event);
    SDL_SetModState(KMOD_NONE);
}

void ControlsTest::Key(SDL_Keycode key, uint16_t mod)
{
    KeyDown(key, mod);
    KeyUp(key, mod);
}

void ControlsTest::Type(const char* utf8)
{
    SDL_Event event{};
    event.type = SDL_TEXTINPUT;
    std::snprintf(event.text.text, sizeof event.text.text, "%s", utf8);
    Inject(event);
}

} // namespace ctltest
