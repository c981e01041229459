#pragma once
// 32-bit bitmaps: created empty, copied from pixels, or decoded from PNG files and bytes.
#include "platform/gdi/CairoRef.h"
#include "platform/gdi/Types.h"

#include <cstddef>
#include <memory>
#include <mutex>
#include <span>
#include <string_view>
#include <vector>

namespace gdi {

class Graphics;
class CachedBitmap;
class TextureBrush;

// The pixels of a locked rectangle: rows are `stride` bytes apart, pixels 4 bytes wide.
struct BitmapData {
    int32_t width = 0;
    int32_t height = 0;
    int32_t stride = 0;
    PixelFormat format = PixelFormat::Argb32;
    void* scan0 = nullptr;

    // Address of pixel (x, y) of the locked rectangle.
    uint32_t* PixelAt(int32_t x, int32_t y) const
    {
        return reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(scan0) + static_cast<std::ptrdiff_t>(y) * stride) + x;
    }
};

// A bitmap of width x height pixels. Argb32 bitmaps keep straight ARGB values exactly (a
// premultiplied copy for drawing is made when needed); PArgb32 bitmaps hold premultiplied
// pixels, which pixel access converts. Straight values written to either format (SetPixel, an
// Argb32 lock, an exact fill) read back exactly for as long as drawing leaves their pixels alone:
// a PArgb32 bitmap keeps them beside its pixels from the first value premultiplication would
// change. Largest size: 32767 x 32767 and 2^26 pixels.
//
// Threads: while no thread draws on a bitmap or writes its pixels, any number may draw from it
// and get its pixels; the drawing surface made on first use is made under the bitmap's own lock.
// An Argb32 bitmap that was drawn on is brought back to straight pixels by its first read, so
// read it once before sharing it.
class Bitmap {
public:
    static Status Create(int32_t width, int32_t height, PixelFormat format, std::unique_ptr<Bitmap>& out);
    // A drawing surface suited to the given Graphics (premultiplied).
    static Status CreateCompatible(int32_t width, int32_t height, const Graphics& graphics,
                                   std::unique_ptr<Bitmap>& out);
    // Copies straight ARGB pixels; `stride` is in bytes.
    static Status FromPixels(int32_t width, int32_t height, int32_t stride, const ARGB* pixels,
                             std::unique_ptr<Bitmap>& out);
    // PNG decoding; other image formats give UnknownImageFormat, a missing file FileNotFound. Before
    // anything is allocated, more pixels than 4096 x 4096 give OutOfMemory and a header that
    // declares more image data than the bytes could hold ValueOverflow.
    static Status FromFile(std::u16string_view path, std::unique_ptr<Bitmap>& out);
    static Status FromFile(std::string_view utf8Path, std::unique_ptr<Bitmap>& out);
    static Status FromMemory(std::span<const uint8_t> bytes, std::unique_ptr<Bitmap>& out);

    ~Bitmap();
    Bitmap(const Bitmap&) = delete;
    Bitmap& operator=(const Bitmap&) = delete;

    int32_t GetWidth() const { return m_width; }
    int32_t GetHeight() const { return m_height; }
    RectF GetBounds() const { return {0, 0, static_cast<float>(m_width), static_cast<float>(m_height)}; }
    PixelFormat GetPixelFormat() const { return m_format; }
    // Dots per inch, 96 unless set; a compatible bitmap takes its Graphics' resolution, and
    // Graphics made on a bitmap report the bitmap's.
    float GetHorizontalResolution() const { return m_dpiX; }
    float GetVerticalResolution() const { return m_dpiY; }
    Status SetResolution(float dpiX, float dpiY);

    // Straight ARGB of one pixel; no blending on write.
    Status GetPixel(int32_t x, int32_t y, ARGB& out) const;
    Status SetPixel(int32_t x, int32_t y, ARGB value);
    // SetPixel for every pixel of a rectangle inside the bitmap.
    Status SetPixels(const RectI& rect, ARGB value);

