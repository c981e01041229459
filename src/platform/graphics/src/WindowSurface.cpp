#include "platform/gdi/WindowSurface.h"

#include "platform/gdi/Graphics.h"

#include <cmath>

namespace gdi {

Status WindowSurface::SetDpi(float dpiX, float dpiY)
{
    if (!(dpiX > 0) || !(dpiY > 0) || !std::isfinite(dpiX) || !std::isfinite(dpiY))
        return Status::InvalidParameter;
    m_dpiX = dpiX;
    m_dpiY = dpiY;
    return Status::Ok;
}

Status OffscreenWindowSurface::Create(int32_t width, int32_t height, std::unique_ptr<OffscreenWindowSurface>& out,
                                      float dpi)
{
    out.reset();
    std::unique_ptr<OffscreenWindowSurface> window(new OffscreenWindowSurface());
    if (Status s = window->SetDpi(dpi, dpi); s != Status::Ok)
        return s;
    if (Status s = window->Resize(width, height); s != Status::Ok)
        return s;
    out = std::move(window);
    return Status::Ok;
}

Status OffscreenWindowSurface::Resize(int32_t width, int32_t height)
{
    std::unique_ptr<Bitmap> buffer;
    if (Status s = Bitmap::Create(width, height, PixelFormat::PArgb32, buffer); s != Status::Ok)
        return s;
    std::unique_ptr<Graphics> graphics;
    if (Status s = Graphics::FromImage(*buffer, graphics); s != Status::Ok)
        return s;
    graphics->Clear(0xFF000000);
    graphics.reset();
    m_buffer = std::move(buffer);
    return Status::Ok;
}

void OffscreenWindowSurface::Present(std::span<const RectI> rects)
{
    m_presentations.emplace_back(rects.begin(), rects.end());
}

ARGB OffscreenWindowSurface::GetPixel(int32_t x, int32_t y) const
{
    ARGB value = 0;
    m_buffer->GetPixel(x, y, value);
    return value;
}

} // namespace gdi
