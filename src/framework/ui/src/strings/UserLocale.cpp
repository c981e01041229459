// The user's default locale id from LC_ALL, LC_MESSAGES and LANG.
#include "kx/ui/UserLocale.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <iterator>

namespace KX {

namespace {

struct Language {
    const char* code; // ISO 639 code, lower case
    uint16_t primary; // Windows primary language id
};

// ISO 639 codes and their Windows primary language ids.
constexpr Language kLanguages[] = {
    {"af", 0x36}, {"ar", 0x01}, {"az", 0x2C}, {"be", 0x23}, {"bg", 0x02}, {"bn", 0x45}, {"bs", 0x1A}, {"ca", 0x03},
    {"cs", 0x05}, {"cy", 0x52}, {"da", 0x06}, {"de", 0x07}, {"el", 0x08}, {"en", 0x09}, {"es", 0x0A}, {"et", 0x25},
    {"eu", 0x2D}, {"fa", 0x29}, {"fi", 0x0B}, {"fo", 0x38}, {"fr", 0x0C}, {"ga", 0x3C}, {"gl", 0x56}, {"gu", 0x47},
    {"he", 0x0D}, {"hi", 0x39}, {"hr", 0x1A}, {"hu", 0x0E}, {"hy", 0x2B}, {"id", 0x21}, {"is", 0x0F}, {"it", 0x10},
    {"ja", 0x11}, {"ka", 0x37}, {"kk", 0x3F}, {"kn", 0x4B}, {"ko", 0x12}, {"lt", 0x27}, {"lv", 0x26}, {"mk", 0x2F},
    {"ml", 0x4C}, {"mn", 0x50}, {"mr", 0x4E}, {"ms", 0x3E}, {"mt", 0x3A}, {"nb", 0x14}, {"nl", 0x13}, {"nn", 0x14},
    {"no", 0x14}, {"pa", 0x46}, {"pl", 0x15}, {"pt", 0x16}, {"ro", 0x18}, {"ru", 0x19}, {"sk", 0x1B}, {"sl", 0x24},
    {"sq", 0x1C}, {"sr", 0x1A}, {"sv", 0x1D}, {"sw", 0x41}, {"ta", 0x49}, {"te", 0x4A}, {"th", 0x1E}, {"tr", 0x1F},
    {"tt", 0x44}, {"uk", 0x22}, {"ur", 0x20}, {"uz", 0x43}, {"vi", 0x2A}, {"zh", 0x04},
};

bool IsLetter(char c) noexcept
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

char Lower(char c) noexcept
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + ('a' - 'A')) : c;
}

char Upper(char c) noexcept
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - ('a' - 'A')) : c;
}

} // namespace

uint32_t LocaleNameToLCID(const char* name) noexcept
{
    if (!name)
        return kDefaultUserLocaleId;
    // language: 2 or 3 letters, then optionally "_" and a region, then ".codeset" or "@modifier".
    char language[4] = {};
    size_t n = 0;
    while (IsLetter(name[n]) && n < 3) {
        language[n] = Lower(name[n]);
        ++n;
    }
    if (n < 2 || IsLetter(name[n]))
        return kDefaultUserLocaleId; // "C", "POSIX" and anything that is no language code
    char region[3] = {};
    if (name[n] == '_' && IsLetter(name[n + 1]) && IsLetter(name[n + 2])) {
        region[0] = Upper(name[n + 1]);
        region[1] = Upper(name[n + 2]);
    }
    const auto* end = std::end(kLanguages);
    const auto* it = std::find_if(std::begin(kLanguages), end,
                                  [&](const Language& l) { return std::strcmp(l.code, language) == 0; });
    if (it == end)
        return kDefaultUserLocaleId;
    if (it->primary == 0x04) {
        const bool traditional =
            std::strcmp(region, "TW") == 0 || std::strcmp(region, "HK") == 0 || std::strcmp(region, "MO") == 0;
        return traditional ? 0x7C04 : 0x0004;
    }
    return 0x0400u | it->primary;
}

uint32_t LCIDFromLocaleVariables(const char* lcAll, const char* lcMessages, const char* lang) noexcept
{
    for (const char* value : {lcAll, lcMessages, lang}) {
        if (value && *value)
            return LocaleNameToLCID(value);
    }
    return kDefaultUserLocaleId;
}

uint32_t GetUserDefaultLCID() noexcept
{
    return LCIDFromLocaleVariables(std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"), std::getenv("LANG"));
}

} // namespace KX
