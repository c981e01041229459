// The 44-byte window placement record.
#include "kx/ui/WindowPlacement.h"

namespace KX {

namespace {

void Put(uint8_t* at, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        at[i] = static_cast<uint8_t>(value >> (8 * i));
}

uint32_t Get(const uint8_t* at)
{
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i)
        value |= static_cast<uint32_t>(at[i]) << (8 * i);
    return value;
}

int32_t GetSigned(const uint8_t* at)
{
    return static_cast<int32_t>(Get(at));
}

constexpr int64_t kLargestSide = 65535;

bool InRange(int32_t coordinate)
{
    return coordinate >= -kLargestCoordinate && coordinate <= kLargestCoordinate;
}

} // namespace

std::array<uint8_t, kWindowPlacementSize> EncodeWindowPlacement(const WindowPlacementRecord& record)
{
    std::array<uint8_t, kWindowPlacementSize> bytes{};
    const uint32_t fields[11] = {kWindowPlacementSize,
                                 record.flags,
                                 record.showCommand,
                                 static_cast<uint32_t>(record.minPosition.x),
                                 static_cast<uint32_t>(record.minPosition.y),
                                 static_cast<uint32_t>(record.maxPosition.x),
                                 static_cast<uint32_t>(record.maxPosition.y),
                                 static_cast<uint32_t>(record.left),
                                 static_cast<uint32_t>(record.top),
                                 static_cast<uint32_t>(record.right),
                                 static_cast<uint32_t>(record.bottom)};
    for (size_t i = 0; i < 11; ++i)
        Put(bytes.data() + 4 * i, fields[i]);
    return bytes;
}

bool DecodeWindowPlacement(const uint8_t* data, size_t size, WindowPlacementRecord& out)
{
    if (!data || size != kWindowPlacementSize || Get(data) != kWindowPlacementSize)
        return false;
    WindowPlacementRecord record;
    record.flags = Get(data + 4);
    record.showCommand = Get(data + 8);
    if (record.showCommand > kShowMaximized)
        return false;
    record.minPosition = {GetSigned(data + 12), GetSigned(data + 16)};
    record.maxPosition = {GetSigned(data + 20), GetSigned(data + 24)};
    record.left = GetSigned(data + 28);
    record.top = GetSigned(data + 32);
    record.right = GetSigned(data + 36);
    record.bottom = GetSigned(data + 40);
    for (const int32_t coordinate : {record.minPosition.x, record.minPosition.y, record.maxPosition.x,
                                     record.maxPosition.y, record.left, record.top, record.right, record.bottom})
        if (!InRange(coordinate))
            return false;
    const int64_t width = int64_t(record.right) - record.left;
    const int64_t height = int64_t(record.bottom) - record.top;
    if (width < 0 || height < 0 || width > kLargestSide || height > kLargestSide)
        return false;
    out = record;
    return true;
}

} // namespace KX
