// The user guide's markup into the reader and every block's text into the wrapper. The first byte
// picks the wrap width; the rest is the source. Checks that the wrapper keeps every non-blank byte
// in order and that a source read without error has blocks that make sense.
#include "GuideMarkup.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

// Every byte 5 units wide, a multi-byte character 9.
double Measure(std::string_view text)
{
    double width = 0;
    for (size_t i = 0; i < text.size();) {
        const size_t length = guide::Utf8SequenceLength(text, i);
        width += length > 1 ? 9 : 5;
        i += length > 0 ? length : 1;
    }
    return width;
}

std::string WithoutBlanks(std::string_view text)
{
    std::string out;
    for (char c : text)
        if (c != ' ')
            out += c;
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const double width = static_cast<double>(data[0]);
    const std::string_view source(reinterpret_cast<const char*>(data + 1), size - 1);
    const guide::ParseResult parsed = guide::Parse(source);
    if (!parsed.error.empty())
        return 0;
    for (const guide::Block& block : parsed.blocks) {
        if (block.kind == guide::BlockKind::Image && (block.path.empty() || (block.cropped && block.crop[2] <= 0)))
            std::abort();
        if (block.kind == guide::BlockKind::Table) {
            for (const auto& row : block.rows)
                if (row.size() != block.rows.front().size())
                    std::abort();
        }
        std::string rejoined;
        for (const std::string& line : guide::Wrap(block.text, width, Measure)) {
            if (line.empty())
                std::abort();
            rejoined += line;
        }
        if (WithoutBlanks(rejoined) != WithoutBlanks(block.text))
            std::abort();
    }
    return 0;
}
