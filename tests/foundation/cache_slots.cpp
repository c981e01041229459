#include "kx/PurgableObjectCache.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>

namespace cachetest {

class Built : public KX::LRefCountedObject {
public:
    Built(int key, std::atomic<int>* destroyed) : key(key), m_destroyed(destroyed) {}
    ~Built() override
    {
        if (m_destroyed)
            m_destroyed->fetch_add(1);
    }
    const int key;

private:
    std::atomic<int>* m_destroyed;
};

struct Source {
    int handle;
};
int HandleOf(const Source& s)
{
    return s.handle;
}

} // namespace cachetest

using cachetest::Built;

namespace {

using Cache = KX::PurgableObjectCache<Built, cachetest::Source, int, &cachetest::HandleOf, 8, &KX::GetBits<8, 4, int>>;

// Gives the tests the slots and the clock.
struct TestCache : Cache {
    using Cache::Cache;
    using Cache::m_entries;
    using Cache::m_tick;
};

// Keys far enough apart to land in different buckets, and some in the same one.
constexpr int K1 = 0x10, K2 = 0x20, K3 = 0x30, K4 = 0x1010;

// Looks key up and, as the renderers do, builds its object when the slot is empty.
// Returns true when the object had to be built.
bool Use(Cache& cache, int key, std::atomic<int>* destroyed = nullptr, bool invalidate = false)
{
    KX::RCPtr<Built>& slot = cache.GetSlot(key, invalidate);
    if (slot)
        return false;
    slot = KX::RCPtr<Built>(new Built(key, destroyed));
    return true;
}

int SlotKeyOf(TestCache& cache, int i)
{
    return cache.m_entries[i].key;
}

} // namespace

TEST(PurgableObjectCache, EvictsTheLeastRecentlyUsed)
{
    TestCache cache(2);
    EXPECT_TRUE(Use(cache, K1));
    EXPECT_TRUE(Use(cache, K2));
    EXPECT_FALSE(Use(cache, K1));
    EXPECT_TRUE(Use(cache, K3)); // K2 was used longer ago
    EXPECT_EQ(SlotKeyOf(cache, 0), K1);
    EXPECT_EQ(SlotKeyOf(cache, 1), K3);
    EXPECT_TRUE(Use(cache, K2)); // now K1 is the older one
    EXPECT_EQ(SlotKeyOf(cache, 0), K2);
    EXPECT_FALSE(Use(cache, K3));
    EXPECT_FALSE(Use(cache, K2));
}

TEST(PurgableObjectCache, TiesGoToFewerUsesThenToTheLowestPosition)
{
    TestCache cache(3);
    Use(cache, K1);
    Use(cache, K2);
    Use(cache, K3);
    // Same age for all three; slot 1 used least.
    for (int i = 0; i < 3; ++i)
        cache.m_entries[i].lastUse = 1;
    cache.m_entries[0].useCount = 5;
    cache.m_entries[1].useCount = 2;
    cache.m_entries[2].useCount = 3;
    Use(cache, K4);
    EXPECT_EQ(SlotKeyOf(cache, 1), K4);

    // Same age and same uses: the lowest position.
    for (int i = 0; i < 3; ++i) {
        cache.m_entries[i].lastUse = 7;
        cache.m_entries[i].useCount = 4;
    }
    Use(cache, 0x40);
    EXPECT_EQ(SlotKeyOf(cache, 0), 0x40);
    EXPECT_EQ(SlotKeyOf(cache, 1), K4);
    EXPECT_EQ(SlotKeyOf(cache, 2), K3);
}

TEST(PurgableObjectCache, InvalidateDropsTheObjectOfTheSameSlot)
{
    std::atomic<int> destroyed{0};
    TestCache cache(4);
    Use(cache, K1, &destroyed);
    Use(cache, K1, &destroyed);
    KX::RCPtr<Built>& first = cache.GetSlot(K1, false);
    KX::RCPtr<Built>& again = cache.GetSlot(K1, true);
    EXPECT_EQ(&first, &again);
    EXPECT_FALSE(again);
    EXPECT_EQ(destroyed.load(), 1);
    EXPECT_EQ(cache.m_entries[0].useCount, 1u);
    EXPECT_EQ(cache.m_entries[0].key, K1);
}

TEST(PurgableObjectCache, EmptySlotsOfAFullCacheAreReusedFirst)
{
    TestCache cache(3);
    Use(cache, K1);
    Use(cache, K2);
    Use(cache, K3);
    // The caller failed to rebuild K3's object: its slot stays empty although used last.
    cache.GetSlot(K3, true);
    EXPECT_TRUE(Use(cache, K4));
    EXPECT_EQ(SlotKeyOf(cache, 2), K4);
    EXPECT_FALSE(Use(cache, K1));
    EXPECT_FALSE(Use(cache, K2));
    EXPECT_TRUE(Use(cache, K3)); // evicted with its slot
}

TEST(PurgableObjectCache, AMissWhileNotFullNeverEvicts)
{
    TestCache cache(3);
    cache.GetSlot(K1, false); // taken but left empty
    EXPECT_TRUE(Use(cache, K2));
    EXPECT_TRUE(Use(cache, K3));
    EXPECT_EQ(SlotKeyOf(cache, 0), K1);
    EXPECT_EQ(SlotKeyOf(cache, 1), K2);
    EXPECT_EQ(SlotKeyOf(cache, 2), K3);
    EXPECT_TRUE(Use(cache, K1)); // still its own slot, now built
    EXPECT_EQ(SlotKeyOf(cache, 0), K1);
}

TEST(PurgableObjectCache, UseCountSaturatesAndAgesSurviveTheClockWrapping)
{
    TestCache cache(2);
    Use(cache, K1);
    cache.m_entries[0].useCount = 0xFFFFFFFEu;
    Use(cache, K1);
    Use(cache, K1);
    EXPECT_EQ(cache.m_entries[0].useCount, 0xFFFFFFFFu);

    TestCache wrapping(2);
    wrapping.m_tick = 0xFFFFFFFEu;
    Use(wrapping, K1); // lastUse 0xFFFFFFFF
    Use(wrapping, K2); // lastUse 0 after the wrap
    EXPECT_EQ(wrapping.m_entries[1].lastUse, 0u);
    Use(wrapping, K3); // K1 is older although its lastUse is larger
    EXPECT_EQ(SlotKeyOf(wrapping, 0), K3);
    EXPECT_EQ(SlotKeyOf(wrapping, 1), K2);
}

TEST(PurgableObjectCache, ReleasesObjectsOnReuseAndDestruction)
{
    std::atomic<int> destroyed{0};
    {
        Cache cache(2);
        Use(cache, K1, &destroyed);
        Use(cache, K2, &destroyed);
        Use(cache, K3, &destroyed);
        EXPECT_EQ(destroyed.load(), 1);
    }
    EXPECT_EQ(destroyed.load(), 3);
}

TEST(PurgableObjectCache, RefusesACapacityBelowOne)
{
    EXPECT_THROW(Cache(0), std::invalid_argument);
    EXPECT_THROW(Cache(-3), std::invalid_argument);
}
