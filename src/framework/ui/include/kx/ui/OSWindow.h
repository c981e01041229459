#pragma once
// The platform window behind one root window: implements the window services over an SDL
// window of the platform layer, turns its events into root-window calls (pointer buttons with
// the capture policy, moves, wheel steps, keys and characters, focus, sizes, paint), creates the
// window's renderer and its back buffer, runs modal loops, saves the main window's placement and
// hands a second instance's command line to the application. Main thread only.
#include "kx/GLRenderContextInfo.h"
#include "kx/Renderer.h"
#include "kx/ui/RootWindow.h"
#include "kx/ui/WindowOSServices.h"
#include "kx/ui/WindowPlacement.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace platform::sdl {
class Window;
class EventLoop;
class GlContext;
struct WindowEvent;
class WindowEventSink;
} // namespace platform::sdl

namespace KX {

class LRenderContextInfo;

// What OS windows need of the application: its title (the profile section of "WP"), the binary
// profile values, its root-window list, its event loop and the command-line operation.
class IOSWindowApp {
public:
    virtual ~IOSWindowApp() = default;
    virtual WString GetTitle() { return WString(); }
    // false when the value is missing.
    virtual bool GetProfileBinary(const WString&, const WString&, std::vector<uint8_t>&) { return false; }
    virtual bool WriteProfileBinary(const WString&, const WString&, const uint8_t*, uint32_t) { return false; }
    virtual void RegisterRootWindow(const RCPtr<LRootWindow>&) {}
    virtual void UnregisterRootWindow(LRootWindow*) {}
    // The loop modal windows run on; null: RunModal fails with -1.
    virtual platform::sdl::EventLoop* GetEventLoop() { return nullptr; }
    // A second instance's command line.
    virtual void OnCommandLine(const WString&) {}
};

void SetOSWindowApp(IOSWindowApp* app) noexcept;
IOSWindowApp* GetOSWindowApp() noexcept;

// Runs the application's loop until done() holds while a system dialog (a file chooser) has the
// user: the windows go on painting and answering the window system, and, as under a modal window,
// no root window takes input (what arrives meanwhile is dropped). Whatever ends the wait wakes the
// loop (platform::sdl::EventLoop::Wake). false when the application quits meanwhile (the quit stays
// in force) or has no loop (then nothing runs).
bool RunModalWait(const std::function<bool()>& done);
// Whether a RunModalWait is in progress.
bool IsModalWaitActive() noexcept;
// Modal runs begun so far: modal windows and modal waits. A request made before the latest one
// began is out of date.
uint64_t GetModalRunCount() noexcept;

// The tag of a second instance's command line.
inline constexpr uint32_t kCommandLineTag = 0x465;

struct OSWindowOptions {
    WString title;
    int32_t width = 640; // client size
    int32_t height = 480;
    std::optional<int32_t> x; // client position on the screen; centred when absent
    std::optional<int32_t> y;
    bool resizable = true;
    // For the OpenGL renderer.
    bool opengl = false;
    class OSWindow* owner = nullptr;
    // A drop-down's window: borderless, never focused; it takes pointer input while shown and is
    // destroyed with its owner.
    bool popup = false;
};

class OSWindow : public IWindowOSServices, public IRenderWindow, public IGLWindow {
public:
    // A new window, hidden; null (error says so) when the platform refuses. The
    // object deletes itself when closed (Close outside a modal loop, the end of RunModal).
    static OSWindow* Create(const OSWindowOptions& options, std::string* error = nullptr);

    // The renderer of that type, the render context and the root window. E_FAIL when the
    // renderer or its context cannot be made.
    KXRESULT CreateRenderer(int32_t rendererType);
    // Destroys the window (saving the main window's placement) and deletes the object.
    void Destroy();

    // The entry of a second instance's data: tag 0x465 and a UTF-8 text ended by one NUL, at
    // most the platform's bound. false (nothing handed on) for another tag, malformed or
    // over-long data, or while the window is disabled.
    bool AcceptCopyData(uint32_t tag, const void* data, size_t size);

