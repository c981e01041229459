#pragma once
// The entry points of libIniFileManager.so. Texts are NUL-terminated UTF-8; handles are 32-bit
// integers given out by OpenIniFile (0 is never a handle). A node path names keys, arrays and
// nodes with components separated by "/" ("\" accepted), relative to the section given to
// OpenIniFile; its last component is the key or array name.
//
// String getters take a buffer and its size in bytes and report the size they need (text plus
// the terminating NUL); when the buffer is too small they return kBufferTooSmall, store the needed
// size and leave an empty text in the buffer, so the caller can ask again with a big enough one.
// Every change is saved to disk at once (atomically); a change that cannot be saved is undone.
#include <cstdint>

namespace KX::Ini {

inline constexpr int32_t kOk = 0;
inline constexpr int32_t kNothingThere = 1;     // the key is missing (default returned) or the count is 0
inline constexpr int32_t kInvalidArgument = -1; // null pointer, bad path or name, invalid UTF-8, bad size or index
inline constexpr int32_t kBufferTooSmall = -2;
inline constexpr int32_t kBadHandle = -3;  // unknown or closed handle
inline constexpr int32_t kNotFound = -4;   // index beyond the end of the keys or array items
inline constexpr int32_t kBadFile = -5;    // the file is not a settings file this library can read
inline constexpr int32_t kIoError = -6;    // the file could not be read or written
inline constexpr int32_t kNotANumber = -7; // the stored value is not a 32-bit decimal integer
inline constexpr int32_t kOutOfMemory = -8;

} // namespace KX::Ini

extern "C" {

// Opens (or starts, when the file does not exist yet) a settings file. section: node path that
// all paths of this handle are relative to (null or empty: the top); product: informational, unused.
int32_t OpenIniFile(const char* path, const char* section, const char* product, int32_t* handle);
// Writes the file now (creates it when it does not exist yet).
int32_t WriteIniFile(int32_t handle);
// Closes the handle; with writeFirst != 0 the file is written first and a failed write keeps the handle open.
int32_t CloseIniFile(int32_t handle, int32_t writeFirst);
bool DoesNodeExist(int32_t handle, const char* path);
int32_t GetIniValueInt(int32_t handle, const char* path, int32_t defaultValue, int32_t* value);
int32_t SetIniValueInt(int32_t handle, const char* path, int32_t value);
int32_t GetIniValueStr(int32_t handle, const char* path, const char* defaultText, char* buffer, int32_t bufferSize,
                       int32_t* neededSize);
int32_t SetIniValueStr(int32_t handle, const char* path, const char* text);
int32_t GetKeyCount(int32_t handle, const char* path, int32_t* count);
int32_t GetKeyNameAt(int32_t handle, const char* path, int32_t index, char* buffer, int32_t bufferSize,
                     int32_t* neededSize);
int32_t GetArrayCount(int32_t handle, const char* path, int32_t* count);
int32_t SetArrayCount(int32_t handle, const char* path, int32_t count);
int32_t GetArrayItemAt(int32_t handle, const char* path, int32_t index, char* buffer, int32_t bufferSize,
                       int32_t* neededSize);
int32_t SetArrayItemAt(int32_t handle, const char* path, int32_t index, const char* text);
int32_t RemoveArrayItemAt(int32_t handle, const char* path, int32_t index);

} // extern "C"

namespace KX::Ini {

// Pointer types for resolving the entry points with dlsym.
using OpenIniFileFn = int32_t (*)(const char*, const char*, const char*, int32_t*);
using WriteIniFileFn = int32_t (*)(int32_t);
using CloseIniFileFn = int32_t (*)(int32_t, int32_t);
using DoesNodeExistFn = bool (*)(int32_t, const char*);
using GetIniValueIntFn = int32_t (*)(int32_t, const char*, int32_t, int32_t*);
using SetIniValueIntFn = int32_t (*)(int32_t, const char*, int32_t);
using GetIniValueStrFn = int32_t (*)(int32_t, const char*, const char*, char*, int32_t, int32_t*);
using SetIniValueStrFn = int32_t (*)(int32_t, const char*, const char*);
using GetKeyCountFn = int32_t (*)(int32_t, const char*, int32_t*);
using GetKeyNameAtFn = int32_t (*)(int32_t, const char*, int32_t, char*, int32_t, int32_t*);
using GetArrayCountFn = int32_t (*)(int32_t, const char*, int32_t*);
using SetArrayCountFn = int32_t (*)(int32_t, const char*, int32_t);
using GetArrayItemAtFn = int32_t (*)(int32_t, const char*, int32_t, char*, int32_t, int32_t*);
using SetArrayItemAtFn = int32_t (*)(int32_t, const char*, int32_t, const char*);
using RemoveArrayItemAtFn = int32_t (*)(int32_t, const char*, int32_t);

} // namespace KX::Ini
