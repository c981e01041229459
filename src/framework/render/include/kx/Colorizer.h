#pragma once
// The fill of a skin part, as the bitmap operations read it: a solid colour, or a gradient
// between two colours; the skin names it and gives a gradient its start and end points.
#include "kx/Color.h"
#include "kx/RefCountedObject.h"
#include "kx/StringT.h"

#include <cstdint>
#include <utility>

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

    // A named fill as the skin defines it; colours are r, g, b, a in 0..1. A solid fill keeps
    // an all-zero end colour whatever is passed.
    LColorizer(WString name, uint32_t type, const float color[4], const float endColor[4], float startX, float startY,
               float endX, float endY)
        : m_type(type), m_color(color[0], color[1], color[2], color[3]),
          m_endColor(type == kSolidFill ? LColor() : LColor(endColor[0], endColor[1], endColor[2], endColor[3])),
          m_name(std::move(name)), m_startX(startX), m_startY(startY), m_endX(endX), m_endY(endY)
    {
    }

    uint32_t GetType() const noexcept { return m_type; }
    bool IsGradient() const noexcept { return m_type != kSolidFill; }
    // The solid colour, or the start colour of a gradient.
    const LColor& GetColor() const noexcept { return m_color; }
    const LColor& GetEndColor() const noexcept { return m_endColor; }
    // Empty for a fill made without a name.
    const WString& GetName() const noexcept { return m_name; }
    float GetGradientStartX() const noexcept { return m_startX; }
    float GetGradientStartY() const noexcept { return m_startY; }
    float GetGradientEndX() const noexcept { return m_endX; }
    float GetGradientEndY() const noexcept { return m_endY; }

private:
    uint32_t m_type;
    LColor m_color;
    LColor m_endColor;
    WString m_name;
    float m_startX = 0.0f;
    float m_startY = 0.0f;
    float m_endX = 0.0f;
    float m_endY = 0.0f;
};

} // namespace KX
