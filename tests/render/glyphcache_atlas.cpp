// The OpenGL glyph renderer fed with glyph records directly: atlas cells, growth and uploads,
// bounds, and the cache of at most 16 fonts.
#include "GLRendererTestUtil.h"

#include <vector>

using namespace KX;
using namespace gltest;

namespace {

using CachedFont = LGLGlyphRenderer::LCachedFont;

RCPtr<LPixelBuffer<unsigned char>> Coverage(uint32_t width, uint32_t height, unsigned char value)
{
    std::vector<unsigned char> bytes(static_cast<size_t>(width) * height, value);
    return RCPtr<LPixelBuffer<unsigned char>>(
        new LPixelBuffer<unsigned char>(width, height, width, bytes.empty() ? nullptr : bytes.data()));
}

class GlyphAtlas : public ::testing::Test {
protected:
    GlyphAtlas()
        : glContext(LOSMesaContext::Create()), surface(LOSMesaSurface::Create(4, 4)),
          binding(glContext.Get(), surface.Get())
    {
        EXPECT_TRUE(binding.IsBound());
    }

    static ConstRCPtr<LFont> Font(float size) { return LFont::GetFont(WString(u"Atlas Test"), size, kFontRegular); }

    // Walks one new glyph of width x height through the processor; returns what QueryGlyph said.
    uint16_t Feed(uint32_t character, uint32_t width, uint32_t height, float penX = 0.0f, unsigned char value = 0xAB)
    {
        SGlyph glyph;
        glyph.character = character;
        glyph.penX = penX;
        const uint16_t need = glyphs->QueryGlyph(glyph);
        if (need != 0) {
            glyph.glyphIndex = character + 1000;
            glyph.boxLeft = 0;
            glyph.boxTop = static_cast<int8_t>(-static_cast<int32_t>(height));
            glyph.boxRight = static_cast<int8_t>(std::min<uint32_t>(width, 127));
            glyph.boxBottom = 0;
            glyph.advanceX = static_cast<int16_t>((width + 1) << 6);
            glyph.bitmap = Coverage(width, height, value);
        }
        glyphs->ProcessGlyph(glyph);
        return need;
    }

    CachedFont& Current() { return *glyphs->GetCurrentFont(); }
    unsigned char AtlasAt(uint32_t x, uint32_t y) { return *Current().GetAtlas()->GetPixelAddress(x, y); }

    rendercore::ScopedRenderHost host{ConstRCPtr<LMeasurementRenderer>(rendercore::FakeMeasurer::Create().Get())};
    RCPtr<LOSMesaContext> glContext;
    RCPtr<LOSMesaSurface> surface;
    ScopedGLBinding binding;
    RCPtr<LGLGlyphRenderer> glyphs{new LGLGlyphRenderer()};
};

} // namespace

TEST_F(GlyphAtlas, AFreshFontHasAnAtlasOfItsSizeRoundedUp)
{
    glyphs->Begin(Font(12.5f), LGlyphProcessor::kModeLoad | LGlyphProcessor::kModeMeasure);
    CachedFont& font = Current();
    EXPECT_EQ(font.GetAtlas()->GetWidth(), 512u);
    EXPECT_EQ(font.GetAtlas()->GetRowLength(), 512u);
    EXPECT_EQ(font.GetAtlas()->GetHeight(), 16u);
    EXPECT_EQ(font.GetRowHeight(), 12);
    EXPECT_EQ(font.GetCursorX(), 0);
    EXPECT_EQ(font.GetDirtyRect(), (RectT<float>{0.0f, 0.0f, 512.0f, 16.0f}));
    EXPECT_EQ(font.GetName(), LGLTexture::kNoName); // nothing uploaded while measuring
    glyphs->End();
    EXPECT_FALSE(glyphs->GetCurrentFont());
}