    // One lock at a time; while locked the bitmap cannot be drawn on or from.
    Status LockBits(const RectI& rect, ImageLockMode mode, PixelFormat format, BitmapData& out);
    Status UnlockBits(const BitmapData& data);

    // A new bitmap holding a copy of `rect`.
    Status Clone(const RectI& rect, PixelFormat format, std::unique_ptr<Bitmap>& out) const;

    Status SaveToPng(std::string_view utf8Path) const;
    Status EncodePng(std::vector<uint8_t>& out) const;

    // Last failure recorded by an operation on this bitmap; reading it resets it to Ok.
    Status GetLastStatus() const;

private:
    friend class Graphics;
    friend class CachedBitmap;
    friend class TextureBrush;

    Bitmap(int32_t width, int32_t height, PixelFormat format);
    Status Allocate(bool zero);
    Status Fail(Status status) const;

    // Premultiplied surface, brought up to date, for cairo to draw on or from.
    _cairo_surface* SurfaceForCairo();
    // Recorded after cairo drew on the surface.
    void SurfaceDrawnByCairo();
    // Direct pixel access to the premultiplied surface.
    uint32_t* SurfacePixels(bool forWrite);
    int32_t SurfaceStride() const { return m_surfaceStride; }
    // Straight pixels (Argb32 only), brought up to date.
    uint32_t* StraightPixels(bool forWrite);
    void SyncSurfaceFromStraight();
    void SyncStraightFromSurface();
    // Makes the premultiplied surface when there is none; call with m_surfaceMutex held or
    // before the bitmap is shared.
    Status EnsureSurface();
    // Sets pixels [x0, x1) x [y0, y1) to exactly `value`.
    void FillExact(int32_t x0, int32_t y0, int32_t x1, int32_t y1, ARGB value);
    // PArgb32: the straight value of pixel (x, y) whose premultiplied value is `premultiplied`.
    ARGB StraightOf(int32_t x, int32_t y, uint32_t premultiplied) const;
    // PArgb32: stores `value` at (x, y) of the surface row `row`, exactly.
    void WriteExact(uint32_t* row, int32_t x, int32_t y, ARGB value);
    // PArgb32: the exact values, allocated on first need; null when out of memory.
    uint32_t* ExactValues();
    // PArgb32: a rectangle as straight pixels, read or written exactly.
    void ReadStraight(const RectI& rect, uint32_t* dst, int32_t dstStride);
    void WriteStraight(const RectI& rect, const uint32_t* src, int32_t srcStride);

    int32_t m_width;
    int32_t m_height;
    PixelFormat m_format;
    float m_dpiX = 96.0f;
    float m_dpiY = 96.0f;
    std::unique_ptr<uint32_t[]> m_straight; // Argb32: width * height straight pixels
    std::mutex m_surfaceMutex;              // guards making and bringing up to date the surface
    CairoSurface m_surface;                 // premultiplied, created on first use for Argb32
    uint8_t* m_surfaceData = nullptr;
    int32_t m_surfaceStride = 0;
    bool m_straightValid = true;
    bool m_surfaceValid = false;
    bool m_surfaceNeedsFlush = false;     // cairo drew since the last direct access
    bool m_surfaceNeedsMarkDirty = false; // pixels written directly since cairo last looked
    bool m_locked = false;
    RectI m_lockRect;
    ImageLockMode m_lockMode = ImageLockMode::Read;
    PixelFormat m_lockFormat = PixelFormat::Argb32;
    std::unique_ptr<uint32_t[]> m_lockBuffer;
    // PArgb32: the straight values last written exactly; one counts only while its
    // premultiplied form is still the pixel's (drawing over a pixel thus replaces it).
    std::unique_ptr<uint32_t[]> m_exact;
    mutable Status m_lastStatus = Status::Ok;
};

} // namespace gdi
