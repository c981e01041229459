// LBitmap: fills, tints and part bitmaps made from a colorizer, with exact ARGB results.
#include "LBitmapTestUtil.h"

#include "kx/Resources.h"

#include <cmath>
#include <limits>

using KX::ConstRCPtr;
using KX::LBitmap;
using KX::LColor;
using KX::LColorizer;
using KX::RCPtr;
using lbitmaptest::AllPixels;
using lbitmaptest::Argb;
using lbitmaptest::Hex;
using lbitmaptest::Solid;
using lbitmaptest::ThrownText;

namespace {

constexpr const char* kPlace = " : Utilities\\Graphics\\Bitmap : Line ";

// A private root of the given pixels (one row).
RCPtr<LBitmap> Row(const std::vector<uint32_t>& pixels)
{
    KX::ScopedResource resource(u"GDIPLUS", u"ROW_PNG",
                                lbitmaptest::EncodePng(static_cast<int32_t>(pixels.size()), 1, pixels));
    ConstRCPtr<LBitmap> loaded(new LBitmap(u"row", u"::row.png"));
    EXPECT_TRUE(loaded->IsLoaded());
    return loaded->CopyBitmap();
}

ConstRCPtr<LColorizer> Gradient(const LColor& from, const LColor& to)
{
    return ConstRCPtr<LColorizer>(new LColorizer(LColorizer::kLinearGradient, from, to));
}

} // namespace

TEST(LBitmapColorize, TintMixesEachChannelTowardTheColour)
{
    // Half-transparent black over white: (1 * 0.5 + 0) * 255 + 0.5 = 128; alpha is kept.
    RCPtr<LBitmap> white = Row({0xFFFFFFFFu, 0x40FFFFFFu});
    LBitmap::ApplyColorizer(white, Solid(0, 0, 0, 0.5f), 1.0f);
    EXPECT_EQ(AllPixels(white), (std::vector<uint32_t>{0xFF808080u, 0x40808080u}));

    // amount = 0.8 * 0.5 = 0.4, target = (0.4, 0, 0.2):
    // red 64 -> (64/255 * 0.6 + 0.4) * 255 + 0.5 = 140.9, green 192 -> 115.7, blue 32 -> 70.7.
    RCPtr<LBitmap> mixed = Row({0x8040C020u});
    LBitmap::ApplyColorizer(mixed, Solid(1, 0, 0.5f, 0.8f), 0.5f);
    EXPECT_EQ(Hex(Argb(mixed, 0, 0)), Hex(0x808C7346u));

    // No amount leaves every channel as it was; full amount gives the colour.
    RCPtr<LBitmap> same = Row({0x12345678u, 0xFF00FF7Fu});
    LBitmap::ApplyColorizer(same, Solid(1, 1, 1, 0), 1.0f);
    EXPECT_EQ(AllPixels(same), (std::vector<uint32_t>{0x12345678u, 0xFF00FF7Fu}));
    LBitmap::ApplyColorizer(same, Solid(0.2f, 0.4f, 0.6f, 1), 1.0f);
    EXPECT_EQ(AllPixels(same), (std::vector<uint32_t>{0x12336699u, 0xFF336699u}));
}

TEST(LBitmapColorize, TintTouchesOnlyTheViewsRectangle)
{
    RCPtr<LBitmap> root = Row({0xFF000000u, 0xFF000000u, 0xFF000000u});
    ConstRCPtr<LBitmap> view = root->CreateSubBitmap(1, 0, 1, 1);
    LBitmap::ApplyColorizer(RCPtr<LBitmap>(const_cast<LBitmap*>(view.Get())), Solid(1, 1, 1, 1), 1.0f);
    EXPECT_EQ(AllPixels(root), (std::vector<uint32_t>{0xFF000000u, 0xFFFFFFFFu, 0xFF000000u}));
}

TEST(LBitmapColorize, OutOfRangeAmountsSaturate)
{
    // amount 2: white target 2 -> 510.5 and 255.5, both 255; black target 0 over 255 -> -254.5 -> 0.
    RCPtr<LBitmap> a = Row({0xFF00FF80u});
    LBitmap::ApplyColorizer(a, Solid(1, 1, 1, 1), 2.0f);
    EXPECT_EQ(Hex(Argb(a, 0, 0)), Hex(0xFFFFFFFFu));
    RCPtr<LBitmap> b = Row({0xFFFFFFFFu});
    LBitmap::ApplyColorizer(b, Solid(0, 0, 0, 1), 2.0f);
    EXPECT_EQ(Hex(Argb(b, 0, 0)), Hex(0xFF000000u));
    RCPtr<LBitmap> c = Row({0xFF808080u});
    LBitmap::ApplyColorizer(c, Solid(std::numeric_limits<float>::quiet_NaN(), 0, 0, 1), 1.0f);
    EXPECT_EQ(Hex(Argb(c, 0, 0)), Hex(0xFF000000u));
}

