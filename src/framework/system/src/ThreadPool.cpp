#include "kx/ThreadPool.h"

#include "platform/posix/Threads.h"

#include "kx/Exception.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

namespace KX {

namespace {
constexpr uint32_t kStopWaitMs = 60000;
// One wait covers every worker's done event and the stop event.
constexpr int32_t kMostWorkers = static_cast<int32_t>(platform::posix::kMaximumWaitObjects) - 1;
} // namespace

LThreadPool::LWorkerParams::LWorkerParams(const RCPtr<LThreadWorker>& worker_, const RCPtr<LRefCountedObject>& params_,
                                          int32_t priority_)
    : worker(worker_), params(params_), priority(priority_)
{
}

ReuseAllocator<LThreadPool::LWorkerParams, 1>& LThreadPool::LWorkerParams::GetAllocator()
{
    // Lives as long as the process, so that work released during exit still has its pool.
    static auto* allocator = new ReuseAllocator<LWorkerParams, 1>(true);
    return *allocator;
}

void* LThreadPool::LWorkerParams::operator new(std::size_t size)
{
    return GetAllocator().Allocate(static_cast<uint32_t>(size));
}

void LThreadPool::LWorkerParams::operator delete(void* p) noexcept
{
    GetAllocator().Free(p);
}

RCPtr<LThreadPool> LThreadPool::Create(int32_t workerCount, int32_t queuePriority)
{
    return RCPtr<LThreadPool>(new LThreadPool(workerCount, queuePriority));
}

LThreadPool::LThreadPool(int32_t workerCount, int32_t queuePriority)
    : m_workerSlots(static_cast<uint32_t>(std::clamp(workerCount, 0, kMostWorkers))), m_workerEvents(m_workerSlots + 1),
      m_queueThreader(StringT<char16_t, char>(u"LThreadPool::mQueueThreader")), m_queueIdle(LEvent::Create(1)),
      m_queuePriority(queuePriority)
{
    m_workerCount.exchange(static_cast<int32_t>(m_workerSlots));
    m_workers.reserve(m_workerSlots);
    for (uint32_t i = 0; i < m_workerSlots; ++i)
        m_workers.push_back(std::make_unique<RetriggerableThreader>(StringT<char16_t, char>()));
    m_queueIdle->Set();
}

LThreadPool::~LThreadPool()
{
    Stop();
}

RetriggerableThreader& LThreadPool::GetWorker(uint32_t index)
{
    if (index >= m_workerSlots)
        Throw<std::out_of_range>("no such worker", "KX::LThreadPool::GetWorker", "System\\ThreadPool", __LINE__);
    return *m_workers[index];
}

bool LThreadPool::IsWorkerBusy(uint32_t index)
{
    return m_workers[index]->IsBusy();
}

int32_t LThreadPool::TryDispatch(const RCPtr<LThreadWorker>& worker, const RCPtr<LRefCountedObject>& params,
                                 int32_t priority)
{
    const int32_t count = m_workerCount.load();
    if (count < 1)
        return -1;
    for (uint32_t i = 0; i < static_cast<uint32_t>(count) && i < m_workerSlots; ++i) {
        MutexLock lock(m_lock);
        // With a single worker, queued work keeps its order and new work waits behind it.
        if (m_queuedCount != 0 && m_workerCount.load() == 1)
            return -1;
        if (IsWorkerBusy(i))
            continue;
        m_workers[i]->SetName(worker ? worker->ToString() : StringT<char16_t, char>());
        if (m_workers[i]->Trigger(worker, params, m_workerEvents.GetEvent(i), priority) >= 0)
            return static_cast<int32_t>(i);
    }
    return -1;
}

void LThreadPool::QueueWork(const RCPtr<LThreadWorker>& worker, const RCPtr<LRefCountedObject>& params,
                            int32_t priority)
{
    if (TryDispatch(worker, params, priority) >= 0)
        return;
    if (m_workerCount.load() <= 0)
        return;

    RCPtr<LWorkerParams> item(new LWorkerParams(worker, params, priority));
    MutexLock lock(m_lock);
    const uint32_t queued = m_queuedCount;
    // Behind the work of the same priority.
    m_queue[priority].push_back(std::move(item));
    ++m_queuedCount;
    if (queued == 0) {
        // A drain only ends after finding the queue empty under this lock, so it does not need
        // the lock to signal its end.
        m_queueIdle->Wait(INFINITE);
        RCPtr<LThreadPool> self(this);
        if (m_queueThreader.Trigger(self, self, m_queueIdle, m_queuePriority) < 0)
            m_queueIdle->Set(); // no drain runs
    }
}

KXRESULT LThreadPool::Work(const RCPtr<LRefCountedObject>& /*params*/)
{
    for (;;) {
        const int32_t i = m_workerEvents.WaitAny(INFINITE);
        if (i < 0)
            return E_FAIL;
        // Released after the lock: a worker's release may reach code that takes other locks.
        RCPtr<LWorkerParams> item;
        bool emptied = false;
        {
            MutexLock lock(m_lock);
            // The last event is the stop signal.
            if (m_queuedCount == 0 || m_workerCount.load() <= 0 || static_cast<uint32_t>(i) >= m_workerSlots)
                return S_OK;
            const uint32_t index = static_cast<uint32_t>(i);
            if (IsWorkerBusy(index))
                continue;
            // The highest priority; among equals the one queued first.
            auto first = m_queue.begin();
            item = std::move(first->second.front());
            first->second.pop_front();
            if (first->second.empty())
                m_queue.erase(first);
            --m_queuedCount;
            m_workers[index]->SetName(item->worker ? item->worker->ToString() : StringT<char16_t, char>());
            m_workers[index]->Trigger(item->worker, item->params, m_workerEvents.GetEvent(index), item->priority);
            emptied = m_queuedCount == 0;
        }
        if (emptied)
            return S_OK;
    }
}

uint32_t LThreadPool::GetQueuedCount()
{
    MutexLock lock(m_lock);
    return m_queuedCount;
}

void LThreadPool::Stop()
{
    m_workerCount.exchange(0);
    std::vector<RCPtr<LWorkerParams>> dropped;
    {
        MutexLock lock(m_lock);
        for (auto& fifo : m_queue) {
            for (auto& item : fifo.second)
                dropped.push_back(std::move(item));
        }
        m_queue.clear();
        m_queuedCount = 0;
    }
    // Released outside the lock: a worker's release may reach code that takes other locks.
    dropped.clear();
    if (m_stopped.exchange(true))
        return;
    // Wakes a drain that waits for a worker.
    m_workerEvents.GetEvent(m_workerSlots)->Set();
    m_queueThreader.Stop(kStopWaitMs);
    for (uint32_t i = m_workerSlots; i > 0; --i)
        m_workers[i - 1]->Stop(kStopWaitMs);
}

} // namespace KX
