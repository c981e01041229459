#pragma once
// The texts read from the string-table documents, by table id: "Framework", "|" + application
// name, or owner class name + "|" + control name. Hands out table objects with their own copy of
// the entries. Main thread only.
#include "kx/StringT.h"
#include "kx/ui/StringTable.h"

#include <map>

namespace KX {

class StringTableSet {
public:
    using Entries = LStringTable::Entries;
    using Tables = std::map<WString, Entries>;

    static constexpr const char16_t* kFrameworkTableId = u"Framework";

    // The table of that id, created empty when missing. The reference stays valid while the set lives.
    Entries& Open(const WString& id) { return m_tables[id]; }
    // Null when there is no table of that id.
    const Entries* Find(const WString& id) const;

    // A new table object holding a copy of the entries of id; null when there is no such table.
    ConstRCPtr<LStringTable> GetTable(const WString& id) const;
    ConstRCPtr<LStringTable> GetApplicationTable() const { return GetTable(ApplicationTableId()); }
    ConstRCPtr<LStringTable> GetFrameworkTable() const { return GetTable(WString(kFrameworkTableId)); }

    // ownerClassName + "|" + controlName; callers pass the application name for a control
    // without an owner.
    static WString ControlTableId(const WString& ownerClassName, const WString& controlName);
    // "|" + the application name.
    WString ApplicationTableId() const;

    // Set by an "Application" element of any document.
    const WString& GetApplicationName() const noexcept { return m_applicationName; }
    void SetApplicationName(const WString& name) { m_applicationName = name; }

    const Tables& GetTables() const noexcept { return m_tables; }
    void Clear() { m_tables.clear(); }

private:
    Tables m_tables;
    WString m_applicationName;
};

} // namespace KX
