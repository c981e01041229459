// The retriggerable and the event-gated threader: runs, busy refusals, coalescing, stopping,
// and owners destroyed on the threader's own thread.
#include "ThreadTestSupport.h"
#include "kx/Event.h"
#include "kx/EventGatedThreader.h"
#include "kx/RetriggerableThreader.h"
#include "kx/Wrappers.h"
#include "platform/posix/Threads.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace {

constexpr uint32_t kLong = 10000;

// Work that records its runs and can be held inside Work until released.
class Recorder : public KX::LThreadWorker {
public:
    KX::KXRESULT Work(const KX::RCPtr<KX::LRefCountedObject>& params) override
    {
        entered.Set();
        if (hold.load())
            release.Wait(KX::INFINITE);
        auto holder = KX::RCPtr<KX::LHolder<int>>::DynamicCast(params);
        {
            std::lock_guard lock(mutex);
            seen.push_back(holder ? holder->Value() : -1);
        }
        runs.fetch_add(1);
        return result;
    }

    std::vector<int> Seen()
    {
        std::lock_guard lock(mutex);
        return seen;
    }

    std::atomic<int> runs{0};
    std::atomic<bool> hold{false};
    KX::Event entered{true};
    KX::Event release{false};
    KX::KXRESULT result = 5;

private:
    std::mutex mutex;
    std::vector<int> seen;
};

KX::RCPtr<KX::LRefCountedObject> Value(int v)
{
    KX::RCPtr<KX::LHolder<int>> holder = KX::LHolder<int>::Create();
    holder->Value() = v;
    return holder;
}

TEST(RetriggerableThreader, RunsTheWorkAndSignalsTheDoneEvent)
{
    KX::RetriggerableThreader threader(KX::WString(u"monitor"));
    EXPECT_TRUE(threader.ToString() == KX::WString(u"monitor"));
    EXPECT_FALSE(threader.IsBusy());
    KX::RCPtr<Recorder> worker(new Recorder);
    KX::RCPtr<KX::LEvent> done = KX::LEvent::Create(1);
    done->Set(); // stale: Trigger resets it
    ASSERT_EQ(threader.Trigger(worker, Value(11), done, KX::THREAD_PRIORITY_HIGHEST), KX::S_OK);
    EXPECT_EQ(threader.GetThread().GetPriority(), KX::THREAD_PRIORITY_HIGHEST);
    ASSERT_EQ(done->Wait(kLong), KX::WAIT_OBJECT_0);
    // busy is cleared before the done event is set
    EXPECT_FALSE(threader.IsBusy());
    EXPECT_EQ(threader.GetLastResult(), 5);
    EXPECT_EQ(worker->Seen(), std::vector<int>{11});
    // The threader let go of the worker and the parameters before the done event was set, and
    // lets go of the done event right after setting it.
    EXPECT_EQ(worker->GetRefCount(), 1);
    for (int i = 0; i < 10000 && done->GetRefCount() != 1; ++i)
        KX::Sleep(1);
    EXPECT_EQ(done->GetRefCount(), 1);
}

TEST(RetriggerableThreader, BusyThreaderRefusesTriggersAndKeepsItsWork)
{
    KX::RetriggerableThreader threader;
    KX::RCPtr<Recorder> first(new Recorder);
    KX::RCPtr<Recorder> other(new Recorder);
    first->hold.store(true);
    KX::RCPtr<KX::LEvent> done = KX::LEvent::Create(1);
    ASSERT_EQ(threader.Trigger(first, Value(1), done, 0), KX::S_OK);
    ASSERT_EQ(first->entered.Wait(kLong), KX::WAIT_OBJECT_0);
    // Triggers while the run is busy coalesce into nothing: refused, the running work untouched.
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(threader.Trigger(other, Value(100 + i), 0), KX::E_FAIL);
    EXPECT_TRUE(threader.IsBusy());
    EXPECT_EQ(other->GetRefCount(), 1);
    first->release.Set();
    ASSERT_EQ(done->Wait(kLong), KX::WAIT_OBJECT_0);
    EXPECT_EQ(first->Seen(), std::vector<int>{1});
    // After the run ends the next trigger is taken.
    KX::RCPtr<KX::LEvent> done2 = KX::LEvent::Create(1);
    ASSERT_EQ(threader.Trigger(other, Value(2), done2, 0), KX::S_OK);
    ASSERT_EQ(done2->Wait(kLong), KX::WAIT_OBJECT_0);
    EXPECT_EQ(other->Seen(), std::vector<int>{2});
    EXPECT_EQ(first->runs.load() + other->runs.load(), 2);
}

