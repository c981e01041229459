#pragma once
// First-in first-out ring of smart pointers, optionally guarded by a lock that the owner supplies.
// A full ring grows by one slot, so Enqueue never drops an item and never waits for the consumer.
#include "kx/Exception.h"
#include "kx/KXResult.h"
#include "kx/Mutex.h"
#include "kx/RCPtrArray.h"
#include "kx/RefCountedObject.h"

#include <cstdint>
#include <string>
#include <utility>

namespace KX {

// GetCount below counts queued items and hides the array's count of slots on purpose.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Woverloaded-virtual"

template <class T, uint32_t N>
class RCPtrQueue : public RCPtrArray<T, N, N> {
    using Ring = RCPtrArray<T, N, N>;

public:
    // The ring starts with size null slots. lock may be null (no locking); it is not owned and
    // must outlive the queue.
    RCPtrQueue(Mutex* lock, uint32_t size) : Ring(size, size), m_lock(lock) {}

    RCPtrQueue(const RCPtrQueue&) = delete;
    RCPtrQueue& operator=(const RCPtrQueue&) = delete;

    // Number of queued items. Deliberately not const: a const GetCount would override the
    // array's count of slots.
    uint32_t GetCount()
    {
        MutexLock guard(m_lock);
        return QueuedLocked();
    }

    // Queues item (null is queued like any other). Returns S_OK, or the array's failure when a
    // full ring could not grow; the queue is unchanged then.
    KXRESULT Enqueue(const RCPtr<T>& item)
    {
        MutexLock guard(m_lock);
        uint32_t size = RingSize();
        if (size == 0) {
            const KXRESULT hr = static_cast<KXRESULT>(Ring::SetSize(2));
            if (Failed(hr))
                return hr;
            m_writeIndex = m_readIndex = 0;
            size = RingSize();
        }
        if (QueuedLocked() == size - 1) {
            // Full: open a null slot just before the oldest item; the items keep their order.
            const KXRESULT hr = static_cast<KXRESULT>(Ring::InsertItems(m_readIndex, 1));
            if (Failed(hr))
                return hr;
            if (m_writeIndex > m_readIndex)
                ++m_writeIndex;
            size = RingSize();
            m_readIndex = Next(m_readIndex, size);
        }
        const uint32_t p = m_writeIndex;
        Slot(p) = item;
        m_writeIndex = Next(p, size);
        return S_OK;
    }

    // Takes the oldest item out of the queue; its reference moves to the result. Throws
    // "Runtime Error" when the queue is empty, leaving it unchanged.
    RCPtr<T> Dequeue()
    {
        MutexLock guard(m_lock);
        if (QueuedLocked() == 0)
            ThrowEmpty();
        RCPtr<T> result = std::move(Slot(m_readIndex));
        m_readIndex = Next(m_readIndex, RingSize());
        return result;
    }

private:
    uint32_t RingSize() const { return Ring::GetCount(); }

    // Unchecked: callers keep i below the ring size.
    RCPtr<T>& Slot(uint32_t i) { return Ring::GetData()[i]; }

    static uint32_t Next(uint32_t i, uint32_t size) { return i + 1 >= size ? 0 : i + 1; }

    // Caller holds the lock.
    uint32_t QueuedLocked() const
    {
        const uint32_t size = RingSize();
        if (size == 0)
            return 0;
        int32_t n = static_cast<int32_t>(m_writeIndex - m_readIndex);
        if (n < 0)
            n += static_cast<int32_t>(size);
        return static_cast<uint32_t>(n);
    }

    [[noreturn]] static void ThrowEmpty()
    {
        const std::string method = "KX::RCPtrQueue<" + TemplateArgName<T>() + "," + std::to_string(N) + ">::Dequeue";
        Throw<std::runtime_error>("", method, "kxframework/utilities/Storage/RCPtrQueue", 104);
    }

    uint32_t m_writeIndex = 0;
    uint32_t m_readIndex = 0;
    Mutex* m_lock;
};

#pragma GCC diagnostic pop

} // namespace KX
