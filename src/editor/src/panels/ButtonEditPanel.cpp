// The push-button edit panel: its widgets, the value shown and the value sent.
#include "editor/ButtonEditPanel.h"

#include "editor/ButtonControlEditPanel.h"
#include "editor/ButtonMessage.h"
#include "panels/PadsPanelSupport.h"

#include "kx/Exception.h"
#include "kx/controls/ComboBox.h"
#include "kx/controls/Label.h"
#include "kx/controls/TabControl.h"

using namespace KX;

namespace {

constexpr const char* kInitialize = "LButtonEditPanel::Initialize";
constexpr const char* kLabelText = "LButtonEditPanel::SetButtonLabelText";
constexpr const char* kSource = "UI\\LumoSeriesCommon\\ButtonEditPanel";

constexpr const char16_t* kColorSelectors[4] = {u"color1", u"color2", u"color3", u"color4"};

} // namespace

LButtonEditPanel::LButtonEditPanel(const RCPtr<LControl>& parent, const WString& name) : LEditPanelFrame(parent, name)
{
}

LButtonEditPanel::~LButtonEditPanel()
{
    m_hidColorCombo = nullptr;
    m_modifierCombo = nullptr;
    m_keyCombo = nullptr;
    for (RCPtr<LComboBox>& combo : m_colors)
        combo = nullptr;
    m_buttonTypePanel = nullptr;
    m_nameLabel = nullptr;
}

void LButtonEditPanel::RegisterSelection(const RCPtr<LComboBox>& combo, int line)
{
    CheckResult(m_handler->AddDistributorHandler(&LButtonEditPanel::OnParametersChanged,
                                                 RCPtr<LNotificationDistributor>(combo), u"NID_SELECTION_CHANGE", 0),
                kInitialize, kSource, line);
}

KXRESULT LButtonEditPanel::Initialize()
{
    const KXRESULT base = InitializeFrame();
    if (Failed(base) || !m_handler)
        return base;

    m_nameLabel = RCPtr<LLabel>(dynamic_cast<LLabel*>(FindChild(WString(u"buttonName")).Get()));
    if (!m_nameLabel)
        pads::ThrowNullPointer("Couldn't find child ButtonName", kInitialize, kSource, __LINE__);
    const RCPtr<LTabControl> tabs(dynamic_cast<LTabControl*>(FindChild(WString(u"viewTabControl")).Get()));
    if (!tabs)
        pads::ThrowNullPointer("Cannot find child viewTabControl", kInitialize, kSource, __LINE__);
    m_buttonTypePanel = RCPtr<LButtonControlEditPanel>(
        dynamic_cast<LButtonControlEditPanel*>(tabs->GetPageForTab(WString(u"midiPage")).Get()));
    if (!m_buttonTypePanel)
        pads::ThrowNullPointer("Couldn't find child buttonTypePanel", kInitialize, kSource, __LINE__);
    ListenToSubEditor(RCPtr<LControl>(m_buttonTypePanel), &LButtonEditPanel::OnParametersChanged, kInitialize, kSource,
                      __LINE__);

    const RCPtr<LControl> colorPage = tabs->GetPageForTab(WString(u"colorPage"));
    for (uint32_t i = 0; i < pads::kColorCount; ++i) {
        m_colors[i] = pads::FindSelectorCombo(colorPage, kColorSelectors[i]);
        if (!m_colors[i])
            pads::ThrowNullPointer("Couldn't find child color" + std::to_string(i + 1), kInitialize, kSource, __LINE__);
        RegisterSelection(m_colors[i], __LINE__);
    }
    // Numbered by selector rather than by place, so the skin's order of the selectors cannot swap them.
    for (uint32_t i = 0; i < pads::kColorCount; ++i)
        pads::SetColorLabel(colorPage ? colorPage->FindChild(WString(kColorSelectors[i])) : RCPtr<LControl>(),
                            u"NUMBERED_COLOR_LABEL", static_cast<int32_t>(i + 1));
    const RCPtr<LControl> asciiColor = colorPage ? colorPage->FindChild(WString(u"asciiColor")) : RCPtr<LControl>();
    pads::SetColorLabel(asciiColor, u"ASCII_COLOR_LABEL", 0);
    m_hidColorCombo = pads::FindSelectorCombo(colorPage, u"asciiColor");
    if (!m_hidColorCombo)
        pads::ThrowNullPointer("Couldn't find child asciiColor", kInitialize, kSource, __LINE__);
    RegisterSelection(m_hidColorCombo, __LINE__);

    const RCPtr<LControl> asciiPage = tabs->GetPageForTab(WString(u"asciiPage"));
    m_keyCombo = pads::FindSelectorCombo(asciiPage, u"key");
    if (!m_keyCombo)
        pads::ThrowNullPointer("Couldn't find child key", kInitialize, kSource, __LINE__);
    RegisterSelection(m_keyCombo, __LINE__);
    m_modifierCombo = pads::FindSelectorCombo(asciiPage, u"modifierKey");
    if (!m_modifierCombo)
        pads::ThrowNullPointer("Couldn't find child modifierKey", kInitialize, kSource, __LINE__);
    RegisterSelection(m_modifierCombo, __LINE__);
    // Named after the first button until a button is chosen.
    SetButtonLabelText(GetIndex());
    return base;
}

