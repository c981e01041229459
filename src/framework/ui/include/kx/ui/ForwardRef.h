#pragma once
// A counted reference to an object whose class may be incomplete where the holder is destroyed
// or cleared: only setting it needs the complete class. Reads give the ordinary smart pointer,
// laid over the one raw pointer as the foundation's pointer arrays do.
#include "kx/RefCountedObject.h"

#include <type_traits>
#include <utility>

namespace KX {

// P is RCPtr<T> or ConstRCPtr<T>.
template <class P>
class ForwardRef {
    using T = std::remove_const_t<std::remove_pointer_t<decltype(std::declval<const P&>().Get())>>;
    static_assert(sizeof(P) == sizeof(T*));

public:
    ForwardRef() noexcept = default;
    ForwardRef(const ForwardRef&) = delete;
    ForwardRef& operator=(const ForwardRef&) = delete;
    ~ForwardRef() { Reset(); }

    const P& Get() const noexcept { return *reinterpret_cast<const P*>(&m_raw); }
    explicit operator bool() const noexcept { return m_raw != nullptr; }

    // Needs the complete class (converts to the shared base).
    void Set(const P& p)
    {
        T* raw = const_cast<T*>(p.Get());
        if (raw == m_raw)
            return;
        LRefCountedObject* base = raw ? Detail::BaseOf(raw) : nullptr;
        if (base)
            base->AddRef();
        Reset();
        m_raw = raw;
        m_base = base;
    }

    // Drops the reference through the shared base; works on an incomplete class.
    void Reset() noexcept
    {
        m_raw = nullptr;
        if (LRefCountedObject* base = std::exchange(m_base, nullptr))
            base->Release();
    }

private:
    T* m_raw = nullptr;
    LRefCountedObject* m_base = nullptr;
};

} // namespace KX
