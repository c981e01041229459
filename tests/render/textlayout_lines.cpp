// Splitting, fitting and wrapping text into lines, and the laid-out label text.
#include "RenderCoreFakes.h"

#include "kx/TextLayout.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace KX;
using rendercore::FakeMeasurer;
using rendercore::ScopedRenderHost;

namespace {

std::vector<std::u16string> Lines(const WStringArray& lines)
{
    std::vector<std::u16string> out;
    for (uint32_t i = 0; i < lines.GetCount(); ++i)
        out.emplace_back(lines.ElementAt(i).GetString());
    return out;
}

using U = std::vector<std::u16string>;

class TextLayoutTest : public ::testing::Test {
protected:
    // 10 pixels per character.
    RCPtr<FakeMeasurer> measurer = FakeMeasurer::Create(10.0f);
    ConstRCPtr<LFont> font = LFont::GetFont(WString(u"LayoutFace"), 9.0f, kFontRegular);

    int32_t Fit(float width, const char16_t* text)
    {
        return FitTextToWidth(measurer.Get(), font, width, WString(text));
    }
    U Wrap(float width, const char16_t* text)
    {
        WStringArray lines;
        lines.AddItem(WString(u"stale"));
        WrapText(measurer.Get(), font, width, WString(text), lines);
        return Lines(lines);
    }
};

} // namespace

TEST(TextSplit, DelimitersAndEmptyPieces)
{
    EXPECT_EQ(Lines(SplitString(WString(u"abc"), u"\n")), (U{u"abc"}));
    EXPECT_EQ(Lines(SplitString(WString(), u"\n")), (U{u""}));
    EXPECT_EQ(Lines(SplitString(WString(u"a\nb"), u"\n")), (U{u"a", u"b"}));
    EXPECT_EQ(Lines(SplitString(WString(u"a\n\nb"), u"\n")), (U{u"a", u"", u"b"}));
    EXPECT_EQ(Lines(SplitString(WString(u"\na"), u"\n")), (U{u"", u"a"}));
    EXPECT_EQ(Lines(SplitString(WString(u"a\n"), u"\n")), (U{u"a"}));
    EXPECT_EQ(Lines(SplitString(WString(u"\n"), u"\n")), (U{u""}));
    EXPECT_EQ(Lines(SplitString(WString(u"a,b;c"), u",;")), (U{u"a", u"b", u"c"}));
}

TEST_F(TextLayoutTest, FitWholeTextOnlyWhenStrictlyNarrower)
{
    EXPECT_EQ(Fit(51.0f, u"hello"), 5);
    // Exactly as wide as the limit: not the whole text, and a single word is not broken.
    EXPECT_EQ(Fit(50.0f, u"hello"), 5);
    EXPECT_EQ(Fit(50.0f, u"hello world"), 5);
    EXPECT_EQ(Fit(1000.0f, u""), 0);
}

TEST_F(TextLayoutTest, FitBreaksAtTheLastFittingBlank)
{
    EXPECT_EQ(Fit(60.0f, u"one two three"), 3); // "one two" is 70: too wide
    EXPECT_EQ(Fit(75.0f, u"one two three"), 7);
    EXPECT_EQ(Fit(35.0f, u"one two three"), 3);
    // Nothing fits: the first word goes on the line anyway.
    EXPECT_EQ(Fit(5.0f, u"one two three"), 3);
    // A leading blank is not a break.
    EXPECT_EQ(Fit(5.0f, u" word"), 5);
}

TEST_F(TextLayoutTest, FitBreaksAfterHyphens)
{
    // One word: after its first hyphen when that part fits.
    EXPECT_EQ(Fit(50.0f, u"well-known"), 5);
    // Too wide even to the hyphen: the word up to the hyphen, unbroken.
    EXPECT_EQ(Fit(30.0f, u"well-known"), 5);
    // A hyphen at the very end does not count.
    EXPECT_EQ(Fit(30.0f, u"well-"), 5);
    // In the last word of several, a fitting hyphen wins over the blank.
    EXPECT_EQ(Fit(80.0f, u"a well-known"), 7);
    EXPECT_EQ(Fit(60.0f, u"a well-known"), 1);
    // A hyphen before the last blank does not.
    EXPECT_EQ(Fit(80.0f, u"x-ray image"), 5);
}

