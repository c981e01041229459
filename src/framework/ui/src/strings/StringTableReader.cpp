// Reads string-table documents over expat.
#include "kx/ui/StringTableReader.h"

#include "xml/XmlText.h"

#include <expat.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <map>
#include <memory>
#include <new>
#include <set>
#include <string>
#include <utility>

namespace KX {

namespace {

using xml::kParseChunk;
using xml::ParserHandle;

// The value of name in expat's (name, value, ..., null) attribute list, or null.
const char* FindAttribute(const XML_Char** attributes, const char* name) noexcept
{
    for (const XML_Char** a = attributes; a && a[0]; a += 2) {
        if (std::strcmp(a[0], name) == 0)
            return a[1];
    }
    return nullptr;
}

class Pass {
public:
    Pass(StringTableSet& tables, uint32_t localeId, bool fillOnly) noexcept
        : m_tables(tables), m_localeId(localeId), m_fillOnly(fillOnly)
    {
    }

    StringTableParseResult Run(const void* bytes, size_t size)
    {
        StringTableParseResult result;
        ParserHandle parser(XML_ParserCreate(nullptr));
        if (!parser) {
            result.result = E_FAIL;
            result.errorText = WString(XML_ErrorString(XML_ERROR_NO_MEMORY));
            return result;
        }
        m_parser = parser.get();
        XML_SetUserData(m_parser, this);
        XML_SetElementHandler(m_parser, &Pass::OnStart, &Pass::OnEnd);
        XML_SetCharacterDataHandler(m_parser, &Pass::OnText);

        const char* data = static_cast<const char*>(bytes);
        size_t left = bytes ? size : 0;
        XML_Status status = XML_STATUS_OK;
        do {
            const size_t n = std::min(left, kParseChunk);
            const bool last = n == left;
            status = XML_Parse(m_parser, data, static_cast<int>(n), last ? XML_TRUE : XML_FALSE);
            data += n;
            left -= n;
            if (last)
                break;
        } while (status == XML_STATUS_OK);

        try {
            StoreTexts();
        } catch (...) {
            m_failed = true;
        }
        result.matchedLocales = m_matched;
        if (status != XML_STATUS_OK || m_failed) {
            result.result = E_FAIL;
            const XML_Error code = m_failed ? XML_ERROR_ABORTED : XML_GetErrorCode(m_parser);
            const XML_LChar* text = XML_ErrorString(code);
            result.errorText = WString(text ? text : "unknown XML error");
            const XML_Size line = XML_GetCurrentLineNumber(m_parser);
            result.errorLine = static_cast<int32_t>(std::min<XML_Size>(line, INT32_MAX));
        }
        m_parser = nullptr;
        return result;
    }

private:
    static void XMLCALL OnStart(void* self, const XML_Char* name, const XML_Char** attributes)
    {
        static_cast<Pass*>(self)->Guard([&](Pass& pass) { pass.Start(name, attributes); });
    }
    static void XMLCALL OnEnd(void* self, const XML_Char*)
    {
        static_cast<Pass*>(self)->Guard([](Pass& pass) { pass.End(); });
    }
    static void XMLCALL OnText(void* self, const XML_Char* text, int length)
    {
        Pass& pass = *static_cast<Pass*>(self);
        if (!pass.m_collecting || pass.m_failed)
            return;
        pass.Guard([&](Pass& p) { p.m_current->append(text, static_cast<size_t>(length)); });
    }

    // No exception may cross expat: a failing handler stops the parse.
    template <class F>
    void Guard(F&& body) noexcept
    {
        if (m_failed)
            return;
        try {
            body(*this);
        } catch (...) {
            m_failed = true;
            XML_StopParser(m_parser, XML_FALSE);
        }
    }

    void Start(const XML_Char* name, const XML_Char** attributes)
    {
        if (!m_rootSeen) {
            m_rootSeen = true; // the root element is skipped whatever its name
            return;
        }
        if (std::strcmp(name, "Application") == 0) {
            const char* appName = FindAttribute(attributes, "Name");
            m_tables.SetApplicationName(WString(appName ? appName : ""));
        } else if (std::strcmp(name, "StringTable") == 0) {
            const char* id = FindAttribute(attributes, "ID");
            m_table = &m_tables.Open(WString(id ? id : ""));
        } else if (std::strcmp(name, "String") == 0) {
            if (const char* id = FindAttribute(attributes, "ID"))
                m_key = WString(id);
        } else if (std::strcmp(name, "Locale") == 0) {
            StartLocale(FindAttribute(attributes, "LCID"));
        }
    }

