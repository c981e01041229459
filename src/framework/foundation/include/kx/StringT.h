#pragma once
// Wide (UTF-16) and narrow (UTF-8) strings over a shared, reference-counted character buffer.
// Copies share the buffer; a change builds a new buffer or writes into one made private by Lock.
#include "kx/Array.h"
#include "kx/Buffer.h"
#include "kx/Format.h"
#include "kx/KXResult.h"
#include "kx/RefCountedObject.h"
#include "kx/Utf8.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace KX {

// Text helpers for char16_t and char, locale-free.

template <class C>
inline size_t TextLength(const C* s) noexcept
{
    if constexpr (sizeof(C) == 1) {
        return std::strlen(reinterpret_cast<const char*>(s));
    } else {
        const C* p = s;
        while (*p)
            ++p;
        return static_cast<size_t>(p - s);
    }
}

// Units before the terminator, at most max.
template <class C>
inline size_t TextLength(const C* s, size_t max) noexcept
{
    if constexpr (sizeof(C) == 1) {
        const void* z = std::memchr(s, 0, max);
        return z ? static_cast<size_t>(static_cast<const char*>(z) - reinterpret_cast<const char*>(s)) : max;
    } else {
        size_t n = 0;
        while (n < max && s[n])
            ++n;
        return n;
    }
}

template <class C>
constexpr C FoldLower(C c) noexcept
{
    return (c >= C('A') && c <= C('Z')) ? static_cast<C>(c + ('a' - 'A')) : c;
}

template <class C>
constexpr C FoldUpper(C c) noexcept
{
    return (c >= C('a') && c <= C('z')) ? static_cast<C>(c - ('a' - 'A')) : c;
}

// Compares unit by unit as unsigned values: negative, 0 or positive.
template <class C>
inline int TextCompare(const C* a, const C* b) noexcept
{
    using U = std::make_unsigned_t<C>;
    for (;; ++a, ++b) {
        const U x = static_cast<U>(*a);
        const U y = static_cast<U>(*b);
        if (x != y)
            return x < y ? -1 : 1;
        if (x == 0)
            return 0;
    }
}

// The same with ASCII letters folded to lower case.
template <class C>
inline int TextCompareNoCase(const C* a, const C* b) noexcept
{
    using U = std::make_unsigned_t<C>;
    for (;; ++a, ++b) {
        const U x = static_cast<U>(FoldLower(*a));
        const U y = static_cast<U>(FoldLower(*b));
        if (x != y)
            return x < y ? -1 : 1;
        if (x == 0)
            return 0;
    }
}

// The byte buffer that holds every string's units and a 0 unit.
using StringBuffer = LBufferT<1, 128, 8, char>;

// A plain pair of values: first (the key), then second.
template <class A, class B>
struct Pair {
    A first;
    B second;
};

template <class C, class O>
class StringT {
    static_assert((std::is_same_v<C, char16_t> && std::is_same_v<O, char>) ||
                      (std::is_same_v<C, char> && std::is_same_v<O, char16_t>),
                  "StringT<char16_t,char> or StringT<char,char16_t>");

public:
    using Unit = C;
    // "All of it" for Assign.
    static constexpr unsigned kAllUnits = 0x7FFFFFFE;
    // Formatting works in a stack array of this many units; longer results are cut off.
    static constexpr size_t kFormatUnits = 16384;

    StringT() : m_buffer(SharedEmptyBuffer()) {}
    // Shares the other's buffer, or copies the text of a locked string.
    StringT(const StringT& other) : m_buffer(other.ShareOrCopyBuffer()) {}
    StringT(const C* text) : m_buffer(BufferFor(text, kAllUnits)) {}
    // The character 0 gives an empty string with a buffer of its own.
    explicit StringT(C c);
    // Converts from the other width (UTF-8 narrow text); the conversion's result is not looked at.
    StringT(const O* text);
    StringT(const StringT<O, C>& other);
    virtual ~StringT() = default;

