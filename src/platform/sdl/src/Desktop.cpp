#include "platform/sdl/Desktop.h"

#include "platform/gdi/Bitmap.h"
#include "platform/sdl/Window.h"

#include <SDL.h>

#include <memory>
#include <span>
#include <string>

namespace platform::sdl {

std::optional<Rect> DisplayUsableBounds(int displayIndex)
{
    if (displayIndex < 0 || displayIndex >= SDL_GetNumVideoDisplays())
        return std::nullopt;
    SDL_Rect area{};
    if (SDL_GetDisplayUsableBounds(displayIndex, &area) != 0 || area.w <= 0 || area.h <= 0) {
        if (SDL_GetDisplayBounds(displayIndex, &area) != 0)
            return std::nullopt;
    }
    return Rect{area.x, area.y, area.w, area.h};
}

void BringToFront(Window& window)
{
    if (!window.IsValid())
        return;
    if (SDL_GetWindowFlags(window.Handle()) & SDL_WINDOW_MINIMIZED)
        SDL_RestoreWindow(window.Handle());
    window.Show();
    window.Raise();
}

void ShowPointer(bool shown)
{
    SDL_ShowCursor(shown ? SDL_ENABLE : SDL_DISABLE);
}

bool WarpPointer(int x, int y)
{
    return SDL_WarpMouseGlobal(x, y) == 0;
}

bool SetWindowIconFromPng(Window& window, const void* pngBytes, size_t size)
{
    if (!window.IsValid() || !pngBytes || size == 0)
        return false;
    std::unique_ptr<gdi::Bitmap> bitmap;
    if (gdi::Bitmap::FromMemory(std::span(static_cast<const uint8_t*>(pngBytes), size), bitmap) != gdi::Status::Ok)
        return false;
    gdi::BitmapData data;
    const gdi::RectI all{0, 0, bitmap->GetWidth(), bitmap->GetHeight()};
    if (bitmap->LockBits(all, gdi::ImageLockMode::Read, gdi::PixelFormat::Argb32, data) != gdi::Status::Ok)
        return false;
    // Straight ARGB words, as SDL's ARGB8888 reads them.
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(data.scan0, data.width, data.height, 32,
                                                              static_cast<int>(data.stride), SDL_PIXELFORMAT_ARGB8888);
    if (surface) {
        SDL_SetWindowIcon(window.Handle(), surface); // SDL copies the pixels
        SDL_FreeSurface(surface);
    }
    bitmap->UnlockBits(data);
    return surface != nullptr;
}

bool DeliverCommandLine(Window& main, std::string_view utf8, Window* popup)
{
    BringToFront(main);
    if (popup && popup != &main)
        BringToFront(*popup);
    std::string bytes(utf8);
    bytes.push_back('\0'); // the window takes the text with its zero
    return main.AcceptCommandLine(bytes.data(), bytes.size());
}

} // namespace platform::sdl
