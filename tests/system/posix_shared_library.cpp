// Loading shared libraries through platform::posix::SharedLibrary (the settings library that the
// build puts beside the test program serves as a real one), and the executable's folder.
#include "platform/posix/SharedLibrary.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <filesystem>
#include <unistd.h>

namespace fs = std::filesystem;
using platform::posix::SharedLibrary;

namespace {

constexpr const char* kLibrary = "libIniFileManager.so";
using OpenIniFileFn = int32_t (*)(const char*, const char*, const char*, int32_t*);

TEST(SharedLibrary, TheExecutableFolderHoldsThisProgram)
{
    const std::string folder = platform::posix::ExecutableFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.front(), '/');
    EXPECT_NE(folder.back(), '/');
    EXPECT_EQ(fs::path(folder), fs::canonical("/proc/self/exe").parent_path());
}

TEST(SharedLibrary, AMissingFileLeavesAnEmptyObjectWithTheLoadersMessage)
{
    SharedLibrary missing = SharedLibrary::LoadBesideExecutable("libNoSuchLibrary.so");
    EXPECT_FALSE(missing.IsLoaded());
    EXPECT_FALSE(missing);
    EXPECT_NE(missing.LastError().find("libNoSuchLibrary.so"), std::string::npos) << missing.LastError();
    OpenIniFileFn fn = reinterpret_cast<OpenIniFileFn>(1);
    EXPECT_FALSE(missing.Resolve(fn, "OpenIniFile"));
    EXPECT_EQ(fn, nullptr);
    EXPECT_EQ(missing.Unload(), 0);

    // A file that is no shared library fails the same way.
    char self[] = "/tmp/kx-not-a-library-XXXXXX";
    const int fd = ::mkstemp(self);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, "junk", 4), 4);
    ::close(fd);
    SharedLibrary junk{std::string(self)};
    ::unlink(self);
    EXPECT_FALSE(junk.IsLoaded());
    EXPECT_FALSE(junk.LastError().empty());
}

TEST(SharedLibrary, ResolvesEntryPointsAndReportsMissingOnes)
{
    SharedLibrary library = SharedLibrary::LoadBesideExecutable(kLibrary);
    ASSERT_TRUE(library.IsLoaded()) << library.LastError();
    EXPECT_TRUE(library.LastError().empty());

    OpenIniFileFn open = nullptr;
    EXPECT_TRUE(library.Resolve(open, "OpenIniFile"));
    ASSERT_NE(open, nullptr);
    int32_t handle = 0;
    EXPECT_NE(open(nullptr, nullptr, nullptr, &handle), 0) << "the entry point is callable and refuses no path";

    OpenIniFileFn missing = open;
    EXPECT_FALSE(library.Resolve(missing, "NoSuchEntryPoint"));
    EXPECT_EQ(missing, nullptr);
    EXPECT_NE(library.LastError().find("NoSuchEntryPoint"), std::string::npos) << library.LastError();
    // Only the exported entry points are visible: internal symbols stay hidden.
    EXPECT_EQ(library.Symbol("_ZN2KX3Ini15ResolveFilePathESt17basic_string_viewIcSt11char_traitsIcEE"), nullptr);
    EXPECT_EQ(library.Symbol(nullptr), nullptr);
}

TEST(SharedLibrary, MovingHandsTheLibraryOverAndTheLastOwnerUnloadsIt)
{
    const std::string path = platform::posix::ExecutableFolder() + "/" + kLibrary;
    auto stillLoaded = [&] {
        void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
        if (handle)
            ::dlclose(handle);
        return handle != nullptr;
    };
    if (stillLoaded())
        GTEST_SKIP() << "another part of this process holds the library";
    {
        SharedLibrary first(path);
        ASSERT_TRUE(first.IsLoaded()) << first.LastError();
        SharedLibrary second(std::move(first));
        EXPECT_FALSE(first.IsLoaded());
        EXPECT_TRUE(second.IsLoaded());
        EXPECT_NE(second.Symbol("CloseIniFile"), nullptr);

        SharedLibrary third;
        third = std::move(second);
        EXPECT_FALSE(second.IsLoaded());
        EXPECT_TRUE(stillLoaded());
        third = SharedLibrary(); // dropping the old library unloads it
        EXPECT_FALSE(third.IsLoaded());
        EXPECT_FALSE(stillLoaded());

        third = SharedLibrary(path);
        EXPECT_TRUE(stillLoaded());
    }
    EXPECT_FALSE(stillLoaded()) << "the destructor unloads";
}

TEST(SharedLibrary, AReleasedLibraryStaysLoadedAndItsEntryPointsCallable)
{
    const std::string path = platform::posix::ExecutableFolder() + "/" + kLibrary;
    // In a child, so that the library this process keeps loaded hides nothing from the other tests.
    const int status = kxtest::InChild([&] {
        OpenIniFileFn open = nullptr;
        {
            SharedLibrary library(path);
            if (!library.IsLoaded() || !library.Resolve(open, "OpenIniFile"))
                return 1;
            library.Release();
            if (library.IsLoaded() || library.Unload() != 0)
                return 2;
        }
        void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
        if (!handle)
            return 3;
        ::dlclose(handle);
        int32_t file = 0;
        return open(nullptr, nullptr, nullptr, &file) != 0 ? 0 : 4;
    });
    EXPECT_EQ(status, 0) << "1: not loaded, 2: still owned, 3: unloaded, 4: not callable";
}

} // namespace
