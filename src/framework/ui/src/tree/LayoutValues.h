#pragma once
// How the layout passes read values from layout descriptors and controls: not-a-number and infinite
// values count as 0 and coordinates are limited, so that no pass can give a NaN bound.
#include "kx/ui/Control.h"
#include "kx/ui/LayoutPasses.h"

#include <cmath>

namespace KX {

inline double LayoutCoord(double value) noexcept
{
    if (!std::isfinite(value))
        return 0.0;
    return value > kMaxLayoutCoordinate ? kMaxLayoutCoordinate
                                        : (value < -kMaxLayoutCoordinate ? -kMaxLayoutCoordinate : value);
}

// A relative factor or anchor, widened to double.
inline double LayoutFactor(float value) noexcept
{
    return std::isfinite(value) ? static_cast<double>(value) : 0.0;
}

inline bool IsDockedOn(const LControl& control, int32_t axis) noexcept
{
    const RCPtr<LLayoutDescriptor>& layout = control.GetLayout();
    return layout && layout->Position(axis).docked != 0;
}

} // namespace KX
