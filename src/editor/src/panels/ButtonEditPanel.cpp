// The push-button edit panel: its name and bank, its message and the key stroke page.
#include "editor/ButtonEditPanel.h"

#include "editor/ButtonControlEditPanel.h"

#include "kx/controls/ComboBox.h"
#include "kx/controls/Label.h"
#include "kx/controls/TabControl.h"

#include "panels/PadsPanelSupport.h"

using namespace KX;

namespace {
constexpr const char* kInitialize = "LButtonEditPanel::Initialize";
constexpr const char* kLabelText = "LButtonEditPanel::SetButtonLabelText";
constexpr const char* kSource = "UI\\LumoSeriesCommon\\ButtonEditPanel";
} // namespace

LButtonEditPanel::LButtonEditPanel(const RCPtr<LControl>& parent, const WString& name)
    : LButtonEditPanelFrame(parent, name)
{
}

LButtonEditPanel::~LButtonEditPanel()
{
    m_hidColorCombo = nullptr;
    m_modifierCombo = nullptr;
    m_keyCombo = nullptr;
}

KXRESULT LButtonEditPanel::Initialize()
{
    RCPtr<LTabControl> tabs;
    const KXRESULT base = InitializeButtonPages({u"buttonName",
                                                 "Couldn't find child ButtonName",
                                                 "Couldn't find child buttonTypePanel",
                                                 {},
                                                 kInitialize,
                                                 kSource,
                                                 u"Tile.Color"},
                                                tabs);
    if (Failed(base) || !m_handler)
        return base;

    const RCPtr<LControl> colorPage = tabs->GetPageForTab(WString(u"colorPage"));
    pads::SetColorLabel(colorPage->FindChild(WString(u"asciiColor")), u"ASCII_COLOR_LABEL", 0);
    m_hidColorCombo = pads::FindSelectorCombo(colorPage, u"asciiColor");
    if (!m_hidColorCombo)
        pads::ThrowNullPointer("Couldn't find child asciiColor", kInitialize, kSource, __LINE__);
    ListenToBox(m_hidColorCombo, kInitialize, kSource, __LINE__);
    pads::ShowColorSwatches(m_hidColorCombo, u"Tile.Color");

    const RCPtr<LControl> asciiPage = tabs->GetPageForTab(WString(u"asciiPage"));
    m_keyCombo = pads::FindSelectorCombo(asciiPage, u"key");
    if (!m_keyCombo)
        pads::ThrowNullPointer("Couldn't find child key", kInitialize, kSource, __LINE__);
    ListenToBox(m_keyCombo, kInitialize, kSource, __LINE__);
    m_modifierCombo = pads::FindSelectorCombo(asciiPage, u"modifierKey");
    if (!m_modifierCombo)
        pads::ThrowNullPointer("Couldn't find child modifierKey", kInitialize, kSource, __LINE__);
    ListenToBox(m_modifierCombo, kInitialize, kSource, __LINE__);
    // Named after the first button until a button is chosen.
    SetButtonLabelText(GetIndex());
    return base;
}

void LButtonEditPanel::SetButtonLabelText(int32_t index)
{
    if (static_cast<uint32_t>(index) >= static_cast<uint32_t>(kButtonCount))
        return;
    const RCPtr<LLabel> button(dynamic_cast<LLabel*>(FindChild(WString(u"buttonName")).Get()));
    if (!button)
        pads::ThrowNullPointer("Couldn't find child buttonName", kLabelText, kSource, __LINE__);
    const RCPtr<LLabel> bank(dynamic_cast<LLabel*>(FindChild(WString(u"bankName")).Get()));
    if (!bank)
        pads::ThrowNullPointer("Couldn't find child bankName", kLabelText, kSource, __LINE__);
    button->SetText(pads::FormatLabel(button, index % kButtonsPerBank + 1));
    bank->SetText(pads::FormatLabel(bank, index / kButtonsPerBank + 1));
}

Array<char> LButtonEditPanel::SplitMessage(const uint8_t* value) const
{
    return editor::SplitPushButtonMessage(value, kValueSize);
}

bool LButtonEditPanel::JoinMessage(const Array<char>& message, uint8_t* value) const
{
    return editor::JoinPushButtonMessage(message, value, kValueSize);
}

bool LButtonEditPanel::HasWidgets() const
{
    if (!m_buttonTypePanel || !m_keyCombo || !m_modifierCombo || !m_hidColorCombo)
        return false;
    for (const RCPtr<LComboBox>& combo : m_colors) {
        if (!combo)
            return false;
    }
    return true;
}

void LButtonEditPanel::ShowOwnBytes(const Array<signed char>& bytes)
{
    m_hidColorCombo->SetSelectedIndex(bytes.ElementAt(pads::kHidColorByte));
    m_keyCombo->SetSelectedIndex(pads::KeyItemFromByte(bytes.ElementAt(pads::kHidKeyByte)));
    m_modifierCombo->SetSelectedIndex(bytes.ElementAt(pads::kHidModifierByte));
}

void LButtonEditPanel::AssembleOwnBytes(uint8_t* value)
{
    value[pads::kHidColorByte] = pads::SelectedByte(m_hidColorCombo);
    value[pads::kHidKeyByte] = m_keyCombo ? pads::KeyByteFromItem(m_keyCombo->GetSelectedIndex()) : 0xFF;
    value[pads::kHidModifierByte] = pads::SelectedByte(m_modifierCombo);
}
