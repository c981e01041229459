// Notifications across threads: ids interned concurrently, worker threads posting while the
// main thread drains, latest-only delivery under concurrent posts, and a posting receiver used
// on a worker while its queue detaches.
#include "NotificationFakes.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace {

using KX::LNotification;
using KX::LNotificationDistributor;
using KX::LNotificationQueue;
using KX::RCPtr;
using kxtest::Distributor;
using kxtest::Make;
using kxtest::PoolingScope;
using kxtest::Recorder;

constexpr char16_t kData[] = u"NID_TEST_WORKER_DATA";
constexpr char16_t kStatus[] = u"NID_TEST_THREADED_STATUS";
constexpr char16_t kTick[] = u"NID_TEST_THREADED_TICK";

// The sender's number and a sequence number.
class Stamp : public KX::LRefCountedObject {
public:
    Stamp(int t, int s) : thread(t), seq(s) {}
    int thread;
    int seq;
};

int SeqOf(const RCPtr<LNotification>& n)
{
    return KX::ConstRCPtr<Stamp>::DynamicCast(n->GetPayload())->seq;
}

TEST(NotificationThreads, ConcurrentInterningGivesOneIdPerName)
{
    constexpr int kThreads = 4;
    constexpr int kNames = 200;
    std::vector<std::vector<KX::NotificationId>> ids(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t, &ids] {
            for (int i = 0; i < kNames; ++i) {
                // Every thread builds its own buffer for the same names.
                const std::u16string name = u"NID_TEST_THREADED_" + std::u16string(1, char16_t(u'A' + i % 26)) +
                                            std::u16string(1, char16_t(u'A' + i / 26));
                ids[t].push_back(KX::GetNotificationID(name.c_str()));
            }
        });
    }
    for (auto& th : threads)
        th.join();
    for (int t = 1; t < kThreads; ++t)
        EXPECT_EQ(ids[t], ids[0]);
}

TEST(NotificationThreads, WorkersPostAndTheMainThreadDrainsInOrder)
{
    PoolingScope pooling;
    constexpr int kThreads = 4;
    constexpr int kPerThread = 3000;

    auto centre = KX::LNotificationCenterManager::GetInstance()->GetCenter(KX::WString(u"threads"));
    auto client = Recorder::Create("main", nullptr);
    std::vector<std::vector<int>> seen(kThreads);
    client->action = [&](Recorder&, auto&, const RCPtr<LNotification>& n) {
        auto stamp = KX::ConstRCPtr<Stamp>::DynamicCast(n->GetPayload());
        seen[stamp->thread].push_back(stamp->seq);
    };
    client->RegisterForNotification(centre, kData, 0);

    std::atomic<int> finished{0};
    std::vector<std::thread> workers;
    for (int t = 0; t < kThreads; ++t) {
        workers.emplace_back([t, &finished] {
            // Each worker finds the centre by name, as a background service would.
            auto queue = KX::LNotificationCenterManager::GetInstance()->GetCenter(KX::WString(u"threads"))->GetQueue();
            for (int i = 0; i < kPerThread; ++i) {
                RCPtr<LNotification> n;
                LNotification::Create(n, kData, RCPtr<Stamp>(new Stamp(t, i)));
                EXPECT_EQ(queue->PostNotification(n), KX::S_OK);
            }
            finished.fetch_add(1);
        });
    }
    while (finished.load() < kThreads || centre->GetQueue()->GetCount() > 0) {
        centre->GetQueue()->ProcessQueue(true);
        std::this_thread::yield();
    }
    for (auto& w : workers)
        w.join();
    centre->GetQueue()->ProcessQueue(false);
    for (int t = 0; t < kThreads; ++t) {
        ASSERT_EQ(seen[t].size(), static_cast<size_t>(kPerThread));
        for (int i = 0; i < kPerThread; ++i)
            ASSERT_EQ(seen[t][i], i) << "thread " << t;
    }
    client->UnregisterFromAll();
    centre = nullptr;
    KX::LNotificationCenterManager::ClearInstance();
}

