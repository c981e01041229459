#pragma once
// File and folder calls in the shape the file and path code expects of the Windows
// runtime and Win32 file functions, written over POSIX and the C++ library.
//
// Paths come in as UTF-16 and are handed to the system as UTF-8; "\" is accepted as a
// separator and written as "/". A path holding a lone surrogate is refused (it has no
// UTF-8 form, and a lenient conversion could name a different file).
#include <cstdint>
#include <string>

namespace KX::FileApi {

// ---- Runtime-library descriptor functions (_wsopen_s, _close, _lseek, ...) ----

// Open flags with the values of the Windows runtime (_O_*). Each is translated by name.
inline constexpr int OpenReadOnly = 0x0000;  // _O_RDONLY
inline constexpr int OpenWriteOnly = 0x0001; // _O_WRONLY
inline constexpr int OpenReadWrite = 0x0002; // _O_RDWR
inline constexpr int OpenAppend = 0x0008;    // _O_APPEND
inline constexpr int OpenCreate = 0x0100;    // _O_CREAT
inline constexpr int OpenTruncate = 0x0200;  // _O_TRUNC
inline constexpr int OpenExclusive = 0x0400; // _O_EXCL
inline constexpr int OpenText = 0x4000;      // _O_TEXT (CR-LF translation; not supported)
inline constexpr int OpenBinary = 0x8000;    // _O_BINARY (the only mode on POSIX)

// Share flag: other openers may read and write (_SH_DENYNO), the only one POSIX can honour.
inline constexpr int ShareDenyNone = 0x40;

// Permission of a created file (_S_IREAD, _S_IWRITE); the umask applies as usual.
inline constexpr int PermissionRead = 0x0100;
inline constexpr int PermissionWrite = 0x0080;

// Seek origins (SEEK_SET, SEEK_CUR, SEEK_END of the Windows runtime).
inline constexpr int SeekFromStart = 0;
inline constexpr int SeekFromCurrent = 1;
inline constexpr int SeekFromEnd = 2;

// Access modes of AccessPath (_waccess): existence, write, read, read and write.
inline constexpr int AccessExists = 0;
inline constexpr int AccessWrite = 2;
inline constexpr int AccessRead = 4;
inline constexpr int AccessReadWrite = 6;

// _wsopen_s: 0 and a descriptor in *descriptor, or an errno value (and -1 in *descriptor).
// Like Windows, a folder cannot be opened as a file. Descriptors are close-on-exec.
int OpenFile(int* descriptor, const char16_t* path, int openFlags, int shareFlag, int permission);
// _close: 0, or -1.
int CloseFile(int descriptor);
// _wunlink: 0, or -1.
int UnlinkFile(const char16_t* path);
// _lseek with a 32-bit signed offset: the new position from the start, or -1 when the
// origin is unknown or the position would fall below 0 or above 0x7FFFFFFF (the file
// position is then not moved).
int32_t SeekFile(int descriptor, int32_t offset, int origin);
// _read and _write: bytes moved, or -1. Counts above 0x7FFFFFFF are refused, as there.
int32_t ReadFile(int descriptor, void* buffer, uint32_t count);
int32_t WriteFile(int descriptor, const void* buffer, uint32_t count);

// The part of _fstat64i32's result that is used: the size as a 32-bit signed number.
struct FileStatus32 {
    int32_t size = 0;
};
// _fstat64i32: 0, or -1 (also for a file of 2 GiB or more, whose size does not fit).
int StatDescriptor32(int descriptor, FileStatus32* status);
// _waccess: 0 when the path exists (and grants the mode), -1 otherwise.
int AccessPath(const char16_t* path, int mode);

// ---- Win32 file functions and their last-error value ----

// Error values of GetLastError.
inline constexpr uint32_t ErrorSuccess = 0;
inline constexpr uint32_t ErrorFileNotFound = 2;
inline constexpr uint32_t ErrorPathNotFound = 3;
inline constexpr uint32_t ErrorAccessDenied = 5;
inline constexpr uint32_t ErrorInvalidHandle = 6;
inline constexpr uint32_t ErrorNoMoreFiles = 18;
inline constexpr uint32_t ErrorGenFailure = 31;
inline constexpr uint32_t ErrorInvalidParameter = 87;
inline constexpr uint32_t ErrorInvalidName = 123;
inline constexpr uint32_t ErrorAlreadyExists = 183;

// Attribute bits of a status or a found entry.
inline constexpr uint32_t FileAttributeDirectory = 0x10;
inline constexpr uint32_t FileAttributeNormal = 0x80;

// The calling thread's last error (GetLastError).
uint32_t GetLastError();

// Status of a path (MFC's CFile::GetStatus): true when it exists.
struct PathStatus {
    uint32_t attributes = 0;
};
bool GetPathStatus(const char16_t* path, PathStatus* status);

// CreateDirectoryW: creates one folder; false and the last error when it cannot.
bool CreateFolder(const char16_t* path);

// FindFirstFileW / FindNextFileW / FindClose over one folder. The pattern is a folder,
// a separator and a name pattern: "*" matches any run, "?" one unit, letters match
// without regard to ASCII case, and a trailing ".*" also matches a name without an
// extension (so "*.*" lists everything). Names that are not valid UTF-8 are skipped.
struct FindData {
    uint32_t attributes = 0;
    std::u16string fileName;
};
struct FindSearch;
using FindHandle = FindSearch*;
inline constexpr FindHandle InvalidFindHandle = nullptr;

// The first matching entry, or InvalidFindHandle with the last error
// (ErrorFileNotFound when nothing matches, ErrorPathNotFound when the folder is missing).
FindHandle FindFirst(const char16_t* pattern, FindData* data);
// The next matching entry; false with ErrorNoMoreFiles when the listing has ended.
bool FindNext(FindHandle handle, FindData* data);
bool FindClose(FindHandle handle);

// Whether name matches a name pattern by the rules above.
bool MatchFilePattern(std::u16string_view pattern, std::u16string_view name);

// PathRemoveFileSpecW: removes the last component and the separator before it from a
// writable, terminated path. A trailing separator alone is removed; a leading root
// separator stays; a bare name becomes empty. "/" and "\" both separate.
// Returns whether anything was removed.
bool RemoveFileSpec(char16_t* path);

// GetLongPathNameW: the long form of an existing path into buffer. POSIX has no short
// names, so the long form is the path with "\" written as "/". Returns its length
// without the terminator; when size is too small, the size needed with the terminator
// (buffer untouched); 0 with the last error when the path does not exist.
uint32_t GetLongPathName(const char16_t* path, char16_t* buffer, uint32_t size);

} // namespace KX::FileApi
