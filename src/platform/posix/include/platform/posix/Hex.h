#pragma once
// Hexadecimal digits read from text: one place for every layer that reads them (colours, skin
// numbers, profile bytes, percent-escapes).

namespace platform::posix {

// 0-15 for a hexadecimal digit of either case, else -1.
constexpr int HexDigitValue(char c) noexcept
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// The byte two hexadecimal digits spell (high first), else -1.
constexpr int HexByteValue(char high, char low) noexcept
{
    const int h = HexDigitValue(high), l = HexDigitValue(low);
    return h < 0 || l < 0 ? -1 : h * 16 + l;
}

} // namespace platform::posix
