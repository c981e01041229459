#pragma once
// The control factory: the registry of control classes, the loading of the skin and string-table
// documents (embedded or from a folder), the reading of the skin into descriptors, and the
// creation of controls by skin name or from a descriptor. One per process; main thread only.
#include "kx/KXResult.h"
#include "kx/RCPtrArray.h"
#include "kx/RefCountedObject.h"
#include "kx/StringT.h"
#include "kx/ui/ControlDescriptor.h"
#include "kx/ui/LookDescriptor.h"
#include "kx/ui/SkinDescriptor.h"
#include "kx/ui/StringTableSet.h"
#include "kx/ui/VisualPartDescriptor.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

namespace KX {

class LControl;
class IRootWindow;

// The attributes of one XML element as the parser delivers them: UTF-8 (name, value) pairs in
// one list ending with a null name.
class XmlAttributes {
public:
    explicit XmlAttributes(const char* const* list) noexcept : m_list(list) {}
    // The value of name, or null when the element does not carry it.
    const char* Find(const char* name) const noexcept;

private:
    const char* const* m_list;
};

class LControlFactory : public virtual LRefCountedObject {
public:
    // The document folder that stands for the embedded resources.
    static constexpr const char16_t* kResourceFolder = u"::";
    // Nesting of SubControl elements beyond this, more children of one control or more skins
    // fail the load; a look takes no more edge parts. The arrays that hold them grow one slot
    // at a time.
    static constexpr int32_t kMaxControlDepth = 256;
    static constexpr uint32_t kMaxChildren = 4096;
    static constexpr uint32_t kMaxSkins = 1024;
    static constexpr uint32_t kMaxNonClientParts = 1024;
    // The longest look list, and the entries all look lists of one factory may hold together.
    static constexpr int32_t kMaxLookCount = 1024;
    static constexpr int64_t kMaxLookListEntries = int64_t(1) << 18;

    explicit LControlFactory(const WString& applicationName);
    ~LControlFactory() override;

    // The class registry. A name registered before keeps its first function; always S_OK.
    KXRESULT RegisterControlClass(const WString& className, ControlCreateFunction function);
    // S_OK with the function; an unregistered name throws a runtime error.
    KXRESULT GetControlCreateFunction(const WString& className, ControlCreateFunction& function) const;

    // Set by an "Application" element of any document; the owner prefix of string-table ids.
    const WString& GetApplicationName() const noexcept { return m_stringTables.GetApplicationName(); }
    // The locale the string tables were read in; font translations count only for it.
    uint32_t GetLocaleId() const noexcept { return m_localeId; }
    void SetLocaleId(uint32_t localeId) noexcept { m_localeId = localeId; }

    // "::" for the embedded resources, or a folder ending with its separator.
    const WString& GetDocumentFolder() const noexcept { return m_documentFolder; }
    void SetDocumentFolder(const WString& folder) { m_documentFolder = folder; }
    // The paths of the three documents in the document folder ("::APP_SKINS" or
    // folder + "Skins.xml", and so on).
    WString GetSkinsPath() const;
    WString GetApplicationStringsPath() const;
    WString GetFrameworkStringsPath() const;

    // Creation. The shared null control: what creation gives when there is nothing to create.
    static const RCPtr<LControl>& NullControl() noexcept;
    // Looks up and caches the descriptor's create function (an unregistered class throws, the
    // cache staying empty) and calls it with parent; the null control when there is none.
    RCPtr<LControl>& CreateControlFromDescriptor(RCPtr<LControl>& out, const ConstRCPtr<LControlDescriptor>& descriptor,
                                                 const RCPtr<LControl>& parent);
    // A top-level control of the current skin, made visible (also for later creations) and given
    // to window; the null control when the skin holds no control of that name.
    RCPtr<LControl>& CreateControlByName(RCPtr<LControl>& out, const WString& name, const RCPtr<IRootWindow>& window);
    // A copy of source with its own name and layout; children, skin and parameters are shared.
    RCPtr<LControlDescriptor> CloneDescriptorWithName(const ConstRCPtr<LControlDescriptor>& source,
                                                      const ConstRCPtr<LLayoutDescriptor>& layout,
                                                      const WString& name) const;
    // Rebuilds control from the current skin's top-level descriptor of its name; E_FAIL for a
    // null control or a name the skin does not hold.
    KXRESULT ReapplyDescriptor(const RCPtr<LControl>& control);

