// Font families, metrics, text measuring and text drawing.
#include "RenderTestUtil.h"

#include <cmath>

using namespace gdi;
using rendertest::InkBounds;
using rendertest::MakeBitmap;
using rendertest::MakeGraphics;
using rendertest::Pixel;

namespace {

constexpr ARGB kWhite = 0xFFFFFFFF;
constexpr ARGB kBlack = 0xFF000000;

FontFamily Sans()
{
    FontFamily family;
    EXPECT_EQ(FontFamily::GenericSansSerif(family), Status::Ok);
    return family;
}

Font MakeFont(float size, Unit unit = Unit::Pixel, int32_t style = FontStyleRegular)
{
    Font font;
    EXPECT_EQ(Font::Create(Sans(), size, style, unit, font), Status::Ok);
    return font;
}

// Width as the renderer measures it: the right edge of the whole text's range.
float MeasuredRight(Graphics& graphics, std::u16string_view text, const Font& font, int32_t flags)
{
    StringFormat format(flags);
    CharacterRange range{0, int32_t(text.size())};
    format.SetMeasurableCharacterRanges({&range, 1});
    format.SetTrimming(StringTrimming::None);
    std::vector<RectF> bounds;
    EXPECT_EQ(graphics.MeasureCharacterRanges(text, font, RectF{0, 0, 9999, 9999}, format, bounds), Status::Ok);
    EXPECT_EQ(bounds.size(), 1u);
    return bounds.empty() ? 0 : bounds[0].x + bounds[0].width;
}

} // namespace

TEST(FontFamilies, FoundByNameIgnoringCaseWithSansSerifFallback)
{
    FontFamily family;
    ASSERT_EQ(FontFamily::FromName(u"DejaVu Sans", family), Status::Ok);
    FontFamily other;
    ASSERT_EQ(FontFamily::FromName(u"dejavu SANS", other), Status::Ok);
    EXPECT_TRUE(family == other);
    EXPECT_EQ(family.GetFamilyName(), u"DejaVu Sans");

    // A metric-compatible alias that the font configuration binds strongly finds the installed family.
    ASSERT_EQ(FontFamily::FromName(u"Bitstream Vera Sans", other), Status::Ok);
    EXPECT_TRUE(family == other);

    // Unknown names and generic names are not found.
    EXPECT_EQ(FontFamily::FromName(u"No Such Family 4711", other), Status::FontFamilyNotFound);
    EXPECT_EQ(FontFamily::FromName(u"sans-serif", other), Status::FontFamilyNotFound);
    EXPECT_FALSE(other.IsAvailable());
    EXPECT_EQ(FontFamily::FromName(u"", other), Status::FontFamilyNotFound);

    // Falling back to the generic family, the way text drawing does.
    FontFamily sans;
    ASSERT_EQ(FontFamily::GenericSansSerif(sans), Status::Ok);
    EXPECT_TRUE(sans.IsAvailable());
    EXPECT_FALSE(sans.GetFamilyName().empty());
    FontFamily again;
    FontFamily::GenericSansSerif(again);
    EXPECT_TRUE(sans == again);
}

TEST(FontFamilies, MetricsComeFromTheFontTables)
{
    FontFamily family = Sans();
    for (int32_t style : {0, 1, 2, 3}) {
        SCOPED_TRACE(style);
        uint16_t em = family.GetEmHeight(style);
        uint16_t ascent = family.GetCellAscent(style);
        uint16_t descent = family.GetCellDescent(style);
        ASSERT_GT(em, 0);
        EXPECT_GE(ascent + descent, em);
        EXPECT_GT(ascent, descent);
        EXPECT_LT(ascent + descent, 2 * em);
        EXPECT_GE(family.GetLineSpacing(style), ascent + descent);
    }
    EXPECT_EQ(FontFamily().GetEmHeight(0), 0);
}

TEST(Fonts, CreationAndHeights)
{
    Font font;
    EXPECT_EQ(Font::Create(Sans(), 0.0f, 0, Unit::Point, font), Status::InvalidParameter);
    EXPECT_EQ(Font::Create(Sans(), std::nanf(""), 0, Unit::Point, font), Status::InvalidParameter);
    EXPECT_EQ(Font::Create(FontFamily(), 10.0f, 0, Unit::Point, font), Status::InvalidParameter);
    EXPECT_FALSE(font.IsAvailable());

    Font pixels = MakeFont(12.0f, Unit::Pixel, FontStyleBold);
    EXPECT_EQ(pixels.GetSize(), 12.0f);
    EXPECT_EQ(pixels.GetStyle(), FontStyleBold);
    EXPECT_EQ(pixels.GetUnit(), Unit::Pixel);
    FontFamily family = pixels.GetFamily();
    float lineSpacing = 12.0f * family.GetLineSpacing(1) / family.GetEmHeight(1);
    // A pixel-sized font does not depend on the resolution; a point-sized one does.
    EXPECT_FLOAT_EQ(pixels.GetHeight(72.0f), lineSpacing);
    EXPECT_FLOAT_EQ(pixels.GetHeight(96.0f), lineSpacing);
    Font points = MakeFont(12.0f, Unit::Point, FontStyleBold);
    EXPECT_FLOAT_EQ(points.GetHeight(72.0f), lineSpacing);
    EXPECT_FLOAT_EQ(points.GetHeight(96.0f), lineSpacing * 96.0f / 72.0f);
    // Plausible sizes: a 12-pixel font is between 12 and 24 pixels high.
    EXPECT_GE(pixels.GetHeight(96.0f), 12.0f);
    EXPECT_LT(pixels.GetHeight(96.0f), 24.0f);
}

