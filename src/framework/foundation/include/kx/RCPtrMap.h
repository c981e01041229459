#pragma once
// Maps reference-counted objects to reference-counted objects by identity: the key is which
// object it is (the address of its LRefCountedObject part), not its content.
#include "kx/HashedList.h"
#include "kx/Pair.h"
#include "kx/RefCountedObject.h"

#include <cstdint>

namespace KX {

// The pair's key object as its reference-counted base; null when the pair or its key is null.
template <class Pair>
ConstRCPtr<LRefCountedObject> GetFirstRCPtr(const RCPtr<Pair>& pair)
{
    if (!pair)
        return ConstRCPtr<LRefCountedObject>();
    return ConstRCPtr<LRefCountedObject>(pair->key);
}

namespace Detail {
inline uintptr_t IdentityOf(const LRefCountedObject* object) noexcept
{
    return reinterpret_cast<uintptr_t>(object);
}
} // namespace Detail

// Identity keys are full addresses, so no two live objects share a key.
template <class Pair, auto GetFirst, uint32_t Bits>
struct RCPtrHalfMapHelper {
    static uintptr_t GetKey(const RCPtr<Pair>& pair) { return Detail::IdentityOf(GetFirst(pair).Get()); }
    // Bits 4 and up: the low bits of an address vary little between objects.
    static uint32_t GetHandleBits(const uintptr_t& id) { return static_cast<uint32_t>(id >> 4) & ((1u << Bits) - 1u); }
};

// A hashed list of pairs whose first member is a smart pointer, keyed by that object's identity.
template <class Pair, auto GetFirst, uint32_t Bits>
class RCPtrHalfMap : public HashedList<RCPtr<Pair>, uintptr_t, &RCPtrHalfMapHelper<Pair, GetFirst, Bits>::GetKey, Bits,
                                       &RCPtrHalfMapHelper<Pair, GetFirst, Bits>::GetHandleBits> {
public:
    // The pair of keyObject, or a shared null pointer that the caller must not change.
    virtual const RCPtr<Pair>& FindPair(const ConstRCPtr<LRefCountedObject>& keyObject) const
    {
        return this->Find(Detail::IdentityOf(keyObject.Get()), NullPair());
    }

    // true when keyObject had a pair; the map's reference to it is released.
    virtual bool RemoveKey(const ConstRCPtr<LRefCountedObject>& keyObject)
    {
        return this->Remove(Detail::IdentityOf(keyObject.Get()));
    }

protected:
    static const RCPtr<Pair>& NullPair()
    {
        static const RCPtr<Pair> null;
        return null;
    }
};

template <class K, class V>
using RCPtrMapPair = LPair<ConstRCPtr<K>, RCPtr<V>, &KX::ToString<ConstRCPtr<K>>>;

template <class K, class V, uint32_t Bits>
class RCPtrMap : public RCPtrHalfMap<RCPtrMapPair<K, V>, &GetFirstRCPtr<RCPtrMapPair<K, V>>, Bits> {
public:
    using Pair = RCPtrMapPair<K, V>;

    // The value of key, or a shared null pointer that the caller must not change.
    virtual const RCPtr<V>& Lookup(const ConstRCPtr<K>& key) const
    {
        const RCPtr<Pair>& pair = this->FindPair(ConstRCPtr<LRefCountedObject>(key));
        if (pair)
            return pair->value;
        static const RCPtr<V> null;
        return null;
    }

    // Stores a new pair for key (replacing any earlier pair, which its other holders keep as it
    // was). true when the key object was new.
    virtual bool SetAt(const ConstRCPtr<K>& key, const RCPtr<V>& value)
    {
        return this->SetValue(CreatePair(key, value));
    }

    static RCPtr<Pair> CreatePair(const ConstRCPtr<K>& key, const RCPtr<V>& value)
    {
        return RCPtr<Pair>(new Pair(key, value));
    }
};

} // namespace KX
