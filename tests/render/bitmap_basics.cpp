// Bitmaps: sizes, exact pixel values in both storage formats, locking and copies.
#include "RenderTestUtil.h"

#include <random>
#include <vector>

using namespace gdi;
using rendertest::Hex;
using rendertest::MakeBitmap;
using rendertest::MakeGraphics;
using rendertest::Pixel;

TEST(Bitmap, CreateChecksSizes)
{
    std::unique_ptr<Bitmap> bitmap;
    EXPECT_EQ(Bitmap::Create(0, 10, PixelFormat::Argb32, bitmap), Status::InvalidParameter);
    EXPECT_EQ(Bitmap::Create(10, -1, PixelFormat::PArgb32, bitmap), Status::InvalidParameter);
    EXPECT_EQ(Bitmap::Create(40000, 1, PixelFormat::Argb32, bitmap), Status::OutOfMemory);
    EXPECT_EQ(Bitmap::Create(20000, 20000, PixelFormat::Argb32, bitmap), Status::OutOfMemory);
    EXPECT_EQ(bitmap, nullptr);
    ASSERT_EQ(Bitmap::Create(3, 2, PixelFormat::PArgb32, bitmap), Status::Ok);
    EXPECT_EQ(bitmap->GetWidth(), 3);
    EXPECT_EQ(bitmap->GetHeight(), 2);
    EXPECT_EQ(Pixel(*bitmap, 2, 1), 0u); // starts transparent

    std::vector<ARGB> pixels = {1, 2, 3, 0, 4, 5, 6, 0}; // stride of four pixels
    EXPECT_EQ(Bitmap::FromPixels(3, 2, 8, pixels.data(), bitmap), Status::InvalidParameter);
    ASSERT_EQ(Bitmap::FromPixels(3, 2, 16, pixels.data(), bitmap), Status::Ok);
    EXPECT_EQ(Pixel(*bitmap, 2, 0), 3u);
    EXPECT_EQ(Pixel(*bitmap, 0, 1), 4u);
}

TEST(Bitmap, StraightFormatKeepsEveryValueExactly)
{
    auto bitmap = MakeBitmap(64, 64, PixelFormat::Argb32);
    std::mt19937 random(7);
    std::vector<ARGB> values(64 * 64);
    for (size_t i = 0; i < values.size(); ++i) {
        values[i] = random();
        ASSERT_EQ(bitmap->SetPixel(int(i % 64), int(i / 64), values[i]), Status::Ok);
    }
    for (size_t i = 0; i < values.size(); ++i)
        ASSERT_EQ(Pixel(*bitmap, int(i % 64), int(i / 64)), values[i]) << i;

    // Drawing elsewhere, and drawing the bitmap as a source, leave those values alone.
    auto graphics = MakeGraphics(*bitmap);
    SolidBrush brush(0x80FF0000);
    graphics->FillRectangle(brush, RectF{0, 0, 64, 1});
    auto target = MakeBitmap(64, 64);
    MakeGraphics(*target)->DrawImage(*bitmap, 0.0f, 0.0f);
    for (size_t i = 64; i < values.size(); ++i)
        ASSERT_EQ(Pixel(*bitmap, int(i % 64), int(i / 64)), values[i]) << i;
}

TEST(Bitmap, PremultipliedFormatReadsBackWhatItCanHold)
{
    auto bitmap = MakeBitmap(4, 1);
    for (ARGB v : {0x80FF0000u, 0xFF123456u, 0x00000000u, 0x40FFFFFFu, 0x80008000u}) {
        ASSERT_EQ(bitmap->SetPixel(1, 0, v), Status::Ok);
        EXPECT_EQ(Pixel(*bitmap, 1, 0), v) << Hex(v);
    }
    // Every value read back is stored again unchanged: converting never drifts.
    for (uint32_t a = 0; a < 256; ++a)
        for (uint32_t c = 0; c < 256; ++c) {
            bitmap->SetPixel(0, 0, MakeARGB(a, c, 255 - c, c / 2));
            ARGB once = Pixel(*bitmap, 0, 0);
            bitmap->SetPixel(0, 0, once);
            ASSERT_EQ(Pixel(*bitmap, 0, 0), once) << Hex(MakeARGB(a, c, 255 - c, c / 2));
        }
    ARGB out;
    EXPECT_EQ(bitmap->GetPixel(4, 0, out), Status::InvalidParameter);
    EXPECT_EQ(bitmap->SetPixel(-1, 0, 0), Status::InvalidParameter);
    EXPECT_EQ(bitmap->GetLastStatus(), Status::InvalidParameter);
    EXPECT_EQ(bitmap->GetLastStatus(), Status::Ok);
}

