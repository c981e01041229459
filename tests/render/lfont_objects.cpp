// Shared fonts: lookup, the process-wide list, unique ids and measured-once metrics.
#include "RenderCoreFakes.h"

#include "kx/Font.h"
#include "kx/GDITextMeasurer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace KX;
using rendercore::FakeMeasurer;
using rendercore::ScopedRenderHost;

namespace {

bool InList(const LFont* font)
{
    const LFont::FontList& list = LFont::GetFontList();
    for (uint32_t i = 0; i < list.GetCount(); ++i)
        if (list.ElementAt(i).Get() == font)
            return true;
    return false;
}

} // namespace

TEST(LFontLookup, SameTripleGivesTheSameFont)
{
    const ConstRCPtr<LFont> a = LFont::GetFont(WString(u"Arial"), 10.0f, kFontRegular);
    const ConstRCPtr<LFont> b = LFont::GetFont(WString(u"Arial"), 10.0f, kFontRegular);
    const ConstRCPtr<LFont> c = LFont::GetFont(WString(u"aRIAL"), 10.0f, kFontRegular);
    ASSERT_TRUE(a);
    EXPECT_EQ(a.Get(), b.Get());
    EXPECT_EQ(a.Get(), c.Get());
    // The font keeps the face name as first asked for.
    EXPECT_TRUE(c->GetFaceName() == WString(u"Arial"));

    const ConstRCPtr<LFont> larger = LFont::GetFont(WString(u"Arial"), 10.5f, kFontRegular);
    const ConstRCPtr<LFont> bold = LFont::GetFont(WString(u"Arial"), 10.0f, kFontBold);
    const ConstRCPtr<LFont> other = LFont::GetFont(WString(u"Arial Black"), 10.0f, kFontRegular);
    EXPECT_NE(larger.Get(), a.Get());
    EXPECT_NE(bold.Get(), a.Get());
    EXPECT_NE(other.Get(), a.Get());
    EXPECT_EQ(bold->GetStyle(), kFontBold);
    EXPECT_EQ(larger->GetSize(), 10.5f);

    EXPECT_GE(LFont::FindFont(WString(u"ARIAL"), 10.5f, kFontRegular), 0);
    EXPECT_EQ(LFont::FindFont(WString(u"Arial"), 11.0f, kFontRegular), -1);
}

TEST(LFontLookup, UniqueIdsAreConsecutive)
{
    const ConstRCPtr<LFont> first = LFont::GetFont(WString(u"IdFace"), 8.0f, kFontRegular);
    const ConstRCPtr<LFont> second = LFont::GetFont(WString(u"IdFace"), 9.0f, kFontRegular);
    EXPECT_EQ(LFont::GetUniqueID(second), LFont::GetUniqueID(first) + 1);
    EXPECT_EQ(LFont::GetUniqueID(ConstRCPtr<LFont>()), 0);
    // Finding a font does not use up an id.
    const ConstRCPtr<LFont> again = LFont::GetFont(WString(u"IdFace"), 8.0f, kFontRegular);
    const ConstRCPtr<LFont> third = LFont::GetFont(WString(u"IdFace"), 10.0f, kFontRegular);
    EXPECT_EQ(third->GetUniqueID(), second->GetUniqueID() + 1);
}

TEST(LFontLifetime, LastHolderTakesTheFontOutOfTheList)
{
    const uint32_t before = LFont::GetFontList().GetCount();
    ConstRCPtr<LFont> font = LFont::GetFont(WString(u"Transient"), 12.0f, kFontItalic);
    const LFont* raw = font.Get();
    const int32_t id = font->GetUniqueID();
    EXPECT_TRUE(InList(raw));
    EXPECT_EQ(LFont::GetFontList().GetCount(), before + 1);

    {
        // More holders do not change that the list's reference is the only internal one.
        ConstRCPtr<LFont> second = LFont::GetFont(WString(u"Transient"), 12.0f, kFontItalic);
        EXPECT_EQ(second.Get(), raw);
    }
    EXPECT_TRUE(InList(raw));

    font = nullptr;
    EXPECT_EQ(LFont::GetFontList().GetCount(), before);
    EXPECT_EQ(LFont::FindFont(WString(u"Transient"), 12.0f, kFontItalic), -1);

    const ConstRCPtr<LFont> fresh = LFont::GetFont(WString(u"Transient"), 12.0f, kFontItalic);
    EXPECT_GT(fresh->GetUniqueID(), id);
}

