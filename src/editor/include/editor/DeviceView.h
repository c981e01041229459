#pragma once
// The picture of the keyboard ("PresetEditor.MainControl.DeviceView"): it finds its group, edit
// and bank panels, switches the four banks of faders, push buttons and encoders, shows the edit
// panel of the control clicked in the picture, answers the main menu's commands (keyboard dialogs,
// preset files, user guide, exit) and tells the menu which of them are available. It is also the
// device module of the user interface's parameter tree: its accessors hand out the group panels
// under the model's group interfaces (a panel of another class gives null). Main thread only.
#include "editor/StatusView.h"
#include "engine/ModuleInterfaces.h"

#include "kx/NotificationHandler.h"
#include "kx/StringT.h"
#include "kx/ui/Control.h"

#include <cstdint>
#include <vector>

namespace KX {
class LButton;
class LFileDialog;
class LPresetManager;
} // namespace KX

class LDeviceView : public KX::LControl, public IDevice {
public:
    // The kinds of ShowEditPanel.
    enum EditPanelKind : int32_t {
        kFaderPanel = 0,
        kEncoderPanel = 1,
        kPadPanel = 2,
        kXYPadPanel = 3,
        kWheelPanel = 4,
        kKeybedZonePanel = 5,
        kPushButtonPanel = 6,
        kPedalPanel = 7, // index 0 the volume pedal, 1 the sustain pedal
    };
    static constexpr int32_t kBankCount = 4;
    // The product title the preset file extension is made of.
    static constexpr const char16_t* kProductTitle = u"Lumo 25 Preset Editor";
    // Texts of the save-failure box when the string table has none.
    static constexpr const char16_t* kSaveFailedText = u"The preset file could not be saved.";
    static constexpr const char16_t* kSaveFailedCaption = u"Preset File Save";

    LDeviceView(const KX::RCPtr<KX::LControl>& parent, const KX::WString& name);

    // Finds the edit panels, group panels and the preset-name panel (a missing one throws the
    // runtime error "Cannot find child: <name>"), wires the bank buttons, shows bank 1, hides the
    // edit panels but the push button's, becomes the main menu's item-state source and makes the
    // status view, the preset manager and the file dialog. The base's result.
    KX::KXRESULT Initialize() override;
    // The menu commands at the window's source, the four with global hot keys also at the
    // process-wide queue; then the base's registrations.
    void RegisterNotificationHandlers() override;
    // The keyboard commands are enabled while the keyboard's ports open; other items keep their
    // state. Always 0.
    KX::KXRESULT GetMenuItemState(const KX::RCPtr<KX::LMenuDescriptor>& menu, uint32_t index, const KX::WString& name,
                                  KX::LMenuItemState& state) override;
    KX::KXRESULT Receive(const KX::RCPtr<KX::LNotificationDistributor>& from,
                         const KX::RCPtr<KX::LNotification>& n) override;
    KX::KXRESULT UnregisterForNotification(const KX::RCPtr<KX::LNotificationDistributor>& d,
                                           const char16_t* name) override;

    // Shows the edit panel of a kind and hides the others (see EditPanelKind); a kind outside
    // 0..7 hides them all; kind 7 with another index than 0 or 1 leaves the pedal panels as they
    // are. The panel shown takes the keyboard focus (its first field) unless it holds it already.
    // The preset-name panel is never touched. 0.
    int32_t ShowEditPanel(int32_t kind, int32_t index);
    // "NID_LEFT_CLICK" from a bank button: its bank shown, its button alone pressed. 1.
    KX::KXRESULT OnBankButtonClick(const KX::RCPtr<KX::LNotificationDistributor>& from,
                                   const KX::RCPtr<KX::LNotification>& n);
    // Makes the view the item-state source of the main menu beside it, when the parent is the main
    // control and has its "mainMenu" already; true when installed. The main control asks again once
    // all its children exist.
    bool InstallMenuItemUpdater();
    // The same object for the life of the view; null before Initialize.
    KX::RCPtr<LStatusView> GetStatusView() const { return m_statusView; }

    // IDevice: the group panels under the model's interfaces.
    using IDevice::GetEncoders;
    using IDevice::GetFaders;
    using IDevice::GetKeybedZones;
    using IDevice::GetPads;
    using IDevice::GetPedals;
    using IDevice::GetPresetName;
    using IDevice::GetPushButtons;
    using IDevice::GetTouchPadAxises;
    using IDevice::GetWheels;
    KX::RCPtr<IPresetName> GetPresetName() override;
    KX::RCPtr<IKeybedZones> GetKeybedZones() override;
    KX::RCPtr<IWheels> GetWheels() override;
    KX::RCPtr<IPedals> GetPedals() override;
    KX::RCPtr<IPads> GetPads() override;
    KX::RCPtr<IPushButtons> GetPushButtons() override;
    KX::RCPtr<IFaders> GetFaders() override;
    KX::RCPtr<IEncoders> GetEncoders() override;
    KX::RCPtr<ITouchPadAxises> GetTouchPadAxises() override;

