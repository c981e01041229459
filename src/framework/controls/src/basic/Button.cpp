// The push button: clicks, toggles, radio groups, auto-repeat, simulated clicks and its looks.
#include "kx/controls/Button.h"

#include "kx/Exception.h"
#include "kx/ui/ControlDescriptor.h"
#include "kx/ui/ControlHost.h"
#include "kx/ui/RootWindow.h"
#include "kx/ui/StringTable.h"

namespace KX {

namespace {

bool CreateParamIsTrue(const LControlDescriptor* descriptor, const char16_t* key)
{
    const LStringTable* params = descriptor ? descriptor->GetCreateParams().Get() : nullptr;
    WString text;
    return params && params->Lookup(WString(key), text) && LControlDescriptor::CountsAsTrue(text);
}

} // namespace

LButton::LButton(const RCPtr<LControl>& parent, const WString& name) : LControl(parent, name) {}

LButton::~LButton()
{
    m_buttonHandler = nullptr;
}

KXRESULT LButton::Initialize()
{
    const KXRESULT base = LControl::Initialize();
    if (Failed(base))
        return base;
    m_buttonHandler = RCPtr<LNotificationHandler<LButton>>(new LNotificationHandler<LButton>(this));
    CheckResult(m_buttonHandler->AddObjectHandler(&LButton::OnSimulateClick, NID_SIMULATE_CLICK),
                "KX::LButton::Initialize", "Controls\\Button", 50);
    const LControlDescriptor* descriptor = GetDescriptor().Get();
    autoValueSet = CreateParamIsTrue(descriptor, u"AUTO_VALUE_SET");
    isRadio = CreateParamIsTrue(descriptor, u"IS_RADIO");
    return S_OK;
}

KXRESULT LButton::Receive(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n)
{
    if (!IsBuilt() || !n || !m_buttonHandler)
        return LControl::Receive(from, n);
    const RCPtr<LButton> self(this);
    // The control's own handlers see it first; a simulated click counts from any sender.
    static const NotificationId simulate = GetNotificationID(NID_SIMULATE_CLICK);
    if (n->GetID() == simulate)
        return m_buttonHandler->Receive(nullptr, n) ? S_OK : LControl::Receive(from, n);
    if (m_buttonHandler->Receive(from, n))
        return S_OK;
    return LControl::Receive(from, n);
}

KXRESULT LButton::OnSimulateClick(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>&)
{
    if (IsEnabled(true))
        SimulateClick();
    return S_FALSE;
}

void LButton::SendAutoRepeat()
{
    RCPtr<LNotification> n;
    LNotification::Create(n, NID_BUTTON_AUTOREPEAT, nullptr);
    if (n)
        SendNotification(n);
}

void LButton::DeliverSimulatedClick()
{
    uint32_t buttons = 0;
    if (auto* root = dynamic_cast<LRootWindow*>(GetTopLevelOwnerSlot().Get()))
        buttons = root->GetMouseButtonState();
    OnLeftClick(LMouseButtonParam::Create(1, PointT<int32_t>{0, 0}, 0, false, buttons));
}

void LButton::SimulateClick()
{
    const RCPtr<LButton> self(this);
    if (clickPending) {
        // The click still showing its pressed look is delivered now, so none is lost.
        if (autoRepeat)
            SendAutoRepeat();
        DeliverSimulatedClick();
    }
    const bool wasPending = clickPending;
    clickPending = true;
    SetFocus(true);
    if (!wasPending)
        SubscribeIdle();
    simulatedPressStart = GetAppTime();
    ShowLook(IsOn() ? kLookPressed + kOnLookOffset : kLookPressed, 1);
    Invalidate(RectT<double>{0, 0, GetSize().x, GetSize().y}, GetLayout() ? GetLayout()->clipToParent : true);
}

int32_t LButton::ComputeLookIndex() const
{
    const int32_t on = IsOn() ? kOnLookOffset : 0;
    if (!IsEnabled(true))
        return kLookDisabled + on;
    const uint32_t mask = GetConditionFlags();
    const bool hover = (mask & Condition::kHover) != 0;
    const bool capture = (mask & Condition::kCapture) != 0;
    // A press that has not moved yet is not a drag, but it is held all the same.
    const bool drag = (mask & (Condition::kLeftDrag | Condition::kLeftPressed)) != 0;
    int32_t index = kLookNormal;
    if (!(capture && drag))
        index = hover && !capture ? kLookHover : kLookNormal;
    else
        index = hover || stickyPressedLook ? kLookPressed : kLookHover; // dragged off: hover look
    if ((mask & Condition::kHasFocus) && (mask & Condition::kFocusVisible))
        index += kFocusLookOffset;
    return index + on;
}

void LButton::UpdateLook()
{
    if (mouseTransparent || clickPending)
        return;
    ShowLook(ComputeLookIndex(), 1);
}

void LButton::SetEnabled(bool enabled)
{
    LControl::SetEnabled(enabled);
    UpdateLook();
}

bool LButton::ContainsPoint(PointT<double> point)
{
    return !mouseTransparent && LControl::ContainsPoint(point);
}

KXRESULT LButton::FilterKey(const RCPtr<LKeyParam>& param)
{
    if (!param || param->GetKey().code != kEnterKeyDown)
        return S_FALSE;
    SimulateClick();
    return S_OK;
}

void LButton::OnLeftClickHook(const RCPtr<LMouseButtonParam>&)
{
    if (!autoValueSet)
        return;
    // A radio button is never switched off by its own click.
    SetNormalizedValue(!isRadio && IsOn() ? 0.0 : 1.0);
}

void LButton::OnValueChanged()
{
    const RCPtr<LButton> self(this);
    if (isRadio && IsOn()) {
        if (const RCPtr<LControl> parent = GetParent()) {
            ChildControlList& siblings = parent->GetChildren();
            for (uint32_t i = siblings.GetCount(); i > 0; --i) {
                const RCPtr<LButton> other =
                    RCPtr<LButton>::DynamicCast(ConstRCPtr<LControl>(siblings.GetAt(i - 1, kOrderInsertion)));
                if (other && other->isRadio && other.Get() != this)
                    other->SetNormalizedValue(0.0);
            }
        }
    }
    UpdateLook();
}

void LButton::OnConditionsChanged(const RCPtr<LConditionsParam>& param)
{
    if (!param)
        return;
    const uint32_t before = param->GetPreviousMask();
    const uint32_t now = param->GetCurrentMask();
    const auto rose = [&](uint32_t bit) { return (now & bit) != 0 && (before & bit) == 0; };
    if (autoRepeat && rose(Condition::kHoverOrHighlighted)) {
        // Back over the button: the time spent outside does not count.
        lastTick = GetAppTime();
        UpdateLook();
        return;
    }
    if (rose(Condition::kLeftPressed)) {
        if (autoRepeat && IsEnabled(true) && !repeating) {
            repeating = true;
            SubscribeIdle();
            lastTick = GetAppTime();
            countdown = repeatDelay;
            SendAutoRepeat();
        }
    } else if (!(now & Condition::kCapture) && (before & Condition::kCapture) && autoRepeat && repeating) {
        repeating = false;
        if (!clickPending)
            UnsubscribeIdle();
    }
    UpdateLook();
}

void LButton::OnIdleHook()
{
    const RCPtr<LButton> self(this);
    const double now = GetAppTime();
    if (clickPending && now - simulatedPressStart >= simulatedPressTime) {
        clickPending = false;
        if (!repeating)
            UnsubscribeIdle();
        simulatedPressStart = 0.0;
        UpdateLook();
        if (autoRepeat)
            SendAutoRepeat();
        DeliverSimulatedClick();
    }
    if (repeating && (GetConditionFlags() & Condition::kHover) && IsEnabled(true) && IsShowing(true)) {
        const double elapsed = now - lastTick;
        lastTick = now;
        countdown -= elapsed;
        if (countdown <= 0.0) {
            countdown = repeatInterval; // the overshoot is not carried over
            SendAutoRepeat();
        }
    }
}

WString LButton::GetToolTipText()
{
    if (IsTextClipped())
        return GetText();
    return LControl::GetToolTipText();
}

} // namespace KX
