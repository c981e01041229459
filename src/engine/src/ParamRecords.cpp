#include "engine/ParamRecords.h"

#include <cstring>
#include <iterator>

namespace {

constexpr ParamKindInfo kLayout[] = {
    {ParamKind::PresetName, 0, 1, 6},     {ParamKind::KeybedZone, 1, 4, 9},   {ParamKind::Wheel, 5, 2, 5},
    {ParamKind::VolumePedal, 7, 1, 6},    {ParamKind::SustainPedal, 8, 1, 6}, {ParamKind::Pad, 9, 16, 14},
    {ParamKind::PushButton, 25, 20, 17},  {ParamKind::Fader, 45, 20, 6},      {ParamKind::Encoder, 65, 16, 6},
    {ParamKind::TouchPadAxis, 81, 2, 15},
};

constexpr uint32_t LayoutBytes()
{
    uint32_t total = 0;
    for (const ParamKindInfo& row : kLayout)
        total += static_cast<uint32_t>(row.count) * row.recordLength;
    return total;
}

constexpr int32_t LayoutCount()
{
    int32_t total = 0;
    for (const ParamKindInfo& row : kLayout)
        total += row.count;
    return total;
}

static_assert(LayoutBytes() == kPresetRecordBytes);
static_assert(LayoutCount() == static_cast<int32_t>(kParamCount));

uint8_t Byte(int32_t value)
{
    return static_cast<uint8_t>(value);
}

} // namespace

const ParamKindInfo* FindParamKind(int32_t relativeId)
{
    for (const ParamKindInfo& row : kLayout) {
        if (relativeId >= row.firstRelativeId && relativeId < row.firstRelativeId + row.count)
            return &row;
    }
    return nullptr;
}

const ParamKindInfo& GetParamKindInfo(ParamKind kind)
{
    static constexpr ParamKindInfo none = {ParamKind::None, 0, 0, 0};
    for (const ParamKindInfo& row : kLayout) {
        if (row.kind == kind)
            return row;
    }
    return none;
}

uint32_t GetParamRecordLength(int32_t relativeId)
{
    const ParamKindInfo* row = FindParamKind(relativeId);
    return row ? row->recordLength : 0;
}

uint32_t GetParamRecordOffset(int32_t relativeId)
{
    uint32_t offset = 0;
    for (const ParamKindInfo& row : kLayout) {
        if (relativeId < row.firstRelativeId + row.count) {
            if (relativeId < row.firstRelativeId)
                return 0;
            return offset + static_cast<uint32_t>(relativeId - row.firstRelativeId) * row.recordLength;
        }
        offset += static_cast<uint32_t>(row.count) * row.recordLength;
    }
    return 0;
}

bool IsValidParamRecord(int32_t relativeId, const KX::Variant& value)
{
    const uint32_t length = GetParamRecordLength(relativeId);
    if (length == 0 || value.GetType() != KX::Variant::TypeBlob)
        return false;
    uint32_t size = 0;
    const uint8_t* bytes = value.GetData(size);
    if (size != length || bytes == nullptr)
        return false;
    // Every record byte goes to the keyboard as a System Exclusive data byte.
    for (uint32_t i = 0; i < size; ++i) {
        if (bytes[i] >= 0x80)
            return false;
    }
    return true;
}

KX::KXRESULT CheckParamRecord(int32_t relativeId, const KX::Variant& value)
{
    return IsValidParamRecord(relativeId, value) ? KX::S_OK : KX::E_INVALIDARG;
}

uint32_t FillDefaultParamRecord(ParamKind kind, int32_t index, uint8_t* out)
{
    switch (kind) {
    case ParamKind::PresetName: {
        static constexpr uint8_t record[] = {'P', 'R', 'E', 'S', 'E', 'T'};
        std::memcpy(out, record, sizeof record);
        return sizeof record;
    }
    case ParamKind::KeybedZone: {
        const uint8_t record[] = {0, Byte(index), 0, 0, 0, 0, 24, 5, 12};
        std::memcpy(out, record, sizeof record);
        return sizeof record;
    }
    case ParamKind::Wheel: {
        static constexpr uint8_t pitchBend[] = {0, 1, 16, 0, 127};
        static constexpr uint8_t modulation[] = {0, 0, 0, 0, 127};
        std::memcpy(out, index == 0 ? pitchBend : modulation, sizeof pitchBend);
        return sizeof pitchBend;
    }
    case ParamKind::VolumePedal: {
        static constexpr uint8_t record[] = {0, 0, 7, 0, 0, 127};
        std::memcpy(out, record, sizeof record);
        return sizeof record;
    }
    case ParamKind::SustainPedal: {
        static constexpr uint8_t record[] = {0, 0, 64, 0, 0, 127};
        std::memcpy(out, record, sizeof record);
        return sizeof record;
    }
    case ParamKind::Pad: {
        const uint8_t record[] = {0, 4, 3, 7, 5, 1, 19, Byte(36 + index), 0, 0, 0, 0, 0, 0};
        std::memcpy(out, record, sizeof record);
        return sizeof record;
    }
    case ParamKind::PushButton: {
        const uint8_t record[] = {0, 4, 3, 7, 5, 1, 19, Byte(index), 0, 0, 0, 0, 0, 127, 0, 0, 0};
        std::memcpy(out, record, sizeof record);
        return sizeof record;
    }
    case ParamKind::Fader: {
        const uint8_t record[] = {0, 0, Byte(index), 0, 0, 127};
        std::memcpy(out, record, sizeof record);
        return sizeof record;
    }
    case ParamKind::Encoder: {
        const uint8_t record[] = {0, 0, Byte(40 + index), 0, 0, 127};
        std::memcpy(out, record, sizeof record);
        return sizeof record;
    }
    case ParamKind::TouchPadAxis: {
        // X: the major scale from middle C; Y: the natural minor scale from A.
        static constexpr uint8_t x[] = {0, 0, 112, 0, 0, 127, 8, 60, 72, 62, 64, 65, 67, 69, 71};
        static constexpr uint8_t y[] = {0, 0, 113, 0, 0, 127, 8, 69, 81, 71, 72, 74, 76, 77, 79};
        std::memcpy(out, index == 0 ? x : y, sizeof x);
        return sizeof x;
    }
    case ParamKind::None: break;
    }
    return 0;
}

KX::Variant MakeDefaultParamRecord(int32_t relativeId)
{
    KX::Variant record;
    const ParamKindInfo* row = FindParamKind(relativeId);
    if (!row)
        return record;
    uint8_t bytes[32] = {};
    const uint32_t n = FillDefaultParamRecord(row->kind, relativeId - row->firstRelativeId, bytes);
    record.SetBytes(bytes, n);
    return record;
}
