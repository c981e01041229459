#pragma once
// One table of user-visible texts (key -> text) as handed to a control or the application; each
// object holds its own copy of the entries. Main thread only.
#include "kx/Array.h"
#include "kx/RefCountedObject.h"
#include "kx/StringT.h"

#include <map>

namespace KX {

class LStringTable : public virtual LRefCountedObject {
public:
    // Key -> text, ordered by UTF-16 code unit, case-sensitive.
    using Entries = std::map<WString, WString>;
    using EntryPair = Pair<WString, WString>;

    LStringTable() = default;
    explicit LStringTable(const Entries& entries) : m_entries(entries) {}
    ~LStringTable() override = default;

    // Exact key: copies the text out and answers true; else false and text is untouched.
    bool Lookup(const WString& key, WString& text) const;
    // Empties out, then appends (key, text) for every key that begins with prefix, in key order.
    // Always S_OK.
    KXRESULT GetEntriesByPrefix(const WString& prefix, IArray<EntryPair>& out) const;
    // E_INVALIDARG for an empty key; S_FALSE when the key existed (text replaced); S_OK when new.
    KXRESULT SetString(const WString& key, const WString& text);

    const Entries& GetEntries() const noexcept { return m_entries; }
    uint32_t GetCount() const noexcept { return static_cast<uint32_t>(m_entries.size()); }

    // The shared null table: what a missing table looks up as.
    static const ConstRCPtr<LStringTable>& Null() noexcept;

private:
    Entries m_entries;
};

} // namespace KX
