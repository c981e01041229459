#pragma once
// The render context of the GDI+ renderer: two offscreen surfaces of the viewport's size (the
// current one is drawn on, the spare one is swapped in by scrolling) and the presentation of
// the invalid rectangles to the window.
#include "kx/Renderer.h"

#include "platform/gdi/Bitmap.h"
#include "platform/gdi/Graphics.h"

#include <memory>

namespace KX {

// One offscreen drawing surface: a bitmap and a Graphics on it.
class LGDIRendererOffscreenSurface : public virtual LRefCountedObject {
public:
    // A surface of at least 1 x 1, suited to the window's surface when there is one.
    static RCPtr<LGDIRendererOffscreenSurface> Create(int32_t width, int32_t height, WindowHandle window);

    // Null when the surface could not be made.
    gdi::Graphics* GetGraphics() const noexcept { return m_graphics.get(); }
    gdi::Bitmap* GetBitmap() const noexcept { return m_bitmap.get(); }
    WindowHandle GetWindow() const noexcept { return m_window; }

    // Remakes bitmap and Graphics at the size (each side at least 1). Returns 0.
    KXRESULT Resize(int32_t width, int32_t height);
    // The bitmap's size; (0, 0) without one.
    PointT<int32_t> GetSize() const noexcept;
    // Copies the source rectangle of this surface to the destination point of the Graphics;
    // a failure is kept as that Graphics' last status.
    void DrawTo(gdi::Graphics& graphics, const PointT<int32_t>& dest, const RectT<int32_t>& source) const;

protected:
    explicit LGDIRendererOffscreenSurface(WindowHandle window) noexcept : m_window(window) {}
    ~LGDIRendererOffscreenSurface() override;

private:
    WindowHandle m_window;
    std::unique_ptr<gdi::Graphics> m_graphics;
    std::unique_ptr<gdi::Bitmap> m_bitmap;
};

class LGDIRenderContextInfo : public LRenderContextInfo {
public:
    static RCPtr<LGDIRenderContextInfo> Create(const RectT<int32_t>& viewport, WindowHandle window, bool offscreenOnly);

    // 4096 x 4096.
    void GetMaxSurfaceSize(int32_t& width, int32_t& height) const override;
    // True when the current surface has its Graphics.
    bool CanDrawNow() const override { return GetGraphics() != nullptr; }

    const RCPtr<LGDIRendererOffscreenSurface>& GetSurface() const noexcept { return m_surface; }
    const RCPtr<LGDIRendererOffscreenSurface>& GetSpareSurface() const noexcept { return m_spare; }
    // The current surface's Graphics and bitmap; null when it has none.
    gdi::Graphics* GetGraphics() const noexcept { return m_surface ? m_surface->GetGraphics() : nullptr; }
    gdi::Bitmap* GetBitmap() const noexcept { return m_surface ? m_surface->GetBitmap() : nullptr; }

    // Remakes both surfaces at the viewport's size when the size or the window's resolution
    // changed, or the invalid region is exactly the whole viewport.
    void PrepareSurfaces();
    // Flushes the current surface and, unless offscreen-only, copies the invalid rectangles
    // of it to the window (the last rectangle first).
    void PresentToWindow();
    void SwapSurfaces() noexcept;

    // The clip last given to the Graphics, in target pixels (the renderer keeps it, so a
    // remade or swapped-in surface gets the same clip).
    const RectT<double>& GetDeviceClip() const noexcept { return m_deviceClip; }
    void SetDeviceClip(const RectT<double>& clip) noexcept { m_deviceClip = clip; }

protected:
    LGDIRenderContextInfo(const RectT<int32_t>& viewport, WindowHandle window, bool offscreenOnly);
    ~LGDIRenderContextInfo() override;

private:
    // Whether the window's resolution is no longer the surfaces'.
    bool ResolutionChanged() const;
    // The viewport's size, rounded as a size.
    PointT<int32_t> GetViewportSize() const noexcept;

    RCPtr<LGDIRendererOffscreenSurface> m_surface;
    RCPtr<LGDIRendererOffscreenSurface> m_spare;
    RectT<double> m_deviceClip;
};

} // namespace KX
