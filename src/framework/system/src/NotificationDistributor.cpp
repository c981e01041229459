#include "kx/NotificationDistributor.h"

#include "kx/NotificationClient.h"
#include "kx/NotificationQueue.h"

#include <mutex>

namespace KX {

namespace {

// Distributors that hold at least one registration. The list's reference counts as internal.
// Registrations may end on any thread that drops a client's last reference, so the list has a
// lock of its own; it is never held while a reference is released.
struct ActiveDistributors {
    std::mutex lock;
    RCPtrArray<LNotificationDistributor, 16, 64> list;
};

ActiveDistributors& Active()
{
    static ActiveDistributors* const active = new ActiveDistributors();
    return *active;
}

using Info = LNotificationDistributor::LNotificationRegisteredClientInfo;

} // namespace

// Pool.

LNotificationDistributor::LNotificationClientPool::~LNotificationClientPool() = default;

int32_t LNotificationDistributor::LNotificationClientPool::FindReceiver(const LNotificationReceiver* r) const
{
    const RCPtr<Info>* regs = const_cast<RCPtrArray<Info>&>(m_registrations).GetData();
    for (int32_t i = static_cast<int32_t>(m_registrations.GetCount()) - 1; i >= 0; --i) {
        if (regs[i]->m_receiver.Get() == r)
            return i;
    }
    return -1;
}

void LNotificationDistributor::LNotificationClientPool::RemoveRegistration(uint32_t index)
{
    RCPtr<Info> removed;
    m_registrations.RemoveItem(index, removed);
    const int32_t at = static_cast<int32_t>(index);
    for (Walk* w = m_walks; w; w = w->next) {
        if (at < w->index)
            --w->index;
    }
    if (m_walks)
        m_retired.AddItem(removed);
}

void LNotificationDistributor::LNotificationClientPool::ReleaseRetired() noexcept
{
    // Releasing may run receivers' destructors, which may retire more; take them in batches.
    while (m_retired.GetCount() > 0 && !m_walks) {
        RCPtrArray<Info, 4, 4> batch;
        RCPtr<Info> item;
        while (m_retired.GetCount() > 0) {
            m_retired.RemoveLast(item);
            batch.AddItem(item);
        }
        item = nullptr;
    }
}

void LNotificationDistributor::LNotificationClientPool::RecomputeFlags()
{
    uint32_t flags = 0;
    const RCPtr<Info>* regs = m_registrations.GetData();
    for (uint32_t i = 0, n = m_registrations.GetCount(); i < n; ++i)
        flags |= regs[i]->m_flags;
    m_flags = flags;
}

// Distributor.

LNotificationDistributor::~LNotificationDistributor() = default;

uint32_t LNotificationDistributor::GetActiveDistributorCount()
{
    ActiveDistributors& a = Active();
    std::lock_guard<std::mutex> guard(a.lock);
    return a.list.GetCount();
}

LNotificationDistributor::LNotificationClientPool* LNotificationDistributor::FindPool(NotificationId id) const
{
    const RCPtr<LNotificationClientPool>* pools = const_cast<RCPtrArray<LNotificationClientPool>&>(m_pools).GetData();
    for (int32_t i = static_cast<int32_t>(m_pools.GetCount()) - 1; i >= 0; --i) {
        if (pools[i]->m_id == id)
            return pools[i].Get();
    }
    return nullptr;
}

RCPtr<LNotificationDistributor::LNotificationClientPool>
LNotificationDistributor::FindClientPool(NotificationId id) const
{
    return RCPtr<LNotificationClientPool>(FindPool(id));
}

bool LNotificationDistributor::IsRegistered(const LNotificationReceiver* r) const
{
    if (!r)
        return false;
    const RCPtr<LNotificationClientPool>* pools = const_cast<RCPtrArray<LNotificationClientPool>&>(m_pools).GetData();
    for (uint32_t i = 0, n = m_pools.GetCount(); i < n; ++i) {
        if (pools[i]->FindReceiver(r) >= 0)
            return true;
    }
    return false;
}

KXRESULT LNotificationDistributor::RegisterClient(const RCPtr<LNotificationReceiver>& r, const char16_t* name,
                                                  uint32_t flags)
{
    if (!r)
        return E_INVALIDARG;
    return Register(r.Get(), GetNotificationID(name), flags);
}

KXRESULT LNotificationDistributor::Register(LNotificationReceiver* r, NotificationId id, uint32_t flags)
{
    if (!r)
        return E_INVALIDARG;
    if (!id)
        return S_FALSE;
    if (flags & kLatestPostedOnly)
        m_hasLatestOnly.store(true, std::memory_order_release);
    LNotificationClientPool* pool = FindPool(id);
    const int32_t existing = pool ? pool->FindReceiver(r) : -1;
    if (existing >= 0) {
        Info& info = *pool->m_registrations.GetData()[existing];
        if (info.m_flags != flags) {
            info.m_flags = flags;
            pool->RecomputeFlags();
        }
        return S_FALSE;
    }
    if (!pool) {
        RCPtr<LNotificationClientPool> created(new LNotificationClientPool(id));
        m_pools.AddItem(created);
        pool = created.Get();
    }
    pool->m_registrations.AddItem(RCPtr<Info>(new Info(r, flags)));
    pool->m_flags |= flags;

    // The registration holds this distributor: one reference, counted as internal.
    AddRef();
    AddToRefCount(1);
    if (++m_registrationCount == 1) {
        ActiveDistributors& a = Active();
        std::lock_guard<std::mutex> guard(a.lock);
        AddToRefCount(1);
        a.list.AddItem(RCPtr<LNotificationDistributor>(this));
    }
    return S_OK;
}

void LNotificationDistributor::RegistrationRemoved()
{
    if (--m_registrationCount == 0) {
        RCPtr<LNotificationDistributor> listed;
        {
            ActiveDistributors& a = Active();
            std::lock_guard<std::mutex> guard(a.lock);
            const RCPtr<LNotificationDistributor>* items = a.list.GetData();
            for (int32_t i = static_cast<int32_t>(a.list.GetCount()) - 1; i >= 0; --i) {
                if (items[i].Get() == this) {
                    AddToRefCount(-1);
                    a.list.RemoveItem(static_cast<uint32_t>(i), listed);
                    break;
                }
            }
        }
    }
    AddToRefCount(-1);
    Release();
}

KXRESULT LNotificationDistributor::UnregisterClient(const RCPtr<LNotificationReceiver>& r, const char16_t* name)
{
    if (!r)
        return E_INVALIDARG;
    const NotificationId id = GetNotificationID(name);
    if (!id)
        return E_INVALIDARG;
    return Unregister(r.Get(), id);
}

KXRESULT LNotificationDistributor::Unregister(LNotificationReceiver* r, NotificationId id)
{
    if (!r || !id)
        return E_INVALIDARG;
    LNotificationClientPool* pool = FindPool(id);
    if (!pool)
        return S_FALSE;
    const int32_t index = pool->FindReceiver(r);
    if (index < 0)
        return S_FALSE;
    // The registration's reference may be the last one on this distributor, and the
    // registration's reference on r may be r's last: both go only when the bookkeeping is done.
    RCPtr<LNotificationDistributor> self(this);
    RCPtr<Info> removed = pool->m_registrations.GetData()[index];
    pool->RemoveRegistration(static_cast<uint32_t>(index));
    RegistrationRemoved();
    return S_OK;
}

int32_t LNotificationDistributor::UnregisterClientFromAll(const RCPtr<LNotificationReceiver>& r)
{
    return UnregisterFromAll(r.Get());
}

int32_t LNotificationDistributor::UnregisterFromAll(LNotificationReceiver* r)
{
    if (!r || m_registrationCount == 0)
        return 0;
    RCPtr<LNotificationDistributor> self(this);
    RCPtrArray<Info, 4, 4> removed;
    int32_t total = 0;
    for (int32_t p = static_cast<int32_t>(m_pools.GetCount()) - 1; p >= 0; --p) {
        LNotificationClientPool& pool = *m_pools.GetData()[p];
        const int32_t index = pool.FindReceiver(r);
        if (index < 0)
            continue;
        removed.AddItem(pool.m_registrations.GetData()[index]);
        pool.RemoveRegistration(static_cast<uint32_t>(index));
        RegistrationRemoved();
        ++total;
    }
    return total;
}

KXRESULT LNotificationDistributor::UnregisterAllClients()
{
    if (m_registrationCount == 0)
        return S_OK;
    RCPtr<LNotificationDistributor> self(this);
    for (int32_t p = static_cast<int32_t>(m_pools.GetCount()) - 1; p >= 0; --p) {
        RCPtr<LNotificationClientPool> pool = m_pools.GetData()[p];
        for (int32_t i = static_cast<int32_t>(pool->m_registrations.GetCount()) - 1; i >= 0; --i) {
            const int32_t count = static_cast<int32_t>(pool->m_registrations.GetCount());
            if (i >= count) {
                i = count;
                continue;
            }
            RCPtr<LNotificationReceiver> receiver = pool->m_registrations.GetData()[i]->m_receiver;
            receiver->UnregisterForNotification(self, pool->m_id);
        }
    }
    return S_OK;
}

void LNotificationDistributor::DropAllRegistrations()
{
    if (m_registrationCount == 0)
        return;
    RCPtr<LNotificationDistributor> self(this);
    RCPtrArray<Info, 4, 4> removed;
    for (int32_t p = static_cast<int32_t>(m_pools.GetCount()) - 1; p >= 0; --p) {
        LNotificationClientPool& pool = *m_pools.GetData()[p];
        for (int32_t i = static_cast<int32_t>(pool.m_registrations.GetCount()) - 1; i >= 0; --i) {
            const RCPtr<Info>& info = pool.m_registrations.GetData()[i];
            // Clients keep their own books and leave through UnregisterAllClients.
            if (dynamic_cast<LNotificationClient*>(info->m_receiver.Get()))
                continue;
            removed.AddItem(info);
            pool.RemoveRegistration(static_cast<uint32_t>(i));
            RegistrationRemoved();
        }
    }
}

KXRESULT LNotificationDistributor::SendNotification(const RCPtr<LNotification>& n)
{
    return Send(n, nullptr);
}

KXRESULT LNotificationDistributor::Send(const RCPtr<LNotification>& n, LNotificationQueue* source)
{
    if (!n)
        return E_INVALIDARG;
    LNotificationClientPool* pool = FindPool(n->GetID());
    if (!pool || pool->m_registrations.GetCount() == 0)
        return S_FALSE;
    RCPtr<LNotificationDistributor> self(this);
    LNotificationClientPool::WalkGuard guard(*pool, static_cast<int32_t>(pool->m_registrations.GetCount()) - 1);
    int32_t& i = guard.walk.index;
    for (; i >= 0; --i) {
        if (static_cast<uint32_t>(i) >= pool->m_registrations.GetCount())
            continue;
        Info* info = pool->m_registrations.GetData()[i].Get();
        if ((info->m_flags & kLatestPostedOnly) && !(source && TakePending(*info, n.Get())))
            continue;
        // A registration removed during the call is retired, not released, so the receiver
        // outlives its own call.
        info->m_receiver->Receive(self, n);
    }
    return S_OK;
}

void LNotificationDistributor::MarkPending(const RCPtr<LNotification>& n, std::vector<RCPtr<LNotification>>& replaced)
{
    if (!m_hasLatestOnly.load(std::memory_order_acquire))
        return;
    LNotificationClientPool* pool = FindPool(n->GetID());
    if (!pool || !(pool->m_flags & kLatestPostedOnly))
        return;
    for (uint32_t i = pool->m_registrations.GetCount(); i > 0; --i) {
        Info& info = *pool->m_registrations.GetData()[i - 1];
        if (!(info.m_flags & kLatestPostedOnly))
            continue;
        if (info.m_pending)
            replaced.push_back(std::move(info.m_pending));
        info.m_pending = n;
    }
}

void LNotificationDistributor::ClearPending(const LNotification* n, std::vector<RCPtr<LNotification>>& released)
{
    if (!m_hasLatestOnly.load(std::memory_order_acquire))
        return;
    LNotificationClientPool* pool = FindPool(n->GetID());
    if (!pool)
        return;
    for (uint32_t i = pool->m_registrations.GetCount(); i > 0; --i) {
        Info& info = *pool->m_registrations.GetData()[i - 1];
        if (info.m_pending.Get() == n)
            released.push_back(std::move(info.m_pending));
    }
}

bool LNotificationDistributor::TakePending(Info& info, const LNotification* n)
{
    RCPtr<LNotification> taken;
    {
        MutexLock guard(LNotificationQueue::GetQueueLock());
        if (info.m_pending.Get() != n)
            return false;
        taken = std::move(info.m_pending);
    }
    // Released outside the queue lock.
    return true;
}

int32_t LNotificationDistributor::DeliverToClient(const RCPtr<LNotificationClientPool>& pool,
                                                  const RCPtr<LNotificationDistributor>& d, int32_t index,
                                                  const RCPtr<LNotification>& n)
{
    if (!pool || !n || index < 0 || static_cast<uint32_t>(index) >= pool->m_registrations.GetCount())
        return index;
    LNotificationClientPool::WalkGuard guard(*pool, index);
    Info* info = pool->m_registrations.GetData()[index].Get();
    if (info->m_flags & kLatestPostedOnly)
        return index;
    info->m_receiver->Receive(d, n);
    return guard.walk.index;
}

KXRESULT LNotificationDistributor::GetClientRegistrationData(const RCPtr<LNotificationReceiver>& r,
                                                             const char16_t* name, uint32_t& flags) const
{
    const NotificationId id = GetNotificationID(name);
    if (!id)
        return E_FAIL;
    const LNotificationClientPool* pool = FindPool(id);
    if (!pool)
        return E_FAIL;
    const int32_t index = pool->FindReceiver(r.Get());
    if (index < 0)
        return E_FAIL;
    flags = const_cast<LNotificationClientPool*>(pool)->m_registrations.GetData()[index]->m_flags;
    return S_OK;
}

} // namespace KX
