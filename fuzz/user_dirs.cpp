// The user-dirs file: any text is searched for the documents entry; a path that comes back is
// absolute, has no trailing "/" (unless it is the root) and no zero byte.
#include "platform/posix/XdgFolders.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    for (std::string_view home : {std::string_view("/home/ann"), std::string_view("/"), std::string_view()}) {
        const auto path = platform::posix::ParseUserDirsEntry(text, "XDG_DOCUMENTS_DIR", home);
        if (!path)
            continue;
        if (path->empty() || path->front() != '/' || path->find('\0') != std::string::npos ||
            (path->size() > 1 && path->back() == '/'))
            std::abort();
    }
    return 0;
}