TEST_F(TextLayoutTest, WrapWordsAndParagraphs)
{
    EXPECT_EQ(Wrap(45.0f, u"word next"), (U{u"word", u"next"}));
    EXPECT_EQ(Wrap(20.0f, u"enormous"), (U{u"enormous"}));
    EXPECT_EQ(Wrap(55.0f, u"well-known"), (U{u"well-", u"known"}));
    // Blanks at the start of a continued line are dropped, those of a paragraph and those before
    // a break kept.
    EXPECT_EQ(Wrap(45.0f, u"  ab cd   ef"), (U{u"  ab", u"cd  ", u"ef"}));
    EXPECT_EQ(Wrap(1000.0f, u"a\n\nb"), (U{u"a", u"", u"b"}));
    EXPECT_EQ(Wrap(1000.0f, u""), (U{u""}));
    EXPECT_EQ(Wrap(25.0f, u"aa bb cc\ndd"), (U{u"aa", u"bb", u"cc", u"dd"}));
    // Nothing fits anywhere: still one word per line, and it ends.
    EXPECT_EQ(Wrap(-1.0f, u"a b"), (U{u"a", u"b"}));
}

TEST_F(TextLayoutTest, MeasuredWidthIncludesAnOffset)
{
    measurer->x = 3.0f;
    EXPECT_EQ(MeasureTextWidth(measurer.Get(), font, WString(u"ab")), 23.0f);
    EXPECT_EQ(MeasureTextWidth(nullptr, font, WString(u"ab")), 0.0f);
    // "ab" measures 23 with the offset: no longer narrower than 23.
    EXPECT_EQ(Fit(23.0f, u"ab cd"), 2);
}

TEST_F(TextLayoutTest, FontTextWidthAndHeight)
{
    ScopedRenderHost host(measurer);
    measurer->advance = 10.25f;
    const RCPtr<LFontText> text = LFontText::Create(WString(u"abc\nabcdef\nab"), font);
    // 61.5 + 0.99 truncated.
    EXPECT_EQ(text->GetTextWidth(), 62);
    EXPECT_EQ(text->GetHeightForWidth(1000), 3 * 16);
    text->SetWordWrap(true);
    measurer->advance = 10.0f;
    EXPECT_EQ(LFontText::Create(WString(u"aa bb cc"), font)->GetHeightForWidth(25), 16);
    EXPECT_EQ(text->GetHeightForWidth(45), 3 * 16);
    const RCPtr<LFontText> wrapped = LFontText::Create(WString(u"aa bb cc"), font);
    wrapped->SetWordWrap(true);
    EXPECT_EQ(wrapped->GetHeightForWidth(25), 3 * 16);
    // The stored layout is not touched by asking.
    EXPECT_EQ(wrapped->GetLines().GetCount(), 0u);

    // Without a font there is no line height.
    EXPECT_EQ(LFontText::Create(WString(u"x"), ConstRCPtr<LFont>())->GetHeightForWidth(100), 0);
}

