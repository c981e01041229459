#include "kx/RCPtrQueue.h"

#include "QueueSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <deque>
#include <random>
#include <thread>

using queuetest::Item;
using queuetest::MakeItem;

namespace {

using Queue256 = KX::RCPtrQueue<Item, 256>;
using Queue4 = KX::RCPtrQueue<Item, 4>;

template <class T, uint32_t N>
uint32_t SlotCount(KX::RCPtrQueue<T, N>& q)
{
    return static_cast<KX::RCPtrArray<T, N, N>&>(q).GetCount();
}

} // namespace

TEST(RCPtrQueue, GrowsByOneSlotWhenFullAndKeepsOrder)
{
    KX::Mutex lock;
    Queue256 q(&lock, 256);
    EXPECT_EQ(q.GetCount(), 0u);
    EXPECT_EQ(SlotCount(q), 256u);

    for (int32_t i = 0; i < 255; ++i)
        ASSERT_EQ(q.Enqueue(MakeItem(i)), KX::S_OK);
    EXPECT_EQ(q.GetCount(), 255u);
    EXPECT_EQ(SlotCount(q), 256u);

    ASSERT_EQ(q.Enqueue(MakeItem(255)), KX::S_OK);
    EXPECT_EQ(q.GetCount(), 256u);
    EXPECT_EQ(SlotCount(q), 257u);

    for (int32_t i = 0; i < 256; ++i)
        ASSERT_EQ(q.Dequeue()->id, i);
    EXPECT_EQ(q.GetCount(), 0u);
}

// Every start offset of the read position, so growth meets both the wrapped and the unwrapped ring.
TEST(RCPtrQueue, GrowthKeepsOrderFromEveryRingOffset)
{
    for (uint32_t offset = 0; offset < 4; ++offset) {
        Queue4 q(nullptr, 4);
        for (uint32_t k = 0; k < offset; ++k) {
            q.Enqueue(MakeItem(-1));
            q.Dequeue();
        }
        for (int32_t i = 0; i < 11; ++i)
            ASSERT_EQ(q.Enqueue(MakeItem(i)), KX::S_OK);
        EXPECT_EQ(q.GetCount(), 11u) << "offset " << offset;
        EXPECT_EQ(SlotCount(q), 12u) << "offset " << offset;
        for (int32_t i = 0; i < 11; ++i)
            ASSERT_EQ(q.Dequeue()->id, i) << "offset " << offset;
        EXPECT_EQ(q.GetCount(), 0u);
    }
}

// Random interleavings against a plain deque, with and without a lock.
TEST(RCPtrQueue, MatchesADequeUnderRandomUse)
{
    for (bool locked : {false, true}) {
        KX::Mutex lock;
        Queue4 q(locked ? &lock : nullptr, 4);
        std::deque<int32_t> model;
        std::mt19937 rng(1234);
        int32_t next = 0;
        for (int step = 0; step < 20000; ++step) {
            // Bias toward putting in the first half, toward taking out in the second.
            const bool put = (rng() % 100) < (step < 10000 ? 60u : 40u);
            if (put) {
                ASSERT_EQ(q.Enqueue(MakeItem(next)), KX::S_OK);
                model.push_back(next++);
            } else if (!model.empty()) {
                ASSERT_EQ(q.Dequeue()->id, model.front());
                model.pop_front();
            } else {
                EXPECT_THROW(q.Dequeue(), std::runtime_error);
            }
            ASSERT_EQ(q.GetCount(), model.size());
            ASSERT_LT(q.GetCount(), SlotCount(q));
        }
    }
}

TEST(RCPtrQueue, EmptyDequeueThrowsRuntimeErrorAndChangesNothing)
{
    Queue4 q(nullptr, 4);
    q.Enqueue(MakeItem(1));
    q.Dequeue();
    try {
        q.Dequeue();
        FAIL() << "no exception";
    } catch (const KX::ExceptionBase& e) {
        EXPECT_STREQ(e.GetMessageText(), "Runtime Error : KX::RCPtrQueue<class queuetest::Item,4>::Dequeue : "
                                         "kxframework/utilities/Storage/RCPtrQueue : Line 104");
        EXPECT_NE(dynamic_cast<const std::runtime_error*>(&e), nullptr);
    }
    EXPECT_EQ(q.GetCount(), 0u);
    EXPECT_EQ(SlotCount(q), 4u);
    q.Enqueue(MakeItem(2));
    q.Enqueue(MakeItem(3));
    EXPECT_EQ(q.Dequeue()->id, 2);
    EXPECT_EQ(q.Dequeue()->id, 3);
}

TEST(RCPtrQueue, EmptyDequeueReleasesTheLock)
{
    KX::Mutex lock;
    Queue4 q(&lock, 4);
    EXPECT_THROW(q.Dequeue(), std::runtime_error);

    std::atomic<bool> taken{false};
    std::thread other([&] {
        lock.Lock();
        taken = true;
        lock.Unlock();
    });
    for (int i = 0; i < 1000 && !taken; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    const bool wasTaken = taken;
    if (!wasTaken)
        lock.Unlock(); // still held by this thread: let the other one finish
    other.join();
    EXPECT_TRUE(wasTaken) << "the lock stayed held after the throw";
}

TEST(RCPtrQueue, DequeueMovesTheQueuesReferenceOut)
{
    std::atomic<int32_t> destroyed{0};
    Queue4 q(nullptr, 4);
    q.Enqueue(MakeItem(7, &destroyed));
    KX::RCPtr<Item> item = q.Dequeue();
    EXPECT_EQ(item->GetRefCount(), 1);
    KX::RCPtrArray<Item, 4, 4>& slots = q;
    EXPECT_EQ(slots.GetData()[0].Get(), nullptr);
    item = nullptr;
    EXPECT_EQ(destroyed.load(), 1);
}

TEST(RCPtrQueue, HoldsReferencesUntilDequeuedOrDestroyed)
{
    std::atomic<int32_t> destroyed{0};
    KX::RCPtr<Item> kept = MakeItem(1, &destroyed);
    {
        Queue4 q(nullptr, 4);
        q.Enqueue(kept);
        q.Enqueue(kept); // the same object twice: two references
        EXPECT_EQ(kept->GetRefCount(), 3);
        for (int32_t i = 0; i < 6; ++i)
            q.Enqueue(MakeItem(10 + i, &destroyed));
        q.Dequeue();
        EXPECT_EQ(kept->GetRefCount(), 2);
        EXPECT_EQ(destroyed.load(), 0);
    }
    EXPECT_EQ(destroyed.load(), 6);
    EXPECT_EQ(kept->GetRefCount(), 1);
}

TEST(RCPtrQueue, NullItemsAndAnEmptyRing)
{
    Queue4 q(nullptr, 0);
    EXPECT_EQ(q.GetCount(), 0u);
    EXPECT_THROW(q.Dequeue(), std::runtime_error);
    ASSERT_EQ(q.Enqueue(KX::RCPtr<Item>()), KX::S_OK);
    EXPECT_EQ(SlotCount(q), 2u);
    ASSERT_EQ(q.Enqueue(MakeItem(5)), KX::S_OK);
    EXPECT_EQ(q.GetCount(), 2u);
    EXPECT_EQ(q.Dequeue().Get(), nullptr);
    EXPECT_EQ(q.Dequeue()->id, 5);
}
