#include "kx/Format.h"

#include "kx/Utf8.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstring>

namespace KX {

namespace {

// Widths and precisions beyond this are clamped; the output is bounded anyway.
constexpr int kMaxField = 1 << 30;

// v * 10 + digit, saturating at kMaxField.
inline int AddDigit(int v, int digit)
{
    return v >= kMaxField / 10 ? kMaxField : std::min(v * 10 + digit, kMaxField);
}
// Digits after the point that a double can need; further ones are zeros and are added as such.
constexpr int kMaxFloatPrecision = 1100;

enum class Size : uint8_t { None, HH, H, L, LL, J, Z, T, Ptr, I32, I64, LongDouble, Wide };

struct Spec {
    bool left = false;
    bool plus = false;
    bool space = false;
    bool alt = false;
    bool zero = false;
    int width = 0;
    int precision = -1; // -1: none given
    Size size = Size::None;
};

template <class C>
class Sink {
public:
    Sink(C* out, size_t capacity) : m_p(out), m_end(capacity ? out + capacity - 1 : out), m_cap(capacity) {}

    size_t Room() const { return static_cast<size_t>(m_end - m_p); }

    void Put(C c)
    {
        if (m_p < m_end)
            *m_p++ = c;
        ++m_total;
    }
    void Fill(C c, size_t n)
    {
        const size_t k = std::min(n, Room());
        for (size_t i = 0; i < k; ++i)
            m_p[i] = c;
        m_p += k;
        m_total += n;
    }
    template <class S>
    void Append(const S* s, size_t n)
    {
        const size_t k = std::min(n, Room());
        if constexpr (std::is_same_v<S, C>) {
            if (k)
                std::memcpy(m_p, s, k * sizeof(C));
        } else {
            for (size_t i = 0; i < k; ++i)
                m_p[i] = static_cast<C>(static_cast<unsigned char>(s[i]));
        }
        m_p += k;
        m_total += n;
    }
    size_t Finish()
    {
        if (m_cap)
            *m_p = 0;
        return m_total;
    }

private:
    C* m_p;
    C* m_end;
    size_t m_cap;
    size_t m_total = 0;
};

// A text argument: a wide or a narrow pointer, or neither for a null text.
struct TextArg {
    const char16_t* wide = nullptr;
    const char* narrow = nullptr;
};

int64_t NarrowSigned(uint64_t bits, Size size)
{
    switch (size) {
    case Size::HH: return static_cast<int8_t>(bits);
    case Size::H: return static_cast<int16_t>(bits);
    case Size::LL:
    case Size::I64:
    case Size::J:
    case Size::Z:
    case Size::T:
    case Size::Ptr: return static_cast<int64_t>(bits);
    default: return static_cast<int32_t>(bits);
    }
}

uint64_t NarrowUnsigned(uint64_t bits, Size size)
{
    switch (size) {
    case Size::HH: return static_cast<uint8_t>(bits);
    case Size::H: return static_cast<uint16_t>(bits);
    case Size::LL:
    case Size::I64:
    case Size::J:
    case Size::Z:
    case Size::T:
    case Size::Ptr: return bits;
    default: return static_cast<uint32_t>(bits);
    }
}

// Typed arguments: every read is checked against what was passed.
class PackReader {
public:
    PackReader(const FormatArg* args, size_t count) : m_args(args), m_count(count) {}

    uint64_t Bits()
    {
        const FormatArg& a = Next();
        switch (a.GetKind()) {
        case FormatArg::Kind::Signed: return static_cast<uint64_t>(a.GetSigned());
        case FormatArg::Kind::Unsigned: return a.GetUnsigned();
        case FormatArg::Kind::Float: {
            const double d = a.GetFloat();
            if (std::isnan(d))
                return 0;
            if (d >= 9223372036854775807.0)
                return static_cast<uint64_t>(INT64_MAX);
            if (d <= -9223372036854775808.0)
                return static_cast<uint64_t>(INT64_MIN);
            return static_cast<uint64_t>(static_cast<int64_t>(d));
        }
        case FormatArg::Kind::Pointer:
        case FormatArg::Kind::Wide:
        case FormatArg::Kind::Narrow: return reinterpret_cast<uintptr_t>(a.GetPointer());
        default: return 0;
        }
    }
    int64_t Int(Size size) { return NarrowSigned(Bits(), size); }
    uint64_t UInt(Size size) { return NarrowUnsigned(Bits(), size); }
    int StarInt() { return static_cast<int>(NarrowSigned(Bits(), Size::None)); }
    const void* Ptr() { return reinterpret_cast<const void*>(static_cast<uintptr_t>(Bits())); }
    double Float(Size)
    {
        const FormatArg& a = Next();
        switch (a.GetKind()) {
        case FormatArg::Kind::Float: return a.GetFloat();
        case FormatArg::Kind::Signed: return static_cast<double>(a.GetSigned());
        case FormatArg::Kind::Unsigned: return static_cast<double>(a.GetUnsigned());
        default: return 0.0;
        }
    }
    // The argument's own width decides how the text is read.
    TextArg Text(bool /*wide*/)
    {
        const FormatArg& a = Next();
        TextArg t;
        if (a.GetKind() == FormatArg::Kind::Wide)
            t.wide = a.GetWide();
        else if (a.GetKind() == FormatArg::Kind::Narrow)
            t.narrow = a.GetNarrow();
        return t;
    }

private:
    const FormatArg& Next()
    {
        static constexpr FormatArg kNone;
        return m_index < m_count ? m_args[m_index++] : kNone;
    }