TEST_F(TextLayoutTest, LineRectanglesFollowTheAlignment)
{
    ScopedRenderHost host(measurer);
    const RCPtr<LFontText> text = LFontText::Create(WString(u"abcd\nab"), font);
    text->SetLayoutSize(100, 50);
    text->SetHorizontalAlignment(0.5f);
    text->SetVerticalAlignment(1.0f);
    ASSERT_EQ(text->GetLineCount(), 2u);
    // Two lines of 16 at the bottom of 50: y0 = 18. Centred: (100 - 40) / 2 and (100 - 20) / 2.
    EXPECT_EQ(text->GetLineRectArray().ElementAt(0), (RectT<float>{30, 18, 40, 16}));
    EXPECT_EQ(text->GetLineRectArray().ElementAt(1), (RectT<float>{40, 34, 20, 16}));
    RectT<int32_t> bounds;
    text->GetLineRects(bounds);
    EXPECT_EQ(bounds, (RectT<int32_t>{30, 18, 40, 32}));

    // Laid out once: asking again does not measure again.
    const int calls = measurer->measureCalls;
    EXPECT_EQ(text->GetLineCount(), 2u);
    EXPECT_EQ(measurer->measureCalls, calls);

    // A fraction that does not come out even is truncated toward zero.
    text->SetHorizontalAlignment(1.0f / 3.0f);
    text->SetVerticalAlignment(0.5f);
    text->SetLayoutSize(101, 51);
    text->GetLineCount();
    EXPECT_EQ(text->GetLineRectArray().ElementAt(0).x, 20.0f); // 61 / 3 = 20.33
    EXPECT_EQ(text->GetLineRectArray().ElementAt(0).y, 9.0f);  // 19 / 2 = 9.5
    // Text taller than the box goes above it: -15 / 2 = -7.5, truncated toward zero.
    text->SetLayoutSize(101, 17);
    text->GetLineCount();
    EXPECT_EQ(text->GetLineRectArray().ElementAt(0).y, -7.0f);
}

TEST_F(TextLayoutTest, LayoutIsRedoneAfterChanges)
{
    ScopedRenderHost host(measurer);
    const RCPtr<LFontText> text = LFontText::Create(WString(u"aa bb cc"), font);
    text->SetLayoutSize(55, 20);
    EXPECT_EQ(text->GetLineCount(), 1u);
    EXPECT_TRUE(text->SetWordWrap(true));
    EXPECT_FALSE(text->SetWordWrap(true));
    EXPECT_EQ(text->GetLineCount(), 2u);
    EXPECT_EQ(Lines(text->GetLines()), (U{u"aa bb", u"cc"}));
    text->SetLayoutSize(25, 20);
    EXPECT_EQ(text->GetLineCount(), 3u);
    EXPECT_TRUE(text->SetText(WString(u"x")));
    EXPECT_FALSE(text->SetText(WString(u"x")));
    EXPECT_EQ(text->GetLineCount(), 1u);

    // An empty text still has one (empty) line.
    text->SetText(WString());
    EXPECT_EQ(text->GetLineCount(), 1u);
    RectT<int32_t> bounds;
    text->GetLineRects(bounds);
    EXPECT_EQ(bounds, (RectT<int32_t>{0, 0, 0, 0}));

    // Lines set from outside without rectangles get rectangles; no lines at all gives one empty line.
    text->ClearLayout();
    text->ComputeLineRects();
    EXPECT_EQ(text->GetLines().GetCount(), 1u);
    EXPECT_EQ(text->GetLineRectArray().GetCount(), 1u);
}

TEST_F(TextLayoutTest, LineRectanglesAreLimited)
{
    ScopedRenderHost host(measurer);
    measurer->advance = 1e7f;
    const RCPtr<LFontText> text = LFontText::Create(WString(u"abc"), font);
    RectT<int32_t> bounds;
    text->GetLineRects(bounds);
    EXPECT_EQ(bounds.width, 8388608);
    text->SetLayoutSize(0, 0);
    text->SetHorizontalAlignment(1.0f);
    text->GetLineRects(bounds);
    EXPECT_EQ(bounds.x, -8388608);
}

TEST(TextLayoutWithoutHost, NothingIsMeasured)
{
    const RCPtr<LFontText> text = LFontText::Create(WString(u"aa bb"), ConstRCPtr<LFont>());
    text->SetWordWrap(true);
    text->SetLayoutSize(1, 1);
    EXPECT_EQ(text->GetTextWidth(), 0);
    EXPECT_EQ(text->GetLineCount(), 1u);
}
