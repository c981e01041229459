// The control tree of the skin document: skins, font translations, SubControls and their
// create parameters.
#include "kx/Exception.h"
#include "kx/ui/ControlFactory.h"
#include "kx/ui/DescriptorCreation.h"

namespace KX {

namespace {

constexpr const char* kSourcePath = "ControlBase\\ControlFactory";
constexpr const char16_t* kRootClassName = u"Application";

} // namespace

LSkinDescriptor* LControlFactory::CurrentSkinDescriptor() const noexcept
{
    if (!m_currentControl)
        return nullptr;
    return const_cast<LSkinDescriptor*>(m_currentControl->GetSkin().Get());
}

void LControlFactory::StartSkin(const XmlAttributes& attributes)
{
    WString name;
    GetStringAttribute(attributes, "Name", name); // a skin without a name gets an empty one
    RCPtr<LSkinDescriptor> skin;
    CreateSkinDescriptor(skin, name);

    if (m_currentControl) {
        // The appearance of the SubControl being read.
        skin->SetFontName(TranslateFontName(m_stagedFont.name));
        skin->SetFontSize(m_stagedFont.size);
        skin->SetFontStyle(m_stagedFont.style);
        skin->SetFontInheritsFromParent(m_stagedFont.inheritsFromParent);
        skin->SetFontSizeIsRelative(m_stagedFont.sizeIsRelative);
        WString lookList;
        if (GetStringAttribute(attributes, "LookList", lookList))
            skin->SetLookList(FindLookList(lookList));
        m_currentControl->SetSkin(skin);
        return;
    }

    // A skin of the document: a new root.
    if (m_skins.GetCount() >= kMaxSkins)
        KX_THROW(std::runtime_error, "too many skins", "KX::LControlFactory::XMLStartElement", kSourcePath, 0);
    RCPtr<LControlDescriptor> root;
    CreateControlDescriptor(root, WString(kRootClassName), GetApplicationName(), nullptr);
    const int32_t index = m_skins.AddItem(root);
    if (index < 0)
        KX_THROW(std::runtime_error, "cannot add a skin", "KX::LControlFactory::XMLStartElement", kSourcePath, 0);
    m_currentSkinIndex = static_cast<int32_t>(m_skins.GetCount()) - 1;
    m_currentControl = root;

    WString fontName;
    float fontSize = 0.0f;
    int32_t fontStyle = LSkinDescriptor::kNoFontStyle;
    GetStringAttribute(attributes, "FontName", fontName);
    GetFloatAttribute(attributes, "FontSize", fontSize);
    GetIntAttribute(attributes, "FontStyle", fontStyle);
    skin->SetFontName(fontName);
    skin->SetFontSize(fontSize);
    skin->SetFontStyle(fontStyle);
    m_fontTranslations.clear();
    root->SetSkin(skin);
}

void LControlFactory::EndSkin()
{
    if (!m_currentControl || m_currentSkinIndex < 0 || static_cast<uint32_t>(m_currentSkinIndex) >= m_skins.GetCount())
        return;
    if (m_skins.ElementAt(static_cast<uint32_t>(m_currentSkinIndex)).Get() == m_currentControl.Get())
        m_currentControl = nullptr;
}

void LControlFactory::StartFontXLat(const XmlAttributes& attributes)
{
    // Only translations for the user interface's locale count, and only inside a skin.
    if (!m_currentControl || m_fontLocale < 0 || static_cast<uint32_t>(m_fontLocale) != m_localeId)
        return;
    WString name;
    WString translation;
    GetStringAttribute(attributes, "Name", name);
    GetStringAttribute(attributes, "XLat", translation);
    if (!m_fontTranslations.emplace(name, translation).second)
        return; // the first translation of a face stays
    if (LSkinDescriptor* skin = CurrentSkinDescriptor()) {
        if (skin->GetFontName() == name)
            skin->SetFontName(translation);
    }
}

void LControlFactory::StartSubControl(const XmlAttributes& attributes)
{
    WString className;
    WString name;
    if (!GetStringAttribute(attributes, "Class", className) || !GetStringAttribute(attributes, "Name", name))
        KX_THROW(std::runtime_error, "Bad Subcontrol Element", "KX::LControlFactory::XMLStartElement", kSourcePath,
                 1089);
    if (!m_currentControl)
        KX_THROW(std::runtime_error, "SubControl outside a skin", "KX::LControlFactory::XMLStartElement", kSourcePath,
                 1089);
    int32_t depth = 0;
    for (const LControlDescriptor* p = m_currentControl.Get(); p; p = p->GetParent())
        ++depth;
    if (depth > kMaxControlDepth)
        KX_THROW(std::runtime_error, "SubControls nested too deeply", "KX::LControlFactory::XMLStartElement",
                 kSourcePath, 1089);
    if (m_currentControl->GetChildren().GetCount() >= kMaxChildren)
        KX_THROW(std::runtime_error, "too many SubControls in one control", "KX::LControlFactory::XMLStartElement",
                 kSourcePath, 1089);

    RCPtr<LControlDescriptor> descriptor;
    CreateControlDescriptor(descriptor, className, name, m_currentControl);
    if (m_currentControl->AddChild(descriptor) < 0)
        KX_THROW(std::runtime_error, "cannot add a SubControl", "KX::LControlFactory::XMLStartElement", kSourcePath,
                 1089);
    m_currentControl = descriptor;
    ReadLayout(*descriptor, attributes);
    StageFont(attributes);
}

void LControlFactory::StageFont(const XmlAttributes& attributes)
{
    m_stagedFont = StagedFont();
    GetBoolAttribute(attributes, "FontInheritsFromParent", m_stagedFont.inheritsFromParent);
    GetBoolAttribute(attributes, "FontSizeIsRelative", m_stagedFont.sizeIsRelative);
    GetStringAttribute(attributes, "FontName", m_stagedFont.name);
    if (!GetFloatAttribute(attributes, "FontSize", m_stagedFont.size))
        m_stagedFont.sizeIsRelative = false; // a relative size needs a size
    GetIntAttribute(attributes, "FontStyle", m_stagedFont.style);
}

void LControlFactory::EndSubControl()
{
    if (!m_currentControl)
        return;
    SortChildrenByLayoutOrder(*m_currentControl);
    m_currentControl = RCPtr<LControlDescriptor>(const_cast<LControlDescriptor*>(m_currentControl->GetParent()));
}

void LControlFactory::StartCreateParam(const XmlAttributes& attributes)
{
    if (!GetStringAttribute(attributes, "ID", m_openParamId))
        return;
    m_inCreateParam = true;
    m_createParamHasText = false;
    m_openParamText.clear();
}

void LControlFactory::EndCreateParam()
{
    if (m_inCreateParam && m_createParamHasText && m_openParamTable)
        m_openParamTable->SetString(m_openParamId, WString(m_openParamText.c_str())); // an empty ID is refused
    m_inCreateParam = false;
    m_createParamHasText = false;
    m_openParamText.clear();
}

} // namespace KX
