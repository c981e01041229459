#pragma once
// Key bindings: key codes bound to notification names, filled from the "GHK." and "LHK." entries
// of a string table. A key is bound to at most one notification of a table. Main thread only.
#include "kx/Array.h"
#include "kx/KXResult.h"
#include "kx/NotificationId.h"
#include "kx/StringT.h"
#include "kx/ui/KeyCode.h"

#include <map>

namespace KX {

class LStringTable;

class HotKeyTable {
public:
    // Prefixes of the string-table entries that bind keys: the application's and a root window's
    // ("GHK"), a control's own ("LHK").
    static constexpr const char16_t* kGlobalPrefix = u"GHK";
    static constexpr const char16_t* kLocalPrefix = u"LHK";

    // Binds every entry whose key begins with prefix and a dot: the notification name is the part
    // of the key after its last dot, the key is the text read as a key description. Descriptions
    // that name no key and keys bound already are skipped. E_INVALIDARG for a null table, else 0.
    KXRESULT LoadFromStringTable(const LStringTable* table, const WString& prefix);
    // 0 bound; E_INVALIDARG for an empty name, an empty key code or a key bound already, to this
    // or another notification (the first binding stays).
    KXRESULT AddBinding(const KeyCode& key, const WString& name);

    // The notification the key is bound to (hot-key matching: a character ignores Ctrl and Shift),
    // null when none.
    NotificationId FindNotificationIdForKey(const KeyCode& key) const;
    // Its name; empty when the key is unbound.
    WString FindNotificationForKey(const KeyCode& key) const;
    // A copy of the key codes bound to name, in the order they were bound.
    Array<KeyCode> GetKeyCodes(const WString& name) const;
    bool HasBinding(const WString& name) const;
    // The first key bound to name, or the empty key code.
    KeyCode GetFirstKeyCode(const WString& name) const;

    // Drops every binding.
    void Clear() noexcept { m_bindings.clear(); }
    bool IsEmpty() const noexcept { return m_bindings.empty(); }
    // Notifications with at least one key.
    uint32_t GetCount() const noexcept { return static_cast<uint32_t>(m_bindings.size()); }

private:
    // Null for an empty name.
    static NotificationId IdOf(const WString& name);
    const Array<KeyCode>* FindKeys(const WString& name) const;

    std::map<NotificationId, Array<KeyCode>> m_bindings;
};

} // namespace KX
