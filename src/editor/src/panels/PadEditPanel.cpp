// The pad edit panel: its widgets, the value shown and the value sent.
#include "editor/PadEditPanel.h"

#include "editor/ButtonControlEditPanel.h"
#include "editor/ButtonMessage.h"
#include "panels/PadsPanelSupport.h"

#include "kx/Exception.h"
#include "kx/controls/ComboBox.h"
#include "kx/controls/Label.h"
#include "kx/controls/TabControl.h"

using namespace KX;

namespace {

constexpr const char* kInitialize = "LPadEditPanel::Initialize";
constexpr const char* kSource = "UI\\LumoSeriesCommon\\PadEditPanel";

constexpr const char16_t* kColorSelectors[4] = {u"color1", u"color2", u"color3", u"color4"};

} // namespace

LPadEditPanel::LPadEditPanel(const RCPtr<LControl>& parent, const WString& name) : LEditPanelFrame(parent, name) {}

LPadEditPanel::~LPadEditPanel()
{
    for (RCPtr<LComboBox>& combo : m_colors)
        combo = nullptr;
    m_buttonTypePanel = nullptr;
    m_nameLabel = nullptr;
}

KXRESULT LPadEditPanel::Initialize()
{
    const KXRESULT base = InitializeFrame();
    if (Failed(base) || !m_handler)
        return base;

    m_nameLabel = RCPtr<LLabel>(dynamic_cast<LLabel*>(FindChild(WString(u"padName")).Get()));
    if (!m_nameLabel)
        pads::ThrowNullPointer("Couldn't find child padName", kInitialize, kSource, __LINE__);
    const RCPtr<LTabControl> tabs(dynamic_cast<LTabControl*>(FindChild(WString(u"viewTabControl")).Get()));
    if (!tabs)
        pads::ThrowNullPointer("Cannot find child viewTabControl", kInitialize, kSource, __LINE__);
    m_buttonTypePanel = RCPtr<LButtonControlEditPanel>(
        dynamic_cast<LButtonControlEditPanel*>(tabs->GetPageForTab(WString(u"midiPage")).Get()));
    if (!m_buttonTypePanel)
        pads::ThrowNullPointer("Couldn't find viewTabControl page: midiPage", kInitialize, kSource, __LINE__);
    ListenToSubEditor(RCPtr<LControl>(m_buttonTypePanel), &LPadEditPanel::OnParametersChanged, kInitialize, kSource,
                      __LINE__);
    m_buttonTypePanel->SetNoteOnOffFollowsLatch(true);

    const RCPtr<LControl> colorPage = tabs->GetPageForTab(WString(u"colorPage"));
    if (!colorPage)
        pads::ThrowNullPointer("Cannot find child viewTabControl page: colorPage", kInitialize, kSource, __LINE__);
    for (uint32_t i = 0; i < pads::kColorCount; ++i) {
        m_colors[i] = pads::FindSelectorCombo(colorPage, kColorSelectors[i]);
        if (!m_colors[i])
            pads::ThrowNullPointer("Couldn't find child color" + std::to_string(i + 1), kInitialize, kSource, __LINE__);
        CheckResult(m_handler->AddDistributorHandler(&LPadEditPanel::OnParametersChanged,
                                                     RCPtr<LNotificationDistributor>(m_colors[i]),
                                                     u"NID_SELECTION_CHANGE", 0),
                    kInitialize, kSource, __LINE__);
        pads::SetColorLabel(colorPage->FindChild(WString(kColorSelectors[i])), u"NUMBERED_COLOR_LABEL",
                            static_cast<int32_t>(i + 1));
    }
    // Named after the first pad until a pad is chosen.
    SetPadLabelText(GetIndex());
    return base;
}

void LPadEditPanel::SetFirstParamID(LParameterizedModule* parent, int32_t firstId, int32_t index)
{
    RetargetAndPost(parent, firstId, index);
    m_targeted = true;
    SetPadLabelText(index);
}

KXRESULT LPadEditPanel::SetPadLabelText(int32_t index)
{
    if (static_cast<uint32_t>(index) >= static_cast<uint32_t>(kPadCount) || !m_nameLabel)
        return E_FAIL;
    m_nameLabel->SetText(pads::FormatLabel(m_nameLabel, index + 1));
    return S_OK;
}

KXRESULT LPadEditPanel::SetParamValueLocal(const ParamDescriptor& descriptor, const Variant& value, bool)
{
    Array<signed char> bytes;
    if (!editor::TakeParamValue(descriptor, value, GetFirstParamID(), kValueSize, bytes) || !m_buttonTypePanel)
        return E_FAIL;
    {
        const pads::FillingScope filling(m_filling);
        Array<char> message =
            editor::SplitPadMessage(reinterpret_cast<const uint8_t*>(&bytes.ElementAt(0)), kValueSize);
        m_buttonTypePanel->SetButtonMessage(message);
        for (uint32_t i = 0; i < pads::kColorCount; ++i) {
            if (m_colors[i])
                m_colors[i]->SetSelectedIndex(bytes.ElementAt(pads::kFirstColorByte + i));
        }
    }
    PropagateShownValue(descriptor, value);
    return S_OK;
}

Array<signed char> LPadEditPanel::AssembleValue()
{
    if (!m_buttonTypePanel)
        return {};
    const Array<char> message = m_buttonTypePanel->GetButtonMessage();
    uint8_t value[kValueSize] = {};
    if (!editor::JoinPadMessage(message, value, kValueSize))
        return {};
    for (uint32_t i = 0; i < pads::kColorCount; ++i)
        value[pads::kFirstColorByte + i] = pads::SelectedByte(m_colors[i]);
    return pads::ToSigned(value, kValueSize);
}

KXRESULT LPadEditPanel::OnParametersChanged(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>&)
{
    // Showing a value is not an edit; nor is anything before the panel edits a pad. A value with
    // an empty box is not sent (SendValue): the engine keeps the last good one.
    if (!m_filling && m_targeted) {
        const Array<signed char> value = AssembleValue();
        if (value.GetCount() == kValueSize)
            SendValue(value);
    }
    return 1;
}
