// The FreeType font renderer: metrics, the glyph walk, measuring, and the shared FreeType state.
#include "FreetypeTestUtil.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <future>
#include <limits>
#include <set>
#include <stdexcept>

using namespace fonttest;
using KX::ConstRCPtr;
using KX::LFont;
using KX::LFontFileInfo;
using KX::LFreetypeFontRenderer;
using KX::LGlyphProcessor;
using KX::RCPtr;
using KX::SGlyph;
using KX::WString;

namespace {

constexpr int32_t kMeasure = LGlyphProcessor::kModeLoad | LGlyphProcessor::kModeMeasure;
constexpr int32_t kDraw = kMeasure | LGlyphProcessor::kModeRender | LGlyphProcessor::kModeDraw;

class FreetypeRenderer : public ::testing::Test {
protected:
    void SetUp() override
    {
        UseFolder(kDejaVuFolder);
        processor = RCPtr<RecordingProcessor>(new RecordingProcessor());
        renderer = RCPtr<LFreetypeFontRenderer>(new LFreetypeFontRenderer(processor));
        ASSERT_TRUE(LFreetypeFontRenderer::IsFreetypeReady());
    }
    void TearDown() override
    {
        renderer = nullptr;
        LFontFileInfo::SetFontFolders(nullptr);
    }

    static void UseFolder(const std::filesystem::path& folder)
    {
        KX::Array<WString> list;
        list.AddItem(WString(folder.string().c_str()));
        LFontFileInfo::SetFontFolders(&list);
    }

    void Render(const WString& text, const ConstRCPtr<LFont>& font, int32_t mode = kDraw, int32_t start = 0)
    {
        processor->Reset();
        renderer->RenderText(text, font, processor, start, 0.0f, mode);
    }

    static ConstRCPtr<LFont> Sans(float size = 12.0f, int32_t style = 0)
    {
        return LFont::GetFont(u"DejaVu Sans", size, style);
    }

    RCPtr<RecordingProcessor> processor;
    RCPtr<LFreetypeFontRenderer> renderer;
};

} // namespace

TEST_F(FreetypeRenderer, MetricsOfATwelvePointFont)
{
    int32_t height = 0, ascent = 0, descent = 0;
    ASSERT_EQ(renderer->GetFontMetrics(Sans(12.0f), height, ascent, descent), KX::S_OK);
    EXPECT_LT(ascent, 0);
    EXPECT_GT(descent, 0);
    EXPECT_GE(height, 16); // 96 × 12 / 72
    EXPECT_GE(height, descent - ascent);
    // DejaVu Sans at 16 pixels: ascender 15, descender -4 (FreeType's rounded size metrics).
    EXPECT_EQ(ascent, -15);
    EXPECT_EQ(descent, 4);
}

TEST_F(FreetypeRenderer, SizesFreetypeCannotHaveFailWithoutTouchingTheOutputs)
{
    for (float size :
         {0.0f, -3.0f, std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(), 1.0e30f}) {
        int32_t height = 111, ascent = 222, descent = 333;
        EXPECT_EQ(renderer->GetFontMetrics(Sans(size), height, ascent, descent), KX::E_FAIL) << size;
        EXPECT_EQ(height, 111);
        EXPECT_EQ(ascent, 222);
        EXPECT_EQ(descent, 333);
        Render(u"abc", Sans(size));
        EXPECT_TRUE(processor->calls.empty()) << "no walk without a size";
    }
    int32_t h, a, d;
    EXPECT_EQ(renderer->GetFontMetrics(nullptr, h, a, d), KX::E_INVALIDARG);
}

