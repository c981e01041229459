#pragma once
// The keybed-zone edit panel ("PresetEditor.MainPage.ZoneEditPanel"): the IKeybedZone module that
// stands in a zone tile's place while it is pointed at one of the four zones. It hosts no
// sub-editor: its own widgets show the 9-byte zone value and every change sends the whole value
// to the main control. Main thread only.
#include "editor/EditPanelFrame.h"
#include "engine/ModuleInterfaces.h"

namespace KX {
class LButton;
class LComboBox;
class LLabel;
class LNumericUpDown;
} // namespace KX

// Byte layout of a keybed zone's value.
namespace KeybedZoneByte {
enum : uint32_t {
    kEnabled = 0,
    kChannel = 1, // 0 global, 1..16 channels 1..16
    kProgram = 2,
    kBankMsb = 3,
    kBankLsb = 4,
    kFirstKey = 5,  // 0..24
    kLastKey = 6,   // 0..24
    kOctave = 7,    // shift + 5
    kTranspose = 8, // semitones + 12
    kLength = 9
};
constexpr int32_t kHighestKey = 24;
constexpr int32_t kOctaveOffset = 5;
constexpr int32_t kTransposeOffset = 12;
} // namespace KeybedZoneByte

class LKeybedZoneEditPanel : public editor::LEditPanelFrame<LKeybedZoneEditPanel, IKeybedZone> {
public:
    LKeybedZoneEditPanel(const KX::RCPtr<KX::LControl>& parent, const KX::WString& name);

    // Finds and listens to every widget: the "Null Pointer" runtime error for a missing one, the
    // failed-result exception for a failed registration. The base's failure; E_FAIL without a handler.
    KX::KXRESULT Initialize() override;

    // Points the panel at a zone: stores the fields, asks for its value and names the zone.
    void SetFirstParamID(LParameterizedModule* parent, int32_t firstId, int32_t index) override;
    // Shows a 9-byte value of the panel's own parameter and reports it to the parent. 0; E_FAIL
    // (nothing changed) for another id or any other length.
    KX::KXRESULT SetParamValueLocal(const KX::ParamDescriptor& descriptor, const KX::Variant& value,
                                    bool fromDevice) override;

    // The value as the widgets show it (9 bytes).
    virtual KX::Array<signed char> GetKeybedZoneValue() const;
    // "ZONE n" into "zoneName".
    void SetKeybedZoneLabelText(int32_t n);
    // The shown value to the main control.
    void SendKeybedZoneValue();

    // Any widget's change: the key rule, then the value is sent. 1.
    KX::KXRESULT OnZoneValueChanged(const KX::RCPtr<KX::LNotificationDistributor>& from,
                                    const KX::RCPtr<KX::LNotification>& n);
    // A click on the on/off button flips it. 1.
    KX::KXRESULT OnZoneEnabledClicked(const KX::RCPtr<KX::LNotificationDistributor>& from,
                                      const KX::RCPtr<KX::LNotification>& n);

    const KX::RCPtr<KX::LButton>& GetEnabledToggle() const noexcept { return m_enabledToggle; }
    const KX::RCPtr<KX::LComboBox>& GetChannelCombo() const noexcept { return m_channelCombo; }
    const KX::RCPtr<KX::LNumericUpDown>& GetFirstKeyBox() const noexcept { return m_firstKeyBox; }
    const KX::RCPtr<KX::LNumericUpDown>& GetLastKeyBox() const noexcept { return m_lastKeyBox; }

protected:
    ~LKeybedZoneEditPanel() override;

private:
    KX::RCPtr<KX::LComboBox> m_channelCombo;
    KX::RCPtr<KX::LNumericUpDown> m_firstKeyBox;
    KX::RCPtr<KX::LNumericUpDown> m_lastKeyBox;
    KX::RCPtr<KX::LNumericUpDown> m_octaveBox;
    KX::RCPtr<KX::LNumericUpDown> m_transposeBox;
    KX::RCPtr<KX::LNumericUpDown> m_bankLsbBox;
    KX::RCPtr<KX::LNumericUpDown> m_bankMsbBox;
    KX::RCPtr<KX::LNumericUpDown> m_programBox;
    KX::RCPtr<KX::LButton> m_enabledToggle;
    KX::RCPtr<KX::LLabel> m_nameLabel;
};
