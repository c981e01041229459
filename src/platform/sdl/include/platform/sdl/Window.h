#pragma once
// One top-level window on SDL (X11 or Wayland) as the framework's OS window uses it: creation, showing,
// geometry and placement, focus, input enabling for modal dialogs, pointer capture, cursors, key state,
// presenting a kept ARGB32 back buffer through the window surface, and translating SDL's events into
// WindowEvent records for the window's sink. Main thread only; includers need no SDL headers.
#include "platform/sdl/WindowEvents.h"
#include "platform/sdl/WindowHandle.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct SDL_Window;
union SDL_Event;

namespace platform::sdl {

struct WindowOptions {
    std::string title;   // UTF-8
    int32_t width = 640; // client size
    int32_t height = 480;
    std::optional<int32_t> x; // client position on the screen; centred when absent
    std::optional<int32_t> y;
    bool opengl = false;   // drawn through a GlContext instead of Present
    bool resizable = true; // a fixed-size window cannot be resized by the user
    // A modal dialog's owner. X11: the window is announced as a dialog modal to it, without the
    // minimise and maximise functions; elsewhere a plain window.
    const class Window* owner = nullptr;
    // A borderless drop-down window at screen coordinates: not in the taskbar, neither decorated
    // nor focused by the window manager.
    bool popup = false;
};

// The window's normal (restored) rectangle and its state, as the placement record keeps them.
struct Placement {
    Rect normal;
    bool maximised = false;
    bool minimised = false;
};

// DropMove and DropCopy are the program's own: an arrow carrying a box, the copy one with a plus.
enum class CursorKind {
    Arrow,
    Wait,
    IBeam,
    Crosshair,
    SizeNWSE,
    SizeNESW,
    SizeWE,
    SizeNS,
    SizeAll,
    No,
    Hand,
    DropMove,
    DropCopy
};

struct KeyState {
    bool down = false;
    bool toggled = false; // Caps Lock, Num Lock and Scroll Lock only
};

enum class PixelLayout { Premultiplied, Straight };

// A back buffer the window may read from until it is replaced or cleared: 32-bit ARGB in native byte order
// (Cairo's ARGB32). The window surface is opaque: the colours show as composited over black.
struct BackBuffer {
    const void* pixels = nullptr;
    ptrdiff_t stride = 0; // bytes per row
    int32_t width = 0;
    int32_t height = 0;
    PixelLayout layout = PixelLayout::Premultiplied;
};

class Window {
public:
    // The longest command line a second instance may hand over, in bytes with its ending NUL.
    static constexpr size_t kMaxCommandLineBytes = 2u * 1024u * 1024u;

    // Creates the window hidden; check with IsValid (SDL_GetError tells why not). SDL video must be started.
    explicit Window(const WindowOptions& options);
    ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    bool IsValid() const { return m_window != nullptr; }
    uint32_t Id() const { return m_id; }
    SDL_Window* Handle() const { return m_window.get(); }
    // The X11 window id when the video driver is X11, else 0 (the owner of the system's dialogs).
    uint64_t X11WindowId() const;
    // The live window with this SDL window id, or null.
    static Window* FromId(uint32_t id);
    // The ids of the live windows with a pending Paint event.
    static std::vector<uint32_t> IdsWithPendingPaint();

    void SetSink(WindowEventSink* sink) { m_sink = sink; }

    void Show();
    void Hide();
    bool IsVisible() const;
    void Raise();
    // Kept above other windows or not (where the window manager allows).
    void SetTopMost(bool topMost);
    void SetTitle(std::string_view utf8);
    std::string Title() const;

    // Client area: position on the screen and size.
    Rect ClientRect() const; // x, y 0; width, height
    Rect ClientRectOnScreen() const;
    void SetClientRect(const Rect& onScreen);
    void ClientToScreen(int32_t& x, int32_t& y) const;
    void ScreenToClient(int32_t& x, int32_t& y) const;
    // Limits of the client size; 0 leaves a side unlimited (SDL has no "none" for the maximum: a large value).
    void SetMinimumClientSize(int32_t width, int32_t height);
    void SetMaximumClientSize(int32_t width, int32_t height);
    bool IsResizable() const;

    Placement GetPlacement() const;
    void SetPlacement(const Placement& placement);
    // X11: a window not yet shown that has no place of its own (a first start) has its frame, not
    // its client area, put where it is placed, so that a window manager's title bar shows.
    void PlaceFrameWhenMapped();
    // The usable area of the display the window is on (without panels and docks).
    Rect WorkArea() const;

