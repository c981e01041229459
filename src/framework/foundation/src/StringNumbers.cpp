#include "kx/StringT.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdint>
#include <string>

// The leading number of a string's text, read the same whatever the user's locale.

namespace KX {

namespace {

template <class C>
bool IsBlank(C c)
{
    return c == C(' ') || (c >= C('\t') && c <= C('\r'));
}

// The exponent after its mark, kept far from the limits so that adding a mantissa's scale
// cannot overflow; one too large to read keeps its sign.
long long ExponentOf(const char* p, const char* end)
{
    if (p < end && *p == '+')
        ++p;
    long long exponent = 0;
    if (std::from_chars(p, end, exponent).ec == std::errc::result_out_of_range)
        return *p == '-' ? LLONG_MIN / 4 : LLONG_MAX / 4;
    return std::clamp(exponent, LLONG_MIN / 4, LLONG_MAX / 4);
}

// Value of an out-of-range number text: overflow gives infinity, underflow 0. text starts at the
// first digit or point of the mantissa.
double OutOfRangeValue(const char* text, const char* end)
{
    long long scale = 0;
    bool seenPoint = false;
    bool seenDigit = false;
    const char* p = text;
    for (; p < end; ++p) {
        if (*p == '.') {
            seenPoint = true;
        } else if (*p >= '0' && *p <= '9') {
            if (*p != '0')
                seenDigit = true;
            if (!seenPoint && seenDigit)
                ++scale;
            else if (seenPoint && !seenDigit)
                --scale;
        } else {
            break;
        }
    }
    if (p < end && (*p == 'e' || *p == 'E'))
        scale += ExponentOf(p + 1, end);
    return scale > 0 ? HUGE_VAL : 0.0;
}

// The same for a hexadecimal mantissa (text starts after the 0x) with a binary exponent.
double HexOutOfRangeValue(const char* text, const char* end)
{
    long long scale = 0;
    bool seenPoint = false;
    bool seenDigit = false;
    const char* p = text;
    for (; p < end; ++p) {
        const char c = *p;
        const bool digit = (c >= '0' && c <= '9') || ((c | 0x20) >= 'a' && (c | 0x20) <= 'f');
        if (c == '.') {
            seenPoint = true;
        } else if (digit) {
            if (c != '0')
                seenDigit = true;
            if (!seenPoint && seenDigit)
                scale += 4;
            else if (seenPoint && !seenDigit)
                scale -= 4;
        } else {
            break;
        }
    }
    if (p < end && (*p == 'p' || *p == 'P'))
        scale += ExponentOf(p + 1, end);
    return scale > 0 ? HUGE_VAL : 0.0;
}

} // namespace

template <class C, class O>
int StringT<C, O>::ToInt() const noexcept
{
    const C* p = GetString();
    while (IsBlank(*p))
        ++p;
    bool negative = false;
    if (*p == C('+') || *p == C('-'))
        negative = *p++ == C('-');
    uint64_t value = 0;
    for (; *p >= C('0') && *p <= C('9'); ++p) {
        if (value <= 0x80000000ull)
            value = value * 10 + static_cast<unsigned>(*p - C('0'));
    }
    if (negative)
        return value >= 0x80000000ull ? INT_MIN : -static_cast<int>(value);
    return value > static_cast<uint64_t>(INT_MAX) ? INT_MAX : static_cast<int>(value);
}

template <class C, class O>
double StringT<C, O>::ToDouble() const noexcept
{
    const C* p = GetString();
    while (IsBlank(*p))
        ++p;
    bool negative = false;
    if (*p == C('+') || *p == C('-'))
        negative = *p++ == C('-');

    // The number's characters as narrow text (they are all ASCII).
    char local[128];
    std::string heap;
    size_t n = 0;
    for (;; ++n) {
        const C u = p[n];
        const bool numberChar = (u >= C('0') && u <= C('9')) || (FoldLower(u) >= C('a') && FoldLower(u) <= C('z')) ||
                                u == C('.') || u == C('+') || u == C('-') || u == C('(') || u == C(')') || u == C('_');
        if (!numberChar)
            break;
        const char ch = static_cast<char>(u);
        if (n < sizeof local) {
            local[n] = ch;
        } else {
            if (heap.empty())
                heap.assign(local, sizeof local);
            heap.push_back(ch);
        }
    }
    const char* text = heap.empty() ? local : heap.data();
    double value = 0.0;
    if (n == 0 || text[0] == '-' || text[0] == '+')
        return 0.0;
    if (n >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        // Hexadecimal digits with an optional binary exponent; without a digit the number is
        // the 0 before the x.
        const auto result = std::from_chars(text + 2, text + n, value, std::chars_format::hex);
        if (result.ec == std::errc::result_out_of_range)
            value = HexOutOfRangeValue(text + 2, result.ptr);
        else if (result.ec != std::errc())
            value = 0.0;
        return negative ? -value : value;
    }
    const auto result = std::from_chars(text, text + n, value, std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range)
        value = OutOfRangeValue(text, result.ptr);
    else if (result.ec != std::errc())
        value = 0.0;
    return negative ? -value : value;
}

template int StringT<char16_t, char>::ToInt() const noexcept;
template int StringT<char, char16_t>::ToInt() const noexcept;
template double StringT<char16_t, char>::ToDouble() const noexcept;
template double StringT<char, char16_t>::ToDouble() const noexcept;

} // namespace KX
