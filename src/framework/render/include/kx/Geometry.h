#pragma once
// Points and rectangles of the drawing code, and the conversions between double geometry and
// whole pixels. Rounding is half away from zero; conversions to 32-bit integers saturate.
#include "kx/Array.h"

#include <atomic>
#include <cmath>
#include <cstdint>

namespace KX {

template <class T>
struct PointT {
    T x{};
    T y{};
    friend bool operator==(const PointT&, const PointT&) = default;
};

// x, y, width, height.
template <class T>
struct RectT {
    T x{};
    T y{};
    T width{};
    T height{};
    friend bool operator==(const RectT&, const RectT&) = default;
};

// Smallest positive double step relative to 1.0; the tolerance of the rectangle helpers.
inline constexpr double kDoubleEpsilon = 2.220446049250313e-16;
// The same for floats.
inline constexpr float kFloatEpsilon = 1.1920929e-07f;

// One value rounded half away from zero (stays a double).
double RoundHalfAwayFromZero(double value) noexcept;
// One value rounded half away from zero to a 32-bit integer: not-a-number and values below
// the range give 0x80000000, values above it 0x7FFFFFFF.
inline int32_t RoundToInt32(double value) noexcept
{
    if (std::isnan(value) || value < -2147483648.0)
        return INT32_MIN;
    if (value >= 2147483647.5)
        return INT32_MAX;
    // Within the range the truncation and the fraction it leaves are exact: no call to round.
    const auto whole = static_cast<int64_t>(value);
    const double fraction = value - static_cast<double>(whole);
    return static_cast<int32_t>(whole + (fraction >= 0.5 ? 1 : 0) - (fraction <= -0.5 ? 1 : 0));
}

// The intersection of a and b. True when both its width and height exceed kDoubleEpsilon;
// otherwise out is the empty rectangle (0, 0, 0, 0). out may be a or b.
bool IntersectRects(const RectT<double>& a, const RectT<double>& b, RectT<double>& out) noexcept;

// Makes a negative width or height positive (moving x or y to the other edge) and widens the
// rectangle outward to whole-pixel edges; an edge within a relative kDoubleEpsilon of a whole
// number counts as on it.
void SnapRectOutward(RectT<double>& rect) noexcept;

// Rounds both coordinates to whole numbers, half away from zero.
void RoundPointInPlace(PointT<double>& point) noexcept;

// Two doubles (a size or a point) to two 32-bit integers, each rounded as RoundToInt32.
PointT<int32_t> RoundSizeToLong(double cx, double cy) noexcept;
inline PointT<int32_t> RoundSizeToLong(const PointT<double>& size) noexcept
{
    return RoundSizeToLong(size.x, size.y);
}

// Two floats to two 32-bit integers, each rounded as RoundToInt32.
PointT<int32_t> RoundPointToInt(const PointT<float>& point) noexcept;

// The bounding box of a and b. True when both its width and height exceed kFloatEpsilon.
bool UnionRectsF(const RectT<float>& a, const RectT<float>& b, RectT<float>& out) noexcept;

namespace Detail {
// A new handle for a drawable shape; never 0.
int32_t NextShapeHandle() noexcept;
} // namespace Detail

// Points joined into line segments, a line or a polygon, with a line width. The renderers keep
// what they build from a shape under its handle and rebuild it once the changed flag is set.
// A copy is a new shape with its own handle.
template <class T>
class PolylineT {
public:
    PolylineT() : m_handle(Detail::NextShapeHandle()) {}
    PolylineT(const PolylineT& other)
        : m_points(other.m_points), m_lineWidth(other.m_lineWidth), m_handle(Detail::NextShapeHandle())
    {
    }
    PolylineT& operator=(const PolylineT& other)
    {
        if (this != &other) {
            m_points = other.m_points;
            m_lineWidth = other.m_lineWidth;
            m_changed = true;
        }
        return *this;
    }

    const Array<PointT<T>>& GetPoints() const noexcept { return m_points; }
    uint32_t GetCount() const noexcept { return m_points.GetCount(); }
    void AddPoint(T x, T y)
    {
        m_points.AddItem(PointT<T>{x, y});
        m_changed = true;
    }
    void SetPoint(uint32_t index, T x, T y)
    {
        m_points.ElementAt(index) = PointT<T>{x, y};
        m_changed = true;
    }
    void RemoveAll()
    {
        m_points.RemoveAll();
        m_changed = true;
    }

    float GetLineWidth() const noexcept { return m_lineWidth; }
    void SetLineWidth(float width) noexcept
    {
        m_lineWidth = width;
        m_changed = true;
    }

    int32_t GetHandle() const noexcept { return m_handle; }
    bool IsChanged() const noexcept { return m_changed; }
    void SetChanged() noexcept { m_changed = true; }
    // Reads and clears the changed flag (renderers do this when they look the shape up).
    bool TakeChanged() const noexcept
    {
        const bool changed = m_changed;
        m_changed = false;
        return changed;
    }

private:
    Array<PointT<T>> m_points;
    float m_lineWidth = 1.0f;
    int32_t m_handle;
    mutable bool m_changed = true;
};

// Rectangles with one ARGB colour each, drawn scaled by an x and y factor. Handle and changed
// flag as for PolylineT.
template <class T>
class ColorRectListT {
public:
    struct Item {
        RectT<T> rect;
        uint32_t argb = 0;
    };

    ColorRectListT() : m_handle(Detail::NextShapeHandle()) {}
    ColorRectListT(const ColorRectListT& other)
        : m_items(other.m_items), m_scaleX(other.m_scaleX), m_scaleY(other.m_scaleY),
          m_handle(Detail::NextShapeHandle())
    {
    }
    ColorRectListT& operator=(const ColorRectListT& other)
    {
        if (this != &other) {
            m_items = other.m_items;
            m_scaleX = other.m_scaleX;
            m_scaleY = other.m_scaleY;
            m_changed = true;
        }
        return *this;
    }

    uint32_t GetCount() const noexcept { return m_items.GetCount(); }
    const Item& GetItem(uint32_t index) const { return m_items.ElementAt(index); }
    void AddRect(const RectT<T>& rect, uint32_t argb)
    {
        m_items.AddItem(Item{rect, argb});
        m_changed = true;
    }
    void RemoveAll()
    {
        m_items.RemoveAll();
        m_changed = true;
    }

    T GetScaleX() const noexcept { return m_scaleX; }
    T GetScaleY() const noexcept { return m_scaleY; }
    void SetScale(T x, T y) noexcept
    {
        m_scaleX = x;
        m_scaleY = y;
        m_changed = true;
    }

    int32_t GetHandle() const noexcept { return m_handle; }
    bool IsChanged() const noexcept { return m_changed; }
    void SetChanged() noexcept { m_changed = true; }
    bool TakeChanged() const noexcept
    {
        const bool changed = m_changed;
        m_changed = false;
        return changed;
    }

private:
    Array<Item> m_items;
    T m_scaleX = T(1);
    T m_scaleY = T(1);
    int32_t m_handle;
    mutable bool m_changed = true;
};

} // namespace KX