void LButtonEditPanel::SetFirstParamID(LParameterizedModule* parent, int32_t firstId, int32_t index)
{
    RetargetAndPost(parent, firstId, index);
    m_targeted = true;
    SetButtonLabelText(index);
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

KXRESULT LButtonEditPanel::SetParamValueLocal(const ParamDescriptor& descriptor, const Variant& value, bool)
{
    Array<signed char> bytes;
    if (!editor::TakeParamValue(descriptor, value, GetFirstParamID(), kValueSize, bytes))
        return E_FAIL;
    if (!m_buttonTypePanel || !m_keyCombo || !m_modifierCombo || !m_hidColorCombo)
        return E_FAIL;
    for (const RCPtr<LComboBox>& combo : m_colors) {
        if (!combo)
            return E_FAIL;
    }
    {
        const pads::FillingScope filling(m_filling);
        Array<char> message =
            editor::SplitPushButtonMessage(reinterpret_cast<const uint8_t*>(&bytes.ElementAt(0)), kValueSize);
        m_buttonTypePanel->SetButtonMessage(message);
        for (uint32_t i = 0; i < pads::kColorCount; ++i)
            m_colors[i]->SetSelectedIndex(bytes.ElementAt(pads::kFirstColorByte + i));
        m_hidColorCombo->SetSelectedIndex(bytes.ElementAt(pads::kHidColorByte));
        m_keyCombo->SetSelectedIndex(pads::KeyItemFromByte(bytes.ElementAt(pads::kHidKeyByte)));
        m_modifierCombo->SetSelectedIndex(bytes.ElementAt(pads::kHidModifierByte));
    }
    PropagateShownValue(descriptor, value);
    return S_OK;
}

Array<signed char> LButtonEditPanel::AssembleValue()
{
    if (!m_buttonTypePanel)
        return {};
    const Array<char> message = m_buttonTypePanel->GetButtonMessage();
    uint8_t value[kValueSize] = {};
    if (!editor::JoinPushButtonMessage(message, value, kValueSize))
        return {};
    for (uint32_t i = 0; i < pads::kColorCount; ++i)
        value[pads::kFirstColorByte + i] = pads::SelectedByte(m_colors[i]);
    value[pads::kHidColorByte] = pads::SelectedByte(m_hidColorCombo);
    value[pads::kHidKeyByte] = m_keyCombo ? pads::KeyByteFromItem(m_keyCombo->GetSelectedIndex()) : 0xFF;
    value[pads::kHidModifierByte] = pads::SelectedByte(m_modifierCombo);
    return pads::ToSigned(value, kValueSize);
}

KXRESULT LButtonEditPanel::OnParametersChanged(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>&)
{
    // Showing a value is not an edit; nor is anything before the panel edits a button. A value
    // with an empty box is not sent (SendValue): the engine keeps the last good one.
    if (!m_filling && m_targeted) {
        const Array<signed char> value = AssembleValue();
        if (value.GetCount() == kValueSize)
            SendValue(value);
    }
    return 1;
}
