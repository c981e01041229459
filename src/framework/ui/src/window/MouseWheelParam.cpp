#include "kx/ui/MouseWheelParam.h"

namespace KX {

ReuseAllocator<LMouseWheelParam, 4>& LMouseWheelParam::GetAllocator()
{
    // Never destroyed: a record may be released while the process exits.
    static auto* allocator = new ReuseAllocator<LMouseWheelParam, 4>(true);
    return *allocator;
}

void* LMouseWheelParam::operator new(std::size_t size)
{
    return GetAllocator().Allocate(static_cast<uint32_t>(size));
}

void LMouseWheelParam::operator delete(void* p) noexcept
{
    GetAllocator().Free(p);
}

RCPtr<LMouseWheelParam> LMouseWheelParam::Create(PointT<int32_t> point, uint32_t modifiers, uint32_t direction)
{
    return RCPtr<LMouseWheelParam>(new LMouseWheelParam(point, modifiers, direction));
}

} // namespace KX