TEST(TextMeasuring, TrailingSpacesCountWhenAsked)
{
    auto bitmap = MakeBitmap(1, 1, PixelFormat::Argb32);
    auto graphics = MakeGraphics(*bitmap);
    Font font = MakeFont(10.0f, Unit::Point);
    float a = MeasuredRight(*graphics, u"a", font, StringFormatFlagsMeasureTrailingSpaces);
    float aSpace = MeasuredRight(*graphics, u"a ", font, StringFormatFlagsMeasureTrailingSpaces);
    float aSpaces = MeasuredRight(*graphics, u"a   ", font, StringFormatFlagsMeasureTrailingSpaces);
    EXPECT_GT(a, 0);
    EXPECT_GT(aSpace, a);
    EXPECT_GT(aSpaces, aSpace);
    EXPECT_FLOAT_EQ(MeasuredRight(*graphics, u"a ", font, 0), a);
    EXPECT_GT(MeasuredRight(*graphics, u"ab", font, 0), a);
    // A wider font measures wider.
    EXPECT_GT(MeasuredRight(*graphics, u"Hello", MakeFont(20.0f, Unit::Point), 0),
              MeasuredRight(*graphics, u"Hello", font, 0));
}

TEST(TextMeasuring, RangesOfPartsAndLines)
{
    auto bitmap = MakeBitmap(1, 1, PixelFormat::Argb32);
    auto graphics = MakeGraphics(*bitmap);
    Font font = MakeFont(12.0f);
    StringFormat format(StringFormatFlagsMeasureTrailingSpaces);
    const CharacterRange ranges[] = {{0, 2}, {2, 2}, {0, 0}, {0, 7}, {5, 2}};
    ASSERT_EQ(format.SetMeasurableCharacterRanges(ranges), Status::Ok);
    std::vector<RectF> bounds;
    ASSERT_EQ(graphics->MeasureCharacterRanges(u"abcd\nxy", font, RectF{10, 20, 9999, 9999}, format, bounds),
              Status::Ok);
    ASSERT_EQ(bounds.size(), 5u);
    float lineHeight = font.GetHeight(96.0f);
    // Text begins one sixth of the em size in.
    EXPECT_FLOAT_EQ(bounds[0].x, 10.0f + 12.0f / 6.0f);
    EXPECT_FLOAT_EQ(bounds[0].y, 20.0f);
    EXPECT_FLOAT_EQ(bounds[0].height, lineHeight);
    EXPECT_FLOAT_EQ(bounds[1].x, bounds[0].x + bounds[0].width); // "cd" follows "ab"
    EXPECT_EQ(bounds[2].width, 0.0f);                            // an empty range
    EXPECT_FLOAT_EQ(bounds[3].height, 2 * lineHeight);           // both lines
    EXPECT_FLOAT_EQ(bounds[4].y, 20.0f + lineHeight);            // "xy" on the second line
    EXPECT_FLOAT_EQ(bounds[4].x, bounds[0].x);

    const CharacterRange beyond[] = {{5, 3}};
    format.SetMeasurableCharacterRanges(beyond);
    EXPECT_EQ(graphics->MeasureCharacterRanges(u"abcd\nxy", font, RectF{}, format, bounds), Status::InvalidParameter);
    std::vector<CharacterRange> many(33);
    EXPECT_EQ(format.SetMeasurableCharacterRanges(many), Status::ValueOverflow);

    // A character outside the basic plane is one glyph made of two UTF-16 units.
    const CharacterRange pair[] = {{0, 2}, {0, 3}};
    format.SetMeasurableCharacterRanges(pair);
    ASSERT_EQ(graphics->MeasureCharacterRanges(u"\U0001F600a", font, RectF{}, format, bounds), Status::Ok);
    EXPECT_GT(bounds[0].width, 0.0f);
    EXPECT_GT(bounds[1].width, bounds[0].width);
}

