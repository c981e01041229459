#pragma once
// Font files for the font registry and FreeType tests: the machine's DejaVu fonts, collections
// built from them, and tiny hand-made files that hold nothing but a naming table.
#include "kx/RenderHost.h"
#include "kx/Renderer.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace fonttest {

using Bytes = std::vector<uint8_t>;

inline const std::filesystem::path kDejaVuFolder = "/usr/share/fonts/truetype/dejavu";

inline std::filesystem::path DejaVu(const char* file)
{
    return kDejaVuFolder / file;
}

inline Bytes ReadBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::filesystem::path& path, const Bytes& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline void Put16(Bytes& b, uint16_t v)
{
    b.push_back(static_cast<uint8_t>(v >> 8));
    b.push_back(static_cast<uint8_t>(v));
}

inline void Put32(Bytes& b, uint32_t v)
{
    Put16(b, static_cast<uint16_t>(v >> 16));
    Put16(b, static_cast<uint16_t>(v));
}

inline uint16_t Get16(const Bytes& b, size_t at)
{
    return static_cast<uint16_t>((b[at] << 8) | b[at + 1]);
}

inline uint32_t Get32(const Bytes& b, size_t at)
{
    return (uint32_t(Get16(b, at)) << 16) | Get16(b, at + 2);
}

inline void Set32(Bytes& b, size_t at, uint32_t v)
{
    b[at] = static_cast<uint8_t>(v >> 24);
    b[at + 1] = static_cast<uint8_t>(v >> 16);
    b[at + 2] = static_cast<uint8_t>(v >> 8);
    b[at + 3] = static_cast<uint8_t>(v);
}

// A collection of the given single-font files: the header, then each font 4-byte aligned with
// its table offsets moved to where the font now lies (table offsets count from the file start).
inline Bytes MakeCollection(const std::vector<Bytes>& fonts, uint32_t version = 0x00010000)
{
    Bytes out;
    Put32(out, 0x74746366);
    Put32(out, version);
    Put32(out, static_cast<uint32_t>(fonts.size()));
    const size_t offsetsAt = out.size();
    for (size_t i = 0; i < fonts.size(); ++i)
        Put32(out, 0);
    if (version == 0x00020000) {
        Put32(out, 0);
        Put32(out, 0);
        Put32(out, 0);
    }
    for (size_t i = 0; i < fonts.size(); ++i) {
        while (out.size() % 4)
            out.push_back(0);
        const uint32_t base = static_cast<uint32_t>(out.size());
        Set32(out, offsetsAt + 4 * i, base);
        Bytes font = fonts[i];
        const uint16_t tables = Get16(font, 4);
        for (uint16_t t = 0; t < tables; ++t) {
            const size_t record = 12 + 16u * t;
            Set32(font, record + 8, Get32(font, record + 8) + base);
        }
        out.insert(out.end(), font.begin(), font.end());
    }
    return out;
}

struct NameRecord {
    uint16_t platform;
    uint16_t language;
    uint16_t nameId;
    std::u16string text;
};

// A font file whose only table is a naming table with these records. Windows (3) records are
// stored as big-endian UTF-16, others as the low bytes of the text's units.
inline Bytes MakeNameFont(const std::vector<NameRecord>& records, const char* tag = "name")
{
    Bytes strings;
    Bytes recordBytes;
    for (const NameRecord& r : records) {
        const size_t start = strings.size();
        for (char16_t c : r.text) {
            if (r.platform == 3)
                Put16(strings, static_cast<uint16_t>(c));
            else
                strings.push_back(static_cast<uint8_t>(c));
        }
        Put16(recordBytes, r.platform);
        Put16(recordBytes, r.platform == 3 ? 1 : 0);
        Put16(recordBytes, r.language);
        Put16(recordBytes, r.nameId);
        Put16(recordBytes, static_cast<uint16_t>(strings.size() - start));
        Put16(recordBytes, static_cast<uint16_t>(start));
    }
    Bytes table;
    Put16(table, 0);
    Put16(table, static_cast<uint16_t>(records.size()));
    Put16(table, static_cast<uint16_t>(6 + recordBytes.size()));
    table.insert(table.end(), recordBytes.begin(), recordBytes.end());
    table.insert(table.end(), strings.begin(), strings.end());

    Bytes out;
    Put32(out, 0x00010000);
    Put16(out, 1); // one table
    Put16(out, 16);
    Put16(out, 0);
    Put16(out, 0);
    out.insert(out.end(), tag, tag + 4);
    Put32(out, 0);
    Put32(out, 12 + 16);
    Put32(out, static_cast<uint32_t>(table.size()));
    out.insert(out.end(), table.begin(), table.end());
    return out;
}

// Windows English family and subfamily records.
inline Bytes MakeFamilyFont(const std::u16string& family, const std::u16string& style)
{
    return MakeNameFont({{3, 0x0409, 1, family}, {3, 0x0409, 2, style}});
}

// A user-interface host for the rendering layer: a default font and an optional measurement
// renderer. Registered while it lives.
class FakeRenderHost : public KX::IRenderHost {
public:
    FakeRenderHost() { KX::SetRenderHost(this); }
    ~FakeRenderHost() override { KX::SetRenderHost(nullptr); }
    FakeRenderHost(const FakeRenderHost&) = delete;
    FakeRenderHost& operator=(const FakeRenderHost&) = delete;

    KX::ConstRCPtr<KX::LMeasurementRenderer> GetMeasurementRenderer() override { return measurement; }
    KX::KXRESULT GetDefaultFont(KX::WString& faceName, float& size, int32_t& style) override
    {
        if (defaultFace.IsEmpty())
            return KX::E_FAIL;
        faceName = defaultFace;
        size = 9.0f;
        style = 0;
        return KX::S_OK;
    }
    uint32_t GetTickTime() override { return 0; }

    KX::WString defaultFace;
    KX::ConstRCPtr<KX::LMeasurementRenderer> measurement;
};

} // namespace fonttest
