#include "GuideMarkup.h"

#include <algorithm>
#include <cstdint>

namespace guide {

namespace {

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && s.front() == ' ')
        s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ')
        s.remove_suffix(1);
    return s;
}

bool StartsWith(std::string_view s, std::string_view prefix)
{
    return s.substr(0, prefix.size()) == prefix;
}

std::string Located(int line, const std::string& what)
{
    return "line " + std::to_string(line) + ": " + what;
}

// Splits "| a | b |" into its trimmed cells; false when the row does not end with '|'.
bool SplitRow(std::string_view row, std::vector<std::string>& cells)
{
    if (row.size() < 2 || row.front() != '|' || row.back() != '|')
        return false;
    row = row.substr(1, row.size() - 2);
    cells.clear();
    size_t start = 0;
    while (true) {
        const size_t bar = row.find('|', start);
        cells.emplace_back(
            Trim(row.substr(start, bar == std::string_view::npos ? std::string_view::npos : bar - start)));
        if (bar == std::string_view::npos)
            return true;
        start = bar + 1;
    }
}

bool IsRule(const std::vector<std::string>& cells)
{
    for (const std::string& cell : cells) {
        if (cell.empty() || cell.find_first_not_of("-:") != std::string::npos)
            return false;
    }
    return true;
}

// "x y w h": four whole numbers below a million, width and height above 0.
bool ReadCrop(std::string_view text, int (&crop)[4])
{
    for (int i = 0; i < 4; ++i) {
        text = Trim(text);
        size_t digits = 0;
        long value = 0;
        while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9' && digits < 6)
            value = value * 10 + (text[digits++] - '0');
        if (digits == 0 || (digits < text.size() && text[digits] != ' '))
            return false;
        crop[i] = static_cast<int>(value);
        text.remove_prefix(digits);
    }
    return Trim(text).empty() && crop[2] > 0 && crop[3] > 0;
}

} // namespace

size_t Utf8SequenceLength(std::string_view text, size_t at)
{
    if (at >= text.size())
        return 0;
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    if (lead < 0x80)
        return 1;
    size_t length = 0;
    uint32_t code = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        code = lead & 0x1Fu;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        code = lead & 0x0Fu;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        code = lead & 0x07u;
    } else {
        return 0;
    }
    if (at + length > text.size())
        return 0;
    for (size_t i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0u) != 0x80u)
            return 0;
        code = (code << 6) | (byte(at + i) & 0x3Fu);
    }
    // No overlong forms, no surrogates, nothing above U+10FFFF.
    const uint32_t least = length == 2 ? 0x80u : length == 3 ? 0x800u : 0x10000u;
    if (code < least || (code >= 0xD800u && code <= 0xDFFFu) || code > 0x10FFFFu)
        return 0;
    return length;
}

