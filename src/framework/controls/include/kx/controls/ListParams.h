#pragma once
// Notification parameters of the list controls: a row's condition change with its item, and an
// item index with an optional object and value. UI thread only.
#include "kx/RefCountedObject.h"
#include "kx/ui/ParamRecords.h"

#include <cstddef>
#include <cstdint>

namespace KX {

// A row's condition change ("NID_ITEM_HOVER_CONDITION_CHANGE", "NID_ITEM_LEFT_DRAG_CONDITION_CHANGE"):
// the row's masks and point, the item it shows, its first visible look and whether the pointer is
// over the row (not merely lit by its owner).
class LItemConditionsParam : public LConditionsParam {
public:
    static RCPtr<LItemConditionsParam> Create(uint32_t previous, uint32_t current, PointT<double> point,
                                              int32_t itemIndex, int32_t firstVisibleLook, bool hover);
    int32_t GetItemIndex() const noexcept { return m_itemIndex; }
    int32_t GetFirstVisibleLook() const noexcept { return m_firstVisibleLook; }
    bool IsHover() const noexcept { return m_hover != 0; }

    // The base class pools its own size; this one comes from the heap.
    static void* operator new(std::size_t size);
    static void operator delete(void* p) noexcept;

protected:
    LItemConditionsParam(uint32_t previous, uint32_t current, PointT<double> point, int32_t itemIndex,
                         int32_t firstVisibleLook, bool hover) noexcept;
    ~LItemConditionsParam() override = default;

private:
    int32_t m_itemIndex;
    int32_t m_firstVisibleLook;
    uint8_t m_hover;
};

// An item of a list control and the object that goes with it (null when the sender has none).
class LIndexedDataParam : public virtual LRefCountedObject {
public:
    static RCPtr<LIndexedDataParam> Create(const RCPtr<LRefCountedObject>& data, int32_t index);
    const RCPtr<LRefCountedObject>& GetData() const noexcept { return m_data; }
    int32_t GetIndex() const noexcept { return m_index; }

protected:
    LIndexedDataParam(const RCPtr<LRefCountedObject>& data, int32_t index) : m_data(data), m_index(index) {}
    ~LIndexedDataParam() override = default;

private:
    RCPtr<LRefCountedObject> m_data;
    int32_t m_index;
};

// The same with a second object and a value ("NID_ITEM_CHECK_CHANGE": 1.0 checked, 0.0 not).
class LIndexedDataWithValueParam : public LIndexedDataParam {
public:
    static RCPtr<LIndexedDataWithValueParam> Create(const RCPtr<LRefCountedObject>& data, int32_t index,
                                                    const RCPtr<LRefCountedObject>& other, double value);
    const RCPtr<LRefCountedObject>& GetOther() const noexcept { return m_other; }
    double GetValue() const noexcept { return m_value; }

protected:
    LIndexedDataWithValueParam(const RCPtr<LRefCountedObject>& data, int32_t index,
                               const RCPtr<LRefCountedObject>& other, double value)
        : LIndexedDataParam(data, index), m_other(other), m_value(value)
    {
    }
    ~LIndexedDataWithValueParam() override = default;

private:
    RCPtr<LRefCountedObject> m_other;
    double m_value;
};

} // namespace KX
