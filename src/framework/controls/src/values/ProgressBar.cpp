// The progress bar: bar width, percentage text and the estimate of the time remaining.
#include "kx/controls/ProgressBar.h"

#include "kx/ui/ControlHost.h"
#include "kx/ui/FrameworkApp.h"
#include "kx/ui/StringTable.h"

#include <cmath>

namespace KX {

namespace {
int32_t RoundHalfAway(double value)
{
    if (!(value == value))
        return 0;
    const double r = value < 0.0 ? std::ceil(value - 0.5) : std::floor(value + 0.5);
    return static_cast<int32_t>(std::fmax(-2147483648.0, std::fmin(2147483647.0, r)));
}

constexpr const char16_t* kWordKeys[] = {u"HOURS_SINGULAR",   u"HOURS_PLURAL",   u"MINUTES_SINGULAR", u"MINUTES_PLURAL",
                                         u"SECONDS_SINGULAR", u"SECONDS_PLURAL", u"REMAINING"};
} // namespace

LProgressBar::LProgressBar(const RCPtr<LControl>& parent, const WString& name) : LControl(parent, name) {}

LProgressBar::~LProgressBar() = default;

KXRESULT LProgressBar::Initialize()
{
    const KXRESULT hr = LControl::Initialize();
    m_barHandler = RCPtr<LNotificationHandler<LProgressBar>>(new LNotificationHandler<LProgressBar>(this));
    m_overlay = FindChild(WString(u"activeOverlay"));
    m_timeLabel = FindChild(WString(u"timeRemainingLabel"));
    m_percentLabel = FindChild(WString(u"percentCompleteLabel"));
    if (m_timeLabel)
        m_timeLabel->SetVisible(false);
    const LFrameworkApp* app = LFrameworkApp::GetCurrent();
    const ConstRCPtr<LStringTable> table = app ? app->GetFrameworkStringTable() : ConstRCPtr<LStringTable>();
    for (int32_t i = 0; i < kWordCount; ++i) {
        m_words[i] = WString();
        if (table)
            table->Lookup(WString(kWordKeys[i]), m_words[i]);
    }
    SetNormalizedValue(0.0);
    SetValueRange(0.0, 100.0, 0);
    return hr;
}

KXRESULT LProgressBar::PostInitialize()
{
    SetNotFocusable(true);
    OnValueChanged();
    return S_OK;
}

KXRESULT LProgressBar::Receive(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n)
{
    if (!IsBuilt())
        return S_FALSE;
    const RCPtr<LProgressBar> self(this);
    if (m_barHandler && m_barHandler->Receive(from, n))
        return S_OK;
    return LControl::Receive(from, n);
}

KXRESULT LProgressBar::UnregisterForNotification(const RCPtr<LNotificationDistributor>& d, const char16_t* name)
{
    if (m_barHandler)
        m_barHandler->RemoveDistributorHandler(d, name);
    return LControl::UnregisterForNotification(d, name);
}

void LProgressBar::OnValueChanged()
{
    const RCPtr<LProgressBar> self(this);
    const double value = GetNormalizedValue();
    const double percent = value * 100.0;
    if (const RCPtr<LControl> overlay = m_overlay) {
        const int32_t pixels = RoundHalfAway(GetSize().x * percent / 100.0);
        if (pixels < 1) {
            overlay->SetVisible(false);
        } else if (const RCPtr<LLayoutDescriptor> layout = overlay->GetLayout()) {
            overlay->SetVisible(true);
            SizeSpec size = layout->Size(0);
            size.kind = kSizeToSelf;
            size.controlName = WString();
            size.absolute = pixels;
            overlay->SetAxisPlacement(0, layout->Position(0), size);
        }
    }
    if (const RCPtr<LControl> label = m_percentLabel)
        label->SetText(DoubleToString(percent, 0));
    if (m_estimating)
        Estimate(value);
}

void LProgressBar::Estimate(double value)
{
    const double now = GetAppTime();
    if (value - m_lastSampleValue > 0.0 && now - m_lastSampleTime > 0.0) {
        const double rate = (value - m_estimateStartValue) / (now - m_estimateStartTime);
        if (now - m_lastSampleTime > 1.0) {
            m_lastSampleValue = value;
            m_lastSampleTime = now;
        }
        // No estimate until progress runs forward at a rate that gives a time we can show.
        if (rate > 0.0 && std::isfinite(rate)) {
            const double remaining = std::floor((1.0 - value) / rate + 0.5);
            if (remaining >= 0.0 && remaining <= 2147483647.0)
                ShowRemainingTime(static_cast<int32_t>(remaining));
        }
    }
    if (value >= 1.0)
        m_estimating = 0;
}

void LProgressBar::SetTimeEstimation(bool on)
{
    if (on == (m_estimating != 0))
        return;
    m_estimating = on ? 1 : 0;
    if (on) {
        m_estimateStartTime = m_lastSampleTime = GetAppTime();
        m_estimateStartValue = m_lastSampleValue = GetNormalizedValue();
    }
}

WString LProgressBar::FormatRemainingTime(int32_t seconds) const
{
    const WString space(u" ");
    if (seconds <= 0)
        return WString(u"0") + space + m_words[kSeconds] + space + m_words[kRemaining];
    const int32_t hours = seconds / 3600;
    const int32_t minutes = (seconds % 3600) / 60;
    const int32_t secs = (seconds % 3600) % 60;
    WString text;
    if (hours >= 1)
        text += IntToString(hours, 0) + space + m_words[hours == 1 ? kHour : kHours] + space;
    if (minutes > 0 || hours >= 1)
        text += IntToString(minutes, 0) + space + m_words[minutes == 1 ? kMinute : kMinutes] + space;
    text += IntToString(secs, 0) + space + m_words[secs == 1 ? kSecond : kSeconds] + space + m_words[kRemaining];
    return text;
}

void LProgressBar::ShowRemainingTime(int32_t seconds)
{
    if (const RCPtr<LControl> label = m_timeLabel) {
        label->SetVisible(true);
        label->SetText(FormatRemainingTime(seconds));
    }
}

} // namespace KX
