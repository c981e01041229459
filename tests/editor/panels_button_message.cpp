// The button message inside the push-button, pad and sustain-pedal values, byte by byte, and the
// step fix-up readers apply.
#include "editor/ButtonMessage.h"

#include "engine/ParamRecords.h"

#include <gtest/gtest.h>

#include <vector>

using namespace editor;

namespace {

std::vector<uint8_t> BytesOf(const KX::IArray<char>& a)
{
    std::vector<uint8_t> out;
    for (uint32_t i = 0; i < a.GetCount(); ++i)
        out.push_back(static_cast<uint8_t>(a.ElementAt(i)));
    return out;
}

KX::Array<char> Message(std::vector<uint8_t> bytes)
{
    KX::Array<char> m;
    for (uint8_t b : bytes)
        m.AddItem(static_cast<char>(b));
    return m;
}

std::vector<uint8_t> Default(ParamKind kind, int32_t index)
{
    uint8_t bytes[32] = {};
    const uint32_t n = FillDefaultParamRecord(kind, index, bytes);
    return std::vector<uint8_t>(bytes, bytes + n);
}

} // namespace

TEST(ButtonMessageLayout, ModelDefaultsSplitIntoTheirMessages)
{
    const std::vector<uint8_t> button0 = Default(ParamKind::PushButton, 0);
    ASSERT_EQ(button0.size(), kPushButtonValueLength);
    EXPECT_EQ(BytesOf(SplitPushButtonMessage(button0.data(), 17)),
              (std::vector<uint8_t>{0x00, 0x01, 0x13, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x7F}));

    const std::vector<uint8_t> pad15 = Default(ParamKind::Pad, 15);
    ASSERT_EQ(pad15.size(), kPadValueLength);
    EXPECT_EQ(BytesOf(SplitPadMessage(pad15.data(), 14)),
              (std::vector<uint8_t>{0x00, 0x01, 0x13, 0x33, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}));

    // The pedal does not store bytes 5..8: the editor sees a two-value step encoding there.
    const std::vector<uint8_t> sustain = Default(ParamKind::SustainPedal, 0);
    ASSERT_EQ(sustain.size(), kSustainPedalValueLength);
    EXPECT_EQ(BytesOf(SplitSustainPedalMessage(sustain.data(), 6)),
              (std::vector<uint8_t>{0x00, 0x00, 0x40, 0x00, 0x00, 0x01, 0x00, 0x01, 0x00, 0x7F}));
}

TEST(ButtonMessageLayout, JoinWritesOnlyTheMessageBytesOfEachFormat)
{
    const KX::Array<char> m = Message({0x0A, 0x0B, 0x0C, 0x0D, 0x0E, 0x0F, 0x10, 0x11, 0x12, 0x13});

    std::vector<uint8_t> button(17, 0x60);
    ASSERT_TRUE(JoinPushButtonMessage(m, button.data(), 17));
    EXPECT_EQ(button, (std::vector<uint8_t>{0x0A, 0x60, 0x60, 0x60, 0x60, 0x0B, 0x0C, 0x0D, 0x0E, 0x0F, 0x10, 0x11,
                                            0x12, 0x13, 0x60, 0x60, 0x60}));
    EXPECT_EQ(BytesOf(SplitPushButtonMessage(button.data(), 17)), BytesOf(m));

    std::vector<uint8_t> pad(14, 0x60);
    ASSERT_TRUE(JoinPadMessage(m, pad.data(), 14));
    EXPECT_EQ(pad, (std::vector<uint8_t>{0x0A, 0x60, 0x60, 0x60, 0x60, 0x0B, 0x0C, 0x0D, 0x0E, 0x0F, 0x10, 0x11, 0x12,
                                         0x13}));

    std::vector<uint8_t> sustain(6, 0x60);
    ASSERT_TRUE(JoinSustainPedalMessage(m, sustain.data(), 6));
    EXPECT_EQ(sustain, (std::vector<uint8_t>{0x0A, 0x0B, 0x0C, 0x0D, 0x0E, 0x13}));
}

TEST(ButtonMessageLayout, WrongLengthsAreRefusedAndNothingIsWritten)
{
    std::vector<uint8_t> value(18, 0x60);
    const KX::Array<char> m = Message({1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
    EXPECT_FALSE(JoinPushButtonMessage(m, value.data(), 16));
    EXPECT_FALSE(JoinPadMessage(m, value.data(), 15));
    EXPECT_FALSE(JoinSustainPedalMessage(m, value.data(), 5));
    EXPECT_FALSE(JoinPushButtonMessage(Message({1, 2, 3, 4, 5, 6, 7, 8, 9}), value.data(), 17));
    EXPECT_EQ(value, std::vector<uint8_t>(18, 0x60));
    EXPECT_EQ(SplitPushButtonMessage(value.data(), 16).GetCount(), 0u);
    EXPECT_EQ(SplitPadMessage(value.data(), 17).GetCount(), 0u);
    EXPECT_EQ(SplitSustainPedalMessage(nullptr, 6).GetCount(), 0u);
    EXPECT_FALSE(IsSendableButtonMessage(Message({0, 1, 0x13, 0, 0, 0, 0, 0, 0, 0xFF})));
    EXPECT_TRUE(IsSendableButtonMessage(Message({0x15, 1, 0x13, 0, 0, 0, 0, 0, 0, 0x7F})));
}

TEST(ButtonMessageLayout, StepFixUpTurnsStepsWithoutBothFlagsIntoCycles)
{
    struct Case {
        std::vector<uint8_t> in;
        uint8_t type;
    };
    const Case cases[] = {
        {{0, 1, 25, 7, 1, 1, 0, 0, 3, 9}, 18},    // flags 1, 0: a four-value control-change cycle
        {{0, 1, 26, 7, 1, 0, 6, 1, 0, 9}, 18},    // flags 0, 1: three values
        {{0, 1, 27, 0, 1, 0, 6, 0, 8, 9}, 29},    // flags 0, 0: a program-change cycle
        {{0, 1, 28, 0, 1, 1, 0, 1, 0, 9}, 28},    // both flags: stays a step
        {{0, 1, 25, 7, 1, 2, 0, 0x80, 0, 9}, 25}, // any non-zero flags count as set
        {{0, 0, 25, 7, 1, 0, 0, 0, 0, 9}, 25},    // typed flag 0: an absolute control change
        {{0, 0x80, 26, 7, 1, 0, 0, 0, 0, 9}, 26}, // negative typed flag: left alone
        {{0, 0x7F, 27, 7, 1, 0, 0, 0, 0, 9}, 29},
    };
    for (const Case& c : cases) {
        KX::Array<char> m = Message(c.in);
        NormalizeButtonMessageRecord(m);
        std::vector<uint8_t> expected = c.in;
        expected[2] = c.type;
        EXPECT_EQ(BytesOf(m), expected) << "type " << int(c.in[2]) << " flags " << int(c.in[5]) << "," << int(c.in[7]);
    }
    for (size_t n : {9u, 11u}) {
        std::vector<uint8_t> bytes(n, 0);
        bytes[1] = 1;
        bytes[2] = 25;
        KX::Array<char> m = Message(bytes);
        NormalizeButtonMessageRecord(m);
        EXPECT_EQ(BytesOf(m), bytes) << n << " bytes";
    }
    EXPECT_EQ(CycleValueCount(1, 1), 2);
    EXPECT_EQ(CycleValueCount(0, 1), 3);
    EXPECT_EQ(CycleValueCount(1, 0), 4);
    EXPECT_EQ(CycleValueCount(-1, 1), 4);
}
