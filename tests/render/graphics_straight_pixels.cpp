// Straight ARGB written to a premultiplied bitmap (pixel by pixel, by a locked rectangle or by an
// exact fill) reads back exactly, also after drawing elsewhere on the bitmap.
#include "RenderTestUtil.h"

#include <vector>

using namespace gdi;
using rendertest::Hex;
using rendertest::MakeBitmap;
using rendertest::MakeGraphics;
using rendertest::Pixel;

namespace {

// Values premultiplication rounds (0x80FF0101), wipes out (alpha 0) or keeps, at every alpha.
std::vector<ARGB> Translucent()
{
    std::vector<ARGB> values;
    for (ARGB rgb : {0xFF0101u, 0x010101u, 0x402010u, 0xFFFFFFu, 0x000000u, 0xFE02FDu})
        for (uint32_t alpha = 0; alpha < 256; ++alpha)
            values.push_back((alpha << 24) | rgb);
    return values;
}

} // namespace

TEST(StraightPixels, SetPixelOnAPremultipliedBitmapReadsBackExactly)
{
    const std::vector<ARGB> values = Translucent();
    auto bitmap = MakeBitmap(64, 32);
    for (size_t i = 0; i < values.size(); ++i)
        ASSERT_EQ(bitmap->SetPixel(int(i % 64), int(i / 64), values[i]), Status::Ok);

    // Drawing on other pixels leaves them as they are.
    auto graphics = MakeGraphics(*bitmap);
    graphics->FillRectangle(SolidBrush(0x80FF8000), 0, 30, 64, 2);
    graphics.reset();

    int changed = 0;
    for (size_t i = 0; i < values.size(); ++i)
        changed += Pixel(*bitmap, int(i % 64), int(i / 64)) != values[i];
    EXPECT_EQ(changed, 0) << "of " << values.size();

    // A pixel drawn over later reads as drawn.
    MakeGraphics(*bitmap)->FillRectangle(SolidBrush(0xFF00FF00), 1, 0, 1, 1);
    EXPECT_EQ(Hex(Pixel(*bitmap, 1, 0)), Hex(0xFF00FF00));
}

TEST(StraightPixels, SetPixelsFillsARectangleInsideTheBitmapExactly)
{
    auto bitmap = MakeBitmap(8, 8);
    EXPECT_EQ(bitmap->SetPixels({2, 3, 4, 5}, 0x03FF0101), Status::Ok);
    EXPECT_EQ(Hex(Pixel(*bitmap, 2, 3)), Hex(0x03FF0101));
    EXPECT_EQ(Hex(Pixel(*bitmap, 5, 7)), Hex(0x03FF0101));
    EXPECT_EQ(Hex(Pixel(*bitmap, 6, 7)), Hex(0));
    EXPECT_EQ(bitmap->SetPixels({6, 0, 3, 1}, 0xFFFFFFFF), Status::InvalidParameter);
    EXPECT_EQ(bitmap->SetPixels({0, 0, 0, 1}, 0xFFFFFFFF), Status::InvalidParameter);
    EXPECT_EQ(Hex(Pixel(*bitmap, 6, 0)), Hex(0));
}

TEST(StraightPixels, LocksAndClonesCarryTheExactValues)
{
    const std::vector<ARGB> values = Translucent();
    auto bitmap = MakeBitmap(64, 32);
    BitmapData data;
    ASSERT_EQ(bitmap->LockBits({0, 0, 64, 32}, ImageLockMode::Write, PixelFormat::Argb32, data), Status::Ok);
    for (size_t i = 0; i < values.size(); ++i)
        *data.PixelAt(int(i % 64), int(i / 64)) = values[i];
    ASSERT_EQ(bitmap->UnlockBits(data), Status::Ok);

    ASSERT_EQ(bitmap->LockBits({0, 0, 64, 32}, ImageLockMode::Read, PixelFormat::Argb32, data), Status::Ok);
    int changed = 0;
    for (size_t i = 0; i < values.size(); ++i)
        changed += *data.PixelAt(int(i % 64), int(i / 64)) != values[i];
    bitmap->UnlockBits(data);
    EXPECT_EQ(changed, 0);

    for (PixelFormat format : {PixelFormat::Argb32, PixelFormat::PArgb32}) {
        std::unique_ptr<Bitmap> copy;
        ASSERT_EQ(bitmap->Clone({1, 2, 60, 20}, format, copy), Status::Ok);
        changed = 0;
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 60; ++x)
                changed += Pixel(*copy, x, y) != values[size_t((y + 2) * 64 + x + 1)];
        EXPECT_EQ(changed, 0) << int(format);
    }
}

TEST(StraightPixels, ExactFillsKeepTheValueInBothFormatsAfterDrawing)
{
    for (PixelFormat format : {PixelFormat::PArgb32, PixelFormat::Argb32}) {
        SCOPED_TRACE(int(format));
        auto bitmap = MakeBitmap(8, 8, format);
        auto graphics = MakeGraphics(*bitmap);
        graphics->FillRectangle(SolidBrush(0x80FF8000), 0, 0, 8, 8); // the straight copy is now behind
        graphics->SetCompositingMode(CompositingMode::SourceCopy);
        graphics->FillRectangle(SolidBrush(0x80FF0101), 2, 2, 2, 2);
        graphics->Clear(0x00010101);
        graphics.reset();
        EXPECT_EQ(Hex(Pixel(*bitmap, 2, 2)), Hex(0x00010101));
        EXPECT_EQ(Hex(Pixel(*bitmap, 7, 7)), Hex(0x00010101));

        graphics = MakeGraphics(*bitmap);
        graphics->FillRectangle(SolidBrush(0xFF0000FF), 0, 0, 1, 1);
        graphics->SetCompositingMode(CompositingMode::SourceCopy);
        graphics->FillRectangle(SolidBrush(0x80FF0101), 2, 2, 2, 2);
        graphics.reset();
        EXPECT_EQ(Hex(Pixel(*bitmap, 3, 3)), Hex(0x80FF0101));
        EXPECT_EQ(Hex(Pixel(*bitmap, 0, 0)), Hex(0xFF0000FF));
    }
}
