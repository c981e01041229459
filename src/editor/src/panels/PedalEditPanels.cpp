// The volume and sustain pedal edit panels.
#include "editor/PedalEditPanels.h"

#include "dialogs/DialogSupport.h"
#include "editor/ButtonControlEditPanel.h"

using namespace KX;

namespace {
constexpr const char* kVolumeInitialize = "LVolumePedalEditPanel::Initialize";
constexpr const char* kVolumeSource = "UI\\LumoSeriesCommon\\VolumePedalEditPanel";
constexpr const char* kSustainInitialize = "LSustainPedalEditPanel::Initialize";
constexpr const char* kSustainSource = "UI\\LumoSeriesCommon\\SustainPedalEditPanel";
constexpr uint32_t kButtonMessageLength = 10;
} // namespace

LVolumePedalEditPanel::LVolumePedalEditPanel(const RCPtr<LControl>& parent, const WString& name)
    : LMoveableEditPanelFrame(parent, name)
{
}

LVolumePedalEditPanel::~LVolumePedalEditPanel() = default;

KXRESULT LVolumePedalEditPanel::Initialize()
{
    return InitializeMoveable(kVolumeInitialize, kVolumeSource, 30);
}

void LVolumePedalEditPanel::SetFirstParamID(LParameterizedModule* root, int32_t firstId, int32_t index)
{
    RetargetAndPost(root, firstId, index);
}

Array<char> SustainPedalValue::ToButtonMessage(const Array<signed char>& value)
{
    Array<char> message;
    message.SetSize(kButtonMessageLength);
    for (uint32_t i = 0; i < kButtonMessageLength; ++i)
        message.ElementAt(i) = 0;
    for (uint32_t i = 0; i < 5 && i < value.GetCount(); ++i)
        message.ElementAt(i) = static_cast<char>(value.ElementAt(i));
    message.ElementAt(5) = 1;
    message.ElementAt(7) = 1;
    if (value.GetCount() > 5)
        message.ElementAt(9) = static_cast<char>(value.ElementAt(5));
    return message;
}

Array<signed char> SustainPedalValue::FromButtonMessage(const Array<char>& message)
{
    Array<signed char> value;
    if (message.GetCount() != kButtonMessageLength)
        return value;
    for (uint32_t i = 0; i < 5; ++i)
        value.AddItem(static_cast<signed char>(message.ElementAt(i)));
    value.AddItem(static_cast<signed char>(message.ElementAt(9)));
    return value;
}

LSustainPedalEditPanel::LSustainPedalEditPanel(const RCPtr<LControl>& parent, const WString& name)
    : LEditPanelFrame(parent, name)
{
}

LSustainPedalEditPanel::~LSustainPedalEditPanel()
{
    m_subEditor = nullptr;
}

KXRESULT LSustainPedalEditPanel::Initialize()
{
    const KXRESULT base = InitializeFrame();
    if (Failed(base))
        return base;
    m_subEditor = editor::FindChildAs<LButtonControlEditPanel>(this, u"buttonTypePanel");
    if (!m_subEditor)
        editor::ThrowNullPointer("Cannot find child: buttonTypePanel", kSustainInitialize, kSustainSource, 40);
    ListenToSubEditor(RCPtr<LControl>(m_subEditor), &LSustainPedalEditPanel::OnParametersChanged, kSustainInitialize,
                      kSustainSource, 43);
    return base;
}

void LSustainPedalEditPanel::SetFirstParamID(LParameterizedModule* root, int32_t firstId, int32_t index)
{
    RetargetAndPost(root, firstId, index);
}

KXRESULT LSustainPedalEditPanel::SetParamValueLocal(const ParamDescriptor& descriptor, const Variant& value, bool)
{
    Array<signed char> bytes;
    if (!editor::TakeParamValue(descriptor, value, GetFirstParamID(), SustainPedalValue::kLength, bytes))
        return E_FAIL;
    if (m_subEditor) {
        Array<char> message = SustainPedalValue::ToButtonMessage(bytes);
        m_subEditor->SetButtonMessage(message);
    }
    PropagateShownValue(descriptor, value);
    return S_OK;
}

KXRESULT LSustainPedalEditPanel::OnParametersChanged(const RCPtr<LNotificationDistributor>&,
                                                     const RCPtr<LNotification>&)
{
    if (m_subEditor) {
        const Array<signed char> value = SustainPedalValue::FromButtonMessage(m_subEditor->GetButtonMessage());
        if (value.GetCount() == SustainPedalValue::kLength)
            SendValue(value);
    }
    return 1;
}
