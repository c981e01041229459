#pragma once
// Waits for the threads that tests make to be gone: ended, joined and freed.
#include "platform/posix/Threads.h"

#include <cstdint>

namespace kxtest {

// true once no more platform threads exist than `baseline` (within a generous bound).
inline bool WaitForThreadsBack(uint32_t baseline)
{
    for (int i = 0; i < 10000; ++i) {
        platform::posix::ReapClosedThreads();
        if (platform::posix::CountThreadObjects() <= baseline)
            return true;
        platform::posix::SleepMilliseconds(1);
    }
    return false;
}

} // namespace kxtest
