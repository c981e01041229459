#include "platform/posix/AtomicWrite.h"

#include "platform/posix/FileIo.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <memory>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform::posix {

namespace {

// Holds SIGXFSZ back on this thread while a file is written, so that going over the file size
// limit fails the write (EFBIG) instead of ending the process. A signal raised meanwhile is
// taken off again before the old mask returns.
class FileSizeSignalGuard {
public:
    FileSizeSignalGuard() noexcept
    {
        sigemptyset(&m_set);
        sigaddset(&m_set, SIGXFSZ);
        m_active = pthread_sigmask(SIG_BLOCK, &m_set, &m_previous) == 0;
    }
    ~FileSizeSignalGuard()
    {
        if (!m_active)
            return;
        if (!sigismember(&m_previous, SIGXFSZ)) {
            const timespec now{0, 0};
            while (sigtimedwait(&m_set, nullptr, &now) == SIGXFSZ) {
            }
        }
        pthread_sigmask(SIG_SETMASK, &m_previous, nullptr);
    }
    FileSizeSignalGuard(const FileSizeSignalGuard&) = delete;
    FileSizeSignalGuard& operator=(const FileSizeSignalGuard&) = delete;

private:
    sigset_t m_set;
    sigset_t m_previous;
    bool m_active = false;
};

// The file a path finally names: a link is followed, a missing file is named as given.
// 0 and whether it exists (with its status), or an errno.
int ResolveTarget(std::string& target, struct stat& st, bool& exists)
{
    exists = false;
    if (::lstat(target.c_str(), &st) != 0)
        return errno == ENOENT ? 0 : errno;
    if (S_ISLNK(st.st_mode)) {
        std::unique_ptr<char, decltype(&std::free)> resolved(::realpath(target.c_str(), nullptr), &std::free);
        if (!resolved)
            return errno;
        target = resolved.get();
        if (::stat(target.c_str(), &st) != 0)
            return errno;
    }
    if (!S_ISREG(st.st_mode))
        return S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
    exists = true;
    return 0;
}

// A new, empty file beside target that no one else has opened. Its name is short whatever the
// target's, so that it fits the folder's name limit wherever the target's own name does.
int CreateTemporary(const std::string& target, std::string& temp, UniqueFd& file)
{
    static std::atomic<unsigned> counter{0};
    const size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    if (name.empty())
        return EISDIR;
    for (int attempt = 0; attempt < 100; ++attempt) {
        temp = folder + ".saving-" + std::to_string(::getpid()) + "-" +
               std::to_string(counter.fetch_add(1, std::memory_order_relaxed)) + ".tmp";
        file = OpenFd(temp, O_WRONLY | O_CREAT | O_EXCL | O_NOCTTY, 0666);
        if (file)
            return 0;
        if (errno != EEXIST)
            return errno;
    }
    return EEXIST;
}

// Flushes the folder holding path, so that a rename in it lasts. A folder that cannot be read or
// a file system that cannot flush folders counts as flushed.
int SyncFolderOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    UniqueFd dir = OpenFd(folder, O_RDONLY | O_DIRECTORY);
    if (!dir)
        return errno == EACCES ? 0 : errno;
    if (::fsync(dir.Get()) != 0 && errno != EINVAL)
        return errno;
    return dir.Close();
}

} // namespace

int WriteFileAtomic(const std::string& path, std::string_view bytes)
{
    if (path.empty())
        return ENOENT;
    std::string target = path;
    struct stat old {};
    bool exists = false;
    if (const int error = ResolveTarget(target, old, exists))
        return error;

    std::string temp;
    UniqueFd file;
    if (const int error = CreateTemporary(target, temp, file))
        return error;

    int error = 0;
    if (exists)
        (void)::fchmod(file.Get(), old.st_mode & 07777); // best effort, like a copy would
    {
        FileSizeSignalGuard guard;
        error = WriteAll(file.Get(), bytes.data(), bytes.size());
    }
    if (!error && ::fsync(file.Get()) != 0)
        error = errno;
    const int closed = file.Close();
    if (!error)
        error = closed;
    if (!error && ::rename(temp.c_str(), target.c_str()) != 0)
        error = errno;
    if (error) {
        ::unlink(temp.c_str());
        return error;
    }
    return SyncFolderOf(target);
}

} // namespace platform::posix