TEST_F(FreetypeRenderer, DrawingWalkHandsOverEveryGlyph)
{
    Render(u"Hello", Sans(), kDraw, 7);
    ASSERT_EQ(processor->glyphs.size(), 5u);
    EXPECT_EQ(processor->calls.front(), "Begin");
    EXPECT_EQ(processor->calls.back(), "End");
    EXPECT_EQ(processor->mode, kDraw);
    EXPECT_EQ(processor->lastFont, Sans());
    float pen = -1;
    for (size_t i = 0; i < 5; ++i) {
        const SGlyph& g = processor->glyphs[i];
        EXPECT_EQ(g.character, static_cast<uint32_t>(u"Hello"[i]));
        EXPECT_NE(g.glyphIndex, 0u);
        EXPECT_GT(g.advanceX, 0);
        EXPECT_EQ(g.advanceY, 0);
        EXPECT_GT(g.penX, pen);
        pen = g.penX;
        EXPECT_EQ(g.position, i == 0 ? 7u : static_cast<uint32_t>(i)) << "start, then one past the previous glyph";
        ASSERT_TRUE(g.bitmap);
        EXPECT_EQ(static_cast<int>(g.bitmap->GetWidth()), g.boxRight - g.boxLeft);
        EXPECT_EQ(static_cast<int>(g.bitmap->GetHeight()), g.boxBottom - g.boxTop);
        EXPECT_LT(g.boxTop, 0) << "letters rise above the baseline";
    }
    // The pen moves by each glyph's advance (DejaVu Sans has no kerning between these letters).
    EXPECT_FLOAT_EQ(processor->glyphs[1].penX, processor->glyphs[0].advanceX / 64.0f);

    // A processor that asks only for loading and boxes gets no bitmaps.
    processor->need = LGlyphProcessor::kNeedLoad | LGlyphProcessor::kNeedBox;
    Render(u"Hello", Sans(), kMeasure);
    ASSERT_EQ(processor->glyphs.size(), 5u);
    EXPECT_FALSE(processor->glyphs[0].bitmap);
    EXPECT_LT(processor->glyphs[0].boxTop, 0);
    // Loading alone leaves the box empty but still advances.
    processor->need = LGlyphProcessor::kNeedLoad;
    Render(u"Hello", Sans(), kMeasure);
    ASSERT_EQ(processor->glyphs.size(), 5u);
    EXPECT_EQ(processor->glyphs[0].boxTop, 0);
    EXPECT_GT(processor->glyphs[0].advanceX, 0);
}

TEST_F(FreetypeRenderer, EmptyTextOnlyBeginsAndEnds)
{
    Render(u"", Sans());
    EXPECT_EQ(processor->calls, (std::vector<std::string>{"Begin", "End"}));
}

TEST_F(FreetypeRenderer, KerningAppliesAcrossAMissingCharacter)
{
    Render(u"AV", Sans());
    ASSERT_EQ(processor->glyphs.size(), 2u);
    const float kerned = processor->glyphs[1].penX;
    const float unkerned = processor->glyphs[0].penX + processor->glyphs[0].advanceX / 64.0f;
    EXPECT_LT(kerned, unkerned) << "A and V are kerned closer";

    // A character DejaVu Sans lacks is skipped: no glyph, no pen movement, the chain goes on.
    Render(u"A\u4E00V", Sans());
    ASSERT_EQ(processor->glyphs.size(), 2u);
    EXPECT_FLOAT_EQ(processor->glyphs[1].penX, kerned);
    EXPECT_EQ(processor->glyphs[1].position, 1u) << "the position stays after a skipped character";
    EXPECT_EQ(processor->Count("Query"), 3u);
}

TEST_F(FreetypeRenderer, FirstGlyphWithNegativeBearingStartsAtItsInk)
{
    Render(u"j", Sans(40.0f));
    ASSERT_EQ(processor->glyphs.size(), 1u);
    const SGlyph& j = processor->glyphs[0];
    ASSERT_LT(j.boxLeft, 0) << "DejaVu Sans 'j' reaches left of the pen";
    EXPECT_FLOAT_EQ(j.penX, static_cast<float>(-j.boxLeft));
}

TEST_F(FreetypeRenderer, SmallFontsRenderMonochrome)
{
    const auto Values = [&](float size) {
        Render(u"Wag", Sans(size));
        std::set<int> values;
        for (const SGlyph& g : processor->glyphs) {
            for (uint32_t y = 0; y < g.bitmap->GetHeight(); ++y)
                for (uint32_t x = 0; x < g.bitmap->GetWidth(); ++x)
                    values.insert(*g.bitmap->GetPixelAddress(x, y));
        }
        return values;
    };
    const std::set<int> mono = Values(7.5f);
    EXPECT_EQ(mono, (std::set<int>{0, 0xFF}));
    const std::set<int> gray = Values(8.0f);
    EXPECT_GT(gray.size(), 2u) << "anti-aliased coverage";
}

