#include "fonts/FontRenderer.h"

#include "kx/Font.h"

#include <algorithm>

namespace KX {

RectT<float> LFontRenderer::MeasureText(const WString& text, const ConstRCPtr<LFont>& font)
{
    RectT<float> rect;
    if (!font)
        return rect;
    RenderText(text, font, m_processor, 0, 0.0f, LGlyphProcessor::kModeLoad | LGlyphProcessor::kModeMeasure);
    const BoundsF bounds = GetBounds();
    const float ascent = static_cast<float>(font->GetAscent());
    const float descent = static_cast<float>(font->GetDescent());
    rect.y = std::min(bounds.top, ascent);
    rect.x = bounds.left;
    rect.width = bounds.right + 1.0f - bounds.left;
    rect.height = std::max(descent, bounds.bottom) - rect.y;
    return rect;
}

BoundsF LFontRenderer::GetBounds() const
{
    return m_processor ? m_processor->GetBounds() : BoundsF{};
}

} // namespace KX
