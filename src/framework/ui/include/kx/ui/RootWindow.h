#pragma once
// The top of one control tree: owns the main control, keeps the focus, hover, tooltip and
// capture owners, routes the platform window's input into the tree, gathers invalid rectangles
// and paints them, and keeps a notification queue that its idle step drains. It reaches its
// platform window only through IWindowOSServices and works without one. Main thread only,
// except posting to its queue (any thread).
#include "kx/NotificationDistributor.h"
#include "kx/NotificationQueue.h"
#include "kx/Region.h"
#include "kx/Renderer.h"
#include "kx/ui/Control.h"
#include "kx/ui/GlobalHotKeyManager.h"
#include "kx/ui/MouseWheelParam.h"
#include "kx/ui/RootWindowSeam.h"
#include "kx/ui/WindowOSServices.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace KX {

class LControlFactory;
class LRootWindow;

// What root windows need of the application: its list of root windows (the first is the main
// window), the key and pointer state and its named cursors. Registration is not owning.
class IRootWindowHost {
public:
    virtual ~IRootWindowHost() = default;
    virtual uint32_t GetRootWindowCount() = 0;
    // Null past the end.
    virtual RCPtr<LRootWindow> GetRootWindowAt(uint32_t index) = 0;
    // Whether a virtual key (16 Shift, 17 Ctrl, 18 Alt, ...) is held.
    virtual bool IsKeyDown(int32_t) { return false; }
    // The pointer on the screen and the held buttons (bit 0 left, 1 middle, 2 right).
    virtual PointT<int32_t> GetCursorScreenPosition() { return PointT<int32_t>{}; }
    virtual uint32_t GetMouseButtons() { return 0; }
    // The application's cursor of that name ("UI_CURSOR_ARROW", "UI_CURSOR_WAIT"); 0 when unknown.
    virtual int32_t GetApplicationCursor(const WString&) { return 0; }
};

void SetRootWindowHost(IRootWindowHost* host) noexcept;
IRootWindowHost* GetRootWindowHost() noexcept;

// The root windows' part of the idle pass: each window of a snapshot of the host's list, from the
// last to the first, drains its queue and carries out a recorded close. Returns whether any queue
// kept entries. Windows that close meanwhile do not disturb the walk.
bool ProcessRootWindowQueues(bool firstPass);
// At exit, when the idle pass no longer runs: carries out every recorded close (snapshot, last to
// first). Returns how many windows were closed.
uint32_t CloseRequestedRootWindows();

// Shows the wait cursor in the active root window (else the application's first) for its
// lifetime and lets the application drain its queues once, so that the change is seen before
// long work on the main thread.
class BusyCursorScope {
public:
    explicit BusyCursorScope(const WString& text);
    ~BusyCursorScope();
    BusyCursorScope(const BusyCursorScope&) = delete;
    BusyCursorScope& operator=(const BusyCursorScope&) = delete;

private:
    RCPtr<IRootWindow> m_window;
    int32_t m_previous = 0;
};

// Pointer actions.
inline constexpr uint32_t kMousePress = 0;
inline constexpr uint32_t kMouseRelease = 1;
inline constexpr uint32_t kMouseDoubleClick = 2;

class LRootWindow : public LNotificationDistributor, public LNotificationQueue, public IRootWindow {
public:
    // services may be null; it is not owned and must outlive the window or be dropped by its
    // teardown.
    static RCPtr<LRootWindow> Create(const RCPtr<LRenderer>& renderer, IWindowOSServices* services);

    // IRootWindow.
    RectT<int32_t> GetClientRect() const override;
    // ltrb: left, top, right, bottom.
    void InvalidateRect(const RectT<int32_t>& ltrb) override;
    RCPtr<LNotificationDistributor> GetIdleSource() override { return RCPtr<LNotificationDistributor>(this); }
    RCPtr<LControl> HitTest(PointT<int32_t> point, bool searchUnclipped, bool updateHover) override;
    int32_t SetCursor(int32_t cursor) override;
    PointT<int32_t> GetClientOriginOnScreen() const override;
    RCPtr<LGlobalHotKeyManager> GetHotKeyManager() override { return m_hotKeys; }

    // The deepest control under a client point; local receives the point in its coordinates.
    // With updateHover the result becomes the hover control.
    virtual RCPtr<LControl> HitTest(PointT<int32_t> point, PointT<int32_t>& local, bool updateHover);

    // Input from the platform window. Points are client coordinates; modifiers Ctrl 1, Shift 8,
    // Alt 64; buttons 1 left, 2 middle, 4 right; actions kMousePress, kMouseRelease,
    // kMouseDoubleClick; directions kWheelDown..kWheelRight.
    void OnMouseButton(uint32_t action, uint32_t button, uint32_t modifiers, PointT<int32_t> point);
    void OnMouseMove(PointT<int32_t> point, uint32_t modifiers);
    void OnMouseWheel(PointT<int32_t> point, uint32_t modifiers, uint32_t direction);
    // Key presses, releases and characters alike.
    void OnKey(const RCPtr<LKeyParam>& param);
    void RestoreFocus();
    void OnFocusLost();
    void OnCaptureLost();
    void OnSize(PointT<int32_t> size);
    // Fits a proposed client size to the main control's limits; true when it changed.
    bool ConstrainClientSize(PointT<int32_t>& size);

