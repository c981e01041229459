#pragma once
// Reading settings files and resolving their paths (platform::posix::WriteFileAtomic replaces them).
#include <optional>
#include <string>
#include <string_view>

namespace KX::Ini {

enum class ReadResult { Ok, Missing, TooLarge, Failed };

// Reads a whole regular file of at most kMaxFileSize bytes. errorNumber gets errno on Failed.
ReadResult ReadWholeFile(const std::string& path, std::string& bytes, int* errorNumber = nullptr);

// The absolute path of the file with "\" read as "/" and symbolic links resolved; a file that does
// not exist yet is resolved through its folder, which must exist. nullopt when there is no such file.
std::optional<std::string> ResolveFilePath(std::string_view path);

} // namespace KX::Ini
