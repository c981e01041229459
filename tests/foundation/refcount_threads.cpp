// Reference counts changed from several threads at once.
#include "kx/RefCountedObject.h"

#include <gtest/gtest.h>

#include <atomic>
#include <barrier>
#include <thread>
#include <vector>

namespace {

struct Shared : public virtual KX::LRefCountedObject {
    explicit Shared(std::atomic<int>* deletions) : deletions(deletions) {}
    ~Shared() override { ++*deletions; }
    std::atomic<int>* deletions;
};

class CycleOwner;

struct BackRef : public virtual KX::LRefCountedObject {
    KX::RCPtr<CycleOwner> owner;
};

// Owns one part that points back at it.
class CycleOwner : public virtual KX::LRefCountedObject {
public:
    CycleOwner(std::atomic<int>* calls, std::atomic<int>* deletions) : calls(calls), deletions(deletions) {}
    ~CycleOwner() override { ++*deletions; }

    void Wire()
    {
        part = KX::RCPtr<BackRef>(new BackRef);
        part->owner = this;
        AddToRefCount(1);
    }

    KX::KXRESULT ReleaseInternalReferences() override
    {
        ++*calls;
        if (part) {
            part = nullptr;
            AddToRefCount(-1);
        }
        return KX::S_OK;
    }

    KX::RCPtr<BackRef> part;
    std::atomic<int>* calls;
    std::atomic<int>* deletions;
};

} // namespace

TEST(RefCountThreads, CopiesOnManyThreadsBalance)
{
    std::atomic<int> deletions{0};
    KX::RCPtr<Shared> shared(new Shared(&deletions));
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t) {
        threads.emplace_back([shared] {
            for (int i = 0; i < 20000; ++i) {
                KX::RCPtr<Shared> copy(shared);
                KX::ConstRCPtr<KX::LRefCountedObject> handle(copy);
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(shared->GetRefCount(), 1);
    shared = nullptr;
    EXPECT_EQ(deletions.load(), 1);
}

TEST(RefCountThreads, InternalCountAdjustmentsAreNotLost)
{
    std::atomic<int> deletions{0};
    KX::RCPtr<Shared> shared(new Shared(&deletions));
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t) {
        threads.emplace_back([&shared, t] {
            for (int i = 0; i < 20000; ++i)
                shared->AddToRefCount(t % 2 == 0 ? 2 : -1);
        });
    }
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(shared->GetInternalRefCount(), 4 * 20000 * 2 - 4 * 20000);
    shared->AddToRefCount(-shared->GetInternalRefCount());
}

// Two outside holders let go at the same moment: one of them must break the cycle, so the
// object is never stranded with only its internal reference.
TEST(RefCountThreads, ConcurrentLastReleasesBreakTheCycleOnce)
{
    constexpr int kRounds = 10000;
    std::atomic<int> calls{0};
    std::atomic<int> deletions{0};
    CycleOwner* owner = nullptr;
    // Each round: the main thread wires a new owner, then both workers drop their reference.
    std::barrier ready(3);
    std::barrier done(3);
    auto drop = [&] {
        for (int round = 0; round < kRounds; ++round) {
            ready.arrive_and_wait();
            owner->Release();
            done.arrive_and_wait();
        }
    };
    std::thread a(drop);
    std::thread b(drop);
    for (int round = 0; round < kRounds; ++round) {
        owner = new CycleOwner(&calls, &deletions);
        owner->AddRef();
        owner->AddRef();
        owner->Wire();
        ready.arrive_and_wait();
        done.arrive_and_wait();
    }
    a.join();
    b.join();
    EXPECT_EQ(deletions.load(), kRounds);
    EXPECT_EQ(calls.load(), kRounds);
}

namespace {

// Never drops its internal reference, and each time it is asked another thread takes a reference
// and lets it go: a reason to ask again every time, which Release must stop heeding.
struct BusyDecliner : public KX::LRefCountedObject {
    std::atomic<int>* deletions = nullptr;
    int calls = 0;
    KX::RCPtr<BusyDecliner> self;
    ~BusyDecliner() override { ++*deletions; }
    KX::KXRESULT ReleaseInternalReferences() override
    {
        // Lets an unbounded Release come to an end, so that the test can report it.
        if (++calls > 1000)
            AddToRefCount(-GetInternalRefCount());
        std::thread([this] {
            AddRef();
            Release();
        }).join();
        return KX::E_FAIL;
    }
};

} // namespace

TEST(RefCountThreads, CycleBreakingIsRepeatedOnlyABoundedNumberOfTimes)
{
    std::atomic<int> deletions{0};
    auto* object = new BusyDecliner;
    object->deletions = &deletions;
    object->AddRef(); // the outside holder
    object->self = object;
    object->AddToRefCount(1);

    EXPECT_EQ(object->Release(), 1);
    EXPECT_EQ(object->calls, 1 + KX::LRefCountedObject::kMaxCycleBreakRetries);
    EXPECT_EQ(deletions.load(), 0);
    object->AddToRefCount(-object->GetInternalRefCount());
    KX::RCPtr<BusyDecliner> drop = std::move(object->self);
    drop = nullptr;
    EXPECT_EQ(deletions.load(), 1);
}
