#include "kx/Notification.h"

#include <array>
#include <cstdint>
#include <string_view>
#include <unordered_map>
#include <utility>

namespace KX {

namespace {

// The registry, its look-up indexes and the pool live for the whole process: ids must stay
// valid for code that runs at exit, so none of this is ever destroyed.
struct NameRegistry {
    StringArrayT<char16_t, char> names;
    // Interned text pointer -> the same pointer; answers "is this already an id".
    std::unordered_map<const char16_t*, NotificationId> byAddress;
    // Text -> id; the views point into the registry's own copies.
    std::unordered_map<std::u16string_view, NotificationId> byText;
    // The ids last given out, by the address of the name asked for: code asks with the same
    // constants over and over. A hit is used only while the text there still reads the same.
    struct Recent {
        const char16_t* name = nullptr;
        NotificationId id = nullptr;
    };
    static constexpr size_t kRecent = 64;
    std::array<Recent, kRecent> recent{};
};

bool SameText(const char16_t* a, const char16_t* b) noexcept
{
    while (*a && *a == *b)
        ++a, ++b;
    return *a == *b;
}

NameRegistry& Registry()
{
    static NameRegistry* const registry = new NameRegistry();
    return *registry;
}

// Grows in steps and keeps spare room, so taking and returning notifications does not allocate.
using NotificationPool = RCPtrArray<LNotification, 32, 128>;

NotificationPool& Pool()
{
    static NotificationPool* const pool = new NotificationPool();
    return *pool;
}

std::atomic<bool> g_pooling{false};

// Caller holds the notification lock.
NotificationId InternLocked(const char16_t* name)
{
    NameRegistry& r = Registry();
    NameRegistry::Recent& recent = r.recent[(reinterpret_cast<uintptr_t>(name) >> 4) % NameRegistry::kRecent];
    if (recent.name == name && SameText(name, recent.id))
        return recent.id;
    NotificationId id = nullptr;
    if (auto it = r.byAddress.find(name); it != r.byAddress.end()) {
        id = it->second;
    } else if (auto found = r.byText.find(std::u16string_view(name)); found != r.byText.end()) {
        id = found->second;
    } else {
        r.names.AddItem(WString(name));
        id = r.names.ElementAt(r.names.GetCount() - 1).GetString();
        r.byAddress.emplace(id, id);
        r.byText.emplace(std::u16string_view(id), id);
    }
    recent = NameRegistry::Recent{name, id};
    return id;
}

class PlainNotification final : public LNotification {
public:
    PlainNotification() = default;
};

} // namespace

Mutex& GetNotificationLock()
{
    static Mutex* const lock = new Mutex();
    return *lock;
}

StringArrayT<char16_t, char>& GetNotificationNameTable()
{
    return Registry().names;
}

NotificationId GetNotificationID(const char16_t* name)
{
    if (!name || name[0] == 0)
        return nullptr;
    MutexLock guard(GetNotificationLock());
    return InternLocked(name);
}

WString GetNotificationName(NotificationId id)
{
    if (!id)
        return WString();
    MutexLock guard(GetNotificationLock());
    const NameRegistry& r = Registry();
    if (r.byAddress.find(id) == r.byAddress.end())
        return WString();
    // The registry entry itself, so the copy shares its buffer.
    const int32_t index = r.names.FindBuffer(id);
    return index < 0 ? WString() : r.names.ElementAt(static_cast<uint32_t>(index));
}

RCPtr<LNotification>& LNotification::CreateUnpooled(RCPtr<LNotification>& out, const char16_t* name,
                                                    const ConstRCPtr<LRefCountedObject>& payload)
{
    const NotificationId id = GetNotificationID(name);
    if (!id) {
        out = nullptr;
        return out;
    }
    RCPtr<LNotification> n(new PlainNotification());
    n->m_id = id;
    n->m_payload = payload;
    out = std::move(n);
    return out;
}

RCPtr<LNotification>& LNotification::Create(RCPtr<LNotification>& out, const char16_t* name,
                                            const ConstRCPtr<LRefCountedObject>& payload)
{
    if (!g_pooling.load(std::memory_order_acquire))
        return CreateUnpooled(out, name, payload);

    RCPtr<LNotification> n;
    {
        MutexLock guard(GetNotificationLock());
        const NotificationId id = name && name[0] ? InternLocked(name) : nullptr;
        if (!id) {
            out = nullptr;
            return out;
        }
        NotificationPool& pool = Pool();
        if (pool.GetCount() > 0)
            pool.RemoveLast(n);
        else
            n = new PlainNotification();
        // A reused notification always gets the new id and payload, whatever state it was left in.
        n->m_id = id;
        n->m_payload = payload;
        n->SetPosted(false);
    }
    out = std::move(n);
    return out;
}

void LNotification::EnablePooling(bool on)
{
    NotificationPool released;
    {
        MutexLock guard(GetNotificationLock());
        g_pooling.store(on, std::memory_order_release);
        if (on)
            return;
        // Free them outside the lock.
        NotificationPool& pool = Pool();
        RCPtr<LNotification> n;
        while (pool.GetCount() > 0) {
            pool.RemoveLast(n);
            released.AddItem(n);
        }
        n = nullptr;
    }
}

bool LNotification::IsPoolingEnabled() noexcept
{
    return g_pooling.load(std::memory_order_acquire);
}

uint32_t LNotification::GetPoolCount()
{
    MutexLock guard(GetNotificationLock());
    return Pool().GetCount();
}

int32_t LNotification::Release()
{
    if (!m_recycling.load(std::memory_order_acquire) && GetRefCount() == 1) {
        m_recycling.store(true, std::memory_order_release);
        Recycle(this);
        m_recycling.store(false, std::memory_order_release);
    }
    return LRefCountedObject::Release();
}

void LNotification::Recycle(LNotification* notification) noexcept
{
    // Drop the payload first, so a release inside the payload's destructor sees none.
    {
        ConstRCPtr<LRefCountedObject> payload = std::move(notification->m_payload);
    }
    notification->SetPosted(false);
    if (!g_pooling.load(std::memory_order_acquire))
        return;
    try {
        MutexLock guard(GetNotificationLock());
        if (g_pooling.load(std::memory_order_acquire))
            Pool().AddItem(RCPtr<LNotification>(notification));
    } catch (...) {
        // No room in the pool: the ordinary release frees the notification.
    }
}

} // namespace KX
