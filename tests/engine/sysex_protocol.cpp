#include "engine/ParamRecords.h"
#include "engine/SysExProtocol.h"

#include "kx/ParamValues.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>

namespace {

using KX::SysEx::Bytes;
using KX::SysEx::MessageKind;

Bytes Header()
{
    return {0xF0, 0x00, 0x3F, 0x5A, 0x7F, 0x31, 0x04};
}

Bytes Concat(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// 874 record bytes, all below 0x80, none the same as its neighbour.
Bytes RecordPattern()
{
    Bytes records(KX::SysEx::kPresetDataLength);
    for (size_t i = 0; i < records.size(); ++i)
        records[i] = static_cast<uint8_t>((i * 37 + 5) & 0x7F);
    return records;
}

Bytes Dump(const Bytes& records, uint8_t command = 0x63)
{
    Bytes dump = Concat(Header(), {command, 0x0A, 0x3B, 0x03});
    dump.insert(dump.end(), records.begin(), records.end());
    dump.push_back(0xF7);
    return dump;
}

Bytes GlobalReply(uint8_t code, uint8_t high, uint8_t low)
{
    return Concat(Header(), {0x6C, 0x11, 0x22, 0x33, code, high, low, 0xF7});
}

Bytes IdentityReply(uint8_t a, uint8_t b, uint8_t c, uint8_t d)
{
    return {0xF0, 0x7E, 0x00, 0x06, 0x02, 0x47, 0x01, 0x02, 0x03, 0x04, a, b, c, d, 0xF7};
}

// The 83 values of the records in pattern, as the engine hands them out.
KX::Array<KX::ParamValue> ValuesFrom(const Bytes& records)
{
    KX::Array<KX::ParamValue> values;
    uint32_t offset = 0;
    for (int32_t id = 0; id < 83; ++id) {
        const uint32_t n = GetParamRecordLength(id);
        values.AddItem(KX::ParamValue(KX::ParamDescriptor(id), KX::MakeBytesVariant(records.data() + offset, n)));
        offset += n;
    }
    return values;
}

// ------------------------------------------------------------ golden messages

TEST(SysExGolden, MessagesTheEditorSends)
{
    Bytes out;
    KX::SysEx::BuildLeadIn(out);
    EXPECT_EQ(out, (Bytes{0xF0, 0x00, 0x3F, 0x5A, 0x7F, 0x31, 0x04, 0x6D, 0x00, 0x01, 0x01, 0xF7}));
    EXPECT_EQ(out.size(), KX::SysEx::kLeadInLength);

    KX::SysEx::BuildIdentityRequest(out);
    EXPECT_EQ(out, (Bytes{0xF0, 0x7E, 0x7F, 0x06, 0x01, 0xF7}));

    ASSERT_TRUE(KX::SysEx::BuildPresetRequest(7, out));
    EXPECT_EQ(out, (Bytes{0xF0, 0x00, 0x3F, 0x5A, 0x7F, 0x31, 0x04, 0x62, 0x07, 0xF7}));

    // "KEY_OCTAVE" (code 5) to 10.
    ASSERT_TRUE(KX::SysEx::BuildGlobalSet(5, 10, out));
    EXPECT_EQ(out, (Bytes{0xF0, 0x00, 0x3F, 0x5A, 0x7F, 0x31, 0x04, 0x6A, 0x00, 0x04, 0x00, 0x05, 0x00, 0x0A, 0xF7}));
    EXPECT_EQ(out.size(), KX::SysEx::kGlobalSetLength);

    // "GLOBAL_PROGRAM" (code 13) to 127: high 00, low 7F.
    ASSERT_TRUE(KX::SysEx::BuildGlobalSet(13, 127, out));
    EXPECT_EQ(out, (Bytes{0xF0, 0x00, 0x3F, 0x5A, 0x7F, 0x31, 0x04, 0x6A, 0x00, 0x04, 0x00, 0x0D, 0x00, 0x7F, 0xF7}));

    ASSERT_TRUE(KX::SysEx::BuildGlobalRequest(15, out));
    EXPECT_EQ(out, (Bytes{0xF0, 0x00, 0x3F, 0x5A, 0x7F, 0x31, 0x04, 0x6B, 0x00, 0x02, 0x00, 0x0F, 0xF7}));
    EXPECT_EQ(out.size(), KX::SysEx::kGlobalRequestLength);
}

TEST(SysExGolden, PresetMessageCarriesTheRecordsBetweenHeaderAndEnd)
{
    const Bytes records = RecordPattern();
    Bytes out;
    ASSERT_TRUE(KX::SysEx::BuildPresetMessage(12, records.data(), records.size(), out));
    ASSERT_EQ(out.size(), 886u);
    EXPECT_EQ(Bytes(out.begin(), out.begin() + 11),
              (Bytes{0xF0, 0x00, 0x3F, 0x5A, 0x7F, 0x31, 0x04, 0x61, 0x0A, 0x3B, 0x0C}));
    EXPECT_EQ(Bytes(out.begin() + 11, out.begin() + 885), records);
    EXPECT_EQ(out[885], 0xF7);
}

TEST(SysExGolden, UnknownNameRequestLeavesTheCodeOut)
{
    Bytes out;
    ASSERT_TRUE(KX::SysEx::BuildGlobalRequest(-1, out));
    EXPECT_EQ(out, (Bytes{0xF0, 0x00, 0x3F, 0x5A, 0x7F, 0x31, 0x04, 0x6B, 0x00, 0x02, 0x00, 0xF7}));
    EXPECT_FALSE(KX::SysEx::BuildGlobalRequest(16, out));
    EXPECT_TRUE(out.empty());
}

// ------------------------------------------------------------ builders refuse unsafe input

TEST(SysExBuilders, StatusBytesNeverGoInsideAMessage)
{
    Bytes records = RecordPattern();
    Bytes out{1, 2, 3};
    records[500] = 0x80;
    EXPECT_FALSE(KX::SysEx::BuildPresetMessage(0, records.data(), records.size(), out));
    EXPECT_TRUE(out.empty());
    records[500] = 0xF7;
    EXPECT_FALSE(KX::SysEx::BuildPresetMessage(0, records.data(), records.size(), out));

    // The slot's low byte goes on the wire: 0x180 is slot 0x80, a status byte.
    records[500] = 0x10;
    EXPECT_FALSE(KX::SysEx::BuildPresetMessage(0x80, records.data(), records.size(), out));
    EXPECT_FALSE(KX::SysEx::BuildPresetRequest(0x180, out));
    ASSERT_TRUE(KX::SysEx::BuildPresetRequest(0x103, out));
    EXPECT_EQ(out[8], 0x03);
}

TEST(SysExBuilders, PresetMessageNeedsExactlyTheRecordBytes)
{
    const Bytes records = RecordPattern();
    Bytes out;
    EXPECT_FALSE(KX::SysEx::BuildPresetMessage(1, records.data(), records.size() - 1, out));
    Bytes longer = records;
    longer.push_back(0x00);
    EXPECT_FALSE(KX::SysEx::BuildPresetMessage(1, longer.data(), longer.size(), out));
    EXPECT_FALSE(KX::SysEx::BuildPresetMessage(1, nullptr, records.size(), out));
}

TEST(SysExBuilders, GlobalValuesOutsideTheirRangesAreRefused)
{
    struct Case {
        const char16_t* name;
        int32_t lowestAccepted;
        int32_t firstRefused;
    };
    const Case cases[] = {
        {u"Global_Channel", 0, 17},   {u"MACKIE_HUI_ENABLED", 0, 2}, {u"KEY_OCTAVE", 1, 11},
        {u"KEY_TRANSPOSE", 0, 25},    {u"KEY_SENSITIVITY", 0, 7},    {u"PAD_OCTAVE", 0, 11},
        {u"PAD_TRANSPOSE", 0, 26},    {u"PAD_SENSITIVITY", 0, 10},   {u"CURVE_ACCELLERATION", 0, 4},
        {u"XY_SENSITIVITY", 0, 10},   {u"GLOBAL_PROGRAM", 0, 128},   {u"GLOBAL_BANK_MSB", 0, 128},
        {u"GLOBAL_BANK_LSB", 0, 128},
    };
    Bytes out;
    for (const Case& c : cases) {
        const int32_t code = KX::SysEx::FindGlobalParam(c.name);
        ASSERT_GE(code, 0);
        EXPECT_TRUE(KX::SysEx::BuildGlobalSet(code, c.lowestAccepted, out)) << code;
        EXPECT_TRUE(KX::SysEx::BuildGlobalSet(code, c.firstRefused - 1, out)) << code;
        EXPECT_FALSE(KX::SysEx::BuildGlobalSet(code, c.firstRefused, out)) << code;
        EXPECT_FALSE(KX::SysEx::BuildGlobalSet(code, c.lowestAccepted - 1, out)) << code;
        EXPECT_TRUE(out.empty());
    }
    for (const char16_t* name : {u"XYPAD_VELOCITY", u"XYPAD_FRACTION", u"XYPAD_REBOUND"}) {
        const int32_t code = KX::SysEx::FindGlobalParam(name);
        EXPECT_FALSE(KX::SysEx::BuildGlobalSet(code, 0, out));
        EXPECT_TRUE(KX::SysEx::BuildGlobalRequest(code, out));
    }
    EXPECT_FALSE(KX::SysEx::BuildGlobalSet(-1, 0, out));
    EXPECT_FALSE(KX::SysEx::BuildGlobalSet(16, 0, out));
}

TEST(SysExBuilders, NamesAreExactAndInCodeOrder)
{
    EXPECT_EQ(KX::SysEx::FindGlobalParam(u"Global_Channel"), 0);
    EXPECT_EQ(KX::SysEx::FindGlobalParam(u"GLOBAL_CHANNEL"), -1);
    EXPECT_EQ(KX::SysEx::FindGlobalParam(u"KEY_OCTAVE"), 5);
    EXPECT_EQ(KX::SysEx::FindGlobalParam(u"CURVE_ACCELLERATION"), 11);
    EXPECT_EQ(KX::SysEx::FindGlobalParam(u"GLOBAL_BANK_LSB"), 15);
    EXPECT_EQ(KX::SysEx::FindGlobalParam(u""), -1);
    EXPECT_EQ(KX::SysEx::FindGlobalParam(static_cast<const char16_t*>(nullptr)), -1);
    EXPECT_EQ(KX::SysEx::GetGlobalParamName(16), nullptr);
    EXPECT_EQ(KX::SysEx::GetGlobalParamName(-1), nullptr);
}

TEST(SysExBuilders, FramingAddsOnlyWhatIsMissing)
{
    Bytes m{0x00, 0x3F, 0x5A, 0x62, 0x01};
    ASSERT_TRUE(KX::SysEx::FrameMessage(m));
    EXPECT_EQ(m, (Bytes{0xF0, 0x00, 0x3F, 0x5A, 0x62, 0x01, 0xF7}));
    ASSERT_TRUE(KX::SysEx::FrameMessage(m));
    EXPECT_EQ(m.size(), 7u);

    Bytes one{0x42};
    ASSERT_TRUE(KX::SysEx::FrameMessage(one));
    EXPECT_EQ(one, (Bytes{0xF0, 0x42, 0xF7}));
    Bytes start{0xF0}, end{0xF7}, empty;
    EXPECT_FALSE(KX::SysEx::FrameMessage(start));
    EXPECT_FALSE(KX::SysEx::FrameMessage(end));
    EXPECT_FALSE(KX::SysEx::FrameMessage(empty));
}

// ------------------------------------------------------------ records from the model

TEST(SysExRecords, CollectsTheModelValuesInIdOrder)
{
    const Bytes records = RecordPattern();
    Bytes out(874, 0xEE);
    ASSERT_TRUE(KX::SysEx::CollectPresetRecords(ValuesFrom(records), out.data(), out.size()));
    EXPECT_EQ(out, records);
}

TEST(SysExRecords, RefusesValuesThatDoNotFitTheirRecords)
{
    const Bytes records = RecordPattern();
    Bytes out(874, 0xEE);
    const Bytes untouched = out;

    KX::Array<KX::ParamValue> values = ValuesFrom(records);
    // A longer name record would push every later record and overrun the block.
    const uint8_t longName[40] = {};
    values.ElementAt(0).value = KX::MakeBytesVariant(longName, sizeof(longName));
    EXPECT_FALSE(KX::SysEx::CollectPresetRecords(values, out.data(), out.size()));
    EXPECT_EQ(out, untouched);

    values = ValuesFrom(records);
    values.ElementAt(82).value = KX::MakeInt32Variant(3);
    EXPECT_FALSE(KX::SysEx::CollectPresetRecords(values, out.data(), out.size()));

    values = ValuesFrom(records);
    values.ElementAt(82).value.Clear();
    EXPECT_FALSE(KX::SysEx::CollectPresetRecords(values, out.data(), out.size()));

    values = ValuesFrom(records);
    Bytes pad(14, 0x01);
    pad[3] = 0x90;
    values.ElementAt(9).value = KX::MakeBytesVariant(pad.data(), 14);
    EXPECT_FALSE(KX::SysEx::CollectPresetRecords(values, out.data(), out.size()));
    EXPECT_EQ(out, untouched);

    values = ValuesFrom(records);
    values.RemoveItems(82, 1);
    EXPECT_FALSE(KX::SysEx::CollectPresetRecords(values, out.data(), out.size()));
    EXPECT_FALSE(KX::SysEx::CollectPresetRecords(ValuesFrom(records), out.data(), 873));
}

// ------------------------------------------------------------ recognising replies

TEST(SysExRecognise, PresetDumpNeedsExactLengthHeaderAndCommand)
{
    const Bytes records = RecordPattern();
    const Bytes dump = Dump(records);
    ASSERT_EQ(dump.size(), 886u);
    EXPECT_EQ(KX::SysEx::Classify(dump.data(), dump.size()), MessageKind::PresetDump);
    const uint8_t* body = KX::SysEx::GetPresetDumpRecords(dump.data(), dump.size());
    ASSERT_NE(body, nullptr);
    EXPECT_TRUE(std::equal(records.begin(), records.end(), body));

    Bytes shorter(dump.begin(), dump.end() - 1);
    Bytes longer = dump;
    longer.push_back(0xF7);
    EXPECT_EQ(KX::SysEx::Classify(shorter.data(), shorter.size()), MessageKind::Other);
    EXPECT_EQ(KX::SysEx::Classify(longer.data(), longer.size()), MessageKind::Other);
    EXPECT_EQ(KX::SysEx::GetPresetDumpRecords(longer.data(), longer.size()), nullptr);

    const Bytes wrongCommand = Dump(records, 0x64);
    EXPECT_EQ(KX::SysEx::Classify(wrongCommand.data(), wrongCommand.size()), MessageKind::Other);
    Bytes wrongMaker = dump;
    wrongMaker[2] = 0x40;
    EXPECT_EQ(KX::SysEx::Classify(wrongMaker.data(), wrongMaker.size()), MessageKind::Other);

    // Bytes 8 to 10 and the last one are not examined.
    Bytes loose = dump;
    loose[8] = loose[9] = loose[10] = 0x7F;
    loose[885] = 0x00;
    EXPECT_EQ(KX::SysEx::Classify(loose.data(), loose.size()), MessageKind::PresetDump);
}

TEST(SysExRecognise, GlobalReplyGivesNameAndValue)
{
    KX::SysEx::GlobalReplyData reply;
    const Bytes octave = GlobalReply(0x05, 0x00, 0x03);
    ASSERT_TRUE(KX::SysEx::ParseGlobalReply(octave.data(), octave.size(), reply));
    EXPECT_EQ(reply.code, 5);
    EXPECT_EQ(reply.value, 3);
    EXPECT_EQ(KX::WString(KX::SysEx::GetGlobalParamName(reply.code)), KX::WString(u"KEY_OCTAVE"));

    const Bytes big = GlobalReply(0x0D, 0x7F, 0x7F);
    ASSERT_TRUE(KX::SysEx::ParseGlobalReply(big.data(), big.size(), reply));
    EXPECT_EQ(reply.value, 16383);

    Bytes fourteen = octave;
    fourteen.pop_back();
    EXPECT_FALSE(KX::SysEx::ParseGlobalReply(fourteen.data(), fourteen.size(), reply));
    Bytes other = octave;
    other[7] = 0x6B;
    EXPECT_FALSE(KX::SysEx::ParseGlobalReply(other.data(), other.size(), reply));
}

TEST(SysExRecognise, GlobalReplyWithCodeOutsideTheTableIsIgnored)
{
    KX::SysEx::GlobalReplyData reply;
    for (uint8_t code : {uint8_t{16}, uint8_t{0x7F}, uint8_t{0x80}, uint8_t{0xFF}}) {
        const Bytes r = GlobalReply(code, 0, 1);
        EXPECT_EQ(KX::SysEx::Classify(r.data(), r.size()), MessageKind::GlobalReply);
        EXPECT_FALSE(KX::SysEx::ParseGlobalReply(r.data(), r.size(), reply)) << int(code);
        EXPECT_EQ(reply.code, -1);
    }
}

TEST(SysExRecognise, GlobalReplyValueBytesAreSevenBitUnsigned)
{
    // Bytes with the top bit set must not turn the value negative.
    KX::SysEx::GlobalReplyData reply;
    const Bytes r = GlobalReply(0x00, 0x81, 0xFF);
    ASSERT_TRUE(KX::SysEx::ParseGlobalReply(r.data(), r.size(), reply));
    EXPECT_EQ(reply.value, 1 * 128 + 0x7F);
    EXPECT_GE(reply.value, 0);
}

TEST(SysExRecognise, IdentityReplyIsKnownByItsOwnBytes)
{
    Bytes reply = IdentityReply('1', '0', '4', '1');
    EXPECT_EQ(KX::SysEx::Classify(reply.data(), reply.size()), MessageKind::IdentityReply);
    // Device id, manufacturer, family, model and the last byte are not examined.
    reply[2] = 0x10;
    reply[5] = reply[6] = reply[7] = reply[8] = reply[9] = 0x55;
    reply[14] = 0x00;
    EXPECT_TRUE(KX::SysEx::IsUsableIdentityReply(reply.data(), reply.size()));

    Bytes request{0xF0, 0x7E, 0x7F, 0x06, 0x01, 0xF7};
    EXPECT_EQ(KX::SysEx::Classify(request.data(), request.size()), MessageKind::Other);
    Bytes sixteen = IdentityReply('1', '0', '4', '1');
    sixteen.push_back(0xF7);
    EXPECT_FALSE(KX::SysEx::IsUsableIdentityReply(sixteen.data(), sixteen.size()));
    Bytes subId = IdentityReply('1', '0', '4', '1');
    subId[4] = 0x01;
    EXPECT_FALSE(KX::SysEx::IsUsableIdentityReply(subId.data(), subId.size()));
}

TEST(SysExRecognise, ShortAndNullInputIsOther)
{
    const uint8_t bytes[6] = {0xF0, 0x00, 0x3F, 0x5A, 0x7F, 0x31};
    EXPECT_EQ(KX::SysEx::Classify(bytes, sizeof(bytes)), MessageKind::Other);
    EXPECT_EQ(KX::SysEx::Classify(nullptr, 886), MessageKind::Other);
    EXPECT_EQ(KX::SysEx::Classify(nullptr, 15), MessageKind::Other);
    EXPECT_EQ(KX::SysEx::Classify(bytes, 0), MessageKind::Other);
}

// ------------------------------------------------------------ firmware rule

TEST(SysExFirmware, MinimumUsableVersionIs1041)
{
    struct Row {
        const char* digits;
        bool usable;
    };
    const Row table[] = {
        {"1041", true},  {"1040", false}, {"0999", false}, {"1100", true},  {"2000", true},
        {"1042", true},  {"1050", true},  {"1039", false}, {"1009", false}, {"1141", true},
        {"0000", false}, {"9999", true},  {"1031", false}, {"1049", true},
    };
    for (const Row& row : table) {
        const Bytes reply = IdentityReply(row.digits[0], row.digits[1], row.digits[2], row.digits[3]);
        EXPECT_EQ(KX::SysEx::IsUsableIdentityReply(reply.data(), reply.size()), row.usable) << row.digits;
    }
}

TEST(SysExFirmware, DigitsAreSignedOffsetsFromZero)
{
    KX::SysEx::FirmwareVersion version;
    // '/' is one below '0': digit -1, so 1.0.4.(-1) is below the minimum.
    Bytes reply = IdentityReply('1', '0', '4', '/');
    ASSERT_TRUE(KX::SysEx::ParseIdentityReply(reply.data(), reply.size(), version));
    EXPECT_EQ(version.digits[3], -1);
    EXPECT_FALSE(KX::SysEx::IsFirmwareUsable(version));
    // 0x30 + 0x80 wraps to -128 as a signed byte: far below.
    reply = IdentityReply(0xB0, '0', '4', '1');
    ASSERT_TRUE(KX::SysEx::ParseIdentityReply(reply.data(), reply.size(), version));
    EXPECT_EQ(version.digits[0], -128);
    EXPECT_FALSE(KX::SysEx::IsFirmwareUsable(version));
    // Letters sort above digits.
    reply = IdentityReply('1', 'A', '0', '0');
    EXPECT_TRUE(KX::SysEx::IsUsableIdentityReply(reply.data(), reply.size()));
}

} // namespace
