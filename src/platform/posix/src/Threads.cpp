// Threads over the C++ library; see platform/Threads.h for the behaviour kept.
#include "platform/posix/Threads.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

namespace platform::posix {

namespace {

using Clock = std::chrono::steady_clock;

// How long the exit pass waits, in all, for closed threads to end.
constexpr uint32_t kExitJoinLimitMs = 2000;

std::atomic<uint32_t> g_nextThreadId{1};
std::atomic<uint32_t> g_threadObjects{0};
thread_local uint32_t t_threadId = 0;

} // namespace

class ThreadObject {
public:
    ThreadObject(ThreadRoutine routine, void* context, bool suspended)
        : m_routine(routine), m_context(context), m_suspendCount(suspended ? 1 : 0),
          m_id(g_nextThreadId.fetch_add(1, std::memory_order_relaxed))
    {
        g_threadObjects.fetch_add(1);
    }
    ~ThreadObject() { g_threadObjects.fetch_sub(1); }

    void Start() { m_thread = std::thread(&ThreadObject::Main, this); }

    uint32_t Resume()
    {
        std::lock_guard lock(m_mutex);
        const uint32_t before = m_suspendCount;
        if (m_suspendCount > 0 && --m_suspendCount == 0)
            m_changed.notify_all();
        return before;
    }

    bool SetPriority(int32_t priority)
    {
        switch (priority) {
        case kThreadPriorityIdle:
        case kThreadPriorityLowest:
        case kThreadPriorityBelowNormal:
        case kThreadPriorityNormal:
        case kThreadPriorityAboveNormal:
        case kThreadPriorityHighest:
        case kThreadPriorityTimeCritical: break;
        default: return false;
        }
        std::lock_guard lock(m_mutex);
        m_priority = priority;
        return true;
    }

    int32_t GetPriority()
    {
        std::lock_guard lock(m_mutex);
        return m_priority;
    }

    void SetBoostDisabled(bool disabled)
    {
        std::lock_guard lock(m_mutex);
        m_boostDisabled = disabled;
    }

    bool GetBoostDisabled()
    {
        std::lock_guard lock(m_mutex);
        return m_boostDisabled;
    }

    uint32_t Wait(uint32_t milliseconds)
    {
        if (IsCurrent())
            return kWaitFailed;
        std::unique_lock lock(m_mutex);
        const auto ended = [this] { return m_ended; };
        if (milliseconds == kInfinite) {
            m_changed.wait(lock, ended);
            return kWaitObject0;
        }
        if (m_changed.wait_for(lock, std::chrono::milliseconds(milliseconds), ended))
            return kWaitObject0;
        return kWaitTimeout;
    }

    bool ExitCode(uint32_t* code)
    {
        std::lock_guard lock(m_mutex);
        if (!m_ended || !m_ran)
            return false;
        if (code)
            *code = m_exitCode;
        return true;
    }

    // A thread that was never resumed ends without running its routine; true when so.
    bool CancelIfSuspended()
    {
        std::lock_guard lock(m_mutex);
        // One made running may simply not have been scheduled yet: it still runs.
        if (m_started || m_suspendCount == 0)
            return false;
        m_cancelled = true;
        m_changed.notify_all();
        return true;
    }

    bool HasEnded()
    {
        std::lock_guard lock(m_mutex);
        return m_ended;
    }

    bool IsCurrent() const { return m_id == GetCurrentThreadIdValue(); }
    uint32_t Id() const { return m_id; }

    // Only for a thread that has ended and is not the caller.
    void Join()
    {
        if (m_thread.joinable())
            m_thread.join();
    }

    // For the one case a thread cannot be joined: it is the caller at process exit.
    void Detach()
    {
        if (m_thread.joinable())
            m_thread.detach();
    }

private:
    void Main()
    {
        t_threadId = m_id;
        {
            std::unique_lock lock(m_mutex);
            m_changed.wait(lock, [this] { return m_suspendCount == 0 || m_cancelled; });
            if (m_cancelled) {
                m_ended = true;
                m_changed.notify_all();
                return;
            }
            m_started = true;
        }
        const uint32_t code = m_routine(m_context);
        std::lock_guard lock(m_mutex);
        m_exitCode = code;
        m_ran = true;
        m_ended = true;
        m_changed.notify_all();
    }

    const ThreadRoutine m_routine;
    void* const m_context;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    uint32_t m_suspendCount;
    bool m_started = false;
    bool m_cancelled = false;
    bool m_ran = false;
    bool m_ended = false;
    uint32_t m_exitCode = 0;
    int32_t m_priority = kThreadPriorityNormal;
    bool m_boostDisabled = false;
    const uint32_t m_id;
    std::thread m_thread;
};

namespace {

// Threads whose handles were closed while they could still run; joined once they end.
class Reaper {
public:
    static Reaper& Instance()
    {
        // Kept for the whole process; the threads still held are joined at exit.
        static Reaper* reaper = [] {
            auto* r = new Reaper;
            std::atexit([] { Instance().JoinAll(); });
            return r;
        }();
        return *reaper;
    }

