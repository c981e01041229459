#pragma once
// A font renderer turns a string into positioned glyphs and hands them to a glyph processor.
#include "fonts/GlyphProcessor.h"
#include "kx/Geometry.h"
#include "kx/KXResult.h"
#include "kx/RefCountedObject.h"
#include "kx/StringT.h"

#include <cstdint>

namespace KX {

class LFont;

class LFontRenderer : public virtual LRefCountedObject {
public:
    explicit LFontRenderer(const RCPtr<LGlyphProcessor>& processor) : m_processor(processor) {}
    ~LFontRenderer() override = default;

    // Walks the text in load-and-measure mode through this renderer's processor: x = left,
    // y = the smaller of top and the font's ascent, width = right + 1 - left, height = the
    // larger of the font's descent and bottom, minus y.
    virtual RectT<float> MeasureText(const WString& text, const ConstRCPtr<LFont>& font);
    // height, ascent (negative) and descent in pixels.
    virtual KXRESULT GetFontMetrics(const ConstRCPtr<LFont>& font, int32_t& height, int32_t& ascent,
                                    int32_t& descent) = 0;
    // Walks the text, handing every glyph to processor; mode as LGlyphProcessor's.
    virtual void RenderText(const WString& text, const ConstRCPtr<LFont>& font, const RCPtr<LGlyphProcessor>& processor,
                            int32_t start, float widthLimit, int32_t mode) = 0;
    // The processor's bounds, all zero without a processor.
    virtual BoundsF GetBounds() const;

    const RCPtr<LGlyphProcessor>& GetGlyphProcessor() const { return m_processor; }

protected:
    RCPtr<LGlyphProcessor> m_processor;
};

} // namespace KX
