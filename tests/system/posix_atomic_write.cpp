// Replacing a file through platform::posix::WriteFileAtomic: the new text arrives whole, and a
// write that fails at any step keeps the old file and leaves no temporary file behind.
#include "platform/posix/AtomicWrite.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <linux/fs.h>
#include <pthread.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;
using platform::posix::WriteFileAtomic;

namespace {

using kxtest::FolderEntries;
using kxtest::InChild;
using kxtest::ReadText;
using kxtest::WriteText;

// Sets or clears the immutable flag, which binds root too; false where the file system or the
// process's capabilities do not allow it.
bool SetImmutable(const fs::path& path, bool on)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    int flags = 0;
    bool ok = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (ok) {
        flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        ok = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    ::close(fd);
    return ok;
}

class AtomicWrite : public ::testing::Test {
protected:
    kxtest::TempDir dir;
    fs::path file = dir.path() / "settings.ini";
    const std::string old = "old text\n";
};

TEST_F(AtomicWrite, ReplacesTheFileKeepsItsPermissionsAndLeavesNothingElse)
{
    ASSERT_EQ(WriteFileAtomic(file.string(), "first"), 0);
    EXPECT_EQ(ReadText(file), "first");
    ASSERT_EQ(::chmod(file.c_str(), 0640), 0);
    struct stat before {};
    ASSERT_EQ(::stat(file.c_str(), &before), 0);

    const std::string big(1 << 20, 'x'); // more than one write call may take
    ASSERT_EQ(WriteFileAtomic(file.string(), big), 0);
    EXPECT_EQ(ReadText(file), big);
    struct stat after {};
    ASSERT_EQ(::stat(file.c_str(), &after), 0);
    EXPECT_NE(after.st_ino, before.st_ino) << "a new file is renamed into place, not the old one rewritten";
    EXPECT_EQ(after.st_mode & 07777, 0640u);
    ASSERT_EQ(WriteFileAtomic(file.string(), ""), 0);
    EXPECT_EQ(fs::file_size(file), 0u);
    EXPECT_EQ(FolderEntries(dir.path()), std::vector<std::string>{"settings.ini"});
}

TEST_F(AtomicWrite, ALinkIsFollowedAndStaysALink)
{
    const fs::path real = dir.path() / "real.ini";
    WriteText(real, old);
    fs::create_symlink(real, file);
    ASSERT_EQ(WriteFileAtomic(file.string(), "new"), 0);
    EXPECT_TRUE(fs::is_symlink(file));
    EXPECT_EQ(ReadText(real), "new");

    const fs::path dangling = dir.path() / "dangling.ini";
    fs::create_symlink(dir.path() / "nowhere" / "x.ini", dangling);
    EXPECT_EQ(WriteFileAtomic(dangling.string(), "x"), ENOENT);
    EXPECT_EQ(FolderEntries(dir.path()), (std::vector<std::string>{"dangling.ini", "real.ini", "settings.ini"}));
}

TEST_F(AtomicWrite, TargetsThatAreNoFileAreRefused)
{
    EXPECT_EQ(WriteFileAtomic(dir.str(), "x"), EISDIR);
    EXPECT_EQ(WriteFileAtomic(dir.str() + "/", "x"), EISDIR);
    EXPECT_EQ(WriteFileAtomic("", "x"), ENOENT);
    EXPECT_EQ(WriteFileAtomic(dir.str() + "/missing/x.ini", "x"), ENOENT);
    const fs::path fifo = dir.path() / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(WriteFileAtomic(fifo.string(), "x"), EINVAL);
    EXPECT_EQ(FolderEntries(dir.path()), std::vector<std::string>{"fifo"});
}

// SIGXFSZ keeps its default action (ending the process) in the child: the write must hold it back,
// fail with EFBIG, restore the signal mask and leave no signal pending.
TEST_F(AtomicWrite, AFileSizeLimitFailsTheWriteAndKeepsTheOldFile)
{
    WriteText(file, old);
    const int status = InChild([&] {
        std::signal(SIGXFSZ, SIG_DFL);
        rlimit limit{};
        ::getrlimit(RLIMIT_FSIZE, &limit);
        limit.rlim_cur = 100;
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0)
            return 10;
        sigset_t before, after, pending;
        ::pthread_sigmask(SIG_SETMASK, nullptr, &before);
        const int error = WriteFileAtomic(file.string(), std::string(1000, 'n'));
        ::pthread_sigmask(SIG_SETMASK, nullptr, &after);
        ::sigpending(&pending);
        if (sigismember(&after, SIGXFSZ) != sigismember(&before, SIGXFSZ))
            return 11;
        if (sigismember(&pending, SIGXFSZ))
            return 12;
        return error == EFBIG ? 0 : 13;
    });
    EXPECT_EQ(status, 0) << "-1: killed by SIGXFSZ; 11: mask changed; 12: signal left pending; 13: wrong error";
    EXPECT_EQ(ReadText(file), old);
    EXPECT_EQ(FolderEntries(dir.path()), std::vector<std::string>{"settings.ini"});
}

TEST_F(AtomicWrite, AReadOnlyFolderFailsTheWriteAndKeepsTheOldFile)
{
    WriteText(file, old);
    ASSERT_EQ(::chmod(file.c_str(), 0666), 0);
    ASSERT_EQ(::chmod(dir.path().c_str(), 0555), 0);
    // Root writes anywhere: write as an ordinary user then.
    const int status = InChild([&] {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            return 10;
        return WriteFileAtomic(file.string(), "new");
    });
    ::chmod(dir.path().c_str(), 0700);
    EXPECT_EQ(status, EACCES);
    EXPECT_EQ(ReadText(file), old);
    EXPECT_EQ(FolderEntries(dir.path()), std::vector<std::string>{"settings.ini"});
}

// An immutable file cannot be replaced, by root either: the rename fails after the whole new text
// was written, and the temporary file must go.
TEST_F(AtomicWrite, AFailedRenameRemovesTheTemporaryFile)
{
    WriteText(file, old);
    if (!SetImmutable(file, true))
        GTEST_SKIP() << "the immutable flag cannot be set here";
    const int error = WriteFileAtomic(file.string(), "new");
    SetImmutable(file, false);
    EXPECT_EQ(error, EPERM);
    EXPECT_EQ(ReadText(file), old);
    EXPECT_EQ(FolderEntries(dir.path()), std::vector<std::string>{"settings.ini"});
}

TEST_F(AtomicWrite, NoFreeDescriptorFailsBeforeAnythingIsWritten)
{
    WriteText(file, old);
    const int status = InChild([&] {
        rlimit limit{0, 0};
        if (::setrlimit(RLIMIT_NOFILE, &limit) != 0)
            return 10;
        return WriteFileAtomic(file.string(), "new");
    });
    EXPECT_EQ(status, EMFILE);
    EXPECT_EQ(ReadText(file), old);
    EXPECT_EQ(FolderEntries(dir.path()), std::vector<std::string>{"settings.ini"});
}

} // namespace
