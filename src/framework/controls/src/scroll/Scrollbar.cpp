// The scroll bar: set-up from its skin children, value and range, geometry of the thumb, line
// steps and keys. Channel presses and thumb drags are in ScrollbarInput.cpp.
#include "kx/controls/Scrollbar.h"

#include "kx/controls/Button.h"
#include "kx/ui/ControlGeometry.h"
#include "kx/ui/ControlHost.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace KX {

namespace {
// Key codes: key-down flag with the virtual key in bits 16-23.
constexpr uint32_t kKeyDownFlag = 0x20000000;
constexpr uint32_t Code(uint32_t vk)
{
    return kKeyDownFlag | (vk << 16);
}
constexpr uint32_t kCodePageUp = Code(0x21), kCodePageDown = Code(0x22), kCodeEnd = Code(0x23), kCodeHome = Code(0x24),
                   kCodeLeft = Code(0x25), kCodeUp = Code(0x26), kCodeRight = Code(0x27), kCodeDown = Code(0x28);

LButton* AsButton(const RCPtr<LControl>& c)
{
    return dynamic_cast<LButton*>(c.Get());
}
} // namespace

LScrollbar::LScrollbar(const RCPtr<LControl>& parent, const WString& name) : LControl(parent, name)
{
    LControl::SetValueRange(0.0, 100.0, 0);
}

LScrollbar::~LScrollbar() = default;

KXRESULT LScrollbar::Receive(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n)
{
    if (!IsBuilt())
        return S_FALSE;
    const RCPtr<LScrollbar> self(this);
    // Its own table first; the control base's only when that did not use the notification.
    if (m_handler && m_handler->Receive(from, n))
        return S_OK;
    return LControl::Receive(from, n);
}

KXRESULT LScrollbar::UnregisterForNotification(const RCPtr<LNotificationDistributor>& d, const char16_t* name)
{
    if (m_handler && name)
        m_handler->RemoveDistributorHandler(d, name);
    return LControl::UnregisterForNotification(d, name);
}

KXRESULT LScrollbar::Initialize()
{
    if (Failed(LControl::Initialize()))
        return E_FAIL;
    m_handler = RCPtr<LNotificationHandler<LScrollbar>>(new LNotificationHandler<LScrollbar>(this));
    m_channel = FindChild(WString(u"channel"));
    if (m_channel) {
        const RCPtr<LNotificationDistributor> channel(m_channel);
        TraceFailedResult(
            m_handler->AddDistributorHandler(&LScrollbar::OnChannelPress, channel, NID_LEFT_DRAG_CONDITION_CHANGE, 0),
            "LScrollbar::Initialize");
        TraceFailedResult(
            m_handler->AddDistributorHandler(&LScrollbar::OnChannelHover, channel, NID_HOVER_CONDITION_CHANGE, 0),
            "LScrollbar::Initialize");
        m_thumb = m_channel->FindChild(WString(u"thumb"));
    }
    if (m_thumb) {
        const RCPtr<LNotificationDistributor> thumb(m_thumb);
        TraceFailedResult(m_handler->AddDistributorHandler(&LScrollbar::OnThumbMove, thumb, NID_MOUSE_MOVE, 0),
                          "LScrollbar::Initialize");
        TraceFailedResult(
            m_handler->AddDistributorHandler(&LScrollbar::OnThumbDrag, thumb, NID_LEFT_DRAG_CONDITION_CHANGE, 0),
            "LScrollbar::Initialize");
        if (LButton* b = AsButton(m_thumb))
            b->stickyPressedLook = true;
    }
    m_dec = FindChild(WString(u"dec"));
    m_inc = FindChild(WString(u"inc"));
    for (const RCPtr<LControl>& step : {m_dec, m_inc}) {
        if (!step)
            continue;
        TraceFailedResult(m_handler->AddDistributorHandler(&LScrollbar::OnStep, RCPtr<LNotificationDistributor>(step),
                                                           NID_BUTTON_AUTOREPEAT, 0),
                          "LScrollbar::Initialize");
        if (LButton* b = AsButton(step)) {
            b->autoRepeat = true;
            b->repeating = false;
        }
    }
    if (m_dec && m_inc) {
        const PointT<double> d = m_dec->GetPosition(), i = m_inc->GetPosition();
        m_vertical = !(i.x - d.x > i.y - d.y);
    }
    CheckTrackedBoundsChanged();
    SetKeyMask(0xFF);
    return S_OK;
}

KXRESULT LScrollbar::PostInitialize()
{
    SetNotFocusable(true);
    for (const RCPtr<LControl>& c : {m_dec, m_inc, m_channel, m_thumb})
        if (c)
            c->SetNotFocusable(true);
    if (m_thumb)
        m_minThumbLength = m_vertical ? m_thumb->GetSize().x : m_thumb->GetSize().y;
    CheckTrackedBoundsChanged();
    return S_OK;
}

KXRESULT LScrollbar::SetKeyMask(uint32_t mask)
{
    if (mask != 0 && m_keyMask == 0 && m_handler) {
        if (const RCPtr<LControl>& parent = GetParent())
            TraceFailedResult(m_handler->AddDistributorHandler(
                                  &LScrollbar::OnBarKey, RCPtr<LNotificationDistributor>(parent), NID_SIBLING_KEY, 0),
                              "LScrollbar::SetKeyMask");
        TraceFailedResult(m_handler->AddObjectHandler(&LScrollbar::OnBarKey, NID_SIBLING_KEY),
                          "LScrollbar::SetKeyMask");
    }
    m_keyMask = static_cast<uint16_t>(mask & 0xFF);
    return (mask & ~0xFFu) ? E_INVALIDARG : S_OK;
}

