#pragma once
// The last known value of each parameter, one slot per parameter index. A slot holds a
// plain value, or, for a parameter addressed with qualifiers, a list of (id, qualifier,
// value) records kept in ascending (id, qualifier) order. No lock of its own: the root
// module reads and writes it under its lock.
#include "engine/RootModuleInterface.h"

#include "kx/KXResult.h"
#include "kx/ParamValues.h"
#include "kx/RefCountedObject.h"
#include "kx/Variant.h"

#include <cstdint>
#include <vector>

class LParamCache : public IParamCache {
public:
    explicit LParamCache(uint32_t slotCount);
    ~LParamCache() override;

    static KX::RCPtr<LParamCache> Create(uint32_t slotCount);

    // The index is the descriptor's id taken as unsigned. 0 stored, 1 unchanged, -1 for an
    // index out of range or a slot whose records cannot be read (the slot is left alone).
    int32_t SetValue(const KX::ParamDescriptor& descriptor, const KX::Variant& value, bool notify) override;
    // The output is emptied first. 0 found, 1 no record for the qualifier, -1 index out of
    // range, another negative code for a record that cannot be read.
    int32_t GetValue(const KX::ParamDescriptor& descriptor, KX::Variant& value) override;
    // Does nothing.
    virtual KX::KXRESULT Attach(const KX::RCPtr<KX::LRefCountedObject>& owner);
    // Called by SetValue after a change when asked to notify; this one does nothing and
    // answers E_NOTIMPL.
    virtual KX::KXRESULT OnValueChanged(uint32_t index, const KX::Variant& value);

    uint32_t GetSlotCount() const noexcept { return m_slotCount; }

private:
    int32_t SetQualifiedValue(uint32_t index, const KX::ParamDescriptor& descriptor, const KX::Variant& value,
                              bool notify);

    const uint32_t m_slotCount;
    std::vector<KX::Variant> m_slots;
};
