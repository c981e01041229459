#pragma once
// An 8-bit image: glyph bitmaps and glyph atlases. Rows are rowLength bytes apart.
#include "kx/Buffer.h"
#include "kx/RefCountedObject.h"

#include <cstdint>
#include <cstring>

namespace KX {

template <class T>
class IPixelBuffer {
public:
    virtual uint32_t GetWidth() const = 0;
    virtual uint32_t GetHeight() const = 0;
    virtual uint32_t GetRowLength() const = 0;
    // The address of pixel (x, y), or null when that byte lies beyond the storage.
    virtual const T* GetPixelAddress(uint32_t x, uint32_t y) const = 0;
    virtual T* GetPixelAddress(uint32_t x, uint32_t y) = 0;

protected:
    ~IPixelBuffer() = default;
};

template <class T>
class LPixelBuffer : public IPixelBuffer<T>, public virtual LRefCountedObject {
    static_assert(sizeof(T) == 1, "pixels of one byte");

public:
    // With source: rowLength × height bytes are copied from it. Without: a rowLength of 0
    // becomes the width rounded up to a multiple of 16, and the pixels are zero.
    LPixelBuffer(uint32_t width, uint32_t height, uint32_t rowLength, const T* source)
        : m_width(width), m_height(height), m_rowLength(rowLength)
    {
        if (!source && m_rowLength == 0)
            m_rowLength = Detail::ByteCount((static_cast<uint64_t>(width) + 15) / 16, 16);
        const uint32_t size = Detail::ByteCount(m_height, m_rowLength);
        m_storage = RCPtr<LIBuffer>(new Storage(size, 0, source == nullptr));
        if (source && size > 0)
            std::memcpy(m_storage->GetData(), source, size);
    }

    uint32_t GetWidth() const override { return m_width; }
    uint32_t GetHeight() const override { return m_height; }
    uint32_t GetRowLength() const override { return m_rowLength; }

    const T* GetPixelAddress(uint32_t x, uint32_t y) const override
    {
        const uint64_t at = static_cast<uint64_t>(m_rowLength) * y + x;
        if (at >= m_storage->GetSize())
            return nullptr;
        return static_cast<const T*>(m_storage->GetData()) + at;
    }
    T* GetPixelAddress(uint32_t x, uint32_t y) override
    {
        return const_cast<T*>(static_cast<const LPixelBuffer*>(this)->GetPixelAddress(x, y));
    }

    // Resizes to rows rows; added rows are zero.
    void SetHeight(uint32_t rows)
    {
        const uint32_t old = m_storage->GetSize();
        const uint32_t size = Detail::ByteCount(rows, m_rowLength);
        m_storage->SetSize(size);
        if (size > old)
            m_storage->Fill(0, old, -1);
        m_height = rows;
    }

private:
    using Storage = LBufferT<16, 0, 8, T>;

    uint32_t m_width;
    uint32_t m_height;
    uint32_t m_rowLength;
    RCPtr<LIBuffer> m_storage;
};

} // namespace KX
