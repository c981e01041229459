// The glyph cache behind the OpenGL renderer's text: FreeType rasterises each glyph of a font
// once; later drawings and measurings come from the atlas.
#include "GLRendererTestUtil.h"

using namespace KX;
using namespace gltest;

namespace {

// Counts the glyphs the cache asks the font renderer to rasterise.
class CountingGlyphRenderer : public LGLGlyphRenderer {
public:
    uint16_t QueryGlyph(SGlyph& glyph) override
    {
        const uint16_t need = LGLGlyphRenderer::QueryGlyph(glyph);
        if (need & kNeedBitmap)
            ++requests;
        return need;
    }
    int requests = 0;
};

struct CountingRig {
    RCPtr<CountingGlyphRenderer> glyphs{new CountingGlyphRenderer()};
    RCPtr<LFreetypeFontRenderer> fonts{new LFreetypeFontRenderer(RCPtr<LGlyphProcessor>(glyphs.Get()))};
    RCPtr<LGLRenderer> renderer{new LGLRenderer(RCPtr<LFontRenderer>(fonts.Get()), nullptr)};
    rendercore::ScopedRenderHost host{ConstRCPtr<LMeasurementRenderer>(renderer.Get())};
};

} // namespace

TEST(GlyphCacheText, EachDistinctCharacterIsRasterisedOncePerFont)
{
    CountingRig rig;
    const ConstRCPtr<LFont> font = LFont::GetFont(WString(u"DejaVu Sans"), 10.0f, kFontRegular);
    RCPtr<LRenderContextInfo> context;
    ASSERT_EQ(rig.renderer->InitRenderContextInfo({0, 0, 80, 20}, nullptr, true, context), S_OK);

    rig.renderer->RenderStart(context);
    rig.renderer->DrawText(WString(u"hello"), font, {0, 0}, kWhite);
    EXPECT_EQ(rig.glyphs->requests, 4); // h, e, l, o
    LGLGlyphRenderer::LCachedFont* cached = rig.glyphs->FindCachedFont(font);
    ASSERT_NE(cached, nullptr);
    const int32_t cursor = cached->GetCursorX();
    const uint32_t uploads = cached->GetUploadCount();
    EXPECT_EQ(cached->GetGlyphCount(), 4u);

    rig.renderer->DrawText(WString(u"hello"), font, {0, 10}, kWhite);
    rig.renderer->RenderFinish(context);
    rig.renderer->MeasureText(WString(u"olleh"), font);
    EXPECT_EQ(rig.glyphs->requests, 4);
    EXPECT_EQ(cached->GetCursorX(), cursor);
    EXPECT_EQ(cached->GetUploadCount(), uploads);

    // Another font has an atlas of its own.
    const ConstRCPtr<LFont> bold = LFont::GetFont(WString(u"DejaVu Sans"), 10.0f, kFontBold);
    rig.renderer->MeasureText(WString(u"he"), bold);
    EXPECT_EQ(rig.glyphs->requests, 6);
    EXPECT_EQ(rig.glyphs->GetFontCache().CountObjects(), 2u);
}

TEST(GlyphCacheText, MeasuringPlacesGlyphsAndTheNextDrawingUploadsThem)
{
    CountingRig rig;
    const ConstRCPtr<LFont> font = LFont::GetFont(WString(u"DejaVu Sans"), 11.0f, kFontRegular);
    const RectT<float> box = rig.renderer->MeasureText(WString(u"Mg"), font);
    EXPECT_GT(box.width, 10.0f);
    EXPECT_LE(box.y, static_cast<float>(font->GetAscent()));
    LGLGlyphRenderer::LCachedFont* cached = rig.glyphs->FindCachedFont(font);
    ASSERT_NE(cached, nullptr);
    EXPECT_EQ(cached->GetGlyphCount(), 2u);
    EXPECT_EQ(cached->GetUploadCount(), 0u);

    RCPtr<LRenderContextInfo> context;
    ASSERT_EQ(rig.renderer->InitRenderContextInfo({0, 0, 40, 20}, nullptr, true, context), S_OK);
    rig.renderer->RenderStart(context);
    rig.renderer->DrawText(WString(u"gM"), font, {2, 2}, kWhite);
    rig.renderer->RenderFinish(context);
    EXPECT_EQ(cached->GetUploadCount(), 1u);
    EXPECT_EQ(rig.glyphs->requests, 2);
    // The drawing shows the glyphs placed while measuring.
    const auto& surface = SurfaceOf(*RCPtr<LGLRenderContextInfo>::DynamicCast(context));
    int lit = 0;
    for (int32_t y = 0; y < 20; ++y)
        for (int32_t x = 0; x < 40; ++x)
            lit += Green(surface.GetPixel(x, y)) > 0x80;
    EXPECT_GT(lit, 20);
}