    // Reading.
    const C* GetString() const noexcept { return static_cast<const C*>(m_buffer->GetData()); }
    unsigned GetLength() const noexcept;
    bool IsEmpty() const noexcept { return GetString()[0] == 0; }
    bool Equals(const C* text) const noexcept;
    bool operator==(const StringT& other) const noexcept
    {
        return m_buffer.Get() == other.m_buffer.Get() || Equals(other.GetString());
    }
    bool operator!=(const StringT& other) const noexcept { return !(*this == other); }
    bool operator<(const StringT& other) const noexcept
    {
        return m_buffer.Get() != other.m_buffer.Get() && TextCompare(GetString(), other.GetString()) < 0;
    }
    // Index of the first occurrence of sub, -1 when absent; an empty sub is found at 0.
    int Find(const StringT& sub) const noexcept;
    // Index of the last unit equal to c read as a one-byte UTF-8 text. A c of 0 or of 0x80 and
    // above is no character: the unit sought is then the terminator and the result the length.
    int ReverseFindChar(char c) const noexcept;
    // The leading decimal number after blanks, 0 when there is none; clamped to the int range.
    int ToInt() const noexcept;
    // The leading number after blanks, 0.0 when there is none.
    double ToDouble() const noexcept;
    // At most count units from start; a negative start counts from the end.
    StringT Mid(int start, unsigned count) const;
    StringT Mid(int start) const { return Mid(start, GetLength() - static_cast<unsigned>(start)); }
    StringT Left(unsigned count) const { return Mid(0, count); }
    // ASCII letters only.
    StringT ToLower() const;
    StringT ToUpper() const;
    StringT Trim() const { return TrimLeft().TrimRight(); }
    StringT TrimLeft() const;
    StringT TrimRight() const;
    StringT TrimLeftChars(const StringT& set) const;
    StringT TrimRightChars(const StringT& set) const;
    StringT GetCopy() const { return *this; }

    // Writing. A locked string writes into its own buffer and stays locked.
    StringT& operator=(const StringT& other);
    // Copies at most maxUnits units of text; into a locked buffer as many as it holds.
    void Assign(const C* text, unsigned maxUnits);
    void Empty();
    StringT& operator+=(const StringT& other);
    StringT operator+(const StringT& other) const
    {
        StringT result(*this);
        result += other;
        return result;
    }
    // S_OK, or E_INVALIDARG when index is above the length (nothing changes).
    KXRESULT Insert(unsigned index, const StringT& text);
    // Inserts the first count units of text (all of it for count 0x7FFFFFFE or more).
    KXRESULT InsertChars(unsigned index, const C* text, unsigned count);
    KXRESULT AppendChar(C c) { return InsertChars(GetLength(), &c, 1); }
    // Replaces every unit found in set by replacement; replacement 0 changes nothing.
    void ReplaceAny(const C* set, C replacement);

    // Wide only: UTF-8 input.
    void AssignFromUTF8(const char* bytes, int length) requires std::is_same_v<C, char16_t>;
    KXRESULT InsertNarrow(unsigned index, const char* text) requires std::is_same_v<C, char16_t>;
    // Wide: appends c as a one-byte UTF-8 text (nothing for 0x80 and above). Narrow: appends c.
    StringT& operator+=(char c);
    StringT<O, C> ToNarrow() const requires std::is_same_v<C, char16_t> { return StringT<O, C>(*this); }

    // Printf-style formatting (see kx/Format.h); results of 16384 units or more are cut off.
    template <class... A>
    static StringT Format(const C* format, const A&... args)
    {
        if constexpr (sizeof...(A) == 0) {
            return FormatList(format, nullptr, 0);
        } else {
            const FormatArg list[] = {FormatArg(args)...};
            return FormatList(format, list, sizeof...(A));
        }
    }
    template <class... A>
    void SetFormatted(const C* format, const A&... args)
    {
        *this = Format(format, args...);
    }
    static StringT FormatList(const C* format, const FormatArg* args, size_t count);

    // Makes the buffer private and writable with room for units units (0: the length + 1) and
    // returns it; null when the string is already locked. The last unit is set to 0.
    C* Lock(unsigned units);
    // Ends a lock and trims the buffer to the text: 0, or 1 when the string was not locked.
    int Unlock();

