// The OS window: creation and teardown, the renderer, the window services, the modal loop,
// placement and the second instance's command line.
#include "kx/ui/OSWindow.h"

#include "window/OSWindowParts.h"

#include "platform/sdl/EventLoop.h"

#include <algorithm>
#include <exception>

namespace KX {

namespace {

IOSWindowApp* g_app = nullptr;
int g_modalWaits = 0;
uint64_t g_modalRuns = 0;
// The process-wide current cursor.
int32_t g_cursor = 0;

constexpr int32_t kShowHide = 0;
constexpr int32_t kShowMaximizeCommand = 3;
constexpr int32_t kShowMinimizeCommand = 6;

platform::sdl::CursorKind CursorKindOf(int32_t cursor)
{
    using platform::sdl::CursorKind;
    constexpr CursorKind kinds[] = {
        CursorKind::Arrow,    CursorKind::Wait,     CursorKind::IBeam,   CursorKind::Crosshair, CursorKind::SizeNWSE,
        CursorKind::SizeNESW, CursorKind::SizeWE,   CursorKind::SizeNS,  CursorKind::SizeAll,   CursorKind::No,
        CursorKind::Hand,     CursorKind::DropMove, CursorKind::DropCopy};
    if (cursor < 0 || cursor >= static_cast<int32_t>(std::size(kinds)))
        return CursorKind::Arrow;
    return kinds[cursor];
}

} // namespace

void SetOSWindowApp(IOSWindowApp* app) noexcept
{
    g_app = app;
}

IOSWindowApp* GetOSWindowApp() noexcept
{
    return g_app;
}

bool RunModalWait(const std::function<bool()>& done)
{
    platform::sdl::EventLoop* loop = g_app ? g_app->GetEventLoop() : nullptr;
    if (!loop)
        return false;
    ++g_modalRuns;
    // The windows that took input before take it again after (those still open).
    std::vector<uint32_t> disabled;
    IRootWindowHost* host = GetRootWindowHost();
    for (uint32_t i = 0; host && i < host->GetRootWindowCount(); ++i)
        if (const RCPtr<LRootWindow> root = host->GetRootWindowAt(i))
            if (auto* os = dynamic_cast<OSWindow*>(root->GetServices());
                os && os->GetPlatformWindow().IsInputEnabled()) {
                os->GetPlatformWindow().SetInputEnabled(false);
                disabled.push_back(os->GetPlatformWindow().Id());
            }
    ++g_modalWaits;
    struct Restore {
        std::vector<uint32_t>& ids;
        ~Restore()
        {
            --g_modalWaits;
            for (const uint32_t id : ids)
                if (platform::sdl::Window* window = platform::sdl::Window::FromId(id))
                    window->SetInputEnabled(true);
        }
    } restore{disabled};
    return loop->RunUntil(done);
}

bool IsModalWaitActive() noexcept
{
    return g_modalWaits > 0;
}

uint64_t GetModalRunCount() noexcept
{
    return g_modalRuns;
}

OSWindow::OSWindow() noexcept = default;

OSWindow* OSWindow::Create(const OSWindowOptions& options, std::string* error)
{
    platform::sdl::WindowOptions platformOptions;
    platformOptions.title = options.title.ToNarrow().GetString();
    platformOptions.width = options.width;
    platformOptions.height = options.height;
    platformOptions.x = options.x;
    platformOptions.y = options.y;
    platformOptions.resizable = options.resizable;
    platformOptions.opengl = options.opengl;
    platformOptions.owner = options.owner ? options.owner->m_window.get() : nullptr;
    platformOptions.popup = options.popup;
    auto window = std::make_unique<platform::sdl::Window>(platformOptions);
    if (!window->IsValid()) {
        if (error)
            *error = "the platform window could not be made";
        return nullptr;
    }
    auto* self = new OSWindow();
    self->m_window = std::move(window);
    self->m_owner = options.owner;
    self->m_popup = options.popup;
    self->m_sink = std::make_unique<Sink>(*self);
    self->m_window->SetSink(self->m_sink.get());
    return self;
}

OSWindow::~OSWindow()
{
    if (m_window)
        m_window->SetSink(nullptr);
    if (m_root) {
        if (g_app)
            g_app->UnregisterRootWindow(m_root.Get());
        RCPtr<LRootWindow> root = std::move(m_root);
        root->ReleaseInternalReferences();
    }
    m_context = nullptr;
    m_renderer = nullptr;
    m_surface.reset();
    m_gl.reset();
    m_window.reset();
}

KXRESULT OSWindow::CreateRenderer(int32_t rendererType)
{
    RectT<int32_t> client{};
    GetClientRect(client);
    if (rendererType == kRendererGDIPlus) {
        m_surface = std::make_unique<Surface>(*m_window);
        if (m_surface->Resize(client.width, client.height) != gdi::Status::Ok) {
            m_surface.reset();
            return E_FAIL;
        }
    }
    try {
        RCPtr<LRenderer> renderer = LRenderer::Create(rendererType, client, this);
        // The platform window's own 33 ms tick ends every idle wait.
        if (renderer && AttachRenderer(renderer) == S_OK)
            return S_OK;
    } catch (const std::exception&) {
        // An unknown type, or a renderer this window or build cannot have: no renderer.
    }
    m_context = nullptr;
    m_renderer = nullptr;
    m_surface.reset();
    return E_FAIL;
}

KXRESULT OSWindow::AttachRenderer(const RCPtr<LRenderer>& renderer)
{
    m_renderer = renderer;
    RectT<int32_t> client{};
    GetClientRect(client);
    RCPtr<LRenderContextInfo> context;
    if (renderer->InitRenderContextInfo(client, this, false, context) != S_OK || !context)
        return E_FAIL;
    m_context = context;
    m_root = LRootWindow::Create(renderer, this);
    if (m_root && g_app)
        g_app->RegisterRootWindow(m_root);
    return S_OK;
}

gdi::WindowSurface* OSWindow::GetWindowSurface()
{
    return m_surface.get();
}

void* OSWindow::GetDeviceContext()
{
    return m_window ? m_window->Handle() : nullptr;
}

RCPtr<LGLContext> OSWindow::CreateGLContext()
{
    return LSdlGLContext::Create(*m_window);
}

void OSWindow::Destroy()
{
    if (m_destroyed)
        return;
    m_destroyed = true;
    SavePlacement();
    // Drop-downs opened from this window go with it.
    if (IRootWindowHost* host = GetRootWindowHost()) {
        std::vector<OSWindow*> popups;
        for (uint32_t i = 0; i < host->GetRootWindowCount(); ++i)
            if (const RCPtr<LRootWindow> root = host->GetRootWindowAt(i))
                if (auto* window = dynamic_cast<OSWindow*>(root->GetServices());
                    window && window->m_popup && window->m_owner == this)
                    popups.push_back(window);
        for (OSWindow* popup : popups)
            popup->Destroy();
    }
    delete this;
}

bool OSWindow::IsMainRootWindow() const
{
    IRootWindowHost* host = GetRootWindowHost();
    return m_root && host && host->GetRootWindowCount() > 0 && host->GetRootWindowAt(0).Get() == m_root.Get();
}

void OSWindow::SavePlacement()
{
    if (!g_app || m_owner || !IsMainRootWindow())
        return;
    const auto bytes = EncodeWindowPlacement(GetPlacement());
    g_app->WriteProfileBinary(g_app->GetTitle(), WString(u"WP"), bytes.data(), kWindowPlacementSize);
}

WindowPlacementRecord OSWindow::GetPlacement() const
{
    const platform::sdl::Placement placement = m_window->GetPlacement();
    WindowPlacementRecord record;
    record.showCommand = placement.maximised ? kShowMaximized : placement.minimised ? kShowMinimized : kShowNormal;
    record.left = placement.normal.x;
    record.top = placement.normal.y;
    record.right = placement.normal.x + placement.normal.width;
    record.bottom = placement.normal.y + placement.normal.height;
    return record;
}

void OSWindow::SetPlacement(const WindowPlacementRecord& record)
{
    platform::sdl::Placement placement;
    placement.normal = {record.left, record.top, record.right - record.left, record.bottom - record.top};
    placement.maximised = record.showCommand == kShowMaximized;
    placement.minimised = record.showCommand == kShowMinimized;
    m_window->SetPlacement(placement);
}

bool OSWindow::RestorePlacement()
{
    std::vector<uint8_t> bytes;
    WindowPlacementRecord record;
    if (!g_app || !g_app->GetProfileBinary(g_app->GetTitle(), WString(u"WP"), bytes) ||
        !DecodeWindowPlacement(bytes.data(), bytes.size(), record))
        return false;
    SetPlacement(record);
    return true;
}

bool OSWindow::AcceptCopyData(uint32_t tag, const void* data, size_t size)
{
    if (tag != kCommandLineTag)
        return false;
    // The platform window bounds the size, wants one NUL at the end and valid UTF-8.
    return m_window->AcceptCommandLine(data, size);
}

KXRESULT OSWindow::SetTitle(const WString& text)
{
    m_window->SetTitle(text.ToNarrow().GetString());
    return S_OK;
}

KXRESULT OSWindow::InvalidateAll()
{
    m_window->InvalidateAll();
    return S_OK;
}

KXRESULT OSWindow::InvalidateRect(int32_t x, int32_t y, int32_t width, int32_t height)
{
    if (width > 0 && height > 0)
        m_window->Invalidate({x, y, width, height});
    return S_OK;
}

KXRESULT OSWindow::GetClientRect(RectT<int32_t>& out)
{
    const platform::sdl::Rect client = m_window->ClientRect();
    if (client.width >= 0 && client.height >= 0)
        out = RectT<int32_t>{client.x, client.y, client.width, client.height};
    return S_OK;
}

PointT<int32_t> OSWindow::ScreenToClient(PointT<int32_t> point)
{
    m_window->ScreenToClient(point.x, point.y);
    return point;
}

PointT<int32_t> OSWindow::ClientToScreen(PointT<int32_t> point)
{
    m_window->ClientToScreen(point.x, point.y);
    return point;
}

KXRESULT OSWindow::SetClientRect(const RectT<int32_t>& rect)
{
    m_window->SetClientRect({rect.x, rect.y, rect.width, rect.height});
    return S_OK;
}

bool OSWindow::Show(int32_t showCommand)
{
    const bool wasVisible = m_window->IsVisible();
    if (showCommand == kShowHide) {
        m_window->Hide();
        return wasVisible;
    }
    m_window->Show();
    if (showCommand == kShowMaximizeCommand || showCommand == kShowMinimizeCommand) {
        WindowPlacementRecord record = GetPlacement();
        record.showCommand = showCommand == kShowMaximizeCommand ? kShowMaximized : kShowMinimized;
        SetPlacement(record);
    }
    return wasVisible;
}

KXRESULT OSWindow::Redraw()
{
    m_window->InvalidateAll();
    return m_window->DeliverPaint() ? S_OK : E_FAIL;
}

KXRESULT OSWindow::BringToTop()
{
    m_window->Raise();
    return S_OK;
}

KXRESULT OSWindow::SetTopMost(bool topMost)
{
    m_window->SetTopMost(topMost);
    return S_OK;
}

KXRESULT OSWindow::Close(uint32_t code)
{
    if (m_modal) {
        m_window->EndModal(static_cast<int>(code));
        m_modal = false;
        return S_OK;
    }
    Destroy();
    return S_OK;
}

int32_t OSWindow::RunModal()
{
    platform::sdl::EventLoop* loop = g_app ? g_app->GetEventLoop() : nullptr;
    if (!loop)
        return -1;
    m_modal = true;
    ++g_modalRuns;
    const uint32_t id = m_window->Id();
    const int result = loop->RunModal(*m_window, m_owner ? m_owner->m_window.get() : nullptr);
    if (!platform::sdl::Window::FromId(id))
        return -1; // destroyed meanwhile: this object is gone too
    if (loop->QuitRequested())
        return -1; // the application quits: the window stays for its teardown
    // The loop has enabled and raised the owner (when it still lives).
    m_modal = false;
    Destroy();
    return result;
}

bool OSWindow::IsActive()
{
    // A drop-down never has the focus but takes the pointer while shown.
    if (m_popup)
        return m_window->IsVisible();
    return m_focused || m_window->HasFocus();
}

bool OSWindow::HasFocus()
{
    return m_focused || m_window->HasFocus();
}

KXRESULT OSWindow::SetFocus()
{
    if (!m_popup)
        m_window->SetFocus();
    return S_OK;
}

int32_t OSWindow::SetCursor(int32_t cursor)
{
    const int32_t previous = g_cursor;
    if (cursor != previous) {
        platform::sdl::Window::SetCursor(CursorKindOf(cursor));
        g_cursor = cursor;
    }
    return previous;
}

PointT<int32_t> OSWindow::GetCursorPos()
{
    if (!m_captured)
        m_window->PointerPosition(m_lastPointer.x, m_lastPointer.y);
    return m_lastPointer;
}

uint32_t OSWindow::GetMouseButtons()
{
    // Tracked from the event stream: what the platform reported last, not a poll of the device.
    if (!m_captured)
        m_buttons = m_window->ButtonState() & 7u;
    return m_buttons;
}

} // namespace KX
