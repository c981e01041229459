#pragma once
// The creation operations the skin reader builds its descriptors with; each stores a new object
// (one reference held) in out, or null where stated, and returns out.
#include "kx/Colorizer.h"
#include "kx/ui/ControlDescriptor.h"
#include "kx/ui/LookDescriptor.h"
#include "kx/ui/SkinDescriptor.h"
#include "kx/ui/VisualPartDescriptor.h"

#include <cstdint>

namespace KX {

// The largest look list: the skin's integer-or-hex syntax reads at most four hex digits.
inline constexpr int32_t kMaxLookListCount = 0xFFFF;

RCPtr<LControlDescriptor>& CreateControlDescriptor(RCPtr<LControlDescriptor>& out, const WString& className,
                                                   const WString& name, const ConstRCPtr<LControlDescriptor>& parent);
RCPtr<LSkinDescriptor>& CreateSkinDescriptor(RCPtr<LSkinDescriptor>& out, const WString& name);
RCPtr<LLookDescriptor>& CreateLookDescriptor(RCPtr<LLookDescriptor>& out, const WString& name);
// count null entries; null for a negative count or one above kMaxLookListCount.
RCPtr<LookList>& CreateLookList(RCPtr<LookList>& out, int32_t count);
RCPtr<LDockedPart>& CreateDockedPart(RCPtr<LDockedPart>& out, const ConstRCPtr<LVisualPartDescriptor>& part,
                                     const DockSpec& dock);
RCPtr<LColorizer>& CreateColorizer(RCPtr<LColorizer>& out, const WString& name, uint32_t type, const float color[4],
                                   const float endColor[4], float startX, float startY, float endX, float endY);
// Null when the image path is empty; the part's size is the image region's.
RCPtr<LVisualPartDescriptor>& CreateImagePartDescriptor(RCPtr<LVisualPartDescriptor>& out, const WString& name,
                                                        const ImageRegion& image, uint32_t resizeType,
                                                        const ConstRCPtr<LColorizer>& colorizer, float alphaModifier,
                                                        const ImageRegion& mask);
// Null when the colorizer is null; the part has no image and the size passed.
RCPtr<LVisualPartDescriptor>& CreateVisualPartDescriptor(RCPtr<LVisualPartDescriptor>& out, const WString& name,
                                                         const ConstRCPtr<LColorizer>& colorizer, int32_t width,
                                                         int32_t height, uint32_t resizeType, float alphaModifier,
                                                         const ImageRegion& mask);

} // namespace KX
