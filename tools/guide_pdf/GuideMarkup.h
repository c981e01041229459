#pragma once
// The user guide's text source: a small line-based markup read into blocks, and the greedy
// word wrapping the typesetter uses. No drawing here, so tests and the fuzz target link it alone.
//
//   # Title              ## Heading            ### Subheading
//   plain lines          joined into one paragraph until a blank line
//   - item               a bullet item; indented lines that follow continue it
//   ![caption](file.png) a picture, scaled to the text width, with its caption;
//   ![caption](file.png x y w h)  only that part of it (pixels)
//   | a | b |            a table row; a row of dashes after the first row makes it the header
//   ---                  a page break
//   %% text              a comment, skipped
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace guide {

enum class BlockKind { Title, Heading, Subheading, Paragraph, Bullet, Image, Table, PageBreak };

struct Block {
    BlockKind kind = BlockKind::Paragraph;
    std::string text;                           // title, heading, paragraph, bullet; an image's caption
    std::string path;                           // an image's file, as written
    bool cropped = false;                       // an image shows only the part below
    int crop[4] = {0, 0, 0, 0};                 // x, y, width, height in pixels
    std::vector<std::vector<std::string>> rows; // a table's cells, row by row
    bool header = false;                        // a table's first row is its header
    int line = 0;                               // where the block starts in the source (from 1)
};

struct ParseResult {
    std::vector<Block> blocks;
    std::string error; // empty when the source was read; else "line N: what is wrong"
};

// Reads a whole source. Fails on text that is not UTF-8, a control character, a picture line
// without its closing parts or path, a picture part that is not four whole numbers (width and
// height above 0), and a table whose rows differ in their number of cells.
ParseResult Parse(std::string_view source);

// The width of a piece of text in the caller's units.
using Measure = std::function<double(std::string_view)>;

// Breaks text at blanks into lines no wider than width. A word wider than width is cut between
// characters (never inside one), so every line but a single too-wide character fits and no
// character is lost: the lines joined (cut pieces directly, words with one blank) give back the
// words of the text.
std::vector<std::string> Wrap(std::string_view text, double width, const Measure& measure);

// The length in bytes of the UTF-8 sequence that starts at text[at]; 0 when it is not valid there.
size_t Utf8SequenceLength(std::string_view text, size_t at);

} // namespace guide
