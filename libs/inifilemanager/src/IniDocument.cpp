// Settings file format
// --------------------
// UTF-8 text, optionally starting with a byte order mark; lines end in LF, CRLF or CR
// (a file is written back with the line end it used first).
//
//   ; comment              also "#"; kept as written
//   key = value            keys above the first section belong to the top node
//   [Node/Child]           section: a node path, components separated by "/" ("\" accepted)
//   name = text            a key of the section's node
//   list[] = text          one item of the array "list" of the section's node; items count in file order
//   key = "  text\n"       a value in double quotes keeps its blanks and may use the escapes
//                          \\ \" \n \r \t and \xHH (HH from 01 to 7F)
//
// A bare value runs from the first to the last non-blank character after "=" (no inline
// comments). Names (keys, arrays, node components) compare ASCII case-insensitively and may not
// be empty, contain control characters or any of = [ ] / \, begin or end with a blank, or begin
// with ";" or "#". A node's keys may be spread over several sections with the same path.
// Lines without "=" that are neither comments nor headers are kept as written and mean nothing.
// Only a file larger than kMaxFileSize is rejected. Damage is read leniently, so that the rest of
// the user's settings stay readable and writable: a byte that is not UTF-8 or a NUL byte reads
// as U+FFFD; of one key given twice in a node the last wins (the earlier line is kept as
// written and means nothing); a line with an invalid name or a broken quoted value, and a bad
// section header with the lines under it, are kept as written and mean nothing. Each repair
// is reported with its line.
#include "inifile/IniDocument.h"

#include "inifile/IniDocumentInternal.h"

#include <algorithm>
#include <unordered_map>

namespace KX::Ini {

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

char FoldAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string Folded(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
        c = FoldAscii(c);
    return out;
}

// Offset of the first byte that does not begin a well-formed UTF-8 sequence, or npos.
std::size_t Utf8ErrorAt(std::string_view text)
{
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t n = text.size();
    std::size_t i = 0;
    while (i < n) {
        const unsigned char c = p[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
        std::size_t len = 0;
        unsigned char lo = 0x80, hi = 0xBF; // allowed range of the second byte
        if (c >= 0xC2 && c <= 0xDF) {
            len = 2;
        } else if (c >= 0xE0 && c <= 0xEF) {
            len = 3;
            if (c == 0xE0)
                lo = 0xA0; // no overlong forms
            else if (c == 0xED)
                hi = 0x9F; // no surrogates
        } else if (c >= 0xF0 && c <= 0xF4) {
            len = 4;
            if (c == 0xF0)
                lo = 0x90;
            else if (c == 0xF4)
                hi = 0x8F; // nothing above U+10FFFF
        } else {
            return i;
        }
        if (n - i < len || p[i + 1] < lo || p[i + 1] > hi)
            return i;
        for (std::size_t k = 2; k < len; ++k)
            if (p[i + k] < 0x80 || p[i + k] > 0xBF)
                return i;
        i += len;
    }
    return std::string_view::npos;
}

std::optional<NodePath> Split(std::string_view text, bool trimComponents)
{
    NodePath path;
    if (text.empty())
        return path;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find_first_of("/\\", start);
        std::string_view part =
            text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
        if (trimComponents)
            part = Trim(part);
        if (!IsValidName(part))
            return std::nullopt;
        path.emplace_back(part);
        if (end == std::string_view::npos)
            break;
        start = end + 1;
    }
    return path;
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    c = FoldAscii(c);
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// Decodes a quoted value; s starts at the opening quote. Only blanks may follow the closing quote.
bool DecodeQuoted(std::string_view s, std::string& out)
{
    out.clear();
    std::size_t i = 1;
    for (;;) {
        if (i >= s.size())
            return false;
        const char c = s[i++];
        if (c == '"')
            break;
        if (c != '\\') {
            out += c;
            continue;
        }
        if (i >= s.size())
            return false;
        const char e = s[i++];
        switch (e) {
        case '\\': out += '\\'; break;
        case '"': out += '"'; break;
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        case 't': out += '\t'; break;
        case 'x': {
            if (s.size() - i < 2)
                return false;
            const int h = HexDigit(s[i]), l = HexDigit(s[i + 1]);
            if (h < 0 || l < 0)
                return false;
            const int v = h * 16 + l;
            if (v == 0 || v > 0x7F)
                return false;
            out += static_cast<char>(v);
            i += 2;
            break;
        }
        default: return false;
        }
    }
    return Trim(s.substr(i)).empty();
}

bool NeedsQuotes(std::string_view v)
{
    if (v.empty())
        return false;
    if (IsBlank(v.front()) || IsBlank(v.back()) || v.front() == '"')
        return true;
    return std::any_of(v.begin(), v.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u < 0x20 || u == 0x7F;
    });
}

} // namespace

