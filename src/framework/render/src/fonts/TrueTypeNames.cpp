#include "kx/TrueTypeNames.h"

#include <cstring>
#include <vector>

namespace KX {

bool MemoryFontByteSource::ReadAt(uint64_t offset, void* out, uint32_t count)
{
    if (offset > m_size || count > m_size - offset)
        return false;
    if (count > 0)
        std::memcpy(out, m_data + offset, count);
    return true;
}

namespace {

uint16_t Be16(const uint8_t* p)
{
    return static_cast<uint16_t>((p[0] << 8) | p[1]);
}

uint32_t Be32(const uint8_t* p)
{
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]);
}

// How many records of recordSize bytes, at most wanted, lie whole in the file from offset on.
uint32_t RecordsThatFit(uint64_t fileSize, uint64_t offset, uint32_t recordSize, uint32_t wanted)
{
    if (offset >= fileSize)
        return 0;
    const uint64_t fit = (fileSize - offset) / recordSize;
    return fit < wanted ? static_cast<uint32_t>(fit) : wanted;
}

// Reads count records of recordSize bytes at offset into bytes; false when they do not fit.
bool ReadRecords(IFontByteSource& source, uint64_t offset, uint32_t recordSize, uint32_t count,
                 std::vector<uint8_t>& bytes)
{
    bytes.resize(static_cast<size_t>(count) * recordSize);
    return count == 0 || source.ReadAt(offset, bytes.data(), static_cast<uint32_t>(bytes.size()));
}

bool IsNameTag(const uint8_t* tag)
{
    static const char kName[4] = {'n', 'a', 'm', 'e'};
    for (int i = 0; i < 4; ++i) {
        if (static_cast<char>(FoldLower(static_cast<char>(tag[i]))) != kName[i])
            return false;
    }
    return true;
}

// The text of one name record: UTF-8 for the Macintosh platform, big-endian UTF-16 for Windows.
WString DecodeName(uint16_t platform, const uint8_t* bytes, uint16_t length)
{
    WString text;
    if (platform == TrueType::kPlatformMacintosh) {
        text.AssignFromUTF8(reinterpret_cast<const char*>(bytes), length);
    } else {
        const unsigned units = length / 2u;
        std::vector<char16_t> wide(units + 1u, 0);
        for (unsigned i = 0; i < units; ++i)
            wide[i] = static_cast<char16_t>(Be16(bytes + 2 * i));
        text.Assign(wide.data(), units);
    }
    return text;
}

// The English family/subfamily pairs of the naming table at tableOffset.
int32_t ReadNamingTable(IFontByteSource& source, uint64_t tableOffset, int32_t faceIndex, const FontNameSink& sink)
{
    const uint64_t fileSize = source.GetSize();
    uint8_t header[6];
    if (!source.ReadAt(tableOffset, header, sizeof header))
        return 0;
    const uint16_t count = Be16(header + 2);
    const uint64_t storage = tableOffset + Be16(header + 4);

    std::vector<uint8_t> records;
    const uint32_t n = RecordsThatFit(fileSize, tableOffset + 6, 12, count);
    if (!ReadRecords(source, tableOffset + 6, 12, n, records))
        return 0;

    int32_t reported = 0;
    WString family;
    WString style;
    bool familyTaken = false;
    bool styleTaken = false;
    std::vector<uint8_t> bytes;
    for (uint32_t i = 0; i < n; ++i) {
        const uint8_t* r = records.data() + static_cast<size_t>(i) * 12;
        const uint16_t platform = Be16(r);
        const uint16_t language = Be16(r + 4);
        const uint16_t nameId = Be16(r + 6);
        const uint16_t length = Be16(r + 8);
        const uint16_t offset = Be16(r + 10);
        const bool english =
            (platform == TrueType::kPlatformMacintosh && language == TrueType::kLanguageMacEnglish) ||
            (platform == TrueType::kPlatformWindows && language == TrueType::kLanguageWindowsEnglishUS);
        if (!english || (nameId != TrueType::kNameFamily && nameId != TrueType::kNameSubfamily) || length == 0)
            continue;
        const uint64_t at = storage + offset;
        if (at > fileSize || length > fileSize - at)
            continue;
        bytes.resize(length);
        if (!source.ReadAt(at, bytes.data(), length))
            continue;
        WString text = DecodeName(platform, bytes.data(), length);
        if (text.IsEmpty())
            continue;
        if (nameId == TrueType::kNameFamily) {
            if (!familyTaken) {
                family = text;
                familyTaken = true;
            }
        } else if (!styleTaken) {
            style = text.ToLower();
            styleTaken = true;
        }
        if (familyTaken && styleTaken) {
            sink(family, style, faceIndex);
            ++reported;
            familyTaken = false;
            styleTaken = false;
        }
    }
    return reported;
}

// The naming table of the font whose offset table starts at fontOffset.
int32_t ReadFont(IFontByteSource& source, uint64_t fontOffset, int32_t faceIndex, const FontNameSink& sink)
{
    uint8_t offsetTable[12];
    if (!source.ReadAt(fontOffset, offsetTable, sizeof offsetTable))
        return 0;
    const uint16_t tableCount = Be16(offsetTable + 4);
    std::vector<uint8_t> records;
    const uint32_t n = RecordsThatFit(source.GetSize(), fontOffset + 12, 16, tableCount);
    if (!ReadRecords(source, fontOffset + 12, 16, n, records))
        return 0;
    for (uint32_t i = 0; i < n; ++i) {
        const uint8_t* r = records.data() + static_cast<size_t>(i) * 16;
        if (r[0] == 0)
            break;
        if (IsNameTag(r))
            return ReadNamingTable(source, Be32(r + 8), faceIndex, sink);
    }
    return 0;
}

} // namespace

int32_t ReadFontNames(IFontByteSource& source, const FontNameSink& sink)
{
    uint8_t header[12];
    if (!source.ReadAt(0, header, sizeof header))
        return 0;
    if (Be32(header) != TrueType::kCollectionTag)
        return ReadFont(source, 0, 0, sink);

    // A collection: one offset per font after the header. The version-2 signature fields that
    // follow them are not needed.
    uint32_t fontCount = Be32(header + 8);
    if (fontCount > TrueType::kMaxCollectionFonts)
        fontCount = TrueType::kMaxCollectionFonts;
    std::vector<uint8_t> offsets;
    const uint32_t n = RecordsThatFit(source.GetSize(), 12, 4, fontCount);
    if (!ReadRecords(source, 12, 4, n, offsets))
        return 0;
    int32_t reported = 0;
    for (uint32_t i = 0; i < n; ++i)
        reported += ReadFont(source, Be32(offsets.data() + static_cast<size_t>(i) * 4), static_cast<int32_t>(i), sink);
    return reported;
}

} // namespace KX
