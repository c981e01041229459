#pragma once
// Synchronous delivery of notifications to the receivers registered for their ids.
//
// No locks: registrations at one distributor change on one thread, and no other thread sends
// at it meanwhile. Different ids at one distributor may be sent from different threads.
// A latest-posted-only registration's pending notification is guarded by the queue lock; a
// post to a queue whose distributor has such registrations reads that distributor's
// registrations, so they must not change while another thread posts there.
#include "kx/KXResult.h"
#include "kx/Notification.h"
#include "kx/NotificationReceiver.h"
#include "kx/RCPtrArray.h"
#include "kx/RefCountedObject.h"

#include <atomic>
#include <cstdint>
#include <vector>

namespace KX {

class LNotificationClient;
class LNotificationQueue;

class LNotificationDistributor : public virtual LRefCountedObject {
public:
    // Registration flag: the registration gets only notifications sent by a queue's drain, and
    // only the last one posted after it was made and before that drain (its pending one).
    static constexpr uint32_t kLatestPostedOnly = 1;

    // One registration of a receiver for an id.
    class LNotificationRegisteredClientInfo : public LRefCountedObject {
    public:
        const RCPtr<LNotificationReceiver>& GetReceiver() const noexcept { return m_receiver; }
        uint32_t GetFlags() const noexcept { return m_flags; }

    private:
        friend class LNotificationDistributor;
        LNotificationRegisteredClientInfo(LNotificationReceiver* receiver, uint32_t flags)
            : m_receiver(receiver), m_flags(flags)
        {
        }

        RCPtr<LNotificationReceiver> m_receiver;
        uint32_t m_flags;
        // Latest-posted-only registrations: the last notification posted for them and not yet
        // delivered. Guarded by the queue lock.
        RCPtr<LNotification> m_pending;
    };

    // The registrations of one id, oldest first.
    class LNotificationClientPool : public LRefCountedObject {
    public:
        // OR of the flags of every registration ever added or changed here.
        uint32_t GetFlagsSummary() const noexcept { return m_flags; }
        NotificationId GetID() const noexcept { return m_id; }
        uint32_t GetRegistrationCount() const { return m_registrations.GetCount(); }
        const RCPtr<LNotificationRegisteredClientInfo>& GetRegistration(uint32_t index)
        {
            return m_registrations.GetData()[index];
        }

    private:
        friend class LNotificationDistributor;

        // The position of one delivery walk. Every walk in progress over the pool has one, and
        // removing a registration moves those above it down.
        struct Walk {
            int32_t index;
            Walk* next;
        };

        // Registers a walk for its scope. Walks over one pool nest (one thread at a time).
        class WalkGuard {
        public:
            WalkGuard(LNotificationClientPool& pool, int32_t index) noexcept : walk{index, pool.m_walks}, m_pool(pool)
            {
                pool.m_walks = &walk;
            }
            ~WalkGuard()
            {
                m_pool.m_walks = walk.next;
                if (!m_pool.m_walks && m_pool.m_retired.GetCount() > 0)
                    m_pool.ReleaseRetired();
            }
            WalkGuard(const WalkGuard&) = delete;
            WalkGuard& operator=(const WalkGuard&) = delete;

            Walk walk;

        private:
            LNotificationClientPool& m_pool;
        };

        explicit LNotificationClientPool(NotificationId id) : m_id(id) {}
        ~LNotificationClientPool() override;

        int32_t FindReceiver(const LNotificationReceiver* r) const;
        // Removes the registration at index and moves the walks past it.
        void RemoveRegistration(uint32_t index);
        void ReleaseRetired() noexcept;
        void RecomputeFlags();

        uint32_t m_flags = 0;
        NotificationId m_id;
        RCPtrArray<LNotificationRegisteredClientInfo> m_registrations;
        Walk* m_walks = nullptr;
        // Registrations removed while a walk is in progress; released when the last walk ends,
        // so a receiver that is being called stays alive until it returns.
        RCPtrArray<LNotificationRegisteredClientInfo, 4, 4> m_retired;
    };

