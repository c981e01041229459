#include "kx/Variant.h"

#include "VariantRecord.h"

#include <cmath>
#include <cstring>
#include <functional>
#include <vector>

namespace KX {

using Detail::ItemAt;
using Detail::Load;
using Detail::LoadLE32;

namespace {

bool IsNumeric(int32_t type)
{
    return type >= Variant::TypeBool && type <= Variant::TypeDouble;
}

// Shorter first, then byte by byte (unsigned or signed).
template <class Byte>
bool BytesLess(const uint8_t* a, uint32_t na, const uint8_t* b, uint32_t nb)
{
    if (na != nb)
        return na < nb;
    for (uint32_t i = 0; i < na; ++i) {
        const Byte x = static_cast<Byte>(a[i]);
        const Byte y = static_cast<Byte>(b[i]);
        if (x != y)
            return x < y;
    }
    return false;
}

// Where a type stands among the others when two Variants differ in type: the numeric types
// share one place (they compare by value), the rest follow in the order of their codes.
int32_t TypeRank(int32_t type)
{
    return IsNumeric(type) ? Variant::TypeBool : type;
}

// A numeric Variant's exact value, for comparing numbers of any two types: integers stay
// integers, so that 64-bit values beyond a double's precision keep their order; a NaN is
// greater than every number and equivalent to every other NaN.
struct Number {
    bool isNaN = false;
    bool isInteger = false;
    int64_t integer = 0;
    double real = 0.0;

    bool operator<(const Number& b) const noexcept
    {
        if (isNaN || b.isNaN)
            return !isNaN;
        if (isInteger && b.isInteger)
            return integer < b.integer;
        if (!isInteger && !b.isInteger)
            return real < b.real;
        return isInteger ? IntegerLess(integer, b.real) : RealLess(real, b.integer);
    }

    // i < d, exactly.
    static bool IntegerLess(int64_t i, double d) noexcept
    {
        if (d >= 0x1p63)
            return true;
        if (d < -0x1p63)
            return false;
        const double t = std::trunc(d); // fits in 64 bits here
        const auto ti = static_cast<int64_t>(t);
        return i < ti || (i == ti && d > t);
    }
    // d < i, exactly.
    static bool RealLess(double d, int64_t i) noexcept
    {
        if (d >= 0x1p63)
            return false;
        if (d < -0x1p63)
            return true;
        const double t = std::trunc(d);
        const auto ti = static_cast<int64_t>(t);
        return ti < i || (ti == i && d < t);
    }
};

Number NumberOf(const Variant& v, const uint8_t* value)
{
    Number n;
    switch (v.GetType()) {
    case Variant::TypeBool:
        n.isInteger = true;
        n.integer = value[0];
        break;
    case Variant::TypeInt32:
        n.isInteger = true;
        n.integer = Load<int32_t>(value);
        break;
    case Variant::TypeInt64:
        n.isInteger = true;
        n.integer = Load<int64_t>(value);
        break;
    case Variant::TypeFloat: n.real = Load<float>(value); break;
    default: n.real = Load<double>(value); break;
    }
    n.isNaN = !n.isInteger && std::isnan(n.real);
    return n;
}

// The data of a list item record that is itself a well-formed list, else null.
const uint8_t* ListItemData(const uint8_t* record, uint32_t length, uint32_t& size) noexcept
{
    if (LoadLE32(record + 4) != 0 || LoadLE32(record + 8) != static_cast<uint32_t>(Variant::TypeList))
        return nullptr;
    size = length - Variant::RecordHeaderSize;
    return record + Variant::RecordHeaderSize;
}

// Compares two lists item by item as operator< orders them (-1, 0, 1): the first unequal items
// decide, else the shorter list comes first. Lists inside lists are walked with a stack of their
// own instead of by recursion, and items are read in place, so that a hostile record nesting
// lists many levels deep costs time and memory in proportion to its size.
int CompareLists(const uint8_t* da, uint32_t na, const uint8_t* db, uint32_t nb)
{
    struct Level {
        const uint8_t* a;
        uint32_t sizeA, offsetA;
        const uint8_t* b;
        uint32_t sizeB, offsetB;
    };
    std::vector<Level> levels{{da, na, 0, db, nb, 0}};
    while (!levels.empty()) {
        Level& level = levels.back();
        uint32_t la = 0, lb = 0;
        const bool hasA = ItemAt(level.a, level.sizeA, level.offsetA, la);
        const bool hasB = ItemAt(level.b, level.sizeB, level.offsetB, lb);
        if (!hasA || !hasB) {
            if (hasA != hasB)
                return hasA ? 1 : -1;
            levels.pop_back(); // equal lists: the enclosing ones go on with their next items
            continue;
        }
        const uint8_t* ra = level.a + level.offsetA;
        const uint8_t* rb = level.b + level.offsetB;
        level.offsetA += la;
        level.offsetB += lb;
        uint32_t sa = 0, sb = 0;
        const uint8_t* listA = ListItemData(ra, la, sa);
        const uint8_t* listB = ListItemData(rb, lb, sb);
        if (listA && listB) {
            levels.push_back({listA, sa, 0, listB, sb, 0});
            continue;
        }
        // At most one of them is a list: they compare without looking into it.
        Variant x, y;
        Variant::Deserialize(x, ra, la);
        Variant::Deserialize(y, rb, lb);
        if (x < y)
            return -1;
        if (y < x)
            return 1;
    }
    return 0;
}

} // namespace

bool Variant::operator<(const Variant& other) const
{
    if (m_type == TypeEmpty || other.m_type == TypeEmpty)
        return m_type == TypeEmpty && other.m_type != TypeEmpty;
    if (m_type != other.m_type) {
        if (IsNumeric(m_type) && IsNumeric(other.m_type))
            return NumberOf(*this, m_value) < NumberOf(other, other.m_value);
        // Numbers first, then the other types in the order of their codes.
        return TypeRank(m_type) < TypeRank(other.m_type);
    }
    switch (m_type) {
    case TypeBool: return m_value[0] < other.m_value[0];
    case TypeInt32: return Load<int32_t>(m_value) < Load<int32_t>(other.m_value);
    case TypeInt64: return Load<int64_t>(m_value) < Load<int64_t>(other.m_value);
    case TypeFloat:
    case TypeDouble: return NumberOf(*this, m_value) < NumberOf(other, other.m_value);
    case TypeBorrowed:
    case TypeBorrowedRaw:
        if (m_size != other.m_size)
            return m_size < other.m_size;
        return std::less<const uint8_t*>()(DataPointer(), other.DataPointer());
    case TypeBlob: return BytesLess<uint8_t>(DataPointer(), m_size, other.DataPointer(), other.m_size);
    case TypeString: return BytesLess<int8_t>(DataPointer(), m_size, other.DataPointer(), other.m_size);
    case TypeList: return CompareLists(DataPointer(), m_size, other.DataPointer(), other.m_size) < 0;
    default: return false;
    }
}

} // namespace KX