TEST_F(GlyphAtlas, GlyphsAreCachedWithABorderOfOneTexel)
{
    glyphs->Begin(Font(12.0f), LGlyphProcessor::kModeLoad | LGlyphProcessor::kModeMeasure);
    EXPECT_EQ(Feed('A', 5, 7), 7);
    const LGLGlyphRenderer::SCachedGlyph& cached = Current().FindGlyph('A');
    EXPECT_EQ(cached.character, static_cast<uint32_t>('A'));
    EXPECT_EQ(cached.texelX, 1);
    EXPECT_EQ(cached.texelY, 1);
    EXPECT_EQ(cached.glyphIndex, 'A' + 1000u);
    EXPECT_EQ(Current().GetCursorX(), 7);
    EXPECT_EQ(AtlasAt(1, 1), 0xAB);
    EXPECT_EQ(AtlasAt(5, 7), 0xAB);
    EXPECT_EQ(AtlasAt(0, 0), 0);
    EXPECT_EQ(AtlasAt(6, 1), 0);
    EXPECT_EQ(AtlasAt(1, 8), 0);

    // Known now: answered from the cache, record filled, nothing placed again.
    SGlyph again;
    again.character = 'A';
    EXPECT_EQ(glyphs->QueryGlyph(again), 0);
    EXPECT_EQ(again.glyphIndex, 'A' + 1000u);
    EXPECT_EQ(again.boxTop, -7);
    EXPECT_EQ(again.boxRight, 5);
    EXPECT_EQ(again.advanceX, 6 << 6);
    glyphs->ProcessGlyph(again);
    EXPECT_EQ(Current().GetCursorX(), 7);
    EXPECT_EQ(Current().GetGlyphCount(), 1u);

    // The second glyph's cell starts right after the first one's.
    Feed('B', 3, 4);
    EXPECT_EQ(Current().FindGlyph('B').texelX, 8);
    glyphs->End();
}

TEST_F(GlyphAtlas, ACellReachingColumn512StartsANewRowBelowTheTallestCell)
{
    glyphs->Begin(Font(12.0f), LGlyphProcessor::kModeLoad);
    Feed('a', 100, 20); // cell 102 x 22: the row is 22 high
    for (uint32_t c = 'b'; c <= 'e'; ++c)
        Feed(c, 100, 5);
    EXPECT_EQ(Current().GetCursorX(), 510);
    Feed('f', 100, 5);
    EXPECT_EQ(Current().FindGlyph('f').texelX, 1);
    EXPECT_EQ(Current().FindGlyph('f').texelY, 23);
    EXPECT_EQ(Current().GetRowHeight(), 7);
    glyphs->End();
}

TEST_F(GlyphAtlas, TheAtlasGrowsToPowersOfTwo)
{
    glyphs->Begin(Font(9.0f), LGlyphProcessor::kModeLoad);
    ASSERT_EQ(Current().GetAtlas()->GetHeight(), 16u);
    // A cell of exactly 16 rows fits, yet the whole atlas is marked for upload.
    Current().Flush();
    EXPECT_EQ(Current().GetDirtyRect(), RectT<float>{});
    Feed('x', 4, 14);
    EXPECT_EQ(Current().GetAtlas()->GetHeight(), 16u);
    EXPECT_EQ(Current().GetDirtyRect(), (RectT<float>{0.0f, 0.0f, 512.0f, 16.0f}));
    glyphs->End();

    glyphs->Begin(Font(9.5f), LGlyphProcessor::kModeLoad);
    ASSERT_EQ(Current().GetAtlas()->GetHeight(), 16u);
    Feed('y', 4, 15); // 17 rows
    EXPECT_EQ(Current().GetAtlas()->GetHeight(), 32u);
    EXPECT_EQ(AtlasAt(1, 15), 0xAB);
    EXPECT_EQ(AtlasAt(1, 16), 0);
    glyphs->End();
}

TEST_F(GlyphAtlas, UploadsHappenWhenRenderingAndOnlyAfterChanges)
{
    const ConstRCPtr<LFont> font = Font(12.0f);
    glyphs->Begin(font, LGlyphProcessor::kModeLoad | LGlyphProcessor::kModeMeasure);
    Feed('A', 5, 7);
    EXPECT_EQ(Current().GetUploadCount(), 0u);
    glyphs->End();

    glyphs->Begin(font, 15);
    EXPECT_EQ(Current().GetUploadCount(), 1u);
    EXPECT_TRUE(Current().IsValid());
    EXPECT_EQ(Current().GetTextureWidth(), 512.0f);
    EXPECT_EQ(Current().GetTextureHeight(), 16.0f);
    Feed('A', 5, 7); // cached: no upload
    EXPECT_EQ(Current().GetUploadCount(), 1u);
    Feed('B', 5, 7); // new while rendering: uploaded at once
    EXPECT_EQ(Current().GetUploadCount(), 2u);
    glyphs->End();

    glyphs->Begin(font, 15);
    EXPECT_EQ(Current().GetUploadCount(), 2u);
    glyphs->End();
}

TEST_F(GlyphAtlas, MeasuringUnitesPenBoxesWithTheOrigin)
{
    glyphs->Begin(Font(12.0f), LGlyphProcessor::kModeLoad | LGlyphProcessor::kModeMeasure);
    Feed('A', 6, 10, 3.0f);
    BoundsF bounds = glyphs->GetBounds();
    EXPECT_EQ(bounds.left, 0.0f);
    EXPECT_EQ(bounds.top, -10.0f);
    EXPECT_EQ(bounds.right, 10.0f); // pen 3 + advance 7
    EXPECT_EQ(bounds.bottom, 0.0f);
    Feed('A', 6, 10, 12.0f);
    bounds = glyphs->GetBounds();
    EXPECT_EQ(bounds.right, 19.0f);
    glyphs->End();
    // A new walk starts from nothing.
    glyphs->Begin(Font(12.0f), LGlyphProcessor::kModeLoad | LGlyphProcessor::kModeMeasure);
    EXPECT_EQ(glyphs->GetBounds().right, 0.0f);
    glyphs->End();
}

