// Thread handles closed while the process exits: no thread is left behind unjoined and
// undetached (ThreadSanitizer reports such a thread as leaked and fails the exit), and a
// thread that never ends does not keep the process from exiting.
#include "platform/posix/Threads.h"

#include <gtest/gtest.h>

#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

namespace {

struct LateCloser {
    platform::posix::ThreadHandle handle = nullptr;
    platform::posix::EventHandle go = nullptr;
    std::atomic<long> tid{0};
};

LateCloser* g_closer = nullptr;

// Closes its own handle when told to, as a pool does that ends on its own worker.
uint32_t CloseOwnHandleWhenTold(void* context)
{
    auto* closer = static_cast<LateCloser*>(context);
    closer->tid.store(static_cast<long>(syscall(SYS_gettid)));
    platform::posix::WaitForEvent(closer->go, platform::posix::kInfinite);
    platform::posix::CloseThreadHandle(closer->handle);
    return 0;
}

// Registered before the reaper's own exit handler, so it runs after the reaper's exit pass.
void CloseAfterTheExitPass()
{
    platform::posix::SetEventObject(g_closer->go);
    // Waits until the thread has ended for good: only then could it count as leaked.
    const std::string task = "/proc/self/task/" + std::to_string(g_closer->tid.load());
    for (int i = 0; i < 20000 && std::filesystem::exists(task); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

void ExitWhileAThreadClosesItselfLate()
{
    std::atexit(CloseAfterTheExitPass);
    g_closer = new LateCloser;
    g_closer->go = platform::posix::CreateEventObject(true, false);
    g_closer->handle = platform::posix::CreateThreadObject(&CloseOwnHandleWhenTold, g_closer, true, nullptr);
    if (g_closer->handle == nullptr)
        std::_Exit(3);
    platform::posix::ResumeThreadObject(g_closer->handle);
    while (g_closer->tid.load() == 0)
        std::this_thread::yield();
    std::exit(0);
}

TEST(ThreadExit, AHandleClosedAfterTheExitPassLeavesNoThreadBehind)
{
    // A fresh process, so that the reaper is made after the handler above is registered.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(ExitWhileAThreadClosesItselfLate(), ::testing::ExitedWithCode(0), "");
}

struct NeverEnding {
    platform::posix::EventHandle started = platform::posix::CreateEventObject(true, false);
    platform::posix::EventHandle never = platform::posix::CreateEventObject(true, false);
};

uint32_t NeverEnd(void* context)
{
    auto* state = static_cast<NeverEnding*>(context);
    platform::posix::SetEventObject(state->started);
    platform::posix::WaitForEvent(state->never, platform::posix::kInfinite);
    return 0;
}

void ExitWhileAClosedThreadNeverEnds()
{
    // Bounds the child: a hung exit ends by the alarm's signal, not with code 0.
    alarm(30);
    auto* state = new NeverEnding;
    platform::posix::ThreadHandle thread = platform::posix::CreateThreadObject(&NeverEnd, state, false, nullptr);
    if (thread == nullptr)
        std::_Exit(3);
    platform::posix::WaitForEvent(state->started, platform::posix::kInfinite);
    // Handed to the reaper while it still runs, as after a stop wait that ran out.
    platform::posix::CloseThreadHandle(thread);
    std::exit(0);
}

TEST(ThreadExit, AThreadThatNeverEndsDoesNotStopTheProcessExiting)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(ExitWhileAClosedThreadNeverEnds(), ::testing::ExitedWithCode(0), "");
}

} // namespace