    const FormatArg* m_args;
    size_t m_count;
    size_t m_index = 0;
};

// C argument list: the conversion decides the type read, as for printf.
class VaReader {
public:
    explicit VaReader(va_list args) { va_copy(m_args, args); }
    ~VaReader() { va_end(m_args); }
    VaReader(const VaReader&) = delete;
    VaReader& operator=(const VaReader&) = delete;

    int64_t Int(Size size)
    {
        switch (size) {
        case Size::LL:
        case Size::I64:
        case Size::J: return NarrowSigned(static_cast<uint64_t>(va_arg(m_args, long long)), size);
        case Size::Z:
        case Size::T:
        case Size::Ptr: return NarrowSigned(static_cast<uint64_t>(va_arg(m_args, ptrdiff_t)), size);
        default: return NarrowSigned(static_cast<uint64_t>(static_cast<int64_t>(va_arg(m_args, int))), size);
        }
    }
    uint64_t UInt(Size size) { return NarrowUnsigned(static_cast<uint64_t>(Int(size)), size); }
    int StarInt() { return va_arg(m_args, int); }
    const void* Ptr() { return va_arg(m_args, const void*); }
    double Float(Size size)
    {
        if (size == Size::LongDouble)
            return static_cast<double>(va_arg(m_args, long double));
        return va_arg(m_args, double);
    }
    TextArg Text(bool wide)
    {
        TextArg t;
        if (wide)
            t.wide = va_arg(m_args, const char16_t*);
        else
            t.narrow = va_arg(m_args, const char*);
        return t;
    }

private:
    va_list m_args;
};

template <class C>
bool IsDigit(C c)
{
    return c >= C('0') && c <= C('9');
}

template <class C>
void Pad(Sink<C>& sink, size_t n)
{
    sink.Fill(C(' '), n);
}

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

template <class C, class R>
size_t Run(C* out, size_t capacity, const C* format, R& reader)
{
    Sink<C> sink(out, capacity);
    if (!format)
        return sink.Finish();
    constexpr bool wideFormat = std::is_same_v<C, char16_t>;
    const C* f = format;
    while (*f) {
        const C* literal = f;
        while (*f && *f != C('%'))
            ++f;
        sink.Append(literal, static_cast<size_t>(f - literal));
        if (!*f)
            break;
        const C* const start = f++;
        if (*f == C('%')) {
            sink.Put(C('%'));
            ++f;
            continue;
        }

        Spec spec;
        for (bool more = true; more;) {
            switch (*f) {
            case C('-'):
                spec.left = true;
                ++f;
                break;
            case C('+'):
                spec.plus = true;
                ++f;
                break;
            case C(' '):
                spec.space = true;
                ++f;
                break;
            case C('#'):
                spec.alt = true;
                ++f;
                break;
            case C('0'):
                spec.zero = true;
                ++f;
                break;
            default: more = false;
            }
        }
        if (*f == C('*')) {
            ++f;
            int w = reader.StarInt();
            if (w < 0) {
                spec.left = true;
                w = w == INT_MIN ? kMaxField : -w;
            }
            spec.width = std::min(w, kMaxField);
        } else {
            while (IsDigit(*f))
                spec.width = AddDigit(spec.width, static_cast<int>(*f++ - C('0')));
        }
        if (*f == C('.')) {
            ++f;
            spec.precision = 0;
            if (*f == C('*')) {
                ++f;
                const int p = reader.StarInt();
                spec.precision = p < 0 ? -1 : std::min(p, kMaxField);
            } else {
                while (IsDigit(*f))
                    spec.precision = AddDigit(spec.precision, static_cast<int>(*f++ - C('0')));
            }
        }
        switch (*f) {
        case C('h'):
            if (f[1] == C('h')) {
                spec.size = Size::HH;
                f += 2;
            } else {
                spec.size = Size::H;
                ++f;
            }
            break;
        case C('l'):
            if (f[1] == C('l')) {
                spec.size = Size::LL;
                f += 2;
            } else {
                spec.size = Size::L;
                ++f;
            }
            break;
        case C('L'):
            spec.size = Size::LongDouble;
            ++f;
            break;
        case C('j'):
            spec.size = Size::J;
            ++f;
            break;
        case C('z'):
            spec.size = Size::Z;
            ++f;
            break;
        case C('t'):
            spec.size = Size::T;
            ++f;
            break;
        case C('w'):
            spec.size = Size::Wide;
            ++f;
            break;
        case C('I'):
            if (f[1] == C('6') && f[2] == C('4')) {
                spec.size = Size::I64;
                f += 3;
            } else if (f[1] == C('3') && f[2] == C('2')) {
                spec.size = Size::I32;
                f += 3;
            } else {
                spec.size = Size::Ptr;
                ++f;
            }
            break;
        default: break;
        }

        const C conv = *f;
        if (!conv) {
            sink.Append(start, static_cast<size_t>(f - start));
            break;
        }
        ++f;
        switch (conv) {
        case C('d'):
        case C('i'): {
            const int64_t v = reader.Int(spec.size);
            const uint64_t magnitude = v < 0 ? 0 - static_cast<uint64_t>(v) : static_cast<uint64_t>(v);
            EmitInteger(sink, spec, magnitude, v < 0, true, 10, false);
            break;
        }
        case C('u'): EmitInteger(sink, spec, reader.UInt(spec.size), false, false, 10, false); break;
        case C('o'): EmitInteger(sink, spec, reader.UInt(spec.size), false, false, 8, false); break;
        case C('x'):
        case C('X'): EmitInteger(sink, spec, reader.UInt(spec.size), false, false, 16, conv == C('X')); break;
        case C('p'): {
            Spec p;
            p.left = spec.left;
            p.width = spec.width;
            p.precision = 2 * sizeof(void*);
            EmitInteger(sink, p, reinterpret_cast<uintptr_t>(reader.Ptr()), false, false, 16, true);
            break;
        }
        case C('f'):
        case C('F'):
        case C('e'):
        case C('E'):
        case C('g'):
        case C('G'): EmitFloat(sink, spec, reader.Float(spec.size), static_cast<char>(conv)); break;
        case C('c'):
        case C('C'): {
            // %c is the format's own width; %C, %hc, %lc and %wc as for strings below.
            bool other = conv == C('C');
            if (spec.size == Size::H)
                other = wideFormat;
            else if (spec.size == Size::L || spec.size == Size::Wide)
                other = !wideFormat;
            EmitChar(sink, spec, reader.Int(Size::None), other);
            break;
        }
        case C('s'):
        case C('S'): {
            bool wideText = (conv == C('s')) == wideFormat;
            if (spec.size == Size::H)
                wideText = false;
            else if (spec.size == Size::L || spec.size == Size::Wide)
                wideText = true;
            EmitText(sink, spec, reader.Text(wideText));
            break;
        }
        case C('n'):
            reader.Ptr(); // consumed, never written through
            break;
        default: sink.Append(start, static_cast<size_t>(f - start)); break;
        }
    }
    return sink.Finish();
}

} // namespace

size_t FormatArgs(char16_t* out, size_t capacity, const char16_t* format, const FormatArg* args, size_t count)
{
    PackReader reader(args, count);
    return Run(out, capacity, format, reader);
}

size_t FormatArgs(char* out, size_t capacity, const char* format, const FormatArg* args, size_t count)
{
    PackReader reader(args, count);
    return Run(out, capacity, format, reader);
}

size_t FormatVa(char16_t* out, size_t capacity, const char16_t* format, va_list args)
{
    VaReader reader(args);
    return Run(out, capacity, format, reader);
}

size_t FormatVa(char* out, size_t capacity, const char* format, va_list args)
{
    VaReader reader(args);
    return Run(out, capacity, format, reader);
}

} // namespace KX
