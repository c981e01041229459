#pragma once
// OpenGL display lists and the purging caches the OpenGL renderer keeps them (and its bitmap
// textures) in.
#include "kx/KXResult.h"
#include "kx/PurgableObjectCache.h"
#include "kx/RefCountedObject.h"

#include <GL/gl.h>

#include <cstdint>

namespace KX {

// A run of display lists, generated at the first compilation and deleted with the object.
// Needs the owning OpenGL context current for every operation, the destructor included.
class LGLDisplayList : public virtual LRefCountedObject {
public:
    static constexpr GLuint kNoList = 0xFFFFFFFFu;

    explicit LGLDisplayList(int32_t count = 1) noexcept : m_count(count) {}

    // Starts compiling list index (glNewList, compile only); E_FAIL when the lists cannot be
    // had, E_INVALIDARG for an index outside the run. End the list with glEndList.
    KXRESULT Begin(int32_t index);
    // Calls lists from .. from + count - 1: E_FAIL without valid lists or as soon as one is not
    // a list, E_INVALIDARG when the range leaves the run.
    KXRESULT Call(int32_t from, int32_t count) const;

    GLuint GetFirst() const noexcept { return m_first; }
    int32_t GetCount() const noexcept { return m_count; }

    // The process-wide empty run (count 0) that stands for "no list".
    static const ConstRCPtr<LGLDisplayList>& GetEmpty();

protected:
    ~LGLDisplayList() override;

private:
    GLuint m_first = kNoList;
    int32_t m_count;
};

namespace Detail {
template <class K>
K GLCacheKeyOf(const K& key)
{
    return key;
}
} // namespace Detail

// A purging cache of the OpenGL renderer: the foundation's cache plus the purge, the removal of
// one key's object and readers for diagnostics.
template <class Obj, class K, uint32_t (*HashFn)(const K&)>
class LGLObjectCache : public PurgableObjectCache<Obj, K, K, &Detail::GLCacheKeyOf<K>, 8, HashFn> {
    using Base = PurgableObjectCache<Obj, K, K, &Detail::GLCacheKeyOf<K>, 8, HashFn>;

public:
    explicit LGLObjectCache(int32_t capacity) : Base(capacity) {}

    // Releases the object of every entry not looked up since the previous purge, then
    // remembers the clock.
    void Purge()
    {
        for (int32_t i = 0; i < this->m_capacity; ++i) {
            auto& entry = this->m_entries[i];
            if (entry.object && entry.lastUse <= m_lastPurgeClock) {
                entry.object = nullptr;
                entry.useCount = 0;
                entry.lastUse = 0;
            }
        }
        m_lastPurgeClock = this->m_tick;
    }

    // Releases the key's object; the entry stays, free for reuse. False when the key is absent.
    bool Drop(const K& key)
    {
        auto* entry = this->m_index.Find(key, nullptr);
        if (!entry)
            return false;
        entry->object = nullptr;
        entry->useCount = 0;
        entry->lastUse = 0;
        return true;
    }

    // The key's object without counting a look-up; null when absent.
    Obj* Peek(const K& key) const
    {
        auto* entry = this->m_index.Find(key, nullptr);
        return entry ? entry->object.Get() : nullptr;
    }

    // Entries holding an object.
    uint32_t CountObjects() const noexcept
    {
        uint32_t count = 0;
        for (int32_t i = 0; i < this->m_capacity; ++i)
            count += this->m_entries[i].object ? 1u : 0u;
        return count;
    }

    // Releases every object (entries keep their keys).
    void ReleaseAll()
    {
        for (int32_t i = 0; i < this->m_capacity; ++i)
            this->m_entries[i].object = nullptr;
    }

    uint32_t GetClock() const noexcept { return this->m_tick; }
    uint32_t GetLastPurgeClock() const noexcept { return m_lastPurgeClock; }
    int32_t GetCapacity() const noexcept { return this->m_capacity; }

private:
    uint32_t m_lastPurgeClock = 0;
};

namespace Detail {
inline uint32_t HashLowByte(const int32_t& key) noexcept
{
    return static_cast<uint32_t>(key) & 255u;
}
inline uint32_t HashLowByte64(const uint64_t& key) noexcept
{
    return static_cast<uint32_t>(key & 255u);
}
} // namespace Detail

// Display lists by shape handle; bitmap textures by the bitmap's texture key.
using LGLDisplayListCache = LGLObjectCache<LGLDisplayList, int32_t, &Detail::HashLowByte>;

} // namespace KX
