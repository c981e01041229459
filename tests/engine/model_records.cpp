// Value records of the 83 parameters: lengths, places in the preset block, defaults,
// and the golden digest of the default preset.
#include "engine/ParamRecords.h"
#include "engine/RootModule.h"

#include "ModelFakes.h"
#include "Sha256.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr const char* kDefaultPresetDigest = "0acfafb9bdb0444871536024ae3f93e436453e2cc3fa75ee11ea73bad9ccb93a";

std::vector<uint8_t> Bytes(const KX::Variant& v)
{
    uint32_t n = 0;
    const uint8_t* p = v.GetData(n);
    return std::vector<uint8_t>(p, p + n);
}

KX::Variant Record(std::vector<uint8_t> bytes)
{
    KX::Variant v;
    v.SetBytes(bytes.data(), static_cast<uint32_t>(bytes.size()));
    return v;
}

} // namespace

TEST(Sha256, KnownDigests)
{
    EXPECT_EQ(kxtest::Sha256Hex("", 0), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(kxtest::Sha256Hex("abc", 3), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    const std::string twoBlocks = "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq";
    EXPECT_EQ(kxtest::Sha256Hex(twoBlocks.data(), twoBlocks.size()),
              "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
}

TEST(ParamRecords, DefaultPresetMatchesGoldenDigest)
{
    std::vector<uint8_t> block;
    for (int32_t id = 0; id < static_cast<int32_t>(kParamCount); ++id) {
        const KX::Variant record = MakeDefaultParamRecord(id);
        ASSERT_TRUE(IsValidParamRecord(id, record)) << "id " << id;
        ASSERT_EQ(block.size(), GetParamRecordOffset(id)) << "id " << id;
        const std::vector<uint8_t> bytes = Bytes(record);
        block.insert(block.end(), bytes.begin(), bytes.end());
    }
    ASSERT_EQ(block.size(), kPresetRecordBytes);
    EXPECT_EQ(kxtest::Sha256Hex(block.data(), block.size()), kDefaultPresetDigest);
}

TEST(ParamRecords, RootLoadsTheGoldenDefaultsIntoItsCache)
{
    // The same defaults, this time as the leaves of a real tree give them.
    const KX::RCPtr<kxtest::FakeParamCache> cache(new kxtest::FakeParamCache());
    const KX::RCPtr<LRootModule> root = LRootModule::Create(true);
    root->Setup(nullptr, nullptr, cache, nullptr, 0);
    std::vector<uint8_t> block;
    for (uint32_t i = 0; i < kParamCount; ++i) {
        const std::vector<uint8_t> bytes = Bytes(cache->Slot(i));
        block.insert(block.end(), bytes.begin(), bytes.end());
    }
    ASSERT_EQ(block.size(), kPresetRecordBytes);
    EXPECT_EQ(kxtest::Sha256Hex(block.data(), block.size()), kDefaultPresetDigest);
}

TEST(ParamRecords, LayoutOfThePresetBlock)
{
    // Record starts in the keyboard's dump, which puts the block at offset 11.
    const struct {
        int32_t id;
        uint32_t dumpOffset;
        uint32_t length;
    } rows[] = {{0, 11, 6},   {1, 17, 9},   {4, 44, 9},    {5, 53, 5},    {6, 58, 5},    {7, 63, 6},
                {8, 69, 6},   {9, 75, 14},  {24, 285, 14}, {25, 299, 17}, {44, 622, 17}, {45, 639, 6},
                {64, 753, 6}, {65, 759, 6}, {80, 849, 6},  {81, 855, 15}, {82, 870, 15}};
    for (const auto& row : rows) {
        EXPECT_EQ(GetParamRecordOffset(row.id) + 11, row.dumpOffset) << "id " << row.id;
        EXPECT_EQ(GetParamRecordLength(row.id), row.length) << "id " << row.id;
    }
    EXPECT_EQ(GetParamRecordOffset(82) + GetParamRecordLength(82), kPresetRecordBytes);

    for (int32_t id : {-1, 83, 1000, -2147483647 - 1, 2147483647}) {
        EXPECT_EQ(GetParamRecordLength(id), 0u) << id;
        EXPECT_EQ(GetParamRecordOffset(id), 0u) << id;
        EXPECT_EQ(FindParamKind(id), nullptr) << id;
        EXPECT_EQ(MakeDefaultParamRecord(id).GetType(), KX::Variant::TypeEmpty) << id;
    }
}

TEST(ParamRecords, DefaultsFollowTheControlIndex)
{
    using V = std::vector<uint8_t>;
    EXPECT_EQ(Bytes(MakeDefaultParamRecord(0)), (V{'P', 'R', 'E', 'S', 'E', 'T'}));
    EXPECT_EQ(Bytes(MakeDefaultParamRecord(1)), (V{0, 0, 0, 0, 0, 0, 24, 5, 12}));
    EXPECT_EQ(Bytes(MakeDefaultParamRecord(4)), (V{0, 3, 0, 0, 0, 0, 24, 5, 12}));
    EXPECT_EQ(Bytes(MakeDefaultParamRecord(5)), (V{0, 1, 16, 0, 127}));
    EXPECT_EQ(Bytes(MakeDefaultParamRecord(6)), (V{0, 0, 0, 0, 127}));
    EXPECT_EQ(Bytes(MakeDefaultParamRecord(7)), (V{0, 0, 7, 0, 0, 127}));
    EXPECT_EQ(Bytes(MakeDefaultParamRecord(8)), (V{0, 0, 64, 0, 0, 127}));
    EXPECT_EQ(Bytes(MakeDefaultParamRecord(24))[7], 51);
    EXPECT_EQ(Bytes(MakeDefaultParamRecord(44)), (V{0, 4, 3, 7, 5, 1, 19, 19, 0, 0, 0, 0, 0, 127, 0, 0, 0}));
    EXPECT_EQ(Bytes(MakeDefaultParamRecord(45)), (V{0, 0, 0, 0, 0, 127}));
    EXPECT_EQ(Bytes(MakeDefaultParamRecord(65)), (V{0, 0, 40, 0, 0, 127}));
    EXPECT_EQ(Bytes(MakeDefaultParamRecord(80)), (V{0, 0, 55, 0, 0, 127}));
    EXPECT_EQ(Bytes(MakeDefaultParamRecord(82)), (V{0, 0, 113, 0, 0, 127, 8, 69, 81, 71, 72, 74, 76, 77, 79}));
    EXPECT_EQ(MakeDefaultParamRecord(30).GetType(), KX::Variant::TypeBlob);
}

TEST(ParamRecords, OnlyOwnedBytesOfTheExactLengthAreRecords)
{
    EXPECT_TRUE(IsValidParamRecord(65, Record({0, 0, 1, 0, 0, 127})));
    EXPECT_EQ(CheckParamRecord(65, Record({0, 0, 1, 0, 0, 127})), KX::S_OK);
    EXPECT_FALSE(IsValidParamRecord(65, Record({0, 0, 1, 0, 0})));
    EXPECT_FALSE(IsValidParamRecord(65, Record({0, 0, 1, 0, 0, 127, 0})));
    EXPECT_FALSE(IsValidParamRecord(65, Record(std::vector<uint8_t>(4096, 1))));
    EXPECT_FALSE(IsValidParamRecord(65, KX::Variant()));
    EXPECT_EQ(CheckParamRecord(65, KX::Variant()), KX::E_INVALIDARG);

    KX::Variant text; // "PRESE" with its terminator is six bytes, but text
    text.SetString("PRESE");
    EXPECT_FALSE(IsValidParamRecord(0, text));
    const uint8_t six[6] = {};
    KX::Variant borrowed;
    borrowed.SetBorrowed(KX::Variant::TypeBorrowed, six, 6);
    EXPECT_FALSE(IsValidParamRecord(0, borrowed));
    EXPECT_FALSE(IsValidParamRecord(0, KX::MakeInt64Variant(0)));
    // A record of the right length for another parameter is still refused.
    EXPECT_FALSE(IsValidParamRecord(83, Record({0, 0, 1, 0, 0, 127})));
    EXPECT_FALSE(IsValidParamRecord(81, MakeDefaultParamRecord(80)));
    // Every record byte travels as a System Exclusive data byte.
    EXPECT_TRUE(IsValidParamRecord(65, Record({0x7F, 0, 1, 0, 0, 127})));
    EXPECT_FALSE(IsValidParamRecord(65, Record({0x80, 0, 1, 0, 0, 127})));
    EXPECT_FALSE(IsValidParamRecord(0, Record({'P', 'R', 0xE9, 'S', 'E', 'T'})));
    EXPECT_FALSE(IsValidParamRecord(82, Record({0, 0, 112, 0, 0, 127, 8, 60, 72, 62, 64, 65, 67, 69, 0xFF})));
}
