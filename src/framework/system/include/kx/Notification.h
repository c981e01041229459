#pragma once
// A notification: an interned id and an optional parameter object. Released notifications go back
// to a process-wide pool while pooling is on, and are handed out again last in, first out.
#include "kx/NotificationId.h"
#include "kx/RCPtrArray.h"
#include "kx/RefCountedObject.h"

#include <atomic>
#include <cstdint>

namespace KX {

class LNotificationQueue;

class LNotification : public virtual LRefCountedObject {
public:
    // Registry access under the names the notification code uses.
    static NotificationId GetNotificationID(const char16_t* name) { return KX::GetNotificationID(name); }
    static WString GetNotificationName(NotificationId id) { return KX::GetNotificationName(id); }
    static StringArrayT<char16_t, char>& GetNotificationNameTable() { return KX::GetNotificationNameTable(); }

    // out receives a notification with the id of name (a name or an id) and payload, taken from
    // the pool when pooling is on. A name without id gives null.
    static RCPtr<LNotification>& Create(RCPtr<LNotification>& out, const char16_t* name,
                                        const ConstRCPtr<LRefCountedObject>& payload);
    // Always allocates.
    static RCPtr<LNotification>& CreateUnpooled(RCPtr<LNotification>& out, const char16_t* name,
                                                const ConstRCPtr<LRefCountedObject>& payload);

    // Switching pooling off frees every pooled notification.
    static void EnablePooling(bool on);
    static bool IsPoolingEnabled() noexcept;
    // Notifications waiting in the pool.
    static uint32_t GetPoolCount();

    // The last holder's release puts the notification back into the pool.
    int32_t Release() override;

    NotificationId GetID() const noexcept { return m_id; }
    const ConstRCPtr<LRefCountedObject>& GetPayload() const noexcept { return m_payload; }
    // Set while the notification waits in a notification queue.
    bool IsPosted() const noexcept { return m_posted.load(std::memory_order_acquire); }

protected:
    LNotification() = default;
    ~LNotification() override = default;

private:
    friend class LNotificationQueue;

    static void Recycle(LNotification* notification) noexcept;
    void SetPosted(bool posted) noexcept { m_posted.store(posted, std::memory_order_release); }

    NotificationId m_id = nullptr;
    ConstRCPtr<LRefCountedObject> m_payload;
    std::atomic<bool> m_posted{false};
    std::atomic<bool> m_recycling{false};
};

} // namespace KX
