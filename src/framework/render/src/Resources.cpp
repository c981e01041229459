#include "kx/Resources.h"

#include <algorithm>
#include <mutex>
#include <string>

namespace KX {

namespace {

// Upper case (ASCII) with "\" as "/": the form in which types and names are compared.
std::u16string Normalize(const char16_t* text)
{
    std::u16string out;
    for (const char16_t* p = text; p && *p; ++p) {
        char16_t c = *p;
        if (c >= u'a' && c <= u'z')
            c = static_cast<char16_t>(c - u'a' + u'A');
        else if (c == u'\\')
            c = u'/';
        out.push_back(c);
    }
    return out;
}

struct Entry {
    std::u16string type;
    std::u16string name;
    const uint8_t* data;
    size_t size;
    uint64_t id; // 0 for generated tables; a ScopedResource's own id otherwise
};

struct Registry {
    std::mutex lock;
    std::vector<Entry> entries;
    uint64_t lastId = 0;
};

Registry& GetRegistry()
{
    // Never destroyed: generated tables register before main and lookups may come from
    // destructors of other statics.
    static Registry* registry = new Registry;
    return *registry;
}

} // namespace

bool IsResourcePath(const WString& path) noexcept
{
    const char16_t* text = path.GetString();
    return text[0] == u':' && text[1] == u':';
}

WString ResourceNameFromPath(const WString& path)
{
    WString name = IsResourcePath(path) ? path.Mid(2) : path;
    name = name.ToUpper();
    name.ReplaceAny(u". ", u'_');
    return name;
}

bool FindEmbeddedResource(const WString& type, const WString& name, std::span<const uint8_t>& out)
{
    out = {};
    const std::u16string wantedType = Normalize(type.GetString());
    const std::u16string wantedName = Normalize(name.GetString());
    Registry& registry = GetRegistry();
    std::lock_guard<std::mutex> guard(registry.lock);
    for (auto it = registry.entries.rbegin(); it != registry.entries.rend(); ++it) {
        if (it->name == wantedName && it->type == wantedType) {
            out = std::span<const uint8_t>(it->data, it->size);
            return true;
        }
    }
    return false;
}

void RegisterResourceTable(const EmbeddedResource* entries, size_t count)
{
    Registry& registry = GetRegistry();
    std::lock_guard<std::mutex> guard(registry.lock);
    for (size_t i = 0; i < count; ++i) {
        const EmbeddedResource& e = entries[i];
        if (!e.type || !e.name || (!e.data && e.size != 0))
            continue;
        registry.entries.push_back(
            Entry{Normalize(WString(e.type).GetString()), Normalize(WString(e.name).GetString()), e.data, e.size, 0});
    }
}

ScopedResource::ScopedResource(const WString& type, const WString& name, std::span<const uint8_t> bytes)
    : m_bytes(std::make_unique<std::vector<uint8_t>>(bytes.begin(), bytes.end()))
{
    Registry& registry = GetRegistry();
    std::lock_guard<std::mutex> guard(registry.lock);
    m_id = ++registry.lastId;
    registry.entries.push_back(
        Entry{Normalize(type.GetString()), Normalize(name.GetString()), m_bytes->data(), m_bytes->size(), m_id});
}

ScopedResource::~ScopedResource()
{
    Registry& registry = GetRegistry();
    std::lock_guard<std::mutex> guard(registry.lock);
    std::erase_if(registry.entries, [this](const Entry& e) { return e.id == m_id; });
}

} // namespace KX