double LScrollbar::SetNormalizedValue(double value)
{
    if (m_dragging) {
        m_deferredValue = value;
        return GetNormalizedValue();
    }
    if (std::isnan(value))
        return GetNormalizedValue();
    const RCPtr<LScrollbar> self(this);
    const double stored = LControl::SetNormalizedValue(std::clamp(value, 0.0, 1.0));
    PlaceThumb();
    return stored;
}

KXRESULT LScrollbar::SetValueRange(double minimum, double maximum, int32_t scaleType)
{
    const double current = NormalizedToValue(GetNormalizedValue());
    const KXRESULT hr = LControl::SetValueRange(minimum, maximum, scaleType);
    SetNormalizedValue(ValueToNormalized(current));
    PlaceThumb();
    return Failed(hr) ? E_INVALIDARG : S_OK;
}

void LScrollbar::SetThumbProportion(double proportion, bool resize)
{
    if (std::isnan(proportion))
        return;
    m_thumbProportion = std::clamp(proportion, 0.0, 1.0);
    if (resize)
        CheckTrackedBoundsChanged();
}

void LScrollbar::CheckTrackedBoundsChanged()
{
    if (!m_channel)
        return;
    const RCPtr<LScrollbar> self(this);
    m_trackStart = 0.0;
    m_trackEnd = m_vertical ? m_channel->GetSize().y : m_channel->GetSize().x;
    m_thumbLength = std::trunc(std::max(m_minThumbLength, (m_trackEnd - m_trackStart) * m_thumbProportion) + 0.5);
    if (m_thumb && m_thumb->GetLayout()) {
        // Read in place: the bar runs this on every move of its own.
        const int32_t axis = m_vertical ? 1 : 0;
        const SizeSpec& now = std::as_const(*m_thumb->GetLayout()).Size(axis);
        if (now.kind != kSizeToSelf || now.relative != 0.0f || now.absolute != m_thumbLength) {
            const AxisPlacement p = m_thumb->GetLayout()->Position(axis);
            m_thumb->SetAxisPlacement(axis, p, SizeSpec{kSizeToSelf, WString(), 0.0f, m_thumbLength});
        }
    }
    PlaceThumb();
}

double LScrollbar::ThumbCoordinate() const
{
    if (!m_thumb)
        return m_trackStart;
    return m_vertical ? m_thumb->GetPosition().y : m_thumb->GetPosition().x;
}

void LScrollbar::MoveThumbTo(double coordinate)
{
    if (!m_thumb || !m_thumb->GetLayout())
        return;
    const int32_t axis = m_vertical ? 1 : 0;
    AxisPlacement p;
    SizeSpec s;
    m_thumb->GetLayout()->GetAxisPlacement(axis, p, s);
    p.kind = kPositionToClient;
    p.controlName = WString();
    p.relative = 0.0f;
    p.anchor = 0.0f;
    p.docked = 0;
    p.absolute = coordinate;
    m_thumb->SetAxisPlacement(axis, p, s);
}

void LScrollbar::PlaceThumb()
{
    if (m_dragging || !m_thumb)
        return;
    const double travel = m_trackEnd - m_trackStart - m_thumbLength;
    const double p = RoundHalfAwayFromZero(travel * GetNormalizedValue() + m_trackStart);
    if (p != ThumbCoordinate())
        MoveThumbTo(p);
}

void LScrollbar::StepBy(double delta)
{
    SetNormalizedValue(GetNormalizedValue() + delta);
}

KXRESULT LScrollbar::OnStep(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>&)
{
    const LControl* sender = dynamic_cast<const LControl*>(from.Get());
    if (!sender)
        return S_FALSE;
    if (sender->GetName() == WString(u"dec"))
        StepBy(-m_lineStep);
    else if (sender->GetName() == WString(u"inc"))
        StepBy(m_lineStep);
    return S_FALSE;
}

KXRESULT LScrollbar::OnBarKey(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>& n)
{
    const ConstRCPtr<LSiblingKeyParam> param =
        n ? ConstRCPtr<LSiblingKeyParam>::DynamicCast(n->GetPayload()) : ConstRCPtr<LSiblingKeyParam>();
    if (!param || !IsShowing(true))
        return S_FALSE;
    const uint32_t code = param->GetKey().code;
    const double value = GetNormalizedValue();
    bool mapped = false;
    double target = value;
    auto when = [&](uint32_t bit, bool orientation, double to) {
        if ((m_keyMask & bit) && orientation) {
            mapped = true;
            target = to;
        }
    };
    switch (code) {
    case kCodeUp: when(kKeyUp, m_vertical, value - m_lineStep); break;
    case kCodeDown: when(kKeyDown, m_vertical, value + m_lineStep); break;
    case kCodeLeft: when(kKeyLeft, !m_vertical, value - m_lineStep); break;
    case kCodeRight: when(kKeyRight, !m_vertical, value + m_lineStep); break;
    case kCodePageUp: when(kKeyPageUp, m_vertical, value - m_pageStep); break;
    case kCodePageDown: when(kKeyPageDown, m_vertical, value + m_pageStep); break;
    case kCodeHome: when(kKeyHome, true, 0.0); break;
    case kCodeEnd: when(kKeyEnd, true, 1.0); break;
    default: break;
    }
    if (!mapped)
        return S_FALSE;
    // The key was used: the sender stops offering it.
    const_cast<LSiblingKeyParam*>(param.Get())->SetResult(0);
    SetNormalizedValue(target);
    // The bar's own key bindings still see the key.
    return S_OK;
}

} // namespace KX
