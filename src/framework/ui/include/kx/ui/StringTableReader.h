#pragma once
// Reads string-table documents (UTF-16 with a byte-order mark, or UTF-8) into a StringTableSet,
// keeping the texts of one locale, and runs the locale passes over the application and framework
// documents. Every document is treated as outside input. Main thread only.
#include "kx/KXResult.h"
#include "kx/StringT.h"
#include "kx/ui/StringTableSet.h"

#include <cstddef>
#include <cstdint>

namespace KX {

// The locale every document is complete in.
inline constexpr uint32_t kEnglishLocaleId = 0x0009;

// The second locale tried for a document: the traditional-Chinese locales 0x0404, 0x0C04 and
// 0x1404 give 0x7C04, any other id its primary language (its low eight bits).
uint32_t StringTableFallbackLocale(uint32_t localeId) noexcept;

struct StringTableParseResult {
    // S_OK, or E_FAIL when the document is not well-formed XML or a handler failed.
    KXRESULT result = S_OK;
    // "Locale" elements whose LCID equalled the locale asked for.
    uint32_t matchedLocales = 0;
    // On E_FAIL: expat's error text and its line number at the failure.
    WString errorText;
    int32_t errorLine = 0;
};

class StringTableReader {
public:
    explicit StringTableReader(StringTableSet& tables) noexcept : m_tables(tables) {}

    // One pass over a document: keeps the texts whose "Locale" LCID equals localeId. With
    // fillOnly, a key already in its table before the pass is left alone (used to fill the keys
    // that the chosen locale lacks). What was read before an XML error stays in the tables.
    StringTableParseResult Parse(const void* bytes, size_t size, uint32_t localeId, bool fillOnly = false);

private:
    StringTableSet& m_tables;
};

// A document to read; bytes null when it is missing (then it is skipped).
struct StringDocument {
    const void* bytes = nullptr;
    size_t size = 0;
};

struct StringTablesLoadResult {
    // The locale ids the passes over each document ended with.
    uint32_t applicationLocale = 0;
    uint32_t frameworkLocale = 0;
    // The last pass that failed, if any (result E_FAIL with expat's text and line).
    StringTableParseResult lastError;
};

// The locale passes: the application document in localeId, else its fallback locale, else
// 0x0009; the framework document in the locale the application document ended with, else 0x0009.
// When a document's pass matched in another locale than 0x0009, the keys it left without text
// are filled from the document's 0x0009 texts. A missing document ends in 0x0009, as one that
// matched nothing. XML errors do not stop the load.
StringTablesLoadResult LoadStringTableDocuments(StringTableSet& tables, const StringDocument& application,
                                                const StringDocument& framework, uint32_t localeId);

} // namespace KX
