#pragma once
// The push-button edit panel ("PresetEditor.MainPage.ButtonEditPanel"): shows and edits the
// 17-byte value of one of the twenty push buttons. Its MIDI page is the button sub-editor, its
// colour page four colour boxes and the HID colour box, its HID page the key and modifier boxes.
// It is also the push button's module in the user interface's parameter tree: a value enters
// through SetParamValueLocal, every user change leaves as a whole new value through the main
// control. Main thread only.
#include "editor/ButtonEditPanelFrame.h"
#include "editor/ButtonMessage.h"
#include "engine/ModuleInterfaces.h"

#include <cstdint>

class LButtonEditPanel : public editor::LButtonEditPanelFrame<LButtonEditPanel, IPushButton> {
public:
    static constexpr uint32_t kValueSize = editor::kPushButtonValueLength;
    static constexpr int32_t kButtonCount = 20;
    static constexpr int32_t kButtonsPerBank = 5;

    LButtonEditPanel(const KX::RCPtr<KX::LControl>& parent, const KX::WString& name);

    // The shared pages (InitializeButtonPages), then the HID colour, key and modifier boxes and
    // the HID colour label; a missing one throws its "Null Pointer" runtime error, a failed
    // registration the failed-result exception. The panel's result, E_FAIL without a handler.
    KX::KXRESULT Initialize() override;

    // "BUTTON n" and "BANK n" for index 0..19; nothing for any other index.
    virtual void SetButtonLabelText(int32_t index);

    const KX::RCPtr<KX::LComboBox>& GetKeyCombo() const noexcept { return m_keyCombo; }
    const KX::RCPtr<KX::LComboBox>& GetModifierCombo() const noexcept { return m_modifierCombo; }
    const KX::RCPtr<KX::LComboBox>& GetHidColorCombo() const noexcept { return m_hidColorCombo; }

protected:
    ~LButtonEditPanel() override;

    void ShowTargetName(int32_t index) override { SetButtonLabelText(index); }
    KX::Array<char> SplitMessage(const uint8_t* value) const override;
    bool JoinMessage(const KX::Array<char>& message, uint8_t* value) const override;
    bool HasWidgets() const override;
    // The HID colour, key and modifier bytes.
    void ShowOwnBytes(const KX::Array<signed char>& bytes) override;
    void AssembleOwnBytes(uint8_t* value) override;

private:
    KX::RCPtr<KX::LComboBox> m_keyCombo;
    KX::RCPtr<KX::LComboBox> m_modifierCombo;
    KX::RCPtr<KX::LComboBox> m_hidColorCombo;
};

extern template class editor::LButtonEditPanelFrame<LButtonEditPanel, IPushButton>;
