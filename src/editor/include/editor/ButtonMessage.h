#pragma once
// The message a push button, pad or sustain pedal sends: the 10-byte button message, its type
// codes, the byte layouts of the three parameter values that carry it, and the fix-up every reader
// applies before showing a message. Plain functions, no state.
#include "kx/Array.h"
#include "kx/Variant.h"

#include <cstdint>

namespace editor {

inline constexpr uint32_t kButtonMessageLength = 10;
inline constexpr uint32_t kPushButtonValueLength = 17;
inline constexpr uint32_t kPadValueLength = 14;
inline constexpr uint32_t kSustainPedalValueLength = 6;

// Places in the button message.
namespace ButtonMessageByte {
inline constexpr uint32_t kChannel = 0;   // 0 global, 1..16 channel, 17..20 zone, 21 omni
inline constexpr uint32_t kTyped = 1;     // 0: absolute control change, byte 2 the controller
inline constexpr uint32_t kType = 2;      // controller number or ButtonMessageType
inline constexpr uint32_t kData = 3;      // note, controller, program or RPN/NRPN value
inline constexpr uint32_t kFirst = 4;     // first value
inline constexpr uint32_t kStepFlag1 = 5; // cycles and steps
inline constexpr uint32_t kCycle1 = 6;
inline constexpr uint32_t kStepFlag2 = 7;
inline constexpr uint32_t kCycle2 = 8;
inline constexpr uint32_t kLast = 9; // last value
} // namespace ButtonMessageByte

// Byte 2 of a typed message.
enum class ButtonMessageType : int32_t {
    PitchBendSensitivityRpn = 0,
    FineTuneRpn = 1,
    CoarseTuneRpn = 2,
    ChannelPressure = 3,
    RpnCoarse = 4,
    RpnFine = 5,
    NrpnCoarse = 6,
    NrpnFine = 7,
    MasterVolume = 8,
    MasterPan = 9,
    CoarseTuneSysEx = 10,
    FineTuneSysEx = 11,
    ChorusModRate = 12,
    ChorusModDepth = 13,
    Feedback = 14,
    SendToReverb = 15,
    PitchBend = 16,
    ProgramChange = 17,
    ControlChangeCycle = 18,
    NoteMomentary = 19,
    NoteLatching = 20,
    Mmc = 21,
    ReverbType = 22,
    ReverbTime = 23,
    ChorusType = 24,
    ControlChangeDecrement = 25,
    ControlChangeIncrement = 26,
    ProgramChangeDecrement = 27,
    ProgramChangeIncrement = 28,
    ProgramChangeCycle = 29,
};

// How many values a cycle steps through, from the two step flags: 1 and 1 two, 0 and 1 three,
// anything else four.
int32_t CycleValueCount(int8_t stepFlag1, int8_t stepFlag2);

// In place, on a reader's own copy: a control-change step (25, 26) without both step flags set
// becomes a control-change cycle (18), a program-change step (27, 28) a program-change cycle (29).
// Only a 10-byte message whose typed flag is 1..127 is touched.
void NormalizeButtonMessageRecord(KX::IArray<char>& message);

// The message inside a value: byte 0, then bytes 5..13 (push button and pad) or bytes 1..4 with
// 1, 0, 1, 0 and byte 5 (sustain pedal). Empty when the value has another length.
KX::Array<char> SplitPushButtonMessage(const uint8_t* value, uint32_t length);
KX::Array<char> SplitPadMessage(const uint8_t* value, uint32_t length);
KX::Array<char> SplitSustainPedalMessage(const uint8_t* value, uint32_t length);
// The same from a Variant's bytes.
KX::Array<char> SplitPushButtonMessage(const KX::Variant& value);
KX::Array<char> SplitPadMessage(const KX::Variant& value);
KX::Array<char> SplitSustainPedalMessage(const KX::Variant& value);

// Writes message into a value of its kind: bytes 0 and 5..13 (push button, pad) or 0..4 and 5
// from message bytes 0..4 and 9 (sustain pedal); the other bytes stay. false, and nothing
// written, when the message is not 10 bytes or the value has another length.
bool JoinPushButtonMessage(const KX::IArray<char>& message, uint8_t* value, uint32_t length);
bool JoinPadMessage(const KX::IArray<char>& message, uint8_t* value, uint32_t length);
bool JoinSustainPedalMessage(const KX::IArray<char>& message, uint8_t* value, uint32_t length);

// true when every byte of the message is a MIDI data byte (below 0x80): only such a message may
// be handed to the engine.
bool IsSendableButtonMessage(const KX::IArray<char>& message);

} // namespace editor
