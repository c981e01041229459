#include "platform/gdi/Graphics.h"

#include "GraphicsInternal.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>

namespace gdi {

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

} // namespace gdi
