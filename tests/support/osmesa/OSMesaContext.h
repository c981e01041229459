#pragma once
// OpenGL in memory through OSMesa, for tests and benchmarks only (no product program links
// libOSMesa): the context the OpenGL renderer uses when its window offers none, once
// UseOSMesaOffscreen installed it. Single-buffered; each surface is a block of 32-bit pixels, rows top-down,
// each pixel straight ARGB as OpenGL wrote it (blue in the lowest byte).
#include "kx/GLRenderContextInfo.h"

#include <cstdint>
#include <vector>

namespace KX {

class LOSMesaSurface : public LGLSurface {
public:
    static RCPtr<LOSMesaSurface> Create(int32_t width, int32_t height);

    // Remakes the pixels (cleared) when the size changes; each side at least 1.
    void SetSize(int32_t width, int32_t height) override;
    void SwapBuffers() override {}

    int32_t GetWidth() const noexcept { return m_width; }
    int32_t GetHeight() const noexcept { return m_height; }
    // Pixel (x, y) from the top-left corner; 0 outside. Read it after the frame ended (the
    // context finishes its drawing when it is unbound).
    uint32_t GetPixel(int32_t x, int32_t y) const noexcept;
    const uint32_t* GetPixels() const noexcept { return m_pixels.data(); }
    uint32_t* GetPixels() noexcept { return m_pixels.data(); }

protected:
    LOSMesaSurface(int32_t width, int32_t height);
    ~LOSMesaSurface() override;

private:
    int32_t m_width = 1;
    int32_t m_height = 1;
    std::vector<uint32_t> m_pixels;
};

class LOSMesaContext : public LGLContext {
public:
    // Null when OSMesa cannot make a context.
    static RCPtr<LOSMesaContext> Create();

    // Memory of the viewport's size; the window is not used.
    RCPtr<LGLSurface> CreateSurface(WindowHandle window, const RectT<int32_t>& viewport, bool offscreenOnly) override;
    bool IsDoubleBuffered() const override { return false; }
    bool SwapsByCopy() const override { return false; }

protected:
    explicit LOSMesaContext(void* context) noexcept : m_context(context) {}
    ~LOSMesaContext() override;

    bool MakeCurrent(LGLSurface& surface) override;
    // Finishes the drawing, so the surface's pixels can be read.
    void MakeNoneCurrent() override;

private:
    void* m_context; // OSMesaContext
};

// Installs OSMesa as the process's offscreen context maker (LGLContext::SetOffscreenMaker).
void UseOSMesaOffscreen() noexcept;

} // namespace KX
