#pragma once
// A region as a list of integer rectangles (left, top, right, bottom; right and bottom
// exclusive). Windows collect what must be repainted in one. Used on the UI thread only.
#include "kx/Array.h"
#include "kx/Geometry.h"

#include <cstdint>

namespace KX {

struct LRegionNode {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
    LRegionNode* next;
};

// The process-wide store of region nodes: a block of 512 recycled slots, with the heap as
// overflow. Nodes come out zeroed.
class LRegionNodePool {
public:
    static constexpr uint32_t kBlockSlots = 512;

    static LRegionNode* Allocate();
    static void Free(LRegionNode* node) noexcept;

    // Nodes handed out and not yet freed.
    static uint32_t GetLiveCount() noexcept;
    // The highest live count seen.
    static uint32_t GetPeakCount() noexcept;
    // Nodes handed out from the heap because the block was exhausted, in total.
    static uint32_t GetHeapAllocationCount() noexcept;
};

class LRegion {
public:
    LRegion() noexcept = default;
    // A copy holds the same rectangles in the same order.
    LRegion(const LRegion& other);
    LRegion(LRegion&& other) noexcept : m_head(other.m_head) { other.m_head = nullptr; }
    LRegion& operator=(const LRegion& other);
    LRegion& operator=(LRegion&& other) noexcept;
    ~LRegion() { Clear(); }

    // Adds a rectangle after cutting it out of what the region holds, so rectangles added this
    // way never overlap. Ignored unless right > left and bottom > top.
    void AddRect(int32_t left, int32_t top, int32_t right, int32_t bottom);
    // Adds a copy of every rectangle of other, in its order; overlaps are not removed.
    void AddRegion(const LRegion& other);
    // Removes the rectangle; the parts removed go to collect when given.
    void SubtractRect(int32_t left, int32_t top, int32_t right, int32_t bottom, LRegion* collect = nullptr);
    void SubtractRegion(const LRegion& other, LRegion* collect = nullptr);
    // Keeps only the parts that lie inside other.
    void Intersect(const LRegion& other);
    void Clear() noexcept;

    // The bounding box; false and all four 0 when empty.
    bool GetBounds(int32_t& left, int32_t& top, int32_t& right, int32_t& bottom) const noexcept;
    // Replaces the array's contents with the rectangles as x, y, width, height, in list order.
    void ForEachRect(IArray<RectT<int32_t>>& out) const;
    uint32_t GetRectCount() const noexcept;
    bool IsEmpty() const noexcept { return m_head == nullptr; }
    // Moves every rectangle; coordinates saturate at the 32-bit range.
    void Offset(int32_t dx, int32_t dy) noexcept;
    // True when any rectangle's interior meets the rectangle's interior.
    bool IntersectsRect(int32_t left, int32_t top, int32_t right, int32_t bottom) const noexcept;
    // The same for a double rectangle (x, y, width, height) moved by offset, limited to
    // 0..0x7FFFFFFF and rounded; false when its width or height is not above kDoubleEpsilon.
    bool IntersectsRectF(const RectT<double>& rect, const PointT<double>& offset) const noexcept;
    // Sorts the rectangles into bands and merges neighbours that touch.
    void Optimize();

    const LRegionNode* GetFirst() const noexcept { return m_head; }

private:
    void PushFront(LRegionNode* node) noexcept
    {
        node->next = m_head;
        m_head = node;
    }

    LRegionNode* m_head = nullptr;
};

} // namespace KX
