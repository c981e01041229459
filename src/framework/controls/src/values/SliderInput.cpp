// The slider's input: thumb drags framed by "NID_VALUE_CHANGE_CAPTURE", presses on the track with
// their repeat on the idle pass, arrow keys, wheel steps and the focus looks.
#include "kx/controls/Slider.h"

#include "ConditionEdges.h"
#include "kx/controls/Button.h"
#include "kx/ui/ControlGeometry.h"
#include "kx/ui/ControlHost.h"
#include "kx/ui/KeyCode.h"
#include "kx/ui/MouseWheelParam.h"
#include "kx/ui/RootWindow.h"
#include "values/ValueSupport.h"

namespace KX {

namespace {

constexpr uint32_t kPressOrDrag = Condition::kLeftPressed | Condition::kLeftDrag;
constexpr uint32_t kFocus = Condition::kHasFocus | Condition::kContainsFocus;
constexpr int32_t kLookNormal = 0, kLookFocused = 1, kLookDisabled = 2;

} // namespace

KXRESULT LSlider::OnThumbDragCondition(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n)
{
    const auto* c = n ? dynamic_cast<const LConditionsParam*>(n->GetPayload().Get()) : nullptr;
    if (!c || !m_thumb || from.Get() != static_cast<LNotificationDistributor*>(m_thumb.Get()))
        return S_FALSE;
    const RCPtr<LSlider> self(this);
    if (conditions::Rose(*c, kPressOrDrag) && !m_dragging) {
        m_dragging = true;
        // The press point is kept in the thumb's parent's coordinates: ours.
        const PointT<int32_t> pointer = RoundPointToLong(c->GetPoint());
        const PointT<int32_t> thumb = ThumbPoint();
        m_grabOffset = PointT<int32_t>{pointer.x - thumb.x, pointer.y - thumb.y};
        m_pendingValue = -1.0;
        values::SendCapture(*this, true);
    } else if (conditions::Fell(*c, kPressOrDrag) && m_dragging) {
        m_dragging = false;
        if (m_applyPendingAtDragEnd && m_pendingValue >= 0.0 && m_pendingValue <= 1.0)
            LPanel::SetNormalizedValue(m_pendingValue);
        PositionThumb();
        m_pendingValue = -1.0;
        values::SendCapture(*this, false);
    }
    return S_OK;
}

KXRESULT LSlider::OnThumbMove(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n)
{
    const auto* move = n ? dynamic_cast<const LPointWithModifiersParam*>(n->GetPayload().Get()) : nullptr;
    if (!move || !m_dragging || !m_thumb || from.Get() != static_cast<LNotificationDistributor*>(m_thumb.Get()))
        return S_FALSE;
    const RCPtr<LSlider> self(this);
    PointT<double> at = LongPointToDoublePoint(move->GetPoint());
    MapPointFromControl(*m_thumb, at);
    const PointT<int32_t> pointer = RoundPointToLong(at);
    const PointT<int32_t> wanted =
        ConstrainToTrack(PointT<int32_t>{pointer.x - m_grabOffset.x, pointer.y - m_grabOffset.y});
    const PointT<int32_t> now = ThumbPoint();
    if (wanted.x != now.x || wanted.y != now.y) {
        MoveThumbTo(wanted);
        ValueFromThumb();
    }
    return S_OK;
}

void LSlider::OnLeftClickHook(const RCPtr<LMouseButtonParam>& param)
{
    if (param)
        StepTowardsPoint(param->GetPoint());
}

PointT<int32_t> LSlider::PointerInSlider() const
{
    auto* root = dynamic_cast<LRootWindow*>(const_cast<LSlider*>(this)->GetTopLevelOwnerSlot().Get());
    if (!root)
        return PointT<int32_t>{INT32_MIN, INT32_MIN};
    const PointT<int32_t> cursor = root->GetCursorPos();
    const PointT<double> origin = GetOriginInRootWindow();
    return RoundPointToLong(PointT<double>{cursor.x - origin.x, cursor.y - origin.y});
}

void LSlider::OnIdleHook()
{
    LPanel::OnIdleHook();
    if (!m_trackRepeat)
        return;
    const RCPtr<LSlider> self(this);
    const double now = GetAppTime();
    const uint32_t mask = GetConditionFlags();
    if (!(mask & Condition::kHoverOrHighlighted) || !(mask & Condition::kEnabled)) {
        // Time with the pointer elsewhere does not count.
        m_lastRepeatTime = now;
        return;
    }
    m_repeatCountdown -= now - m_lastRepeatTime;
    m_lastRepeatTime = now;
    if (m_repeatCountdown <= 0.0) {
        m_repeatCountdown = kRepeatInterval;
        StepTowardsPoint(PointerInSlider());
    }
}

void LSlider::ShowStateLook()
{
    const uint32_t mask = GetConditionFlags();
    int32_t look = kLookNormal;
    if (!(mask & Condition::kEnabled))
        look = kLookDisabled;
    else if (mask & Condition::kFocusVisible)
        look = kLookFocused;
    if (look < static_cast<int32_t>(GetLookCount()) && GetLookAt(look))
        ShowLook(look, 1);
}

void LSlider::OnConditionsChanged(const RCPtr<LConditionsParam>& param)
{
    LPanel::OnConditionsChanged(param);
    if (!param)
        return;
    const RCPtr<LSlider> self(this);
    if (conditions::Rose(*param, kPressOrDrag) && (param->GetCurrentMask() & Condition::kEnabled) && !m_trackRepeat) {
        m_trackRepeat = true;
        SubscribeIdle();
        m_lastRepeatTime = GetAppTime();
        m_repeatCountdown = kRepeatDelay;
    } else if (conditions::Fell(*param, kPressOrDrag) && m_trackRepeat) {
        m_trackRepeat = false;
        UnsubscribeIdle();
    }
    if (conditions::Fell(*param, kFocus) && m_keyHeld) {
        m_keyHeld = false;
        values::SendKeyNotification(*this, NID_VALUE_CHANGE_KEY_UP, nullptr);
    }
    if (conditions::Rose(*param, Condition::kFocusVisible) || conditions::Fell(*param, Condition::kFocusVisible) ||
        conditions::Rose(*param, Condition::kEnabled) || conditions::Fell(*param, Condition::kEnabled))
        ShowStateLook();
}

KXRESULT LSlider::FilterKey(const RCPtr<LKeyParam>& param)
{
    return param ? values::HandleArrowKey(*this, param->GetKey(), m_keyHeld) : S_FALSE;
}

KXRESULT LSlider::HandleKey(const RCPtr<LKeyParam>& param)
{
    if (param && values::HandleArrowKey(*this, param->GetKey(), m_keyHeld) == S_OK)
        return S_OK;
    return LPanel::HandleKey(param);
}

KXRESULT LSlider::HandleVerticalWheel(const RCPtr<LMouseWheelParam>& param)
{
    return values::WheelStep(*this, param.Get(), kWheelUp);
}

KXRESULT LSlider::HandleHorizontalWheel(const RCPtr<LMouseWheelParam>& param)
{
    return values::WheelStep(*this, param.Get(), kWheelRight);
}

} // namespace KX
