#pragma once
// Small shared objects for the ring queue tests.
#include "kx/RefCountedObject.h"

#include <atomic>
#include <cstdint>

namespace queuetest {

// Counts its destructions in a counter the test owns.
class Item : public KX::LRefCountedObject {
public:
    explicit Item(int32_t id, std::atomic<int32_t>* destroyed = nullptr) : id(id), m_destroyed(destroyed) {}
    ~Item() override
    {
        if (m_destroyed)
            m_destroyed->fetch_add(1);
    }

    const int32_t id;

private:
    std::atomic<int32_t>* m_destroyed;
};

inline KX::RCPtr<Item> MakeItem(int32_t id, std::atomic<int32_t>* destroyed = nullptr)
{
    return KX::RCPtr<Item>(new Item(id, destroyed));
}

} // namespace queuetest
