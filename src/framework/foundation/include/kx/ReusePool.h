#pragma once
// A pool of fixed-size blocks for the objects of one class. Requests of exactly sizeof(T) bytes
// are served from blocks that are never given back to the heap while the pool lives; a released
// block is handed out again first. Requests of any other size go to the runtime heap.
// A block freed a second time is ignored and reported (kx/Diagnostics.h), never handed out twice.
#include "kx/Buffer.h"
#include "kx/Diagnostics.h"
#include "kx/Exception.h"
#include "kx/Mutex.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <new>

namespace KX {

template <class T, uint32_t N>
class ReuseAllocator {
    static_assert(alignof(T) <= alignof(std::max_align_t), "over-aligned classes are not pooled");

public:
    // Every address handed out is aligned to this; the header before it holds the block's index
    // and whether it is handed out.
    static constexpr std::size_t kAlignment = alignof(std::max_align_t);

    struct alignas(kAlignment) Header {
        uint32_t index;
        uint32_t inUse; // pool blocks only: 1 from Allocate to Free
    };
    static_assert(sizeof(Header) == kAlignment);

    // One pool block: its index in the block list, then the storage handed out.
    struct Buf {
        Header header;
        alignas(kAlignment) unsigned char storage[sizeof(T)];
    };
    static_assert(offsetof(Buf, storage) == sizeof(Header));

    // The index word of a block that came from the heap.
    static constexpr uint32_t kForeign = 0xFFFFFFFFu;

    explicit ReuseAllocator(bool threadSafe = true)
    {
        // Each list holds its first piece of storage from the start.
        m_blocks.SetSize(1);
        m_blocks.SetSize(0);
        m_free.SetSize(1);
        m_free.SetSize(0);
        if (threadSafe)
            m_lock = std::make_unique<Mutex>();
    }

    ReuseAllocator(const ReuseAllocator&) = delete;
    ReuseAllocator& operator=(const ReuseAllocator&) = delete;

    // Deletes every block, whether free or still handed out, from the last to the first.
    virtual ~ReuseAllocator()
    {
        for (uint32_t i = m_blocks.GetCount(); i > 0; --i)
            delete m_blocks.GetData()[i - 1];
        m_blocks.SetSize(0);
        m_free.SetSize(0);
        m_lock.reset();
    }

    void* Allocate(uint32_t size)
    {
        if (size != sizeof(T))
            return AllocateForeign(size);

        MutexLock lock(m_lock.get());
        const uint32_t freeCount = m_free.GetCount();
        if (freeCount > 0) {
            const uint32_t i = m_free.GetData()[freeCount - 1];
            m_free.SetSize(freeCount - 1);
            Buf* block = m_blocks.GetData()[i];
            block->header.inUse = 1;
            return block->storage;
        }
        const uint32_t i = m_blocks.GetCount();
        std::unique_ptr<Buf> block(new Buf);
        block->header.index = i;
        block->header.inUse = 1;
        m_blocks.AddItem(block.get()); // throws on exhaustion, leaving the list unchanged
        return block.release()->storage;
    }

    // Returns storage obtained from Allocate of this pool.
    void Free(void* p) noexcept
    {
        if (!p)
            return;
        // The header lies inside the block that Allocate made, pooled or not.
        Header* header = HeaderOf(p);
        if (header->index == kForeign) {
            std::free(header);
            return;
        }
        {
            MutexLock lock(m_lock.get());
            const uint32_t i = header->index;
            if (i >= m_blocks.GetCount() || m_blocks.GetData()[i]->storage != p)
                return; // not one of ours: never touch it
            if (header->inUse) {
                header->inUse = 0;
                try {
                    m_free.AddItem(i);
                } catch (...) {
                    // The free list could not grow: the block stays out of circulation until the
                    // pool goes, which deletes it with the others.
                }
                return;
            }
        }
        // Already on the free list: a second entry would hand the block out twice.
        ReportDiagnostic("KX::ReuseAllocator::Free: a block freed twice is ignored");
    }

    uint32_t GetBlockCount() const
    {
        MutexLock lock(m_lock.get());
        return m_blocks.GetCount();
    }
    uint32_t GetFreeCount() const
    {
        MutexLock lock(m_lock.get());
        return m_free.GetCount();
    }
    bool IsThreadSafe() const noexcept { return m_lock != nullptr; }

private:
    static Header* HeaderOf(void* p) noexcept
    {
        return reinterpret_cast<Header*>(static_cast<unsigned char*>(p) - sizeof(Header));
    }

    // A heap block with a header of its own, so that Free never reads outside it.
    static void* AllocateForeign(uint32_t size)
    {
        void* block = std::malloc(sizeof(Header) + static_cast<std::size_t>(size));
        if (!block)
            throw Exception<std::bad_alloc>();
        Header* header = static_cast<Header*>(block);
        header->index = kForeign;
        return header + 1;
    }

    ArrayBuffer<Buf*, N, 1600> m_blocks;
    ArrayBuffer<uint32_t, N, 1600> m_free;
    std::unique_ptr<Mutex> m_lock;
};

} // namespace KX
