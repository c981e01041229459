#pragma once
// The editor's application object: the framework application with the editor's classes, the MIDI
// manager and the engine, the main window and further root windows (dialogs), folders, settings
// files, the window placement, the exit request and the platform operations every control reaches
// through it. One per process, main thread only; other threads reach it by posting to the queue.
#include "editor/AppPlatform.h"
#include "editor/EditorApp.h"

#include "engine/MidiManager.h"
#include "engine/RootModuleEngine.h"

#include "kx/IniFileManager.h"
#include "kx/RenderHost.h"
#include "kx/controls/Dialog.h"
#include "kx/ui/FrameworkApp.h"
#include "kx/ui/OSWindow.h"

#include "platform/sdl/EventLoop.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class LApplication : public KX::LFrameworkApp,
                     public KX::IOSWindowApp,
                     public KX::IRenderHost,
                     public KX::IModalDialogHost,
                     public IEditorApp {
public:
    struct Options {
        // Null: the system's.
        std::unique_ptr<IAppPlatform> platform;
        // The engine's options (tests give a device communication of their own).
        LRootModuleEngine::Options engine;
        // Null: the system clipboard.
        KX::RCPtr<KX::LClipboard> clipboard;
        // Null: KX::LIniFileManager loaded from the executable's folder.
        std::shared_ptr<KX::IIniFileManager> ini;
    };

    // Registers itself as the editor application, the OS windows' application, the render host and
    // the modal-dialog host.
    LApplication(const KX::RCPtr<KX::LControlFactory>& factory, const KX::ConstRCPtr<KX::LStringTable>& strings,
                 const KX::WString& commandLine, Options options);
    ~LApplication() override;

    // Framework start-up, the editor's classes, the MIDI manager and the engine. 0, or E_FAIL when
    // the framework start-up failed.
    KX::KXRESULT Initialize();
    // The main window for the skin's "mainControl" with the renderer type, its placement restored.
    // Throws a runtime error when the skin has no "mainControl"; E_FAIL when no window can be made.
    KX::KXRESULT CreateMainWindow(int32_t rendererType);
    // A root window of its own for control (a dialog when not independent: owned by the active
    // window and centred on it), kept inside the work area. The index of the new root window, or -1.
    int32_t CreateRootWindow(const KX::RCPtr<KX::LControl>& control, bool independent, bool systemMenu,
                             bool minimizeBox, bool maximizeBox);
    // Gives a window of the program the application's icon.
    static void SetAppIcon(KX::OSWindow& window);
    // The main window's main control from the skin name "mainControl". E_FAIL when it is missing.
    KX::KXRESULT CreateMainControl();
    // Shows the main window.
    void ShowMainWindow();
    // The framework shut-down. 0.
    KX::KXRESULT Terminate();

    KX::OSWindow* GetMainWindow() const noexcept { return m_mainWindow; }
    platform::sdl::EventLoop& GetEvents() noexcept { return m_events; }
    IAppPlatform& GetPlatform() noexcept { return *m_platform; }
    const KX::WString& GetWideCommandLine() const noexcept { return m_commandLineWide; }
    // Called after each handed-over command line (tests).
    std::function<void(const KX::WString&)> onCommandLine;
    // Called at each idle pass before the queues (tests drive the program from here).
    std::function<void()> onIdle;
    // Work done at each idle pass before the queues (the single-instance poll).
    void AddIdleWork(std::function<void()> work) { m_idleWork.push_back(std::move(work)); }

    static KX::WString GetMainControlName() { return KX::WString(u"mainControl"); }
    static int32_t GetDefaultRendererType();
    bool CanExit() { return true; }

    // Exit request: closes every root window but the main one, then the main window (saving its
    // placement), and ends the message loop.
    KX::KXRESULT HandleNotification(const KX::RCPtr<KX::LNotificationDistributor>& from,
                                    const KX::RCPtr<KX::LNotification>& n) override;

    // LFrameworkApp's platform operations.
    KX::KXRESULT GetSystemFont(KX::WString& faceName, float& size, uint32_t& style) override;
    KX::IIniFileManager* GetIniFileManager() override;
    int32_t GetSettingsFile(int32_t kind) override;
    int32_t LoadAppCursor(const KX::WString& name) override;
    int32_t ShowMessageBox(const KX::WString& text, const KX::WString& caption, uint32_t flags) override;
    void RunMessageLoop() override;
    KX::RectT<int32_t> GetWorkArea() override;
    KX::KXRESULT GetKeyState(int32_t virtualKey, bool& pressed, bool& toggled) override;
    // Shows or hides the pointer, counted as the desktop counts it: shown while the count is 0 or
    // more. The new count.
    int32_t ShowCursor(bool show);
    // Moves the pointer to a point of the desktop. 0, or E_FAIL when it cannot be moved.
    KX::KXRESULT SetCursorPos(int32_t x, int32_t y);
    // The first root window's rendering context; null without one.
    KX::RCPtr<KX::LRenderContextInfo> GetMainRenderContext();
    // The language the string tables were loaded for.
    uint32_t GetLanguageId() const noexcept { return m_languageId; }
    void SetLanguageId(uint32_t languageId) noexcept { m_languageId = languageId; }
    KX::PointT<int32_t> GetScreenCursorPos() override;
    bool IsExitRequested() override { return KX::LFrameworkApp::IsExitRequested(); }
    KX::WString LookupAppString(const KX::WString& key) override { return KX::LFrameworkApp::LookupAppString(key); }
    int32_t ShowAppMessageBox(const KX::WString& text, const KX::WString& caption, uint32_t flags) override
    {
        return ShowMessageBox(text, caption, flags);
    }

    // Clocks: seconds since construction (a wrap of the millisecond count is absorbed), and the
    // millisecond count.
    double GetTime() override;
    uint32_t GetTickTime() override;
    // The calendar time in UTC: year, month, day of week, day, hour, minute, second, milliseconds.
    KX::KXRESULT GetSystemTime(int32_t fields[8]);

    // IOSWindowApp.
    KX::WString GetTitle() override;
    bool GetProfileBinary(const KX::WString& section, const KX::WString& entry, std::vector<uint8_t>& out) override;
    bool WriteProfileBinary(const KX::WString& section, const KX::WString& entry, const uint8_t* data,
                            uint32_t size) override;
    void RegisterRootWindow(const KX::RCPtr<KX::LRootWindow>& root) override { AddRootWindow(root); }
    void UnregisterRootWindow(KX::LRootWindow* root) override;
    platform::sdl::EventLoop* GetEventLoop() override { return &m_events; }
    // Brings the program to the front; the line itself is not kept.
    void OnCommandLine(const KX::WString& text) override;

    // IRenderHost.
    KX::ConstRCPtr<KX::LMeasurementRenderer> GetMeasurementRenderer() override;
    KX::KXRESULT GetDefaultFont(KX::WString& faceName, float& size, int32_t& style) override;

    // IModalDialogHost.
    int32_t RunModalDialog(const KX::RCPtr<KX::LDialog>& dialog) override;

    // IEditorApp.
    KX::RCPtr<KX::LMidiManager> GetMidiManager() override { return m_midiManager; }
    KX::RCPtr<LRootModuleEngine> GetRootModuleEngine() override { return m_engine; }
    KX::RCPtr<KX::LControl> CreateControl(const KX::WString& name) override;
    int32_t RunModalDialog(const KX::RCPtr<KX::LControl>& control, bool systemMenu) override;
    int32_t OpenRootWindow(const KX::RCPtr<KX::LControl>& control, bool systemMenu, bool minimizeBox,
                           bool maximizeBox) override;
    void RequestExit() override;
    KX::WString GetFolder(int32_t pathId) override;
    KX::WString GetCompanyName() override;
    KX::WString GetProductName() override;
    KX::WString GetProductVersion() override;
    KX::WString GetVersionFolderName() override { return KX::WString(u"1_0_0"); }
    bool OpenDocument(const KX::WString& path) override;

    // Applies the saved "WP" to the main window, then keeps it on the desktop. false without a
    // saved placement (the window is still kept on the desktop).
    bool RestoreMainWindowPlacement();

    // The profile file of the placement: "<path id 3>/profile.ini"; empty without that folder.
    std::string GetProfilePath();

private:
    bool OnIdlePass(int passCount);
    void DestroyMainWindow();
    // The window a box belongs to: the active root window's, else the first one's; null without.
    KX::OSWindow* MessageBoxOwner();
    // The box as a modal dialog of the skin, placed as every dialog is; false when the skin cannot
    // make it (the answer is then not set).
    bool RunOwnMessageBox(const KX::WString& text, const KX::WString& caption, uint32_t flags, int32_t& answer);

    std::unique_ptr<IAppPlatform> m_platform;
    LRootModuleEngine::Options m_engineOptions;
    platform::sdl::EventLoop m_events;
    KX::WString m_commandLineWide;
    KX::OSWindow* m_mainWindow = nullptr;
    uint32_t m_lastTick = 0;
    double m_elapsed = 0.0;
    KX::RCPtr<KX::LIniFileManager> m_systemIni;
    std::shared_ptr<KX::IIniFileManager> m_ini;
    KX::RCPtr<LRootModuleEngine> m_engine;
    int32_t m_appSettings = 0;
    int32_t m_userSettings = 0;
    KX::RCPtr<KX::LMidiManager> m_midiManager;
    std::vector<std::function<void()>> m_idleWork;
    bool m_initialized = false;
    int32_t m_cursorCount = 0;
    uint32_t m_languageId = 0x0409;
};

// The application object's placement of the main window: the window rectangle (left, top, right,
// bottom) kept on a desktop of the given size, as a user's sizing would leave it: cut to the
// desktop's size, then given back the fixed size of a window that has one (0: none), then moved
// onto the desktop.
struct PlacementRect {
    int32_t left, top, right, bottom;
};
PlacementRect ClampToDesktop(PlacementRect window, int32_t desktopWidth, int32_t desktopHeight, int32_t fixedWidth = 0,
                             int32_t fixedHeight = 0);

// A further window's rectangle (x, y, width, height) moved so that its right and bottom edges and
// then its top-left corner lie in the work area: one larger than the area sticks out right and below.
KX::RectT<int32_t> KeepInWorkArea(KX::RectT<int32_t> window, KX::RectT<int32_t> area);
// A dialog window's rectangle moved so that its centre is the owner's (odd halves rounded towards
// the top-left); its size is kept.
KX::RectT<int32_t> CentreOnOwner(KX::RectT<int32_t> window, KX::RectT<int32_t> owner);

namespace KX {
class LControlDescriptor;
}
// Whether the control's window has a fixed size: a minimum equal to the maximum on both axes, or
// every limit taken from a control.
bool IsFixedSize(const KX::LControlDescriptor& descriptor);
