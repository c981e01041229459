#pragma once
// The level meter ("Framework.LevelMeter"): a level between 0 and 1 shown by sizing the skin
// child "activeOverlay" along the meter's axis (the taller side), a peak marker "peakLo" moved
// towards "peakHi", and a clip light "clipButton" that a new clip count lights and that, while
// latched, stays lit until clicked. Missing optional children are skipped. UI thread only.
#include "kx/NotificationHandler.h"
#include "kx/ui/Control.h"

namespace KX {

class LLevelMeter : public LControl {
public:
    LLevelMeter(const RCPtr<LControl>& parent, const WString& name);

    virtual KXRESULT SetPeakAndLevel(double level, double peak);
    // The main update: clip light, value, bar and peak marker. Levels and peaks outside 0..1 are
    // clamped; a level or peak that is not a number counts as 0. 0.
    virtual KXRESULT SetLevelsWithClip(double level, double peak, int32_t clipCounter);
    // E_FAIL without a clip light; else darkens it and (un)latches it. 0.
    virtual KXRESULT SetClipLatched(bool latched);
    virtual bool IsClipLit();
    virtual int32_t GetClipCounter() { return m_clipCounter; }
    // Stores the count only; the light is untouched.
    virtual void SetClipCounter(int32_t counter) { m_clipCounter = counter; }

    bool IsVertical() const noexcept { return m_vertical != 0; }
    bool IsClipLatched() const noexcept { return m_clipLatched != 0; }
    // "NID_LEFT_CLICK" of the latched clip light: darkens a lit light and sends
    // "NID_CLIPLIGHT_UNLATCHED". 1.
    KXRESULT OnClipLightClicked(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n);

    // LControl.
    // A value set from outside: the bar follows and the peak marker drops to 0.
    void OnValueChanged() override;
    KXRESULT Initialize() override;
    KXRESULT PostInitialize() override;
    KXRESULT Receive(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n) override;
    KXRESULT UnregisterForNotification(const RCPtr<LNotificationDistributor>& d, const char16_t* name) override;

protected:
    ~LLevelMeter() override;

private:
    void PlaceBar(double level);
    void PlacePeak(double peak);

    RCPtr<LNotificationHandler<LLevelMeter>> m_meterHandler;
    int32_t m_clipCounter = 0;
    uint8_t m_clipLatched = 0;
    PointT<double> m_peakLoPos;
    PointT<double> m_peakHiPos;
    // The marker's placed position at peak 0 on each axis.
    PointT<double> m_peakLoPlaced;
    RCPtr<LControl> m_peakLo;
    RCPtr<LControl> m_overlay;
    RCPtr<LControl> m_clipButton;
    uint8_t m_inUpdate = 0;
    int32_t m_vertical = 0;
};

} // namespace KX
