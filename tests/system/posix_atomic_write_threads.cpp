// Writers racing on one file through platform::posix::WriteFileAtomic: every reader sees one
// writer's whole text, and no temporary file outlives the race.
#include "platform/posix/AtomicWrite.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <thread>
#include <vector>

namespace {

TEST(AtomicWriteThreads, RacingWritersLeaveOneWholeTextAndNoTemporaryFile)
{
    kxtest::TempDir dir;
    const std::string path = dir.str() + "/shared.ini";
    constexpr int kWriters = 4;
    constexpr int kRounds = 25;
    std::vector<std::string> texts;
    for (int w = 0; w < kWriters; ++w)
        texts.push_back(std::string(4096 + 977 * w, char('a' + w)));
    ASSERT_EQ(platform::posix::WriteFileAtomic(path, texts[0]), 0);

    std::atomic<bool> torn{false};
    std::atomic<int> failures{0};
    std::atomic<int> running{kWriters};
    std::thread reader([&] {
        while (running.load() > 0) {
            const std::string seen = kxtest::ReadText(path);
            bool whole = false;
            for (const auto& t : texts)
                whole = whole || seen == t;
            if (!whole)
                torn = true;
        }
    });
    std::vector<std::thread> writers;
    for (int w = 0; w < kWriters; ++w) {
        writers.emplace_back([&, w] {
            for (int r = 0; r < kRounds; ++r)
                if (platform::posix::WriteFileAtomic(path, texts[size_t(w)]) != 0)
                    ++failures;
            --running;
        });
    }
    for (auto& t : writers)
        t.join();
    reader.join();

    EXPECT_EQ(failures.load(), 0);
    EXPECT_FALSE(torn.load()) << "a reader saw a mix of two texts or a partial text";
    EXPECT_EQ(kxtest::FolderEntries(dir.path()).size(), 1u);
}

} // namespace
