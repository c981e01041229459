#include "platform/gdi/Graphics.h"

#include "platform/gdi/WindowSurface.h"

#include "FontInternal.h"
#include "Handles.h"
#include "platform/posix/Utf.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <new>

namespace gdi {

namespace {

// Cairo's fixed-point coordinates hold 24 integer bits; keep well inside them.
constexpr double kCoordLimit = 4194304.0;

double Coord(double v)
{
    if (std::isnan(v))
        return 0.0;
    return std::clamp(v, -kCoordLimit, kCoordLimit);
}

int32_t ToInt(double v)
{
    if (std::isnan(v))
        return 0;
    return static_cast<int32_t>(std::clamp(v, -1073741824.0, 1073741824.0));
}

int32_t RoundToInt(double v)
{
    return ToInt(std::floor(v + 0.5));
}

void SetSourceColor(cairo_t* cr, ARGB color)
{
    cairo_set_source_rgba(cr, ((color >> 16) & 255) / 255.0, ((color >> 8) & 255) / 255.0, (color & 255) / 255.0,
                          (color >> 24) / 255.0);
}

bool Finite(const RectF& r)
{
    return std::isfinite(r.x) && std::isfinite(r.y) && std::isfinite(r.width) && std::isfinite(r.height);
}

} // namespace

// ---- CachedBitmap

Status CachedBitmap::Create(const Bitmap& bitmap, const Graphics&, std::unique_ptr<CachedBitmap>& out)
{
    out.reset();
    std::unique_ptr<Bitmap> copy;
    if (Status s = bitmap.Clone({0, 0, bitmap.GetWidth(), bitmap.GetHeight()}, PixelFormat::PArgb32, copy);
        s != Status::Ok)
        return s;
    cairo_surface_t* surface = copy->SurfaceForCairo();
    if (!surface)
        return Status::OutOfMemory;
    CairoSurface reference(cairo_surface_reference(surface));
    out.reset(new (std::nothrow) CachedBitmap(reference.get(), copy->GetWidth(), copy->GetHeight()));
    if (!out)
        return Status::OutOfMemory;
    reference.release(); // the cached bitmap holds it now
    return Status::Ok;
}

CachedBitmap::~CachedBitmap()
{
    cairo_surface_destroy(m_surface);
}

// ---- TextureBrush

Status TextureBrush::Create(const Bitmap& bitmap, const RectI& source, std::unique_ptr<TextureBrush>& out)
{
    out.reset();
    std::unique_ptr<Bitmap> copy;
    if (Status s = bitmap.Clone(source, PixelFormat::PArgb32, copy); s != Status::Ok)
        return s;
    cairo_surface_t* surface = copy->SurfaceForCairo();
    if (!surface)
        return Status::OutOfMemory;
    CairoPattern pattern(cairo_pattern_create_for_surface(surface));
    if (cairo_pattern_status(pattern.get()) != CAIRO_STATUS_SUCCESS)
        return Status::OutOfMemory;
    cairo_pattern_set_extend(pattern.get(), CAIRO_EXTEND_REPEAT);
    cairo_pattern_set_filter(pattern.get(), CAIRO_FILTER_NEAREST);
    out.reset(new (std::nothrow) TextureBrush(pattern.get()));
    if (!out)
        return Status::OutOfMemory;
    pattern.release(); // the brush holds it now
    return Status::Ok;
}

TextureBrush::~TextureBrush()
{
    cairo_pattern_destroy(m_pattern);
}

// ---- Graphics: creation and state

Graphics::Graphics(Bitmap& target, WindowSurface* window, _cairo* cr, float dpiX, float dpiY)
    : m_target(&target), m_window(window), m_cr(cr), m_dpiX(dpiX),
      m_dpiY(dpiY), m_clip{0, 0, target.GetWidth(), target.GetHeight()}
{
}

Status Graphics::FromImage(Bitmap& bitmap, std::unique_ptr<Graphics>& out)
{
    out.reset();
    if (bitmap.m_locked)
        return Status::ObjectBusy;
    cairo_surface_t* surface = bitmap.SurfaceForCairo();
    if (!surface)
        return Status::OutOfMemory;
    CairoContext cr(cairo_create(surface));
    if (cairo_status(cr.get()) != CAIRO_STATUS_SUCCESS)
        return Status::OutOfMemory;
    out.reset(new (std::nothrow) Graphics(bitmap, nullptr, cr.get(), bitmap.GetHorizontalResolution(),
                                          bitmap.GetVerticalResolution()));
    if (!out)
        return Status::OutOfMemory;
    cr.release(); // the Graphics holds it now
    return Status::Ok;
}

Status Graphics::FromWindow(WindowSurface& window, std::unique_ptr<Graphics>& out)
{
    Status s = FromImage(window.GetBackBuffer(), out);
    if (s == Status::Ok) {
        out->m_window = &window;
        out->m_dpiX = window.GetDpiX();
        out->m_dpiY = window.GetDpiY();
    }
    return s;
}

Graphics::~Graphics()
{
    if (m_window && !m_pending.empty())
        m_window->Present(m_pending);
    cairo_destroy(m_cr);
}

Status Graphics::Fail(Status status)
{
    if (status != Status::Ok)
        m_lastStatus = status;
    return status;
}

Status Graphics::GetLastStatus()
{
    Status s = m_lastStatus;
    m_lastStatus = Status::Ok;
    return s;
}

Status Graphics::SetSmoothingMode(SmoothingMode mode)
{
    m_smoothing = mode;
    return Status::Ok;
}

Status Graphics::SetInterpolationMode(InterpolationMode mode)
{
    m_interpolation = mode;
    return Status::Ok;
}

Status Graphics::SetPixelOffsetMode(PixelOffsetMode mode)
{
    m_pixelOffset = mode;
    return Status::Ok;
}

Status Graphics::SetCompositingMode(CompositingMode mode)
{
    m_compositing = mode;
    return Status::Ok;
}

Status Graphics::TranslateTransform(double dx, double dy)
{
    if (!std::isfinite(dx) || !std::isfinite(dy))
        return Fail(Status::InvalidParameter);
    m_tx += dx;
    m_ty += dy;
    return Status::Ok;
}

Status Graphics::ResetTransform()
{
    m_tx = m_ty = 0;
    return Status::Ok;
}

bool Graphics::Aliased() const
{
    return m_smoothing != SmoothingMode::AntiAlias && m_smoothing != SmoothingMode::HighQuality;
}

double Graphics::GeometryOffset() const
{
    return m_pixelOffset == PixelOffsetMode::Half || m_pixelOffset == PixelOffsetMode::HighQuality ? 0.0 : 0.5;
}

// The pixels whose centres lie inside a device rectangle (left and top edges inclusive).
Graphics::Box Graphics::SnapRect(double x, double y, double width, double height) const
{
    if (std::isnan(x) || std::isnan(y) || std::isnan(width) || std::isnan(height) || width <= 0 || height <= 0)
        return {0, 0, 0, 0};
    double shift = GeometryOffset() - 0.5;
    return {ToInt(std::ceil(x + shift)), ToInt(std::ceil(y + shift)), ToInt(std::ceil(x + width + shift)),
            ToInt(std::ceil(y + height + shift))};
}

Graphics::Box Graphics::Intersect(Box a, Box b) const
{
    Box r{std::max(a.x0, b.x0), std::max(a.y0, b.y0), std::min(a.x1, b.x1), std::min(a.y1, b.y1)};
    if (r.Empty())
        return {0, 0, 0, 0};
    return r;
}

void Graphics::ApplyClip()
{
    cairo_reset_clip(m_cr);
    if (m_clip.x0 == 0 && m_clip.y0 == 0 && m_clip.x1 == m_target->GetWidth() && m_clip.y1 == m_target->GetHeight())
        return;
    cairo_new_path(m_cr);
    cairo_rectangle(m_cr, m_clip.x0, m_clip.y0, m_clip.x1 - m_clip.x0, m_clip.y1 - m_clip.y0);
    cairo_clip(m_cr);
}

Status Graphics::SetClip(const RectF& rect, CombineMode mode)
{
    Box whole{0, 0, m_target->GetWidth(), m_target->GetHeight()};
    Box box = SnapRect(rect.x + m_tx, rect.y + m_ty, rect.width, rect.height);
    m_clip = Intersect(box, mode == CombineMode::Replace ? whole : m_clip);
    ApplyClip();
    return Status::Ok;
}

Status Graphics::ResetClip()
{
    m_clip = {0, 0, m_target->GetWidth(), m_target->GetHeight()};
    ApplyClip();
    return Status::Ok;
}

RectF Graphics::GetClipBounds() const
{
    return {float(m_clip.x0 - m_tx), float(m_clip.y0 - m_ty), float(m_clip.x1 - m_clip.x0),
            float(m_clip.y1 - m_clip.y0)};
}

// ---- Graphics: one drawing operation

_cairo* Graphics::Begin(Status& status)
{
    if (m_target->m_locked) {
        status = Fail(Status::ObjectBusy);
        return nullptr;
    }
    if (!m_target->SurfaceForCairo()) {
        status = Fail(Status::OutOfMemory);
        return nullptr;
    }
    cairo_new_path(m_cr);
    cairo_set_operator(m_cr,
                       m_compositing == CompositingMode::SourceCopy ? CAIRO_OPERATOR_SOURCE : CAIRO_OPERATOR_OVER);
    cairo_set_antialias(m_cr, Aliased() ? CAIRO_ANTIALIAS_NONE : CAIRO_ANTIALIAS_DEFAULT);
    status = Status::Ok;
    return m_cr;
}

Status Graphics::End(const Box& touched)
{
    Status status = Status::Ok;
    m_target->SurfaceDrawnByCairo();
    cairo_new_path(m_cr);
    if (cairo_status(m_cr) != CAIRO_STATUS_SUCCESS) {
        // A cairo context stays failed; start a fresh one.
        CairoContext fresh(cairo_create(m_target->SurfaceForCairo()));
        if (cairo_status(fresh.get()) == CAIRO_STATUS_SUCCESS) {
            cairo_destroy(m_cr);
            m_cr = fresh.release();
            ApplyClip();
        }
        status = Fail(Status::GenericError);
    }
    if (m_window) {
        Box box = Intersect(touched, m_clip);
        if (!box.Empty())
            m_pending.push_back({box.x0, box.y0, box.x1 - box.x0, box.y1 - box.y0});
    }
    return status;
}

bool Graphics::SetBrushSource(_cairo* cr, const Brush& brush)
{
    ARGB color;
    if (brush.GetSolidColor(color)) {
        SetSourceColor(cr, color);
        return true;
    }
    cairo_pattern_t* pattern = brush.GetPattern();
    if (!pattern)
        return false;
    cairo_matrix_t matrix;
    cairo_matrix_init_translate(&matrix, -Coord(m_tx), -Coord(m_ty));
    cairo_pattern_set_matrix(pattern, &matrix);
    cairo_set_source(cr, pattern);
    return true;
}

Status Graphics::FillBox(const Brush& brush, Box box)
{
    box = Intersect(box, m_clip);
    if (m_target->m_locked)
        return Fail(Status::ObjectBusy);
    if (box.Empty())
        return Status::Ok;
    ARGB color;
    bool solid = brush.GetSolidColor(color);
    if (solid && (m_compositing == CompositingMode::SourceCopy || (color >> 24) == 255)) {
        m_target->FillExact(box.x0, box.y0, box.x1, box.y1, color);
        if (m_window)
            m_pending.push_back({box.x0, box.y0, box.x1 - box.x0, box.y1 - box.y0});
        return Status::Ok;
    }
    if (solid && (color >> 24) == 0)
        return Status::Ok;
    Status status;
    cairo_t* cr = Begin(status);
    if (!cr)
        return status;
    cairo_rectangle(cr, box.x0, box.y0, box.x1 - box.x0, box.y1 - box.y0);
    if (SetBrushSource(cr, brush))
        cairo_fill(cr);
    return End(box);
}

Status Graphics::Clear(ARGB color)
{
    if (m_target->m_locked)
        return Fail(Status::ObjectBusy);
    Box box = m_clip;
    if (!box.Empty()) {
        m_target->FillExact(box.x0, box.y0, box.x1, box.y1, color);
        if (m_window)
            m_pending.push_back({box.x0, box.y0, box.x1 - box.x0, box.y1 - box.y0});
    }
    return Status::Ok;
}

// ---- Graphics: shapes

Status Graphics::FillRectangle(const Brush& brush, const RectF& rect)
{
    double x = rect.x + m_tx, y = rect.y + m_ty;
    if (Aliased())
        return FillBox(brush, SnapRect(x, y, rect.width, rect.height));
    if (!(rect.width > 0) || !(rect.height > 0))
        return Status::Ok;
    Status status;
    cairo_t* cr = Begin(status);
    if (!cr)
        return status;
    double off = GeometryOffset();
    cairo_rectangle(cr, Coord(x + off), Coord(y + off), Coord(rect.width), Coord(rect.height));
    return FillCurrentPath(cr, brush, FillMode::Winding);
}

Status Graphics::FillRectangle(const Brush& brush, int32_t x, int32_t y, int32_t width, int32_t height)
{
    return FillRectangle(brush, RectF{float(x), float(y), float(width), float(height)});
}

Status Graphics::FillCurrentPath(_cairo* cr, const Brush& brush, FillMode mode)
{
    cairo_set_fill_rule(cr, mode == FillMode::Alternate ? CAIRO_FILL_RULE_EVEN_ODD : CAIRO_FILL_RULE_WINDING);
    Box touched{0, 0, 0, 0};
    if (m_window) {
        double x0, y0, x1, y1;
        cairo_fill_extents(cr, &x0, &y0, &x1, &y1);
        touched = ExtentsBox(x0, y0, x1, y1);
    }
    if (SetBrushSource(cr, brush))
        cairo_fill(cr);
    return End(touched);
}

Status Graphics::StrokeCurrentPath(_cairo* cr, const Pen& pen)
{
    // A pen thinner than a pixel (or of width 0) still draws one pixel.
    double width = pen.GetWidth();
    if (!(width > 0) || (Aliased() && width < 1))
        width = 1;
    cairo_set_line_width(cr, std::min(width, kCoordLimit));
    Box touched{0, 0, 0, 0};
    if (m_window) {
        double x0, y0, x1, y1;
        cairo_stroke_extents(cr, &x0, &y0, &x1, &y1);
        touched = ExtentsBox(x0, y0, x1, y1);
    }
    SetSourceColor(cr, pen.GetColor());
    cairo_stroke(cr);
    return End(touched);
}

Graphics::Box Graphics::ExtentsBox(double x0, double y0, double x1, double y1)
{
    return {ToInt(std::floor(x0)), ToInt(std::floor(y0)), ToInt(std::ceil(x1)), ToInt(std::ceil(y1))};
}

void Graphics::AddPointsToCairo(_cairo* cr, std::span<const PointF> points, bool close) const
{
    double off = GeometryOffset();
    bool first = true;
    for (const PointF& p : points) {
        double x = Coord(p.x + m_tx + off), y = Coord(p.y + m_ty + off);
        if (first)
            cairo_move_to(cr, x, y);
        else
            cairo_line_to(cr, x, y);
        first = false;
    }
    if (close && !points.empty())
        cairo_close_path(cr);
}

void Graphics::AddPathToCairo(_cairo* cr, const GraphicsPath& path, bool close) const
{
    for (const GraphicsPath::Figure& figure : path.GetFigures())
        AddPointsToCairo(cr, figure.points, close || figure.closed);
}

Status Graphics::DrawRectangle(const Pen& pen, const RectF& rect)
{
    if (!Finite(rect))
        return Fail(Status::InvalidParameter);
    const PointF corners[] = {{rect.x, rect.y},
                              {rect.x + rect.width, rect.y},
                              {rect.x + rect.width, rect.y + rect.height},
                              {rect.x, rect.y + rect.height}};
    Status status;
    cairo_t* cr = Begin(status);
    if (!cr)
        return status;
    AddPointsToCairo(cr, corners, true);
    return StrokeCurrentPath(cr, pen);
}

Status Graphics::DrawRectangle(const Pen& pen, int32_t x, int32_t y, int32_t width, int32_t height)
{
    return DrawRectangle(pen, RectF{float(x), float(y), float(width), float(height)});
}

Status Graphics::DrawLine(const Pen& pen, float x1, float y1, float x2, float y2)
{
    const PointF points[] = {{x1, y1}, {x2, y2}};
    return DrawLines(pen, points);
}

Status Graphics::DrawLines(const Pen& pen, std::span<const PointF> points)
{
    return StrokePoints(pen, points, false);
}

Status Graphics::DrawPolygon(const Pen& pen, std::span<const PointF> points)
{
    return StrokePoints(pen, points, true);
}

Status Graphics::StrokePoints(const Pen& pen, std::span<const PointF> points, bool closed)
{
    if (points.size() < 2)
        return Fail(Status::InvalidParameter);
    Status status;
    cairo_t* cr = Begin(status);
    if (!cr)
        return status;
    AddPointsToCairo(cr, points, closed);
    return StrokeCurrentPath(cr, pen);
}

Status Graphics::FillPolygon(const Brush& brush, std::span<const PointF> points, FillMode mode)
{
    if (points.size() < 3)
        return Fail(Status::InvalidParameter);
    Status status;
    cairo_t* cr = Begin(status);
    if (!cr)
        return status;
    AddPointsToCairo(cr, points, true);
    return FillCurrentPath(cr, brush, mode);
}

namespace {

// Four cubic arcs; no scaling of the context, which a zero radius would break.
void AddEllipse(cairo_t* cr, double x, double y, double w, double h)
{
    constexpr double k = 0.5522847498307936;
    double rx = w / 2, ry = h / 2, cx = x + rx, cy = y + ry;
    cairo_move_to(cr, cx + rx, cy);
    cairo_curve_to(cr, cx + rx, cy + k * ry, cx + k * rx, cy + ry, cx, cy + ry);
    cairo_curve_to(cr, cx - k * rx, cy + ry, cx - rx, cy + k * ry, cx - rx, cy);
    cairo_curve_to(cr, cx - rx, cy - k * ry, cx - k * rx, cy - ry, cx, cy - ry);
    cairo_curve_to(cr, cx + k * rx, cy - ry, cx + rx, cy - k * ry, cx + rx, cy);
    cairo_close_path(cr);
}

} // namespace

Status Graphics::DrawEllipse(const Pen& pen, const RectF& rect)
{
    if (!Finite(rect))
        return Fail(Status::InvalidParameter);
    Status status;
    cairo_t* cr = Begin(status);
    if (!cr)
        return status;
    double off = GeometryOffset();
    AddEllipse(cr, Coord(rect.x + m_tx + off), Coord(rect.y + m_ty + off), Coord(rect.width), Coord(rect.height));
    return StrokeCurrentPath(cr, pen);
}

Status Graphics::FillEllipse(const Brush& brush, const RectF& rect)
{
    if (!Finite(rect))
        return Fail(Status::InvalidParameter);
    Status status;
    cairo_t* cr = Begin(status);
    if (!cr)
        return status;
    double off = GeometryOffset();
    AddEllipse(cr, Coord(rect.x + m_tx + off), Coord(rect.y + m_ty + off), Coord(rect.width), Coord(rect.height));
    return FillCurrentPath(cr, brush, FillMode::Winding);
}

Status Graphics::DrawPath(const Pen& pen, const GraphicsPath& path)
{
    Status status;
    cairo_t* cr = Begin(status);
    if (!cr)
        return status;
    AddPathToCairo(cr, path, false);
    return StrokeCurrentPath(cr, pen);
}

Status Graphics::FillPath(const Brush& brush, const GraphicsPath& path)
{
    Status status;
    cairo_t* cr = Begin(status);
    if (!cr)
        return status;
    AddPathToCairo(cr, path, true);
    return FillCurrentPath(cr, brush, path.GetFillMode());
}

// ---- Graphics: images

Status Graphics::DrawImage(const Bitmap& image, float x, float y)
{
    RectF whole = image.GetBounds();
    return DrawImage(image, RectF{x, y, whole.width, whole.height}, whole);
}

Status Graphics::DrawImage(const Bitmap& image, int32_t x, int32_t y, int32_t srcX, int32_t srcY, int32_t srcWidth,
                           int32_t srcHeight)
{
    return DrawImage(image, RectF{float(x), float(y), float(srcWidth), float(srcHeight)},
                     RectF{float(srcX), float(srcY), float(srcWidth), float(srcHeight)});
}

Status Graphics::DrawImage(const Bitmap& image, const RectF& dest, const RectF& source)
{
    if (!Finite(dest) || !Finite(source))
        return Fail(Status::InvalidParameter);
    if (image.m_locked)
        return Fail(Status::ObjectBusy);
    auto& source_bitmap = const_cast<Bitmap&>(image);
    std::unique_ptr<Bitmap> copy;
    if (&image == m_target) {
        // Drawing a bitmap onto itself reads from a copy.
        if (Status s = image.Clone({0, 0, image.GetWidth(), image.GetHeight()}, PixelFormat::PArgb32, copy);
            s != Status::Ok)
            return Fail(s);
    }
    Bitmap& from = copy ? *copy : source_bitmap;
    cairo_surface_t* surface = from.SurfaceForCairo();
    if (!surface)
        return Fail(Status::OutOfMemory);
    bool scaled = dest.width != source.width || dest.height != source.height;
    return DrawSurface(surface, from.GetWidth(), from.GetHeight(), dest, source, scaled);
}

Status Graphics::DrawSurface(_cairo_surface* surface, int32_t surfaceWidth, int32_t surfaceHeight, const RectF& dest,
                             const RectF& source, bool scaled)
{
    if (dest.width == 0 || dest.height == 0 || source.width == 0 || source.height == 0)
        return Status::Ok;
    double dx = dest.x + m_tx, dy = dest.y + m_ty;
    bool integral = dx == std::floor(dx) && dy == std::floor(dy) && source.x == std::floor(source.x) &&
                    source.y == std::floor(source.y);

    if (!scaled && dest.width > 0 && dest.height > 0 &&
        (integral || m_interpolation == InterpolationMode::NearestNeighbor)) {
        // Unscaled copy at whole pixels, limited to the part of the source inside the image.
        int32_t bx = RoundToInt(dx), by = RoundToInt(dy);
        int32_t sx = RoundToInt(source.x), sy = RoundToInt(source.y);
        int32_t sw = ToInt(source.width), sh = ToInt(source.height);
        int32_t x0 = std::max(sx, 0), y0 = std::max(sy, 0);
        auto x1 = int32_t(std::min<int64_t>(int64_t(sx) + sw, surfaceWidth));
        auto y1 = int32_t(std::min<int64_t>(int64_t(sy) + sh, surfaceHeight));
        Box box{ToInt(double(bx) + (x0 - sx)), ToInt(double(by) + (y0 - sy)), ToInt(double(bx) + (x1 - sx)),
                ToInt(double(by) + (y1 - sy))};
        box = Intersect(box, m_clip);
        if (box.Empty())
            return Status::Ok;
        Status status;
        cairo_t* cr = Begin(status);
        if (!cr)
            return status;
        cairo_set_source_surface(cr, surface, double(bx) - sx, double(by) - sy);
        cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
        cairo_rectangle(cr, box.x0, box.y0, box.x1 - box.x0, box.y1 - box.y0);
        cairo_fill(cr);
        cairo_set_source_rgb(cr, 0, 0, 0);
        return End(box);
    }

    // Scaled (or placed between pixels): a pattern mapping the destination onto the source.
    double left = std::min(dx, dx + double(dest.width)), right = std::max(dx, dx + double(dest.width));
    double top = std::min(dy, dy + double(dest.height)), bottom = std::max(dy, dy + double(dest.height));
    Box box{RoundToInt(left), RoundToInt(top), RoundToInt(right), RoundToInt(bottom)};
    box = Intersect(box, m_clip);
    if (box.Empty())
        return Status::Ok;

    // Read a whole-pixel source rectangle inside the image through a sub-surface, so that
    // filtering never reaches the pixels around it.
    double sx = source.x, sy = source.y;
    CairoSurface sub;
    bool inside = sx == std::floor(sx) && sy == std::floor(sy) && source.width == std::floor(source.width) &&
                  source.height == std::floor(source.height) && sx >= 0 && sy >= 0 && source.width > 0 &&
                  source.height > 0 && sx + source.width <= surfaceWidth && sy + source.height <= surfaceHeight;
    if (inside) {
        sub.reset(cairo_surface_create_for_rectangle(surface, sx, sy, source.width, source.height));
        if (cairo_surface_status(sub.get()) == CAIRO_STATUS_SUCCESS)
            sx = sy = 0;
        else
            sub.reset();
    }

    double scaleX = double(source.width) / dest.width, scaleY = double(source.height) / dest.height;
    cairo_matrix_t matrix;
    cairo_matrix_init(&matrix, scaleX, 0, 0, scaleY, sx - dx * scaleX, sy - dy * scaleY);
    const CairoPattern pattern(cairo_pattern_create_for_surface(sub ? sub.get() : surface));
    cairo_pattern_set_matrix(pattern.get(), &matrix);
    cairo_pattern_set_extend(pattern.get(), sub ? CAIRO_EXTEND_PAD : CAIRO_EXTEND_NONE);
    cairo_filter_t filter = CAIRO_FILTER_BILINEAR;
    if (m_interpolation == InterpolationMode::NearestNeighbor)
        filter = CAIRO_FILTER_NEAREST;
    else if (m_interpolation == InterpolationMode::HighQuality)
        filter = CAIRO_FILTER_GOOD;
    cairo_pattern_set_filter(pattern.get(), filter);

    Status status = Status::ValueOverflow; // a scale too extreme for a pattern matrix
    cairo_t* cr = cairo_pattern_status(pattern.get()) == CAIRO_STATUS_SUCCESS ? Begin(status) : nullptr;
    if (cr) {
        cairo_set_source(cr, pattern.get());
        cairo_rectangle(cr, box.x0, box.y0, box.x1 - box.x0, box.y1 - box.y0);
        cairo_fill(cr);
        cairo_set_source_rgb(cr, 0, 0, 0);
        status = End(box);
    } else {
        Fail(status);
    }
    return status;
}

Status Graphics::DrawCachedBitmap(const CachedBitmap& cached, int32_t x, int32_t y)
{
    int32_t bx = RoundToInt(x + m_tx), by = RoundToInt(y + m_ty);
    Box box = Intersect({bx, by, ToInt(double(bx) + cached.m_width), ToInt(double(by) + cached.m_height)}, m_clip);
    if (box.Empty())
        return Status::Ok;
    Status status;
    cairo_t* cr = Begin(status);
    if (!cr)
        return status;
    cairo_set_source_surface(cr, cached.m_surface, bx, by);
    cairo_rectangle(cr, box.x0, box.y0, box.x1 - box.x0, box.y1 - box.y0);
    cairo_fill(cr);
    cairo_set_source_rgb(cr, 0, 0, 0);
    return End(box);
}

// ---- Graphics: text

namespace {

// Text of one line with each code point's place in the UTF-16 string.
struct LineText {
    std::string utf8;
    std::vector<size_t> unitOfCodePoint; // first UTF-16 unit of each code point
    size_t begin = 0;                    // first UTF-16 unit of the line
    size_t end = 0;                      // one past its last unit (before "\n")
};

std::vector<LineText> SplitLines(std::u16string_view text)
{
    std::vector<LineText> lines(1);
    for (size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
        if (c == u'\n') {
            lines.back().end = i;
            lines.emplace_back();
            lines.back().begin = i + 1;
            continue;
        }
        if (c == u'\r')
            continue;
        size_t units = 1;
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF)
            units = 2;
        lines.back().unitOfCodePoint.push_back(i);
        platform::posix::AppendUtf8Replacing(text.substr(i, units), lines.back().utf8);
        i += units - 1;
    }
    lines.back().end = text.size();
    return lines;
}

struct TextMetrics {
    double pixels;
    double ascent;
    double lineHeight;
    double lead; // space before the first glyph
};

TextMetrics MetricsOf(const detail::FontImpl& font, float dpi)
{
    const detail::FaceEntry& face = *font.face;
    double pixels = font.PixelSize(dpi);
    return {pixels, pixels * face.ascent / face.em, pixels * face.lineSpacing / face.em, pixels / 6.0};
}

} // namespace