    // Menu commands; each answers 1.
    KX::KXRESULT OnLoadPresetFromDevice(const KX::RCPtr<KX::LNotificationDistributor>& from,
                                        const KX::RCPtr<KX::LNotification>& n);
    KX::KXRESULT OnSendPresetToDevice(const KX::RCPtr<KX::LNotificationDistributor>& from,
                                      const KX::RCPtr<KX::LNotification>& n);
    KX::KXRESULT OnLoadPresetFromFile(const KX::RCPtr<KX::LNotificationDistributor>& from,
                                      const KX::RCPtr<KX::LNotification>& n);
    KX::KXRESULT OnSavePresetToFile(const KX::RCPtr<KX::LNotificationDistributor>& from,
                                    const KX::RCPtr<KX::LNotification>& n);
    // The hot-key road of the four commands above: nothing once an exit is requested or while a
    // modal window or file chooser is open, else the command is posted to the window's own queue.
    KX::KXRESULT OnHotKeyCommand(const KX::RCPtr<KX::LNotificationDistributor>& from,
                                 const KX::RCPtr<KX::LNotification>& n);
    KX::KXRESULT OnFileExit(const KX::RCPtr<KX::LNotificationDistributor>& from, const KX::RCPtr<KX::LNotification>& n);
    KX::KXRESULT OnHelpAbout(const KX::RCPtr<KX::LNotificationDistributor>& from,
                             const KX::RCPtr<KX::LNotification>& n);
    KX::KXRESULT OnOpenUserGuide(const KX::RCPtr<KX::LNotificationDistributor>& from,
                                 const KX::RCPtr<KX::LNotification>& n);
    KX::KXRESULT OnGlobalSettings(const KX::RCPtr<KX::LNotificationDistributor>& from,
                                  const KX::RCPtr<KX::LNotification>& n);

    // The way in of every menu and hot-key command: false, nothing done, once an exit is requested,
    // while a modal window or file chooser is open, or for a hot key pressed before the latest modal
    // run began. Otherwise the field that has the keyboard focus is committed first, as a click
    // elsewhere commits it; false when it refuses its text. (The exit request, whatever its road,
    // commits the field where it is answered.)
    bool BeginCommand(const KX::RCPtr<KX::LNotification>& n);
    // Commits the field that has the main window's keyboard focus, as its losing the focus would;
    // false when it refuses its text (it keeps the focus), true otherwise.
    bool CommitFocusedField();

    // Preset files.
    // The product title without its blanks: "Lumo25PresetEditor".
    static KX::WString GetPresetFileExtension();
    // "*." + the extension.
    static KX::WString GetPresetFilePattern();
    // "<description>|<pattern>|All Files (*.*)|*.*" from the string table; forOpen changes nothing.
    static KX::WString GetPresetFileFilter(bool forOpen);
    // The open dialog, the preset manager's load and the box for a refused file; the load result,
    // or the dialog's negative result when it was cancelled.
    int32_t LoadPresetFromFile();
    // The save dialog and the preset manager's save; a failed save shows an error box. The save
    // result, or the dialog's negative result when it was cancelled.
    int32_t SavePresetToFile();
    // The dialogs; path receives the chosen file when the result is not negative.
    int32_t ShowOpenDialog(KX::WString& path);
    int32_t ShowSaveDialog(KX::WString& path);
    const KX::RCPtr<KX::LFileDialog>& GetFileDialog() const noexcept { return m_fileDialog; }

protected:
    ~LDeviceView() override;

private:
    // The child of that name, or the runtime error with the line given.
    KX::RCPtr<KX::LControl> FindRequiredChild(const char16_t* name, int line);
    // Creates the skin dialog of that name and runs it modally; nothing when the skin lacks it.
    void RunSkinDialog(const char16_t* name);
    void ShowBank(int32_t bank);

    KX::RCPtr<KX::LNotificationHandler<LDeviceView>> m_handler;
    KX::RCPtr<LStatusView> m_statusView;
    KX::RCPtr<KX::LControl> m_padEditPanel;
    KX::RCPtr<KX::LControl> m_encoderEditPanel;
    KX::RCPtr<KX::LControl> m_faderEditPanel;
    KX::RCPtr<KX::LControl> m_volumePedalEditPanel;
    KX::RCPtr<KX::LControl> m_wheelEditPanel;
    KX::RCPtr<KX::LControl> m_xyPadEditPanel;
    KX::RCPtr<KX::LControl> m_sustainPedalEditPanel;
    KX::RCPtr<KX::LControl> m_keybedZoneEditPanel;
    KX::RCPtr<KX::LControl> m_pushButtonEditPanel;
    std::vector<KX::RCPtr<KX::LControl>> m_hiddenAtStart;
    KX::RCPtr<KX::LControl> m_pads;
    KX::RCPtr<KX::LControl> m_faders;
    KX::RCPtr<KX::LControl> m_encoders;
    KX::RCPtr<KX::LControl> m_wheels;
    KX::RCPtr<KX::LControl> m_pedals;
    KX::RCPtr<KX::LControl> m_keybedZones;
    KX::RCPtr<KX::LControl> m_pushButtons;
    KX::RCPtr<KX::LControl> m_xyPad;
    KX::RCPtr<KX::LButton> m_bankButtons[kBankCount];
    KX::RCPtr<KX::LControl> m_presetNamePanel;
    KX::RCPtr<KX::LPresetManager> m_presetManager;
    KX::RCPtr<KX::LFileDialog> m_fileDialog;
    // Where the command handlers were registered last (the window's source).
    KX::LNotificationDistributor* m_commandSource = nullptr;
};
