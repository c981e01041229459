#include "platform/gdi/Bitmap.h"

#include "Handles.h"
#include "Pixels.h"
#include "platform/gdi/Graphics.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

namespace gdi {

namespace {

constexpr int32_t kMaxSide = 32767;
constexpr int64_t kMaxPixels = int64_t(1) << 26;

bool ValidSize(int64_t width, int64_t height)
{
    return width > 0 && height > 0 && width <= kMaxSide && height <= kMaxSide && width * height <= kMaxPixels;
}

bool Inside(const RectI& r, int32_t width, int32_t height)
{
    return r.width > 0 && r.height > 0 && r.x >= 0 && r.y >= 0 && int64_t(r.x) + r.width <= width &&
           int64_t(r.y) + r.height <= height;
}

// Copies a rectangle of pixels between buffers, converting between straight and premultiplied.
void CopyPixels(const uint32_t* src, int32_t srcStride, PixelFormat srcFormat, uint32_t* dst, int32_t dstStride,
                PixelFormat dstFormat, int32_t width, int32_t height)
{
    for (int32_t y = 0; y < height; ++y) {
        const uint32_t* s =
            reinterpret_cast<const uint32_t*>(reinterpret_cast<const uint8_t*>(src) + std::ptrdiff_t(y) * srcStride);
        uint32_t* d = reinterpret_cast<uint32_t*>(reinterpret_cast<uint8_t*>(dst) + std::ptrdiff_t(y) * dstStride);
        if (srcFormat == dstFormat)
            std::memcpy(d, s, size_t(width) * 4);
        else if (dstFormat == PixelFormat::PArgb32)
            for (int32_t x = 0; x < width; ++x)
                d[x] = detail::Premultiply(s[x]);
        else
            for (int32_t x = 0; x < width; ++x)
                d[x] = detail::Unpremultiply(s[x]);
    }
}

} // namespace

Bitmap::Bitmap(int32_t width, int32_t height, PixelFormat format)
    : m_width(width), m_height(height), m_format(format), m_straightValid(format == PixelFormat::Argb32),
      m_surfaceValid(format == PixelFormat::PArgb32)
{
}

Bitmap::~Bitmap() = default;

Status Bitmap::Allocate(bool zero)
{
    if (m_format == PixelFormat::PArgb32)
        return EnsureSurface();
    size_t count = size_t(m_width) * size_t(m_height);
    m_straight.reset(zero ? new (std::nothrow) uint32_t[count]() : new (std::nothrow) uint32_t[count]);
    return m_straight ? Status::Ok : Status::OutOfMemory;
}

Status Bitmap::EnsureSurface()
{
    if (m_surface)
        return Status::Ok;
    CairoSurface surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, m_width, m_height));
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS)
        return Status::OutOfMemory;
    m_surfaceData = cairo_image_surface_get_data(surface.get());
    m_surfaceStride = cairo_image_surface_get_stride(surface.get());
    m_surface = std::move(surface);
    return Status::Ok;
}

Status Bitmap::Fail(Status status) const
{
    if (status != Status::Ok)
        m_lastStatus = status;
    return status;
}

Status Bitmap::GetLastStatus() const
{
    Status s = m_lastStatus;
    m_lastStatus = Status::Ok;
    return s;
}

namespace {

// Whether premultiplying changes what a value reads back as.
bool LosesByPremultiplying(ARGB value)
{
    return detail::Unpremultiply(detail::Premultiply(value)) != value;
}

} // namespace

uint32_t* Bitmap::ExactValues()
{
    if (!m_exact)
        m_exact.reset(new (std::nothrow) uint32_t[size_t(m_width) * size_t(m_height)]());
    return m_exact.get();
}

ARGB Bitmap::StraightOf(int32_t x, int32_t y, uint32_t premultiplied) const
{
    if (m_exact) {
        ARGB exact = m_exact[size_t(y) * size_t(m_width) + size_t(x)];
        if (detail::Premultiply(exact) == premultiplied)
            return exact;
    }
    return detail::Unpremultiply(premultiplied);
}

void Bitmap::WriteExact(uint32_t* row, int32_t x, int32_t y, ARGB value)
{
    row[x] = detail::Premultiply(value);
    if (m_exact || LosesByPremultiplying(value))
        if (uint32_t* exact = ExactValues())
            exact[size_t(y) * size_t(m_width) + size_t(x)] = value;
}

