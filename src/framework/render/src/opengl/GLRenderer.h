#pragma once
// The OpenGL 1.x renderer: immediate mode, vertex arrays and display lists; text through a font
// renderer and the OpenGL glyph renderer; bitmaps through textures. Display lists and textures
// live in purging caches aged every kPurgeInterval ms.
//
// The renderer owns one OpenGL context: the window's own when the window implements IGLWindow,
// else one from LGLContext::CreateOffscreen (in tests, OSMesa drawing into memory). The context is bound to a render
// context's surface from RenderStart to RenderFinish.
#include "fonts/FontRenderer.h"
#include "kx/GLRenderContextInfo.h"
#include "kx/Renderer.h"
#include "opengl/GLDisplayList.h"
#include "opengl/GLTexture.h"

#include <cstdint>

namespace KX {

class LGLRenderer : public LRenderer {
public:
    static constexpr int32_t kListCacheCapacity = 256;
    static constexpr int32_t kTextureCacheCapacity = 64;
    // Milliseconds between purges of the caches.
    static constexpr uint32_t kPurgeInterval = 300000;
    // The largest font size (points) whose glyphs fit the glyph record's 8-bit boxes, its
    // 16-bit advances and a 512-texel atlas row. Larger text is drawn and measured at this size,
    // scaled up.
    static constexpr float kLargestGlyphSize = 72.0f;

    // Bitmap textures by LBitmap::GetHandle.
    using TextureCache = LGLObjectCache<LGLTexture, uint64_t, &Detail::HashLowByte64>;

    enum class ListCache { FilledPolygons = 0, PolygonOutlines, LineSegments, Polylines, ColorRects, Count };

    // Makes the context (the window's own when it implements IGLWindow, else the offscreen one). Without
    // one: the error box and the runtime error.
    LGLRenderer(const RCPtr<LFontRenderer>& fontRenderer, WindowHandle window);
    // With a context of the caller's (null: as above).
    LGLRenderer(const RCPtr<LFontRenderer>& fontRenderer, WindowHandle window, const RCPtr<LGLContext>& context);
    // The renderer of renderer type 0: an OpenGL glyph renderer, a FreeType font renderer over
    // it, and the renderer over that.
    static RCPtr<LRenderer> CreateWithFreetype(WindowHandle window);

    // Forwarded to the font renderer; E_FAIL / all zero without one.
    KXRESULT GetFontMetrics(const ConstRCPtr<LFont>& font, int32_t& height, int32_t& ascent,
                            int32_t& descent) const override;
    RectT<float> MeasureText(const WString& text, const ConstRCPtr<LFont>& font) const override;

    // kRendererOpenGL.
    int32_t GetRendererType() const override;
    // A surface of the renderer's context for the window, with the initial OpenGL state set.
    // Without one: the error box and the runtime error.
    KXRESULT InitRenderContextInfo(const RectT<int32_t>& viewport, WindowHandle window, bool offscreenOnly,
                                   RCPtr<LRenderContextInfo>& out) override;
    // One unit per pixel, y downwards from the viewport's top-left corner.
    KXRESULT SetViewport(const RectT<int32_t>& viewport) override;
    // Binds the context to the context's surface (sized to its viewport) and applies the
    // viewport, origin and clip. E_FAIL (after the error box) when the context cannot be bound;
    // the frame then draws nothing.
    KXRESULT RenderStart(const ConstRCPtr<LRenderContextInfo>& context) override;
    // Presents (or, offscreen-only, keeps the frame's pixels as the context's surface texture),
    // unbinds, returns to the context below it, and purges the caches when none is left and
    // more than kPurgeInterval ms passed since the last purge.
    KXRESULT RenderFinish(const ConstRCPtr<LRenderContextInfo>& context) override;

