// The hand-over frame between two instances: its exact bytes, and a reader that refuses hostile
// headers as soon as they show, whatever pieces the bytes arrive in.
#include "platform/posix/SingleInstance.h"

#include <gtest/gtest.h>

#include <string>

using namespace platform::posix;
using State = HandOverReader::State;

namespace {

std::string Header(uint32_t tag, uint32_t length)
{
    std::string out;
    for (uint32_t v : {tag, length})
        for (int i = 0; i < 4; ++i)
            out += char((v >> (8 * i)) & 0xFF);
    return out;
}

TEST(HandOverFrame, IsTagLengthWithTheZeroCountedAndTheTextWithItsZero)
{
    EXPECT_EQ(EncodeHandOver("ab"), std::string("\x65\x04\x00\x00\x03\x00\x00\x00"
                                                "ab\0",
                                                11));
    EXPECT_EQ(EncodeHandOver(""), std::string("\x65\x04\x00\x00\x01\x00\x00\x00\0", 9));
    // What cannot be framed gives nothing: an inner zero, a text one byte over the bound.
    EXPECT_EQ(EncodeHandOver(std::string("a\0b", 3)), "");
    EXPECT_EQ(EncodeHandOver(std::string(kMaxHandOverBytes, 'x')), "");
    EXPECT_EQ(EncodeHandOver(std::string(kMaxHandOverBytes - 1, 'x')).size(), 8 + kMaxHandOverBytes);
}

TEST(HandOverFrame, ReaderGivesTheSameTextFedByteByByteAndLeavesTrailingBytes)
{
    const std::string frame = EncodeHandOver("lumo --x \xC3\xBC");
    HandOverReader bytewise;
    for (size_t i = 0; i + 1 < frame.size(); ++i)
        ASSERT_EQ(bytewise.Feed(&frame[i], 1), State::NeedMore) << i;
    EXPECT_EQ(bytewise.Feed(&frame.back(), 1), State::Complete);
    EXPECT_EQ(bytewise.Text(), "lumo --x \xC3\xBC");

    const std::string twice = frame + "junk";
    HandOverReader whole;
    size_t consumed = 0;
    EXPECT_EQ(whole.Feed(twice.data(), twice.size(), &consumed), State::Complete);
    EXPECT_EQ(consumed, frame.size());
    EXPECT_EQ(whole.Text(), bytewise.Text());
}

TEST(HandOverFrame, HostileHeadersAndBodiesAreErrorsAsSoonAsTheyShow)
{
    struct Case {
        const char* what;
        std::string bytes;
        size_t consumedAtError;
    };
    const std::string max = Header(kHandOverTag, kMaxHandOverBytes);
    const Case cases[] = {
        {"wrong tag, known after 4 bytes", Header(0x466, 5) + "abcd", 4},
        {"length 0", Header(kHandOverTag, 0), 8},
        {"length one over the bound", Header(kHandOverTag, kMaxHandOverBytes + 1), 8},
        {"length 0xFFFFFFFF", Header(kHandOverTag, 0xFFFFFFFFu), 8},
        {"zero inside the text", Header(kHandOverTag, 4) + std::string("a\0b\0", 4), 12},
        {"no zero at the end", Header(kHandOverTag, 3) + "abc", 11},
    };
    for (const Case& c : cases) {
        HandOverReader reader;
        size_t consumed = 0;
        EXPECT_EQ(reader.Feed(c.bytes.data(), c.bytes.size(), &consumed), State::Error) << c.what;
        EXPECT_EQ(consumed, c.consumedAtError) << c.what;
        EXPECT_FALSE(reader.ErrorText().empty()) << c.what;
        EXPECT_EQ(reader.Text(), "") << c.what;
        // Nothing more is taken after an error.
        EXPECT_EQ(reader.Feed("x", 1, &consumed), State::Error);
        EXPECT_EQ(consumed, 0u);
    }

    // The bound itself is accepted.
    std::string body(kMaxHandOverBytes - 1, 'y');
    body.push_back('\0');
    HandOverReader atBound;
    EXPECT_EQ(atBound.Feed((max + body).data(), max.size() + body.size()), State::Complete);
    EXPECT_EQ(atBound.Text().size(), kMaxHandOverBytes - 1);
}

} // namespace
