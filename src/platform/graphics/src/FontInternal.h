#pragma once
// Font internals shared by the font code and the text drawing of Graphics.
// Lock order: a face's lock, then the process-wide font system's lock.
#include "platform/gdi/Font.h"

#include "Handles.h"

#include <cairo.h>

#include <array>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace gdi::detail {

// The largest em size in pixels that text is drawn and measured at. FreeType keeps pixel sizes
// in 16 bits, and a size it refuses leaves cairo's font face failed for good.
constexpr double kMaxEmPixels = 4096.0;

// One loaded face with its design metrics (font units).
struct FaceEntry {
    CairoFontFace face; // owns the FreeType face
    // Where it was loaded from, to load it again should cairo give up on it.
    std::string file;
    int index = 0;
    unsigned synth = 0;
    uint16_t em = 0;
    uint16_t ascent = 0;
    uint16_t descent = 0;
    uint16_t lineSpacing = 0;

    FaceEntry() = default;
    FaceEntry(const FaceEntry&) = delete;
    FaceEntry& operator=(const FaceEntry&) = delete;
    ~FaceEntry();

    // A new reference to the face scaled to `pixels` per em; null on failure.
    CairoScaledFont ScaledFont(double pixels);

private:
    // Scaled fonts by em size in pixels, oldest first.
    std::mutex m_mutex;
    std::vector<std::pair<double, CairoScaledFont>> m_scaled;
};

struct FamilyEntry {
    std::string name;                                // as fontconfig knows it, UTF-8
    std::array<std::shared_ptr<FaceEntry>, 4> faces; // by style, on first use
    std::array<bool, 4> looked{};
};

struct FontImpl {
    FontFamily family;
    std::shared_ptr<FaceEntry> face;
    float size = 0;
    int32_t style = 0;
    Unit unit = Unit::Point;

    // Em size in pixels on a target of that resolution, at most kMaxEmPixels.
    double PixelSize(float dpi) const
    {
        const double pixels = unit == Unit::Point ? double(size) * dpi / 72.0 : double(size);
        return pixels < kMaxEmPixels ? pixels : kMaxEmPixels;
    }
};

} // namespace gdi::detail
