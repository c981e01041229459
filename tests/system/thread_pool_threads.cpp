// The thread pool: priority order, order kept with one worker, parallel workers, stopping,
// and a pool released on one of its own threads.
#include "ThreadTestSupport.h"
#include "kx/Event.h"
#include "kx/ThreadPool.h"
#include "kx/Wrappers.h"
#include "platform/posix/Threads.h"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

namespace {

constexpr uint32_t kLong = 10000;

// Records the order of runs; a run with the blocking value waits until released.
class OrderWorker : public KX::LThreadWorker {
public:
    static constexpr int kBlock = -1;

    KX::KXRESULT Work(const KX::RCPtr<KX::LRefCountedObject>& params) override
    {
        auto holder = KX::RCPtr<KX::LHolder<int>>::DynamicCast(params);
        const int value = holder ? holder->Value() : -2;
        if (value == kBlock) {
            blocking.Set();
            release.Wait(KX::INFINITE);
        }
        std::lock_guard lock(mutex);
        order.push_back(value);
        return KX::S_OK;
    }

    std::vector<int> Order()
    {
        std::lock_guard lock(mutex);
        return order;
    }

    size_t Count()
    {
        std::lock_guard lock(mutex);
        return order.size();
    }

    KX::Event blocking{true};
    KX::Event release{false};

private:
    std::mutex mutex;
    std::vector<int> order;
};

KX::RCPtr<KX::LRefCountedObject> Value(int v)
{
    KX::RCPtr<KX::LHolder<int>> holder = KX::LHolder<int>::Create();
    holder->Value() = v;
    return holder;
}

bool WaitForCount(OrderWorker& worker, size_t count)
{
    for (int i = 0; i < 10000; ++i) {
        if (worker.Count() >= count)
            return true;
        KX::Sleep(1);
    }
    return false;
}

TEST(ThreadPool, HigherPriorityRunsFirstAndEqualPrioritiesKeepTheirOrder)
{
    KX::RCPtr<KX::LThreadPool> pool = KX::LThreadPool::Create(1, KX::THREAD_PRIORITY_HIGHEST);
    KX::RCPtr<OrderWorker> worker(new OrderWorker);
    pool->QueueWork(worker, Value(OrderWorker::kBlock), 0);
    ASSERT_EQ(worker->blocking.Wait(kLong), KX::WAIT_OBJECT_0);

    pool->QueueWork(worker, Value(1), 0);
    pool->QueueWork(worker, Value(2), 0);
    pool->QueueWork(worker, Value(3), 2);
    EXPECT_EQ(pool->GetQueuedCount(), 3u);
    worker->release.Set();

    ASSERT_TRUE(WaitForCount(*worker, 4))
        << ::testing::PrintToString(worker->Order()) << " queued " << pool->GetQueuedCount();
    EXPECT_EQ(worker->Order(), (std::vector<int>{OrderWorker::kBlock, 3, 1, 2}));
    EXPECT_EQ(pool->GetQueuedCount(), 0u);
    // The queue threader ran at the pool's queue priority.
    EXPECT_EQ(pool->GetQueueThreader().GetThread().GetPriority(), KX::THREAD_PRIORITY_HIGHEST);
}

TEST(ThreadPool, QueuedWorkRunsByPriorityThenInTheOrderOffered)
{
    KX::RCPtr<KX::LThreadPool> pool = KX::LThreadPool::Create(1, KX::THREAD_PRIORITY_HIGHEST);
    KX::RCPtr<OrderWorker> worker(new OrderWorker);
    pool->QueueWork(worker, Value(OrderWorker::kBlock), 0);
    ASSERT_EQ(worker->blocking.Wait(kLong), KX::WAIT_OBJECT_0);

    // Priorities interleaved; the value tells priority (hundreds) and offer order (units).
    const int priorities[] = {0, 2, -1, 1, 0, -2, 2, 1, 15, -1};
    std::vector<std::vector<int>> byPriority(32);
    int offered = 0;
    for (int round = 0; round < 30; ++round) {
        for (int p : priorities) {
            const int value = (p + 16) * 1000 + offered++;
            pool->QueueWork(worker, Value(value), p);
            byPriority[static_cast<size_t>(p + 16)].push_back(value);
        }
    }
    EXPECT_EQ(pool->GetQueuedCount(), static_cast<uint32_t>(offered));
    worker->release.Set();
    ASSERT_TRUE(WaitForCount(*worker, static_cast<size_t>(offered) + 1));

    std::vector<int> expected{OrderWorker::kBlock};
    for (size_t p = byPriority.size(); p > 0; --p)
        expected.insert(expected.end(), byPriority[p - 1].begin(), byPriority[p - 1].end());
    EXPECT_EQ(worker->Order(), expected);
    EXPECT_EQ(pool->GetQueuedCount(), 0u);
}

// Round after round of work queued behind a busy worker (the benchmark's pattern): each round's
// blocker is offered while the last round's final run may still be ending, so drains end and
// start back to back. Nothing queued is lost or left waiting with the worker idle.
TEST(ThreadPool, WorkQueuedBehindABusyWorkerRunsRoundAfterRound)
{
    KX::RCPtr<KX::LThreadPool> pool = KX::LThreadPool::Create(1, KX::THREAD_PRIORITY_HIGHEST);
    KX::RCPtr<OrderWorker> worker(new OrderWorker);
    constexpr int kRounds = 40;
    constexpr int kItems = 200;
    size_t expected = 0;
    for (int round = 0; round < kRounds; ++round) {
        worker->release.Reset();
        pool->QueueWork(worker, Value(OrderWorker::kBlock), 0);
        ASSERT_EQ(worker->blocking.Wait(kLong), KX::WAIT_OBJECT_0) << "round " << round;
        for (int i = 0; i < kItems; ++i)
            pool->QueueWork(worker, Value(i), (i & 15) == 0 ? 2 : 0);
        worker->release.Set();
        expected += kItems + 1;
        ASSERT_TRUE(WaitForCount(*worker, expected))
            << "round " << round << ": " << worker->Count() << " of " << expected << " ran, " << pool->GetQueuedCount()
            << " queued, worker busy " << pool->GetWorker(0).IsBusy();
    }
    EXPECT_EQ(worker->Count(), expected);
    EXPECT_EQ(pool->GetQueuedCount(), 0u);
}

TEST(ThreadPool, AskedForMoreWorkersThanAWaitTakesItCountsAndIndexesOnlyThoseMade)
{
    KX::RCPtr<KX::LThreadPool> pool = KX::LThreadPool::Create(100, 0);
    EXPECT_EQ(pool->GetWorkerCount(), 63);
    EXPECT_FALSE(pool->GetWorker(62).IsBusy());
    EXPECT_THROW(pool->GetWorker(63), std::out_of_range);
    EXPECT_THROW(pool->GetWorker(99), std::out_of_range);
    KX::RCPtr<KX::LThreadPool> none = KX::LThreadPool::Create(-5, 0);
    EXPECT_EQ(none->GetWorkerCount(), 0);
    EXPECT_THROW(none->GetWorker(0), std::out_of_range);
    pool->Stop();
    // Stopped: no worker counts any more, but the threaders made stay reachable.
    EXPECT_EQ(pool->GetWorkerCount(), 0);
    EXPECT_EQ(pool->GetWorker(62).Trigger(nullptr, nullptr, 0), KX::E_FAIL);
}

TEST(ThreadPool, OneWorkerRunsABurstInTheOrderOffered)
{
    KX::RCPtr<KX::LThreadPool> pool = KX::LThreadPool::Create(1, KX::THREAD_PRIORITY_HIGHEST);
    KX::RCPtr<OrderWorker> worker(new OrderWorker);
    constexpr int kItems = 300;
    // Offered from a second thread while the worker drains: new work never overtakes queued work.
    std::thread producer([&] {
        for (int i = 0; i < kItems; ++i) {
            pool->QueueWork(worker, Value(i), 0);
            if (i % 7 == 0)
                std::this_thread::yield();
        }
    });
    producer.join();
    ASSERT_TRUE(WaitForCount(*worker, kItems));
    std::vector<int> expected;
    for (int i = 0; i < kItems; ++i)
        expected.push_back(i);
    EXPECT_EQ(worker->Order(), expected);
}

TEST(ThreadPool, WorkItemsAreRecycled)
{
    KX::RCPtr<KX::LThreadPool> pool = KX::LThreadPool::Create(1, 0);
    KX::RCPtr<OrderWorker> worker(new OrderWorker);
    auto burst = [&](int base) {
        pool->QueueWork(worker, Value(OrderWorker::kBlock), 0);
        EXPECT_EQ(worker->blocking.Wait(kLong), KX::WAIT_OBJECT_0);
        for (int i = 0; i < 20; ++i)
            pool->QueueWork(worker, Value(base + i), 0);
        worker->release.Set();
        EXPECT_TRUE(WaitForCount(*worker, static_cast<size_t>(base + 21)));
        worker->release.Reset();
    };
    burst(0);
    const uint32_t blocks = KX::LThreadPool::LWorkerParams::GetAllocator().GetBlockCount();
    EXPECT_GE(blocks, 20u);
    burst(21);
    // The second burst took its items from the storage the first one gave back.
    EXPECT_EQ(KX::LThreadPool::LWorkerParams::GetAllocator().GetBlockCount(), blocks);
}

// Work that waits until all of its siblings have started: proves the workers run in parallel.
class MeetingWorker : public KX::LThreadWorker {
public:
    explicit MeetingWorker(int expected) : m_expected(expected) {}
    KX::KXRESULT Work(const KX::RCPtr<KX::LRefCountedObject>&) override
    {
        arrived.fetch_add(1);
        for (int i = 0; i < 10000 && arrived.load() < m_expected; ++i)
            KX::Sleep(1);
        if (arrived.load() >= m_expected)
            met.fetch_add(1);
        finished.fetch_add(1);
        return KX::S_OK;
    }
    std::atomic<int> arrived{0};
    std::atomic<int> met{0};
    std::atomic<int> finished{0};

private:
    const int m_expected;
};

TEST(ThreadPool, SeveralWorkersRunAtTheSameTime)
{
    KX::RCPtr<KX::LThreadPool> pool = KX::LThreadPool::Create(3, 0);
    EXPECT_EQ(pool->GetWorkerCount(), 3);
    KX::RCPtr<MeetingWorker> worker(new MeetingWorker(3));
    for (int i = 0; i < 3; ++i)
        pool->QueueWork(worker, nullptr, 0);
    for (int i = 0; i < 20000 && worker->finished.load() < 3; ++i)
        KX::Sleep(1);
    EXPECT_EQ(worker->met.load(), 3);
    // Each worker thread is named after the work it took.
    EXPECT_FALSE(pool->GetWorker(0).ToString().IsEmpty());
}

TEST(ThreadPool, StoppedPoolDropsWorkAndItsThreadersRefuseTriggers)
{
    KX::RCPtr<KX::LThreadPool> pool = KX::LThreadPool::Create(2, 0);
    KX::RCPtr<OrderWorker> worker(new OrderWorker);
    pool->Stop();
    EXPECT_EQ(pool->GetWorkerCount(), 0);
    pool->QueueWork(worker, Value(1), 0);
    EXPECT_EQ(pool->GetQueuedCount(), 0u);
    EXPECT_EQ(pool->GetWorker(0).Trigger(worker, Value(2), 0), KX::E_FAIL);
    EXPECT_EQ(pool->GetWorker(1).Trigger(worker, Value(3), 0), KX::E_FAIL);
    EXPECT_EQ(pool->GetQueueThreader().Trigger(worker, Value(4), 0), KX::E_FAIL);
    KX::Sleep(10);
    EXPECT_EQ(worker->Count(), 0u);
    EXPECT_EQ(worker->GetRefCount(), 1);
}

TEST(ThreadPool, StopDropsQueuedWorkAndWaitsForTheRunningWork)
{
    KX::RCPtr<OrderWorker> worker(new OrderWorker);
    KX::RCPtr<KX::LThreadPool> pool = KX::LThreadPool::Create(1, 2);
    pool->QueueWork(worker, Value(OrderWorker::kBlock), 0);
    ASSERT_EQ(worker->blocking.Wait(kLong), KX::WAIT_OBJECT_0);
    pool->QueueWork(worker, Value(1), 0);
    pool->QueueWork(worker, Value(2), 0);
    std::thread releaser([&] {
        KX::Sleep(20);
        worker->release.Set();
    });
    pool->Stop(); // drops the queue, wakes the drain, waits for the running work
    releaser.join();
    EXPECT_EQ(worker->Order(), std::vector<int>{OrderWorker::kBlock});
    EXPECT_EQ(pool->GetQueuedCount(), 0u);
    pool = nullptr;
    EXPECT_EQ(worker->GetRefCount(), 1);
}

TEST(ThreadPool, ReleasedPoolFinishesItsQueueThenEndsOnItsOwnThread)
{
    const uint32_t threads = platform::posix::CountThreadObjects();
    KX::RCPtr<OrderWorker> worker(new OrderWorker);
    KX::RCPtr<KX::LThreadPool> pool = KX::LThreadPool::Create(1, 2);
    pool->QueueWork(worker, Value(OrderWorker::kBlock), 0);
    ASSERT_EQ(worker->blocking.Wait(kLong), KX::WAIT_OBJECT_0);
    pool->QueueWork(worker, Value(1), 0);
    pool->QueueWork(worker, Value(2), 0);
    // The running drain holds the pool, so the queue is still drained; the drain's thread then
    // drops the last reference, and the pool stops without waiting for that very thread. Work
    // handed to the worker as the pool stops may be dropped.
    pool = nullptr;
    worker->release.Set();
    // Every thread of the pool ends and is joined.
    ASSERT_TRUE(kxtest::WaitForThreadsBack(threads));
    EXPECT_EQ(worker->GetRefCount(), 1);
    const std::vector<int> order = worker->Order();
    ASSERT_GE(order.size(), 2u);
    EXPECT_EQ(order[0], OrderWorker::kBlock);
    EXPECT_EQ(order[1], 1);
    if (order.size() > 2) {
        EXPECT_EQ(order[2], 2);
    }
}

// Work that owns the pool it runs on, like the MIDI port object: its last release may come
// on the pool's own worker thread.
class PoolOwner : public KX::LThreadWorker {
public:
    PoolOwner() : pool(KX::LThreadPool::Create(1, KX::THREAD_PRIORITY_HIGHEST)) {}
    ~PoolOwner() override { destroyedOn.store(KX::GetCurrentThreadId()); }
    KX::KXRESULT Work(const KX::RCPtr<KX::LRefCountedObject>&) override
    {
        ranOn.store(KX::GetCurrentThreadId());
        go.Wait(KX::INFINITE);
        return KX::S_OK;
    }
    KX::RCPtr<KX::LThreadPool> pool;
    KX::Event go{false};
    static std::atomic<uint32_t> destroyedOn;
    static std::atomic<uint32_t> ranOn;
};
std::atomic<uint32_t> PoolOwner::destroyedOn{0};
std::atomic<uint32_t> PoolOwner::ranOn{0};

TEST(ThreadPool, PoolReleasedOnItsOwnWorkerDoesNotJoinThatWorker)
{
    const uint32_t threads = platform::posix::CountThreadObjects();
    PoolOwner::destroyedOn.store(0);
    PoolOwner::ranOn.store(0);
    {
        KX::RCPtr<PoolOwner> owner(new PoolOwner);
        PoolOwner* raw = owner.Get();
        owner->pool->QueueWork(owner, nullptr, 0);
        for (int i = 0; i < 10000 && PoolOwner::ranOn.load() == 0; ++i)
            KX::Sleep(1);
        owner = nullptr; // the running work now holds the last reference
        raw->go.Set();
    }
    for (int i = 0; i < 10000 && PoolOwner::destroyedOn.load() == 0; ++i)
        KX::Sleep(1);
    ASSERT_NE(PoolOwner::destroyedOn.load(), 0u);
    EXPECT_EQ(PoolOwner::destroyedOn.load(), PoolOwner::ranOn.load());
    EXPECT_TRUE(kxtest::WaitForThreadsBack(threads));
}

} // namespace
