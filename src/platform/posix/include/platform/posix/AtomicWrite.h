#pragma once
// Replacing a file's contents so that a reader or a crash sees the old file or the new one,
// never a mix, and a failed write loses nothing.
#include <string>
#include <string_view>

namespace platform::posix {

// Writes bytes to a new file beside path (same folder, hidden name), flushes it to the disk,
// renames it over path and flushes the folder so the rename lasts. While writing, SIGXFSZ is held
// back on the calling thread, so a file-size limit fails the write (EFBIG) instead of ending the
// process. A link is followed: the file it names is replaced and the link stays. An existing
// target keeps its permission bits; it must be a regular file (EISDIR for a folder, EINVAL for
// anything else).
// Returns 0, or the errno of the step that failed; the temporary file is then removed and the
// target untouched, except for a failed flush of the folder, which is reported after the rename
// has taken place.
int WriteFileAtomic(const std::string& path, std::string_view bytes);

} // namespace platform::posix
