#pragma once
// Fixed number of slots holding expensive objects keyed by their source. A key that is not
// present takes the next never-used slot, else the first slot whose object was dropped, else the
// least recently used slot (ties: fewer uses, then the lowest position).
#include "kx/Exception.h"
#include "kx/HashedList.h"
#include "kx/RefCountedObject.h"

#include <cstdint>
#include <string>

namespace KX {

template <class Obj, class K>
class PurgableCacheEntry final {
public:
    virtual bool IsEmpty() const { return !object; }

    // Takes the slot for newKey: counters cleared, object dropped.
    void Reset(const K& newKey)
    {
        useCount = 0;
        lastUse = 0;
        object = nullptr;
        key = newKey;
    }

    K key{};
    RCPtr<Obj> object;
    uint32_t lastUse = 0;
    uint32_t useCount = 0;
};

// KeyFn gives the key of a source (for the owners); HashFn picks the index bucket of a key.
template <class Obj, class Src, class K, auto KeyFn, uint32_t Bits, auto HashFn>
class PurgableObjectCache {
public:
    using Entry = PurgableCacheEntry<Obj, K>;

    explicit PurgableObjectCache(int32_t capacity) : m_capacity(capacity)
    {
        if (capacity < 1)
            Throw<std::invalid_argument>("capacity below 1", ClassName() + "::PurgableObjectCache",
                                         "kxframework/utilities/Storage/PurgableObjectCache", 60);
        m_entries = new Entry[static_cast<uint32_t>(capacity)];
    }

    PurgableObjectCache(const PurgableObjectCache&) = delete;
    PurgableObjectCache& operator=(const PurgableObjectCache&) = delete;

    virtual ~PurgableObjectCache() { delete[] m_entries; }

    // The slot's object pointer for key; the caller builds the object when it is null. invalidate
    // drops the object of a slot that already holds key. The reference stays valid while the cache
    // lives.
    RCPtr<Obj>& GetSlot(const K& key, bool invalidate)
    {
        Entry* slot = m_index.Find(key, nullptr);
        if (slot) {
            if (invalidate) {
                slot->useCount = 0;
                slot->lastUse = 0;
                slot->object = nullptr;
            }
        } else if (static_cast<int32_t>(m_index.GetCount()) != m_capacity) {
            slot = &m_entries[m_index.GetCount()];
            Take(*slot, key);
        } else {
            slot = ChooseVictim();
            m_index.Remove(slot->key);
            Take(*slot, key);
        }
        if (slot->useCount < 0xFFFFFFFFu)
            ++slot->useCount;
        ++m_tick;
        slot->lastUse = m_tick;
        return slot->object;
    }

protected:
    static K GetEntryID(Entry* const& entry) { return entry->key; }

    using Index = HashedList<Entry*, K, &PurgableObjectCache::GetEntryID, Bits, HashFn>;

    void Take(Entry& slot, const K& key)
    {
        slot.Reset(key);
        m_index.SetValue(&slot);
    }

    // First empty slot, else the oldest (ties: fewer uses, then the lowest position).
    Entry* ChooseVictim()
    {
        uint32_t bestAge = 0;
        uint32_t bestUses = 0xFFFFFFFFu;
        Entry* best = &m_entries[0];
        for (int32_t i = 0; i < m_capacity; ++i) {
            Entry& slot = m_entries[i];
            if (slot.IsEmpty())
                return &slot;
            const uint32_t age = m_tick - slot.lastUse;
            if (age > bestAge || (age == bestAge && slot.useCount < bestUses)) {
                best = &slot;
                bestAge = age;
                bestUses = slot.useCount;
            }
        }
        return best;
    }

    static std::string ClassName()
    {
        return "KX::PurgableObjectCache<" + TemplateArgName<Obj>() + "," + TemplateArgName<Src>() + "," +
               TemplateArgName<K>() + ">";
    }

    int32_t m_capacity;
    uint32_t m_tick = 0;
    Entry* m_entries = nullptr;
    Index m_index;
};

} // namespace KX
