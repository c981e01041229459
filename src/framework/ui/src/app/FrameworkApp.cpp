// The application object's life, its root windows, the exit request, the idle pass and the
// services it gives the control tree and the root windows.
#include "kx/ui/FrameworkApp.h"

#include "kx/NotificationCenter.h"
#include "kx/ui/Control.h"

#include <algorithm>

namespace KX {

namespace {
LFrameworkApp* g_current = nullptr;

// Carries out the recorded closes of a snapshot, last to first.
uint32_t CloseRecorded(const std::vector<RCPtr<LRootWindow>>& windows)
{
    uint32_t closed = 0;
    for (size_t i = windows.size(); i > 0; --i)
        closed += windows[i - 1]->CloseIfRequested() ? 1 : 0;
    return closed;
}
} // namespace

LFrameworkApp* LFrameworkApp::GetCurrent() noexcept
{
    return g_current;
}

LFrameworkApp::LFrameworkApp(const RCPtr<LControlFactory>& factory, const ConstRCPtr<LStringTable>& frameworkStrings,
                             const NString& commandLine, const RCPtr<LClipboard>& clipboard)
    : m_factory(factory), m_commandLine(commandLine), m_frameworkStrings(frameworkStrings)
{
    g_current = this;
    // Hot keys are posted to the application centre's queue and delivered by the next idle pass.
    RCPtr<LNotificationCenter> centre = GetNotificationQueue();
    RCPtr<LNotificationReceiver> poster;
    if (centre && centre->GetQueue())
        poster = RCPtr<LNotificationReceiver>(centre->GetQueue()->GetReceiver());
    m_hotKeys = LGlobalHotKeyManager::Create(poster);
    m_clipboard = clipboard ? clipboard : LClipboard::Create();
    if (m_factory)
        m_applicationStrings = m_factory->GetApplicationStringTable();
    SetControlHost(this);
    SetRootWindowHost(this);
    SetAppServices(this);
}

LFrameworkApp::~LFrameworkApp()
{
    UnregisterFromAll();
    if (GetControlHost() == this)
        SetControlHost(nullptr);
    if (GetRootWindowHost() == this)
        SetRootWindowHost(nullptr);
    if (GetAppServices() == this)
        SetAppServices(nullptr);
    LNotificationCenterManager::ClearInstance();
    LNotification::EnablePooling(false);
    if (g_current == this)
        g_current = nullptr;
}

KXRESULT LFrameworkApp::Receive(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n)
{
    return HandleNotification(from, n);
}

KXRESULT LFrameworkApp::HandleNotification(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>& n)
{
    if (!n || LNotification::GetNotificationName(n->GetID()) != WString(NID_APP_EXIT_REQ))
        return S_FALSE;
    m_exitRequested = true;
    // The main window is the shell's to close; a window without services cannot record a close.
    const std::vector<RCPtr<LRootWindow>> windows = m_rootWindows;
    for (size_t i = windows.size(); i > 1; --i)
        windows[i - 1]->Close(0);
    return S_OK;
}

bool LFrameworkApp::ProcessNotificationQueue(bool idle)
{
    bool more = LNotificationCenterManager::GetInstance()->ProcessAll(idle);
    // A window that closes in its step leaves the list: walk the windows as they were.
    const std::vector<RCPtr<LRootWindow>> windows = m_rootWindows;
    for (size_t i = windows.size(); i > 0; --i)
        more |= windows[i - 1]->ProcessQueue(idle);
    // What the windows' receivers posted to the application's queue waits for the next pass.
    const RCPtr<LNotificationCenter> centre = GetNotificationQueue();
    return more || (centre && centre->GetQueue() && centre->GetQueue()->GetCount() > 0);
}

int32_t LFrameworkApp::Run()
{
    if (!m_rootWindows.empty()) {
        const RCPtr<LRootWindow> main = m_rootWindows.front();
        const RectT<int32_t> client = main->GetClientRect();
        main->InvalidateRect(RectT<int32_t>{0, 0, client.width, client.height});
        if (IWindowOSServices* services = main->GetServices())
            services->InvalidateAll();
    }
    BeforeMessageLoop();
    ProcessNotificationQueue(true);
    try {
        RunMessageLoop();
    } catch (...) {
        WString text, caption;
        if (m_frameworkStrings) {
            m_frameworkStrings->Lookup(WString(u"STARTUP_ERROR"), text);
            m_frameworkStrings->Lookup(WString(u"STARTUP_ERROR_CAPTION"), caption);
        }
        ShowMessageBox(text, caption, 0x10);
        RCPtr<LNotification> exit;
        LNotification::Create(exit, NID_APP_EXIT_REQ, nullptr);
        RCPtr<LNotificationCenter> centre = GetNotificationQueue();
        if (exit && centre && centre->GetQueue())
            centre->GetQueue()->PostNotification(exit);
    }
    ProcessNotificationQueue(true);
    // Once the exit flag is set no idle pass carries out the closes it recorded.
    CloseRecorded(m_rootWindows);
    return 0;
}

KXRESULT LFrameworkApp::RunApplicationShutdown()
{
    CloseRecorded(m_rootWindows);
    RCPtr<LControlFactory> factory = std::move(m_factory);
    RCPtr<LGlobalHotKeyManager> hotKeys = std::move(m_hotKeys);
    RCPtr<LClipboard> clipboard = std::move(m_clipboard);
    if (clipboard)
        clipboard->UnregisterFromAll();
    return S_OK;
}

void LFrameworkApp::AddRootWindow(const RCPtr<LRootWindow>& window)
{
    if (window && std::find(m_rootWindows.begin(), m_rootWindows.end(), window) == m_rootWindows.end())
        m_rootWindows.push_back(window);
}

void LFrameworkApp::RemoveRootWindow(const RCPtr<LRootWindow>& window)
{
    const auto it = std::find(m_rootWindows.begin(), m_rootWindows.end(), window);
    if (it != m_rootWindows.end())
        m_rootWindows.erase(it);
}

RCPtr<LRootWindow> LFrameworkApp::FindActiveRootWindow()
{
    for (size_t i = m_rootWindows.size(); i > 0; --i) {
        IWindowOSServices* services = m_rootWindows[i - 1]->GetServices();
        if (services && services->IsActive())
            return m_rootWindows[i - 1];
    }
    return nullptr;
}

RCPtr<LRenderer> LFrameworkApp::GetMeasurementRenderer() const
{
    return m_rootWindows.empty() ? RCPtr<LRenderer>() : m_rootWindows.front()->GetRenderer();
}

IStatusBarControl* LFrameworkApp::GetStatusBar() const
{
    // No bar is ever registered with the application: a bar in a window's tree shows only the
    // texts posted to it directly.
    return nullptr;
}

KXRESULT LFrameworkApp::SetStatusText(const WString& text, bool immediate)
{
    IStatusBarControl* bar = GetStatusBar();
    if (!bar)
        return E_FAIL;
    // The bar may leave the tree while it shows the text.
    RCPtr<LControl> hold(dynamic_cast<LControl*>(bar));
    return immediate ? bar->ShowStatusText(text) : bar->PostStatusText(text);
}

KXRESULT LFrameworkApp::ResetStatusText(bool immediate)
{
    IStatusBarControl* bar = GetStatusBar();
    if (!bar)
        return E_FAIL;
    RCPtr<LControl> hold(dynamic_cast<LControl*>(bar));
    return SetStatusText(bar->GetIdleText(), immediate);
}

RCPtr<IRootWindow> LFrameworkApp::GetActiveRootWindow()
{
    return RCPtr<IRootWindow>(FindActiveRootWindow());
}

RCPtr<IRootWindow> LFrameworkApp::GetFirstRootWindow()
{
    return m_rootWindows.empty() ? RCPtr<IRootWindow>() : RCPtr<IRootWindow>(m_rootWindows.front());
}

RCPtr<LRootWindow> LFrameworkApp::GetRootWindowAt(uint32_t index)
{
    return index < m_rootWindows.size() ? m_rootWindows[index] : RCPtr<LRootWindow>();
}

PointT<int32_t> LFrameworkApp::GetCursorScreenPosition()
{
    if (RCPtr<LRootWindow> active = FindActiveRootWindow())
        return active->GetServices()->ClientToScreen(active->GetCursorPos());
    return GetScreenCursorPos();
}

uint32_t LFrameworkApp::GetMouseButtons()
{
    if (RCPtr<LRootWindow> active = FindActiveRootWindow())
        return active->GetMouseButtonState();
    uint32_t buttons = 0;
    if (IsKeyPressed(1))
        buttons |= 1;
    if (IsKeyPressed(4))
        buttons |= 2;
    if (IsKeyPressed(2))
        buttons |= 4;
    return buttons;
}

RCPtr<IEditTarget> LFrameworkApp::GetFocusedControl()
{
    RCPtr<LRootWindow> active = FindActiveRootWindow();
    if (!active || !active->GetFocusControl())
        return nullptr;
    const RCPtr<LControl> focus = active->GetFocusControl();
    if (auto* target = dynamic_cast<IEditTarget*>(focus.Get()))
        return RCPtr<IEditTarget>(target);
    // A control that edits nothing itself (a context menu open over a text box) stands for the
    // edit target it belongs to.
    const RCPtr<LControl> behind = focus->GetEditTarget();
    return RCPtr<IEditTarget>(dynamic_cast<IEditTarget*>(behind.Get()));
}

WString LFrameworkApp::LookupAppString(const WString& key)
{
    WString text;
    if (m_applicationStrings)
        m_applicationStrings->Lookup(key, text);
    return text;
}

} // namespace KX
