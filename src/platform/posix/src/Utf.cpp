#include "platform/posix/Utf.h"

namespace platform::posix {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

void PutUtf8(std::string& out, char32_t cp)
{
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

void PutUtf16(std::u16string& out, char32_t cp)
{
    if (cp < 0x10000) {
        out.push_back(static_cast<char16_t>(cp));
    } else {
        cp -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    }
}

bool IsHigh(char32_t c)
{
    return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLow(char32_t c)
{
    return c >= 0xDC00 && c <= 0xDFFF;
}

// The code point at text[i] and how many units it takes; kReplacement with a length of 1 for
// an unpaired surrogate (valid is then false).
char32_t NextUtf16(std::u16string_view text, size_t i, size_t& length, bool& valid)
{
    const char32_t c = text[i];
    length = 1;
    valid = true;
    if (IsHigh(c) && i + 1 < text.size() && IsLow(text[i + 1])) {
        length = 2;
        return 0x10000 + ((c - 0xD800) << 10) + (char32_t(text[i + 1]) - 0xDC00);
    }
    if (IsHigh(c) || IsLow(c)) {
        valid = false;
        return kReplacement;
    }
    return c;
}

// The code point at text[i] and how many bytes it takes; for a malformed sequence, valid is
// false and length covers its longest valid prefix (at least one byte).
char32_t NextUtf8(std::string_view text, size_t i, size_t& length, bool& valid)
{
    const auto lead = static_cast<unsigned char>(text[i]);
    length = 1;
    valid = true;
    if (lead < 0x80)
        return lead;
    valid = false;
    if (lead < 0xC2 || lead > 0xF4)
        return kReplacement;
    const size_t need = lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    char32_t cp = lead & (need == 2 ? 0x1F : need == 3 ? 0x0F : 0x07);
    size_t k = 1;
    for (; k < need && i + k < text.size(); ++k) {
        const auto next = static_cast<unsigned char>(text[i + k]);
        if ((next & 0xC0) != 0x80)
            break;
        cp = (cp << 6) | (next & 0x3F);
    }
    length = k;
    if (k < need)
        return kReplacement;
    const bool overlong = (need == 3 && cp < 0x800) || (need == 4 && cp < 0x10000);
    if (overlong || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF)
        return kReplacement;
    valid = true;
    return cp;
}

} // namespace

bool AppendUtf8Strict(std::u16string_view text, std::string& out)
{
    out.reserve(out.size() + text.size());
    for (size_t i = 0, length = 0; i < text.size(); i += length) {
        bool valid;
        const char32_t cp = NextUtf16(text, i, length, valid);
        if (!valid)
            return false;
        PutUtf8(out, cp);
    }
    return true;
}

void AppendUtf8Replacing(std::u16string_view text, std::string& out)
{
    out.reserve(out.size() + text.size());
    for (size_t i = 0, length = 0; i < text.size(); i += length) {
        bool valid;
        PutUtf8(out, NextUtf16(text, i, length, valid));
    }
}

std::optional<std::string> ToNativePath(std::u16string_view path)
{
    std::string out;
    if (!AppendUtf8Strict(path, out))
        return std::nullopt;
    for (char& c : out)
        if (c == '\\')
            c = '/';
    return out;
}

bool Utf8ToUtf16Strict(std::string_view text, std::u16string& out)
{
    out.clear();
    for (size_t i = 0, length = 0; i < text.size(); i += length) {
        bool valid;
        const char32_t cp = NextUtf8(text, i, length, valid);
        if (!valid)
            return false;
        PutUtf16(out, cp);
    }
    return true;
}

std::u16string Utf8ToUtf16Replacing(std::string_view text)
{
    std::u16string out;
    out.reserve(text.size());
    for (size_t i = 0, length = 0; i < text.size(); i += length) {
        bool valid;
        PutUtf16(out, NextUtf8(text, i, length, valid));
    }
    return out;
}

} // namespace platform::posix