    // Drawing does nothing outside a frame of this renderer.
    // The text's top lies at the position's y (the font's ascent below it is the baseline).
    void DrawText(const WString& text, const ConstRCPtr<LFont>& font, const PointT<int32_t>& position,
                  const LColor& color) override;
    void DrawRect(const RectT<int32_t>& rect, const LColor& color, float lineWidth) override;
    // Without blend the pixels are set to the colour, alpha included; the origin applies, the
    // clip does not.
    void FillRect(const RectT<int32_t>& rect, const LColor& color, bool blend) override;
    void DrawFilledRect(const RectT<int32_t>& rect, const LColor& fill, const LColor& line, float lineWidth) override;
    void DrawColorRectList(const ColorRectListT<float>& list, const PointT<double>& offset, bool keepCached) override;
    void DrawLine(const PointT<float>& from, const PointT<float>& to, const LColor& color, float width) override;
    void DrawLineSegments(const PolylineT<float>& polyline, const LColor& color, const PointT<float>& offset,
                          const PointT<float>& scale, bool keepCached) override;
    void DrawPolyline(const PolylineT<float>& polyline, const LColor& color, const PointT<float>& offset,
                      const PointT<float>& scale, bool keepCached) override;
    // The outline, closed back to the first point.
    void DrawPolygon(const PolylineT<float>& polyline, const LColor& color, const PointT<float>& offset,
                     const PointT<float>& scale, bool keepCached) override;
    void FillPolygon(const PolylineT<float>& polyline, const LColor& color, const PointT<float>& offset,
                     const PointT<float>& scale, bool keepCached) override;
    // A null bitmap throws the failed-result exception for E_INVALIDARG; a resize type other
    // than 0, 1 and 2 (when the sizes differ) the logic error.
    void DrawBitmap(const ConstRCPtr<LBitmap>& bitmap, const RectT<int32_t>& dest, int32_t resizeType) override;
    // The source must be an offscreen-only OpenGL context (else E_INVALIDARG); E_FAIL outside a
    // frame or before the source's first frame ended.
    KXRESULT DrawContextSurface(const ConstRCPtr<LRenderContextInfo>& source, const PointT<int32_t>& dest,
                                const RectT<int32_t>& sourceRect) override;
    // Moves the offscreen-only context's pixels by the offset (a frame of its own).
    KXRESULT ScrollContextSurface(const ConstRCPtr<LRenderContextInfo>& context,
                                  const PointT<int32_t>& offset) override;

    void SetClipRect(const RectT<double>& rect) override;
    void OffsetOrigin(const PointT<double>& offset) override;

    // Releases every cached object not used since the previous purge.
    void PurgeCaches();

    // For tests and diagnostics.
    LGLDisplayListCache& GetListCache(ListCache which) noexcept { return *m_listCaches[static_cast<int>(which)]; }
    TextureCache& GetTextureCache() noexcept { return m_textures; }
    uint32_t GetLastPurgeTime() const noexcept { return m_lastPurgeTime; }
    const RCPtr<LGLContext>& GetGLContext() const noexcept { return m_context; }
    const RCPtr<LFontRenderer>& GetFontRenderer() const noexcept { return m_fontRenderer; }
    bool IsDoubleBuffered() const noexcept { return m_doubleBuffered; }
    bool SwapsCopies() const noexcept { return m_swapCopies; }
    // True inside a frame of this renderer with its context bound.
    bool CanDraw() const noexcept;

protected:
    ~LGLRenderer() override;

private:
    enum class ShapeKind { LineSegments, Polyline, Polygon, FilledPolygon };

    void Construct(const RCPtr<LGLContext>& context);
    void ShowErrorBox(const char16_t* messageKey) const;
    void ShowMakeCurrentErrorBox(const LGLContext& context) const;
    // The scissor for a rectangle in target pixels, top-down.
    void ApplyScissor(double x, double y, double width, double height) const;
    // The scissor for the current state's clip.
    void ApplyCurrentClip() const;
    // The model-view matrix for the current state's origin (on top of the frame's push).
    void ApplyCurrentOrigin() const;
    void DrawShape(ShapeKind kind, const PolylineT<float>& polyline, const LColor& color, const PointT<float>& offset,
                   const PointT<float>& scale, bool keepCached);
    void CopyBackToFront(const RectT<int32_t>& viewport);
    LGLRenderContextInfo* CurrentGLContext() const noexcept;

    RCPtr<LFontRenderer> m_fontRenderer;
    WindowHandle m_window = nullptr;
    bool m_doubleBuffered = true;
    bool m_swapCopies = true;
    uint32_t m_lastPurgeTime = 0;
    LGLDisplayListCache m_filledPolygons{kListCacheCapacity};
    LGLDisplayListCache m_polygonOutlines{kListCacheCapacity};
    LGLDisplayListCache m_lineSegments{kListCacheCapacity};
    LGLDisplayListCache m_polylines{kListCacheCapacity};
    LGLDisplayListCache m_colorRects{kListCacheCapacity};
    LGLDisplayListCache* m_listCaches[static_cast<int>(ListCache::Count)] = {
        &m_filledPolygons, &m_polygonOutlines, &m_lineSegments, &m_polylines, &m_colorRects};
    TextureCache m_textures{kTextureCacheCapacity};
    RCPtr<LGLContext> m_context;
    // A 1 x 1 surface the context is bound to for work outside frames (set-up, purges, teardown).
    RCPtr<LGLSurface> m_probe;
    WString m_errorCaption;
    WString m_errorHint;
};

} // namespace KX
