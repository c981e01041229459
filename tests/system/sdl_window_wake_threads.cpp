// Waking the SDL event loop from another thread: the idle pass that follows runs on the loop's thread.
#include "SdlWindowSupport.h"

#include <thread>

namespace {

using namespace sdltest;

TEST(SdlEventLoopWake, AWakeFromAnotherThreadStartsAnIdlePeriodOnTheLoopThread)
{
    if (!StartVideo())
        GTEST_SKIP() << "no offscreen video driver: " << SDL_GetError();
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    EventLoop loop;
    const std::thread::id loopThread = std::this_thread::get_id();
    std::thread waker;
    int passes = 0;
    bool onLoopThread = false;
    loop.SetIdleHandler([&](int count) {
        ++passes;
        if (passes == 1)
            waker = std::thread([] { EventLoop::Wake(); });
        else {
            onLoopThread = std::this_thread::get_id() == loopThread && count == 0;
            loop.Quit(0);
        }
        return false;
    });
    loop.Run(); // no windows, no ticks: only the wake ends the wait
    waker.join();
    EXPECT_EQ(passes, 2);
    EXPECT_TRUE(onLoopThread);
}

} // namespace
