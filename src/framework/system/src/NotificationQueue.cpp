#include "kx/NotificationQueue.h"

#include <algorithm>

namespace KX {

namespace {

// Clears a flag on every way out of a scope.
class FlagReset {
public:
    explicit FlagReset(std::atomic<bool>& flag) : m_flag(flag) {}
    ~FlagReset() { m_flag.store(false, std::memory_order_release); }
    FlagReset(const FlagReset&) = delete;
    FlagReset& operator=(const FlagReset&) = delete;

private:
    std::atomic<bool>& m_flag;
};

} // namespace

// Posting receiver.

KXRESULT LNotificationQueue::LPostingReceiver::Receive(const RCPtr<LNotificationDistributor>&,
                                                       const RCPtr<LNotification>& n)
{
    if (!n)
        return S_OK;
    RCPtr<LNotificationQueue> queue;
    {
        MutexLock guard(GetQueueLock());
        queue = m_queue;
    }
    if (!queue)
        return S_OK;
    // The copy is made outside the queue lock: creating takes the notification lock.
    RCPtr<LNotification> copy;
    LNotification::Create(copy, n->GetID(), n->GetPayload());
    if (copy)
        queue->PostNotification(copy);
    return S_OK;
}

KXRESULT LNotificationQueue::LPostingReceiver::UnregisterForNotification(const RCPtr<LNotificationDistributor>&,
                                                                         const char16_t*)
{
    return E_FAIL;
}

bool LNotificationQueue::LPostingReceiver::IsLinked() const
{
    MutexLock guard(GetQueueLock());
    return static_cast<bool>(m_queue);
}

// Queue.

Mutex& LNotificationQueue::GetQueueLock()
{
    static Mutex* const lock = new Mutex();
    return *lock;
}

LNotificationQueue::LNotificationQueue() : m_ring(&GetQueueLock(), kInitialSlots)
{
    m_receiver = new LPostingReceiver(this);
    // The posting receiver's link back to this queue.
    AddToRefCount(1);
    LNotification::Create(m_idle, NID_IDLE, nullptr);
}

LNotificationQueue::~LNotificationQueue()
{
    DiscardAll();
}

KXRESULT LNotificationQueue::AttachDistributor(const RCPtr<LNotificationDistributor>& d)
{
    MutexLock guard(GetQueueLock());
    if (m_distributor || !m_receiver)
        return E_FAIL;
    if (d)
        m_distributor = d;
    return S_OK;
}

RCPtr<LNotificationQueue::LPostingReceiver> LNotificationQueue::GetReceiver() const
{
    MutexLock guard(GetQueueLock());
    return m_receiver;
}

RCPtr<LNotificationDistributor> LNotificationQueue::GetDistributor() const
{
    MutexLock guard(GetQueueLock());
    return m_distributor;
}

uint32_t LNotificationQueue::GetCount()
{
    return m_ring.GetCount();
}

uint32_t LNotificationQueue::GetSlotCount()
{
    MutexLock guard(GetQueueLock());
    return static_cast<RCPtrArray<LNotification, kInitialSlots, kInitialSlots>&>(m_ring).GetCount();
}

KXRESULT LNotificationQueue::PostNotification(const RCPtr<LNotification>& n)
{
    if (!n)
        return E_INVALIDARG;
    // Pending notifications that n replaces; released after the lock.
    std::vector<RCPtr<LNotification>> replaced;
    MutexLock guard(GetQueueLock());
    if (n->IsPosted())
        return E_INVALIDARG;
    if (!m_distributor)
        return E_FAIL;
    // Made before a drain can see n (the drain takes this lock); undone when n is not queued.
    m_distributor->MarkPending(n, replaced);
    KXRESULT hr = E_FAIL;
    try {
        hr = m_ring.Enqueue(n);
    } catch (...) {
        m_distributor->ClearPending(n.Get(), replaced);
        throw;
    }
    if (Failed(hr)) {
        m_distributor->ClearPending(n.Get(), replaced);
        return hr;
    }
    n->SetPosted(true);
    return S_OK;
}

bool LNotificationQueue::ProcessQueue(bool sendIdle)
{
    // A receiver may drop its owner's last reference to this queue.
    RCPtr<LNotificationQueue> self(this);
    if (!m_busy.exchange(true, std::memory_order_acq_rel)) {
        FlagReset busy(m_busy);
        for (uint32_t k = m_ring.GetCount(); k > 0; --k) {
            RCPtr<LNotification> n;
            RCPtr<LNotificationDistributor> d;
            {
                MutexLock guard(GetQueueLock());
                // A receiver may have discarded or detached the queue meanwhile.
                if (m_ring.GetCount() == 0)
                    break;
                n = m_ring.Dequeue();
                d = m_distributor;
            }
            // On every way out the notification can be posted again.
            struct Done {
                LNotification* n;
                ~Done() { n->SetPosted(false); }
            } done{n.Get()};
            if (d)
                d->Send(n, this);
        }
    }
    if (sendIdle) {
        RCPtr<LNotificationDistributor> d = GetDistributor();
        if (d && m_idle)
            d->SendNotification(m_idle);
    }
    return m_ring.GetCount() > 0;
}

bool LNotificationQueue::ProcessOne()
{
    RCPtr<LNotificationQueue> self(this);
    if (m_busy.exchange(true, std::memory_order_acq_rel))
        return false;
    FlagReset busy(m_busy);
    RCPtr<LNotification> n;
    RCPtr<LNotificationDistributor> d;
    {
        MutexLock guard(GetQueueLock());
        if (m_ring.GetCount() == 0)
            return false;
        n = m_ring.Dequeue();
        d = m_distributor;
    }
    struct Done {
        LNotification* n;
        ~Done() { n->SetPosted(false); }
    } done{n.Get()};
    if (d)
        d->Send(n, this);
    return true;
}

bool LNotificationQueue::DiscardAll()
{
    std::vector<RCPtr<LNotification>> discarded;
    {
        MutexLock guard(GetQueueLock());
        discarded.reserve(m_ring.GetCount());
        while (m_ring.GetCount() > 0) {
            RCPtr<LNotification> n = m_ring.Dequeue();
            n->SetPosted(false);
            if (m_distributor)
                m_distributor->ClearPending(n.Get(), discarded);
            discarded.push_back(std::move(n));
        }
    }
    // Released outside the queue lock.
    discarded.clear();
    return m_ring.GetCount() > 0;
}

void LNotificationQueue::Detach()
{
    DiscardAll();
    RCPtr<LNotificationDistributor> distributor;
    RCPtr<LPostingReceiver> receiver;
    RCPtr<LNotificationQueue> link;
    {
        MutexLock guard(GetQueueLock());
        distributor = std::move(m_distributor);
        receiver = std::move(m_receiver);
        if (receiver)
            link = std::move(receiver->m_queue);
    }
    // The link was internal; lowered before it goes, so its release is an ordinary one.
    if (link)
        AddToRefCount(-1);
    // Released here, outside the queue lock: link, receiver, distributor.
}

KXRESULT LNotificationQueue::ReleaseInternalReferences()
{
    Detach();
    return LRefCountedObject::ReleaseInternalReferences();
}

} // namespace KX
