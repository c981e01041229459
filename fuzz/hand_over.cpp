// The hand-over frame of a second instance: any bytes, in any pieces, give the same outcome as the
// whole; a complete text is within the bound and holds no zero byte.
#include "platform/posix/SingleInstance.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

using platform::posix::HandOverReader;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const size_t piece = data[0] % 17 + 1;
    ++data;
    --size;

    HandOverReader whole;
    size_t used = 0;
    whole.Feed(data, size, &used);

    HandOverReader pieces;
    size_t total = 0;
    for (size_t at = 0; at < size && pieces.GetState() == HandOverReader::State::NeedMore; at += piece) {
        size_t n = 0;
        pieces.Feed(data + at, std::min(piece, size - at), &n);
        total += n;
    }
    if (whole.GetState() != pieces.GetState() || whole.Text() != pieces.Text())
        std::abort();
    if (whole.GetState() == HandOverReader::State::Complete) {
        const std::string_view text = whole.Text();
        if (text.size() >= platform::posix::kMaxHandOverBytes || text.find('\0') != std::string_view::npos ||
            used != 8 + text.size() + 1 || total != used)
            std::abort();
    }
    return 0;
}
