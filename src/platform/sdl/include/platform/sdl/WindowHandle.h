#pragma once
// The owning holder of an SDL window, declared without SDL's headers: destroys the window when
// dropped.
#include <memory>

struct SDL_Window;

namespace platform::sdl {

struct WindowDestroy {
    void operator()(SDL_Window* window) const noexcept;
};

using WindowHandle = std::unique_ptr<SDL_Window, WindowDestroy>;

} // namespace platform::sdl
