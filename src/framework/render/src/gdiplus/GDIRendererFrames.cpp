#include "kx/GDIRenderer.h"

#include "kx/Exception.h"
#include "kx/GDIRenderContextInfo.h"
#include "kx/RenderHost.h"

#include <new>

namespace KX {

// ---------------------------------------------------------------------------------------------
// Contexts and frames

KXRESULT LGDIRenderer::InitRenderContextInfo(const RectT<int32_t>& viewport, WindowHandle window, bool offscreenOnly,
                                             RCPtr<LRenderContextInfo>& out)
{
    try {
        out = LGDIRenderContextInfo::Create(viewport, window, offscreenOnly);
    } catch (const std::bad_alloc&) {
        out = nullptr;
    }
    return out ? S_OK : E_FAIL;
}

gdi::Graphics* LGDIRenderer::TargetGraphics() const noexcept
{
    return m_target ? m_target->GetGraphics() : nullptr;
}

void LGDIRenderer::ApplyStateToGraphics(LGDIRenderContextInfo& context, gdi::Graphics& graphics) const
{
    graphics.SetSmoothingMode(gdi::SmoothingMode::HighSpeed);
    graphics.SetInterpolationMode(gdi::InterpolationMode::NearestNeighbor);
    graphics.SetPixelOffsetMode(gdi::PixelOffsetMode::HighSpeed);
    graphics.SetCompositingMode(gdi::CompositingMode::SourceOver);
    // The clip is kept in target pixels; the transform is the origin.
    const RectT<double>& clip = context.GetDeviceClip();
    graphics.ResetTransform();
    graphics.SetClip(gdi::RectF{static_cast<float>(clip.x), static_cast<float>(clip.y), static_cast<float>(clip.width),
                                static_cast<float>(clip.height)},
                     gdi::CombineMode::Replace);
    const RenderState& state = context.GetCurrentState();
    graphics.TranslateTransform(state.originX, state.originY);
}

void LGDIRenderer::SelectTopTarget()
{
    m_target = RCPtr<LGDIRenderContextInfo>(dynamic_cast<LGDIRenderContextInfo*>(GetCurrentContext()));
    if (gdi::Graphics* graphics = TargetGraphics()) {
        const float dpi = graphics->GetDpiX();
        m_textScale = dpi > 0.0f ? 96.0f / dpi : 1.0f;
    }
}

KXRESULT LGDIRenderer::RenderStart(const ConstRCPtr<LRenderContextInfo>& context)
{
    LRenderer::RenderStart(context);
    SelectTopTarget();
    if (!m_target)
        return S_OK;
    m_target->PrepareSurfaces();
    SelectTopTarget();
    if (gdi::Graphics* graphics = TargetGraphics())
        ApplyStateToGraphics(*m_target, *graphics);
    return S_OK;
}

KXRESULT LGDIRenderer::RenderFinish(const ConstRCPtr<LRenderContextInfo>& context)
{
    const ConstRCPtrArray<LRenderContextInfo>& stack = GetContextStack();
    const uint32_t count = stack.GetCount();
    // A mismatch throws from the base before anything is presented or dropped.
    if (count != 0 && stack.ElementAt(count - 1) == context) {
        if (m_target)
            m_target->PresentToWindow();
        m_target = nullptr;
    }
    LRenderer::RenderFinish(context);
    SelectTopTarget();

    const uint32_t now = GetTickTime();
    if (now - m_lastPurgeTime > kPurgeInterval)
        PurgeBitmapCache();
    return S_OK;
}

// ---------------------------------------------------------------------------------------------
// State

void LGDIRenderer::SetClipRect(const RectT<double>& rect)
{
    LRenderer::SetClipRect(rect);
    LRenderContextInfo* context = GetCurrentContext();
    if (!m_target || context != m_target.Get())
        return;
    const RenderState& state = m_target->GetCurrentState();
    m_target->SetDeviceClip(
        RectT<double>{state.clip.x + state.originX, state.clip.y + state.originY, state.clip.width, state.clip.height});
    if (gdi::Graphics* graphics = TargetGraphics())
        graphics->SetClip(gdi::RectF{static_cast<float>(state.clip.x), static_cast<float>(state.clip.y),
                                     static_cast<float>(state.clip.width), static_cast<float>(state.clip.height)},
                          gdi::CombineMode::Replace);
}

void LGDIRenderer::OffsetOrigin(const PointT<double>& offset)
{
    LRenderer::OffsetOrigin(offset);
    if (!m_target || GetCurrentContext() != m_target.Get())
        return;
    if (gdi::Graphics* graphics = TargetGraphics()) {
        const RenderState& state = m_target->GetCurrentState();
        graphics->ResetTransform();
        graphics->TranslateTransform(state.originX, state.originY);
    }
}

// ---------------------------------------------------------------------------------------------
// Context surfaces

KXRESULT LGDIRenderer::DrawContextSurface(const ConstRCPtr<LRenderContextInfo>& source, const PointT<int32_t>& dest,
                                          const RectT<int32_t>& sourceRect)
{
    const auto* from = dynamic_cast<const LGDIRenderContextInfo*>(source.Get());
    if (!from || !from->IsOffscreenOnly())
        return E_INVALIDARG;
    gdi::Graphics* graphics = TargetGraphics();
    const gdi::Bitmap* bitmap = from->GetBitmap();
    if (!graphics || !bitmap)
        return E_FAIL;
    const gdi::Status status =
        graphics->DrawImage(*bitmap, dest.x, dest.y, sourceRect.x, sourceRect.y, sourceRect.width, sourceRect.height);
    return status == gdi::Status::Ok ? S_OK : E_FAIL;
}

KXRESULT LGDIRenderer::ScrollContextSurface(const ConstRCPtr<LRenderContextInfo>& context,
                                            const PointT<int32_t>& offset)
{
    auto* target = dynamic_cast<LGDIRenderContextInfo*>(const_cast<LRenderContextInfo*>(context.Get()));
    if (!target || !target->IsOffscreenOnly())
        return E_INVALIDARG;
    target->SwapSurfaces();
    gdi::Graphics* graphics = target->GetGraphics();
    const gdi::Bitmap* previous = target->GetSpareSurface() ? target->GetSpareSurface()->GetBitmap() : nullptr;
    if (!graphics || !previous)
        return E_FAIL;
    // The whole surface moves: no transform, no clip.
    graphics->ResetTransform();
    graphics->ResetClip();
    graphics->SetCompositingMode(gdi::CompositingMode::SourceOver);
    bool ok = graphics->Clear(0) == gdi::Status::Ok;
    ok = graphics->DrawImage(*previous, offset.x, offset.y, 0, 0, previous->GetWidth(), previous->GetHeight()) ==
             gdi::Status::Ok &&
         ok;
    ApplyStateToGraphics(*target, *graphics);
    return ok ? S_OK : E_FAIL;
}

} // namespace KX
