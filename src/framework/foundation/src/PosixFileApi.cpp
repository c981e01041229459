#include "PosixFileApi.h"

#include "platform/posix/FileIo.h"
#include "platform/posix/Utf.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace KX::FileApi {

namespace {

thread_local uint32_t t_lastError = ErrorSuccess;

void SetLastError(uint32_t error)
{
    t_lastError = error;
}

// errno to the Win32 error a Windows caller would see.
uint32_t ErrorFromErrno(int err)
{
    switch (err) {
    case 0: return ErrorSuccess;
    case ENOENT: return ErrorFileNotFound;
    case ENOTDIR: return ErrorPathNotFound;
    case EACCES:
    case EPERM:
    case EROFS: return ErrorAccessDenied;
    case EEXIST: return ErrorAlreadyExists;
    case EBADF: return ErrorInvalidHandle;
    case EINVAL: return ErrorInvalidParameter;
    case ENAMETOOLONG:
    case EILSEQ: return ErrorInvalidName;
    default: return ErrorGenFailure;
    }
}

bool IsSeparator(char16_t c)
{
    return c == u'/' || c == u'\\';
}

char16_t FoldAscii(char16_t c)
{
    return (c >= u'a' && c <= u'z') ? char16_t(c - (u'a' - u'A')) : c;
}

// The system's form of a wide path; false for a null path or one holding a lone surrogate.
bool ToNativePath(const char16_t* path, std::string& out)
{
    out.clear();
    if (!path)
        return false;
    auto native = platform::posix::ToNativePath(path);
    if (!native)
        return false;
    out = std::move(*native);
    return true;
}

// Matches from the pattern's and the name's current positions, backtracking over "*".
bool MatchPlain(std::u16string_view pattern, std::u16string_view name)
{
    size_t p = 0, n = 0;
    size_t starP = std::u16string_view::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == u'*') {
            starP = p++;
            starN = n;
        } else if (p < pattern.size() && (pattern[p] == u'?' || FoldAscii(pattern[p]) == FoldAscii(name[n]))) {
            ++p;
            ++n;
        } else if (starP != std::u16string_view::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == u'*')
        ++p;
    return p == pattern.size();
}

} // namespace

struct FindSearch {
    struct DirCloser {
        void operator()(DIR* dir) const noexcept { ::closedir(dir); }
    };
    std::unique_ptr<DIR, DirCloser> dir;
    std::u16string pattern;
};

int OpenFile(int* descriptor, const char16_t* path, int openFlags, int shareFlag, int permission)
{
    if (!descriptor)
        return EINVAL;
    *descriptor = -1;

    constexpr int known =
        OpenWriteOnly | OpenReadWrite | OpenAppend | OpenCreate | OpenTruncate | OpenExclusive | OpenText | OpenBinary;
    if ((openFlags & ~known) != 0 || (openFlags & OpenText) != 0)
        return EINVAL;
    if (shareFlag != ShareDenyNone)
        return EINVAL;

    int flags = O_CLOEXEC;
    switch (openFlags & (OpenWriteOnly | OpenReadWrite)) {
    case OpenReadOnly: flags |= O_RDONLY; break;
    case OpenWriteOnly: flags |= O_WRONLY; break;
    case OpenReadWrite: flags |= O_RDWR; break;
    default: return EINVAL;
    }
    if (openFlags & OpenAppend)
        flags |= O_APPEND;
    if (openFlags & OpenCreate)
        flags |= O_CREAT;
    if (openFlags & OpenTruncate) {
        if ((openFlags & (OpenWriteOnly | OpenReadWrite)) == 0)
            return EINVAL; // truncating needs write access
        flags |= O_TRUNC;
    }
    if (openFlags & OpenExclusive)
        flags |= O_EXCL;

    mode_t mode = 0;
    if (permission & PermissionRead)
        mode |= S_IRUSR | S_IRGRP | S_IROTH;
    if (permission & PermissionWrite)
        mode |= S_IWUSR | S_IWGRP | S_IWOTH;

    std::string native;
    if (!ToNativePath(path, native))
        return EINVAL;

    platform::posix::UniqueFd fd = platform::posix::OpenFd(native, flags, mode);
    if (!fd)
        return errno;

    // Windows refuses to open a folder as a file.
    struct stat st;
    if (::fstat(fd.Get(), &st) == 0 && S_ISDIR(st.st_mode))
        return EACCES;
    *descriptor = fd.Release();
    return 0;
}

