// Notifications posted from other threads reach their receivers on the main thread, in the
// order each thread posted them, through the application's idle passes.
#include "AppFakes.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace KX;

namespace {
// Payload: which thread posted and its running number.
class Stamp : public LRefCountedObject {
public:
    Stamp(int thread, int seq) : thread(thread), seq(seq) {}
    const int thread, seq;
};

class StampLog : public LNotificationReceiver {
public:
    KXRESULT Receive(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>& n) override
    {
        if (std::this_thread::get_id() != mainThread)
            ++offMain;
        if (const auto* s = dynamic_cast<const Stamp*>(n->GetPayload().Get()))
            seen.emplace_back(s->thread, s->seq);
        return S_OK;
    }
    KXRESULT UnregisterForNotification(const RCPtr<LNotificationDistributor>& d, const char16_t* name) override
    {
        return d->UnregisterClient(RCPtr<LNotificationReceiver>(this), name);
    }
    std::thread::id mainThread = std::this_thread::get_id();
    int offMain = 0;
    std::vector<std::pair<int, int>> seen;
};
} // namespace

TEST(AppThreads, PostsFromOtherThreadsAreDeliveredOnTheMainThreadInOrder)
{
    constexpr int kThreads = 4;
    constexpr int kPerThread = 500;
    rwtest::FakeServices services;
    RCPtr<apptest::FakeApp> app(new apptest::FakeApp(RCPtr<LControlFactory>(new LControlFactory(WString(u"App")))));
    RCPtr<LRootWindow> window = LRootWindow::Create(nullptr, &services);
    app->AddRootWindow(window);
    RCPtr<StampLog> log(new StampLog());
    const RCPtr<LNotificationReceiver> r(log);
    EXPECT_FALSE(KX::Failed(GetNotificationQueue()->RegisterClient(r, u"NID_T_WORK", 0)));
    EXPECT_FALSE(KX::Failed(window->RegisterClient(r, u"NID_T_WORK", 0)));
    const RCPtr<LNotificationQueue> appQueue = GetNotificationQueue()->GetQueue();

    std::atomic<int> done{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&, t] {
            // Even threads post to the application centre, odd ones to the root window.
            for (int i = 0; i < kPerThread; ++i) {
                RCPtr<LNotification> n;
                LNotification::CreateUnpooled(n, u"NID_T_WORK", ConstRCPtr<LRefCountedObject>(new Stamp(t, i)));
                const KXRESULT hr = t % 2 == 0 ? appQueue->PostNotification(n) : window->PostNotification(n);
                EXPECT_EQ(hr, S_OK);
            }
            done.fetch_add(1);
        });
    // The main loop's idle handler, called whenever the queue ran empty.
    int passCount = 0;
    for (;;) {
        const bool finished = done.load() == kThreads;
        const bool more = RunIdlePass(passCount);
        passCount = more ? passCount + 1 : 0;
        if (finished && !more)
            break;
    }
    for (auto& t : threads)
        t.join();
    // Everything was posted before the last pass began; a pass that stopped asking for more
    // idle time may still have left entries: one more pass takes them all.
    app->ProcessNotificationQueue(false);

    EXPECT_EQ(log->offMain, 0);
    ASSERT_EQ(log->seen.size(), size_t(kThreads * kPerThread));
    std::vector<int> next(kThreads, 0);
    for (const auto& [thread, seq] : log->seen) {
        EXPECT_EQ(seq, next[static_cast<size_t>(thread)]) << "thread " << thread;
        next[static_cast<size_t>(thread)] = seq + 1;
    }
    window->ReleaseInternalReferences();
}
