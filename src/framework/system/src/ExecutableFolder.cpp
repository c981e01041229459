#include "kx/ExecutableFolder.h"

#include <unistd.h>

namespace KX {

std::string GetExecutableFolder()
{
    std::string path(4096, '\0');
    for (;;) {
        const ssize_t n = ::readlink("/proc/self/exe", path.data(), path.size());
        if (n < 0)
            return {};
        if (static_cast<size_t>(n) < path.size()) {
            path.resize(static_cast<size_t>(n));
            break;
        }
        path.resize(path.size() * 2);
    }
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return {};
    path.resize(slash == 0 ? 1 : slash);
    return path;
}

} // namespace KX
