#include "kx/Variant.h"

#include "VariantRecord.h"
#include "kx/Exception.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <cstring>
#include <limits>
#include <new>

namespace KX {

static_assert(std::endian::native == std::endian::little, "the value field holds its numbers in little-endian order");
static_assert(sizeof(void*) <= 8, "the data pointer lives in the 8-byte value field");

using Detail::ItemAt;
using Detail::Load;
using Detail::LoadLE32;

namespace {

// Serialize reports failure as the bit pattern of E_FAIL.
constexpr uint32_t kFail = static_cast<uint32_t>(E_FAIL);

inline void StoreLE32(uint8_t* p, uint32_t v) noexcept
{
    std::memcpy(p, &v, 4);
}

inline void WriteHeader(uint8_t* p, uint32_t total, int32_t type) noexcept
{
    StoreLE32(p, total);
    StoreLE32(p + 4, 0);
    StoreLE32(p + 8, static_cast<uint32_t>(type));
}

// Float to integer conversions that give the x86 "integer indefinite" value
// (the lowest integer) for NaN and values out of range instead of undefined behaviour.
inline int32_t TruncToInt32(double d) noexcept
{
    if (d > -2147483649.0 && d < 2147483648.0)
        return static_cast<int32_t>(d);
    return INT32_MIN;
}

inline int64_t TruncToInt64(double d) noexcept
{
    if (d >= -0x1p63 && d < 0x1p63)
        return static_cast<int64_t>(d);
    return INT64_MIN;
}

inline int64_t TruncToInt64(float f) noexcept
{
    if (f >= -0x1p63f && f < 0x1p63f)
        return static_cast<int64_t>(f);
    return INT64_MIN;
}

// Rounds half away from zero.
inline double RoundAway(double d) noexcept
{
    return d < 0 ? d - 0.5 : d + 0.5;
}

inline float RoundAway(float f) noexcept
{
    return f < 0 ? f - 0.5f : f + 0.5f;
}

} // namespace

Variant::Variant(const Variant& other)
{
    Assign(other);
}

Variant& Variant::operator=(const Variant& other)
{
    Assign(other);
    return *this;
}

Variant::~Variant()
{
    ReleaseOwned();
}

uint8_t* Variant::DataPointer() const noexcept
{
    uint8_t* p;
    std::memcpy(&p, m_value, sizeof p);
    return p;
}

void Variant::SetDataPointer(uint8_t* p) noexcept
{
    std::memset(m_value, 0, sizeof m_value);
    std::memcpy(m_value, &p, sizeof p);
}

void Variant::ReleaseOwned() noexcept
{
    if (m_type >= TypeBlob)
        FreeData(DataPointer());
    std::memset(m_value, 0, sizeof m_value);
    m_size = 0;
    m_type = TypeEmpty;
    ResetListHint();
}

void Variant::Adopt(int32_t type, uint8_t* data, uint32_t n) noexcept
{
    ReleaseOwned();
    SetDataPointer(data);
    m_size = n;
    m_type = type;
}

void Variant::TakeFrom(Variant& other) noexcept
{
    ReleaseOwned();
    std::memcpy(m_value, other.m_value, sizeof m_value);
    m_size = other.m_size;
    m_type = other.m_type;
    std::memset(other.m_value, 0, sizeof other.m_value);
    other.m_size = 0;
    other.m_type = TypeEmpty;
    other.ResetListHint();
}

void Variant::Clear() noexcept
{
    ReleaseOwned();
}

int32_t Variant::Assign(const Variant& other)
{
    if (&other == this)
        return m_type;
    if (other.m_type >= TypeBlob) {
        // Allocate before releasing, so a failed allocation leaves this Variant as it was.
        uint8_t* p = AllocateData(other.m_size);
        if (other.m_size)
            std::memcpy(p, other.DataPointer(), other.m_size);
        Adopt(other.m_type, p, other.m_size);
        return m_type;
    }
    ReleaseOwned();
    std::memcpy(m_value, other.m_value, sizeof m_value);
    m_size = other.m_size;
    m_type = other.m_type;
    return m_type;
}

uint64_t Variant::LeadingBytes(uint32_t width) const noexcept
{
    const uint8_t* p = DataPointer();
    if (!p)
        return 0;
    const uint32_t n = std::min(width, m_size);
    uint64_t v = 0;
    for (uint32_t i = 0; i < n; ++i)
        v |= static_cast<uint64_t>(p[i]) << (8 * i);
    return v;
}

bool Variant::ToBool() const
{
    switch (m_type) {
    case TypeBool: return m_value[0] != 0;
    case TypeInt32: return Load<int32_t>(m_value) != 0;
    case TypeInt64: return Load<int64_t>(m_value) != 0;
    case TypeFloat: return Load<float>(m_value) != 0.0f;
    case TypeDouble: return Load<double>(m_value) != 0.0;
    case TypeBorrowed:
    case TypeBorrowedRaw: return DataPointer() != nullptr;
    case TypeBlob: return m_size != 0;
    case TypeString: return m_size > 1;
    case TypeList: return m_size != 0;
    default: return false;
    }
}

int32_t Variant::ToInt32() const
{
    switch (m_type) {
    case TypeBool: return m_value[0];
    case TypeInt32: return Load<int32_t>(m_value);
    case TypeInt64: return static_cast<int32_t>(static_cast<uint32_t>(Load<uint64_t>(m_value)));
    case TypeFloat: return TruncToInt32(RoundAway(static_cast<double>(Load<float>(m_value))));
    case TypeDouble: return TruncToInt32(RoundAway(Load<double>(m_value)));
    case TypeBorrowed:
    case TypeBorrowedRaw:
    case TypeBlob: return static_cast<int32_t>(static_cast<uint32_t>(LeadingBytes(4)));
    case TypeString: return static_cast<int32_t>(m_size - 1);
    default: return 0;
    }
}

int64_t Variant::ToInt64() const
{
    switch (m_type) {
    case TypeBool: return m_value[0];
    case TypeInt32: return Load<int32_t>(m_value);
    case TypeInt64: return Load<int64_t>(m_value);
    case TypeFloat: return TruncToInt64(RoundAway(Load<float>(m_value)));
    case TypeDouble: return TruncToInt64(RoundAway(Load<double>(m_value)));
    case TypeBorrowed:
    case TypeBorrowedRaw:
    case TypeBlob: return static_cast<int64_t>(LeadingBytes(8));
    case TypeString: return static_cast<int64_t>(static_cast<uint32_t>(m_size - 1));
    default: return 0;
    }
}

float Variant::ToFloat() const
{
    switch (m_type) {
    case TypeBool: return m_value[0];
    case TypeInt32: return static_cast<float>(Load<int32_t>(m_value));
    case TypeInt64: return static_cast<float>(Load<int64_t>(m_value));
    case TypeFloat: return Load<float>(m_value);
    case TypeDouble: return static_cast<float>(Load<double>(m_value));
    case TypeBorrowed:
    case TypeBorrowedRaw:
    case TypeBlob:
    case TypeString: return static_cast<float>(ToInt32());
    default: return 0.0f;
    }
}

double Variant::ToDouble() const
{
    switch (m_type) {
    case TypeBool: return m_value[0];
    case TypeInt32: return Load<int32_t>(m_value);
    case TypeInt64: return static_cast<double>(Load<int64_t>(m_value));
    case TypeFloat: return Load<float>(m_value);
    case TypeDouble: return Load<double>(m_value);
    case TypeBorrowed:
    case TypeBorrowedRaw:
    case TypeBlob:
    case TypeString: return static_cast<double>(ToInt64());
    default: return 0.0;
    }
}

const uint8_t* Variant::GetData(uint32_t& byteCount) const
{
    switch (m_type) {
    case TypeBool: byteCount = 1; return m_value;
    case TypeInt32:
    case TypeFloat: byteCount = 4; return m_value;
    case TypeInt64:
    case TypeDouble: byteCount = 8; return m_value;
    case TypeBorrowed:
    case TypeBorrowedRaw:
    case TypeBlob:
    case TypeString:
    case TypeList: byteCount = m_size; return DataPointer();
    default: byteCount = 0; return nullptr;
    }
}

const uint8_t* Variant::GetElements(uint32_t& count) const
{
    switch (m_type) {
    case TypeBool:
    case TypeInt32:
    case TypeInt64:
    case TypeFloat:
    case TypeDouble: count = 1; return m_value;
    case TypeBorrowed:
    case TypeBlob:
    case TypeString: count = m_size; return DataPointer();
    default: count = 0; return nullptr;
    }
}

const char* Variant::GetString() const
{
    return m_type == TypeString ? reinterpret_cast<const char*>(DataPointer()) : nullptr;
}

uint8_t* Variant::AllocateData(uint32_t n)
{
    return new uint8_t[n];
}

void Variant::FreeData(uint8_t* data)
{
    delete[] data;
}

int32_t Variant::SetBytes(const uint8_t* data, uint32_t n)
{
    // The copy is made before the old data goes, so data may point into it.
    uint8_t* p = AllocateData(n);
    if (n) {
        if (data)
            std::memcpy(p, data, n);
        else
            std::memset(p, 0, n);
    }
    Adopt(TypeBlob, p, n);
    return TypeBlob;
}

int32_t Variant::SetString(const char* text)
{
    const uint32_t length = text ? static_cast<uint32_t>(std::strlen(text)) : 0;
    uint8_t* p = AllocateData(length + 1);
    if (length)
        std::memcpy(p, text, length);
    p[length] = 0;
    Adopt(TypeString, p, length + 1);
    return TypeString;
}

int32_t Variant::SetBorrowed(int32_t type, const uint8_t* data, uint32_t n)
{
    ReleaseOwned();
    if (type != TypeBorrowed && type != TypeBorrowedRaw)
        return TypeEmpty;
    SetDataPointer(const_cast<uint8_t*>(data));
    m_size = n;
    m_type = type;
    return type;
}

int32_t Variant::SetList(const Variant* items, int32_t count)
{
    if (!items || count <= 0) {
        ReleaseOwned();
        m_type = TypeList;
        return TypeList;
    }
    uint64_t total = 0;
    for (int32_t i = 0; i < count; ++i) {
        uint32_t n = 0;
        items[i].GetData(n);
        total += static_cast<uint64_t>(n) + RecordHeaderSize;
    }
    if (total > std::numeric_limits<uint32_t>::max())
        throw Exception<std::bad_alloc>();
    // Built before the old data goes, so the items may include this Variant.
    const uint32_t size = static_cast<uint32_t>(total);
    uint8_t* p = AllocateData(size);
    uint32_t offset = 0;
    for (int32_t i = 0; i < count; ++i) {
        uint32_t n = 0;
        items[i].GetData(n);
        if (Serialize(items[i], p + offset, size - offset) == kFail) {
            // Borrowed data of no bytes has no record of its own: keep the item's
            // place with the record of an empty Variant.
            WriteHeader(p + offset, RecordHeaderSize, TypeEmpty);
        }
        offset += n + RecordHeaderSize;
    }
    Adopt(TypeList, p, size);
    return TypeList;
}

int32_t Variant::SetRaw(int32_t type, const uint8_t* data, uint32_t n)
{
    if (!data)
        n = 0;
    switch (type) {
    case TypeBool:
    case TypeInt32:
    case TypeInt64:
    case TypeFloat:
    case TypeDouble: {
        const uint32_t width = type == TypeBool ? 1 : (type == TypeInt32 || type == TypeFloat) ? 4 : 8;
        uint8_t value[8] = {};
        if (n == width)
            std::memcpy(value, data, width);
        ReleaseOwned();
        if (n != width)
            return TypeEmpty;
        std::memcpy(m_value, value, sizeof m_value);
        m_type = type;
        return type;
    }
    case TypeBorrowed:
    case TypeBorrowedRaw:
    case TypeBlob: return SetBytes(data, n);
    case TypeString: {
        // The text ends at its terminator or at the end of the data, whichever comes first.
        const void* end = n ? std::memchr(data, 0, n) : nullptr;
        const uint32_t length = end ? static_cast<uint32_t>(static_cast<const uint8_t*>(end) - data) : n;
        uint8_t* p = AllocateData(length + 1);
        if (length)
            std::memcpy(p, data, length);
        p[length] = 0;
        Adopt(TypeString, p, length + 1);
        return TypeString;
    }
    case TypeList:
        SetBytes(data, n);
        m_type = TypeList;
        return TypeList;
    default: ReleaseOwned(); return TypeEmpty;
    }
}

uint32_t Variant::GetListCount() const
{
    if (m_type != TypeList)
        return 0;
    const uint8_t* data = DataPointer();
    uint32_t count = 0;
    uint32_t offset = 0;
    uint32_t length = 0;
    while (ItemAt(data, m_size, offset, length)) {
        offset += length;
        ++count;
    }
    return count;
}

int32_t Variant::GetListItem(uint32_t index, Variant& out) const
{
    if (&out == this) {
        // Reading an item of this list into itself: read into a temporary first.
        Variant item;
        const int32_t result = GetListItem(index, item);
        out.TakeFrom(item);
        return result;
    }
    out.Clear();
    if (m_type != TypeList)
        return -1;
    const uint8_t* data = DataPointer();
    uint32_t i = 0;
    uint32_t offset = 0;
    const uint64_t hint = m_listHint.load(std::memory_order_relaxed);
    if (static_cast<uint32_t>(hint >> 32) <= index) {
        i = static_cast<uint32_t>(hint >> 32);
        offset = static_cast<uint32_t>(hint);
    }
    uint32_t length = 0;
    for (; ItemAt(data, m_size, offset, length); ++i, offset += length) {
        if (i == index) {
            m_listHint.store((static_cast<uint64_t>(i) << 32) | offset, std::memory_order_relaxed);
            if (Deserialize(out, data + offset, m_size - offset) != S_OK)
                return -1;
            return 0;
        }
    }
    return -1;
}

uint32_t Variant::Serialize(const Variant& v, void* buffer, uint32_t bufferSize)
{
    uint32_t n = 0;
    const uint8_t* data = v.GetData(n);
    const int32_t type = v.GetType();
    if (n == 0 && (type == TypeBorrowed || type == TypeBorrowedRaw))
        return kFail;
    if (n > std::numeric_limits<uint32_t>::max() - RecordHeaderSize)
        return kFail;
    const uint32_t total = n + RecordHeaderSize;
    if (!buffer || bufferSize < total)
        return kFail;
    uint8_t* out = static_cast<uint8_t*>(buffer);
    WriteHeader(out, total, type);
    if (n)
        std::memcpy(out + RecordHeaderSize, data, n);
    return total;
}

KXRESULT Variant::Deserialize(Variant& v, const void* record, uint32_t available)
{
    if (!record || available < RecordHeaderSize)
        return E_FAIL;
    const uint8_t* p = static_cast<const uint8_t*>(record);
    const uint32_t length = LoadLE32(p);
    if (length < RecordHeaderSize || length > available)
        return E_FAIL;
    if (LoadLE32(p + 4) != 0)
        return E_FAIL;
    const uint32_t type = LoadLE32(p + 8);
    if (type >= static_cast<uint32_t>(TypeCount))
        return E_FAIL;
    if (length == RecordHeaderSize) {
        if (type == TypeEmpty) {
            v.Clear();
            return S_OK;
        }
        if (type == TypeList) {
            v.Clear();
            v.m_type = TypeList;
            return S_OK;
        }
        return E_FAIL;
    }
    if (type == TypeEmpty)
        return E_FAIL;
    v.SetRaw(static_cast<int32_t>(type), p + RecordHeaderSize, length - RecordHeaderSize);
    return S_OK;
}

bool Variant::operator==(const Variant& other) const
{
    if (m_type != other.m_type || m_type < 0 || m_type >= TypeCount)
        return false;
    switch (m_type) {
    case TypeEmpty: return true;
    case TypeBool: return m_value[0] == other.m_value[0];
    case TypeInt32: return Load<int32_t>(m_value) == Load<int32_t>(other.m_value);
    case TypeInt64: return Load<int64_t>(m_value) == Load<int64_t>(other.m_value);
    case TypeFloat: return Load<float>(m_value) == Load<float>(other.m_value);
    case TypeDouble: return Load<double>(m_value) == Load<double>(other.m_value);
    case TypeBorrowed:
    case TypeBorrowedRaw: return DataPointer() == other.DataPointer() && m_size == other.m_size;
    default:
        return m_size == other.m_size && (m_size == 0 || std::memcmp(DataPointer(), other.DataPointer(), m_size) == 0);
    }
}

} // namespace KX
