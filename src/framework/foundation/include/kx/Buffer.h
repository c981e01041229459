#pragma once
// Growable contiguous byte storage over an allocator, its reference-counted form under the
// strings, and the buffer-backed arrays of plain values.
#include "kx/Allocator.h"
#include "kx/Array.h"
#include "kx/Exception.h"
#include "kx/KXResult.h"
#include "kx/RefCountedObject.h"

#include <cstdint>
#include <cstring>
#include <new>
#include <type_traits>

namespace KX {

using AllocatorFunction = IAllocator* (*)();

// A growable run of bytes. Sizes and offsets count bytes.
struct IBuffer {
    virtual uint32_t GetSize() const = 0;
    // Takes a block of the granule above size without keeping the contents; 0 releases the block.
    virtual uint32_t Resize(uint32_t size) = 0;
    // Changes the size keeping the first min(old size, size) bytes.
    virtual uint32_t SetSize(uint32_t size) = 0;
    // A negative count fills to the end.
    virtual KXRESULT Fill(uint8_t value, uint32_t offset, int32_t count) = 0;
    // count in 16-bit units from a byte offset; a negative count fills the whole units up to the end.
    virtual KXRESULT FillWide(uint16_t value, uint32_t offset, int32_t count) = 0;
    virtual uint32_t GetAllocatedSize() const = 0;
    // Null when there is no block.
    virtual void* GetData() const = 0;

    // Address of byte index, or null when index is not below the size.
    void* GetPointerAt(uint32_t index) const
    {
        if (static_cast<uint64_t>(index) + 1 > GetSize())
            return nullptr;
        return static_cast<char*>(GetData()) + index;
    }

protected:
    IBuffer() = default;
    IBuffer(const IBuffer&) = default;
    IBuffer& operator=(const IBuffer&) = default;
    ~IBuffer() = default;
};

namespace Detail {
[[noreturn]] inline void ThrowBadAllocation()
{
    throw Exception<std::bad_alloc>();
}

// The range rules of Fill over size bytes at data.
inline KXRESULT FillBytes(void* data, uint32_t size, uint8_t value, uint32_t offset, int32_t count)
{
    uint32_t n;
    if (count < 0) {
        if (offset > size)
            return E_INVALIDARG;
        n = size - offset;
    } else {
        if (static_cast<uint64_t>(offset) + static_cast<uint32_t>(count) > size)
            return E_INVALIDARG;
        n = static_cast<uint32_t>(count);
    }
    if (n > 0)
        std::memset(static_cast<char*>(data) + offset, value, n);
    return S_OK;
}

// The range rules of FillWide over size bytes at data.
KXRESULT FillWideUnits(void* data, uint32_t size, uint16_t value, uint32_t offset, int32_t count);

// count elements of elementSize bytes as a 32-bit byte count; a count that cannot be held is an
// allocation failure.
inline uint32_t ByteCount(uint64_t count, uint64_t elementSize)
{
    const uint64_t bytes = count * elementSize;
    if (count > 0x7FFFFFFF || bytes > 0xFFFFFFFFu)
        ThrowBadAllocation();
    return static_cast<uint32_t>(bytes);
}
} // namespace Detail

// Byte storage over the allocator that F returns. A block that must be (re)allocated is brought
// up to a multiple of the granule G; a block stays while no more than max(R, G - 1) bytes of it
// would be spare. A failed allocation keeps the old block and throws "bad allocation".
template <uint32_t G, uint32_t R, uint32_t A, class P, AllocatorFunction F = &GetSystemAllocator>
class BufferT : public virtual IBuffer {
    static_assert(G >= 1, "the granule is at least one byte");
    static_assert(std::is_pointer_v<P>, "P types the data pointer");

public:
    static constexpr uint32_t kSpare = R > G - 1 ? R : G - 1;

