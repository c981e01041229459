#pragma once
// What the skin and string-table readers share: the owned expat parser, the piece size of one
// XML_Parse call, and the locale-free reading of numbers in attribute values.
#include <expat.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <type_traits>

namespace KX::xml {

// XML_Parse takes an int length: larger documents go in pieces of this size.
inline constexpr size_t kParseChunk = size_t(1) << 30;

struct ParserDeleter {
    void operator()(XML_Parser parser) const noexcept { XML_ParserFree(parser); }
};
using ParserHandle = std::unique_ptr<std::remove_pointer_t<XML_Parser>, ParserDeleter>;

bool IsBlank(char c) noexcept;
// "0x" (lower case only) and up to four hex digits, else the leading decimal number.
int32_t ParseIntOrHex(const char* text) noexcept;
// The leading decimal number: blanks and a sign allowed, 0 when none, saturated to 32 bits.
int32_t ParseDecimal(const char* text) noexcept;

} // namespace KX::xml
