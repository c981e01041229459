// Notification dispatch against a plain observer list, and posting from worker threads with the
// main thread draining.
//
// Dispatch: one notification sent synchronously to 10 registered receivers, each adding to a
// counter, against 10 std::function observers that do the same with the same argument. Both
// sides reuse one notification, so the figures compare the delivery paths.
#include "kx/Notifications.h"
#include "kx/Wrappers.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <functional>
#include <stdexcept>
#include <thread>
#include <vector>

namespace {

using KX::LNotification;
using KX::LNotificationDistributor;
using KX::RCPtr;

constexpr int kReceivers = 10;
constexpr char16_t kValue[] = u"NID_VALUE_CHANGE";

class BenchDistributor : public LNotificationDistributor {
public:
    BenchDistributor() = default;
};

class CountingClient : public KX::LNotificationClient {
public:
    explicit CountingClient(int64_t* counter) : m_counter(counter) {}
    KX::KXRESULT Receive(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>& n) override
    {
        *m_counter += n->GetID() != nullptr;
        return KX::S_OK;
    }

private:
    int64_t* m_counter;
};

// A client that routes through a member-function handler, as the controls do.
class HandlerClient : public KX::LNotificationClient {
public:
    explicit HandlerClient(int64_t* counter)
        : m_counter(counter), m_handler(new KX::LNotificationHandler<HandlerClient>(this))
    {
    }
    KX::KXRESULT Receive(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n) override
    {
        return m_handler->Receive(from, n);
    }
    KX::KXRESULT OnValue(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>& n)
    {
        *m_counter += n->GetID() != nullptr;
        return KX::S_OK;
    }
    void Bind(const RCPtr<LNotificationDistributor>& d)
    {
        // The value and a few other bindings, as a control has.
        for (const char16_t* id : {kValue, KX::NID_MOUSE_DOWN, KX::NID_MOUSE_UP, KX::NID_MOUSE_MOVE})
            if (KX::Failed(m_handler->AddDistributorHandler(&HandlerClient::OnValue, d, id, 0)))
                throw std::runtime_error("binding failed");
    }

private:
    int64_t* m_counter;
    RCPtr<KX::LNotificationHandler<HandlerClient>> m_handler;
};

void BM_NotificationDispatch10(benchmark::State& state)
{
    int64_t counter = 0;
    RCPtr<BenchDistributor> d(new BenchDistributor());
    std::vector<RCPtr<CountingClient>> clients;
    for (int i = 0; i < kReceivers; ++i) {
        clients.emplace_back(new CountingClient(&counter));
        clients.back()->RegisterForNotification(d, kValue, 0);
    }
    RCPtr<LNotification> n;
    LNotification::Create(n, kValue, nullptr);
    for (auto _ : state) {
        d->SendNotification(n);
        benchmark::ClobberMemory();
    }
    benchmark::DoNotOptimize(counter);
    state.SetItemsProcessed(state.iterations() * kReceivers);
    for (auto& c : clients)
        c->UnregisterFromAll();
}
BENCHMARK(BM_NotificationDispatch10);

void BM_NotificationDispatch10ThroughHandlers(benchmark::State& state)
{
    int64_t counter = 0;
    RCPtr<BenchDistributor> d(new BenchDistributor());
    std::vector<RCPtr<HandlerClient>> clients;
    for (int i = 0; i < kReceivers; ++i) {
        clients.emplace_back(new HandlerClient(&counter));
        clients.back()->Bind(d);
    }
    RCPtr<LNotification> n;
    LNotification::Create(n, kValue, nullptr);
    for (auto _ : state) {
        d->SendNotification(n);
        benchmark::ClobberMemory();
    }
    benchmark::DoNotOptimize(counter);
    state.SetItemsProcessed(state.iterations() * kReceivers);
    for (auto& c : clients)
        c->UnregisterFromAll();
}
BENCHMARK(BM_NotificationDispatch10ThroughHandlers);

void BM_FunctionObserver10(benchmark::State& state)
{
    int64_t counter = 0;
    std::vector<std::function<void(const RCPtr<LNotification>&)>> observers;
    for (int i = 0; i < kReceivers; ++i)
        observers.emplace_back([&counter](const RCPtr<LNotification>& n) { counter += n->GetID() != nullptr; });
    RCPtr<LNotification> n;
    LNotification::Create(n, kValue, nullptr);
    for (auto _ : state) {
        for (auto& f : observers)
            f(n);
        benchmark::ClobberMemory();
    }
    benchmark::DoNotOptimize(counter);
    state.SetItemsProcessed(state.iterations() * kReceivers);
}
BENCHMARK(BM_FunctionObserver10);

// Creating a notification from the pool, sending it and releasing it back.
void BM_NotificationCreateDispatchRelease10(benchmark::State& state)
{
    LNotification::EnablePooling(true);
    int64_t counter = 0;
    RCPtr<BenchDistributor> d(new BenchDistributor());
    std::vector<RCPtr<CountingClient>> clients;
    for (int i = 0; i < kReceivers; ++i) {
        clients.emplace_back(new CountingClient(&counter));
        clients.back()->RegisterForNotification(d, kValue, 0);
    }
    for (auto _ : state) {
        RCPtr<LNotification> n;
        LNotification::Create(n, kValue, nullptr);
        d->SendNotification(n);
    }
    benchmark::DoNotOptimize(counter);
    for (auto& c : clients)
        c->UnregisterFromAll();
    LNotification::EnablePooling(false);
}
BENCHMARK(BM_NotificationCreateDispatchRelease10);

// 4 worker threads post 10,000 notifications in all to one centre's queue; the main thread
// drains until every one has been delivered.
void BM_PostAndDrain10000From4Threads(benchmark::State& state)
{
    constexpr int kThreads = 4;
    constexpr int kTotal = 10000;
    LNotification::EnablePooling(true);
    auto centre = KX::LNotificationCenterManager::GetInstance()->GetCenter(KX::WString(u"bench"));
    int64_t delivered = 0;
    RCPtr<CountingClient> client(new CountingClient(&delivered));
    client->RegisterForNotification(centre, kValue, 0);
    RCPtr<KX::LHolder<int>> payload = KX::LHolder<int>::Create();
    for (auto _ : state) {
        delivered = 0;
        std::atomic<int> go{0};
        std::vector<std::thread> workers;
        for (int t = 0; t < kThreads; ++t) {
            workers.emplace_back([&] {
                const RCPtr<KX::LNotificationQueue>& queue = centre->GetQueue();
                while (go.load(std::memory_order_acquire) == 0) {
                }
                for (int i = 0; i < kTotal / kThreads; ++i) {
                    RCPtr<LNotification> n;
                    LNotification::Create(n, kValue, payload);
                    queue->PostNotification(n);
                }
            });
        }
        go.store(1, std::memory_order_release);
        while (delivered < kTotal)
            centre->GetQueue()->ProcessQueue(false);
        for (auto& w : workers)
            w.join();
    }
    state.SetItemsProcessed(state.iterations() * kTotal);
    client->UnregisterFromAll();
    centre = nullptr;
    KX::LNotificationCenterManager::ClearInstance();
    LNotification::EnablePooling(false);
}
BENCHMARK(BM_PostAndDrain10000From4Threads)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
