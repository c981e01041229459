#include "platform/filechooser/FileUri.h"

#include "platform/posix/Hex.h"

namespace platform::filechooser {

namespace {

bool StartsWithNoCase(std::string_view text, std::string_view prefix)
{
    if (text.size() < prefix.size())
        return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != prefix[i])
            return false;
    }
    return true;
}

} // namespace

std::optional<std::string> FileUriToPath(std::string_view uri)
{
    if (!StartsWithNoCase(uri, "file:"))
        return std::nullopt;
    std::string_view rest = uri.substr(5);
    if (rest.substr(0, 2) == "//") {
        rest.remove_prefix(2);
        const size_t slash = rest.find('/');
        if (slash == std::string_view::npos)
            return std::nullopt;
        const std::string_view host = rest.substr(0, slash);
        if (!host.empty() && !(host.size() == 9 && StartsWithNoCase(host, "localhost")))
            return std::nullopt;
        rest.remove_prefix(slash);
    }
    if (rest.empty() || rest.front() != '/')
        return std::nullopt;

    std::string path;
    path.reserve(rest.size());
    for (size_t i = 0; i < rest.size(); ++i) {
        const char c = rest[i];
        if (c == '?' || c == '#' || c == '\0')
            return std::nullopt;
        if (c != '%') {
            path.push_back(c);
            continue;
        }
        if (i + 2 >= rest.size())
            return std::nullopt;
        const int byte = platform::posix::HexByteValue(rest[i + 1], rest[i + 2]);
        if (byte <= 0)
            return std::nullopt;
        path.push_back(static_cast<char>(byte));
        i += 2;
    }
    return path;
}

} // namespace platform::filechooser
