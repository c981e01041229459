#pragma once
// What a platform window tells its owner: one plain event record (input, focus, size, paint, close, a second
// instance's command line) handed to the window's sink, in the framework's own vocabulary (Windows virtual keys,
// button bits 1/2/4, modifier masks, UTF-16 character units). No SDL types; all calls on the main thread.
#include <cstdint>
#include <string>
#include <vector>

namespace platform::sdl {

class Window;

struct Rect {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
    friend bool operator==(const Rect&, const Rect&) = default;
};

// Pointer buttons (also the bits of the button state).
inline constexpr uint32_t kButtonLeft = 1;
inline constexpr uint32_t kButtonMiddle = 2;
inline constexpr uint32_t kButtonRight = 4;

// Pointer actions.
inline constexpr uint32_t kActionPress = 0;
inline constexpr uint32_t kActionRelease = 1;
inline constexpr uint32_t kActionDoubleClick = 2;

// Wheel directions.
inline constexpr uint32_t kWheelVerticalNegative = 0;
inline constexpr uint32_t kWheelVerticalPositive = 1;
inline constexpr uint32_t kWheelHorizontalNegative = 2;
inline constexpr uint32_t kWheelHorizontalPositive = 3;

// Modifier mask bits. Pointer, wheel and character events carry only Ctrl, Shift and Alt.
inline constexpr uint32_t kModCtrl = 1;
inline constexpr uint32_t kModLeftCtrl = 2;
inline constexpr uint32_t kModRightCtrl = 4;
inline constexpr uint32_t kModShift = 8;
inline constexpr uint32_t kModLeftShift = 16;
inline constexpr uint32_t kModRightShift = 32;
inline constexpr uint32_t kModAlt = 64;
inline constexpr uint32_t kModLeftAlt = 128;
inline constexpr uint32_t kModRightAlt = 256;
inline constexpr uint32_t kModWin = 512;
inline constexpr uint32_t kModLeftWin = 1024;
inline constexpr uint32_t kModRightWin = 2048;

enum class WindowEventKind {
    PointerButton, // action, button, modifiers, x/y
    PointerMove,   // modifiers, x/y (leaving the window: a position outside the client area)
    Wheel,         // direction, modifiers, x/y; one event per whole notch
    Key,           // virtualKey, down, repeat, modifiers (full mask)
    Character,     // character (one UTF-16 unit), modifiers (short mask)
    FocusGained,
    FocusLost,
    CaptureLost,  // the window lost the pointer capture it held (focus went elsewhere)
    Size,         // width/height of the client area, sizeKind
    Moved,        // x/y of the client area on the screen
    CloseRequest, // the user asked to close the window
    Paint,        // dirty: the rectangles to draw; answer with Window::Present
    CommandLine,  // text: a second instance's command line (UTF-8)
};

enum class SizeKind { Restored, Minimised, Maximised };

struct WindowEvent {
    WindowEventKind kind = WindowEventKind::PointerMove;
    int32_t x = 0; // pointer position in client coordinates, or window position
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
    uint32_t action = 0;
    uint32_t button = 0;
    uint32_t modifiers = 0;
    uint32_t direction = 0;
    uint8_t virtualKey = 0;
    bool down = false;
    bool repeat = false; // the key was already down (always true for a release)
    char16_t character = 0;
    SizeKind sizeKind = SizeKind::Restored;
    std::vector<Rect> dirty;
    std::string text;
};

// Receives a window's events. The handler may destroy the window it is told about.
class WindowEventSink {
public:
    virtual ~WindowEventSink() = default;
    virtual void OnWindowEvent(Window& window, const WindowEvent& event) = 0;
};

} // namespace platform::sdl
