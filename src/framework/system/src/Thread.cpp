#include "kx/Thread.h"

#include "kx/Event.h"
#include "platform/posix/Threads.h"

namespace KX {

Thread::Thread(ThreadStartRoutine routine, void* context) : m_pair(new Pair{nullptr, 0})
{
    m_pair->handle = platform::posix::CreateThreadObject(routine, context, true, &m_pair->id);
}

Thread::~Thread()
{
    platform::posix::CloseThreadHandle(m_pair->handle);
    delete m_pair;
}

uint32_t Thread::Resume()
{
    return platform::posix::ResumeThreadObject(m_pair->handle);
}

bool Thread::SetPriority(int32_t priority)
{
    return platform::posix::SetThreadPriorityValue(m_pair->handle, priority);
}

int32_t Thread::GetPriority() const
{
    return platform::posix::GetThreadPriorityValue(m_pair->handle);
}

bool Thread::SetPriorityBoost(bool enable)
{
    return platform::posix::SetThreadPriorityBoostDisabled(m_pair->handle, !enable);
}

bool Thread::WaitForExit(uint32_t milliseconds)
{
    return platform::posix::WaitForThread(m_pair->handle, milliseconds) == WAIT_OBJECT_0;
}

bool Thread::IsFinished()
{
    return WaitForExit(0);
}

bool Thread::IsCurrentThread() const
{
    return platform::posix::IsCurrentThread(m_pair->handle);
}

bool Thread::IsValid() const noexcept
{
    return m_pair->handle != nullptr;
}

ThreadHandle Thread::GetHandle() const noexcept
{
    return m_pair->handle;
}

uint32_t Thread::GetId() const noexcept
{
    return m_pair->id;
}

uint32_t GetCurrentThreadId()
{
    return platform::posix::GetCurrentThreadIdValue();
}

void Sleep(uint32_t milliseconds)
{
    platform::posix::SleepMilliseconds(milliseconds);
}

} // namespace KX
