#pragma once
// UTF-16 <-> UTF-8 for paths and texts handed to the system or to C libraries.
// Strict conversions refuse unpaired surrogates and malformed UTF-8 (a path with no exact
// UTF-8 form could name another file); replacing ones write U+FFFD instead.
#include <optional>
#include <string>
#include <string_view>

namespace platform::posix {

// Appends text as UTF-8. Strict: false at the first unpaired surrogate (out then holds the part
// before it).
bool AppendUtf8Strict(std::u16string_view text, std::string& out);
// Appends text as UTF-8, an unpaired surrogate written as U+FFFD.
void AppendUtf8Replacing(std::u16string_view text, std::string& out);

inline std::string ToUtf8Replacing(std::u16string_view text)
{
    std::string out;
    AppendUtf8Replacing(text, out);
    return out;
}

// A UTF-16 path in the system's form: UTF-8 with "\" written as "/". Nothing for a path holding
// an unpaired surrogate.
std::optional<std::string> ToNativePath(std::u16string_view path);

// UTF-8 to UTF-16. Strict: false for an overlong form, an encoded surrogate, a value above
// U+10FFFF, a stray or missing continuation byte.
bool Utf8ToUtf16Strict(std::string_view text, std::u16string& out);
// Each malformed sequence (its longest valid prefix, at least one byte) becomes one U+FFFD.
std::u16string Utf8ToUtf16Replacing(std::string_view text);

} // namespace platform::posix
