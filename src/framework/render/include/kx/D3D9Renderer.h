#pragma once
// The Direct3D 9 renderer: a placeholder that makes render contexts and draws nothing.
#include "kx/Renderer.h"

namespace KX {

// Its largest surface is 0 x 0.
class LD3D9RenderContextInfo : public LRenderContextInfo {
public:
    static RCPtr<LD3D9RenderContextInfo> Create(const RectT<int32_t>& viewport, WindowHandle window,
                                                bool offscreenOnly);
    void GetMaxSurfaceSize(int32_t& width, int32_t& height) const override;

protected:
    using LRenderContextInfo::LRenderContextInfo;
    ~LD3D9RenderContextInfo() override = default;
};

// Frames are not tracked (no context ever becomes current), so the state operations do
// nothing; measuring gives nothing and the surface operations are not implemented.
class LD3D9Renderer : public LRenderer {
public:
    LD3D9Renderer() = default;

    // Returns 0 and leaves the outputs as they are.
    KXRESULT GetFontMetrics(const ConstRCPtr<LFont>& font, int32_t& height, int32_t& ascent,
                            int32_t& descent) const override;
    // (0, 0, 0, 0).
    RectT<float> MeasureText(const WString& text, const ConstRCPtr<LFont>& font) const override;
    // kRendererDirect3D9.
    int32_t GetRendererType() const override;
    KXRESULT InitRenderContextInfo(const RectT<int32_t>& viewport, WindowHandle window, bool offscreenOnly,
                                   RCPtr<LRenderContextInfo>& out) override;
    // Both return 0 and do nothing.
    KXRESULT RenderStart(const ConstRCPtr<LRenderContextInfo>& context) override;
    KXRESULT RenderFinish(const ConstRCPtr<LRenderContextInfo>& context) override;

    void DrawText(const WString& text, const ConstRCPtr<LFont>& font, const PointT<int32_t>& position,
                  const LColor& color) override;
    void DrawRect(const RectT<int32_t>& rect, const LColor& color, float lineWidth) override;
    void FillRect(const RectT<int32_t>& rect, const LColor& color, bool blend) override;
    void DrawFilledRect(const RectT<int32_t>& rect, const LColor& fill, const LColor& line, float lineWidth) override;
    void DrawColorRectList(const ColorRectListT<float>& list, const PointT<double>& offset, bool keepCached) override;
    void DrawLine(const PointT<float>& from, const PointT<float>& to, const LColor& color, float width) override;
    void DrawLineSegments(const PolylineT<float>& polyline, const LColor& color, const PointT<float>& offset,
                          const PointT<float>& scale, bool keepCached) override;
    void DrawPolyline(const PolylineT<float>& polyline, const LColor& color, const PointT<float>& offset,
                      const PointT<float>& scale, bool keepCached) override;
    void DrawPolygon(const PolylineT<float>& polyline, const LColor& color, const PointT<float>& offset,
                     const PointT<float>& scale, bool keepCached) override;
    void FillPolygon(const PolylineT<float>& polyline, const LColor& color, const PointT<float>& offset,
                     const PointT<float>& scale, bool keepCached) override;
    void DrawBitmap(const ConstRCPtr<LBitmap>& bitmap, const RectT<int32_t>& dest, int32_t resizeType) override;
    // E_NOTIMPL.
    KXRESULT DrawContextSurface(const ConstRCPtr<LRenderContextInfo>& source, const PointT<int32_t>& dest,
                                const RectT<int32_t>& sourceRect) override;
    KXRESULT ScrollContextSurface(const ConstRCPtr<LRenderContextInfo>& context,
                                  const PointT<int32_t>& offset) override;

protected:
    ~LD3D9Renderer() override = default;
};

} // namespace KX
