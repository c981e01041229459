#pragma once
// Conversions between straight and premultiplied 32-bit pixels.
#include <cstdint>

namespace gdi::detail {

// round(c * a / 255) for 8-bit c and a.
inline uint32_t MulDiv255(uint32_t c, uint32_t a)
{
    uint32_t t = c * a + 128;
    return (t + (t >> 8)) >> 8;
}

inline uint32_t Premultiply(uint32_t argb)
{
    uint32_t a = argb >> 24;
    if (a == 255)
        return argb;
    if (a == 0)
        return 0;
    return (a << 24) | (MulDiv255((argb >> 16) & 255, a) << 16) | (MulDiv255((argb >> 8) & 255, a) << 8) |
           MulDiv255(argb & 255, a);
}

// Inverse of Premultiply: premultiply(unpremultiply(p)) == p for every valid premultiplied p.
inline uint32_t Unpremultiply(uint32_t pargb)
{
    uint32_t a = pargb >> 24;
    if (a == 255)
        return pargb;
    if (a == 0)
        return 0;
    auto channel = [a](uint32_t p) {
        uint32_t c = (p * 255 + a / 2) / a;
        return c > 255 ? 255u : c;
    };
    return (a << 24) | (channel((pargb >> 16) & 255) << 16) | (channel((pargb >> 8) & 255) << 8) | channel(pargb & 255);
}

} // namespace gdi::detail
