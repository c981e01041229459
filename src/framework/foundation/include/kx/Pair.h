#pragma once
// Reference-counted key/value record, the element of the hashed lists, maps and caches.
#include "kx/RefCountedObject.h"
#include "kx/StringT.h"

#include <type_traits>

namespace KX {

// F gives the pair's text form from its key.
template <class K, class V, StringT<char16_t, char> (*F)(const K&)>
class LPair : public virtual LRefCountedObject {
public:
    LPair(const K& key, const V& value) : key(key), value(value) {}
    // Members go in reverse order: value is released before key.
    ~LPair() override = default;

    StringT<char16_t, char> ToString() const override { return F(key); }

    K key;
    V value;
};

namespace Detail {
template <class P>
concept SmartPointerToShared = requires(const P& p)
{
    {
        p.Get()
        } -> std::convertible_to<const LRefCountedObject*>;
};
} // namespace Detail

// Text form of a smart pointer: its object's own ToString, or the empty string when null.
template <class P>
requires Detail::SmartPointerToShared<P> StringT<char16_t, char> ToString(const P& p)
{
    if (const LRefCountedObject* object = p.Get())
        return object->ToString();
    return StringT<char16_t, char>();
}

} // namespace KX
