#include "kx/Allocator.h"

#include <cstdlib>

namespace KX {

void* SystemAllocator::Allocate(uint32_t size)
{
    return std::malloc(size);
}

void* SystemAllocator::AllocateZeroed(uint32_t count, uint32_t size)
{
    return std::calloc(count, size);
}

void* SystemAllocator::Reallocate(void* block, uint32_t size)
{
    // realloc(p, 0) is implementation-defined in C; the buffers rely on release-and-null.
    if (size == 0) {
        std::free(block);
        return nullptr;
    }
    return std::realloc(block, size);
}

void SystemAllocator::Free(void* block)
{
    std::free(block);
}

IAllocator* GetSystemAllocator()
{
    static SystemAllocator allocator;
    return &allocator;
}

} // namespace KX
