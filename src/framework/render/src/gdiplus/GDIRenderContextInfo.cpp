#include "kx/GDIRenderContextInfo.h"

#include "platform/gdi/WindowSurface.h"

#include <algorithm>
#include <vector>

namespace KX {

// ---------------------------------------------------------------------------------------------
// Offscreen surface

RCPtr<LGDIRendererOffscreenSurface> LGDIRendererOffscreenSurface::Create(int32_t width, int32_t height,
                                                                         WindowHandle window)
{
    RCPtr<LGDIRendererOffscreenSurface> surface(new LGDIRendererOffscreenSurface(window));
    surface->Resize(width, height);
    return surface;
}

LGDIRendererOffscreenSurface::~LGDIRendererOffscreenSurface()
{
    m_graphics.reset();
    m_bitmap.reset();
}

KXRESULT LGDIRendererOffscreenSurface::Resize(int32_t width, int32_t height)
{
    m_graphics.reset();
    m_bitmap.reset();
    width = std::max(width, 1);
    height = std::max(height, 1);

    gdi::WindowSurface* windowSurface = m_window ? m_window->GetWindowSurface() : nullptr;
    std::unique_ptr<gdi::Graphics> windowGraphics;
    if (windowSurface && gdi::Graphics::FromWindow(*windowSurface, windowGraphics) == gdi::Status::Ok)
        gdi::Bitmap::CreateCompatible(width, height, *windowGraphics, m_bitmap);
    else
        gdi::Bitmap::Create(width, height, gdi::PixelFormat::PArgb32, m_bitmap);
    windowGraphics.reset();

    if (m_bitmap)
        gdi::Graphics::FromImage(*m_bitmap, m_graphics);
    return S_OK;
}

PointT<int32_t> LGDIRendererOffscreenSurface::GetSize() const noexcept
{
    if (!m_bitmap)
        return {};
    return {m_bitmap->GetWidth(), m_bitmap->GetHeight()};
}

void LGDIRendererOffscreenSurface::DrawTo(gdi::Graphics& graphics, const PointT<int32_t>& dest,
                                          const RectT<int32_t>& source) const
{
    if (!m_bitmap)
        return;
    // The status stays with the Graphics.
    graphics.DrawImage(*m_bitmap, dest.x, dest.y, source.x, source.y, source.width, source.height);
}

// ---------------------------------------------------------------------------------------------
// Render context

RCPtr<LGDIRenderContextInfo> LGDIRenderContextInfo::Create(const RectT<int32_t>& viewport, WindowHandle window,
                                                           bool offscreenOnly)
{
    return RCPtr<LGDIRenderContextInfo>(new LGDIRenderContextInfo(viewport, window, offscreenOnly));
}

LGDIRenderContextInfo::LGDIRenderContextInfo(const RectT<int32_t>& viewport, WindowHandle window, bool offscreenOnly)
    : LRenderContextInfo(viewport, window, offscreenOnly), m_deviceClip(RenderState().clip)
{
    const PointT<int32_t> size = GetViewportSize();
    m_surface = LGDIRendererOffscreenSurface::Create(size.x, size.y, window);
    m_spare = LGDIRendererOffscreenSurface::Create(size.x, size.y, window);
}

LGDIRenderContextInfo::~LGDIRenderContextInfo() = default;

void LGDIRenderContextInfo::GetMaxSurfaceSize(int32_t& width, int32_t& height) const
{
    width = 4096;
    height = 4096;
}

PointT<int32_t> LGDIRenderContextInfo::GetViewportSize() const noexcept
{
    const RectT<int32_t>& viewport = GetViewport();
    return RoundSizeToLong(static_cast<double>(viewport.width), static_cast<double>(viewport.height));
}

void LGDIRenderContextInfo::PrepareSurfaces()
{
    const PointT<int32_t> size = GetViewportSize();
    if (m_surface && m_surface->GetSize() == size && !ResolutionChanged()) {
        // A full-window invalidation starts on fresh surfaces as well.
        const LRegionNode* first = GetInvalidRegion().GetFirst();
        if (!first || first->next)
            return;
        const RectT<int32_t>& viewport = GetViewport();
        if (first->left != viewport.x || first->top != viewport.y ||
            static_cast<int64_t>(first->right) - first->left != viewport.width ||
            static_cast<int64_t>(first->bottom) - first->top != viewport.height)
            return;
    }
    if (m_surface)
        m_surface->Resize(size.x, size.y);
    if (m_spare)
        m_spare->Resize(size.x, size.y);
}

bool LGDIRenderContextInfo::ResolutionChanged() const
{
    WindowHandle window = GetWindow();
    const gdi::WindowSurface* windowSurface = window ? window->GetWindowSurface() : nullptr;
    const gdi::Bitmap* bitmap = m_surface ? m_surface->GetBitmap() : nullptr;
    return windowSurface && bitmap &&
           (windowSurface->GetDpiX() != bitmap->GetHorizontalResolution() ||
            windowSurface->GetDpiY() != bitmap->GetVerticalResolution());
}

void LGDIRenderContextInfo::PresentToWindow()
{
    if (!m_surface)
        return;
    if (gdi::Graphics* graphics = m_surface->GetGraphics())
        graphics->Flush(gdi::FlushIntention::Sync);
    if (IsOffscreenOnly())
        return;
    WindowHandle window = GetWindow();
    gdi::WindowSurface* windowSurface = window ? window->GetWindowSurface() : nullptr;
    if (!windowSurface)
        return;
    std::unique_ptr<gdi::Graphics> windowGraphics;
    if (gdi::Graphics::FromWindow(*windowSurface, windowGraphics) != gdi::Status::Ok)
        return;
    Array<RectT<int32_t>> rects;
    GetInvalidRegion().ForEachRect(rects);
    for (uint32_t i = rects.GetCount(); i-- > 0;) {
        const RectT<int32_t>& r = rects.ElementAt(i);
        m_surface->DrawTo(*windowGraphics, PointT<int32_t>{r.x, r.y}, r);
    }
    // Destroying the window Graphics presents what it drew.
    windowGraphics.reset();
}

void LGDIRenderContextInfo::SwapSurfaces() noexcept
{
    std::swap(m_surface, m_spare);
}

} // namespace KX
