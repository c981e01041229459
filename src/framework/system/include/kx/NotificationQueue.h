#pragma once
// Notifications posted from any thread and sent later, in order, through a distributor by the
// thread that drains the queue (the main thread, when idle).
#include "kx/KXResult.h"
#include "kx/Mutex.h"
#include "kx/Notification.h"
#include "kx/NotificationDistributor.h"
#include "kx/NotificationReceiver.h"
#include "kx/RCPtrQueue.h"
#include "kx/RefCountedObject.h"

#include <atomic>
#include <cstdint>
#include <utility>
#include <vector>

namespace KX {

class LNotificationQueue : public virtual LRefCountedObject {
public:
    // Registered at a distributor, turns every notification it receives into a posted copy.
    // It is not a client: distributors' UnregisterAllClients leaves it in place.
    class LPostingReceiver : public LNotificationReceiver {
    public:
        KXRESULT Receive(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n) override;
        // Always E_FAIL: a posting receiver is removed only by the distributor's UnregisterClient.
        KXRESULT UnregisterForNotification(const RCPtr<LNotificationDistributor>& d, const char16_t* name) override;

        bool IsLinked() const;

    private:
        friend class LNotificationQueue;
        explicit LPostingReceiver(LNotificationQueue* queue) : m_queue(queue) {}

        // Guarded by the queue lock; cut when the queue detaches.
        RCPtr<LNotificationQueue> m_queue;
    };

    // Slots the ring starts with; one stays empty, so 255 notifications fit before it grows.
    static constexpr uint32_t kInitialSlots = 256;

    LNotificationQueue();
    static RCPtr<LNotificationQueue> Create() { return RCPtr<LNotificationQueue>(new LNotificationQueue()); }

    // E_FAIL when a distributor is attached already or the queue is detached; 0 and no change
    // for a null d.
    KXRESULT AttachDistributor(const RCPtr<LNotificationDistributor>& d);
    // Any thread. E_INVALIDARG for a null n or one that waits in a queue; E_FAIL when no
    // distributor is attached; else 0.
    KXRESULT PostNotification(const RCPtr<LNotification>& n);
    // Sends what was queued when the drain began, oldest first; then, when sendIdle is set, the
    // idle notification (also when a drain of this queue is already running further up the
    // stack, which then sends nothing else). Returns whether entries are left.
    bool ProcessQueue(bool sendIdle);
    // Sends the oldest queued notification, if any (nothing while a drain of this queue runs
    // further up the stack). Returns whether one was sent.
    bool ProcessOne();
    // Empties the queue without sending; returns whether entries remain.
    bool DiscardAll();
    // Discards, drops the distributor and cuts the posting receiver's link.
    void Detach();

    // Null after detaching.
    RCPtr<LPostingReceiver> GetReceiver() const;
    RCPtr<LNotificationDistributor> GetDistributor() const;
    uint32_t GetCount();
    // Ring slots (grows past kInitialSlots while full).
    uint32_t GetSlotCount();
    bool IsBusy() const noexcept { return m_busy.load(std::memory_order_acquire); }

    // Detaches when only the posting receiver's link is left.
    KXRESULT ReleaseInternalReferences() override;

    // Shared by every notification queue; held only inside adding, taking and counting.
    static Mutex& GetQueueLock();

protected:
    ~LNotificationQueue() override;

private:
    friend class LNotificationDistributor;

    std::atomic<bool> m_busy{false};
    RCPtrQueue<LNotification, kInitialSlots> m_ring;
    // Guarded by the queue lock.
    RCPtr<LNotificationDistributor> m_distributor;
    RCPtr<LPostingReceiver> m_receiver;
    RCPtr<LNotification> m_idle;
};

} // namespace KX
