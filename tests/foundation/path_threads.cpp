#include "kx/PathUtils.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <string>
#include <thread>

namespace {

// EnsureDirectoryExists cuts the path while it walks it; a string that shares the caller's
// buffer and is read on another thread meanwhile must never see a cut text.
TEST(PathThreads, EnsureDirectoryExistsNeverWritesIntoASharedBuffer)
{
    kxtest::TempDir dir;
    std::string deep = dir.str();
    for (int i = 0; i < 12; ++i)
        deep += "/d" + std::to_string(i);
    const KX::WString path(deep.c_str());
    const std::u16string expected(path.GetString());

    const KX::WString sharer(path);
    std::atomic<bool> done{false};
    std::atomic<int> torn{0};
    std::thread reader([&] {
        while (!done.load()) {
            if (std::u16string(sharer.GetString()) != expected)
                torn.fetch_add(1);
        }
    });
    for (int round = 0; round < 50; ++round) {
        std::filesystem::remove_all(dir.path() / "d0");
        EXPECT_EQ(KX::EnsureDirectoryExists(path), KX::S_OK);
    }
    done.store(true);
    reader.join();
    EXPECT_EQ(torn.load(), 0);
    EXPECT_TRUE(std::filesystem::is_directory(deep));
}

} // namespace
