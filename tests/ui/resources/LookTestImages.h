#pragma once
// The images of the look and visual-part tests: pixel tables, written as PNG files into a
// scratch folder and offered as "GDIPLUS" resources while a LookTestImages object lives.
#include "kx/Resources.h"
#include "kx/StringT.h"

#include "platform/gdi/Bitmap.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

namespace uitest {

// "looks.png", 12 x 4: three 4 x 4 regions side by side.
//  x 0..3  a colour chart: pixel (x, y) = opaque (40 + 50x, 40 + 50y, 128);
//  x 4..7  a mask: opaque white in its left half, fully transparent in its right half;
//  x 8..11 opaque mid grey, for tinting.
inline constexpr int32_t kLooksWidth = 12;
inline constexpr int32_t kLooksHeight = 4;

inline constexpr uint32_t ChartPixel(int32_t x, int32_t y)
{
    return 0xFF000000u | uint32_t(40 + 50 * x) << 16 | uint32_t(40 + 50 * y) << 8 | 128u;
}
inline constexpr uint32_t kMaskOn = 0xFFFFFFFFu;
inline constexpr uint32_t kMaskOff = 0x00FFFFFFu;
inline constexpr uint32_t kGrey = 0xFF808080u;

inline std::vector<uint32_t> LooksPixels()
{
    std::vector<uint32_t> pixels(kLooksWidth * kLooksHeight);
    for (int32_t y = 0; y < kLooksHeight; ++y)
        for (int32_t x = 0; x < kLooksWidth; ++x)
            pixels[y * kLooksWidth + x] = x < 4 ? ChartPixel(x, y) : x < 8 ? (x < 6 ? kMaskOn : kMaskOff) : kGrey;
    return pixels;
}

inline std::vector<uint8_t> EncodePng(int32_t width, int32_t height, const std::vector<uint32_t>& pixels)
{
    std::unique_ptr<gdi::Bitmap> bitmap;
    std::vector<uint8_t> png;
    if (gdi::Bitmap::FromPixels(width, height, width * 4, pixels.data(), bitmap) != gdi::Status::Ok ||
        bitmap->EncodePng(png) != gdi::Status::Ok)
        png.clear();
    return png;
}

// Writes "looks.png" into a fresh scratch folder and embeds it as "::looks.png" (LOOKS_PNG).
class LookTestImages {
public:
    LookTestImages()
        : m_png(EncodePng(kLooksWidth, kLooksHeight, LooksPixels())),
          m_folder(std::filesystem::temp_directory_path() / ("kx_ui_looks_" + std::to_string(::getpid()))),
          m_resource(KX::WString(KX::kResourceTypeImage), KX::WString(u"LOOKS_PNG"), m_png)
    {
        std::filesystem::create_directories(m_folder);
        std::ofstream file(m_folder / "looks.png", std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(m_png.data()), static_cast<std::streamsize>(m_png.size()));
    }
    ~LookTestImages()
    {
        std::error_code error;
        std::filesystem::remove_all(m_folder, error);
    }
    LookTestImages(const LookTestImages&) = delete;
    LookTestImages& operator=(const LookTestImages&) = delete;

    bool IsValid() const { return !m_png.empty(); }
    // The folder with a trailing "/", as skin documents prefix their image paths.
    KX::WString Folder() const { return KX::WString((m_folder.generic_string() + "/").c_str()); }

private:
    std::vector<uint8_t> m_png;
    std::filesystem::path m_folder;
    KX::ScopedResource m_resource;
};

} // namespace uitest
