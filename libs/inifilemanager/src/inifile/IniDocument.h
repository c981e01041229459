#pragma once
// In-memory settings document: parsed from UTF-8 text, edited by node path, written back
// with every untouched line as it was read. The file format is described in IniDocument.cpp.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace KX::Ini {

// A node path split into its components ("Window/Placement" -> {"Window", "Placement"}).
using NodePath = std::vector<std::string>;

// Largest file the library reads or writes.
inline constexpr std::size_t kMaxFileSize = 16u * 1024u * 1024u;
// Most repairs one parse reports.
inline constexpr std::size_t kMaxRepairsReported = 32;
// Largest item count of one array.
inline constexpr std::size_t kMaxArrayCount = 100000;

struct ParseError {
    std::size_t line = 0; // 1-based; 0 for the file as a whole
    std::string message;
};

// True when the bytes are well-formed UTF-8 (no overlong forms, surrogates or code points above U+10FFFF).
bool IsValidUtf8(std::string_view text);

// True when the text may serve as a key, array or node name.
bool IsValidName(std::string_view name);

// Splits a node path at "/" or "\"; nullopt when a component is not a valid name.
// An empty text gives an empty path.
std::optional<NodePath> SplitNodePath(std::string_view text);

// Case-insensitive (ASCII) comparison of names and paths.
bool NamesEqual(std::string_view a, std::string_view b);
bool PathsEqual(const NodePath& a, const NodePath& b);

// The value as it appears right of "=": bare, or quoted with escapes when it needs to be.
std::string FormatValue(std::string_view value);

class IniDocument {
public:
    // Parses a whole file, reading damage leniently (see IniDocument.cpp); repairs, when given,
    // receives what was repaired (at most kMaxRepairsReported). Fails, filling the error, only
    // for a file larger than kMaxFileSize.
    static std::optional<IniDocument> Parse(std::string_view bytes, ParseError* error = nullptr,
                                            std::vector<ParseError>* repairs = nullptr);

    // The file's text: untouched lines as read, changed and new lines in canonical form.
    std::string Serialize() const;

    // Keys. The value pointer stays valid until the next change.
    const std::string* FindValue(const NodePath& node, std::string_view key) const;
    // Returns false when the value was already stored exactly so (nothing changed).
    bool SetValue(const NodePath& node, std::string_view key, std::string_view value);
    std::size_t KeyCount(const NodePath& node) const;
    const std::string* KeyNameAt(const NodePath& node, std::size_t index) const;

    // Arrays: the items "name[] = ..." of one node, in file order.
    std::size_t ArrayCount(const NodePath& node, std::string_view name) const;
    const std::string* ArrayItemAt(const NodePath& node, std::string_view name, std::size_t index) const;
    // The setters return false when the index is out of range or nothing changed.
    bool SetArrayItemAt(const NodePath& node, std::string_view name, std::size_t index, std::string_view value);
    bool SetArrayCount(const NodePath& node, std::string_view name, std::size_t count);
    bool RemoveArrayItemAt(const NodePath& node, std::string_view name, std::size_t index);

    // True when a section lies at or below the path, or the path names a key or an array.
    // The empty path (the top node) always exists.
    bool NodeExists(const NodePath& path) const;

private:
    enum class Kind : std::uint8_t { Other, Key, Item };

    struct Line {
        Kind kind = Kind::Other;
        std::string text;        // the line without its line end
        std::size_t valueAt = 0; // where the value starts in text (Key, Item)
        std::string name;        // key or array name (Key, Item)
        std::string value;       // decoded value (Key, Item)
    };

    struct Section {
        NodePath path;      // empty for the lines above the first header
        std::string header; // the header line as read or made; empty for the top part
        std::vector<Line> lines;
        bool broken = false; // a bad header: its lines mean nothing and nothing is added here
    };

    struct Position {
        std::size_t section;
        std::size_t line;
    };

    class LineReader;

    static void Assign(Line& line, std::string_view value);
    static Line MakeLine(Kind kind, std::string_view name, std::string_view value);

    std::vector<Position> Find(Kind kind, const NodePath& node, std::string_view name) const;
    std::vector<Position> Keys(const NodePath& node) const;
    // Where a new line for the node goes; makes the section when the node has none.
    Position InsertionPoint(const NodePath& node);

    std::vector<Section> m_sections{Section{}};
    bool m_bom = false;
    std::string m_eol = "\n";
};

} // namespace KX::Ini
