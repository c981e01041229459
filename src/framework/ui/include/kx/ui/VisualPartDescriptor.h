#pragma once
// The description of one drawable skin part: an image region or a fill, its size, resize rule,
// colorizer and mask. Built while the skin is read, then shared read-only (only the cached
// drawable part is written later). Main thread only.
#include "kx/Bitmap.h"
#include "kx/Colorizer.h"
#include "kx/RefCountedObject.h"
#include "kx/StringT.h"

#include <cstdint>
#include <type_traits>

namespace KX {

class LVisualPart;

// A rectangle taken from an image file; the path is complete (document folder included).
struct ImageRegion {
    WString path;
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;

    bool IsEmpty() const noexcept { return path.IsEmpty(); }
};

class LVisualPartDescriptor : public virtual LRefCountedObject {
public:
    static constexpr uint32_t kResizeStretch = 0;
    static constexpr uint32_t kResizeTile = 1;
    static constexpr uint32_t kResizeCenter = 2;

    // With an image the size is the image region's (rounded as a size); without one it is
    // width by height.
    LVisualPartDescriptor(const WString& name, const ImageRegion& image, uint32_t resizeType,
                          const ConstRCPtr<LColorizer>& colorizer, int32_t width, int32_t height, float alphaModifier,
                          const ImageRegion& mask);
    ~LVisualPartDescriptor() override;

    const WString& GetName() const noexcept { return m_name; }
    const ImageRegion& GetImage() const noexcept { return m_image; }
    bool HasImage() const noexcept { return !m_image.IsEmpty(); }
    int32_t GetWidth() const noexcept { return m_width; }
    int32_t GetHeight() const noexcept { return m_height; }
    uint32_t GetResizeType() const noexcept { return m_resizeType; }
    // May be null.
    const ConstRCPtr<LColorizer>& GetColorizer() const noexcept { return m_colorizer; }
    float GetAlphaModifier() const noexcept { return m_alphaModifier; }
    const ImageRegion& GetMask() const noexcept { return m_mask; }

    // The drawable part built from this description on first use. The cache holds one reference;
    // the part counts it as one of its internal references. Only the part's class's declaration
    // is needed here: the setter is instantiated where the class is complete.
    LVisualPart* GetCachedVisualPart() const noexcept { return m_cachedPart; }
    template <class P = LVisualPart>
    void SetCachedVisualPart(const ConstRCPtr<P>& part) const
    {
        static_assert(std::is_same_v<P, LVisualPart>);
        m_cachedPartRef = ConstRCPtr<LRefCountedObject>(part);
        m_cachedPart = const_cast<P*>(part.Get());
    }
    void ClearCachedVisualPart() const;
    // The cached part, built on first use (VisualPart.h); null when the description names
    // neither a loadable image nor a colorizer, and then built again at the next call.
    ConstRCPtr<LVisualPart> GetVisualPart() const;

    static const ConstRCPtr<LVisualPartDescriptor>& Null() noexcept;

private:
    WString m_name;
    ImageRegion m_image;
    int32_t m_width;
    int32_t m_height;
    uint32_t m_resizeType;
    ConstRCPtr<LColorizer> m_colorizer;
    float m_alphaModifier;
    ImageRegion m_mask;
    mutable ConstRCPtr<LRefCountedObject> m_cachedPartRef;
    mutable LVisualPart* m_cachedPart = nullptr;
    // The image and mask regions once loaded: a part built again (its looks all went) finds the
    // pixels decoded, and a tinted part, which drops its region, does not unload the image.
    mutable ConstRCPtr<LBitmap> m_loadedImage;
    mutable ConstRCPtr<LBitmap> m_loadedMask;
};

} // namespace KX