TEST_F(GlyphAtlas, AGlyphWiderThanTheAtlasIsCutAtItsEdge)
{
    glyphs->Begin(Font(12.0f), LGlyphProcessor::kModeLoad);
    Feed('W', 600, 3, 0.0f, 0xFF);
    const uint32_t y = Current().FindGlyph('W').texelY;
    ASSERT_EQ(Current().FindGlyph('W').texelX, 1);
    EXPECT_EQ(AtlasAt(1, y), 0xFF);
    EXPECT_EQ(AtlasAt(511, y + 2), 0xFF);
    // Nothing spilled into the rows below.
    EXPECT_EQ(AtlasAt(0, y + 1), 0);
    EXPECT_EQ(AtlasAt(0, y + 3), 0);
    EXPECT_EQ(AtlasAt(50, y + 3), 0);
    // The next glyph goes onto a new row.
    Feed('i', 2, 2);
    EXPECT_EQ(Current().FindGlyph('i').texelX, 1);
    EXPECT_GT(Current().FindGlyph('i').texelY, y + 3);
    glyphs->End();
}

TEST_F(GlyphAtlas, WithoutAFontNothingIsAskedOrCached)
{
    glyphs->Begin(ConstRCPtr<LFont>(), 15);
    SGlyph glyph;
    glyph.character = 'A';
    EXPECT_EQ(glyphs->QueryGlyph(glyph), 0);
    glyphs->ProcessGlyph(glyph);
    glyphs->End();
    EXPECT_EQ(glyphs->GetFontCache().CountObjects(), 0u);
}

TEST_F(GlyphAtlas, TheSeventeenthFontEvictsTheOneUsedLongestAgo)
{
    std::vector<ConstRCPtr<LFont>> fonts;
    for (int i = 0; i < 17; ++i)
        fonts.push_back(Font(10.0f + static_cast<float>(i)));
    for (int i = 0; i < 16; ++i) {
        glyphs->Begin(fonts[static_cast<size_t>(i)], LGlyphProcessor::kModeLoad);
        Feed('A', 4, 4);
        glyphs->End();
    }
    EXPECT_EQ(glyphs->GetFontCache().CountObjects(), 16u);
    // Font 0 is used again, so font 1 is now the one used longest ago.
    glyphs->Begin(fonts[0], LGlyphProcessor::kModeLoad);
    glyphs->End();
    glyphs->Begin(fonts[16], LGlyphProcessor::kModeLoad);
    glyphs->End();
    EXPECT_EQ(glyphs->GetFontCache().CountObjects(), 16u);
    EXPECT_EQ(glyphs->FindCachedFont(fonts[1]), nullptr);
    EXPECT_NE(glyphs->FindCachedFont(fonts[0]), nullptr);
    EXPECT_NE(glyphs->FindCachedFont(fonts[2]), nullptr);
    EXPECT_NE(glyphs->FindCachedFont(fonts[16]), nullptr);

    // Drawing the evicted font again starts its atlas from nothing.
    glyphs->Begin(fonts[1], LGlyphProcessor::kModeLoad);
    EXPECT_EQ(Current().GetGlyphCount(), 0u);
    EXPECT_EQ(Feed('A', 4, 4), 7);
    EXPECT_EQ(Current().FindGlyph('A').texelX, 1);
    glyphs->End();
    // ... and font 2, now the oldest, made room.
    EXPECT_EQ(glyphs->FindCachedFont(fonts[2]), nullptr);
}

TEST_F(GlyphAtlas, AnEvictedFontsTextureIsDeleted)
{
    std::vector<ConstRCPtr<LFont>> fonts;
    for (int i = 0; i < 17; ++i)
        fonts.push_back(Font(30.0f + static_cast<float>(i)));
    glyphs->Begin(fonts[0], 15);
    const GLuint first = Current().GetName();
    ASSERT_TRUE(glIsTexture(first));
    glyphs->End();
    for (int i = 1; i < 17; ++i) {
        glyphs->Begin(fonts[static_cast<size_t>(i)], LGlyphProcessor::kModeLoad);
        glyphs->End();
    }
    EXPECT_EQ(glyphs->FindCachedFont(fonts[0]), nullptr);
    EXPECT_FALSE(glIsTexture(first));
}
