#pragma once
// A font: face name, size in points and style. Fonts are shared: GetFont hands out one object
// per distinct (face name, size, style) from a process-wide list, so caches can key on a font's
// identity. Metrics are measured once, through the application's measurement renderer.
// Fonts are made, measured and released on the UI thread only.
#include "kx/RCPtrArray.h"
#include "kx/RefCountedObject.h"
#include "kx/StringT.h"

#include <cstdint>

namespace KX {

// Font styles: bit 0 bold, bit 1 italic.
inline constexpr int32_t kFontRegular = 0;
inline constexpr int32_t kFontBold = 1;
inline constexpr int32_t kFontItalic = 2;
inline constexpr int32_t kFontBoldItalic = 3;

class LFont : public virtual LRefCountedObject {
public:
    using FontList = RCPtrArray<LFont>;

    // The shared font for the triple; made and entered into the list when there is none.
    // Face names match ignoring ASCII letter case; sizes must be exactly equal.
    static ConstRCPtr<LFont> GetFont(const WString& faceName, float size, int32_t style);
    // Index of the matching font in the list (searched from the end), or -1.
    static int32_t FindFont(const WString& faceName, float size, int32_t style);
    // The process-wide list of fonts that some holder still references. Its references are
    // internal: they do not keep a font alive.
    static FontList& GetFontList();
    static int32_t GetUniqueID(const ConstRCPtr<LFont>& font) noexcept { return font ? font->m_uniqueID : 0; }

    // Line height in pixels, measured on first use (-1 while no measurement renderer could measure it).
    int32_t GetHeight() const;
    // Distance from the top of the line to the baseline, negated.
    int32_t GetAscent() const;
    // Distance from the baseline to the bottom of the line.
    int32_t GetDescent() const;
    bool IsMeasured() const noexcept { return m_height >= 0; }

    const WString& GetFaceName() const noexcept { return m_faceName; }
    float GetSize() const noexcept { return m_size; }
    int32_t GetStyle() const noexcept { return m_style; }
    int32_t GetUniqueID() const noexcept { return m_uniqueID; }

    // Takes the font out of the list when its last outside holder lets go: S_OK, or E_FAIL
    // when it was not there.
    KXRESULT ReleaseInternalReferences() override;

private:
    LFont(const WString& faceName, float size, int32_t style);
    ~LFont() override;

    void Measure() const;

    WString m_faceName;
    float m_size;
    int32_t m_style;
    mutable int32_t m_height = -1;
    mutable int32_t m_ascent = 0;
    mutable int32_t m_descent = 0;
    int32_t m_uniqueID;
};

} // namespace KX
