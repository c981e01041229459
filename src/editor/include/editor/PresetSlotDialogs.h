#pragma once
// The two small dialogs that move one preset between the editor and a slot of the keyboard: the
// get-preset dialog (its "getButton") and the send-preset dialog (its "send" button), each with a
// "presetSlot"/"comboBox" slot chooser (0 the working memory, 1..12 the stored presets). The MIDI
// manager's call blocks the main thread; the outcome is told in a message box. UI thread only.
#include "kx/NotificationHandler.h"
#include "kx/controls/Dialog.h"

#include <cstdint>

namespace KX {
class LButton;
}

namespace editor {

// The slot the dialog's chooser names; -1 when the chooser is missing or shows nothing.
int32_t SelectedPresetSlot(KX::LControl& dialog);

// Asks the manager for slot and reports the result; a slot of -1 is refused with the
// no-selection box and sends nothing. The manager's result (-1 for a refused slot).
int32_t GetPresetFromSlot(int32_t slot);
// Sends the edited preset to slot and reports the result; any negative result is a failure,
// -2 the firmware's. A slot of -1 is refused as above.
int32_t SendPresetToSlot(int32_t slot);

class LGetPresetFromMidiDeviceDlg : public KX::LDialog {
public:
    LGetPresetFromMidiDeviceDlg(const KX::RCPtr<KX::LControl>& parent, const KX::WString& name);

    // Needs "getButton" (the missing-child error otherwise).
    KX::KXRESULT Initialize() override;
    KX::KXRESULT Receive(const KX::RCPtr<KX::LNotificationDistributor>& from,
                         const KX::RCPtr<KX::LNotification>& n) override;
    KX::KXRESULT UnregisterForNotification(const KX::RCPtr<KX::LNotificationDistributor>& d,
                                           const char16_t* name) override;

    // "NID_LEFT_CLICK" of the get button: retrieves the chosen slot. 1.
    KX::KXRESULT OnGetButtonClick(const KX::RCPtr<KX::LNotificationDistributor>& from,
                                  const KX::RCPtr<KX::LNotification>& n);

protected:
    ~LGetPresetFromMidiDeviceDlg() override;

private:
    KX::RCPtr<KX::LNotificationHandler<LGetPresetFromMidiDeviceDlg>> m_handler;
    KX::RCPtr<KX::LButton> m_getButton;
};

class LSendPresetToMidiDeviceDlg : public KX::LDialog {
public:
    LSendPresetToMidiDeviceDlg(const KX::RCPtr<KX::LControl>& parent, const KX::WString& name);

    // Needs "send" (the missing-child error otherwise).
    KX::KXRESULT Initialize() override;
    KX::KXRESULT Receive(const KX::RCPtr<KX::LNotificationDistributor>& from,
                         const KX::RCPtr<KX::LNotification>& n) override;
    KX::KXRESULT UnregisterForNotification(const KX::RCPtr<KX::LNotificationDistributor>& d,
                                           const char16_t* name) override;

    // "NID_LEFT_CLICK" of the send button: sends to the chosen slot. 1.
    KX::KXRESULT OnSendButtonClick(const KX::RCPtr<KX::LNotificationDistributor>& from,
                                   const KX::RCPtr<KX::LNotification>& n);

protected:
    ~LSendPresetToMidiDeviceDlg() override;

private:
    KX::RCPtr<KX::LNotificationHandler<LSendPresetToMidiDeviceDlg>> m_handler;
    KX::RCPtr<KX::LButton> m_sendButton;
};

} // namespace editor
