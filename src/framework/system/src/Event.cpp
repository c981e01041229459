#include "kx/Event.h"

#include "platform/posix/Threads.h"

namespace KX {

namespace Detail {

EventPair::EventPair(bool manualReset) : m_handle(platform::posix::CreateEventObject(manualReset, false)) {}

EventPair::~EventPair()
{
    platform::posix::CloseEventHandle(m_handle);
}

bool EventPair::Set()
{
    return platform::posix::SetEventObject(m_handle);
}

bool EventPair::Reset()
{
    return platform::posix::ResetEventObject(m_handle);
}

uint32_t EventPair::Wait(uint32_t milliseconds)
{
    m_waiters.fetch_add(1);
    const uint32_t result = platform::posix::WaitForEvent(m_handle, milliseconds);
    m_waiters.fetch_sub(1);
    return result;
}

} // namespace Detail

Event::Event(bool autoReset) : m_pair(new Detail::EventPair(!autoReset)) {}

Event::~Event()
{
    delete m_pair;
}

bool Event::Set()
{
    return m_pair->Set();
}

void Event::Signal()
{
    m_pair->Set();
}

bool Event::Reset()
{
    return m_pair->Reset();
}

uint32_t Event::Wait(uint32_t milliseconds)
{
    return m_pair->Wait(milliseconds);
}

bool Event::IsSet()
{
    return Wait(0) != WAIT_TIMEOUT;
}

EventHandle Event::GetHandle() const noexcept
{
    return m_pair->GetHandle();
}

int32_t Event::GetWaiterCount() const noexcept
{
    return m_pair->GetWaiterCount();
}

RCPtr<LEvent> LEvent::Create(int32_t /*flag*/)
{
    return RCPtr<LEvent>(new LEvent);
}

LEvent::LEvent() : m_pair(new Detail::EventPair(false)) {}

LEvent::~LEvent()
{
    delete m_pair;
}

bool LEvent::Set()
{
    return m_pair->Set();
}

void LEvent::Signal()
{
    m_pair->Set();
}

bool LEvent::Reset()
{
    return m_pair->Reset();
}

uint32_t LEvent::Wait(uint32_t milliseconds)
{
    return m_pair->Wait(milliseconds);
}

bool LEvent::IsSet()
{
    return Wait(0) != WAIT_TIMEOUT;
}

EventHandle LEvent::GetHandle() const noexcept
{
    return m_pair->GetHandle();
}

int32_t LEvent::GetWaiterCount() const noexcept
{
    return m_pair->GetWaiterCount();
}

} // namespace KX
