#pragma once
// Reading and atomically replacing settings files.
#include <optional>
#include <string>
#include <string_view>

namespace KX::Ini {

enum class ReadResult { Ok, Missing, TooLarge, Failed };

// Reads a whole regular file of at most kMaxFileSize bytes. errorNumber gets errno on Failed.
ReadResult ReadWholeFile(const std::string& path, std::string& bytes, int* errorNumber = nullptr);

// Replaces the file's contents so that a reader sees either the old or the new text, even after
// a crash: the text goes to a temporary file in the same folder, is flushed to disk, and is then
// renamed over the file. An existing file keeps its permission bits. On failure the old file is
// untouched, the temporary file removed, and errorNumber gets errno.
bool WriteFileAtomic(const std::string& path, std::string_view bytes, int* errorNumber = nullptr);

// The absolute path of the file with "\" read as "/" and symbolic links resolved; a file that does
// not exist yet is resolved through its folder, which must exist. nullopt when there is no such file.
std::optional<std::string> ResolveFilePath(std::string_view path);

} // namespace KX::Ini
