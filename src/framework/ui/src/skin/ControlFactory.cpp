// The control factory: class registry, document loading, string tables and skin look-ups.
#include "kx/ui/ControlFactory.h"

#include "kx/Exception.h"
#include "kx/File.h"
#include "kx/Resources.h"
#include "kx/ui/StringTableReader.h"

#include <cstring>
#include <new>
#include <span>

namespace KX {

namespace {

constexpr const char* kSourcePath = "ControlBase\\ControlFactory";

} // namespace

const char* XmlAttributes::Find(const char* name) const noexcept
{
    if (!name)
        return nullptr;
    // The skin asks for some forty names per element: most differ from each attribute in their
    // first two letters, which are compared here before the rest.
    const char first = name[0];
    const char second = first ? name[1] : '\0';
    for (const char* const* a = m_list; a && a[0]; a += 2) {
        const char* candidate = a[0];
        if (candidate[0] != first)
            continue;
        if (first == '\0')
            return a[1];
        if (candidate[1] != second)
            continue;
        if (second == '\0' || std::strcmp(candidate + 2, name + 2) == 0)
            return a[1];
    }
    return nullptr;
}

LControlFactory::LControlFactory(const WString& applicationName)
{
    m_stringTables.SetApplicationName(applicationName);
}

LControlFactory::~LControlFactory()
{
    RCPtr<LControlDescriptor> skin;
    while (m_skins.GetCount() > 0) {
        m_skins.RemoveLast(skin);
        skin = nullptr;
    }
}

KXRESULT LControlFactory::RegisterControlClass(const WString& className, ControlCreateFunction function)
{
    m_classes.emplace(className, function);
    return S_OK;
}

KXRESULT LControlFactory::GetControlCreateFunction(const WString& className, ControlCreateFunction& function) const
{
    const auto it = m_classes.find(className);
    if (it == m_classes.end())
        KX_THROW(std::runtime_error, "", "KX::LControlFactory::GetControlCreateFunction", kSourcePath, 51);
    function = it->second;
    return S_OK;
}

WString LControlFactory::GetSkinsPath() const
{
    return m_documentFolder + WString(IsResourcePath(m_documentFolder) ? u"APP_SKINS" : u"Skins.xml");
}

WString LControlFactory::GetApplicationStringsPath() const
{
    return m_documentFolder + WString(IsResourcePath(m_documentFolder) ? u"APP_STRINGS" : u"StringTables.xml");
}

WString LControlFactory::GetFrameworkStringsPath() const
{
    return m_documentFolder +
           WString(IsResourcePath(m_documentFolder) ? u"FRAMEWORK_STRINGS" : u"FrameworkStrings.xml");
}

KXRESULT LControlFactory::LoadDocument(const WString& path, std::string& bytes, bool& found) const
{
    found = false;
    if (IsResourcePath(path)) {
        std::span<const uint8_t> data;
        if (!FindEmbeddedResource(WString(kResourceTypeDocument), ResourceNameFromPath(path), data))
            return E_FAIL;
        try {
            bytes.assign(reinterpret_cast<const char*>(data.data()), data.size());
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
        found = true;
        return S_OK;
    }
    File file(path, WString(), File::ReadAccess);
    const int32_t length = file.GetLength();
    try {
        bytes.resize(length > 0 ? static_cast<size_t>(length) : 0);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    size_t done = 0;
    while (done < bytes.size()) {
        const int32_t n =
            file.Read(bytes.data() + done, static_cast<uint32_t>(bytes.size() - done), File::CurrentPosition);
        if (n <= 0)
            break;
        done += static_cast<size_t>(n);
    }
    bytes.resize(done); // a file that shrank while read
    file.Close();
    found = true;
    return S_OK;
}

KXRESULT LControlFactory::LoadSkins(const WString& path)
{
    std::string bytes;
    bool found = false;
    const KXRESULT loaded = LoadDocument(path, bytes, found);
    if (!found)
        return Failed(loaded) ? loaded : E_FAIL;
    ResetSkinParseState();
    const KXRESULT result = ParseXMLBuffer(bytes.c_str(), bytes.size());
    ResetSkinParseState();
    m_currentSkinIndex = 0;
    return result;
}

KXRESULT LControlFactory::LoadStringTables(const WString& applicationPath, const WString& frameworkPath,
                                           uint32_t localeId)
{
    std::string application;
    std::string framework;
    bool haveApplication = false;
    bool haveFramework = false;
    if (LoadDocument(applicationPath, application, haveApplication) == E_OUTOFMEMORY)
        return E_OUTOFMEMORY;
    if (LoadDocument(frameworkPath, framework, haveFramework) == E_OUTOFMEMORY)
        return E_OUTOFMEMORY;
    // An empty file still counts as a document (one that fails to parse).
    static const char kEmpty[1] = {0};
    const StringDocument applicationDocument{
        haveApplication ? (application.empty() ? kEmpty : application.data()) : nullptr, application.size()};
    const StringDocument frameworkDocument{haveFramework ? (framework.empty() ? kEmpty : framework.data()) : nullptr,
                                           framework.size()};
    const StringTablesLoadResult load =
        LoadStringTableDocuments(m_stringTables, applicationDocument, frameworkDocument, localeId);
    // The language the user interface ended up in.
    m_localeId = load.applicationLocale;
    if (Failed(load.lastError.result)) {
        m_lastErrorText = load.lastError.errorText;
        m_lastErrorLine = load.lastError.errorLine;
    }
    return S_OK;
}

ConstRCPtr<LStringTable> LControlFactory::GetStringTable(const WString& ownerClassName,
                                                         const WString& controlName) const
{
    return m_stringTables.GetTable(StringTableSet::ControlTableId(ownerClassName, controlName));
}

KXRESULT LControlFactory::SetCurrentSkinIndex(int32_t index) noexcept
{
    if (index < 0 || static_cast<uint32_t>(index) >= m_skins.GetCount())
        return E_INVALIDARG;
    m_currentSkinIndex = index;
    return S_OK;
}

ConstRCPtr<LControlDescriptor> LControlFactory::GetCurrentSkin() const
{
    if (m_currentSkinIndex < 0 || static_cast<uint32_t>(m_currentSkinIndex) >= m_skins.GetCount())
        return LControlDescriptor::Null();
    return m_skins.ElementAt(static_cast<uint32_t>(m_currentSkinIndex));
}

ConstRCPtr<LControlDescriptor> LControlFactory::FindControlDescriptor(const WString& name) const
{
    const ConstRCPtr<LControlDescriptor> skin = GetCurrentSkin();
    if (!skin)
        return LControlDescriptor::Null();
    const RCPtrArray<LControlDescriptor>& children = skin->GetChildren();
    for (uint32_t i = children.GetCount(); i-- > 0;) {
        const ConstRCPtr<LControlDescriptor>& child = children.ElementAt(i);
        if (child && (child->GetName().GetBuffer() == name.GetBuffer() || child->GetName() == name))
            return child;
    }
    return LControlDescriptor::Null();
}

KXRESULT LControlFactory::GetSkinFont(WString& faceName, float& size, uint32_t& style) const
{
    const ConstRCPtr<LControlDescriptor> root = GetCurrentSkin();
    if (!root || !root->GetSkin())
        return S_FALSE;
    const LSkinDescriptor& skin = *root->GetSkin();
    bool given = false;
    if (!skin.GetFontName().IsEmpty()) {
        faceName = skin.GetFontName();
        given = true;
    }
    if (skin.GetFontSize() >= 1.0f) {
        size = skin.GetFontSize();
        given = true;
    }
    if (static_cast<uint32_t>(skin.GetFontStyle()) != 0xFFFFFFFFu) {
        style = static_cast<uint32_t>(skin.GetFontStyle());
        given = true;
    }
    return given ? S_OK : S_FALSE;
}

template <class T>
ConstRCPtr<T> LControlFactory::FindIn(const std::map<WString, ConstRCPtr<T>>& map, const WString& name)
{
    const auto it = map.find(name);
    return it == map.end() ? ConstRCPtr<T>() : it->second;
}

ConstRCPtr<LColorizer> LControlFactory::FindColorizer(const WString& name) const
{
    return FindIn(m_colorizers, name);
}

ConstRCPtr<LVisualPartDescriptor> LControlFactory::FindPart(const WString& name) const
{
    return FindIn(m_parts, name);
}

ConstRCPtr<LLookDescriptor> LControlFactory::FindLook(const WString& name) const
{
    return FindIn(m_looks, name);
}

ConstRCPtr<LookList> LControlFactory::FindLookList(const WString& name) const
{
    return FindIn(m_lookLists, name);
}

WString LControlFactory::TranslateFontName(const WString& name) const
{
    const auto it = m_fontTranslations.find(name);
    return it == m_fontTranslations.end() ? name : it->second;
}

} // namespace KX
