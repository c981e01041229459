// The OS window's back buffer and its OpenGL context.
#include "window/OSWindowParts.h"

#include <algorithm>
#include <vector>

namespace KX {

gdi::Status OSWindow::Surface::Resize(int32_t width, int32_t height)
{
    width = std::max(width, 1);
    height = std::max(height, 1);
    if (m_bitmap && m_bitmap->GetWidth() == width && m_bitmap->GetHeight() == height)
        return gdi::Status::Ok;
    m_window.ClearBackBuffer();
    std::unique_ptr<gdi::Bitmap> bitmap;
    gdi::Status status = gdi::Bitmap::Create(width, height, gdi::PixelFormat::PArgb32, bitmap);
    if (status != gdi::Status::Ok)
        return status;
    bitmap->SetResolution(GetDpiX(), GetDpiY());
    // The premultiplied pixels stay where they are for the bitmap's life: the platform window
    // reads them in place.
    gdi::BitmapData data;
    status = bitmap->LockBits({0, 0, width, height}, gdi::ImageLockMode::Write, gdi::PixelFormat::PArgb32, data);
    if (status != gdi::Status::Ok)
        return status;
    for (int32_t y = 0; y < height; ++y)
        std::fill_n(data.PixelAt(0, y), width, 0xFF000000u);
    platform::sdl::BackBuffer buffer;
    buffer.pixels = data.scan0;
    buffer.stride = data.stride;
    buffer.width = width;
    buffer.height = height;
    buffer.layout = platform::sdl::PixelLayout::Premultiplied;
    bitmap->UnlockBits(data);
    m_bitmap = std::move(bitmap);
    m_window.SetBackBuffer(buffer);
    return gdi::Status::Ok;
}

void OSWindow::Surface::Sync()
{
    if (!m_bitmap)
        return;
    gdi::BitmapData data;
    const gdi::RectI all{0, 0, m_bitmap->GetWidth(), m_bitmap->GetHeight()};
    if (m_bitmap->LockBits(all, gdi::ImageLockMode::Read, gdi::PixelFormat::PArgb32, data) == gdi::Status::Ok)
        m_bitmap->UnlockBits(data);
}

void OSWindow::Surface::Present(std::span<const gdi::RectI> rects)
{
    if (!m_bitmap)
        return;
    Sync();
    std::vector<platform::sdl::Rect> dirty;
    dirty.reserve(rects.size());
    for (const gdi::RectI& r : rects)
        dirty.push_back({r.x, r.y, r.width, r.height});
    m_window.Present(dirty);
}

RCPtr<LGLContext> LSdlGLContext::Create(platform::sdl::Window& window)
{
    std::string error;
    std::unique_ptr<platform::sdl::GlContext> context = platform::sdl::GlContext::Create(window, error);
    if (!context)
        return {};
    return RCPtr<LGLContext>(new LSdlGLContext(window, std::move(context)));
}

RCPtr<LGLSurface> LSdlGLContext::CreateSurface(WindowHandle window, const RectT<int32_t>&, bool)
{
    // SDL contexts draw into a window only: the one they were made for. Surfaces without a window
    // (the renderer's probe, offscreen-only contexts) use its buffers too; offscreen contexts
    // keep their frames in textures.
    auto* owner = dynamic_cast<OSWindow*>(window);
    if (window && (!owner || &owner->GetPlatformWindow() != &m_window))
        return {};
    return RCPtr<LGLSurface>(new LSdlGLSurface(m_window));
}

bool LSdlGLContext::MakeCurrent(LGLSurface& surface)
{
    auto* windowSurface = dynamic_cast<LSdlGLSurface*>(&surface);
    if (!windowSurface)
        return false;
    std::string error;
    return m_context->MakeCurrent(windowSurface->GetWindow(), error);
}

} // namespace KX
