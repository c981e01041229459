#include "kx/TextLayout.h"

#include "kx/RenderHost.h"
#include "kx/Renderer.h"
#include "kx/Utf8.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace KX {

namespace {

// Index of the first c in text[0, limit), or -1.
ptrdiff_t FindFirst(const char16_t* text, size_t limit, char16_t c)
{
    for (size_t i = 0; i < limit; ++i) {
        if (text[i] == c)
            return static_cast<ptrdiff_t>(i);
    }
    return -1;
}

bool IsLineBlank(char16_t c)
{
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
}

float StartWidth(const LMeasurementRenderer* measurer, const ConstRCPtr<LFont>& font, const char16_t* text,
                 size_t count)
{
    WString start;
    start.Assign(text, static_cast<unsigned>(count));
    return MeasureTextWidth(measurer, font, start);
}

// The longest start of text[0, length) whose width passes fits, never ending inside a surrogate
// pair; the empty start counts as passing. Widths are taken to grow with the start, so the search
// steps forward in growing strides, then halves: the work follows the start found, not the text.
// widthOfFound is the found start's width when it was measured, else -1.
template <class Fits>
size_t LongestFittingStart(const LMeasurementRenderer* measurer, const ConstRCPtr<LFont>& font, const char16_t* text,
                           size_t length, Fits fits, float& widthOfFound)
{
    constexpr size_t kFirstStride = 16;
    const auto boundary = [&](size_t k) { return k == 0 || k >= length || !IsLowSurrogate(text[k]); };
    widthOfFound = -1.0f;
    size_t low = 0;           // passes
    size_t high = length + 1; // fails, or beyond the text
    for (size_t stride = kFirstStride; low < length; stride *= 2) {
        size_t probe = std::min(low + stride, length);
        if (!boundary(probe))
            ++probe;
        const float width = StartWidth(measurer, font, text, probe);
        if (!fits(width)) {
            high = probe;
            break;
        }
        low = probe;
        widthOfFound = width;
    }
    while (high <= length && high - low > 1) {
        size_t middle = low + (high - low) / 2;
        if (!boundary(middle)) {
            if (middle + 1 < high)
                ++middle;
            else if (middle - 1 > low)
                --middle;
            else
                break;
        }
        const float width = StartWidth(measurer, font, text, middle);
        if (fits(width)) {
            low = middle;
            widthOfFound = width;
        } else {
            high = middle;
        }
    }
    return low;
}

// FitTextToWidth on text[0, length). Equal to trying the whole text, then each blank from the
// last, while the widths of starts grow with their length; only starts up to the first line's
// end are measured.
size_t FitStart(const LMeasurementRenderer* measurer, const ConstRCPtr<LFont>& font, float maxWidth,
                const char16_t* text, size_t length)
{
    if (length == 0)
        return 0;
    float widthOfFit = -1.0f;
    const size_t fit = LongestFittingStart(
        measurer, font, text, length, [&](float width) { return width <= maxWidth; }, widthOfFit);
    // The whole text must be strictly narrower; shorter candidates below may touch.
    if (fit == length && widthOfFit < maxWidth)
        return length;
    // The last blank after the first character whose start fits.
    size_t blank = 0;
    for (size_t i = std::min(fit, length - 1); i >= 1 && blank == 0; --i)
        if (text[i] == u' ')
            blank = i;
    if (blank > 0) {
        // A fitting hyphen in the word after it wins, when no hyphen comes before it.
        const ptrdiff_t hyphen = FindFirst(text, fit, u'-');
        if (hyphen > static_cast<ptrdiff_t>(blank) && static_cast<size_t>(hyphen) + 1 <= fit)
            return static_cast<size_t>(hyphen) + 1;
        return blank;
    }
    // One word, too wide: up to and with its first hyphen, else the whole word.
    for (size_t i = 0; i < length; ++i) {
        if (text[i] == u'-')
            return i + 1;
        if (text[i] == u' ' && i >= 1)
            return i;
    }
    return length;
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

size_t FitCharactersToWidth(const LMeasurementRenderer* measurer, const ConstRCPtr<LFont>& font, float maxWidth,
                            const char16_t* text, size_t length)
{
    float width = 0.0f;
    return LongestFittingStart(
        measurer, font, text, length, [&](float w) { return w < maxWidth; }, width);
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
    return static_cast<int32_t>(FitStart(measurer, font, maxWidth, text.GetString(), text.GetLength()));
}

void WrapText(const LMeasurementRenderer* measurer, const ConstRCPtr<LFont>& font, float maxWidth, const WString& text,
              WStringArray& lines)
{
    lines.RemoveAll();
    const WStringArray paragraphs = SplitString(text, u"\n");
    for (uint32_t p = 0; p < paragraphs.GetCount(); ++p) {
        const WString& paragraph = paragraphs.ElementAt(p);
        const char16_t* s = paragraph.GetString();
        const size_t length = paragraph.GetLength();
        // Walked by position: the rest of a long paragraph is never copied or measured whole.
        size_t start = 0;
        for (;;) {
            const size_t rest = length - start;
            size_t n = FitStart(measurer, font, maxWidth, s + start, rest);
            WString line;
            if (n >= rest) {
                line.Assign(s + start, static_cast<unsigned>(rest));
                lines.AddItem(line);
                break;
            }
            if (n == 0)
                n = 1; // always make progress
            line.Assign(s + start, static_cast<unsigned>(n));
            lines.AddItem(line);
            start += n;
            while (start < length && IsLineBlank(s[start]))
                ++start;
            if (start >= length)
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
