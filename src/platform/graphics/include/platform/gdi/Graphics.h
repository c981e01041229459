#pragma once
// Drawing on a bitmap or a window.
#include "platform/gdi/Bitmap.h"
#include "platform/gdi/Brush.h"
#include "platform/gdi/CairoRef.h"
#include "platform/gdi/Font.h"
#include "platform/gdi/Path.h"
#include "platform/gdi/Types.h"

#include <memory>
#include <span>
#include <string_view>
#include <utility>
#include <vector>

namespace gdi {

class WindowSurface;

// A bitmap copied once into the drawing format, drawn unscaled at integer positions.
class CachedBitmap {
public:
    static Status Create(const Bitmap& bitmap, const Graphics& graphics, std::unique_ptr<CachedBitmap>& out);
    ~CachedBitmap();
    CachedBitmap(const CachedBitmap&) = delete;
    CachedBitmap& operator=(const CachedBitmap&) = delete;

    int32_t GetWidth() const { return m_width; }
    int32_t GetHeight() const { return m_height; }

private:
    friend class Graphics;
    CachedBitmap(CairoSurface surface, int32_t width, int32_t height)
        : m_surface(std::move(surface)), m_width(width), m_height(height)
    {
    }

    CairoSurface m_surface;
    int32_t m_width;
    int32_t m_height;
};

// Draws on a bitmap, or on a window's back buffer (what is drawn there is presented on Flush and
// when the Graphics is destroyed). The target must outlive the Graphics.
//
// The world transform is a translation. The clip is a rectangle kept in pixels: it is given in
// world coordinates, moved by the transform in force when it is set, and later changes of the
// transform do not move it. Without anti-aliasing a fill covers the pixels whose centres lie
// inside the shape; with the default pixel offset, pixel centres sit on integer coordinates, so
// FillRectangle(x, y, w, h) covers exactly columns x .. x + w - 1.
class Graphics {
public:
    static Status FromImage(Bitmap& bitmap, std::unique_ptr<Graphics>& out);
    static Status FromWindow(WindowSurface& window, std::unique_ptr<Graphics>& out);
    ~Graphics();
    Graphics(const Graphics&) = delete;
    Graphics& operator=(const Graphics&) = delete;

    float GetDpiX() const { return m_dpiX; }
    float GetDpiY() const { return m_dpiY; }

    Status SetSmoothingMode(SmoothingMode mode);
    SmoothingMode GetSmoothingMode() const { return m_smoothing; }
    Status SetInterpolationMode(InterpolationMode mode);
    InterpolationMode GetInterpolationMode() const { return m_interpolation; }
    Status SetPixelOffsetMode(PixelOffsetMode mode);
    PixelOffsetMode GetPixelOffsetMode() const { return m_pixelOffset; }
    // SourceCopy replaces pixels (alpha included) instead of blending.
    Status SetCompositingMode(CompositingMode mode);
    CompositingMode GetCompositingMode() const { return m_compositing; }

    Status TranslateTransform(double dx, double dy);
    Status ResetTransform();
    PointF GetTranslation() const { return {float(m_tx), float(m_ty)}; }

    Status SetClip(const RectF& rect, CombineMode mode = CombineMode::Replace);
    Status IntersectClip(const RectF& rect) { return SetClip(rect, CombineMode::Intersect); }
    Status ResetClip();
    // The clip in world coordinates (the whole target when there is none).
    RectF GetClipBounds() const;

    // Sets every pixel of the clip to exactly `color`.
    Status Clear(ARGB color);

    Status FillRectangle(const Brush& brush, const RectF& rect);
    Status FillRectangle(const Brush& brush, int32_t x, int32_t y, int32_t width, int32_t height);
    Status DrawRectangle(const Pen& pen, const RectF& rect);
    Status DrawRectangle(const Pen& pen, int32_t x, int32_t y, int32_t width, int32_t height);
    Status DrawLine(const Pen& pen, float x1, float y1, float x2, float y2);
    Status DrawLines(const Pen& pen, std::span<const PointF> points);
    Status DrawPolygon(const Pen& pen, std::span<const PointF> points);
    Status FillPolygon(const Brush& brush, std::span<const PointF> points, FillMode mode = FillMode::Alternate);
    Status DrawEllipse(const Pen& pen, const RectF& rect);
    Status FillEllipse(const Brush& brush, const RectF& rect);
    Status DrawPath(const Pen& pen, const GraphicsPath& path);
    Status FillPath(const Brush& brush, const GraphicsPath& path);

