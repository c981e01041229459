// PNG decoding from memory and files, encoding, and bad input.
#include "RenderTestUtil.h"

#include "TestSupport.h"

#include <fstream>
#include <random>
#include <vector>

using namespace gdi;
using rendertest::MakeBitmap;
using rendertest::Pixel;

namespace {

// 3 x 2 RGBA, written by hand: red, half-transparent green, nearly transparent blue;
// a transparent pixel that keeps its colour, and two partly transparent ones.
const uint8_t kRgbaPng[] = {
    0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a, 0x00, 0x00, 0x00, 0x0d, 0x49, 0x48, 0x44, 0x52, 0x00, 0x00,
    0x00, 0x03, 0x00, 0x00, 0x00, 0x02, 0x08, 0x06, 0x00, 0x00, 0x00, 0x9d, 0x74, 0x66, 0x1a, 0x00, 0x00, 0x00,
    0x1f, 0x49, 0x44, 0x41, 0x54, 0x78, 0x9c, 0x63, 0xf8, 0xcf, 0xc0, 0xf0, 0x1f, 0x08, 0x1b, 0x80, 0x14, 0x23,
    0x03, 0x97, 0x88, 0x1c, 0xc3, 0x89, 0x14, 0x23, 0x5f, 0x46, 0x26, 0x66, 0x16, 0x00, 0x69, 0x13, 0x06, 0x6f,
    0x85, 0x60, 0x52, 0xc1, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4e, 0x44, 0xae, 0x42, 0x60, 0x82,
};

// 2 x 2 palette image (white, black at alpha 128, red) with a transparency chunk.
const uint8_t kPalettePng[] = {
    0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a, 0x00, 0x00, 0x00, 0x0d, 0x49, 0x48, 0x44, 0x52, 0x00, 0x00,
    0x00, 0x02, 0x00, 0x00, 0x00, 0x02, 0x08, 0x03, 0x00, 0x00, 0x00, 0x45, 0x68, 0xfd, 0x16, 0x00, 0x00, 0x00,
    0x09, 0x50, 0x4c, 0x54, 0x45, 0xff, 0xff, 0xff, 0x00, 0x00, 0x00, 0xff, 0x00, 0x00, 0xc0, 0xc9, 0x9d, 0xb0,
    0x00, 0x00, 0x00, 0x02, 0x74, 0x52, 0x4e, 0x53, 0xff, 0x80, 0x08, 0x0f, 0xb3, 0x6a, 0x00, 0x00, 0x00, 0x0e,
    0x49, 0x44, 0x41, 0x54, 0x78, 0x9c, 0x63, 0x60, 0x60, 0x64, 0x60, 0x62, 0x04, 0x00, 0x00, 0x0f, 0x00, 0x05,
    0x2b, 0xdc, 0x64, 0x4f, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4e, 0x44, 0xae, 0x42, 0x60, 0x82,
};

uint32_t Crc32(const uint8_t* data, size_t size)
{
    uint32_t crc = 0xFFFFFFFF;
    for (size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    return ~crc;
}

// The image with another size in its header (and a header checksum to match).
std::vector<uint8_t> WithSize(uint32_t width, uint32_t height)
{
    std::vector<uint8_t> png(std::begin(kRgbaPng), std::end(kRgbaPng));
    for (int i = 0; i < 4; ++i) {
        png[size_t(16 + i)] = uint8_t(width >> (24 - 8 * i));
        png[size_t(20 + i)] = uint8_t(height >> (24 - 8 * i));
    }
    uint32_t crc = Crc32(&png[12], 17);
    for (int i = 0; i < 4; ++i)
        png[size_t(29 + i)] = uint8_t(crc >> (24 - 8 * i));
    return png;
}

void WriteFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

} // namespace

TEST(Png, DecodesStraightAlphaExactly)
{
    std::unique_ptr<Bitmap> bitmap;
    ASSERT_EQ(Bitmap::FromMemory(kRgbaPng, bitmap), Status::Ok);
    ASSERT_EQ(bitmap->GetWidth(), 3);
    ASSERT_EQ(bitmap->GetHeight(), 2);
    EXPECT_EQ(bitmap->GetPixelFormat(), PixelFormat::Argb32);
    EXPECT_EQ(Pixel(*bitmap, 0, 0), 0xFFFF0000u);
    EXPECT_EQ(Pixel(*bitmap, 1, 0), 0x8000FF00u);
    EXPECT_EQ(Pixel(*bitmap, 2, 0), 0x010000FFu);
    EXPECT_EQ(Pixel(*bitmap, 1, 1), 0x4DC86432u);
    EXPECT_EQ(Pixel(*bitmap, 2, 1), 0x04010203u);

    // The same values through a lock, as a texture upload reads them.
    BitmapData data;
    ASSERT_EQ(bitmap->LockBits({0, 0, 3, 2}, ImageLockMode::Read, PixelFormat::Argb32, data), Status::Ok);
    EXPECT_EQ(*data.PixelAt(2, 1), 0x04010203u);
    bitmap->UnlockBits(data);
}

TEST(Png, DecodesPalettesWithTransparency)
{
    std::unique_ptr<Bitmap> bitmap;
    ASSERT_EQ(Bitmap::FromMemory(kPalettePng, bitmap), Status::Ok);
    EXPECT_EQ(Pixel(*bitmap, 0, 0), 0xFFFFFFFFu);
    EXPECT_EQ(Pixel(*bitmap, 1, 0), 0x80000000u);
    EXPECT_EQ(Pixel(*bitmap, 0, 1), 0xFFFF0000u);
}

TEST(Png, EncodeAndDecodeRoundTrip)
{
    auto original = MakeBitmap(17, 9, PixelFormat::Argb32);
    std::mt19937 random(3);
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 17; ++x)
            original->SetPixel(x, y, random());
    std::vector<uint8_t> bytes;
    ASSERT_EQ(original->EncodePng(bytes), Status::Ok);
    std::unique_ptr<Bitmap> decoded;
    ASSERT_EQ(Bitmap::FromMemory(bytes, decoded), Status::Ok);
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 17; ++x) {
            ARGB expected = Pixel(*original, x, y);
            if ((expected >> 24) == 0)
                EXPECT_EQ(Pixel(*decoded, x, y) >> 24, 0u);
            else
                EXPECT_EQ(Pixel(*decoded, x, y), expected) << x << "," << y;
        }
}

