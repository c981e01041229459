#pragma once
// The desktop's user-interface font as fontconfig resolves "sans-serif": its family, its size in
// points at 96 dots per inch (the pixel size * 72 / 96) and its style bits. Any thread.
#include <cstdint>
#include <string>

namespace gdi {

inline constexpr uint32_t kSystemFontBold = 1;
inline constexpr uint32_t kSystemFontItalic = 2;
inline constexpr uint32_t kSystemFontUnderline = 4; // never set by fontconfig
inline constexpr uint32_t kSystemFontStrikeOut = 8; // never set by fontconfig

struct SystemFont {
    std::string face; // UTF-8 family name
    float size = 0;   // points
    uint32_t style = 0;
};

// false (out untouched) when fontconfig finds no font or the match has no family. configFile, when
// given, is a fontconfig file used instead of the process's configuration (tests).
bool QuerySystemFont(SystemFont& out, const std::string& configFile = {});

} // namespace gdi
