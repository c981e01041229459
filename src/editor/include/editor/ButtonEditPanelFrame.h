#pragma once
// The frame of the push-button and pad edit panels: a name label, the button sub-editor on the
// "midiPage" tab and four colour boxes on the "colorPage" tab of "viewTabControl". A value shown
// fills the sub-editor and the boxes without sending anything; every later change of them sends
// the whole value the widgets hold, unless a box or the message holds no valid choice. Self gives
// kValueSize, how its value splits into the button message and back, and its own widgets beyond
// these. Main thread only.
#include "editor/EditPanelFrame.h"

#include <cstdint>
#include <string_view>

namespace KX {
class LComboBox;
class LLabel;
class LTabControl;
} // namespace KX

class LButtonControlEditPanel;

namespace editor {

// What an edit panel's initialisation looks for and says when it is missing.
struct ButtonPanelNames {
    const char16_t* nameLabel;    // the child that names the control
    std::string_view nameMissing; // its "Null Pointer" text
    std::string_view subEditorMissing;
    std::string_view colorPageMissing; // empty: a missing page shows as a missing first colour box
    std::string_view method;
    std::string_view source;
    const char16_t* colorLooks; // the look list whose colours the colour boxes show as swatches
};

template <class Self, class Module>
class LButtonEditPanelFrame : public LEditPanelFrame<Self, Module> {
public:
    using LEditPanelFrame<Self, Module>::LEditPanelFrame;

    // Points the panel at a control: asks the engine for its value (it arrives later through
    // SetParamValueLocal) and names the control (ShowTargetName).
    void SetFirstParamID(LParameterizedModule* parent, int32_t firstId, int32_t index) override;
    // Shows a value of the panel's own id: E_FAIL, with nothing changed, for another id, a value
    // that is not Self::kValueSize bytes long or a panel without its widgets. Showing sends
    // nothing back; the value is passed on to the parent.
    KX::KXRESULT SetParamValueLocal(const KX::ParamDescriptor& descriptor, const KX::Variant& value,
                                    bool fromDevice) override;

    // "NID_PARAMETERS_CHANGED" of the sub-editor and "NID_SELECTION_CHANGE" of every box: the
    // whole value to the engine, unless a box or the message holds no valid choice. 1.
    KX::KXRESULT OnParametersChanged(const KX::RCPtr<KX::LNotificationDistributor>& from,
                                     const KX::RCPtr<KX::LNotification>& n);

    // The value the widgets hold now; empty when the sub-editor has no whole message.
    KX::Array<signed char> AssembleValue();

    const KX::RCPtr<LButtonControlEditPanel>& GetButtonTypePanel() const noexcept { return m_buttonTypePanel; }
    // Colour box 0..3.
    const KX::RCPtr<KX::LComboBox>& GetColorCombo(uint32_t i) const noexcept { return m_colors[i]; }

protected:
    ~LButtonEditPanelFrame() override;

    // The frame's initialisation, then the name label, the sub-editor and the colour boxes with
    // their numbered labels; a missing one throws its "Null Pointer" runtime error, a failed
    // registration the failed-result exception. The frame's result (E_FAIL without a handler);
    // tabs receives the tab control.
    KX::KXRESULT InitializeButtonPages(const ButtonPanelNames& names, KX::RCPtr<KX::LTabControl>& tabs);
    // Sends the whole value on "NID_SELECTION_CHANGE" of combo.
    void ListenToBox(const KX::RCPtr<KX::LComboBox>& combo, std::string_view method, std::string_view source, int line);

    // Names the control at index on the panel.
    virtual void ShowTargetName(int32_t index) = 0;
    // The button message of a value, and the message back into a value; false when it has no
    // whole message.
    virtual KX::Array<char> SplitMessage(const uint8_t* value) const = 0;
    virtual bool JoinMessage(const KX::Array<char>& message, uint8_t* value) const = 0;
    // Whether every widget a value fills is there.
    virtual bool HasWidgets() const { return static_cast<bool>(m_buttonTypePanel); }
    // Fills, and reads back, the widgets beyond the message and the colours.
    virtual void ShowOwnBytes(const KX::Array<signed char>&) {}
    virtual void AssembleOwnBytes(uint8_t*) {}

    KX::RCPtr<KX::LLabel> m_nameLabel;
    KX::RCPtr<LButtonControlEditPanel> m_buttonTypePanel;
    KX::RCPtr<KX::LComboBox> m_colors[4];

private:
    // Set while a value is being shown: the widgets' notifications then send nothing.
    bool m_filling = false;
    // Set by the first SetFirstParamID: before it the panel edits no control.
    bool m_targeted = false;
};

} // namespace editor
