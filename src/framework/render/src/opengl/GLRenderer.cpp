#include "opengl/GLRenderer.h"

#include "fonts/FreetypeFontRenderer.h"
#include "kx/AppServices.h"
#include "kx/Exception.h"
#include "kx/RenderHost.h"
#include "opengl/GLGlyphRenderer.h"
#include "opengl/GLRendererInternal.h"

#include <GL/glu.h>

#include <algorithm>
#include <cmath>

namespace KX {

namespace {

constexpr uint32_t kIconExclamation = 0x30;

} // namespace

// ---------------------------------------------------------------------------------------------
// Construction

LGLRenderer::LGLRenderer(const RCPtr<LFontRenderer>& fontRenderer, WindowHandle window)
    : m_fontRenderer(fontRenderer), m_window(window)
{
    Construct(RCPtr<LGLContext>());
}

LGLRenderer::LGLRenderer(const RCPtr<LFontRenderer>& fontRenderer, WindowHandle window,
                         const RCPtr<LGLContext>& context)
    : m_fontRenderer(fontRenderer), m_window(window)
{
    Construct(context);
}

RCPtr<LRenderer> LGLRenderer::CreateWithFreetype(WindowHandle window)
{
    const RCPtr<LGlyphProcessor> glyphs(new LGLGlyphRenderer());
    const RCPtr<LFontRenderer> fonts(new LFreetypeFontRenderer(glyphs));
    return RCPtr<LRenderer>(new LGLRenderer(fonts, window));
}

void LGLRenderer::Construct(const RCPtr<LGLContext>& given)
{
    m_lastPurgeTime = GetTickTime();
    m_errorCaption = LookupAppString(WString(u"GL_ERROR_CAPTION"));
    m_errorHint = LookupAppString(WString(u"GL_ERROR_UPDATE_DRIVER"));

    RCPtr<LGLContext> context = given;
    if (!context) {
        if (auto* glWindow = dynamic_cast<IGLWindow*>(m_window))
            context = glWindow->CreateGLContext();
        else
            context = LGLContext::CreateOffscreen();
    }
    if (!context) {
        ShowErrorBox(u"GL_ERROR_MESSAGE_CREATE_CONTEXT");
        Throw<std::runtime_error>("", "KX::LGLRenderer::LGLRenderer", kSource, 171);
    }
    // The surface set-up and teardown bind to while no frame runs.
    RCPtr<LGLSurface> probe = context->CreateSurface(nullptr, RectT<int32_t>{0, 0, 1, 1}, true);
    if (!probe)
        Throw<std::runtime_error>("", "KX::LGLRenderer::LGLRenderer", kSource, 150);
    {
        const ScopedGLBinding binding(context.Get(), probe.Get());
        if (!binding.IsBound()) {
            ShowMakeCurrentErrorBox(*context);
            Throw<std::runtime_error>("", "KX::LGLRenderer::LGLRenderer", kSource, 180);
        }
    }
    m_context = context;
    m_probe = probe;
    m_doubleBuffered = context->IsDoubleBuffered();
    m_swapCopies = context->SwapsByCopy();
}

LGLRenderer::~LGLRenderer()
{
    if (m_context && m_probe) {
        // Textures and lists go while their context is bound.
        const ScopedGLBinding binding(m_context.Get(), m_probe.Get());
        m_textures.ReleaseAll();
        for (LGLDisplayListCache* cache : m_listCaches)
            cache->ReleaseAll();
        if (m_fontRenderer) {
            if (auto* glyphs = dynamic_cast<LGLGlyphRenderer*>(m_fontRenderer->GetGlyphProcessor().Get()))
                glyphs->GetFontCache().ReleaseAll();
        }
        m_fontRenderer = nullptr;
    }
    if (LGLContext::GetBoundContext() == m_context.Get())
        LGLContext::Unbind();
    m_probe = nullptr;
    m_context = nullptr;
}

void LGLRenderer::ShowErrorBox(const char16_t* messageKey) const
{
    WString text = LookupAppString(WString(messageKey));
    text += m_errorHint;
    ShowAppMessageBox(text, m_errorCaption, kIconExclamation);
}

void LGLRenderer::ShowMakeCurrentErrorBox(const LGLContext& context) const
{
    WString system;
    const int32_t error = context.GetLastError(system);
    WString format = LookupAppString(WString(u"GL_ERROR_MESSAGE_MAKE_CONTEXT_CURRENT"));
    format += m_errorHint;
    WString text;
    text.SetFormatted(format.GetString(), error, system.GetString());
    ShowAppMessageBox(text, m_errorCaption, kIconExclamation);
}

int32_t LGLRenderer::GetRendererType() const
{
    return kRendererOpenGL;
}
// ---------------------------------------------------------------------------------------------
// Contexts and frames

KXRESULT LGLRenderer::InitRenderContextInfo(const RectT<int32_t>& viewport, WindowHandle window, bool offscreenOnly,
                                            RCPtr<LRenderContextInfo>& out)
{
    RCPtr<LGLSurface> surface = m_context->CreateSurface(window, viewport, offscreenOnly);
    if (!surface) {
        out = nullptr;
        ShowErrorBox(u"GL_ERROR_MESSAGE_SET_PIXEL_FORMAT");
        Throw<std::runtime_error>("", "KX::LGLRenderer::InitRenderContextInfo", kSource, 334);
    }
    RCPtr<LGLRenderContextInfo> info =
        LGLRenderContextInfo::Create(viewport, window, offscreenOnly, m_context, surface);
    const ScopedGLBinding binding(m_context.Get(), surface.Get());
    if (!binding.IsBound()) {
        out = nullptr;
        ShowMakeCurrentErrorBox(*m_context);
        Throw<std::runtime_error>("", "KX::LGLRenderer::InitRenderContextInfo", kSource, 340);
    }
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glDisable(GL_LIGHTING);
    glDisable(GL_DITHER);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glDisable(GL_POLYGON_SMOOTH);
    glShadeModel(GL_SMOOTH);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glEnable(GL_ALPHA_TEST);
    glEnable(GL_POINT_SMOOTH);
    glEnable(GL_LINE_SMOOTH);
    glEnable(GL_SCISSOR_TEST);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glHint(GL_LINE_SMOOTH_HINT, GL_NICEST);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glHint(GL_POLYGON_SMOOTH_HINT, GL_NICEST);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glAlphaFunc(GL_GREATER, 0.003921569f);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    DrainGLErrors();
    out = RCPtr<LRenderContextInfo>(info.Get());
    return S_OK;
}

LGLRenderContextInfo* LGLRenderer::CurrentGLContext() const noexcept
{
    return dynamic_cast<LGLRenderContextInfo*>(GetCurrentContext());
}

bool LGLRenderer::CanDraw() const noexcept
{
    return m_context && LGLContext::GetBoundContext() == m_context.Get() && CurrentGLContext() != nullptr;
}

KXRESULT LGLRenderer::SetViewport(const RectT<int32_t>& viewport)
{
    LRenderer::SetViewport(viewport);
    if (!CanDraw())
        return S_OK;
    glViewport(viewport.x, viewport.y, viewport.width, viewport.height);
    GLint actual[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, actual);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0.0, actual[2], actual[3], 0.0, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    return S_OK;
}

void LGLRenderer::ApplyCurrentOrigin() const
{
    const RenderState& state = CurrentGLContext()->GetCurrentState();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    if (state.originX != 0.0 || state.originY != 0.0)
        glTranslatef(static_cast<float>(state.originX), static_cast<float>(state.originY), 0.0f);
}

KXRESULT LGLRenderer::RenderStart(const ConstRCPtr<LRenderContextInfo>& context)
{
    LRenderer::RenderStart(context);
    auto* info = dynamic_cast<LGLRenderContextInfo*>(const_cast<LRenderContextInfo*>(context.Get()));
    if (!info || !info->GetSurface() || info->GetGLContext() != m_context)
        return S_OK;
    const RectT<int32_t>& viewport = info->GetViewport();
    info->GetSurface()->SetSize(viewport.width, viewport.height);
    if (!m_context->Bind(*info->GetSurface())) {
        ShowMakeCurrentErrorBox(*m_context);
        return E_FAIL;
    }
    SetViewport(viewport);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    // The context's state persists between frames: its origin and clip apply from the start.
    ApplyCurrentOrigin();
    ApplyCurrentClip();
    return S_OK;
}

void LGLRenderer::CopyBackToFront(const RectT<int32_t>& viewport)
{
    glPushAttrib(GL_COLOR_BUFFER_BIT | GL_PIXEL_MODE_BIT | GL_CURRENT_BIT | GL_ENABLE_BIT | GL_SCISSOR_BIT);
    glDisable(GL_SCISSOR_TEST);
    glDisable(GL_ALPHA_TEST);
    glDisable(GL_TEXTURE_2D);
    glReadBuffer(GL_BACK);
    glDrawBuffer(GL_FRONT);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    gluOrtho2D(0.0, viewport.width, 0.0, viewport.height);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glRasterPos2i(0, 0);
    glEnable(GL_COLOR_LOGIC_OP);
    glLogicOp(GL_COPY);
    glCopyPixels(0, 0, viewport.width, viewport.height, GL_COLOR);
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glPopAttrib();
}

KXRESULT LGLRenderer::RenderFinish(const ConstRCPtr<LRenderContextInfo>& context)
{
    const ConstRCPtrArray<LRenderContextInfo>& stack = GetContextStack();
    const uint32_t count = stack.GetCount();
    // A mismatch throws from the base before anything is presented.
    if (count != 0 && stack.ElementAt(count - 1) == context && CanDraw()) {
        auto* info = CurrentGLContext();
        DrainGLErrors();
        glMatrixMode(GL_MODELVIEW);
        glPopMatrix();
        if (!info->IsOffscreenOnly()) {
            if (!m_doubleBuffered) {
                glFlush();
            } else if (m_swapCopies) {
                info->SwapBuffers();
            } else {
                glFlush();
                CopyBackToFront(info->GetViewport());
            }
        } else {
            glFlush();
            info->CaptureSurface();
        }
        DrainGLErrors();
        LGLContext::Unbind();
    }
    LRenderer::RenderFinish(context);

    if (GetContextStack().GetCount() != 0) {
        // Back to the frame below: its surface, viewport, origin and clip.
        LGLRenderContextInfo* below = CurrentGLContext();
        if (below && below->GetSurface() && below->GetGLContext() == m_context &&
            m_context->Bind(*below->GetSurface())) {
            SetViewport(below->GetViewport());
            ApplyCurrentOrigin();
            ApplyCurrentClip();
        }
        return S_OK;
    }
    const uint32_t now = GetTickTime();
    if (now - m_lastPurgeTime > kPurgeInterval) {
        PurgeCaches();
        m_lastPurgeTime = now;
    }
    return S_OK;
}

void LGLRenderer::PurgeCaches()
{
    // Dropped textures and lists are deleted in their context.
    const ScopedGLBinding binding(m_context.Get(), m_probe.Get());
    m_textures.Purge();
    for (LGLDisplayListCache* cache : m_listCaches)
        cache->Purge();
}

// ---------------------------------------------------------------------------------------------
// State

void LGLRenderer::ApplyScissor(double x, double y, double width, double height) const
{
    const RectT<int32_t>& viewport = CurrentGLContext()->GetViewport();
    // Negative corners are folded into the size while still in doubles, and the size is cut
    // at the viewport, so that a clip of "everything" does not saturate into nothing.
    double sx = x;
    double sy = static_cast<double>(viewport.height) - (y + height);
    double sw = width;
    double sh = height;
    if (sx < 0.0) {
        sw += sx;
        sx = 0.0;
    }
    if (sy < 0.0) {
        sh += sy;
        sy = 0.0;
    }
    sw = std::min(sw, static_cast<double>(viewport.width) + 1.0);
    sh = std::min(sh, static_cast<double>(viewport.height) + 1.0);
    const int32_t left = RoundToInt32(sx);
    const int32_t bottom = RoundToInt32(sy);
    const int32_t w = RoundToInt32(sw);
    const int32_t h = RoundToInt32(sh);
    if (w > 0 && h > 0)
        glScissor(left, bottom, w, h);
    else
        glScissor(viewport.width, 0, 1, 1);
}

void LGLRenderer::ApplyCurrentClip() const
{
    const RenderState& state = CurrentGLContext()->GetCurrentState();
    ApplyScissor(state.clip.x + state.originX, state.clip.y + state.originY, state.clip.width, state.clip.height);
}

void LGLRenderer::SetClipRect(const RectT<double>& rect)
{
    LRenderer::SetClipRect(rect);
    if (CanDraw())
        ApplyCurrentClip();
}

void LGLRenderer::OffsetOrigin(const PointT<double>& offset)
{
    LRenderer::OffsetOrigin(offset);
    if (CanDraw() && (offset.x != 0.0 || offset.y != 0.0)) {
        glMatrixMode(GL_MODELVIEW);
        glTranslatef(static_cast<float>(offset.x), static_cast<float>(offset.y), 0.0f);
    }
}

} // namespace KX
