#include "engine/SysExProtocol.h"

#include "engine/ParamRecords.h"

#include <cstring>

namespace KX::SysEx {

static_assert(kPresetDataOffset + kPresetDataLength + 1 == kPresetMessageLength);
static_assert(kPresetDataLength == kPresetRecordBytes);
static_assert(kPresetParamCount == static_cast<int32_t>(kParamCount));

const char16_t* const kGlobalParamNames[kGlobalParamCount] = {
    u"Global_Channel",     u"XYPAD_VELOCITY", u"XYPAD_FRACTION",  u"XYPAD_REBOUND",
    u"MACKIE_HUI_ENABLED", u"KEY_OCTAVE",     u"KEY_TRANSPOSE",   u"KEY_SENSITIVITY",
    u"PAD_OCTAVE",         u"PAD_TRANSPOSE",  u"PAD_SENSITIVITY", u"CURVE_ACCELLERATION",
    u"XY_SENSITIVITY",     u"GLOBAL_PROGRAM", u"GLOBAL_BANK_MSB", u"GLOBAL_BANK_LSB",
};

namespace {

// Accepted values per code: [low, high); an empty range refuses every value.
struct ValueRange {
    int32_t low;
    int32_t high;
};

// The dialog hands non-negative values; the keyboard's bounds are the upper ones.
constexpr ValueRange kAccepted[kGlobalParamCount] = {
    {0, 17}, {0, 0},  {0, 0},  {0, 0}, {0, 2},  {1, 11},  {0, 25},  {0, 7},
    {0, 11}, {0, 26}, {0, 10}, {0, 4}, {0, 10}, {0, 128}, {0, 128}, {0, 128},
};

constexpr uint8_t kLeadInBody[4] = {kLeadIn, 0x00, 0x01, 0x01};
constexpr uint8_t kGlobalSetBody[4] = {kGlobalSet, 0x00, 0x04, 0x00};
constexpr uint8_t kGlobalRequestBody[4] = {kGlobalRequest, 0x00, 0x02, 0x00};
constexpr uint8_t kPresetMessageBody[3] = {kPresetMessage, 0x0A, 0x3B};
constexpr uint8_t kIdentityRequest[kIdentityRequestLength] = {0xF0, 0x7E, 0x7F, 0x06, 0x01, 0xF7};

void Append(Bytes& out, const uint8_t* data, size_t n)
{
    out.insert(out.end(), data, data + n);
}

void StartKeyboardMessage(Bytes& out, size_t reserve)
{
    out.clear();
    out.reserve(reserve);
    Append(out, kKeyboardHeader, kHeaderLength);
}

bool SlotByte(int32_t slot, uint8_t& byte)
{
    byte = static_cast<uint8_t>(slot & 0xFF);
    return byte < 0x80;
}

bool HasKeyboardHeader(const uint8_t* data, size_t size)
{
    return data != nullptr && size >= kHeaderLength && std::memcmp(data, kKeyboardHeader, kHeaderLength) == 0;
}

bool HasDataBytesOnly(const uint8_t* data, size_t n)
{
    for (size_t i = 0; i < n; ++i) {
        if (data[i] >= 0x80)
            return false;
    }
    return true;
}

} // namespace

int32_t FindGlobalParam(const char16_t* name)
{
    if (name == nullptr)
        return -1;
    for (int32_t code = 0; code < kGlobalParamCount; ++code) {
        if (TextCompare(name, kGlobalParamNames[code]) == 0)
            return code;
    }
    return -1;
}

int32_t FindGlobalParam(const WString& name)
{
    return FindGlobalParam(name.GetString());
}

const char16_t* GetGlobalParamName(int32_t code)
{
    if (code < 0 || code >= kGlobalParamCount)
        return nullptr;
    return kGlobalParamNames[code];
}

bool IsGlobalValueAccepted(int32_t code, int32_t value)
{
    if (code < 0 || code >= kGlobalParamCount)
        return false;
    return value >= kAccepted[code].low && value < kAccepted[code].high;
}

void BuildLeadIn(Bytes& out)
{
    StartKeyboardMessage(out, kLeadInLength);
    Append(out, kLeadInBody, sizeof(kLeadInBody));
    out.push_back(kEnd);
}

void BuildIdentityRequest(Bytes& out)
{
    out.assign(kIdentityRequest, kIdentityRequest + kIdentityRequestLength);
}

bool BuildPresetRequest(int32_t slot, Bytes& out)
{
    out.clear();
    uint8_t n = 0;
    if (!SlotByte(slot, n))
        return false;
    StartKeyboardMessage(out, kPresetRequestLength);
    out.push_back(kPresetRequest);
    out.push_back(n);
    out.push_back(kEnd);
    return true;
}

bool BuildPresetMessage(int32_t slot, const uint8_t* records, size_t count, Bytes& out)
{
    out.clear();
    uint8_t n = 0;
    if (!SlotByte(slot, n) || records == nullptr || count != kPresetDataLength || !HasDataBytesOnly(records, count))
        return false;
    StartKeyboardMessage(out, kPresetMessageLength);
    Append(out, kPresetMessageBody, sizeof(kPresetMessageBody));
    out.push_back(n);
    Append(out, records, count);
    out.push_back(kEnd);
    return true;
}

bool BuildGlobalRequest(int32_t code, Bytes& out)
{
    out.clear();
    if (code < -1 || code >= kGlobalParamCount)
        return false;
    StartKeyboardMessage(out, kGlobalRequestLength);
    Append(out, kGlobalRequestBody, sizeof(kGlobalRequestBody));
    if (code >= 0)
        out.push_back(static_cast<uint8_t>(code));
    out.push_back(kEnd);
    return true;
}

bool BuildGlobalSet(int32_t code, int32_t value, Bytes& out)
{
    out.clear();
    if (!IsGlobalValueAccepted(code, value))
        return false;
    StartKeyboardMessage(out, kGlobalSetLength);
    Append(out, kGlobalSetBody, sizeof(kGlobalSetBody));
    out.push_back(static_cast<uint8_t>(code));
    out.push_back(static_cast<uint8_t>(value / 128));
    out.push_back(static_cast<uint8_t>(value % 128));
    out.push_back(kEnd);
    return true;
}

bool FrameMessage(Bytes& message)
{
    if (message.empty())
        return false;
    if (message.size() == 1) {
        const uint8_t b = message[0];
        if (b == kStart || b == kEnd)
            return false;
        message = {kStart, b, kEnd};
        return true;
    }
    if (message.front() != kStart)
        message.insert(message.begin(), kStart);
    if (message.back() != kEnd)
        message.push_back(kEnd);
    return true;
}

bool CollectPresetRecords(const IArray<ParamValue>& values, uint8_t* records, size_t capacity)
{
    if (records == nullptr || capacity < kPresetDataLength ||
        values.GetCount() != static_cast<uint32_t>(kPresetParamCount))
        return false;
    // Check everything before the first byte is written.
    for (int32_t k = 0; k < kPresetParamCount; ++k) {
        const Variant& value = values.ElementAt(static_cast<uint32_t>(k)).value;
        if (!IsValidParamRecord(k, value))
            return false;
        uint32_t n = 0;
        const uint8_t* data = value.GetData(n);
        if (!HasDataBytesOnly(data, n))
            return false;
    }
    size_t offset = 0;
    for (int32_t k = 0; k < kPresetParamCount; ++k) {
        uint32_t n = 0;
        const uint8_t* data = values.ElementAt(static_cast<uint32_t>(k)).value.GetData(n);
        std::memcpy(records + offset, data, n);
        offset += n;
    }
    return offset == kPresetDataLength;
}

MessageKind Classify(const uint8_t* data, size_t size)
{
    if (HasKeyboardHeader(data, size)) {
        if (size == kPresetDumpLength && data[kCommandOffset] == kPresetDump)
            return MessageKind::PresetDump;
        if (size == kGlobalReplyLength && data[kCommandOffset] == kGlobalReply)
            return MessageKind::GlobalReply;
    }
    if (data != nullptr && size == kIdentityReplyLength && data[0] == 0xF0 && data[1] == 0x7E && data[3] == 0x06 &&
        data[4] == 0x02)
        return MessageKind::IdentityReply;
    return MessageKind::Other;
}

const uint8_t* GetPresetDumpRecords(const uint8_t* data, size_t size)
{
    if (Classify(data, size) != MessageKind::PresetDump)
        return nullptr;
    return data + kPresetDataOffset;
}

bool ParseGlobalReply(const uint8_t* data, size_t size, GlobalReplyData& out)
{
    out = GlobalReplyData();
    if (Classify(data, size) != MessageKind::GlobalReply)
        return false;
    const int32_t code = data[11];
    if (code >= kGlobalParamCount)
        return false;
    out.code = code;
    out.value = (data[12] & 0x7F) * 128 + (data[13] & 0x7F);
    return true;
}

bool ParseIdentityReply(const uint8_t* data, size_t size, FirmwareVersion& out)
{
    out = FirmwareVersion();
    if (Classify(data, size) != MessageKind::IdentityReply)
        return false;
    for (int i = 0; i < 4; ++i)
        out.digits[i] = static_cast<int8_t>(static_cast<uint8_t>(data[10 + i] - 0x30));
    return true;
}

bool IsFirmwareUsable(const FirmwareVersion& version)
{
    static constexpr int8_t kMinimum[4] = {1, 0, 4, 1};
    for (int i = 0; i < 4; ++i) {
        if (version.digits[i] != kMinimum[i])
            return version.digits[i] > kMinimum[i];
    }
    return true;
}

bool IsUsableIdentityReply(const uint8_t* data, size_t size)
{
    FirmwareVersion version;
    return ParseIdentityReply(data, size, version) && IsFirmwareUsable(version);
}

} // namespace KX::SysEx
