#pragma once
// Breaking text into lines: splitting at delimiters, fitting the first line into a width, word
// wrapping, and the laid-out label text of a look with its line rectangles. Widths are measured
// through a measurement renderer; a null one measures every text as empty.
#include "kx/Array.h"
#include "kx/Font.h"
#include "kx/Geometry.h"
#include "kx/RefCountedObject.h"
#include "kx/StringT.h"

#include <cstddef>
#include <cstdint>

namespace KX {

class LMeasurementRenderer;

using WStringArray = StringArrayT<char16_t, char>;

// The measured width of a text: the rectangle's width, plus its x when x is not 0.
float MeasureTextWidth(const LMeasurementRenderer* measurer, const ConstRCPtr<LFont>& font, const WString& text);

// How many characters of text[0, length) go on a line narrower than maxWidth: its longest start
// that measures narrower, never ending inside a surrogate pair (0 when not even the first
// character does). Widths of starts are taken to grow with their length, so only starts up to
// about twice the one found are measured.
size_t FitCharactersToWidth(const LMeasurementRenderer* measurer, const ConstRCPtr<LFont>& font, float maxWidth,
                            const char16_t* text, size_t length);

// The pieces between the delimiter characters. A text without delimiters gives itself; two
// delimiters in a row give an empty piece between them, a leading one an empty first piece; a
// trailing one adds nothing.
WStringArray SplitString(const WString& text, const char16_t* delimiters);

// How many characters of the text go on a first line of at most maxWidth: the whole text when
// it is narrower than maxWidth, else up to its last fitting blank (or a hyphen in the last word
// when that fits), else up to a fitting hyphen; a word without either is not broken. Widths of
// starts are taken to grow with their length: the work follows the line found, not the text, so
// wrapping a text takes time in proportion to its length.
int32_t FitTextToWidth(const LMeasurementRenderer* measurer, const ConstRCPtr<LFont>& font, float maxWidth,
                       const WString& text);

// Lines of the text wrapped at maxWidth: each "\n" starts a paragraph, each paragraph gives one
// line or more; blanks at the start of a continued line are dropped.
void WrapText(const LMeasurementRenderer* measurer, const ConstRCPtr<LFont>& font, float maxWidth, const WString& text,
              WStringArray& lines);

// A look's label: text, font, alignment and box, with its lines laid out on demand. Lines and
// line rectangles are kept until a change empties them. Measures through the application's
// measurement renderer.
class LFontText : public virtual LRefCountedObject {
public:
    static RCPtr<LFontText> Create(const WString& text, const ConstRCPtr<LFont>& font);

    const WString& GetText() const noexcept { return m_text; }
    const ConstRCPtr<LFont>& GetFont() const noexcept { return m_font; }
    // 0 left (top), 0.5 centre, 1 right (bottom).
    float GetHorizontalAlignment() const noexcept { return m_hAlign; }
    float GetVerticalAlignment() const noexcept { return m_vAlign; }
    bool GetWordWrap() const noexcept { return m_wordWrap; }
    int32_t GetLayoutWidth() const noexcept { return m_layoutWidth; }
    int32_t GetLayoutHeight() const noexcept { return m_layoutHeight; }

    // The setters return true when the value changed. Text, font and word wrap empty the lines
    // and line rectangles; alignment and height empty the line rectangles; the width empties
    // both when wrapping, else the line rectangles.
    bool SetText(const WString& text);
    bool SetFont(const ConstRCPtr<LFont>& font);
    bool SetWordWrap(bool wrap);
    bool SetHorizontalAlignment(float factor);
    bool SetVerticalAlignment(float factor);
    bool SetLayoutSize(int32_t width, int32_t height);
    // Empties lines and line rectangles.
    void ClearLayout();

    // Laid-out lines; empty while not laid out.
    WStringArray& GetLines() noexcept { return m_lines; }
    const WStringArray& GetLines() const noexcept { return m_lines; }
    // One rectangle per line (x, y, width, height), relative to the box.
    Array<RectT<float>>& GetLineRectArray() noexcept { return m_lineRects; }
    const Array<RectT<float>>& GetLineRectArray() const noexcept { return m_lineRects; }

    // The widest line when split at "\n", rounded up to whole pixels (+0.99, truncated).
    int32_t GetTextWidth() const;
    // Line height times the number of lines at that width; the stored layout is not touched.
    int32_t GetHeightForWidth(int32_t width) const;
    // Lays out what is missing and returns the number of line rectangles.
    uint32_t GetLineCount();
    // Places every line in the box by the alignment factors.
    void ComputeLineRects();
    // The union of all line rectangles in whole pixels (values limited to +-8388608).
    void GetLineRects(RectT<int32_t>& out);

protected:
    LFontText(const WString& text, const ConstRCPtr<LFont>& font);
    ~LFontText() override;

private:
    void LayOut(int32_t width, WStringArray& lines) const;

    WString m_text;
    ConstRCPtr<LFont> m_font;
    float m_hAlign = 0.0f;
    float m_vAlign = 0.0f;
    bool m_wordWrap = false;
    int32_t m_layoutWidth = 0;
    int32_t m_layoutHeight = 0;
    WStringArray m_lines;
    Array<RectT<float>> m_lineRects;
    // The lines as measured, kept while the lines stay: a new layout size only moves them.
    Array<RectT<float>> m_lineExtents;
    const void* m_extentsMeasurer = nullptr;
};

} // namespace KX