    // A capacity above size is allocated exactly, then the size is set by the growth rule.
    explicit BufferT(uint32_t size = 0, uint32_t capacity = 0, bool zeroFill = false)
    {
        if (capacity > size) {
            void* block = F()->Allocate(capacity);
            if (!block)
                Detail::ThrowBadAllocation();
            m_block = block;
            m_data = static_cast<P>(block);
            m_capacity = capacity;
        }
        try {
            BufferT::SetSize(size);
        } catch (...) {
            Release();
            throw;
        }
        if (zeroFill && m_size > 0)
            std::memset(m_block, 0, m_size);
    }

    BufferT(const BufferT&) = delete;
    BufferT& operator=(const BufferT&) = delete;

    virtual ~BufferT() { Release(); }

    uint32_t GetSize() const override { return m_size; }

    uint32_t Resize(uint32_t size) override
    {
        if (size == 0) {
            Release();
            return 0;
        }
        const uint32_t capacity = Granule(size);
        if (capacity != m_capacity) {
            void* block = F()->Allocate(capacity);
            if (!block)
                Detail::ThrowBadAllocation();
            if (m_block)
                F()->Free(m_block);
            m_block = block;
            m_data = static_cast<P>(block);
            m_capacity = capacity;
        }
        m_size = size;
        return size;
    }

    uint32_t SetSize(uint32_t size) override
    {
        if (m_capacity == 0)
            return BufferT::Resize(size);
        if (m_capacity >= size && m_capacity - size <= kSpare) {
            m_size = size;
            return size;
        }
        if (size == 0) {
            Release();
            return 0;
        }
        const uint32_t capacity = Granule(size);
        void* block = F()->Reallocate(m_block, capacity);
        if (!block) {
            // A shrink that cannot move keeps the larger block.
            if (size > m_capacity)
                Detail::ThrowBadAllocation();
            m_size = size;
            return size;
        }
        m_block = block;
        m_data = static_cast<P>(block);
        m_capacity = capacity;
        m_size = size;
        return size;
    }

    KXRESULT Fill(uint8_t value, uint32_t offset, int32_t count) override
    {
        return Detail::FillBytes(GetData(), GetSize(), value, offset, count);
    }

    KXRESULT FillWide(uint16_t value, uint32_t offset, int32_t count) override
    {
        return Detail::FillWideUnits(GetData(), GetSize(), value, offset, count);
    }

    uint32_t GetAllocatedSize() const override { return m_capacity; }
    void* GetData() const override { return m_data; }

protected:
    // size brought up to the next multiple of G.
    static uint32_t Granule(uint32_t size)
    {
        const uint64_t capacity = (static_cast<uint64_t>(size) + G - 1) / G * G;
        if (capacity > 0xFFFFFFFFu)
            Detail::ThrowBadAllocation();
        return static_cast<uint32_t>(capacity);
    }

    // Frees the block and clears every field.
    void Release() noexcept
    {
        if (m_block)
            F()->Free(m_block);
        m_data = nullptr;
        m_size = 0;
        m_block = nullptr;
        m_capacity = 0;
    }

    P m_data = nullptr;
    uint32_t m_size = 0;
    void* m_block = nullptr;
    uint32_t m_capacity = 0;
};

// A reference-counted buffer: the storage of every string.
class LIBuffer : public virtual IBuffer, public virtual LRefCountedObject {
public:
    // out becomes a new buffer of count bytes holding this buffer's bytes from offset on, as
    // many as there are, the rest zero. out may be the pointer that holds this buffer.
    virtual ConstRCPtr<LIBuffer>& CopyRange(ConstRCPtr<LIBuffer>& out, uint32_t count, uint32_t offset) const = 0;
};

template <uint32_t G, uint32_t R, uint32_t A, class T>
class LBufferT : public BufferT<G, R, A, T*, &GetSystemAllocator>, public LIBuffer {
    using Buffer = BufferT<G, R, A, T*, &GetSystemAllocator>;

public:
    LBufferT(uint32_t size, uint32_t capacity, bool zeroFill) : Buffer(size, capacity, zeroFill) {}

