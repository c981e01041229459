#include "kx/ui/GlobalHotKeyManager.h"

#include "kx/Notification.h"
#include "kx/NotificationDistributor.h"
#include "kx/ui/ControlHost.h"
#include "kx/ui/RootWindowSeam.h"

namespace KX {

RCPtr<LGlobalHotKeyManager> LGlobalHotKeyManager::Create(const RCPtr<LNotificationReceiver>& receiver)
{
    return RCPtr<LGlobalHotKeyManager>(new LGlobalHotKeyManager(receiver));
}

KXRESULT LGlobalHotKeyManager::DispatchHotKey(const KeyCode& key)
{
    const NotificationId id = m_table.FindNotificationIdForKey(key);
    if (!id)
        return S_FALSE;
    // A held key's repeats are the same press: its command runs once.
    if (key.repeat && KeyCode::IsKeyDown(key))
        return S_OK;
    RCPtr<LNotification> n;
    LNotification::Create(n, id, ConstRCPtr<LRefCountedObject>());
    // The receiver may drop this manager while it runs.
    const RCPtr<LNotificationReceiver> receiver = m_receiver;
    if (n && receiver)
        receiver->Receive(RCPtr<LNotificationDistributor>(), n);
    return S_OK;
}

KXRESULT DispatchUnconsumedKey(IRootWindow* window, const KeyCode& key)
{
    if (window) {
        if (const RCPtr<LGlobalHotKeyManager> manager = window->GetHotKeyManager()) {
            if (manager->DispatchHotKey(key) != S_FALSE)
                return S_OK;
        }
    }
    IControlHost* host = GetControlHost();
    const RCPtr<LGlobalHotKeyManager> global = host ? host->GetGlobalHotKeyManager() : RCPtr<LGlobalHotKeyManager>();
    return global ? global->DispatchHotKey(key) : S_FALSE;
}

} // namespace KX
