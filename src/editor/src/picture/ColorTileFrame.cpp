// The push-button and pad tiles' shared part: the colour indicator, its Shift-click slot and the
// summary of the button message.
#include "editor/ButtonControlViewPanel.h"
#include "editor/ButtonPanel.h"
#include "editor/PadPanel.h"

#include "dialogs/DialogSupport.h"

#include "kx/Exception.h"
#include "kx/ui/ParamRecords.h"

using namespace KX;

template <class Owner, class Module>
LColorTileFrame<Owner, Module>::~LColorTileFrame()
{
    m_viewPanel = nullptr;
    m_colorIndicator = nullptr;
}

template <class Owner, class Module>
KXRESULT LColorTileFrame<Owner, Module>::InitializeTile(std::string_view method, std::string_view source)
{
    const KXRESULT base = LPanel::Initialize();
    if (Failed(base))
        return base;
    if (!this->CreateHandler())
        editor::ThrowNullPointer("Cannot create notification handler", method, source, __LINE__);
    m_colorIndicator = this->FindChild(WString(u"color"));
    if (editor::tile::IsMissing(m_colorIndicator))
        editor::ThrowNullPointer("child: color not found", method, source, __LINE__);
    // Drawn over the face: a click or hover on it belongs to the face beneath.
    m_colorIndicator->SetHitTransparent(true);
    m_viewPanel = editor::FindChildAs<LButtonControlViewPanel>(this, u"viewPanel");
    if (!m_viewPanel)
        editor::ThrowNullPointer("child: viewPanel not found", method, source, __LINE__);
    // A missing face gives an empty distributor, which the registration refuses.
    CheckResult(this->m_handler->AddDistributorHandler(&LColorTileFrame::OnButtonClicked, editor::tile::Face(*this),
                                                       NID_LEFT_CLICK, 0),
                method, source, __LINE__);
    editor::tile::LendTipToFace(*this);
    m_colorSlot = -1;
    return base;
}

template <class Owner, class Module>
KXRESULT LColorTileFrame<Owner, Module>::SetParamValueLocal(const ParamDescriptor& descriptor, const Variant& value,
                                                            bool)
{
    UpdateColorIndicator();
    if (descriptor.id != this->GetFirstParamID())
        return E_FAIL;
    Array<char> message = SplitMessage(value);
    if (message.GetCount() != LButtonControlViewPanel::kMessageLength)
        return E_FAIL;
    if (m_viewPanel)
        m_viewPanel->SetButtonMessage(message);
    return S_OK;
}

template <class Owner, class Module>
KXRESULT LColorTileFrame<Owner, Module>::OnButtonClicked(const RCPtr<LNotificationDistributor>&,
                                                         const RCPtr<LNotification>& n)
{
    const int32_t next = editor::tile::StepColorSlot(m_colorSlot, n);
    if (next != m_colorSlot) {
        m_colorSlot = next;
        UpdateColorIndicator();
    }
    return 1;
}

template <class Owner, class Module>
void LColorTileFrame<Owner, Module>::UpdateColorIndicator()
{
    editor::tile::ShowStoredColor(m_colorIndicator.Get(), this->GetFirstParamID(), Owner::kValueLength, m_colorSlot);
}

template class LColorTileFrame<LButtonPanel, IPushButton>;
template class LColorTileFrame<LPadPanel, IPad>;
