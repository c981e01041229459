// Strings whose buffers are shared between threads: copies, derived texts and the empty buffer.
#include "kx/StringT.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

using KX::WString;

TEST(StringThreads, SharedBufferSurvivesCopiesOnManyThreads)
{
    const WString shared(u"shared text");
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t) {
        threads.emplace_back([&shared, t] {
            for (int i = 0; i < 2000; ++i) {
                WString copy(shared);
                WString empty;
                WString built = copy + WString::Format(u"/%d/%d", t, i);
                if (built.Find(WString(u"shared text/")) != 0 || !empty.IsEmpty())
                    ADD_FAILURE() << "wrong text on thread " << t;
                // Writing into a copy must never reach the shared buffer.
                char16_t* p = copy.Lock(0);
                p[0] = u'S';
                copy.Unlock();
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(shared.GetBuffer()->GetRefCount(), 1);
    EXPECT_TRUE(shared.Equals(u"shared text"));
}
