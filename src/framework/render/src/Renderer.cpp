#include "kx/Renderer.h"

#include "kx/Exception.h"

#include <cmath>

namespace KX {

namespace {
constexpr const char* kRendererSource = "Renderer\\Renderer";
} // namespace

// ---------------------------------------------------------------------------------------------
// Stencil

RCPtr<LStencil> LStencil::Create(int32_t width, int32_t height)
{
    return RCPtr<LStencil>(new LStencil(width, height));
}

RCPtr<LStencil> LStencil::CreateFromSize(const LStencil& other)
{
    return RCPtr<LStencil>(new LStencil(other.m_width, other.m_height));
}

// ---------------------------------------------------------------------------------------------
// Render context

LRenderContextInfo::LRenderContextInfo(const RectT<int32_t>& viewport, WindowHandle window, bool offscreenOnly)
    : m_window(window), m_offscreenOnly(offscreenOnly), m_viewport(viewport),
      m_deviceContext(window ? window->GetDeviceContext() : nullptr)
{
}

LRenderContextInfo::~LRenderContextInfo() = default;

// ---------------------------------------------------------------------------------------------
// Renderer: context stack

LRenderer::~LRenderer() = default;

LRenderContextInfo* LRenderer::GetCurrentContext() const noexcept
{
    const uint32_t count = m_contexts.GetCount();
    if (count == 0)
        return nullptr;
    // Contexts are never created const; the stack holds them through const references only.
    return const_cast<LRenderContextInfo*>(m_contexts.ElementAt(count - 1).Get());
}

KXRESULT LRenderer::RenderStart(const ConstRCPtr<LRenderContextInfo>& context)
{
    if (!context)
        Throw<std::runtime_error>("Render context is NULL", "KX::LRenderer::RenderStart", kRendererSource, 231);
    for (uint32_t i = 0; i < m_contexts.GetCount(); ++i) {
        if (m_contexts.ElementAt(i) == context)
            Throw<std::runtime_error>("Render context reentered.", "KX::LRenderer::RenderStart", kRendererSource, 237);
    }
    m_contexts.AddItem(context);
    return S_OK;
}

KXRESULT LRenderer::RenderFinish(const ConstRCPtr<LRenderContextInfo>& context)
{
    const uint32_t count = m_contexts.GetCount();
    if (count == 0)
        return S_OK;
    if (!(m_contexts.ElementAt(count - 1) == context))
        Throw<std::runtime_error>("RenderFinish context does not match RenderStart context",
                                  "KX::LRenderer::RenderFinish", kRendererSource, 250);
    m_contexts.RemoveItems(count - 1, 1);
    return S_OK;
}

// ---------------------------------------------------------------------------------------------
// Renderer: state of the current context

KXRESULT LRenderer::SetViewport(const RectT<int32_t>& viewport)
{
    if (LRenderContextInfo* context = GetCurrentContext())
        context->SetViewport(viewport);
    return S_OK;
}

KXRESULT LRenderer::SetStencil(const ConstRCPtr<LStencil>& stencil)
{
    if (LRenderContextInfo* context = GetCurrentContext())
        context->GetCurrentState().stencil = stencil;
    return S_OK;
}

void LRenderer::SetClipRect(const RectT<double>& rect)
{
    if (LRenderContextInfo* context = GetCurrentContext())
        context->GetCurrentState().clip = rect;
}

void LRenderer::OffsetOrigin(const PointT<double>& offset)
{
    if (LRenderContextInfo* context = GetCurrentContext()) {
        RenderState& state = context->GetCurrentState();
        state.originX += offset.x;
        state.originY += offset.y;
    }
}

void LRenderer::PushState()
{
    if (LRenderContextInfo* context = GetCurrentContext())
        context->GetSavedStates().push_back(context->GetCurrentState());
}

void LRenderer::PopState()
{
    LRenderContextInfo* context = GetCurrentContext();
    if (!context || context->GetSavedStates().empty())
        return;
    // Hold the context: a renderer's overrides below must not be able to drop it under us.
    const ConstRCPtr<LRenderContextInfo> hold(context);
    const RenderState saved = context->GetSavedStates().back();
    context->GetSavedStates().pop_back();

    const RenderState& current = context->GetCurrentState();
    OffsetOrigin(PointT<double>{saved.originX - current.originX, saved.originY - current.originY});
    // The difference above may lose the last bit of a fractional origin; restore it exactly.
    context->GetCurrentState().originX = saved.originX;
    context->GetCurrentState().originY = saved.originY;
    context->GetCurrentState().alpha = saved.alpha;
    SetClipRect(saved.clip);
    SetStencil(saved.stencil);
    context->GetCurrentState().stencilSet = saved.stencilSet;
}

void LRenderer::PushOrigin(const PointT<double>& offset)
{
    LRenderContextInfo* context = GetCurrentContext();
    if (!context || context->GetSavedStates().empty())
        return;
    PushState();
    PointT<double> rounded = offset;
    RoundPointInPlace(rounded);
    OffsetOrigin(rounded);
    RenderState& state = context->GetCurrentState();
    state.clip.x -= rounded.x;
    state.clip.y -= rounded.y;
}

void LRenderer::PushClipRect(const RectT<double>& area, const RectT<double>& clip, const ConstRCPtr<LStencil>& stencil,
                             bool relative)
{
    LRenderContextInfo* context = GetCurrentContext();
    if (!context)
        return;
    const ConstRCPtr<LRenderContextInfo> hold(context);

    PointT<double> offset;
    if (relative) {
        offset = PointT<double>{area.x, area.y};
    } else {
        const RenderState& state = context->GetCurrentState();
        offset = PointT<double>{area.x - state.originX, area.y - state.originY};
    }
    RoundPointInPlace(offset);

    PushState();

    RectT<double> r = clip;
    if (relative) {
        IntersectRects(r, area, r);
        IntersectRects(r, context->GetCurrentState().clip, r);
    }
    SnapRectOutward(r);

    SetClipRect(r);
    OffsetOrigin(offset);

    if (relative) {
        RenderState& state = context->GetCurrentState();
        state.clip.x -= offset.x;
        state.clip.y -= offset.y;
    }

    if (stencil) {
        if (context->GetCurrentState().IsStencilSet()) {
            SetStencil(LStencil::CreateFromSize(*stencil));
        } else {
            SetStencil(stencil);
            context->GetCurrentState().stencilSet = 1;
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Scope guard

CAutoClip::CAutoClip(const RCPtr<LRenderer>& renderer, const PushClipDescriptor& descriptor)
{
    switch (descriptor.flavor) {
    case 0:
        if (renderer)
            renderer->PushState();
        break;
    case 1:
        if (renderer)
            renderer->PushClipRect(descriptor.area, descriptor.clip, descriptor.stencil, descriptor.relative);
        break;
    case 2:
        if (renderer)
            renderer->PushOrigin(descriptor.point);
        break;
    default: Throw<std::runtime_error>("Unknown PushClip flavor", "KX::CAutoClip::CAutoClip", kRendererSource, 404);
    }
    m_renderer = renderer;
}

CAutoClip::CAutoClip(const RCPtr<LRenderer>& renderer) : m_renderer(renderer)
{
    if (m_renderer)
        m_renderer->PushState();
}

CAutoClip::CAutoClip(const RCPtr<LRenderer>& renderer, const RectT<double>& area, const RectT<double>& clip,
                     const ConstRCPtr<LStencil>& stencil, bool relative)
    : m_renderer(renderer)
{
    if (m_renderer)
        m_renderer->PushClipRect(area, clip, stencil, relative);
}

CAutoClip::CAutoClip(const RCPtr<LRenderer>& renderer, const PointT<double>& origin) : m_renderer(renderer)
{
    if (m_renderer)
        m_renderer->PushOrigin(origin);
}

CAutoClip::~CAutoClip()
{
    if (m_renderer)
        m_renderer->PopState();
}

} // namespace KX