TEST(NotificationThreads, LatestOnlyDeliveryWhileAWorkerKeepsPosting)
{
    PoolingScope pooling;
    constexpr int kPosts = 5000;
    auto d = Distributor::Create();
    auto queue = LNotificationQueue::Create();
    queue->AttachDistributor(d);
    auto status = Recorder::Create("status", nullptr);
    auto plain = Recorder::Create("plain", nullptr);
    std::vector<int> latest;
    int plainCount = 0;
    status->action = [&](Recorder&, auto&, const RCPtr<LNotification>& n) { latest.push_back(SeqOf(n)); };
    plain->action = [&](Recorder&, auto&, auto&) { ++plainCount; };
    status->RegisterForNotification(d, kStatus, LNotificationDistributor::kLatestPostedOnly);
    plain->RegisterForNotification(d, kStatus, 0);

    std::atomic<bool> done{false};
    std::thread worker([&] {
        for (int i = 0; i < kPosts; ++i)
            queue->PostNotification(Make(kStatus, RCPtr<Stamp>(new Stamp(0, i))));
        done.store(true);
    });
    while (!done.load() || queue->GetCount() > 0)
        queue->ProcessQueue(false);
    worker.join();
    queue->ProcessQueue(false);

    EXPECT_EQ(plainCount, kPosts);
    // Fewer than all, strictly increasing, and the last one posted arrives.
    ASSERT_FALSE(latest.empty());
    EXPECT_LE(latest.size(), static_cast<size_t>(kPosts));
    for (size_t i = 1; i < latest.size(); ++i)
        EXPECT_LT(latest[i - 1], latest[i]);
    EXPECT_EQ(latest.back(), kPosts - 1);
    status->UnregisterFromAll();
    plain->UnregisterFromAll();
    queue->Detach();
}

TEST(NotificationThreads, APostingReceiverOnAWorkerWhileItsQueueDetaches)
{
    PoolingScope pooling;
    for (int round = 0; round < 20; ++round) {
        auto source = Distributor::Create();
        auto target = Distributor::Create();
        auto queue = LNotificationQueue::Create();
        queue->AttachDistributor(target);
        auto receiver = queue->GetReceiver();
        EXPECT_FALSE(KX::Failed(source->RegisterClient(receiver, kTick, 0)));
        std::atomic<bool> started{false};
        // The worker owns the sends at source; the main thread only touches the queue.
        std::thread worker([&] {
            started.store(true);
            for (int i = 0; i < 200; ++i)
                source->SendNotification(Make(kTick));
        });
        while (!started.load())
            std::this_thread::yield();
        queue->ProcessQueue(false);
        queue->Detach();
        worker.join();
        EXPECT_FALSE(receiver->IsLinked());
        EXPECT_EQ(queue->PostNotification(Make(kTick)), KX::E_FAIL);
        source->UnregisterClient(receiver, kTick);
    }
}

TEST(NotificationThreads, NotificationsMadeOnOneThreadAreRecycledOnAnother)
{
    PoolingScope pooling;
    constexpr int kRounds = 2000;
    std::vector<RCPtr<LNotification>> handed(kRounds);
    std::atomic<int> ready{0};
    std::thread maker([&] {
        for (int i = 0; i < kRounds; ++i) {
            LNotification::Create(handed[i], u"NID_TEST_THREADED_HANDOVER", RCPtr<Stamp>(new Stamp(1, i)));
            ready.store(i + 1, std::memory_order_release);
        }
    });
    // Release them here while the maker keeps creating (and reusing what comes back).
    for (int i = 0; i < kRounds; ++i) {
        while (ready.load(std::memory_order_acquire) <= i)
            std::this_thread::yield();
        ASSERT_EQ(SeqOf(handed[i]), i);
        handed[i] = nullptr;
    }
    maker.join();
    EXPECT_GE(LNotification::GetPoolCount(), 1u);
}

} // namespace
