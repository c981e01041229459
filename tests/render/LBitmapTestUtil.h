#pragma once
// Helpers for the LBitmap tests: PNG files written at run time and exact pixel reads.
#include "TestSupport.h"
#include "kx/Bitmap.h"
#include "kx/Colorizer.h"

#include "platform/gdi/Bitmap.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <string>
#include <vector>

namespace lbitmaptest {

inline std::vector<uint8_t> EncodePng(int32_t width, int32_t height, const std::vector<uint32_t>& pixels)
{
    std::unique_ptr<gdi::Bitmap> bitmap;
    EXPECT_EQ(gdi::Bitmap::FromPixels(width, height, width * 4, pixels.data(), bitmap), gdi::Status::Ok);
    std::vector<uint8_t> png;
    if (bitmap) {
        EXPECT_EQ(bitmap->EncodePng(png), gdi::Status::Ok);
    }
    return png;
}

inline void WriteBytes(const std::filesystem::path& path, const std::vector<uint8_t>& bytes)
{
    std::filesystem::create_directories(path.parent_path());
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(file.good()) << path;
}

inline void WritePng(const std::filesystem::path& path, int32_t width, int32_t height,
                     const std::vector<uint32_t>& pixels)
{
    WriteBytes(path, EncodePng(width, height, pixels));
}

inline KX::WString W(const std::filesystem::path& path)
{
    return KX::WString(path.string().c_str());
}

using kxtest::Hex;

// The pixel (x, y) of a bitmap as ARGB, through its colour.
inline uint32_t Argb(const KX::ConstRCPtr<KX::LBitmap>& bitmap, int32_t x, int32_t y)
{
    return bitmap->GetPixelColor(x, y).ToARGB();
}

// All pixels of a bitmap, row by row.
inline std::vector<uint32_t> AllPixels(const KX::ConstRCPtr<KX::LBitmap>& bitmap)
{
    std::vector<uint32_t> out;
    for (int32_t y = 0; y < bitmap->GetHeight(); ++y)
        for (int32_t x = 0; x < bitmap->GetWidth(); ++x)
            out.push_back(Argb(bitmap, x, y));
    return out;
}

inline KX::ConstRCPtr<KX::LColorizer> Solid(float r, float g, float b, float a)
{
    return KX::ConstRCPtr<KX::LColorizer>(new KX::LColorizer(KX::LColorizer::kSolidFill, {r, g, b, a}, {}));
}

// The text of the exception that fn throws as E; empty when it throws nothing.
template <class E, class Fn>
std::string ThrownText(Fn&& fn)
{
    try {
        fn();
    } catch (const E& e) {
        return e.what();
    }
    return {};
}

} // namespace lbitmaptest
