// The pad tile of the keyboard picture.
#include "editor/PadPanel.h"

#include "editor/ButtonControlViewPanel.h"
#include "editor/ButtonMessage.h"

#include "dialogs/DialogSupport.h"

#include "kx/Exception.h"
#include "kx/ui/ParamRecords.h"

using namespace KX;

namespace {
constexpr const char* kSource = "UI\\LumoSeriesCommon\\PadPanel";
constexpr const char* kInitialize = "LPadPanel::Initialize";
} // namespace

LPadPanel::LPadPanel(const RCPtr<LControl>& parent, const WString& name) : LTileFrame(parent, name) {}

LPadPanel::~LPadPanel()
{
    m_viewPanel = nullptr;
    m_colorIndicator = nullptr;
}

KXRESULT LPadPanel::Initialize()
{
    const KXRESULT base = LPanel::Initialize();
    if (Failed(base))
        return base;
    if (!CreateHandler())
        editor::ThrowNullPointer("Cannot create notification handler", kInitialize, kSource, __LINE__);
    m_colorIndicator = FindChild(WString(u"color"));
    if (editor::tile::IsMissing(m_colorIndicator))
        editor::ThrowNullPointer("child: color not found", kInitialize, kSource, __LINE__);
    // A missing face gives an empty distributor, which the registration refuses.
    CheckResult(
        m_handler->AddDistributorHandler(&LPadPanel::OnButtonClicked, editor::tile::Face(*this), u"NID_LEFT_CLICK", 0),
        kInitialize, kSource, __LINE__);
    m_colorSlot = -1;
    m_viewPanel = editor::FindChildAs<LButtonControlViewPanel>(this, u"viewPanel");
    if (!m_viewPanel)
        editor::ThrowNullPointer("child: viewPanel not found", kInitialize, kSource, __LINE__);
    return base;
}

void LPadPanel::SetFirstParamID(LParameterizedModule* parent, int32_t firstId, int32_t index)
{
    IPad::SetFirstParamID(parent, firstId, index);
    editor::tile::FormatNumberLabel(*this, u"padNumberLabel", index + 1, "LPadPanel::SetFirstParamID", kSource,
                                    __LINE__);
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
    const int32_t next = editor::tile::StepColorSlot(m_colorSlot, n);
    if (next != m_colorSlot) {
        m_colorSlot = next;
        UpdateColorIndicator();
    }
    return 1;
}

void LPadPanel::UpdateColorIndicator()
{
    editor::tile::ShowStoredColor(m_colorIndicator.Get(), GetFirstParamID(), kValueLength, m_colorSlot);
}
