// Threads created suspended, timed joins, cross-thread events and the never-abandon rule.
#include "ThreadTestSupport.h"
#include "kx/Event.h"
#include "kx/EventPool.h"
#include "kx/Thread.h"
#include "platform/posix/Threads.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

constexpr uint32_t kLong = 10000; // generous: only ever reached when something is broken

struct Probe {
    std::atomic<int> runs{0};
    std::atomic<uint32_t> id{0};
    KX::Event release{false};
};

uint32_t CountRun(void* context)
{
    auto* probe = static_cast<Probe*>(context);
    probe->id.store(KX::GetCurrentThreadId());
    probe->runs.fetch_add(1);
    return 7;
}

uint32_t RunUntilReleased(void* context)
{
    auto* probe = static_cast<Probe*>(context);
    probe->runs.fetch_add(1);
    probe->release.Wait(KX::INFINITE);
    return 0;
}

TEST(ThreadBasics, StartsSuspendedAndRunsOnlyOnceResumed)
{
    Probe probe;
    KX::Thread thread(&CountRun, &probe);
    ASSERT_TRUE(thread.IsValid());
    EXPECT_FALSE(thread.WaitForExit(50));
    EXPECT_EQ(probe.runs.load(), 0);
    EXPECT_EQ(thread.Resume(), 1u);
    ASSERT_TRUE(thread.WaitForExit(kLong));
    EXPECT_TRUE(thread.IsFinished());
    EXPECT_EQ(probe.runs.load(), 1);
    EXPECT_EQ(probe.id.load(), thread.GetId());
    EXPECT_NE(thread.GetId(), KX::GetCurrentThreadId());
    uint32_t code = 0;
    EXPECT_TRUE(platform::posix::GetThreadExitCode(thread.GetHandle(), &code));
    EXPECT_EQ(code, 7u);
}

TEST(ThreadBasics, NeverResumedThreadDoesNotRunWhenClosed)
{
    const uint32_t threads = platform::posix::CountThreadObjects();
    Probe probe;
    {
        KX::Thread thread(&CountRun, &probe);
        ASSERT_TRUE(thread.IsValid());
    }
    EXPECT_TRUE(kxtest::WaitForThreadsBack(threads));
    EXPECT_EQ(probe.runs.load(), 0);
}

TEST(ThreadBasics, AThreadMadeRunningRunsEvenWhenClosedBeforeItIsScheduled)
{
    const uint32_t threads = platform::posix::CountThreadObjects();
    Probe probe;
    constexpr int kThreads = 100;
    // Closed at once: most are closed before their thread has been scheduled.
    for (int i = 0; i < kThreads; ++i)
        platform::posix::CloseThreadHandle(platform::posix::CreateThreadObject(&CountRun, &probe, false, nullptr));
    EXPECT_TRUE(kxtest::WaitForThreadsBack(threads));
    EXPECT_EQ(probe.runs.load(), kThreads);
}

TEST(ThreadBasics, PrioritiesAreKeptAsValues)
{
    Probe probe;
    KX::Thread thread(&CountRun, &probe);
    EXPECT_EQ(thread.GetPriority(), KX::THREAD_PRIORITY_NORMAL);
    EXPECT_TRUE(thread.SetPriority(KX::THREAD_PRIORITY_HIGHEST));
    EXPECT_EQ(thread.GetPriority(), 2);
    EXPECT_FALSE(thread.SetPriority(3)); // not a scheduler value
    EXPECT_EQ(thread.GetPriority(), 2);
    EXPECT_TRUE(thread.SetPriorityBoost(false));
    bool disabled = false;
    EXPECT_TRUE(platform::posix::GetThreadPriorityBoostDisabled(thread.GetHandle(), &disabled));
    EXPECT_TRUE(disabled);
    thread.Resume();
    EXPECT_TRUE(thread.WaitForExit(kLong));
}

