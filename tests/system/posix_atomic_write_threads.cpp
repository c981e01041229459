// Writers racing on one file through platform::posix::WriteFileAtomic: every reader sees one
// writer's whole text, and no temporary file outlives the race.
#include "platform/posix/AtomicWrite.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <sstream>
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
            std::ifstream in(path, std::ios::binary);
            std::ostringstream text;
            text << in.rdbuf();
            const std::string seen = text.str();
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
    size_t entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.path()))
        ++entries;
    EXPECT_EQ(entries, 1u);
}

} // namespace
