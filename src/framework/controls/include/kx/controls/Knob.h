#pragma once
// The knob ("Framework.Knob"): a rotary value control drawn as a filmstrip (looks 0..N-1 are its
// frames; the frame shown follows the value). A drag changes the value linearly (right or up
// increases; Ctrl for fine steps) or, with radial angles given, by the pointer's angle around the
// centre; the arrow keys step it. Drags and held keys are reported as the slider reports them.
// UI thread only.
#include "kx/ui/Control.h"

#include <cstdint>

namespace KX {

class LKnob : public LControl {
public:
    // The fine-adjust factor when the skin gives none, and the linear travel per frame count.
    static constexpr double kDefaultFineMultiplier = 0.25;
    static constexpr double kDefaultLinearTravel = 128.0;

    LKnob(const RCPtr<LControl>& parent, const WString& name);

    // LControl.
    // During a drag the value is kept as pending and applied at the drag's end.
    double SetNormalizedValue(double value) override;
    // Shows the frame of the value.
    void OnValueChanged() override;
    void OnConditionsChanged(const RCPtr<LConditionsParam>& param) override;
    // The gesture, while dragging.
    void OnMove(const RCPtr<LPointWithModifiersParam>& param) override;
    // Wheel up or right adds one unit of the range, down or left takes one away.
    KXRESULT HandleVerticalWheel(const RCPtr<LMouseWheelParam>& param) override;
    KXRESULT HandleHorizontalWheel(const RCPtr<LMouseWheelParam>& param) override;
    // Arrow keys: 0 when used, 1 otherwise.
    KXRESULT FilterKey(const RCPtr<LKeyParam>& param) override;
    // Reads "LINEAR_GESTURE_FULL_RANGE", "RADIAL_GESTURE_START_ANGLE", "RADIAL_GESTURE_END_ANGLE"
    // and "FINE_ADJUST_MULTIPLIER"; the range becomes 0..127 linear.
    KXRESULT Initialize() override;
    // Counts the frames, finds the focus and disabled looks, the linear travel and the centre. 0.
    KXRESULT PostInitialize() override;

    // The value from the pointer's angle around the centre (knob coordinates).
    void RadialSetValue(int32_t x, int32_t y);

    bool IsRadial() const noexcept { return m_radial != 0; }
    int32_t GetLinearFullRange() const noexcept { return m_fullRange; }
    double GetStartAngle() const noexcept { return m_startAngle; }
    double GetEndAngle() const noexcept { return m_endAngle; }
    double GetFineMultiplier() const noexcept { return m_fineMultiplier; }
    int32_t GetFrameCount() const noexcept { return m_frameCount; }
    PointT<int32_t> GetCentre() const noexcept { return m_centre; }
    int32_t GetFocusLookIndex() const noexcept { return m_focusLook; }
    int32_t GetDisabledLookIndex() const noexcept { return m_disabledLook; }
    // The frame the value shows: round((N - 1) * value); -1 without frames.
    int32_t GetFrameIndex() const;
    bool IsDragging() const noexcept { return m_dragging; }
    bool IsKeyHeld() const noexcept { return m_keyHeld; }
    double GetPendingValue() const noexcept { return m_pendingValue; }
    void SetApplyPendingAtDragEnd(bool on) noexcept { m_applyPendingAtDragEnd = on; }

protected:
    ~LKnob() override;

private:
    // The centre of look 0's rectangle (of the whole knob without looks).
    void UpdateCentre();
    void LinearGesture(PointT<int32_t> p, bool fine);
    // Puts the image of look source (or none when source is below 0) into every frame.
    void OverlayFrames(int32_t source);
    PointT<int32_t> PointerInKnob() const;
    // Whether Ctrl is held: the application's key state or the event's modifiers.
    bool IsFineHeld(uint32_t modifiers) const;

    int32_t m_radial = 0;
    int32_t m_fullRange = 0;
    double m_startAngle = 0.0;
    double m_endAngle = 0.0;
    double m_fineMultiplier = 0.0;
    int32_t m_frameCount = 0;
    PointT<int32_t> m_last{};
    PointT<int32_t> m_previous{};
    PointT<int32_t> m_centre{};
    double m_pendingValue = -1.0;
    bool m_applyPendingAtDragEnd = true;
    int32_t m_focusLook = -1;
    int32_t m_disabledLook = -1;
    bool m_keyHeld = false;
    bool m_dragging = false;
};

} // namespace KX
