// glWindowPos2i is OpenGL 1.4.
#define GL_GLEXT_PROTOTYPES 1

#include "OSMesaContext.h"

#include <GL/osmesa.h>

#include <algorithm>
#include <map>
#include <mutex>
#include <utility>

namespace KX {

namespace {

// OSMesa keeps one drawing buffer per size, shared by every context and every block of memory
// of that size; the memory only receives a copy when drawing finishes. So when a surface is
// bound after another one of its size was drawn, its own pixels go back into that buffer first.
struct SharedBuffers {
    std::mutex lock;
    std::map<std::pair<int32_t, int32_t>, const LOSMesaSurface*> lastBound;
};

SharedBuffers& TheSharedBuffers()
{
    static SharedBuffers* buffers = new SharedBuffers();
    return *buffers;
}

// Claims the size's buffer for surface; true when it held another surface's pixels.
bool ClaimBuffer(const LOSMesaSurface& surface)
{
    SharedBuffers& buffers = TheSharedBuffers();
    const std::lock_guard<std::mutex> guard(buffers.lock);
    const LOSMesaSurface*& last = buffers.lastBound[{surface.GetWidth(), surface.GetHeight()}];
    const bool other = last != &surface;
    last = &surface;
    return other;
}

void ForgetSurface(const LOSMesaSurface& surface, int32_t width, int32_t height)
{
    SharedBuffers& buffers = TheSharedBuffers();
    const std::lock_guard<std::mutex> guard(buffers.lock);
    auto it = buffers.lastBound.find({width, height});
    if (it != buffers.lastBound.end() && it->second == &surface)
        buffers.lastBound.erase(it);
}

// Writes the surface's memory into the bound buffer, leaving every GL state as it was.
void RestorePixels(const LOSMesaSurface& surface)
{
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glDisable(GL_BLEND);
    glDisable(GL_ALPHA_TEST);
    glDisable(GL_SCISSOR_TEST);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_DITHER);
    glDisable(GL_COLOR_LOGIC_OP);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_STENCIL_TEST);
    glDisable(GL_FOG);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    // Memory rows run top-down, OpenGL's bottom-up.
    glPixelZoom(1.0f, -1.0f);
    glWindowPos2i(0, surface.GetHeight());
    glDrawPixels(surface.GetWidth(), surface.GetHeight(), GL_BGRA, GL_UNSIGNED_BYTE, surface.GetPixels());
    glPopClientAttrib();
    glPopAttrib();
    while (glGetError() != GL_NO_ERROR) {
    }
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Surface

LOSMesaSurface::LOSMesaSurface(int32_t width, int32_t height)
    : m_width(std::max(width, 1)), m_height(std::max(height, 1)),
      m_pixels(static_cast<size_t>(m_width) * static_cast<size_t>(m_height), 0u)
{
}

LOSMesaSurface::~LOSMesaSurface()
{
    if (LGLContext::GetBoundSurface() == this)
        LGLContext::Unbind();
    ForgetSurface(*this, m_width, m_height);
}

RCPtr<LOSMesaSurface> LOSMesaSurface::Create(int32_t width, int32_t height)
{
    return RCPtr<LOSMesaSurface>(new LOSMesaSurface(width, height));
}

void LOSMesaSurface::SetSize(int32_t width, int32_t height)
{
    width = std::max(width, 1);
    height = std::max(height, 1);
    if (width == m_width && height == m_height)
        return;
    LGLContext* bound = LGLContext::GetBoundSurface() == this ? LGLContext::GetBoundContext() : nullptr;
    if (bound)
        LGLContext::Unbind();
    ForgetSurface(*this, m_width, m_height);
    m_width = width;
    m_height = height;
    m_pixels.assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0u);
    if (bound)
        bound->Bind(*this);
}

uint32_t LOSMesaSurface::GetPixel(int32_t x, int32_t y) const noexcept
{
    if (x < 0 || y < 0 || x >= m_width || y >= m_height)
        return 0;
    return m_pixels[static_cast<size_t>(y) * static_cast<size_t>(m_width) + static_cast<size_t>(x)];
}

// ---------------------------------------------------------------------------------------------
// Context

void UseOSMesaOffscreen() noexcept
{
    LGLContext::SetOffscreenMaker([]() { return RCPtr<LGLContext>(LOSMesaContext::Create().Get()); });
}

RCPtr<LOSMesaContext> LOSMesaContext::Create()
{
    OSMesaContext context = OSMesaCreateContextExt(OSMESA_BGRA, 0, 0, 0, nullptr);
    if (!context)
        return RCPtr<LOSMesaContext>();
    return RCPtr<LOSMesaContext>(new LOSMesaContext(context));
}

LOSMesaContext::~LOSMesaContext()
{
    if (GetBoundContext() == this)
        Unbind();
    OSMesaDestroyContext(static_cast<OSMesaContext>(m_context));
}

RCPtr<LGLSurface> LOSMesaContext::CreateSurface(WindowHandle, const RectT<int32_t>& viewport, bool)
{
    return RCPtr<LGLSurface>(LOSMesaSurface::Create(viewport.width, viewport.height).Get());
}

bool LOSMesaContext::MakeCurrent(LGLSurface& target)
{
    auto* surface = dynamic_cast<LOSMesaSurface*>(&target);
    if (!surface)
        return false;
    // What was drawn into the surface bound so far reaches its memory.
    if (OSMesaGetCurrentContext())
        glFinish();
    if (!OSMesaMakeCurrent(static_cast<OSMesaContext>(m_context), surface->GetPixels(), GL_UNSIGNED_BYTE,
                           surface->GetWidth(), surface->GetHeight()))
        return false;
    OSMesaPixelStore(OSMESA_Y_UP, 0);
    if (ClaimBuffer(*surface))
        RestorePixels(*surface);
    return true;
}

void LOSMesaContext::MakeNoneCurrent()
{
    if (OSMesaGetCurrentContext())
        glFinish();
    OSMesaMakeCurrent(nullptr, nullptr, 0, 0, 0);
}

} // namespace KX
