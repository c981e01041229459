#pragma once
// UTF-16 to UTF-8 for file names and text handed to the font engine.
#include <string>
#include <string_view>

namespace gdi::detail {

// Unpaired surrogates become U+FFFD.
void AppendUtf8(std::u16string_view text, std::string& out);

inline std::string ToUtf8(std::u16string_view text)
{
    std::string out;
    AppendUtf8(text, out);
    return out;
}

std::u16string FromUtf8(std::string_view text);

} // namespace gdi::detail
