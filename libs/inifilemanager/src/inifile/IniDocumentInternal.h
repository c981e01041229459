#pragma once
// Text helpers shared by the settings document's parser and its editing: blanks, trimming and
// node paths written out.
#include "inifile/IniDocument.h"

#include <string>
#include <string_view>

namespace KX::Ini {

namespace {

inline bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

inline std::string_view Trim(std::string_view s)
{
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

inline bool IsBlankLine(std::string_view s)
{
    return Trim(s).empty();
}

inline std::string JoinPath(const NodePath& path)
{
    std::string out;
    for (const auto& part : path) {
        if (!out.empty())
            out += '/';
        out += part;
    }
    return out;
}

} // namespace

} // namespace KX::Ini
