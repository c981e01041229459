// The root window's life, its main control, focus, cursor and the idle step with its pending close.
#include "kx/ui/RootWindow.h"

#include "kx/ui/FrameworkControlSeams.h"

#include "kx/AppServices.h"
#include "kx/ui/ControlFactory.h"
#include "kx/ui/ControlHost.h"
#include "kx/ui/StringTable.h"

#include <vector>

namespace KX {

namespace {
IRootWindowHost* g_rootHost = nullptr;

std::vector<RCPtr<LRootWindow>> SnapshotRootWindows(IRootWindowHost& host)
{
    std::vector<RCPtr<LRootWindow>> windows;
    const uint32_t count = host.GetRootWindowCount();
    windows.reserve(count);
    for (uint32_t i = 0; i < count; ++i)
        if (RCPtr<LRootWindow> w = host.GetRootWindowAt(i))
            windows.push_back(std::move(w));
    return windows;
}
} // namespace

void SetRootWindowHost(IRootWindowHost* host) noexcept
{
    g_rootHost = host;
}

IRootWindowHost* GetRootWindowHost() noexcept
{
    return g_rootHost;
}

bool ProcessRootWindowQueues(bool firstPass)
{
    if (!g_rootHost)
        return false;
    // A window closing in its step leaves the host's list: walk the windows as they were.
    const std::vector<RCPtr<LRootWindow>> windows = SnapshotRootWindows(*g_rootHost);
    bool more = false;
    for (size_t i = windows.size(); i > 0; --i)
        more |= windows[i - 1]->ProcessQueue(firstPass);
    return more;
}

uint32_t CloseRequestedRootWindows()
{
    if (!g_rootHost)
        return 0;
    const std::vector<RCPtr<LRootWindow>> windows = SnapshotRootWindows(*g_rootHost);
    uint32_t closed = 0;
    for (size_t i = windows.size(); i > 0; --i)
        closed += windows[i - 1]->CloseIfRequested() ? 1 : 0;
    return closed;
}

BusyCursorScope::BusyCursorScope(const WString&)
{
    // The text would go to a status bar; the application registers none.
    if (IControlHost* host = GetControlHost()) {
        m_window = host->GetActiveRootWindow();
        if (!m_window)
            m_window = host->GetFirstRootWindow();
    }
    if (m_window) {
        const int32_t wait = g_rootHost ? g_rootHost->GetApplicationCursor(WString(u"UI_CURSOR_WAIT")) : 0;
        m_previous = m_window->SetCursor(wait);
    }
    if (IAppServices* services = GetAppServices())
        services->ProcessNotificationQueues(true);
}

BusyCursorScope::~BusyCursorScope()
{
    if (m_window)
        m_window->SetCursor(m_previous);
}

RCPtr<LRootWindow> LRootWindow::Create(const RCPtr<LRenderer>& renderer, IWindowOSServices* services)
{
    RCPtr<LRootWindow> window(new LRootWindow(renderer, services));
    // The queue delivers through the window itself: an internal reference.
    if (window->AttachDistributor(RCPtr<LNotificationDistributor>(window)) == S_OK) {
        window->AddToRefCount(1);
        window->m_queueAttached = true;
    }
    return window;
}

LRootWindow::LRootWindow(const RCPtr<LRenderer>& renderer, IWindowOSServices* services)
    : m_renderer(renderer), m_services(services)
{
    // Bound keys are posted to the window's own queue and reach its clients on the next idle step.
    m_hotKeys = LGlobalHotKeyManager::Create(RCPtr<LNotificationReceiver>(GetReceiver()));
}

LRootWindow::~LRootWindow() = default;

KXRESULT LRootWindow::ReleaseInternalReferences()
{
    UnregisterAllClients();
    m_services = nullptr;
    AttachMainControl(nullptr);
    if (m_queueAttached) {
        m_queueAttached = false;
        AddToRefCount(-1);
    }
    LNotificationQueue::Detach();
    return (GetInternalRefCount() == 0 && GetRefCount() == 1) ? S_OK : E_FAIL;
}

RectT<int32_t> LRootWindow::GetClientRect() const
{
    if (m_services)
        m_services->GetClientRect(m_client);
    return m_client;
}

PointT<int32_t> LRootWindow::GetClientOriginOnScreen() const
{
    return m_services ? m_services->ClientToScreen(PointT<int32_t>{}) : PointT<int32_t>{};
}

int32_t LRootWindow::SetCursor(int32_t cursor)
{
    if (!m_services)
        return 0;
    if (cursor == 0 && g_rootHost)
        cursor = g_rootHost->GetApplicationCursor(WString(u"UI_CURSOR_ARROW"));
    return m_services->SetCursor(cursor);
}

void LRootWindow::SetTextInputPosition(const RectT<int32_t>& caret)
{
    if (m_services)
        m_services->SetTextInputPosition(caret);
}

void LRootWindow::SetClientRect(const RectT<int32_t>& rect)
{
    if (!m_services)
        return;
    const RectT<int32_t> current = GetClientRect();
    if (current.x == rect.x && current.y == rect.y && current.width == rect.width && current.height == rect.height)
        return;
    m_services->SetClientRect(rect);
    if (m_main) {
        const PointT<double> size = m_main->GetSize();
        m_main->Invalidate(RectT<double>{0, 0, size.x, size.y},
                           m_main->GetLayout() ? m_main->GetLayout()->clipToParent : true);
    }
}

void LRootWindow::CreateMainControl(LControlFactory& factory, const WString& name)
{
    RCPtr<LControl> control;
    if (!name.IsEmpty())
        factory.CreateControlByName(control, name, RCPtr<IRootWindow>(this));
    AttachMainControl(control);
}

void LRootWindow::AttachMainControl(const RCPtr<LControl>& control)
{
    m_focus = nullptr;
    m_savedFocus = nullptr;
    m_hover = nullptr;
    m_capture = nullptr;
    m_toolTip = nullptr;
    if (m_main) {
        RCPtr<LControl> old = std::move(m_main);
        AddToRefCount(-1);
        old->FinishDeferredRemoval();
        // The old tree must not keep the window alive (nor reach it).
        if (!old->GetParent() && old->GetTopLevelOwnerSlot().Get() == static_cast<IRootWindow*>(this))
            old->SetRootWindow(nullptr);
        m_hotKeys->GetTable().Clear();
    }
    if (!control)
        return;
    m_main = control;
    if (const RCPtr<LStringTable>& table = control->GetStringTable())
        m_hotKeys->GetTable().LoadFromStringTable(table.Get(), WString(HotKeyTable::kGlobalPrefix));
    if (!control->GetParent() && !control->GetTopLevelOwnerSlot())
        control->SetRootWindow(RCPtr<IRootWindow>(this));
    // Fill the client area.
    if (control->GetLayout()) {
        // A copy: the record may be the skin's, shared by every control made from it.
        control->SetLayout(LLayoutDescriptor::Clone(*control->GetLayout()));
        control->FillRootWindow();
    }
    if (!m_focus && m_services) {
        if (m_services->HasFocus())
            control->SetFocus(true);
        else
            m_services->SetFocus();
    }
    AddToRefCount(1);
    const RectT<int32_t> client = GetClientRect();
    InvalidateArea(RectT<int32_t>{0, 0, client.width, client.height});
}

void LRootWindow::SuspendFocus()
{
    m_savedFocus = m_focus;
    m_focus = nullptr;
}

void LRootWindow::OnFocusLost()
{
    SetHoverControl(nullptr);
    if (RCPtr<LControl> main = m_main) {
        main->SetFocus(true);
        main->KillFocus();
    }
}

void LRootWindow::RestoreFocus()
{
    // A control that took the focus meanwhile keeps it: a press that activated the window may
    // come before the platform's word that the window has the focus.
    if (m_focus && HoldsControl(*m_focus))
        return;
    if (!m_focus && m_savedFocus) {
        RCPtr<LControl> saved = m_savedFocus;
        const LControl* top = saved->GetParent() ? saved->GetTopLevelControl().Get() : saved.Get();
        if (top && top->GetParent() == nullptr &&
            const_cast<LControl*>(top)->GetTopLevelOwnerSlot().Get() == static_cast<IRootWindow*>(this)) {
            saved->SetFocus(true);
            return;
        }
    }
    if (RCPtr<LControl> main = m_main)
        main->SetFocus(true);
}

void LRootWindow::FocusNextRootWindow(const RCPtr<LKeyParam>& param)
{
    if (!IsActive() || m_services->IsModal())
        return;
    const bool shift = param && (param->GetKey().code & KeyCode::kShift) != 0;
    const uint32_t count = g_rootHost ? g_rootHost->GetRootWindowCount() : 1;
    if (count < 2) {
        if (RCPtr<LControl> main = m_main) {
            main->KillFocus();
            main->SetFocus(!shift);
        }
        return;
    }
    uint32_t self = count;
    for (uint32_t i = 0; i < count; ++i)
        if (g_rootHost->GetRootWindowAt(i).Get() == this)
            self = i;
    if (self == count)
        return;
    const uint32_t next = shift ? (self + count - 1) % count : (self + 1) % count;
    RCPtr<LRootWindow> target = g_rootHost->GetRootWindowAt(next);
    if (target && target->m_services && !target->m_services->IsActive())
        target->m_services->SetFocus();
}

uint32_t LRootWindow::GetMouseButtonState()
{
    if (IsActive())
        return m_services->GetMouseButtons();
    return g_rootHost ? g_rootHost->GetMouseButtons() : 0;
}

PointT<int32_t> LRootWindow::GetCursorPos()
{
    if (IsActive())
        return m_services->GetCursorPos();
    const PointT<int32_t> screen = g_rootHost ? g_rootHost->GetCursorScreenPosition() : PointT<int32_t>{};
    return m_services ? m_services->ScreenToClient(screen) : screen;
}

uint32_t LRootWindow::GetModifierState()
{
    if (!g_rootHost)
        return 0;
    uint32_t mask = 0;
    if (g_rootHost->IsKeyDown(17))
        mask |= 1;
    if (g_rootHost->IsKeyDown(16))
        mask |= 8;
    if (g_rootHost->IsKeyDown(18))
        mask |= 64;
    return mask;
}

KXRESULT LRootWindow::Close(uint32_t code)
{
    if (!m_services)
        return E_FAIL;
    m_closeCode = code;
    m_closeRequested = true;
    return S_OK;
}

void LRootWindow::RequestClose()
{
    if (!m_services)
        return;
    if (auto* dialog = dynamic_cast<IDialogControl*>(m_main.Get())) {
        const RCPtr<LControl> main = m_main;
        dialog->CloseFromSystemMenu();
        return;
    }
    m_closeCode = 0;
    m_closeRequested = true;
}

bool LRootWindow::CloseIfRequested()
{
    if (!m_closeRequested || !m_services)
        return false;
    m_closeRequested = false;
    // The services may end the window (and this object's last outside holder) here.
    RCPtr<LRootWindow> self(this);
    m_services->Close(m_closeCode);
    return true;
}

bool LRootWindow::ProcessQueue(bool firstPass)
{
    RCPtr<LRootWindow> self(this);
    const bool more = LNotificationQueue::ProcessQueue(firstPass);
    CloseIfRequested();
    return more;
}

} // namespace KX
