#pragma once
// Anything that can be handed a notification.
#include "kx/KXResult.h"
#include "kx/Notification.h"
#include "kx/RefCountedObject.h"

namespace KX {

class LNotificationDistributor;

class LNotificationReceiver : public virtual LRefCountedObject {
public:
    // from is the distributor that sends (null when the notification was handed over directly);
    // the sender holds a reference on it for the call.
    virtual KXRESULT Receive(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n) = 0;
    // Drops this receiver's registration for name (a name or an id) at d.
    virtual KXRESULT UnregisterForNotification(const RCPtr<LNotificationDistributor>& d, const char16_t* name) = 0;

protected:
    ~LNotificationReceiver() override = default;
};

} // namespace KX