TEST(Png, LoadsFromFilesAndReportsMissingOnes)
{
    kxtest::TempDir dir;
    auto path = dir.path() / "image with blank.png";
    WriteFile(path, {std::begin(kRgbaPng), std::end(kRgbaPng)});
    std::unique_ptr<Bitmap> bitmap;
    ASSERT_EQ(Bitmap::FromFile(path.string(), bitmap), Status::Ok);
    EXPECT_EQ(Pixel(*bitmap, 1, 0), 0x8000FF00u);
    ASSERT_EQ(Bitmap::FromFile(path.u16string(), bitmap), Status::Ok);
    EXPECT_EQ(bitmap->GetWidth(), 3);

    EXPECT_EQ(Bitmap::FromFile((dir.path() / "missing.png").string(), bitmap), Status::FileNotFound);
    EXPECT_EQ(bitmap, nullptr);
    EXPECT_EQ(Bitmap::FromFile(dir.str(), bitmap), Status::FileNotFound);

    auto saved = dir.path() / "saved.png";
    auto original = MakeBitmap(2, 2);
    original->SetPixel(1, 1, 0xFF336699);
    ASSERT_EQ(original->SaveToPng(saved.string()), Status::Ok);
    ASSERT_EQ(Bitmap::FromFile(saved.string(), bitmap), Status::Ok);
    EXPECT_EQ(Pixel(*bitmap, 1, 1), 0xFF336699u);
}

TEST(Png, BadBytesGiveAnErrorAndNoBitmap)
{
    std::vector<uint8_t> good(std::begin(kRgbaPng), std::end(kRgbaPng));
    std::unique_ptr<Bitmap> bitmap;
    EXPECT_EQ(Bitmap::FromMemory({}, bitmap), Status::UnknownImageFormat);
    const uint8_t gif[] = {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0, 0, 0};
    EXPECT_EQ(Bitmap::FromMemory(gif, bitmap), Status::UnknownImageFormat);

    // Every truncation fails cleanly.
    for (size_t n = 0; n < good.size() - 12; ++n) {
        std::vector<uint8_t> cut(good.begin(), good.begin() + std::ptrdiff_t(n));
        EXPECT_NE(Bitmap::FromMemory(cut, bitmap), Status::Ok) << n;
        EXPECT_EQ(bitmap, nullptr);
    }
    // Damaged image data.
    std::vector<uint8_t> damaged = good;
    damaged[45] ^= 0xFF;
    EXPECT_NE(Bitmap::FromMemory(damaged, bitmap), Status::Ok);

    // A header that claims a vast image is refused before anything is allocated for it;
    // one that claims more rows than the data holds fails while decoding.
    EXPECT_EQ(Bitmap::FromMemory(WithSize(65536, 1), bitmap), Status::OutOfMemory);
    EXPECT_EQ(Bitmap::FromMemory(WithSize(30000, 30000), bitmap), Status::OutOfMemory);
    EXPECT_EQ(Bitmap::FromMemory(WithSize(3, 2), bitmap), Status::Ok);
    EXPECT_EQ(Bitmap::FromMemory(WithSize(3, 2000), bitmap), Status::UnknownImageFormat);
    EXPECT_EQ(bitmap, nullptr);
}

TEST(Png, AnImageTheDataCannotHoldOrOver4096By4096IsRefusedBeforeItsPixelsAreAllocated)
{
    std::unique_ptr<Bitmap> bitmap;
    EXPECT_EQ(Bitmap::FromMemory(WithSize(2000, 2000), bitmap), Status::ValueOverflow);
    EXPECT_EQ(Bitmap::FromMemory(WithSize(8000, 8000), bitmap), Status::OutOfMemory);
    EXPECT_EQ(bitmap, nullptr);
}
