#include "platform/midi/SysExAssembler.h"

#include "MidiCapture.h"

#include <gtest/gtest.h>

namespace {

using miditest::Bytes;
using miditest::MakeSysEx;
using platform::midi::SysExAssembler;

std::vector<Bytes> FeedInChunks(SysExAssembler& assembler, const Bytes& stream, size_t chunk)
{
    std::vector<Bytes> messages;
    for (size_t pos = 0; pos < stream.size(); pos += chunk) {
        const size_t n = std::min(chunk, stream.size() - pos);
        assembler.Feed(std::span<const uint8_t>(stream.data() + pos, n),
                       [&](std::span<const uint8_t> m) { messages.emplace_back(m.begin(), m.end()); });
    }
    return messages;
}

Bytes Concat(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const Bytes& p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

TEST(SysExAssembler, JoinsPiecesOfAnySizeIntoWholeMessages)
{
    const Bytes a = MakeSysEx(600, 1);
    const Bytes b = MakeSysEx(886, 2);
    const Bytes c = MakeSysEx(2, 3); // F0 F7
    const Bytes stream = Concat({a, b, c});
    for (size_t chunk : {size_t{1}, size_t{3}, size_t{200}, size_t{256}, size_t{599}, stream.size()}) {
        SysExAssembler assembler;
        const std::vector<Bytes> messages = FeedInChunks(assembler, stream, chunk);
        ASSERT_EQ(messages.size(), 3u) << "chunk " << chunk;
        EXPECT_EQ(messages[0], a);
        EXPECT_EQ(messages[1], b);
        EXPECT_EQ(messages[2], c);
        EXPECT_FALSE(assembler.Pending());
        EXPECT_EQ(assembler.Dropped(), 0u);
    }
}

TEST(SysExAssembler, IgnoresStrayBytesBetweenMessages)
{
    const Bytes a = MakeSysEx(10, 1);
    const Bytes b = MakeSysEx(12, 2);
    const Bytes stream = Concat({{0x01, 0x7F, 0xF7, 0x90, 0x3C}, a, {0x00, 0xF7, 0xF8, 0x42}, b, {0x11}});
    SysExAssembler assembler;
    const std::vector<Bytes> messages = FeedInChunks(assembler, stream, 5);
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0], a);
    EXPECT_EQ(messages[1], b);
    EXPECT_EQ(assembler.Dropped(), 0u);
}

TEST(SysExAssembler, SkipsRealTimeBytesInsideAMessage)
{
    SysExAssembler assembler;
    const std::vector<Bytes> messages =
        FeedInChunks(assembler, {0xF0, 0x01, 0xF8, 0x02, 0xFE, 0xFA, 0x03, 0xFF, 0xF7}, 2);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], (Bytes{0xF0, 0x01, 0x02, 0x03, 0xF7}));
}

TEST(SysExAssembler, DropsAMessageCutShort)
{
    const Bytes good = MakeSysEx(20, 4);
    // Cut by a new F0, then by a channel status, then by a system common status.
    const Bytes stream = Concat({{0xF0, 0x01, 0x02}, good, {0xF0, 0x05, 0x90, 0x06, 0xF7}, {0xF0, 0x07, 0xF2, 0xF7}});
    SysExAssembler assembler;
    const std::vector<Bytes> messages = FeedInChunks(assembler, stream, 4);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], good);
    EXPECT_EQ(assembler.Dropped(), 3u);
    EXPECT_FALSE(assembler.Pending());
}

TEST(SysExAssembler, CapsAPendingMessageAt64KiB)
{
    SysExAssembler assembler;
    // The largest message that fits arrives whole.
    const Bytes largest = MakeSysEx(SysExAssembler::kMaxMessage, 5);
    std::vector<Bytes> messages = FeedInChunks(assembler, largest, 1000);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], largest);

    // One byte more is dropped, and so are its remaining bytes; the next message is fine.
    const Bytes tooLong = MakeSysEx(SysExAssembler::kMaxMessage + 1, 6);
    const Bytes next = MakeSysEx(30, 7);
    messages = FeedInChunks(assembler, Concat({tooLong, next}), 1000);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], next);
    EXPECT_EQ(assembler.Dropped(), 1u);

    // An endless message never holds more than the cap.
    Bytes endless(200000, 0x11);
    endless[0] = 0xF0;
    size_t largestPending = 0;
    for (size_t pos = 0; pos < endless.size(); pos += 4096) {
        assembler.Feed(std::span<const uint8_t>(endless.data() + pos, std::min<size_t>(4096, endless.size() - pos)),
                       [](std::span<const uint8_t>) { ADD_FAILURE() << "no message expected"; });
        largestPending = std::max(largestPending, assembler.PendingSize());
    }
    EXPECT_LT(largestPending, SysExAssembler::kMaxMessage);
    EXPECT_FALSE(assembler.Pending());
}

TEST(SysExAssembler, ResetDropsThePendingMessage)
{
    SysExAssembler assembler;
    FeedInChunks(assembler, {0xF0, 0x01, 0x02}, 3);
    EXPECT_TRUE(assembler.Pending());
    assembler.Reset();
    const std::vector<Bytes> messages = FeedInChunks(assembler, {0x03, 0xF7, 0xF0, 0x04, 0xF7}, 5);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], (Bytes{0xF0, 0x04, 0xF7}));
}

} // namespace
