// The global settings dialog: reading and writing the keyboard's global settings.
#include "editor/GlobalSettingsDlg.h"

#include "dialogs/DialogSupport.h"

#include "editor/EditorApp.h"

#include "engine/MidiManager.h"

#include "kx/DebugTrace.h"
#include "kx/controls/Button.h"
#include "kx/controls/ComboBox.h"
#include "kx/controls/Label.h"
#include "kx/controls/NumericUpDown.h"

#include <cmath>
#include <ostream>

namespace editor {

using namespace KX;

namespace {
constexpr const char* kMethod = "LGlobalSettingsDlg::Initialize";
constexpr const char* kSource = "UI\\LumoSeriesCommon\\GlobalSettingsDlg";

constexpr const char16_t* kParameterNid = NID_MIDIMANAGER_PARAMETER_RECIEVED;
constexpr const char16_t* kErrorCaptionKey = u"LABEL_GLOBALSETTINGS_FAILED_MIDI_ERROR_MESSAGEBOX_CAPTION";
constexpr const char16_t* kErrorTextKey = u"LABEL_GLOBALSETTINGS_FAILED_MIDI_ERROR_MESSAGEBOX_TEXT";
constexpr const char16_t* kUnselectedKey = u"LABEL_GLOBALSETTINGS_NO_SELECTION_MESSAGEBOX_TEXT";
constexpr const char16_t* kUnselectedText = u"Choose a value in every list before sending the settings.";

struct SettingRow {
    LGlobalSettingsDlg::Setting setting;
    const char16_t* panel;
    const char16_t* parameter;
    bool isList;
    // Wire value = shown value (a list's index) + offset.
    int32_t offset;
    bool hasRange;
    double minimum, maximum;
    // The names the missing-child errors give, and their lines.
    const char* panelName;
    int panelLine;
    const char* innerName;
    int innerLine;
};

using D = LGlobalSettingsDlg;
// In the order the controls are looked up.
constexpr SettingRow kRows[] = {
    {D::kControlCurve, u"controlCurve", u"CURVE_ACCELLERATION", true, 0, true, 0, 3, "ControlCurve", 30, "comboBox",
     32},
    {D::kKeyOctave, u"keyOctave", u"KEY_OCTAVE", false, 5, true, -4, 5, "Key Octave", 36, "numericUpDown", 38},
    {D::kKeySensitivity, u"keySensitivity", u"KEY_SENSITIVITY", true, 0, true, 0, 6, "keySensitivity", 48, "comboBox",
     50},
    {D::kKeyTranspose, u"keyTranspose", u"KEY_TRANSPOSE", false, 12, true, -12, 12, "keyTranspose", 54, "numericUpDown",
     56},
    {D::kBankLsb, u"lsb", u"GLOBAL_BANK_LSB", false, 0, true, 0, 127, "lsb", 60, "numericUpDown", 62},
    {D::kBankMsb, u"msb", u"GLOBAL_BANK_MSB", false, 0, true, 0, 127, "msb", 66, "numericUpDown", 68},
    {D::kMackieHui, u"mackieHUIToggle", u"MACKIE_HUI_ENABLED", true, 0, false, 0, 0, "mackieHUIToggle", 72, "comboBox",
     74},
    {D::kMidiChannel, u"midiChannel", u"Global_Channel", true, 1, false, 0, 0, "midiChannel", 77, "comboBox", 79},
    {D::kPadOctave, u"padOctave", u"PAD_OCTAVE", false, 5, true, -5, 5, "padOctave", 88, "numericUpDown", 90},
    {D::kPadSensitivity, u"padSensitivity", u"PAD_SENSITIVITY", true, 0, true, 0, 9, "padSensitivity", 94, "comboBox",
     96},
    {D::kPadTranspose, u"padTranspose", u"PAD_TRANSPOSE", false, 12, true, -12, 12, "padTranspose", 100,
     "numericUpDown", 102},
    {D::kProgram, u"program", u"GLOBAL_PROGRAM", false, 0, true, 0, 127, "program", 106, "numericUpDown", 108},
    {D::kXyPadSensitivity, u"xyPadSensitivity", u"XY_SENSITIVITY", true, 0, false, 0, 0, "xyPadSensitivity", 112,
     "combo box", 114},
};

const SettingRow* FindRow(const WString& parameter)
{
    for (const SettingRow& row : kRows)
        if (parameter == WString(row.parameter))
            return &row;
    return nullptr;
}

// The parameters the dialog neither requests nor sends.
bool IsSkipped(const WString& parameter)
{
    return parameter == WString(u"XYPAD_VELOCITY") || parameter == WString(u"XYPAD_FRACTION") ||
           parameter == WString(u"XYPAD_REBOUND");
}

template <class T>
RCPtr<T> FindInner(LControl* dialog, const SettingRow& row, const char16_t* inner)
{
    const RCPtr<LControl> panel = dialog->FindChild(WString(row.panel));
    if (!panel)
        ThrowNullPointer(std::string("Could not find child ") + row.panelName, kMethod, kSource, row.panelLine);
    RCPtr<T> control = FindChildAs<T>(panel.Get(), inner);
    if (!control)
        ThrowNullPointer(std::string("Could not find child ") + row.innerName, kMethod, kSource, row.innerLine);
    return control;
}
} // namespace

LGlobalSettingsDlg::LGlobalSettingsDlg(const RCPtr<LControl>& parent, const WString& name) : LDialog(parent, name) {}

LGlobalSettingsDlg::~LGlobalSettingsDlg()
{
    // The registrations went when the last outside holder let go.
    m_manager = nullptr;
    m_sendButton = nullptr;
    m_getButton = nullptr;
    for (int i = kSettingCount - 1; i >= 0; --i) {
        m_numbers[i] = nullptr;
        m_combos[i] = nullptr;
    }
    m_handler = nullptr;
}

KXRESULT LGlobalSettingsDlg::Initialize()
{
    const KXRESULT base = LDialog::Initialize();
    if (Failed(base))
        return base;
    m_mainThread = std::this_thread::get_id();
    m_handler = RCPtr<LNotificationHandler<LGlobalSettingsDlg>>(new LNotificationHandler<LGlobalSettingsDlg>(this));

    for (const SettingRow& row : kRows) {
        if (row.isList) {
            RCPtr<LComboBox> combo = FindInner<LComboBox>(this, row, u"comboBox");
            if (row.hasRange)
                combo->SetValueRange(row.minimum, row.maximum, 0);
            m_combos[row.setting] = combo;
        } else {
            RCPtr<LNumericUpDown> box = FindInner<LNumericUpDown>(this, row, u"numericUpDown");
            box->SetValueRange(row.minimum, row.maximum, 0);
            m_numbers[row.setting] = box;
        }
        if (row.setting == kKeyOctave) {
            m_numbers[kKeyOctave]->SetValueAndRead(0);
            CheckResult(m_handler->AddDistributorHandler(&LGlobalSettingsDlg::OnKeyOctaveChange,
                                                         RCPtr<LNotificationDistributor>(m_numbers[kKeyOctave]),
                                                         NID_VALUE_CHANGE, 0),
                        kMethod, kSource, 43);
        }
        if (row.setting == kMidiChannel) {
            // The channel's label reads "GLOBAL CHANNEL" here; a missing label is no error.
            const RCPtr<LControl> panel = FindChild(WString(row.panel));
            const RCPtr<LLabel> label = FindChildAs<LLabel>(panel.Get(), u"label");
            if (label) {
                WString text;
                label->LookupString(WString(u"GLOBAL_LABEL"), text);
                label->SetText(text);
            }
        }
    }

    m_getButton = FindChildAs<LButton>(this, u"getGlobalSettingsButton");
    if (!m_getButton)
        ThrowNullPointer("getSettingsButton child not found", kMethod, kSource, 117);
    CheckResult(m_handler->AddDistributorHandler(&LGlobalSettingsDlg::OnGetSettingsClick,
                                                 RCPtr<LNotificationDistributor>(m_getButton), NID_LEFT_CLICK, 0),
                kMethod, kSource, 118);
    m_sendButton = FindChildAs<LButton>(this, u"sendGlobalSettingsButton");
    if (!m_sendButton)
        ThrowNullPointer("sendSettingsButton child not found", kMethod, kSource, 121);
    CheckResult(m_handler->AddDistributorHandler(&LGlobalSettingsDlg::OnSendSettingsClick,
                                                 RCPtr<LNotificationDistributor>(m_sendButton), NID_LEFT_CLICK, 0),
                kMethod, kSource, 122);

    m_manager = AppMidiManager();
    if (!m_manager)
        ThrowNullPointer("Could not find MidiManager", kMethod, kSource, 126);
    CheckResult(m_handler->AddDistributorHandler(&LGlobalSettingsDlg::OnParameterReceived,
                                                 RCPtr<LNotificationDistributor>(m_manager), kParameterNid, 0),
                kMethod, kSource, 127);
    m_listening = true;

    m_numbers[kPadOctave]->SetValueAndRead(0);
    m_numbers[kPadTranspose]->SetValueAndRead(0);
    m_numbers[kKeyOctave]->SetValueAndRead(0);
    m_numbers[kKeyTranspose]->SetValueAndRead(0);
    return base;
}

KXRESULT LGlobalSettingsDlg::Receive(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n)
{
    if (!IsBuilt())
        return S_FALSE;
    if (m_handler && m_handler->Receive(from, n))
        return S_OK;
    return LDialog::Receive(from, n);
}

KXRESULT LGlobalSettingsDlg::UnregisterForNotification(const RCPtr<LNotificationDistributor>& d, const char16_t* name)
{
    if (m_handler)
        m_handler->RemoveDistributorHandler(d, name);
    return LDialog::UnregisterForNotification(d, name);
}

void LGlobalSettingsDlg::OnClosed()
{
    m_closed = true;
    StopListening();
}

void LGlobalSettingsDlg::StopListening()
{
    if (!m_listening || !m_manager)
        return;
    m_listening = false;
    UnregisterForNotification(RCPtr<LNotificationDistributor>(m_manager), kParameterNid);
}

RCPtr<LControl> LGlobalSettingsDlg::GetSettingControl(Setting setting) const
{
    if (setting < 0 || setting >= kSettingCount)
        return RCPtr<LControl>();
    if (m_combos[setting])
        return RCPtr<LControl>(m_combos[setting]);
    return RCPtr<LControl>(m_numbers[setting]);
}

int32_t LGlobalSettingsDlg::GetWireValue(const WString& name) const
{
    const SettingRow* row = FindRow(name);
    if (!row)
        return 0;
    if (row->isList) {
        const RCPtr<LComboBox>& combo = m_combos[row->setting];
        return combo ? combo->GetSelectedIndex() + row->offset : 0;
    }
    const RCPtr<LNumericUpDown>& box = m_numbers[row->setting];
    return box ? static_cast<int32_t>(std::trunc(box->GetValue() + row->offset)) : 0;
}

bool LGlobalSettingsDlg::Apply(const WString& name, int32_t value)
{
    const SettingRow* row = FindRow(name);
    if (!row)
        return false;
    if (row->isList) {
        if (m_combos[row->setting])
            m_combos[row->setting]->SetSelectedIndex(value - row->offset);
    } else if (m_numbers[row->setting]) {
        m_numbers[row->setting]->SetValueAndRead(static_cast<double>(value) - row->offset);
    }
    return true;
}

KXRESULT LGlobalSettingsDlg::OnParameterReceived(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>& n)
{
    const ConstRCPtr<LMidiParameterNotification> p =
        n ? ConstRCPtr<LMidiParameterNotification>::DynamicCast(n->GetPayload())
          : ConstRCPtr<LMidiParameterNotification>();
    if (!p || m_closed)
        return 1;
    if (std::this_thread::get_id() != m_mainThread) {
        // Only the main thread writes the controls (and changes the manager's registrations).
        DebugOut() << "Global settings: a value announced off the main thread is dropped: "
                   << p->GetName().ToNarrow().GetString() << std::endl;
        return 1;
    }
    Apply(p->GetName(), p->GetValue());
    return 1;
}

bool LGlobalSettingsDlg::CheckFirmware(LMidiManager& manager)
{
    if (manager.IsDeviceFirmwareVersionUseable())
        return true;
    ShowAppMessage(u"LABEL_SEND_PRESET_FAILED_MSGBOX_CAPTION",
                   u"LABEL_SEND_PRESET_FAILED_FW_COMPATIBILITY_ERROR_MSGBOX_TEXT", kErrorBoxFlags);
    return false;
}

void LGlobalSettingsDlg::ShowMidiError()
{
    ShowAppMessage(kErrorCaptionKey, kErrorTextKey, kErrorBoxFlags);
}

KXRESULT LGlobalSettingsDlg::OnGetSettingsClick(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>&)
{
    const RCPtr<LGlobalSettingsDlg> self(this);
    const RCPtr<LMidiManager> manager = m_manager;
    if (!manager)
        return 1;
    StringArrayT<char16_t, char> names;
    LMidiManager::BuildNonPresetParameterNames(names);
    if (!CheckFirmware(*manager))
        return 1;
    for (uint32_t i = 0; i < names.GetCount(); ++i) {
        const WString name = names.ElementAt(i);
        if (IsSkipped(name))
            continue;
        const int32_t result = manager->RequestNonPresetParameterFromDevice(name, true);
        if (result < 0) {
            ShowMidiError();
            break;
        }
    }
    return 1;
}

KXRESULT LGlobalSettingsDlg::OnSendSettingsClick(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>&)
{
    const RCPtr<LGlobalSettingsDlg> self(this);
    const RCPtr<LMidiManager> manager = m_manager;
    if (!manager)
        return 1;
    // A list without a chosen item would go out as -1 (0xFF, 0x7F on the wire): nothing is sent.
    for (const RCPtr<LComboBox>& combo : m_combos) {
        if (combo && combo->GetSelectedIndex() < 0) {
            IEditorApp* app = GetEditorApp();
            if (app) {
                WString text = app->LookupAppString(WString(kUnselectedKey));
                if (text.IsEmpty())
                    text = WString(kUnselectedText);
                app->ShowAppMessageBox(text, app->LookupAppString(WString(kErrorCaptionKey)), kErrorBoxFlags);
            }
            return 1;
        }
    }
    StringArrayT<char16_t, char> names;
    LMidiManager::BuildNonPresetParameterNames(names);
    if (!CheckFirmware(*manager))
        return 1;
    for (uint32_t i = 0; i < names.GetCount(); ++i) {
        const WString name = names.ElementAt(i);
        if (IsSkipped(name))
            continue;
        if (manager->SetNonPresetParameterOnDevice(name, GetWireValue(name), true) < 0) {
            ShowMidiError();
            break;
        }
    }
    return 1;
}

KXRESULT LGlobalSettingsDlg::OnKeyOctaveChange(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>&)
{
    const RCPtr<LNumericUpDown>& box = m_numbers[kKeyOctave];
    if (!box)
        return 1;
    const double value = box->GetValue();
    if (value > 5)
        box->SetNormalizedValue(box->ValueToNormalized(5));
    else if (value < -4)
        box->SetNormalizedValue(box->ValueToNormalized(-4));
    return 1;
}

} // namespace editor
