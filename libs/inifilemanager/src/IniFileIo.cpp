#include "inifile/IniFileIo.h"

#include "inifile/IniDocument.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace KX::Ini {

namespace {

struct FdCloser {
    int fd = -1;
    ~FdCloser()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

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
    FdCloser file{::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK)};
    if (file.fd < 0) {
        SetError(errorNumber, errno);
        return errno == ENOENT ? ReadResult::Missing : ReadResult::Failed;
    }
    struct stat st {};
    if (::fstat(file.fd, &st) != 0) {
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
            bytes.resize(bytes.size() + 4096);  // the file may have grown since fstat
        }
        const ssize_t n = ::read(file.fd, bytes.data() + done, bytes.size() - done);
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

bool WriteFileAtomic(const std::string& path, std::string_view bytes, int* errorNumber)
{
    static std::atomic<unsigned> counter{0};
    const auto slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);

    struct stat old {};
    const bool exists = ::stat(path.c_str(), &old) == 0;

    std::string temp;
    FdCloser file;
    for (int attempt = 0; attempt < 100 && file.fd < 0; ++attempt) {
        temp = (folder == "/" ? "" : folder) + "/." + name + ".tmp-" + std::to_string(::getpid()) + "-" +
               std::to_string(counter++);
        file.fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
        if (file.fd < 0 && errno != EEXIST) {
            SetError(errorNumber, errno);
            return false;
        }
    }
    if (file.fd < 0) {
        SetError(errorNumber, EEXIST);
        return false;
    }

    auto failed = [&]() {
        const int saved = errno;
        ::close(file.fd);
        file.fd = -1;
        ::unlink(temp.c_str());
        SetError(errorNumber, saved);
        return false;
    };

    if (exists && S_ISREG(old.st_mode))
        (void)::fchmod(file.fd, old.st_mode & 07777);
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(file.fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return failed();
        }
        done += static_cast<std::size_t>(n);
    }
    if (::fsync(file.fd) != 0)
        return failed();
    const int fd = file.fd;
    file.fd = -1;
    if (::close(fd) != 0) {
        const int saved = errno;
        ::unlink(temp.c_str());
        SetError(errorNumber, saved);
        return false;
    }
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        const int saved = errno;
        ::unlink(temp.c_str());
        SetError(errorNumber, saved);
        return false;
    }
    // Make the rename itself durable; the new text is in place either way.
    FdCloser dir{::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)};
    if (dir.fd >= 0)
        (void)::fsync(dir.fd);
    return true;
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
