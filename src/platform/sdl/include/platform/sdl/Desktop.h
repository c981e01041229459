#pragma once
// The desktop around the windows: the displays' usable bounds (without panels and docks), bringing a
// window to the front (restored when minimised) and a window's icon from PNG bytes. Main thread only;
// SDL video must be started.
#include "platform/sdl/WindowEvents.h"

#include <cstddef>
#include <optional>
#include <string_view>

namespace platform::sdl {

class Window;

// The usable bounds of a display (0 is the primary one); nothing for a display that does not exist.
// Falls back to the display's whole bounds where the driver knows no usable area.
std::optional<Rect> DisplayUsableBounds(int displayIndex = 0);

// Restores the window when it is minimised, shows it and raises it above the others (as far as the
// window manager lets a program do so).
void BringToFront(Window& window);

// Decodes the PNG bytes and makes the image the window's icon: false (icon unchanged) when they do
// not decode.
bool SetWindowIconFromPng(Window& window, const void* pngBytes, size_t size);

// Shows or hides the pointer over the program's windows.
void ShowPointer(bool shown);

// Moves the pointer to a point of the desktop; false when the system does not let it move.
bool WarpPointer(int x, int y);

// A second instance's command line reaching the first: brings main to the front, then popup (its
// open dialog) when given, and hands the text to main as a CommandLine event. Whether main took it
// (Window::AcceptCommandLine: not while its input is disabled, nor malformed or over-long text).
bool DeliverCommandLine(Window& main, std::string_view utf8, Window* popup = nullptr);

} // namespace platform::sdl
