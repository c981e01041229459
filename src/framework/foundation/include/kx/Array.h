#pragma once
// The array interface with its default bodies, the vector-backed array and the inline fixed array.
#include "kx/Exception.h"
#include "kx/KXResult.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

namespace KX {

namespace Detail {
// Builds "KX::<Class><<T>>::<Method>" for the texts of out-of-range exceptions.
template <class T>
std::string ArrayMemberName(const char* className, const char* method)
{
    return std::string("KX::") + className + "<" + TemplateArgName<T>() + ">::" + method;
}
} // namespace Detail

// Iteration over positions (element addresses). An empty container has the null position for
// both its first and its end position.
template <class T>
class IIterable {
public:
    // Reads and steps through the container, so one iterator type serves every implementation.
    class Iterator {
    public:
        Iterator(IIterable* container, T* position) noexcept : m_container(container), m_position(position) {}
        T& operator*() const { return m_container->Dereference(m_position); }
        T* operator->() const { return &m_container->Dereference(m_position); }
        Iterator& operator++()
        {
            m_position = m_container->Advance(m_position, 1);
            return *this;
        }
        T* GetPosition() const noexcept { return m_position; }
        bool operator==(const Iterator& other) const noexcept { return m_position == other.m_position; }

    private:
        IIterable* m_container;
        T* m_position;
    };

    class ConstIterator {
    public:
        ConstIterator(const IIterable* container, T* position) noexcept : m_container(container), m_position(position)
        {
        }
        const T& operator*() const { return m_container->Dereference(m_position); }
        const T* operator->() const { return &m_container->Dereference(m_position); }
        ConstIterator& operator++()
        {
            m_position = m_container->Advance(m_position, 1);
            return *this;
        }
        T* GetPosition() const noexcept { return m_position; }
        bool operator==(const ConstIterator& other) const noexcept { return m_position == other.m_position; }

    private:
        const IIterable* m_container;
        T* m_position;
    };

    virtual uint32_t GetCount() const = 0;
    virtual uint32_t GetMaxCount() const { return 0x7FFFFFFF; }
    virtual ConstIterator Begin() const { return ConstIterator(this, FirstPosition()); }
    virtual Iterator Begin() { return Iterator(this, FirstPosition()); }
    virtual ConstIterator End() const { return ConstIterator(this, EndPosition()); }
    virtual Iterator End() { return Iterator(this, EndPosition()); }
    virtual const T& Dereference(T* const& position) const { return *position; }
    virtual T& Dereference(T* const& position) { return *position; }
    virtual T& ElementAt(uint32_t index) = 0;
    virtual const T& ElementAt(uint32_t index) const = 0;

    // position + n elements, clamped to [first, end]; addresses compare unsigned. Computed on
    // integers so that stepping a null position (an empty container) stays defined.
    virtual T* Advance(T* position, int32_t n) const
    {
        const uintptr_t p = reinterpret_cast<uintptr_t>(position) +
                            static_cast<uintptr_t>(static_cast<intptr_t>(n) * static_cast<intptr_t>(sizeof(T)));
        T* end = EndPosition();
        T* first = FirstPosition();
        if (p < reinterpret_cast<uintptr_t>(first))
            return first;
        if (p <= reinterpret_cast<uintptr_t>(end))
            return reinterpret_cast<T*>(p);
        return end;
    }

    virtual T* FirstPosition() const = 0;
    virtual T* EndPosition() const = 0;

protected:
    IIterable() = default;
    IIterable(const IIterable&) = default;
    IIterable& operator=(const IIterable&) = default;
    ~IIterable() = default;
};

// The one array interface. Results follow KXRESULT: counts and indexes when not negative,
// E_INVALIDARG for an index or count out of range, E_FAIL when a resize fell short.
template <class T>
class IArray : public IIterable<T> {
public:
    using typename IIterable<T>::Iterator;
    using typename IIterable<T>::ConstIterator;

