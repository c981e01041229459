// The knob: create parameters, frames and their focus and disabled images, the linear and radial
// gestures, keys and wheel steps.
#include "kx/controls/Knob.h"

#include "ConditionEdges.h"
#include "kx/Wrappers.h"
#include "kx/ui/ControlDescriptor.h"
#include "kx/ui/ControlGeometry.h"
#include "kx/ui/FrameworkApp.h"
#include "kx/ui/KeyCode.h"
#include "kx/ui/Look.h"
#include "kx/ui/MouseWheelParam.h"
#include "kx/ui/RootWindow.h"
#include "values/ValueSupport.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace KX {

namespace {

constexpr uint32_t kPressOrDrag = Condition::kLeftPressed | Condition::kLeftDrag;
constexpr double kDegreesPerRadian = 57.29577951308232;
constexpr double kHalfPi = 1.5707963267948966;

// Degrees kept in [0, 360); a value that is no number counts as 0.
double WrapDegrees(double degrees)
{
    if (!std::isfinite(degrees))
        return 0.0;
    double wrapped = std::fmod(degrees, 360.0);
    if (wrapped < 0.0)
        wrapped += 360.0;
    return wrapped >= 360.0 ? 0.0 : wrapped;
}

// The leading integer of a text, as a C runtime's atoi reads it, held inside 32 bits.
int32_t ReadInteger(const WString& text)
{
    const double value = std::trunc(ParseParamAsDouble(text));
    if (!(value == value))
        return 0;
    return static_cast<int32_t>(std::clamp(value, static_cast<double>(std::numeric_limits<int32_t>::min()),
                                           static_cast<double>(std::numeric_limits<int32_t>::max())));
}

} // namespace

LKnob::LKnob(const RCPtr<LControl>& parent, const WString& name) : LControl(parent, name) {}

LKnob::~LKnob() = default;

KXRESULT LKnob::Initialize()
{
    const KXRESULT hr = LControl::Initialize();
    if (hr < 0)
        return hr;
    const LControlDescriptor* descriptor = GetDescriptor().Get();
    if (const LStringTable* params = descriptor ? descriptor->GetCreateParams().Get() : nullptr) {
        WString text;
        if (params->Lookup(WString(u"LINEAR_GESTURE_FULL_RANGE"), text))
            m_fullRange = ReadInteger(text);
        if (params->Lookup(WString(u"RADIAL_GESTURE_START_ANGLE"), text))
            m_startAngle = ParseParamAsDouble(text);
        if (params->Lookup(WString(u"RADIAL_GESTURE_END_ANGLE"), text))
            m_endAngle = ParseParamAsDouble(text);
        if (params->Lookup(WString(u"FINE_ADJUST_MULTIPLIER"), text))
            m_fineMultiplier = ParseParamAsDouble(text);
    }
    m_radial = (m_startAngle != 0.0 || m_endAngle != 0.0) ? 1 : 0;
    m_startAngle = WrapDegrees(m_startAngle);
    m_endAngle = WrapDegrees(m_endAngle);
    // A factor that is no positive number would freeze or reverse the fine gesture.
    if (!(m_fineMultiplier > 0.0) || !std::isfinite(m_fineMultiplier))
        m_fineMultiplier = kDefaultFineMultiplier;
    SetValueRange(0.0, 127.0, 0);
    return hr;
}

KXRESULT LKnob::PostInitialize()
{
    const RCPtr<LKnob> self(this);
    const int32_t looks = static_cast<int32_t>(GetLookCount());
    m_frameCount = 0;
    while (m_frameCount < looks && GetLookAt(m_frameCount))
        ++m_frameCount;
    const int32_t n = m_frameCount;
    if (n + 1 < looks && GetLookAt(n + 1))
        m_focusLook = n + 1;
    if (n + 2 < looks && GetLookAt(n + 2))
        m_disabledLook = n + 2;
    const uint32_t mask = GetConditionFlags();
    constexpr uint32_t ring = Condition::kHasFocus | Condition::kFocusVisible;
    if (m_focusLook >= 0 && (mask & ring) == ring)
        OverlayFrames(m_focusLook);
    if (m_disabledLook >= 0 && !(mask & Condition::kEnabled))
        OverlayFrames(m_disabledLook);
    // Travel for the whole range: a whole multiple of the frame count near 128 pixels. Less than
    // two pixels leaves no step to divide by.
    if (!m_radial && m_fullRange < 2) {
        m_fullRange = n > 0 ? static_cast<int32_t>(RoundHalfAwayFromZero(kDefaultLinearTravel / n)) * n : 0;
        if (m_fullRange < 2)
            m_fullRange = static_cast<int32_t>(kDefaultLinearTravel);
    }
    UpdateCentre();
    OnValueChanged();
    return S_OK;
}

