#pragma once
// Raw memory interface and the process-wide allocator over the runtime heap.
#include <cstdint>

namespace KX {

struct IAllocator {
    virtual void* Allocate(uint32_t size) = 0;
    virtual void* AllocateZeroed(uint32_t count, uint32_t size) = 0;
    virtual void* Reallocate(void* block, uint32_t size) = 0;
    virtual void Free(void* block) = 0;

protected:
    ~IAllocator() = default;
};

// malloc, calloc, realloc and free, results unchanged. Reallocate(p, 0) frees p and returns null.
class SystemAllocator : public IAllocator {
public:
    void* Allocate(uint32_t size) override;
    void* AllocateZeroed(uint32_t count, uint32_t size) override;
    void* Reallocate(void* block, uint32_t size) override;
    void Free(void* block) override;
};

// The one SystemAllocator of the process.
IAllocator* GetSystemAllocator();

} // namespace KX
