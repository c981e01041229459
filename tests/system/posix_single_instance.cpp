// One instance per user across processes: the lock decides who is first, a second process hands its
// command line over the socket and waits for the answer, hostile frames are refused without harm,
// and what a killed run leaves behind never stops the next start.
#include "platform/posix/SingleInstance.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace platform::posix;
using namespace std::chrono_literals;

namespace {

const std::string kName = "Tarvel_Test Editor";

// Forks a child that runs body and exits with its result; the parent gets the pid.
template <class Body>
pid_t Spawn(Body body)
{
    const pid_t pid = ::fork();
    if (pid == 0)
        ::_exit(body());
    return pid;
}

int ExitCode(pid_t pid)
{
    int status = 0;
    if (::waitpid(pid, &status, 0) != pid || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

// Polls the first instance until the child has ended; the texts it handed over.
std::vector<std::string> ServeUntilExit(SingleInstance& first, pid_t child, int& exitCode, bool accept = true)
{
    std::vector<std::string> texts;
    for (;;) {
        first.Poll([&](std::string_view text) {
            texts.emplace_back(text);
            return accept;
        });
        int status = 0;
        const pid_t done = ::waitpid(child, &status, WNOHANG);
        if (done == child) {
            exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            return texts;
        }
        std::this_thread::sleep_for(2ms);
    }
}

// A raw client of the first instance's socket.
int Connect(const std::string& path)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// The 8-byte reply a raw client gets, or the bytes it got before the connection closed.
std::string ReadReply(int fd)
{
    std::string reply;
    char buffer[16];
    ssize_t n;
    while (reply.size() < 8 && (n = ::recv(fd, buffer, sizeof buffer, 0)) > 0)
        reply.append(buffer, static_cast<size_t>(n));
    return reply;
}

std::string Reply(uint32_t status)
{
    return std::string("\x65\x04\x00\x00", 4) + std::string(1, char(status)) + std::string(3, '\0');
}

TEST(SingleInstance, ASecondProcessHandsItsCommandLineToTheFirstAndWaitsForTheAnswer)
{
    kxtest::TempDir dir;
    SingleInstance first = SingleInstance::Acquire(kName, dir.str());
    ASSERT_EQ(first.GetRole(), SingleInstance::Role::First) << std::strerror(first.GetError());
    ASSERT_GE(first.ListenFd(), 0);
    EXPECT_EQ(first.LockPath(), dir.str() + "/" + kName + "Prevent.lock");

    const std::string commandLine = "/opt/editor/lumo \"Grüße.Lumo25PresetEditor\" -DEBUG_CONSOLE";
    const pid_t child = Spawn([&] {
        SingleInstance second = SingleInstance::Acquire(kName, dir.str());
        if (second.GetRole() != SingleInstance::Role::Second)
            return 100;
        return second.HandOver(commandLine);
    });
    int exitCode = -1;
    const std::vector<std::string> texts = ServeUntilExit(first, child, exitCode);
    EXPECT_EQ(exitCode, 0);
    EXPECT_EQ(texts, std::vector<std::string>{commandLine});
    EXPECT_EQ(first.PendingConnections(), 0u);

    // A first instance that refuses the text makes the hand-over fail.
    const pid_t refused =
        Spawn([&] { return SingleInstance::Acquire(kName, dir.str()).HandOver("x") == EPROTO ? 0 : 1; });
    ServeUntilExit(first, refused, exitCode, false);
    EXPECT_EQ(exitCode, 0);
}

TEST(SingleInstance, TheSecondGivesUpAfterItsTimeoutWhenTheFirstNeverAnswers)
{
    kxtest::TempDir dir;
    SingleInstance first = SingleInstance::Acquire(kName, dir.str());
    ASSERT_TRUE(first.IsFirst());
    SingleInstance second = SingleInstance::Acquire(kName, dir.str());
    ASSERT_EQ(second.GetRole(), SingleInstance::Role::Second);
    EXPECT_EQ(second.HandOver("text", 100ms), ETIMEDOUT); // connected (backlog), never answered
}

TEST(SingleInstance, ALockHolderWithoutSocketIsReportedNotWaitedForEver)
{
    kxtest::TempDir dir;
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    // A process holding the lock that listens on nothing (its socket could not be made).
    const pid_t holder = Spawn([&] {
        SingleInstance only = SingleInstance::Acquire(kName, dir.str());
        ::unlink(only.SocketPath().c_str());
        char c = only.IsFirst() ? 'y' : 'n';
        (void)!::write(ready[1], &c, 1);
        ::pause();
        return 0;
    });
    char c = 0;
    ASSERT_EQ(::read(ready[0], &c, 1), 1);
    ASSERT_EQ(c, 'y');
    SingleInstance second = SingleInstance::Acquire(kName, dir.str());
    EXPECT_EQ(second.GetRole(), SingleInstance::Role::Second);
    EXPECT_EQ(second.HandOver("text", 5s), ENOENT);
    ::kill(holder, SIGKILL);
    ExitCode(holder);
    ::close(ready[0]);
    ::close(ready[1]);
}

TEST(SingleInstance, TheLockAndSocketOfAKilledRunDoNotBlockTheNextStart)
{
    kxtest::TempDir dir;
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t crashed = Spawn([&] {
        SingleInstance first = SingleInstance::Acquire(kName, dir.str());
        char c = first.IsFirst() && first.ListenFd() >= 0 ? 'y' : 'n';
        (void)!::write(ready[1], &c, 1);
        ::pause();
        return 0;
    });
    char c = 0;
    ASSERT_EQ(::read(ready[0], &c, 1), 1);
    ASSERT_EQ(c, 'y');
    EXPECT_EQ(SingleInstance::Acquire(kName, dir.str()).GetRole(), SingleInstance::Role::Second);
    ::kill(crashed, SIGKILL);
    ExitCode(crashed);
    ::close(ready[0]);
    ::close(ready[1]);

    const std::string stem = dir.str() + "/" + kName + "Prevent";
    ASSERT_TRUE(fs::exists(stem + ".lock"));
    ASSERT_TRUE(fs::is_socket(stem + ".sock")); // both left behind

    SingleInstance next = SingleInstance::Acquire(kName, dir.str());
    ASSERT_TRUE(next.IsFirst());
    ASSERT_GE(next.ListenFd(), 0) << std::strerror(next.GetError());
    const pid_t second = Spawn([&] { return SingleInstance::Acquire(kName, dir.str()).HandOver("again"); });
    int exitCode = -1;
    EXPECT_EQ(ServeUntilExit(next, second, exitCode), std::vector<std::string>{"again"});
    EXPECT_EQ(exitCode, 0);
}

TEST(SingleInstance, DroppingTheFirstRemovesItsSocketAndFreesTheLock)
{
    kxtest::TempDir dir;
    std::string socketPath;
    {
        SingleInstance first = SingleInstance::Acquire(kName, dir.str());
        ASSERT_TRUE(first.IsFirst());
        SingleInstance moved = std::move(first); // the moved-from object must not remove the live socket
        socketPath = moved.SocketPath();
        EXPECT_TRUE(fs::is_socket(socketPath));
    }
    EXPECT_FALSE(fs::exists(socketPath));
    EXPECT_TRUE(SingleInstance::Acquire(kName, dir.str()).IsFirst());
}

// A forked copy of the first instance (a message box's process) that is still running keeps
// neither its lock nor its socket: once the first is gone, the next start is first.
TEST(SingleInstance, AForkedCopyOfTheFirstKeepsNeitherItsLockNorItsSocket)
{
    kxtest::TempDir dir;
    pid_t copy = -1;
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    {
        SingleInstance first = SingleInstance::Acquire(kName, dir.str());
        ASSERT_TRUE(first.IsFirst());
        copy = Spawn([&] {
            const char byte = 1;
            if (::write(ready[1], &byte, 1) != 1)
                return 1;
            ::pause();
            return 0;
        });
        ASSERT_GT(copy, 0);
        char byte = 0;
        ASSERT_EQ(::read(ready[0], &byte, 1), 1);
    }
    ::close(ready[0]);
    ::close(ready[1]);
    SingleInstance next = SingleInstance::Acquire(kName, dir.str());
    EXPECT_TRUE(next.IsFirst());
    ::kill(copy, SIGKILL);
    ::waitpid(copy, nullptr, 0);
}

TEST(SingleInstance, UnusableFoldersAndNamesFailWithoutClaimingToBeSecond)
{
    kxtest::TempDir dir;
    kxtest::WriteText(dir.path() / "file", "x");
    SingleInstance inFile = SingleInstance::Acquire(kName, (dir.path() / "file").string());
    EXPECT_EQ(inFile.GetRole(), SingleInstance::Role::Failed);
    EXPECT_EQ(inFile.GetError(), ENOTDIR);
    EXPECT_EQ(SingleInstance::Acquire("a/b", dir.str()).GetError(), EINVAL);

    // A folder whose socket path is too long for the address: first, without hand-over.
    const fs::path deep = dir.path() / std::string(100, 'd');
    fs::create_directories(deep);
    SingleInstance longPath = SingleInstance::Acquire(kName, deep.string());
    EXPECT_TRUE(longPath.IsFirst());
    EXPECT_EQ(longPath.ListenFd(), -1);
    EXPECT_EQ(longPath.GetError(), ENAMETOOLONG);
    EXPECT_EQ(longPath.Poll([](std::string_view) { return true; }), 0);
}

TEST(SingleInstance, HostileClientsGetMalformedOrNothingAndTheNextClientIsStillServed)
{
    kxtest::TempDir dir;
    SingleInstance first = SingleInstance::Acquire(kName, dir.str());
    ASSERT_GE(first.ListenFd(), 0);
    int handled = 0;
    auto handler = [&](std::string_view) { return ++handled, true; };

    // Announces 4 GiB: refused at the header, nothing is allocated or waited for.
    const int huge = Connect(first.SocketPath());
    ASSERT_GE(huge, 0);
    const char header[8] = {0x65, 0x04, 0, 0, char(0xFF), char(0xFF), char(0xFF), char(0xFF)};
    ASSERT_EQ(::send(huge, header, 8, 0), 8);
    // Sends half a header and stalls.
    const int stalled = Connect(first.SocketPath());
    ASSERT_GE(stalled, 0);
    ASSERT_EQ(::send(stalled, header, 3, 0), 3);
    // Connects and hangs up at once.
    const int gone = Connect(first.SocketPath());
    ::close(gone);

    EXPECT_EQ(first.Poll(handler, 60s), 0);
    EXPECT_EQ(ReadReply(huge), Reply(kHandOverMalformed));
    EXPECT_EQ(first.PendingConnections(), 1u); // the stalled one, still within its limit
    EXPECT_EQ(first.Poll(handler, 0ms), 0);
    EXPECT_EQ(first.PendingConnections(), 0u);
    EXPECT_EQ(ReadReply(stalled), ""); // closed unanswered
    ::close(huge);
    ::close(stalled);

    const std::string frame = EncodeHandOver("ok");
    const int good = Connect(first.SocketPath());
    ASSERT_EQ(::send(good, frame.data(), frame.size(), 0), ssize_t(frame.size()));
    EXPECT_EQ(first.Poll(handler), 1);
    EXPECT_EQ(ReadReply(good), Reply(kHandOverAccepted));
    ::close(good);
    EXPECT_EQ(handled, 1);
}

} // namespace
