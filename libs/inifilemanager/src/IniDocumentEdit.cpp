#include "inifile/IniDocument.h"

#include "inifile/IniDocumentInternal.h"

#include <algorithm>

namespace KX::Ini {

void IniDocument::Assign(Line& line, std::string_view value)
{
    const bool hadValue = line.valueAt < line.text.size();
    std::string prefix = line.text.substr(0, line.valueAt);
    const std::string formatted = FormatValue(value);
    if (formatted.empty()) {
        while (!prefix.empty() && IsBlank(prefix.back()))
            prefix.pop_back();
    } else if (!hadValue) {
        // "key =" gains a blank after "=" when it has one before it.
        while (!prefix.empty() && IsBlank(prefix.back()))
            prefix.pop_back();
        if (prefix.size() >= 2 && IsBlank(prefix[prefix.size() - 2]))
            prefix += ' ';
    }
    line.valueAt = prefix.size();
    line.text = std::move(prefix);
    line.text += formatted;
    line.value = std::string(value);
}

IniDocument::Line IniDocument::MakeLine(Kind kind, std::string_view name, std::string_view value)
{
    const std::string formatted = FormatValue(value);
    Line line;
    line.kind = kind;
    line.name = std::string(name);
    line.text = line.name + (kind == Kind::Item ? "[] =" : " =");
    if (!formatted.empty())
        line.text += ' ';
    line.valueAt = line.text.size();
    line.text += formatted;
    line.value = std::string(value);
    return line;
}

std::vector<IniDocument::Position> IniDocument::Find(Kind kind, const NodePath& node, std::string_view name) const
{
    std::vector<Position> found;
    for (std::size_t s = 0; s < m_sections.size(); ++s) {
        if (m_sections[s].broken || !PathsEqual(m_sections[s].path, node))
            continue;
        const auto& lines = m_sections[s].lines;
        for (std::size_t l = 0; l < lines.size(); ++l)
            if (lines[l].kind == kind && NamesEqual(lines[l].name, name))
                found.push_back({s, l});
    }
    return found;
}

std::vector<IniDocument::Position> IniDocument::Keys(const NodePath& node) const
{
    std::vector<Position> found;
    for (std::size_t s = 0; s < m_sections.size(); ++s) {
        if (m_sections[s].broken || !PathsEqual(m_sections[s].path, node))
            continue;
        const auto& lines = m_sections[s].lines;
        for (std::size_t l = 0; l < lines.size(); ++l)
            if (lines[l].kind == Kind::Key)
                found.push_back({s, l});
    }
    return found;
}

IniDocument::Position IniDocument::InsertionPoint(const NodePath& node)
{
    std::size_t s = m_sections.size();
    if (node.empty()) {
        s = 0;
    } else {
        for (std::size_t i = m_sections.size(); i-- > 1;)
            if (!m_sections[i].broken && PathsEqual(m_sections[i].path, node)) {
                s = i;
                break;
            }
    }
    if (s == m_sections.size()) {
        // A new section at the end, set off by a blank line.
        auto& last = m_sections.back().lines;
        const bool empty = m_sections.size() == 1 && last.empty();
        if (!empty && (last.empty() ? true : !IsBlankLine(last.back().text)))
            last.push_back(Line{});
        m_sections.push_back(Section{node, "[" + JoinPath(node) + "]", {}});
        return {s, 0};
    }
    // After the section's last non-blank line, so blank lines keep separating it from the next one.
    const auto& lines = m_sections[s].lines;
    std::size_t l = lines.size();
    while (l > 0 && IsBlankLine(lines[l - 1].text))
        --l;
    return {s, l};
}

const std::string* IniDocument::FindValue(const NodePath& node, std::string_view key) const
{
    const auto found = Find(Kind::Key, node, key);
    if (found.empty())
        return nullptr;
    return &m_sections[found.front().section].lines[found.front().line].value;
}

bool IniDocument::SetValue(const NodePath& node, std::string_view key, std::string_view value)
{
    const auto found = Find(Kind::Key, node, key);
    if (!found.empty()) {
        Line& line = m_sections[found.front().section].lines[found.front().line];
        if (line.value == value)
            return false;
        Assign(line, value);
        return true;
    }
    const Position at = InsertionPoint(node);
    auto& lines = m_sections[at.section].lines;
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at.line), MakeLine(Kind::Key, key, value));
    return true;
}

std::size_t IniDocument::KeyCount(const NodePath& node) const
{
    return Keys(node).size();
}

const std::string* IniDocument::KeyNameAt(const NodePath& node, std::size_t index) const
{
    const auto keys = Keys(node);
    if (index >= keys.size())
        return nullptr;
    return &m_sections[keys[index].section].lines[keys[index].line].name;
}

std::size_t IniDocument::ArrayCount(const NodePath& node, std::string_view name) const
{
    return Find(Kind::Item, node, name).size();
}

const std::string* IniDocument::ArrayItemAt(const NodePath& node, std::string_view name, std::size_t index) const
{
    const auto items = Find(Kind::Item, node, name);
    if (index >= items.size())
        return nullptr;
    return &m_sections[items[index].section].lines[items[index].line].value;
}

bool IniDocument::SetArrayItemAt(const NodePath& node, std::string_view name, std::size_t index, std::string_view value)
{
    const auto items = Find(Kind::Item, node, name);
    if (index >= items.size())
        return false;
    Line& line = m_sections[items[index].section].lines[items[index].line];
    if (line.value == value)
        return false;
    Assign(line, value);
    return true;
}

bool IniDocument::SetArrayCount(const NodePath& node, std::string_view name, std::size_t count)
{
    const auto items = Find(Kind::Item, node, name);
    if (count == items.size())
        return false;
    if (count < items.size()) {
        // Later positions first, so the earlier ones stay valid.
        for (std::size_t i = items.size(); i-- > count;) {
            auto& lines = m_sections[items[i].section].lines;
            lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(items[i].line));
        }
        return true;
    }
    Position at{};
    if (!items.empty())
        at = {items.back().section, items.back().line + 1};
    else
        at = InsertionPoint(node);
    auto& lines = m_sections[at.section].lines;
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at.line), count - items.size(),
                 MakeLine(Kind::Item, name, ""));
    return true;
}

bool IniDocument::RemoveArrayItemAt(const NodePath& node, std::string_view name, std::size_t index)
{
    const auto items = Find(Kind::Item, node, name);
    if (index >= items.size())
        return false;
    auto& lines = m_sections[items[index].section].lines;
    lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(items[index].line));
    return true;
}

bool IniDocument::NodeExists(const NodePath& path) const
{
    if (path.empty())
        return true;
    for (std::size_t s = 1; s < m_sections.size(); ++s) {
        const auto& sp = m_sections[s].path;
        if (!m_sections[s].broken && sp.size() >= path.size() &&
            std::equal(path.begin(), path.end(), sp.begin(),
                       [](const std::string& a, const std::string& b) { return NamesEqual(a, b); }))
            return true;
    }
    const NodePath node(path.begin(), path.end() - 1);
    return FindValue(node, path.back()) != nullptr || ArrayCount(node, path.back()) > 0;
}

} // namespace KX::Ini
