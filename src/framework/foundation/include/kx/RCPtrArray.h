#pragma once
// Owning arrays of reference-counted objects over a block of raw object pointers.
#include "kx/Array.h"
#include "kx/Buffer.h"
#include "kx/Exception.h"
#include "kx/KXResult.h"
#include "kx/RefCountedObject.h"
#include "kx/TaggableObject.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <type_traits>
#include <utility>

namespace KX {

namespace Detail {
// The raw pointer inside a smart pointer; the element block holds the same raw pointers.
template <class T>
T*& RawPointerOf(ConstRCPtr<T>& p) noexcept
{
    static_assert(sizeof(ConstRCPtr<T>) == sizeof(T*) && std::is_standard_layout_v<ConstRCPtr<T>>);
    return *reinterpret_cast<T**>(&p);
}

template <class T, uint32_t G, uint32_t S>
std::string RCPtrArrayMemberName(const char* className, const char* method)
{
    return std::string("KX::") + className + "<" + TemplateArgName<T>() + "," + std::to_string(G) + "," +
           std::to_string(S) + ">::" + method;
}
} // namespace Detail

// The arrays hide the buffer's untyped GetData and the other view's element operations on purpose.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Woverloaded-virtual"

// Every non-null element holds one reference on its object; a null element is an empty slot.
// G is the grow step and S the reserve, in elements.
template <class T, uint32_t G = 1, uint32_t S = 0>
class ConstRCPtrArray : public Detail::ArrayOverBuffer<ConstRCPtr<T>>,
                        protected BufferT<G* static_cast<uint32_t>(sizeof(void*)),
                                          S* static_cast<uint32_t>(sizeof(void*)), 8, T**, &GetSystemAllocator> {
protected:
    using Buffer = BufferT<G* static_cast<uint32_t>(sizeof(void*)), S* static_cast<uint32_t>(sizeof(void*)), 8, T**,
                           &GetSystemAllocator>;
    static constexpr uint32_t kSlotSize = static_cast<uint32_t>(sizeof(T*));

public:
    using Detail::ArrayOverBuffer<ConstRCPtr<T>>::SetSize;
    using IArray<ConstRCPtr<T>>::GetData;

    // Starts with initialCount null elements and room for capacity.
    explicit ConstRCPtrArray(uint32_t initialCount = 0, uint32_t capacity = 0)
        : Buffer(Detail::ByteCount(initialCount, kSlotSize), Detail::ByteCount(capacity, kSlotSize), true)
    {
    }

    ConstRCPtrArray(const ConstRCPtrArray&) = delete;
    ConstRCPtrArray& operator=(const ConstRCPtrArray&) = delete;

    // Releases the elements in index order, then frees the block. An element whose release
    // changes this array shortens or lengthens the work; it ends when the array is empty.
    ~ConstRCPtrArray() override
    {
        while (GetCount() > 0)
            Truncate(0);
    }

    uint32_t GetCount() const override { return this->m_size / kSlotSize; }

    // Opens a gap of null elements.
    int32_t InsertItems(uint32_t index, uint32_t count) override
    {
        const uint32_t n = GetCount();
        if (count == 0)
            return static_cast<int32_t>(n);
        if (index > n)
            return E_INVALIDARG;
        const uint64_t total = static_cast<uint64_t>(n) + count;
        const uint32_t bytes = Detail::ByteCount(total, kSlotSize);
        if (index == n)
            return ConstRCPtrArray::SetItemCount(static_cast<uint32_t>(total));
        Buffer::SetSize(bytes);
        T** slots = Slots();
        std::memmove(slots + index + count, slots + index, static_cast<size_t>(n - index) * kSlotSize);
        for (uint32_t k = 0; k < count; ++k)
            slots[index + k] = nullptr;
        return static_cast<int32_t>(total);
    }

    // Removes one element at a time at index, releasing each when the next one is taken.
    // An index or count past the end throws from RemoveItem after the earlier removals.
    int32_t RemoveItems(uint32_t index, uint32_t count) override
    {
        if (count == 0)
            return static_cast<int32_t>(GetCount());
        ConstRCPtr<T> removed;
        for (uint32_t k = 0; k < count; ++k)
            ConstRCPtrArray::RemoveItem(index, removed);
        const int32_t result = static_cast<int32_t>(GetCount());
        removed = nullptr;
        return result;
    }

    // Returns index, not the count.
    int32_t InsertItem(uint32_t index, const ConstRCPtr<T>& item) override { return InsertAt(index, item); }

    // out receives the element and its reference; throws "Out of Range" for an index not below the count.
    int32_t RemoveItem(uint32_t index, ConstRCPtr<T>& out) override
    {
        return RemoveAt(index, out, "ConstRCPtrArray", "kxframework/utilities/Storage/ConstRCPtrArray", 216);
    }

    int32_t RemoveLast(ConstRCPtr<T>& out) override
    {
        out = nullptr;
        const uint32_t n = GetCount();
        if (n == 0)
            return E_FAIL;
        std::swap(Detail::RawPointerOf(out), Slots()[n - 1]);
        return ConstRCPtrArray::SetItemCount(n - 1);
    }

    // Exchanges the stored pointers; no reference moves.
    KXRESULT SwapItems(uint32_t i, uint32_t j) override
    {
        const uint32_t n = GetCount();
        if (i >= n || j >= n)
            return E_INVALIDARG;
        std::swap(Slots()[i], Slots()[j]);
        return S_OK;
    }

    ConstRCPtr<T>* GetData() override { return reinterpret_cast<ConstRCPtr<T>*>(this->m_data); }

protected:
    int32_t SetItemCount(uint32_t count) override
    {
        const uint32_t n = GetCount();
        if (count < n)
            return Truncate(count);
        if (count == n)
            return static_cast<int32_t>(count);
        Buffer::SetSize(Detail::ByteCount(count, kSlotSize));
        T** slots = Slots();
        for (uint32_t k = n; k < count; ++k)
            slots[k] = nullptr;
        return static_cast<int32_t>(count);
    }

    T** Slots() const noexcept { return this->m_data; }

    // The item's reference is taken before the gap opens, so a failed copy-on-write changes
    // nothing and an item that lives in this array stays valid.
    int32_t InsertAt(uint32_t index, const ConstRCPtr<T>& item)
    {
        ConstRCPtr<T> holder(item);
        const int32_t result = ConstRCPtrArray::InsertItems(index, 1);
        if (result < 0)
            return result;
        std::swap(Detail::RawPointerOf(holder), Slots()[index]);
        return static_cast<int32_t>(index);
    }

    int32_t RemoveAt(uint32_t index, ConstRCPtr<T>& out, const char* className, const char* path, int line)
    {
        if (index >= GetCount())
            ThrowRemoveOutOfRange(className, path, line);
        out = nullptr;
        // Releasing what out held may have changed this array.
        const uint32_t n = GetCount();
        if (index >= n)
            ThrowRemoveOutOfRange(className, path, line);
        T** slots = Slots();
        std::swap(Detail::RawPointerOf(out), slots[index]);
        std::memmove(slots + index, slots + index + 1, static_cast<size_t>(n - index - 1) * kSlotSize);
        Buffer::SetSize((n - 1) * kSlotSize);
        return static_cast<int32_t>(GetCount());
    }

    // Removes the elements from position count upward, one at a time in ascending order, each
    // released when the next one is taken, for as long as more than count remain: an element
    // whose release removes others from this array ends the work early instead of failing.
    // Returns the count before the last element is released.
    int32_t Truncate(uint32_t count) noexcept
    {
        ConstRCPtr<T> removed;
        for (;;) {
            // Releasing the previous element may have changed this array.
            removed = nullptr;
            const uint32_t n = GetCount();
            if (n <= count)
                break;
            T** slots = Slots();
            std::swap(Detail::RawPointerOf(removed), slots[count]);
            std::memmove(slots + count, slots + count + 1, static_cast<size_t>(n - count - 1) * kSlotSize);
            Buffer::SetSize((n - 1) * kSlotSize);
            if (n - 1 == count)
                break;
        }
        const int32_t result = static_cast<int32_t>(GetCount());
        removed = nullptr;
        return result;
    }

private:
    [[noreturn]] static void ThrowRemoveOutOfRange(const char* className, const char* path, int line)
    {
        KX_THROW(std::out_of_range, "", (Detail::RCPtrArrayMemberName<T, G, S>(className, "RemoveItem")), path, line);
    }
};

// The same storage presented a second time as RCPtr<T>, for callers that change the elements.
template <class T, uint32_t G = 1, uint32_t S = 0>
class RCPtrArray : public Detail::ArrayOverBuffer<RCPtr<T>>, public ConstRCPtrArray<T, G, S> {
    using ConstArray = ConstRCPtrArray<T, G, S>;
    using View = Detail::ArrayOverBuffer<RCPtr<T>>;

public:
    using typename View::ConstIterator;
    using typename View::Iterator;
    using View::AddItem;
    using View::Advance;
    using View::Append;
    using View::Assign;
    using View::Begin;
    using View::CopyIn;
    using View::Dereference;
    using View::ElementAt;
    using View::End;
    using View::EndPosition;
    using View::FirstPosition;
    using View::GetData;
    using View::GetMaxCount;
    using View::IndexOf;
    using View::RemoveAll;
    using View::SetSize;
    using View::SwapItems;

