#pragma once
// The user's default locale as a Windows locale id, from the POSIX locale variables; the
// C library's locale is neither read nor changed.
#include <cstdint>

namespace KX {

// English (United States): unset, "C" and "POSIX" locales, and languages we do not know.
inline constexpr uint32_t kDefaultUserLocaleId = 0x0409;

// A POSIX locale name ("de_DE.UTF-8", "zh_TW", "sr_RS@latin") as a locale id: the language's
// default-region id (0x0400 | primary language); Chinese by region: zh_TW, zh_HK and zh_MO
// give 0x7C04 (traditional), every other Chinese locale 0x0004 (simplified).
uint32_t LocaleNameToLCID(const char* name) noexcept;

// The first non-empty of lcAll, lcMessages and lang (any may be null), as LocaleNameToLCID.
uint32_t LCIDFromLocaleVariables(const char* lcAll, const char* lcMessages, const char* lang) noexcept;

// LCIDFromLocaleVariables over LC_ALL, LC_MESSAGES and LANG of this process.
uint32_t GetUserDefaultLCID() noexcept;

} // namespace KX
