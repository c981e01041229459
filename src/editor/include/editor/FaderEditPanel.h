#pragma once
// The fader edit panel ("PresetEditor.MainPage.FaderEditPanel"): the IFader module that stands in
// the tile's place while it is pointed at one of the twenty faders; it shows the fader's 6-byte
// moveable message in its sub-editor ("moveableTypePanel"), names the fader and its bank
// ("faderName", "bankName") and sends every edit to the main control. Main thread only.
#include "editor/MoveableEditPanelFrame.h"
#include "engine/ModuleInterfaces.h"

namespace KX {
class LLabel;
}

class LFaderEditPanel : public editor::LMoveableEditPanelFrame<LFaderEditPanel, IFader> {
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

    // "FADER n" and "BANK b" for fader index (5 per bank); nothing for an index of 20 or more.
    // A missing label throws the "Null Pointer" runtime error.
    virtual void SetFaderLabelText(uint32_t index);

protected:
    ~LFaderEditPanel() override;

private:
    KX::RCPtr<KX::LLabel> m_nameLabel;
};
