// The application object's life: construction, start-up, the main window and further root
// windows, the exit request and the shut-down.
#include "editor/Application.h"

#include "editor/EditorClasses.h"
#include "editor/MainControl.h"
#include "editor/Version.h"

#include "kx/Exception.h"
#include "kx/NotificationCenter.h"
#include "kx/Resources.h"
#include "kx/controls/ControlClasses.h"
#include "kx/ui/ControlDescriptor.h"
#include "kx/ui/LayoutDescriptor.h"
#include "kx/ui/RootWindow.h"

#include "platform/sdl/Desktop.h"
#include "platform/sdl/Window.h"

#include <algorithm>
#include <cmath>

using namespace KX;

namespace {
constexpr const char* kAppSource = "kxframework\\include\\..\\Application\\ApplicationBaseWin";
} // namespace

LApplication::LApplication(const RCPtr<LControlFactory>& factory, const ConstRCPtr<LStringTable>& strings,
                           const WString& commandLine, Options options)
    : LFrameworkApp(factory, strings, commandLine.ToNarrow(), options.clipboard),
      m_platform(std::move(options.platform)), m_engineOptions(std::move(options.engine)),
      m_commandLineWide(commandLine), m_ini(std::move(options.ini))
{
    if (!m_platform)
        m_platform = CreateSystemAppPlatform();
    if (!m_ini) {
        m_systemIni = LIniFileManager::Create();
        m_systemIni->Load(WString());
        m_ini = std::shared_ptr<IIniFileManager>(m_systemIni.Get(), [](IIniFileManager*) {});
    }
    m_lastTick = m_platform->TickCount();
    m_elapsed = 0.0;
    m_events.SetIdleHandler([this](int passCount) { return OnIdlePass(passCount); });
    // A quit from outside (a signal) is an exit request like any other.
    m_events.SetQuitRequestHandler([this] { RequestExit(); });
    SetEditorApp(this);
    SetOSWindowApp(this);
    SetRenderHost(this);
    SetModalDialogHost(this);
}

LApplication::~LApplication()
{
    DestroyMainWindow();
    if (GetModalDialogHost() == this)
        SetModalDialogHost(nullptr);
    if (GetRenderHost() == this)
        SetRenderHost(nullptr);
    if (GetOSWindowApp() == this)
        SetOSWindowApp(nullptr);
    if (GetEditorApp() == this)
        SetEditorApp(nullptr);
    m_midiManager = nullptr;
    if (m_engine) {
        if (GetRootModuleEngine() == m_engine)
            SetRootModuleEngine(nullptr);
        m_engine->ReleaseInternalReferences();
        m_engine = nullptr;
    }
    if (m_ini) {
        if (m_appSettings != 0)
            m_ini->CloseIniFile(m_appSettings, 1);
        if (m_userSettings != 0)
            m_ini->CloseIniFile(m_userSettings, 1);
    }
}

int32_t LApplication::GetDefaultRendererType()
{
    return kRendererGDIPlus;
}

KXRESULT LApplication::Initialize()
{
    GetInstanceName();
    InstallBuiltInControlClasses();
    if (Failed(RunApplicationStartup()))
        return E_FAIL;
    RegisterForNotification(RCPtr<LNotificationDistributor>(GetNotificationQueue()), NID_APP_EXIT_REQ, 0);
    if (const RCPtr<LControlFactory>& factory = GetControlFactory())
        RegisterEditorControlClasses(*factory);
    m_midiManager = LMidiManager::Create();
    m_engine = LRootModuleEngine::Create(m_engineOptions);
    if (m_engine) {
        m_engine->Initialize(0);
        // The panels reach the engine through the process-wide slot.
        SetRootModuleEngine(m_engine);
    }
    m_initialized = true;
    return S_OK;
}

KXRESULT LApplication::CreateMainWindow(int32_t rendererType)
{
    const RCPtr<LControlFactory>& factory = GetControlFactory();
    ConstRCPtr<LControlDescriptor> descriptor =
        factory ? factory->FindControlDescriptor(GetMainControlName()) : ConstRCPtr<LControlDescriptor>();
    if (!descriptor)
        Throw<std::runtime_error>("Null Pointer : Invalid Control Name",
                                  "KX::LApplicationBase<class LApplication>::CreateMainWindow", kAppSource, 1234);
    OSWindowOptions options;
    options.title = GetCompanyName();
    if (const ConstRCPtr<LLayoutDescriptor>& layout = descriptor->GetLayout()) {
        options.x = static_cast<int32_t>(layout->Position(0).absolute);
        options.y = static_cast<int32_t>(layout->Position(1).absolute);
        options.width = std::max<int32_t>(1, static_cast<int32_t>(layout->Size(0).absolute));
        options.height = std::max<int32_t>(1, static_cast<int32_t>(layout->Size(1).absolute));
    }
    options.resizable = !IsFixedSize(*descriptor);
    OSWindow* window = OSWindow::Create(options);
    if (!window)
        return E_FAIL;
    m_mainWindow = window;
    SetAppIcon(*window);
    const KXRESULT made = window->CreateRenderer(rendererType);
    if (Failed(made)) {
        DestroyMainWindow();
        return E_FAIL;
    }
    RestoreMainWindowPlacement();
    return made;
}

