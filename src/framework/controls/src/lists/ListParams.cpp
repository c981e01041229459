// The list controls' notification parameters.
#include "kx/controls/ListParams.h"

#include <new>

namespace KX {

LItemConditionsParam::LItemConditionsParam(uint32_t previous, uint32_t current, PointT<double> point, int32_t itemIndex,
                                           int32_t firstVisibleLook, bool hover) noexcept
    : LConditionsParam(previous, current, point), m_itemIndex(itemIndex), m_firstVisibleLook(firstVisibleLook),
      m_hover(hover ? 1 : 0)
{
}

RCPtr<LItemConditionsParam> LItemConditionsParam::Create(uint32_t previous, uint32_t current, PointT<double> point,
                                                         int32_t itemIndex, int32_t firstVisibleLook, bool hover)
{
    return RCPtr<LItemConditionsParam>(
        new LItemConditionsParam(previous, current, point, itemIndex, firstVisibleLook, hover));
}

void* LItemConditionsParam::operator new(std::size_t size)
{
    return ::operator new(size);
}

void LItemConditionsParam::operator delete(void* p) noexcept
{
    ::operator delete(p);
}

RCPtr<LIndexedDataParam> LIndexedDataParam::Create(const RCPtr<LRefCountedObject>& data, int32_t index)
{
    return RCPtr<LIndexedDataParam>(new LIndexedDataParam(data, index));
}

RCPtr<LIndexedDataWithValueParam> LIndexedDataWithValueParam::Create(const RCPtr<LRefCountedObject>& data,
                                                                     int32_t index,
                                                                     const RCPtr<LRefCountedObject>& other,
                                                                     double value)
{
    return RCPtr<LIndexedDataWithValueParam>(new LIndexedDataWithValueParam(data, index, other, value));
}

} // namespace KX