    // Reads the skin document at path ("::NAME" for an embedded "KXXML" resource). E_FAIL for a
    // missing resource (nothing read) or a document that fails to parse (what was read before
    // stays); E_OUTOFMEMORY when the file's buffer cannot be had. File errors throw. Leaves the
    // current skin index at 0.
    KXRESULT LoadSkins(const WString& path);
    // Reads both string-table documents with their locale passes. A missing document is skipped
    // and XML errors are kept but do not change the result: S_OK, or E_OUTOFMEMORY.
    KXRESULT LoadStringTables(const WString& applicationPath, const WString& frameworkPath, uint32_t localeId);
    // Parses one skin document from bytes (size 0: up to the first NUL byte). S_OK, or E_FAIL
    // with the error text and line kept.
    KXRESULT ParseXMLBuffer(const void* bytes, size_t size);

    // The parser's error text and line of the last failed parse; empty and 0 before one.
    const WString& GetLastXMLErrorText() const noexcept { return m_lastErrorText; }
    int32_t GetLastXMLErrorLine() const noexcept { return m_lastErrorLine; }

    // String tables: new objects with their own copy of the entries, null when there is none.
    // Owner class name: the skin class of the control's owner, or the application name.
    ConstRCPtr<LStringTable> GetStringTable(const WString& ownerClassName, const WString& controlName) const;
    // The table of a control under owner (the application's name stands in for no owner).
    ConstRCPtr<LStringTable> GetStringTable(const LControl* owner, const WString& controlName) const;
    ConstRCPtr<LStringTable> GetApplicationStringTable() const { return m_stringTables.GetApplicationTable(); }
    ConstRCPtr<LStringTable> GetFrameworkStringTable() const { return m_stringTables.GetFrameworkTable(); }
    const StringTableSet& GetStringTables() const noexcept { return m_stringTables; }

    // The root descriptor of each skin, in document order.
    const RCPtrArray<LControlDescriptor>& GetSkins() const noexcept { return m_skins; }
    // Always within the skin list while it has skins.
    int32_t GetCurrentSkinIndex() const noexcept { return m_currentSkinIndex; }
    // E_INVALIDARG, nothing changed, for an index outside the skin list.
    KXRESULT SetCurrentSkinIndex(int32_t index) noexcept;
    // The root of the current skin; the null descriptor when there is no skin.
    ConstRCPtr<LControlDescriptor> GetCurrentSkin() const;
    // The last top-level descriptor of the current skin with that name, or the null descriptor.
    ConstRCPtr<LControlDescriptor> FindControlDescriptor(const WString& name) const;
    // The current skin's font: S_OK when it gives a face, a size of at least 1 or a style,
    // S_FALSE when none (outputs untouched where not given).
    KXRESULT GetSkinFont(WString& faceName, float& size, uint32_t& style) const;

    // The appearance registries by name; null when the name is not registered.
    ConstRCPtr<LColorizer> FindColorizer(const WString& name) const;
    ConstRCPtr<LVisualPartDescriptor> FindPart(const WString& name) const;
    ConstRCPtr<LLookDescriptor> FindLook(const WString& name) const;
    ConstRCPtr<LookList> FindLookList(const WString& name) const;
    // The face that the skin's font translations give name (name itself when none).
    WString TranslateFontName(const WString& name) const;

