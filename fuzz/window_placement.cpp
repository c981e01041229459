// Saved window placements from the profile: any bytes are read as a placement record. A record
// that is accepted is well formed and encodes back to the very same bytes; one that is refused
// leaves the output alone.
#include "kx/ui/WindowPlacement.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

using namespace KX;

namespace {

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    WindowPlacementRecord record;
    record.left = 12345;
    if (!DecodeWindowPlacement(data, size, record)) {
        Check(record.left == 12345);
        return 0;
    }
    Check(size == kWindowPlacementSize);
    Check(record.showCommand <= kShowMaximized);
    Check(record.right >= record.left && record.bottom >= record.top);
    Check(int64_t(record.right) - record.left <= 65535 && int64_t(record.bottom) - record.top <= 65535);
    const auto bytes = EncodeWindowPlacement(record);
    Check(std::memcmp(bytes.data(), data, size) == 0);
    return 0;
}
