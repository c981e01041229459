// When a drop-down part opens and closes on presses and focus changes.
#include "kx/controls/DropDownControl.h"

#include "kx/ui/KeyCode.h"

#include "ConditionEdges.h"

namespace KX {

LDropDownControl::LDropDownControl(const RCPtr<LControl>& parent, const WString& name) : LControl(parent, name) {}

LDropDownControl::~LDropDownControl() = default;

KXRESULT LDropDownControl::SetFocus(bool forward)
{
    RCPtr<LControl> self(this);
    const KXRESULT result = LControl::SetFocus(forward);
    if (IsDropDownShowing()) {
        ShowDropDown(false);
        m_closedByFocus = true;
    } else {
        m_closedByFocus = false;
    }
    return result;
}

void LDropDownControl::OnConditionsChanged(const RCPtr<LConditionsParam>& param)
{
    if (!param)
        return;
    const uint32_t bit = Condition::kLeftPressed;
    if (!conditions::Rose(*param, bit))
        return;
    if (m_suppressOpen) {
        m_suppressOpen = false;
        return;
    }
    RCPtr<LControl> self(this);
    ShowDropDown(true);
}

KXRESULT LDropDownControl::Initialize()
{
    const KXRESULT result = LControl::Initialize();
    if (!m_dropDownHandler)
        m_dropDownHandler =
            RCPtr<LNotificationHandler<LDropDownControl>>(new LNotificationHandler<LDropDownControl>(this));
    TraceFailedResult(m_dropDownHandler->AddDistributorHandler(
                          &LDropDownControl::OnOwnMouseDown, RCPtr<LNotificationDistributor>(this), NID_MOUSE_DOWN, 0),
                      "LDropDownControl::Initialize");
    return result;
}

bool LDropDownControl::KillFocus()
{
    RCPtr<LControl> self(this);
    // A part that closes with the focus hands it back to us; the base then takes it away again.
    ShowDropDown(false);
    return LControl::KillFocus();
}

KXRESULT LDropDownControl::Receive(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n)
{
    if (!IsBuilt())
        return S_FALSE;
    if (m_dropDownHandler && m_dropDownHandler->Receive(from, n))
        return S_OK;
    return LControl::Receive(from, n);
}

KXRESULT LDropDownControl::UnregisterForNotification(const RCPtr<LNotificationDistributor>& d, const char16_t* name)
{
    if (m_dropDownHandler)
        m_dropDownHandler->RemoveDistributorHandler(d, name);
    return LControl::UnregisterForNotification(d, name);
}

void LDropDownControl::HandleKeyNavigation(const RCPtr<LKeyParam>& param)
{
    const RCPtr<LControl> part = GetDropDownPart();
    RCPtrArray<LControl>* route = param ? &param->GetRoute() : nullptr;
    const bool fromPart =
        route && route->GetCount() > 0 && part && route->GetData()[route->GetCount() - 1].Get() == part.Get();
    if (!fromPart || !GetParent()) {
        LControl::HandleKeyNavigation(param);
        return;
    }
    // The walk would otherwise stay inside the part, its container's only stop.
    RCPtr<LControl> self(this);
    ShowDropDown(false);
    if (param->GetKey().code & KeyCode::kCtrl) {
        // Ctrl+Tab leaves one container: ours, as it would have left the part's.
        LControl::HandleKeyNavigation(param);
        return;
    }
    route->AddItem(self);
    RCPtr<LControl>(GetParent())->HandleKeyNavigation(param);
}

bool LDropDownControl::IsDropDownShown()
{
    const RCPtr<LControl> part = GetDropDownPart();
    if (!part || !part->GetLayout() || !part->GetLayout()->visible)
        return false;
    return part->GetSize().x > 0.0 && part->GetSize().y > 0.0;
}

KXRESULT LDropDownControl::OnOwnMouseDown(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>&)
{
    if (m_closedByFocus)
        m_suppressOpen = true;
    return S_OK;
}

} // namespace KX
