#pragma once
// A colour of four float channels and its 32-bit ARGB form (alpha bits 24-31, red 16-23,
// green 8-15, blue 0-7).
#include <cstdint>

namespace KX {

class LColor {
public:
    float red = 0.0f;
    float green = 0.0f;
    float blue = 0.0f;
    float alpha = 0.0f;

    constexpr LColor() noexcept = default;
    constexpr LColor(float r, float g, float b, float a) noexcept : red(r), green(g), blue(b), alpha(a) {}

    static LColor MakeFromARGB(uint32_t argb) noexcept
    {
        LColor color;
        color.FromARGB(argb);
        return color;
    }

    // Every channel = its 8 bits / 255.
    void FromARGB(uint32_t argb) noexcept;

    // A skin colour text: an optional "0x"/"0X", then 2 hex digits (alpha only), 6 (red, green,
    // blue; alpha kept) or 8 (all four as FromARGB). A null text, any other length or any
    // character that is not a hex digit leaves the colour unchanged.
    void FromString(const char* text) noexcept;

    // Each channel times 255, rounded half away from zero and clamped to 0..255 (not-a-number
    // gives 0).
    uint32_t ToARGB() const noexcept;

    friend bool operator==(const LColor&, const LColor&) = default;
};

} // namespace KX
