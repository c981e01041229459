#pragma once
// Shareable forms of plain values: a value class made reference counted
// (LWrapper), the same with a text form (LWrapperStringable), and one plain
// value held in a reference-counted object (LHolder). None can be cloned: they
// keep the base's CreateCopy, which throws.
#include "kx/RefCountedObject.h"
#include "kx/StringT.h"
#include "kx/TaggableObject.h"

#include <memory>

namespace KX {

// The wrapped value is the T base object itself.
template <class T, class Base = LRefCountedObject>
class LWrapper : public T, public virtual Base {
public:
    LWrapper() = default;
    explicit LWrapper(const T& value) : T(value) {}
    ~LWrapper() override = default;

    // A new wrapper holding a default T (an empty list for a parameter list).
    static RCPtr<LWrapper> Create() { return RCPtr<LWrapper>(new LWrapper()); }
};

// The text form of the string wrapper: the string itself (sharing its buffer).
inline StringT<char16_t, char> StringToString(const StringT<char16_t, char>& text)
{
    return text;
}

// A wrapped value whose ToString is F applied to it.
template <class T, StringT<char16_t, char> (*F)(const T&) = StringToString, class Base = LTaggableObject>
class LWrapperStringable : public T, public virtual Base {
public:
    explicit LWrapperStringable(const T& value) : T(value) {}
    ~LWrapperStringable() override = default;

    StringT<char16_t, char> ToString() const override { return F(*this); }

    // A new wrapper holding a copy of value.
    static RCPtr<LWrapperStringable> Create(const T& value)
    {
        return RCPtr<LWrapperStringable>(new LWrapperStringable(value));
    }
};

// A wide text as a taggable shared object (list item tags, text payloads).
inline RCPtr<LTaggableObject> TaggableFromString(const StringT<char16_t, char>& text)
{
    return RCPtr<LTaggableObject>(LWrapperStringable<StringT<char16_t, char>>::Create(text));
}

// One plain value (a number, flag or enumerator) in a shared object; it starts
// value-initialised (0, false, enumerator 0).
template <class T>
class LHolder : public virtual LRefCountedObject {
public:
    LHolder() : m_value(new T()) {}
    ~LHolder() override = default;

    T& Value() noexcept { return *m_value; }
    const T& Value() const noexcept { return *m_value; }

    static RCPtr<LHolder> Create() { return RCPtr<LHolder>(new LHolder()); }

private:
    std::unique_ptr<T> m_value;
};

} // namespace KX
