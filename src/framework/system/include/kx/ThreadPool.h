#pragma once
// A fixed set of worker threaders fed from a priority queue by a further threader.
// Lock order: the caller's locks (the MIDI port object's), then the pool's lock; a worker's run
// and the release of queued work happen outside it.
#include "kx/Event.h"
#include "kx/EventPool.h"
#include "kx/Mutex.h"
#include "kx/RetriggerableThreader.h"
#include "kx/ReusePool.h"
#include "kx/ThreadWorker.h"

#include <atomic>
#include <cstddef>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <vector>

namespace KX {

class LThreadPool : public LThreadWorker {
public:
    // One piece of queued work. Its storage comes from a process-wide reuse pool.
    class LWorkerParams : public LRefCountedObject {
    public:
        LWorkerParams(const RCPtr<LThreadWorker>& worker, const RCPtr<LRefCountedObject>& params, int32_t priority);

        static void* operator new(std::size_t size);
        static void operator delete(void* p) noexcept;
        static ReuseAllocator<LWorkerParams, 1>& GetAllocator();

        RCPtr<LThreadWorker> worker;
        RCPtr<LRefCountedObject> params;
        int32_t priority;
    };

    // At most 63 worker threads are made. Always create a pool here: a running drain holds
    // references to it.
    static RCPtr<LThreadPool> Create(int32_t workerCount, int32_t queuePriority);

    LThreadPool(int32_t workerCount, int32_t queuePriority);
    // Stops the pool. Called on one of its own threads, it does not wait for that thread.
    ~LThreadPool() override;

    // Runs the work on an idle worker at once, or queues it by priority (higher first, equal
    // priorities in the order offered). With one worker, work never overtakes queued work.
    // Work offered after Stop is dropped.
    void QueueWork(const RCPtr<LThreadWorker>& worker, const RCPtr<LRefCountedObject>& params, int32_t priority);
    // The queue drain; runs on the queue threader only.
    KXRESULT Work(const RCPtr<LRefCountedObject>& params) override;
    // Drops queued work and stops every thread (waiting up to 60000 ms for each, but never for
    // the calling thread). Final.
    void Stop();

    // The worker threads made (at most 63), 0 once stopped.
    int32_t GetWorkerCount() const noexcept { return m_workerCount.load(); }
    uint32_t GetQueuedCount();
    int32_t GetQueuePriority() const noexcept { return m_queuePriority; }
    // One of the worker threaders made (they stay after Stop); throws "Out of Range" for an index
    // not below their number.
    RetriggerableThreader& GetWorker(uint32_t index);
    RetriggerableThreader& GetQueueThreader() noexcept { return m_queueThreader; }

private:
    int32_t TryDispatch(const RCPtr<LThreadWorker>& worker, const RCPtr<LRefCountedObject>& params, int32_t priority);
    bool IsWorkerBusy(uint32_t index);

    std::atomic<int32_t> m_workerCount{0};
    const uint32_t m_workerSlots;
    std::vector<std::unique_ptr<RetriggerableThreader>> m_workers;
    // One done event per worker, and a last one that wakes a drain when the pool stops.
    EventPool m_workerEvents;
    RetriggerableThreader m_queueThreader;
    RCPtr<LEvent> m_queueIdle;
    // Waiting work: one FIFO per priority, the highest priority first; no empty FIFOs.
    std::map<int32_t, std::deque<RCPtr<LWorkerParams>>, std::greater<int32_t>> m_queue;
    uint32_t m_queuedCount = 0;
    Mutex m_lock;
    const int32_t m_queuePriority;
    std::atomic<bool> m_stopped{false};
};

} // namespace KX
