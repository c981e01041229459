#pragma once
// A small file of profile values (what a Windows program keeps in its registry section): sections of
// named values, each a byte string kept as hexadecimal text, one "name=hex" line under "[section]".
// Writes replace the whole file atomically; the bad lines of a text file are kept as they are and
// written back unchanged, and a file that is no profile at all is set aside, never overwritten.
// Not thread-safe: one owner.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform::posix {

class ProfileFile {
public:
    // The file at path (UTF-8). Nothing is read until Load.
    explicit ProfileFile(std::string path);

    // Reads the file: 0 (also for a missing file, which reads as empty), or the errno of the read;
    // EFBIG for a file over 1 MiB, EISDIR for a folder, EINVAL for anything else but a regular file,
    // EILSEQ for one holding a NUL byte or malformed UTF-8. On failure the values stay as they were.
    int Load();
    // Load before a write: a file that is no profile (over 1 MiB, neither a regular file nor a
    // folder, or holding a NUL byte or malformed UTF-8) is renamed to a free "<path>.damaged" ("<path>.damaged.2" and
    // on; with all 100 names taken it replaces the last) and reads as empty, so that the write makes a fresh one.
    // A link is never moved: one naming no profile gives the errno of its read, and nothing is written.
    // 0, or the errno of the read or of the rename (the file then stays where it is).
    int LoadSettingDamagedAside();

    // The bytes of a value; nothing when absent or when its text is not hexadecimal of even length.
    std::optional<std::vector<uint8_t>> GetBinary(std::string_view section, std::string_view name) const;
    // Sets the value in memory and writes the file atomically: 0, or the errno of the write (the
    // file on disk is then unchanged). Section and name must not be empty nor hold "[", "]", "=" or
    // a line break (EINVAL).
    int WriteBinary(std::string_view section, std::string_view name, const uint8_t* data, size_t size);

    const std::string& Path() const noexcept { return m_path; }

    // The text the file would be written with (for tests).
    std::string Serialise() const;
    // Replaces the values with those parsed from text; lines that are not a section, a value or a
    // blank line are kept verbatim in place.
    void Parse(std::string_view text);

private:
    // Load, with -1 for a file that is no text.
    int Read();

    struct Line {
        std::string section; // the section the line belongs to
        std::string name;    // empty for a kept verbatim line or a section header
        std::string value;   // hex text, or the verbatim line
        bool header = false;
    };
    std::string m_path;
    std::vector<Line> m_lines;
};

} // namespace platform::posix
