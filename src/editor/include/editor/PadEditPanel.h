#pragma once
// The pad edit panel ("PresetEditor.MainPage.PadEditPanel"): shows and edits the 14-byte value of
// one of the sixteen pads. Its MIDI page is the button sub-editor (whose note on/off fields follow
// the latch box here), its colour page four colour boxes of the pad colours. It is also the pad's
// module in the user interface's parameter tree: a value enters through SetParamValueLocal, every
// user change leaves as a whole new value through the main control. Main thread only.
#include "editor/ButtonMessage.h"
#include "editor/EditPanelFrame.h"
#include "engine/ModuleInterfaces.h"

#include <cstdint>

namespace KX {
class LComboBox;
class LLabel;
} // namespace KX

class LButtonControlEditPanel;

class LPadEditPanel : public editor::LEditPanelFrame<LPadEditPanel, IPad> {
public:
    static constexpr uint32_t kValueSize = editor::kPadValueLength;
    static constexpr int32_t kPadCount = 16;

    LPadEditPanel(const KX::RCPtr<KX::LControl>& parent, const KX::WString& name);

    // Finds the name label, the sub-editor on "midiPage" (told to tie its note on/off fields to
    // the latch box) and the four colour boxes and numbers their labels; a missing one throws its
    // "Null Pointer" runtime error, a failed registration the failed-result exception. The panel's
    // result, E_FAIL without a handler.
    KX::KXRESULT Initialize() override;

    // Points the panel at a pad: asks the engine for its value (it arrives later through
    // SetParamValueLocal) and names the pad.
    void SetFirstParamID(LParameterizedModule* parent, int32_t firstId, int32_t index) override;
    // Shows a value of the panel's own id: E_FAIL, with nothing changed, for another id or a value
    // that is not 14 bytes long. Showing sends nothing back; the value is passed on to the parent.
    KX::KXRESULT SetParamValueLocal(const KX::ParamDescriptor& descriptor, const KX::Variant& value,
                                    bool fromDevice) override;

    // "PAD n" for index 0..15: S_OK; E_FAIL with the label unchanged for any other index.
    KX::KXRESULT SetPadLabelText(int32_t index);

    // "NID_PARAMETERS_CHANGED" of the sub-editor and "NID_SELECTION_CHANGE" of every colour box:
    // the whole value to the engine, unless a box or the message holds no valid choice. 1.
    KX::KXRESULT OnParametersChanged(const KX::RCPtr<KX::LNotificationDistributor>& from,
                                     const KX::RCPtr<KX::LNotification>& n);

    // The value the widgets hold now; empty when the sub-editor has no whole message.
    KX::Array<signed char> AssembleValue();

    const KX::RCPtr<LButtonControlEditPanel>& GetButtonTypePanel() const noexcept { return m_buttonTypePanel; }
    // Colour box 0..3.
    const KX::RCPtr<KX::LComboBox>& GetColorCombo(uint32_t i) const noexcept { return m_colors[i]; }

protected:
    ~LPadEditPanel() override;

private:
    KX::RCPtr<KX::LLabel> m_nameLabel;
    KX::RCPtr<LButtonControlEditPanel> m_buttonTypePanel;
    KX::RCPtr<KX::LComboBox> m_colors[4];
    // Set while a value is being shown: the widgets' notifications then send nothing.
    bool m_filling = false;
    // Set by the first SetFirstParamID: before it the panel edits no control.
    bool m_targeted = false;
};