    void StartLocale(const char* lcid)
    {
        if (!lcid || !m_table || static_cast<uint32_t>(xml::ParseIntOrHex(lcid)) != m_localeId)
            return;
        ++m_matched;
        auto [it, inserted] = m_table->try_emplace(m_key);
        if (m_fillOnly) {
            // Only keys this pass created take texts; a second Locale of the same key appends.
            std::pair<const StringTableSet::Entries*, WString> mark(m_table, m_key);
            if (inserted)
                m_filled.insert(std::move(mark));
            else if (m_filled.find(mark) == m_filled.end())
                return;
        }
        m_current = &m_texts[&it->second];
        m_collecting = true;
    }

    void End()
    {
        m_collecting = false;
        m_current = nullptr;
    }

    // Appends each text's collected UTF-8 pieces to it in one conversion, so that many pieces or
    // many Locale elements of one key cost linear time.
    void StoreTexts()
    {
        for (auto& [target, text] : m_texts) {
            if (!text.empty())
                *target += WString(text.c_str());
        }
        m_texts.clear();
    }

    StringTableSet& m_tables;
    const uint32_t m_localeId;
    const bool m_fillOnly;
    XML_Parser m_parser = nullptr;
    bool m_rootSeen = false;
    bool m_failed = false;
    bool m_collecting = false;
    uint32_t m_matched = 0;
    StringTableSet::Entries* m_table = nullptr;
    WString m_key;
    // What this pass collected for each text of the tables, and the one being collected.
    std::map<WString*, std::string> m_texts;
    std::string* m_current = nullptr;
    std::set<std::pair<const StringTableSet::Entries*, WString>> m_filled;
};

} // namespace

uint32_t StringTableFallbackLocale(uint32_t localeId) noexcept
{
    if (localeId == 0x0404 || localeId == 0x0C04 || localeId == 0x1404)
        return 0x7C04;
    return localeId & 0xFF;
}

StringTableParseResult StringTableReader::Parse(const void* bytes, size_t size, uint32_t localeId, bool fillOnly)
{
    return Pass(m_tables, localeId, fillOnly).Run(bytes, size);
}

namespace {

struct DocumentPasses {
    StringTableReader& reader;
    StringTablesLoadResult& load;

    StringTableParseResult Run(const StringDocument& document, uint32_t localeId, bool fillOnly = false)
    {
        StringTableParseResult result = reader.Parse(document.bytes, document.size, localeId, fillOnly);
        if (Failed(result.result))
            load.lastError = result;
        return result;
    }

    // Tries each locale in turn until a pass matches; returns the locale it ended with.
    uint32_t Read(const StringDocument& document, std::initializer_list<uint32_t> locales)
    {
        uint32_t tried[3] = {};
        size_t count = 0;
        uint32_t ended = kEnglishLocaleId;
        for (uint32_t localeId : locales) {
            if (std::find(tried, tried + count, localeId) != tried + count)
                continue; // a pass that matched nothing matches nothing again
            tried[count++] = localeId;
            ended = localeId;
            if (Run(document, localeId).matchedLocales > 0) {
                if (localeId != kEnglishLocaleId)
                    Run(document, kEnglishLocaleId, true);
                break;
            }
        }
        return ended;
    }
};

} // namespace

StringTablesLoadResult LoadStringTableDocuments(StringTableSet& tables, const StringDocument& application,
                                                const StringDocument& framework, uint32_t localeId)
{
    StringTablesLoadResult load;
    StringTableReader reader(tables);
    DocumentPasses passes{reader, load};
    // A missing document matches nothing in any of its passes.
    load.applicationLocale = kEnglishLocaleId;
    if (application.bytes)
        load.applicationLocale =
            passes.Read(application, {localeId, StringTableFallbackLocale(localeId), kEnglishLocaleId});
    load.frameworkLocale = kEnglishLocaleId;
    if (framework.bytes)
        load.frameworkLocale = passes.Read(framework, {load.applicationLocale, kEnglishLocaleId});
    return load;
}

} // namespace KX