    bool HasFocus() const;
    void SetFocus();
    // Restored when minimised, raised and given the keyboard focus.
    void BringForward();
    // A disabled window drops pointer, wheel, key and character input and close requests.
    void SetInputEnabled(bool enabled) { m_enabled = enabled; }
    bool IsInputEnabled() const { return m_enabled; }

    // The pointer capture: while captured the window keeps getting pointer events outside itself.
    void SetCapture(bool captured);
    bool HasCapture() const { return m_captured; }
    uint32_t ButtonState() const { return m_buttons; } // bits 1/2/4 from the event stream
    // The pointer in client coordinates, read from the platform.
    void PointerPosition(int32_t& x, int32_t& y) const;

    // One process-wide current cursor; returns the previous kind.
    static CursorKind SetCursor(CursorKind kind);
    // Down/toggled state of a Windows virtual key (mouse buttons 1, 2, 4 included).
    static KeyState GetKeyState(uint8_t virtualKey);

    // Windows of other programs on the same display (X11; elsewhere none is found and nothing is
    // done). Errors about windows that went meanwhile are ignored.
    // A viewable top-level window of a process in the process group; 0 while none shows.
    uint64_t FindWindowOfProcessGroup(int processGroup) const;
    // Ties a mapped window of another program to this one as its modal dialog: it stays above this
    // window, and a window manager hands it the keyboard when this one is activated. With no window
    // manager it is raised and given the keyboard focus now.
    void AdoptModalDialog(uint64_t foreign) const;
    // Brings a window of another program forward with the keyboard focus.
    void BringForeignForward(uint64_t foreign) const;

    // The buffer to present from (kept until replaced; clear it before freeing the pixels).
    void SetBackBuffer(const BackBuffer& buffer) { m_buffer = buffer; }
    void ClearBackBuffer() { m_buffer = {}; }
    // Copies the rectangles of the back buffer to the window and shows them. false when the window has no surface.
    bool Present(const std::vector<Rect>& dirty);
    // Asks for a Paint event with this rectangle at the next quiet moment of the event loop.
    void Invalidate(const Rect& rect);
    void InvalidateAll() { Invalidate(ClientRect()); }
    bool HasPendingPaint() const { return !m_invalid.empty(); }
    // Delivers the pending Paint event (the event loop calls it); false when none was pending.
    bool DeliverPaint();

    // A second instance's command line: bytes ended by NUL, at most kMaxCommandLineBytes, valid UTF-8.
    // Delivered as a CommandLine event when accepted; false (nothing delivered) for malformed or over-long
    // data or while input is disabled.
    bool AcceptCommandLine(const void* data, size_t size);

    // Modal state: the event loop's modal run ends when EndModal was called.
    void EndModal(int code);
    bool ModalEnded() const { return m_modalEnded; }
    int ModalResult() const { return m_modalResult; }
    void ResetModal() { m_modalEnded = false; }

    // Translates one SDL event addressed to this window (the event loop calls it).
    void HandleEvent(const SDL_Event& event);

private:
    bool Deliver(const WindowEvent& event); // false when the sink destroyed the window
    void HandleWindowEvent(const SDL_Event& event);
    void HandleButton(const SDL_Event& event);
    void HandleWheel(const SDL_Event& event);
    void HandleKey(const SDL_Event& event);
    void HandleText(const SDL_Event& event);
    void RememberNormalRect();
    // X11: the window manager places the client area where the window was put before it is first
    // mapped (SDL positions the frame then); once mapped, SDL itself allows for the frame.
    void PlaceClientAreaWhenMapped(bool unmapped);
    // X11: the window type, states and functions of a modal dialog, before the first mapping.
    void AnnounceModalDialog(bool resizable);
    // X11: maps the window without giving it the input focus (SDL hands the focus to every window it
    // shows when no window manager runs); false elsewhere.
    bool MapWithoutFocus();
    void UnmapDirectly();

    WindowHandle m_window;
    uint32_t m_id = 0;
    bool m_opengl = false; // asked for at creation; SDL also sets its flag for an accelerated framebuffer
    bool m_popup = false;
    bool m_mapPending = false; // mapped by us; SDL learns of it from the event queue
    WindowEventSink* m_sink = nullptr;
    bool m_enabled = true;
    bool m_captured = false;
    uint32_t m_buttons = 0;
    int32_t m_lastX = 0;
    int32_t m_lastY = 0;
    double m_wheelRemainder[2] = {0, 0}; // vertical, horizontal: wheel delta not yet handed on, 120 a notch
    Rect m_normal;
    BackBuffer m_buffer;
    std::vector<Rect> m_invalid;
    bool m_modalEnded = false;
    int m_modalResult = 0;
    int m_timer = 0;
};

} // namespace platform::sdl
