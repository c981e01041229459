#pragma once
// Owning wrapper over a platform thread, created suspended.
#include <cstdint>

namespace platform::posix {
class ThreadObject;
}

namespace KX {

// Thread priorities in the Windows manner; they are kept as values.
inline constexpr int32_t THREAD_PRIORITY_IDLE = -15;
inline constexpr int32_t THREAD_PRIORITY_LOWEST = -2;
inline constexpr int32_t THREAD_PRIORITY_BELOW_NORMAL = -1;
inline constexpr int32_t THREAD_PRIORITY_NORMAL = 0;
inline constexpr int32_t THREAD_PRIORITY_ABOVE_NORMAL = 1;
inline constexpr int32_t THREAD_PRIORITY_HIGHEST = 2;
inline constexpr int32_t THREAD_PRIORITY_TIME_CRITICAL = 15;

using ThreadHandle = platform::posix::ThreadObject*;
using ThreadStartRoutine = uint32_t (*)(void* context);

class Thread {
public:
    // Creates the thread suspended; it runs routine(context) once resumed. When the thread
    // cannot be made the handle is null and every operation fails.
    Thread(ThreadStartRoutine routine, void* context);
    // Closes the handle. A thread that may still run is not abandoned: it is joined once it
    // ends. One that was never resumed does not run at all.
    ~Thread();
    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;

    // The suspend count before the call; 0xFFFFFFFF without a thread.
    uint32_t Resume();
    bool SetPriority(int32_t priority);
    int32_t GetPriority() const;
    // false disables dynamic priority boosting. true on success.
    bool SetPriorityBoost(bool enable);
    // true when the thread has ended within ms. A thread never waits for itself: called on
    // the thread itself this is false at once.
    bool WaitForExit(uint32_t milliseconds);
    bool IsFinished();
    bool IsCurrentThread() const;
    bool IsValid() const noexcept;
    ThreadHandle GetHandle() const noexcept;
    uint32_t GetId() const noexcept;

private:
    struct Pair {
        ThreadHandle handle;
        uint32_t id;
    };
    Pair* m_pair;
};

// The calling thread's id, as the threads above report theirs.
uint32_t GetCurrentThreadId();
void Sleep(uint32_t milliseconds);

} // namespace KX
