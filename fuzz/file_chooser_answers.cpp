// What the system's file chooser hands back and what it is handed: file URIs of the portal's
// answers, and "|"-separated filter lists turned into patterns. A decoded path is absolute and
// holds no NUL; a filter always keeps at least one pattern, none empty or holding a separator.
#include "platform/filechooser/FileChooser.h"
#include "platform/filechooser/FileUri.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);

    if (const std::optional<std::string> path = platform::filechooser::FileUriToPath(input)) {
        Check(!path->empty() && path->front() == '/');
        Check(path->find('\0') == std::string::npos);
        Check(path->size() <= input.size());
    }

    for (const platform::filechooser::Filter& filter : platform::filechooser::ParseFilterList(input)) {
        Check(filter.name.find('|') == std::string::npos);
        Check(!filter.patterns.empty());
        for (const std::string& pattern : filter.patterns) {
            Check(!pattern.empty());
            Check(pattern.find_first_of("|;") == std::string::npos);
            Check(pattern.front() != ' ' && pattern.back() != ' ');
            const std::string glob = platform::filechooser::CaseInsensitiveGlob(pattern);
            Check(glob.size() >= pattern.size() && glob.size() <= pattern.size() * 4);
        }
    }
    return 0;
}
