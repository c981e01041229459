#pragma once
// Reads family and subfamily names from the naming table of a TrueType font file or
// TrueType collection. The file is untrusted input: every offset and count is checked
// against the file's size before anything is read.
#include "kx/StringT.h"

#include <cstddef>
#include <cstdint>
#include <functional>

namespace KX {

// Random access to the bytes of a font file.
class IFontByteSource {
public:
    virtual uint64_t GetSize() const = 0;
    // true when all count bytes at offset were read into out.
    virtual bool ReadAt(uint64_t offset, void* out, uint32_t count) = 0;

protected:
    ~IFontByteSource() = default;
};

// A font file already in memory.
class MemoryFontByteSource final : public IFontByteSource {
public:
    MemoryFontByteSource(const void* data, size_t size) : m_data(static_cast<const uint8_t*>(data)), m_size(size) {}
    uint64_t GetSize() const override { return m_size; }
    bool ReadAt(uint64_t offset, void* out, uint32_t count) override;

private:
    const uint8_t* m_data;
    size_t m_size;
};

namespace TrueType {
inline constexpr uint32_t kCollectionTag = 0x74746366; // "ttcf"
inline constexpr uint32_t kCollectionVersion2 = 0x00020000;
// More fonts than this in one collection are not looked at.
inline constexpr uint32_t kMaxCollectionFonts = 4096;
inline constexpr uint16_t kPlatformMacintosh = 1;
inline constexpr uint16_t kPlatformWindows = 3;
inline constexpr uint16_t kLanguageMacEnglish = 0;
inline constexpr uint16_t kLanguageWindowsEnglishUS = 0x0409;
inline constexpr uint16_t kNameFamily = 1;
inline constexpr uint16_t kNameSubfamily = 2;
} // namespace TrueType

// Called once per family/subfamily pair found: the family as written, the subfamily in
// lower case, and the index of the font within the file (0 for a plain font file).
using FontNameSink = std::function<void(const WString& family, const WString& style, int32_t faceIndex)>;

// Walks every font of the file (one, or each of a collection's) and reports the English
// (Macintosh language 0, Windows language 0x0409) family/subfamily pairs of its naming table.
// Returns the number of pairs reported. Damaged or truncated data ends the walk of the
// affected font; nothing outside the file is read.
int32_t ReadFontNames(IFontByteSource& source, const FontNameSink& sink);

} // namespace KX