    // 0 new registration; 1 already registered for that id (the flags are updated) or the name has
    // no id; E_INVALIDARG for a null r. Called directly only for receivers that are not clients.
    [[nodiscard]] KXRESULT RegisterClient(const RCPtr<LNotificationReceiver>& r, const char16_t* name, uint32_t flags);
    // 0 removed; 1 not registered; E_INVALIDARG for a null r or a name without id.
    KXRESULT UnregisterClient(const RCPtr<LNotificationReceiver>& r, const char16_t* name);
    // Removes every registration of r here; returns how many.
    int32_t UnregisterClientFromAll(const RCPtr<LNotificationReceiver>& r);
    // Asks every registered receiver to unregister itself.
    KXRESULT UnregisterAllClients();

    // Delivers n to the registrations of its id, newest registration first. E_INVALIDARG for a
    // null n; 1 when nobody is registered for the id; else 0. Receivers' results are ignored;
    // an exception from a receiver ends the send and passes on.
    KXRESULT SendNotification(const RCPtr<LNotification>& n);

    RCPtr<LNotificationClientPool> FindClientPool(NotificationId id) const;
    // Delivers n to registration index of pool alone, as a plain send would. Returns the position
    // after the delivery (lowered when registrations below it went meanwhile), or index when
    // the registration was skipped.
    int32_t DeliverToClient(const RCPtr<LNotificationClientPool>& pool, const RCPtr<LNotificationDistributor>& d,
                            int32_t index, const RCPtr<LNotification>& n);

    // 0 and the registration's flags; E_FAIL when there is no such registration.
    KXRESULT GetClientRegistrationData(const RCPtr<LNotificationReceiver>& r, const char16_t* name,
                                       uint32_t& flags) const;
    bool IsClientRegistered(const RCPtr<LNotificationReceiver>& r) const { return IsRegistered(r.Get()); }

    // Registrations held here.
    int32_t GetRegistrationCount() const noexcept { return m_registrationCount; }
    // Distributors with at least one registration.
    static uint32_t GetActiveDistributorCount();

protected:
    LNotificationDistributor() = default;
    ~LNotificationDistributor() override;

    // Removes every remaining registration without asking the receivers (teardown).
    void DropAllRegistrations();

private:
    friend class LNotificationClient;
    friend class LNotificationQueue;

    LNotificationClientPool* FindPool(NotificationId id) const;
    KXRESULT Register(LNotificationReceiver* r, NotificationId id, uint32_t flags);
    KXRESULT Unregister(LNotificationReceiver* r, NotificationId id);
    int32_t UnregisterFromAll(LNotificationReceiver* r);
    bool IsRegistered(const LNotificationReceiver* r) const;
    // Bookkeeping for one registration that went.
    void RegistrationRemoved();
    // The send; latest-posted-only registrations get n only when it comes from a queue's drain
    // (source) and is their pending notification, which the delivery clears.
    KXRESULT Send(const RCPtr<LNotification>& n, LNotificationQueue* source);
    // Under the queue lock, while n is posted: n becomes the pending notification of every
    // latest-posted-only registration of its id; the ones it replaces go to replaced, to be
    // released outside the lock.
    void MarkPending(const RCPtr<LNotification>& n, std::vector<RCPtr<LNotification>>& replaced);
    // Under the queue lock: n, discarded, is no longer pending anywhere here.
    void ClearPending(const LNotification* n, std::vector<RCPtr<LNotification>>& released);
    // Takes the queue lock: whether n is info's pending notification; clears it when so.
    static bool TakePending(LNotificationRegisteredClientInfo& info, const LNotification* n);

    RCPtrArray<LNotificationClientPool> m_pools;
    int32_t m_registrationCount = 0;
    // Set by the first latest-posted-only registration; posts look at the registrations only then.
    std::atomic<bool> m_hasLatestOnly{false};
};

} // namespace KX