    // out takes the first reference on a new buffer.
    static ConstRCPtr<LIBuffer>& Create(ConstRCPtr<LIBuffer>& out, uint32_t size, uint32_t capacity, bool zeroFill)
    {
        out = ConstRCPtr<LIBuffer>(static_cast<LIBuffer*>(new LBufferT(size, capacity, zeroFill)));
        return out;
    }

    // A new buffer of the same size and bytes.
    ConstRCPtr<LRefCountedObject> CreateCopy() const override
    {
        const uint32_t size = this->GetSize();
        auto* copy = new LBufferT(size, 0, true);
        ConstRCPtr<LRefCountedObject> result(static_cast<const LRefCountedObject*>(copy));
        if (size > 0)
            std::memcpy(copy->GetData(), this->GetData(), size);
        return result;
    }

    ConstRCPtr<LIBuffer>& CopyRange(ConstRCPtr<LIBuffer>& out, uint32_t count, uint32_t offset) const override
    {
        ConstRCPtr<LIBuffer> range;
        Create(range, count, 0, true);
        const uint32_t size = this->GetSize();
        if (offset < size) {
            const uint32_t available = size - offset;
            const uint32_t n = count < available ? count : available;
            if (n > 0)
                std::memcpy(range->GetData(), static_cast<const char*>(this->GetData()) + offset, n);
        }
        // Assigned last: out may hold this buffer.
        out = std::move(range);
        return out;
    }
};

// The arrays below hide the buffer's untyped GetData behind the typed one on purpose.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Woverloaded-virtual"

namespace Detail {
// IArray whose SetSize is reached as SetItemCount, so that a class can be an array and a buffer
// (whose SetSize counts bytes) at once.
template <class T>
class ArrayOverBuffer : public IArray<T> {
public:
    int32_t SetSize(uint32_t count) override { return SetItemCount(count); }

protected:
    ArrayOverBuffer() = default;
    ~ArrayOverBuffer() = default;
    virtual int32_t SetItemCount(uint32_t count) = 0;
};
} // namespace Detail

// Array of plain values over a buffer; G and R count elements. Elements move as raw bytes.
template <class T, uint32_t G = 1, uint32_t R = 0, uint32_t X = 1, uint32_t A = 8,
          AllocatorFunction F = &GetSystemAllocator>
class ArrayBuffer : public Detail::ArrayOverBuffer<T>,
                    public BufferT<G* static_cast<uint32_t>(sizeof(T)), R* static_cast<uint32_t>(sizeof(T)), A, T*, F> {
    static_assert(std::is_trivially_copyable_v<T>, "elements are moved as raw bytes");

protected:
    using Buffer = BufferT<G* static_cast<uint32_t>(sizeof(T)), R* static_cast<uint32_t>(sizeof(T)), A, T*, F>;
    static constexpr uint32_t kElementSize = static_cast<uint32_t>(sizeof(T));

public:
    using Detail::ArrayOverBuffer<T>::SetSize;
    using IArray<T>::GetData;

    ArrayBuffer() : Buffer(0, 0, false) {}

    uint32_t GetCount() const override { return this->GetSize() / kElementSize; }

    int32_t InsertItems(uint32_t index, uint32_t count) override
    {
        const uint32_t n = GetCount();
        if (count == 0)
            return static_cast<int32_t>(n);
        if (index > n)
            return E_INVALIDARG;
        const uint64_t total = static_cast<uint64_t>(n) + count;
        Detail::ByteCount(total, kElementSize);
        if (index == n)
            return SetSize(static_cast<uint32_t>(total));
        const int32_t result = SetStorageCount(static_cast<uint32_t>(total));
        if (result < 0)
            return result;
        T* data = GetData();
        std::memmove(data + index + count, data + index, static_cast<size_t>(n - index) * kElementSize);
        std::memset(static_cast<void*>(data + index), 0, static_cast<size_t>(count) * kElementSize);
        return static_cast<int32_t>(total);
    }

    int32_t RemoveItems(uint32_t index, uint32_t count) override
    {
        const uint32_t n = GetCount();
        if (count == 0)
            return static_cast<int32_t>(n);
        if (static_cast<uint64_t>(index) + count > n)
            return E_INVALIDARG;
        const uint32_t tail = n - index - count;
        if (tail > 0) {
            T* data = GetData();
            std::memmove(data + index, data + index + count, static_cast<size_t>(tail) * kElementSize);
        }
        return SetStorageCount(n - count);
    }

    // Returns the new count.
    int32_t InsertItem(uint32_t index, const T& value) override
    {
        const T copy = value;
        const int32_t result = InsertItems(index, 1);
        if (result >= 0)
            GetData()[index] = copy;
        return result;
    }

    int32_t RemoveItem(uint32_t index, T& removed) override
    {
        if (index >= GetCount())
            return E_INVALIDARG;
        removed = GetData()[index];
        return RemoveItems(index, 1);
    }

    T* GetData() override { return static_cast<T*>(Buffer::GetData()); }

    // Sets the storage to count elements, keeping the first ones; returns the count.
    virtual int32_t SetStorageCount(uint32_t count)
    {
        return static_cast<int32_t>(Buffer::SetSize(Detail::ByteCount(count, kElementSize)) / kElementSize);
    }

protected:
    // New elements are zeroed.
    int32_t SetItemCount(uint32_t count) override
    {
        const uint32_t old = GetCount();
        const int32_t result = SetStorageCount(count);
        if (result >= 0 && count > old) {
            IBuffer& buffer = *this;
            if (kElementSize % 2 == 0)
                buffer.FillWide(0, old * kElementSize, -1);
            else
                buffer.Fill(0, old * kElementSize, -1);
        }
        return result;
    }
};

// ArrayBuffer that holds up to N elements inline, without a heap block.
template <class T, uint32_t N, uint32_t G = 1, uint32_t R = 0, uint32_t X = 1, uint32_t A = 8,
          AllocatorFunction F = &GetSystemAllocator>
class ArrayBufferM : public ArrayBuffer<T, G, R, X, A, F> {
    static_assert(N > 0);
    using Base = ArrayBuffer<T, G, R, X, A, F>;
    using Buffer = typename Base::Buffer;
    static constexpr uint32_t kElementSize = Base::kElementSize;

public:
    using IArray<T>::GetData;

