#pragma once
// Internals shared by the format parser and the conversions it writes: the conversion spec,
// the bounded output sink and the writers of each kind of argument.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

namespace KX::detail {

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

template <class C>
void EmitInteger(Sink<C>& sink, const Spec& spec, uint64_t magnitude, bool negative, bool isSigned, unsigned base,
                 bool upper);

template <class C>
void EmitFloat(Sink<C>& sink, const Spec& spec, double value, char conv);

template <class C>
void EmitText(Sink<C>& sink, const Spec& spec, TextArg text);

template <class C>
void EmitChar(Sink<C>& sink, const Spec& spec, int64_t value, bool otherWidth);

} // namespace KX::detail
