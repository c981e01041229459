#pragma once
// The drawing interface every window paints through, with the render state all renderers
// share: a stack of render contexts between RenderStart and RenderFinish and, per context, the
// current state (origin, clip rectangle, alpha, stencil) with a stack of saved states.
// Renderers are used on the thread that owns their window and take no locks.
#include "kx/Color.h"
#include "kx/Geometry.h"
#include "kx/RCPtrArray.h"
#include "kx/RefCountedObject.h"
#include "kx/Region.h"
#include "kx/StringT.h"

#include <cstdint>
#include <deque>

namespace gdi {
class WindowSurface;
}

namespace KX {

class LFont;
class LBitmap;

// Renderer types of LRenderer::Create.
inline constexpr int32_t kRendererOpenGL = 0;
inline constexpr int32_t kRendererGDIPlus = 1;
inline constexpr int32_t kRendererDirect3D9 = 2;

// What a renderer needs of the window it draws into. The operating-system window implements it.
class IRenderWindow {
public:
    virtual ~IRenderWindow() = default;
    // The client area as the graphics layer draws and presents it; null when there is none.
    virtual gdi::WindowSurface* GetWindowSurface() = 0;
    // The window's device context: the native handle that device-level drawing (OpenGL) binds
    // to; null when there is none. Valid while the window lives.
    virtual void* GetDeviceContext() = 0;
};

using WindowHandle = IRenderWindow*;

// Measures text and fonts. Fonts measure themselves through the application's one.
class LMeasurementRenderer : public virtual LRefCountedObject {
public:
    // Line height, ascent (negative: the baseline lies below the top) and descent in pixels.
    virtual KXRESULT GetFontMetrics(const ConstRCPtr<LFont>& font, int32_t& height, int32_t& ascent,
                                    int32_t& descent) const = 0;
    // (0, ascent, width, height) of the text in the font.
    virtual RectT<float> MeasureText(const WString& text, const ConstRCPtr<LFont>& font) const = 0;

protected:
    ~LMeasurementRenderer() override = default;
};

// A mask of a size; its rectangle is always (0, 0, width, height).
class LStencil : public virtual LRefCountedObject {
public:
    static RCPtr<LStencil> Create(int32_t width, int32_t height);
    // A new stencil of the other one's size.
    static RCPtr<LStencil> CreateFromSize(const LStencil& other);

    int32_t GetWidth() const noexcept { return m_width; }
    int32_t GetHeight() const noexcept { return m_height; }
    // left, top, right, bottom.
    void GetRect(int32_t& left, int32_t& top, int32_t& right, int32_t& bottom) const noexcept
    {
        left = m_left;
        top = m_top;
        right = m_right;
        bottom = m_bottom;
    }

protected:
    LStencil(int32_t width, int32_t height) noexcept
        : m_width(width), m_height(height), m_left(0), m_top(0), m_right(width), m_bottom(height)
    {
    }
    ~LStencil() override = default;

private:
    int32_t m_width;
    int32_t m_height;
    int32_t m_left;
    int32_t m_top;
    int32_t m_right;
    int32_t m_bottom;
};

// Where and how drawing lands. Copies share the stencil.
class RenderState {
public:
    RenderState() = default;
    RenderState(const RenderState&) = default;
    RenderState& operator=(const RenderState&) = default;
    virtual ~RenderState() = default;

    // Where drawing coordinates start, in target pixels.
    double originX = 0.0;
    double originY = 0.0;
    // Relative to the origin. The initial one clips nothing.
    RectT<double> clip{static_cast<double>(-5.0e15f), static_cast<double>(-5.0e15f), static_cast<double>(1.0e16f),
                       static_cast<double>(1.0e16f)};
    float alpha = 1.0f;
    // Only the low byte counts.
    int32_t stencilSet = 0;
    ConstRCPtr<LStencil> stencil;