int CloseFile(int descriptor)
{
    return ::close(descriptor) == 0 ? 0 : -1;
}

int UnlinkFile(const char16_t* path)
{
    std::string native;
    if (!ToNativePath(path, native)) {
        errno = EINVAL;
        return -1;
    }
    return ::unlink(native.c_str()) == 0 ? 0 : -1;
}

int32_t SeekFile(int descriptor, int32_t offset, int origin)
{
    off_t base = 0;
    switch (origin) {
    case SeekFromStart: break;
    case SeekFromCurrent:
        base = ::lseek(descriptor, 0, SEEK_CUR);
        if (base < 0)
            return -1;
        break;
    case SeekFromEnd: {
        struct stat st;
        if (::fstat(descriptor, &st) != 0)
            return -1;
        base = st.st_size;
        break;
    }
    default: errno = EINVAL; return -1;
    }
    const off_t target = base + off_t(offset); // the offset is sign-extended
    if (target < 0 || target > off_t(INT32_MAX)) {
        errno = EINVAL;
        return -1;
    }
    const off_t result = ::lseek(descriptor, target, SEEK_SET);
    return result < 0 ? -1 : int32_t(result);
}

int32_t ReadFile(int descriptor, void* buffer, uint32_t count)
{
    if (count > uint32_t(INT32_MAX) || (!buffer && count != 0)) {
        errno = EINVAL;
        return -1;
    }
    auto* bytes = static_cast<char*>(buffer);
    uint32_t done = 0;
    while (done < count) {
        const ssize_t n = ::read(descriptor, bytes + done, count - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            if (done > 0)
                break; // report what arrived before the error
            return -1;
        }
        if (n == 0)
            break;
        done += uint32_t(n);
    }
    return int32_t(done);
}

int32_t WriteFile(int descriptor, const void* buffer, uint32_t count)
{
    if (count > uint32_t(INT32_MAX) || (!buffer && count != 0)) {
        errno = EINVAL;
        return -1;
    }
    const auto* bytes = static_cast<const char*>(buffer);
    uint32_t done = 0;
    while (done < count) {
        const ssize_t n = ::write(descriptor, bytes + done, count - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            if (done > 0)
                break;
            return -1;
        }
        done += uint32_t(n);
    }
    return int32_t(done);
}

int StatDescriptor32(int descriptor, FileStatus32* status)
{
    struct stat st;
    if (!status || ::fstat(descriptor, &st) != 0)
        return -1;
    if (st.st_size > off_t(INT32_MAX)) {
        errno = EOVERFLOW;
        return -1;
    }
    status->size = int32_t(st.st_size);
    return 0;
}

int AccessPath(const char16_t* path, int mode)
{
    int how;
    switch (mode) {
    case AccessExists: how = F_OK; break;
    case AccessWrite: how = W_OK; break;
    case AccessRead: how = R_OK; break;
    case AccessReadWrite: how = R_OK | W_OK; break;
    default: errno = EINVAL; return -1;
    }
    std::string native;
    if (!ToNativePath(path, native)) {
        errno = EINVAL;
        return -1;
    }
    return ::access(native.c_str(), how) == 0 ? 0 : -1;
}

uint32_t GetLastError()
{
    return t_lastError;
}

bool GetPathStatus(const char16_t* path, PathStatus* status)
{
    std::string native;
    struct stat st;
    if (!status || !ToNativePath(path, native) || native.empty() || ::stat(native.c_str(), &st) != 0)
        return false;
    status->attributes = S_ISDIR(st.st_mode) ? FileAttributeDirectory : FileAttributeNormal;
    return true;
}

bool CreateFolder(const char16_t* path)
{
    std::string native;
    if (!ToNativePath(path, native)) {
        SetLastError(ErrorInvalidName);
        return false;
    }
    if (::mkdir(native.c_str(), 0777) != 0) {
        SetLastError(ErrorFromErrno(errno));
        return false;
    }
    SetLastError(ErrorSuccess);
    return true;
}

bool MatchFilePattern(std::u16string_view pattern, std::u16string_view name)
{
    if (MatchPlain(pattern, name))
        return true;
    // "name.*" also matches "name": a trailing dot followed only by stars is optional.
    size_t end = pattern.size();
    while (end > 0 && pattern[end - 1] == u'*')
        --end;
    if (end < pattern.size() && end > 0 && pattern[end - 1] == u'.')
        return MatchPlain(pattern.substr(0, end - 1), name);
    return false;
}

