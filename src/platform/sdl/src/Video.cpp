// SDL's video and timer subsystems.
#include "platform/sdl/Video.h"

#include <SDL.h>

namespace platform::sdl {

bool StartVideo(std::string* error)
{
    if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_TIMER) == 0)
        return true;
    if (error)
        *error = SDL_GetError();
    return false;
}

void StopVideo()
{
    SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_TIMER);
}

std::string VideoDriverName()
{
    const char* name = SDL_GetCurrentVideoDriver();
    return name ? name : "";
}

} // namespace platform::sdl
