#include "kx/GDIRenderer.h"

#include "kx/Bitmap.h"
#include "kx/Exception.h"
#include "kx/Font.h"
#include "kx/PurgableObjectCache.h"
#include "kx/RenderHost.h"

#include "platform/gdi/Brush.h"
#include "platform/gdi/Path.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace KX {

namespace {

constexpr const char* kSource = "Renderer\\Gdi\\GDIRenderer";
constexpr const char* kDrawBitmapMethod = "KX::LGDIRenderer::DrawBitmap";

template <class K>
K KeyOf(const K& key)
{
    return key;
}

// A cache whose entries are purged by their last use, and counted for diagnostics.
template <class Obj, class K, auto HashFn>
class PurgingCache : public PurgableObjectCache<Obj, K, K, &KeyOf<K>, 8, HashFn> {
    using Base = PurgableObjectCache<Obj, K, K, &KeyOf<K>, 8, HashFn>;

public:
    explicit PurgingCache(int32_t capacity) : Base(capacity) {}

    // Releases the object of every entry not used since the previous purge.
    void Purge()
    {
        for (int32_t i = 0; i < this->m_capacity; ++i) {
            auto& entry = this->m_entries[i];
            if (entry.object && entry.lastUse <= m_previousPurge) {
                entry.object = nullptr;
                entry.lastUse = 0;
                entry.useCount = 0;
            }
        }
        m_previousPurge = this->m_tick;
    }

    // Whether key's entry holds an object; nothing is counted, stamped or evicted.
    bool Holds(const K& key)
    {
        const auto* entry = this->m_index.Find(key, nullptr);
        return entry && entry->object;
    }

