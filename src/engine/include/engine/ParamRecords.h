#pragma once
// Layout of the keyboard's 83 parameters: which relative ids belong to which
// kind of control, the fixed length of each value record and its defaults.
// Relative ids count from the root module's first parameter id.
#include "kx/KXResult.h"
#include "kx/Variant.h"

#include <cstdint>

// Number of parameters of one preset.
inline constexpr uint32_t kParamCount = 83;
// The records of all parameters back to back, in id order.
inline constexpr uint32_t kPresetRecordBytes = 874;

// The kinds of parameter, in id order.
enum class ParamKind : int32_t {
    None = -1,
    PresetName,
    KeybedZone,
    Wheel,
    VolumePedal,
    SustainPedal,
    Pad,
    PushButton,
    Fader,
    Encoder,
    TouchPadAxis,
};

// One row of the layout: a run of like parameters.
struct ParamKindInfo {
    ParamKind kind;
    int32_t firstRelativeId;
    int32_t count;
    uint32_t recordLength;
};

// The kind of a relative id and its row; null for an id that is no parameter.
const ParamKindInfo* FindParamKind(int32_t relativeId);
// The row of a kind (None gives a row of no parameters).
const ParamKindInfo& GetParamKindInfo(ParamKind kind);

// The record length of a relative id; 0 when it is no parameter.
uint32_t GetParamRecordLength(int32_t relativeId);
// Where the record of a relative id starts in the 874-byte block; 0 when it is no parameter.
uint32_t GetParamRecordOffset(int32_t relativeId);

// true when value is an owned byte record (type 8) of exactly the parameter's length whose
// bytes are all below 0x80 (each one is sent as a System Exclusive data byte). This is the
// check at every door of the model, so the model never holds a value it cannot send.
bool IsValidParamRecord(int32_t relativeId, const KX::Variant& value);
// S_OK for a valid record, else E_INVALIDARG.
KX::KXRESULT CheckParamRecord(int32_t relativeId, const KX::Variant& value);

// Writes the default record of control index of a kind into out, which holds
// at least the kind's record length. Returns the bytes written (0 for None).
uint32_t FillDefaultParamRecord(ParamKind kind, int32_t index, uint8_t* out);
// The default record of a relative id as a type 8 Variant; empty for an id that is no parameter.
KX::Variant MakeDefaultParamRecord(int32_t relativeId);
