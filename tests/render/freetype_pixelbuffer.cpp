// The 8-bit pixel buffer that carries glyph bitmaps.
#include "kx/PixelBuffer.h"

#include <gtest/gtest.h>

#include <vector>

using Buffer = KX::LPixelBuffer<unsigned char>;

TEST(PixelBuffer, WithoutSourceRowsAreRoundedAndZero)
{
    KX::RCPtr<Buffer> b(new Buffer(17, 3, 0, nullptr));
    EXPECT_EQ(b->GetRowLength(), 32u);
    EXPECT_EQ(b->GetWidth(), 17u);
    EXPECT_EQ(b->GetHeight(), 3u);
    for (uint32_t y = 0; y < 3; ++y)
        for (uint32_t x = 0; x < 32; ++x)
            EXPECT_EQ(*b->GetPixelAddress(x, y), 0);
    EXPECT_EQ(b->GetPixelAddress(0, 3), nullptr) << "beyond the storage";
    EXPECT_EQ(b->GetPixelAddress(32 * 3, 0), nullptr);
    // An explicit row length is kept.
    EXPECT_EQ(KX::RCPtr<Buffer>(new Buffer(5, 2, 7, nullptr))->GetRowLength(), 7u);
}

TEST(PixelBuffer, SourceIsCopiedAtItsRowLength)
{
    const std::vector<unsigned char> source = {1, 2, 3, 9, 4, 5, 6, 9};
    KX::RCPtr<Buffer> b(new Buffer(3, 2, 4, source.data()));
    EXPECT_EQ(*b->GetPixelAddress(2, 0), 3);
    EXPECT_EQ(*b->GetPixelAddress(0, 1), 4);
    EXPECT_EQ(*b->GetPixelAddress(3, 1), 9);
    EXPECT_EQ(b->GetPixelAddress(0, 2), nullptr);
}

TEST(PixelBuffer, SetHeightKeepsRowsAndZeroesNewOnes)
{
    const std::vector<unsigned char> source(16 * 2, 0xAB);
    KX::RCPtr<Buffer> b(new Buffer(16, 2, 16, source.data()));
    b->SetHeight(5);
    EXPECT_EQ(b->GetHeight(), 5u);
    EXPECT_EQ(*b->GetPixelAddress(15, 1), 0xAB);
    EXPECT_EQ(*b->GetPixelAddress(0, 2), 0);
    EXPECT_EQ(*b->GetPixelAddress(15, 4), 0);
    b->SetHeight(1);
    EXPECT_EQ(b->GetPixelAddress(0, 1), nullptr);
    EXPECT_EQ(*b->GetPixelAddress(0, 0), 0xAB);
}
