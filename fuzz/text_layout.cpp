// Skin texts into the colour parser and the text wrapper. The first byte picks the wrap width;
// the rest is a colour text, then UTF-16 text (two bytes per unit) to wrap.
#include "kx/Color.h"
#include "kx/Renderer.h"
#include "kx/TextLayout.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

// Every unit 7 pixels wide.
class Monospace : public KX::LMeasurementRenderer {
public:
    KX::KXRESULT GetFontMetrics(const KX::ConstRCPtr<KX::LFont>&, int32_t& h, int32_t& a, int32_t& d) const override
    {
        h = 10, a = -8, d = 2;
        return KX::S_OK;
    }
    KX::RectT<float> MeasureText(const KX::WString& text, const KX::ConstRCPtr<KX::LFont>&) const override
    {
        return {0.0f, -8.0f, 7.0f * text.GetLength(), 10.0f};
    }
};

bool IsBlank(char16_t c)
{
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const float width = static_cast<float>(data[0]) - 8.0f;
    ++data, --size;

    // Colour text: up to the first zero byte.
    size_t colourLength = 0;
    while (colourLength < size && data[colourLength] != 0)
        ++colourLength;
    const std::string colourText(reinterpret_cast<const char*>(data), colourLength);
    const KX::LColor start{0.25f, 0.5f, 0.75f, 1.0f};
    KX::LColor colour = start;
    colour.FromString(colourText.c_str());
    for (float c : {colour.red, colour.green, colour.blue, colour.alpha})
        if (!(c >= 0.0f && c <= 1.0f))
            std::abort();
    if (colourText.size() > 10 && !(colour == start))
        std::abort();

    // Text: the rest as UTF-16 units, without zeros.
    std::u16string units;
    for (size_t i = colourLength + 1; i + 1 < size; i += 2) {
        const char16_t u = static_cast<char16_t>(data[i] | (data[i + 1] << 8));
        if (u != 0)
            units.push_back(u);
    }
    if (units.size() > 2000)
        return 0;
    const KX::WString text(units.c_str());
    const KX::RCPtr<Monospace> measurer(new Monospace());
    KX::WStringArray lines;
    KX::WrapText(measurer.Get(), KX::ConstRCPtr<KX::LFont>(), width, text, lines);

    // The lines hold the text in order: only line feeds and blanks at line starts are dropped.
    std::u16string joined, expected;
    for (uint32_t i = 0; i < lines.GetCount(); ++i)
        joined += lines.ElementAt(i).GetString();
    for (char16_t c : units)
        if (!IsBlank(c))
            expected.push_back(c);
    std::u16string joinedSolid;
    for (char16_t c : joined)
        if (!IsBlank(c))
            joinedSolid.push_back(c);
    if (joinedSolid != expected)
        std::abort();
    if (lines.GetCount() == 0 || lines.GetCount() > units.size() + 1)
        std::abort();
    return 0;
}
