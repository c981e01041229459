// Starting programs detached: a missing program or file is reported, the child runs with its
// standard streams on /dev/null, and it inherits neither the single-instance lock nor its socket.
#include "platform/posix/SingleInstance.h"
#include "platform/posix/Spawn.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <sstream>
#include <thread>

namespace fs = std::filesystem;
using namespace platform::posix;

namespace {

// Waits (boundedly) for a file that a child writes.
std::string AwaitText(const fs::path& path)
{
    for (int i = 0; i < 1000; ++i) {
        std::string text = kxtest::ReadText(path);
        if (!text.empty() && text.back() == '\n')
            return text;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return {};
}

TEST(Spawn, FailuresAreReportedAndNothingStarts)
{
    EXPECT_EQ(SpawnDetached({"lumo-no-such-program-4711"}), ENOENT);
    EXPECT_EQ(SpawnDetached({}), EINVAL);
    EXPECT_EQ(SpawnDetached({"echo", std::string("a\0b", 3)}), EINVAL);

    kxtest::TempDir dir;
    const fs::path marker = dir.path() / "opened";
    // The opener would leave a marker; a missing file never gets that far.
    EXPECT_EQ(OpenWithDesktop((dir.path() / "missing.pdf").string(), "touch"), ENOENT);
    EXPECT_EQ(OpenWithDesktop((dir.path() / "guide.pdf").string(), "lumo-no-such-opener-4711"), ENOENT);
    kxtest::WriteText(dir.path() / "guide.pdf", "%PDF");
    EXPECT_EQ(OpenWithDesktop((dir.path() / "guide.pdf").string(), "lumo-no-such-opener-4711"), ENOENT);
}

TEST(Spawn, TheChildRunsDetachedWithoutOurLockOrStreams)
{
    kxtest::TempDir dir;
    const std::string name = "Tarvel_Spawn Test";
    std::string streams;
    {
        SingleInstance first = SingleInstance::Acquire(name, dir.str());
        ASSERT_TRUE(first.IsFirst());
        // Outlives the instance and reports what its standard output and session are.
        const std::string script = "readlink /proc/$$/fd/0 /proc/$$/fd/2 | tr '\\n' ' ' > '" +
                                   (dir.path() / "out").string() + ".tmp'; cut -d' ' -f6 /proc/$$/stat >> '" +
                                   (dir.path() / "out").string() + ".tmp'; echo $$ >> '" +
                                   (dir.path() / "out").string() + ".tmp'; mv '" + (dir.path() / "out").string() +
                                   ".tmp' '" + (dir.path() / "out").string() + "'; sleep 2";
        ASSERT_EQ(SpawnDetached({"sh", "-c", script}), 0);
        streams = AwaitText(dir.path() / "out");
    }
    // The child still runs: had it inherited the lock, this start would find itself second.
    EXPECT_TRUE(SingleInstance::Acquire(name, dir.str()).IsFirst());

    // "<stdin> <stderr> <session id>\n<pid>\n"
    std::istringstream words(streams);
    std::string in, err, session, pid;
    words >> in >> err >> session >> pid;
    EXPECT_EQ(in, "/dev/null") << streams;
    EXPECT_EQ(err, "/dev/null") << streams;
    EXPECT_FALSE(pid.empty()) << streams;
    EXPECT_EQ(session, pid) << "the child leads its own session";
}

} // namespace
