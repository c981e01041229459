// The OS window's handling of its platform window's events: root-window calls with the
// capture policy, off-screen tracking, the system close and painting a frame.
#include "kx/ui/OSWindow.h"

#include "window/OSWindowParts.h"

#include "kx/Notification.h"
#include "kx/NotificationCenter.h"
#include "kx/NotificationId.h"
#include "kx/ui/KeyCode.h"
#include "kx/ui/ParamRecords.h"

#include "platform/sdl/EventLoop.h"

namespace KX {

using platform::sdl::WindowEvent;
using platform::sdl::WindowEventKind;

namespace {
// A client side at least this long counts as unlimited.
constexpr int32_t kLargestClientSide = 16384;
} // namespace

void OSWindow::OnWindowEvent(const WindowEvent& event)
{
    // Keep the root window alive through calls that may close this window.
    const RCPtr<LRootWindow> root = m_root;
    switch (event.kind) {
    case WindowEventKind::PointerButton: OnButton(event); break;
    case WindowEventKind::PointerMove: OnMove(event); break;
    case WindowEventKind::Wheel:
        m_lastPointer = {event.x, event.y};
        if (root)
            root->OnMouseWheel(m_lastPointer, event.modifiers, event.direction);
        break;
    case WindowEventKind::Key:
        if (root) {
            const uint8_t repeat = event.repeat ? 1 : 0;
            root->OnKey(LKeyParam::Create(KeyCode(event.virtualKey, event.down, repeat, event.modifiers), true));
        }
        break;
    case WindowEventKind::Character:
        if (root)
            root->OnKey(LKeyParam::Create(KeyCode::FromCharacter(event.character, event.modifiers), true));
        break;
    case WindowEventKind::FocusGained:
        // A drop-down's window leaves the focus where it was.
        if (m_popup)
            break;
        m_focused = true;
        if (root)
            root->RestoreFocus();
        break;
    case WindowEventKind::FocusLost:
        if (m_popup)
            break;
        m_focused = false;
        if (m_captured) {
            m_captured = false;
            m_pressCount = 0;
            m_window->SetCapture(false);
        }
        if (root)
            root->OnFocusLost();
        break;
    case WindowEventKind::CaptureLost:
        m_pressCount = 0;
        m_captured = false;
        if (root)
            root->OnCaptureLost();
        break;
    case WindowEventKind::Size: OnSize(event); break;
    case WindowEventKind::Moved: OnMoved(); break;
    case WindowEventKind::CloseRequest: OnCloseRequest(); break;
    case WindowEventKind::Paint: PaintFrame(event); break;
    case WindowEventKind::CommandLine:
        if (IOSWindowApp* app = GetOSWindowApp()) {
            WString text;
            text.AssignFromUTF8(event.text.data(), static_cast<int>(event.text.size()));
            app->OnCommandLine(text);
        }
        break;
    }
}

bool OSWindow::PointerInClient(int32_t x, int32_t y) const
{
    const platform::sdl::Rect client = m_window->ClientRect();
    return x >= 0 && y >= 0 && x < client.width && y < client.height;
}

void OSWindow::OnButton(const WindowEvent& event)
{
    const PointT<int32_t> point{event.x, event.y};
    m_lastPointer = point;
    if (event.action == platform::sdl::kActionRelease) {
        m_buttons &= ~event.button;
        if (!m_root)
            return;
        const RCPtr<LRootWindow> root = m_root;
        if (!PointerInClient(point.x, point.y) && (m_buttons & 7u) == 0 && m_pressCount != 0) {
            // Released outside with nothing held: the press sequence and the capture end here.
            m_pressCount = 0;
            m_captured = false;
            const uint32_t id = m_window->Id();
            root->OnMouseButton(kMouseRelease, event.button, event.modifiers, point);
            // A handler may have closed and destroyed this window: ask by id before touching it.
            if (platform::sdl::Window* window = platform::sdl::Window::FromId(id))
                window->SetCapture(false);
            return;
        }
        root->OnMouseButton(kMouseRelease, event.button, event.modifiers, point);
        return;
    }
    if (m_root && !m_root->GetFocusControl() && !m_popup)
        m_window->SetFocus();
    m_buttons |= event.button;
    if (!m_root)
        return;
    if (!IsActive()) {
        // A press activates the window it lands in (the platform's focus event may follow it):
        // the press is not lost.
        m_window->SetFocus();
        m_focused = true;
    }
    if (m_pressCount == 0 && !m_captured) {
        m_window->SetCapture(true);
        m_captured = true;
    }
    ++m_pressCount;
    const RCPtr<LRootWindow> root = m_root;
    root->OnMouseButton(event.action == platform::sdl::kActionDoubleClick ? kMouseDoubleClick : kMousePress,
                        event.button, event.modifiers, point);
}

void OSWindow::OnMove(const WindowEvent& event)
{
    // Hover takes no capture: the platform reports leaving the window as a move outside. A
    // capture kept after a release ends once the pointer is outside with no button held.
    const PointT<int32_t> point{event.x, event.y};
    if (m_captured && (m_buttons & 7u) == 0 && !PointerInClient(point.x, point.y)) {
        m_window->SetCapture(false);
        m_captured = false;
        m_pressCount = 0;
    }
    m_lastPointer = point;
    if (m_root) {
        const RCPtr<LRootWindow> root = m_root;
        root->OnMouseMove(point, event.modifiers);
    }
}

void OSWindow::ApplySizeLimits()
{
    if (!m_root)
        return;
    PointT<int32_t> smallest{1, 1};
    m_root->ConstrainClientSize(smallest);
    PointT<int32_t> largest{kLargestClientSide, kLargestClientSide};
    m_root->ConstrainClientSize(largest);
    m_window->SetMinimumClientSize(smallest.x, smallest.y);
    m_window->SetMaximumClientSize(largest.x < kLargestClientSide ? largest.x : 0,
                                   largest.y < kLargestClientSide ? largest.y : 0);
}

void OSWindow::OnSize(const WindowEvent& event)
{
    if (m_root && event.sizeKind != platform::sdl::SizeKind::Minimised) {
        ApplySizeLimits();
        PointT<int32_t> size{event.width, event.height};
        if (event.sizeKind == platform::sdl::SizeKind::Restored && m_root->ConstrainClientSize(size)) {
            // The window manager ignored the limits: fit the window; its size event follows.
            platform::sdl::Rect client = m_window->ClientRectOnScreen();
            client.width = size.x;
            client.height = size.y;
            m_window->SetClientRect(client);
            return;
        }
        m_root->OnSize(PointT<int32_t>{event.width, event.height});
        m_root->SetFullRepaintPending();
    }
    if (m_surface && event.sizeKind != platform::sdl::SizeKind::Minimised)
        m_surface->Resize(event.width, event.height);
    if (m_context)
        m_context->SetViewport(RectT<int32_t>{0, 0, event.width, event.height});
}

void OSWindow::OnMoved()
{
    if (!m_root)
        return;
    if (m_partlyOffScreen) {
        m_root->SetFullRepaintPending();
        m_partlyOffScreen = false;
    }
    const platform::sdl::Rect area = m_window->WorkArea();
    const platform::sdl::Rect window = m_window->ClientRectOnScreen();
    if (window.x < area.x || window.y < area.y || int64_t(window.x) + window.width > int64_t(area.x) + area.width ||
        int64_t(window.y) + window.height > int64_t(area.y) + area.height)
        m_partlyOffScreen = true;
}

void OSWindow::OnCloseRequest()
{
    if (!m_root)
        return;
    if (IsMainRootWindow()) {
        RCPtr<LNotification> exit;
        LNotification::Create(exit, NID_APP_EXIT_REQ, ConstRCPtr<LRefCountedObject>());
        const RCPtr<LNotificationCenter> centre = GetNotificationQueue();
        if (exit && centre && centre->GetQueue())
            centre->GetQueue()->PostNotification(exit);
        platform::sdl::EventLoop::Wake();
        return;
    }
    const RCPtr<LRootWindow> root = m_root;
    root->RequestClose();
}

void OSWindow::PaintFrame(const WindowEvent& event)
{
    if (!m_root || !m_renderer || !m_context)
        return;
    const RCPtr<LRootWindow> root = m_root;
    const RCPtr<LRenderer> renderer = m_renderer;
    const RCPtr<LRenderContextInfo> context = m_context;
    LRegion invalid;
    root->TakeInvalidRegion(invalid);
    LRegion& present = context->GetInvalidRegion();
    present.Clear();
    present.AddRegion(invalid);
    for (const platform::sdl::Rect& r : event.dirty)
        present.AddRect(r.x, r.y, r.x + r.width, r.y + r.height);
    if (renderer->RenderStart(ConstRCPtr<LRenderContextInfo>(context)) != S_OK)
        return;
    bool whole = false;
    if (present.GetRectCount() == 1) {
        int32_t left = 0, top = 0, right = 0, bottom = 0;
        present.GetBounds(left, top, right, bottom);
        const RectT<int32_t>& viewport = context->GetViewport();
        whole = left == viewport.x && top == viewport.y && right - left == viewport.width &&
                bottom - top == viewport.height;
    }
    root->Paint(whole ? present : invalid);
    renderer->RenderFinish(ConstRCPtr<LRenderContextInfo>(context));
}

} // namespace KX
