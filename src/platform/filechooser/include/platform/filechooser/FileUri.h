#pragma once
// "file://" URIs as the desktop portal answers them, turned into local paths.
#include <optional>
#include <string>
#include <string_view>

namespace platform::filechooser {

// The absolute path of a "file:" URI with an empty or "localhost" host, percent escapes decoded.
// Nothing for another scheme or host, a relative path, a malformed escape, an escaped NUL, or a
// query or fragment.
std::optional<std::string> FileUriToPath(std::string_view uri);

} // namespace platform::filechooser
