#pragma once
// A control's children in insertion order, with the drawing and tab orders kept as index arrays
// that are re-sorted lazily when the change stamp has moved. UI thread only.
#include "kx/Array.h"
#include "kx/RCPtrArray.h"
#include "kx/StringT.h"

#include <cstdint>

namespace KX {

class LControl;

// Orders of GetAt.
inline constexpr uint32_t kOrderInsertion = 0;
inline constexpr uint32_t kOrderDrawing = 1;
inline constexpr uint32_t kOrderTab = 2;

class LChildControlList {
public:
    explicit LChildControlList(LControl* owner) noexcept;
    LChildControlList(const LChildControlList&) = delete;
    LChildControlList& operator=(const LChildControlList&) = delete;
    virtual ~LChildControlList();

    uint32_t GetCount() const { return m_children.GetCount(); }
    // Throws a runtime error for an index at or beyond the count or an order other than 0-2. The
    // insertion order, walked by every layout and scroll, is answered here.
    const RCPtr<LControl>& GetAt(uint32_t index, uint32_t order)
    {
        if (order == kOrderInsertion && index < m_children.GetCount())
            return m_children.GetData()[index];
        return GetAtInOrder(index, order);
    }
    const RCPtr<LControl>& GetAt(uint32_t index, uint32_t order) const
    {
        if (order == kOrderInsertion && index < m_children.GetCount())
            return const_cast<RCPtrArray<LControl>&>(m_children).GetData()[index];
        return GetAtInOrder(index, order);
    }
    // The child at index in insertion order, unchecked: index must be below the count.
    LControl* InsertionAt(uint32_t index) const noexcept
    {
        return const_cast<RCPtrArray<LControl>&>(m_children).GetData()[index].Get();
    }
    // Position of child (by identity) in the order, searched from the end; -1 when absent.
    int32_t IndexOf(const LControl* child, uint32_t order);

    // Appends child and takes on its unclipped descendants.
    void Add(const RCPtr<LControl>& child);
    // The index the child had, or -1.
    int32_t Remove(const LControl* child);
    // True when the list was already empty.
    bool RemoveAll();
    KXRESULT Resort();
    // 0 renamed (later siblings' references follow); 1 same name; E_FAIL name taken by a
    // sibling; E_INVALIDARG not a child.
    KXRESULT RenameChild(const RCPtr<LControl>& child, const WString& newName);
    void Touch() noexcept { ++m_changeStamp; }
    uint32_t GetChangeStamp() const noexcept { return m_changeStamp; }
    uint32_t GetSortedStamp() const noexcept { return m_sortedStamp; }

private:
    const RCPtr<LControl>& GetAtInOrder(uint32_t index, uint32_t order);
    const RCPtr<LControl>& GetAtInOrder(uint32_t index, uint32_t order) const;
    void SortIfStale() const;
    void RemoveAtIndex(uint32_t index);

    LControl* m_owner;
    RCPtrArray<LControl> m_children;
    mutable Array<unsigned int> m_tabOrder;
    mutable Array<unsigned int> m_drawOrder;
    uint32_t m_changeStamp = 1;
    mutable uint32_t m_sortedStamp = 0;
};

} // namespace KX
