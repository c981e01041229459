#pragma once
// The fader edit panel ("PresetEditor.MainPage.FaderEditPanel"): the IFader module that stands in
// the tile's place while it is pointed at one of the twenty faders; it shows the fader's 6-byte
// moveable message in its sub-editor ("moveableTypePanel"), names the fader and its bank
// ("faderName", "bankName") and sends every edit to the main control. Main thread only.
#include "editor/EditPanelFrame.h"
#include "engine/ModuleInterfaces.h"

namespace KX {
class LLabel;
}
class LMoveableControlEditPanel;

class LFaderEditPanel : public editor::LEditPanelFrame<LFaderEditPanel, IFader> {
public:
    static constexpr uint32_t kFaderCount = 20;
    static constexpr uint32_t kFadersPerBank = 5;

    LFaderEditPanel(const KX::RCPtr<KX::LControl>& parent, const KX::WString& name);

    // Needs "moveableTypePanel" (an LMoveableControlEditPanel) and "faderName": the "Null Pointer"
    // runtime error otherwise. The base's failure; E_FAIL without a handler.
    KX::KXRESULT Initialize() override;

    // Points the panel at a fader: stores the fields, asks for its current value (it arrives at
    // a later idle pass) and relabels the panel.
    void SetFirstParamID(LParameterizedModule* root, int32_t firstId, int32_t index) override;
    // Shows a 6-byte value of the panel's own parameter and reports it to the parent module. 0;
    // E_FAIL (nothing changed) for another id or length.
    KX::KXRESULT SetParamValueLocal(const KX::ParamDescriptor& descriptor, const KX::Variant& value,
                                    bool fromDevice) override;

    // "FADER n" and "BANK b" for fader index (5 per bank); nothing for an index of 20 or more.
    // A missing label throws the "Null Pointer" runtime error.
    virtual void SetFaderLabelText(uint32_t index);

    // The sub-editor's "NID_PARAMETERS_CHANGED": its message to the main control. 1.
    KX::KXRESULT OnParametersChanged(const KX::RCPtr<KX::LNotificationDistributor>& from,
                                     const KX::RCPtr<KX::LNotification>& n);

    const KX::RCPtr<LMoveableControlEditPanel>& GetSubEditor() const noexcept { return m_subEditor; }

protected:
    ~LFaderEditPanel() override;

private:
    KX::RCPtr<KX::LLabel> m_nameLabel;
    KX::RCPtr<LMoveableControlEditPanel> m_subEditor;
};
