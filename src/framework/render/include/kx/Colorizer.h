#pragma once
// The fill of a skin part, as the bitmap operations read it: a solid colour, or a gradient
// between two colours.
#include "kx/Color.h"
#include "kx/RefCountedObject.h"

#include <cstdint>

namespace KX {

class LColorizer : public virtual LRefCountedObject {
public:
    // Fill types; every type but kSolidFill is a gradient.
    static constexpr uint32_t kSolidFill = 0;
    static constexpr uint32_t kLinearGradient = 1;
    static constexpr uint32_t kRadialGradient = 2;

    LColorizer(uint32_t type, const LColor& color, const LColor& endColor) noexcept
        : m_type(type), m_color(color), m_endColor(endColor)
    {
    }

    uint32_t GetType() const noexcept { return m_type; }
    bool IsGradient() const noexcept { return m_type != kSolidFill; }
    // The solid colour, or the start colour of a gradient.
    const LColor& GetColor() const noexcept { return m_color; }
    const LColor& GetEndColor() const noexcept { return m_endColor; }

private:
    uint32_t m_type;
    LColor m_color;
    LColor m_endColor;
};

} // namespace KX
