#include "platform/gdi/Graphics.h"

#include "FontInternal.h"
#include "GraphicsInternal.h"
#include "Handles.h"
#include "platform/posix/Utf.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace gdi {

// ---- Graphics: text

namespace {

// Text of one line with each code point's place in the UTF-16 string.
struct LineText {
    std::string utf8;
    std::vector<size_t> unitOfCodePoint; // first UTF-16 unit of each code point
    size_t begin = 0;                    // first UTF-16 unit of the line
    size_t end = 0;                      // one past its last unit (before "\n")
};

std::vector<LineText> SplitLines(std::u16string_view text)
{
    std::vector<LineText> lines(1);
    for (size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
        if (c == u'\n') {
            lines.back().end = i;
            lines.emplace_back();
            lines.back().begin = i + 1;
            continue;
        }
        if (c == u'\r')
            continue;
        size_t units = 1;
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF)
            units = 2;
        lines.back().unitOfCodePoint.push_back(i);
        platform::posix::AppendUtf8Replacing(text.substr(i, units), lines.back().utf8);
        i += units - 1;
    }
    lines.back().end = text.size();
    return lines;
}

struct TextMetrics {
    double pixels;
    double ascent;
    double lineHeight;
    double lead; // space before the first glyph
};

TextMetrics MetricsOf(const detail::FontImpl& font, float dpi)
{
    const detail::FaceEntry& face = *font.face;
    double pixels = font.PixelSize(dpi);
    return {pixels, pixels * face.ascent / face.em, pixels * face.lineSpacing / face.em, pixels / 6.0};
}

} // namespace

Status Graphics::DrawString(std::u16string_view text, const Font& font, const RectF& layout, const StringFormat*,
                            const Brush& brush)
{
    if (!font.m_impl || !Finite(layout))
        return Fail(Status::InvalidParameter);
    if (text.empty())
        return Status::Ok;
    TextMetrics metrics = MetricsOf(*font.m_impl, m_dpiY);
    const CairoScaledFont scaled = font.m_impl->face->ScaledFont(metrics.pixels);
    if (!scaled)
        return Fail(Status::GenericError);

    Status status;
    cairo_t* cr = Begin(status);
    if (cr) {
        cairo_set_scaled_font(cr, scaled.get());
        if (SetBrushSource(cr, brush)) {
            std::vector<LineText> lines = SplitLines(text);
            for (size_t i = 0; i < lines.size(); ++i) {
                if (lines[i].utf8.empty())
                    continue;
                double x = Coord(std::floor(layout.x + m_tx + metrics.lead + 0.5));
                double y = Coord(std::floor(layout.y + m_ty + double(i) * metrics.lineHeight + metrics.ascent + 0.5));
                cairo_glyph_t* glyphs = nullptr;
                int count = 0;
                const cairo_status_t made = cairo_scaled_font_text_to_glyphs(scaled.get(), x, y, lines[i].utf8.data(),
                                                                             int(lines[i].utf8.size()), &glyphs, &count,
                                                                             nullptr, nullptr, nullptr);
                const CairoGlyphs held(glyphs);
                if (made == CAIRO_STATUS_SUCCESS)
                    cairo_show_glyphs(cr, glyphs, count);
            }
        }
        status = End(m_window ? m_clip : Box{0, 0, 0, 0});
    }
    return status;
}

Status Graphics::MeasureCharacterRanges(std::u16string_view text, const Font& font, const RectF& layout,
                                        const StringFormat& format, std::vector<RectF>& out)
{
    out.clear();
    if (!font.m_impl || !Finite(layout))
        return Fail(Status::InvalidParameter);
    const auto& ranges = format.GetMeasurableCharacterRanges();
    for (const CharacterRange& range : ranges)
        if (range.first < 0 || range.length < 0 || size_t(range.first) + size_t(range.length) > text.size())
            return Fail(Status::InvalidParameter);

    TextMetrics metrics = MetricsOf(*font.m_impl, m_dpiY);
    const CairoScaledFont scaled = font.m_impl->face->ScaledFont(metrics.pixels);
    if (!scaled)
        return Fail(Status::GenericError);

    // Extent [left, right) and line of every UTF-16 unit; units without width stay empty.
    struct Extent {
        double left = 0, right = 0;
        size_t line = 0;
        bool counts = false;
    };
    std::vector<Extent> extents(text.size());
    bool trailing = (format.GetFormatFlags() & StringFormatFlagsMeasureTrailingSpaces) != 0;
    std::vector<LineText> lines = SplitLines(text);
    for (size_t l = 0; l < lines.size(); ++l) {
        const LineText& line = lines[l];
        if (line.utf8.empty())
            continue;
        cairo_glyph_t* glyphs = nullptr;
        int count = 0;
        const cairo_status_t made = cairo_scaled_font_text_to_glyphs(
            scaled.get(), 0, 0, line.utf8.data(), int(line.utf8.size()), &glyphs, &count, nullptr, nullptr, nullptr);
        const CairoGlyphs held(glyphs);
        if (made != CAIRO_STATUS_SUCCESS)
            continue;
        size_t n = std::min(size_t(count), line.unitOfCodePoint.size());
        size_t lastCounted = n;
        if (!trailing)
            while (lastCounted > 0 && text[line.unitOfCodePoint[lastCounted - 1]] == u' ')
                --lastCounted;
        for (size_t k = 0; k < n; ++k) {
            double right;
            if (k + 1 < size_t(count)) {
                right = glyphs[k + 1].x;
            } else {
                cairo_text_extents_t ext;
                cairo_scaled_font_glyph_extents(scaled.get(), &glyphs[k], 1, &ext);
                right = glyphs[k].x + ext.x_advance;
            }
            size_t unit = line.unitOfCodePoint[k];
            size_t units = (k + 1 < line.unitOfCodePoint.size() ? line.unitOfCodePoint[k + 1] : line.end) - unit;
            for (size_t u = unit; u < unit + units && u < text.size(); ++u)
                if (text[u] != u'\r' && text[u] != u'\n')
                    extents[u] = {glyphs[k].x, right, l, k < lastCounted};
        }
    }

    for (const CharacterRange& range : ranges) {
        double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
        bool any = false;
        for (int32_t u = range.first; u < range.first + range.length; ++u) {
            const Extent& e = extents[size_t(u)];
            if (!e.counts)
                continue;
            double top = double(e.line) * metrics.lineHeight, bottom = top + metrics.lineHeight;
            if (!any) {
                x0 = e.left, x1 = e.right, y0 = top, y1 = bottom;
                any = true;
            } else {
                x0 = std::min(x0, e.left), x1 = std::max(x1, e.right), y0 = std::min(y0, top),
                y1 = std::max(y1, bottom);
            }
        }
        if (!any)
            out.push_back({});
        else
            out.push_back({float(layout.x + metrics.lead + x0), float(layout.y + y0), float(x1 - x0), float(y1 - y0)});
    }
    return Status::Ok;
}

} // namespace gdi