TEST(LFontLifetime, FontWithUnmatchableSizeIsStillRemoved)
{
    // A not-a-number size never compares equal, so lookups cannot find the font again; its
    // release must still take it out of the list instead of leaving it there for ever.
    const uint32_t before = LFont::GetFontList().GetCount();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    {
        const ConstRCPtr<LFont> a = LFont::GetFont(WString(u"NanFace"), nan, kFontRegular);
        const ConstRCPtr<LFont> b = LFont::GetFont(WString(u"NanFace"), nan, kFontRegular);
        EXPECT_NE(a.Get(), b.Get());
        EXPECT_EQ(LFont::GetFontList().GetCount(), before + 2);
    }
    EXPECT_EQ(LFont::GetFontList().GetCount(), before);
}

TEST(LFontMetrics, MeasuredOnceThroughTheHost)
{
    const RCPtr<FakeMeasurer> measurer = FakeMeasurer::Create();
    measurer->lineHeight = 21;
    const ConstRCPtr<LFont> font = LFont::GetFont(WString(u"MetricsFace"), 14.0f, kFontRegular);
    {
        // Without a measurement renderer nothing is measured, and nothing is remembered.
        EXPECT_EQ(font->GetHeight(), -1);
        EXPECT_FALSE(font->IsMeasured());
    }
    ScopedRenderHost host(measurer);
    EXPECT_EQ(font->GetAscent(), -17);
    EXPECT_EQ(measurer->metricsCalls, 1);
    EXPECT_EQ(font->GetHeight(), 21);
    EXPECT_EQ(font->GetDescent(), 4);
    EXPECT_EQ(measurer->metricsCalls, 1);

    // Later changes of the measurer do not change measured fonts.
    measurer->lineHeight = 40;
    EXPECT_EQ(font->GetHeight(), 21);
    EXPECT_EQ(measurer->metricsCalls, 1);
}

TEST(LFontMetrics, GraphicsLayerMeasurer)
{
    const RCPtr<LGDITextMeasurer> measurer = LGDITextMeasurer::Create();
    // "Arial" is not installed here: the sans-serif fallback measures it.
    const ConstRCPtr<LFont> font = LFont::GetFont(WString(u"Arial"), 12.0f, kFontRegular);
    int32_t height = 0, ascent = 0, descent = 0;
    ASSERT_EQ(measurer->GetFontMetrics(font, height, ascent, descent), S_OK);
    EXPECT_GT(height, 12);
    EXPECT_LT(ascent, -6);
    EXPECT_GT(descent, 0);
    EXPECT_GE(height, descent - ascent - 1);

    const ConstRCPtr<LFont> bigger = LFont::GetFont(WString(u"Arial"), 24.0f, kFontRegular);
    int32_t height2 = 0, ascent2 = 0, descent2 = 0;
    ASSERT_EQ(measurer->GetFontMetrics(bigger, height2, ascent2, descent2), S_OK);
    EXPECT_NEAR(height2, 2 * height, 2);
    EXPECT_NEAR(ascent2, 2 * ascent, 2);

    int32_t untouched = 77;
    EXPECT_EQ(measurer->GetFontMetrics(ConstRCPtr<LFont>(), untouched, untouched, untouched), E_INVALIDARG);
    EXPECT_EQ(untouched, 77);

    const RectT<float> empty = measurer->MeasureText(WString(), font);
    EXPECT_EQ(empty, (RectT<float>{}));
    const RectT<float> one = measurer->MeasureText(WString(u"Hello"), font);
    const RectT<float> two = measurer->MeasureText(WString(u"Hello Hello"), font);
    EXPECT_EQ(one.x, 0.0f);
    EXPECT_EQ(one.y, static_cast<float>(ascent));
    EXPECT_EQ(one.height, static_cast<float>(height));
    EXPECT_GT(one.width, 10.0f);
    EXPECT_GT(two.width, 2 * one.width);
    // Trailing blanks count.
    EXPECT_GT(measurer->MeasureText(WString(u"Hello  "), font).width, one.width);

    // A screen of another resolution corrects widths to whole pixels.
    const RCPtr<LGDITextMeasurer> hiDpi = LGDITextMeasurer::Create(192);
    const RectT<float> half = hiDpi->MeasureText(WString(u"Hello"), font);
    EXPECT_EQ(half.width, std::round(half.width));
    EXPECT_LT(half.width, one.width);
}

TEST(LFontMetrics, FontsMeasureThroughTheGraphicsLayer)
{
    ScopedRenderHost host(LGDITextMeasurer::Create());
    const ConstRCPtr<LFont> font = LFont::GetFont(WString(u"DejaVu Sans"), 10.0f, kFontBold);
    EXPECT_GT(font->GetHeight(), 10);
    EXPECT_LT(font->GetAscent(), 0);
    EXPECT_GT(font->GetDescent(), 0);
}