TEST(Bitmap, LockBitsGivesStraightPixelsOfTheRectangle)
{
    for (PixelFormat storage : {PixelFormat::Argb32, PixelFormat::PArgb32}) {
        SCOPED_TRACE(int(storage));
        auto bitmap = MakeBitmap(5, 4, storage);
        bitmap->SetPixel(2, 1, 0x80FF0000);
        bitmap->SetPixel(4, 3, 0xFF00FF00);

        BitmapData data;
        ASSERT_EQ(bitmap->LockBits({2, 1, 3, 3}, ImageLockMode::ReadWrite, PixelFormat::Argb32, data), Status::Ok);
        EXPECT_EQ(data.width, 3);
        EXPECT_EQ(data.height, 3);
        EXPECT_GE(data.stride, 12);
        EXPECT_EQ(*data.PixelAt(0, 0), 0x80FF0000u);
        EXPECT_EQ(*data.PixelAt(2, 2), 0xFF00FF00u);
        *data.PixelAt(1, 1) = 0x800000FF;

        // While locked the bitmap can neither be read nor drawn on, nor locked again.
        ARGB value;
        EXPECT_EQ(bitmap->GetPixel(0, 0, value), Status::ObjectBusy);
        std::unique_ptr<Graphics> graphics;
        EXPECT_EQ(Graphics::FromImage(*bitmap, graphics), Status::ObjectBusy);
        BitmapData second;
        EXPECT_EQ(bitmap->LockBits({0, 0, 1, 1}, ImageLockMode::Read, PixelFormat::Argb32, second), Status::WrongState);

        ASSERT_EQ(bitmap->UnlockBits(data), Status::Ok);
        EXPECT_EQ(bitmap->UnlockBits(data), Status::WrongState);
        EXPECT_EQ(Pixel(*bitmap, 3, 2), 0x800000FFu);
        EXPECT_EQ(Pixel(*bitmap, 2, 1), 0x80FF0000u);
    }
}

TEST(Bitmap, LockBitsRejectsRectanglesOutsideTheBitmap)
{
    auto bitmap = MakeBitmap(5, 4, PixelFormat::Argb32);
    BitmapData data;
    EXPECT_EQ(bitmap->LockBits({3, 0, 3, 1}, ImageLockMode::Read, PixelFormat::Argb32, data), Status::InvalidParameter);
    EXPECT_EQ(bitmap->LockBits({0, 0, 0, 1}, ImageLockMode::Read, PixelFormat::Argb32, data), Status::InvalidParameter);
    EXPECT_EQ(bitmap->LockBits({-1, 0, 2, 1}, ImageLockMode::Read, PixelFormat::Argb32, data),
              Status::InvalidParameter);
    EXPECT_EQ(bitmap->LockBits({0, 0, 5, 4}, ImageLockMode::Read, PixelFormat::Argb32, data), Status::Ok);
    bitmap->UnlockBits(data);
}

TEST(Bitmap, ReadOnlyLockChangesNothing)
{
    auto bitmap = MakeBitmap(2, 2);
    bitmap->SetPixel(0, 0, 0xFF102030);
    BitmapData data;
    ASSERT_EQ(bitmap->LockBits({0, 0, 2, 2}, ImageLockMode::Read, PixelFormat::Argb32, data), Status::Ok);
    *data.PixelAt(0, 0) = 0xFFFFFFFF;
    bitmap->UnlockBits(data);
    EXPECT_EQ(Pixel(*bitmap, 0, 0), 0xFF102030u);
}

TEST(Bitmap, PixelsWrittenAfterDrawingSurviveTheNextDrawing)
{
    // A straight bitmap switches between its straight pixels and its drawing copy.
    auto bitmap = MakeBitmap(4, 1, PixelFormat::Argb32);
    auto graphics = MakeGraphics(*bitmap);
    SolidBrush red(0x80FF0000); // blended, so cairo draws it
    graphics->FillRectangle(red, 0, 0, 1, 1);
    bitmap->SetPixel(1, 0, 0x7F00FF00);
    BitmapData data;
    ASSERT_EQ(bitmap->LockBits({2, 0, 1, 1}, ImageLockMode::Write, PixelFormat::Argb32, data), Status::Ok);
    *data.PixelAt(0, 0) = 0x01020304;
    bitmap->UnlockBits(data);
    graphics->SetCompositingMode(CompositingMode::SourceCopy);
    SolidBrush blue(0x400000FF);
    graphics->FillRectangle(blue, 3, 0, 1, 1);
    EXPECT_EQ(Pixel(*bitmap, 0, 0), 0x80FF0000u);
    EXPECT_EQ(Pixel(*bitmap, 1, 0), 0x7F00FF00u);
    EXPECT_EQ(Pixel(*bitmap, 2, 0), 0x01020304u);
    EXPECT_EQ(Pixel(*bitmap, 3, 0), 0x400000FFu);
}

TEST(Bitmap, CloneCopiesARectangle)
{
    auto bitmap = MakeBitmap(4, 3, PixelFormat::Argb32);
    bitmap->SetPixel(1, 1, 0x05060708);
    bitmap->SetPixel(3, 2, 0xFF0000FF);
    std::unique_ptr<Bitmap> copy;
    ASSERT_EQ(bitmap->Clone({1, 1, 3, 2}, PixelFormat::Argb32, copy), Status::Ok);
    EXPECT_EQ(copy->GetWidth(), 3);
    EXPECT_EQ(copy->GetHeight(), 2);
    EXPECT_EQ(Pixel(*copy, 0, 0), 0x05060708u);
    EXPECT_EQ(Pixel(*copy, 2, 1), 0xFF0000FFu);
    // The copy is independent of the original.
    copy->SetPixel(0, 0, 0);
    EXPECT_EQ(Pixel(*bitmap, 1, 1), 0x05060708u);

    ASSERT_EQ(bitmap->Clone({0, 0, 4, 3}, PixelFormat::PArgb32, copy), Status::Ok);
    EXPECT_EQ(copy->GetPixelFormat(), PixelFormat::PArgb32);
    EXPECT_EQ(Pixel(*copy, 3, 2), 0xFF0000FFu);
    EXPECT_EQ(bitmap->Clone({2, 2, 3, 3}, PixelFormat::Argb32, copy), Status::InvalidParameter);
}
