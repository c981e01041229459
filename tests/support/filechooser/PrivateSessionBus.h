#pragma once
// A session bus of the test's own (dbus-daemon on a socket in a temporary folder, nothing
// activatable), and an environment variable set for a scope. No GoogleTest here.
#include <optional>
#include <string>
#include <sys/types.h>

namespace kxtest {

class PrivateSessionBus {
public:
    // Starts the daemon; IsRunning tells whether it came up (within a few seconds).
    PrivateSessionBus();
    // Stops the daemon and removes its folder.
    ~PrivateSessionBus();
    PrivateSessionBus(const PrivateSessionBus&) = delete;
    PrivateSessionBus& operator=(const PrivateSessionBus&) = delete;

    bool IsRunning() const { return !m_address.empty(); }
    const std::string& Address() const { return m_address; }
    const std::string& Error() const { return m_error; }

private:
    std::string m_folder;
    std::string m_address;
    std::string m_error;
    pid_t m_pid = -1;
};

// Sets (or, with nullopt, removes) an environment variable and puts the old value back at the end.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::optional<std::string>& value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string m_name;
    std::optional<std::string> m_old;
};

// A new empty folder under the system's temporary folder; removed with its contents at the end.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

} // namespace kxtest
