#pragma once
// A fixed set of shared events that one thread can wait on together.
#include "kx/Event.h"
#include "kx/RCPtrArray.h"

#include <atomic>
#include <cstdint>
#include <vector>

namespace KX {

class EventPool {
public:
    // count auto-reset events, none signalled.
    explicit EventPool(uint32_t count);
    ~EventPool();
    EventPool(const EventPool&) = delete;
    EventPool& operator=(const EventPool&) = delete;

    uint32_t GetCount() const noexcept;
    // The i-th event; a null reference for an index out of range.
    RCPtr<LEvent> GetEvent(uint32_t index) const;
    // Index of the signalled event (the lowest when several are), consuming its signal;
    // -1 when ms ran out or the wait failed.
    int32_t WaitAny(uint32_t milliseconds);
    int32_t GetWaiterCount() const noexcept { return m_waiters.load(); }

private:
    RCPtrArray<LEvent> m_events;
    std::vector<EventHandle> m_handles;
    std::atomic<int32_t> m_waiters{0};
};

} // namespace KX
