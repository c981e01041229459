// The level meter: bar, peak marker and clip light placed through their skin placements.
#include "kx/controls/LevelMeter.h"

#include "kx/NotificationId.h"

#include <cmath>

namespace KX {

namespace {
constexpr const char16_t* kLeftClick = NID_LEFT_CLICK;

int32_t RoundHalfAway(double value)
{
    if (!(value == value))
        return 0;
    const double r = value < 0.0 ? std::ceil(value - 0.5) : std::floor(value + 0.5);
    return static_cast<int32_t>(std::fmax(-2147483648.0, std::fmin(2147483647.0, r)));
}

double UnitValue(double value)
{
    if (!(value == value))
        return 0.0;
    return value < 0.0 ? 0.0 : value > 1.0 ? 1.0 : value;
}

void Hide(const RCPtr<LControl>& control)
{
    control->SetVisible(false);
    control->SetNotFocusable(true);
}
} // namespace

LLevelMeter::LLevelMeter(const RCPtr<LControl>& parent, const WString& name) : LControl(parent, name) {}

LLevelMeter::~LLevelMeter() = default;

KXRESULT LLevelMeter::Initialize()
{
    const KXRESULT hr = LControl::Initialize();
    m_meterHandler = RCPtr<LNotificationHandler<LLevelMeter>>(new LNotificationHandler<LLevelMeter>(this));
    m_peakLo = FindChild(WString(u"peakLo"));
    m_overlay = FindChild(WString(u"activeOverlay"));
    // Pointing at the bar or the marker shows the meter's tool tip.
    for (const RCPtr<LControl>& part : {m_peakLo, m_overlay})
        if (part)
            part->SetUseParentToolTip(true);
    m_clipButton = FindChild(WString(u"clipButton"));
    return hr;
}

KXRESULT LLevelMeter::PostInitialize()
{
    m_vertical = GetSize().x < GetSize().y ? 1 : 0;
    if (const RCPtr<LControl> lo = m_peakLo) {
        Hide(lo);
        m_peakLoPos = lo->GetPosition();
        if (const RCPtr<LLayoutDescriptor>& layout = lo->GetLayout())
            m_peakLoPlaced = PointT<double>{layout->Position(0).absolute, layout->Position(1).absolute};
        const RCPtr<LControl> hi = FindChild(WString(u"peakHi"));
        if (!hi) {
            m_peakLo = nullptr; // no far end: no peak marker
        } else {
            Hide(hi);
            m_peakHiPos = hi->GetPosition();
        }
    }
    if (const RCPtr<LControl> overlay = m_overlay)
        Hide(overlay);
    if (m_clipButton)
        m_clipButton->SetNotFocusable(true);
    SetNotFocusable(true);
    OnValueChanged();
    return S_OK;
}

KXRESULT LLevelMeter::Receive(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n)
{
    if (!IsBuilt())
        return S_FALSE;
    const RCPtr<LLevelMeter> self(this);
    if (m_meterHandler && m_meterHandler->Receive(from, n))
        return S_OK;
    return LControl::Receive(from, n);
}

KXRESULT LLevelMeter::UnregisterForNotification(const RCPtr<LNotificationDistributor>& d, const char16_t* name)
{
    if (m_meterHandler)
        m_meterHandler->RemoveDistributorHandler(d, name);
    return LControl::UnregisterForNotification(d, name);
}

KXRESULT LLevelMeter::SetPeakAndLevel(double level, double peak)
{
    return SetLevelsWithClip(level, peak, m_clipCounter);
}

KXRESULT LLevelMeter::SetLevelsWithClip(double level, double peak, int32_t clipCounter)
{
    const RCPtr<LLevelMeter> self(this);
    level = UnitValue(level);
    peak = UnitValue(peak);
    if (const RCPtr<LControl> clip = m_clipButton) {
        if (clipCounter != m_clipCounter)
            clip->SetNormalizedValue(1.0);
        else if (!m_clipLatched)
            clip->SetNormalizedValue(0.0);
        m_clipCounter = clipCounter;
    }
    m_inUpdate = 1;
    SetNormalizedValue(level);
    m_inUpdate = 0;
    PlaceBar(level);
    PlacePeak(peak);
    return S_OK;
}

void LLevelMeter::PlaceBar(double level)
{
    const RCPtr<LControl> overlay = m_overlay;
    if (!overlay || !overlay->GetLayout())
        return;
    const double fraction = m_vertical ? 1.0 - level : level;
    const double extent = m_vertical ? GetSize().y : GetSize().x;
    const int32_t pixels = RoundHalfAway(extent * fraction);
    if (pixels < 1) {
        overlay->SetVisible(false);
        return;
    }
    overlay->SetVisible(true);
    const int32_t axis = m_vertical ? 1 : 0;
    const RCPtr<LLayoutDescriptor> layout = overlay->GetLayout();
    SizeSpec size = layout->Size(axis);
    size.kind = kSizeToSelf;
    size.controlName = WString();
    size.absolute = pixels;
    overlay->SetAxisPlacement(axis, layout->Position(axis), size);
}

void LLevelMeter::PlacePeak(double peak)
{
    const RCPtr<LControl> lo = m_peakLo;
    if (!lo || !lo->GetLayout())
        return;
    const int32_t axis = m_vertical ? 1 : 0;
    const double span = m_vertical ? m_peakHiPos.y - m_peakLoPos.y : m_peakHiPos.x - m_peakLoPos.x;
    const int32_t offset = RoundHalfAway(span * peak);
    if (offset == 0) {
        lo->SetVisible(false);
        return;
    }
    lo->SetVisible(true);
    // Moved from its skin place towards "peakHi".
    const RCPtr<LLayoutDescriptor> layout = lo->GetLayout();
    AxisPlacement position = layout->Position(axis);
    position.absolute = (axis == 0 ? m_peakLoPlaced.x : m_peakLoPlaced.y) + offset;
    lo->SetAxisPlacement(axis, position, layout->Size(axis));
}

void LLevelMeter::OnValueChanged()
{
    if (!m_inUpdate)
        SetLevelsWithClip(GetNormalizedValue(), 0.0, m_clipCounter);
}

KXRESULT LLevelMeter::SetClipLatched(bool latched)
{
    const RCPtr<LControl> clip = m_clipButton;
    if (!clip)
        return E_FAIL;
    clip->SetNormalizedValue(0.0);
    if (latched != (m_clipLatched != 0)) {
        m_clipLatched = latched ? 1 : 0;
        const RCPtr<LNotificationDistributor> source(clip);
        if (latched)
            TraceFailedResult(
                m_meterHandler->AddDistributorHandler(&LLevelMeter::OnClipLightClicked, source, kLeftClick, 0),
                "LLevelMeter::SetClipLatched");
        else
            UnregisterForNotification(source, kLeftClick);
    }
    return S_OK;
}

KXRESULT LLevelMeter::OnClipLightClicked(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>&)
{
    const RCPtr<LControl> clip = m_clipButton;
    if (clip && clip->GetNormalizedValue() >= 0.5) {
        clip->SetNormalizedValue(0.0);
        RCPtr<LNotification> n;
        LNotification::Create(n, NID_CLIPLIGHT_UNLATCHED, nullptr);
        SendNotification(n);
    }
    return 1;
}

bool LLevelMeter::IsClipLit()
{
    return m_clipButton && m_clipButton->GetNormalizedValue() >= 0.5;
}

} // namespace KX