void LApplication::SetAppIcon(OSWindow& window)
{
    std::span<const uint8_t> png;
    if (FindEmbeddedResource(WString(u"GDIPLUS"), WString(u"APP_ICON_PNG"), png))
        platform::sdl::SetWindowIconFromPng(window.GetPlatformWindow(), png.data(), png.size());
}

KXRESULT LApplication::CreateMainControl()
{
    const RCPtr<LControlFactory>& factory = GetControlFactory();
    if (!m_mainWindow || !factory)
        return E_FAIL;
    const RCPtr<LRootWindow> root = m_mainWindow->GetRootWindow();
    root->CreateMainControl(*factory, GetMainControlName());
    if (!root->GetMainControl())
        return E_FAIL;
    m_mainWindow->ApplySizeLimits();
    return S_OK;
}

void LApplication::ShowMainWindow()
{
    if (!m_mainWindow)
        return;
    m_mainWindow->Show(1);
    m_mainWindow->InvalidateAll();
}

int32_t LApplication::CreateRootWindow(const RCPtr<LControl>& control, bool independent, bool systemMenu,
                                       bool minimizeBox, bool maximizeBox)
{
    (void)systemMenu;
    (void)minimizeBox;
    (void)maximizeBox;
    if (!control)
        return -1;
    bool resizable = false;
    if (independent) {
        ConstRCPtr<LControlDescriptor> descriptor = control->GetDescriptor();
        if (!descriptor)
            Throw<std::runtime_error>("Null Pointer : Control descriptor is null",
                                      "KX::LApplicationBase<class LApplication>::CreateRootWindow", kAppSource, 943);
        resizable = !IsFixedSize(*descriptor);
    }
    control->PerformLayout();
    OSWindow* owner = nullptr;
    if (!independent) {
        const RCPtr<LRootWindow> active = FindActiveRootWindow();
        const RCPtr<LRootWindow> host =
            active ? active : (GetRootWindows().empty() ? RCPtr<LRootWindow>() : GetRootWindows().front());
        if (host && host->GetServices())
            owner = static_cast<OSWindow*>(host->GetServices()->GetWindowHandle());
    }
    const PointT<double> size = control->GetSize();
    RectT<int32_t> rect{static_cast<int32_t>(control->GetPosition().x), static_cast<int32_t>(control->GetPosition().y),
                        std::max<int32_t>(1, static_cast<int32_t>(std::lround(size.x))),
                        std::max<int32_t>(1, static_cast<int32_t>(std::lround(size.y)))};
    // A dialog opens over the middle of its owner, wherever that is; all stay on the usable area.
    if (owner) {
        const platform::sdl::Rect client = owner->GetPlatformWindow().ClientRectOnScreen();
        rect = CentreOnOwner(rect, RectT<int32_t>{client.x, client.y, client.width, client.height});
    }
    rect = KeepInWorkArea(rect, GetWorkArea());
    const size_t before = GetRootWindows().size();
    OSWindowOptions options;
    options.title = control->GetText();
    options.x = rect.x;
    options.y = rect.y;
    options.width = rect.width;
    options.height = rect.height;
    options.resizable = resizable;
    options.owner = owner;
    OSWindow* window = OSWindow::Create(options);
    if (!window)
        return -1;
    const int32_t type =
        owner && owner->GetRenderer() ? owner->GetRenderer()->GetRendererType() : GetDefaultRendererType();
    if (Failed(window->CreateRenderer(type)) || GetRootWindows().size() != before + 1) {
        window->Destroy();
        return -1;
    }
    control->SetRootWindow(nullptr);
    window->GetRootWindow()->AttachMainControl(control);
    if (RCPtr<LDialog> dialog = RCPtr<LDialog>::DynamicCast(control))
        dialog->FillRootWindow();
    window->ApplySizeLimits();
    SetAppIcon(*window);
    window->InvalidateAll();
    return static_cast<int32_t>(before);
}