Status Graphics::DrawString(std::u16string_view text, const Font& font, const RectF& layout, const StringFormat*,
                            const Brush& brush)
{
    if (!font.m_impl || !Finite(layout))
        return Fail(Status::InvalidParameter);
    if (text.empty())
        return Status::Ok;
    TextMetrics metrics = MetricsOf(*font.m_impl, m_dpiY);
    const CairoScaledFont scaled = font.m_impl->face->ScaledFont(metrics.pixels);
    if (!scaled)
        return Fail(Status::GenericError);

    Status status;
    cairo_t* cr = Begin(status);
    if (cr) {
        cairo_set_scaled_font(cr, scaled.get());
        if (SetBrushSource(cr, brush)) {
            std::vector<LineText> lines = SplitLines(text);
            for (size_t i = 0; i < lines.size(); ++i) {
                if (lines[i].utf8.empty())
                    continue;
                double x = Coord(std::floor(layout.x + m_tx + metrics.lead + 0.5));
                double y = Coord(std::floor(layout.y + m_ty + double(i) * metrics.lineHeight + metrics.ascent + 0.5));
                cairo_glyph_t* glyphs = nullptr;
                int count = 0;
                const cairo_status_t made = cairo_scaled_font_text_to_glyphs(scaled.get(), x, y, lines[i].utf8.data(),
                                                                             int(lines[i].utf8.size()), &glyphs, &count,
                                                                             nullptr, nullptr, nullptr);
                const CairoGlyphs held(glyphs);
                if (made == CAIRO_STATUS_SUCCESS)
                    cairo_show_glyphs(cr, glyphs, count);
            }
        }
        status = End(m_window ? m_clip : Box{0, 0, 0, 0});
    }
    return status;
}