    // Painting, between the renderer's RenderStart and RenderFinish: out receives the invalid
    // rectangles (the window's list is emptied), Paint draws the tree where region says.
    void TakeInvalidRegion(LRegion& out);
    void Paint(const LRegion& region);
    // The whole client area is invalidated when the next paint begins.
    void SetFullRepaintPending() noexcept { m_fullRepaint = true; }
    // (x, y, width, height), clipped to the client area.
    void InvalidateArea(const RectT<int32_t>& rect);

    // Owners.
    // A previous focus control that left the tree loses its focus flags.
    void SetFocusControl(const RCPtr<LControl>& control);
    void SuspendFocus();
    // E_INVALIDARG for null; the previous capture control gets OnCaptureLost.
    KXRESULT SetCaptureControl(const RCPtr<LControl>& control);
    void ReleaseCaptureControl() { m_capture = nullptr; }
    void SetHoverControl(const RCPtr<LControl>& control);
    const RCPtr<LControl>& GetFocusControl() const noexcept { return m_focus; }
    const RCPtr<LControl>& GetSavedFocus() const noexcept { return m_savedFocus; }
    const RCPtr<LControl>& GetCaptureControl() const noexcept { return m_capture; }
    const RCPtr<LControl>& GetHoverControl() const noexcept { return m_hover; }
    const RCPtr<LControl>& GetToolTipControl() const noexcept { return m_toolTip; }
    // Whether the control is in this window's tree (its top-level control is the main control).
    bool HoldsControl(const LControl& control) const;
    // Capture, focus, hover and tooltip owners that left the tree are dropped (the capture
    // owner gets OnCaptureLost, the focus owner loses its focus). Input runs this first.
    void DropDetachedOwners();
    // Whether a key was pressed since the last mouse press: looks that only guide the keyboard
    // may wait for it.
    bool IsKeyboardInUse() const noexcept { return m_keyboardInUse; }
    // Tab past the last control of the tree: the next root window (the previous with Shift).
    void FocusNextRootWindow(const RCPtr<LKeyParam>& param);

    // Pointer and key state, from the platform window while it is active, else the host's.
    uint32_t GetMouseButtonState();
    PointT<int32_t> GetCursorPos();
    uint32_t GetModifierState();
    void SetTextInputPosition(const RectT<int32_t>& caret);
    // Moves and sizes the platform window and invalidates the main control.
    void SetClientRect(const RectT<int32_t>& rect) override;

    // The main control. CreateMainControl makes the skin's top-level control of that name
    // (none for an empty name or an unknown one).
    void CreateMainControl(LControlFactory& factory, const WString& name);
    void AttachMainControl(const RCPtr<LControl>& control);
    const RCPtr<LControl>& GetMainControl() const noexcept { return m_main; }

    // Closing: recorded now, carried out by the next idle step. E_FAIL without services.
    KXRESULT Close(uint32_t code);
    // The system menu's close of a window that is not the main one.
    void RequestClose();
    bool IsCloseRequested() const noexcept { return m_closeRequested; }
    uint32_t GetCloseCode() const noexcept { return m_closeCode; }
    // Carries out a recorded close; true when the services' Close ran.
    bool CloseIfRequested();
    // The idle step: drains the queue (the queue's "NID_IDLE" with firstPass), then carries out a
    // recorded close. Returns whether notifications are still queued.
    bool ProcessQueue(bool firstPass);

    IWindowOSServices* GetServices() const noexcept { return m_services; }
    const RCPtr<LRenderer>& GetRenderer() const noexcept { return m_renderer; }
    uint32_t GetDoubleClickBits() const noexcept { return m_doubleClickBits; }

    // Unregisters every client, drops the services, the main control and the queue.
    KXRESULT ReleaseInternalReferences() override;

protected:
    LRootWindow(const RCPtr<LRenderer>& renderer, IWindowOSServices* services);
    ~LRootWindow() override;

private:
    bool IsActive() const { return m_services && m_services->IsActive(); }
    void HideToolTip();
    // The control's origin in root coordinates, rounded.
    static PointT<int32_t> RootOrigin(const LControl& control);
    // Moves the current render state's origin to origin (target pixels) and clips it to clip
    // (relative to the new origin).
    void MoveState(LRenderContextInfo& context, PointT<double> origin, const RectT<double>& clip);
    void PaintControl(const RCPtr<LControl>& control, const LRegion& region, bool unclippedPass);
    // The focus owner and its ancestors show or hide their keyboard cues with the change.
    void SetKeyboardInUse(bool inUse);
    void DeliverWheel(const RCPtr<LControl>& target, const RCPtr<LMouseWheelParam>& param);

    RCPtr<LRenderer> m_renderer;
    IWindowOSServices* m_services;
    mutable RectT<int32_t> m_client{0, 0, 1024, 768};
    RCPtr<LControl> m_main;
    LRegion m_invalid;
    bool m_fullRepaint = false;
    RCPtr<LGlobalHotKeyManager> m_hotKeys;
    uint32_t m_doubleClickBits = 0;
    RCPtr<LControl> m_focus;
    RCPtr<LControl> m_savedFocus;
    RCPtr<LControl> m_hover;
    RCPtr<LControl> m_toolTip;
    RCPtr<LControl> m_capture;
    bool m_closeRequested = false;
    uint32_t m_closeCode = 0;
    bool m_queueAttached = false;
    bool m_keyboardInUse = false;
    // Reused by every frame's unclipped pass, one list per nesting level.
    std::vector<std::unique_ptr<RCPtrArray<LControl>>> m_unclippedLists;
    uint32_t m_paintDepth = 0;
};

} // namespace KX
