// SDL's video and timer subsystems.
#include "platform/sdl/Video.h"

#include "HeldKeys.h"

#include "platform/posix/ForkGuard.h"
#include "platform/x11/GoneWindowErrors.h"

#include <SDL.h>

#include <csignal>
#include <cstdlib>

namespace platform::sdl {

bool StartVideo(std::string* error)
{
    // SDL's X11 driver hands every X error on to the handler it found (Xlib's ends the process) and
    // puts that one back when it stops, while its second connection may yet report a wake-up sent
    // to a window already gone: a request that raced a window's destruction must not end the
    // program, so ours is the handler SDL finds.
    x11::SurviveGoneWindowErrors();
    // The click that activates a window acts as well (SDL drops it by default): one click on an
    // inactive dialog's button presses it.
    SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_TIMER) == 0) {
        WatchHeldKeys();
        return true;
    }
    if (error)
        *error = SDL_GetError();
    return false;
}

void StopVideo()
{
    StopWatchingHeldKeys();
    SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_TIMER);
}

void QuitOnTerminationSignals()
{
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    posix::EndForkedChildrenOnSignal([] {
        SDL_Event quit{};
        quit.type = SDL_QUIT;
        if (SDL_WasInit(SDL_INIT_EVENTS) == 0 || SDL_PushEvent(&quit) < 0)
            std::_Exit(128 + SIGTERM);
    });
}

void ShutDown()
{
    SDL_Quit();
}

std::string VideoDriverName()
{
    const char* name = SDL_GetCurrentVideoDriver();
    return name ? name : "";
}

} // namespace platform::sdl