TEST(RetriggerableThreader, TriggersFromSeveralThreadsRunOneAtATime)
{
    KX::RetriggerableThreader threader;
    KX::RCPtr<Recorder> worker(new Recorder);
    std::atomic<int> accepted{0};
    std::vector<std::thread> callers;
    for (int t = 0; t < 4; ++t) {
        callers.emplace_back([&, t] {
            for (int i = 0; i < 200; ++i) {
                if (threader.Trigger(worker, Value(t), 0) == KX::S_OK)
                    accepted.fetch_add(1);
                std::this_thread::yield();
            }
        });
    }
    for (auto& c : callers)
        c.join();
    for (int i = 0; i < 10000 && threader.IsBusy(); ++i)
        KX::Sleep(1);
    EXPECT_FALSE(threader.IsBusy());
    EXPECT_GE(accepted.load(), 1);
    EXPECT_EQ(worker->runs.load(), accepted.load());
}

TEST(RetriggerableThreader, StoppedThreaderRefusesEveryTrigger)
{
    KX::RetriggerableThreader threader;
    KX::RCPtr<Recorder> worker(new Recorder);
    EXPECT_TRUE(threader.Stop(kLong));
    EXPECT_TRUE(threader.IsStopping());
    EXPECT_TRUE(threader.GetThread().IsFinished());
    EXPECT_EQ(threader.Trigger(worker, Value(1), 0), KX::E_FAIL);
    EXPECT_EQ(worker->runs.load(), 0);
    EXPECT_FALSE(threader.IsBusy());
}

TEST(RetriggerableThreader, DestructionWaitsForTheRunningWork)
{
    KX::RCPtr<Recorder> worker(new Recorder);
    worker->hold.store(true);
    std::atomic<bool> destroyed{false};
    std::thread owner;
    {
        auto threader = std::make_unique<KX::RetriggerableThreader>();
        ASSERT_EQ(threader->Trigger(worker, Value(3), 0), KX::S_OK);
        ASSERT_EQ(worker->entered.Wait(kLong), KX::WAIT_OBJECT_0);
        owner = std::thread([&, t = threader.release()] {
            delete t;
            destroyed.store(true);
        });
    }
    KX::Sleep(20);
    EXPECT_FALSE(destroyed.load()); // still waiting for the run
    worker->release.Set();
    owner.join();
    EXPECT_TRUE(destroyed.load());
    EXPECT_EQ(worker->runs.load(), 1);
    EXPECT_EQ(worker->GetRefCount(), 1);
}

// An owner whose last reference goes on its own threader's thread.
class SelfOwner : public KX::LThreadWorker {
public:
    ~SelfOwner() override { destroyedOn.store(KX::GetCurrentThreadId()); }
    KX::KXRESULT Work(const KX::RCPtr<KX::LRefCountedObject>&) override
    {
        ranOn.store(KX::GetCurrentThreadId());
        go.Wait(KX::INFINITE);
        return KX::S_OK;
    }
    KX::RetriggerableThreader threader;
    KX::Event go{false};
    static std::atomic<uint32_t> destroyedOn;
    static std::atomic<uint32_t> ranOn;
};
std::atomic<uint32_t> SelfOwner::destroyedOn{0};
std::atomic<uint32_t> SelfOwner::ranOn{0};

TEST(RetriggerableThreader, OwnerReleasedOnItsOwnThreadIsNotSelfJoined)
{
    const uint32_t threads = platform::posix::CountThreadObjects();
    SelfOwner::destroyedOn.store(0);
    KX::RCPtr<KX::LEvent> done = KX::LEvent::Create(1);
    {
        KX::RCPtr<SelfOwner> owner(new SelfOwner);
        SelfOwner* raw = owner.Get();
        ASSERT_EQ(owner->threader.Trigger(owner, nullptr, done, 0), KX::S_OK);
        // The run holds the last reference once this one goes.
        owner = nullptr;
        raw->go.Set();
    }
    // The destructor runs on the threader's thread: it must neither wait for itself nor let the
    // rest of the run touch freed storage (the done event is still set afterwards).
    ASSERT_EQ(done->Wait(kLong), KX::WAIT_OBJECT_0);
    for (int i = 0; i < 10000 && SelfOwner::destroyedOn.load() == 0; ++i)
        KX::Sleep(1);
    EXPECT_NE(SelfOwner::destroyedOn.load(), 0u);
    EXPECT_EQ(SelfOwner::destroyedOn.load(), SelfOwner::ranOn.load());
    // The thread ends by itself and is joined: nothing is left running.
    EXPECT_TRUE(kxtest::WaitForThreadsBack(threads));
}

