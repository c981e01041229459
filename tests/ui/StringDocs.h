#pragma once
// Helpers for the string-table tests: documents as UTF-16LE bytes with a byte-order mark.
#include "kx/StringT.h"
#include "kx/ui/StringTableReader.h"

#include <string>

namespace KXTest {

// The UTF-8 text as UTF-16LE bytes behind a byte-order mark.
inline std::string ToUtf16Document(const std::string& utf8)
{
    const KX::WString wide(utf8.c_str());
    std::string bytes("\xFF\xFE", 2);
    for (const char16_t* p = wide.GetString(); *p; ++p) {
        bytes.push_back(static_cast<char>(*p & 0xFF));
        bytes.push_back(static_cast<char>(*p >> 8));
    }
    return bytes;
}

inline KX::StringDocument Doc(const std::string& bytes)
{
    return KX::StringDocument{bytes.data(), bytes.size()};
}

// The text of key in table id, or "<absent>" (as UTF-8).
inline std::string Text(const KX::StringTableSet& tables, const char* id, const char* key)
{
    const KX::StringTableSet::Entries* entries = tables.Find(KX::WString(id));
    if (!entries)
        return "<no table>";
    const auto it = entries->find(KX::WString(key));
    if (it == entries->end())
        return "<absent>";
    return it->second.ToNarrow().GetString();
}

} // namespace KXTest
