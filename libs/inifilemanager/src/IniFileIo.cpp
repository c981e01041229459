#include "inifile/IniFileIo.h"

#include "inifile/IniDocument.h"

#include "platform/posix/FileIo.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace KX::Ini {

namespace {

void SetError(int* errorNumber, int value)
{
    if (errorNumber)
        *errorNumber = value;
}

std::optional<std::string> RealPath(const std::string& path)
{
    std::unique_ptr<char, decltype(&std::free)> resolved(::realpath(path.c_str(), nullptr), &std::free);
    if (!resolved)
        return std::nullopt;
    return std::string(resolved.get());
}

} // namespace

ReadResult ReadWholeFile(const std::string& path, std::string& bytes, int* errorNumber)
{
    bytes.clear();
    // Non-blocking, so that a FIFO in the file's place cannot stall the open.
    const platform::posix::UniqueFd file = platform::posix::OpenFd(path, O_RDONLY | O_NOCTTY | O_NONBLOCK);
    if (!file) {
        SetError(errorNumber, errno);
        return errno == ENOENT ? ReadResult::Missing : ReadResult::Failed;
    }
    struct stat st {};
    if (::fstat(file.Get(), &st) != 0) {
        SetError(errorNumber, errno);
        return ReadResult::Failed;
    }
    if (!S_ISREG(st.st_mode)) {
        SetError(errorNumber, S_ISDIR(st.st_mode) ? EISDIR : EINVAL);
        return ReadResult::Failed;
    }
    if (static_cast<unsigned long long>(st.st_size) > kMaxFileSize)
        return ReadResult::TooLarge;
    bytes.resize(static_cast<std::size_t>(st.st_size));
    std::size_t done = 0;
    for (;;) {
        if (done == bytes.size()) {
            if (bytes.size() > kMaxFileSize)
                return ReadResult::TooLarge;
            bytes.resize(bytes.size() + 4096); // the file may have grown since fstat
        }
        const ssize_t n = ::read(file.Get(), bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            SetError(errorNumber, errno);
            bytes.clear();
            return ReadResult::Failed;
        }
        if (n == 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    bytes.resize(done);
    if (bytes.size() > kMaxFileSize)
        return ReadResult::TooLarge;
    return ReadResult::Ok;
}

std::optional<std::string> ResolveFilePath(std::string_view text)
{
    std::string path(text);
    for (char& c : path)
        if (c == '\\')
            c = '/';
    if (path.empty() || path.back() == '/' || path.find('\0') != std::string::npos)
        return std::nullopt;
    if (auto resolved = RealPath(path))
        return resolved;
    if (errno != ENOENT)
        return std::nullopt;
    const auto slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (name == "." || name == "..")
        return std::nullopt;
    auto resolvedFolder = RealPath(folder);
    if (!resolvedFolder)
        return std::nullopt;
    struct stat st {};
    if (::stat(resolvedFolder->c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return std::nullopt;
    return (*resolvedFolder == "/" ? "" : *resolvedFolder) + "/" + name;
}

} // namespace KX::Ini