TEST(LBitmapColorize, GradientWithEqualColoursIsSolid)
{
    const LColor red{1, 0, 0, 1};
    RCPtr<LBitmap> tinted = Row({0xFF0000FFu});
    LBitmap::ApplyColorizer(tinted, Gradient(red, red), 1.0f);
    EXPECT_EQ(Hex(Argb(tinted, 0, 0)), Hex(0xFFFF0000u));
    RCPtr<LBitmap> filled = LBitmap::CreateColorizedBitmap(Gradient(red, red), 0.5f, 2, 1);
    EXPECT_EQ(AllPixels(filled), (std::vector<uint32_t>{0x80FF0000u, 0x80FF0000u}));
}

TEST(LBitmapColorize, RealGradientsAreNotSupported)
{
    const std::string expected = std::string("Domain Error : KX::LBitmap::CreateGradientFilledBitmap") + kPlace + "354";
    auto gradient = Gradient({1, 0, 0, 1}, {0, 0, 1, 1});
    EXPECT_EQ(ThrownText<std::domain_error>([&] { LBitmap::CreateColorizedBitmap(gradient, 1.0f, 4, 4); }), expected);
    RCPtr<LBitmap> row = Row({0xFF000000u});
    EXPECT_EQ(ThrownText<std::domain_error>([&] { LBitmap::ApplyColorizer(row, gradient, 1.0f); }), expected);
    EXPECT_EQ(Argb(row, 0, 0), 0xFF000000u);
    EXPECT_EQ(ThrownText<std::domain_error>([&] { LBitmap::CreatePartBitmap(gradient, 1.0f, 4, 4, nullptr, nullptr); }),
              expected);
}

TEST(LBitmapColorize, FilledBitmapsHoldTheColourExactly)
{
    RCPtr<LBitmap> filled = LBitmap::CreateFilledBitmap(3, 2, LColor::MakeFromARGB(0x7F102030u));
    ASSERT_TRUE(filled->IsLoaded());
    EXPECT_EQ(filled->GetWidth(), 3);
    EXPECT_EQ(filled->GetHeight(), 2);
    EXPECT_EQ(AllPixels(filled), std::vector<uint32_t>(6, 0x7F102030u));

    // Alpha times the modifier: 0.8 * 0.5 * 255 = 102.
    RCPtr<LBitmap> colorized = LBitmap::CreateColorizedBitmap(Solid(1, 0.5f, 0, 0.8f), 0.5f, 1, 2);
    EXPECT_EQ(AllPixels(colorized), std::vector<uint32_t>(2, 0x66FF8000u));
}

TEST(LBitmapColorize, BadSizesAndArgumentsThrowTheirErrors)
{
    const auto solid = Solid(1, 1, 1, 1);
    EXPECT_EQ(ThrownText<std::runtime_error>([] { LBitmap::CreateFilledBitmap(0, 5, {}); }),
              std::string("Runtime Error : KX::LBitmap::CreateFilledBitmap") + kPlace + "319");
    EXPECT_EQ(ThrownText<std::runtime_error>([] { LBitmap::CreateFilledBitmap(5, -1, {}); }),
              std::string("Runtime Error : KX::LBitmap::CreateFilledBitmap") + kPlace + "319");
    EXPECT_EQ(ThrownText<std::runtime_error>([&] { LBitmap::CreateColorizedBitmap(solid, 1.0f, 0, 1); }),
              std::string("Runtime Error : KX::LBitmap::CreateColorizedBitmap") + kPlace + "290");
    EXPECT_EQ(ThrownText<std::runtime_error>([] { LBitmap::ApplyColorizer(nullptr, Solid(0, 0, 0, 1), 1.0f); }),
              std::string("Runtime Error : KX::LBitmap::ApplyColorizer") + kPlace + "366");
    EXPECT_EQ(ThrownText<std::runtime_error>([] { LBitmap::ApplyColorizer(Row({0u}), nullptr, 1.0f); }),
              std::string("Runtime Error : KX::LBitmap::ApplyColorizer") + kPlace + "366");
    // Without a colorizer there is nothing to fill with.
    EXPECT_NE(ThrownText<std::runtime_error>([] { LBitmap::CreatePartBitmap(nullptr, 1.0f, 2, 2, nullptr, nullptr); }),
              "");
    // Larger than any bitmap can be: a clear error, not a crash or an empty result.
    const std::string tooLarge =
        ThrownText<std::runtime_error>([] { LBitmap::CreateFilledBitmap(100000, 100000, {}); });
    EXPECT_NE(tooLarge.find("CreateFilledBitmap"), std::string::npos) << tooLarge;
    EXPECT_NE(tooLarge.find("100000 x 100000"), std::string::npos) << tooLarge;
}

