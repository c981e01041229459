// The settings library used from several threads at once: shared handles, handles closed under
// other threads' feet, and no change lost.
#include "IniLibrary.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

using namespace KX::Ini;

namespace {

TEST(IniLibraryThreads, ConcurrentChangesThroughSharedHandlesAreAllKept)
{
    const auto& lib = initest::IniLibrary::Get();
    ASSERT_TRUE(lib.error.empty()) << lib.error;
    kxtest::TempDir dir;
    const std::string path = dir.str() + "/UserSettings.ini";

    int32_t shared = 0;
    ASSERT_EQ(lib.OpenIniFile(path.c_str(), "1_0_0", "p", &shared), kOk);

    constexpr int kThreads = 4;
    constexpr int kRounds = 25;
    std::atomic<bool> stop{false};
    std::vector<std::thread> writers;
    for (int t = 0; t < kThreads; ++t) {
        writers.emplace_back([&, t] {
            // Half the threads use their own handle on the same file.
            int32_t own = shared;
            if (t % 2 == 1) {
                EXPECT_EQ(lib.OpenIniFile(path.c_str(), "1_0_0", "p", &own), kOk);
            }
            for (int i = 0; i < kRounds; ++i) {
                const std::string key = "T" + std::to_string(t) + "/Key";
                EXPECT_EQ(lib.SetIniValueInt(own, key.c_str(), i), kOk);
                int32_t value = -1;
                EXPECT_EQ(lib.GetIniValueInt(own, key.c_str(), -1, &value), kOk);
                EXPECT_EQ(value, i);
                EXPECT_EQ(lib.SetArrayCount(own, "Shared/List", (i % 3) + 1), kOk);
            }
            if (own != shared) {
                EXPECT_EQ(lib.CloseIniFile(own, 0), kOk);
            }
        });
    }
    // Handles opened and closed while others are in use; stale handles must fail cleanly.
    std::thread churn([&] {
        while (!stop) {
            int32_t h = 0;
            ASSERT_EQ(lib.OpenIniFile(path.c_str(), nullptr, "p", &h), kOk);
            int32_t count = -1;
            EXPECT_GE(lib.GetKeyCount(h, "1_0_0/T0", &count), 0);
            EXPECT_EQ(lib.CloseIniFile(h, 0), kOk);
            EXPECT_EQ(lib.GetKeyCount(h, "1_0_0/T0", &count), kBadHandle);
            EXPECT_FALSE(lib.DoesNodeExist(h, "1_0_0"));
        }
    });
    for (auto& w : writers)
        w.join();
    stop = true;
    churn.join();
    ASSERT_EQ(lib.CloseIniFile(shared, 0), kOk);

    int32_t reopened = 0;
    ASSERT_EQ(lib.OpenIniFile(path.c_str(), "1_0_0", "p", &reopened), kOk);
    for (int t = 0; t < kThreads; ++t) {
        int32_t value = -1;
        EXPECT_EQ(lib.GetIniValueInt(reopened, ("T" + std::to_string(t) + "/Key").c_str(), -1, &value), kOk);
        EXPECT_EQ(value, kRounds - 1) << t;
    }
    EXPECT_EQ(lib.CloseIniFile(reopened, 0), kOk);
}

} // namespace
