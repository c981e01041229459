#pragma once
// The push button ("Framework.Button"): push, toggle, radio and auto-repeat button, shown
// through a 14-look list chosen from its state. Timed work (repeats, the pressed look of a
// simulated click) runs on the idle pass with the application clock. UI thread only.
#include "kx/NotificationHandler.h"
#include "kx/ui/Control.h"

namespace KX {

class LButton : public LControl {
public:
    // Look indices of the 14-look list; the value-on looks follow at kOnLookOffset.
    static constexpr int32_t kLookNormal = 0;
    static constexpr int32_t kLookHover = 1;
    static constexpr int32_t kLookPressed = 2;
    static constexpr int32_t kFocusLookOffset = 3;
    static constexpr int32_t kLookDisabled = 6;
    static constexpr int32_t kOnLookOffset = 7;
    // The Enter key pressed, as a packed key code.
    static constexpr uint32_t kEnterKeyDown = 0x200D0000u;

    LButton(const RCPtr<LControl>& parent, const WString& name);

    // Behaviour flags; owners of child buttons (scroll bars, number boxes) set them after creation.
    bool autoValueSet = false;
    bool isRadio = false;
    bool autoRepeat = false;
    bool mouseTransparent = false;
    bool repeating = false;
    bool stickyPressedLook = false;
    bool clickPending = false;
    // Seconds.
    double repeatInterval = 0.1;
    double repeatDelay = 0.3;
    double lastTick = 0.0;
    double countdown = 0.0;
    double simulatedPressTime = 0.15;
    double simulatedPressStart = 0.0;

    // Whether the value counts as on (0.5 or more).
    bool IsOn() const noexcept { return GetNormalizedValue() >= 0.5; }

    // Shows the pressed look now and clicks 0.15 s later; a click still pending is delivered first.
    void SimulateClick();
    // Shows the look of the current state (nothing while a simulated click shows its own).
    void UpdateLook();
    // The look index UpdateLook would show.
    int32_t ComputeLookIndex() const;

    // "NID_SIMULATE_CLICK": a simulated click when the button and its ancestors are enabled. 1.
    KXRESULT OnSimulateClick(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n);

    // LControl.
    void OnValueChanged() override;
    void OnConditionsChanged(const RCPtr<LConditionsParam>& param) override;
    void SetEnabled(bool enabled) override;
    void OnLeftClickHook(const RCPtr<LMouseButtonParam>& param) override;
    bool ContainsPoint(PointT<double> point) override;
    // Enter starts a simulated click (0); any other key is passed on (1).
    KXRESULT FilterKey(const RCPtr<LKeyParam>& param) override;
    void OnIdleHook() override;
    KXRESULT Initialize() override;
    WString GetToolTipText() override;
    // The control's own handlers first, then the button's.
    KXRESULT Receive(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n) override;

protected:
    ~LButton() override;

private:
    void SendAutoRepeat();
    // A left click at (0, 0) with the window's button state, through OnLeftClick.
    void DeliverSimulatedClick();

    RCPtr<LNotificationHandler<LButton>> m_buttonHandler;
};

} // namespace KX