TEST(LBitmapPartBitmap, ImageIsTintedOnAPrivateCopy)
{
    const std::vector<uint8_t> png = lbitmaptest::EncodePng(2, 1, {0xFFFFFFFFu, 0x80000000u});
    KX::ScopedResource resource(u"GDIPLUS", u"PART_IMAGE_PNG", png);
    ConstRCPtr<LBitmap> shared = LBitmap::GetSharedBitmap(u"::part image.png");
    ASSERT_TRUE(shared);
    const uint64_t sharedHandle = shared->GetHandle();

    RCPtr<LBitmap> part = LBitmap::CreatePartBitmap(Solid(0, 0, 0, 0.5f), 1.0f, 99, 99, shared, nullptr);
    ASSERT_TRUE(part);
    EXPECT_NE(part, shared);
    EXPECT_EQ(part->GetWidth(), 2); // the image's size, not the part's
    EXPECT_EQ(AllPixels(part), (std::vector<uint32_t>{0xFF808080u, 0x80000000u}));
    // The shared image is never changed.
    EXPECT_EQ(AllPixels(shared), (std::vector<uint32_t>{0xFFFFFFFFu, 0x80000000u}));
    EXPECT_EQ(shared->GetHandle(), sharedHandle);

    // A view's rectangle only.
    RCPtr<LBitmap> ofView =
        LBitmap::CreatePartBitmap(Solid(0, 0, 0, 0), 1.0f, 1, 1, shared->CreateSubBitmap(1, 0, 1, 1), nullptr);
    EXPECT_EQ(AllPixels(ofView), (std::vector<uint32_t>{0x80000000u}));
}

TEST(LBitmapPartBitmap, MaskTakesTheColourAndKeepsItsAlpha)
{
    const std::vector<uint8_t> png = lbitmaptest::EncodePng(2, 1, {0x00FFFFFFu, 0xC0000000u});
    KX::ScopedResource resource(u"GDIPLUS", u"PART_MASK_PNG", png);
    ConstRCPtr<LBitmap> mask = LBitmap::GetSharedBitmap(u"::part mask.png");
    ASSERT_TRUE(mask);
    RCPtr<LBitmap> part = LBitmap::CreatePartBitmap(Solid(0, 1, 0, 1), 1.0f, 5, 5, nullptr, mask);
    EXPECT_EQ(AllPixels(part), (std::vector<uint32_t>{0x0000FF00u, 0xC000FF00u}));
    EXPECT_EQ(Argb(mask, 1, 0), 0xC0000000u);
}

TEST(LBitmapPartBitmap, NeitherImageNorMaskGivesAFillOfThePartsSize)
{
    RCPtr<LBitmap> part = LBitmap::CreatePartBitmap(Solid(0, 0, 1, 1), 0.25f, 3, 1, nullptr, nullptr);
    EXPECT_EQ(part->GetWidth(), 3);
    EXPECT_EQ(part->GetHeight(), 1);
    EXPECT_EQ(AllPixels(part), std::vector<uint32_t>(3, 0x400000FFu));
    EXPECT_EQ(ThrownText<std::runtime_error>(
                  [] { LBitmap::CreatePartBitmap(Solid(0, 0, 1, 1), 1.0f, 0, 3, nullptr, nullptr); }),
              std::string("Runtime Error : KX::LBitmap::CreateColorizedBitmap") + kPlace + "290");
}

TEST(LBitmapPartBitmap, ImageTogetherWithMaskIsRefused)
{
    RCPtr<LBitmap> image = Row({0xFF000000u});
    RCPtr<LBitmap> mask = Row({0xFF000000u});
    EXPECT_EQ(
        ThrownText<std::domain_error>([&] { LBitmap::CreatePartBitmap(Solid(1, 1, 1, 1), 1.0f, 1, 1, image, mask); }),
        std::string("Domain Error : KX::LBitmap::ApplyColorizer") + kPlace + "432");
    EXPECT_EQ(Argb(image, 0, 0), 0xFF000000u);
}

TEST(LBitmapPartBitmap, EmptyImageGivesAnEmptyPart)
{
    ConstRCPtr<LBitmap> missing(new LBitmap(u"", u"::GONE_PNG"));
    RCPtr<LBitmap> part = LBitmap::CreatePartBitmap(Solid(1, 1, 1, 1), 1.0f, 4, 4, missing, nullptr);
    ASSERT_TRUE(part);
    EXPECT_FALSE(part->IsLoaded());
    EXPECT_EQ(part->GetWidth(), 0);
}
