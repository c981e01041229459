// Events over the C++ library; see platform/Threads.h for the behaviour kept.
#include "platform/posix/Threads.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <new>
#include <optional>
#include <vector>

namespace platform::posix {

namespace {

using Clock = std::chrono::steady_clock;

// One wait for any of several events: every event it waits on wakes it when set.
struct Waiter {
    std::mutex mutex;
    std::condition_variable wake;
    bool woken = false;
};

std::optional<Clock::time_point> DeadlineAfter(uint32_t milliseconds)
{
    if (milliseconds == kInfinite)
        return std::nullopt;
    return Clock::now() + std::chrono::milliseconds(milliseconds);
}

} // namespace

class EventObject {
public:
    EventObject(bool manualReset, bool signalled) : m_manualReset(manualReset), m_signalled(signalled) {}

    void AddRef() noexcept { m_refs.fetch_add(1, std::memory_order_relaxed); }
    void Release() noexcept
    {
        if (m_refs.fetch_sub(1, std::memory_order_acq_rel) == 1)
            delete this;
    }

    void Set()
    {
        std::lock_guard lock(m_mutex);
        m_signalled = true;
        for (Waiter* waiter : m_waiters) {
            std::lock_guard waiterLock(waiter->mutex);
            waiter->woken = true;
            waiter->wake.notify_all();
        }
    }

    void Reset()
    {
        std::lock_guard lock(m_mutex);
        m_signalled = false;
    }

    // Satisfies a wait when signalled; an auto-reset event is reset by it.
    bool TryConsume()
    {
        std::lock_guard lock(m_mutex);
        if (!m_signalled)
            return false;
        if (!m_manualReset)
            m_signalled = false;
        return true;
    }

    void AddWaiter(Waiter* waiter)
    {
        std::lock_guard lock(m_mutex);
        m_waiters.push_back(waiter);
    }

    void RemoveWaiter(Waiter* waiter)
    {
        std::lock_guard lock(m_mutex);
        auto it = std::find(m_waiters.begin(), m_waiters.end(), waiter);
        if (it != m_waiters.end())
            m_waiters.erase(it);
    }

private:
    ~EventObject() = default;

    std::atomic<int32_t> m_refs{1};
    std::mutex m_mutex;
    const bool m_manualReset;
    bool m_signalled;
    std::vector<Waiter*> m_waiters;
};

EventHandle CreateEventObject(bool manualReset, bool initiallySignalled)
{
    return new (std::nothrow) EventObject(manualReset, initiallySignalled);
}

EventHandle DuplicateEventHandle(EventHandle event)
{
    if (event)
        event->AddRef();
    return event;
}

void CloseEventHandle(EventHandle event)
{
    if (event)
        event->Release();
}

bool SetEventObject(EventHandle event)
{
    if (!event)
        return false;
    // A waiter woken here may close its last handle before this call has returned.
    event->AddRef();
    event->Set();
    event->Release();
    return true;
}

bool ResetEventObject(EventHandle event)
{
    if (!event)
        return false;
    event->Reset();
    return true;
}

uint32_t WaitForEvent(EventHandle event, uint32_t milliseconds)
{
    return WaitForAnyEvent(&event, 1, milliseconds);
}

uint32_t WaitForAnyEvent(const EventHandle* events, uint32_t count, uint32_t milliseconds)
{
    if (!events || count == 0 || count > kMaximumWaitObjects)
        return kWaitFailed;
    for (uint32_t i = 0; i < count; ++i) {
        if (!events[i])
            return kWaitFailed;
    }

    // The events stay alive for the wait even when their handles are closed meanwhile.
    std::vector<EventHandle> held(events, events + count);
    for (EventHandle e : held)
        e->AddRef();

    const auto scan = [&held]() -> std::optional<uint32_t> {
        for (uint32_t i = 0; i < held.size(); ++i) {
            if (held[i]->TryConsume())
                return i;
        }
        return std::nullopt;
    };

    uint32_t result = kWaitTimeout;
    if (auto hit = scan()) {
        result = kWaitObject0 + *hit;
    } else if (milliseconds != 0) {
        Waiter waiter;
        for (EventHandle e : held)
            e->AddWaiter(&waiter);
        const auto deadline = DeadlineAfter(milliseconds);
        for (;;) {
            {
                std::lock_guard lock(waiter.mutex);
                waiter.woken = false;
            }
            // A set after this scan marks the waiter woken, so it is not missed.
            if (auto found = scan()) {
                result = kWaitObject0 + *found;
                break;
            }
            std::unique_lock lock(waiter.mutex);
            if (deadline) {
                if (!waiter.wake.wait_until(lock, *deadline, [&waiter] { return waiter.woken; })) {
                    lock.unlock();
                    if (auto last = scan())
                        result = kWaitObject0 + *last;
                    break;
                }
            } else {
                waiter.wake.wait(lock, [&waiter] { return waiter.woken; });
            }
        }
        for (EventHandle e : held)
            e->RemoveWaiter(&waiter);
    }

    for (EventHandle e : held)
        e->Release();
    return result;
}

} // namespace platform::posix
