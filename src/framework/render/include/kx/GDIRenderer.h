#pragma once
// The GDI+ renderer: draws each frame into the offscreen surface of the window's render
// context and copies the invalid rectangles to the window when the frame ends. Bitmaps are
// drawn through a cache of cached bitmaps pre-scaled to each destination size, line shapes
// through a cache of paths kept per shape.
#include "kx/GDIRenderContextInfo.h"
#include "kx/GDITextMeasurer.h"
#include "kx/Renderer.h"

#include <memory>

namespace KX {

class LGDIRenderer : public LRenderer {
public:
    LGDIRenderer();

    // Entries of each cache.
    static constexpr int32_t kCacheCapacity = 256;
    // Milliseconds between purges of the bitmap cache.
    static constexpr uint32_t kPurgeInterval = 300000;

    // A bitmap pre-scaled for the target, the key it is cached under, and a shape's path.
    class LCachedBitmap;
    struct CashableBitmapDescriptor;
    class LGraphicsPath;

    KXRESULT GetFontMetrics(const ConstRCPtr<LFont>& font, int32_t& height, int32_t& ascent,
                            int32_t& descent) const override;
    RectT<float> MeasureText(const WString& text, const ConstRCPtr<LFont>& font) const override;

    // kRendererGDIPlus.
    int32_t GetRendererType() const override;
    // Makes an LGDIRenderContextInfo; E_FAIL when none could be made.
    KXRESULT InitRenderContextInfo(const RectT<int32_t>& viewport, WindowHandle window, bool offscreenOnly,
                                   RCPtr<LRenderContextInfo>& out) override;
    // Makes the context's surfaces ready and its Graphics the drawing target.
    KXRESULT RenderStart(const ConstRCPtr<LRenderContextInfo>& context) override;
    // Presents the context, returns to the context below it, and purges the bitmap cache when
    // more than kPurgeInterval ms passed since the last purge.
    KXRESULT RenderFinish(const ConstRCPtr<LRenderContextInfo>& context) override;

    // Drawing does nothing while no frame is open, except DrawBitmap, which throws.
    // The text's top lies one pixel above the position's y.
    void DrawText(const WString& text, const ConstRCPtr<LFont>& font, const PointT<int32_t>& position,
                  const LColor& color) override;
    void DrawRect(const RectT<int32_t>& rect, const LColor& color, float lineWidth) override;
    // Without blend the pixels of the surface are set to the colour (alpha included); the
    // origin applies, the clip does not.
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
    // Throws the runtime error without an open frame, and "Invalid ResizeType passed to
    // DrawBitmap." when a bitmap must be scaled with a resize type other than 0, 1 and 2.
    void DrawBitmap(const ConstRCPtr<LBitmap>& bitmap, const RectT<int32_t>& dest, int32_t resizeType) override;
    // The source must be an offscreen-only GDI+ context (else E_INVALIDARG); E_FAIL when the
    // copy fails or no frame is open.
    KXRESULT DrawContextSurface(const ConstRCPtr<LRenderContextInfo>& source, const PointT<int32_t>& dest,
                                const RectT<int32_t>& sourceRect) override;
    // Swaps the context's surfaces and draws the old one onto the cleared new one at the
    // offset. The context must be an offscreen-only GDI+ context (else E_INVALIDARG).
    KXRESULT ScrollContextSurface(const ConstRCPtr<LRenderContextInfo>& context,
                                  const PointT<int32_t>& offset) override;

    void SetClipRect(const RectT<double>& rect) override;
    void OffsetOrigin(const PointT<double>& offset) override;

    // For tests and diagnostics.
    // Cache entries holding a cached bitmap, or a path.
    uint32_t GetCachedBitmapCount() const noexcept;
    uint32_t GetCachedPathCount() const noexcept;
    // Tick time of the last purge of the bitmap cache.
    uint32_t GetLastPurgeTime() const noexcept { return m_lastPurgeTime; }
    // 96 / the target's horizontal resolution, set by RenderStart.
    float GetTextScale() const noexcept { return m_textScale; }
    // The drawing target of the open frame, or null.
    LGDIRenderContextInfo* GetTarget() const noexcept { return m_target.Get(); }

protected:
    ~LGDIRenderer() override;

private:
    struct Caches;

    enum class ShapeKind { LineSegments, Polyline, Polygon, FilledPolygon };
    void DrawShape(ShapeKind kind, const PolylineT<float>& polyline, const LColor& color, const PointT<float>& offset,
                   const PointT<float>& scale, bool keepCached);
    // The target's Graphics, or null while no frame is open.
    gdi::Graphics* TargetGraphics() const noexcept;
    // Makes the target's Graphics follow the context's origin and clip.
    void ApplyStateToGraphics(LGDIRenderContextInfo& context, gdi::Graphics& graphics) const;
    // The top of the context stack as a GDI+ context (null when there is none or it is another kind).
    void SelectTopTarget();
    void PurgeBitmapCache();

    float m_textScale = 1.0f;
    RCPtr<LGDIRenderContextInfo> m_target;
    int32_t m_screenDpi = 96;
    RCPtr<LGDITextMeasurer> m_measurer;
    std::unique_ptr<Caches> m_caches;
    uint32_t m_lastPurgeTime = 0;
};

} // namespace KX
