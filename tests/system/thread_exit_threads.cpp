// Thread handles closed while the process exits: no thread is left behind unjoined and
// undetached (ThreadSanitizer reports such a thread as leaked and fails the exit), and a
// thread that never ends does not keep the process from exiting.
#include "platform/Threads.h"

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
    platform::ThreadHandle handle = nullptr;
    platform::EventHandle go = nullptr;
    std::atomic<long> tid{0};
};

LateCloser* g_closer = nullptr;

// Closes its own handle when told to, as a pool does that ends on its own worker.
uint32_t CloseOwnHandleWhenTold(void* context)
{
    auto* closer = static_cast<LateCloser*>(context);
    closer->tid.store(static_cast<long>(syscall(SYS_gettid)));
    platform::WaitForEvent(closer->go, platform::kInfinite);
    platform::CloseThreadHandle(closer->handle);
    return 0;
}

// Registered before the reaper's own exit handler, so it runs after the reaper's exit pass.
void CloseAfterTheExitPass()
{
    platform::SetEventObject(g_closer->go);
    // Waits until the thread has ended for good: only then could it count as leaked.
    const std::string task = "/proc/self/task/" + std::to_string(g_closer->tid.load());
    for (int i = 0; i < 20000 && std::filesystem::exists(task); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

void ExitWhileAThreadClosesItselfLate()
{
    std::atexit(CloseAfterTheExitPass);
    g_closer = new LateCloser;
    g_closer->go = platform::CreateEventObject(true, false);
    g_closer->handle = platform::CreateThreadObject(&CloseOwnHandleWhenTold, g_closer, true, nullptr);
    if (g_closer->handle == nullptr)
        std::_Exit(3);
    platform::ResumeThreadObject(g_closer->handle);
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
    platform::EventHandle started = platform::CreateEventObject(true, false);
    platform::EventHandle never = platform::CreateEventObject(true, false);
};

uint32_t NeverEnd(void* context)
{
    auto* state = static_cast<NeverEnding*>(context);
    platform::SetEventObject(state->started);
    platform::WaitForEvent(state->never, platform::kInfinite);
    return 0;
}

void ExitWhileAClosedThreadNeverEnds()
{
    // Bounds the child: a hung exit ends by the alarm's signal, not with code 0.
    alarm(30);
    auto* state = new NeverEnding;
    platform::ThreadHandle thread = platform::CreateThreadObject(&NeverEnd, state, false, nullptr);
    if (thread == nullptr)
        std::_Exit(3);
    platform::WaitForEvent(state->started, platform::kInfinite);
    // Handed to the reaper while it still runs, as after a stop wait that ran out.
    platform::CloseThreadHandle(thread);
    std::exit(0);
}

TEST(ThreadExit, AThreadThatNeverEndsDoesNotStopTheProcessExiting)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(ExitWhileAClosedThreadNeverEnds(), ::testing::ExitedWithCode(0), "");
}

} // namespace
