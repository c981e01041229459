// The ring queue against std::deque guarded by std::mutex, both holding the same element type:
// KX::RCPtr to a small reference-counted object. Each side copies the pointer in (one reference
// taken) and moves it out (no count change), so the figures compare the containers and locks.
#include "kx/Mutex.h"
#include "kx/RCPtrQueue.h"
#include "kx/RefCountedObject.h"

#include <benchmark/benchmark.h>

#include <deque>
#include <memory>
#include <mutex>
#include <vector>

namespace {

class Item : public KX::LRefCountedObject {
public:
    explicit Item(int v) : value(v) {}
    int value;
};

using Ptr = KX::RCPtr<Item>;

std::vector<Ptr> MakeItems(int n)
{
    std::vector<Ptr> items;
    for (int i = 0; i < n; ++i)
        items.emplace_back(new Item(i));
    return items;
}

class KxQueue {
public:
    KxQueue() : m_queue(&m_lock, 256) {}
    void Push(const Ptr& p) { m_queue.Enqueue(p); }
    Ptr Pop() { return m_queue.Dequeue(); }

private:
    KX::Mutex m_lock;
    KX::RCPtrQueue<Item, 256> m_queue;
};

class StdQueue {
public:
    void Push(const Ptr& p)
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_queue.push_back(p);
    }
    Ptr Pop()
    {
        std::lock_guard<std::mutex> guard(m_lock);
        Ptr p = std::move(m_queue.front());
        m_queue.pop_front();
        return p;
    }

private:
    std::mutex m_lock;
    std::deque<Ptr> m_queue;
};

// For reference only: the same with std::shared_ptr elements.
class StdSharedQueue {
public:
    void Push(const std::shared_ptr<int>& p)
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_queue.push_back(p);
    }
    std::shared_ptr<int> Pop()
    {
        std::lock_guard<std::mutex> guard(m_lock);
        std::shared_ptr<int> p = std::move(m_queue.front());
        m_queue.pop_front();
        return p;
    }

private:
    std::mutex m_lock;
    std::deque<std::shared_ptr<int>> m_queue;
};

// One thread puts a burst in, then takes it out (the notification pattern: post, then drain).
template <class Q>
void Burst(benchmark::State& state)
{
    const int burst = static_cast<int>(state.range(0));
    const std::vector<Ptr> items = MakeItems(burst);
    Q q;
    for (auto _ : state) {
        for (const Ptr& p : items)
            q.Push(p);
        for (int i = 0; i < burst; ++i)
            benchmark::DoNotOptimize(q.Pop());
    }
    state.SetItemsProcessed(state.iterations() * burst);
}

void SharedPtrBurst(benchmark::State& state)
{
    const int burst = static_cast<int>(state.range(0));
    std::vector<std::shared_ptr<int>> items;
    for (int i = 0; i < burst; ++i)
        items.push_back(std::make_shared<int>(i));
    StdSharedQueue q;
    for (auto _ : state) {
        for (const auto& p : items)
            q.Push(p);
        for (int i = 0; i < burst; ++i)
            benchmark::DoNotOptimize(q.Pop());
    }
    state.SetItemsProcessed(state.iterations() * burst);
}

// Several threads share one queue, each putting one item in and taking one out, so the lock is
// contended and the queue is never empty when a thread takes.
template <class Q>
void Shared(benchmark::State& state)
{
    // One queue per type for the whole run; it is empty again after every run.
    static Q q;
    static const std::vector<Ptr> items = MakeItems(64);
    const Ptr& mine = items[static_cast<size_t>(state.thread_index()) % items.size()];
    for (auto _ : state) {
        q.Push(mine);
        benchmark::DoNotOptimize(q.Pop());
    }
    state.SetItemsProcessed(state.iterations());
}

} // namespace

BENCHMARK_TEMPLATE(Burst, KxQueue)->Name("Burst/RCPtrQueue")->Arg(1)->Arg(64)->Arg(200);
BENCHMARK_TEMPLATE(Burst, StdQueue)->Name("Burst/DequeRCPtr")->Arg(1)->Arg(64)->Arg(200);
BENCHMARK(SharedPtrBurst)->Name("Burst/DequeSharedPtr")->Arg(1)->Arg(64)->Arg(200);
BENCHMARK_TEMPLATE(Shared, KxQueue)->Name("Contended/RCPtrQueue")->Threads(1)->Threads(4)->UseRealTime();
BENCHMARK_TEMPLATE(Shared, StdQueue)->Name("Contended/DequeRCPtr")->Threads(1)->Threads(4)->UseRealTime();
