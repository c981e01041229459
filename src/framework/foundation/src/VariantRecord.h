#pragma once
// Reading the Variant's little-endian record fields and list item records in place; shared by
// the Variant's files, not part of its interface.
#include "kx/Variant.h"

#include <cstdint>
#include <cstring>

namespace KX::Detail {

inline uint32_t LoadLE32(const uint8_t* p) noexcept
{
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

template <class T>
inline T Load(const uint8_t* p) noexcept
{
    T v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

// Length of the well-formed item record at offset of a list's data.
inline bool ItemAt(const uint8_t* data, uint32_t size, uint32_t offset, uint32_t& length) noexcept
{
    if (offset > size || size - offset < Variant::RecordHeaderSize)
        return false;
    const uint32_t n = LoadLE32(data + offset);
    if (n < Variant::RecordHeaderSize || n > size - offset)
        return false;
    length = n;
    return true;
}

} // namespace KX::Detail
