#include "kx/NotificationHandler.h"

namespace KX {

void SendNotificationTo(const RCPtr<LNotificationReceiver>& target, const char16_t* name,
                        const ConstRCPtr<LRefCountedObject>& payload)
{
    if (!target)
        return;
    RCPtr<LNotification> n;
    LNotification::Create(n, name, payload);
    if (!n)
        return;
    const RCPtr<LNotificationDistributor> none;
    target->Receive(none, n);
}

} // namespace KX
