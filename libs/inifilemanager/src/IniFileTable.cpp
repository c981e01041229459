#include "inifile/IniFileTable.h"

#include "inifile/IniFileIo.h"

#include "platform/posix/AtomicWrite.h"

#include <climits>
#include <cstdio>
#include <cstring>
#include <new>
#include <optional>
#include <utility>

namespace KX::Ini {

namespace {

// A change that left the document as it was: reported as kOk, nothing written.
constexpr int32_t kUnchanged = INT32_MIN;

struct Leaf {
    NodePath node;
    std::string name;
};

// The handle's section followed by the path; nullopt for a null or invalid path.
std::optional<NodePath> NodeOf(const NodePath& base, const char* path)
{
    if (!path)
        return std::nullopt;
    auto parts = SplitNodePath(path);
    if (!parts)
        return std::nullopt;
    NodePath full = base;
    full.insert(full.end(), parts->begin(), parts->end());
    return full;
}

// As NodeOf, split into the node and the key or array name; the path must not be empty.
std::optional<Leaf> LeafOf(const NodePath& base, const char* path)
{
    if (!path || !*path)
        return std::nullopt;
    auto full = NodeOf(base, path);
    if (!full)
        return std::nullopt;
    Leaf leaf{std::move(*full), {}};
    leaf.name = std::move(leaf.node.back());
    leaf.node.pop_back();
    return leaf;
}

bool IsStorableText(const char* text)
{
    if (!text)
        return false;
    const std::size_t length = ::strnlen(text, kMaxFileSize + 1);
    return length <= kMaxFileSize && IsValidUtf8(std::string_view(text, length));
}

std::optional<int32_t> ParseInt32(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    bool negative = false;
    if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    if (s.empty())
        return std::nullopt;
    int64_t v = 0;
    for (const char c : s) {
        if (c < '0' || c > '9')
            return std::nullopt;
        v = v * 10 + (c - '0');
        if (v > int64_t{INT32_MAX} + 1)
            return std::nullopt;
    }
    if (negative)
        v = -v;
    if (v < INT32_MIN || v > INT32_MAX)
        return std::nullopt;
    return static_cast<int32_t>(v);
}

bool BufferArgumentsValid(const char* buffer, int32_t size)
{
    return size >= 0 && (buffer || size == 0);
}

void ClearOut(char* buffer, int32_t size, int32_t* needed)
{
    if (buffer && size > 0)
        buffer[0] = '\0';
    if (needed)
        *needed = 0;
}

// Copies the text with its NUL when it fits; otherwise reports the size needed.
int32_t CopyOut(std::string_view text, char* buffer, int32_t size, int32_t* needed, int32_t result)
{
    if (text.size() >= static_cast<std::size_t>(INT32_MAX))
        return kInvalidArgument;
    const auto need = static_cast<int32_t>(text.size() + 1);
    if (needed)
        *needed = need;
    if (size < need) {
        if (buffer && size > 0)
            buffer[0] = '\0';
        return kBufferTooSmall;
    }
    if (!text.empty())
        std::memcpy(buffer, text.data(), text.size());
    buffer[text.size()] = '\0';
    return result;
}

int32_t CountResult(std::size_t n, int32_t* count)
{
    *count = static_cast<int32_t>(n); // both kinds of count are bounded well below INT32_MAX by the file size
    return n > 0 ? kOk : kNothingThere;
}

} // namespace

std::shared_ptr<const IniFileTable::Handle> IniFileTable::Lookup(int32_t handle)
{
    std::lock_guard lock(m_mutex);
    const auto it = m_handles.find(handle);
    return it == m_handles.end() ? nullptr : it->second;
}

template <class Change>
int32_t IniFileTable::Modify(int32_t handle, Change&& change) noexcept
{
    try {
        const auto h = Lookup(handle);
        if (!h)
            return kBadHandle;
        OpenFile& file = *h->file;
        std::lock_guard lock(file.mutex);
        IniDocument next = file.document;
        const int32_t result = change(h->base, next);
        if (result == kUnchanged)
            return kOk;
        if (result != kOk)
            return result;
        const std::string text = next.Serialize();
        if (text.size() > kMaxFileSize)
            return kInvalidArgument;
        if (platform::posix::WriteFileAtomic(file.path, text) != 0)
            return kIoError;
        file.document = std::move(next);
        return kOk;
    } catch (const std::bad_alloc&) {
        return kOutOfMemory;
    } catch (...) {
        return kInvalidArgument;
    }
}

template <class Read>
int32_t IniFileTable::Query(int32_t handle, Read&& read) noexcept
{
    try {
        const auto h = Lookup(handle);
        if (!h)
            return kBadHandle;
        std::lock_guard lock(h->file->mutex);
        return read(h->base, std::as_const(h->file->document));
    } catch (const std::bad_alloc&) {
        return kOutOfMemory;
    } catch (...) {
        return kInvalidArgument;
    }
}

int32_t IniFileTable::OpenIniFile(const char* path, const char* section, const char* product, int32_t* handle) noexcept
{
    (void)product; // carried for the caller's bookkeeping only
    if (handle)
        *handle = 0;
    try {
        if (!path || !handle || !*path)
            return kInvalidArgument;
        const std::string_view pathText(path);
        if (pathText.back() == '/' || pathText.back() == '\\')
            return kInvalidArgument;
        NodePath base;
        if (section && *section) {
            auto parts = SplitNodePath(section);
            if (!parts)
                return kInvalidArgument;
            base = std::move(*parts);
        }
        const auto resolved = ResolveFilePath(pathText);
        if (!resolved)
            return kIoError;

        std::lock_guard lock(m_mutex);
        std::shared_ptr<OpenFile> file;
        if (const auto it = m_files.find(*resolved); it != m_files.end())
            file = it->second.lock();
        if (!file) {
            std::string bytes;
            switch (ReadWholeFile(*resolved, bytes)) {
            case ReadResult::Ok:
            case ReadResult::Missing: break;
            case ReadResult::TooLarge: return kBadFile;
            case ReadResult::Failed: return kIoError;
            }
            std::vector<ParseError> repairs;
            auto document = IniDocument::Parse(bytes, nullptr, &repairs);
            if (!document)
                return kBadFile;
            // Damage is read leniently; the file on disk changes only with the next write.
            for (const auto& repair : repairs)
                std::fprintf(stderr, "IniFileManager: %s: line %zu: %s; read leniently\n", resolved->c_str(),
                             repair.line, repair.message.c_str());
            file = std::make_shared<OpenFile>();
            file->path = *resolved;
            file->document = std::move(*document);
            std::erase_if(m_files, [](const auto& entry) { return entry.second.expired(); });
            m_files[*resolved] = file;
        }
        while (m_handles.count(m_next) != 0)
            m_next = m_next == INT32_MAX ? 1 : m_next + 1;
        const int32_t id = m_next;
        m_next = m_next == INT32_MAX ? 1 : m_next + 1;
        m_handles.emplace(id, std::make_shared<const Handle>(Handle{std::move(file), std::move(base)}));
        *handle = id;
        return kOk;
    } catch (const std::bad_alloc&) {
        return kOutOfMemory;
    } catch (...) {
        return kInvalidArgument;
    }
}

int32_t IniFileTable::WriteIniFile(int32_t handle) noexcept
{
    try {
        const auto h = Lookup(handle);
        if (!h)
            return kBadHandle;
        std::lock_guard lock(h->file->mutex);
        return platform::posix::WriteFileAtomic(h->file->path, h->file->document.Serialize()) == 0 ? kOk : kIoError;
    } catch (const std::bad_alloc&) {
        return kOutOfMemory;
    } catch (...) {
        return kInvalidArgument;
    }
}

int32_t IniFileTable::CloseIniFile(int32_t handle, int32_t writeFirst) noexcept
{
    if (writeFirst != 0) {
        const int32_t written = WriteIniFile(handle);
        if (written != kOk)
            return written;
    }
    try {
        std::shared_ptr<const Handle> closing; // released after the table's lock
        std::lock_guard lock(m_mutex);
        const auto it = m_handles.find(handle);
        if (it == m_handles.end())
            return kBadHandle;
        closing = std::move(it->second);
        m_handles.erase(it);
        return kOk;
    } catch (...) {
        return kInvalidArgument;
    }
}

bool IniFileTable::DoesNodeExist(int32_t handle, const char* path) noexcept
{
    return Query(handle, [path](const NodePath& base, const IniDocument& doc) -> int32_t {
               const auto node = NodeOf(base, path);
               return node && doc.NodeExists(*node) ? kOk : kNotFound;
           }) == kOk;
}

int32_t IniFileTable::GetIniValueInt(int32_t handle, const char* path, int32_t defaultValue, int32_t* value) noexcept
{
    if (!value)
        return kInvalidArgument;
    *value = defaultValue;
    return Query(handle, [&](const NodePath& base, const IniDocument& doc) -> int32_t {
        const auto leaf = LeafOf(base, path);
        if (!leaf)
            return kInvalidArgument;
        const std::string* stored = doc.FindValue(leaf->node, leaf->name);
        if (!stored)
            return kNothingThere;
        const auto number = ParseInt32(*stored);
        if (!number)
            return kNotANumber;
        *value = *number;
        return kOk;
    });
}

int32_t IniFileTable::SetIniValueInt(int32_t handle, const char* path, int32_t value) noexcept
{
    return Modify(handle, [&](const NodePath& base, IniDocument& doc) -> int32_t {
        const auto leaf = LeafOf(base, path);
        if (!leaf)
            return kInvalidArgument;
        return doc.SetValue(leaf->node, leaf->name, std::to_string(value)) ? kOk : kUnchanged;
    });
}

int32_t IniFileTable::GetIniValueStr(int32_t handle, const char* path, const char* defaultText, char* buffer,
                                     int32_t bufferSize, int32_t* neededSize) noexcept
{
    ClearOut(buffer, bufferSize, neededSize);
    if (!BufferArgumentsValid(buffer, bufferSize))
        return kInvalidArgument;
    return Query(handle, [&](const NodePath& base, const IniDocument& doc) -> int32_t {
        const auto leaf = LeafOf(base, path);
        if (!leaf)
            return kInvalidArgument;
        if (const std::string* stored = doc.FindValue(leaf->node, leaf->name))
            return CopyOut(*stored, buffer, bufferSize, neededSize, kOk);
        return CopyOut(defaultText ? defaultText : "", buffer, bufferSize, neededSize, kNothingThere);
    });
}

int32_t IniFileTable::SetIniValueStr(int32_t handle, const char* path, const char* text) noexcept
{
    if (!IsStorableText(text))
        return kInvalidArgument;
    return Modify(handle, [&](const NodePath& base, IniDocument& doc) -> int32_t {
        const auto leaf = LeafOf(base, path);
        if (!leaf)
            return kInvalidArgument;
        return doc.SetValue(leaf->node, leaf->name, text) ? kOk : kUnchanged;
    });
}

int32_t IniFileTable::GetKeyCount(int32_t handle, const char* path, int32_t* count) noexcept
{
    if (!count)
        return kInvalidArgument;
    *count = 0;
    return Query(handle, [&](const NodePath& base, const IniDocument& doc) -> int32_t {
        const auto node = NodeOf(base, path);
        if (!node)
            return kInvalidArgument;
        return CountResult(doc.KeyCount(*node), count);
    });
}

int32_t IniFileTable::GetKeyNameAt(int32_t handle, const char* path, int32_t index, char* buffer, int32_t bufferSize,
                                   int32_t* neededSize) noexcept
{
    ClearOut(buffer, bufferSize, neededSize);
    if (!BufferArgumentsValid(buffer, bufferSize) || index < 0)
        return kInvalidArgument;
    return Query(handle, [&](const NodePath& base, const IniDocument& doc) -> int32_t {
        const auto node = NodeOf(base, path);
        if (!node)
            return kInvalidArgument;
        const std::string* name = doc.KeyNameAt(*node, static_cast<std::size_t>(index));
        return name ? CopyOut(*name, buffer, bufferSize, neededSize, kOk) : kNotFound;
    });
}

int32_t IniFileTable::GetArrayCount(int32_t handle, const char* path, int32_t* count) noexcept
{
    if (!count)
        return kInvalidArgument;
    *count = 0;
    return Query(handle, [&](const NodePath& base, const IniDocument& doc) -> int32_t {
        const auto leaf = LeafOf(base, path);
        if (!leaf)
            return kInvalidArgument;
        return CountResult(doc.ArrayCount(leaf->node, leaf->name), count);
    });
}

int32_t IniFileTable::SetArrayCount(int32_t handle, const char* path, int32_t count) noexcept
{
    if (count < 0 || static_cast<std::size_t>(count) > kMaxArrayCount)
        return kInvalidArgument;
    return Modify(handle, [&](const NodePath& base, IniDocument& doc) -> int32_t {
        const auto leaf = LeafOf(base, path);
        if (!leaf)
            return kInvalidArgument;
        return doc.SetArrayCount(leaf->node, leaf->name, static_cast<std::size_t>(count)) ? kOk : kUnchanged;
    });
}

int32_t IniFileTable::GetArrayItemAt(int32_t handle, const char* path, int32_t index, char* buffer, int32_t bufferSize,
                                     int32_t* neededSize) noexcept
{
    ClearOut(buffer, bufferSize, neededSize);
    if (!BufferArgumentsValid(buffer, bufferSize) || index < 0)
        return kInvalidArgument;
    return Query(handle, [&](const NodePath& base, const IniDocument& doc) -> int32_t {
        const auto leaf = LeafOf(base, path);
        if (!leaf)
            return kInvalidArgument;
        const std::string* item = doc.ArrayItemAt(leaf->node, leaf->name, static_cast<std::size_t>(index));
        return item ? CopyOut(*item, buffer, bufferSize, neededSize, kOk) : kNotFound;
    });
}

int32_t IniFileTable::SetArrayItemAt(int32_t handle, const char* path, int32_t index, const char* text) noexcept
{
    if (index < 0 || !IsStorableText(text))
        return kInvalidArgument;
    return Modify(handle, [&](const NodePath& base, IniDocument& doc) -> int32_t {
        const auto leaf = LeafOf(base, path);
        if (!leaf)
            return kInvalidArgument;
        if (static_cast<std::size_t>(index) >= doc.ArrayCount(leaf->node, leaf->name))
            return kNotFound;
        return doc.SetArrayItemAt(leaf->node, leaf->name, static_cast<std::size_t>(index), text) ? kOk : kUnchanged;
    });
}

int32_t IniFileTable::RemoveArrayItemAt(int32_t handle, const char* path, int32_t index) noexcept
{
    if (index < 0)
        return kInvalidArgument;
    return Modify(handle, [&](const NodePath& base, IniDocument& doc) -> int32_t {
        const auto leaf = LeafOf(base, path);
        if (!leaf)
            return kInvalidArgument;
        return doc.RemoveArrayItemAt(leaf->node, leaf->name, static_cast<std::size_t>(index)) ? kOk : kNotFound;
    });
}

} // namespace KX::Ini
