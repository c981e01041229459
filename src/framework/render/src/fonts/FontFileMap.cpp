// The font-to-file map: which registry record each font object resolved to.
#include "kx/FontFileInfo.h"

#include "kx/Font.h"

namespace KX {

namespace {
LFontFileInfo::FontMap& FontMapInstance()
{
    // Never destroyed, like the registry; emptied with it.
    static LFontFileInfo::FontMap* const map = new LFontFileInfo::FontMap();
    return *map;
}
} // namespace

namespace Detail {
void ClearFontFileMap()
{
    FontMapInstance().RemoveAll();
}
} // namespace Detail

int32_t LFontFileInfo::GetFileID(const ConstRCPtr<LFont>& font)
{
    const int32_t style = font->GetStyle() & 3;
    FontMap& map = FontMapInstance();
    const RCPtr<LFontFileInfo>& known = map.Lookup(font);
    if (known) {
        known->ChoosePath(style);
        return known->GetIndex() * 4 + style;
    }
    const int32_t fileId = ResolveFileID(font->GetFaceName(), style);
    map.SetAt(font, RegistryInstance().ElementAt(static_cast<uint32_t>(fileId >> 2)));
    return fileId;
}

} // namespace KX
