// The push-button and pad edit panels' shared part: the sub-editor and colour pages, the value
// shown and the value sent.
#include "editor/ButtonEditPanelFrame.h"

#include "editor/ButtonControlEditPanel.h"
#include "editor/ButtonEditPanel.h"
#include "editor/PadEditPanel.h"
#include "panels/PadsPanelSupport.h"

#include "kx/Exception.h"
#include "kx/controls/ComboBox.h"
#include "kx/controls/Label.h"
#include "kx/controls/TabControl.h"

#include <string>

using namespace KX;

namespace editor {

namespace {
constexpr const char16_t* kColorSelectors[pads::kColorCount] = {u"color1", u"color2", u"color3", u"color4"};
} // namespace

template <class Self, class Module>
LButtonEditPanelFrame<Self, Module>::~LButtonEditPanelFrame()
{
    for (RCPtr<LComboBox>& combo : m_colors)
        combo = nullptr;
    m_buttonTypePanel = nullptr;
    m_nameLabel = nullptr;
}

template <class Self, class Module>
void LButtonEditPanelFrame<Self, Module>::ListenToBox(const RCPtr<LComboBox>& combo, std::string_view method,
                                                      std::string_view source, int line)
{
    CheckResult(this->m_handler->AddDistributorHandler(&LButtonEditPanelFrame::OnParametersChanged,
                                                       RCPtr<LNotificationDistributor>(combo), NID_SELECTION_CHANGE, 0),
                method, source, line);
}

template <class Self, class Module>
KXRESULT LButtonEditPanelFrame<Self, Module>::InitializeButtonPages(const ButtonPanelNames& names,
                                                                    RCPtr<LTabControl>& tabs)
{
    const KXRESULT base = this->InitializeFrame();
    if (Failed(base) || !this->m_handler)
        return base;
    const std::string_view method = names.method;
    const std::string_view source = names.source;
    m_nameLabel = RCPtr<LLabel>(dynamic_cast<LLabel*>(this->FindChild(WString(names.nameLabel)).Get()));
    if (!m_nameLabel)
        pads::ThrowNullPointer(names.nameMissing, method, source, __LINE__);
    tabs = RCPtr<LTabControl>(dynamic_cast<LTabControl*>(this->FindChild(WString(u"viewTabControl")).Get()));
    if (!tabs)
        pads::ThrowNullPointer("Cannot find child viewTabControl", method, source, __LINE__);
    m_buttonTypePanel = RCPtr<LButtonControlEditPanel>(
        dynamic_cast<LButtonControlEditPanel*>(tabs->GetPageForTab(WString(u"midiPage")).Get()));
    if (!m_buttonTypePanel)
        pads::ThrowNullPointer(names.subEditorMissing, method, source, __LINE__);
    this->ListenToSubEditor(RCPtr<LControl>(m_buttonTypePanel), &LButtonEditPanelFrame::OnParametersChanged, method,
                            source, __LINE__);

    const RCPtr<LControl> colorPage = tabs->GetPageForTab(WString(u"colorPage"));
    if (!colorPage && !names.colorPageMissing.empty())
        pads::ThrowNullPointer(names.colorPageMissing, method, source, __LINE__);
    for (uint32_t i = 0; i < pads::kColorCount; ++i) {
        m_colors[i] = pads::FindSelectorCombo(colorPage, kColorSelectors[i]);
        if (!m_colors[i])
            pads::ThrowNullPointer("Couldn't find child color" + std::to_string(i + 1), method, source, __LINE__);
        ListenToBox(m_colors[i], method, source, __LINE__);
        pads::ShowColorSwatches(m_colors[i], names.colorLooks);
        // Numbered by selector rather than by place, so the skin's order of the selectors cannot swap them.
        pads::SetColorLabel(colorPage->FindChild(WString(kColorSelectors[i])), u"NUMBERED_COLOR_LABEL",
                            static_cast<int32_t>(i + 1));
    }
    return base;
}

template <class Self, class Module>
void LButtonEditPanelFrame<Self, Module>::SetFirstParamID(LParameterizedModule* parent, int32_t firstId, int32_t index)
{
    this->RetargetAndPost(parent, firstId, index);
    m_targeted = true;
    ShowTargetName(index);
}

template <class Self, class Module>
KXRESULT LButtonEditPanelFrame<Self, Module>::SetParamValueLocal(const ParamDescriptor& descriptor,
                                                                 const Variant& value, bool)
{
    Array<signed char> bytes;
    if (!TakeParamValue(descriptor, value, this->GetFirstParamID(), Self::kValueSize, bytes) || !HasWidgets())
        return E_FAIL;
    {
        const pads::FillingScope filling(m_filling);
        Array<char> message = SplitMessage(reinterpret_cast<const uint8_t*>(&bytes.ElementAt(0)));
        m_buttonTypePanel->SetButtonMessage(message);
        for (uint32_t i = 0; i < pads::kColorCount; ++i) {
            if (m_colors[i])
                m_colors[i]->SetSelectedIndex(bytes.ElementAt(pads::kFirstColorByte + i));
        }
        ShowOwnBytes(bytes);
    }
    this->PropagateShownValue(descriptor, value);
    return S_OK;
}

template <class Self, class Module>
Array<signed char> LButtonEditPanelFrame<Self, Module>::AssembleValue()
{
    if (!m_buttonTypePanel)
        return {};
    const Array<char> message = m_buttonTypePanel->GetButtonMessage();
    uint8_t value[Self::kValueSize] = {};
    if (!JoinMessage(message, value))
        return {};
    for (uint32_t i = 0; i < pads::kColorCount; ++i)
        value[pads::kFirstColorByte + i] = pads::SelectedByte(m_colors[i]);
    AssembleOwnBytes(value);
    return pads::ToSigned(value, Self::kValueSize);
}

template <class Self, class Module>
KXRESULT LButtonEditPanelFrame<Self, Module>::OnParametersChanged(const RCPtr<LNotificationDistributor>&,
                                                                  const RCPtr<LNotification>&)
{
    // Showing a value is not an edit; nor is anything before the panel edits a control. An empty
    // box keeps the stored setting (SendValue).
    if (!m_filling && m_targeted) {
        const Array<signed char> value = AssembleValue();
        if (value.GetCount() == Self::kValueSize)
            this->SendValue(value);
    }
    return 1;
}

template class LButtonEditPanelFrame<LButtonEditPanel, IPushButton>;
template class LButtonEditPanelFrame<LPadEditPanel, IPad>;

} // namespace editor
