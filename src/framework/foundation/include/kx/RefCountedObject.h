#pragma once
// Reference-counted object base and its owning smart pointers with copy-on-write.
#include "kx/Exception.h"
#include "kx/KXResult.h"

#include <atomic>
#include <cstdint>
#include <type_traits>
#include <utility>

namespace KX {

template <class C, class O>
class StringT;

template <class T>
class ConstRCPtr;
template <class T>
class RCPtr;

// Every shared object answers with a text form.
class IStringable {
public:
    virtual StringT<char16_t, char> ToString() const = 0;

protected:
    ~IStringable() = default;
};

class IUndoable : public IStringable {
public:
    virtual void Undo() = 0;

protected:
    ~IUndoable() = default;
};

// Base of every shared object. Created with no holder; the Release that brings the count to 0
// deletes it. References that the object's own parts hold back to it are counted as internal
// and dropped by ReleaseInternalReferences when the last outside holder lets go.
class LRefCountedObject : public IUndoable {
public:
    // How many more times one Release asks ReleaseInternalReferences after other holders came and
    // went during the call; after that the object keeps its internal references.
    static constexpr int kMaxCycleBreakRetries = 3;

    LRefCountedObject() noexcept = default;
    // A copy is a new object: no holders, shareable.
    LRefCountedObject(const LRefCountedObject&) noexcept : LRefCountedObject() {}
    LRefCountedObject& operator=(const LRefCountedObject&) noexcept { return *this; }
    virtual ~LRefCountedObject();

    // The name of the object's dynamic class.
    StringT<char16_t, char> ToString() const override;
    void Undo() override;

    // Never overridden: final lets every holder increment without a virtual call.
    virtual int32_t AddRef() final { return m_refCount.fetch_add(1) + 1; }
    // Returns the count after the decrement; 0 means the object has been deleted.
    virtual int32_t Release();
    // Base: S_OK when there is exactly one holder and no internal reference, else E_FAIL.
    virtual KXRESULT ReleaseInternalReferences();
    virtual ConstRCPtr<LRefCountedObject> CreateCopy() const;

    // true marks the object unshareable (refused while it has more than one holder).
    void SetUnshareable(bool unshareable);
    // Adjusts the internal-reference count by amount (one atomic addition).
    void AddToRefCount(int32_t amount) noexcept { m_internalRefCount.fetch_add(amount); }

    int32_t GetRefCount() const noexcept { return m_refCount.load(); }
    int32_t GetInternalRefCount() const noexcept { return m_internalRefCount.load(); }
    bool IsShareable() const noexcept { return m_shareable.load(std::memory_order_relaxed); }

private:
    std::atomic<int32_t> m_refCount{0};
    std::atomic<int32_t> m_internalRefCount{0};
    // 0, or the number of the thread running ReleaseInternalReferences from Release.
    std::atomic<int32_t> m_releaseGuard{0};
    // Counts the releases made by other holders (not by the cycle breaking itself), so that the
    // caller breaking the cycles notices another holder letting go meanwhile.
    std::atomic<uint32_t> m_releaseEpoch{0};
    std::atomic<bool> m_shareable{true};
};

namespace Detail {
// Raises the copy-on-write failure for a pointer whose template argument is typeArg.
[[noreturn]] void ThrowUnshareFailed(const std::string& typeArg);

template <class T>
LRefCountedObject* BaseOf(const T* p) noexcept
{
    return const_cast<LRefCountedObject*>(static_cast<const LRefCountedObject*>(p));
}
} // namespace Detail

// Owning pointer with const access. Holds one reference on its object.
template <class T>
class ConstRCPtr {
    template <class U>
    friend class ConstRCPtr;

public:
    ConstRCPtr() noexcept = default;
    ConstRCPtr(std::nullptr_t) noexcept {}
    ConstRCPtr(const T* p) : m_p(const_cast<T*>(p)) { Acquire(); }
    ConstRCPtr(const ConstRCPtr& other) : m_p(other.m_p) { Acquire(); }
    ConstRCPtr(ConstRCPtr&& other) noexcept : m_p(std::exchange(other.m_p, nullptr)) {}

    // Up-cast from a pointer to a derived class.
    template <class U, class = std::enable_if_t<std::is_convertible_v<U*, T*> && !std::is_same_v<U, T>>>
    ConstRCPtr(const U* p) : m_p(const_cast<U*>(p))
    {
        Acquire();
    }
    template <class U, class = std::enable_if_t<std::is_convertible_v<U*, T*> && !std::is_same_v<U, T>>>
    ConstRCPtr(const ConstRCPtr<U>& other) : m_p(other.m_p)
    {
        Acquire();
    }

    ~ConstRCPtr()
    {
        if (m_p)
            Detail::BaseOf(m_p)->Release();
    }

    ConstRCPtr& operator=(const ConstRCPtr& other)
    {
        Assign(other.m_p);
        return *this;
    }
    ConstRCPtr& operator=(ConstRCPtr&& other) noexcept
    {
        if (this != &other) {
            T* old = std::exchange(m_p, std::exchange(other.m_p, nullptr));
            if (old)
                Detail::BaseOf(old)->Release();
        }
        return *this;
    }
    ConstRCPtr& operator=(std::nullptr_t)
    {
        Assign(nullptr);
        return *this;
    }
    template <class U, class = std::enable_if_t<std::is_convertible_v<U*, T*> && !std::is_same_v<U, T>>>
    ConstRCPtr& operator=(const ConstRCPtr<U>& other)
    {
        Assign(other.m_p);
        return *this;
    }