    uint32_t CountObjects() const noexcept
    {
        uint32_t count = 0;
        for (int32_t i = 0; i < this->m_capacity; ++i)
            count += this->m_entries[i].object ? 1u : 0u;
        return count;
    }

private:
    uint32_t m_previousPurge = 0;
};

float ClampCoordinate(float value) noexcept
{
    return std::clamp(value, -8388608.0f, 8388608.0f);
}

float ClampOffset(float value) noexcept
{
    constexpr float kLimit = 4503599627370496.0f; // 2^52
    return std::clamp(value, -kLimit, kLimit);
}

bool IsUnitScale(float value) noexcept
{
    return std::fabs(value - 1.0f) <= 1.1920929e-6f;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Cached objects

class LGDIRenderer::LCachedBitmap : public virtual LRefCountedObject {
public:
    explicit LCachedBitmap(std::unique_ptr<gdi::CachedBitmap> cached) : m_cached(std::move(cached)) {}
    const gdi::CachedBitmap& Get() const noexcept { return *m_cached; }

private:
    ~LCachedBitmap() override = default;
    std::unique_ptr<gdi::CachedBitmap> m_cached;
};

class LGDIRenderer::LGraphicsPath : public virtual LRefCountedObject {
public:
    explicit LGraphicsPath(int builtAs) : kind(builtAs) {}

    gdi::GraphicsPath path{gdi::FillMode::Alternate};
    // What the path was built as: segments, a line or a polygon.
    int kind;

private:
    ~LGraphicsPath() override = default;
};

// Key of the bitmap cache: a bitmap at a destination size. The pixel id tells pixels written
// after the bitmap was cached apart from the old ones.
struct LGDIRenderer::CashableBitmapDescriptor {
    ConstRCPtr<LBitmap> bitmap;
    int32_t width = 0;
    int32_t height = 0;
    uint64_t pixels = 0;

    friend bool operator==(const CashableBitmapDescriptor& a, const CashableBitmapDescriptor& b) noexcept
    {
        return a.bitmap.Get() == b.bitmap.Get() && a.width == b.width && a.height == b.height && a.pixels == b.pixels;
    }
};

namespace {

// Bits 4-11 of the address of the image that holds the bitmap's pixels.
uint32_t HashBitmapDescriptor(const LGDIRenderer::CashableBitmapDescriptor& key) noexcept
{
    const void* image = key.bitmap ? static_cast<const void*>(key.bitmap->GetBitmapData()) : nullptr;
    return static_cast<uint32_t>((reinterpret_cast<uintptr_t>(image) >> 4) & 255);
}

uint32_t HashPathHandle(const int32_t& handle) noexcept
{
    return (static_cast<uint32_t>(handle) >> 4) & 255;
}

} // namespace

struct LGDIRenderer::Caches {
    Caches() : bitmaps(kCacheCapacity), paths(kCacheCapacity) {}

    PurgingCache<LCachedBitmap, CashableBitmapDescriptor, &HashBitmapDescriptor> bitmaps;
    PurgingCache<LGraphicsPath, int32_t, &HashPathHandle> paths;
};

// ---------------------------------------------------------------------------------------------
// Construction, measuring

LGDIRenderer::LGDIRenderer()
    : m_measurer(LGDITextMeasurer::Create(m_screenDpi)), m_caches(new Caches()), m_lastPurgeTime(GetTickTime())
{
}

LGDIRenderer::~LGDIRenderer() = default;

KXRESULT LGDIRenderer::GetFontMetrics(const ConstRCPtr<LFont>& font, int32_t& height, int32_t& ascent,
                                      int32_t& descent) const
{
    return m_measurer->GetFontMetrics(font, height, ascent, descent);
}

RectT<float> LGDIRenderer::MeasureText(const WString& text, const ConstRCPtr<LFont>& font) const
{
    return m_measurer->MeasureText(text, font);
}

int32_t LGDIRenderer::GetRendererType() const
{
    return kRendererGDIPlus;
}

uint32_t LGDIRenderer::GetCachedBitmapCount() const noexcept
{
    return m_caches->bitmaps.CountObjects();
}

uint32_t LGDIRenderer::GetCachedPathCount() const noexcept
{
    return m_caches->paths.CountObjects();
}

void LGDIRenderer::PurgeBitmapCache()
{
    m_caches->bitmaps.Purge();
    m_lastPurgeTime = GetTickTime();
}

// ---------------------------------------------------------------------------------------------
// Shapes

void LGDIRenderer::DrawLineSegments(const PolylineT<float>& polyline, const LColor& color, const PointT<float>& offset,
                                    const PointT<float>& scale, bool keepCached)
{
    DrawShape(ShapeKind::LineSegments, polyline, color, offset, scale, keepCached);
}

void LGDIRenderer::DrawPolyline(const PolylineT<float>& polyline, const LColor& color, const PointT<float>& offset,
                                const PointT<float>& scale, bool keepCached)
{
    DrawShape(ShapeKind::Polyline, polyline, color, offset, scale, keepCached);
}

void LGDIRenderer::DrawPolygon(const PolylineT<float>& polyline, const LColor& color, const PointT<float>& offset,
                               const PointT<float>& scale, bool keepCached)
{
    DrawShape(ShapeKind::Polygon, polyline, color, offset, scale, keepCached);
}

void LGDIRenderer::FillPolygon(const PolylineT<float>& polyline, const LColor& color, const PointT<float>& offset,
                               const PointT<float>& scale, bool keepCached)
{
    DrawShape(ShapeKind::FilledPolygon, polyline, color, offset, scale, keepCached);
}

void LGDIRenderer::DrawShape(ShapeKind kind, const PolylineT<float>& polyline, const LColor& color,
                             const PointT<float>& offset, const PointT<float>& scale, bool keepCached)
{
    if (!TargetGraphics())
        return;
    RCPtr<LGraphicsPath>& slot = m_caches->paths.GetSlot(polyline.GetHandle(), false);
    // One shape drawn by two operations needs two figures: a path of another kind is rebuilt.
    const int built = kind == ShapeKind::FilledPolygon ? static_cast<int>(ShapeKind::Polygon) : static_cast<int>(kind);
    if (polyline.TakeChanged() || (slot && slot->kind != built))
        slot = nullptr;
    if (!slot) {
        RCPtr<LGraphicsPath> made(new LGraphicsPath(built));
        const Array<PointT<float>>& points = polyline.GetPoints();
        const uint32_t count = points.GetCount();
        std::vector<gdi::PointF> converted(count);
        for (uint32_t i = 0; i < count; ++i)
            converted[i] = gdi::PointF{points.ElementAt(i).x, points.ElementAt(i).y};
        gdi::GraphicsPath& path = made->path;
        switch (kind) {
        case ShapeKind::LineSegments:
            for (uint32_t i = 0; i + 1 < count; i += 2) {
                path.StartFigure();
                path.AddLine(converted[i].x, converted[i].y, converted[i + 1].x, converted[i + 1].y);
            }
            break;
        case ShapeKind::Polyline: path.AddLines(converted); break;
        case ShapeKind::Polygon:
        case ShapeKind::FilledPolygon: path.AddPolygon(converted); break;
        }
        slot = made;
    }
    // The slot may be reused by a later lookup; hold the path for this call.
    const RCPtr<LGraphicsPath> path = slot;

    const RenderState& state = m_target->GetCurrentState();
    const PointT<double> origin{state.originX, state.originY};
    const PointT<double> shift{ClampOffset(offset.x), ClampOffset(offset.y)};
    OffsetOrigin(shift);

    gdi::Graphics* graphics = TargetGraphics();
    const gdi::GraphicsPath* drawn = &path->path;
    std::unique_ptr<gdi::GraphicsPath> scaled;
    if (!IsUnitScale(scale.x) || !IsUnitScale(scale.y)) {
        gdi::Matrix matrix;
        matrix.Scale(scale.x, scale.y, gdi::MatrixOrder::Prepend);
        scaled = path->path.Clone();
        if (scaled) {
            scaled->Transform(matrix);
            drawn = scaled.get();
        }
    }
    if (graphics) {
        if (kind == ShapeKind::FilledPolygon) {
            const gdi::SolidBrush brush(color.ToARGB());
            graphics->FillPath(brush, *drawn);
        } else {
            const gdi::Pen pen(color.ToARGB(), polyline.GetLineWidth());
            graphics->DrawPath(pen, *drawn);
        }
    }

    OffsetOrigin(PointT<double>{-shift.x, -shift.y});
    if (m_target &&
        (m_target->GetCurrentState().originX != origin.x || m_target->GetCurrentState().originY != origin.y))
        OffsetOrigin(PointT<double>{origin.x - m_target->GetCurrentState().originX,
                                    origin.y - m_target->GetCurrentState().originY});
    if (!keepCached)
        slot = nullptr;
}

// ---------------------------------------------------------------------------------------------
// Bitmaps

void LGDIRenderer::DrawBitmap(const ConstRCPtr<LBitmap>& bitmap, const RectT<int32_t>& dest, int32_t resizeType)
{
    if (!m_target)
        Throw<std::runtime_error>("", kDrawBitmapMethod, kSource, 562);
    gdi::Graphics* graphics = TargetGraphics();
    if (!graphics || !bitmap)
        return;
    const gdi::Bitmap* image = bitmap->GetBitmapData();
    if (!image)
        return;
    const PointT<int32_t> size = RoundSizeToLong(static_cast<double>(dest.width), static_cast<double>(dest.height));
    const int32_t width = size.x;
    const int32_t height = size.y;
    if (width <= 0 || height <= 0)
        return;

    // An entry is taken (which may evict another) only for a cached bitmap that was made.
    const CashableBitmapDescriptor key{bitmap, width, height, bitmap->GetHandle()};
    RCPtr<LCachedBitmap> cachedBitmap;
    if (m_caches->bitmaps.Holds(key))
        cachedBitmap = m_caches->bitmaps.GetSlot(key, false);
    if (!cachedBitmap) {
        const gdi::RectF source{ClampCoordinate(static_cast<float>(bitmap->GetX())),
                                ClampCoordinate(static_cast<float>(bitmap->GetY())),
                                ClampCoordinate(static_cast<float>(bitmap->GetWidth())),
                                ClampCoordinate(static_cast<float>(bitmap->GetHeight()))};
        if (source.width == static_cast<float>(width) && source.height == static_cast<float>(height))
            resizeType = 0;
        if (resizeType < 0 || resizeType > 2)
            Throw<std::invalid_argument>("Invalid ResizeType passed to DrawBitmap.", kDrawBitmapMethod, kSource, 553);

        std::unique_ptr<gdi::Bitmap> scaled;
        if (gdi::Bitmap::CreateCompatible(width, height, *graphics, scaled) != gdi::Status::Ok)
            return;
        std::unique_ptr<gdi::Graphics> scaler;
        if (gdi::Graphics::FromImage(*scaled, scaler) != gdi::Status::Ok)
            return;
        const float w = static_cast<float>(width);
        const float h = static_cast<float>(height);
        const bool hasArea = source.width > 0.0f && source.height > 0.0f;
        switch (resizeType) {
        case 0: scaler->DrawImage(*image, gdi::RectF{0.0f, 0.0f, w, h}, source); break;
        case 1:
            if (!hasArea)
                break;
            if (w / source.width < 3.0f && h / source.height < 3.0f) {
                const float stepX = ClampCoordinate(source.width);
                const float stepY = ClampCoordinate(source.height);
                for (float x = 0.0f; x < w; x += stepX)
                    for (float y = 0.0f; y < h; y += stepY)
                        scaler->DrawImage(*image, gdi::RectF{x, y, source.width, source.height}, source);
            } else {
                // Three or more repeats: one fill with a texture brush of the source rectangle.
                std::unique_ptr<gdi::TextureBrush> brush;
                const gdi::RectI tile{static_cast<int32_t>(source.x), static_cast<int32_t>(source.y),
                                      static_cast<int32_t>(source.width), static_cast<int32_t>(source.height)};
                if (gdi::TextureBrush::Create(*image, tile, brush) == gdi::Status::Ok)
                    scaler->FillRectangle(*brush, gdi::RectF{0.0f, 0.0f, w, h});
            }
            break;
        case 2:
            scaler->DrawImage(
                *image, gdi::RectF{(w - source.width) * 0.5f, (h - source.height) * 0.5f, source.width, source.height},
                source);
            break;
        }
        scaler.reset();

        std::unique_ptr<gdi::CachedBitmap> cached;
        if (gdi::CachedBitmap::Create(*scaled, *graphics, cached) != gdi::Status::Ok)
            return;
        cachedBitmap = RCPtr<LCachedBitmap>(new LCachedBitmap(std::move(cached)));
        m_caches->bitmaps.GetSlot(key, false) = cachedBitmap;
    }
    graphics->DrawCachedBitmap(cachedBitmap->Get(), dest.x, dest.y);
}

} // namespace KX