TEST_F(FreetypeRenderer, CachedGlyphsCostNoLoading)
{
    processor->useCache = true;
    Render(u"aa", Sans());
    ASSERT_EQ(processor->glyphs.size(), 2u);
    EXPECT_TRUE(processor->glyphs[0].bitmap);
    EXPECT_FALSE(processor->glyphs[1].bitmap) << "the second 'a' came from the processor's cache";
    EXPECT_EQ(processor->glyphs[1].advanceX, processor->glyphs[0].advanceX);

    // What the processor filled in is used as it stands.
    processor->cache[u'x'] = SGlyph{};
    processor->cache[u'x'].glyphIndex = 4711;
    processor->cache[u'x'].advanceX = 10 * 64;
    Render(u"xxa", Sans());
    ASSERT_EQ(processor->glyphs.size(), 3u);
    EXPECT_EQ(processor->glyphs[1].glyphIndex, 4711u);
    EXPECT_FLOAT_EQ(processor->glyphs[2].penX, 20.0f);

    // A cached entry without a glyph index counts as a missing glyph.
    processor->cache[u'z'] = SGlyph{};
    Render(u"z", Sans());
    EXPECT_TRUE(processor->glyphs.empty());
}

TEST_F(FreetypeRenderer, MeasuringUsesTheProcessorBoundsAndFontLines)
{
    FakeRenderHost host;
    host.measurement = ConstRCPtr<KX::LMeasurementRenderer>(new FontRendererMeasurer(renderer));
    const ConstRCPtr<LFont> font = Sans(12.0f);
    const KX::RectT<float> rect = renderer->MeasureText(u"Hag", font);
    const KX::BoundsF bounds = processor->GetBounds();
    EXPECT_EQ(processor->mode, kMeasure);
    EXPECT_FLOAT_EQ(rect.x, bounds.left);
    EXPECT_FLOAT_EQ(rect.width, bounds.right + 1 - bounds.left);
    EXPECT_LE(rect.y, static_cast<float>(font->GetAscent())) << "never below the ascent line";
    EXPECT_FLOAT_EQ(rect.y + rect.height, std::max(static_cast<float>(font->GetDescent()), bounds.bottom));
    EXPECT_GT(rect.width, 20.0f);

    // Through the font's own metrics, measured once with this renderer.
    EXPECT_EQ(font->GetAscent(), -15);
}

TEST_F(FreetypeRenderer, UnknownFamilyThrowsOrFallsBackToTheDefaultFont)
{
    const ConstRCPtr<LFont> unknown = LFont::GetFont(u"No Such Family", 12.0f, 0);
    int32_t h, a, d;
    EXPECT_THROW(renderer->GetFontMetrics(unknown, h, a, d), std::runtime_error);
    EXPECT_THROW(Render(u"x", unknown), std::runtime_error);

    FakeRenderHost host;
    host.defaultFace = u"DejaVu Serif";
    const ConstRCPtr<LFont> fallback = LFont::GetFont(u"Still No Such Family", 12.0f, 0);
    Render(u"m", fallback);
    ASSERT_EQ(processor->glyphs.size(), 1u);
    EXPECT_EQ(processor->glyphs[0].advanceX >> 6, DirectAdvance(DejaVu("DejaVuSerif.ttf"), 0, 12.0f, U'm'));
}

TEST_F(FreetypeRenderer, StylesPickTheirFilesAndIgnoreUnderline)
{
    Render(u"m", Sans(12.0f, KX::kFontBold));
    ASSERT_EQ(processor->glyphs.size(), 1u);
    const int16_t bold = processor->glyphs[0].advanceX;
    EXPECT_EQ(bold >> 6, DirectAdvance(DejaVu("DejaVuSans-Bold.ttf"), 0, 12.0f, U'm'));
    Render(u"m", Sans(12.0f, KX::kFontBold | KX::kFontStyleUnderline));
    ASSERT_EQ(processor->glyphs.size(), 1u);
    EXPECT_EQ(processor->glyphs[0].advanceX, bold);
}

