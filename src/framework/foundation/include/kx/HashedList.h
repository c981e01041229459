#pragma once
// Fixed-size hash table of key/value pairs: 2^Bits buckets (256 in every use), each an array of
// smart pointers to pairs, searched from its last pair to its first. Never rehashes.
#include "kx/Exception.h"
#include "kx/Pair.h"
#include "kx/RCPtrArray.h"
#include "kx/RefCountedObject.h"
#include "kx/StringT.h"

#include <cstdint>

namespace KX {

// Bits Shift..Shift+Bits-1 of v (arithmetic shift of a signed value).
template <uint32_t Bits, uint32_t Shift, class T>
uint32_t GetBits(const T& v)
{
    return static_cast<uint32_t>(v >> Shift) & ((1u << Bits) - 1u);
}

template <class T, class K>
class IHashedList {
public:
    virtual uint32_t GetCount() const = 0;
    virtual void RemoveAll() = 0;
    // true when a new pair was added, false when the pair of the value's key took the value.
    virtual bool SetValue(const T& value) = 0;
    // The value stored under key, or notFound itself. The reference stays valid while the pair
    // stays in the table.
    virtual const T& Find(const K& key, const T& notFound) const = 0;
    virtual bool Remove(const K& key) = 0;
    virtual ~IHashedList() = default;
};

// KeyFn: const T& -> K. HashFn: const K& -> bucket index below 2^Bits.
template <class T, class K, auto KeyFn, uint32_t Bits, auto HashFn>
class HashedList : public IHashedList<T, K> {
    static_assert(Bits >= 1 && Bits <= 16, "bucket count out of range");

public:
    static constexpr uint32_t BucketCount = 1u << Bits;

    static StringT<char16_t, char> KeyToString(const K& key);

    using Pair = LPair<K, T, &HashedList::KeyToString>;
    using Bucket = RCPtrArray<Pair, 1, 0>;

    HashedList() = default;
    HashedList(const HashedList&) = delete;
    HashedList& operator=(const HashedList&) = delete;
    ~HashedList() override
    {
        for (uint32_t b = BucketCount; b-- > 0;)
            m_buckets[b].SetSize(0);
    }

    uint32_t GetCount() const override { return m_count; }

    void RemoveAll() override
    {
        for (uint32_t b = 0; b < BucketCount; ++b)
            m_buckets[b].SetSize(0);
        m_count = 0;
    }

    bool SetValue(const T& value) override
    {
        const K key = KeyFn(value);
        Bucket& bucket = BucketOf(key);
        if (Pair* pair = FindPair(bucket, key)) {
            pair->value = value;
            return false;
        }
        bucket.AddItem(CreateEntry(key, value));
        ++m_count;
        return true;
    }

    const T& Find(const K& key, const T& notFound) const override
    {
        if (const Pair* pair = FindPair(BucketOf(key), key))
            return pair->value;
        return notFound;
    }

    bool Remove(const K& key) override
    {
        Bucket& bucket = BucketOf(key);
        for (uint32_t i = BucketSize(bucket); i-- > 0;) {
            if (PairAt(bucket, i)->key == key) {
                bucket.RemoveItems(i, 1);
                --m_count;
                return true;
            }
        }
        return false;
    }

    static RCPtr<Pair> CreateEntry(const K& key, const T& value) { return RCPtr<Pair>(new Pair(key, value)); }

protected:
    // The mask keeps a hash function that strays past 2^Bits inside the table.
    Bucket& BucketOf(const K& key) { return m_buckets[HashFn(key) & (BucketCount - 1)]; }
    const Bucket& BucketOf(const K& key) const { return m_buckets[HashFn(key) & (BucketCount - 1)]; }

    static uint32_t BucketSize(const Bucket& bucket) { return bucket.GetCount(); }
    // Unchecked: callers keep i below the bucket's count.
    static Pair* PairAt(const Bucket& bucket, uint32_t i) { return const_cast<Bucket&>(bucket).GetData()[i].Get(); }

    // The pair holding key, last-added first; null when absent.
    static Pair* FindPair(const Bucket& bucket, const K& key)
    {
        for (uint32_t i = BucketSize(bucket); i-- > 0;) {
            Pair* pair = PairAt(bucket, i);
            if (pair->key == key)
                return pair;
        }
        return nullptr;
    }

private:
    uint32_t m_count = 0;
    Bucket m_buckets[BucketCount];
};

template <class T, class K, auto KeyFn, uint32_t Bits, auto HashFn>
StringT<char16_t, char> HashedList<T, K, KeyFn, Bits, HashFn>::KeyToString(const K&)
{
    return StringT<char16_t, char>(UndecoratedTypeName(typeid(K)).c_str());
}

} // namespace KX
