#pragma once
// The saved placement of a main window: the 44-byte record kept under the profile value "WP"
// (length, flags, show command, minimised and maximised positions, normal rectangle; 32-bit
// little-endian fields), and its reading back with every field checked.
#include "kx/Geometry.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace KX {

inline constexpr uint32_t kWindowPlacementSize = 44;
// Show commands of the record.
inline constexpr uint32_t kShowNormal = 1;
inline constexpr uint32_t kShowMinimized = 2;
inline constexpr uint32_t kShowMaximized = 3;
// No coordinate of a record lies further from the origin than this (far beyond any desktop), so
// sums and differences of a decoded record's coordinates fit 32 bits.
inline constexpr int32_t kLargestCoordinate = 1 << 20;

struct WindowPlacementRecord {
    uint32_t flags = 0;
    uint32_t showCommand = kShowNormal;
    PointT<int32_t> minPosition{-1, -1};
    PointT<int32_t> maxPosition{-1, -1};
    // Left, top, right, bottom of the restored window.
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};

std::array<uint8_t, kWindowPlacementSize> EncodeWindowPlacement(const WindowPlacementRecord& record);
// False (out unchanged) unless the data is exactly one record whose length field is 44, whose
// show command is known, whose coordinates all lie within kLargestCoordinate of the origin and
// whose normal rectangle is not inverted and at most 65535 a side.
bool DecodeWindowPlacement(const uint8_t* data, size_t size, WindowPlacementRecord& out);

} // namespace KX