    explicit RCPtrArray(uint32_t initialCount = 0, uint32_t capacity = 0) : ConstArray(initialCount, capacity) {}

    uint32_t GetCount() const override { return ConstArray::GetCount(); }
    int32_t InsertItems(uint32_t index, uint32_t count) override { return ConstArray::InsertItems(index, count); }
    int32_t RemoveItems(uint32_t index, uint32_t count) override { return ConstArray::RemoveItems(index, count); }

    // Returns index, not the count.
    int32_t InsertItem(uint32_t index, const RCPtr<T>& item) override { return this->InsertAt(index, item); }

    int32_t RemoveItem(uint32_t index, RCPtr<T>& out) override
    {
        return this->RemoveAt(index, out, "RCPtrArray", "kxframework/utilities/Storage/RCPtrArray", 175);
    }

    int32_t RemoveLast(RCPtr<T>& out) override { return ConstArray::RemoveLast(out); }

    RCPtr<T>* GetData() override { return reinterpret_cast<RCPtr<T>*>(this->m_data); }

protected:
    int32_t SetItemCount(uint32_t count) override { return ConstArray::SetItemCount(count); }
};

// An RCPtrArray that is itself a shared object and can carry a tag.
template <class T, uint32_t G = 1, uint32_t S = 0>
class LRCPtrArray : public RCPtrArray<T, G, S>, public virtual LTaggableObject {
public:
    explicit LRCPtrArray(uint32_t initialCount = 0, uint32_t capacity = 0) : RCPtrArray<T, G, S>(initialCount, capacity)
    {
    }
    ~LRCPtrArray() override = default;
};

#pragma GCC diagnostic pop

} // namespace KX
