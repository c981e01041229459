// The creation operations of the skin reader.
#include "kx/ui/DescriptorCreation.h"

namespace KX {

RCPtr<LControlDescriptor>& CreateControlDescriptor(RCPtr<LControlDescriptor>& out, const WString& className,
                                                   const WString& name, const ConstRCPtr<LControlDescriptor>& parent)
{
    out = RCPtr<LControlDescriptor>(new LControlDescriptor(className, name, parent));
    return out;
}

RCPtr<LSkinDescriptor>& CreateSkinDescriptor(RCPtr<LSkinDescriptor>& out, const WString& name)
{
    out = RCPtr<LSkinDescriptor>(new LSkinDescriptor(name));
    return out;
}

RCPtr<LLookDescriptor>& CreateLookDescriptor(RCPtr<LLookDescriptor>& out, const WString& name)
{
    out = RCPtr<LLookDescriptor>(new LLookDescriptor(name));
    return out;
}

RCPtr<LookList>& CreateLookList(RCPtr<LookList>& out, int32_t count)
{
    if (count < 0 || count > kMaxLookListCount)
        out = nullptr;
    else
        out = RCPtr<LookList>(new LookList(static_cast<uint32_t>(count)));
    return out;
}

RCPtr<LDockedPart>& CreateDockedPart(RCPtr<LDockedPart>& out, const ConstRCPtr<LVisualPartDescriptor>& part,
                                     const DockSpec& dock)
{
    out = RCPtr<LDockedPart>(new LDockedPart(part, dock));
    return out;
}

RCPtr<LColorizer>& CreateColorizer(RCPtr<LColorizer>& out, const WString& name, uint32_t type, const float color[4],
                                   const float endColor[4], float startX, float startY, float endX, float endY)
{
    out = RCPtr<LColorizer>(new LColorizer(name, type, color, endColor, startX, startY, endX, endY));
    return out;
}

RCPtr<LVisualPartDescriptor>& CreateImagePartDescriptor(RCPtr<LVisualPartDescriptor>& out, const WString& name,
                                                        const ImageRegion& image, uint32_t resizeType,
                                                        const ConstRCPtr<LColorizer>& colorizer, float alphaModifier,
                                                        const ImageRegion& mask)
{
    if (image.IsEmpty())
        out = nullptr;
    else
        out = RCPtr<LVisualPartDescriptor>(new LVisualPartDescriptor(name, image, resizeType, colorizer, image.width,
                                                                     image.height, alphaModifier, mask));
    return out;
}

RCPtr<LVisualPartDescriptor>& CreateVisualPartDescriptor(RCPtr<LVisualPartDescriptor>& out, const WString& name,
                                                         const ConstRCPtr<LColorizer>& colorizer, int32_t width,
                                                         int32_t height, uint32_t resizeType, float alphaModifier,
                                                         const ImageRegion& mask)
{
    if (!colorizer)
        out = nullptr;
    else
        out = RCPtr<LVisualPartDescriptor>(
            new LVisualPartDescriptor(name, ImageRegion(), resizeType, colorizer, width, height, alphaModifier, mask));
    return out;
}

} // namespace KX