TEST(EventGatedThreader, RunsOncePerWakeAndCoalescesSetsWhileBusy)
{
    KX::RCPtr<KX::LEvent> gate = KX::LEvent::Create(1);
    KX::RCPtr<Recorder> worker(new Recorder);
    worker->hold.store(true);
    KX::RCPtr<KX::LEventGatedThreader> threader =
        KX::LEventGatedThreader::Create(gate, worker, Value(9), KX::THREAD_PRIORITY_NORMAL);
    bool boostDisabled = false;
    ASSERT_TRUE(platform::posix::GetThreadPriorityBoostDisabled(threader->GetThread().GetHandle(), &boostDisabled));
    EXPECT_TRUE(boostDisabled);
    EXPECT_EQ(worker->runs.load(), 0);

    gate->Set();
    ASSERT_EQ(worker->entered.Wait(kLong), KX::WAIT_OBJECT_0);
    // Ten sets while the worker is busy make one further run, not ten.
    for (int i = 0; i < 10; ++i)
        gate->Set();
    worker->release.Set();
    ASSERT_EQ(worker->entered.Wait(kLong), KX::WAIT_OBJECT_0);
    for (int i = 0; i < 10000 && worker->runs.load() < 2; ++i)
        KX::Sleep(1);
    KX::Sleep(30);
    EXPECT_EQ(worker->runs.load(), 2);
    EXPECT_EQ(worker->Seen(), (std::vector<int>{9, 9}));

    threader = nullptr; // stops and joins the thread
    EXPECT_EQ(worker->runs.load(), 2);
    EXPECT_EQ(worker->GetRefCount(), 1);
    EXPECT_EQ(gate->GetRefCount(), 1);
}

// The owner is the threader's parameter, as the device communication's delivery thread has it.
class GatedOwner : public KX::LThreadWorker {
public:
    KX::KXRESULT Work(const KX::RCPtr<KX::LRefCountedObject>&) override
    {
        // Drops the owner's threader from inside the run: the last reference to the threader.
        threader = nullptr;
        dropped.store(true);
        return KX::S_OK;
    }
    KX::RCPtr<KX::LEventGatedThreader> threader;
    std::atomic<bool> dropped{false};
};

TEST(EventGatedThreader, ThreaderReleasedFromItsOwnRunEndsCleanly)
{
    const uint32_t threads = platform::posix::CountThreadObjects();
    KX::RCPtr<KX::LEvent> gate = KX::LEvent::Create(1);
    KX::RCPtr<GatedOwner> owner(new GatedOwner);
    owner->threader = KX::LEventGatedThreader::Create(gate, owner, nullptr, 0);
    gate->Set();
    for (int i = 0; i < 10000 && !owner->dropped.load(); ++i)
        KX::Sleep(1);
    ASSERT_TRUE(owner->dropped.load());
    EXPECT_FALSE(owner->threader);
    // The thread ends on its own, lets go of the worker and is joined.
    EXPECT_TRUE(kxtest::WaitForThreadsBack(threads));
    EXPECT_EQ(owner->GetRefCount(), 1);
}

TEST(EventGatedThreader, WithoutAGateNoThreadRuns)
{
    KX::RCPtr<Recorder> worker(new Recorder);
    KX::RCPtr<KX::LEventGatedThreader> threader = KX::LEventGatedThreader::Create(nullptr, worker, nullptr, 0);
    EXPECT_FALSE(threader->GetThread().IsValid());
    threader = nullptr;
    EXPECT_EQ(worker->runs.load(), 0);
    EXPECT_EQ(worker->GetRefCount(), 1);
}

} // namespace
