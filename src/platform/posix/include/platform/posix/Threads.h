#pragma once
// Threads and events in the manner of the Windows kernel objects the framework was
// designed around, over the C++ library:
// - an event is manual-reset (stays signalled until reset) or auto-reset (a satisfied
//   wait resets it); waits take milliseconds and answer WaitObject0 + index, WaitTimeout
//   (258) or WaitFailed;
// - a wait for any of several events is satisfied by the lowest signalled index and
//   consumes only that event;
// - a thread may be created suspended and runs once its suspend count drops to 0;
//   its priority and priority-boost setting are kept as values (no scheduler change);
// - waiting on a thread's handle tells whether it has ended; a thread never waits for
//   itself (the wait fails at once instead of blocking);
// - closing a thread handle never abandons a thread that may still run: the thread is
//   joined once it has ended, by whoever next sweeps the process's reaper, or at exit,
//   where the wait is bounded (2 s in all) and a thread still running is let go (detached,
//   its object kept); a handle closed after that exit pass lets its thread go too.
// Handles are counted: an object lives while any handle to it, or a wait on it, remains.
#include <cstdint>

namespace platform::posix {

inline constexpr uint32_t kInfinite = 0xFFFFFFFFu;
inline constexpr uint32_t kWaitObject0 = 0;
inline constexpr uint32_t kWaitTimeout = 258;
inline constexpr uint32_t kWaitFailed = 0xFFFFFFFFu;
// The most handles one wait for any event takes.
inline constexpr uint32_t kMaximumWaitObjects = 64;

// Thread priorities: the values the Windows scheduler accepts.
inline constexpr int32_t kThreadPriorityIdle = -15;
inline constexpr int32_t kThreadPriorityLowest = -2;
inline constexpr int32_t kThreadPriorityBelowNormal = -1;
inline constexpr int32_t kThreadPriorityNormal = 0;
inline constexpr int32_t kThreadPriorityAboveNormal = 1;
inline constexpr int32_t kThreadPriorityHighest = 2;
inline constexpr int32_t kThreadPriorityTimeCritical = 15;
inline constexpr int32_t kThreadPriorityErrorReturn = 0x7FFFFFFF;

class EventObject;
class ThreadObject;
using EventHandle = EventObject*;
using ThreadHandle = ThreadObject*;

// Events. A null handle makes every call fail.
EventHandle CreateEventObject(bool manualReset, bool initiallySignalled);
// Another handle to the same event.
EventHandle DuplicateEventHandle(EventHandle event);
void CloseEventHandle(EventHandle event);
bool SetEventObject(EventHandle event);
bool ResetEventObject(EventHandle event);
uint32_t WaitForEvent(EventHandle event, uint32_t milliseconds);
// Waits until one of count events is signalled: WaitObject0 + the lowest signalled index,
// WaitTimeout, or WaitFailed for a null handle, no handles or more than kMaximumWaitObjects.
uint32_t WaitForAnyEvent(const EventHandle* events, uint32_t count, uint32_t milliseconds);

// Threads.
using ThreadRoutine = uint32_t (*)(void* context);
// Null when the thread cannot be made. threadId (may be null) receives the thread's id.
ThreadHandle CreateThreadObject(ThreadRoutine routine, void* context, bool suspended, uint32_t* threadId);
// Lowers the suspend count by one; returns the count before, or 0xFFFFFFFF for a null handle.
uint32_t ResumeThreadObject(ThreadHandle thread);
// Accepts the scheduler's priority values only.
bool SetThreadPriorityValue(ThreadHandle thread, int32_t priority);
int32_t GetThreadPriorityValue(ThreadHandle thread);
bool SetThreadPriorityBoostDisabled(ThreadHandle thread, bool disabled);
bool GetThreadPriorityBoostDisabled(ThreadHandle thread, bool* disabled);
// WaitObject0 once the thread has ended, else WaitTimeout; WaitFailed for a null handle or
// when the calling thread is the thread itself.
uint32_t WaitForThread(ThreadHandle thread, uint32_t milliseconds);
// The routine's result once ended; false while the thread runs (or never ran).
bool GetThreadExitCode(ThreadHandle thread, uint32_t* exitCode);
uint32_t GetThreadObjectId(ThreadHandle thread);
bool IsCurrentThread(ThreadHandle thread);
// Drops the handle. A thread made suspended and never resumed is cancelled without running its
// routine; one that runs (or is about to) is joined once it has ended (by a later call or at
// exit, waiting a bounded time), or detached when it has not ended by then or its handle is
// closed after the exit-time pass.
void CloseThreadHandle(ThreadHandle thread);

uint32_t GetCurrentThreadIdValue();
void SleepMilliseconds(uint32_t milliseconds);
// Joins every closed thread that has ended; returns how many still run.
uint32_t ReapClosedThreads();
// Threads made and not yet joined and freed, whether their handles are open or closed.
uint32_t CountThreadObjects();

} // namespace platform::posix
