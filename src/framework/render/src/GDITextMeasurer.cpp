#include "kx/GDITextMeasurer.h"

#include "kx/Font.h"

#include "platform/gdi/Graphics.h"

#include <cmath>
#include <string_view>
#include <vector>

namespace KX {

namespace {

std::u16string_view View(const WString& text)
{
    return std::u16string_view(text.GetString(), text.GetLength());
}

// The generic sans-serif family, fetched once per process and kept.
const gdi::FontFamily* SansSerif()
{
    static const gdi::FontFamily* const family = [] {
        gdi::FontFamily found;
        if (gdi::FontFamily::GenericSansSerif(found) != gdi::Status::Ok || !found.IsAvailable())
            return static_cast<const gdi::FontFamily*>(nullptr);
        return static_cast<const gdi::FontFamily*>(new gdi::FontFamily(found));
    }();
    return family;
}

} // namespace

RCPtr<LGDITextMeasurer> LGDITextMeasurer::Create(int32_t screenDpi)
{
    return RCPtr<LGDITextMeasurer>(new LGDITextMeasurer(screenDpi));
}

LGDITextMeasurer::LGDITextMeasurer(int32_t screenDpi) : m_screenDpi(screenDpi > 0 ? screenDpi : 96)
{
    gdi::Bitmap::Create(1, 1, gdi::PixelFormat::Argb32, m_measuringBitmap);
}

LGDITextMeasurer::~LGDITextMeasurer() = default;

gdi::Status LGDITextMeasurer::MakeFont(const WString& faceName, float size, int32_t style, gdi::Unit unit,
                                       gdi::Font& out)
{
    out = gdi::Font();
    gdi::FontFamily family;
    if (gdi::FontFamily::FromName(View(faceName), family) != gdi::Status::Ok || !family.IsAvailable()) {
        const gdi::FontFamily* fallback = SansSerif();
        if (!fallback)
            return gdi::Status::FontFamilyNotFound;
        family = *fallback;
    }
    gdi::Status status = gdi::Font::Create(family, size, style, unit, out);
    if (status != gdi::Status::Ok) {
        const gdi::FontFamily* fallback = SansSerif();
        if (!fallback)
            return status;
        status = gdi::Font::Create(*fallback, size, style, unit, out);
    }
    return status;
}

KXRESULT LGDITextMeasurer::GetFontMetrics(const ConstRCPtr<LFont>& font, int32_t& height, int32_t& ascent,
                                          int32_t& descent) const
{
    if (!font)
        return E_INVALIDARG;
    gdi::Font gdiFont;
    if (MakeFont(font->GetFaceName(), font->GetSize(), font->GetStyle(), gdi::Unit::Pixel, gdiFont) !=
            gdi::Status::Ok ||
        !gdiFont.IsAvailable())
        return E_FAIL;
    const gdi::FontFamily family = gdiFont.GetFamily();
    const int32_t style = gdiFont.GetStyle();
    const double em = family.GetEmHeight(style);
    if (!(em > 0.0))
        return E_FAIL;
    const double cellAscent = family.GetCellAscent(style);
    const double cellDescent = family.GetCellDescent(style);
    const double size = gdiFont.GetSize();

    height = RoundToInt32(static_cast<double>(gdiFont.GetHeight(72.0f)) * 96.0 / 72.0 + 0.499);
    ascent = RoundToInt32(size * cellAscent * -96.0 / (em * 72.0) - 0.499);
    descent = RoundToInt32(size * cellDescent * 96.0 / (em * 72.0) + 0.499);
    return S_OK;
}

RectT<float> LGDITextMeasurer::MeasureText(const WString& text, const ConstRCPtr<LFont>& font) const
{
    if (text.IsEmpty() || !font || !m_measuringBitmap)
        return RectT<float>{};
    gdi::Font gdiFont;
    if (MakeFont(font->GetFaceName(), font->GetSize(), font->GetStyle(), gdi::Unit::Point, gdiFont) != gdi::Status::Ok)
        return RectT<float>{};
    int32_t height = 0, ascent = 0, descent = 0;
    GetFontMetrics(font, height, ascent, descent);

    std::unique_ptr<gdi::Graphics> graphics;
    if (gdi::Graphics::FromImage(*m_measuringBitmap, graphics) != gdi::Status::Ok)
        return RectT<float>{0.0f, static_cast<float>(ascent), 0.0f, static_cast<float>(height)};
    gdi::StringFormat format(0);
    format.SetTrimming(gdi::StringTrimming::None);
    format.SetFormatFlags(gdi::StringFormatFlagsMeasureTrailingSpaces);
    const gdi::CharacterRange range{0, static_cast<int32_t>(text.GetLength())};
    format.SetMeasurableCharacterRanges(std::span<const gdi::CharacterRange>(&range, 1));
    std::vector<gdi::RectF> regions;
    graphics->MeasureCharacterRanges(View(text), gdiFont, gdi::RectF{0, 0, 9999, 9999}, format, regions);
    const gdi::RectF bounds = regions.empty() ? gdi::RectF{} : regions.front();

    const double right = static_cast<double>(bounds.x) + bounds.width;
    float width;
    if (m_screenDpi == 96)
        width = static_cast<float>(right);
    else
        width = static_cast<float>(RoundHalfAwayFromZero((9600.0 / m_screenDpi) * right / 100.0 + 3.0));
    return RectT<float>{0.0f, static_cast<float>(ascent), width, static_cast<float>(height)};
}

} // namespace KX