    // Attribute readers: false and out untouched when the attribute is absent.
    static bool GetStringAttribute(const XmlAttributes& attributes, const char* name, WString& out);
    // True exactly for "True".
    static bool GetBoolAttribute(const XmlAttributes& attributes, const char* name, bool& out);
    static bool GetFloatAttribute(const XmlAttributes& attributes, const char* name, float& out);
    // "0x" and up to four hex digits, else the leading decimal number.
    static bool GetIntAttribute(const XmlAttributes& attributes, const char* name, int32_t& out);
    // The leading decimal number (blanks and a sign allowed; 0 when none), saturated.
    static bool GetDecimalAttribute(const XmlAttributes& attributes, const char* name, int32_t& out);
    static int32_t ParseIntOrHex(const char* text) noexcept;
    static int32_t ParseDecimal(const char* text) noexcept;
    static float ParseReal(const char* text) noexcept;

    // The parser's handlers (the skin reader); the first start element of a document is skipped.
    void XMLStartElement(const char* name, const XmlAttributes& attributes);
    void XMLEndElement(const char* name);
    void XMLCharacterData(const char* text, int length);

private:
    KXRESULT LoadDocument(const WString& path, std::string& bytes, bool& found) const;
    void ResetSkinParseState();

    // The control tree (skins, fonts, controls, create parameters).
    void StartSkin(const XmlAttributes& attributes);
    void EndSkin();
    void StartFontXLat(const XmlAttributes& attributes);
    void StartSubControl(const XmlAttributes& attributes);
    void EndSubControl();
    // Gives the descriptor its layout from the SubControl's attributes.
    void ReadLayout(LControlDescriptor& descriptor, const XmlAttributes& attributes);
    // Orders the children of a SubControl by ascending LayoutOrder.
    static void SortChildrenByLayoutOrder(LControlDescriptor& descriptor);
    void StageFont(const XmlAttributes& attributes);
    void StartCreateParam(const XmlAttributes& attributes);
    void EndCreateParam();
    // The skin of the current control descriptor, writable while the document is read.
    LSkinDescriptor* CurrentSkinDescriptor() const noexcept;

    // The appearance definitions.
    void StartColorizer(const XmlAttributes& attributes);
    void StartPart(const XmlAttributes& attributes);
    void StartLook(const XmlAttributes& attributes);
    void StartClientPart(const XmlAttributes& attributes);
    void StartNonClientPart(const XmlAttributes& attributes);
    void StartTextProperties(const XmlAttributes& attributes);
    void StartLookList(const XmlAttributes& attributes);

    template <class T>
    static ConstRCPtr<T> FindIn(const std::map<WString, ConstRCPtr<T>>& map, const WString& name);

    // The skin-document reading state.
    struct StagedFont {
        WString name;
        float size = 0.0f;
        int32_t style = LSkinDescriptor::kNoFontStyle;
        bool inheritsFromParent = false;
        bool sizeIsRelative = false;
    };

    uint32_t m_localeId = 0x0009;
    WString m_documentFolder{kResourceFolder};
    RCPtrArray<LControlDescriptor> m_skins;
    int32_t m_currentSkinIndex = 0;
    std::map<WString, ControlCreateFunction> m_classes;
    // The string tables and the application name.
    StringTableSet m_stringTables;

    bool m_skipRoot = false;
    bool m_inCreateParam = false;
    bool m_createParamHasText = false;
    WString m_openParamId;
    std::string m_openParamText;
    RCPtr<LStringTable> m_openParamTable;
    RCPtr<LControlDescriptor> m_currentControl;
    int32_t m_controlDepth = 0;
    StagedFont m_stagedFont;
    int32_t m_fontLocale = -1;
    std::map<WString, WString> m_fontTranslations;

    std::map<WString, ConstRCPtr<LColorizer>> m_colorizers;
    std::map<WString, ConstRCPtr<LVisualPartDescriptor>> m_parts;
    std::map<WString, ConstRCPtr<LLookDescriptor>> m_looks;
    std::map<WString, ConstRCPtr<LookList>> m_lookLists;
    int64_t m_lookListEntries = 0;
    bool m_inLooks = false;
    RCPtr<LLookDescriptor> m_currentLook;
    RCPtr<LookList> m_currentLookList;

    WString m_lastErrorText;
    int32_t m_lastErrorLine = 0;
};

} // namespace KX