    // The buffer's state and the buffer itself.
    bool IsLocked() const noexcept { return !m_buffer->IsShareable(); }
    const ConstRCPtr<LIBuffer>& GetBuffer() const noexcept { return m_buffer; }
    // Takes a buffer that holds the units and a 0 unit (for example a conversion's result).
    explicit StringT(ConstRCPtr<LIBuffer> buffer) : m_buffer(std::move(buffer))
    {
        if (!m_buffer)
            m_buffer = SharedEmptyBuffer();
    }

    // The process-wide buffer of the empty string, built on first use and never released.
    static const ConstRCPtr<LIBuffer>& SharedEmptyBuffer()
    {
        static const ConstRCPtr<LIBuffer>* const buffer = CreateEmptyBuffer();
        return *buffer;
    }

private:
    static const ConstRCPtr<LIBuffer>* CreateEmptyBuffer();
    // A buffer holding at most maxUnits units of text, or the shared empty buffer.
    static ConstRCPtr<LIBuffer> BufferFor(const C* text, unsigned maxUnits);
    ConstRCPtr<LIBuffer> ShareOrCopyBuffer() const
    {
        if (IsLocked())
            return BufferFor(GetString(), kAllUnits);
        return m_buffer;
    }

    LIBuffer* Buf() const noexcept { return const_cast<LIBuffer*>(m_buffer.Get()); }
    C* Data() const noexcept { return static_cast<C*>(m_buffer->GetData()); }
    unsigned CapacityUnits() const noexcept { return m_buffer->GetSize() / static_cast<unsigned>(sizeof(C)); }
    // Appends n units that may lie in this string's own buffer.
    void AppendUnits(const C* units, size_t n);
    // A new buffer holding n units and a 0 unit, that replaces this string's buffer.
    C* NewBuffer(size_t n);

    ConstRCPtr<LIBuffer> m_buffer;
};

using WString = StringT<char16_t, char>;
using NString = StringT<char, char16_t>;

extern template class StringT<char16_t, char>;
extern template class StringT<char, char16_t>;

// A searchable array of strings.
template <class C, class O>
class StringArrayT : public Array<StringT<C, O>> {
public:
    // Index of the first element equal to s (ASCII case folded when caseSensitive is false),
    // -1 when none.
    int32_t Find(const StringT<C, O>& s, bool caseSensitive) const
    {
        const uint32_t count = this->GetCount();
        for (uint32_t i = 0; i < count; ++i) {
            const StringT<C, O>& e = this->ElementAt(i);
            if (caseSensitive
                    ? e == s
                    : (e.GetString() == s.GetString() || TextCompareNoCase(e.GetString(), s.GetString()) == 0))
                return static_cast<int32_t>(i);
        }
        return -1;
    }
    // Index of the element whose text pointer is p, searched from the last element; -1 when none.
    int32_t FindBuffer(const C* p) const
    {
        for (uint32_t i = this->GetCount(); i-- > 0;) {
            if (this->ElementAt(i).GetString() == p)
                return static_cast<int32_t>(i);
        }
        return -1;
    }
};

// Number text with a decimal point placed decimals digits from the right (no zero before the
// point: 5 with 2 decimals gives ".05"); a negative value keeps its sign in front ("-.05").
WString IntToString(int value, int decimals);
WString UIntToString(unsigned value, int decimals);
// precision decimals; a negative precision gives six.
WString DoubleToString(double value, int precision);

// Appends every entry of an ordered string-to-string map to out as pairs of copies, then sorts out
// by the first string.
template <class Map>
KXRESULT CopyStringMapToPairArray(const Map& map, IArray<Pair<WString, WString>>& out)
{
    for (const auto& entry : map)
        out.AddItem(Pair<WString, WString>{entry.first, entry.second});
    if (Pair<WString, WString>* data = out.GetData())
        std::sort(data, data + out.GetCount(),
                  [](const Pair<WString, WString>& a, const Pair<WString, WString>& b) { return a.first < b.first; });
    return S_OK;
}

} // namespace KX