void Bitmap::FillExact(int32_t x0, int32_t y0, int32_t x1, int32_t y1, ARGB value)
{
    // Argb32: the straight pixels take the value even while they are behind the surface; the
    // surface then holds its premultiplied form, so bringing them up to date keeps it.
    uint32_t* straight = m_format == PixelFormat::Argb32 ? m_straight.get() : nullptr;
    if (straight) {
        for (int32_t y = y0; y < y1; ++y)
            std::fill(&straight[size_t(y) * size_t(m_width) + size_t(x0)],
                      &straight[size_t(y) * size_t(m_width) + size_t(x1)], value);
        if (!m_surfaceValid)
            return;
    }
    uint32_t* exact = !straight && (m_exact || LosesByPremultiplying(value)) ? ExactValues() : nullptr;
    uint32_t premultiplied = detail::Premultiply(value);
    uint8_t* base = reinterpret_cast<uint8_t*>(SurfacePixels(true));
    int32_t stride = SurfaceStride();
    for (int32_t y = y0; y < y1; ++y) {
        uint32_t* row = reinterpret_cast<uint32_t*>(base + std::ptrdiff_t(y) * stride);
        std::fill(row + x0, row + x1, premultiplied);
        if (exact)
            std::fill(&exact[size_t(y) * size_t(m_width) + size_t(x0)],
                      &exact[size_t(y) * size_t(m_width) + size_t(x1)], value);
    }
}

Status Bitmap::Create(int32_t width, int32_t height, PixelFormat format, std::unique_ptr<Bitmap>& out)
{
    out.reset();
    if (!ValidSize(width, height))
        return width > 0 && height > 0 ? Status::OutOfMemory : Status::InvalidParameter;
    std::unique_ptr<Bitmap> bitmap(new (std::nothrow) Bitmap(width, height, format));
    if (!bitmap)
        return Status::OutOfMemory;
    if (Status s = bitmap->Allocate(true); s != Status::Ok)
        return s;
    out = std::move(bitmap);
    return Status::Ok;
}

Status Bitmap::CreateCompatible(int32_t width, int32_t height, const Graphics& graphics, std::unique_ptr<Bitmap>& out)
{
    Status s = Create(width, height, PixelFormat::PArgb32, out);
    if (s == Status::Ok)
        out->SetResolution(graphics.GetDpiX(), graphics.GetDpiY());
    return s;
}

Status Bitmap::SetResolution(float dpiX, float dpiY)
{
    if (!(dpiX > 0) || !(dpiY > 0) || !std::isfinite(dpiX) || !std::isfinite(dpiY))
        return Fail(Status::InvalidParameter);
    m_dpiX = dpiX;
    m_dpiY = dpiY;
    return Status::Ok;
}

Status Bitmap::FromPixels(int32_t width, int32_t height, int32_t stride, const ARGB* pixels,
                          std::unique_ptr<Bitmap>& out)
{
    out.reset();
    if (!pixels || !ValidSize(width, height) || stride < width * 4 || stride % 4 != 0)
        return Status::InvalidParameter;
    std::unique_ptr<Bitmap> bitmap;
    if (Status s = Create(width, height, PixelFormat::Argb32, bitmap); s != Status::Ok)
        return s;
    CopyPixels(pixels, stride, PixelFormat::Argb32, bitmap->m_straight.get(), width * 4, PixelFormat::Argb32, width,
               height);
    out = std::move(bitmap);
    return Status::Ok;
}

void Bitmap::SyncSurfaceFromStraight()
{
    if (EnsureSurface() != Status::Ok)
        return;
    uint32_t* dst = SurfacePixels(true);
    CopyPixels(m_straight.get(), m_width * 4, PixelFormat::Argb32, dst, SurfaceStride(), PixelFormat::PArgb32, m_width,
               m_height);
    m_surfaceValid = true;
}

void Bitmap::SyncStraightFromSurface()
{
    if (m_surfaceNeedsFlush) {
        cairo_surface_flush(m_surface.get());
        m_surfaceNeedsFlush = false;
    }
    // Pixels that cairo left as they were keep their exact straight value.
    const uint8_t* base = m_surfaceData;
    int32_t stride = SurfaceStride();
    for (int32_t y = 0; y < m_height; ++y) {
        const auto* src = reinterpret_cast<const uint32_t*>(base + std::ptrdiff_t(y) * stride);
        uint32_t* dst = &m_straight[size_t(y) * size_t(m_width)];
        for (int32_t x = 0; x < m_width; ++x)
            if (detail::Premultiply(dst[x]) != src[x])
                dst[x] = detail::Unpremultiply(src[x]);
    }
    m_straightValid = true;
}

uint32_t* Bitmap::SurfacePixels(bool forWrite)
{
    if (m_surfaceNeedsFlush) {
        cairo_surface_flush(m_surface.get());
        m_surfaceNeedsFlush = false;
    }
    if (forWrite)
        m_surfaceNeedsMarkDirty = true;
    return reinterpret_cast<uint32_t*>(m_surfaceData);
}

uint32_t* Bitmap::StraightPixels(bool forWrite)
{
    if (!m_straightValid)
        SyncStraightFromSurface();
    if (forWrite)
        m_surfaceValid = false;
    return m_straight.get();
}

