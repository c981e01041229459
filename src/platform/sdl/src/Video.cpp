// SDL's video and timer subsystems.
#include "platform/sdl/Video.h"

#include "platform/posix/ForkGuard.h"
#include "platform/x11/GoneWindowErrors.h"

#include <SDL.h>

#include <csignal>
#include <cstdlib>
#include <cstring>

namespace platform::sdl {

bool StartVideo(std::string* error)
{
    if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_TIMER) == 0) {
        // SDL's X11 driver hands every X error on to Xlib's handler, which ends the process; a
        // request that raced a window's destruction must not end the program.
        if (const char* driver = SDL_GetCurrentVideoDriver(); driver && std::strcmp(driver, "x11") == 0)
            x11::SurviveGoneWindowErrors();
        return true;
    }
    if (error)
        *error = SDL_GetError();
    return false;
}

void StopVideo()
{
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
