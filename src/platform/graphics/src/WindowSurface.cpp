#include "platform/gdi/WindowSurface.h"

#include "platform/gdi/Graphics.h"

namespace gdi {

Status OffscreenWindowSurface::Create(int32_t width, int32_t height, std::unique_ptr<OffscreenWindowSurface>& out,
                                      float dpi)
{
    out.reset();
    if (!(dpi > 0))
        return Status::InvalidParameter;
    std::unique_ptr<OffscreenWindowSurface> window(new OffscreenWindowSurface(dpi));
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