    // Images are measured in pixels. The whole image unscaled at (x, y):
    Status DrawImage(const Bitmap& image, float x, float y);
    // A source rectangle unscaled at (x, y):
    Status DrawImage(const Bitmap& image, int32_t x, int32_t y, int32_t srcX, int32_t srcY, int32_t srcWidth,
                     int32_t srcHeight);
    // A source rectangle scaled into a destination rectangle (by the interpolation mode):
    Status DrawImage(const Bitmap& image, const RectF& dest, const RectF& source);
    // Translation applies; the position is rounded to whole pixels.
    Status DrawCachedBitmap(const CachedBitmap& cached, int32_t x, int32_t y);

    // One line per "\n". The layout rectangle gives the origin only: text is neither wrapped
    // nor clipped to it. The first baseline lies the font's cell ascent below its top.
    Status DrawString(std::u16string_view text, const Font& font, const RectF& layout, const StringFormat* format,
                      const Brush& brush);
    // The bounds of each of the format's measurable ranges, as the text would be drawn.
    Status MeasureCharacterRanges(std::u16string_view text, const Font& font, const RectF& layout,
                                  const StringFormat& format, std::vector<RectF>& out);

    Status Flush(FlushIntention intention = FlushIntention::Flush);

    // Last failure recorded by an operation; reading it resets it to Ok.
    Status GetLastStatus();

private:
    struct Box {
        int32_t x0, y0, x1, y1;
        bool Empty() const { return x1 <= x0 || y1 <= y0; }
        bool operator==(const Box&) const = default;
    };

    Graphics(Bitmap& target, WindowSurface* window, CairoContext cr, float dpiX, float dpiY);
    Status Fail(Status status);
    // Prepares cairo for one operation; null when the target cannot be drawn on now.
    _cairo* Begin(Status& status);
    Status End(const Box& touched);
    bool Aliased() const;
    double GeometryOffset() const;
    // Hands the clip to cairo when it differs from what cairo holds; done before each cairo operation.
    void ApplyClip();
    Box SnapRect(double x, double y, double width, double height) const;
    static Box ExtentsBox(double x0, double y0, double x1, double y1);
    Box Intersect(Box a, Box b) const;
    bool SetBrushSource(_cairo* cr, const Brush& brush);
    Status FillBox(const Brush& brush, Box box);
    Status StrokeCurrentPath(_cairo* cr, const Pen& pen);
    // Strokes the polyline through points, closed into a polygon when asked.
    Status StrokePoints(const Pen& pen, std::span<const PointF> points, bool closed);
    Status FillCurrentPath(_cairo* cr, const Brush& brush, FillMode mode);
    void AddPathToCairo(_cairo* cr, const GraphicsPath& path, bool close) const;
    void AddPointsToCairo(_cairo* cr, std::span<const PointF> points, bool close) const;
    Status DrawSurface(_cairo_surface* surface, int32_t surfaceWidth, int32_t surfaceHeight, const RectF& dest,
                       const RectF& source, bool scaled);

    Bitmap* m_target;
    WindowSurface* m_window;
    CairoContext m_cr;
    float m_dpiX;
    float m_dpiY;
    double m_tx = 0;
    double m_ty = 0;
    Box m_clip;
    Box m_cairoClip; // the clip cairo holds; the whole target is none
    SmoothingMode m_smoothing = SmoothingMode::Default;
    InterpolationMode m_interpolation = InterpolationMode::Default;
    PixelOffsetMode m_pixelOffset = PixelOffsetMode::Default;
    CompositingMode m_compositing = CompositingMode::SourceOver;
    std::vector<RectI> m_pending; // window pixels drawn and not yet presented
    Status m_lastStatus = Status::Ok;
};

} // namespace gdi
