// The texts of the string-table documents by table id.
#include "kx/ui/StringTableSet.h"

namespace KX {

const StringTableSet::Entries* StringTableSet::Find(const WString& id) const
{
    const auto it = m_tables.find(id);
    return it == m_tables.end() ? nullptr : &it->second;
}

ConstRCPtr<LStringTable> StringTableSet::GetTable(const WString& id) const
{
    const Entries* entries = Find(id);
    if (!entries)
        return nullptr;
    return ConstRCPtr<LStringTable>(new LStringTable(*entries));
}

WString StringTableSet::ControlTableId(const WString& ownerClassName, const WString& controlName)
{
    WString id(ownerClassName);
    id += WString(u"|");
    id += controlName;
    return id;
}

WString StringTableSet::ApplicationTableId() const
{
    return ControlTableId(WString(), m_applicationName);
}

} // namespace KX
