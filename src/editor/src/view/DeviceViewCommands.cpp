// The device view's menu commands, the menu's item states and the preset file dialogs.
#include "editor/DeviceView.h"

#include "editor/EditorApp.h"

#include "engine/MidiManager.h"
#include "engine/PresetManager.h"
#include "engine/RootModuleEngine.h"

#include "kx/AppServices.h"
#include "kx/Notification.h"
#include "kx/NotificationCenter.h"
#include "kx/NotificationId.h"
#include "kx/PathUtils.h"
#include "kx/controls/Dialog.h"
#include "kx/controls/FileDialog.h"
#include "kx/ui/MenuDescriptor.h"
#include "kx/ui/OSWindow.h"
#include "kx/ui/RootWindow.h"

using namespace KX;

namespace {

constexpr uint32_t kBoxError = 0x10; // error icon, OK button
constexpr uint32_t kBoxYesNoWarning = 0x34;
constexpr int32_t kAnswerYes = 6;

constexpr const char16_t* kLoadFromDevice = NID_MENU_FILE_LOAD_PRESET_FROM_DEVICE;
constexpr const char16_t* kSendToDevice = NID_MENU_FILE_SEND_PRESET_TO_DEVICE;
constexpr const char16_t* kLoadFromFile = NID_MENU_FILE_LOAD_PRESET_FROM_FILE;
constexpr const char16_t* kSaveToFile = NID_MENU_FILE_SAVE_PRESET_TO_FILE;
constexpr const char16_t* kFileExit = NID_MENU_FILE_EXIT_REQ;
constexpr const char16_t* kHelpAbout = NID_MENU_HELP_ABOUT_REQ;
constexpr const char16_t* kUserGuide = NID_MENU_HELP_OPEN_USER_GUIDE_REQ;
constexpr const char16_t* kGlobalSettings = NID_MENU_FILE_GLOBALSETTINGS_REQ;

WString AppText(const char16_t* key)
{
    return LookupAppString(WString(key));
}

WString AppTextOr(const char16_t* key, const char16_t* fallback)
{
    WString text = AppText(key);
    return text.IsEmpty() ? WString(fallback) : text;
}

// The notification source of the window that holds control: the root window of the topmost
// control, else the topmost control itself.
RCPtr<LNotificationDistributor> WindowSource(LControl& control)
{
    const RCPtr<LControl> top = control.GetTopLevelControl();
    if (auto* window = dynamic_cast<LRootWindow*>(top->GetTopLevelOwnerSlot().Get()))
        return RCPtr<LNotificationDistributor>(window);
    return RCPtr<LNotificationDistributor>(top.Get());
}

// What a hot key's command carries to the window's queue: the modal runs begun when it was pressed.
class HotKeyStamp : public virtual LRefCountedObject {
public:
    explicit HotKeyStamp(uint64_t runs) : modalRuns(runs) {}
    const uint64_t modalRuns;

protected:
    ~HotKeyStamp() override = default;
};

// Whether a window runs modally or a file chooser is open: the main window takes no input then.
bool ModalWindowOpen()
{
    if (IsModalWaitActive())
        return true;
    IRootWindowHost* host = GetRootWindowHost();
    for (uint32_t i = 0; host && i < host->GetRootWindowCount(); ++i)
        if (const RCPtr<LRootWindow> window = host->GetRootWindowAt(i))
            if (IWindowOSServices* services = window->GetServices(); services && services->IsModal())
                return true;
    return false;
}

} // namespace

