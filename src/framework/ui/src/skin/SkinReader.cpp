// The skin document over expat: the parser driver, the attribute readers and the element
// dispatch of the skin reader.
#include "kx/ui/ControlFactory.h"

#include "xml/XmlText.h"

#include <expat.h>

#include <algorithm>
#include <charconv>
#include <climits>
#include <cstring>
#include <exception>
#include <limits>
#include <memory>
#include <type_traits>

namespace KX {

namespace {

using xml::IsBlank;
using xml::kParseChunk;
using xml::ParserHandle;

// The state one parse shares with expat's callbacks.
struct ParseContext {
    ParseContext(LControlFactory& f, XML_Parser p) noexcept : factory(f), parser(p) {}

    LControlFactory& factory;
    XML_Parser parser;
    bool failed = false;
    std::string failure;

    template <class F>
    void Guard(F&& body) noexcept
    {
        if (failed)
            return;
        try {
            body();
        } catch (const std::exception& e) {
            Fail(e.what());
        } catch (...) {
            Fail("unknown error");
        }
    }

    void Fail(const char* text) noexcept
    {
        failed = true;
        try {
            failure = text;
        } catch (...) {
        }
        XML_StopParser(parser, XML_FALSE);
    }

    static void XMLCALL OnStartElement(void* self, const XML_Char* name, const XML_Char** attributes)
    {
        auto& context = *static_cast<ParseContext*>(self);
        context.Guard([&] { context.factory.XMLStartElement(name, XmlAttributes(attributes)); });
    }
    static void XMLCALL OnEndElement(void* self, const XML_Char* name)
    {
        auto& context = *static_cast<ParseContext*>(self);
        context.Guard([&] { context.factory.XMLEndElement(name); });
    }
    static void XMLCALL OnCharacterData(void* self, const XML_Char* text, int length)
    {
        auto& context = *static_cast<ParseContext*>(self);
        context.Guard([&] { context.factory.XMLCharacterData(text, length); });
    }
};

} // namespace

KXRESULT LControlFactory::ParseXMLBuffer(const void* bytes, size_t size)
{
    ResetSkinParseState(); // every document starts outside any skin
    m_skipRoot = true;
    const char* data = static_cast<const char*>(bytes);
    if (size == 0 && data)
        size = std::strlen(data);

    ParserHandle parser(XML_ParserCreate(nullptr));
    if (!parser) {
        m_lastErrorText = WString(XML_ErrorString(XML_ERROR_NO_MEMORY));
        m_lastErrorLine = 0;
        return E_FAIL;
    }
    ParseContext context(*this, parser.get());
    XML_SetUserData(parser.get(), &context);
    XML_SetElementHandler(parser.get(), &ParseContext::OnStartElement, &ParseContext::OnEndElement);
    XML_SetCharacterDataHandler(parser.get(), &ParseContext::OnCharacterData);

    size_t left = data ? size : 0;
    XML_Status status = XML_STATUS_OK;
    for (;;) {
        const size_t n = std::min(left, kParseChunk);
        const bool last = n == left;
        status = XML_Parse(parser.get(), data, static_cast<int>(n), last ? XML_TRUE : XML_FALSE);
        data += n;
        left -= n;
        if (last || status != XML_STATUS_OK)
            break;
    }
    if (status == XML_STATUS_OK && !context.failed)
        return S_OK;

    if (context.failed) {
        m_lastErrorText = WString(context.failure.c_str());
    } else {
        const XML_LChar* text = XML_ErrorString(XML_GetErrorCode(parser.get()));
        m_lastErrorText = WString(text ? text : "unknown XML error");
    }
    const XML_Size line = XML_GetCurrentLineNumber(parser.get());
    m_lastErrorLine = static_cast<int32_t>(std::min<XML_Size>(line, INT32_MAX));
    return E_FAIL;
}

int32_t LControlFactory::ParseIntOrHex(const char* text) noexcept
{
    return xml::ParseIntOrHex(text);
}

int32_t LControlFactory::ParseDecimal(const char* text) noexcept
{
    return xml::ParseDecimal(text);
}

float LControlFactory::ParseReal(const char* text) noexcept
{
    const char* p = text;
    while (IsBlank(*p))
        ++p;
    if (*p == '+' && p[1] != '-')
        ++p;
    double value = 0.0;
    const char* end = p + std::strlen(p);
    const auto parsed = std::from_chars(p, end, value, std::chars_format::general);
    if (parsed.ec == std::errc::result_out_of_range) {
        // Too large gives the infinity of its sign, too small zero, as strtod does.
        const bool negative = *p == '-';
        const char* digits = negative ? p + 1 : p;
        bool large = false;
        for (const char* q = digits; q < parsed.ptr; ++q) {
            if (*q == 'e' || *q == 'E') {
                large = q[1] != '-';
                break;
            }
            if (*q >= '1' && *q <= '9') {
                large = true;
                break;
            }
            if (*q == '.')
                break;
        }
        if (!large)
            return negative ? -0.0f : 0.0f;
        constexpr float kInfinity = std::numeric_limits<float>::infinity();
        return negative ? -kInfinity : kInfinity;
    }
    if (parsed.ec != std::errc())
        return 0.0f;
    return static_cast<float>(value);
}

bool LControlFactory::GetStringAttribute(const XmlAttributes& attributes, const char* name, WString& out)
{
    const char* value = attributes.Find(name);
    if (!value)
        return false;
    out = WString(value);
    return true;
}

bool LControlFactory::GetBoolAttribute(const XmlAttributes& attributes, const char* name, bool& out)
{
    const char* value = attributes.Find(name);
    if (!value)
        return false;
    out = std::strcmp(value, "True") == 0;
    return true;
}

bool LControlFactory::GetFloatAttribute(const XmlAttributes& attributes, const char* name, float& out)
{
    const char* value = attributes.Find(name);
    if (!value)
        return false;
    out = ParseReal(value);
    return true;
}

bool LControlFactory::GetIntAttribute(const XmlAttributes& attributes, const char* name, int32_t& out)
{
    const char* value = attributes.Find(name);
    if (!value)
        return false;
    out = ParseIntOrHex(value);
    return true;
}

bool LControlFactory::GetDecimalAttribute(const XmlAttributes& attributes, const char* name, int32_t& out)
{
    const char* value = attributes.Find(name);
    if (!value)
        return false;
    out = ParseDecimal(value);
    return true;
}

void LControlFactory::XMLStartElement(const char* name, const XmlAttributes& attributes)
{
    if (m_skipRoot) {
        m_skipRoot = false;
        return;
    }
    auto is = [name](const char* element) { return std::strcmp(name, element) == 0; };
    if (is("Application")) {
        WString applicationName;
        GetStringAttribute(attributes, "Name", applicationName);
        if (applicationName != GetApplicationName())
            m_stringTables.SetApplicationName(applicationName);
    } else if (is("Skin")) {
        StartSkin(attributes);
    } else if (is("FontLocale")) {
        GetIntAttribute(attributes, "LCID", m_fontLocale);
    } else if (is("FontXLat")) {
        StartFontXLat(attributes);
    } else if (is("SubControl")) {
        StartSubControl(attributes);
    } else if (is("CreateParamList")) {
        m_openParamTable = RCPtr<LStringTable>(new LStringTable());
    } else if (is("CreateParam")) {
        StartCreateParam(attributes);
    } else if (is("LookList")) {
        StartLookList(attributes);
    } else if (is("LookLists")) {
        m_currentControl = nullptr;
    } else if (is("Look")) {
        StartLook(attributes);
    } else if (is("Looks")) {
        m_inLooks = true;
    } else if (is("ClientPart")) {
        StartClientPart(attributes);
    } else if (is("TextProperties")) {
        StartTextProperties(attributes);
    } else if (is("NonClientPart")) {
        StartNonClientPart(attributes);
    } else if (is("Part")) {
        StartPart(attributes);
    } else if (is("Colorizer")) {
        StartColorizer(attributes);
    }
    // Skins, NonClientParts, Parts, Colorizers and unknown elements: nothing to do.
}

void LControlFactory::XMLEndElement(const char* name)
{
    auto is = [name](const char* element) { return std::strcmp(name, element) == 0; };
    if (is("SubControl")) {
        EndSubControl();
    } else if (is("Skin")) {
        EndSkin();
    } else if (is("CreateParamList")) {
        if (m_currentControl && m_openParamTable)
            m_currentControl->SetCreateParams(m_openParamTable);
    } else if (is("CreateParam")) {
        EndCreateParam();
    } else if (is("Looks")) {
        m_inLooks = false;
    }
}

void LControlFactory::XMLCharacterData(const char* text, int length)
{
    // Expat splits text at entities and buffer ends: the pieces are joined at the end element.
    if (m_inCreateParam && m_openParamTable && length > 0) {
        m_openParamText.append(text, static_cast<size_t>(length));
        m_createParamHasText = true;
    }
}

void LControlFactory::ResetSkinParseState()
{
    m_skipRoot = false;
    m_inCreateParam = false;
    m_createParamHasText = false;
    m_openParamText.clear();
    m_openParamTable = nullptr; // a later document never writes into an earlier one's table
    m_fontLocale = -1;          // translations before a document's first FontLocale are ignored
    m_inLooks = false;
    m_currentControl = nullptr;
    m_controlDepth = 0;
    m_currentLook = nullptr;
    m_currentLookList = nullptr;
}

} // namespace KX
