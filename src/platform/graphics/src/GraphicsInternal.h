#pragma once
// Helpers shared by the drawing code of Graphics: coordinate clamping, rounding and colours.
#include "platform/gdi/Graphics.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace gdi {

namespace {

// Cairo's fixed-point coordinates hold 24 integer bits; keep well inside them.
constexpr double kCoordLimit = 4194304.0;

inline double Coord(double v)
{
    if (std::isnan(v))
        return 0.0;
    return std::clamp(v, -kCoordLimit, kCoordLimit);
}

inline int32_t ToInt(double v)
{
    if (std::isnan(v))
        return 0;
    return static_cast<int32_t>(std::clamp(v, -1073741824.0, 1073741824.0));
}

inline int32_t RoundToInt(double v)
{
    return ToInt(std::floor(v + 0.5));
}

inline void SetSourceColor(cairo_t* cr, ARGB color)
{
    cairo_set_source_rgba(cr, ((color >> 16) & 255) / 255.0, ((color >> 8) & 255) / 255.0, (color & 255) / 255.0,
                          (color >> 24) / 255.0);
}

inline bool Finite(const RectF& r)
{
    return std::isfinite(r.x) && std::isfinite(r.y) && std::isfinite(r.width) && std::isfinite(r.height);
}

} // namespace

} // namespace gdi