int32_t LApplication::RunModalDialog(const RCPtr<LControl>& control, bool systemMenu)
{
    const int32_t index = CreateRootWindow(control, false, systemMenu, false, false);
    if (index < 0)
        return E_FAIL;
    const RCPtr<LRootWindow> root = GetRootWindowAt(static_cast<uint32_t>(index));
    if (!root || !root->GetServices())
        return E_FAIL;
    OSWindow* window = static_cast<OSWindow*>(root->GetServices()->GetWindowHandle());
    // The window deletes itself when its loop ends, except when the application quits: then it
    // goes now, before the main window.
    const int32_t result = window->RunModal();
    for (const RCPtr<LRootWindow>& left : GetRootWindows())
        if (left.Get() == root.Get()) {
            window->Destroy();
            break;
        }
    return result;
}

int32_t LApplication::RunModalDialog(const RCPtr<LDialog>& dialog)
{
    const int32_t result = RunModalDialog(RCPtr<LControl>(dialog), true);
    return result == E_FAIL ? -1 : result;
}

int32_t LApplication::OpenRootWindow(const RCPtr<LControl>& control, bool systemMenu, bool minimizeBox,
                                     bool maximizeBox)
{
    const int32_t index = CreateRootWindow(control, true, systemMenu, minimizeBox, maximizeBox);
    if (index >= 0) {
        const RCPtr<LRootWindow> root = GetRootWindowAt(static_cast<uint32_t>(index));
        if (root && root->GetServices())
            root->GetServices()->Show(1);
    }
    return index;
}

RCPtr<LControl> LApplication::CreateControl(const WString& name)
{
    return CreateSkinControl(name, RCPtr<LControl>());
}

void LApplication::UnregisterRootWindow(LRootWindow* root)
{
    for (const RCPtr<LRootWindow>& window : GetRootWindows())
        if (window.Get() == root) {
            RemoveRootWindow(RCPtr<LRootWindow>(window));
            return;
        }
}

KXRESULT LApplication::HandleNotification(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n)
{
    if (!n || LNotification::GetNotificationName(n->GetID()) != WString(NID_APP_EXIT_REQ))
        return LFrameworkApp::HandleNotification(from, n);
    if (!CanExit())
        return S_OK;
    // The field being typed in is committed before the exit, as before any other command; the
    // exit goes on whatever the field answers.
    if (!IsExitRequested() && !GetRootWindows().empty())
        if (const auto main = RCPtr<LMainControl>::DynamicCast(GetRootWindows().front()->GetMainControl());
            main && main->GetDeviceView())
            main->GetDeviceView()->CommitFocusedField();
    const KXRESULT result = LFrameworkApp::HandleNotification(from, n);
    // The loop ends (a modal loop first); the windows close after it, the main one last.
    m_events.Quit(0);
    return result;
}

void LApplication::RequestExit()
{
    RCPtr<LNotification> exit;
    LNotification::Create(exit, NID_APP_EXIT_REQ, nullptr);
    const RCPtr<LNotificationCenter> centre = GetNotificationQueue();
    if (!exit || !centre || !centre->GetQueue())
        return;
    // A modal loop run from inside the queue's delivery (a dialog a hot key opened) would keep a
    // posted request waiting until it ends: the request is answered at once instead.
    if (centre->GetQueue()->IsBusy()) {
        centre->SendNotification(exit);
        return;
    }
    centre->GetQueue()->PostNotification(exit);
    platform::sdl::EventLoop::Wake();
}

void LApplication::RunMessageLoop()
{
    m_events.Run();
}

bool LApplication::OnIdlePass(int passCount)
{
    if (!IsExitRequested()) {
        for (const std::function<void()>& work : m_idleWork)
            work();
        if (onIdle)
            onIdle();
    }
    return RunIdlePass(passCount);
}

void LApplication::OnCommandLine(const WString& text)
{
    if (m_mainWindow) {
        platform::sdl::BringToFront(m_mainWindow->GetPlatformWindow());
        // A modal dialog stays in front of the window it blocks: the newest one is raised last.
        IWindowOSServices* front = m_mainWindow;
        for (const RCPtr<LRootWindow>& window : GetRootWindows())
            if (IWindowOSServices* services = window->GetServices(); services && services->IsModal())
                front = services;
        if (front != m_mainWindow)
            front->Show(1);
        front->BringToTop();
        front->SetFocus();
    }
    if (onCommandLine)
        onCommandLine(text);
}

KXRESULT LApplication::Terminate()
{
    // Windows that are still open close before the main one, which saves its placement.
    const std::vector<RCPtr<LRootWindow>> windows = GetRootWindows();
    for (size_t i = windows.size(); i > 1; --i)
        if (IWindowOSServices* services = windows[i - 1]->GetServices())
            services->Close(0);
    DestroyMainWindow();
    RunApplicationShutdown();
    return S_OK;
}

void LApplication::DestroyMainWindow()
{
    if (!m_mainWindow)
        return;
    OSWindow* window = m_mainWindow;
    m_mainWindow = nullptr;
    if (const RCPtr<LRootWindow>& root = window->GetRootWindow())
        root->AttachMainControl(nullptr);
    window->Destroy();
}
