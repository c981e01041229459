#include "platform/posix/ForkGuard.h"

#include <fcntl.h>
#include <pthread.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>

namespace platform::posix {

namespace {

constexpr size_t kMaxFds = 8;
// Each slot holds a descriptor + 1; 0 is free.
std::array<std::atomic<int>, kMaxFds> g_closeInChild{};
std::atomic<pid_t> g_parent{0};
// Process groups of children started through exec that the program waits for; 0 is free.
std::array<std::atomic<pid_t>, kMaxFds> g_awaited{};
std::atomic<bool> g_signalled{false};
// Readable once a termination signal has come (never drained); -1 before the guard watches signals.
std::atomic<int> g_signalledFd{-1};

void PrepareFork()
{
    g_parent.store(::getpid());
}

// In the child, before fork returns there: async-signal-safe calls only.
void InForkedChild()
{
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    // The parent may have ended before the line above.
    if (::getppid() != g_parent.load())
        ::_exit(1);
    // The copy ends as signalled, not through the parent's handler.
    for (const int signal : {SIGTERM, SIGINT, SIGHUP})
        ::signal(signal, SIG_DFL);
    for (std::atomic<int>& slot : g_closeInChild) {
        const int held = slot.exchange(0);
        if (held > 0)
            ::close(held - 1);
    }
}

std::mutex g_signalLock;
int g_signalledReadFd = -1;
std::function<void()> g_onSignal;
int g_wakeFd = -1;

void OnTerminationSignal(int)
{
    const int saved = errno;
    const char byte = 1;
    // A full pipe already holds a wake-up.
    [[maybe_unused]] const ssize_t written = ::write(g_wakeFd, &byte, 1);
    errno = saved;
}

void WatchSignals(int readFd)
{
    char byte = 0;
    for (;;) {
        const ssize_t n = ::read(readFd, &byte, 1);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        g_signalled.store(true);
        if (const int fd = g_signalledFd.load(); fd >= 0) {
            [[maybe_unused]] const ssize_t written = ::write(fd, &byte, 1);
        }
        EndForkedChildren();
        for (std::atomic<pid_t>& slot : g_awaited)
            if (const pid_t pid = slot.load(); pid > 0)
                ::kill(-pid, SIGTERM);
        std::function<void()> onSignal;
        {
            std::lock_guard<std::mutex> lock(g_signalLock);
            onSignal = g_onSignal;
        }
        if (onSignal)
            onSignal();
    }
}

} // namespace

void InstallForkGuard()
{
    static std::once_flag once;
    std::call_once(once, [] { ::pthread_atfork(&PrepareFork, nullptr, &InForkedChild); });
}

void CloseInForkedChildren(int fd)
{
    if (fd < 0)
        return;
    InstallForkGuard();
    for (std::atomic<int>& slot : g_closeInChild) {
        int expected = 0;
        if (slot.compare_exchange_strong(expected, fd + 1))
            return;
    }
}

void KeepInForkedChildren(int fd)
{
    if (fd < 0)
        return;
    for (std::atomic<int>& slot : g_closeInChild) {
        int expected = fd + 1;
        slot.compare_exchange_strong(expected, 0);
    }
}

void EndForkedChildrenOnSignal(std::function<void()> onSignal)
{
    InstallForkGuard();
    {
        std::lock_guard<std::mutex> lock(g_signalLock);
        g_onSignal = std::move(onSignal);
    }
    static std::once_flag once;
    std::call_once(once, [] {
        int fds[2], signalled[2];
        if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0)
            return;
        if (::pipe2(signalled, O_CLOEXEC | O_NONBLOCK) == 0) {
            g_signalledReadFd = signalled[0];
            g_signalledFd.store(signalled[1]);
        }
        // The watcher blocks on its end; the handler never does.
        ::fcntl(fds[0], F_SETFL, 0);
        g_wakeFd = fds[1];
        std::thread(WatchSignals, fds[0]).detach();
        struct sigaction action {};
        action.sa_handler = &OnTerminationSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        for (const int signal : {SIGTERM, SIGINT, SIGHUP})
            ::sigaction(signal, &action, nullptr);
    });
}

void EndOnTerminationSignal(int pid)
{
    if (pid <= 0)
        return;
    for (std::atomic<pid_t>& slot : g_awaited) {
        pid_t expected = 0;
        if (slot.compare_exchange_strong(expected, pid))
            break;
    }
    // The signal may have come before the child was listed.
    if (g_signalled.load())
        ::kill(-pid, SIGTERM);
}

void ForgetOnTerminationSignal(int pid)
{
    for (std::atomic<pid_t>& slot : g_awaited) {
        pid_t expected = pid;
        slot.compare_exchange_strong(expected, 0);
    }
}

bool TerminationSignalled()
{
    return g_signalled.load();
}

int TerminationSignalledFd()
{
    return g_signalledFd.load() >= 0 ? g_signalledReadFd : -1;
}

int EndForkedChildren()
{
    namespace fs = std::filesystem;
    const pid_t self = ::getpid();
    std::error_code error;
    const fs::path ownExe = fs::read_symlink("/proc/self/exe", error);
    if (error)
        return 0;
    int signalled = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator("/proc", error)) {
        const std::string name = entry.path().filename().string();
        if (name.empty() || name.find_first_not_of("0123456789") != std::string::npos)
            continue;
        std::ifstream status(entry.path() / "status");
        std::string line;
        pid_t parent = -1;
        while (std::getline(status, line))
            if (line.rfind("PPid:", 0) == 0) {
                parent = static_cast<pid_t>(std::atoi(line.c_str() + 5));
                break;
            }
        if (parent != self)
            continue;
        std::error_code exeError;
        if (fs::read_symlink(entry.path() / "exe", exeError) != ownExe || exeError)
            continue;
        if (::kill(static_cast<pid_t>(std::atoi(name.c_str())), SIGTERM) == 0)
            ++signalled;
    }
    return signalled;
}

} // namespace platform::posix
