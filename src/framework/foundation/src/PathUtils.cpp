#include "kx/PathUtils.h"

#include "PosixFileApi.h"

#include "platform/posix/Utf.h"

#include <unistd.h>
#include <vector>

namespace KX {

namespace {

constexpr char16_t kSeparator = u'/';

char16_t* FindSeparator(char16_t* p)
{
    for (; *p; ++p)
        if (*p == u'/' || *p == u'\\')
            return p;
    return nullptr;
}

bool IsFolder(const WString& path)
{
    FileApi::PathStatus status;
    return FileApi::GetPathStatus(path.GetString(), &status) && (status.attributes & FileApi::FileAttributeDirectory);
}

} // namespace

WString MakeValidFileName(const WString& name)
{
    WString result(name);
    result.ReplaceAny(u"\\/:*?\"<>|&;,^()", u'_');
    return result;
}

KXRESULT EnsureDirectoryExists(const WString& path)
{
    FileApi::PathStatus status;
    if (FileApi::GetPathStatus(path.GetString(), &status))
        return (status.attributes & FileApi::FileAttributeDirectory) ? S_FALSE : E_FAIL;

    // The chain is cut in place, so it works on a private copy: the caller's buffer may be
    // shared with other strings (and threads).
    WString copy(path);
    char16_t* chars = copy.Lock(0);
    if (!chars)
        return E_FAIL;
    const bool exists = CreateDirectoryChain(chars, false);
    copy.Unlock();
    return exists ? S_OK : E_FAIL;
}

bool CreateDirectoryChain(char16_t* path, bool parentOnly)
{
    if (!path)
        return false;
    char16_t* last = nullptr;
    // From the second character on, so that a leading separator makes no empty-named folder.
    char16_t* sep = path[0] != 0 ? FindSeparator(path + 1) : nullptr;
    while (sep) {
        const char16_t saved = *sep;
        *sep = 0;
        FileApi::CreateFolder(path); // an existing prefix simply fails
        *sep = saved;
        last = sep;
        sep = FindSeparator(sep + 1);
    }
    if (!parentOnly) {
        FileApi::CreateFolder(path);
        return FileApi::AccessPath(path, FileApi::AccessExists) == 0;
    }
    if (!last)
        return true;
    const char16_t saved = *last;
    *last = 0;
    const bool exists = FileApi::AccessPath(path, FileApi::AccessExists) == 0;
    *last = saved;
    return exists;
}

bool FileExists(const WString& path)
{
    FileApi::PathStatus status;
    return FileApi::GetPathStatus(path.GetString(), &status) && !(status.attributes & FileApi::FileAttributeDirectory);
}

bool FolderExists(const WString& path)
{
    return IsFolder(path);
}

NameLength GetNameLength(const WString& path)
{
    NameLength length;
    const char16_t* chars = path.GetString();
    const auto native = chars ? platform::posix::ToNativePath(chars) : std::nullopt;
    if (!native)
        return length;
    const size_t slash = native->rfind('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : native->substr(0, slash);
    length.bytes = static_cast<uint32_t>(native->size() - (slash == std::string::npos ? 0 : slash + 1));
    const long limit = ::pathconf(folder.c_str(), _PC_NAME_MAX);
    if (limit > 0)
        length.limit = static_cast<uint32_t>(limit);
    return length;
}

int32_t FindFilesInDirectory(const WString& folder, const WString& pattern, IArray<WString>& files)
{
    files.RemoveAll();
    if (!IsFolder(folder))
        return E_NOTIMPL;

    const WString prefix = folder + WString(kSeparator);
    const WString search = prefix + pattern;
    FileApi::FindData data;
    FileApi::FindHandle handle = FileApi::FindFirst(search.GetString(), &data);
    if (handle == FileApi::InvalidFindHandle)
        return static_cast<int32_t>(files.GetCount());
    do {
        if (!(data.attributes & FileApi::FileAttributeDirectory))
            files.AddItem(prefix + WString(data.fileName.c_str()));
    } while (FileApi::FindNext(handle, &data));
    const uint32_t error = FileApi::GetLastError();
    FileApi::FindClose(handle);
    return error == FileApi::ErrorNoMoreFiles ? static_cast<int32_t>(files.GetCount()) : E_FAIL;
}

WString GetParentDirectory(const WString& path)
{
    WString copy(path);
    char16_t* chars = copy.Lock(0);
    if (!chars)
        return WString();
    FileApi::RemoveFileSpec(chars);
    return WString(static_cast<const char16_t*>(chars));
}

WString GetLongPathName(const WString& path)
{
    char16_t buffer[260];
    const uint32_t length = FileApi::GetLongPathName(path.GetString(), buffer, 260);
    if (length == 0)
        return path; // missing: the path as given
    if (length < 260)
        return WString(static_cast<const char16_t*>(buffer));
    // Longer than the buffer: length is the room needed.
    std::vector<char16_t> large(length);
    const uint32_t again = FileApi::GetLongPathName(path.GetString(), large.data(), length);
    if (again == 0 || again >= length)
        return path;
    return WString(static_cast<const char16_t*>(large.data()));
}

} // namespace KX