void LDeviceView::RegisterNotificationHandlers()
{
    const RCPtr<LNotificationDistributor> source = WindowSource(*this);
    if (m_handler && source && source.Get() != m_commandSource) {
        m_commandSource = source.Get();
        const auto bind = [this](auto function, const RCPtr<LNotificationDistributor>& from, const char16_t* id) {
            TraceFailedResult(m_handler->AddDistributorHandler(function, from, id, 0),
                              "LDeviceView::RegisterNotificationHandlers");
        };
        bind(&LDeviceView::OnLoadPresetFromDevice, source, kLoadFromDevice);
        bind(&LDeviceView::OnSendPresetToDevice, source, kSendToDevice);
        bind(&LDeviceView::OnLoadPresetFromFile, source, kLoadFromFile);
        bind(&LDeviceView::OnSavePresetToFile, source, kSaveToFile);
        bind(&LDeviceView::OnFileExit, source, kFileExit);
        bind(&LDeviceView::OnHelpAbout, source, kHelpAbout);
        bind(&LDeviceView::OnOpenUserGuide, source, kUserGuide);
        bind(&LDeviceView::OnGlobalSettings, source, kGlobalSettings);

        // The commands with global hot keys also arrive through the process-wide queue.
        const RCPtr<LNotificationDistributor> queue(GetNotificationQueue().Get());
        if (queue && queue != source)
            for (const char16_t* id : {kLoadFromFile, kSendToDevice, kSaveToFile, kLoadFromDevice})
                bind(&LDeviceView::OnHotKeyCommand, queue, id);
    }
    LControl::RegisterNotificationHandlers();
}

KXRESULT LDeviceView::OnHotKeyCommand(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>& n)
{
    // The window's menu is out of reach while a modal window is open, and so are its hot keys.
    IAppServices* services = GetAppServices();
    if (!n || ModalWindowOpen() || (services && services->IsExitRequested()))
        return 1;
    RCPtr<LNotification> command;
    LNotification::Create(command, n->GetID(),
                          ConstRCPtr<LRefCountedObject>(RCPtr<HotKeyStamp>(new HotKeyStamp(GetModalRunCount()))));
    if (!command)
        return 1;
    // Carried out from the window's own queue, as a menu command is: a dialog opened here would
    // hold back everything posted to the process-wide queue until it closes.
    const RCPtr<LNotificationDistributor> source = WindowSource(*this);
    if (auto* window = dynamic_cast<LRootWindow*>(source.Get()))
        window->PostNotification(command);
    else if (source)
        source->SendNotification(command);
    return 1;
}

bool LDeviceView::BeginCommand(const RCPtr<LNotification>& n)
{
    IAppServices* services = GetAppServices();
    if ((services && services->IsExitRequested()) || ModalWindowOpen())
        return false;
    // A hot key pressed before a modal window or chooser opened waited behind it: it is dropped.
    if (const auto* stamp = n ? dynamic_cast<const HotKeyStamp*>(n->GetPayload().Get()) : nullptr;
        stamp && stamp->modalRuns != GetModalRunCount())
        return false;
    return CommitFocusedField();
}

bool LDeviceView::CommitFocusedField()
{
    const RCPtr<LNotificationDistributor> source = WindowSource(*this);
    auto* window = dynamic_cast<LRootWindow*>(source.Get());
    const RCPtr<LControl> focused = window ? window->GetFocusControl() : RCPtr<LControl>();
    return !focused || focused->CanLoseFocus();
}

KXRESULT LDeviceView::GetMenuItemState(const RCPtr<LMenuDescriptor>&, uint32_t, const WString& name,
                                       LMenuItemState& state)
{
    if (name == WString(kSendToDevice) || name == WString(kLoadFromDevice) || name == WString(kGlobalSettings)) {
        IEditorApp* app = GetEditorApp();
        const RCPtr<LMidiManager> midi = app ? app->GetMidiManager() : RCPtr<LMidiManager>();
        state.enabled = midi && midi->OpenPorts() ? 1 : 0;
    }
    return 0;
}

void LDeviceView::RunSkinDialog(const char16_t* name)
{
    IEditorApp* app = GetEditorApp();
    if (!app)
        return;
    const RCPtr<LControl> control = app->CreateControl(WString(name));
    const RCPtr<LDialog> dialog(dynamic_cast<LDialog*>(control.Get()));
    if (dialog)
        app->RunModalDialog(RCPtr<LControl>(dialog), true);
}

KXRESULT LDeviceView::OnLoadPresetFromDevice(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>& n)
{
    if (!BeginCommand(n))
        return 1;
    RunSkinDialog(u"dialogRetrievePresetFromHardware");
    return 1;
}

