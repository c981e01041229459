#pragma once
// The images that MakeTestImages writes at build time and the tests read back from the
// embedded resources.
#include <cstdint>

namespace kxtest {

// "Solid 2x3.png": 2 x 3 pixels, straight ARGB, row by row.
inline constexpr int32_t kSolidWidth = 2;
inline constexpr int32_t kSolidHeight = 3;
inline constexpr uint32_t kSolidPixels[kSolidWidth * kSolidHeight] = {
    0xFF102030u, 0x80FFFFFFu, //
    0x00000000u, 0xFFFF0000u, //
    0x7F00FF00u, 0x010000FFu,
};

// "Images/Knob Small.png": 4 x 1 pixels.
inline constexpr int32_t kKnobWidth = 4;
inline constexpr uint32_t kKnobPixels[kKnobWidth] = {0xFF000000u, 0xFF555555u, 0xFFAAAAAAu, 0xFFFFFFFFu};

// "Truncated.png": the first half of the knob's PNG file.
// "Test Doc.xml": embedded as KXXML "APP_TEST_DOC" with this text.
inline constexpr const char* kTestDocText = "<Application><StringTable Id=\"Test\"/></Application>\n";

} // namespace kxtest
