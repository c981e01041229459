#include "kx/ui/HotKeyTable.h"

#include "kx/ui/StringTable.h"

namespace KX {

KXRESULT HotKeyTable::LoadFromStringTable(const LStringTable* table, const WString& prefix)
{
    if (!table)
        return E_INVALIDARG;
    WString entryPrefix = prefix;
    entryPrefix += WString(u".");
    Array<Pair<WString, WString>> entries;
    CopyStringMapToPairArray(table->GetEntries(), entries);
    for (uint32_t i = 0; i < entries.GetCount(); ++i) {
        const Pair<WString, WString>& entry = entries.ElementAt(i);
        if (entry.first.Find(entryPrefix) != 0)
            continue;
        // The name follows the last dot, so "GHK.group.NID_X" binds NID_X.
        const WString name = entry.first.Mid(entry.first.ReverseFindChar('.') + 1);
        const KeyCode key = ParseKeySpec(entry.second);
        if (!key.IsEmpty())
            AddBinding(key, name);
    }
    return S_OK;
}

KXRESULT HotKeyTable::AddBinding(const KeyCode& key, const WString& name)
{
    if (key.IsEmpty())
        return E_INVALIDARG;
    const NotificationId id = IdOf(name);
    if (!id)
        return E_INVALIDARG;
    // The first binding of a key wins, whatever name it binds.
    if (FindNotificationIdForKey(key))
        return E_INVALIDARG;
    auto it = m_bindings.find(id);
    if (it == m_bindings.end())
        it = m_bindings.emplace(id, Array<KeyCode>()).first;
    it->second.AddItem(key);
    return S_OK;
}

NotificationId HotKeyTable::FindNotificationIdForKey(const KeyCode& key) const
{
    for (const auto& [id, keys] : m_bindings) {
        for (uint32_t i = keys.GetCount(); i-- > 0;) {
            if (KeyCode::MatchesForHotKey(keys.ElementAt(i), key))
                return id;
        }
    }
    return nullptr;
}

WString HotKeyTable::FindNotificationForKey(const KeyCode& key) const
{
    const NotificationId id = FindNotificationIdForKey(key);
    return id ? WString(id) : WString();
}

Array<KeyCode> HotKeyTable::GetKeyCodes(const WString& name) const
{
    const Array<KeyCode>* keys = FindKeys(name);
    return keys ? *keys : Array<KeyCode>();
}

bool HotKeyTable::HasBinding(const WString& name) const
{
    const Array<KeyCode>* keys = FindKeys(name);
    return keys && keys->GetCount() != 0;
}

KeyCode HotKeyTable::GetFirstKeyCode(const WString& name) const
{
    const Array<KeyCode>* keys = FindKeys(name);
    return keys && keys->GetCount() != 0 ? keys->ElementAt(0) : KeyCode();
}

NotificationId HotKeyTable::IdOf(const WString& name)
{
    return name.IsEmpty() ? nullptr : GetNotificationID(name.GetString());
}

const Array<KeyCode>* HotKeyTable::FindKeys(const WString& name) const
{
    const NotificationId id = IdOf(name);
    if (!id)
        return nullptr;
    const auto it = m_bindings.find(id);
    return it == m_bindings.end() ? nullptr : &it->second;
}

} // namespace KX
