// The encoder edit panel: its labels, its target and the road of its values.
#include "editor/EncoderEditPanel.h"

#include "dialogs/DialogSupport.h"
#include "editor/MoveableControlEditPanel.h"

#include "kx/controls/Label.h"

using namespace KX;

namespace {
constexpr const char* kInitialize = "LEncoderEditPanel::Initialize";
constexpr const char* kLabelText = "LEncoderEditPanel::SetEncoderLabelText";
constexpr const char* kSource = "UI\\LumoSeriesCommon\\EncoderEditPanel";
} // namespace

LEncoderEditPanel::LEncoderEditPanel(const RCPtr<LControl>& parent, const WString& name) : LEditPanelFrame(parent, name)
{
}

LEncoderEditPanel::~LEncoderEditPanel()
{
    m_subEditor = nullptr;
}

KXRESULT LEncoderEditPanel::Initialize()
{
    const KXRESULT base = InitializeFrame();
    if (Failed(base))
        return base;
    m_subEditor = editor::FindChildAs<LMoveableControlEditPanel>(this, u"moveableTypePanel");
    if (!m_subEditor)
        editor::ThrowNullPointer("Cannot find child: moveableTypePanel", kInitialize, kSource, 47);
    ListenToSubEditor(RCPtr<LControl>(m_subEditor), &LEncoderEditPanel::OnParametersChanged, kInitialize, kSource, 50);
    // Named as the first encoder until the first target, rather than showing the bare format.
    if (FindChild(WString(u"knobName")) && FindChild(WString(u"bankName")))
        SetEncoderLabelText(static_cast<uint32_t>(GetIndex()));
    return base;
}

void LEncoderEditPanel::SetFirstParamID(LParameterizedModule* root, int32_t firstId, int32_t index)
{
    LParameterizedModule::SetFirstParamID(root, firstId, index);
    SetEncoderLabelText(static_cast<uint32_t>(index));
    editor::PostCurrentParamValue(firstId);
}

void LEncoderEditPanel::SetEncoderLabelText(uint32_t index)
{
    if (index >= kEncoderCount)
        return;
    const RCPtr<LLabel> name = editor::FindChildAs<LLabel>(this, u"knobName");
    if (!name)
        editor::ThrowNullPointer("Couldn't find child knobName", kLabelText, kSource, 96);
    const RCPtr<LLabel> bank = editor::FindChildAs<LLabel>(this, u"bankName");
    if (!bank)
        editor::ThrowNullPointer("Couldn't find child bankName", kLabelText, kSource, 99);
    WString format;
    name->LookupString(WString(u"LABEL"), format);
    name->SetText(editor::FormatLabel(format, static_cast<int32_t>(index % kEncodersPerBank + 1)));
    bank->LookupString(WString(u"LABEL"), format);
    bank->SetText(editor::FormatLabel(format, static_cast<int32_t>(index / kEncodersPerBank + 1)));
}

KXRESULT LEncoderEditPanel::SetParamValueLocal(const ParamDescriptor& descriptor, const Variant& value, bool)
{
    Array<signed char> message;
    if (!editor::TakeParamValue(descriptor, value, GetFirstParamID(), MoveableMessage::kLength, message))
        return E_FAIL;
    if (m_subEditor)
        m_subEditor->SetMoveableMessage(message);
    PropagateShownValue(descriptor, value);
    return S_OK;
}

KXRESULT LEncoderEditPanel::OnParametersChanged(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>&)
{
    if (m_subEditor)
        SendValue(m_subEditor->GetMoveableMessage());
    return 1;
}
