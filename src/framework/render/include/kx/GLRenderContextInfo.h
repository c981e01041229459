#pragma once
// The OpenGL side of a window: the renderer's one OpenGL context, the surfaces it draws into
// (one per render context) and the render context record of the OpenGL renderer.
//
// The platform provides contexts: a window that can give an OpenGL context of its own (the UI
// core's SDL window) implements IGLWindow; for any other window, and without a window, the
// renderer asks the offscreen context maker installed for the process (the tests install one
// drawing through OSMesa into memory).
#include "kx/Renderer.h"

#include <cstdint>

namespace KX {

class LGLContext;

// What one render context draws into: a window's buffers or a block of memory.
class LGLSurface : public virtual LRefCountedObject {
public:
    // Follows the viewport's size. A surface whose size does not change keeps its pixels; a
    // window surface may ignore the call (it follows its window).
    virtual void SetSize(int32_t width, int32_t height) = 0;
    // Shows the back buffer; called for double-buffered contexts only.
    virtual void SwapBuffers() = 0;

protected:
    ~LGLSurface() override = default;
};

// An OpenGL context. Objects made in it (textures, display lists) live as long as it does and
// are reachable from any surface it is bound to.
class LGLContext : public virtual LRefCountedObject {
public:
    // A surface for a render context of the window (null: no window). offscreenOnly surfaces
    // are never shown; a window's surface may then be memory of its own.
    virtual RCPtr<LGLSurface> CreateSurface(WindowHandle window, const RectT<int32_t>& viewport,
                                            bool offscreenOnly) = 0;
    // True when the surfaces have a back buffer that SwapBuffers shows.
    virtual bool IsDoubleBuffered() const = 0;
    // True when the back buffer keeps its pixels through a swap. (Mesa's do not: the renderer
    // then copies the back buffer to the front instead of swapping.)
    virtual bool SwapsByCopy() const = 0;
    // The platform's last error number and its text, for the error boxes.
    virtual int32_t GetLastError(WString& text) const;

    // Makes this context current on the calling thread, drawing into surface. False when the
    // platform refuses.
    bool Bind(LGLSurface& surface);
    // Makes no context current on the calling thread.
    static void Unbind();
    // The context and surface bound on the calling thread, or null.
    static LGLContext* GetBoundContext() noexcept;
    static LGLSurface* GetBoundSurface() noexcept;

    // Makes the context of a renderer whose window offers none. Installed once for the process,
    // before any renderer is made; null (the default) leaves such renderers without a context.
    using OffscreenMaker = RCPtr<LGLContext> (*)();
    static void SetOffscreenMaker(OffscreenMaker maker) noexcept;
    // A context from the installed maker, or null.
    static RCPtr<LGLContext> CreateOffscreen();

protected:
    ~LGLContext() override;

    virtual bool MakeCurrent(LGLSurface& surface) = 0;
    virtual void MakeNoneCurrent() = 0;
};

// Binds a context for a scope and restores the previous binding (or none) afterwards. Binding
// what is already bound costs nothing.
class ScopedGLBinding {
public:
    ScopedGLBinding(LGLContext* context, LGLSurface* surface);
    ~ScopedGLBinding();
    ScopedGLBinding(const ScopedGLBinding&) = delete;
    ScopedGLBinding& operator=(const ScopedGLBinding&) = delete;

    bool IsBound() const noexcept { return m_bound; }

private:
    RCPtr<LGLContext> m_previousContext;
    RCPtr<LGLSurface> m_previousSurface;
    bool m_changed = false;
    bool m_bound = false;
};

// A window that gives the OpenGL renderer a context of its own (the UI core's OS window, over
// SDL2). The renderer finds it by casting the window handle.
class IGLWindow {
public:
    virtual ~IGLWindow() = default;
    // A new context for this window; null when the system cannot make one.
    virtual RCPtr<LGLContext> CreateGLContext() = 0;
};

// The render context record of the OpenGL renderer: a surface of the renderer's context.
class LGLRenderContextInfo : public LRenderContextInfo {
public:
    // Reads the largest viewport of the context (bound for the call).
    static RCPtr<LGLRenderContextInfo> Create(const RectT<int32_t>& viewport, WindowHandle window, bool offscreenOnly,
                                              const RCPtr<LGLContext>& context, const RCPtr<LGLSurface>& surface);

    void GetMaxSurfaceSize(int32_t& width, int32_t& height) const override;
    // True while its context is bound to its surface on this thread (inside a started frame).
    bool CanDrawNow() const override;
    // Shows the back buffer, unless offscreen-only.
    void SwapBuffers();

    const RCPtr<LGLSurface>& GetSurface() const noexcept { return m_surface; }
    const RCPtr<LGLContext>& GetGLContext() const noexcept { return m_context; }

    // Offscreen-only contexts keep the pixels of their last finished frame in a texture, whose
    // rows run bottom-up (OpenGL's order): the source of DrawContextSurface and
    // ScrollContextSurface. 0 until the first frame ended. (An OpenGL texture name.)
    uint32_t GetSurfaceTexture() const noexcept { return m_surfaceTexture; }
    float GetSurfaceTextureWidth() const noexcept { return m_surfaceTextureWidth; }
    float GetSurfaceTextureHeight() const noexcept { return m_surfaceTextureHeight; }
    // Copies the viewport of the bound surface into the surface texture (context bound).
    void CaptureSurface();

protected:
    LGLRenderContextInfo(const RectT<int32_t>& viewport, WindowHandle window, bool offscreenOnly,
                         const RCPtr<LGLContext>& context, const RCPtr<LGLSurface>& surface);
    ~LGLRenderContextInfo() override;

private:
    int32_t m_maxWidth = 0;
    int32_t m_maxHeight = 0;
    RCPtr<LGLContext> m_context;
    RCPtr<LGLSurface> m_surface;
    uint32_t m_surfaceTexture = 0;
    float m_surfaceTextureWidth = 0.0f;
    float m_surfaceTextureHeight = 0.0f;
};

} // namespace KX