void LKnob::UpdateCentre()
{
    const RectT<double> look = GetLookRect(0);
    m_centre = PointT<int32_t>{static_cast<int32_t>(look.x + look.width * 0.5),
                               static_cast<int32_t>(look.y + look.height * 0.5)};
}

int32_t LKnob::GetFrameIndex() const
{
    if (m_frameCount <= 0)
        return -1;
    return RoundToInt32((m_frameCount - 1) * GetNormalizedValue());
}

void LKnob::OnValueChanged()
{
    const int32_t frame = GetFrameIndex();
    if (frame >= 0)
        ShowLook(frame, 1);
}

void LKnob::OverlayFrames(int32_t source)
{
    ConstRCPtr<LBitmap> bitmap;
    uint32_t resize = 0;
    if (source >= 0 && source < static_cast<int32_t>(GetLookCount())) {
        if (const auto* look = dynamic_cast<const LLook*>(GetLookAt(source).Get())) {
            const ConstRCPtr<LVisualPart>& part = look->GetImagePart() ? look->GetImagePart() : look->GetClientPart();
            if (part) {
                bitmap = part->GetBitmap();
                resize = part->GetResizeType();
            }
        }
    }
    for (int32_t i = m_frameCount - 1; i >= 0; --i)
        SetLookBitmap(bitmap, resize, i, false);
}

double LKnob::SetNormalizedValue(double value)
{
    if (m_dragging) {
        m_pendingValue = value;
        return GetNormalizedValue();
    }
    return LControl::SetNormalizedValue(value);
}

PointT<int32_t> LKnob::PointerInKnob() const
{
    auto* root = dynamic_cast<LRootWindow*>(const_cast<LKnob*>(this)->GetTopLevelOwnerSlot().Get());
    if (!root)
        return m_centre;
    const PointT<int32_t> cursor = root->GetCursorPos();
    const PointT<double> origin = GetOriginInRootWindow();
    return RoundPointToLong(PointT<double>{cursor.x - origin.x, cursor.y - origin.y});
}

bool LKnob::IsFineHeld(uint32_t modifiers) const
{
    if (modifiers & Modifier::Ctrl)
        return true;
    LFrameworkApp* app = LFrameworkApp::GetCurrent();
    return app && app->IsKeyPressed(VKey::Control);
}

void LKnob::OnConditionsChanged(const RCPtr<LConditionsParam>& param)
{
    LControl::OnConditionsChanged(param);
    if (!param)
        return;
    const RCPtr<LKnob> self(this);
    if (conditions::Rose(*param, kPressOrDrag) && !m_dragging) {
        m_dragging = true;
        // Laid out by now: the centre of the size the knob is shown at.
        UpdateCentre();
        m_last = m_previous = PointerInKnob();
        m_pendingValue = -1.0;
        // The frame opens before the press's own value, so an owner sees the whole gesture in it.
        values::SendCapture(*this, true);
        if (m_radial)
            RadialSetValue(m_last.x, m_last.y);
    } else if (conditions::Fell(*param, kPressOrDrag) && m_dragging) {
        m_dragging = false;
        if (m_applyPendingAtDragEnd && m_pendingValue >= 0.0 && m_pendingValue <= 1.0)
            LControl::SetNormalizedValue(m_pendingValue);
        m_pendingValue = -1.0;
        values::SendCapture(*this, false);
    }
    if (conditions::Fell(*param, Condition::kHasFocus) && m_keyHeld) {
        m_keyHeld = false;
        values::SendKeyNotification(*this, NID_VALUE_CHANGE_KEY_UP, nullptr);
    }
    constexpr uint32_t ring = Condition::kHasFocus | Condition::kFocusVisible;
    const bool ringBefore = (param->GetPreviousMask() & ring) == ring;
    const bool ringNow = (param->GetCurrentMask() & ring) == ring;
    if (m_focusLook >= 0 && ringBefore != ringNow)
        OverlayFrames(ringNow ? m_focusLook : -1);
    if (m_disabledLook >= 0 &&
        (conditions::Rose(*param, Condition::kEnabled) || conditions::Fell(*param, Condition::kEnabled)))
        OverlayFrames(conditions::Fell(*param, Condition::kEnabled) ? m_disabledLook : -1);
}

