#include "kx/Utf8.h"

#include "kx/StringT.h"

#include <cstddef>

namespace KX {

namespace {

constexpr UTF32 kSurHighStart = 0xD800;
constexpr UTF32 kSurHighEnd = 0xDBFF;
constexpr UTF32 kSurLowStart = 0xDC00;
constexpr UTF32 kSurLowEnd = 0xDFFF;
constexpr UTF32 kReplacementChar = 0xFFFD;
constexpr UTF32 kMaxLegalUTF32 = 0x10FFFF;
constexpr UTF32 kMaxBMP = 0xFFFF;
constexpr int kHalfShift = 10;
constexpr UTF32 kHalfBase = 0x10000;
constexpr UTF32 kHalfMask = 0x3FF;

// Trailing bytes that follow each lead byte.
constexpr unsigned char kTrailingBytes[256] = {
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,
    1, 1, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 3, 3, 3, 3, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5};

// Subtracted from the sum of a sequence with n trailing bytes to remove the marker bits.
constexpr UTF32 kOffsetsFromUTF8[6] = {0x00000000UL, 0x00003080UL, 0x000E2080UL,
                                       0x03C82080UL, 0xFA082080UL, 0x82082080UL};

// Marker of the first byte by sequence length.
constexpr UTF8 kFirstByteMark[7] = {0x00, 0x00, 0xC0, 0xE0, 0xF0, 0xF8, 0xFC};

} // namespace

ConversionResult ConvertUTF16ToUTF8(const UTF16** sourceStart, const UTF16* sourceEnd, UTF8** targetStart,
                                    UTF8* targetEnd, ConversionFlags flags)
{
    ConversionResult result = ConversionOK;
    const UTF16* source = *sourceStart;
    UTF8* target = *targetStart;
    while (source < sourceEnd) {
        // Runs of ASCII take the short road.
        while (source < sourceEnd && *source < 0x80 && target < targetEnd)
            *target++ = static_cast<UTF8>(*source++);
        if (source >= sourceEnd)
            break;

        const UTF16* const oldSource = source;
        UTF32 ch = *source++;
        if (ch >= kSurHighStart && ch <= kSurHighEnd) {
            if (source < sourceEnd) {
                const UTF32 ch2 = *source;
                if (ch2 >= kSurLowStart && ch2 <= kSurLowEnd) {
                    ch = ((ch - kSurHighStart) << kHalfShift) + (ch2 - kSurLowStart) + kHalfBase;
                    ++source;
                } else if (flags == StrictConversion) {
                    --source;
                    result = SourceIllegal;
                    break;
                }
            } else {
                --source;
                result = SourceExhausted;
                break;
            }
        } else if (flags == StrictConversion && ch >= kSurLowStart && ch <= kSurLowEnd) {
            --source;
            result = SourceIllegal;
            break;
        }

        unsigned bytesToWrite;
        if (ch < 0x80)
            bytesToWrite = 1;
        else if (ch < 0x800)
            bytesToWrite = 2;
        else if (ch < 0x10000)
            bytesToWrite = 3;
        else if (ch <= kMaxLegalUTF32)
            bytesToWrite = 4;
        else {
            bytesToWrite = 3;
            ch = kReplacementChar;
        }

        if (targetEnd - target < static_cast<std::ptrdiff_t>(bytesToWrite)) {
            source = oldSource;
            result = TargetExhausted;
            break;
        }
        target += bytesToWrite;
        UTF8* p = target;
        switch (bytesToWrite) {
        case 4:
            *--p = static_cast<UTF8>((ch | 0x80) & 0xBF);
            ch >>= 6;
            [[fallthrough]];
        case 3:
            *--p = static_cast<UTF8>((ch | 0x80) & 0xBF);
            ch >>= 6;
            [[fallthrough]];
        case 2:
            *--p = static_cast<UTF8>((ch | 0x80) & 0xBF);
            ch >>= 6;
            [[fallthrough]];
        case 1: *--p = static_cast<UTF8>(ch | kFirstByteMark[bytesToWrite]);
        }
    }
    *sourceStart = source;
    *targetStart = target;
    return result;
}

bool IsLegalUTF8(const UTF8* source, int length)
{
    UTF8 a;
    const UTF8* srcptr = source + length;
    switch (length) {
    default: return false;
    case 4:
        if ((a = (*--srcptr)) < 0x80 || a > 0xBF)
            return false;
        [[fallthrough]];
    case 3:
        if ((a = (*--srcptr)) < 0x80 || a > 0xBF)
            return false;
        [[fallthrough]];
    case 2:
        // The second byte is a trailing byte (0x80..0xBF) for every lead, narrowed by the lead.
        if ((a = (*--srcptr)) > 0xBF)
            return false;
        switch (*source) {
        case 0xE0:
            if (a < 0xA0)
                return false;
            break;
        case 0xED:
            if (a < 0x80 || a > 0x9F)
                return false;
            break;
        case 0xF0:
            if (a < 0x90)
                return false;
            break;
        case 0xF4:
            if (a < 0x80 || a > 0x8F)
                return false;
            break;
        default:
            if (a < 0x80)
                return false;
        }
        [[fallthrough]];
    case 1:
        if (*source >= 0x80 && *source < 0xC2)
            return false;
    }
    return *source <= 0xF4;
}

ConversionResult ConvertUTF8ToUTF16(const UTF8** sourceStart, const UTF8* sourceEnd, UTF16** targetStart,
                                    UTF16* targetEnd, ConversionFlags flags)
{
    ConversionResult result = ConversionOK;
    const UTF8* source = *sourceStart;
    UTF16* target = *targetStart;
    while (source < sourceEnd) {
        while (source < sourceEnd && *source < 0x80 && target < targetEnd)
            *target++ = static_cast<UTF16>(*source++);
        if (source >= sourceEnd)
            break;

        const unsigned extraBytes = kTrailingBytes[*source];
        if (extraBytes >= static_cast<std::size_t>(sourceEnd - source)) {
            result = SourceExhausted;
            break;
        }
        if (!IsLegalUTF8(source, static_cast<int>(extraBytes) + 1)) {
            result = SourceIllegal;
            break;
        }
        UTF32 ch = 0;
        switch (extraBytes) {
        case 5:
            ch += *source++;
            ch <<= 6;
            [[fallthrough]];
        case 4:
            ch += *source++;
            ch <<= 6;
            [[fallthrough]];
        case 3:
            ch += *source++;
            ch <<= 6;
            [[fallthrough]];
        case 2:
            ch += *source++;
            ch <<= 6;
            [[fallthrough]];
        case 1:
            ch += *source++;
            ch <<= 6;
            [[fallthrough]];
        case 0: ch += *source++;
        }
        ch -= kOffsetsFromUTF8[extraBytes];

        if (target >= targetEnd) {
            source -= extraBytes + 1;
            result = TargetExhausted;
            break;
        }
        if (ch <= kMaxBMP) {
            if (ch >= kSurHighStart && ch <= kSurLowEnd) {
                if (flags == StrictConversion) {
                    source -= extraBytes + 1;
                    result = SourceIllegal;
                    break;
                }
                *target++ = static_cast<UTF16>(kReplacementChar);
            } else {
                *target++ = static_cast<UTF16>(ch);
            }
        } else if (ch > kMaxLegalUTF32) {
            if (flags == StrictConversion) {
                source -= extraBytes + 1;
                result = SourceIllegal;
                break;
            }
            *target++ = static_cast<UTF16>(kReplacementChar);
        } else {
            if (target + 1 >= targetEnd) {
                source -= extraBytes + 1;
                result = TargetExhausted;
                break;
            }
            ch -= kHalfBase;
            *target++ = static_cast<UTF16>((ch >> kHalfShift) + kSurHighStart);
            *target++ = static_cast<UTF16>((ch & kHalfMask) + kSurLowStart);
        }
    }
    *sourceStart = source;
    *targetStart = target;
    return result;
}

namespace {

uint32_t CheckedBytes(uint64_t bytes)
{
    if (bytes > 0xFFFFFFFFu)
        Detail::ThrowBadAllocation();
    return static_cast<uint32_t>(bytes);
}

} // namespace

KXRESULT ConvertWideToUTF8(ConstRCPtr<LIBuffer>& out, const char16_t* text, int length)
{
    if (!text || !*text) {
        out = NString::SharedEmptyBuffer();
        return S_OK;
    }
    const size_t units = length < 0 ? TextLength(text) + 1 : static_cast<size_t>(length);
    // Room for the longest result (3 bytes per unit, 4 per pair) and a 0 byte.
    const uint32_t bytes = CheckedBytes(4 * static_cast<uint64_t>(units) + 1);
    ConstRCPtr<LIBuffer> buffer;
    StringBuffer::Create(buffer, bytes, 0, false);
    UTF8* const data = static_cast<UTF8*>(buffer->GetData());
    const UTF16* source = text;
    UTF8* target = data;
    const ConversionResult result =
        ConvertUTF16ToUTF8(&source, text + units, &target, data + bytes - 1, LenientConversion);
    *target = 0;
    const size_t produced = TextLength(reinterpret_cast<const char*>(data), static_cast<size_t>(target - data));
    const_cast<LIBuffer*>(buffer.Get())->SetSize(static_cast<uint32_t>(produced + 1));
    // Assigned last: text may live in the buffer that out holds.
    out = std::move(buffer);
    return result == ConversionOK ? S_OK : E_FAIL;
}

KXRESULT ConvertUTF8ToWide(ConstRCPtr<LIBuffer>& out, const char* text, int length)
{
    if (!text || !*text) {
        out = WString::SharedEmptyBuffer();
        return S_OK;
    }
    const size_t count = length < 0 ? std::strlen(text) + 1 : static_cast<size_t>(length);
    // One unit per byte at most, and one more.
    const uint32_t bytes = CheckedBytes(2 * static_cast<uint64_t>(count) + 2);
    ConstRCPtr<LIBuffer> buffer;
    StringBuffer::Create(buffer, bytes, 0, false);
    UTF16* const data = static_cast<UTF16*>(buffer->GetData());
    const UTF8* source = reinterpret_cast<const UTF8*>(text);
    UTF16* target = data;
    const ConversionResult result =
        ConvertUTF8ToUTF16(&source, source + count, &target, data + count, LenientConversion);
    *target = 0;
    const size_t produced = TextLength(data, static_cast<size_t>(target - data));
    const_cast<LIBuffer*>(buffer.Get())->SetSize(static_cast<uint32_t>((produced + 1) * sizeof(UTF16)));
    out = std::move(buffer);
    return result == ConversionOK ? S_OK : E_FAIL;
}

} // namespace KX
