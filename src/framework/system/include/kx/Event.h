#pragma once
// Owning wrappers over the platform's events: a plain event, the manual-reset gate and the
// shared, reference-counted event.
#include "kx/RefCountedObject.h"

#include <atomic>
#include <cstdint>

namespace platform::posix {
class EventObject;
}

namespace KX {

// Wait arguments and results in the Windows manner.
inline constexpr uint32_t INFINITE = 0xFFFFFFFFu;
inline constexpr uint32_t WAIT_OBJECT_0 = 0;
inline constexpr uint32_t WAIT_TIMEOUT = 258;
inline constexpr uint32_t WAIT_FAILED = 0xFFFFFFFFu;

using EventHandle = platform::posix::EventObject*;

namespace Detail {

// The pair every event form keeps on the heap: the handle and the number of waiting threads.
class EventPair {
public:
    explicit EventPair(bool manualReset);
    ~EventPair();
    EventPair(const EventPair&) = delete;
    EventPair& operator=(const EventPair&) = delete;

    bool Set();
    bool Reset();
    uint32_t Wait(uint32_t milliseconds);
    EventHandle GetHandle() const noexcept { return m_handle; }
    int32_t GetWaiterCount() const noexcept { return m_waiters.load(); }

private:
    EventHandle m_handle;
    std::atomic<int32_t> m_waiters{0};
};

} // namespace Detail

// An unnamed event, not signalled at first. autoReset: a satisfied wait resets it.
class Event {
public:
    explicit Event(bool autoReset);
    virtual ~Event();
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;

    // true on success.
    bool Set();
    void Signal();
    // true on success.
    bool Reset();
    // WAIT_OBJECT_0 when signalled, WAIT_TIMEOUT when ms ran out, WAIT_FAILED without a handle.
    uint32_t Wait(uint32_t milliseconds);
    // As Wait(0): true unless the wait timed out. Consumes the signal of an auto-reset event.
    bool IsSet();
    EventHandle GetHandle() const noexcept;
    int32_t GetWaiterCount() const noexcept;

private:
    Detail::EventPair* m_pair;
};

// A manual-reset event used as an open (set) or closed (reset) gate.
class TrafficLight : public Event {
public:
    TrafficLight() : Event(false) {}
};

// The shared form, always auto-reset and not signalled at first.
class LEvent : public virtual LRefCountedObject {
public:
    // The flag is accepted for its callers' sake and has no effect.
    static RCPtr<LEvent> Create(int32_t flag = 1);

    LEvent();
    ~LEvent() override;

    bool Set();
    void Signal();
    bool Reset();
    uint32_t Wait(uint32_t milliseconds);
    bool IsSet();
    EventHandle GetHandle() const noexcept;
    int32_t GetWaiterCount() const noexcept;

private:
    Detail::EventPair* m_pair;
};

} // namespace KX
