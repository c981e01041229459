#include "kx/StringT.h"

#include <climits>
#include <string_view>

namespace KX {

namespace {

template <class C>
bool InSet(C c, const C* set)
{
    for (; *set; ++set) {
        if (*set == c)
            return true;
    }
    return false;
}

template <class C>
bool PointsInto(const C* p, const C* base, size_t units)
{
    const auto a = reinterpret_cast<uintptr_t>(p);
    const auto b = reinterpret_cast<uintptr_t>(base);
    return a >= b && a < b + units * sizeof(C);
}

// Byte size of n units and a terminator; too large a size is an allocation failure.
template <class C>
uint32_t BufferBytes(uint64_t units)
{
    return Detail::ByteCount(units + 1, sizeof(C));
}

// A new buffer for n units and a 0 unit; data receives its first unit.
template <class C>
ConstRCPtr<LIBuffer> MakeBuffer(size_t n, C*& data)
{
    ConstRCPtr<LIBuffer> buffer;
    StringBuffer::Create(buffer, BufferBytes<C>(n), 0, false);
    data = static_cast<C*>(buffer->GetData());
    data[n] = 0;
    return buffer;
}

template <class C>
constexpr const char* LockMethodName()
{
    if constexpr (sizeof(C) == 1)
        return "KX::StringT<char,wchar_t>::Lock";
    else
        return "KX::StringT<wchar_t,char>::Lock";
}

} // namespace

template <class C, class O>
StringT<C, O>::StringT(C c)
{
    C* data;
    m_buffer = MakeBuffer<C>(c ? 1 : 0, data);
    if (c)
        data[0] = c;
}

template <class C, class O>
StringT<C, O>::StringT(const O* text)
{
    if constexpr (std::is_same_v<C, char16_t>)
        ConvertUTF8ToWide(m_buffer, text, -1);
    else
        ConvertWideToUTF8(m_buffer, text, -1);
}

template <class C, class O>
StringT<C, O>::StringT(const StringT<O, C>& other) : StringT(other.GetString())
{
}

template <class C, class O>
const ConstRCPtr<LIBuffer>* StringT<C, O>::CreateEmptyBuffer()
{
    const StringT empty{C(0)};
    return new ConstRCPtr<LIBuffer>(empty.m_buffer);
}

template <class C, class O>
ConstRCPtr<LIBuffer> StringT<C, O>::BufferFor(const C* text, unsigned maxUnits)
{
    if (!text || !*text || maxUnits == 0)
        return SharedEmptyBuffer();
    const size_t n = TextLength(text, maxUnits);
    C* data;
    ConstRCPtr<LIBuffer> buffer = MakeBuffer<C>(n, data);
    std::memcpy(data, text, n * sizeof(C));
    return buffer;
}

template <class C, class O>
unsigned StringT<C, O>::GetLength() const noexcept
{
    const unsigned units = CapacityUnits();
    if (m_buffer->IsShareable())
        return units ? units - 1 : 0;
    return static_cast<unsigned>(TextLength(GetString(), units));
}

template <class C, class O>
bool StringT<C, O>::Equals(const C* text) const noexcept
{
    if (!text || !*text)
        return IsEmpty();
    return TextCompare(GetString(), text) == 0;
}

template <class C, class O>
int StringT<C, O>::Find(const StringT& sub) const noexcept
{
    const std::basic_string_view<C> text(GetString(), GetLength());
    const size_t at = text.find(std::basic_string_view<C>(sub.GetString(), sub.GetLength()));
    return at == std::basic_string_view<C>::npos ? -1 : static_cast<int>(at);
}

template <class C, class O>
int StringT<C, O>::ReverseFindChar(char c) const noexcept
{
    const unsigned length = GetLength();
    const unsigned char byte = static_cast<unsigned char>(c);
    if (byte == 0 || byte >= 0x80)
        return static_cast<int>(length);
    const C* text = GetString();
    for (unsigned i = length; i-- > 0;) {
        if (text[i] == C(byte))
            return static_cast<int>(i);
    }
    return -1;
}

template <class C, class O>
StringT<C, O> StringT<C, O>::Mid(int start, unsigned count) const
{
    const unsigned length = GetLength();
    int64_t from = start;
    uint64_t n = count;
    if (from < 0) {
        from += length;
        if (from < 0) {
            // The part before the beginning is cut off; a count that does not reach the text gives "".
            const uint64_t before = static_cast<uint64_t>(-from);
            if (before >= n)
                return StringT();
            n -= before;
            from = 0;
        }
    }
    if (from >= static_cast<int64_t>(length) || n == 0)
        return StringT();
    if (static_cast<uint64_t>(from) + n > length)
        n = length - static_cast<uint64_t>(from);
    return StringT(BufferFor(GetString() + from, static_cast<unsigned>(n)));
}

template <class C, class O>
StringT<C, O> StringT<C, O>::ToLower() const
{
    const unsigned length = GetLength();
    if (length == 0)
        return StringT();
    C* data;
    ConstRCPtr<LIBuffer> buffer = MakeBuffer<C>(length, data);
    const C* text = GetString();
    for (unsigned i = 0; i < length; ++i)
        data[i] = FoldLower(text[i]);
    return StringT(std::move(buffer));
}

template <class C, class O>
StringT<C, O> StringT<C, O>::ToUpper() const
{
    const unsigned length = GetLength();
    if (length == 0)
        return StringT();
    C* data;
    ConstRCPtr<LIBuffer> buffer = MakeBuffer<C>(length, data);
    const C* text = GetString();
    for (unsigned i = 0; i < length; ++i)
        data[i] = FoldUpper(text[i]);
    return StringT(std::move(buffer));
}

template <class C, class O>
StringT<C, O> StringT<C, O>::TrimLeft() const
{
    static const C blanks[] = {C(' '), C('\t'), C('\r'), C('\n'), C(0)};
    return TrimLeftChars(StringT(blanks));
}

template <class C, class O>
StringT<C, O> StringT<C, O>::TrimRight() const
{
    static const C blanks[] = {C(' '), C('\t'), C('\r'), C('\n'), C(0)};
    return TrimRightChars(StringT(blanks));
}

template <class C, class O>
StringT<C, O> StringT<C, O>::TrimLeftChars(const StringT& set) const
{
    const C* text = GetString();
    const C* units = set.GetString();
    size_t n = 0;
    while (text[n] && InSet(text[n], units))
        ++n;
    if (n == 0)
        return *this;
    if (!text[n])
        return StringT(); // made only of units of the set
    return StringT(text + n);
}

template <class C, class O>
StringT<C, O> StringT<C, O>::TrimRightChars(const StringT& set) const
{
    const unsigned length = GetLength();
    if (length == 0 || set.IsEmpty())
        return *this;
    const C* text = GetString();
    const C* units = set.GetString();
    unsigned n = length;
    while (n > 0 && InSet(text[n - 1], units))
        --n;
    if (n == length)
        return *this;
    return Left(n);
}

template <class C, class O>
StringT<C, O>& StringT<C, O>::operator=(const StringT& other)
{
    if (this == &other || m_buffer.Get() == other.m_buffer.Get())
        return *this;
    // A locked string keeps its buffer; a locked source is copied, never shared.
    if (IsLocked() || other.IsLocked())
        Assign(other.GetString(), kAllUnits);
    else
        m_buffer = other.m_buffer;
    return *this;
}

template <class C, class O>
void StringT<C, O>::Assign(const C* text, unsigned maxUnits)
{
    if (!IsLocked()) {
        m_buffer = BufferFor(text, maxUnits);
        return;
    }
    if (!text || !*text || maxUnits == 0) {
        Data()[0] = 0;
        return;
    }
    // As much as the locked buffer holds, and the terminator.
    const unsigned capacity = CapacityUnits();
    const size_t n = TextLength(text, std::min(maxUnits, capacity - 1));
    C* data = Data();
    std::memmove(data, text, n * sizeof(C));
    data[n] = 0;
}

template <class C, class O>
void StringT<C, O>::Empty()
{
    if (IsLocked())
        Data()[0] = 0;
    else if (m_buffer.Get() != SharedEmptyBuffer().Get())
        m_buffer = SharedEmptyBuffer();
}

template <class C, class O>
void StringT<C, O>::AppendUnits(const C* units, size_t n)
{
    if (n == 0)
        return;
    const unsigned length = GetLength();
    const uint64_t total = static_cast<uint64_t>(length) + n;
    const uint32_t bytes = BufferBytes<C>(total);
    const bool alias = PointsInto(units, Data(), CapacityUnits());
    if (IsLocked()) {
        // Grow when needed; the room given by Lock is never taken back while locked.
        const size_t offset = alias ? static_cast<size_t>(units - Data()) : 0;
        if (bytes > m_buffer->GetSize())
            Buf()->SetSize(bytes);
        C* data = Data();
        if (alias)
            units = data + offset;
        std::memmove(data + length, units, n * sizeof(C));
        data[total] = 0;
        return;
    }
    // Text from this string's own buffer stays alive (and unmoved) in the old buffer.
    const ConstRCPtr<LIBuffer> keep = alias ? m_buffer : ConstRCPtr<LIBuffer>();
    C* data = Lock(static_cast<unsigned>(total + 1));
    std::memcpy(data + length, units, n * sizeof(C));
    Unlock();
}

template <class C, class O>
StringT<C, O>& StringT<C, O>::operator+=(const StringT& other)
{
    AppendUnits(other.GetString(), other.GetLength());
    return *this;
}

template <class C, class O>
StringT<C, O>& StringT<C, O>::operator+=(char c)
{
    if constexpr (std::is_same_v<C, char16_t>) {
        const char text[2] = {c, 0};
        InsertNarrow(GetLength(), text);
    } else {
        const C unit = c;
        if (unit)
            AppendUnits(&unit, 1);
    }
    return *this;
}

template <class C, class O>
KXRESULT StringT<C, O>::Insert(unsigned index, const StringT& text)
{
    const unsigned length = GetLength();
    if (index > length)
        return E_INVALIDARG;
    if (index == length)
        *this += text;
    else if (index == 0)
        *this = text + *this;
    else
        *this = Left(index) + text + Mid(static_cast<int>(index));
    return S_OK;
}

template <class C, class O>
KXRESULT StringT<C, O>::InsertChars(unsigned index, const C* text, unsigned count)
{
    if (index > GetLength())
        return E_INVALIDARG;
    return Insert(index, StringT(BufferFor(text, count >= kAllUnits ? kAllUnits : count)));
}

template <class C, class O>
KXRESULT StringT<C, O>::InsertNarrow(unsigned index, const char* text) requires std::is_same_v<C, char16_t>
{
    if (index > GetLength())
        return E_INVALIDARG;
    return Insert(index, StringT(text));
}

template <class C, class O>
void StringT<C, O>::AssignFromUTF8(const char* bytes, int length) requires std::is_same_v<C, char16_t>
{
    if (!bytes || !*bytes || length == 0) {
        Empty();
        return;
    }
    if (IsLocked()) {
        ConstRCPtr<LIBuffer> decoded;
        ConvertUTF8ToWide(decoded, bytes, length);
        Assign(static_cast<const C*>(decoded->GetData()), kAllUnits);
    } else {
        ConvertUTF8ToWide(m_buffer, bytes, length);
    }
}

template <class C, class O>
void StringT<C, O>::ReplaceAny(const C* set, C replacement)
{
    if (replacement == 0)
        return;
    const unsigned length = GetLength();
    const C* text = GetString();
    C* data;
    ConstRCPtr<LIBuffer> buffer;
    if (IsLocked())
        data = Data();
    else
        buffer = MakeBuffer<C>(length, data);
    const bool anySet = set && *set;
    for (unsigned i = 0; i < length; ++i)
        data[i] = anySet && InSet(text[i], set) ? replacement : text[i];
    if (buffer)
        m_buffer = std::move(buffer);
}

template <class C, class O>
StringT<C, O> StringT<C, O>::FormatList(const C* format, const FormatArg* args, size_t count)
{
    C units[kFormatUnits];
    const size_t n = FormatArgs(units, kFormatUnits, format, args, count);
    return StringT(BufferFor(units, static_cast<unsigned>(std::min(n, kFormatUnits - 1))));
}

template <class C, class O>
C* StringT<C, O>::Lock(unsigned units)
{
    if (m_buffer && IsLocked())
        return nullptr;
    if (units == 0)
        units = GetLength() + 1;
    const uint32_t bytes = Detail::ByteCount(units, sizeof(C));
    if (!m_buffer) {
        StringBuffer::Create(m_buffer, bytes, 0, true);
    } else if (m_buffer->GetRefCount() > 1) {
        // Shared: write into a private copy. The old buffer stays when no copy comes back.
        ConstRCPtr<LIBuffer> copy;
        m_buffer->CopyRange(copy, bytes, 0);
        if (!copy)
            KX_THROW(std::runtime_error, "", LockMethodName<C>(), "kxframework\\utilities\\Storage/StringT", 760);
        m_buffer = std::move(copy);
    }
    LIBuffer* buffer = Buf();
    buffer->SetUnshareable(true);
    try {
        buffer->SetSize(bytes);
    } catch (...) {
        buffer->SetUnshareable(false);
        throw;
    }
    C* data = Data();
    data[units - 1] = 0;
    return data;
}

template <class C, class O>
int StringT<C, O>::Unlock()
{
    if (!m_buffer || !IsLocked())
        return 1;
    const size_t length = TextLength(GetString(), CapacityUnits());
    if (length == 0) {
        m_buffer = SharedEmptyBuffer();
        return 0;
    }
    LIBuffer* buffer = Buf();
    buffer->SetUnshareable(false);
    buffer->SetSize(BufferBytes<C>(length));
    Data()[length] = 0;
    return 0;
}

template class StringT<char16_t, char>;
template class StringT<char, char16_t>;

namespace {

// digits (without sign) with a point placed decimals digits from the right, zero-padded on the left
// up to decimals digits; no zero before the point.
WString PlaceDecimals(const char* digits, bool negative, int decimals)
{
    const size_t count = std::strlen(digits);
    const size_t width = std::max(count, static_cast<size_t>(decimals));
    const size_t integral = width - static_cast<size_t>(decimals);
    const size_t total = (negative ? 1 : 0) + width + 1;
    WString text;
    char16_t* p = text.Lock(static_cast<unsigned>(total + 1));
    if (negative)
        *p++ = u'-';
    for (size_t i = 0; i < width; ++i) {
        if (i == integral)
            *p++ = u'.';
        *p++ = i < width - count ? u'0' : static_cast<char16_t>(digits[i - (width - count)]);
    }
    *p = 0;
    text.Unlock();
    return text;
}

} // namespace

WString IntToString(int value, int decimals)
{
    if (decimals < 1)
        return WString::Format(u"%d", value);
    char digits[16];
    const unsigned magnitude = value < 0 ? 0u - static_cast<unsigned>(value) : static_cast<unsigned>(value);
    FormatTo(digits, sizeof digits, "%u", magnitude);
    return PlaceDecimals(digits, value < 0, decimals);
}

WString UIntToString(unsigned value, int decimals)
{
    if (decimals < 1)
        return WString::Format(u"%u", value);
    char digits[16];
    FormatTo(digits, sizeof digits, "%u", value);
    return PlaceDecimals(digits, false, decimals);
}

WString DoubleToString(double value, int precision)
{
    if (precision < 0)
        return WString::Format(u"%lf", value);
    const WString format = WString::Format(u"%%.%dlf", precision);
    return WString::Format(format.GetString(), value);
}

} // namespace KX
