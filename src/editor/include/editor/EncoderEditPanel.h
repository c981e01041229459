#pragma once
// The encoder edit panel ("PresetEditor.MainPage.KnobEditPanel"): the IEncoder module that stands in
// the tile's place while it is pointed at one of the sixteen encoders; it shows the encoder's 6-byte
// moveable message in its sub-editor ("moveableTypePanel"), names the encoder and its bank
// ("knobName", "bankName") and sends every edit to the main control. Main thread only.
#include "editor/MoveableEditPanelFrame.h"
#include "engine/ModuleInterfaces.h"

class LEncoderEditPanel : public editor::LMoveableEditPanelFrame<LEncoderEditPanel, IEncoder> {
public:
    static constexpr uint32_t kEncoderCount = 16;
    static constexpr uint32_t kEncodersPerBank = 4;

    LEncoderEditPanel(const KX::RCPtr<KX::LControl>& parent, const KX::WString& name);

    // Needs "moveableTypePanel" (an LMoveableControlEditPanel): the "Null Pointer" runtime
    // error otherwise; the labels are looked up when used. The base's failure; E_FAIL without a handler.
    KX::KXRESULT Initialize() override;

    // Points the panel at an encoder: stores the fields, relabels the panel and asks for its
    // current value (it arrives at a later idle pass).
    void SetFirstParamID(LParameterizedModule* root, int32_t firstId, int32_t index) override;

    // "ENCODER n" and "BANK b" for encoder index (4 per bank); nothing for an index of 16 or more.
    // A missing label throws the "Null Pointer" runtime error.
    virtual void SetEncoderLabelText(uint32_t index);

protected:
    ~LEncoderEditPanel() override;

private:
};
