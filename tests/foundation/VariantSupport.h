#pragma once
// Helpers shared by the Variant tests.
#include "kx/Variant.h"

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <vector>

namespace kxtest {

using Bytes = std::vector<uint8_t>;

template <class T>
KX::Variant Scalar(int32_t type, T value)
{
    uint8_t raw[sizeof(T)];
    std::memcpy(raw, &value, sizeof raw);
    KX::Variant v;
    v.SetRaw(type, raw, sizeof raw);
    return v;
}

inline KX::Variant Bool(uint8_t stored)
{
    return Scalar<uint8_t>(KX::Variant::TypeBool, stored);
}
inline KX::Variant Int32(int32_t x)
{
    return Scalar(KX::Variant::TypeInt32, x);
}
inline KX::Variant Int64(int64_t x)
{
    return Scalar(KX::Variant::TypeInt64, x);
}
inline KX::Variant Float(float x)
{
    return Scalar(KX::Variant::TypeFloat, x);
}
inline KX::Variant Double(double x)
{
    return Scalar(KX::Variant::TypeDouble, x);
}

inline KX::Variant Blob(const Bytes& bytes)
{
    KX::Variant v;
    v.SetBytes(bytes.data(), static_cast<uint32_t>(bytes.size()));
    return v;
}

inline KX::Variant Text(const char* text)
{
    KX::Variant v;
    v.SetString(text);
    return v;
}

inline Bytes DataOf(const KX::Variant& v)
{
    uint32_t n = 0;
    const uint8_t* p = v.GetData(n);
    return p ? Bytes(p, p + n) : Bytes();
}

// The record of v, written into a buffer of exactly the needed size.
inline Bytes RecordOf(const KX::Variant& v)
{
    uint32_t n = 0;
    v.GetData(n);
    Bytes out(n + 12);
    const uint32_t written = KX::Variant::Serialize(v, out.data(), static_cast<uint32_t>(out.size()));
    if (written != out.size())
        out.clear();
    return out;
}

// Little-endian u32 words followed by loose bytes, for building records by hand.
inline Bytes Words(std::initializer_list<uint32_t> words, std::initializer_list<uint8_t> tail = {})
{
    Bytes out;
    for (uint32_t w : words)
        for (int i = 0; i < 4; ++i)
            out.push_back(static_cast<uint8_t>(w >> (8 * i)));
    out.insert(out.end(), tail.begin(), tail.end());
    return out;
}

inline Bytes Concat(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const Bytes& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

inline KX::Variant ListFrom(const Bytes& listData)
{
    KX::Variant v;
    v.SetRaw(KX::Variant::TypeList, listData.data(), static_cast<uint32_t>(listData.size()));
    return v;
}

} // namespace kxtest
