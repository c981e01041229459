#pragma once
// One running instance per user: the first process takes an exclusive lock on
// "<folder>/<name>Prevent.lock" and listens on the Unix-domain socket "<folder>/<name>Prevent.sock";
// a later process finds the lock taken and hands its command line to the first over the socket,
// then waits for the first to acknowledge it (as a synchronous window message would). The lock dies
// with its process and the first instance replaces any socket file it finds, so a crashed run never
// blocks a start; forked copies of the process close both at once (ForkGuard.h), so that none
// keeps them after the process ended. The folder is $XDG_RUNTIME_DIR, else the user's cache folder.
//
// Wire format, both directions little-endian: the request is {tag u32 = 0x465, length u32, bytes},
// the bytes being UTF-8 text ended by its zero (counted in length, 1..kMaxHandOverBytes); the reply
// is {tag u32 = 0x465, status u32} with status 0 accepted, 1 refused, 2 malformed.
// Threads: an object is used by one thread at a time. The first instance polls it from the main
// thread's idle pass (the main window's 33 ms tick starts one at least that often) and gives the
// text to its window (platform::sdl::DeliverCommandLine).
#include "platform/posix/UniqueFd.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace platform::posix {

inline constexpr uint32_t kHandOverTag = 0x465;
// The longest request body, in bytes with its ending zero: the system's usual limit of a whole
// command line (ARG_MAX).
inline constexpr uint32_t kMaxHandOverBytes = 2u * 1024u * 1024u;

inline constexpr uint32_t kHandOverAccepted = 0;
inline constexpr uint32_t kHandOverRefused = 1;
inline constexpr uint32_t kHandOverMalformed = 2;

// The request frame for text (its zero is appended); empty when the text holds a zero byte or is
// too long.
std::string EncodeHandOver(std::string_view utf8Text);

// Reads one request frame from bytes that arrive in pieces. A bad tag, a length of 0 or above the
// bound, or a body not ended by exactly one zero (at its end) is an error as soon as it shows.
class HandOverReader {
public:
    enum class State { NeedMore, Complete, Error };

    // Takes bytes; returns the state after them. Bytes after a complete frame, or after an error,
    // are not taken (consumed tells how many were).
    State Feed(const void* data, size_t size, size_t* consumed = nullptr);
    State GetState() const noexcept { return m_state; }
    // The text without its zero, once Complete.
    std::string_view Text() const noexcept;
    // Why it failed, once Error.
    const std::string& ErrorText() const noexcept { return m_error; }

private:
    State Fail(std::string text);

    State m_state = State::NeedMore;
    uint8_t m_header[8] = {};
    size_t m_headerHave = 0;
    uint32_t m_length = 0;
    std::string m_body;
    std::string m_error;
};

class SingleInstance {
public:
    enum class Role {
        First,  // this process holds the lock and listens
        Second, // another process holds the lock
        Failed, // no folder, no lock file: go on as an instance without the check
    };

    // Returns whether the text was taken (the reply is then "accepted", else "refused").
    using CommandLineHandler = std::function<bool(std::string_view utf8Text)>;

    SingleInstance() = default;
    SingleInstance(SingleInstance&&) noexcept = default;
    SingleInstance& operator=(SingleInstance&& other) noexcept;
    ~SingleInstance();

    // Tries to become the first instance of name in folder (empty: the runtime folder, else the cache
    // folder, which is made when missing).
    static SingleInstance Acquire(const std::string& name, const std::string& folder = {});
    // The folder Acquire uses when given none; empty when neither is known.
    static std::string DefaultFolder();

    Role GetRole() const noexcept { return m_role; }
    bool IsFirst() const noexcept { return m_role == Role::First; }
    // errno of the step that failed (Failed), or of a failed listen (First without a socket), else 0.
    int GetError() const noexcept { return m_error; }
    const std::string& LockPath() const noexcept { return m_lockPath; }
    const std::string& SocketPath() const noexcept { return m_socketPath; }

    // Second instance: sends the text and waits up to timeout for the reply. 0 when accepted;
    // ECONNREFUSED/ENOENT when no first instance listens (after brief retries for one that is
    // starting), ETIMEDOUT, EPROTO for a refused or malformed reply, EINVAL for text that cannot be
    // framed, or the errno of the socket call.
    int HandOver(std::string_view utf8Text, std::chrono::milliseconds timeout = std::chrono::milliseconds(10000)) const;

    // First instance: the listening socket (readable when a second instance connects), -1 without.
    int ListenFd() const noexcept { return m_listen.Get(); }
    // First instance: accepts waiting connections and reads what they sent without blocking; calls
    // handler for each complete request (on this thread, holding nothing) and replies. A connection
    // that sends a bad frame gets "malformed" and is closed; one from another user, or that stays
    // incomplete longer than stallLimit, is closed without a reply. Returns the number of requests
    // handed to handler.
    int Poll(const CommandLineHandler& handler, std::chrono::milliseconds stallLimit = std::chrono::milliseconds(5000));
    // Connections accepted and not yet finished.
    size_t PendingConnections() const noexcept { return m_pending.size(); }

private:
    // Lets go of the lock and the socket (removing its file when listening).
    void Release() noexcept;

    struct Pending {
        UniqueFd fd;
        HandOverReader reader;
        std::chrono::steady_clock::time_point since;
    };

    Role m_role = Role::Failed;
    int m_error = 0;
    std::string m_lockPath;
    std::string m_socketPath;
    UniqueFd m_lock;
    UniqueFd m_listen;
    std::vector<Pending> m_pending;
};

} // namespace platform::posix
