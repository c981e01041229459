#include "kx/RCPtrQueue.h"

#include "QueueSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

using queuetest::Item;

namespace {

constexpr int32_t kProducers = 4;
constexpr int32_t kPerProducer = 5000;

// Item ids carry the producer in the high part and its sequence number in the low part.
int32_t IdOf(int32_t producer, int32_t seq)
{
    return producer * 1000000 + seq;
}

} // namespace

// Several producers and one consumer under the supplied lock: every item arrives exactly once,
// each producer's items in the order it put them, and every item is released exactly once.
TEST(RCPtrQueueThreads, ProducersAndOneConsumerLoseAndDoubleNothing)
{
    KX::Mutex lock;
    std::atomic<int32_t> destroyed{0};
    std::atomic<int32_t> producersDone{0};
    std::vector<int32_t> nextSeq(kProducers, 0);
    int32_t received = 0;
    bool orderOk = true;
    {
        // Small initial ring, so the ring grows while producers and the consumer race.
        KX::RCPtrQueue<Item, 4> q(&lock, 4);

        std::vector<std::thread> producers;
        for (int32_t p = 0; p < kProducers; ++p) {
            producers.emplace_back([&, p] {
                for (int32_t s = 0; s < kPerProducer; ++s)
                    q.Enqueue(queuetest::MakeItem(IdOf(p, s), &destroyed));
                producersDone.fetch_add(1);
            });
        }

        std::thread consumer([&] {
            for (;;) {
                const bool finished = producersDone.load() == kProducers;
                // Drain as the delivery thread does: while anything is queued.
                while (q.GetCount() != 0) {
                    KX::RCPtr<Item> item = q.Dequeue();
                    ASSERT_TRUE(item);
                    const int32_t p = item->id / 1000000;
                    const int32_t s = item->id % 1000000;
                    ASSERT_GE(p, 0);
                    ASSERT_LT(p, kProducers);
                    if (s != nextSeq[p])
                        orderOk = false;
                    nextSeq[p] = s + 1;
                    ++received;
                }
                if (finished)
                    break;
                std::this_thread::yield();
            }
        });

        for (auto& t : producers)
            t.join();
        consumer.join();
        EXPECT_EQ(q.GetCount(), 0u);
    }
    EXPECT_TRUE(orderOk);
    EXPECT_EQ(received, kProducers * kPerProducer);
    for (int32_t p = 0; p < kProducers; ++p)
        EXPECT_EQ(nextSeq[p], kPerProducer) << "producer " << p;
    EXPECT_EQ(destroyed.load(), kProducers * kPerProducer);
}

// Items still queued when the queue goes are released once, on the destroying thread.
TEST(RCPtrQueueThreads, DestructionReleasesWhatProducersLeft)
{
    KX::Mutex lock;
    std::atomic<int32_t> destroyed{0};
    {
        KX::RCPtrQueue<Item, 256> q(&lock, 256);
        std::vector<std::thread> producers;
        for (int32_t p = 0; p < kProducers; ++p)
            producers.emplace_back([&, p] {
                for (int32_t s = 0; s < 500; ++s)
                    q.Enqueue(queuetest::MakeItem(IdOf(p, s), &destroyed));
            });
        for (auto& t : producers)
            t.join();
        EXPECT_EQ(q.GetCount(), static_cast<uint32_t>(kProducers * 500));
        EXPECT_EQ(destroyed.load(), 0);
    }
    EXPECT_EQ(destroyed.load(), kProducers * 500);
}
