#include "kx/Color.h"

#include "platform/posix/Hex.h"

#include <cmath>
#include <cstring>

namespace KX {

namespace {
constexpr float kByteToUnit = 1.0f / 255.0f;

float Channel(uint32_t value, int shift) noexcept
{
    return static_cast<float>((value >> shift) & 255u) * kByteToUnit;
}

uint32_t ToByte(float channel) noexcept
{
    const float scaled = channel * 255.0f;
    if (!(scaled > 0.0f))
        return 0;
    if (scaled >= 255.0f)
        return 255;
    return static_cast<uint32_t>(std::round(scaled));
}
} // namespace

void LColor::FromARGB(uint32_t argb) noexcept
{
    alpha = Channel(argb, 24);
    red = Channel(argb, 16);
    green = Channel(argb, 8);
    blue = Channel(argb, 0);
}

void LColor::FromString(const char* text) noexcept
{
    if (!text)
        return;
    if (text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        text += 2;
    const size_t length = std::strlen(text);
    if (length != 2 && length != 6 && length != 8)
        return;
    uint32_t value = 0;
    for (size_t i = 0; i < length; ++i) {
        const int digit = platform::posix::HexDigitValue(text[i]);
        if (digit < 0)
            return;
        value = (value << 4) | static_cast<uint32_t>(digit);
    }
    switch (length) {
    case 2: alpha = Channel(value, 0); break;
    case 6:
        red = Channel(value, 16);
        green = Channel(value, 8);
        blue = Channel(value, 0);
        break;
    default: FromARGB(value); break;
    }
}

uint32_t LColor::ToARGB() const noexcept
{
    return (ToByte(alpha) << 24) | (ToByte(red) << 16) | (ToByte(green) << 8) | ToByte(blue);
}

} // namespace KX
