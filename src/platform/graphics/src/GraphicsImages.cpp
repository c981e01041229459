#include "platform/gdi/Graphics.h"

#include "GraphicsInternal.h"
#include "Handles.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <new>

namespace gdi {

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
    out.reset(new (std::nothrow) CachedBitmap(std::move(reference), copy->GetWidth(), copy->GetHeight()));
    if (!out)
        return Status::OutOfMemory;
    return Status::Ok;
}

CachedBitmap::~CachedBitmap() = default;

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
    out.reset(new (std::nothrow) TextureBrush(std::move(pattern)));
    if (!out)
        return Status::OutOfMemory;
    return Status::Ok;
}

TextureBrush::~TextureBrush() = default;

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
    cairo_set_source_surface(cr, cached.m_surface.get(), bx, by);
    cairo_rectangle(cr, box.x0, box.y0, box.x1 - box.x0, box.y1 - box.y0);
    cairo_fill(cr);
    cairo_set_source_rgb(cr, 0, 0, 0);
    return End(box);
}

} // namespace gdi
