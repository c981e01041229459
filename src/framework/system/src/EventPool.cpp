#include "kx/EventPool.h"

#include "platform/posix/Threads.h"

namespace KX {

EventPool::EventPool(uint32_t count)
{
    m_handles.reserve(count);
    for (uint32_t i = 0; i < count; ++i) {
        RCPtr<LEvent> event = LEvent::Create(1);
        m_handles.push_back(event->GetHandle());
        m_events.AddItem(event);
    }
}

EventPool::~EventPool()
{
    m_events.SetSize(0);
    m_handles.clear();
}

uint32_t EventPool::GetCount() const noexcept
{
    return static_cast<uint32_t>(m_handles.size());
}

RCPtr<LEvent> EventPool::GetEvent(uint32_t index) const
{
    if (index >= m_handles.size())
        return RCPtr<LEvent>();
    return const_cast<RCPtrArray<LEvent>&>(m_events).GetData()[index];
}

int32_t EventPool::WaitAny(uint32_t milliseconds)
{
    m_waiters.fetch_add(1);
    const uint32_t result =
        platform::posix::WaitForAnyEvent(m_handles.data(), static_cast<uint32_t>(m_handles.size()), milliseconds);
    m_waiters.fetch_sub(1);
    if (result == WAIT_TIMEOUT || result == WAIT_FAILED || result >= WAIT_OBJECT_0 + m_handles.size())
        return -1;
    return static_cast<int32_t>(result - WAIT_OBJECT_0);
}

} // namespace KX
