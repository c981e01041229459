#pragma once
// The framework application: the one object per process that owns the control factory, the string
// tables, the list of root windows, the default font, the global hot keys and the clipboard; runs
// the idle pass, answers the exit request, starts the framework and switches skins. It serves the
// control tree, the root windows and the system services through their seams. The platform parts
// (message loop, windows, fonts, settings, cursors) are left to the application shell. Main thread
// only; other threads reach it by posting to a notification queue.
#include "kx/AppServices.h"
#include "kx/Clipboard.h"
#include "kx/Font.h"
#include "kx/IniFileManager.h"
#include "kx/NotificationClient.h"
#include "kx/ui/ControlFactory.h"
#include "kx/ui/ControlHost.h"
#include "kx/ui/FactoryControlHost.h"
#include "kx/ui/FrameworkControlSeams.h"
#include "kx/ui/GlobalHotKeyManager.h"
#include "kx/ui/RootWindow.h"
#include "kx/ui/StringTable.h"

#include <cstdint>
#include <vector>

namespace KX {

// One framework control class: its skin name, its create function (null while the class does
// not exist yet; such names are not registered), the line a failed registration reports, and
// whether the application registers it with its own classes instead of the framework.
struct FrameworkControlClass {
    const char16_t* name;
    ControlCreateFunction create;
    int32_t line;
    bool applicationRow;
};
// The framework's control classes in registration order: the table handed over with
// SetFrameworkControlClasses, empty before.
const std::vector<FrameworkControlClass>& GetFrameworkControlClasses();
// Hands over the classes RunApplicationStartup registers (null: none); the table outlives every
// application.
void SetFrameworkControlClasses(const std::vector<FrameworkControlClass>* classes);

class LFrameworkApp : public LNotificationClient,
                      public FactoryBackedControlHost,
                      public IRootWindowHost,
                      public IAppServices {
public:
    // Becomes the current application and registers itself as the control, root-window and
    // application host. clipboard null: one over the system clipboard.
    LFrameworkApp(const RCPtr<LControlFactory>& factory, const ConstRCPtr<LStringTable>& frameworkStrings,
                  const NString& commandLine, const RCPtr<LClipboard>& clipboard = nullptr);
    ~LFrameworkApp() override;

    // The current application; null before construction and after destruction.
    static LFrameworkApp* GetCurrent() noexcept;

    // "NID_APP_EXIT_REQ": sets the exit flag and asks every root window but the main one, from the
    // last down to the second, to close (carried out by the next idle pass, or at exit).
    KXRESULT Receive(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n) override;
    virtual KXRESULT HandleNotification(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n);
    bool IsExitRequested() override { return m_exitRequested; }

    // The idle pass: every notification centre's queue from the last centre to the first, then
    // every root window's queue from the last to the first with its recorded close. True while
    // notifications remain.
    virtual bool ProcessNotificationQueue(bool idle);

    // Invalidates the main window, runs the message loop between two idle passes; a throw out of
    // the loop shows the start-up error and posts the exit request. Recorded closes are carried
    // out before it returns.
    int32_t Run();
    virtual void BeforeMessageLoop() {}

    // Start-up: the framework's classes, the global hot keys, the clipboard and the saved skin.
    // 0, or E_FAIL when a step threw (what was set up stays).
    virtual KXRESULT RunApplicationStartup();
    // Carries out recorded closes and releases the factory, the hot keys and the clipboard. 0.
    virtual KXRESULT RunApplicationShutdown();
    // The saved skin choice; 0 when none is saved.
    virtual int32_t GetCurrentSkinIndex();
    // Switches every root window to the skin. 0; E_INVALIDARG, nothing changed, for an index
    // outside the skin list. A failing system-font query throws.
    virtual KXRESULT SetSkin(int32_t index);

    // Root windows: compared by identity; index 0 is the main window.
    void AddRootWindow(const RCPtr<LRootWindow>& window);
    void RemoveRootWindow(const RCPtr<LRootWindow>& window);
    const std::vector<RCPtr<LRootWindow>>& GetRootWindows() const noexcept { return m_rootWindows; }
    // The last root window whose platform window is active, or null.
    RCPtr<LRootWindow> FindActiveRootWindow();
    // The main window's renderer, which measures text; null without a root window.
    RCPtr<LRenderer> GetMeasurementRenderer() const;
    // The application's status bar: none is ever registered, so always null (a bar inside a
    // window is not looked up).
    IStatusBarControl* GetStatusBar() const;
    // Shows text in the status bar now (immediate) or on a later idle pass; the bar's result, or
    // E_FAIL without a status bar (always, see GetStatusBar). ResetStatusText shows the bar's
    // idle text.
    KXRESULT SetStatusText(const WString& text, bool immediate);
    KXRESULT ResetStatusText(bool immediate);

    const RCPtr<LControlFactory>& GetControlFactory() const noexcept { return m_factory; }
    const ConstRCPtr<LStringTable>& GetFrameworkStringTable() const noexcept { return m_frameworkStrings; }
    const ConstRCPtr<LStringTable>& GetApplicationStringTable() const noexcept { return m_applicationStrings; }
    const ConstRCPtr<LFont>& GetDefaultFont() const noexcept { return m_defaultFont; }
    // The font SetSkin chose: what a control without a font of its parent starts from.
    ConstRCPtr<LFont> GetSkinDefaultFont() override { return m_defaultFont; }
    const RCPtr<LClipboard>& GetClipboard() const noexcept { return m_clipboard; }
    const NString& GetCommandLine() const noexcept { return m_commandLine; }

    // Left to the application shell.
    // The platform's default font; negative on failure. Style bits: bold 1, italic 2, underline 4,
    // strike-out 8.
    virtual KXRESULT GetSystemFont(WString& faceName, float& size, uint32_t& style) = 0;
    // Null when there is none.
    virtual IIniFileManager* GetIniFileManager() = 0;
    // Handle of an open settings file (kind 1: the user settings), 0 when none.
    virtual int32_t GetSettingsFile(int32_t kind) = 0;
    virtual int32_t LoadAppCursor(const WString& name) = 0;
    virtual int32_t ShowMessageBox(const WString& text, const WString& caption, uint32_t flags) = 0;
    // Runs the platform message loop until the application quits.
    virtual void RunMessageLoop() = 0;
    // The desktop work area (x, y, width, height).
    virtual RectT<int32_t> GetWorkArea() = 0;
    // A virtual key's or mouse button's state: held, and toggled (the lock keys). 0.
    virtual KXRESULT GetKeyState(int32_t virtualKey, bool& pressed, bool& toggled) = 0;
    // Whether a virtual key or mouse button is held.
    bool IsKeyPressed(int32_t virtualKey)
    {
        bool pressed = false, toggled = false;
        GetKeyState(virtualKey, pressed, toggled);
        return pressed;
    }
    // The pointer on the screen when no root window is active.
    virtual PointT<int32_t> GetScreenCursorPos() = 0;

    // IControlHost (string tables, sub-controls and skin controls from the factory).
    RectT<int32_t> GetScreenArea() override { return GetWorkArea(); }
    RCPtr<IRootWindow> GetActiveRootWindow() override;
    RCPtr<IRootWindow> GetFirstRootWindow() override;
    PointT<int32_t> GetCursorScreenPosition() override;
    RCPtr<LGlobalHotKeyManager> GetGlobalHotKeyManager() override { return m_hotKeys; }

    // IRootWindowHost.
    uint32_t GetRootWindowCount() override { return static_cast<uint32_t>(m_rootWindows.size()); }
    RCPtr<LRootWindow> GetRootWindowAt(uint32_t index) override;
    bool IsKeyDown(int32_t virtualKey) override { return IsKeyPressed(virtualKey); }
    uint32_t GetMouseButtons() override;
    int32_t GetApplicationCursor(const WString& name) override { return LoadAppCursor(name); }

    // IAppServices.
    bool ProcessNotificationQueues(bool firstPass) override { return ProcessNotificationQueue(firstPass); }
    RCPtr<IEditTarget> GetFocusedControl() override;
    WString LookupAppString(const WString& key) override;
    int32_t ShowAppMessageBox(const WString& text, const WString& caption, uint32_t flags) override
    {
        return ShowMessageBox(text, caption, flags);
    }

protected:
    // Null after shutdown.
    LControlFactory* GetHostFactory() const noexcept override { return m_factory.Get(); }

private:
    RCPtr<LControlFactory> m_factory;
    NString m_commandLine;
    std::vector<RCPtr<LRootWindow>> m_rootWindows;
    ConstRCPtr<LStringTable> m_frameworkStrings;
    ConstRCPtr<LStringTable> m_applicationStrings;
    bool m_exitRequested = false;
    ConstRCPtr<LFont> m_defaultFont;
    RCPtr<LGlobalHotKeyManager> m_hotKeys;
    RCPtr<LClipboard> m_clipboard;
};

} // namespace KX