struct SelfWait {
    KX::Thread* thread = nullptr;
    KX::Event ready{false};
    std::atomic<int> selfWait{-1};
    std::atomic<int> selfFinished{-1};
};

uint32_t WaitForSelf(void* context)
{
    auto* s = static_cast<SelfWait*>(context);
    s->ready.Wait(KX::INFINITE);
    // Would never return if the thread joined itself.
    s->selfWait.store(s->thread->WaitForExit(KX::INFINITE) ? 1 : 0);
    s->selfFinished.store(s->thread->IsFinished() ? 1 : 0);
    return 0;
}

TEST(ThreadBasics, ThreadNeverWaitsForItself)
{
    SelfWait s;
    KX::Thread thread(&WaitForSelf, &s);
    s.thread = &thread;
    EXPECT_TRUE(thread.IsCurrentThread() == false);
    thread.Resume();
    s.ready.Set();
    ASSERT_TRUE(thread.WaitForExit(kLong));
    EXPECT_EQ(s.selfWait.load(), 0);
    EXPECT_EQ(s.selfFinished.load(), 0);
}

TEST(ThreadBasics, ClosingARunningThreadDoesNotAbandonIt)
{
    const uint32_t threads = platform::posix::CountThreadObjects();
    Probe probe;
    {
        KX::Thread thread(&RunUntilReleased, &probe);
        thread.Resume();
        while (probe.runs.load() == 0)
            std::this_thread::yield();
        // The handle goes while the thread still runs.
    }
    EXPECT_GE(platform::posix::ReapClosedThreads(), 1u);
    probe.release.Set();
    // The reaper joins it once it has ended; nothing is left running on the probe.
    EXPECT_TRUE(kxtest::WaitForThreadsBack(threads));
}

struct Waiters {
    KX::Event* event = nullptr;
    std::atomic<int> woken{0};
};

uint32_t WaitOnce(void* context)
{
    auto* w = static_cast<Waiters*>(context);
    if (w->event->Wait(KX::INFINITE) == KX::WAIT_OBJECT_0)
        w->woken.fetch_add(1);
    return 0;
}

TEST(ThreadBasics, AutoResetSetReleasesOneWaiterManualResetReleasesAll)
{
    for (bool autoReset : {true, false}) {
        KX::Event event(autoReset);
        Waiters w;
        w.event = &event;
        KX::Thread a(&WaitOnce, &w);
        KX::Thread b(&WaitOnce, &w);
        a.Resume();
        b.Resume();
        while (event.GetWaiterCount() < 2)
            std::this_thread::yield();
        event.Set();
        if (autoReset) {
            // One waiter takes the signal; the other goes on waiting until the next set.
            while (w.woken.load() == 0)
                std::this_thread::yield();
            EXPECT_FALSE(a.IsFinished() && b.IsFinished());
            EXPECT_EQ(w.woken.load(), 1);
            event.Set();
        }
        ASSERT_TRUE(a.WaitForExit(kLong));
        ASSERT_TRUE(b.WaitForExit(kLong));
        EXPECT_EQ(w.woken.load(), 2);
    }
}

struct PoolWait {
    KX::EventPool* pool = nullptr;
    std::atomic<int> index{-2};
};

uint32_t WaitAnyOnce(void* context)
{
    auto* p = static_cast<PoolWait*>(context);
    p->index.store(p->pool->WaitAny(KX::INFINITE));
    return 0;
}

TEST(ThreadBasics, WaitAnyWakesForTheEventSetOnAnotherThread)
{
    KX::EventPool pool(3);
    PoolWait p;
    p.pool = &pool;
    KX::Thread thread(&WaitAnyOnce, &p);
    thread.Resume();
    while (pool.GetWaiterCount() == 0)
        std::this_thread::yield();
    pool.GetEvent(2)->Set();
    ASSERT_TRUE(thread.WaitForExit(kLong));
    EXPECT_EQ(p.index.load(), 2);
    EXPECT_EQ(pool.WaitAny(0), -1); // consumed
}

} // namespace
