// What the window does through the windowing system itself, apart from Window.cpp: SDL_syswm.h
// brings Xlib's names.
#include "platform/sdl/Window.h"

#include <SDL.h>
#include <SDL_syswm.h>
#if defined(SDL_VIDEO_DRIVER_X11)
#include <X11/Xutil.h>
#endif

namespace platform::sdl {

uint64_t Window::X11WindowId() const
{
#if defined(SDL_VIDEO_DRIVER_X11)
    if (!m_window.get())
        return 0;
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWindowWMInfo(m_window.get(), &info) && info.subsystem == SDL_SYSWM_X11)
        return static_cast<uint64_t>(info.info.x11.window);
#endif
    return 0;
}

namespace {

#if defined(SDL_VIDEO_DRIVER_X11)
bool X11Info(SDL_Window* window, SDL_SysWMinfo& info)
{
    SDL_VERSION(&info.version);
    return window && SDL_GetWindowWMInfo(window, &info) && info.subsystem == SDL_SYSWM_X11;
}
#endif

} // namespace

void Window::PlaceClientAreaWhenMapped(bool unmapped)
{
#if defined(SDL_VIDEO_DRIVER_X11)
    // SDL moves an unmapped window by its client position, which a window manager takes for the
    // frame's under the default gravity; a mapped one by the frame's, allowing for the borders.
    SDL_SysWMinfo info;
    if (!X11Info(m_window.get(), info))
        return;
    Display* display = info.info.x11.display;
    XSizeHints* hints = XAllocSizeHints();
    if (!hints)
        return;
    long supplied = 0;
    XGetWMNormalHints(display, info.info.x11.window, hints, &supplied);
    hints->flags |= PWinGravity;
    hints->win_gravity = unmapped ? StaticGravity : NorthWestGravity;
    XSetWMNormalHints(display, info.info.x11.window, hints);
    XFree(hints);
    XFlush(display);
#else
    (void)unmapped;
#endif
}

void Window::PlaceFrameWhenMapped()
{
    if (!m_popup && !IsVisible())
        PlaceClientAreaWhenMapped(false);
}

bool Window::MapWithoutFocus()
{
#if defined(SDL_VIDEO_DRIVER_X11)
    SDL_SysWMinfo info;
    if (!X11Info(m_window.get(), info))
        return false;
    XMapRaised(info.info.x11.display, info.info.x11.window);
    XSync(info.info.x11.display, False);
    return true;
#else
    return false;
#endif
}

void Window::UnmapDirectly()
{
#if defined(SDL_VIDEO_DRIVER_X11)
    SDL_SysWMinfo info;
    if (!X11Info(m_window.get(), info))
        return;
    XUnmapWindow(info.info.x11.display, info.info.x11.window);
    XFlush(info.info.x11.display);
#endif
}

} // namespace platform::sdl
