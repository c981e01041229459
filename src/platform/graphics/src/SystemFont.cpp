#include "platform/gdi/SystemFont.h"

#include "Handles.h"

namespace gdi {

namespace {

using FcConfigHandle = Handle<FcConfig, FcConfigDestroy>;

} // namespace

bool QuerySystemFont(SystemFont& out, const std::string& configFile)
{
    FcConfigHandle own;
    if (!configFile.empty()) {
        own.reset(FcConfigCreate());
        if (!own ||
            FcConfigParseAndLoad(own.get(), reinterpret_cast<const FcChar8*>(configFile.c_str()), FcTrue) != FcTrue ||
            FcConfigBuildFonts(own.get()) != FcTrue)
            return false;
    } else if (FcInit() != FcTrue) {
        return false;
    }
    FcConfig* const config = own.get(); // null: the current configuration
    const FcPatternHandle pattern(FcNameParse(reinterpret_cast<const FcChar8*>("sans-serif")));
    if (!pattern)
        return false;
    FcConfigSubstitute(config, pattern.get(), FcMatchPattern);
    FcDefaultSubstitute(pattern.get());
    FcResult result = FcResultNoMatch;
    const FcPatternHandle match(FcFontMatch(config, pattern.get(), &result));
    FcChar8* family = nullptr;
    if (!match || FcPatternGetString(match.get(), FC_FAMILY, 0, &family) != FcResultMatch || !family || !*family)
        return false;

    // The height in pixels as the configuration resolves it (size and resolution), read as pixels
    // at 96 dots per inch; the requested points where the match carries no pixel size.
    double pixels = 0;
    double points = 0;
    float size = 0;
    if (FcPatternGetDouble(match.get(), FC_PIXEL_SIZE, 0, &pixels) == FcResultMatch && pixels > 0)
        size = static_cast<float>(pixels * 72.0 / 96.0);
    else if (FcPatternGetDouble(match.get(), FC_SIZE, 0, &points) == FcResultMatch && points > 0)
        size = static_cast<float>(points);

    uint32_t style = 0;
    int weight = FC_WEIGHT_REGULAR;
    if (FcPatternGetInteger(match.get(), FC_WEIGHT, 0, &weight) == FcResultMatch && weight >= FC_WEIGHT_BOLD)
        style |= kSystemFontBold;
    int slant = FC_SLANT_ROMAN;
    if (FcPatternGetInteger(match.get(), FC_SLANT, 0, &slant) == FcResultMatch && slant != FC_SLANT_ROMAN)
        style |= kSystemFontItalic;

    out.face = reinterpret_cast<const char*>(family);
    out.size = size;
    out.style = style;
    return true;
}

} // namespace gdi
