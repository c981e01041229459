// The profile file: any text parses; writing it out and parsing that again gives the same text
// (nothing is lost or reordered on a rewrite), and each value read back is what was stored.
#include "platform/posix/ProfileFile.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

using platform::posix::ProfileFile;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    ProfileFile first("/nonexistent/fuzz.ini");
    first.Parse(text);
    const std::string once = first.Serialise();
    ProfileFile second("/nonexistent/fuzz.ini");
    second.Parse(once);
    if (second.Serialise() != once)
        std::abort();
    const auto a = first.GetBinary("S", "WP");
    const auto b = second.GetBinary("S", "WP");
    if (a != b)
        std::abort();
    return 0;
}
