#pragma once
// The progress bar ("Framework.ProgressBar"): progress 0 to 100 percent as the control's value,
// shown by the width of "activeOverlay", the percentage in "percentCompleteLabel" and, while time
// estimation is on, the time remaining in words in "timeRemainingLabel" (unit words from the
// framework string table). An estimate is shown only while progress grows at a positive rate
// and the time fits; times come from the application clock. UI thread only.
#include "kx/NotificationHandler.h"
#include "kx/ui/Control.h"

namespace KX {

class LProgressBar : public LControl {
public:
    // Unit words, in the order they are read.
    enum Word { kHour, kHours, kMinute, kMinutes, kSecond, kSeconds, kRemaining, kWordCount };

    LProgressBar(const RCPtr<LControl>& parent, const WString& name);

    // Shows the remaining-time label with seconds in words; a negative time counts as 0.
    virtual void ShowRemainingTime(int32_t seconds);
    virtual void SetTimeEstimation(bool on);

    bool IsEstimating() const noexcept { return m_estimating != 0; }
    // The text ShowRemainingTime gives for seconds.
    WString FormatRemainingTime(int32_t seconds) const;
    const RCPtr<LControl>& GetOverlay() const noexcept { return m_overlay; }
    const RCPtr<LControl>& GetPercentLabel() const noexcept { return m_percentLabel; }
    const RCPtr<LControl>& GetTimeLabel() const noexcept { return m_timeLabel; }

    // LControl.
    void OnValueChanged() override;
    KXRESULT Initialize() override;
    KXRESULT PostInitialize() override;
    KXRESULT Receive(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n) override;
    KXRESULT UnregisterForNotification(const RCPtr<LNotificationDistributor>& d, const char16_t* name) override;

protected:
    ~LProgressBar() override;

private:
    void Estimate(double value);

    RCPtr<LNotificationHandler<LProgressBar>> m_barHandler;
    RCPtr<LControl> m_overlay;
    RCPtr<LControl> m_timeLabel;
    RCPtr<LControl> m_percentLabel;
    WString m_words[kWordCount];
    double m_estimateStartTime = 0.0;
    double m_estimateStartValue = 0.0;
    double m_lastSampleTime = 0.0;
    double m_lastSampleValue = 0.0;
    uint8_t m_estimating = 0;
};

} // namespace KX