    // Placement of the window as the 44-byte record keeps it, and back.
    WindowPlacementRecord GetPlacement() const;
    void SetPlacement(const WindowPlacementRecord& record);
    // Reads "WP" of the application's title through the application; false when missing or
    // malformed (the window stays where it is).
    bool RestorePlacement();

    // Gives the platform window the smallest and largest client size the root window's main
    // control allows (call after the main control is made; sizes re-apply them).
    void ApplySizeLimits();

    const RCPtr<LRootWindow>& GetRootWindow() const noexcept { return m_root; }
    const RCPtr<LRenderer>& GetRenderer() const noexcept { return m_renderer; }
    const RCPtr<LRenderContextInfo>& GetRenderContext() const noexcept { return m_context; }
    platform::sdl::Window& GetPlatformWindow() const noexcept { return *m_window; }
    bool IsCaptured() const noexcept { return m_captured; }
    uint32_t GetPressCount() const noexcept { return m_pressCount; }
    bool IsPartlyOffScreen() const noexcept { return m_partlyOffScreen; }
    bool IsPopup() const noexcept { return m_popup; }

    // IWindowOSServices.
    KXRESULT SetTitle(const WString& text) override;
    KXRESULT InvalidateAll() override;
    KXRESULT InvalidateRect(int32_t x, int32_t y, int32_t width, int32_t height) override;
    KXRESULT GetClientRect(RectT<int32_t>& out) override;
    PointT<int32_t> ScreenToClient(PointT<int32_t> point) override;
    PointT<int32_t> ClientToScreen(PointT<int32_t> point) override;
    KXRESULT SetClientRect(const RectT<int32_t>& rect) override;
    bool Show(int32_t showCommand) override;
    KXRESULT Redraw() override;
    KXRESULT BringToTop() override;
    KXRESULT SetTopMost(bool topMost) override;
    KXRESULT Close(uint32_t code) override;
    int32_t RunModal() override;
    bool IsModal() override { return m_modal; }
    bool IsActive() override;
    bool HasFocus() override;
    KXRESULT SetFocus() override;
    int32_t SetCursor(int32_t cursor) override;
    PointT<int32_t> GetCursorPos() override;
    uint32_t GetMouseButtons() override;
    WindowHandle GetWindowHandle() override { return this; }
    void SetTextInputPosition(const RectT<int32_t>&) override {}

    // IRenderWindow.
    gdi::WindowSurface* GetWindowSurface() override;
    void* GetDeviceContext() override;
    // IGLWindow: a context of an OpenGL window (null for another window).
    RCPtr<LGLContext> CreateGLContext() override;

    // The platform window's events (its sink forwards them here).
    void OnWindowEvent(const platform::sdl::WindowEvent& event);

private:
    class Sink;
    class Surface;

    OSWindow() noexcept;
    ~OSWindow() override;
    KXRESULT AttachRenderer(const RCPtr<LRenderer>& renderer);

    void OnButton(const platform::sdl::WindowEvent& event);
    void OnMove(const platform::sdl::WindowEvent& event);
    void OnSize(const platform::sdl::WindowEvent& event);
    void OnMoved();
    void OnCloseRequest();
    void PaintFrame(const platform::sdl::WindowEvent& event);
    bool IsMainRootWindow() const;
    bool PointerInClient(int32_t x, int32_t y) const;
    void SavePlacement();

    std::unique_ptr<platform::sdl::Window> m_window;
    std::unique_ptr<Sink> m_sink;
    std::unique_ptr<Surface> m_surface;
    std::unique_ptr<platform::sdl::GlContext> m_gl;
    OSWindow* m_owner = nullptr;
    RCPtr<LRootWindow> m_root;
    RCPtr<LRenderer> m_renderer;
    RCPtr<LRenderContextInfo> m_context;
    PointT<int32_t> m_lastPointer{0, 0};
    uint32_t m_buttons = 0;
    uint32_t m_pressCount = 0;
    bool m_captured = false;
    bool m_modal = false;
    bool m_partlyOffScreen = false;
    bool m_popup = false;
    // The focus as the event stream last told it (the platform's own answer counts too).
    bool m_focused = false;
    bool m_destroyed = false;
};

} // namespace KX
