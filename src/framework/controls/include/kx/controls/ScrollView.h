#pragma once
// The scroll view: a control whose children may be larger than its client area. It owns the
// optional skin children "hBar" and "vBar" (scroll bars) and "corner", shows each bar only when
// the content needs it, keeps the bars' ranges, thumbs and steps in line with the client extent,
// turns bar movements into scroll offsets and back, and scrolls by wheel steps. The base of
// panels, dialogs and the list and text controls. UI thread only.
#include "kx/controls/Scrollbar.h"
#include "kx/ui/Control.h"

#include <cstdint>

namespace KX {

class LMouseWheelParam;

class LScrollView : public LControl {
public:
    // Auto-extent axes.
    static constexpr uint32_t kAutoExtentX = 0x1;
    static constexpr uint32_t kAutoExtentY = 0x2;
    // Axis codes of OnScrollBarShown.
    static constexpr int32_t kAxisHorizontal = 0;
    static constexpr int32_t kAxisVertical = 1;

    LScrollView(const RCPtr<LControl>& parent, const WString& name);

    void CaptureLookBounds() override;
    void CheckTrackedBoundsChanged() override;
    // Moves the bars to the new offset without their value change coming back as an offset.
    void InvalidateBoundsChange(PointT<double> oldOffset, PointT<double> newOffset) override;
    // A child changed: docked ones (the bars, the corner) update the bars, others the automatic
    // extent first.
    void AddInvalidRect(const RCPtr<LControl>& child) override;
    // The content size: on an axis whose minimum or maximum is the children ("Children"), their
    // far corner; on the others the layout's own maximum.
    PointT<double> GetMaximumSize() override;
    const PointT<double>& SetScrollOffset(PointT<double> offset) override;
    // The range of the scroll offset: 0 .. extent - client per axis (unbounded where the extent is
    // 0 or less).
    void GetScrollRange(RectT<double>& out, const RCPtr<LControl>& dragged) override;
    // The look's client part less the room of the shown bars.
    RectT<double> GetClientRect() override;
    // With drag scrolling, a left drag starts a content pan.
    void OnConditionsChanged(const RCPtr<LConditionsParam>& param) override;
    KXRESULT CreateFromDescriptor(const ConstRCPtr<LControlDescriptor>& descriptor) override;
    // A child taken out: while attached to a root window, the automatic extent follows.
    void OnChildRemoved(const RCPtr<LControl>& child, int32_t index) override;
    // Wheel steps: 0 when a bar took the step, 1 (pass on) when no bar is shown.
    KXRESULT HandleVerticalWheel(const RCPtr<LMouseWheelParam>& param) override;
    KXRESULT HandleHorizontalWheel(const RCPtr<LMouseWheelParam>& param) override;
    KXRESULT Initialize() override;
    // "AUTO_CLIENT_EXTENT_X" and "AUTO_CLIENT_EXTENT_Y".
    KXRESULT ReadCreateParams() override;
    // The visible part of the content.
    RectT<double> GetBounds() override;
    // Its own handler map first, then, when that did not use it, the control base's.
    KXRESULT Receive(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n) override;
    // Drops the binding of its own handler map, then the registration.
    KXRESULT UnregisterForNotification(const RCPtr<LNotificationDistributor>& d, const char16_t* name) override;

    // New virtual operations.
    // Bar visibility and ranges; while a size change is tracked, the visible part of the content
    // becomes the tracked bounds.
    virtual void UpdateScrollBars();
    virtual void OnClientRectChanged() {}
    // axis: kAxisHorizontal or kAxisVertical.
    virtual void OnScrollBarShown(int32_t) {}

    // 0 when the extent changed (bars updated, "NID_CLIENT_EXTENT_CHANGE" sent), 1 when not.
    KXRESULT SetClientExtent(double width, double height);
    PointT<double> GetClientExtent() const noexcept { return m_extent; }
    // Auto-extent axes (kAutoExtentX | kAutoExtentY) and the margins added to the children's far
    // corner; the extent is recomputed at once.
    void SetAutoExtent(uint32_t axes);
    uint32_t GetAutoExtent() const noexcept { return m_autoExtent; }
    void SetExtentMargin(int32_t x, int32_t y);
    // Line mode: the vertical axis scrolls by whole lines of lineHeight pixels (0 turns it off).
    void SetLineMode(int32_t lineHeight);
    bool IsLineMode() const noexcept { return m_lineMode[1] != 0; }
    int32_t GetLineSize() const noexcept { return m_lineSize[1]; }
    void SetDragScrolling(bool on) noexcept { m_dragScrolling = on; }
    bool IsDragScrolling() const noexcept { return m_dragScrolling; }
    void SetMinimumViewSize(PointT<double> size) noexcept { m_minViewSize = size; }

    const RCPtr<LScrollbar>& GetHorizontalBar() const noexcept { return m_hBar; }
    const RCPtr<LScrollbar>& GetVerticalBar() const noexcept { return m_vBar; }
    const RCPtr<LControl>& GetCorner() const noexcept { return m_corner; }
    // (vertical bar width, horizontal bar height).
    PointT<double> GetBarThickness() const noexcept { return m_barThickness; }
    bool IsHorizontalBarShown() const;
    bool IsVerticalBarShown() const;

    // Shows or hides the bars for the extent and updates their ranges.
    void UpdateScrollBarVisibility();
    // Recomputes the extent of the auto-extent axes from the children; true when it changed.
    bool RecomputeAutoExtent();
    // The far corner of the children that are not docked on that axis (rounded).
    PointT<double> GetChildrenFarCorner();

protected:
    ~LScrollView() override;

    // The view's own handler map (made by Initialize).
    const RCPtr<LNotificationHandler<LScrollView>>& GetViewHandler() const noexcept { return m_handler; }

private:
    KXRESULT OnBarValueChange(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n);
    void ReadBarThickness();
    void UpdateBarRanges();
    // Sets the corner's (or, without one, the bar's) size across the bar's axis.
    void ShowBar(int32_t axis, bool show);
    // One wheel step on bar: the line step (page step with Shift) added (forward) or subtracted.
    KXRESULT StepBar(const RCPtr<LScrollbar>& bar, bool forward, uint32_t modifiers);

    RCPtr<LNotificationHandler<LScrollView>> m_handler;
    bool m_updatingBars = false;
    bool m_scrollingView = false;
    // While the view moves the bars to its offset.
    bool m_barsFollowView = false;
    bool m_boundsChanging = false;
    RCPtr<LScrollbar> m_hBar;
    RCPtr<LScrollbar> m_vBar;
    RCPtr<LControl> m_corner;
    PointT<double> m_extent{};
    PointT<double> m_barThickness{};
    int32_t m_lineMode[2] = {0, 0};
    int32_t m_lineSize[2] = {0, 0};
    uint32_t m_autoExtent = 0;
    int32_t m_extentMargin[2] = {0, 0};
    bool m_dragScrolling = false;
    PointT<double> m_minViewSize{};
    bool m_initialized = false;
    // Set while the control base rebuilds from a descriptor: its children come and go meanwhile.
    bool m_rebuilding = false;
};

} // namespace KX
