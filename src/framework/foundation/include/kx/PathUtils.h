#pragma once
// Path and folder helpers for the local file system. Paths use "/" and accept "\" as a
// separator. None of them throws.
#include "kx/Array.h"
#include "kx/KXResult.h"
#include "kx/StringT.h"

#include <cstdint>

namespace KX {

// name with every \ / : * ? " < > | & ; , ^ ( ) replaced by an underscore.
WString MakeValidFileName(const WString& name);

// S_FALSE the folder was there, S_OK it has been created, E_FAIL a file is in the way or
// the folders could not be created. The caller's string is never written.
KXRESULT EnsureDirectoryExists(const WString& path);

// Creates every folder along path (both separators count; a leading one makes no folder
// of an empty name), and path itself unless parentOnly. Returns whether path (with
// parentOnly: its parent) exists afterwards. path is cut and restored while this runs.
bool CreateDirectoryChain(char16_t* path, bool parentOnly);

// True for an existing file; false for a missing path or a folder.
bool FileExists(const WString& path);

// True for an existing folder (a link to one counts).
bool FolderExists(const WString& path);

// The length of path's last component in the system's bytes, and the most its folder allows
// (0 when the folder cannot tell: a missing folder, say).
struct NameLength {
    uint32_t bytes = 0;
    uint32_t limit = 0;
};
NameLength GetNameLength(const WString& path);

// Empties files, then lists folder + "/" + name for every file (not folder) of folder
// whose name matches pattern ("*", "?", ASCII case ignored), in the order the system
// gives them. Returns the count, E_NOTIMPL when folder is no folder, E_FAIL when the
// listing broke off (the entries found so far stay).
int32_t FindFilesInDirectory(const WString& folder, const WString& pattern, IArray<WString>& files);

// path without its last component and the separator before it; a trailing separator
// alone is dropped, the root stays, a bare name gives the empty string.
WString GetParentDirectory(const WString& path);

// The long form of an existing path ("\" written as "/"); a missing path comes back
// unchanged.
WString GetLongPathName(const WString& path);

} // namespace KX