bool IsValidUtf8(std::string_view text)
{
    return Utf8ErrorAt(text) == std::string_view::npos;
}

bool IsValidName(std::string_view name)
{
    if (name.empty() || IsBlank(name.front()) || IsBlank(name.back()) || name.front() == ';' || name.front() == '#')
        return false;
    for (const char c : name) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F || c == '=' || c == '[' || c == ']' || c == '/' || c == '\\')
            return false;
    }
    return IsValidUtf8(name);
}

std::optional<NodePath> SplitNodePath(std::string_view text)
{
    return Split(text, false);
}

bool NamesEqual(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (FoldAscii(a[i]) != FoldAscii(b[i]))
            return false;
    return true;
}

bool PathsEqual(const NodePath& a, const NodePath& b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [](const std::string& x, const std::string& y) { return NamesEqual(x, y); });
}

std::string FormatValue(std::string_view value)
{
    if (!NeedsQuotes(value))
        return std::string(value);
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out = "\"";
    for (const char c : value) {
        const auto u = static_cast<unsigned char>(c);
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '"': out += "\\\""; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (u < 0x20 || u == 0x7F) {
                out += "\\x";
                out += kHex[u >> 4];
                out += kHex[u & 0xF];
            } else {
                out += c;
            }
        }
    }
    out += '"';
    return out;
}

