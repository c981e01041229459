#pragma once
// Helpers for the graphics layer's pixel tests.
#include "TestSupport.h"
#include "platform/gdi/Gdi.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace rendertest {

using kxtest::Hex;

inline std::unique_ptr<gdi::Bitmap> MakeBitmap(int w, int h, gdi::PixelFormat format = gdi::PixelFormat::PArgb32)
{
    std::unique_ptr<gdi::Bitmap> bitmap;
    EXPECT_EQ(gdi::Bitmap::Create(w, h, format, bitmap), gdi::Status::Ok);
    return bitmap;
}

inline std::unique_ptr<gdi::Graphics> MakeGraphics(gdi::Bitmap& bitmap)
{
    std::unique_ptr<gdi::Graphics> graphics;
    EXPECT_EQ(gdi::Graphics::FromImage(bitmap, graphics), gdi::Status::Ok);
    return graphics;
}

inline gdi::ARGB Pixel(const gdi::Bitmap& bitmap, int x, int y)
{
    gdi::ARGB value = 0xDEADBEEF;
    EXPECT_EQ(bitmap.GetPixel(x, y, value), gdi::Status::Ok) << x << "," << y;
    return value;
}

// The smallest rectangle holding every pixel that differs from `background`; width 0 when none.
inline gdi::RectI InkBounds(const gdi::Bitmap& bitmap, gdi::ARGB background)
{
    int x0 = bitmap.GetWidth(), y0 = bitmap.GetHeight(), x1 = -1, y1 = -1;
    for (int y = 0; y < bitmap.GetHeight(); ++y)
        for (int x = 0; x < bitmap.GetWidth(); ++x)
            if (Pixel(bitmap, x, y) != background) {
                x0 = std::min(x0, x), y0 = std::min(y0, y), x1 = std::max(x1, x), y1 = std::max(y1, y);
            }
    if (x1 < 0)
        return {};
    return {x0, y0, x1 - x0 + 1, y1 - y0 + 1};
}

} // namespace rendertest