KXRESULT LDeviceView::OnSendPresetToDevice(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>& n)
{
    if (!BeginCommand(n))
        return 1;
    RunSkinDialog(u"dialogSendPreset");
    return 1;
}

KXRESULT LDeviceView::OnHelpAbout(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>& n)
{
    if (!BeginCommand(n))
        return 1;
    RunSkinDialog(u"dialogAbout");
    return 1;
}

KXRESULT LDeviceView::OnGlobalSettings(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>& n)
{
    if (!BeginCommand(n))
        return 1;
    RunSkinDialog(u"globalEditorControl");
    return 1;
}

KXRESULT LDeviceView::OnLoadPresetFromFile(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>& n)
{
    if (!BeginCommand(n))
        return 1;
    LoadPresetFromFile();
    return 1;
}

KXRESULT LDeviceView::OnSavePresetToFile(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>& n)
{
    if (!BeginCommand(n))
        return 1;
    SavePresetToFile();
    return 1;
}

KXRESULT LDeviceView::OnFileExit(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>&)
{
    // Every road to the exit commits the focused field where the request is answered; a dialog
    // still open is closed by it.
    const RCPtr<LNotificationCenter> centre = GetNotificationQueue();
    RCPtr<LNotification> exit;
    LNotification::Create(exit, NID_APP_EXIT_REQ, nullptr);
    if (centre && centre->GetQueue() && exit)
        centre->GetQueue()->PostNotification(exit);
    return 1;
}

KXRESULT LDeviceView::OnOpenUserGuide(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>& n)
{
    if (!BeginCommand(n))
        return 1;
    IEditorApp* app = GetEditorApp();
    if (!app)
        return 1;
    WString path = app->GetFolder(kFolderExecutable);
    if (!path.IsEmpty() && path.GetString()[path.GetLength() - 1] != u'/')
        path += WString(u"/");
    path += AppText(u"USER_GUIDE_FILE_NAME");
    if (!app->OpenDocument(path))
        ShowAppMessageBox(AppText(u"LABEL_OPEN_USERGUIDE_FILE_FAILED_MSGBOX_TEXT"),
                          AppText(u"LABEL_OPEN_USERGUIDE_FILE_FAILED_MSGBOX_CAPTION"), kBoxError);
    return 1;
}

WString LDeviceView::GetPresetFileExtension()
{
    WString extension;
    for (const char16_t* p = kProductTitle; *p; ++p)
        if (*p != u' ')
            extension.AppendChar(*p);
    return extension;
}

WString LDeviceView::GetPresetFilePattern()
{
    return WString(u"*.") + GetPresetFileExtension();
}

WString LDeviceView::GetPresetFileFilter(bool)
{
    const WString extension = GetPresetFileExtension();
    return AppText(u"CONTROL_PANEL_SETTINGS_FILTER_SEGMENT_1") + extension + WString(u")|*.") + extension +
           AppText(u"CONTROL_PANEL_SETTINGS_FILTER_SEGMENT_2");
}

int32_t LDeviceView::ShowOpenDialog(WString& path)
{
    if (!m_fileDialog)
        return E_FAIL;
    const int32_t result = m_fileDialog->ShowOpenDialog(GetPresetFileFilter(true), GetPresetFilePattern(),
                                                        AppText(u"LOAD_PRESET_DIALOG_TITLE"), false);
    if (result >= 0)
        path = m_fileDialog->GetFileName();
    return result;
}

