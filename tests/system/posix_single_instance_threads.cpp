// Many second instances handing over at once while the first polls: each text arrives once, whole,
// and each sender gets its answer.
#include "platform/posix/SingleInstance.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

using namespace platform::posix;
using namespace std::chrono_literals;

namespace {

TEST(SingleInstanceThreads, ConcurrentHandOversAreEachServedOnce)
{
    kxtest::TempDir dir;
    const std::string name = "Tarvel_Threads";
    SingleInstance first = SingleInstance::Acquire(name, dir.str());
    ASSERT_GE(first.ListenFd(), 0);

    constexpr int kSenders = 12;
    std::atomic<int> finished{0};
    std::vector<int> results(kSenders, -1);
    std::vector<std::thread> senders;
    for (int i = 0; i < kSenders; ++i)
        senders.emplace_back([&, i] {
            const SingleInstance second = SingleInstance::Acquire(name, dir.str());
            // Long enough to need several reads: the first sees it in pieces.
            const std::string text = std::to_string(i) + std::string(20000, char('a' + i));
            results[size_t(i)] = second.GetRole() == SingleInstance::Role::Second ? second.HandOver(text, 30s) : -2;
            finished.fetch_add(1);
        });

    std::vector<std::string> received;
    while (finished.load() < kSenders)
        first.Poll([&](std::string_view text) {
            received.emplace_back(text);
            return true;
        });
    for (std::thread& t : senders)
        t.join();

    EXPECT_EQ(results, std::vector<int>(kSenders, 0));
    ASSERT_EQ(received.size(), size_t(kSenders));
    std::sort(received.begin(), received.end());
    for (int i = 0; i < kSenders; ++i) {
        const std::string expected = std::to_string(i) + std::string(20000, char('a' + i));
        EXPECT_TRUE(std::binary_search(received.begin(), received.end(), expected)) << i;
    }
}

} // namespace
