#include "kx/TextLayout.h"

#include "kx/RenderHost.h"
#include "kx/Renderer.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace KX {

namespace {

WString Prefix(const WString& text, size_t count)
{
    WString result;
    result.Assign(text.GetString(), static_cast<unsigned>(count));
    return result;
}

// Index of the first c in text[0, limit), or -1.
ptrdiff_t FindFirst(const char16_t* text, size_t limit, char16_t c)
{
    for (size_t i = 0; i < limit; ++i) {
        if (text[i] == c)
            return static_cast<ptrdiff_t>(i);
    }
    return -1;
}

// Index of the last c in text[0, limit), or -1.
ptrdiff_t FindLast(const char16_t* text, size_t limit, char16_t c)
{
    for (size_t i = limit; i-- > 0;) {
        if (text[i] == c)
            return static_cast<ptrdiff_t>(i);
    }
    return -1;
}

// Truncation toward zero into the 32-bit range; not-a-number gives 0.
int32_t TruncToInt32(double value)
{
    if (!(value == value))
        return 0;
    if (value <= -2147483648.0)
        return std::numeric_limits<int32_t>::min();
    if (value >= 2147483647.0)
        return std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(value);
}

int32_t LineHeight(const ConstRCPtr<LFont>& font)
{
    return font ? std::max(font->GetHeight(), 0) : 0;
}

} // namespace

float MeasureTextWidth(const LMeasurementRenderer* measurer, const ConstRCPtr<LFont>& font, const WString& text)
{
    if (!measurer)
        return 0.0f;
    const RectT<float> r = measurer->MeasureText(text, font);
    return r.x != 0.0f ? r.width + r.x : r.width;
}

WStringArray SplitString(const WString& text, const char16_t* delimiters)
{
    WStringArray result;
    const char16_t* s = text.GetString();
    const size_t length = text.GetLength();
    const char16_t* delims = delimiters ? delimiters : u"";
    auto isDelimiter = [delims](char16_t c) {
        for (const char16_t* d = delims; *d; ++d) {
            if (*d == c)
                return true;
        }
        return false;
    };
    if (std::none_of(s, s + length, isDelimiter)) {
        result.AddItem(text);
        return result;
    }
    size_t start = 0;
    while (start < length) {
        size_t i = start;
        while (i < length && !isDelimiter(s[i]))
            ++i;
        WString piece;
        piece.Assign(s + start, static_cast<unsigned>(i - start));
        result.AddItem(piece);
        start = i < length ? i + 1 : length;
    }
    return result;
}

int32_t FitTextToWidth(const LMeasurementRenderer* measurer, const ConstRCPtr<LFont>& font, float maxWidth,
                       const WString& text)
{
    const char16_t* s = text.GetString();
    auto width = [&](size_t count) { return MeasureTextWidth(measurer, font, Prefix(text, count)); };
    size_t n = text.GetLength();
    for (;;) {
        // The whole candidate must be strictly narrower; shorter candidates below may touch.
        if (width(n) < maxWidth)
            return static_cast<int32_t>(n);
        const ptrdiff_t blank = FindLast(s, n, u' ');
        if (blank > 0) {
            if (width(static_cast<size_t>(blank)) <= maxWidth) {
                const ptrdiff_t hyphen = FindFirst(s, n, u'-');
                if (hyphen >= blank && width(static_cast<size_t>(hyphen) + 1) <= maxWidth)
                    return static_cast<int32_t>(hyphen + 1);
                return static_cast<int32_t>(blank);
            }
            n = static_cast<size_t>(blank);
            continue;
        }
        // One word: break after its first hyphen, a hyphen at its very end not counting.
        const ptrdiff_t hyphen = n > 0 ? FindFirst(s, n - 1, u'-') : -1;
        if (hyphen < 0)
            return static_cast<int32_t>(n);
        if (width(static_cast<size_t>(hyphen) + 1) <= maxWidth)
            return static_cast<int32_t>(hyphen + 1);
        n = static_cast<size_t>(hyphen) + 1;
    }
}

void WrapText(const LMeasurementRenderer* measurer, const ConstRCPtr<LFont>& font, float maxWidth, const WString& text,
              WStringArray& lines)
{
    lines.RemoveAll();
    const WStringArray paragraphs = SplitString(text, u"\n");
    for (uint32_t p = 0; p < paragraphs.GetCount(); ++p) {
        WString rest = paragraphs.ElementAt(p);
        for (;;) {
            const uint32_t length = rest.GetLength();
            int32_t n = FitTextToWidth(measurer, font, maxWidth, rest);
            if (n < 0 || static_cast<uint32_t>(n) >= length) {
                lines.AddItem(rest);
                break;
            }
            if (n == 0)
                n = 1; // always make progress
            lines.AddItem(Prefix(rest, static_cast<size_t>(n)));
            rest = rest.Mid(n).TrimLeft();
            if (rest.IsEmpty())
                break;
        }
    }
}

// ---------------------------------------------------------------------------------------------

RCPtr<LFontText> LFontText::Create(const WString& text, const ConstRCPtr<LFont>& font)
{
    return RCPtr<LFontText>(new LFontText(text, font));
}

LFontText::LFontText(const WString& text, const ConstRCPtr<LFont>& font) : m_text(text), m_font(font) {}

