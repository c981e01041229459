#pragma once
// Conversion between UTF-16 and UTF-8: two range converters with strict and lenient modes,
// the sequence test, and two wrappers that convert a whole text into a new string buffer.
#include "kx/KXResult.h"

#include <cstdint>

namespace KX {

template <class T>
class ConstRCPtr;
class LIBuffer;

using UTF8 = unsigned char;
using UTF16 = char16_t;
using UTF32 = uint32_t;

// The halves of a UTF-16 surrogate pair.
constexpr bool IsHighSurrogate(char16_t c) noexcept
{
    return c >= 0xD800 && c <= 0xDBFF;
}
constexpr bool IsLowSurrogate(char16_t c) noexcept
{
    return c >= 0xDC00 && c <= 0xDFFF;
}

enum ConversionResult {
    ConversionOK = 0,    // all of the source converted
    SourceExhausted = 1, // the source ends inside a character
    TargetExhausted = 2, // the next character does not fit into the target
    SourceIllegal = 3    // an illegal sequence or code point
};

enum ConversionFlags { StrictConversion = 0, LenientConversion = 1 };

// Both start pointers are in-out: on return they point after what was consumed and produced.
// Nothing outside [source, sourceEnd) is read and nothing outside [target, targetEnd) written.
// Lenient mode writes an unpaired surrogate in the 3-byte form of its own value.
ConversionResult ConvertUTF16ToUTF8(const UTF16** sourceStart, const UTF16* sourceEnd, UTF8** targetStart,
                                    UTF8* targetEnd, ConversionFlags flags);

// An illegal sequence stops the conversion in either mode; lenient mode writes U+FFFD for a
// decoded surrogate or a value above U+10FFFF.
ConversionResult ConvertUTF8ToUTF16(const UTF8** sourceStart, const UTF8* sourceEnd, UTF16** targetStart,
                                    UTF16* targetEnd, ConversionFlags flags);

// True when the length bytes at source form one legal UTF-8 sequence (length 1 to 4).
bool IsLegalUTF8(const UTF8* source, int length);

// Whole-text conversions into a new string buffer (lenient). length counts source units, or -1
// for the whole 0-terminated text. Return S_OK, or E_FAIL when the converter stopped early;
// out then holds what was converted before the stop.
KXRESULT ConvertWideToUTF8(ConstRCPtr<LIBuffer>& out, const char16_t* text, int length);
KXRESULT ConvertUTF8ToWide(ConstRCPtr<LIBuffer>& out, const char* text, int length);

} // namespace KX
