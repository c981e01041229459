// Colour conversions to and from ARGB and from skin colour texts.
#include "kx/Color.h"

#include <gtest/gtest.h>

#include <limits>

using namespace KX;

namespace {
const LColor kStart{0.25f, 0.5f, 0.75f, 0.125f};
} // namespace

TEST(ColourARGB, FromARGBSplitsTheChannels)
{
    const LColor c = LColor::MakeFromARGB(0x80FF4000u);
    EXPECT_FLOAT_EQ(c.alpha, 128.0f / 255.0f);
    EXPECT_FLOAT_EQ(c.red, 1.0f);
    EXPECT_FLOAT_EQ(c.green, 64.0f / 255.0f);
    EXPECT_FLOAT_EQ(c.blue, 0.0f);
}

TEST(ColourARGB, EveryByteSurvivesTheRoundTrip)
{
    for (uint32_t v = 0; v < 256; ++v) {
        const uint32_t argb = (v << 24) | ((255 - v) << 16) | (((v * 7) & 255) << 8) | ((v * 13) & 255);
        EXPECT_EQ(LColor::MakeFromARGB(argb).ToARGB(), argb) << v;
    }
}

TEST(ColourARGB, ToARGBRoundsAndClamps)
{
    // 0.5 * 255 = 127.5 rounds away from zero.
    EXPECT_EQ((LColor{1.2f, -0.1f, 0.5f, 1.0f}).ToARGB(), 0xFFFF0080u);
    EXPECT_EQ((LColor{0.0f, 0.0f, 0.0f, 0.0f}).ToARGB(), 0u);
    EXPECT_EQ((LColor{1e30f, -1e30f, 0.0f, 2.0f}).ToARGB(), 0xFFFF0000u);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    EXPECT_EQ((LColor{nan, 1.0f, nan, nan}).ToARGB(), 0x0000FF00u);
}

TEST(ColourString, LengthSelectsTheChannels)
{
    LColor c = kStart;
    c.FromString("0xFF8000");
    EXPECT_FLOAT_EQ(c.red, 1.0f);
    EXPECT_FLOAT_EQ(c.green, 128.0f / 255.0f);
    EXPECT_FLOAT_EQ(c.blue, 0.0f);
    EXPECT_EQ(c.alpha, kStart.alpha);

    c = kStart;
    c.FromString("80");
    EXPECT_FLOAT_EQ(c.alpha, 128.0f / 255.0f);
    EXPECT_EQ(c.red, kStart.red);
    EXPECT_EQ(c.green, kStart.green);
    EXPECT_EQ(c.blue, kStart.blue);

    c = kStart;
    c.FromString("0X40aBcDeF");
    EXPECT_EQ(c.ToARGB(), 0x40ABCDEFu);

    c = kStart;
    c.FromString("00ff00ff");
    EXPECT_EQ(c.ToARGB(), 0x00FF00FFu);
}

TEST(ColourString, AnythingElseLeavesTheColourAlone)
{
    for (const char* text : {"12345", "0x", "", "0x1", "123456789", "0xFF80000", "x80"}) {
        LColor c = kStart;
        c.FromString(text);
        EXPECT_EQ(c, kStart) << text;
    }
    LColor c = kStart;
    c.FromString(nullptr);
    EXPECT_EQ(c, kStart);
}

TEST(ColourString, NonHexDigitsAreRefused)
{
    // Texts of a valid length that are not all hex digits must not set anything.
    for (const char* text : {"GG", "FFFFGG", "0x12 456", " 80", "+8", "-1", "0x-FFFFF", "12x45678", "0x0x12"}) {
        LColor c = kStart;
        c.FromString(text);
        EXPECT_EQ(c, kStart) << text;
    }
}