    void Add(ThreadObject* thread)
    {
        std::lock_guard lock(m_mutex);
        if (m_exitPassDone) {
            // Nobody joins it any more (e.g. a pool that ended on its own worker during exit):
            // let it go, and keep its object for its last steps.
            thread->Detach();
            m_letGo.push_back(thread);
            return;
        }
        m_threads.push_back(thread);
    }

    uint32_t Sweep()
    {
        std::vector<ThreadObject*> done;
        uint32_t running = 0;
        {
            std::lock_guard lock(m_mutex);
            auto keep = m_threads.begin();
            for (ThreadObject* t : m_threads) {
                if (t->HasEnded() && !t->IsCurrent())
                    done.push_back(t);
                else {
                    *keep++ = t;
                    ++running;
                }
            }
            m_threads.erase(keep, m_threads.end());
        }
        for (ThreadObject* t : done) {
            t->Join();
            delete t;
        }
        return running;
    }

private:
    // Joins what ends within one shared time limit; a thread still running after it is let go
    // (detached, its object kept), so that a thread that never ends cannot hold the exit.
    void JoinAll()
    {
        std::vector<ThreadObject*> all;
        {
            std::lock_guard lock(m_mutex);
            all.swap(m_threads);
            m_exitPassDone = true;
        }
        const auto deadline = Clock::now() + std::chrono::milliseconds(kExitJoinLimitMs);
        std::vector<ThreadObject*> leftBehind;
        for (ThreadObject* t : all) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            const uint32_t waitMs = left.count() > 0 ? static_cast<uint32_t>(left.count()) : 0;
            if (t->IsCurrent() || t->Wait(waitMs) != kWaitObject0) {
                t->Detach();
                leftBehind.push_back(t);
                continue;
            }
            t->Join();
            delete t;
        }
        std::lock_guard lock(m_mutex);
        m_letGo.insert(m_letGo.end(), leftBehind.begin(), leftBehind.end());
    }

    std::mutex m_mutex;
    std::vector<ThreadObject*> m_threads;
    // Set by the exit pass; threads closed later are detached into m_letGo.
    bool m_exitPassDone = false;
    std::vector<ThreadObject*> m_letGo;
};

} // namespace

ThreadHandle CreateThreadObject(ThreadRoutine routine, void* context, bool suspended, uint32_t* threadId)
{
    Reaper::Instance().Sweep();
    if (!routine)
        return nullptr;
    auto* thread = new (std::nothrow) ThreadObject(routine, context, suspended);
    if (!thread)
        return nullptr;
    try {
        thread->Start();
    } catch (const std::system_error&) {
        delete thread;
        return nullptr;
    }
    if (threadId)
        *threadId = thread->Id();
    return thread;
}

uint32_t ResumeThreadObject(ThreadHandle thread)
{
    return thread ? thread->Resume() : 0xFFFFFFFFu;
}

bool SetThreadPriorityValue(ThreadHandle thread, int32_t priority)
{
    return thread && thread->SetPriority(priority);
}

int32_t GetThreadPriorityValue(ThreadHandle thread)
{
    return thread ? thread->GetPriority() : kThreadPriorityErrorReturn;
}

bool SetThreadPriorityBoostDisabled(ThreadHandle thread, bool disabled)
{
    if (!thread)
        return false;
    thread->SetBoostDisabled(disabled);
    return true;
}

bool GetThreadPriorityBoostDisabled(ThreadHandle thread, bool* disabled)
{
    if (!thread || !disabled)
        return false;
    *disabled = thread->GetBoostDisabled();
    return true;
}

uint32_t WaitForThread(ThreadHandle thread, uint32_t milliseconds)
{
    return thread ? thread->Wait(milliseconds) : kWaitFailed;
}

bool GetThreadExitCode(ThreadHandle thread, uint32_t* exitCode)
{
    return thread && thread->ExitCode(exitCode);
}

uint32_t GetThreadObjectId(ThreadHandle thread)
{
    return thread ? thread->Id() : 0;
}

bool IsCurrentThread(ThreadHandle thread)
{
    return thread && thread->IsCurrent();
}

void CloseThreadHandle(ThreadHandle thread)
{
    if (!thread)
        return;
    const bool cancelled = thread->CancelIfSuspended();
    // A cancelled thread ends at once without running anything.
    if (!thread->IsCurrent() && (cancelled || thread->HasEnded())) {
        thread->Join();
        delete thread;
    } else {
        Reaper::Instance().Add(thread);
    }
    Reaper::Instance().Sweep();
}

uint32_t GetCurrentThreadIdValue()
{
    if (t_threadId == 0)
        t_threadId = g_nextThreadId.fetch_add(1, std::memory_order_relaxed);
    return t_threadId;
}

void SleepMilliseconds(uint32_t milliseconds)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

uint32_t ReapClosedThreads()
{
    return Reaper::Instance().Sweep();
}

uint32_t CountThreadObjects()
{
    return g_threadObjects.load();
}

} // namespace platform::posix
