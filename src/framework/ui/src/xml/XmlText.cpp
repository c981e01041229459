#include "xml/XmlText.h"

#include "platform/posix/Hex.h"

#include <algorithm>
#include <climits>

namespace KX::xml {

bool IsBlank(char c) noexcept
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

int32_t ParseIntOrHex(const char* text) noexcept
{
    if (text[0] == '0' && text[1] == 'x') {
        int32_t value = 0;
        for (int i = 2; i < 6; ++i) {
            const int digit = platform::posix::HexDigitValue(text[i]);
            if (digit < 0)
                break;
            value = value * 16 + digit;
        }
        return value;
    }
    return ParseDecimal(text);
}

int32_t ParseDecimal(const char* text) noexcept
{
    const char* p = text;
    while (IsBlank(*p))
        ++p;
    bool negative = false;
    if (*p == '+' || *p == '-')
        negative = *p++ == '-';
    int64_t value = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        value = value * 10 + (*p - '0');
        if (value > int64_t(INT32_MAX) + 1)
            value = int64_t(INT32_MAX) + 1;
    }
    if (negative)
        return static_cast<int32_t>(-value);
    return static_cast<int32_t>(std::min<int64_t>(value, INT32_MAX));
}

} // namespace KX::xml
