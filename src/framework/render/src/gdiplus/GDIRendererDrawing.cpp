#include "kx/GDIRenderer.h"

#include "kx/Font.h"
#include "kx/GDITextMeasurer.h"

#include "platform/gdi/Brush.h"

#include <algorithm>
#include <string_view>

namespace KX {

namespace {

std::u16string_view View(const WString& text)
{
    return std::u16string_view(text.GetString(), text.GetLength());
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Text and rectangles

void LGDIRenderer::DrawText(const WString& text, const ConstRCPtr<LFont>& font, const PointT<int32_t>& position,
                            const LColor& color)
{
    gdi::Graphics* graphics = TargetGraphics();
    if (!graphics || !font || text.IsEmpty())
        return;
    gdi::Font gdiFont;
    if (LGDITextMeasurer::MakeFont(font->GetFaceName(), font->GetSize() * m_textScale, font->GetStyle(),
                                   gdi::Unit::Point, gdiFont) != gdi::Status::Ok)
        return;
    const gdi::SolidBrush brush(color.ToARGB());
    const gdi::RectF layout{static_cast<float>(position.x), static_cast<float>(static_cast<int64_t>(position.y) - 1),
                            0.0f, 0.0f};
    graphics->DrawString(View(text), gdiFont, layout, nullptr, brush);
}

void LGDIRenderer::DrawRect(const RectT<int32_t>& rect, const LColor& color, float lineWidth)
{
    if (gdi::Graphics* graphics = TargetGraphics()) {
        const gdi::Pen pen(color.ToARGB(), lineWidth);
        graphics->DrawRectangle(pen, rect.x, rect.y, rect.width, rect.height);
    }
}

void LGDIRenderer::FillRect(const RectT<int32_t>& rect, const LColor& color, bool blend)
{
    gdi::Graphics* graphics = TargetGraphics();
    if (!graphics)
        return;
    if (blend) {
        const gdi::SolidBrush brush(color.ToARGB());
        graphics->FillRectangle(brush, rect.x, rect.y, rect.width, rect.height);
        return;
    }
    // The surface's pixels are set to exactly the ARGB value, alpha included, in surface
    // coordinates: neither origin nor clip applies.
    gdi::Bitmap* bitmap = m_target->GetBitmap();
    if (!bitmap)
        return;
    const int64_t x0 = std::max<int64_t>(rect.x, 0);
    const int64_t y0 = std::max<int64_t>(rect.y, 0);
    const int64_t x1 = std::min<int64_t>(static_cast<int64_t>(rect.x) + rect.width, bitmap->GetWidth());
    const int64_t y1 = std::min<int64_t>(static_cast<int64_t>(rect.y) + rect.height, bitmap->GetHeight());
    if (x1 <= x0 || y1 <= y0)
        return;
    const gdi::RectI area{static_cast<int32_t>(x0), static_cast<int32_t>(y0), static_cast<int32_t>(x1 - x0),
                          static_cast<int32_t>(y1 - y0)};
    bitmap->SetPixels(area, color.ToARGB());
}

void LGDIRenderer::DrawFilledRect(const RectT<int32_t>& rect, const LColor& fill, const LColor& line, float lineWidth)
{
    if (fill.alpha > 0.0f)
        FillRect(rect, fill, true);
    if (line.alpha > 0.0f)
        DrawRect(rect, line, lineWidth);
}

void LGDIRenderer::DrawColorRectList(const ColorRectListT<float>& list, const PointT<double>& offset, bool)
{
    if (!TargetGraphics())
        return;
    const RenderState& state = m_target->GetCurrentState();
    const PointT<double> origin{state.originX, state.originY};
    OffsetOrigin(offset);
    const float scaleX = list.GetScaleX();
    const float scaleY = list.GetScaleY();
    for (uint32_t i = list.GetCount(); i-- > 0;) {
        const auto& item = list.GetItem(i);
        const RectT<int32_t> rect{RoundToInt32(item.rect.x * scaleX), RoundToInt32(item.rect.y * scaleY),
                                  RoundToInt32(item.rect.width * scaleX), RoundToInt32(item.rect.height * scaleY)};
        FillRect(rect, LColor::MakeFromARGB(item.argb), true);
    }
    OffsetOrigin(PointT<double>{-offset.x, -offset.y});
    // Back to exactly where it was (the sum above may round).
    if (m_target &&
        (m_target->GetCurrentState().originX != origin.x || m_target->GetCurrentState().originY != origin.y))
        OffsetOrigin(PointT<double>{origin.x - m_target->GetCurrentState().originX,
                                    origin.y - m_target->GetCurrentState().originY});
}

void LGDIRenderer::DrawLine(const PointT<float>& from, const PointT<float>& to, const LColor& color, float width)
{
    if (gdi::Graphics* graphics = TargetGraphics()) {
        const gdi::Pen pen(color.ToARGB(), width);
        graphics->DrawLine(pen, from.x, from.y, to.x, to.y);
    }
}

} // namespace KX
