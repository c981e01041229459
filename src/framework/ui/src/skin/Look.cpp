// Looks: layout of the parts and the label box, the three drawing steps and the colour at a point.
#include "kx/ui/Look.h"

#include "kx/DebugTrace.h"

#include <algorithm>
#include <cmath>

namespace KX {

namespace {

constexpr double kTargetLimit = 4503599627370496.0;
constexpr float kSizeLimit = 8388608.0f;

int32_t Saturate(int64_t v) noexcept
{
    return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

int32_t TruncToInt32(double v) noexcept
{
    if (!(v == v))
        return 0;
    return static_cast<int32_t>(std::clamp(std::trunc(v), -2147483648.0, 2147483647.0));
}

float ClampToFloatSize(double v) noexcept
{
    return static_cast<float>(std::clamp(v, static_cast<double>(-kSizeLimit), static_cast<double>(kSizeLimit)));
}

RectT<double> ToDouble(const RectT<int32_t>& r) noexcept
{
    return RectT<double>{static_cast<double>(r.x), static_cast<double>(r.y), static_cast<double>(r.width),
                         static_cast<double>(r.height)};
}

bool IsSolidColorizer(const ConstRCPtr<LColorizer>& colorizer) noexcept
{
    return colorizer && colorizer->GetType() == LColorizer::kSolidFill;
}

bool HasAlpha(uint32_t argb) noexcept
{
    return (argb >> 24) != 0;
}

} // namespace

RCPtr<LLook> LLook::Create(const ConstRCPtr<LLookDescriptor>& descriptor, bool wordWrap)
{
    RCPtr<LLook> look(new LLook());
    look->SetDescriptor(descriptor, wordWrap);
    return look;
}

LLook::~LLook() = default;

KXRESULT LLook::SetDescriptor(const ConstRCPtr<LLookDescriptor>& descriptor, bool wordWrap)
{
    m_descriptor = descriptor;
    m_textForegroundPart = nullptr;
    if (descriptor && descriptor->GetTextForegroundPart())
        m_textForegroundPart = descriptor->GetTextForegroundPart()->GetVisualPart();

    if (!descriptor || !descriptor->HasTextProperties()) {
        m_fontText = nullptr;
    } else {
        if (!m_fontText)
            m_fontText = LFontText::Create(WString(), nullptr);
        const LookTextProperties& text = descriptor->GetTextProperties();
        m_fontText->SetWordWrap(wordWrap);
        m_fontText->SetHorizontalAlignment(text.hAlign);
        m_fontText->SetVerticalAlignment(text.vAlign);
    }

    m_clientPart = nullptr;
    if (descriptor && descriptor->GetClientPart())
        m_clientPart = descriptor->GetClientPart()->GetVisualPart();

    // The parts of the old description go; the layout below fills in the new ones.
    const uint32_t count = descriptor ? descriptor->GetNonClientParts().GetCount() : 0;
    m_partRects.SetSize(0);
    m_parts.SetSize(0);
    m_partRects.SetSize(count);
    m_parts.SetSize(count);
    m_partsStale = false;

    m_changed = true;
    const PointT<int32_t> size = m_size;
    m_size = PointT<int32_t>{};
    SetSize(size.x, size.y);
    return S_OK;
}

bool LLook::SetSize(int32_t width, int32_t height)
{
    const int64_t w = std::max(width, 0);
    const int64_t h = std::max(height, 0);
    if (m_size.x == w && m_size.y == h)
        return true;
    m_size = PointT<int32_t>{static_cast<int32_t>(w), static_cast<int32_t>(h)};

    DockSpec client;
    if (m_descriptor && m_descriptor->GetClientPart())
        client = m_descriptor->GetClientPart()->GetDock();
    const int64_t x = std::clamp<int64_t>(client.left, 0, w);
    const int64_t y = std::clamp<int64_t>(client.top, 0, h);
    m_clientRect = RectT<int32_t>{static_cast<int32_t>(x), static_cast<int32_t>(y),
                                  static_cast<int32_t>(std::clamp<int64_t>(w + client.right - x, 0, w - x)),
                                  static_cast<int32_t>(std::clamp<int64_t>(h + client.bottom - y, 0, h - y))};

    // The edge and corner parts are placed when next read (drawing, hit colour, the getters).
    m_partsStale = m_parts.GetCount() != 0;

    if (m_fontText) {
        const LookTextProperties& t = m_descriptor->GetTextProperties();
        const float fw = static_cast<float>(w);
        const float fh = static_cast<float>(h);
        const float left = static_cast<float>(t.leftAbs) + t.leftRel * fw;
        const float right = static_cast<float>(t.rightAbs) + t.rightRel * fw;
        const float top = static_cast<float>(t.topAbs) + t.topRel * fh;
        const float bottom = static_cast<float>(t.bottomAbs) + t.bottomRel * fh;
        PointT<int32_t> box = RoundSizeToLong(static_cast<double>(right - left), static_cast<double>(bottom - top));
        // Insets wider than the look leave an empty box, never a negative one.
        box.x = std::max(box.x, 0);
        box.y = std::max(box.y, 0);
        // Only what depends on the box is laid out again: wrapped lines for a new width, places.
        m_fontText->SetLayoutSize(box.x, box.y);
        m_textPosition = PointT<int32_t>{TruncToInt32(left), TruncToInt32(top)};
    }

    m_savedClientRect = m_clientRect;
    m_changed = true;
    m_stencil = nullptr;
    return true;
}

void LLook::PlacePartsNow() const
{
    m_partsStale = false;
    const uint32_t count = m_parts.GetCount();
    for (uint32_t i = 0; i < count; ++i) {
        const ConstRCPtr<LDockedPart>& docked = m_descriptor->GetNonClientParts().ElementAt(i);
        m_partRects.ElementAt(i) = docked ? DockedPartRect(*docked) : RectT<int32_t>{};
        ConstRCPtr<LVisualPart> part = docked ? docked->GetVisualPart() : nullptr;
        if (m_parts.ElementAt(i).Get() != part.Get())
            m_parts.ElementAt(i) = part;
    }
}

RectT<int32_t> LLook::DockedPartRect(const LDockedPart& docked) const
{
    const DockSpec& dock = docked.GetDock();
    const bool hasLeft = (dock.givenEdges & DockSpec::kLeft) != 0;
    const bool hasTop = (dock.givenEdges & DockSpec::kTop) != 0;
    const bool hasRight = (dock.givenEdges & DockSpec::kRight) != 0;
    const bool hasBottom = (dock.givenEdges & DockSpec::kBottom) != 0;
    const int64_t w = m_size.x;
    const int64_t h = m_size.y;
    const ConstRCPtr<LVisualPartDescriptor>& part = docked.GetPart();
    const int64_t partW = dock.hasWidth ? dock.width : (part ? part->GetWidth() : 0);
    const int64_t partH = dock.hasHeight ? dock.height : (part ? part->GetHeight() : 0);

    int64_t left = hasLeft ? dock.left : 0;
    int64_t top = hasTop ? dock.top : 0;
    int64_t right = hasRight ? w + dock.right : w;
    int64_t bottom = hasBottom ? h + dock.bottom : h;
    if (!hasLeft)
        left = right - partW;
    if (!hasTop)
        top = bottom - partH;
    if (!hasRight)
        right = left + partW;
    if (!hasBottom)
        bottom = top + partH;
    if (!hasLeft && !hasRight) {
        left = (w - partW) / 2;
        right = left + partW;
    }
    if (!hasTop && !hasBottom) {
        top = (h - partH) / 2;
        bottom = top + partH;
    }
    return RectT<int32_t>{Saturate(left), Saturate(top), Saturate(right - left), Saturate(bottom - top)};
}

template <class DrawFn>
void LLook::WalkRegion(const RCPtr<LRenderer>& renderer, const LRegion& region, const RectT<double>& target,
                       DrawFn draw) const
{
    RenderState state;
    if (const LRenderContextInfo* context = renderer ? renderer->GetCurrentContext() : nullptr)
        state = context->GetCurrentState();
    const LRegion* walked = &region;
    LRegion limited;
    if (!m_region.IsEmpty()) {
        limited = m_region;
        limited.Offset(TruncToInt32(state.originX), TruncToInt32(state.originY));
        limited.Intersect(region);
        limited.Optimize();
        walked = &limited;
    }
    const RectT<double> clampedTarget{
        std::clamp(target.x, -kTargetLimit, kTargetLimit), std::clamp(target.y, -kTargetLimit, kTargetLimit),
        std::clamp(target.width, -kTargetLimit, kTargetLimit), std::clamp(target.height, -kTargetLimit, kTargetLimit)};
    for (const LRegionNode* node = walked->GetFirst(); node; node = node->next) {
        const RectT<double> rect{static_cast<double>(node->left) - state.originX,
                                 static_cast<double>(node->top) - state.originY,
                                 static_cast<double>(node->right) - static_cast<double>(node->left),
                                 static_cast<double>(node->bottom) - static_cast<double>(node->top)};
        RectT<double> overlap;
        RectT<double> visible;
        if (!IntersectRects(rect, clampedTarget, overlap) || !IntersectRects(overlap, state.clip, visible))
            continue;
        draw(overlap);
    }
}

bool LLook::GetClientPartRect(RectT<double>& out) const
{
    if (!m_descriptor || !m_descriptor->GetClientPart())
        return false;
    out = ToDouble(m_clientRect);
    return true;
}

void LLook::DrawNonClientParts(const RCPtr<LRenderer>& renderer, const LRegion& region)
{
    PlaceParts();
    const uint32_t count = m_parts.GetCount();
    for (uint32_t i = 0; i < count; ++i) {
        const ConstRCPtr<LVisualPart>& part = m_parts.ElementAt(i);
        if (!part)
            continue;
        const RectT<double> rect = ToDouble(m_partRects.ElementAt(i));
        WalkRegion(renderer, region, rect, [&](const RectT<double>& overlap) {
            CAutoClip clip(renderer, rect, overlap, nullptr, true);
            part->Draw(renderer, ClampToFloatSize(rect.width), ClampToFloatSize(rect.height));
        });
    }
}

void LLook::DrawClientArea(const RCPtr<LRenderer>& renderer, const LRegion& region)
{
    const RectT<double> rect = ToDouble(m_clientRect);
    const float w = ClampToFloatSize(rect.width);
    const float h = ClampToFloatSize(rect.height);
    WalkRegion(renderer, region, rect, [&](const RectT<double>& overlap) {
        CAutoClip clip(renderer, rect, overlap, m_stencil, true);
        if (m_clientPart && (!m_imagePart || !m_imageReplacesClientPart))
            m_clientPart->Draw(renderer, w, h);
        if (m_imagePart)
            m_imagePart->Draw(renderer, w, h);
    });
}

bool LLook::GetOpaqueRect(RectT<int32_t>& out) const
{
    // Only a flat opaque client part filling the whole client rectangle, nothing cutting it.
    const LVisualPart* part = m_clientPart.Get();
    if (!part || m_imagePart || m_stencil || !m_region.IsEmpty() || part->GetBitmap() || part->GetMask() ||
        !IsSolidColorizer(part->GetColorizer()) || part->GetResizeType() == LVisualPartDescriptor::kResizeCenter ||
        !(part->GetFlatColor().alpha >= 1.0f) || m_clientRect.width <= 0 || m_clientRect.height <= 0)
        return false;
    out = m_clientRect;
    return true;
}

void LLook::DrawLabelText(const RCPtr<LRenderer>& renderer, const LRegion& region, PointT<double> offset)
{
    if (!m_fontText)
        return;
    const RectT<double> box{static_cast<double>(m_textPosition.x), static_cast<double>(m_textPosition.y),
                            static_cast<double>(m_fontText->GetLayoutWidth()),
                            static_cast<double>(m_fontText->GetLayoutHeight())};
    const RectT<double> whole{0.0, 0.0, static_cast<double>(m_size.x), static_cast<double>(m_size.y)};
    const ConstRCPtr<LVisualPart>& part = m_textForegroundPart;
    if (!part)
        return;
    // Only a flat colour fills text: a label with another fill is left out, reported once.
    const ConstRCPtr<LColorizer>& colorizer = part->GetColorizer();
    const char* unsupported = part->GetBitmap()                                             ? "Bitmap fill"
                              : colorizer && colorizer->GetType() != LColorizer::kSolidFill ? "Gradient fill"
                                                                                            : nullptr;
    if (unsupported) {
        if (!m_unsupportedFillReported) {
            m_unsupportedFillReported = true;
            DebugOut() << "Look " << (m_descriptor ? m_descriptor->GetName().ToNarrow().GetString() : "")
                       << ": label skipped: " << unsupported << " for text foreground part not yet implemented."
                       << std::endl;
        }
        return;
    }
    if (!colorizer)
        return;
    WalkRegion(renderer, region, box, [&](const RectT<double>& overlap) {
        CAutoClip clip(renderer, whole, overlap, m_stencil, true);
        CAutoClip textClip(renderer, box, box, nullptr, true);
        // The fill's own colour, so that a part of no size still colours the label.
        const LColor color = LColor::MakeFromARGB(part->GetFlatColor().ToARGB());
        const uint32_t rects = m_fontText->GetLineCount(); // lays the text out first
        const uint32_t lines = std::min(rects, m_fontText->GetLines().GetCount());
        for (uint32_t i = 0; i < lines; ++i) {
            const RectT<float>& line = m_fontText->GetLineRectArray().ElementAt(i);
            const PointT<int32_t> point{RoundToInt32(static_cast<double>(line.x) - offset.x),
                                        RoundToInt32(static_cast<double>(line.y) - offset.y)};
            renderer->DrawText(m_fontText->GetLines().ElementAt(i), m_fontText->GetFont(), point, color);
        }
    });
}

uint32_t LLook::GetColorAtPoint(int32_t x, int32_t y) const
{
    uint32_t color = kNoColorAtPoint;
    PlaceParts();
    const uint32_t count = m_parts.GetCount();
    for (uint32_t i = 0; i < count && !HasAlpha(color); ++i) {
        const ConstRCPtr<LVisualPart>& part = m_parts.ElementAt(i);
        if (!part)
            continue;
        const RectT<int32_t>& rect = m_partRects.ElementAt(i);
        color = part->GetColorAtPoint(ClampToFloatSize(static_cast<double>(x) - rect.x),
                                      ClampToFloatSize(static_cast<double>(y) - rect.y), ClampToFloatSize(rect.width),
                                      ClampToFloatSize(rect.height));
    }
    if (HasAlpha(color))
        return color;
    const float qx = ClampToFloatSize(static_cast<double>(x) - m_clientRect.x);
    const float qy = ClampToFloatSize(static_cast<double>(y) - m_clientRect.y);
    const float w = ClampToFloatSize(m_clientRect.width);
    const float h = ClampToFloatSize(m_clientRect.height);
    if (m_imagePart)
        color = m_imagePart->GetColorAtPoint(qx, qy, w, h);
    if (!HasAlpha(color) && m_clientPart)
        color = m_clientPart->GetColorAtPoint(qx, qy, w, h);
    return color;
}

KXRESULT LLook::SetText(const WString& text)
{
    if (!m_fontText)
        return S_FALSE;
    return m_fontText->SetText(text) ? S_FALSE : S_OK;
}

KXRESULT LLook::SetFont(const ConstRCPtr<LFont>& font)
{
    if (!m_fontText)
        return S_FALSE;
    return m_fontText->SetFont(font) ? S_FALSE : S_OK;
}

KXRESULT LLook::SetImage(const ConstRCPtr<LBitmap>& bitmap, uint32_t resizeType, bool replacesClientPart)
{
    if (!bitmap) {
        if (!m_imagePart)
            return S_FALSE;
        m_imagePart = nullptr;
        return S_OK;
    }
    m_imagePart = LVisualPart::Create(WString(), bitmap, resizeType, nullptr, 1.0f, nullptr);
    m_imageReplacesClientPart = replacesClientPart;
    return S_OK;
}

} // namespace KX
