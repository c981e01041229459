#pragma once
// Files compiled into the program: skin images (type "GDIPLUS") and skin and string-table
// documents (type "KXXML"), found by type and name. The build step kx_embed_resources
// (cmake/KxEmbedResources.cmake) generates the tables; ScopedResource adds one at run time.
//
// A path that begins with "::" names a resource: the rest of the path in upper case, with every
// "." and every blank replaced by "_" ("::App Skins.xml" names APP_SKINS_XML). Types and names
// are matched without regard to ASCII letter case, and "\" matches "/".
#include "kx/StringT.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace KX {

inline constexpr const char16_t* kResourceTypeImage = u"GDIPLUS";
inline constexpr const char16_t* kResourceTypeDocument = u"KXXML";

// One entry of a generated table; type and name are UTF-8.
struct EmbeddedResource {
    const char* type;
    const char* name;
    const uint8_t* data;
    size_t size;
};

// True when the path begins with "::".
bool IsResourcePath(const WString& path) noexcept;

// The resource name a "::" path stands for (a path without the marker is taken whole).
WString ResourceNameFromPath(const WString& path);

// The bytes of the resource, valid for the life of the program (generated tables) or of the
// ScopedResource that added it. False, and out empty, when there is none.
bool FindEmbeddedResource(const WString& type, const WString& name, std::span<const uint8_t>& out);

// Adds a generated table (called by the generated code before main). The entries must live for
// the life of the program. Of several resources with the same type and name, the one added last
// is found.
void RegisterResourceTable(const EmbeddedResource* entries, size_t count);

// A resource that exists while this object lives; it keeps its own copy of the bytes.
class ScopedResource {
public:
    ScopedResource(const WString& type, const WString& name, std::span<const uint8_t> bytes);
    ~ScopedResource();
    ScopedResource(const ScopedResource&) = delete;
    ScopedResource& operator=(const ScopedResource&) = delete;

private:
    std::unique_ptr<std::vector<uint8_t>> m_bytes;
    uint64_t m_id;
};

} // namespace KX
