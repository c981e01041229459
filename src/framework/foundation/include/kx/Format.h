#pragma once
// Bounded printf-style formatting for wide (char16_t) and narrow (char) text, locale-free.
//
// Conversions: d i u o x X c C s S f F e E g G p n %, flags - + blank # 0, width and precision
// (also *), sizes hh h l ll L j z t w I I32 I64. The wide-printf meaning holds: in a wide format
// %s takes a wide string and %S / %hs a narrow (UTF-8) one; in a narrow format %s takes a narrow
// string and %S / %ls / %ws a wide one. l on an integer is 32-bit, ll and I64 64-bit. %p prints
// the address as upper-case hex digits, as many as a pointer holds. %n writes nothing.
//
// The result never passes the given capacity: it is cut off and always terminated.
#include <concepts>
#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <type_traits>

namespace KX {

// One argument captured with its type, so that a conversion never reads what was not passed:
// a missing argument reads as 0 or a null text, and a string passed to %s is printed whatever
// its width.
class FormatArg {
public:
    enum class Kind : uint8_t { None, Signed, Unsigned, Float, Pointer, Wide, Narrow };

    constexpr FormatArg() noexcept : m_u(0) {}
    template <std::signed_integral T>
    constexpr FormatArg(T v) noexcept : m_kind(Kind::Signed), m_i(v)
    {
    }
    template <std::unsigned_integral T>
    constexpr FormatArg(T v) noexcept : m_kind(Kind::Unsigned), m_u(v)
    {
    }
    template <std::floating_point T>
    constexpr FormatArg(T v) noexcept : m_kind(Kind::Float), m_d(static_cast<double>(v))
    {
    }
    template <class T>
    requires std::is_enum_v<T>
    constexpr FormatArg(T v) noexcept : FormatArg(static_cast<std::underlying_type_t<T>>(v)) {}
    constexpr FormatArg(const char16_t* s) noexcept : m_kind(Kind::Wide), m_ws(s) {}
    constexpr FormatArg(const char* s) noexcept : m_kind(Kind::Narrow), m_ns(s) {}
    constexpr FormatArg(std::nullptr_t) noexcept : m_kind(Kind::Pointer), m_p(nullptr) {}
    template <class T>
    requires(!std::is_same_v<std::remove_cv_t<T>, char> &&
             !std::is_same_v<std::remove_cv_t<T>, char16_t>) constexpr FormatArg(T* p) noexcept
        : m_kind(Kind::Pointer), m_p(p)
    {
    }
    // Any string class with GetString() (the framework's strings).
    template <class S>
    requires requires(const S& s)
    {
        {
            s.GetString()
            } -> std::convertible_to<const char16_t*>;
    }
    FormatArg(const S& s) noexcept : FormatArg(static_cast<const char16_t*>(s.GetString())) {}
    template <class S>
    requires requires(const S& s)
    {
        {
            s.GetString()
            } -> std::convertible_to<const char*>;
    }
    FormatArg(const S& s) noexcept : FormatArg(static_cast<const char*>(s.GetString())) {}

    Kind GetKind() const noexcept { return m_kind; }
    int64_t GetSigned() const noexcept { return m_i; }
    uint64_t GetUnsigned() const noexcept { return m_u; }
    double GetFloat() const noexcept { return m_d; }
    const void* GetPointer() const noexcept { return m_p; }
    const char16_t* GetWide() const noexcept { return m_ws; }
    const char* GetNarrow() const noexcept { return m_ns; }

private:
    Kind m_kind = Kind::None;
    union {
        int64_t m_i;
        uint64_t m_u;
        double m_d;
        const void* m_p;
        const char16_t* m_ws;
        const char* m_ns;
    };
};

// Format into out, at most capacity - 1 units and a terminator (nothing when capacity is 0).
// Return the length of the whole formatted text; a result not below capacity means it was cut.
size_t FormatArgs(char16_t* out, size_t capacity, const char16_t* format, const FormatArg* args, size_t count);
size_t FormatArgs(char* out, size_t capacity, const char* format, const FormatArg* args, size_t count);

// The same over a C argument list, for callers that forward their own "...". The arguments must
// match the conversions as for printf.
size_t FormatVa(char16_t* out, size_t capacity, const char16_t* format, va_list args);
size_t FormatVa(char* out, size_t capacity, const char* format, va_list args);

template <class C, class... A>
requires(std::is_same_v<C, char16_t> || std::is_same_v<C, char>) size_t
    FormatTo(C* out, size_t capacity, const C* format, const A&... args)
{
    if constexpr (sizeof...(A) == 0) {
        return FormatArgs(out, capacity, format, nullptr, 0);
    } else {
        const FormatArg list[] = {FormatArg(args)...};
        return FormatArgs(out, capacity, format, list, sizeof...(A));
    }
}

} // namespace KX
