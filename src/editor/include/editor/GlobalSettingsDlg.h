#pragma once
// The global settings dialog: thirteen controls for the keyboard's global settings, read from the
// keyboard by "Get Settings" and written by "Send Settings", one exchange per setting through the
// application's MIDI manager.
//
// Threads: main thread only. The MIDI manager announces the keyboard's values on the thread that
// asked for them (the main thread), and the dialog stops listening there when it closes: a
// distributor's registrations must not change while another thread sends at it, so the manager
// may not be told to announce elsewhere. A value announced on another thread is dropped with a
// trace line and never written into a control. Values that arrive after the dialog closed are
// dropped.
#include "kx/NotificationHandler.h"
#include "kx/controls/Dialog.h"

#include <atomic>
#include <cstdint>
#include <thread>

namespace KX {
class LButton;
class LComboBox;
class LMidiManager;
class LNumericUpDown;
} // namespace KX

namespace editor {

class LGlobalSettingsDlg : public KX::LDialog {
public:
    LGlobalSettingsDlg(const KX::RCPtr<KX::LControl>& parent, const KX::WString& name);

    // Finds the thirteen controls, the two buttons and the MIDI manager (the missing-child or
    // missing-manager errors otherwise), sets the ranges and zeroes octaves and transposes.
    KX::KXRESULT Initialize() override;
    KX::KXRESULT Receive(const KX::RCPtr<KX::LNotificationDistributor>& from,
                         const KX::RCPtr<KX::LNotification>& n) override;
    KX::KXRESULT UnregisterForNotification(const KX::RCPtr<KX::LNotificationDistributor>& d,
                                           const char16_t* name) override;
    // Stops listening to the manager; later values are dropped.
    void OnClosed() override;

    // "NID_MIDIMANAGER_PARAMETER_RECIEVED" of the manager: the value goes into its control;
    // dropped on any thread but the main thread. 1.
    virtual KX::KXRESULT OnParameterReceived(const KX::RCPtr<KX::LNotificationDistributor>& from,
                                             const KX::RCPtr<KX::LNotification>& n);
    // "Send Settings": refuses when a list shows no item; otherwise writes every setting, stopping
    // at the first failure with the MIDI-error box. 1.
    virtual KX::KXRESULT OnSendSettingsClick(const KX::RCPtr<KX::LNotificationDistributor>& from,
                                             const KX::RCPtr<KX::LNotification>& n);
    // "Get Settings": requests every setting, stopping at the first failure with the MIDI-error
    // box. 1.
    virtual KX::KXRESULT OnGetSettingsClick(const KX::RCPtr<KX::LNotificationDistributor>& from,
                                            const KX::RCPtr<KX::LNotification>& n);
    // Keeps the key octave within -4..5. 1.
    virtual KX::KXRESULT OnKeyOctaveChange(const KX::RCPtr<KX::LNotificationDistributor>& from,
                                           const KX::RCPtr<KX::LNotification>& n);

    // The value a setting goes out with (the shown value plus its offset, a list's index; the
    // channel's index plus 1); 0 for a name the dialog does not hold.
    int32_t GetWireValue(const KX::WString& name) const;
    bool IsClosed() const noexcept { return m_closed.load(); }

    // The controls, in the order of the settings.
    enum Setting : int32_t {
        kMidiChannel,
        kMackieHui,
        kKeyOctave,
        kKeyTranspose,
        kKeySensitivity,
        kPadOctave,
        kPadTranspose,
        kPadSensitivity,
        kControlCurve,
        kXyPadSensitivity,
        kProgram,
        kBankMsb,
        kBankLsb,
        kSettingCount
    };
    KX::RCPtr<KX::LControl> GetSettingControl(Setting setting) const;

protected:
    ~LGlobalSettingsDlg() override;

private:
    // Puts a received value into its control; false for a name the dialog does not hold.
    bool Apply(const KX::WString& name, int32_t value);
    // True when the firmware can be used; else the firmware box.
    bool CheckFirmware(KX::LMidiManager& manager);
    void ShowMidiError();
    void StopListening();

    KX::RCPtr<KX::LNotificationHandler<LGlobalSettingsDlg>> m_handler;
    KX::RCPtr<KX::LComboBox> m_combos[kSettingCount];
    KX::RCPtr<KX::LNumericUpDown> m_numbers[kSettingCount];
    KX::RCPtr<KX::LButton> m_getButton;
    KX::RCPtr<KX::LButton> m_sendButton;
    KX::RCPtr<KX::LMidiManager> m_manager;

    std::thread::id m_mainThread;
    std::atomic<bool> m_closed{false};
    bool m_listening = false;
};

} // namespace editor