LFontText::~LFontText() = default;

void LFontText::ClearLayout()
{
    m_lines.RemoveAll();
    m_lineRects.RemoveAll();
    m_lineExtents.RemoveAll();
}

bool LFontText::SetText(const WString& text)
{
    if (m_text == text)
        return false;
    m_text = text;
    ClearLayout();
    return true;
}

bool LFontText::SetFont(const ConstRCPtr<LFont>& font)
{
    if (m_font == font)
        return false;
    m_font = font;
    ClearLayout();
    return true;
}

bool LFontText::SetWordWrap(bool wrap)
{
    if (m_wordWrap == wrap)
        return false;
    m_wordWrap = wrap;
    ClearLayout();
    return true;
}

bool LFontText::SetHorizontalAlignment(float factor)
{
    if (m_hAlign == factor)
        return false;
    m_hAlign = factor;
    m_lineRects.RemoveAll();
    return true;
}

bool LFontText::SetVerticalAlignment(float factor)
{
    if (m_vAlign == factor)
        return false;
    m_vAlign = factor;
    m_lineRects.RemoveAll();
    return true;
}

bool LFontText::SetLayoutSize(int32_t width, int32_t height)
{
    if (width == m_layoutWidth && height == m_layoutHeight)
        return false;
    if (width != m_layoutWidth && m_wordWrap) {
        m_lines.RemoveAll();
        m_lineExtents.RemoveAll();
    }
    m_layoutWidth = width;
    m_layoutHeight = height;
    m_lineRects.RemoveAll();
    return true;
}

void LFontText::LayOut(int32_t width, WStringArray& lines) const
{
    if (m_wordWrap) {
        const ConstRCPtr<LMeasurementRenderer> measurer = GetMeasurementRenderer();
        WrapText(measurer.Get(), m_font, static_cast<float>(width), m_text, lines);
    } else {
        lines = SplitString(m_text, u"\n");
    }
}

int32_t LFontText::GetTextWidth() const
{
    const ConstRCPtr<LMeasurementRenderer> measurer = GetMeasurementRenderer();
    const WStringArray pieces = SplitString(m_text, u"\n");
    float widest = 0.0f;
    for (uint32_t i = 0; i < pieces.GetCount(); ++i)
        widest = std::max(widest, MeasureTextWidth(measurer.Get(), m_font, pieces.ElementAt(i)));
    return TruncToInt32(static_cast<double>(widest) + 0.99);
}

int32_t LFontText::GetHeightForWidth(int32_t width) const
{
    WStringArray lines;
    LayOut(width, lines);
    return TruncToInt32(static_cast<double>(LineHeight(m_font)) * lines.GetCount());
}

uint32_t LFontText::GetLineCount()
{
    if (m_lines.GetCount() == 0) {
        m_lineExtents.RemoveAll();
        LayOut(m_layoutWidth, m_lines);
    }
    if (m_lineRects.GetCount() == 0)
        ComputeLineRects();
    return m_lineRects.GetCount();
}

void LFontText::ComputeLineRects()
{
    m_lineRects.RemoveAll();
    if (m_lines.GetCount() == 0)
        m_lines.AddItem(WString());
    const ConstRCPtr<LMeasurementRenderer> measurer = GetMeasurementRenderer();
    const int32_t h = LineHeight(m_font);
    const uint32_t k = m_lines.GetCount();
    if (m_lineExtents.GetCount() != k || m_extentsMeasurer != measurer.Get()) {
        m_lineExtents.RemoveAll();
        for (uint32_t i = 0; i < k; ++i)
            m_lineExtents.AddItem(measurer ? measurer->MeasureText(m_lines.ElementAt(i), m_font) : RectT<float>{});
        m_extentsMeasurer = measurer.Get();
    }
    const int32_t y0 = TruncToInt32((static_cast<double>(m_layoutHeight) - static_cast<double>(k) * h) * m_vAlign);
    for (uint32_t i = 0; i < k; ++i) {
        const RectT<float> measured = m_lineExtents.ElementAt(i);
        const float width = measured.x != 0.0f ? measured.width + measured.x : measured.width;
        // A line wider than the box starts at its left edge: cut at one side only, never both.
        const bool cutBoth = width > static_cast<float>(m_layoutWidth) && m_hAlign > 0.0f && m_hAlign < 1.0f;
        const int32_t x = cutBoth ? 0 : TruncToInt32((static_cast<double>(m_layoutWidth) - width) * m_hAlign);
        m_lineRects.AddItem(RectT<float>{static_cast<float>(x), static_cast<float>(static_cast<double>(i) * h + y0),
                                         width, measured.height});
    }
}

void LFontText::GetLineRects(RectT<int32_t>& out)
{
    GetLineCount();
    RectT<float> bounds = m_lineRects.ElementAt(0);
    for (uint32_t i = 1; i < m_lineRects.GetCount(); ++i)
        UnionRectsF(bounds, m_lineRects.ElementAt(i), bounds);
    auto convert = [](float v) { return RoundToInt32(std::clamp(static_cast<double>(v), -8388608.0, 8388608.0)); };
    out = RectT<int32_t>{convert(bounds.x), convert(bounds.y), convert(bounds.width), convert(bounds.height)};
}

} // namespace KX
