// The push-button tile of the keyboard picture.
#include "editor/ButtonPanel.h"

#include "editor/ButtonControlViewPanel.h"
#include "editor/ButtonMessage.h"

#include "dialogs/DialogSupport.h"

#include "kx/Exception.h"
#include "kx/ui/ParamRecords.h"

using namespace KX;

namespace {
constexpr const char* kSource = "UI\\LumoSeriesCommon\\ButtonPanel";
constexpr const char* kInitialize = "LButtonPanel::Initialize";
constexpr int32_t kButtonsPerBank = 5;
} // namespace

LButtonPanel::LButtonPanel(const RCPtr<LControl>& parent, const WString& name) : LTileFrame(parent, name) {}

LButtonPanel::~LButtonPanel()
{
    m_viewPanel = nullptr;
    m_colorIndicator = nullptr;
}

KXRESULT LButtonPanel::Initialize()
{
    const KXRESULT base = LPanel::Initialize();
    if (Failed(base))
        return base;
    if (!CreateHandler())
        return base;
    m_colorIndicator = FindChild(WString(u"color"));
    if (editor::tile::IsMissing(m_colorIndicator))
        editor::ThrowNullPointer("child: color not found", kInitialize, kSource, __LINE__);
    m_viewPanel = editor::FindChildAs<LButtonControlViewPanel>(this, u"viewPanel");
    if (!m_viewPanel)
        editor::ThrowNullPointer("child: viewPanel not found", kInitialize, kSource, __LINE__);
    // A missing face gives an empty distributor, which the registration refuses.
    CheckResult(m_handler->AddDistributorHandler(&LButtonPanel::OnButtonClicked, editor::tile::Face(*this),
                                                 u"NID_LEFT_CLICK", 0),
                kInitialize, kSource, __LINE__);
    m_colorSlot = -1;
    return base;
}

void LButtonPanel::SetFirstParamID(LParameterizedModule* parent, int32_t firstId, int32_t index)
{
    IPushButton::SetFirstParamID(parent, firstId, index);
    editor::tile::FormatNumberLabel(*this, u"buttonNumberLabel", index % kButtonsPerBank + 1,
                                    "LButtonPanel::SetFirstParamID", kSource, __LINE__);
}

KXRESULT LButtonPanel::SetParamValueLocal(const ParamDescriptor& descriptor, const Variant& value, bool)
{
    UpdateColorIndicator();
    if (descriptor.id != GetFirstParamID())
        return E_FAIL;
    Array<char> message = editor::SplitPushButtonMessage(value);
    if (message.GetCount() != LButtonControlViewPanel::kMessageLength)
        return E_FAIL;
    if (m_viewPanel)
        m_viewPanel->SetButtonMessage(message);
    return S_OK;
}

KXRESULT LButtonPanel::OnButtonClicked(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>& n)
{
    const int32_t next = editor::tile::StepColorSlot(m_colorSlot, n);
    if (next != m_colorSlot) {
        m_colorSlot = next;
        UpdateColorIndicator();
    }
    return 1;
}

void LButtonPanel::UpdateColorIndicator()
{
    editor::tile::ShowStoredColor(m_colorIndicator.Get(), GetFirstParamID(), kValueLength, m_colorSlot);
}
