// Any bytes as a font file: the naming-table reader must stay inside the bytes (ASan), report
// only non-empty names with a lower-case subfamily and a face index the file can hold, and the
// registry must take whatever it reports.
#include "kx/FontFileInfo.h"
#include "kx/TrueTypeNames.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

using namespace KX;

namespace {

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // An exact-size copy, so that any read past the end is caught.
    std::vector<uint8_t> bytes(data, data + size);
    MemoryFontByteSource source(bytes.data(), bytes.size());
    int32_t seen = 0;
    const int32_t reported = ReadFontNames(source, [&](const WString& family, const WString& style, int32_t faceIndex) {
        Check(!family.IsEmpty() && !style.IsEmpty());
        Check(style == style.ToLower());
        Check(faceIndex >= 0 && static_cast<uint64_t>(faceIndex) * 4 + 12 < size + 4);
        LFontFileInfo::RegisterFace(family, style, u"/fuzz.ttc", faceIndex);
        ++seen;
    });
    Check(reported == seen);

    const auto& registry = LFontFileInfo::GetRegistry();
    for (uint32_t i = 0; i < registry.GetCount(); ++i) {
        for (int32_t style = 0; style < LFontFileInfo::kStyleCount; ++style) {
            const int32_t id = LFontFileInfo::ResolveFileID(registry.ElementAt(i)->GetFamily(), style);
            Check(id >> 2 == static_cast<int32_t>(i));
            Check(LFontFileInfo::GetPathForFileID(id).Equals(u"/fuzz.ttc"));
        }
    }
    LFontFileInfo::ClearRegistry();
    return 0;
}