    bool IsStencilSet() const noexcept { return (stencilSet & 0xFF) != 0; }
};

// The record of one drawing target: a window, or an offscreen surface.
class LRenderContextInfo : public virtual LRefCountedObject {
public:
    // The largest surface this context can have.
    virtual void GetMaxSurfaceSize(int32_t& width, int32_t& height) const = 0;
    // False while drawing into this context is not possible (no surface to draw into, or not
    // bound); a painter then asks for a full repaint later instead.
    virtual bool CanDrawNow() const { return true; }

    WindowHandle GetWindow() const noexcept { return m_window; }
    // Set: never presented to a window; may be the source of DrawContextSurface and
    // ScrollContextSurface.
    bool IsOffscreenOnly() const noexcept { return m_offscreenOnly; }
    // What to present; the window's paint handler fills it.
    LRegion& GetInvalidRegion() noexcept { return m_invalidRegion; }
    const LRegion& GetInvalidRegion() const noexcept { return m_invalidRegion; }
    const RectT<int32_t>& GetViewport() const noexcept { return m_viewport; }
    void SetViewport(const RectT<int32_t>& viewport) noexcept { m_viewport = viewport; }
    RenderState& GetCurrentState() noexcept { return m_state; }
    const RenderState& GetCurrentState() const noexcept { return m_state; }
    // Used as a stack: pushed and popped at the back.
    std::deque<RenderState>& GetSavedStates() noexcept { return m_savedStates; }
    const std::deque<RenderState>& GetSavedStates() const noexcept { return m_savedStates; }
    void* GetDeviceContext() const noexcept { return m_deviceContext; }

protected:
    LRenderContextInfo(const RectT<int32_t>& viewport, WindowHandle window, bool offscreenOnly);
    ~LRenderContextInfo() override;

private:
    WindowHandle m_window;
    bool m_offscreenOnly;
    LRegion m_invalidRegion;
    RectT<int32_t> m_viewport;
    RenderState m_state;
    std::deque<RenderState> m_savedStates;
    void* m_deviceContext;
};

// The drawing interface. The state operations act on the current render context (the last one
// started) and do nothing while none is current. Drawing coordinates are relative to the
// current state's origin.
class LRenderer : public LMeasurementRenderer {
public:
    // The renderer of a window: kRendererOpenGL, kRendererGDIPlus or kRendererDirect3D9.
    // Another type throws the domain error; a type whose renderer this build lacks throws the
    // failed-result exception for E_NOTIMPL. The viewport is not used.
    static RCPtr<LRenderer> Create(int32_t type, const RectT<int32_t>& viewport, WindowHandle window);

    virtual int32_t GetRendererType() const = 0;
    virtual KXRESULT InitRenderContextInfo(const RectT<int32_t>& viewport, WindowHandle window, bool offscreenOnly,
                                           RCPtr<LRenderContextInfo>& out) = 0;
    virtual KXRESULT SetViewport(const RectT<int32_t>& viewport);
    virtual KXRESULT SetStencil(const ConstRCPtr<LStencil>& stencil);
    // Makes the context current. Throws for a null context and for one already started.
    virtual KXRESULT RenderStart(const ConstRCPtr<LRenderContextInfo>& context);
    // Ends the current context. Throws when the context is not the current one; does nothing
    // when none was started.
    virtual KXRESULT RenderFinish(const ConstRCPtr<LRenderContextInfo>& context);

