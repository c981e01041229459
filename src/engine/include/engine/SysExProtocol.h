#pragma once
// The keyboard's System Exclusive messages: builders for what the editor sends,
// recognisers and parsers for what it accepts, and the firmware version rule.
//
// Builders write whole wire messages, F0 to F7. Every byte that a builder puts
// between F0 and F7 is below 0x80; a builder refuses (returns false and leaves the
// output empty) rather than put a status byte inside a message.
#include "kx/Array.h"
#include "kx/ParamValues.h"
#include "kx/StringT.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace KX::SysEx {

using Bytes = std::vector<uint8_t>;

inline constexpr uint8_t kStart = 0xF0;
inline constexpr uint8_t kEnd = 0xF7;

// F0, manufacturer id 00 3F 5A, then 7F 31 04; the command byte follows.
inline constexpr uint8_t kKeyboardHeader[7] = {0xF0, 0x00, 0x3F, 0x5A, 0x7F, 0x31, 0x04};
inline constexpr size_t kHeaderLength = 7;
inline constexpr size_t kCommandOffset = 7;

// Command bytes.
inline constexpr uint8_t kPresetMessage = 0x61;
inline constexpr uint8_t kPresetRequest = 0x62;
inline constexpr uint8_t kPresetDump = 0x63;
inline constexpr uint8_t kGlobalSet = 0x6A;
inline constexpr uint8_t kGlobalRequest = 0x6B;
inline constexpr uint8_t kGlobalReply = 0x6C;
inline constexpr uint8_t kLeadIn = 0x6D;

// Wire lengths, F0 and F7 included.
inline constexpr size_t kLeadInLength = 12;
inline constexpr size_t kPresetRequestLength = 10;
inline constexpr size_t kPresetMessageLength = 886;
inline constexpr size_t kGlobalSetLength = 15;
inline constexpr size_t kGlobalRequestLength = 13;
inline constexpr size_t kIdentityRequestLength = 6;
inline constexpr size_t kPresetDumpLength = 886;
inline constexpr size_t kGlobalReplyLength = 15;
inline constexpr size_t kIdentityReplyLength = 15;

// The 83 value records of a preset, back to back in id order.
inline constexpr size_t kPresetDataOffset = 11;
inline constexpr size_t kPresetDataLength = 874;
inline constexpr int32_t kPresetParamCount = 83;
// Preset message header without F0: manufacturer id, 7F 31 04, 61 0A 3B, slot.
inline constexpr size_t kPresetHeaderLength = 10;

// Memory slots: 0 "RAM", 1 to 12 "Preset 1" to "Preset 12".
inline constexpr int32_t kSlotCount = 13;

// Global parameters: a name's code is its position in this table.
inline constexpr int32_t kGlobalParamCount = 16;
extern const char16_t* const kGlobalParamNames[kGlobalParamCount];

// The code of a global parameter name (exact, case-sensitive); -1 when unknown.
int32_t FindGlobalParam(const char16_t* name);
int32_t FindGlobalParam(const WString& name);
// The name of a code; null for a code outside 0 to 15.
const char16_t* GetGlobalParamName(int32_t code);
// Whether the keyboard accepts value for the parameter with this code.
bool IsGlobalValueAccepted(int32_t code, int32_t value);

// Wire bytes of the messages the editor sends.
void BuildLeadIn(Bytes& out);
void BuildIdentityRequest(Bytes& out);
// Slots take their low byte; false (out empty) when that byte is 0x80 or more.
bool BuildPresetRequest(int32_t slot, Bytes& out);
// records: the 874 record bytes. False (out empty) for another count, a record byte
// of 0x80 or more, or a slot byte of 0x80 or more.
bool BuildPresetMessage(int32_t slot, const uint8_t* records, size_t count, Bytes& out);
// The global parameter request; code -1 leaves the code byte out (an unknown name).
// False (out empty) for any other code outside the table.
bool BuildGlobalRequest(int32_t code, Bytes& out);
// False (out empty) for an unknown code or a value the keyboard does not accept.
bool BuildGlobalSet(int32_t code, int32_t value, Bytes& out);

// Puts F0 in front unless the first byte is F0 and appends F7 unless the last byte
// is F7; a lone byte b becomes F0 b F7. False for an empty message or a lone F0 or F7.
bool FrameMessage(Bytes& message);

// The 874 record bytes of the 83 values (element k is the parameter with relative
// id k). False when there are not exactly 83 values, or a value is not an owned
// record of exactly its parameter's length, or a record byte is 0x80 or more;
// records is then left untouched.
bool CollectPresetRecords(const IArray<ParamValue>& values, uint8_t* records, size_t capacity);

// Incoming messages.
enum class MessageKind {
    Other,
    PresetDump,
    GlobalReply,
    IdentityReply,
};

// Recognises a message by its length, header and command byte (nothing else is read).
MessageKind Classify(const uint8_t* data, size_t size);

// The record bytes of a preset dump (874 bytes at offset 11); null when the message
// is not a preset dump.
const uint8_t* GetPresetDumpRecords(const uint8_t* data, size_t size);

struct GlobalReplyData {
    int32_t code = -1;
    int32_t value = 0;
};
// A global parameter reply with a code of the table; value bytes read as 7-bit.
bool ParseGlobalReply(const uint8_t* data, size_t size, GlobalReplyData& out);

// Firmware version d0.d1.d2.d3, each digit the ASCII byte minus '0' as a signed 8-bit number.
struct FirmwareVersion {
    int8_t digits[4] = {0, 0, 0, 0};
};
bool ParseIdentityReply(const uint8_t* data, size_t size, FirmwareVersion& out);
// True when the version is at least 1.0.4.1.
bool IsFirmwareUsable(const FirmwareVersion& version);
// The identity reply's firmware version, when it is usable.
bool IsUsableIdentityReply(const uint8_t* data, size_t size);

} // namespace KX::SysEx
