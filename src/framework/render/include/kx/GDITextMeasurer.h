#pragma once
// Font metrics and text measuring with the graphics layer, as the GDI+ renderer measures: the
// application can use it as its measurement renderer, and the GDI+ renderer measures through it.
#include "kx/Renderer.h"

#include "platform/gdi/Bitmap.h"
#include "platform/gdi/Font.h"

#include <memory>

namespace KX {

class LGDITextMeasurer : public LMeasurementRenderer {
public:
    // screenDpi is the horizontal resolution of the screen; text widths are corrected for it
    // when it is not 96.
    static RCPtr<LGDITextMeasurer> Create(int32_t screenDpi = 96);

    // The graphics-layer font for a face, size, style and unit. A face that is not installed,
    // or a font that cannot be made in it, falls back to the generic sans-serif family.
    static gdi::Status MakeFont(const WString& faceName, float size, int32_t style, gdi::Unit unit, gdi::Font& out);

    // height = line spacing at 72 dpi * 96 / 72 + 0.499, ascent = -(size * cell ascent * 96 /
    // (em * 72)) - 0.499, descent = size * cell descent * 96 / (em * 72) + 0.499, each rounded
    // half away from zero, for the font made in pixels. E_INVALIDARG for a null font, E_FAIL
    // when no font could be made (outputs unchanged).
    KXRESULT GetFontMetrics(const ConstRCPtr<LFont>& font, int32_t& height, int32_t& ascent,
                            int32_t& descent) const override;
    // (0, ascent, width, height); (0, 0, 0, 0) for an empty text or a null font.
    RectT<float> MeasureText(const WString& text, const ConstRCPtr<LFont>& font) const override;

    int32_t GetScreenDpi() const noexcept { return m_screenDpi; }

protected:
    explicit LGDITextMeasurer(int32_t screenDpi);
    ~LGDITextMeasurer() override;

private:
    int32_t m_screenDpi;
    // 1 x 1, 32-bit ARGB: what text is measured on.
    std::unique_ptr<gdi::Bitmap> m_measuringBitmap;
};

} // namespace KX
