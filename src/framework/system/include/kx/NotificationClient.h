#pragma once
// A receiver that keeps track of its registrations, so it can drop them all when its last
// outside holder lets go.
#include "kx/Array.h"
#include "kx/KXResult.h"
#include "kx/NotificationDistributor.h"
#include "kx/NotificationReceiver.h"

#include <cstdint>

namespace KX {

class LNotificationClient : public LNotificationReceiver {
public:
    // Does nothing; classes that handle notifications override it.
    KXRESULT Receive(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n) override;

    // The id (non-null) on success; null when d is null or the name has no id.
    NotificationId RegisterForNotification(const RCPtr<LNotificationDistributor>& d, const char16_t* name,
                                           uint32_t flags);
    // 0 removed; 1 when this client holds no registration for the name at d; E_INVALIDARG for a
    // null d, a null name or a name without id.
    KXRESULT UnregisterForNotification(const RCPtr<LNotificationDistributor>& d, const char16_t* name) override;
    // Returns the number of registrations removed.
    int32_t UnregisterFromAll();

    // Drops every registration when only internal references remain.
    KXRESULT ReleaseInternalReferences() override;

    int32_t GetRegistrationCount() const noexcept { return m_registrationCount; }
    // Distributors this client holds a registration at.
    uint32_t GetDistributorCount() const { return m_distributors.GetCount(); }

protected:
    LNotificationClient() = default;
    ~LNotificationClient() override = default;

private:
    int32_t m_registrationCount = 0;
    Array<LNotificationDistributor*> m_distributors;
};

} // namespace KX
