#pragma once
// UniqueFd: sole owner of a file descriptor (a file, folder or socket), closed when dropped.
// Movable, not copyable; -1 means "holds nothing".
#include <utility>

namespace platform::posix {

class UniqueFd {
public:
    UniqueFd() noexcept = default;
    explicit UniqueFd(int fd) noexcept : m_fd(fd) {}
    ~UniqueFd() { Reset(); }

    UniqueFd(UniqueFd&& other) noexcept : m_fd(other.Release()) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept
    {
        if (this != &other)
            Reset(other.Release());
        return *this;
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;

    int Get() const noexcept { return m_fd; }
    bool IsValid() const noexcept { return m_fd >= 0; }
    explicit operator bool() const noexcept { return IsValid(); }

    // Gives the descriptor up without closing it.
    int Release() noexcept { return std::exchange(m_fd, -1); }
    // Closes what is held (errors ignored) and takes fd.
    void Reset(int fd = -1) noexcept;
    // Closes what is held: 0, or the errno of close (the descriptor is gone either way).
    int Close() noexcept;

private:
    int m_fd = -1;
};

} // namespace platform::posix