    // Holds the source object when it is a T, else null. Never throws for a wrong class.
    template <class U>
    void DynamicCastFromObject(const ConstRCPtr<U>& source)
    {
        T* p = nullptr;
        if (source.m_p)
            p = dynamic_cast<T*>(Detail::BaseOf(source.m_p));
        Assign(p);
    }
    template <class U>
    static ConstRCPtr DynamicCast(const ConstRCPtr<U>& source)
    {
        ConstRCPtr result;
        result.DynamicCastFromObject(source);
        return result;
    }

    const T* Get() const noexcept { return m_p; }
    const T* operator->() const noexcept { return m_p; }
    const T& operator*() const noexcept { return *m_p; }
    explicit operator bool() const noexcept { return m_p != nullptr; }

    // Takes the reference for the pointer just stored, unsharing it when its object is marked
    // unshareable. On a throw the pointer is left null and owns nothing.
    void Acquire()
    {
        if (!m_p)
            return;
        LRefCountedObject* base = Detail::BaseOf(m_p);
        base->AddRef();
        if (base->IsShareable())
            return;
        try {
            Unshare();
        } catch (...) {
            if (T* p = std::exchange(m_p, nullptr))
                Detail::BaseOf(p)->Release();
            throw;
        }
    }

    // Replaces a shared object by a private copy made with CreateCopy.
    void Unshare()
    {
        if (!m_p || Detail::BaseOf(m_p)->GetRefCount() < 2)
            return;
        {
            ConstRCPtr<LRefCountedObject> copy = Detail::BaseOf(m_p)->CreateCopy();
            ConstRCPtr typed;
            typed.DynamicCastFromObject(copy);
            *this = typed;
        }
        if (!m_p)
            Detail::ThrowUnshareFailed(TemplateArgName<T>());
    }

protected:
    T* Raw() const noexcept { return m_p; }

    // Acquires the new object before releasing the old one; when acquiring throws the pointer
    // keeps its old object.
    void Assign(T* p)
    {
        if (p == m_p)
            return;
        T* old = m_p;
        m_p = p;
        try {
            Acquire();
        } catch (...) {
            m_p = old;
            throw;
        }
        if (old)
            Detail::BaseOf(old)->Release();
    }

private:
    T* m_p = nullptr;
};

// Owning pointer with non-const access; the same single raw pointer as ConstRCPtr.
template <class T>
class RCPtr : public ConstRCPtr<T> {
    using Base = ConstRCPtr<T>;

public:
    RCPtr() noexcept = default;
    RCPtr(std::nullptr_t) noexcept {}
    RCPtr(T* p) : Base(p) {}
    RCPtr(const RCPtr& other) : Base(other) {}
    RCPtr(RCPtr&& other) noexcept : Base(std::move(other)) {}

    template <class U, class = std::enable_if_t<std::is_convertible_v<U*, T*> && !std::is_same_v<U, T>>>
    RCPtr(U* p) : Base(static_cast<T*>(p))
    {
    }
    template <class U, class = std::enable_if_t<std::is_convertible_v<U*, T*> && !std::is_same_v<U, T>>>
    RCPtr(const RCPtr<U>& other) : Base(static_cast<T*>(other.Get()))
    {
    }

    RCPtr& operator=(const RCPtr& other)
    {
        Base::operator=(other);
        return *this;
    }
    RCPtr& operator=(RCPtr&& other) noexcept
    {
        Base::operator=(std::move(other));
        return *this;
    }
    RCPtr& operator=(std::nullptr_t)
    {
        Base::operator=(nullptr);
        return *this;
    }
    template <class U, class = std::enable_if_t<std::is_convertible_v<U*, T*> && !std::is_same_v<U, T>>>
    RCPtr& operator=(const RCPtr<U>& other)
    {
        this->Assign(static_cast<T*>(other.Get()));
        return *this;
    }

    template <class U>
    static RCPtr DynamicCast(const ConstRCPtr<U>& source)
    {
        RCPtr result;
        result.DynamicCastFromObject(source);
        return result;
    }

    T* Get() const noexcept { return this->Raw(); }
    T* operator->() const noexcept { return this->Raw(); }
    T& operator*() const noexcept { return *this->Raw(); }
};

static_assert(sizeof(ConstRCPtr<LRefCountedObject>) == sizeof(void*));
static_assert(sizeof(RCPtr<LRefCountedObject>) == sizeof(void*));

// Identity comparison: two pointers are equal when they hold the same object.
template <class T, class U>
bool operator==(const ConstRCPtr<T>& a, const ConstRCPtr<U>& b) noexcept
{
    return a.Get() == b.Get();
}
template <class T>
bool operator==(const ConstRCPtr<T>& a, std::nullptr_t) noexcept
{
    return a.Get() == nullptr;
}

// A new pointer sharing p's object.
template <class T>
ConstRCPtr<T> ToConstRCPtr(const ConstRCPtr<T>& p)
{
    return ConstRCPtr<T>(p);
}
template <class T>
ConstRCPtr<T> ToConstRCPtr(const T* p)
{
    return ConstRCPtr<T>(p);
}

} // namespace KX