TEST_F(FreetypeRenderer, CollectionFontsOpenTheirOwnFace)
{
    renderer = nullptr; // the registry goes with the last renderer
    kxtest::TempDir dir;
    WriteBytes(dir.path() / "pair.ttc",
               MakeCollection({ReadBytes(DejaVu("DejaVuSans.ttf")), ReadBytes(DejaVu("DejaVuSerif.ttf"))}));
    UseFolder(dir.path());
    renderer = RCPtr<LFreetypeFontRenderer>(new LFreetypeFontRenderer(processor));
    ASSERT_EQ(LFontFileInfo::GetRecordCount(), 2u);

    const long sans = DirectAdvance(DejaVu("DejaVuSans.ttf"), 0, 12.0f, U'm');
    const long serif = DirectAdvance(DejaVu("DejaVuSerif.ttf"), 0, 12.0f, U'm');
    ASSERT_NE(sans, serif);

    // The first family's regular face is file id 0.
    EXPECT_EQ(LFontFileInfo::GetFileID(Sans()), 0);
    Render(u"m", Sans());
    ASSERT_EQ(processor->glyphs.size(), 1u);
    EXPECT_EQ(processor->glyphs[0].advanceX >> 6, sans);

    Render(u"m", LFont::GetFont(u"DejaVu Serif", 12.0f, 0));
    ASSERT_EQ(processor->glyphs.size(), 1u);
    EXPECT_EQ(processor->glyphs[0].advanceX >> 6, serif) << "the second font of the collection, not the first";
}

TEST_F(FreetypeRenderer, AFontFileReplacedByAFifoAfterTheScanIsNotWaitedFor)
{
    renderer = nullptr;
    kxtest::TempDir dir;
    const auto file = dir.path() / "sans.ttf";
    WriteBytes(file, ReadBytes(DejaVu("DejaVuSans.ttf")));
    UseFolder(dir.path());
    renderer = RCPtr<LFreetypeFontRenderer>(new LFreetypeFontRenderer(processor));
    ASSERT_EQ(LFontFileInfo::GetRecordCount(), 1u);
    std::filesystem::remove(file);
    ASSERT_EQ(mkfifo(file.c_str(), 0600), 0);

    auto metrics = std::async(std::launch::async, [&] {
        int32_t h = 0, a = 0, d = 0;
        return renderer->GetFontMetrics(Sans(), h, a, d);
    });
    if (metrics.wait_for(std::chrono::seconds(20)) != std::future_status::ready) {
        ADD_FAILURE() << "opening the face waits for a writer of the FIFO";
        const int writer = open(file.c_str(), O_WRONLY | O_NONBLOCK);
        if (writer >= 0)
            close(writer);
    }
    EXPECT_EQ(metrics.get(), KX::E_FAIL);

    // A regular file that is no font any more fails as well.
    std::filesystem::remove(file);
    WriteBytes(file, Bytes(4000, 0xFF));
    int32_t h = 0, a = 0, d = 0;
    EXPECT_EQ(renderer->GetFontMetrics(Sans(), h, a, d), KX::E_FAIL);
}

TEST_F(FreetypeRenderer, RenderersShareFreetypeUntilTheLastGoes)
{
    RCPtr<LFreetypeFontRenderer> second(new LFreetypeFontRenderer(processor));
    const uint32_t records = LFontFileInfo::GetRecordCount();
    ASSERT_GT(records, 0u);
    renderer = nullptr;
    EXPECT_TRUE(LFreetypeFontRenderer::IsFreetypeReady());
    EXPECT_EQ(LFontFileInfo::GetRecordCount(), records);
    int32_t h, a, d;
    EXPECT_EQ(second->GetFontMetrics(Sans(), h, a, d), KX::S_OK);

    second = nullptr;
    EXPECT_FALSE(LFreetypeFontRenderer::IsFreetypeReady());
    EXPECT_EQ(LFontFileInfo::GetRecordCount(), 0u);
}

TEST_F(FreetypeRenderer, NullArgumentsDoNothing)
{
    renderer->RenderText(u"abc", nullptr, processor, 0, 0.0f, kDraw);
    renderer->RenderText(u"abc", Sans(), nullptr, 0, 0.0f, kDraw);
    EXPECT_TRUE(processor->calls.empty());
    RCPtr<LFreetypeFontRenderer> bare(new LFreetypeFontRenderer(nullptr));
    EXPECT_EQ(bare->GetBounds().right, 0.0f);
}
