// The pad tile of the keyboard picture.
#include "editor/PadPanel.h"

#include "editor/ButtonControlViewPanel.h"
#include "editor/ButtonMessage.h"

#include "dialogs/DialogSupport.h"

#include "engine/RootModuleEngine.h"

#include "kx/Exception.h"
#include "kx/controls/Label.h"
#include "kx/ui/ControlFactory.h"
#include "kx/ui/ParamRecords.h"

using namespace KX;

namespace {
constexpr const char* kSource = "UI\\LumoSeriesCommon\\PadPanel";
constexpr const char* kInitialize = "LPadPanel::Initialize";
constexpr int32_t kColorSlots = 4;

bool IsNullControl(const RCPtr<LControl>& c)
{
    return !c || c.Get() == LControlFactory::NullControl().Get();
}
} // namespace

LPadPanel::LPadPanel(const RCPtr<LControl>& parent, const WString& name) : LPanel(parent, name) {}

LPadPanel::~LPadPanel()
{
    m_viewPanel = nullptr;
    m_colorIndicator = nullptr;
    m_handler = nullptr;
}

KXRESULT LPadPanel::Initialize()
{
    const KXRESULT base = LPanel::Initialize();
    if (Failed(base))
        return base;
    m_handler = RCPtr<LNotificationHandler<LPadPanel>>(new LNotificationHandler<LPadPanel>(this));
    if (!m_handler)
        editor::ThrowNullPointer("Cannot create notification handler", kInitialize, kSource, __LINE__);
    m_colorIndicator = FindChild(WString(u"color"));
    if (IsNullControl(m_colorIndicator))
        editor::ThrowNullPointer("child: color not found", kInitialize, kSource, __LINE__);
    // A missing face gives an empty distributor, which the registration refuses.
    const RCPtr<LControl> face = FindChild(WString(u"button"));
    const RCPtr<LNotificationDistributor> faceDistributor =
        IsNullControl(face) ? RCPtr<LNotificationDistributor>() : RCPtr<LNotificationDistributor>(face);
    CheckResult(m_handler->AddDistributorHandler(&LPadPanel::OnButtonClicked, faceDistributor, u"NID_LEFT_CLICK", 0),
                kInitialize, kSource, __LINE__);
    m_colorSlot = -1;
    m_viewPanel = editor::FindChildAs<LButtonControlViewPanel>(this, u"viewPanel");
    if (!m_viewPanel)
        editor::ThrowNullPointer("child: viewPanel not found", kInitialize, kSource, __LINE__);
    return base;
}

KXRESULT LPadPanel::Receive(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n)
{
    if (m_handler && m_handler->Receive(from, n))
        return S_OK;
    return LPanel::Receive(from, n);
}

KXRESULT LPadPanel::UnregisterForNotification(const RCPtr<LNotificationDistributor>& d, const char16_t* name)
{
    if (m_handler)
        m_handler->RemoveDistributorHandler(d, name);
    return LPanel::UnregisterForNotification(d, name);
}

void LPadPanel::SetFirstParamID(LParameterizedModule* parent, int32_t firstId, int32_t index)
{
    IPad::SetFirstParamID(parent, firstId, index);
    const auto label = editor::FindChildAs<LLabel>(this, u"padNumberLabel");
    if (!label)
        editor::ThrowNullPointer("Cannot find child: padNumberLabel", "LPadPanel::SetFirstParamID", kSource, __LINE__);
    // The label's own text is the format, so a second call keeps the number of the first.
    const WString format = label->GetText();
    label->SetText(WString::Format(format.GetString(), index + 1));
}

KXRESULT LPadPanel::SetParamValueLocal(const ParamDescriptor& descriptor, const Variant& value, bool)
{
    UpdateColorIndicator();
    if (descriptor.id != GetFirstParamID())
        return E_FAIL;
    Array<char> message = editor::SplitPadMessage(value);
    if (message.GetCount() != LButtonControlViewPanel::kMessageLength)
        return E_FAIL;
    if (m_viewPanel)
        m_viewPanel->SetButtonMessage(message);
    return S_OK;
}

KXRESULT LPadPanel::OnButtonClicked(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>& n)
{
    const auto click =
        n ? ConstRCPtr<LMouseButtonParam>::DynamicCast(n->GetPayload()) : ConstRCPtr<LMouseButtonParam>();
    if (click && (click->GetModifiers() & kShiftBit) != 0) {
        if (++m_colorSlot >= kColorSlots)
            m_colorSlot = 0;
        UpdateColorIndicator();
    }
    return 1;
}

void LPadPanel::UpdateColorIndicator()
{
    const RCPtr<LRootModuleEngine> engine = GetRootModuleEngine();
    if (!engine || !m_colorIndicator)
        return;
    Variant stored;
    if (Failed(engine->GetParamValue(ParamDescriptor(GetFirstParamID()), stored)))
        return;
    uint32_t length = 0;
    const auto* bytes = reinterpret_cast<const char*>(stored.GetData(length));
    if (bytes == nullptr || length != kValueLength)
        return;
    const uint32_t slot = m_colorSlot >= 0 && m_colorSlot < kColorSlots ? static_cast<uint32_t>(m_colorSlot) : 0;
    const int32_t look = static_cast<signed char>(bytes[1 + slot]);
    // The indicator refuses a look it does not have and keeps what it showed.
    if (look >= 0 && look < static_cast<int32_t>(m_colorIndicator->GetLookCount()))
        m_colorIndicator->SetLookOpacity(look, 1.0f, true);
}
