// The button message's layouts inside the push-button, pad and sustain-pedal values.
#include "editor/ButtonMessage.h"

namespace editor {

using namespace KX;

namespace {

// Value bytes 5..13 carry message bytes 1..9 in the push-button and pad values.
constexpr uint32_t kMessageStartInValue = 5;
// The sustain pedal stores message bytes 0..4 in value bytes 0..4 and message byte 9 in byte 5.
constexpr uint32_t kSustainStoredHead = 5;
constexpr uint32_t kSustainLastInValue = 5;
// What the sustain pedal supplies for message bytes 5..8, which it does not store.
constexpr char kSustainStepBytes[4] = {1, 0, 1, 0};

Array<char> SplitButtonLike(const uint8_t* value, uint32_t length, uint32_t expected)
{
    Array<char> message;
    if (value == nullptr || length != expected)
        return message;
    message.SetSize(kButtonMessageLength);
    message.ElementAt(0) = static_cast<char>(value[0]);
    for (uint32_t i = 1; i < kButtonMessageLength; ++i)
        message.ElementAt(i) = static_cast<char>(value[kMessageStartInValue + i - 1]);
    return message;
}

bool JoinButtonLike(const IArray<char>& message, uint8_t* value, uint32_t length, uint32_t expected)
{
    if (value == nullptr || length != expected || message.GetCount() != kButtonMessageLength)
        return false;
    value[0] = static_cast<uint8_t>(message.ElementAt(0));
    for (uint32_t i = 1; i < kButtonMessageLength; ++i)
        value[kMessageStartInValue + i - 1] = static_cast<uint8_t>(message.ElementAt(i));
    return true;
}

const uint8_t* BytesOf(const Variant& value, uint32_t& length)
{
    length = 0;
    return value.GetData(length);
}

} // namespace

int32_t CycleValueCount(int8_t stepFlag1, int8_t stepFlag2)
{
    if (stepFlag1 == 1 && stepFlag2 == 1)
        return 2;
    if (stepFlag1 == 0 && stepFlag2 == 1)
        return 3;
    return 4;
}

void NormalizeButtonMessageRecord(IArray<char>& message)
{
    using namespace ButtonMessageByte;
    if (message.GetCount() != kButtonMessageLength || static_cast<int8_t>(message.ElementAt(kTyped)) <= 0)
        return;
    const bool bothFlags = message.ElementAt(kStepFlag1) != 0 && message.ElementAt(kStepFlag2) != 0;
    char& type = message.ElementAt(kType);
    if ((type == 25 || type == 26) && !bothFlags)
        type = static_cast<char>(ButtonMessageType::ControlChangeCycle);
    if ((type == 27 || type == 28) && !bothFlags)
        type = static_cast<char>(ButtonMessageType::ProgramChangeCycle);
}

Array<char> SplitPushButtonMessage(const uint8_t* value, uint32_t length)
{
    return SplitButtonLike(value, length, kPushButtonValueLength);
}

Array<char> SplitPadMessage(const uint8_t* value, uint32_t length)
{
    return SplitButtonLike(value, length, kPadValueLength);
}

Array<char> SplitSustainPedalMessage(const uint8_t* value, uint32_t length)
{
    Array<char> message;
    if (value == nullptr || length != kSustainPedalValueLength)
        return message;
    message.SetSize(kButtonMessageLength);
    for (uint32_t i = 0; i < kSustainStoredHead; ++i)
        message.ElementAt(i) = static_cast<char>(value[i]);
    for (uint32_t i = 0; i < 4; ++i)
        message.ElementAt(kSustainStoredHead + i) = kSustainStepBytes[i];
    message.ElementAt(ButtonMessageByte::kLast) = static_cast<char>(value[kSustainLastInValue]);
    return message;
}

Array<char> SplitPushButtonMessage(const Variant& value)
{
    uint32_t n = 0;
    const uint8_t* bytes = BytesOf(value, n);
    return SplitPushButtonMessage(bytes, n);
}

Array<char> SplitPadMessage(const Variant& value)
{
    uint32_t n = 0;
    const uint8_t* bytes = BytesOf(value, n);
    return SplitPadMessage(bytes, n);
}

Array<char> SplitSustainPedalMessage(const Variant& value)
{
    uint32_t n = 0;
    const uint8_t* bytes = BytesOf(value, n);
    return SplitSustainPedalMessage(bytes, n);
}

bool JoinPushButtonMessage(const IArray<char>& message, uint8_t* value, uint32_t length)
{
    return JoinButtonLike(message, value, length, kPushButtonValueLength);
}

bool JoinPadMessage(const IArray<char>& message, uint8_t* value, uint32_t length)
{
    return JoinButtonLike(message, value, length, kPadValueLength);
}

bool JoinSustainPedalMessage(const IArray<char>& message, uint8_t* value, uint32_t length)
{
    if (value == nullptr || length != kSustainPedalValueLength || message.GetCount() != kButtonMessageLength)
        return false;
    for (uint32_t i = 0; i < kSustainStoredHead; ++i)
        value[i] = static_cast<uint8_t>(message.ElementAt(i));
    value[kSustainLastInValue] = static_cast<uint8_t>(message.ElementAt(ButtonMessageByte::kLast));
    return true;
}

bool IsSendableButtonMessage(const IArray<char>& message)
{
    for (uint32_t i = 0; i < message.GetCount(); ++i)
        if (static_cast<uint8_t>(message.ElementAt(i)) >= 0x80)
            return false;
    return true;
}

} // namespace editor
