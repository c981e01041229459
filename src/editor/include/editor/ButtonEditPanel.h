#pragma once
// The push-button edit panel ("PresetEditor.MainPage.ButtonEditPanel"): shows and edits the
// 17-byte value of one of the twenty push buttons. Its MIDI page is the button sub-editor, its
// colour page four colour boxes and the HID colour box, its HID page the key and modifier boxes.
// It is also the push button's module in the user interface's parameter tree: a value enters
// through SetParamValueLocal, every user change leaves as a whole new value through the main
// control. Main thread only.
#include "editor/ButtonMessage.h"
#include "editor/EditPanelFrame.h"
#include "engine/ModuleInterfaces.h"

#include <cstdint>

namespace KX {
class LComboBox;
class LLabel;
} // namespace KX

class LButtonControlEditPanel;

class LButtonEditPanel : public editor::LEditPanelFrame<LButtonEditPanel, IPushButton> {
public:
    static constexpr uint32_t kValueSize = editor::kPushButtonValueLength;
    static constexpr int32_t kButtonCount = 20;
    static constexpr int32_t kButtonsPerBank = 5;

    LButtonEditPanel(const KX::RCPtr<KX::LControl>& parent, const KX::WString& name);

    // Finds the name label, the sub-editor on "midiPage", the colour, HID colour, key and modifier
    // boxes and numbers the colour labels; a missing one throws its "Null Pointer" runtime error,
    // a failed registration the failed-result exception. The panel's result, E_FAIL without a handler.
    KX::KXRESULT Initialize() override;

    // Points the panel at a push button: asks the engine for its value (it arrives later through
    // SetParamValueLocal) and names the button and its bank.
    void SetFirstParamID(LParameterizedModule* parent, int32_t firstId, int32_t index) override;
    // Shows a value of the panel's own id: E_FAIL, with nothing changed, for another id or a value
    // that is not 17 bytes long. Showing sends nothing back; the value is passed on to the parent.
    KX::KXRESULT SetParamValueLocal(const KX::ParamDescriptor& descriptor, const KX::Variant& value,
                                    bool fromDevice) override;

    // "BUTTON n" and "BANK n" for index 0..19; nothing for any other index.
    virtual void SetButtonLabelText(int32_t index);

    // "NID_PARAMETERS_CHANGED" of the sub-editor and "NID_SELECTION_CHANGE" of every box: the
    // whole value to the engine, unless a box or the message holds no valid choice. 1.
    KX::KXRESULT OnParametersChanged(const KX::RCPtr<KX::LNotificationDistributor>& from,
                                     const KX::RCPtr<KX::LNotification>& n);

    // The value the widgets hold now; empty when the sub-editor has no whole message.
    KX::Array<signed char> AssembleValue();

    const KX::RCPtr<LButtonControlEditPanel>& GetButtonTypePanel() const noexcept { return m_buttonTypePanel; }
    // Colour box 0..3.
    const KX::RCPtr<KX::LComboBox>& GetColorCombo(uint32_t i) const noexcept { return m_colors[i]; }
    const KX::RCPtr<KX::LComboBox>& GetKeyCombo() const noexcept { return m_keyCombo; }
    const KX::RCPtr<KX::LComboBox>& GetModifierCombo() const noexcept { return m_modifierCombo; }
    const KX::RCPtr<KX::LComboBox>& GetHidColorCombo() const noexcept { return m_hidColorCombo; }

protected:
    ~LButtonEditPanel() override;

private:
    void RegisterSelection(const KX::RCPtr<KX::LComboBox>& combo, int line);

    KX::RCPtr<KX::LLabel> m_nameLabel;
    KX::RCPtr<LButtonControlEditPanel> m_buttonTypePanel;
    KX::RCPtr<KX::LComboBox> m_colors[4];
    KX::RCPtr<KX::LComboBox> m_keyCombo;
    KX::RCPtr<KX::LComboBox> m_modifierCombo;
    KX::RCPtr<KX::LComboBox> m_hidColorCombo;
    // Set while a value is being shown: the widgets' notifications then send nothing.
    bool m_filling = false;
    // Set by the first SetFirstParamID: before it the panel edits no control.
    bool m_targeted = false;
};
