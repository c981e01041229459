#pragma once
// The OpenGL glyph processor: per font a texture atlas of rendered glyphs, so every glyph is
// rasterised once and afterwards drawn as a textured quad; bounds of a walk for measuring; at
// most kFontCacheCapacity cached fonts. Drawing and uploads need the renderer's OpenGL context
// current.
#include "fonts/GlyphProcessor.h"
#include "kx/HashedList.h"
#include "kx/PixelBuffer.h"
#include "opengl/GLDisplayList.h"
#include "opengl/GLTexture.h"

#include <cstdint>

namespace KX {

class LFont;

class LGLGlyphRenderer : public LGlyphProcessor {
public:
    // A glyph in an atlas; character 0 means none.
    struct SCachedGlyph {
        uint32_t character = 0;
        uint32_t glyphIndex = 0;
        int8_t boxLeft = 0;
        int8_t boxTop = 0;
        int8_t boxRight = 0;
        int8_t boxBottom = 0;
        int16_t advanceX = 0;
        int16_t advanceY = 0;
        // Top-left corner of the glyph's image in the atlas.
        uint16_t texelX = 0;
        uint16_t texelY = 0;
    };

    static int32_t GlyphKey(const SCachedGlyph& glyph) noexcept { return static_cast<int32_t>(glyph.character); }
    static uint32_t GlyphBucket(const int32_t& character) noexcept { return static_cast<uint32_t>(character) & 255u; }
    using GlyphList = HashedList<SCachedGlyph, int32_t, &LGLGlyphRenderer::GlyphKey, 8, &LGLGlyphRenderer::GlyphBucket>;

    // The glyphs of one font in an 8-bit atlas, kAtlasWidth texels wide, growing downwards; the
    // texture holds the atlas as uploaded last.
    class LCachedFont : public LGLTexture {
    public:
        static constexpr int32_t kAtlasWidth = 512;

        explicit LCachedFont(const ConstRCPtr<LFont>& font);

        // Makes room for a cell of width x height: a new row when it would reach the right
        // edge; the atlas grows to a power of two of rows when the cell reaches its bottom.
        void ReserveCell(int32_t width, int32_t height);
        // Uploads the whole atlas when something changed since the last upload.
        void Flush();

        // The cached glyph of the character; character 0 when there is none.
        const SCachedGlyph& FindGlyph(uint32_t character) const;
        void AddGlyph(const SCachedGlyph& glyph) { m_glyphs.SetValue(glyph); }
        uint32_t GetGlyphCount() const { return m_glyphs.GetCount(); }

        const ConstRCPtr<LFont>& GetFont() const noexcept { return m_font; }
        int32_t GetCursorX() const noexcept { return m_cursorX; }
        int32_t GetCursorY() const noexcept { return m_cursorY; }
        int32_t GetRowHeight() const noexcept { return m_rowHeight; }
        const RCPtr<LPixelBuffer<unsigned char>>& GetAtlas() const noexcept { return m_atlas; }
        // x, y, width, height; all zero when nothing waits for an upload.
        const RectT<float>& GetDirtyRect() const noexcept { return m_dirty; }
        // Number of uploads so far.
        uint32_t GetUploadCount() const noexcept { return m_uploads; }

    protected:
        ~LCachedFont() override = default;

    private:
        friend class LGLGlyphRenderer;

        ConstRCPtr<LFont> m_font;
        int32_t m_cursorX = 0;
        int32_t m_cursorY = 0;
        int32_t m_rowHeight = 0;
        RCPtr<LPixelBuffer<unsigned char>> m_atlas;
        RectT<float> m_dirty;
        GlyphList m_glyphs;
        uint32_t m_uploads = 0;
    };

    static uint32_t FontBucket(const int32_t& uniqueID) noexcept
    {
        return (static_cast<uint32_t>(uniqueID) >> 4) & 255u;
    }
    using FontCache = LGLObjectCache<LCachedFont, int32_t, &LGLGlyphRenderer::FontBucket>;

    static constexpr int32_t kFontCacheCapacity = 16;

    LGLGlyphRenderer();

    // Picks (or makes) the font's cached font; with kModeRender its pending glyphs are uploaded.
    void Begin(const ConstRCPtr<LFont>& font, int32_t mode) override;
    void End() override;
    // 0 and the record filled from the cache for a cached glyph; 7 for a new one; 0 without a
    // current font.
    uint16_t QueryGlyph(SGlyph& glyph) override;
    // Caches a new glyph; draws it (kModeDraw) and adds it to the bounds (kModeMeasure).
    void ProcessGlyph(const SGlyph& glyph) override;
    BoundsF GetBounds() const override { return m_bounds; }

    // Puts a glyph bitmap into the current cached font's atlas and sets the current glyph's
    // texel corner.
    void PlaceGlyph(const ConstRCPtr<LPixelBuffer<unsigned char>>& bitmap);
    // Copies the bitmap into the font's atlas at (x, y) (cut at the atlas's edges) and marks the
    // cell with its one-texel border dirty.
    static void CopyGlyphPixels(LCachedFont& font, const LPixelBuffer<unsigned char>* bitmap, int32_t x, int32_t y);

    FontCache& GetFontCache() noexcept { return m_fontCache; }
    const FontCache& GetFontCache() const noexcept { return m_fontCache; }
    // The font's cached font without counting a look-up; null when it is not cached.
    LCachedFont* FindCachedFont(const ConstRCPtr<LFont>& font) const;
    const RCPtr<LCachedFont>& GetCurrentFont() const noexcept { return m_current; }

protected:
    ~LGLGlyphRenderer() override = default;

private:
    FontCache m_fontCache;
    RCPtr<LCachedFont> m_current;
    SCachedGlyph m_glyph;
    BoundsF m_bounds;
    int32_t m_mode = 0;
    float m_ascent = 0.0f;
};

} // namespace KX
