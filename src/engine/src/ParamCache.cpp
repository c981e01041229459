#include "engine/ParamCache.h"

namespace {

bool IsEmpty(const KX::Variant& v) noexcept
{
    return v.GetType() == KX::Variant::TypeEmpty;
}

// Reads every record of a qualified slot; an empty slot has none. Returns 0, or the
// negative code of the first record that cannot be read (also for a slot holding
// anything but a list).
int32_t ReadRecords(const KX::Variant& slot, std::vector<KX::ParamValue>& records)
{
    records.clear();
    if (IsEmpty(slot))
        return 0;
    if (slot.GetType() != KX::Variant::TypeList)
        return KX::ParamValues::kNotAList;
    const KX::ParamValues list(slot);
    const uint32_t count = list.GetCount();
    records.resize(count);
    for (uint32_t i = 0; i < count; ++i) {
        const int32_t r = list.GetParamValueAt(i, records[i]);
        if (r != 0)
            return r;
    }
    return 0;
}

} // namespace

LParamCache::LParamCache(uint32_t slotCount) : m_slotCount(slotCount), m_slots(slotCount) {}

LParamCache::~LParamCache() = default;

KX::RCPtr<LParamCache> LParamCache::Create(uint32_t slotCount)
{
    return KX::RCPtr<LParamCache>(new LParamCache(slotCount));
}

int32_t LParamCache::SetValue(const KX::ParamDescriptor& descriptor, const KX::Variant& value, bool notify)
{
    const auto index = static_cast<uint32_t>(descriptor.id);
    if (index >= m_slotCount)
        return -1;
    if (!IsEmpty(descriptor.data))
        return SetQualifiedValue(index, descriptor, value, notify);

    KX::Variant& slot = m_slots[index];
    if (slot == value)
        return 1;
    slot = value;
    if (notify)
        OnValueChanged(index, slot);
    return 0;
}

int32_t LParamCache::SetQualifiedValue(uint32_t index, const KX::ParamDescriptor& descriptor, const KX::Variant& value,
                                       bool notify)
{
    std::vector<KX::ParamValue> records;
    if (ReadRecords(m_slots[index], records) != 0)
        return -1;

    // Records are kept in ascending (id, qualifier) order.
    auto it = records.begin();
    for (; it != records.end(); ++it) {
        const KX::ParamDescriptor& d = it->descriptor;
        if (d.id == descriptor.id && d.data == descriptor.data) {
            if (it->value == value)
                return 1;
            it->value = value;
            break;
        }
        if (d.id > descriptor.id || (d.id == descriptor.id && descriptor.data < d.data)) {
            it = records.insert(it, KX::ParamValue(descriptor, value));
            break;
        }
    }
    if (it == records.end())
        records.emplace_back(descriptor, value);

    KX::ParamValues list(records.data(), static_cast<uint32_t>(records.size()));
    m_slots[index] = list;
    if (notify)
        OnValueChanged(index, m_slots[index]);
    return 0;
}

int32_t LParamCache::GetValue(const KX::ParamDescriptor& descriptor, KX::Variant& value)
{
    value.Clear();
    const auto index = static_cast<uint32_t>(descriptor.id);
    if (index >= m_slotCount)
        return -1;
    const KX::Variant& slot = m_slots[index];
    if (IsEmpty(descriptor.data)) {
        value = slot;
        return 0;
    }
    if (IsEmpty(slot))
        return 1;
    if (slot.GetType() != KX::Variant::TypeList)
        return KX::ParamValues::kNotAList;

    const KX::ParamValues list(slot);
    const uint32_t count = list.GetCount();
    for (uint32_t i = 0; i < count; ++i) {
        KX::ParamValue record;
        const int32_t r = list.GetParamValueAt(i, record);
        if (r != 0)
            return r;
        if (record.descriptor.id == descriptor.id && record.descriptor.data == descriptor.data) {
            value = record.value;
            return 0;
        }
    }
    return 1;
}

KX::KXRESULT LParamCache::Attach(const KX::RCPtr<KX::LRefCountedObject>&)
{
    return KX::S_OK;
}

KX::KXRESULT LParamCache::OnValueChanged(uint32_t, const KX::Variant&)
{
    return KX::E_NOTIMPL;
}
