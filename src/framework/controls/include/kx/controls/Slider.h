#pragma once
// The slider ("Framework.Slider"): a value control whose thumb moves along a straight track from
// the part "thumbStart" to the part "thumbEnd" (horizontal, vertical or slanted). Dragged by the
// thumb, stepped by presses on the track (repeating while held, on the idle pass), by the arrow
// keys and by wheel steps. A drag is framed by "NID_VALUE_CHANGE_CAPTURE", a held arrow key by
// "NID_VALUE_CHANGE_KEY_DOWN"/"NID_VALUE_CHANGE_KEY_UP". UI thread only.
#include "kx/NotificationHandler.h"
#include "kx/Wrappers.h"
#include "kx/controls/Panel.h"

#include <cstdint>

namespace KX {

class LButton;

class LSlider : public LPanel {
public:
    // Seconds from a press on the track to the first repeated step, and between later ones.
    static constexpr double kRepeatDelay = 0.3;
    static constexpr double kRepeatInterval = 0.1;

    LSlider(const RCPtr<LControl>& parent, const WString& name);

    // LControl.
    // While the thumb is dragged the value is kept as pending and applied at the drag's end; the
    // current value is returned. Otherwise the base's, then the thumb follows.
    double SetNormalizedValue(double value) override;
    // Finds the thumb once; afterwards every relayout places it again.
    void CheckTrackedBoundsChanged() override;
    // Track repeat on the slider's own press, focus looks, a held key released on focus loss.
    void OnConditionsChanged(const RCPtr<LConditionsParam>& param) override;
    // Wheel up or right adds one unit of the range, down or left takes one away. 0.
    KXRESULT HandleVerticalWheel(const RCPtr<LMouseWheelParam>& param) override;
    KXRESULT HandleHorizontalWheel(const RCPtr<LMouseWheelParam>& param) override;
    // A click on the track steps towards the click.
    void OnLeftClickHook(const RCPtr<LMouseButtonParam>& param) override;
    // Arrow keys while the slider itself holds the focus: 0 when used, else 1.
    KXRESULT FilterKey(const RCPtr<LKeyParam>& param) override;
    // Arrow keys passed up from the thumb; anything else goes to the panel.
    KXRESULT HandleKey(const RCPtr<LKeyParam>& param) override;
    void OnIdleHook() override;
    // The panel's set-up, the parts, the thumb made from "thumbStart", the range 0..127 linear.
    // E_FAIL when the panel's set-up fails.
    KXRESULT Initialize() override;
    // A child named "thumb" attached without a descriptor gets a copy of thumbStart's.
    KXRESULT AttachChild(RCPtr<LControl> child, const ConstRCPtr<LControlDescriptor>& descriptor) override;
    // Hides the end markers and takes the grip point from "thumbStart"; after a rebuild from a new
    // skin (which names no thumb) the thumb is attached again with the new thumbStart's look. 0.
    KXRESULT PostInitialize() override;
    // The slider's own handlers, then the panel's chain.
    KXRESULT Receive(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n) override;
    KXRESULT UnregisterForNotification(const RCPtr<LNotificationDistributor>& d, const char16_t* name) override;

    // Places the thumb at the value (nothing while dragging).
    void PositionThumb();
    // Moves the value one page step towards point (slider coordinates), never past it. A track
    // of no length has no direction: nothing moves.
    void StepTowardsPoint(PointT<int32_t> point);
    // Distance between the end markers; 0 without them.
    double GetTrackLength() const;

    double GetPageStep() const noexcept { return m_pageStep; }
    // Only a finite step above 0 is taken.
    void SetPageStep(double step) noexcept;
    bool IsDragging() const noexcept { return m_dragging; }
    bool IsTrackRepeating() const noexcept { return m_trackRepeat; }
    bool IsKeyHeld() const noexcept { return m_keyHeld; }
    // Below 0 when none.
    double GetPendingValue() const noexcept { return m_pendingValue; }
    void SetApplyPendingAtDragEnd(bool on) noexcept { m_applyPendingAtDragEnd = on; }
    PointT<int32_t> GetGripPoint() const noexcept { return m_grip; }
    const RCPtr<LButton>& GetThumb() const noexcept { return m_thumb; }
    const RCPtr<LButton>& GetThumbStart() const noexcept { return m_start; }
    const RCPtr<LButton>& GetThumbEnd() const noexcept { return m_end; }

    // The thumb's "NID_MOUSE_MOVE" while dragging: the thumb follows the pointer along the track.
    KXRESULT OnThumbMove(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n);
    // The thumb's press begins a drag, its release ends it. 1.
    KXRESULT OnThumbDragCondition(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n);

protected:
    ~LSlider() override;

private:
    // S and E: the end markers' top-left corners, rounded.
    PointT<int32_t> StartPoint() const;
    PointT<int32_t> EndPoint() const;
    PointT<int32_t> ThumbPoint() const;
    // Moves the thumb's top-left corner to p through its placements.
    void MoveThumbTo(PointT<int32_t> p);
    // Sets the value from the thumb's place on the track, then places the thumb.
    void ValueFromThumb();
    // The point of the track nearest to p (pointer minus grab offset), inside the markers' box.
    PointT<int32_t> ConstrainToTrack(PointT<int32_t> p) const;
    void ShowStateLook();
    // The pointer in the slider's coordinates, from the root window.
    PointT<int32_t> PointerInSlider() const;
    // Hides the markers and takes the grip point from "thumbStart".
    void HideMarkers();
    // A descriptor for the thumb: thumbStart's, named "thumb", placed absolutely.
    RCPtr<LControlDescriptor> MakeThumbDescriptor() const;

    RCPtr<LNotificationHandler<LSlider>> m_sliderHandler;
    RCPtr<LButton> m_thumb;
    RCPtr<LButton> m_start;
    RCPtr<LButton> m_end;
    bool m_dragging = false;
    PointT<int32_t> m_grabOffset{};
    double m_pageStep = 0.1;
    bool m_trackRepeat = false;
    double m_lastRepeatTime = 0.0;
    double m_repeatCountdown = 0.0;
    double m_pendingValue = -1.0;
    bool m_applyPendingAtDragEnd = true;
    bool m_keyHeld = false;
    PointT<int32_t> m_grip{};
    bool m_placingThumb = false;
};

} // namespace KX
