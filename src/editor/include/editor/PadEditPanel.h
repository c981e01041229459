#pragma once
// The pad edit panel ("PresetEditor.MainPage.PadEditPanel"): shows and edits the 14-byte value of
// one of the sixteen pads. Its MIDI page is the button sub-editor (whose note on/off fields follow
// the latch box here), its colour page four colour boxes of the pad colours. It is also the pad's
// module in the user interface's parameter tree: a value enters through SetParamValueLocal, every
// user change leaves as a whole new value through the main control. Main thread only.
#include "editor/ButtonEditPanelFrame.h"
#include "editor/ButtonMessage.h"
#include "engine/ModuleInterfaces.h"

#include <cstdint>

class LPadEditPanel : public editor::LButtonEditPanelFrame<LPadEditPanel, IPad> {
public:
    static constexpr uint32_t kValueSize = editor::kPadValueLength;
    static constexpr int32_t kPadCount = 16;

    LPadEditPanel(const KX::RCPtr<KX::LControl>& parent, const KX::WString& name);

    // The shared pages (InitializeButtonPages; a missing colour page is its own "Null Pointer"
    // error), the sub-editor told to tie its note on/off fields to the latch box. The panel's
    // result, E_FAIL without a handler.
    KX::KXRESULT Initialize() override;

    // "PAD n" for index 0..15: S_OK; E_FAIL with the label unchanged for any other index.
    KX::KXRESULT SetPadLabelText(int32_t index);

protected:
    ~LPadEditPanel() override;

    void ShowTargetName(int32_t index) override { SetPadLabelText(index); }
    KX::Array<char> SplitMessage(const uint8_t* value) const override;
    bool JoinMessage(const KX::Array<char>& message, uint8_t* value) const override;
};

extern template class editor::LButtonEditPanelFrame<LPadEditPanel, IPad>;
