#include "opengl/GLGlyphRenderer.h"

#include "kx/Font.h"

#include <algorithm>
#include <cstring>

namespace KX {

namespace {

const LGLGlyphRenderer::SCachedGlyph kNoGlyph{};

// The bounding box of a and the rectangle x, y, w, h (left, top, right, bottom); it always
// contains a's corners, so an all-zero a contributes the origin.
void Unite(BoundsF& a, float x, float y, float w, float h) noexcept
{
    a.left = std::min(a.left, x);
    a.top = std::min(a.top, y);
    a.right = std::max(a.right, x + w);
    a.bottom = std::max(a.bottom, y + h);
}

void Unite(RectT<float>& rect, float x, float y, float w, float h) noexcept
{
    BoundsF bounds{rect.x, rect.y, rect.x + rect.width, rect.y + rect.height};
    Unite(bounds, x, y, w, h);
    rect = RectT<float>{bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top};
}

// The atlas height for needed rows: a power of two not below it.
int32_t AtlasHeightFor(int32_t needed) noexcept
{
    int64_t height = NextPowerOfTwo(needed);
    while (height < needed)
        height *= 2;
    return static_cast<int32_t>(std::min<int64_t>(height, INT32_MAX));
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Cached font

LGLGlyphRenderer::LCachedFont::LCachedFont(const ConstRCPtr<LFont>& font) : m_font(font)
{
    ReserveCell(0, font ? static_cast<int32_t>(font->GetSize()) : 0);
}

const LGLGlyphRenderer::SCachedGlyph& LGLGlyphRenderer::LCachedFont::FindGlyph(uint32_t character) const
{
    return m_glyphs.Find(static_cast<int32_t>(character), kNoGlyph);
}

void LGLGlyphRenderer::LCachedFont::ReserveCell(int32_t width, int32_t height)
{
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (m_cursorX + width >= kAtlasWidth) {
        m_cursorX = 0;
        m_cursorY += m_rowHeight;
        m_rowHeight = 0;
    }
    m_rowHeight = std::max(m_rowHeight, height);
    if (!m_atlas)
        m_atlas = RCPtr<LPixelBuffer<unsigned char>>(
            new LPixelBuffer<unsigned char>(kAtlasWidth, static_cast<uint32_t>(m_rowHeight), kAtlasWidth, nullptr));
    const int64_t needed = static_cast<int64_t>(m_cursorY) + height;
    if (needed >= static_cast<int64_t>(m_atlas->GetHeight())) {
        const int32_t rows = AtlasHeightFor(static_cast<int32_t>(std::min<int64_t>(needed, INT32_MAX)));
        m_atlas->SetHeight(static_cast<uint32_t>(rows));
        m_dirty = RectT<float>{0.0f, 0.0f, static_cast<float>(kAtlasWidth), static_cast<float>(rows)};
    }
}

void LGLGlyphRenderer::LCachedFont::Flush()
{
    if (!(m_dirty.width > kFloatEpsilon && m_dirty.height > kFloatEpsilon) || !m_atlas)
        return;
    SGLImage image;
    image.Set(m_atlas->GetPixelAddress(0, 0), static_cast<int32_t>(m_atlas->GetRowLength()), 1,
              static_cast<int32_t>(m_atlas->GetWidth()), static_cast<int32_t>(m_atlas->GetHeight()), GL_ALPHA,
              GL_UNSIGNED_BYTE);
    Upload(image, GL_ALPHA, kNearest, 1.0f);
    image.Free();
    ++m_uploads;
    m_dirty = RectT<float>{};
}

// ---------------------------------------------------------------------------------------------
// Glyph renderer

LGLGlyphRenderer::LGLGlyphRenderer() : m_fontCache(kFontCacheCapacity) {}

LGLGlyphRenderer::LCachedFont* LGLGlyphRenderer::FindCachedFont(const ConstRCPtr<LFont>& font) const
{
    return font ? m_fontCache.Peek(LFont::GetUniqueID(font)) : nullptr;
}

void LGLGlyphRenderer::Begin(const ConstRCPtr<LFont>& font, int32_t mode)
{
    m_mode = mode;
    m_bounds = BoundsF{};
    m_glyph = SCachedGlyph{};
    m_current = nullptr;
    if (!font)
        return;
    RCPtr<LCachedFont>& slot = m_fontCache.GetSlot(LFont::GetUniqueID(font), false);
    if (!slot)
        slot = RCPtr<LCachedFont>(new LCachedFont(font));
    m_current = slot;
    m_ascent = static_cast<float>(font->GetAscent());
    if (mode & kModeRender)
        m_current->Flush();
}

void LGLGlyphRenderer::End()
{
    m_current = nullptr;
}

uint16_t LGLGlyphRenderer::QueryGlyph(SGlyph& glyph)
{
    if (!m_current)
        return 0;
    m_glyph = m_current->FindGlyph(glyph.character);
    if (m_glyph.character == 0)
        return kNeedLoad | kNeedBox | kNeedBitmap;
    glyph.boxLeft = m_glyph.boxLeft;
    glyph.boxTop = m_glyph.boxTop;
    glyph.boxRight = m_glyph.boxRight;
    glyph.boxBottom = m_glyph.boxBottom;
    glyph.advanceX = m_glyph.advanceX;
    glyph.advanceY = m_glyph.advanceY;
    glyph.glyphIndex = m_glyph.glyphIndex;
    return 0;
}

void LGLGlyphRenderer::ProcessGlyph(const SGlyph& glyph)
{
    // Character 0 is the cache's "no glyph": it is never cached, so it is not drawn either.
    if (!m_current || glyph.character == 0)
        return;
    if (m_glyph.character == 0) {
        m_glyph.character = glyph.character;
        m_glyph.glyphIndex = glyph.glyphIndex;
        m_glyph.boxLeft = glyph.boxLeft;
        m_glyph.boxTop = glyph.boxTop;
        m_glyph.boxRight = glyph.boxRight;
        m_glyph.boxBottom = glyph.boxBottom;
        m_glyph.advanceX = glyph.advanceX;
        m_glyph.advanceY = glyph.advanceY;
        PlaceGlyph(glyph.bitmap);
        m_current->AddGlyph(m_glyph);
    }
    if (!(m_mode & (kModeMeasure | kModeDraw)))
        return;
    const float left = m_glyph.boxLeft;
    const float top = m_glyph.boxTop;
    const float right = m_glyph.boxRight;
    const float bottom = m_glyph.boxBottom;
    if (m_mode & kModeDraw) {
        const float tx = m_glyph.texelX;
        const float ty = m_glyph.texelY;
        const BoundsF source{tx, ty, tx + (right - left), ty + (bottom - top)};
        const BoundsF destination{glyph.penX + left, top - m_ascent - glyph.penY, glyph.penX + right,
                                  bottom - m_ascent - glyph.penY};
        m_current->DrawQuad(source, destination);
    }
    if (m_mode & kModeMeasure)
        Unite(m_bounds, glyph.penX, glyph.penY + top, static_cast<float>(m_glyph.advanceX >> 6), bottom - top);
}

void LGLGlyphRenderer::PlaceGlyph(const ConstRCPtr<LPixelBuffer<unsigned char>>& bitmap)
{
    if (!m_current)
        return;
    const int32_t width = bitmap ? static_cast<int32_t>(bitmap->GetWidth()) : 0;
    const int32_t height = bitmap ? static_cast<int32_t>(bitmap->GetHeight()) : 0;
    LCachedFont& font = *m_current;
    font.ReserveCell(width + 2, height + 2);
    m_glyph.texelX = static_cast<uint16_t>(font.m_cursorX + 1);
    m_glyph.texelY = static_cast<uint16_t>(font.m_cursorY + 1);
    CopyGlyphPixels(font, bitmap.Get(), font.m_cursorX + 1, font.m_cursorY + 1);
    font.m_cursorX += width + 2;
    if (m_mode & kModeRender)
        font.Flush();
}

void LGLGlyphRenderer::CopyGlyphPixels(LCachedFont& font, const LPixelBuffer<unsigned char>* bitmap, int32_t x,
                                       int32_t y)
{
    const int32_t width = bitmap ? static_cast<int32_t>(bitmap->GetWidth()) : 0;
    const int32_t height = bitmap ? static_cast<int32_t>(bitmap->GetHeight()) : 0;
    LPixelBuffer<unsigned char>* atlas = font.m_atlas.Get();
    if (atlas && bitmap && height > 0 && x >= 0 && y >= 0) {
        // A glyph wider than a row or reaching below the atlas is cut, never written past it.
        const int32_t columns = std::min(width, static_cast<int32_t>(atlas->GetWidth()) - x);
        for (int32_t row = 0; row < height && columns > 0; ++row) {
            const unsigned char* from = bitmap->GetPixelAddress(0, static_cast<uint32_t>(row));
            unsigned char* to = atlas->GetPixelAddress(static_cast<uint32_t>(x), static_cast<uint32_t>(y + row));
            if (!from || !to || static_cast<uint32_t>(y + row) >= atlas->GetHeight())
                break;
            const size_t available =
                std::min<size_t>(static_cast<size_t>(columns), static_cast<size_t>(bitmap->GetRowLength()));
            std::memcpy(to, from, available);
        }
    }
    Unite(font.m_dirty, static_cast<float>(x - 1), static_cast<float>(y - 1), static_cast<float>(width + 2),
          static_cast<float>(height + 2));
}

} // namespace KX