    // The text's top lies at the position's y.
    virtual void DrawText(const WString& text, const ConstRCPtr<LFont>& font, const PointT<int32_t>& position,
                          const LColor& color) = 0;
    virtual void DrawRect(const RectT<int32_t>& rect, const LColor& color, float lineWidth) = 0;
    // Without blend the pixels are set to the colour, alpha included.
    virtual void FillRect(const RectT<int32_t>& rect, const LColor& color, bool blend) = 0;
    virtual void DrawFilledRect(const RectT<int32_t>& rect, const LColor& fill, const LColor& line,
                                float lineWidth) = 0;
    virtual void DrawColorRectList(const ColorRectListT<float>& list, const PointT<double>& offset,
                                   bool keepCached) = 0;
    virtual void DrawLine(const PointT<float>& from, const PointT<float>& to, const LColor& color, float width) = 0;
    virtual void DrawLineSegments(const PolylineT<float>& polyline, const LColor& color, const PointT<float>& offset,
                                  const PointT<float>& scale, bool keepCached) = 0;
    virtual void DrawPolyline(const PolylineT<float>& polyline, const LColor& color, const PointT<float>& offset,
                              const PointT<float>& scale, bool keepCached) = 0;
    virtual void DrawPolygon(const PolylineT<float>& polyline, const LColor& color, const PointT<float>& offset,
                             const PointT<float>& scale, bool keepCached) = 0;
    virtual void FillPolygon(const PolylineT<float>& polyline, const LColor& color, const PointT<float>& offset,
                             const PointT<float>& scale, bool keepCached) = 0;
    // Resize types: 0 stretch, 1 tile, 2 centre.
    virtual void DrawBitmap(const ConstRCPtr<LBitmap>& bitmap, const RectT<int32_t>& dest, int32_t resizeType) = 0;
    virtual KXRESULT DrawContextSurface(const ConstRCPtr<LRenderContextInfo>& source, const PointT<int32_t>& dest,
                                        const RectT<int32_t>& sourceRect) = 0;
    virtual KXRESULT ScrollContextSurface(const ConstRCPtr<LRenderContextInfo>& context,
                                          const PointT<int32_t>& offset) = 0;

    // Saves the state and moves the origin by the offset rounded to whole pixels; the clip
    // stays where it was on the target. Does nothing while the context has no saved state.
    virtual void PushOrigin(const PointT<double>& offset);
    // Saves the state, moves the origin to the area's corner and sets the clip. Relative: area
    // and clip are relative to the current origin, and the clip is limited to the area and the
    // current clip. The stencil is installed when given.
    virtual void PushClipRect(const RectT<double>& area, const RectT<double>& clip, const ConstRCPtr<LStencil>& stencil,
                              bool relative);
    virtual void PushState();
    // Restores the last saved state; nothing when none is saved.
    virtual void PopState();
    virtual void SetClipRect(const RectT<double>& rect);
    virtual void OffsetOrigin(const PointT<double>& offset);

    // Contexts started and not yet finished, the current one last.
    const ConstRCPtrArray<LRenderContextInfo>& GetContextStack() const noexcept { return m_contexts; }
    // The current context, or null.
    LRenderContextInfo* GetCurrentContext() const noexcept;

protected:
    LRenderer() = default;
    ~LRenderer() override;

private:
    ConstRCPtrArray<LRenderContextInfo> m_contexts;
};

// How CAutoClip saves the state.
struct PushClipDescriptor {
    // 0 push the state, 1 push a clip rectangle, 2 push an origin.
    int32_t flavor = 0;
    RectT<double> area;
    RectT<double> clip;
    ConstRCPtr<LStencil> stencil;
    bool relative = false;
    PointT<double> point;
};

// Saves a render state for a drawing scope and restores it when the scope ends.
class CAutoClip {
public:
    // Throws the runtime error "Unknown PushClip flavor" for a flavour other than 0, 1 and 2.
    CAutoClip(const RCPtr<LRenderer>& renderer, const PushClipDescriptor& descriptor);
    // PushState.
    explicit CAutoClip(const RCPtr<LRenderer>& renderer);
    // PushClipRect.
    CAutoClip(const RCPtr<LRenderer>& renderer, const RectT<double>& area, const RectT<double>& clip,
              const ConstRCPtr<LStencil>& stencil, bool relative = true);
    // PushOrigin.
    CAutoClip(const RCPtr<LRenderer>& renderer, const PointT<double>& origin);
    ~CAutoClip();

    CAutoClip(const CAutoClip&) = delete;
    CAutoClip& operator=(const CAutoClip&) = delete;

private:
    RCPtr<LRenderer> m_renderer;
};

} // namespace KX
