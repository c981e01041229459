#pragma once
// What a font renderer hands along for every glyph of a string, and the interface of the
// glyph processors that cache, measure or draw those glyphs.
#include "kx/PixelBuffer.h"
#include "kx/RefCountedObject.h"

#include <cstdint>

namespace KX {

class LFont;

// One glyph of a walk along a string; one record is reused for the whole string.
struct SGlyph {
    // The caller's start value at the first glyph, afterwards one past the last character
    // that had a glyph index.
    uint32_t position = 0;
    // One UTF-16 code unit (surrogates are not paired).
    uint32_t character = 0;
    // Pen position in pixels from the start of the string; y grows upwards.
    float penX = 0;
    float penY = 0;
    // Control box in whole pixels relative to the pen, y downwards.
    int8_t boxLeft = 0;
    int8_t boxTop = 0;
    int8_t boxRight = 0;
    int8_t boxBottom = 0;
    // Advance in 1/64 pixel.
    int16_t advanceX = 0;
    int16_t advanceY = 0;
    // 0 for a character the font lacks.
    uint32_t glyphIndex = 0;
    // 8-bit coverage, one byte per pixel; null unless rendering was asked for.
    ConstRCPtr<LPixelBuffer<unsigned char>> bitmap;
};

// Left, top, right, bottom.
struct BoundsF {
    float left = 0;
    float top = 0;
    float right = 0;
    float bottom = 0;
};

class LGlyphProcessor : public virtual LRefCountedObject {
public:
    // Modes of a walk (Begin).
    static constexpr int32_t kModeLoad = 1;
    static constexpr int32_t kModeMeasure = 2;
    static constexpr int32_t kModeRender = 4;
    static constexpr int32_t kModeDraw = 8;
    // What QueryGlyph says it still needs.
    static constexpr uint16_t kNeedLoad = 1;
    static constexpr uint16_t kNeedBox = 2;
    static constexpr uint16_t kNeedBitmap = 4;

    virtual void Begin(const ConstRCPtr<LFont>& font, int32_t mode) = 0;
    virtual void End() = 0;
    // 0 when the processor filled index, box and advance of the record itself.
    virtual uint16_t QueryGlyph(SGlyph& glyph) = 0;
    virtual void ProcessGlyph(const SGlyph& glyph) = 0;
    virtual BoundsF GetBounds() const = 0;
};

} // namespace KX