ParseResult Parse(std::string_view source)
{
    ParseResult result;
    std::vector<Block>& blocks = result.blocks;
    // The block that the next plain, indented or table line continues, if any.
    enum class Open { None, Paragraph, Bullet, Table } open = Open::None;

    int number = 0;
    size_t at = 0;
    while (at <= source.size()) {
        const size_t end = source.find('\n', at);
        std::string_view raw = source.substr(at, end == std::string_view::npos ? std::string_view::npos : end - at);
        at = end == std::string_view::npos ? source.size() + 1 : end + 1;
        ++number;
        if (!raw.empty() && raw.back() == '\r')
            raw.remove_suffix(1);

        std::string line;
        line.reserve(raw.size());
        for (size_t i = 0; i < raw.size();) {
            const size_t length = Utf8SequenceLength(raw, i);
            if (length == 0) {
                result.error = Located(number, "the text is not UTF-8");
                return result;
            }
            const unsigned char c = static_cast<unsigned char>(raw[i]);
            if (c == '\t') {
                line += ' ';
            } else if (c < 0x20 || c == 0x7F) {
                result.error = Located(number, "a control character in the text");
                return result;
            } else {
                line.append(raw.substr(i, length));
            }
            i += length;
        }

        const std::string_view text = Trim(line);
        if (StartsWith(text, "%%"))
            continue;
        if (text.empty()) {
            open = Open::None;
            continue;
        }
        const bool indented = line.front() == ' ';

        auto add = [&](BlockKind kind, std::string_view content) -> Block& {
            Block block;
            block.kind = kind;
            block.text = std::string(content);
            block.line = number;
            blocks.push_back(std::move(block));
            return blocks.back();
        };

        if (text.front() == '#') {
            const size_t level = text.find_first_not_of('#');
            if (level != std::string_view::npos && level <= 3 && text[level] == ' ') {
                const std::string_view title = Trim(text.substr(level));
                add(level == 1 ? BlockKind::Title : level == 2 ? BlockKind::Heading : BlockKind::Subheading, title);
                open = Open::None;
                continue;
            }
        }
        if (text == "---" && open != Open::Table) {
            add(BlockKind::PageBreak, "");
            open = Open::None;
            continue;
        }
        if (StartsWith(text, "- ")) {
            add(BlockKind::Bullet, Trim(text.substr(2)));
            open = Open::Bullet;
            continue;
        }
        if (StartsWith(text, "![")) {
            const size_t middle = text.find("](");
            if (middle == std::string_view::npos || text.back() != ')') {
                result.error = Located(number, "a picture is written ![caption](file.png)");
                return result;
            }
            std::string_view path = Trim(text.substr(middle + 2, text.size() - middle - 3));
            const size_t blank = path.find(' ');
            const std::string_view part = blank == std::string_view::npos ? "" : Trim(path.substr(blank));
            path = path.substr(0, blank);
            if (path.empty()) {
                result.error = Located(number, "a picture without its file");
                return result;
            }
            int crop[4] = {0, 0, 0, 0};
            if (!part.empty() && !ReadCrop(part, crop)) {
                result.error = Located(number, "a picture's part is four whole numbers: x y width height");
                return result;
            }
            Block& image = add(BlockKind::Image, Trim(text.substr(2, middle - 2)));
            image.path = std::string(path);
            image.cropped = !part.empty();
            std::copy(crop, crop + 4, image.crop);
            open = Open::None;
            continue;
        }
        if (text.front() == '|') {
            std::vector<std::string> cells;
            if (!SplitRow(text, cells)) {
                result.error = Located(number, "a table row ends with '|'");
                return result;
            }
            if (open != Open::Table) {
                add(BlockKind::Table, "").rows.push_back(std::move(cells));
                open = Open::Table;
                continue;
            }
            Block& table = blocks.back();
            if (cells.size() != table.rows.front().size()) {
                result.error =
                    Located(number, "this row has " + std::to_string(cells.size()) + " cells, the table's first row " +
                                        std::to_string(table.rows.front().size()));
                return result;
            }
            if (table.rows.size() == 1 && !table.header && IsRule(cells))
                table.header = true;
            else
                table.rows.push_back(std::move(cells));
            continue;
        }
        if (open == Open::Bullet && indented) {
            blocks.back().text += ' ';
            blocks.back().text += text;
            continue;
        }
        if (open == Open::Paragraph) {
            blocks.back().text += ' ';
            blocks.back().text += text;
            continue;
        }
        add(BlockKind::Paragraph, text);
        open = Open::Paragraph;
    }
    return result;
}

std::vector<std::string> Wrap(std::string_view text, double width, const Measure& measure)
{
    std::vector<std::string> lines;
    std::string line;
    size_t at = 0;
    while (at < text.size()) {
        if (text[at] == ' ') {
            ++at;
            continue;
        }
        const size_t end = std::min(text.find(' ', at), text.size());
        std::string_view word = text.substr(at, end - at);
        at = end;

        const std::string candidate = line.empty() ? std::string(word) : line + ' ' + std::string(word);
        if (measure(candidate) <= width) {
            line = candidate;
            continue;
        }
        if (!line.empty()) {
            lines.push_back(line);
            line.clear();
        }
        // The word alone: cut it between characters while it does not fit.
        while (!word.empty() && measure(word) > width) {
            size_t cut = Utf8SequenceLength(word, 0);
            if (cut == 0)
                cut = 1; // not UTF-8: bytes, so that the loop ends
            while (cut < word.size()) {
                size_t next = Utf8SequenceLength(word, cut);
                if (next == 0)
                    next = 1;
                if (measure(word.substr(0, cut + next)) > width)
                    break;
                cut += next;
            }
            lines.emplace_back(word.substr(0, cut));
            word.remove_prefix(cut);
        }
        line = std::string(word);
    }
    if (!line.empty())
        lines.push_back(line);
    return lines;
}

} // namespace guide
