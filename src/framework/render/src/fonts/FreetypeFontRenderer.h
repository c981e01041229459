#pragma once
// The font renderer over FreeType 2. All FreeType font renderers of the process share one
// FreeType library and one cache manager (8 faces, 16 sizes, 4 MiB); the first one made scans
// the font folders and sets them up, the last one destroyed tears them down and empties the
// font file registry.
#include "fonts/FontRenderer.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_CACHE_H

namespace KX {

class LFreetypeFontRenderer : public LFontRenderer {
public:
    static constexpr FT_UInt kMaxFaces = 8;
    static constexpr FT_UInt kMaxSizes = 16;
    static constexpr FT_ULong kMaxBytes = 0x400000;
    // Fonts below this size in points are rendered monochrome.
    static constexpr float kMonochromeBelow = 8.0f;

    explicit LFreetypeFontRenderer(const RCPtr<LGlyphProcessor>& processor);
    ~LFreetypeFontRenderer() override;

    // 0, E_FAIL when FreeType cannot give the size, E_INVALIDARG for a null font. Throws when
    // no font file serves the font.
    KXRESULT GetFontMetrics(const ConstRCPtr<LFont>& font, int32_t& height, int32_t& ascent, int32_t& descent) override;
    // widthLimit has no effect. Does nothing without a font, a processor or FreeType.
    void RenderText(const WString& text, const ConstRCPtr<LFont>& font, const RCPtr<LGlyphProcessor>& processor,
                    int32_t start, float widthLimit, int32_t mode) override;

    // The cache manager's face requester: the face id is a font file id; opens that file's
    // font at its index within the file.
    static FT_Error RequestFace(FTC_FaceID faceId, FT_Library library, FT_Pointer requestData, FT_Face* face);

    // true while the shared library and cache manager exist.
    static bool IsFreetypeReady();
    // The FreeType size object of a font (through the cache manager); a FreeType error code.
    static FT_Error LookupSize(const ConstRCPtr<LFont>& font, FT_Size& size);
};

} // namespace KX
