// The fader edit panel: its labels, its target and the road of its values.
#include "editor/FaderEditPanel.h"

#include "dialogs/DialogSupport.h"
#include "editor/MoveableControlEditPanel.h"

#include "kx/controls/Label.h"

using namespace KX;

namespace {
constexpr const char* kInitialize = "LFaderEditPanel::Initialize";
constexpr const char* kLabelText = "LFaderEditPanel::SetFaderLabelText";
constexpr const char* kSource = "UI\\LumoSeriesCommon\\FaderEditPanel";
} // namespace

LFaderEditPanel::LFaderEditPanel(const RCPtr<LControl>& parent, const WString& name) : LEditPanelFrame(parent, name) {}

LFaderEditPanel::~LFaderEditPanel()
{
    m_subEditor = nullptr;
    m_nameLabel = nullptr;
}

KXRESULT LFaderEditPanel::Initialize()
{
    const KXRESULT base = InitializeFrame();
    if (Failed(base))
        return base;
    m_subEditor = editor::FindChildAs<LMoveableControlEditPanel>(this, u"moveableTypePanel");
    if (!m_subEditor)
        editor::ThrowNullPointer("Cannot find child: moveableTypePanel", kInitialize, kSource, 47);
    ListenToSubEditor(RCPtr<LControl>(m_subEditor), &LFaderEditPanel::OnParametersChanged, kInitialize, kSource, 50);
    m_nameLabel = editor::FindChildAs<LLabel>(this, u"faderName");
    if (!m_nameLabel)
        editor::ThrowNullPointer("Cannot find child: faderName", kInitialize, kSource, 54);
    // Named as the first fader until the first target, rather than showing the bare format.
    if (FindChild(WString(u"faderName")) && FindChild(WString(u"bankName")))
        SetFaderLabelText(static_cast<uint32_t>(GetIndex()));
    return base;
}

void LFaderEditPanel::SetFirstParamID(LParameterizedModule* root, int32_t firstId, int32_t index)
{
    RetargetAndPost(root, firstId, index);
    SetFaderLabelText(static_cast<uint32_t>(index));
}

void LFaderEditPanel::SetFaderLabelText(uint32_t index)
{
    if (index >= kFaderCount)
        return;
    const RCPtr<LLabel> name = editor::FindChildAs<LLabel>(this, u"faderName");
    if (!name)
        editor::ThrowNullPointer("Couldn't find child faderName", kLabelText, kSource, 96);
    const RCPtr<LLabel> bank = editor::FindChildAs<LLabel>(this, u"bankName");
    if (!bank)
        editor::ThrowNullPointer("Couldn't find child bankName", kLabelText, kSource, 99);
    WString format;
    name->LookupString(WString(u"LABEL"), format);
    name->SetText(editor::FormatLabel(format, static_cast<int32_t>(index % kFadersPerBank + 1)));
    bank->LookupString(WString(u"LABEL"), format);
    bank->SetText(editor::FormatLabel(format, static_cast<int32_t>(index / kFadersPerBank + 1)));
}

KXRESULT LFaderEditPanel::SetParamValueLocal(const ParamDescriptor& descriptor, const Variant& value, bool)
{
    Array<signed char> message;
    if (!editor::TakeParamValue(descriptor, value, GetFirstParamID(), MoveableMessage::kLength, message))
        return E_FAIL;
    if (m_subEditor)
        m_subEditor->SetMoveableMessage(message);
    PropagateShownValue(descriptor, value);
    return S_OK;
}

KXRESULT LFaderEditPanel::OnParametersChanged(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>&)
{
    if (m_subEditor)
        SendValue(m_subEditor->GetMoveableMessage());
    return 1;
}
