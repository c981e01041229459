#pragma once
// What the editor's dialogs, views and panels ask of the application object: the MIDI manager and
// the engine, modal and further root windows, strings, message boxes, folders, settings files,
// version strings, clocks and the exit request. The application registers itself at start-up;
// tests register a fake. Main thread only.
#include "kx/IniFileManager.h"
#include "kx/KXResult.h"
#include "kx/RefCountedObject.h"
#include "kx/StringT.h"

#include <cstdint>

namespace KX {
class LControl;
class LMidiManager;
class LFrameworkApp;
} // namespace KX
class LRootModuleEngine;

// Path ids of GetFolder.
inline constexpr int32_t kFolderExecutable = 0;
inline constexpr int32_t kFolderResources = 1; // "::", the embedded resources
inline constexpr int32_t kFolderAppData = 2;
inline constexpr int32_t kFolderUserData = 3;
inline constexpr int32_t kFolderDocuments = 4; // 5 and 6 map to it

// Settings-file kinds of GetSettingsFile.
inline constexpr int32_t kAppSettingsFile = 0;  // "AppSettings.ini"
inline constexpr int32_t kUserSettingsFile = 1; // "UserSettings.ini"

class IEditorApp {
public:
    virtual ~IEditorApp() = default;

    // The keyboard.
    // A new reference to the MIDI manager; null before start-up finished.
    virtual KX::RCPtr<KX::LMidiManager> GetMidiManager() = 0;
    virtual KX::RCPtr<LRootModuleEngine> GetRootModuleEngine() = 0;

    // Windows.
    // A control made from the skin by class or control name; null when the skin lacks it.
    virtual KX::RCPtr<KX::LControl> CreateControl(const KX::WString& name) = 0;
    // Shows an existing control (a dialog) modally in a root window of its own owned by the active
    // one; returns when it closes with the dialog's result, E_FAIL when no window can be made.
    virtual int32_t RunModalDialog(const KX::RCPtr<KX::LControl>& control, bool systemMenu) = 0;
    // The same without waiting: the index of the new root window, negative on failure.
    virtual int32_t OpenRootWindow(const KX::RCPtr<KX::LControl>& control, bool systemMenu, bool minimizeBox,
                                   bool maximizeBox) = 0;
    // Posts "NID_APP_EXIT_REQ" to the process-wide queue; sends it at once while that queue is
    // being delivered further up the stack (a modal loop inside a delivery).
    virtual void RequestExit() = 0;
    virtual bool IsExitRequested() = 0;

    // Texts and boxes.
    // The application string table's text; empty when missing.
    virtual KX::WString LookupAppString(const KX::WString& key) = 0;
    // Message-box style bits as the framework defines them; returns the button chosen.
    virtual int32_t ShowAppMessageBox(const KX::WString& text, const KX::WString& caption, uint32_t flags) = 0;

    // Places and identity.
    // The folder of a path id (see above); empty when it cannot be made. Throws for an unknown id.
    virtual KX::WString GetFolder(int32_t pathId) = 0;
    // The open settings file of a kind; 0 for another kind or when it cannot be opened.
    virtual int32_t GetSettingsFile(int32_t kind) = 0;
    virtual KX::IIniFileManager* GetIniFileManager() = 0;
    virtual KX::WString GetCompanyName() = 0;
    virtual KX::WString GetProductName() = 0;
    virtual KX::WString GetProductVersion() = 0;
    // "1_0_0", the section the settings files are opened with.
    virtual KX::WString GetVersionFolderName() = 0;
    // Opens a file with the desktop's program for it (the user guide); false when it cannot start.
    virtual bool OpenDocument(const KX::WString& path) = 0;

    // Clocks.
    // Seconds since the application object was made.
    virtual double GetTime() = 0;
    // Milliseconds; compare as unsigned differences.
    virtual uint32_t GetTickTime() = 0;
};

// The registered application, or null. Registration is not owning; unregister with null.
void SetEditorApp(IEditorApp* app) noexcept;
IEditorApp* GetEditorApp() noexcept;
