#pragma once
// One drawable rectangle of a look: an image region (plain, tinted by a colorizer, or a
// colorizer's fill cut by a mask or rendered as a gradient) or a flat colour. Draws itself into a
// destination size by its resize rule and answers the colour it shows at a point (alpha 0: nothing
// there). Built once per skin part description and shared by every look naming it. UI thread only.
#include "kx/Bitmap.h"
#include "kx/Colorizer.h"
#include "kx/Geometry.h"
#include "kx/RefCountedObject.h"
#include "kx/Region.h"
#include "kx/Renderer.h"
#include "kx/StringT.h"
#include "kx/ui/VisualPartDescriptor.h"

#include <cstdint>

namespace KX {

// The colour a look answers where it shows nothing.
inline constexpr uint32_t kNoColorAtPoint = 0x00FFFFFF;

// The bitmap of an image region: the shared bitmap of its file, cut to (x, y, width, height); a
// width or height of 0 or less takes the whole image. Null when the file cannot be loaded.
ConstRCPtr<LBitmap> LoadPartImageRegion(const ImageRegion& region);

class LVisualPart : public virtual LRefCountedObject {
public:
    // A bitmap gives the part its size. A colorizer with a bitmap, a mask or a gradient type
    // replaces the bitmap by the colorized one at the part's size. Negative sizes count as 0.
    LVisualPart(const WString& name, const ConstRCPtr<LBitmap>& bitmap, uint32_t resizeType,
                const ConstRCPtr<LColorizer>& colorizer, int32_t width, int32_t height, float alphaModifier,
                const ConstRCPtr<LBitmap>& mask);
    ~LVisualPart() override;

    // A part of the bitmap's size; null for a null bitmap.
    static RCPtr<LVisualPart> Create(const WString& name, const ConstRCPtr<LBitmap>& bitmap, uint32_t resizeType,
                                     const ConstRCPtr<LColorizer>& colorizer, float alphaModifier,
                                     const ConstRCPtr<LBitmap>& mask);
    // A part without image of the given size; null for a null colorizer.
    static RCPtr<LVisualPart> CreateFromColorizer(const WString& name, const ConstRCPtr<LColorizer>& colorizer,
                                                  int32_t width, int32_t height, uint32_t resizeType,
                                                  float alphaModifier, const ConstRCPtr<LBitmap>& mask);

    // Draws at the renderer's current origin into (0, 0, width, height); always 0. A flat part
    // whose alpha is 0 draws nothing.
    virtual int32_t Draw(const RCPtr<LRenderer>& renderer, float width, float height) const;

    // ARGB at a pixel of the part at its natural size; kNoColorAtPoint outside it.
    uint32_t GetColorAtPoint(int32_t x, int32_t y) const;
    // ARGB at a pixel of the part as drawn into the destination size.
    uint32_t GetColorAtPoint(float x, float y, float width, float height) const;

    // Links the part to the description that caches it; the cache's reference becomes one of
    // the part's internal references.
    void SetDescriptor(const ConstRCPtr<LVisualPartDescriptor>& descriptor);
    // Empties the description's cache once only it and the last outside holder keep the part.
    KXRESULT ReleaseInternalReferences() override;

    const WString& GetName() const noexcept { return m_name; }
    // Null for a flat colour.
    const ConstRCPtr<LBitmap>& GetBitmap() const noexcept { return m_bitmap; }
    int32_t GetWidth() const noexcept { return m_width; }
    int32_t GetHeight() const noexcept { return m_height; }
    uint32_t GetResizeType() const noexcept { return m_resizeType; }
    const ConstRCPtr<LColorizer>& GetColorizer() const noexcept { return m_colorizer; }
    float GetAlphaModifier() const noexcept { return m_alphaModifier; }
    const ConstRCPtr<LBitmap>& GetMask() const noexcept { return m_mask; }
    const LRegion& GetRegion() const noexcept { return m_region; }
    const ConstRCPtr<LVisualPartDescriptor>& GetDescriptor() const noexcept { return m_descriptor; }
    // The flat colour with its alpha times the alpha modifier; all zero without a colorizer.
    LColor GetFlatColor() const noexcept;

private:
    WString m_name;
    ConstRCPtr<LBitmap> m_bitmap;
    int32_t m_width = 0;
    int32_t m_height = 0;
    uint32_t m_resizeType;
    ConstRCPtr<LColorizer> m_colorizer;
    float m_alphaModifier;
    ConstRCPtr<LBitmap> m_mask;
    LRegion m_region;
    ConstRCPtr<LVisualPartDescriptor> m_descriptor;
};

} // namespace KX