namespace {

std::size_t LineOf(std::string_view text, std::size_t offset)
{
    std::size_t line = 1;
    for (std::size_t i = 0; i < offset; ++i)
        if (text[i] == '\n' || (text[i] == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n')))
            ++line;
    return line;
}

// What a parse repaired, up to kMaxRepairsReported.
class RepairLog {
public:
    explicit RepairLog(std::vector<ParseError>* repairs) : m_repairs(repairs) {}
    bool Full() const { return !m_repairs || m_repairs->size() >= kMaxRepairsReported; }
    void Add(std::size_t line, const char* message) const
    {
        if (!Full())
            m_repairs->push_back(ParseError{line, message});
    }

private:
    std::vector<ParseError>* m_repairs;
};

// Bytes that are not text read as U+FFFD. Empty when every byte is text.
std::string CleanedText(std::string_view bytes, const RepairLog& log)
{
    std::string cleaned;
    if (bytes.find('\0') == std::string_view::npos && Utf8ErrorAt(bytes) == std::string_view::npos)
        return cleaned;
    cleaned.reserve(bytes.size() + 16);
    std::size_t from = 0;
    while (from < bytes.size()) {
        const std::string_view rest = bytes.substr(from);
        std::size_t bad = std::min(Utf8ErrorAt(rest), rest.find('\0'));
        if (bad == std::string_view::npos) {
            cleaned.append(rest);
            break;
        }
        cleaned.append(rest.substr(0, bad));
        bad += from;
        if (!log.Full())
            log.Add(LineOf(bytes, bad), bytes[bad] == '\0' ? "NUL byte in text" : "text is not valid UTF-8");
        cleaned.append("\xEF\xBF\xBD");
        from = bad + 1;
    }
    return cleaned;
}

// The line end the text uses first; LF for a text of one line.
std::string FirstLineEnd(std::string_view bytes)
{
    const auto eol = bytes.find_first_of("\r\n");
    if (eol == std::string_view::npos)
        return "\n";
    return (bytes[eol] == '\n') ? "\n" : (eol + 1 < bytes.size() && bytes[eol + 1] == '\n') ? "\r\n" : "\r";
}

// The line at pos without its line end; pos moves past the line end.
std::string_view NextLine(std::string_view bytes, std::size_t& pos)
{
    const std::size_t end = bytes.find_first_of("\r\n", pos);
    const std::string_view text = bytes.substr(pos, end == std::string_view::npos ? std::string_view::npos : end - pos);
    if (end == std::string_view::npos)
        pos = bytes.size();
    else
        pos = end + ((bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n') ? 2 : 1);
    return text;
}

} // namespace

// Reads the lines of one file, one by one, into the document's sections.
class IniDocument::LineReader {
public:
    LineReader(IniDocument& doc, const RepairLog& log) : m_doc(doc), m_log(log) {}

    void Read(std::string_view text, std::size_t number)
    {
        const std::string_view trimmed = Trim(text);
        Line line;
        line.text = std::string(text);
        Section& section = m_doc.m_sections.back();
        if (trimmed.empty() || trimmed.front() == ';' || trimmed.front() == '#') {
            section.lines.push_back(std::move(line));
            return;
        }
        if (trimmed.front() == '[') {
            ReadHeader(text, trimmed, number);
            return;
        }
        const std::size_t eq = text.find('=');
        if (eq == std::string_view::npos || section.broken) {
            section.lines.push_back(std::move(line));
            return;
        }
        ReadKey(text, eq, std::move(line), number);
    }

private:
    void ReadHeader(std::string_view text, std::string_view trimmed, std::size_t number)
    {
        const bool terminated = trimmed.size() >= 2 && trimmed.back() == ']';
        NodePath path;
        if (terminated) {
            if (auto split = Split(trimmed.substr(1, trimmed.size() - 2), true))
                path = std::move(*split);
        }
        if (path.empty()) {
            m_log.Add(number, terminated ? "invalid section name" : "unterminated section header");
            // Its lines belong to no node: none of them is read, none is changed.
            m_doc.m_sections.push_back(Section{{}, std::string(text), {}, true});
            return;
        }
        m_currentNode = Folded(JoinPath(path));
        m_doc.m_sections.push_back(Section{std::move(path), std::string(text), {}});
    }

    void ReadKey(std::string_view text, std::size_t eq, Line line, std::size_t number)
    {
        Section& section = m_doc.m_sections.back();
        std::string_view name = Trim(text.substr(0, eq));
        Kind kind = Kind::Key;
        if (name.size() >= 2 && name.substr(name.size() - 2) == "[]") {
            kind = Kind::Item;
            name = Trim(name.substr(0, name.size() - 2));
        }
        if (!IsValidName(name)) {
            m_log.Add(number, "invalid key name");
            section.lines.push_back(std::move(line));
            return;
        }
        std::size_t at = eq + 1;
        while (at < text.size() && IsBlank(text[at]))
            ++at;
        const std::string_view raw = text.substr(at);
        if (!raw.empty() && raw.front() == '"') {
            if (!DecodeQuoted(raw, line.value)) {
                m_log.Add(number, "broken quoted value");
                line.value.clear();
                section.lines.push_back(std::move(line));
                return;
            }
        } else {
            line.value = std::string(Trim(raw));
        }
        line.kind = kind;
        line.name = std::string(name);
        line.valueAt = at;
        const Position here{m_doc.m_sections.size() - 1, section.lines.size()};
        if (kind == Kind::Key) {
            auto [it, added] = m_seenKeys.try_emplace(m_currentNode + '\x01' + Folded(name), here);
            if (!added) {
                // The last one wins; the earlier one stays as written.
                m_log.Add(number, "key given twice");
                m_doc.m_sections[it->second.section].lines[it->second.line].kind = Kind::Other;
                it->second = here;
            }
        }
        section.lines.push_back(std::move(line));
    }

    IniDocument& m_doc;
    const RepairLog& m_log;
    std::unordered_map<std::string, Position> m_seenKeys; // folded "node/path" + '\x01' + key
    std::string m_currentNode;                            // folded path of the current section
};

std::optional<IniDocument> IniDocument::Parse(std::string_view bytes, ParseError* error,
                                              std::vector<ParseError>* repairs)
{
    if (bytes.size() > kMaxFileSize) {
        if (error)
            *error = ParseError{0, "file too large"};
        return std::nullopt;
    }
    IniDocument doc;
    if (bytes.substr(0, kBom.size()) == kBom) {
        doc.m_bom = true;
        bytes.remove_prefix(kBom.size());
    }
    const RepairLog log(repairs);
    const std::string cleaned = CleanedText(bytes, log);
    if (!cleaned.empty())
        bytes = cleaned;
    doc.m_eol = FirstLineEnd(bytes);

    LineReader reader(doc, log);
    std::size_t number = 0;
    std::size_t pos = 0;
    while (pos < bytes.size())
        reader.Read(NextLine(bytes, pos), ++number);
    return doc;
}

std::string IniDocument::Serialize() const
{
    std::string out;
    if (m_bom)
        out += kBom;
    for (std::size_t s = 0; s < m_sections.size(); ++s) {
        if (s > 0) {
            out += m_sections[s].header;
            out += m_eol;
        }
        for (const auto& line : m_sections[s].lines) {
            out += line.text;
            out += m_eol;
        }
    }
    return out;
}

} // namespace KX::Ini
