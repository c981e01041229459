#pragma once
// The OS window's inner parts: the event sink it gives its platform window, the persistent
// premultiplied back buffer the GDI+ renderer presents through, and the OpenGL context of an
// OpenGL window for the OpenGL renderer.
#include "kx/GLRenderContextInfo.h"
#include "kx/ui/OSWindow.h"

#include "platform/gdi/Bitmap.h"
#include "platform/gdi/WindowSurface.h"
#include "platform/sdl/GlContext.h"
#include "platform/sdl/Window.h"
#include "platform/sdl/WindowEvents.h"

#include <memory>

namespace KX {

class OSWindow::Sink final : public platform::sdl::WindowEventSink {
public:
    explicit Sink(OSWindow& owner) : m_owner(owner) {}
    void OnWindowEvent(platform::sdl::Window&, const platform::sdl::WindowEvent& event) override
    {
        m_owner.OnWindowEvent(event);
    }

private:
    OSWindow& m_owner;
};

// One ARGB32 (premultiplied, Cairo) bitmap of the client size, handed to the platform window
// as its back buffer; presenting copies rectangles of it to the screen.
class OSWindow::Surface final : public gdi::WindowSurface {
public:
    explicit Surface(platform::sdl::Window& window) : m_window(window) {}
    ~Surface() override { m_window.ClearBackBuffer(); }
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;

    // A new, black buffer of that size (each side at least 1) unless the size is the same.
    gdi::Status Resize(int32_t width, int32_t height);
    gdi::Bitmap& GetBackBuffer() override { return *m_bitmap; }
    void Present(std::span<const gdi::RectI> rects) override;
    // Brings the pixels the platform window reads up to date with the drawing.
    void Sync();

private:
    platform::sdl::Window& m_window;
    std::unique_ptr<gdi::Bitmap> m_bitmap;
};

// The window's surface for the OpenGL renderer: the window's own buffers.
class LSdlGLSurface final : public LGLSurface {
public:
    explicit LSdlGLSurface(platform::sdl::Window& window) : m_window(window) {}
    void SetSize(int32_t, int32_t) override {}
    void SwapBuffers() override { platform::sdl::GlContext::Swap(m_window); }
    platform::sdl::Window& GetWindow() const noexcept { return m_window; }

private:
    platform::sdl::Window& m_window;
};

class LSdlGLContext final : public LGLContext {
public:
    // Null when the platform makes no context for the window.
    static RCPtr<LGLContext> Create(platform::sdl::Window& window);

    RCPtr<LGLSurface> CreateSurface(WindowHandle window, const RectT<int32_t>& viewport, bool offscreenOnly) override;
    bool IsDoubleBuffered() const override { return m_context->IsDoubleBuffered(); }
    bool SwapsByCopy() const override { return false; }

protected:
    bool MakeCurrent(LGLSurface& surface) override;
    void MakeNoneCurrent() override { platform::sdl::GlContext::MakeNoneCurrent(); }

private:
    LSdlGLContext(platform::sdl::Window& window, std::unique_ptr<platform::sdl::GlContext> context)
        : m_window(window), m_context(std::move(context))
    {
    }
    ~LSdlGLContext() override = default;

    platform::sdl::Window& m_window;
    std::unique_ptr<platform::sdl::GlContext> m_context;
};

} // namespace KX
