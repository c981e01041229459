#pragma once
// The record a wheel step carries to a control: the point in root-window coordinates, the
// pointer modifiers and the direction. Taken from a reuse pool (thread-safe).
#include "kx/ui/ParamRecords.h"

namespace KX {

// Wheel directions.
inline constexpr uint32_t kWheelDown = 0;  // vertical, negative
inline constexpr uint32_t kWheelUp = 1;    // vertical, positive
inline constexpr uint32_t kWheelLeft = 2;  // horizontal, negative
inline constexpr uint32_t kWheelRight = 3; // horizontal, positive

class LMouseWheelParam : public LPointWithModifiersParam {
    KX_POOLED_RECORD(LMouseWheelParam)
public:
    static RCPtr<LMouseWheelParam> Create(PointT<int32_t> point, uint32_t modifiers, uint32_t direction);
    uint32_t GetDirection() const noexcept { return m_direction; }
    bool IsHorizontal() const noexcept { return m_direction >= kWheelLeft; }

protected:
    LMouseWheelParam(PointT<int32_t> point, uint32_t modifiers, uint32_t direction) noexcept
        : LPointWithModifiersParam(point, modifiers), m_direction(direction)
    {
    }
    ~LMouseWheelParam() override = default;

private:
    uint32_t m_direction;
};

} // namespace KX
