// One table of user-visible texts.
#include "kx/ui/StringTable.h"

#include <algorithm>

namespace KX {

bool LStringTable::Lookup(const WString& key, WString& text) const
{
    const auto it = m_entries.find(key);
    if (it == m_entries.end())
        return false;
    text = it->second;
    return true;
}

KXRESULT LStringTable::GetEntriesByPrefix(const WString& prefix, IArray<EntryPair>& out) const
{
    out.RemoveAll();
    const unsigned n = prefix.GetLength();
    const char16_t* p = prefix.GetString();
    // Keys sharing the prefix form one run of the ordered map that starts at lower_bound(prefix).
    for (auto it = m_entries.lower_bound(prefix); it != m_entries.end(); ++it) {
        const WString& key = it->first;
        if (key.GetLength() < n || !std::equal(p, p + n, key.GetString()))
            break;
        out.AddItem(EntryPair{key, it->second});
    }
    if (EntryPair* data = out.GetData())
        std::stable_sort(data, data + out.GetCount(),
                         [](const EntryPair& a, const EntryPair& b) { return a.first < b.first; });
    return S_OK;
}

KXRESULT LStringTable::SetString(const WString& key, const WString& text)
{
    if (key.IsEmpty())
        return E_INVALIDARG;
    const auto [it, inserted] = m_entries.insert_or_assign(key, text);
    (void)it;
    return inserted ? S_OK : S_FALSE;
}

const ConstRCPtr<LStringTable>& LStringTable::Null() noexcept
{
    static const ConstRCPtr<LStringTable> null;
    return null;
}

} // namespace KX
