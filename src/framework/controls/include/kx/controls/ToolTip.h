#pragma once
// The tool tip ("Framework.ToolTip"): the small text window a control builds under itself when
// the pointer rests on it. It waits 500 ms, shows below the pointer inside the root window for
// 5 s and removes itself from its parent when hidden; a tip asked for within 50 ms of the last
// one vanishing shows at once. Timed on the idle pass with the application's tick (unsigned
// millisecond differences). UI thread only.
#include "kx/ui/Control.h"
#include "kx/ui/FrameworkControlSeams.h"

namespace KX {

class LToolTip : public LControl, public IToolTipControl {
public:
    static constexpr int32_t kHidden = 0;
    static constexpr int32_t kWaiting = 1;
    static constexpr int32_t kShown = 2;
    static constexpr uint32_t kShowDelay = 500;
    static constexpr uint32_t kShowTime = 5000;
    static constexpr uint32_t kQuickFollow = 50;
    static constexpr double kPointerOffset = 20.0;
    static constexpr int32_t kWindowMargin = 8;

    LToolTip(const RCPtr<LControl>& parent, const WString& name);

    // IToolTipControl. Show: limits the width to the window's, then waits (or shows at once
    // right after another tip vanished). Hide: stops, and asks the parent to remove the tip.
    KXRESULT ShowForControl(const RCPtr<LControl>& control) override;
    void Hide() override;
    // Puts the tip below the pointer, pulled inside the root window's client area.
    void PlaceNearPointer();

    int32_t GetTipState() const noexcept { return m_tipState; }
    // The tick at which the last visible tip was hidden (shared by every tip).
    static uint32_t GetLastHiddenTick() noexcept { return s_lastTipHiddenTick; }
    static void SetLastHiddenTick(uint32_t tick) noexcept { s_lastTipHiddenTick = tick; }

    // LControl. The tip never takes the pointer, so it cannot steal its owner's hover.
    bool IsPointTransparent(PointT<int32_t>) override { return true; }
    void OnIdleHook() override;
    // Only leaves the Tab order. 0.
    KXRESULT ReadCreateParams() override;
    // Starts hidden. 0.
    KXRESULT PostInitialize() override;

protected:
    ~LToolTip() override = default;

private:
    void ShowNow();

    int32_t m_tipState = kHidden;
    uint32_t m_stateTick = 0;
    static uint32_t s_lastTipHiddenTick;
};

} // namespace KX