_cairo_surface* Bitmap::SurfaceForCairo()
{
    // Two threads drawing from one bitmap meet here.
    std::lock_guard lock(m_surfaceMutex);
    if (EnsureSurface() != Status::Ok)
        return nullptr;
    if (!m_surfaceValid)
        SyncSurfaceFromStraight();
    if (m_surfaceNeedsMarkDirty) {
        cairo_surface_mark_dirty(m_surface.get());
        m_surfaceNeedsMarkDirty = false;
    }
    return m_surface.get();
}

void Bitmap::SurfaceDrawnByCairo()
{
    m_surfaceNeedsFlush = true;
    if (m_format == PixelFormat::Argb32)
        m_straightValid = false;
}

Status Bitmap::GetPixel(int32_t x, int32_t y, ARGB& out) const
{
    out = 0;
    if (x < 0 || y < 0 || x >= m_width || y >= m_height)
        return Fail(Status::InvalidParameter);
    if (m_locked)
        return Fail(Status::ObjectBusy);
    auto* self = const_cast<Bitmap*>(this);
    if (m_format == PixelFormat::Argb32) {
        out = self->StraightPixels(false)[size_t(y) * size_t(m_width) + size_t(x)];
    } else {
        const uint32_t* row = reinterpret_cast<const uint32_t*>(
            reinterpret_cast<const uint8_t*>(self->SurfacePixels(false)) + std::ptrdiff_t(y) * SurfaceStride());
        out = StraightOf(x, y, row[x]);
    }
    return Status::Ok;
}

Status Bitmap::SetPixel(int32_t x, int32_t y, ARGB value)
{
    if (x < 0 || y < 0 || x >= m_width || y >= m_height)
        return Fail(Status::InvalidParameter);
    if (m_locked)
        return Fail(Status::ObjectBusy);
    if (m_format == PixelFormat::Argb32) {
        bool keepSurface = m_surfaceValid && m_straightValid;
        StraightPixels(true)[size_t(y) * size_t(m_width) + size_t(x)] = value;
        if (!keepSurface)
            return Status::Ok;
        m_surfaceValid = true;
    }
    uint32_t* row = reinterpret_cast<uint32_t*>(reinterpret_cast<uint8_t*>(SurfacePixels(true)) +
                                                std::ptrdiff_t(y) * SurfaceStride());
    if (m_format == PixelFormat::PArgb32)
        WriteExact(row, x, y, value);
    else
        row[x] = detail::Premultiply(value);
    return Status::Ok;
}

Status Bitmap::SetPixels(const RectI& rect, ARGB value)
{
    if (!Inside(rect, m_width, m_height))
        return Fail(Status::InvalidParameter);
    if (m_locked)
        return Fail(Status::ObjectBusy);
    FillExact(rect.x, rect.y, rect.x + rect.width, rect.y + rect.height, value);
    return Status::Ok;
}

Status Bitmap::LockBits(const RectI& rect, ImageLockMode mode, PixelFormat format, BitmapData& out)
{
    out = BitmapData{};
    if (m_locked)
        return Fail(Status::WrongState);
    if (!Inside(rect, m_width, m_height) || (static_cast<int>(mode) & 3) == 0)
        return Fail(Status::InvalidParameter);
    bool write = (static_cast<int>(mode) & static_cast<int>(ImageLockMode::Write)) != 0;

    uint32_t* base;
    int32_t stride;
    if (m_format == PixelFormat::Argb32) {
        base = StraightPixels(write);
        stride = m_width * 4;
    } else {
        base = SurfacePixels(write);
        stride = SurfaceStride();
    }
    uint32_t* first =
        reinterpret_cast<uint32_t*>(reinterpret_cast<uint8_t*>(base) + std::ptrdiff_t(rect.y) * stride) + rect.x;

    if (format == m_format) {
        out.scan0 = first;
        out.stride = stride;
    } else {
        m_lockBuffer.reset(new (std::nothrow) uint32_t[size_t(rect.width) * size_t(rect.height)]);
        if (!m_lockBuffer)
            return Fail(Status::OutOfMemory);
        if (m_format == PixelFormat::PArgb32)
            ReadStraight(rect, m_lockBuffer.get(), rect.width * 4);
        else
            CopyPixels(first, stride, m_format, m_lockBuffer.get(), rect.width * 4, format, rect.width, rect.height);
        out.scan0 = m_lockBuffer.get();
        out.stride = rect.width * 4;
    }
    out.width = rect.width;
    out.height = rect.height;
    out.format = format;
    m_locked = true;
    m_lockRect = rect;
    m_lockMode = mode;
    m_lockFormat = format;
    return Status::Ok;
}

