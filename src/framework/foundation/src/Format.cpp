#include "kx/Format.h"

#include "FormatInternal.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace KX {

using namespace detail;

namespace {

// Widths and precisions beyond this are clamped; the output is bounded anyway.
constexpr int kMaxField = 1 << 30;

// v * 10 + digit, saturating at kMaxField.
inline int AddDigit(int v, int digit)
{
    return v >= kMaxField / 10 ? kMaxField : std::min(v * 10 + digit, kMaxField);
}

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

// The flags: "-", "+", " ", "#" and "0" in any order.
template <class C>
void ReadFlags(const C*& f, Spec& spec)
{
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
}

// The width: digits, or "*" taking it from the arguments (negative: left-aligned).
template <class C, class R>
void ReadWidth(const C*& f, Spec& spec, R& reader)
{
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
}

// The precision after ".": digits, or "*" taking it from the arguments (negative: none).
template <class C, class R>
void ReadPrecision(const C*& f, Spec& spec, R& reader)
{
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
}

// The size prefix: hh, h, l, ll, L, j, z, t, w, I64, I32 or I.
template <class C>
void ReadSize(const C*& f, Spec& spec)
{
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
}

// Writes one conversion; an unknown one is copied from start through f as it stands.
template <class C, class R>
void Convert(Sink<C>& sink, const Spec& spec, C conv, R& reader, const C* start, const C* f)
{
    constexpr bool wideFormat = std::is_same_v<C, char16_t>;
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

template <class C, class R>
size_t Run(C* out, size_t capacity, const C* format, R& reader)
{
    Sink<C> sink(out, capacity);
    if (!format)
        return sink.Finish();
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
        ReadFlags(f, spec);
        ReadWidth(f, spec, reader);
        ReadPrecision(f, spec, reader);
        ReadSize(f, spec);

        const C conv = *f;
        if (!conv) {
            sink.Append(start, static_cast<size_t>(f - start));
            break;
        }
        ++f;
        Convert(sink, spec, conv, reader, start, f);
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
