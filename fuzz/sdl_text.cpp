// The SDL window's text decoding on arbitrary bytes: UTF-8 to UTF-16 units never yields a lone surrogate,
// the validity check agrees with the decoder, and valid text round-trips exactly.
#include "platform/sdl/KeyMap.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

std::string Encode(const std::u16string& units)
{
    std::string out;
    for (size_t i = 0; i < units.size(); ++i) {
        uint32_t value = units[i];
        if (value >= 0xD800 && value <= 0xDBFF) {
            Check(i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF);
            value = 0x10000 + ((value - 0xD800) << 10) + (units[++i] - 0xDC00);
        } else {
            Check(value < 0xDC00 || value > 0xDFFF);
        }
        if (value < 0x80) {
            out += static_cast<char>(value);
        } else if (value < 0x800) {
            out += static_cast<char>(0xC0 | (value >> 6));
            out += static_cast<char>(0x80 | (value & 0x3F));
        } else if (value < 0x10000) {
            out += static_cast<char>(0xE0 | (value >> 12));
            out += static_cast<char>(0x80 | ((value >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (value & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (value >> 18));
            out += static_cast<char>(0x80 | ((value >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((value >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (value & 0x3F));
        }
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::u16string units = platform::sdl::Utf8ToUtf16(text);
    Check(units.size() <= size);
    const std::string back = Encode(units); // also checks the surrogates pair up
    if (platform::sdl::IsValidUtf8(text))
        Check(back == text);
    else
        Check(back != text);
    return 0;
}
