#pragma once
// A recording glyph processor and a measurement renderer over a font renderer, for the
// FreeType font renderer tests.
#include "FontFileTestUtil.h"
#include "fonts/FreetypeFontRenderer.h"
#include "kx/Font.h"
#include "kx/FontFileInfo.h"
#include "kx/Renderer.h"

#include <algorithm>
#include <map>
#include <string>
#include <vector>

namespace fonttest {

// Records every call; answers QueryGlyph with `need`, or from its own cache of processed glyphs
// when `useCache` is set. Measures bounds the way the OpenGL glyph renderer does.
class RecordingProcessor : public KX::LGlyphProcessor {
public:
    void Begin(const KX::ConstRCPtr<KX::LFont>& font, int32_t m) override
    {
        calls.push_back("Begin");
        lastFont = font;
        mode = m;
        bounds = {};
    }
    void End() override { calls.push_back("End"); }
    uint16_t QueryGlyph(KX::SGlyph& glyph) override
    {
        calls.push_back("Query");
        if (useCache) {
            auto it = cache.find(glyph.character);
            if (it != cache.end()) {
                glyph.glyphIndex = it->second.glyphIndex;
                glyph.advanceX = it->second.advanceX;
                glyph.advanceY = it->second.advanceY;
                glyph.boxLeft = it->second.boxLeft;
                glyph.boxTop = it->second.boxTop;
                glyph.boxRight = it->second.boxRight;
                glyph.boxBottom = it->second.boxBottom;
                return 0;
            }
        }
        return need;
    }
    void ProcessGlyph(const KX::SGlyph& glyph) override
    {
        calls.push_back("Process");
        glyphs.push_back(glyph);
        if (useCache && !cache.count(glyph.character))
            cache[glyph.character] = glyph;
        if (mode & kModeMeasure) {
            bounds.left = std::min(bounds.left, glyph.penX);
            bounds.top = std::min(bounds.top, glyph.penY + glyph.boxTop);
            bounds.right = std::max(bounds.right, glyph.penX + static_cast<float>(glyph.advanceX >> 6));
            bounds.bottom = std::max(bounds.bottom, glyph.penY + glyph.boxBottom);
        }
    }
    KX::BoundsF GetBounds() const override { return bounds; }

    size_t Count(const char* call) const { return static_cast<size_t>(std::count(calls.begin(), calls.end(), call)); }
    void Reset()
    {
        calls.clear();
        glyphs.clear();
    }

    uint16_t need = 7;
    bool useCache = false;
    int32_t mode = 0;
    KX::BoundsF bounds;
    KX::ConstRCPtr<KX::LFont> lastFont;
    std::vector<std::string> calls;
    std::vector<KX::SGlyph> glyphs;
    std::map<uint32_t, KX::SGlyph> cache;
};

// Font metrics and text measuring through a font renderer, as the OpenGL renderer provides them.
class FontRendererMeasurer : public KX::LMeasurementRenderer {
public:
    explicit FontRendererMeasurer(KX::RCPtr<KX::LFontRenderer> renderer) : m_renderer(std::move(renderer)) {}
    KX::KXRESULT GetFontMetrics(const KX::ConstRCPtr<KX::LFont>& font, int32_t& height, int32_t& ascent,
                                int32_t& descent) const override
    {
        return m_renderer->GetFontMetrics(font, height, ascent, descent);
    }
    KX::RectT<float> MeasureText(const KX::WString& text, const KX::ConstRCPtr<KX::LFont>& font) const override
    {
        return m_renderer->MeasureText(text, font);
    }

private:
    KX::RCPtr<KX::LFontRenderer> m_renderer;
};

// The advance of one character in whole pixels, from FreeType directly.
inline long DirectAdvance(const std::filesystem::path& file, long faceIndex, float points, char32_t c)
{
    FT_Library library = nullptr;
    FT_Init_FreeType(&library);
    FT_Face face = nullptr;
    long advance = -1;
    if (FT_New_Face(library, file.c_str(), faceIndex, &face) == 0) {
        FT_Set_Char_Size(face, 0, static_cast<FT_F26Dot6>(points * 64), 96, 96);
        if (FT_Load_Glyph(face, FT_Get_Char_Index(face, c), FT_LOAD_DEFAULT) == 0)
            advance = face->glyph->advance.x >> 6;
        FT_Done_Face(face);
    }
    FT_Done_FreeType(library);
    return advance;
}

} // namespace fonttest
