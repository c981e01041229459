#include "kx/NotificationClient.h"

namespace KX {

KXRESULT LNotificationClient::Receive(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>&)
{
    return S_OK;
}

NotificationId LNotificationClient::RegisterForNotification(const RCPtr<LNotificationDistributor>& d,
                                                            const char16_t* name, uint32_t flags)
{
    if (!d)
        return nullptr;
    const NotificationId id = GetNotificationID(name);
    if (!id)
        return nullptr;
    const KXRESULT r = d->Register(this, id, flags);
    if (r == S_OK) {
        // The registration's reference on this client is internal.
        AddToRefCount(1);
        ++m_registrationCount;
    }
    if ((r == S_OK || r == S_FALSE) && m_distributors.IndexOf(d.Get()) < 0)
        m_distributors.AddItem(d.Get());
    return id;
}

KXRESULT LNotificationClient::UnregisterForNotification(const RCPtr<LNotificationDistributor>& d, const char16_t* name)
{
    if (m_registrationCount <= 0)
        return S_FALSE;
    if (!d || !name)
        return E_INVALIDARG;
    const NotificationId id = GetNotificationID(name);
    if (!id)
        return E_INVALIDARG;
    // The registration's reference may be the last one on this client.
    RCPtr<LNotificationClient> self(this);
    // Lowered before the registration's reference goes, so that release is an ordinary one.
    AddToRefCount(-1);
    const KXRESULT r = d->Unregister(this, id);
    if (r != S_OK) {
        AddToRefCount(1);
        return r;
    }
    --m_registrationCount;
    if (!d->IsRegistered(this)) {
        const int32_t index = m_distributors.IndexOf(d.Get());
        if (index >= 0)
            m_distributors.RemoveItems(static_cast<uint32_t>(index), 1);
    }
    return r;
}

int32_t LNotificationClient::UnregisterFromAll()
{
    if (m_registrationCount < 1)
        return 0;
    RCPtr<LNotificationClient> self(this);
    AddToRefCount(-m_registrationCount);
    int32_t total = 0;
    for (int32_t i = static_cast<int32_t>(m_distributors.GetCount()) - 1; i >= 0; --i) {
        if (static_cast<uint32_t>(i) >= m_distributors.GetCount())
            continue;
        RCPtr<LNotificationDistributor> d(m_distributors.ElementAt(static_cast<uint32_t>(i)));
        m_distributors.RemoveItems(static_cast<uint32_t>(i), 1);
        total += d->UnregisterFromAll(this);
    }
    m_registrationCount = 0;
    return total;
}

KXRESULT LNotificationClient::ReleaseInternalReferences()
{
    UnregisterFromAll();
    return (GetInternalRefCount() == 0 && GetRefCount() == 1) ? S_OK : E_FAIL;
}

} // namespace KX
