// The serialized record: golden bytes for every type in both directions, and
// malformed records.
#include "VariantSupport.h"

#include <gtest/gtest.h>

#include <memory>

using KX::Variant;
using namespace kxtest;

namespace {

struct Golden {
    const char* name;
    Variant value;
    Bytes record;
    int32_t typeAfterReading; // types 6 and 7 come back as owned blobs
};

const uint8_t kBorrowed[] = {0xAA, 0xBB, 0xCC};

Variant Borrowed(int32_t type)
{
    Variant v;
    v.SetBorrowed(type, kBorrowed, sizeof kBorrowed);
    return v;
}

std::vector<Golden> GoldenRecords()
{
    Variant list;
    const Variant items[] = {Int32(7), Text("hi")};
    list.SetList(items, 2);
    Variant emptyList;
    emptyList.SetList(nullptr, 0);

    return {
        {"empty", Variant(), Words({12, 0, 0}), 0},
        {"bool", Bool(1), Words({13, 0, 1}, {0x01}), 1},
        {"bool stored byte", Bool(0x7F), Words({13, 0, 1}, {0x7F}), 1},
        {"int32 7", Int32(7), Words({16, 0, 2, 7}), 2},
        {"int32 -2", Int32(-2), Words({16, 0, 2}, {0xFE, 0xFF, 0xFF, 0xFF}), 2},
        {"int64", Int64(0x0102030405060708), Words({20, 0, 3}, {8, 7, 6, 5, 4, 3, 2, 1}), 3},
        {"float 1.5", Float(1.5f), Words({16, 0, 4}, {0x00, 0x00, 0xC0, 0x3F}), 4},
        {"double -2", Double(-2.0), Words({20, 0, 5}, {0, 0, 0, 0, 0, 0, 0, 0xC0}), 5},
        {"borrowed", Borrowed(6), Words({15, 0, 6}, {0xAA, 0xBB, 0xCC}), 8},
        {"borrowed raw", Borrowed(7), Words({15, 0, 7}, {0xAA, 0xBB, 0xCC}), 8},
        {"blob", Blob({1, 2, 3, 4, 5}), Words({17, 0, 8}, {1, 2, 3, 4, 5}), 8},
        {"text", Text("abc"), Words({16, 0, 9}, {'a', 'b', 'c', 0}), 9},
        {"empty text", Text(""), Words({13, 0, 9}, {0}), 9},
        {"list", list, Concat({Words({12 + 16 + 15, 0, 10}), Words({16, 0, 2, 7}), Words({15, 0, 9}, {'h', 'i', 0})}),
         10},
        {"empty list", emptyList, Words({12, 0, 10}), 10},
    };
}

TEST(VariantRecord, GoldenBytesBothDirections)
{
    for (const Golden& g : GoldenRecords()) {
        SCOPED_TRACE(g.name);
        const Bytes written = RecordOf(g.value);
        EXPECT_EQ(written, g.record);

        // Reading from a heap block of exactly the record's size: any overread is caught.
        auto copy = std::make_unique<uint8_t[]>(g.record.size());
        std::memcpy(copy.get(), g.record.data(), g.record.size());
        Variant read = Int32(99);
        ASSERT_EQ(Variant::Deserialize(read, copy.get(), static_cast<uint32_t>(g.record.size())), KX::S_OK);
        EXPECT_EQ(read.GetType(), g.typeAfterReading);
        EXPECT_EQ(DataOf(read), DataOf(g.value));
        if (g.typeAfterReading == g.value.GetType()) {
            EXPECT_TRUE(read == g.value);
            EXPECT_EQ(RecordOf(read), g.record);
        }
    }
}

TEST(VariantRecord, SerializeReturnsLengthAndNeedsRoom)
{
    const Variant seven = Int32(7);
    uint8_t buffer[32];
    std::memset(buffer, 0x5A, sizeof buffer);

    EXPECT_EQ(Variant::Serialize(seven, buffer, 15), 0x80004005u);
    for (uint8_t b : buffer)
        ASSERT_EQ(b, 0x5A) << "nothing may be written on failure";
    EXPECT_EQ(Variant::Serialize(seven, nullptr, 100), 0x80004005u);

    EXPECT_EQ(Variant::Serialize(seven, buffer, sizeof buffer), 16u);
    EXPECT_EQ(Bytes(buffer, buffer + 16), Words({16, 0, 2, 7}));
    EXPECT_EQ(buffer[16], 0x5A);
}

TEST(VariantRecord, BorrowedWithoutDataCannotBeWritten)
{
    uint8_t buffer[64] = {};
    for (int32_t type : {Variant::TypeBorrowed, Variant::TypeBorrowedRaw}) {
        Variant v;
        v.SetBorrowed(type, nullptr, 0);
        EXPECT_EQ(Variant::Serialize(v, buffer, sizeof buffer), 0x80004005u);
    }
}

TEST(VariantRecord, EmptyBlobIsWrittenButNotReadBack)
{
    const Variant empty = Blob({});
    const Bytes record = RecordOf(empty);
    EXPECT_EQ(record, Words({12, 0, 8}));

    Variant target = Text("keep");
    EXPECT_EQ(Variant::Deserialize(target, record.data(), 12), KX::E_FAIL);
    EXPECT_STREQ(target.GetString(), "keep");
}

TEST(VariantRecord, MalformedRecordsFailAndLeaveTargetUnchanged)
{
    const struct {
        const char* name;
        Bytes record;
        uint32_t available;
    } cases[] = {
        {"short of a header", Words({12, 0}), 8},
        {"length 0", Words({0, 0, 2, 7}), 16},
        {"length below header", Words({11, 0, 2, 7}), 16},
        {"length past available", Words({17, 0, 2, 7}), 16},
        {"reserved not 0", Words({16, 1, 2, 7}), 16},
        {"type 11", Words({16, 0, 11, 7}), 16},
        {"type all ones", Words({16, 0, 0xFFFFFFFFu, 7}), 16},
        {"empty type with data", Words({16, 0, 0, 7}), 16},
        {"int32 without data", Words({12, 0, 2}), 12},
        {"text without data", Words({12, 0, 9}), 12},
        {"borrowed without data", Words({12, 0, 6}), 12},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Variant target = Blob({1, 2, 3});
        EXPECT_EQ(Variant::Deserialize(target, c.record.data(), c.available), KX::E_FAIL);
        EXPECT_TRUE(target == Blob({1, 2, 3}));
    }
    Variant target = Int32(5);
    EXPECT_EQ(Variant::Deserialize(target, nullptr, 100), KX::E_FAIL);
    EXPECT_EQ(target.ToInt32(), 5);
}

TEST(VariantRecord, ScalarOfWrongLengthReadsAsEmpty)
{
    const Bytes record = Words({15, 0, 2}, {1, 2, 3});
    Variant target = Int32(5);
    EXPECT_EQ(Variant::Deserialize(target, record.data(), 15), KX::S_OK);
    EXPECT_EQ(target.GetType(), Variant::TypeEmpty);
}

TEST(VariantRecord, TextIsReadOnlyWithinTheRecord)
{
    // "abc" without a terminator, followed by bytes that belong to nothing.
    const Bytes record = Words({15, 0, 9}, {'a', 'b', 'c'});
    auto exact = std::make_unique<uint8_t[]>(record.size());
    std::memcpy(exact.get(), record.data(), record.size());
    Variant v;
    ASSERT_EQ(Variant::Deserialize(v, exact.get(), 15), KX::S_OK);
    EXPECT_STREQ(v.GetString(), "abc");
    EXPECT_EQ(DataOf(v).size(), 4u);

    Bytes longer = record;
    longer.insert(longer.end(), {'x', 'y', 'z', 0});
    ASSERT_EQ(Variant::Deserialize(v, longer.data(), static_cast<uint32_t>(longer.size())), KX::S_OK);
    EXPECT_STREQ(v.GetString(), "abc");

    // The text ends at the first terminator inside the record.
    const Bytes inner = Words({18, 0, 9}, {'a', 'b', 0, 'c', 'd', 0});
    ASSERT_EQ(Variant::Deserialize(v, inner.data(), 18), KX::S_OK);
    EXPECT_STREQ(v.GetString(), "ab");
    EXPECT_EQ(DataOf(v).size(), 3u);
}

TEST(VariantRecord, ReadingARecordHeldByTheTargetItself)
{
    Variant v = Blob(Words({17, 0, 8}, {9, 8, 7, 6, 5}));
    uint32_t n = 0;
    const uint8_t* own = v.GetData(n);
    ASSERT_EQ(Variant::Deserialize(v, own, n), KX::S_OK);
    EXPECT_EQ(DataOf(v), (Bytes{9, 8, 7, 6, 5}));
}

} // namespace
