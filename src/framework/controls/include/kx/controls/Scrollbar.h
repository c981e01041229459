#pragma once
// The scroll bar ("Framework.ScrollBar"): a value control built from the skin children "dec" and
// "inc" (auto-repeating step buttons), "channel" (a panel) and "thumb" (a button in the channel).
// Line and page steps, keys, channel presses with their own auto-repeat on the idle pass, and
// thumb drags. Its orientation follows from where the skin puts the step buttons. UI thread only.
#include "kx/ui/Control.h"

#include <cstdint>

namespace KX {

class LScrollbar : public LControl {
public:
    // Key mask bits.
    static constexpr uint32_t kKeyUp = 0x01;
    static constexpr uint32_t kKeyDown = 0x02;
    static constexpr uint32_t kKeyLeft = 0x04;
    static constexpr uint32_t kKeyRight = 0x08;
    static constexpr uint32_t kKeyPageUp = 0x10;
    static constexpr uint32_t kKeyPageDown = 0x20;
    static constexpr uint32_t kKeyHome = 0x40;
    static constexpr uint32_t kKeyEnd = 0x80;

    // Page directions of a channel press.
    static constexpr int32_t kPageNone = 0;
    static constexpr int32_t kPageTowardsStart = 1;
    static constexpr int32_t kPageTowardsEnd = 2;

    // The value range starts as 0 .. 100, linear.
    LScrollbar(const RCPtr<LControl>& parent, const WString& name);

    // While the thumb is dragged the value is only remembered (applied when the drag ends) and the
    // current value is returned; otherwise clamped, stored and the thumb placed.
    double SetNormalizedValue(double value) override;
    // Keeps the current value in range units; E_INVALIDARG for a refused range (the value is then
    // set again in the old range).
    KXRESULT SetValueRange(double minimum, double maximum, int32_t scaleType) override;
    // The geometry update: track, thumb length and thumb position.
    void CheckTrackedBoundsChanged() override;
    KXRESULT Initialize() override;
    KXRESULT PostInitialize() override;
    void OnIdleHook() override;
    // Its own handler map first, then, when that did not use it, the control base's.
    KXRESULT Receive(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n) override;
    // Drops the binding of its own handler map, then the registration.
    KXRESULT UnregisterForNotification(const RCPtr<LNotificationDistributor>& d, const char16_t* name) override;

    // Stores the low 8 bits; E_INVALIDARG when higher bits were set. The first non-zero mask
    // registers the key handler at the parent and at the bar.
    KXRESULT SetKeyMask(uint32_t mask);
    uint16_t GetKeyMask() const noexcept { return m_keyMask; }

    bool IsVertical() const noexcept { return m_vertical; }
    // Normalized steps.
    double GetLineStep() const noexcept { return m_lineStep; }
    void SetLineStep(double step) noexcept { m_lineStep = step; }
    double GetPageStep() const noexcept { return m_pageStep; }
    void SetPageStep(double step) noexcept { m_pageStep = step; }
    // The thumb's length as a fraction of the track; resize runs the geometry update.
    double GetThumbProportion() const noexcept { return m_thumbProportion; }
    void SetThumbProportion(double proportion, bool resize);
    double GetMinimumThumbLength() const noexcept { return m_minThumbLength; }
    double GetThumbLength() const noexcept { return m_thumbLength; }
    double GetTrackStart() const noexcept { return m_trackStart; }
    double GetTrackEnd() const noexcept { return m_trackEnd; }
    // Moves the thumb to the value (nothing while dragging).
    void PlaceThumb();

    bool IsDragging() const noexcept { return m_dragging; }
    int32_t GetPageDirection() const noexcept { return m_pageDirection; }
    // -1.0 when no value waits for the end of a drag.
    double GetDeferredValue() const noexcept { return m_deferredValue; }
    void SetApplyDeferredValue(bool apply) noexcept { m_applyDeferredValue = apply; }

    // The skin children; null when the skin has none.
    const RCPtr<LControl>& GetChannel() const noexcept { return m_channel; }
    const RCPtr<LControl>& GetThumb() const noexcept { return m_thumb; }
    const RCPtr<LControl>& GetDecButton() const noexcept { return m_dec; }
    const RCPtr<LControl>& GetIncButton() const noexcept { return m_inc; }

    // Page auto-repeat timing, seconds.
    static constexpr double kPageRepeatDelay = 0.4;
    static constexpr double kPageRepeatInterval = 0.2;

protected:
    ~LScrollbar() override;

private:
    KXRESULT OnChannelPress(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n);
    KXRESULT OnChannelHover(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n);
    KXRESULT OnThumbMove(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n);
    KXRESULT OnThumbDrag(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n);
    KXRESULT OnStep(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n);
    KXRESULT OnBarKey(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n);

    // The along-axis coordinate of a pointer in channel coordinates.
    double Along(PointT<double> p) const noexcept { return m_vertical ? p.y : p.x; }
    // The root window's pointer in channel coordinates.
    PointT<double> PointerInChannel() const;
    // 1 before the thumb, 2 after it, 0 on it.
    int32_t ClassifyChannelPoint(PointT<double> p) const;
    double ThumbCoordinate() const;
    void MoveThumbTo(double coordinate);
    void UpdateChannelLook();
    void ResetChannelLook();
    void StepBy(double delta);

    RCPtr<LNotificationHandler<LScrollbar>> m_handler;
    bool m_vertical = false;
    RCPtr<LControl> m_thumb;
    RCPtr<LControl> m_channel;
    RCPtr<LControl> m_dec;
    RCPtr<LControl> m_inc;
    double m_lineStep = 0.02;
    double m_pageStep = 0.2;
    double m_thumbProportion = 0.1;
    double m_minThumbLength = 10.0;
    double m_thumbLength = 0.0;
    double m_trackStart = 0.0;
    double m_trackEnd = 0.0;
    bool m_dragging = false;
    PointT<int32_t> m_grabOffset{};
    int32_t m_pageDirection = kPageNone;
    double m_pageLastTick = 0.0;
    double m_pageCountdown = 0.0;
    double m_deferredValue = -1.0;
    bool m_applyDeferredValue = true;
    uint16_t m_keyMask = 0;
};

} // namespace KX
