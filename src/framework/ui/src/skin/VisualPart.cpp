// Visual parts: building from a description, drawing and the colour at a point.
#include "kx/ui/VisualPart.h"

#include "kx/Exception.h"
#include "kx/ui/LookDescriptor.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <stdexcept>

namespace KX {

namespace {

constexpr const char* kSource = "ControlBase\\VisualPart";
constexpr float kSizeLimit = 8388608.0f;
constexpr float kSameSizeTolerance = 1.1920929e-6f;

// Floors v, counting a value a hair below a whole number as that number.
int64_t FloorWithTolerance(float v) noexcept
{
    const double d =
        v >= 0.0f ? static_cast<double>(v + v * kFloatEpsilon) : static_cast<double>(v - (v * kFloatEpsilon + 1.0f));
    return static_cast<int64_t>(std::clamp(std::trunc(d), -9.0e15, 9.0e15));
}

int32_t ClampToInt32(int64_t v) noexcept
{
    return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

bool IsSolid(const ConstRCPtr<LColorizer>& colorizer) noexcept
{
    return colorizer && colorizer->GetType() == LColorizer::kSolidFill;
}

} // namespace

ConstRCPtr<LBitmap> LoadPartImageRegion(const ImageRegion& region)
{
    const ConstRCPtr<LBitmap> image = LBitmap::GetSharedBitmap(region.path);
    if (!image)
        return nullptr;
    return image->CreateSubBitmap(region.x, region.y, region.width, region.height);
}

LVisualPart::LVisualPart(const WString& name, const ConstRCPtr<LBitmap>& bitmap, uint32_t resizeType,
                         const ConstRCPtr<LColorizer>& colorizer, int32_t width, int32_t height, float alphaModifier,
                         const ConstRCPtr<LBitmap>& mask)
    : m_name(name), m_bitmap(bitmap), m_width(std::max(width, 0)), m_height(std::max(height, 0)),
      m_resizeType(resizeType), m_colorizer(colorizer), m_alphaModifier(alphaModifier), m_mask(mask)
{
    if (m_bitmap) {
        m_width = std::max(m_bitmap->GetWidth(), 0);
        m_height = std::max(m_bitmap->GetHeight(), 0);
    }
    if (!m_colorizer || !(m_bitmap || m_mask || !IsSolid(m_colorizer)))
        return; // a plain image or a flat colour
    // A gradient with nothing to fill stays without bitmap and draws nothing.
    if (!m_bitmap && !m_mask && (m_width == 0 || m_height == 0))
        return;
    m_bitmap = LBitmap::CreatePartBitmap(m_colorizer, m_alphaModifier, m_width, m_height, m_bitmap, m_mask);
}

LVisualPart::~LVisualPart() = default;

RCPtr<LVisualPart> LVisualPart::Create(const WString& name, const ConstRCPtr<LBitmap>& bitmap, uint32_t resizeType,
                                       const ConstRCPtr<LColorizer>& colorizer, float alphaModifier,
                                       const ConstRCPtr<LBitmap>& mask)
{
    if (!bitmap)
        return nullptr;
    return RCPtr<LVisualPart>(new LVisualPart(name, bitmap, resizeType, colorizer, bitmap->GetWidth(),
                                              bitmap->GetHeight(), alphaModifier, mask));
}

RCPtr<LVisualPart> LVisualPart::CreateFromColorizer(const WString& name, const ConstRCPtr<LColorizer>& colorizer,
                                                    int32_t width, int32_t height, uint32_t resizeType,
                                                    float alphaModifier, const ConstRCPtr<LBitmap>& mask)
{
    if (!colorizer)
        return nullptr;
    return RCPtr<LVisualPart>(
        new LVisualPart(name, nullptr, resizeType, colorizer, width, height, alphaModifier, mask));
}

LColor LVisualPart::GetFlatColor() const noexcept
{
    if (!m_colorizer)
        return LColor();
    LColor color = m_colorizer->GetColor();
    color.alpha *= m_alphaModifier;
    return color;
}

int32_t LVisualPart::Draw(const RCPtr<LRenderer>& renderer, float width, float height) const
{
    const PointT<int32_t> size = RoundSizeToLong(static_cast<double>(width), static_cast<double>(height));
    if (m_bitmap) {
        renderer->DrawBitmap(m_bitmap, RectT<int32_t>{0, 0, size.x, size.y}, static_cast<int32_t>(m_resizeType));
        return 0;
    }
    if (!m_colorizer)
        Throw<std::runtime_error>("", "KX::LVisualPart::Draw", kSource, 218);
    // A gradient left without bitmap (zero size) has nothing to show.
    if (!IsSolid(m_colorizer))
        return 0;
    const LColor color = GetFlatColor();
    if (!(color.alpha > 0.0f))
        return 0;
    RectT<int32_t> rect{0, 0, size.x, size.y};
    if (m_resizeType == LVisualPartDescriptor::kResizeCenter) {
        rect.x = ClampToInt32((static_cast<int64_t>(size.x) - m_width) / 2);
        rect.y = ClampToInt32((static_cast<int64_t>(size.y) - m_height) / 2);
        rect.width = m_width;
        rect.height = m_height;
    }
    renderer->FillRect(rect, color, true);
    return 0;
}

uint32_t LVisualPart::GetColorAtPoint(int32_t x, int32_t y) const
{
    if (x < 0 || x >= m_width || y < 0 || y >= m_height)
        return kNoColorAtPoint;
    if (m_bitmap)
        return m_bitmap->GetPixelColor(x, y).ToARGB();
    if (!m_colorizer)
        Throw<std::runtime_error>("", "KX::LVisualPart::GetColorAtPoint", kSource, 91);
    if (m_colorizer->GetType() == LColorizer::kLinearGradient)
        Throw<std::runtime_error>("", "KX::LVisualPart::GetColorAtPoint", kSource, 76);
    if (m_colorizer->GetType() != LColorizer::kSolidFill)
        Throw<std::runtime_error>("", "KX::LVisualPart::GetColorAtPoint", kSource, 81);
    return GetFlatColor().ToARGB();
}

uint32_t LVisualPart::GetColorAtPoint(float px, float py, float width, float height) const
{
    const float pw = std::clamp(static_cast<float>(m_width), -kSizeLimit, kSizeLimit);
    const float ph = std::clamp(static_cast<float>(m_height), -kSizeLimit, kSizeLimit);
    if (std::fabs(width - pw) < kSameSizeTolerance && std::fabs(height - ph) < kSameSizeTolerance)
        return GetColorAtPoint(RoundToInt32(px), RoundToInt32(py));
    // Also refuses a not-a-number point or size.
    if (!(px >= 0.0f && px < width && py >= 0.0f && py < height))
        return kNoColorAtPoint;

    switch (m_resizeType) {
    case LVisualPartDescriptor::kResizeTile: {
        const int64_t tileW = static_cast<int64_t>(pw + 0.5f);
        const int64_t tileH = static_cast<int64_t>(ph + 0.5f);
        if (tileW == 0 || tileH == 0)
            return kNoColorAtPoint;
        const int64_t x = static_cast<int64_t>(px + 0.5f) % tileW;
        const int64_t y = static_cast<int64_t>(py + 0.5f) % tileH;
        return GetColorAtPoint(static_cast<int32_t>(x), static_cast<int32_t>(y));
    }
    case LVisualPartDescriptor::kResizeCenter:
        return GetColorAtPoint(RoundToInt32(static_cast<double>(px - (width - pw) * 0.5f)),
                               RoundToInt32(static_cast<double>(py - (height - ph) * 0.5f)));
    case LVisualPartDescriptor::kResizeStretch: break;
    default: Throw<std::runtime_error>("", "KX::LVisualPart::GetColorAtPoint", kSource, 165);
    }

    const float sx = pw / width;
    const float sy = ph / height;
    if (width >= pw && height >= ph)
        return GetColorAtPoint(ClampToInt32(static_cast<int64_t>(sx * px)),
                               ClampToInt32(static_cast<int64_t>(sy * py)));

    // Shrunk: one destination pixel covers a block of part pixels; the first one that shows
    // something answers. Pixels outside the part show nothing, so the block is cut to the part.
    const float bx = static_cast<float>(FloorWithTolerance(sx * px));
    const float by = static_cast<float>(FloorWithTolerance(sy * py));
    const float bw = std::max(sx, 1.0f);
    const float bh = std::max(sy, 1.0f);
    const int64_t left = std::max<int64_t>(FloorWithTolerance(bx), 0);
    const int64_t top = std::max<int64_t>(FloorWithTolerance(by), 0);
    const int64_t right = std::min<int64_t>(FloorWithTolerance(bx + bw), m_width);
    const int64_t bottom = std::min<int64_t>(FloorWithTolerance(by + bh), m_height);
    if (left >= right || top >= bottom)
        return kNoColorAtPoint;
    // A flat colour is the same everywhere: one look answers for the block.
    if (!m_bitmap)
        return GetColorAtPoint(static_cast<int32_t>(left), static_cast<int32_t>(top));
    for (int64_t x = left; x < right; ++x) {
        for (int64_t y = top; y < bottom; ++y) {
            const uint32_t argb = GetColorAtPoint(static_cast<int32_t>(x), static_cast<int32_t>(y));
            if ((argb >> 24) != 0)
                return argb;
        }
    }
    return kNoColorAtPoint;
}

void LVisualPart::SetDescriptor(const ConstRCPtr<LVisualPartDescriptor>& descriptor)
{
    m_descriptor = descriptor;
    AddToRefCount(1);
}

KXRESULT LVisualPart::ReleaseInternalReferences()
{
    if (GetInternalRefCount() < 1)
        return S_FALSE;
    if (!m_descriptor)
        return S_OK;
    if (m_descriptor->GetCachedVisualPart() == this)
        m_descriptor->ClearCachedVisualPart();
    AddToRefCount(-1);
    return S_OK;
}

// ---- the descriptions' side ----

ConstRCPtr<LVisualPart> LVisualPartDescriptor::GetVisualPart() const
{
    if (m_cachedPart)
        return ConstRCPtr<LVisualPart>(m_cachedPart);
    if (!m_mask.path.IsEmpty()) {
        if (!m_loadedMask)
            m_loadedMask = LoadPartImageRegion(m_mask);
        // Without its mask the fill would cover the whole part: no part rather than a wrong one.
        if (!m_loadedMask)
            return nullptr;
    }
    const ConstRCPtr<LBitmap>& mask = m_loadedMask;
    RCPtr<LVisualPart> part;
    if (!m_image.path.IsEmpty()) {
        if (!m_loadedImage)
            m_loadedImage = LoadPartImageRegion(m_image);
        part = LVisualPart::Create(m_name, m_loadedImage, m_resizeType, m_colorizer, m_alphaModifier, mask);
    } else
        part = LVisualPart::CreateFromColorizer(m_name, m_colorizer, m_width, m_height, m_resizeType, m_alphaModifier,
                                                mask);
    if (!part)
        return nullptr;
    SetCachedVisualPart(ConstRCPtr<LVisualPart>(part));
    part->SetDescriptor(ConstRCPtr<LVisualPartDescriptor>(this));
    return part;
}

ConstRCPtr<LVisualPart> LDockedPart::GetVisualPart() const
{
    return m_part ? m_part->GetVisualPart() : nullptr;
}

} // namespace KX