Status Bitmap::UnlockBits(const BitmapData& data)
{
    if (!m_locked)
        return Fail(Status::WrongState);
    bool ownBuffer = m_lockBuffer && data.scan0 == m_lockBuffer.get();
    bool write = (static_cast<int>(m_lockMode) & static_cast<int>(ImageLockMode::Write)) != 0;
    if (ownBuffer && write && m_format == PixelFormat::PArgb32) {
        WriteStraight(m_lockRect, m_lockBuffer.get(), m_lockRect.width * 4);
    } else if (ownBuffer && write) {
        uint32_t* base;
        int32_t stride;
        if (m_format == PixelFormat::Argb32) {
            base = StraightPixels(true);
            stride = m_width * 4;
        } else {
            base = SurfacePixels(true);
            stride = SurfaceStride();
        }
        uint32_t* first =
            reinterpret_cast<uint32_t*>(reinterpret_cast<uint8_t*>(base) + std::ptrdiff_t(m_lockRect.y) * stride) +
            m_lockRect.x;
        CopyPixels(m_lockBuffer.get(), m_lockRect.width * 4, m_lockFormat, first, stride, m_format, m_lockRect.width,
                   m_lockRect.height);
    }
    m_lockBuffer.reset();
    m_locked = false;
    return Status::Ok;
}

Status Bitmap::Clone(const RectI& rect, PixelFormat format, std::unique_ptr<Bitmap>& out) const
{
    out.reset();
    if (!Inside(rect, m_width, m_height))
        return Fail(Status::InvalidParameter);
    if (m_locked)
        return Fail(Status::ObjectBusy);
    std::unique_ptr<Bitmap> copy;
    if (Status s = Create(rect.width, rect.height, format, copy); s != Status::Ok)
        return Fail(s);
    copy->m_dpiX = m_dpiX;
    copy->m_dpiY = m_dpiY;

    auto* self = const_cast<Bitmap*>(this);
    const uint32_t* base;
    int32_t stride;
    PixelFormat from;
    if (m_format == PixelFormat::Argb32 && (format == PixelFormat::Argb32 || !m_surfaceValid)) {
        base = self->StraightPixels(false);
        stride = m_width * 4;
        from = PixelFormat::Argb32;
    } else {
        base = self->SurfacePixels(false);
        stride = SurfaceStride();
        from = PixelFormat::PArgb32;
    }
    const uint32_t* first =
        reinterpret_cast<const uint32_t*>(reinterpret_cast<const uint8_t*>(base) + std::ptrdiff_t(rect.y) * stride) +
        rect.x;
    if (format == PixelFormat::Argb32 && from == PixelFormat::PArgb32) {
        self->ReadStraight(rect, copy->m_straight.get(), rect.width * 4);
    } else if (format == PixelFormat::Argb32) {
        CopyPixels(first, stride, from, copy->m_straight.get(), rect.width * 4, format, rect.width, rect.height);
    } else {
        CopyPixels(first, stride, from, copy->SurfacePixels(true), copy->SurfaceStride(), format, rect.width,
                   rect.height);
        // A premultiplied copy of a premultiplied bitmap keeps its exact values too.
        if (m_format == PixelFormat::PArgb32 && m_exact && copy->ExactValues())
            for (int32_t y = 0; y < rect.height; ++y)
                std::memcpy(&copy->m_exact[size_t(y) * size_t(rect.width)],
                            &m_exact[size_t(rect.y + y) * size_t(m_width) + size_t(rect.x)], size_t(rect.width) * 4);
    }
    out = std::move(copy);
    return Status::Ok;
}

void Bitmap::ReadStraight(const RectI& rect, uint32_t* dst, int32_t dstStride)
{
    const uint8_t* base = reinterpret_cast<const uint8_t*>(SurfacePixels(false));
    for (int32_t y = 0; y < rect.height; ++y) {
        const auto* src = reinterpret_cast<const uint32_t*>(base + std::ptrdiff_t(rect.y + y) * SurfaceStride());
        uint32_t* d = reinterpret_cast<uint32_t*>(reinterpret_cast<uint8_t*>(dst) + std::ptrdiff_t(y) * dstStride);
        for (int32_t x = 0; x < rect.width; ++x)
            d[x] = StraightOf(rect.x + x, rect.y + y, src[rect.x + x]);
    }
}

void Bitmap::WriteStraight(const RectI& rect, const uint32_t* src, int32_t srcStride)
{
    uint8_t* base = reinterpret_cast<uint8_t*>(SurfacePixels(true));
    for (int32_t y = 0; y < rect.height; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(base + std::ptrdiff_t(rect.y + y) * SurfaceStride());
        const uint32_t* s =
            reinterpret_cast<const uint32_t*>(reinterpret_cast<const uint8_t*>(src) + std::ptrdiff_t(y) * srcStride);
        for (int32_t x = 0; x < rect.width; ++x)
            WriteExact(row, rect.x + x, rect.y + y, s[x]);
    }
}

} // namespace gdi
