// The lock of the reuse pool and of KX::Mutex under several threads.
#include "kx/Mutex.h"
#include "kx/ReusePool.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <cstring>
#include <set>
#include <thread>
#include <vector>

namespace {

struct Item {
    uint64_t owner;
    uint64_t serial;
    char pad[24];
};

constexpr int kThreads = 8;
constexpr int kRounds = 2000;
constexpr int kHeld = 16;

} // namespace

TEST(ReusePoolThreads, NothingLostOrDoubled)
{
    KX::ReuseAllocator<Item, 1> pool(true);
    std::atomic<int> corrupt{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&pool, &corrupt, t] {
            std::vector<Item*> held;
            uint64_t serial = 0;
            for (int round = 0; round < kRounds; ++round) {
                auto* item = static_cast<Item*>(pool.Allocate(sizeof(Item)));
                item->owner = static_cast<uint64_t>(t);
                item->serial = ++serial;
                held.push_back(item);
                // A foreign-size request now and then shares the pool's lock-free path.
                if (round % 7 == 0)
                    pool.Free(pool.Allocate(sizeof(Item) + 3));
                if (held.size() >= kHeld || round % 3 == 0) {
                    // A block handed to two threads at once would show another owner here.
                    Item* victim = held.front();
                    held.erase(held.begin());
                    if (victim->owner != static_cast<uint64_t>(t))
                        ++corrupt;
                    pool.Free(victim);
                }
            }
            for (Item* item : held) {
                if (item->owner != static_cast<uint64_t>(t))
                    ++corrupt;
                pool.Free(item);
            }
        });
    }
    for (auto& thread : threads)
        thread.join();

    EXPECT_EQ(corrupt.load(), 0);
    const uint32_t blocks = pool.GetBlockCount();
    EXPECT_LE(blocks, static_cast<uint32_t>(kThreads * kHeld));
    ASSERT_EQ(pool.GetFreeCount(), blocks);

    // Every block is on the free list exactly once: taking them all back gives distinct
    // addresses and makes no new block.
    std::set<void*> seen;
    for (uint32_t i = 0; i < blocks; ++i)
        EXPECT_TRUE(seen.insert(pool.Allocate(sizeof(Item))).second);
    EXPECT_EQ(pool.GetBlockCount(), blocks);
    EXPECT_EQ(pool.GetFreeCount(), 0u);
    for (void* p : seen)
        pool.Free(p);
}

TEST(MutexThreads, RecursiveAndExclusive)
{
    KX::Mutex mutex;
    int64_t counter = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 10000; ++i) {
                KX::MutexLock outer(mutex);
                KX::MutexLock inner(&mutex); // the holder may take it again
                ++counter;
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(counter, 40000);

    KX::MutexLock none(nullptr); // no lock at all
}
