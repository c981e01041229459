// The window's id in the windowing system, apart from Window.cpp: SDL_syswm.h brings Xlib's names.
#include "platform/sdl/Window.h"

#include <SDL.h>
#include <SDL_syswm.h>

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

} // namespace platform::sdl