int32_t LDeviceView::ShowSaveDialog(WString& path)
{
    if (!m_fileDialog)
        return E_FAIL;
    // The pattern stands for the default extension: a name typed without one gets it.
    const WString title = AppText(u"SAVE_PRESET_DIALOG_TITLE");
    const int32_t result = m_fileDialog->ShowSaveDialog(GetPresetFileFilter(false), GetPresetFilePattern(), title);
    if (result < 0)
        return result;
    path = m_fileDialog->GetFileName();
    // A name with a dot of its own ("Lead v1.2") still gets the extension, or Load's filter hides
    // the file; the dialog confirmed only the name typed, so a file of the longer name is asked about.
    const WString suffix = WString(u".") + GetPresetFileExtension();
    const unsigned length = path.GetLength();
    const bool extended = length < suffix.GetLength() ||
                          path.Mid(static_cast<int>(length - suffix.GetLength())).ToLower() != suffix.ToLower();
    const WString typed = path.Mid(path.ReverseFindChar('/') + 1);
    // Only dots before the extension would make a hidden file of the extension alone.
    const unsigned stem = typed.GetLength() - (extended ? 0 : suffix.GetLength());
    bool onlyDots = true;
    for (unsigned i = 0; i < stem && onlyDots; ++i)
        onlyDots = typed.GetString()[i] == u'.';
    if (onlyDots) {
        ShowAppMessageBox(WString(u"\"") + typed +
                              WString(u"\" cannot be the name of a preset file.\nA name needs more than dots."),
                          title, kBoxError);
        return E_FAIL;
    }
    if (extended)
        path += suffix;
    // A name longer than its folder allows is refused before anything is written.
    if (const NameLength length = GetNameLength(path); length.limit != 0 && length.bytes > length.limit) {
        const WString format = AppText(u"SETTINGS_FILE_SAVE_NAME_TOO_LONG_MESSAGE");
        ShowAppMessageBox(
            WString::Format(format.GetString(), static_cast<int>(length.bytes), static_cast<int>(length.limit)), title,
            kBoxError);
        return E_FAIL;
    }
    const WString name = path.Mid(path.ReverseFindChar('/') + 1);
    // A folder is never replaced.
    if (FolderExists(path)) {
        ShowAppMessageBox(name + WString(u" is a folder.\nChoose another name for the preset file."), title, kBoxError);
        return E_FAIL;
    }
    if (extended && FileExists(path)) {
        const WString question = name + WString(u" already exists.\nDo you want to replace it?");
        if (ShowAppMessageBox(question, title, kBoxYesNoWarning) != kAnswerYes)
            return E_FAIL;
    }
    return result;
}

int32_t LDeviceView::LoadPresetFromFile()
{
    WString path;
    const int32_t chosen = ShowOpenDialog(path);
    if (chosen < 0 || !m_presetManager)
        return chosen;
    const int32_t result = m_presetManager->Load(path);
    switch (result) {
    case LPresetManager::kLoadOlder: m_presetManager->ShowLoadOlderMessage(); break;
    case LPresetManager::kLoadNewer: m_presetManager->ShowLoadNewerMessage(); break;
    case LPresetManager::kLoadCorrupt: m_presetManager->ShowLoadCorruptMessage(); break;
    case LPresetManager::kLoadWrongDevice: m_presetManager->ShowLoadWrongDeviceMessage(); break;
    case LPresetManager::kLoadTranslationFailure: m_presetManager->ShowTranslationFailureMessage(); break;
    case LPresetManager::kLoadUnreadable: m_presetManager->ShowLoadUnreadableMessage(); break;
    case LPresetManager::kLoadNothingApplied:
        // Nothing was taken: without a keyboard the engine takes no value; with one, none of the
        // file's values fit it.
        if (::IsRootModuleEngineConnected())
            m_presetManager->ShowLoadNothingTakenMessage();
        else
            m_presetManager->ShowLoadNotConnectedMessage();
        break;
    case LPresetManager::kLoadPartlyApplied:
        // Some values were not taken: refused by the keyboard's model, or the keyboard went away.
        m_presetManager->ShowLoadPartlyAppliedMessage(::IsRootModuleEngineConnected());
        break;
    default: break;
    }
    return result;
}

int32_t LDeviceView::SavePresetToFile()
{
    WString path;
    const int32_t chosen = ShowSaveDialog(path);
    if (chosen < 0)
        return chosen;
    const int32_t result = m_presetManager ? m_presetManager->Save(path) : E_FAIL;
    if (result < 0)
        ShowAppMessageBox(AppTextOr(u"SETTINGS_FILE_SAVE_FAILED_MESSAGE", kSaveFailedText),
                          AppTextOr(u"SETTINGS_FILE_SAVE_CAPTION", kSaveFailedCaption), kBoxError);
    return result;
}
