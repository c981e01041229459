#include "FormatInternal.h"

#include "kx/Utf8.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

namespace KX::detail {

namespace {

// Digits after the point that a double can need; further ones are zeros and are added as such.
constexpr int kMaxFloatPrecision = 1100;

template <class C>
void Pad(Sink<C>& sink, size_t n)
{
    sink.Fill(C(' '), n);
}

template <class C>
size_t Length(const C* s, int precision)
{
    size_t n = 0;
    if (precision < 0) {
        while (s[n])
            ++n;
    } else {
        while (n < static_cast<size_t>(precision) && s[n])
            ++n;
    }
    return n;
}

// Writes (or, with no sink, only counts) the UTF-8 text s decoded to UTF-16, at most limit units,
// whole characters only. Decoding stops at an illegal or cut-off sequence.
size_t Transcode(const char* s, size_t limit, Sink<char16_t>* sink)
{
    const UTF8* src = reinterpret_cast<const UTF8*>(s);
    const UTF8* const srcEnd = src + std::strlen(s);
    size_t written = 0;
    char16_t chunk[128];
    while (src < srcEnd && written < limit) {
        UTF16* t = chunk;
        const ConversionResult r = ConvertUTF8ToUTF16(&src, srcEnd, &t, chunk + 128, LenientConversion);
        size_t produced = static_cast<size_t>(t - chunk);
        bool stop = r != TargetExhausted;
        if (produced > limit - written) {
            size_t cut = limit - written;
            if (cut > 0 && chunk[cut] >= 0xDC00 && chunk[cut] <= 0xDFFF && chunk[cut - 1] >= 0xD800 &&
                chunk[cut - 1] <= 0xDBFF)
                --cut;
            produced = cut;
            stop = true;
        }
        if (sink)
            sink->Append(chunk, produced);
        written += produced;
        if (stop)
            break;
    }
    return written;
}

// The same for the UTF-16 text s encoded as UTF-8 (lenient: an unpaired surrogate takes its own
// 3-byte form).
size_t Transcode(const char16_t* s, size_t limit, Sink<char>* sink)
{
    const UTF16* src = s;
    const UTF16* const srcEnd = src + Length(s, -1) + 1; // with the terminator
    size_t written = 0;
    UTF8 chunk[256];
    while (src < srcEnd && written < limit) {
        UTF8* t = chunk;
        const ConversionResult r = ConvertUTF16ToUTF8(&src, srcEnd, &t, chunk + 256, LenientConversion);
        size_t produced = static_cast<size_t>(t - chunk);
        bool stop = r != TargetExhausted;
        if (r == ConversionOK && produced > 0)
            --produced; // the terminator
        if (produced > limit - written) {
            size_t cut = limit - written;
            while (cut > 0 && (chunk[cut] & 0xC0) == 0x80)
                --cut;
            produced = cut;
            stop = true;
        }
        if (sink)
            sink->Append(reinterpret_cast<const char*>(chunk), produced);
        written += produced;
        if (stop)
            break;
    }
    return written;
}

} // namespace

template <class C>
void EmitInteger(Sink<C>& sink, const Spec& spec, uint64_t magnitude, bool negative, bool isSigned, unsigned base,
                 bool upper)
{
    const char* set = upper ? "0123456789ABCDEF" : "0123456789abcdef";
    char buf[24];
    char* const end = buf + sizeof buf;
    char* d = end;
    const bool isZero = magnitude == 0;
    if (base == 10) {
        while (magnitude) {
            *--d = static_cast<char>('0' + magnitude % 10);
            magnitude /= 10;
        }
    } else {
        const unsigned shift = base == 16 ? 4 : 3;
        const uint64_t mask = base - 1;
        while (magnitude) {
            *--d = set[magnitude & mask];
            magnitude >>= shift;
        }
    }
    size_t digits = static_cast<size_t>(end - d);
    if (isZero && spec.precision != 0) {
        *--d = '0';
        digits = 1;
    }

    char prefix[2];
    size_t np = 0;
    if (isSigned) {
        if (negative)
            prefix[np++] = '-';
        else if (spec.plus)
            prefix[np++] = '+';
        else if (spec.space)
            prefix[np++] = ' ';
    }
    if (spec.alt && base == 16 && !isZero) {
        prefix[np++] = '0';
        prefix[np++] = upper ? 'X' : 'x';
    }

    size_t zeros = 0;
    if (spec.precision > 0 && static_cast<size_t>(spec.precision) > digits)
        zeros = static_cast<size_t>(spec.precision) - digits;
    if (spec.alt && base == 8 && zeros == 0 && (digits == 0 || d[0] != '0'))
        zeros = 1;

    size_t body = np + zeros + digits;
    const size_t width = static_cast<size_t>(spec.width);
    if (spec.zero && !spec.left && spec.precision < 0 && width > body) {
        zeros += width - body;
        body = width;
    }
    const size_t pad = width > body ? width - body : 0;
    if (!spec.left)
        Pad(sink, pad);
    sink.Append(prefix, np);
    sink.Fill(C('0'), zeros);
    sink.Append(d, digits);
    if (spec.left)
        Pad(sink, pad);
}

template <class C>
void EmitFloat(Sink<C>& sink, const Spec& spec, double value, char conv)
{
    const bool upper = conv == 'E' || conv == 'F' || conv == 'G';
    const char kind = static_cast<char>(conv | 0x20);
    const bool negative = std::signbit(value);
    const double a = std::fabs(value);

    char sign = 0;
    if (negative)
        sign = '-';
    else if (spec.plus)
        sign = '+';
    else if (spec.space)
        sign = ' ';

    // The number as head, a run of zeros, and tail (the exponent, or a lone point).
    char buf[1600];
    const char* head = buf;
    size_t headLen = 0;
    size_t extraZeros = 0;
    char tail[16];
    size_t tailLen = 0;
    bool finite = std::isfinite(a);

    if (!finite) {
        head = std::isnan(a) ? (upper ? "NAN" : "nan") : (upper ? "INF" : "inf");
        headLen = 3;
    } else {
        const int prec = spec.precision < 0 ? 6 : spec.precision;
        char* const bend = buf + sizeof buf;
        // Split a scientific result at its exponent.
        auto splitExponent = [&](char* stop) {
            char* e = std::find(buf, stop, 'e');
            headLen = static_cast<size_t>(e - buf);
            tailLen = static_cast<size_t>(stop - e);
            std::memcpy(tail, e, tailLen);
        };
        auto hasPoint = [&]() { return std::memchr(buf, '.', headLen) != nullptr; };

        if (kind == 'f') {
            const int p = std::min(prec, kMaxFloatPrecision);
            headLen = static_cast<size_t>(std::to_chars(buf, bend, a, std::chars_format::fixed, p).ptr - buf);
            extraZeros = static_cast<size_t>(prec - p);
            if (spec.alt && prec == 0)
                tail[tailLen++] = '.';
        } else if (kind == 'e') {
            const int p = std::min(prec, kMaxFloatPrecision);
            splitExponent(std::to_chars(buf, bend, a, std::chars_format::scientific, p).ptr);
            extraZeros = static_cast<size_t>(prec - p);
            if (spec.alt && prec == 0)
                buf[headLen++] = '.';
        } else { // g
            const int P = prec == 0 ? 1 : prec;
            if (!spec.alt) {
                char* stop =
                    std::to_chars(buf, bend, a, std::chars_format::general, std::min(P, kMaxFloatPrecision)).ptr;
                splitExponent(stop);
            } else {
                // Keep trailing zeros: choose the style by the exponent as %g does.
                char* stop =
                    std::to_chars(buf, bend, a, std::chars_format::scientific, std::min(P - 1, kMaxFloatPrecision)).ptr;
                const char* e = std::find(buf, stop, 'e');
                int x = 0;
                std::from_chars(e + (e[1] == '+' ? 2 : 1), stop, x);
                if (P > x && x >= -4) {
                    const int want = P - 1 - x;
                    const int p = std::min(want, kMaxFloatPrecision);
                    headLen = static_cast<size_t>(std::to_chars(buf, bend, a, std::chars_format::fixed, p).ptr - buf);
                    extraZeros = static_cast<size_t>(want - p);
                } else {
                    splitExponent(stop);
                    extraZeros = static_cast<size_t>(P - 1 - std::min(P - 1, kMaxFloatPrecision));
                }
                if (!hasPoint())
                    buf[headLen++] = '.';
            }
        }
        if (upper) {
            for (size_t i = 0; i < tailLen; ++i)
                if (tail[i] == 'e')
                    tail[i] = 'E';
        }
    }

    size_t body = (sign ? 1 : 0) + headLen + extraZeros + tailLen;
    size_t leadZeros = 0;
    const size_t width = static_cast<size_t>(spec.width);
    if (spec.zero && finite && !spec.left && width > body) {
        leadZeros = width - body;
        body = width;
    }
    const size_t pad = width > body ? width - body : 0;
    if (!spec.left)
        Pad(sink, pad);
    if (sign)
        sink.Put(C(sign));
    sink.Fill(C('0'), leadZeros);
    sink.Append(head, headLen);
    sink.Fill(C('0'), extraZeros);
    sink.Append(tail, tailLen);
    if (spec.left)
        Pad(sink, pad);
}

template <class C>
void EmitText(Sink<C>& sink, const Spec& spec, TextArg text)
{
    const size_t width = static_cast<size_t>(spec.width);
    const size_t limit = spec.precision < 0 ? SIZE_MAX : static_cast<size_t>(spec.precision);
    auto emit = [&](size_t len, auto&& write) {
        const size_t pad = width > len ? width - len : 0;
        if (!spec.left)
            Pad(sink, pad);
        write();
        if (spec.left)
            Pad(sink, pad);
    };

    if (!text.wide && !text.narrow) {
        const size_t len = std::min<size_t>(6, limit);
        emit(len, [&] { sink.Append("(null)", len); });
        return;
    }
    if constexpr (std::is_same_v<C, char16_t>) {
        if (text.wide) {
            const size_t len = Length(text.wide, spec.precision);
            emit(len, [&] { sink.Append(text.wide, len); });
        } else {
            const size_t len = width ? Transcode(text.narrow, limit, nullptr) : 0;
            emit(len, [&] { Transcode(text.narrow, limit, &sink); });
        }
    } else {
        if (text.narrow) {
            const size_t len = Length(text.narrow, spec.precision);
            emit(len, [&] { sink.Append(text.narrow, len); });
        } else {
            const size_t len = width ? Transcode(text.wide, limit, nullptr) : 0;
            emit(len, [&] { Transcode(text.wide, limit, &sink); });
        }
    }
}

template <class C>
void EmitChar(Sink<C>& sink, const Spec& spec, int64_t value, bool otherWidth)
{
    C unit[4];
    size_t n = 0;
    if constexpr (std::is_same_v<C, char16_t>) {
        if (!otherWidth) {
            unit[n++] = static_cast<char16_t>(value);
        } else {
            // A narrow character: only a one-byte UTF-8 text decodes to a character.
            const unsigned char b = static_cast<unsigned char>(value);
            if (b < 0x80)
                unit[n++] = b;
        }
    } else {
        if (!otherWidth) {
            unit[n++] = static_cast<char>(value);
        } else {
            const UTF16 w = static_cast<UTF16>(value);
            const UTF16* src = &w;
            UTF8 bytes[4];
            UTF8* t = bytes;
            ConvertUTF16ToUTF8(&src, &w + 1, &t, bytes + 4, LenientConversion);
            for (UTF8* p = bytes; p < t; ++p)
                unit[n++] = static_cast<char>(*p);
        }
    }
    const size_t width = static_cast<size_t>(spec.width);
    const size_t pad = width > n ? width - n : 0;
    if (!spec.left)
        Pad(sink, pad);
    sink.Append(unit, n);
    if (spec.left)
        Pad(sink, pad);
}

// The parser writes narrow and wide text.
template void EmitInteger<char>(Sink<char>&, const Spec&, uint64_t, bool, bool, unsigned, bool);
template void EmitFloat<char>(Sink<char>&, const Spec&, double, char);
template void EmitText<char>(Sink<char>&, const Spec&, TextArg);
template void EmitChar<char>(Sink<char>&, const Spec&, int64_t, bool);
template void EmitInteger<char16_t>(Sink<char16_t>&, const Spec&, uint64_t, bool, bool, unsigned, bool);
template void EmitFloat<char16_t>(Sink<char16_t>&, const Spec&, double, char);
template void EmitText<char16_t>(Sink<char16_t>&, const Spec&, TextArg);
template void EmitChar<char16_t>(Sink<char16_t>&, const Spec&, int64_t, bool);

} // namespace KX::detail