    // Index checked: an index not below the count throws "Out of Range".
    T& ElementAt(uint32_t index) override
    {
        if (index >= this->GetCount())
            ThrowElementAtOutOfRange();
        return GetData()[index];
    }
    const T& ElementAt(uint32_t index) const override
    {
        if (index >= this->GetCount())
            ThrowElementAtOutOfRange();
        return GetData()[index];
    }

    T* FirstPosition() const override { return this->GetCount() == 0 ? nullptr : const_cast<IArray*>(this)->GetData(); }
    T* EndPosition() const override
    {
        const uint32_t count = this->GetCount();
        return count == 0 ? nullptr : const_cast<IArray*>(this)->GetData() + count;
    }

    virtual int32_t SetSize(uint32_t count) = 0;
    virtual int32_t InsertItems(uint32_t index, uint32_t count) = 0;
    virtual int32_t RemoveItems(uint32_t index, uint32_t count) = 0;

    virtual KXRESULT RemoveAll() { return SetSize(0) == 0 ? S_OK : E_FAIL; }

    // Returns the new count.
    virtual int32_t InsertItem(uint32_t index, const T& value)
    {
        T copy(value); // value may live in this array and move while the gap opens
        const int32_t result = InsertItems(index, 1);
        if (result < 0)
            return result;
        ElementAt(index) = std::move(copy);
        return result;
    }

    virtual int32_t RemoveItem(uint32_t index, T& removed)
    {
        removed = ElementAt(index);
        return RemoveItems(index, 1);
    }

    virtual int32_t Append(const IArray& other)
    {
        const uint32_t oldCount = this->GetCount();
        const uint32_t add = other.GetCount();
        const uint64_t total = static_cast<uint64_t>(oldCount) + add;
        if (add == 0)
            return static_cast<int32_t>(oldCount);
        if (total > 0x7FFFFFFF)
            return E_FAIL;
        if (SetSize(static_cast<uint32_t>(total)) != static_cast<int32_t>(total))
            return E_FAIL;
        T* destination = GetData() + oldCount;
        ConstIterator it = other.Begin();
        for (uint32_t k = 0; k < add; ++k) {
            T* position = it.GetPosition();
            ConstIterator next(&other, other.Advance(position, 1));
            *destination = other.Dereference(position);
            ++destination;
            it = next;
        }
        return static_cast<int32_t>(total);
    }

    virtual int32_t AddItem(const T& value) { return InsertItem(this->GetCount(), value); }
    virtual int32_t RemoveLast(T& removed) { return RemoveItem(this->GetCount() - 1, removed); }

    virtual int32_t Assign(const IArray& other)
    {
        if (&other == this)
            return static_cast<int32_t>(this->GetCount());
        SetSize(0);
        return Append(other);
    }

    virtual KXRESULT SwapItems(uint32_t i, uint32_t j)
    {
        const uint32_t count = this->GetCount();
        if (i >= count || j >= count)
            return E_INVALIDARG;
        T temporary(ElementAt(i));
        ElementAt(i) = ElementAt(j);
        ElementAt(j) = temporary;
        return S_OK;
    }

    virtual const T* GetData() const { return const_cast<IArray*>(this)->GetData(); }
    virtual T* GetData() = 0;

    // Copies source over existing elements from start on, never growing; returns the number copied.
    uint32_t CopyIn(const T* source, uint32_t start, uint32_t n)
    {
        const uint32_t count = this->GetCount();
        if (start >= count)
            return 0;
        const uint64_t end = static_cast<uint64_t>(start) + n;
        const uint32_t stop = end < count ? static_cast<uint32_t>(end) : count;
        if (start >= stop)
            return 0;
        for (uint32_t k = start; k < stop; ++k)
            ElementAt(k) = source[k - start];
        return stop - start;
    }

