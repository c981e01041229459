#include "platform/gdi/Graphics.h"

#include "platform/gdi/WindowSurface.h"

#include "GraphicsInternal.h"
#include "Handles.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <new>

namespace gdi {

// ---- Graphics: creation and state

Graphics::Graphics(Bitmap& target, WindowSurface* window, CairoContext cr, float dpiX, float dpiY)
    : m_target(&target), m_window(window), m_cr(std::move(cr)), m_dpiX(dpiX),
      m_dpiY(dpiY), m_clip{0, 0, target.GetWidth(), target.GetHeight()}, m_cairoClip(m_clip)
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
    out.reset(new (std::nothrow) Graphics(bitmap, nullptr, std::move(cr), bitmap.GetHorizontalResolution(),
                                          bitmap.GetVerticalResolution()));
    if (!out)
        return Status::OutOfMemory;
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
    if (m_clip == m_cairoClip)
        return;
    m_cairoClip = m_clip;
    cairo_reset_clip(m_cr.get());
    if (m_clip.x0 == 0 && m_clip.y0 == 0 && m_clip.x1 == m_target->GetWidth() && m_clip.y1 == m_target->GetHeight())
        return;
    cairo_new_path(m_cr.get());
    cairo_rectangle(m_cr.get(), m_clip.x0, m_clip.y0, m_clip.x1 - m_clip.x0, m_clip.y1 - m_clip.y0);
    cairo_clip(m_cr.get());
}

Status Graphics::SetClip(const RectF& rect, CombineMode mode)
{
    Box whole{0, 0, m_target->GetWidth(), m_target->GetHeight()};
    Box box = SnapRect(rect.x + m_tx, rect.y + m_ty, rect.width, rect.height);
    m_clip = Intersect(box, mode == CombineMode::Replace ? whole : m_clip);
    return Status::Ok;
}

Status Graphics::ResetClip()
{
    m_clip = {0, 0, m_target->GetWidth(), m_target->GetHeight()};
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
    ApplyClip();
    cairo_new_path(m_cr.get());
    cairo_set_operator(m_cr.get(),
                       m_compositing == CompositingMode::SourceCopy ? CAIRO_OPERATOR_SOURCE : CAIRO_OPERATOR_OVER);
    cairo_set_antialias(m_cr.get(), Aliased() ? CAIRO_ANTIALIAS_NONE : CAIRO_ANTIALIAS_DEFAULT);
    status = Status::Ok;
    return m_cr.get();
}

Status Graphics::End(const Box& touched)
{
    Status status = Status::Ok;
    m_target->SurfaceDrawnByCairo();
    cairo_new_path(m_cr.get());
    if (cairo_status(m_cr.get()) != CAIRO_STATUS_SUCCESS) {
        // A cairo context stays failed; start a fresh one.
        CairoContext fresh(cairo_create(m_target->SurfaceForCairo()));
        if (cairo_status(fresh.get()) == CAIRO_STATUS_SUCCESS) {
            m_cr = std::move(fresh);
            m_cairoClip = {0, 0, m_target->GetWidth(), m_target->GetHeight()};
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

// ---- Graphics: flushing

Status Graphics::Flush(FlushIntention)
{
    cairo_surface_flush(cairo_get_target(m_cr.get()));
    if (m_window && !m_pending.empty()) {
        std::vector<RectI> rects;
        rects.swap(m_pending);
        m_window->Present(rects);
    }
    return Status::Ok;
}

} // namespace gdi