Status Graphics::MeasureCharacterRanges(std::u16string_view text, const Font& font, const RectF& layout,
                                        const StringFormat& format, std::vector<RectF>& out)
{
    out.clear();
    if (!font.m_impl || !Finite(layout))
        return Fail(Status::InvalidParameter);
    const auto& ranges = format.GetMeasurableCharacterRanges();
    for (const CharacterRange& range : ranges)
        if (range.first < 0 || range.length < 0 || size_t(range.first) + size_t(range.length) > text.size())
            return Fail(Status::InvalidParameter);

    TextMetrics metrics = MetricsOf(*font.m_impl, m_dpiY);
    const CairoScaledFont scaled = font.m_impl->face->ScaledFont(metrics.pixels);
    if (!scaled)
        return Fail(Status::GenericError);

    // Extent [left, right) and line of every UTF-16 unit; units without width stay empty.
    struct Extent {
        double left = 0, right = 0;
        size_t line = 0;
        bool counts = false;
    };
    std::vector<Extent> extents(text.size());
    bool trailing = (format.GetFormatFlags() & StringFormatFlagsMeasureTrailingSpaces) != 0;
    std::vector<LineText> lines = SplitLines(text);
    for (size_t l = 0; l < lines.size(); ++l) {
        const LineText& line = lines[l];
        if (line.utf8.empty())
            continue;
        cairo_glyph_t* glyphs = nullptr;
        int count = 0;
        const cairo_status_t made = cairo_scaled_font_text_to_glyphs(
            scaled.get(), 0, 0, line.utf8.data(), int(line.utf8.size()), &glyphs, &count, nullptr, nullptr, nullptr);
        const CairoGlyphs held(glyphs);
        if (made != CAIRO_STATUS_SUCCESS)
            continue;
        size_t n = std::min(size_t(count), line.unitOfCodePoint.size());
        size_t lastCounted = n;
        if (!trailing)
            while (lastCounted > 0 && text[line.unitOfCodePoint[lastCounted - 1]] == u' ')
                --lastCounted;
        for (size_t k = 0; k < n; ++k) {
            double right;
            if (k + 1 < size_t(count)) {
                right = glyphs[k + 1].x;
            } else {
                cairo_text_extents_t ext;
                cairo_scaled_font_glyph_extents(scaled.get(), &glyphs[k], 1, &ext);
                right = glyphs[k].x + ext.x_advance;
            }
            size_t unit = line.unitOfCodePoint[k];
            size_t units = (k + 1 < line.unitOfCodePoint.size() ? line.unitOfCodePoint[k + 1] : line.end) - unit;
            for (size_t u = unit; u < unit + units && u < text.size(); ++u)
                if (text[u] != u'\r' && text[u] != u'\n')
                    extents[u] = {glyphs[k].x, right, l, k < lastCounted};
        }
    }

    for (const CharacterRange& range : ranges) {
        double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
        bool any = false;
        for (int32_t u = range.first; u < range.first + range.length; ++u) {
            const Extent& e = extents[size_t(u)];
            if (!e.counts)
                continue;
            double top = double(e.line) * metrics.lineHeight, bottom = top + metrics.lineHeight;
            if (!any) {
                x0 = e.left, x1 = e.right, y0 = top, y1 = bottom;
                any = true;
            } else {
                x0 = std::min(x0, e.left), x1 = std::max(x1, e.right), y0 = std::min(y0, top),
                y1 = std::max(y1, bottom);
            }
        }
        if (!any)
            out.push_back({});
        else
            out.push_back({float(layout.x + metrics.lead + x0), float(layout.y + y0), float(x1 - x0), float(y1 - y0)});
    }
    return Status::Ok;
}

// ---- Graphics: flushing

Status Graphics::Flush(FlushIntention)
{
    cairo_surface_flush(cairo_get_target(m_cr));
    if (m_window && !m_pending.empty()) {
        std::vector<RectI> rects;
        rects.swap(m_pending);
        m_window->Present(rects);
    }
    return Status::Ok;
}

} // namespace gdi
