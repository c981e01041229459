#pragma once
// Small descriptor-level file calls that retry what POSIX lets them retry (EINTR, short writes).
#include "platform/posix/UniqueFd.h"

#include <cstddef>
#include <string>

namespace platform::posix {

// Writes all size bytes: 0, or the errno of the write that failed (EIO for a write of 0 bytes).
int WriteAll(int fd, const void* data, size_t size) noexcept;

// open(2) with O_CLOEXEC added and EINTR retried; an invalid UniqueFd with errno set on failure.
UniqueFd OpenFd(const std::string& path, int flags, unsigned mode = 0) noexcept;

} // namespace platform::posix
