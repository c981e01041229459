#include "platform/posix/ProfileFile.h"

#include "platform/posix/AtomicWrite.h"
#include "platform/posix/FileIo.h"
#include "platform/posix/Hex.h"
#include "platform/posix/Utf.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace platform::posix {

namespace {

constexpr size_t kMaxFileBytes = 1024 * 1024;
// The most damaged files kept beside the profile.
constexpr int kMaxSetAside = 100;
// Read's result for a regular file that is no text.
constexpr int kDamaged = -1;

std::string_view Trim(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t' || text.front() == '\r'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

// A profile is text: no NUL byte, well-formed UTF-8.
bool LooksLikeText(std::string_view text)
{
    std::u16string ignored;
    return text.find('\0') == std::string_view::npos && Utf8ToUtf16Strict(text, ignored);
}

bool ValidKey(std::string_view key)
{
    if (key.empty() || Trim(key) != key)
        return false;
    for (const char c : key)
        if (c == '[' || c == ']' || c == '=' || c == '\n' || c == '\r' || c == '\0')
            return false;
    return true;
}

} // namespace

ProfileFile::ProfileFile(std::string path) : m_path(std::move(path)) {}

int ProfileFile::Load()
{
    const int loaded = Read();
    return loaded == kDamaged ? EILSEQ : loaded;
}

int ProfileFile::Read()
{
    // Never waits on a FIFO in the file's place.
    UniqueFd fd = OpenFd(m_path, O_RDONLY | O_NONBLOCK | O_NOCTTY);
    if (!fd) {
        if (errno == ENOENT) {
            m_lines.clear();
            return 0;
        }
        return errno;
    }
    struct stat st {};
    if (::fstat(fd.Get(), &st) != 0)
        return errno;
    if (S_ISDIR(st.st_mode))
        return EISDIR;
    if (!S_ISREG(st.st_mode))
        return EINVAL;
    std::string text;
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(fd.Get(), buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (n == 0)
            break;
        text.append(buffer, static_cast<size_t>(n));
        if (text.size() > kMaxFileBytes)
            return EFBIG;
    }
    if (!LooksLikeText(text))
        return kDamaged;
    Parse(text);
    return 0;
}

int ProfileFile::LoadSettingDamagedAside()
{
    const int loaded = Read();
    if (loaded != kDamaged && loaded != EFBIG && loaded != EINVAL)
        return loaded;
    // A link is the user's: neither it nor what it names is moved or written over.
    struct stat st {};
    if (::lstat(m_path.c_str(), &st) != 0)
        return errno;
    if (S_ISLNK(st.st_mode))
        return loaded == kDamaged ? EILSEQ : loaded;
    std::string aside;
    for (int n = 1; n <= kMaxSetAside; ++n) {
        aside = m_path + ".damaged" + (n == 1 ? std::string() : "." + std::to_string(n));
        if (::renameat2(AT_FDCWD, m_path.c_str(), AT_FDCWD, aside.c_str(), RENAME_NOREPLACE) == 0) {
            m_lines.clear();
            return 0;
        }
        if (errno != EEXIST)
            return errno;
    }
    // Every name is taken: the newest damaged file replaces the last one set aside.
    if (::rename(m_path.c_str(), aside.c_str()) != 0)
        return errno;
    m_lines.clear();
    return 0;
}

void ProfileFile::Parse(std::string_view text)
{
    m_lines.clear();
    std::string section;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        const std::string_view raw = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        const std::string_view line = Trim(raw);
        if (line.empty())
            continue;
        if (line.front() == '[' && line.back() == ']' && line.size() >= 2) {
            const std::string_view name = line.substr(1, line.size() - 2);
            if (ValidKey(name)) {
                section.assign(name);
                m_lines.push_back({section, {}, {}, true});
                continue;
            }
        } else if (const size_t eq = line.find('='); eq != std::string_view::npos && !section.empty()) {
            const std::string_view name = Trim(line.substr(0, eq));
            if (ValidKey(name)) {
                m_lines.push_back({section, std::string(name), std::string(Trim(line.substr(eq + 1))), false});
                continue;
            }
        }
        m_lines.push_back({section, {}, std::string(raw), false}); // kept as it was
    }
}

std::string ProfileFile::Serialise() const
{
    std::string out;
    for (const Line& line : m_lines) {
        if (line.header) {
            if (!out.empty())
                out += '\n';
            out += '[' + line.section + "]\n";
        } else if (line.name.empty()) {
            out += line.value + '\n';
        } else {
            out += line.name + '=' + line.value + '\n';
        }
    }
    return out;
}

std::optional<std::vector<uint8_t>> ProfileFile::GetBinary(std::string_view section, std::string_view name) const
{
    const Line* found = nullptr;
    for (const Line& line : m_lines)
        if (!line.header && !line.name.empty() && line.section == section && line.name == name)
            found = &line; // the last one wins
    if (!found || found->value.size() % 2 != 0)
        return std::nullopt;
    std::vector<uint8_t> bytes;
    bytes.reserve(found->value.size() / 2);
    for (size_t i = 0; i < found->value.size(); i += 2) {
        const int byte = HexByteValue(found->value[i], found->value[i + 1]);
        if (byte < 0)
            return std::nullopt;
        bytes.push_back(static_cast<uint8_t>(byte));
    }
    return bytes;
}

int ProfileFile::WriteBinary(std::string_view section, std::string_view name, const uint8_t* data, size_t size)
{
    if (!ValidKey(section) || !ValidKey(name) || (size && !data))
        return EINVAL;
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string hex;
    hex.reserve(size * 2);
    for (size_t i = 0; i < size; ++i) {
        hex += kDigits[data[i] >> 4];
        hex += kDigits[data[i] & 0xF];
    }
    std::vector<Line> lines = m_lines;
    // Replace every line of this value by one at the first one's place.
    bool placed = false;
    for (size_t i = 0; i < lines.size();) {
        Line& line = lines[i];
        if (!line.header && line.section == section && line.name == name) {
            if (placed) {
                lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(i));
                continue;
            }
            line.value = hex;
            placed = true;
        }
        ++i;
    }
    if (!placed) {
        // After the section's last line, or a new section at the end.
        size_t at = lines.size();
        bool seen = false;
        for (size_t i = 0; i < lines.size(); ++i)
            if (lines[i].section == section && (lines[i].header || seen)) {
                seen = true;
                at = i + 1;
            }
        if (!seen) {
            lines.push_back({std::string(section), {}, {}, true});
            at = lines.size();
        }
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at),
                     Line{std::string(section), std::string(name), hex, false});
    }
    std::swap(lines, m_lines);
    const int error = WriteFileAtomic(m_path, Serialise());
    if (error != 0)
        std::swap(lines, m_lines); // the file is unchanged: so are the values
    return error;
}

} // namespace platform::posix
