// The appearance definitions of the skin document: colorizers, parts, looks and look lists.
#include "kx/Color.h"
#include "kx/ui/ControlFactory.h"
#include "kx/ui/DescriptorCreation.h"

#include <cstring>

namespace KX {

namespace {

// A skin colour as r, g, b, a; all zero when the text has no colour form.
void ReadColor(const char* text, float out[4]) noexcept
{
    LColor color;
    color.FromString(text);
    out[0] = color.red;
    out[1] = color.green;
    out[2] = color.blue;
    out[3] = color.alpha;
}

} // namespace

void LControlFactory::StartColorizer(const XmlAttributes& attributes)
{
    WString name;
    WString type;
    const char* colorText = attributes.Find("Color");
    if (!GetStringAttribute(attributes, "Name", name) || !GetStringAttribute(attributes, "ColorType", type) ||
        !colorText)
        return;
    float color[4];
    ReadColor(colorText, color);
    uint32_t colorType = LColorizer::kSolidFill;
    if (type == WString(u"LinearGradient"))
        colorType = LColorizer::kLinearGradient;
    else if (type == WString(u"RadialGradient"))
        colorType = LColorizer::kRadialGradient;

    float endColor[4] = {0, 0, 0, 0};
    float points[4] = {0, 0, 0, 0};
    if (colorType != LColorizer::kSolidFill) {
        const char* endText = attributes.Find("GradientEndColor");
        static const char* const kPoints[4] = {"GradientStartX", "GradientStartY", "GradientEndX", "GradientEndY"};
        bool complete = endText != nullptr;
        for (int i = 0; complete && i < 4; ++i)
            complete = GetFloatAttribute(attributes, kPoints[i], points[i]);
        if (complete)
            ReadColor(endText, endColor);
        else
            colorType = LColorizer::kSolidFill; // the points read so far stay
    }
    RCPtr<LColorizer> colorizer;
    CreateColorizer(colorizer, name, colorType, color, endColor, points[0], points[1], points[2], points[3]);
    m_colorizers.emplace(name, colorizer);
}

void LControlFactory::StartPart(const XmlAttributes& attributes)
{
    WString name;
    int32_t width = 0;
    int32_t height = 0;
    WString resize;
    if (!GetStringAttribute(attributes, "Name", name) || !GetIntAttribute(attributes, "Width", width) ||
        !GetIntAttribute(attributes, "Height", height) || !GetStringAttribute(attributes, "ResizeType", resize))
        return;
    uint32_t resizeType = LVisualPartDescriptor::kResizeStretch;
    if (resize == WString(u"Tile"))
        resizeType = LVisualPartDescriptor::kResizeTile;
    else if (resize == WString(u"Center"))
        resizeType = LVisualPartDescriptor::kResizeCenter;

    ImageRegion image;
    WString imageFile;
    if (GetStringAttribute(attributes, "ImageFile", imageFile) && !imageFile.IsEmpty()) {
        int32_t x = 0;
        int32_t y = 0;
        if (GetIntAttribute(attributes, "ImageLocX", x) && GetIntAttribute(attributes, "ImageLocY", y))
            image = ImageRegion{m_documentFolder + imageFile.ToLower(), x, y, width, height};
    }
    WString colorizerName;
    ConstRCPtr<LColorizer> colorizer;
    if (GetStringAttribute(attributes, "ColorizerName", colorizerName))
        colorizer = FindColorizer(colorizerName);
    if (image.IsEmpty() && !colorizer)
        return;
    float alphaModifier = 1.0f;
    GetFloatAttribute(attributes, "ColorizerAlphaMod", alphaModifier);

    ImageRegion mask;
    WString maskFile;
    if (GetStringAttribute(attributes, "ColorizerMaskFile", maskFile)) {
        int32_t x = 0;
        int32_t y = 0;
        if (GetIntAttribute(attributes, "MaskLocX", x) && GetIntAttribute(attributes, "MaskLocY", y))
            mask = ImageRegion{m_documentFolder + maskFile, x, y, width, height};
    }
    RCPtr<LVisualPartDescriptor> part;
    if (!image.IsEmpty())
        CreateImagePartDescriptor(part, name, image, resizeType, colorizer, alphaModifier, mask);
    else
        CreateVisualPartDescriptor(part, name, colorizer, width, height, resizeType, alphaModifier, mask);
    if (part)
        m_parts.emplace(name, part);
}

void LControlFactory::StartLook(const XmlAttributes& attributes)
{
    if (m_inLooks) {
        // A definition; a repeated name fills a look that nothing uses.
        WString name;
        if (!GetStringAttribute(attributes, "Name", name))
            return;
        CreateLookDescriptor(m_currentLook, name);
        m_looks.emplace(name, m_currentLook);
        return;
    }
    // An entry of the current look list.
    if (!m_currentLookList)
        return;
    WString name;
    const char* indexText = attributes.Find("Index");
    if (!GetStringAttribute(attributes, "Name", name) || !indexText)
        return;
    const int32_t index = ParseDecimal(indexText);
    if (index < 0 || static_cast<uint32_t>(index) >= m_currentLookList->GetCount())
        return; // outside the list
    const ConstRCPtr<LLookDescriptor> look = FindLook(name);
    if (look)
        m_currentLookList->ElementAt(static_cast<uint32_t>(index)) =
            RCPtr<LLookDescriptor>(const_cast<LLookDescriptor*>(look.Get()));
}

void LControlFactory::StartClientPart(const XmlAttributes& attributes)
{
    WString name;
    DockSpec dock;
    if (!m_currentLook || !GetStringAttribute(attributes, "Name", name) ||
        !GetIntAttribute(attributes, "OffsetLeft", dock.left) || !GetIntAttribute(attributes, "OffsetTop", dock.top) ||
        !GetIntAttribute(attributes, "OffsetRight", dock.right) ||
        !GetIntAttribute(attributes, "OffsetBottom", dock.bottom))
        return;
    const ConstRCPtr<LVisualPartDescriptor> part = FindPart(name);
    if (!part)
        return;
    dock.givenEdges = DockSpec::kAllEdges;
    RCPtr<LDockedPart> docked;
    CreateDockedPart(docked, part, dock);
    m_currentLook->SetClientPart(docked);
}

void LControlFactory::StartNonClientPart(const XmlAttributes& attributes)
{
    WString name;
    if (!m_currentLook || m_currentLook->GetNonClientParts().GetCount() >= kMaxNonClientParts ||
        !GetStringAttribute(attributes, "Name", name))
        return;
    const ConstRCPtr<LVisualPartDescriptor> part = FindPart(name);
    if (!part)
        return;
    DockSpec dock;
    if (GetIntAttribute(attributes, "OffsetLeft", dock.left))
        dock.givenEdges |= DockSpec::kLeft;
    if (GetIntAttribute(attributes, "OffsetTop", dock.top))
        dock.givenEdges |= DockSpec::kTop;
    if (GetIntAttribute(attributes, "OffsetRight", dock.right))
        dock.givenEdges |= DockSpec::kRight;
    if (GetIntAttribute(attributes, "OffsetBottom", dock.bottom))
        dock.givenEdges |= DockSpec::kBottom;
    GetIntAttribute(attributes, "Width", dock.width);
    GetIntAttribute(attributes, "Height", dock.height);
    dock.hasWidth = dock.width > 0;
    dock.hasHeight = dock.height > 0;
    RCPtr<LDockedPart> docked;
    CreateDockedPart(docked, part, dock);
    if (m_currentLook->GetNonClientParts().AddItem(docked) < 0)
        return; // the look keeps the parts it has
}

void LControlFactory::StartTextProperties(const XmlAttributes& attributes)
{
    if (!m_currentLook)
        return;
    LookTextProperties text;
    WString foregroundName;
    if (!GetFloatAttribute(attributes, "TextLeftRel", text.leftRel) ||
        !GetIntAttribute(attributes, "TextLeftAbs", text.leftAbs) ||
        !GetFloatAttribute(attributes, "TextRightRel", text.rightRel) ||
        !GetIntAttribute(attributes, "TextRightAbs", text.rightAbs) ||
        !GetFloatAttribute(attributes, "TextHAlign", text.hAlign) ||
        !GetFloatAttribute(attributes, "TextTopRel", text.topRel) ||
        !GetIntAttribute(attributes, "TextTopAbs", text.topAbs) ||
        !GetFloatAttribute(attributes, "TextBottomRel", text.bottomRel) ||
        !GetIntAttribute(attributes, "TextBottomAbs", text.bottomAbs) ||
        !GetFloatAttribute(attributes, "TextVAlign", text.vAlign) ||
        !GetStringAttribute(attributes, "TextForegroundPart", foregroundName))
        return;
    const ConstRCPtr<LVisualPartDescriptor> foreground = FindPart(foregroundName);
    if (!foreground)
        return;
    m_currentLook->SetTextProperties(text, foreground);
}

void LControlFactory::StartLookList(const XmlAttributes& attributes)
{
    WString name;
    const char* countText = attributes.Find("NumLooks");
    if (!GetStringAttribute(attributes, "Name", name) || !countText)
        return;
    LSkinDescriptor* skin = CurrentSkinDescriptor();
    const ConstRCPtr<LookList> registered = FindLookList(name);
    if (registered) {
        if (skin)
            skin->SetLookList(registered);
        m_currentLookList = nullptr; // its entries are not written again
        return;
    }
    const int32_t count = ParseIntOrHex(countText);
    if (count < 0 || count > kMaxLookCount || count > kMaxLookListEntries - m_lookListEntries)
        return; // a negative count, or more entries than a list or the factory holds
    RCPtr<LookList> list;
    CreateLookList(list, count);
    if (!list)
        return;
    m_lookListEntries += count;
    m_currentLookList = list;
    m_lookLists.emplace(name, list);
    if (skin)
        skin->SetLookList(list);
}

} // namespace KX
