// The get-preset and send-preset dialogs.
#include "editor/PresetSlotDialogs.h"

#include "dialogs/DialogSupport.h"

#include "editor/EditorApp.h"

#include "engine/MidiManager.h"

#include "kx/controls/Button.h"
#include "kx/controls/ComboBox.h"

namespace editor {

using namespace KX;

namespace {
constexpr const char* kGetMethod = "LGetPresetFromMidiDeviceDlg::Initialize";
constexpr const char* kGetSource = "UI\\PresetEditorCommon\\GetPresetFromMidiDeviceDlg";
constexpr const char* kSendMethod = "LSendPresetToMidiDeviceDlg::Initialize";
constexpr const char* kSendSource = "UI\\PresetEditorCommon\\SendPresetToMidiDeviceDlg";

constexpr int32_t kLastSlot = 12;
constexpr const char16_t* kNoSlotKey = u"LABEL_PRESET_SLOT_NOT_SELECTED_MSGBOX_TEXT";
constexpr const char16_t* kNoSlotText = u"Choose a preset slot first.";

// Tells the user that no slot is chosen: the table's text, else the built-in one.
void ShowNoSlot(const char16_t* captionKey)
{
    IEditorApp* app = GetEditorApp();
    if (!app)
        return;
    WString text = app->LookupAppString(WString(kNoSlotKey));
    if (text.IsEmpty())
        text = WString(kNoSlotText);
    app->ShowAppMessageBox(text, app->LookupAppString(WString(captionKey)), kErrorBoxFlags);
}

bool IsSlot(int32_t slot)
{
    return slot >= 0 && slot <= kLastSlot;
}
} // namespace

int32_t SelectedPresetSlot(LControl& dialog)
{
    const RCPtr<LControl> panel = dialog.FindChild(WString(u"presetSlot"));
    const RCPtr<LComboBox> combo = FindChildAs<LComboBox>(panel.Get(), u"comboBox");
    return combo ? combo->GetSelectedIndex() : -1;
}

int32_t GetPresetFromSlot(int32_t slot)
{
    if (!IsSlot(slot)) {
        ShowNoSlot(u"LABEL_GET_PRESET_FAILED_MSGBOX_CAPTION");
        return LMidiManager::kPortFailure;
    }
    const RCPtr<LMidiManager> manager = AppMidiManager();
    const int32_t result = manager ? manager->GetPresetFromMidiDevice(slot) : LMidiManager::kPortFailure;
    if (result == LMidiManager::kFirmwareFailure)
        ShowAppMessage(u"LABEL_GET_PRESET_FAILED_MSGBOX_CAPTION",
                       u"LABEL_GET_PRESET_FAILED_FW_COMPATIBILITY_ERROR_MSGBOX_TEXT", kErrorBoxFlags);
    else if (result < 0)
        ShowAppMessage(u"LABEL_GET_PRESET_FAILED_MSGBOX_CAPTION", u"LABEL_GET_PRESET_FAILED_MIDI_ERROR_MSGBOX_TEXT",
                       kErrorBoxFlags);
    else
        ShowAppMessage(u"LABEL_GET_PRESET_SUCEESS_MSGBOX_CAPTION", u"LABEL_GET_PRESET_SUCEESS_MSGBOX_TEXT");
    return result;
}

int32_t SendPresetToSlot(int32_t slot)
{
    if (!IsSlot(slot)) {
        ShowNoSlot(u"LABEL_SEND_PRESET_FAILED_MSGBOX_CAPTION");
        return LMidiManager::kPortFailure;
    }
    const RCPtr<LMidiManager> manager = AppMidiManager();
    const int32_t result = manager ? manager->SendPresetToMidiDevice(slot) : LMidiManager::kPortFailure;
    if (result == LMidiManager::kFirmwareFailure)
        ShowAppMessage(u"LABEL_SEND_PRESET_FAILED_MSGBOX_CAPTION",
                       u"LABEL_SEND_PRESET_FAILED_FW_COMPATIBILITY_ERROR_MSGBOX_TEXT", kErrorBoxFlags);
    else if (result < 0)
        ShowAppMessage(u"LABEL_SEND_PRESET_FAILED_MSGBOX_CAPTION", u"LABEL_SEND_PRESET_FAILED_MIDI_ERROR_MSGBOX_TEXT",
                       kErrorBoxFlags);
    else
        ShowAppMessage(u"LABEL_SEND_PRESET_SUCEESS_MSGBOX_CAPTION", u"LABEL_SEND_PRESET_SUCEESS_MSGBOX_TEXT");
    return result;
}

// ---------------------------------------------------------------- get

LGetPresetFromMidiDeviceDlg::LGetPresetFromMidiDeviceDlg(const RCPtr<LControl>& parent, const WString& name)
    : LDialog(parent, name)
{
}

LGetPresetFromMidiDeviceDlg::~LGetPresetFromMidiDeviceDlg()
{
    m_getButton = nullptr;
    m_handler = nullptr;
}

KXRESULT LGetPresetFromMidiDeviceDlg::Initialize()
{
    const KXRESULT base = LDialog::Initialize();
    if (Failed(base))
        return base;
    m_handler = RCPtr<LNotificationHandler<LGetPresetFromMidiDeviceDlg>>(
        new LNotificationHandler<LGetPresetFromMidiDeviceDlg>(this));
    m_getButton = RequireChild<LButton>(this, u"getButton", kGetMethod, kGetSource, 46);
    CheckResult(m_handler->AddDistributorHandler(&LGetPresetFromMidiDeviceDlg::OnGetButtonClick,
                                                 RCPtr<LNotificationDistributor>(m_getButton), NID_LEFT_CLICK, 0),
                kGetMethod, kGetSource, 47);
    return base;
}

KXRESULT LGetPresetFromMidiDeviceDlg::Receive(const RCPtr<LNotificationDistributor>& from,
                                              const RCPtr<LNotification>& n)
{
    if (m_handler && m_handler->Receive(from, n))
        return S_OK;
    return LDialog::Receive(from, n);
}

KXRESULT LGetPresetFromMidiDeviceDlg::UnregisterForNotification(const RCPtr<LNotificationDistributor>& d,
                                                                const char16_t* name)
{
    if (m_handler)
        m_handler->RemoveDistributorHandler(d, name);
    return LDialog::UnregisterForNotification(d, name);
}

KXRESULT LGetPresetFromMidiDeviceDlg::OnGetButtonClick(const RCPtr<LNotificationDistributor>&,
                                                       const RCPtr<LNotification>&)
{
    const RCPtr<LGetPresetFromMidiDeviceDlg> self(this);
    GetPresetFromSlot(SelectedPresetSlot(*this));
    return 1;
}

// ---------------------------------------------------------------- send

LSendPresetToMidiDeviceDlg::LSendPresetToMidiDeviceDlg(const RCPtr<LControl>& parent, const WString& name)
    : LDialog(parent, name)
{
}

LSendPresetToMidiDeviceDlg::~LSendPresetToMidiDeviceDlg()
{
    m_sendButton = nullptr;
    m_handler = nullptr;
}

KXRESULT LSendPresetToMidiDeviceDlg::Initialize()
{
    const KXRESULT base = LDialog::Initialize();
    if (Failed(base))
        return base;
    m_handler = RCPtr<LNotificationHandler<LSendPresetToMidiDeviceDlg>>(
        new LNotificationHandler<LSendPresetToMidiDeviceDlg>(this));
    m_sendButton = RequireChild<LButton>(this, u"send", kSendMethod, kSendSource, 45);
    CheckResult(m_handler->AddDistributorHandler(&LSendPresetToMidiDeviceDlg::OnSendButtonClick,
                                                 RCPtr<LNotificationDistributor>(m_sendButton), NID_LEFT_CLICK, 0),
                kSendMethod, kSendSource, 46);
    return base;
}

KXRESULT LSendPresetToMidiDeviceDlg::Receive(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n)
{
    if (m_handler && m_handler->Receive(from, n))
        return S_OK;
    return LDialog::Receive(from, n);
}

KXRESULT LSendPresetToMidiDeviceDlg::UnregisterForNotification(const RCPtr<LNotificationDistributor>& d,
                                                               const char16_t* name)
{
    if (m_handler)
        m_handler->RemoveDistributorHandler(d, name);
    return LDialog::UnregisterForNotification(d, name);
}

KXRESULT LSendPresetToMidiDeviceDlg::OnSendButtonClick(const RCPtr<LNotificationDistributor>&,
                                                       const RCPtr<LNotification>&)
{
    const RCPtr<LSendPresetToMidiDeviceDlg> self(this);
    SendPresetToSlot(SelectedPresetSlot(*this));
    return 1;
}

} // namespace editor