    ArrayBufferM() = default;

    uint32_t GetCount() const override { return m_inlineCount != 0 ? m_inlineCount : Base::GetCount(); }

    T* GetData() override { return GetCount() <= N ? m_inline : Base::GetData(); }

    int32_t SetStorageCount(uint32_t count) override
    {
        const uint32_t current = GetCount();
        if (current <= N && count <= N) {
            m_inlineCount = count;
        } else if (current <= N) {
            Buffer::Resize(Detail::ByteCount(count, kElementSize));
            if (current > 0)
                std::memcpy(Buffer::GetData(), m_inline, static_cast<size_t>(current) * kElementSize);
            m_inlineCount = 0;
        } else if (count <= N) {
            if (count > 0)
                std::memcpy(m_inline, Buffer::GetData(), static_cast<size_t>(count) * kElementSize);
            m_inlineCount = count;
            Buffer::Resize(0);
        } else {
            Buffer::SetSize(Detail::ByteCount(count, kElementSize));
        }
        return static_cast<int32_t>(count);
    }

    KXRESULT Fill(uint8_t value, uint32_t offset, int32_t count) override
    {
        if (GetCount() > N)
            return Buffer::Fill(value, offset, count);
        return Detail::FillBytes(m_inline, m_inlineCount * kElementSize, value, offset, count);
    }

    KXRESULT FillWide(uint16_t value, uint32_t offset, int32_t count) override
    {
        if (GetCount() > N)
            return Buffer::FillWide(value, offset, count);
        return Detail::FillWideUnits(m_inline, m_inlineCount * kElementSize, value, offset, count);
    }

private:
    uint32_t m_inlineCount = 0;
    T m_inline[N] = {};
};

#pragma GCC diagnostic pop

} // namespace KX
