// The description of one drawable skin part.
#include "kx/ui/VisualPartDescriptor.h"

#include "kx/Geometry.h"

namespace KX {

LVisualPartDescriptor::LVisualPartDescriptor(const WString& name, const ImageRegion& image, uint32_t resizeType,
                                             const ConstRCPtr<LColorizer>& colorizer, int32_t width, int32_t height,
                                             float alphaModifier, const ImageRegion& mask)
    : m_name(name), m_image(image), m_width(width), m_height(height), m_resizeType(resizeType), m_colorizer(colorizer),
      m_alphaModifier(alphaModifier), m_mask(mask)
{
    if (!m_image.IsEmpty()) {
        const PointT<int32_t> size =
            RoundSizeToLong(static_cast<double>(image.width), static_cast<double>(image.height));
        m_width = size.x;
        m_height = size.y;
    }
}

LVisualPartDescriptor::~LVisualPartDescriptor() = default;

void LVisualPartDescriptor::ClearCachedVisualPart() const
{
    m_cachedPart = nullptr;
    m_cachedPartRef = nullptr;
}

const ConstRCPtr<LVisualPartDescriptor>& LVisualPartDescriptor::Null() noexcept
{
    static const ConstRCPtr<LVisualPartDescriptor> null;
    return null;
}

} // namespace KX
