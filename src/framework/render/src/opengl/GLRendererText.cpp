#include "opengl/GLRenderer.h"

#include "kx/Font.h"
#include "opengl/GLGlyphRenderer.h"
#include "opengl/GLRendererInternal.h"

#include <algorithm>
#include <cmath>

namespace KX {

// ---------------------------------------------------------------------------------------------
// Text measuring

namespace {

// The font whose glyphs the glyph record and the atlas can hold: the font itself, or the same
// face and style at the largest such size, with the scale that brings it back to size.
ConstRCPtr<LFont> GlyphSizedFont(const ConstRCPtr<LFont>& font, float& scale)
{
    scale = 1.0f;
    if (!font || !std::isfinite(font->GetSize()) || font->GetSize() <= LGLRenderer::kLargestGlyphSize)
        return font;
    scale = font->GetSize() / LGLRenderer::kLargestGlyphSize;
    return LFont::GetFont(font->GetFaceName(), LGLRenderer::kLargestGlyphSize, font->GetStyle());
}

int32_t Scaled(int32_t value, float scale)
{
    return RoundToInt32(static_cast<double>(value) * scale);
}

} // namespace

KXRESULT LGLRenderer::GetFontMetrics(const ConstRCPtr<LFont>& font, int32_t& height, int32_t& ascent,
                                     int32_t& descent) const
{
    if (!m_fontRenderer)
        return E_FAIL;
    float scale = 1.0f;
    const ConstRCPtr<LFont> sized = GlyphSizedFont(font, scale);
    if (sized == font)
        return m_fontRenderer->GetFontMetrics(font, height, ascent, descent);
    int32_t h = 0, a = 0, d = 0;
    const KXRESULT result = m_fontRenderer->GetFontMetrics(sized, h, a, d);
    if (Succeeded(result)) {
        height = Scaled(h, scale);
        ascent = Scaled(a, scale);
        descent = Scaled(d, scale);
    }
    return result;
}

RectT<float> LGLRenderer::MeasureText(const WString& text, const ConstRCPtr<LFont>& font) const
{
    if (!m_fontRenderer)
        return RectT<float>{};
    float scale = 1.0f;
    const ConstRCPtr<LFont> sized = GlyphSizedFont(font, scale);
    RectT<float> box;
    // Measuring may evict a cached font, whose atlas texture must go while the context is bound.
    if (LGLContext::GetBoundContext() != m_context.Get() && m_probe) {
        const ScopedGLBinding binding(m_context.Get(), m_probe.Get());
        box = m_fontRenderer->MeasureText(text, sized);
    } else {
        box = m_fontRenderer->MeasureText(text, sized);
    }
    return RectT<float>{box.x * scale, box.y * scale, box.width * scale, box.height * scale};
}

// ---------------------------------------------------------------------------------------------
// Text, lines and rectangles

void LGLRenderer::DrawText(const WString& text, const ConstRCPtr<LFont>& font, const PointT<int32_t>& position,
                           const LColor& color)
{
    if (!m_fontRenderer || text.IsEmpty() || !font || !CanDraw())
        return;
    SetColor(color);
    const PointT<double> offset{static_cast<double>(position.x), static_cast<double>(position.y)};
    OffsetOrigin(offset);
    float scale = 1.0f;
    const ConstRCPtr<LFont> sized = GlyphSizedFont(font, scale);
    if (scale != 1.0f) {
        glPushMatrix();
        glScalef(scale, scale, 1.0f);
    }
    m_fontRenderer->RenderText(text, sized, m_fontRenderer->GetGlyphProcessor(), 0, 0.0f,
                               LGlyphProcessor::kModeLoad | LGlyphProcessor::kModeMeasure |
                                   LGlyphProcessor::kModeRender | LGlyphProcessor::kModeDraw);
    if (scale != 1.0f)
        glPopMatrix();
    OffsetOrigin(PointT<double>{-offset.x, -offset.y});
}

} // namespace KX