namespace {

// Reads entries until one matches; false with the last error when none is left.
bool NextMatch(FindSearch& search, FindData* data)
{
    std::u16string name;
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(search.dir.get());
        if (!entry) {
            SetLastError(errno == 0 ? ErrorNoMoreFiles : ErrorFromErrno(errno));
            return false;
        }
        if (!platform::posix::Utf8ToUtf16Strict(entry->d_name, name) || !MatchFilePattern(search.pattern, name))
            continue;
        struct stat st;
        if (::fstatat(::dirfd(search.dir.get()), entry->d_name, &st, 0) != 0 &&
            ::fstatat(::dirfd(search.dir.get()), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0)
            continue; // gone meanwhile
        if (data) {
            data->attributes = S_ISDIR(st.st_mode) ? FileAttributeDirectory : FileAttributeNormal;
            data->fileName = name;
        }
        SetLastError(ErrorSuccess);
        return true;
    }
}

} // namespace

FindHandle FindFirst(const char16_t* pattern, FindData* data)
{
    if (!pattern) {
        SetLastError(ErrorInvalidParameter);
        return InvalidFindHandle;
    }
    const std::u16string_view text(pattern);
    size_t cut = std::u16string_view::npos;
    for (size_t i = 0; i < text.size(); ++i)
        if (IsSeparator(text[i]))
            cut = i;

    std::u16string folder;
    std::u16string namePattern;
    if (cut == std::u16string_view::npos) {
        folder = u".";
        namePattern = text;
    } else {
        folder = cut == 0 ? std::u16string(u"/") : std::u16string(text.substr(0, cut));
        namePattern = text.substr(cut + 1);
    }
    if (namePattern.empty()) {
        SetLastError(ErrorFileNotFound);
        return InvalidFindHandle;
    }

    std::string native;
    if (!ToNativePath(folder.c_str(), native)) {
        SetLastError(ErrorInvalidName);
        return InvalidFindHandle;
    }
    std::unique_ptr<DIR, FindSearch::DirCloser> dir(::opendir(native.c_str()));
    if (!dir) {
        const int err = errno;
        SetLastError(err == ENOENT || err == ENOTDIR ? ErrorPathNotFound : ErrorFromErrno(err));
        return InvalidFindHandle;
    }

    auto search = std::make_unique<FindSearch>(FindSearch{std::move(dir), std::move(namePattern)});
    if (!NextMatch(*search, data)) {
        const uint32_t error = GetLastError();
        SetLastError(error == ErrorNoMoreFiles ? ErrorFileNotFound : error);
        return InvalidFindHandle;
    }
    return search.release();
}

bool FindNext(FindHandle handle, FindData* data)
{
    if (!handle) {
        SetLastError(ErrorInvalidHandle);
        return false;
    }
    return NextMatch(*handle, data);
}

bool FindClose(FindHandle handle)
{
    if (!handle) {
        SetLastError(ErrorInvalidHandle);
        return false;
    }
    delete handle; // closes the folder
    return true;
}

bool RemoveFileSpec(char16_t* path)
{
    if (!path || !*path)
        return false;
    char16_t* last = nullptr;
    for (char16_t* p = path; *p; ++p)
        if (IsSeparator(*p))
            last = p;
    if (!last) {
        *path = 0; // a bare name
        return true;
    }
    if (last == path) {
        if (path[1] == 0)
            return false; // the root stays
        path[1] = 0;      // keep the root separator
        return true;
    }
    *last = 0;
    return true;
}

uint32_t GetLongPathName(const char16_t* path, char16_t* buffer, uint32_t size)
{
    std::string native;
    if (!path || !ToNativePath(path, native)) {
        SetLastError(path ? ErrorInvalidName : ErrorInvalidParameter);
        return 0;
    }
    struct stat st;
    if (native.empty() || ::lstat(native.c_str(), &st) != 0) {
        SetLastError(native.empty() ? ErrorFileNotFound : ErrorFromErrno(errno));
        return 0;
    }
    const std::u16string_view text(path);
    if (!buffer || text.size() >= size) // also when size is 0
        return uint32_t(text.size() + 1);
    for (size_t i = 0; i < text.size(); ++i)
        buffer[i] = text[i] == u'\\' ? u'/' : text[i];
    buffer[text.size()] = 0;
    SetLastError(ErrorSuccess);
    return uint32_t(text.size());
}

} // namespace KX::FileApi
