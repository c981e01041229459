// The X server's key events, seen in their order through SDL's window-system events, just before
// SDL makes its own key events of them.
#include "HeldKeys.h"

#include "platform/sdl/Video.h"

#include <SDL.h>
#include <SDL_syswm.h>

#include <bitset>

namespace platform::sdl {

namespace {

#if defined(SDL_VIDEO_DRIVER_X11)
struct HeldKeys {
    std::bitset<256> down;  // X key codes pressed and not released since
    bool pressHeld = false; // the X press SDL is turning into a key-down was of a key held already
};

// On the thread that reads the X events; SDL calls the filter under its own lock.
HeldKeys g_held;

int Filter(void*, SDL_Event* event)
{
    if (event->type == SDL_KEYDOWN) {
        if (g_held.pressHeld)
            event->key.repeat = 1;
        g_held.pressHeld = false;
        return 1;
    }
    if (event->type != SDL_SYSWMEVENT)
        return 1;
    g_held.pressHeld = false;
    const SDL_SysWMmsg* message = event->syswm.msg;
    if (!message || message->subsystem != SDL_SYSWM_X11)
        return 0;
    const XEvent& x = message->msg.x11.event;
    switch (x.type) {
    case KeyPress:
        g_held.pressHeld = g_held.down.test(x.xkey.keycode & 0xFF);
        g_held.down.set(x.xkey.keycode & 0xFF);
        break;
    case KeyRelease: g_held.down.reset(x.xkey.keycode & 0xFF); break;
    case KeymapNotify:
        // The whole keyboard, sent after each FocusIn and EnterNotify: what was pressed or
        // released while another program had the keyboard. Key codes start at 8.
        for (size_t code = 8; code < g_held.down.size(); ++code)
            g_held.down.set(code, (x.xkeymap.key_vector[code / 8] & (1 << (code % 8))) != 0);
        break;
    default: break;
    }
    return 0; // nothing else asks for these
}
#endif

} // namespace

void WatchHeldKeys()
{
#if defined(SDL_VIDEO_DRIVER_X11)
    if (VideoDriverName() != "x11")
        return;
    g_held = HeldKeys{};
    SDL_EventState(SDL_SYSWMEVENT, SDL_ENABLE);
    SDL_SetEventFilter(&Filter, nullptr);
#endif
}

void StopWatchingHeldKeys()
{
#if defined(SDL_VIDEO_DRIVER_X11)
    SDL_EventFilter filter = nullptr;
    void* data = nullptr;
    if (SDL_GetEventFilter(&filter, &data) && filter == &Filter)
        SDL_SetEventFilter(nullptr, nullptr);
    SDL_EventState(SDL_SYSWMEVENT, SDL_DISABLE);
#endif
}

} // namespace platform::sdl