void LKnob::OnMove(const RCPtr<LPointWithModifiersParam>& param)
{
    if (!param || !m_dragging)
        return;
    const RCPtr<LKnob> self(this);
    const PointT<int32_t> p = param->GetPoint();
    if (m_radial)
        RadialSetValue(p.x, p.y);
    else
        LinearGesture(p, IsFineHeld(param->GetModifiers()));
}

void LKnob::RadialSetValue(int32_t x, int32_t y)
{
    const double dx = static_cast<double>(x) - m_centre.x, dy = static_cast<double>(y) - m_centre.y;
    if (dx == 0.0 && dy == 0.0)
        return;
    const double a = WrapDegrees((std::atan2(dy, dx) + kHalfPi) * kDegreesPerRadian);
    const double s = m_startAngle;
    const double e = s >= m_endAngle ? m_endAngle + 360.0 : m_endAngle;
    const double at = s >= a ? a + 360.0 : a;
    if (s <= at && at <= e) {
        const double t = (at - s) / (e - s);
        if (t >= 0.0 && t <= 1.0)
            LControl::SetNormalizedValue(t);
        return;
    }
    // In the dead zone between the end and the start: the nearer end wins.
    LControl::SetNormalizedValue((s + 360.0 - e) * 0.5 + e >= at ? 1.0 : 0.0);
}

void LKnob::LinearGesture(PointT<int32_t> p, bool fine)
{
    int64_t dx = static_cast<int64_t>(p.x) - m_last.x, dy = static_cast<int64_t>(p.y) - m_last.y;
    const int64_t pdx = static_cast<int64_t>(p.x) - m_previous.x, pdy = static_cast<int64_t>(p.y) - m_previous.y;
    // Right-and-down and left-and-up pull against each other: only the leading axis counts.
    if (dx > 0 && dy > 0) {
        if (pdx - pdy > 0 && dy > dx)
            dy = 0;
        else if (pdx - pdy < 0 && dy < dx)
            dx = 0;
    } else if (dx < 0 && dy < 0) {
        if (pdx - pdy > 0 && dx < dy)
            dx = 0;
        else if (pdx - pdy < 0 && dx > dy)
            dy = 0;
    }
    double steps = static_cast<double>(m_fullRange) - 1.0;
    if (steps >= 1.0) {
        double delta = static_cast<double>(dx - dy) / steps;
        if (fine)
            delta *= m_fineMultiplier;
        double v = std::clamp(GetNormalizedValue() + delta, 0.0, 1.0);
        if (fine)
            steps = m_fullRange / m_fineMultiplier - 1.0;
        if (steps >= 1.0 && std::isfinite(steps))
            v = RoundHalfAwayFromZero(steps * v) / steps;
        LControl::SetNormalizedValue(v);
    }
    m_previous = m_last;
    m_last = p;
}

KXRESULT LKnob::FilterKey(const RCPtr<LKeyParam>& param)
{
    return param ? values::HandleArrowKey(*this, param->GetKey(), m_keyHeld) : S_FALSE;
}

KXRESULT LKnob::HandleVerticalWheel(const RCPtr<LMouseWheelParam>& param)
{
    return values::WheelStep(*this, param.Get(), kWheelUp);
}

KXRESULT LKnob::HandleHorizontalWheel(const RCPtr<LMouseWheelParam>& param)
{
    return values::WheelStep(*this, param.Get(), kWheelRight);
}

} // namespace KX
