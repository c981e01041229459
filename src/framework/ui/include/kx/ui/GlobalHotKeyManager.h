#pragma once
// Hot keys of a root window or of the whole application: a binding table and the receiver that
// gets the bound notification of a key that no control consumed. Main thread only.
#include "kx/KXResult.h"
#include "kx/NotificationReceiver.h"
#include "kx/RefCountedObject.h"
#include "kx/ui/HotKeyTable.h"

namespace KX {

class IRootWindow;

class LGlobalHotKeyManager : public virtual LRefCountedObject {
public:
    // receiver may be null: bound keys then send nothing.
    explicit LGlobalHotKeyManager(const RCPtr<LNotificationReceiver>& receiver) : m_receiver(receiver) {}
    static RCPtr<LGlobalHotKeyManager> Create(const RCPtr<LNotificationReceiver>& receiver);

    // 1 when the key is unbound. Otherwise a notification of the bound name, without payload, is
    // handed to the receiver before this returns (its result is ignored), and the result is 0; a
    // key repeat of a bound press sends nothing and is 0 too.
    KXRESULT DispatchHotKey(const KeyCode& key);

    HotKeyTable& GetTable() noexcept { return m_table; }
    const HotKeyTable& GetTable() const noexcept { return m_table; }
    const RCPtr<LNotificationReceiver>& GetReceiver() const noexcept { return m_receiver; }

protected:
    ~LGlobalHotKeyManager() override = default;

private:
    HotKeyTable m_table;
    RCPtr<LNotificationReceiver> m_receiver;
};

// A key that no control consumed: the root window's hot keys first, then, when the window has no
// manager or the key is not bound there, the application's. 1 when neither binds the key.
KXRESULT DispatchUnconsumedKey(IRootWindow* window, const KeyCode& key);

} // namespace KX
