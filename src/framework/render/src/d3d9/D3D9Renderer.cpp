#include "kx/D3D9Renderer.h"

namespace KX {

RCPtr<LD3D9RenderContextInfo> LD3D9RenderContextInfo::Create(const RectT<int32_t>& viewport, WindowHandle window,
                                                             bool offscreenOnly)
{
    return RCPtr<LD3D9RenderContextInfo>(new LD3D9RenderContextInfo(viewport, window, offscreenOnly));
}

void LD3D9RenderContextInfo::GetMaxSurfaceSize(int32_t& width, int32_t& height) const
{
    width = 0;
    height = 0;
}

KXRESULT LD3D9Renderer::GetFontMetrics(const ConstRCPtr<LFont>&, int32_t&, int32_t&, int32_t&) const
{
    return S_OK;
}

RectT<float> LD3D9Renderer::MeasureText(const WString&, const ConstRCPtr<LFont>&) const
{
    return RectT<float>{};
}

int32_t LD3D9Renderer::GetRendererType() const
{
    return kRendererDirect3D9;
}

KXRESULT LD3D9Renderer::InitRenderContextInfo(const RectT<int32_t>& viewport, WindowHandle window, bool offscreenOnly,
                                              RCPtr<LRenderContextInfo>& out)
{
    out = LD3D9RenderContextInfo::Create(viewport, window, offscreenOnly);
    return S_OK;
}

KXRESULT LD3D9Renderer::RenderStart(const ConstRCPtr<LRenderContextInfo>&)
{
    return S_OK;
}

KXRESULT LD3D9Renderer::RenderFinish(const ConstRCPtr<LRenderContextInfo>&)
{
    return S_OK;
}

void LD3D9Renderer::DrawText(const WString&, const ConstRCPtr<LFont>&, const PointT<int32_t>&, const LColor&) {}
void LD3D9Renderer::DrawRect(const RectT<int32_t>&, const LColor&, float) {}
void LD3D9Renderer::FillRect(const RectT<int32_t>&, const LColor&, bool) {}
void LD3D9Renderer::DrawFilledRect(const RectT<int32_t>&, const LColor&, const LColor&, float) {}
void LD3D9Renderer::DrawColorRectList(const ColorRectListT<float>&, const PointT<double>&, bool) {}
void LD3D9Renderer::DrawLine(const PointT<float>&, const PointT<float>&, const LColor&, float) {}
void LD3D9Renderer::DrawLineSegments(const PolylineT<float>&, const LColor&, const PointT<float>&, const PointT<float>&,
                                     bool)
{
}
void LD3D9Renderer::DrawPolyline(const PolylineT<float>&, const LColor&, const PointT<float>&, const PointT<float>&,
                                 bool)
{
}
void LD3D9Renderer::DrawPolygon(const PolylineT<float>&, const LColor&, const PointT<float>&, const PointT<float>&,
                                bool)
{
}
void LD3D9Renderer::FillPolygon(const PolylineT<float>&, const LColor&, const PointT<float>&, const PointT<float>&,
                                bool)
{
}
void LD3D9Renderer::DrawBitmap(const ConstRCPtr<LBitmap>&, const RectT<int32_t>&, int32_t) {}

KXRESULT LD3D9Renderer::DrawContextSurface(const ConstRCPtr<LRenderContextInfo>&, const PointT<int32_t>&,
                                           const RectT<int32_t>&)
{
    return E_NOTIMPL;
}

KXRESULT LD3D9Renderer::ScrollContextSurface(const ConstRCPtr<LRenderContextInfo>&, const PointT<int32_t>&)
{
    return E_NOTIMPL;
}

} // namespace KX
