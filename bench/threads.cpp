// Hand-over costs of the thread primitives: an event ping-pong between two threads, one
// retriggerable-threader run, and a burst of work through a one-worker pool (the MIDI input
// path: most items are queued while the worker is busy, from recycled storage), and 100,000
// items queued behind a busy worker.
#include "kx/Event.h"
#include "kx/RetriggerableThreader.h"
#include "kx/ThreadPool.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

void BM_EventPingPong(benchmark::State& state)
{
    KX::Event ping(true);
    KX::Event pong(true);
    std::atomic<bool> stop{false};
    std::thread partner([&] {
        for (;;) {
            ping.Wait(KX::INFINITE);
            if (stop.load())
                return;
            pong.Set();
        }
    });
    for (auto _ : state) {
        ping.Set();
        pong.Wait(KX::INFINITE);
    }
    stop.store(true);
    ping.Set();
    partner.join();
}
BENCHMARK(BM_EventPingPong);

class Counter : public KX::LThreadWorker {
public:
    KX::KXRESULT Work(const KX::RCPtr<KX::LRefCountedObject>&) override
    {
        count.fetch_add(1, std::memory_order_relaxed);
        return KX::S_OK;
    }
    std::atomic<int64_t> count{0};
};

void BM_ThreaderRun(benchmark::State& state)
{
    KX::RetriggerableThreader threader;
    KX::RCPtr<Counter> worker(new Counter);
    KX::RCPtr<KX::LEvent> done = KX::LEvent::Create(1);
    for (auto _ : state) {
        threader.Trigger(worker, nullptr, done, KX::THREAD_PRIORITY_NORMAL);
        done->Wait(KX::INFINITE);
    }
}
BENCHMARK(BM_ThreaderRun);

void BM_PoolBurst(benchmark::State& state)
{
    const int64_t burst = state.range(0);
    KX::RCPtr<KX::LThreadPool> pool = KX::LThreadPool::Create(1, KX::THREAD_PRIORITY_HIGHEST);
    KX::RCPtr<Counter> worker(new Counter);
    int64_t expected = 0;
    for (auto _ : state) {
        for (int64_t i = 0; i < burst; ++i)
            pool->QueueWork(worker, nullptr, 0);
        expected += burst;
        while (worker->count.load() < expected)
            std::this_thread::yield();
    }
    state.SetItemsProcessed(expected);
}
BENCHMARK(BM_PoolBurst)->Arg(1)->Arg(64);

// Holds the one worker until released, so that everything offered meanwhile is queued.
class Gate : public KX::LThreadWorker {
public:
    KX::KXRESULT Work(const KX::RCPtr<KX::LRefCountedObject>&) override
    {
        entered.Set();
        release.Wait(KX::INFINITE);
        return KX::S_OK;
    }
    KX::Event entered{true};
    KX::Event release{true};
};

// Queues range(0) items of two priorities behind a busy worker (what the MIDI callback does
// while the worker sends a notification); the timing covers the queueing alone. Draining the
// queue afterwards costs some 25 times as much (two thread hand-overs per item) and the library
// sizes a run by the timed part only, so the run has a fixed number of iterations.
void BM_PoolQueueBehindBusyWorker(benchmark::State& state)
{
    const int64_t items = state.range(0);
    KX::RCPtr<KX::LThreadPool> pool = KX::LThreadPool::Create(1, KX::THREAD_PRIORITY_HIGHEST);
    KX::RCPtr<Counter> worker(new Counter);
    KX::RCPtr<Gate> gate(new Gate);
    int64_t expected = 0;
    for (auto _ : state) {
        state.PauseTiming();
        gate->entered.Reset();
        gate->release.Reset();
        pool->QueueWork(gate, nullptr, 0);
        gate->entered.Wait(KX::INFINITE);
        state.ResumeTiming();
        for (int64_t i = 0; i < items; ++i)
            pool->QueueWork(worker, nullptr, (i & 15) == 0 ? 2 : 0);
        state.PauseTiming();
        expected += items;
        gate->release.Set();
        // Leaves both cores of a small machine to the drain and the worker.
        while (worker->count.load() < expected)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        state.ResumeTiming();
    }
    state.SetItemsProcessed(expected);
}
BENCHMARK(BM_PoolQueueBehindBusyWorker)->Arg(100000)->Iterations(3)->Unit(benchmark::kMillisecond);

} // namespace
