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

TEST(GlyphCacheText, TextTooLargeForTheGlyphRecordIsDrawnAndMeasuredAtScale)
{
    GLRig rig;
    const ConstRCPtr<LFont> small =
        LFont::GetFont(WString(u"DejaVu Sans"), LGLRenderer::kLargestGlyphSize, kFontRegular);
    const ConstRCPtr<LFont> large = LFont::GetFont(WString(u"DejaVu Sans"), 400.0f, kFontRegular);
    const float scale = 400.0f / LGLRenderer::kLargestGlyphSize;
    const RectT<float> smallBox = rig.renderer->MeasureText(WString(u"WH"), small);
    const RectT<float> largeBox = rig.renderer->MeasureText(WString(u"WH"), large);
    EXPECT_NEAR(largeBox.width, smallBox.width * scale, scale * 2);
    EXPECT_NEAR(largeBox.height, smallBox.height * scale, scale * 2);
    int32_t height = 0, ascent = 0, descent = 0;
    ASSERT_EQ(rig.renderer->GetFontMetrics(large, height, ascent, descent), S_OK);
    EXPECT_GT(height, 500); // 400 pt at 96 dpi

    // An "H" of 400 points stands about 390 pixels tall.
    auto context = rig.MakeContext(300, 540);
    rig.renderer->RenderStart(context);
    rig.renderer->FillRect({0, 0, 300, 540}, kBlack, false);
    rig.renderer->DrawText(WString(u"H"), large, {0, 0}, kWhite);
    rig.renderer->RenderFinish(context);
    int32_t top = 540, bottom = -1;
    for (int32_t y = 0; y < 540; ++y)
        for (int32_t x = 0; x < 300; x += 3)
            if (Green(PixelAt(*context, x, y)) > 0x80) {
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    EXPECT_NEAR(bottom - top, 390, 15) << top << ".." << bottom;
    EXPECT_LT(bottom, 530) << "the baseline lies the large font's ascent below the top";
}
