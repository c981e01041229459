#include "PrivateSessionBus.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace kxtest {

namespace {

constexpr int kStartTimeoutMs = 5000;

// A session bus that lets everyone own and call everything and activates nothing.
std::string BusConfig(const std::string& folder)
{
    return "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
           " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
           "<busconfig>\n"
           "  <type>session</type>\n"
           "  <listen>unix:path=" +
           folder +
           "/bus</listen>\n"
           "  <auth>EXTERNAL</auth>\n"
           "  <policy context=\"default\">\n"
           "    <allow send_destination=\"*\" eavesdrop=\"true\"/>\n"
           "    <allow eavesdrop=\"true\"/>\n"
           "    <allow own=\"*\"/>\n"
           "  </policy>\n"
           "</busconfig>\n";
}

} // namespace

TempFolder::TempFolder()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "kx-test-XXXXXX").string();
    if (mkdtemp(pattern.data()))
        m_path = pattern;
}

TempFolder::~TempFolder()
{
    if (!m_path.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
}

PrivateSessionBus::PrivateSessionBus()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "kx-bus-XXXXXX").string();
    if (!mkdtemp(pattern.data())) {
        m_error = "no temporary folder";
        return;
    }
    m_folder = pattern;
    const std::string config = m_folder + "/bus.conf";
    std::ofstream(config) << BusConfig(m_folder);

    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) {
        m_error = "no pipe";
        return;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    // Its complaints about resource limits a test cannot raise are noise.
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    std::string configArg = "--config-file=" + config;
    char program[] = "dbus-daemon";
    char noFork[] = "--nofork";
    char printAddress[] = "--print-address";
    char* argv[] = {program, configArg.data(), noFork, printAddress, nullptr};
    const int rc = posix_spawnp(&m_pid, program, &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    if (rc != 0) {
        m_pid = -1;
        close(fds[0]);
        m_error = std::string("dbus-daemon: ") + std::strerror(rc);
        return;
    }
    std::string line;
    char c = 0;
    pollfd poller{fds[0], POLLIN, 0};
    while (line.find('\n') == std::string::npos && poll(&poller, 1, kStartTimeoutMs) > 0) {
        if (read(fds[0], &c, 1) != 1)
            break;
        line.push_back(c);
    }
    close(fds[0]);
    if (line.empty() || line.back() != '\n') {
        m_error = "dbus-daemon printed no address";
        return;
    }
    line.pop_back();
    m_address = line;
}

PrivateSessionBus::~PrivateSessionBus()
{
    if (m_pid > 0) {
        kill(m_pid, SIGTERM);
        int status = 0;
        while (waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
        }
    }
    if (!m_folder.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(m_folder, ignored);
    }
}

ScopedEnv::ScopedEnv(const char* name, const std::optional<std::string>& value) : m_name(name)
{
    if (const char* old = std::getenv(name))
        m_old = old;
    if (value)
        setenv(name, value->c_str(), 1);
    else
        unsetenv(name);
}

ScopedEnv::~ScopedEnv()
{
    if (m_old)
        setenv(m_name.c_str(), m_old->c_str(), 1);
    else
        unsetenv(m_name.c_str());
}

} // namespace kxtest
