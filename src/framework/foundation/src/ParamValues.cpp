#include "kx/ParamValues.h"

#include <cstring>
#include <vector>

namespace KX {

Variant MakeInt32Variant(int32_t value)
{
    Variant v;
    uint8_t bytes[4];
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<uint8_t>(static_cast<uint32_t>(value) >> (8 * i));
    v.SetRaw(Variant::TypeInt32, bytes, 4);
    return v;
}

Variant MakeInt64Variant(int64_t value)
{
    Variant v;
    uint8_t bytes[8];
    for (int i = 0; i < 8; ++i)
        bytes[i] = static_cast<uint8_t>(static_cast<uint64_t>(value) >> (8 * i));
    v.SetRaw(Variant::TypeInt64, bytes, 8);
    return v;
}

Variant MakeBoolVariant(bool value)
{
    Variant v;
    const uint8_t byte = value ? 1 : 0;
    v.SetRaw(Variant::TypeBool, &byte, 1);
    return v;
}

Variant MakeBytesVariant(const uint8_t* data, uint32_t n)
{
    Variant v;
    v.SetBytes(data, n);
    return v;
}

ParamValues::ParamValues()
{
    SetList(nullptr, 0);
}

ParamValues::ParamValues(const ParamValue* values, uint32_t count)
{
    SetValues(values, count);
}

ParamValues::ParamValues(const IArray<ParamValue>& values)
{
    SetValues(values.GetCount() ? values.GetData() : nullptr, values.GetCount());
}

void ParamValues::SetValues(const ParamValue* values, uint32_t count)
{
    if (!values)
        count = 0;
    std::vector<Variant> items(count);
    for (uint32_t i = 0; i < count; ++i) {
        const Variant parts[3] = {values[i].value, MakeInt32Variant(values[i].descriptor.id),
                                  values[i].descriptor.data};
        items[i].SetList(parts, 3);
    }
    SetList(items.data(), static_cast<int32_t>(count));
}

uint32_t ParamValues::CountWholeRecords() const
{
    if (GetType() != Variant::TypeList)
        return 0;
    uint32_t size = 0;
    const uint8_t* data = GetData(size);
    if (!data)
        return 0;
    uint32_t count = 0;
    uint64_t offset = 0;
    while (offset + 4 < size) {
        uint32_t length = 0;
        std::memcpy(&length, data + offset, 4);
        // A length below 4 would never move on; one past the end holds no record.
        if (length < 4 || length > size - offset)
            break;
        offset += length;
        ++count;
    }
    return count;
}

int32_t ParamValues::GetParamValueAt(uint32_t i, ParamDescriptor& descriptor, Variant& value) const
{
    descriptor.id = -1;
    descriptor.data.Clear();
    value.Clear();
    uint32_t size = 0;
    GetData(size);
    if (GetType() != TypeList || size < 5)
        return kNotAList;
    Variant entry;
    if (GetListItem(i, entry) != 0)
        return kNotAList;
    if (entry.GetType() != TypeList || entry.GetListCount() != 3)
        return kBadEntry;
    Variant parts[3];
    for (uint32_t k = 0; k < 3; ++k)
        entry.GetListItem(k, parts[k]);
    descriptor.id = parts[1].ToInt32();
    descriptor.data = parts[2];
    value = parts[0];
    return 0;
}

ParamDescriptors::ParamDescriptors()
{
    SetList(nullptr, 0);
}

ParamDescriptors::ParamDescriptors(int32_t firstId, int32_t count)
{
    if (count < 1) {
        SetList(nullptr, 0);
        return;
    }
    Variant range;
    const Variant parts[2] = {MakeInt32Variant(firstId), MakeInt32Variant(count)};
    range.SetList(parts, 2);
    SetList(&range, 1);
}

int32_t ParamDescriptors::SetDescriptors(const ParamDescriptor* descriptors, int32_t count)
{
    if (!descriptors || count < 1)
        return kBadArgument;
    std::vector<Variant> ranges;
    int32_t first = descriptors[0].id;
    int32_t n = 1;
    auto flush = [&] {
        const Variant parts[2] = {MakeInt32Variant(first), MakeInt32Variant(n)};
        ranges.emplace_back();
        ranges.back().SetList(parts, 2);
    };
    for (int32_t i = 1; i < count; ++i) {
        const int64_t next = static_cast<int64_t>(first) + n;
        if (descriptors[i].id == next) {
            ++n;
            continue;
        }
        flush();
        first = descriptors[i].id;
        n = 1;
    }
    flush();
    SetList(ranges.data(), static_cast<int32_t>(ranges.size()));
    return 0;
}

int32_t ParamDescriptors::GetRangeAt(uint32_t i, int32_t& firstId, int32_t& count) const
{
    firstId = 0;
    count = 0;
    Variant range;
    if (GetListItem(i, range) != 0 || range.GetType() != TypeList || range.GetListCount() != 2)
        return -1;
    Variant a, b;
    range.GetListItem(0, a);
    range.GetListItem(1, b);
    if (a.GetType() != TypeInt32 || b.GetType() != TypeInt32)
        return -1;
    firstId = a.ToInt32();
    count = b.ToInt32();
    return 0;
}

bool ParamDescriptors::Contains(int32_t id) const
{
    const uint32_t n = GetRangeCount();
    for (uint32_t i = 0; i < n; ++i) {
        int32_t first = 0;
        int32_t count = 0;
        if (GetRangeAt(i, first, count) == 0 && count > 0 && id >= first &&
            static_cast<int64_t>(id) < static_cast<int64_t>(first) + count)
            return true;
    }
    return false;
}

} // namespace KX