TEST(TextDrawing, TextLandsBelowAndRightOfTheLayoutOrigin)
{
    auto bitmap = MakeBitmap(200, 80);
    auto graphics = MakeGraphics(*bitmap);
    graphics->Clear(kWhite);
    Font font = MakeFont(24.0f);
    FontFamily family = font.GetFamily();
    double ascent = 24.0 * family.GetCellAscent(0) / family.GetEmHeight(0);
    SolidBrush black(kBlack);
    ASSERT_EQ(graphics->DrawString(u"HH", font, RectF{30, 10, 0, 0}, nullptr, black), Status::Ok);
    gdi::RectI ink = InkBounds(*bitmap, kWhite);
    ASSERT_GT(ink.width, 0);
    // Starts after the lead of a sixth of the em size, capitals sit on the baseline.
    EXPECT_GE(ink.x, 30 + 4 - 1);
    EXPECT_LE(ink.x, 30 + 4 + 4);
    EXPECT_GT(ink.y, 10);
    EXPECT_NEAR(ink.y + ink.height, 10 + ascent, 1.5);
    EXPECT_GT(ink.width, 24);
    EXPECT_LT(ink.width, 48);
    // The measured width reaches at least to the right of the ink.
    EXPECT_GE(MeasuredRight(*graphics, u"HH", font, 0) + 30 + 1, float(ink.x + ink.width));

    // Translation moves the text; the clip cuts it.
    graphics->Clear(kWhite);
    graphics->TranslateTransform(50, 20);
    graphics->DrawString(u"HH", font, RectF{30, 10, 0, 0}, nullptr, black);
    gdi::RectI moved = InkBounds(*bitmap, kWhite);
    EXPECT_EQ(moved.x, ink.x + 50);
    EXPECT_EQ(moved.y, ink.y + 20);
    graphics->Clear(kWhite);
    graphics->SetClip(RectF{0, 0, 40, 100});
    graphics->DrawString(u"HH", font, RectF{30, 10, 0, 0}, nullptr, black);
    graphics->ResetClip();
    EXPECT_LE(InkBounds(*bitmap, kWhite).x + InkBounds(*bitmap, kWhite).width, 90);

    // A second line starts one line height further down.
    graphics->ResetTransform();
    graphics->Clear(kWhite);
    graphics->DrawString(u"H\nH", font, RectF{30, 0, 0, 0}, nullptr, black);
    gdi::RectI two = InkBounds(*bitmap, kWhite);
    EXPECT_NEAR(two.height, ink.height + font.GetHeight(96.0f), 2.0);
}

TEST(TextDrawing, PointSizesGrowWithTheTargetResolution)
{
    std::unique_ptr<OffscreenWindowSurface> window;
    ASSERT_EQ(OffscreenWindowSurface::Create(300, 100, window, 192.0f), Status::Ok);
    std::unique_ptr<Graphics> graphics;
    ASSERT_EQ(Graphics::FromWindow(*window, graphics), Status::Ok);
    EXPECT_EQ(graphics->GetDpiX(), 192.0f);
    auto bitmap = MakeBitmap(1, 1);
    auto measuring = MakeGraphics(*bitmap);
    Font font = MakeFont(10.0f, Unit::Point);
    float at96 = MeasuredRight(*measuring, u"Hello", font, 0);
    float at192 = MeasuredRight(*graphics, u"Hello", font, 0);
    EXPECT_NEAR(at192, 2 * at96, 3.0);
}

TEST(TextDrawing, HugeSizesAreCappedAndLeaveTheFaceUsable)
{
    // Bold italic: a face no other test here uses, so that a failure stays in this test.
    auto bitmap = MakeBitmap(64, 64);
    auto graphics = MakeGraphics(*bitmap);
    for (float size : {60000.0f, 1.0e6f, 3.0e38f}) {
        Font huge = MakeFont(size, Unit::Point, FontStyleBoldItalic);
        EXPECT_EQ(graphics->DrawString(u"W", huge, RectF{0, 0, 0, 0}, nullptr, SolidBrush(kWhite)), Status::Ok) << size;
        EXPECT_GT(MeasuredRight(*graphics, u"W", huge, 0), 0.0f) << size;
    }
    // Every later new size of the face still measures and draws.
    for (float size : {13.25f, 27.75f}) {
        Font font = MakeFont(size, Unit::Pixel, FontStyleBoldItalic);
        EXPECT_GT(MeasuredRight(*graphics, u"Hello", font, 0), size) << size;
        auto fresh = MakeBitmap(64, 64);
        EXPECT_EQ(MakeGraphics(*fresh)->DrawString(u"Hi", font, RectF{0, 0, 0, 0}, nullptr, SolidBrush(kWhite)),
                  Status::Ok);
        EXPECT_GT(InkBounds(*fresh, 0).width, 0) << size;
    }
}