    // Index of the first element equal to value, or -1.
    int32_t IndexOf(const T& value) const
    {
        const uint32_t count = this->GetCount();
        if (count == 0)
            return -1;
        T* position = this->Begin().GetPosition();
        for (uint32_t k = 0; k < count; ++k) {
            const T& element = this->Dereference(position);
            position = this->Advance(position, 1);
            if (element == value)
                return static_cast<int32_t>(k);
        }
        return -1;
    }

protected:
    IArray() = default;
    IArray(const IArray&) = default;
    IArray& operator=(const IArray&) = default;
    ~IArray() = default;

private:
    [[noreturn]] static void ThrowElementAtOutOfRange()
    {
        KX_THROW(std::out_of_range, "", Detail::ArrayMemberName<T>("IArray", "ElementAt"),
                 "kxframework\\utilities\\Storage/Array", 97);
    }
};

// Growable array over a contiguous vector; element access tests the index.
template <class T>
class Array : public IArray<T> {
    static_assert(!std::is_same_v<T, bool>, "Array<bool> has no contiguous storage");

public:
    Array() = default;
    Array(const Array&) = default;
    Array& operator=(const Array&) = default;
    virtual ~Array() = default;

    uint32_t GetCount() const override { return static_cast<uint32_t>(m_items.size()); }

    T& ElementAt(uint32_t index) override { return m_items.at(index); }
    const T& ElementAt(uint32_t index) const override { return m_items.at(index); }

    // Added elements are value-initialised.
    int32_t SetSize(uint32_t count) override
    {
        m_items.resize(count);
        return static_cast<int32_t>(GetCount());
    }

    int32_t InsertItems(uint32_t index, uint32_t count) override
    {
        if (index > GetCount())
            return E_INVALIDARG;
        if (count != 0)
            m_items.insert(m_items.begin() + index, count, T());
        return static_cast<int32_t>(GetCount());
    }

    int32_t RemoveItems(uint32_t index, uint32_t count) override
    {
        const uint32_t n = GetCount();
        if (index >= n || static_cast<uint64_t>(index) + count > n)
            return E_INVALIDARG;
        m_items.erase(m_items.begin() + index, m_items.begin() + index + count);
        return static_cast<int32_t>(GetCount());
    }

    // Returns the index of the new element, not the count.
    int32_t InsertItem(uint32_t index, const T& value) override
    {
        if (index > GetCount())
            return E_INVALIDARG;
        m_items.insert(m_items.begin() + index, value);
        return static_cast<int32_t>(index);
    }

    const T* GetData() const override { return m_items.empty() ? nullptr : m_items.data(); }
    T* GetData() override { return m_items.empty() ? nullptr : m_items.data(); }

private:
    std::vector<T> m_items;
};

// At most N plain elements stored inline; never allocates.
template <class T, uint32_t N>
struct SimpleFixedArray : public IArray<T> {
    static_assert(std::is_trivially_copyable_v<T>, "elements are moved as raw bytes");
    static_assert(N > 0 && N <= 0x7FFFFFFF);

    explicit SimpleFixedArray(uint32_t count = 0) noexcept : m_count(count < N ? count : N) {}

    uint32_t GetCount() const override { return m_count; }
    uint32_t GetMaxCount() const override { return N; }

    // Elements keep their storage contents; the count is limited to N.
    int32_t SetSize(uint32_t count) override
    {
        m_count = count < N ? count : N;
        return static_cast<int32_t>(m_count);
    }

    // The opened places keep whatever the storage held.
    int32_t InsertItems(uint32_t index, uint32_t count) override
    {
        if (count == 0)
            return static_cast<int32_t>(m_count);
        const uint32_t old = m_count;
        if (index > old || static_cast<uint64_t>(old) + count > N)
            return E_INVALIDARG;
        SetSize(old + count);
        if (index < old)
            std::memmove(m_storage + index + count, m_storage + index, (old - index) * sizeof(T));
        return static_cast<int32_t>(m_count);
    }

    int32_t RemoveItems(uint32_t index, uint32_t count) override
    {
        if (count == 0)
            return static_cast<int32_t>(m_count);
        if (static_cast<uint64_t>(index) + count > m_count)
            return E_INVALIDARG;
        const uint32_t tail = m_count - index - count;
        if (tail > 0)
            std::memmove(m_storage + index, m_storage + index + count, tail * sizeof(T));
        return SetSize(m_count - count);
    }

    const T* GetData() const override { return m_storage; }
    T* GetData() override { return m_storage; }

private:
    uint32_t m_count;
    T m_storage[N] = {};
};

} // namespace KX
