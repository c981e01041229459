#include "kx/GLRenderContextInfo.h"

#include "opengl/GLTexture.h"

#include <GL/gl.h>

#include <algorithm>
#include <atomic>
#include <type_traits>

namespace KX {

static_assert(std::is_same_v<GLuint, uint32_t>, "texture names are kept as uint32_t in the public header");

namespace {

std::atomic<LGLContext::OffscreenMaker> g_offscreenMaker{nullptr};

// What is bound on this thread. Contexts and surfaces clear themselves out when they go.
thread_local LGLContext* t_boundContext = nullptr;
thread_local LGLSurface* t_boundSurface = nullptr;

} // namespace

// ---------------------------------------------------------------------------------------------
// Context binding

LGLContext::~LGLContext()
{
    if (t_boundContext == this) {
        t_boundContext = nullptr;
        t_boundSurface = nullptr;
    }
}

int32_t LGLContext::GetLastError(WString& text) const
{
    text = WString();
    return 0;
}

bool LGLContext::Bind(LGLSurface& surface)
{
    if (!MakeCurrent(surface)) {
        t_boundContext = nullptr;
        t_boundSurface = nullptr;
        return false;
    }
    t_boundContext = this;
    t_boundSurface = &surface;
    return true;
}

void LGLContext::Unbind()
{
    LGLContext* context = t_boundContext;
    t_boundContext = nullptr;
    t_boundSurface = nullptr;
    if (context)
        context->MakeNoneCurrent();
}

void LGLContext::SetOffscreenMaker(OffscreenMaker maker) noexcept
{
    g_offscreenMaker.store(maker);
}

RCPtr<LGLContext> LGLContext::CreateOffscreen()
{
    const OffscreenMaker maker = g_offscreenMaker.load();
    return maker ? maker() : RCPtr<LGLContext>();
}

LGLContext* LGLContext::GetBoundContext() noexcept
{
    return t_boundContext;
}

LGLSurface* LGLContext::GetBoundSurface() noexcept
{
    return t_boundSurface;
}

ScopedGLBinding::ScopedGLBinding(LGLContext* context, LGLSurface* surface)
    : m_previousContext(LGLContext::GetBoundContext()), m_previousSurface(LGLContext::GetBoundSurface())
{
    if (!context || !surface)
        return;
    if (context == m_previousContext.Get() && surface == m_previousSurface.Get()) {
        m_bound = true;
        return;
    }
    m_changed = true;
    m_bound = context->Bind(*surface);
}

ScopedGLBinding::~ScopedGLBinding()
{
    if (!m_changed)
        return;
    if (m_previousContext && m_previousSurface)
        m_previousContext->Bind(*m_previousSurface);
    else
        LGLContext::Unbind();
}

// ---------------------------------------------------------------------------------------------
// Render context record

LGLRenderContextInfo::LGLRenderContextInfo(const RectT<int32_t>& viewport, WindowHandle window, bool offscreenOnly,
                                           const RCPtr<LGLContext>& context, const RCPtr<LGLSurface>& surface)
    : LRenderContextInfo(viewport, window, offscreenOnly), m_context(context), m_surface(surface)
{
}

LGLRenderContextInfo::~LGLRenderContextInfo()
{
    if (m_surfaceTexture != 0 && m_context && m_surface) {
        const ScopedGLBinding binding(m_context.Get(), m_surface.Get());
        if (binding.IsBound() && glIsTexture(m_surfaceTexture))
            glDeleteTextures(1, &m_surfaceTexture);
    }
}

RCPtr<LGLRenderContextInfo> LGLRenderContextInfo::Create(const RectT<int32_t>& viewport, WindowHandle window,
                                                         bool offscreenOnly, const RCPtr<LGLContext>& context,
                                                         const RCPtr<LGLSurface>& surface)
{
    RCPtr<LGLRenderContextInfo> info(new LGLRenderContextInfo(viewport, window, offscreenOnly, context, surface));
    if (context && surface) {
        const ScopedGLBinding binding(context.Get(), surface.Get());
        if (binding.IsBound()) {
            GLint dims[2] = {0, 0};
            glGetIntegerv(GL_MAX_VIEWPORT_DIMS, dims);
            info->m_maxWidth = dims[0];
            info->m_maxHeight = dims[1];
        }
    }
    return info;
}

void LGLRenderContextInfo::GetMaxSurfaceSize(int32_t& width, int32_t& height) const
{
    width = m_maxWidth;
    height = m_maxHeight;
}

bool LGLRenderContextInfo::CanDrawNow() const
{
    return m_context && m_surface && LGLContext::GetBoundContext() == m_context.Get() &&
           LGLContext::GetBoundSurface() == m_surface.Get();
}

void LGLRenderContextInfo::SwapBuffers()
{
    if (!IsOffscreenOnly() && m_surface)
        m_surface->SwapBuffers();
}

void LGLRenderContextInfo::CaptureSurface()
{
    const RectT<int32_t>& viewport = GetViewport();
    if (viewport.width <= 0 || viewport.height <= 0)
        return;
    if (m_surfaceTexture == 0 || !glIsTexture(m_surfaceTexture)) {
        m_surfaceTexture = 0;
        glGenTextures(1, &m_surfaceTexture);
        m_surfaceTextureWidth = m_surfaceTextureHeight = 0.0f;
        if (m_surfaceTexture == 0)
            return;
    }
    glBindTexture(GL_TEXTURE_2D, m_surfaceTexture);
    const int32_t width = NextPowerOfTwo(viewport.width);
    const int32_t height = NextPowerOfTwo(viewport.height);
    if (static_cast<float>(width) != m_surfaceTextureWidth || static_cast<float>(height) != m_surfaceTextureHeight) {
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
        m_surfaceTextureWidth = static_cast<float>(width);
        m_surfaceTextureHeight = static_cast<float>(height);
    }
    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, viewport.x, viewport.y, std::min(viewport.width, width),
                        std::min(viewport.height, height));
    glBindTexture(GL_TEXTURE_2D, 0);
    DrainGLErrors();
}

} // namespace KX
