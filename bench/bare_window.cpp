// The yardstick of the editor's start-up: a bare SDL + Cairo program that creates a 1200 x 750
// window, fills it with Cairo, presents it, prints "frame <monotonic ns>", quits and prints
// "peak <its peak resident memory in KiB>".
#include <SDL.h>
#include <cairo.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

int main()
{
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "SDL: %s\n", SDL_GetError());
        return 1;
    }
    SDL_Window* window =
        SDL_CreateWindow("bare", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, 1200, 750, SDL_WINDOW_SHOWN);
    SDL_Surface* surface = window ? SDL_GetWindowSurface(window) : nullptr;
    if (!surface || surface->format->BytesPerPixel != 4) {
        std::fprintf(stderr, "no 32-bit window surface: %s\n", SDL_GetError());
        return 1;
    }
    SDL_LockSurface(surface);
    cairo_surface_t* target = cairo_image_surface_create_for_data(
        static_cast<unsigned char*>(surface->pixels), CAIRO_FORMAT_RGB24, surface->w, surface->h, surface->pitch);
    cairo_t* cr = cairo_create(target);
    cairo_set_source_rgb(cr, 0x20 / 255.0, 0x24 / 255.0, 0x28 / 255.0);
    cairo_paint(cr);
    cairo_destroy(cr);
    cairo_surface_flush(target);
    cairo_surface_destroy(target);
    SDL_UnlockSurface(surface);
    SDL_UpdateWindowSurface(window);
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    std::printf("frame %lld\n", static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec);
    std::fflush(stdout);
    SDL_DestroyWindow(window);
    SDL_Quit();
    long peak = 0;
    if (FILE* status = std::fopen("/proc/self/status", "r")) {
        char line[256];
        while (std::fgets(line, sizeof line, status))
            if (std::strncmp(line, "VmHWM:", 6) == 0)
                peak = std::atol(line + 6);
        std::fclose(status);
    }
    std::printf("peak %ld\n", peak);
    return 0;
}
