#include "platform/posix/FileIo.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace platform::posix {

void UniqueFd::Reset(int fd) noexcept
{
    const int old = std::exchange(m_fd, fd);
    if (old >= 0 && old != fd)
        ::close(old);
}

int UniqueFd::Close() noexcept
{
    const int old = Release();
    if (old < 0)
        return 0;
    // Linux frees the descriptor even when close reports EINTR: never close it twice.
    return ::close(old) == 0 ? 0 : errno;
}

int WriteAll(int fd, const void* data, size_t size) noexcept
{
    const auto* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::write(fd, bytes, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (n == 0)
            return EIO;
        bytes += n;
        size -= static_cast<size_t>(n);
    }
    return 0;
}

UniqueFd OpenFd(const std::string& path, int flags, unsigned mode) noexcept
{
    int fd;
    do {
        fd = ::open(path.c_str(), flags | O_CLOEXEC, static_cast<mode_t>(mode));
    } while (fd < 0 && errno == EINTR);
    return UniqueFd(fd);
}

} // namespace platform::posix
