// Variant values: setters, conversions, copies and equality.
#include "VariantSupport.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>
#include <memory>

using KX::Variant;
using namespace kxtest;

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(VariantValue, FloatRoundingFollowsItsArithmetic)
{
    // Half away from zero; the 32-bit result rounds in double, the 64-bit one in float.
    const Variant almostHalf = Float(0.49999997f);
    EXPECT_EQ(almostHalf.ToInt32(), 0);
    EXPECT_EQ(almostHalf.ToInt64(), 1);
    for (const Variant& v : {Float(-2.5f), Double(-2.5)}) {
        EXPECT_EQ(v.ToInt32(), -3);
        EXPECT_EQ(v.ToInt64(), -3);
    }
    for (const Variant& v : {Float(2.5f), Double(2.5)}) {
        EXPECT_EQ(v.ToInt32(), 3);
        EXPECT_EQ(v.ToInt64(), 3);
    }
    EXPECT_EQ(Double(2147483647.4).ToInt32(), INT_MAX);
    EXPECT_EQ(Double(-2147483648.4).ToInt32(), INT_MIN);
    EXPECT_EQ(Double(-0.4).ToInt32(), 0);
}

TEST(VariantValue, FloatOutOfRangeGivesLowestInteger)
{
    for (double d : {kNaN, kInf, -kInf, 1e10, -1e10, 2147483647.6, 1e300}) {
        SCOPED_TRACE(d);
        EXPECT_EQ(Double(d).ToInt32(), INT_MIN);
        EXPECT_EQ(Float(static_cast<float>(d)).ToInt32(), INT_MIN);
    }
    for (double d : {kNaN, kInf, -kInf, 1e19, -1e19, 1e300}) {
        SCOPED_TRACE(d);
        EXPECT_EQ(Double(d).ToInt64(), INT64_MIN);
        EXPECT_EQ(Float(static_cast<float>(d)).ToInt64(), INT64_MIN);
    }
    EXPECT_EQ(Double(1e10).ToInt64(), 10000000000LL);
    EXPECT_EQ(Float(-1e10f).ToInt64(), -10000000000LL);
    EXPECT_TRUE(Double(kNaN).ToBool());
    EXPECT_TRUE(Float(std::nanf("")).ToBool());
    EXPECT_FALSE(Double(-0.0).ToBool());
}

TEST(VariantValue, IntegerAndBoolConversions)
{
    const Variant stored = Bool(0xC8);
    EXPECT_TRUE(stored.ToBool());
    EXPECT_EQ(stored.ToInt32(), 200);
    EXPECT_EQ(stored.ToInt64(), 200);

    EXPECT_EQ(Int32(-5).ToInt64(), -5);
    EXPECT_EQ(Int64(0x100000005LL).ToInt32(), 5);
    EXPECT_EQ(Int64(0xFFFFFFFFLL).ToInt32(), -1);
    EXPECT_EQ(Double(1e300).ToFloat(), std::numeric_limits<float>::infinity());
}

TEST(VariantValue, TextConvertsToItsLength)
{
    const Variant abc = Text("abc");
    EXPECT_EQ(DataOf(abc).size(), 4u);
    EXPECT_EQ(abc.ToInt32(), 3);
    EXPECT_EQ(abc.ToInt64(), 3);
    EXPECT_EQ(abc.ToFloat(), 3.0f);
    EXPECT_TRUE(abc.ToBool());

    const Variant empty = Text("");
    EXPECT_EQ(DataOf(empty).size(), 1u);
    EXPECT_FALSE(empty.ToBool());
    EXPECT_EQ(empty.ToInt32(), 0);

    Variant null;
    EXPECT_EQ(null.SetString(nullptr), Variant::TypeString);
    EXPECT_STREQ(null.GetString(), "");
}

TEST(VariantValue, ShortDataReadsNoFurtherThanItsEnd)
{
    // Exactly sized heap blocks: reading past them is caught by the address sanitizer.
    auto two = std::make_unique<uint8_t[]>(2);
    two[0] = 0x01;
    two[1] = 0x82;
    Variant borrowed;
    borrowed.SetBorrowed(Variant::TypeBorrowed, two.get(), 2);
    EXPECT_EQ(borrowed.ToInt32(), 0x8201);
    EXPECT_EQ(borrowed.ToInt64(), 0x8201);
    EXPECT_EQ(borrowed.ToDouble(), 33281.0);

    const Variant blob = Blob({0xFF, 0xFF, 0xFF, 0xFF, 0x01});
    EXPECT_EQ(blob.ToInt32(), -1);
    EXPECT_EQ(blob.ToInt64(), 0x1FFFFFFFFLL);
    EXPECT_EQ(blob.ToFloat(), -1.0f);
    EXPECT_EQ(Blob({1, 2, 3, 4, 5, 6, 7, 8, 9}).ToInt64(), 0x0807060504030201LL);

    const Variant none = Blob({});
    EXPECT_FALSE(none.ToBool());
    EXPECT_EQ(none.ToInt32(), 0);
    EXPECT_EQ(none.ToInt64(), 0);

    Variant nothing;
    nothing.SetBorrowed(Variant::TypeBorrowedRaw, nullptr, 0);
    EXPECT_FALSE(nothing.ToBool());
    EXPECT_EQ(nothing.ToInt64(), 0);
}

TEST(VariantValue, BorrowedKinds)
{
    // Both kinds carry their bytes; only the first hands them out as elements.
    const uint8_t bytes[] = {1, 2, 3};
    Variant v;
    uint32_t count = 99;
    v.SetBorrowed(Variant::TypeBorrowed, bytes, 3);
    EXPECT_EQ(v.GetElements(count), bytes);
    EXPECT_EQ(count, 3u);
    v.SetBorrowed(Variant::TypeBorrowedRaw, bytes, 3);
    EXPECT_EQ(v.GetElements(count), nullptr);
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(v.GetData(count), bytes);
    EXPECT_EQ(count, 3u);

    EXPECT_EQ(v.SetBorrowed(Variant::TypeBlob, bytes, 3), Variant::TypeEmpty);
    EXPECT_EQ(v.GetType(), Variant::TypeEmpty);
}

TEST(VariantValue, SetRawByType)
{
    const uint8_t four[] = {7, 0, 0, 0};
    Variant v = Text("old");
    EXPECT_EQ(v.SetRaw(Variant::TypeInt32, four, 4), Variant::TypeInt32);
    EXPECT_EQ(v.ToInt32(), 7);
    EXPECT_EQ(v.SetRaw(Variant::TypeInt64, four, 4), Variant::TypeEmpty);
    EXPECT_EQ(v.GetType(), Variant::TypeEmpty);
    EXPECT_EQ(v.SetRaw(Variant::TypeBool, four, 4), Variant::TypeEmpty);
    EXPECT_EQ(v.SetRaw(Variant::TypeEmpty, four, 4), Variant::TypeEmpty);
    EXPECT_EQ(v.SetRaw(11, four, 4), Variant::TypeEmpty);
    EXPECT_EQ(v.SetRaw(-1, four, 4), Variant::TypeEmpty);

    // Borrowed types become owned copies.
    for (int32_t type : {Variant::TypeBorrowed, Variant::TypeBorrowedRaw, Variant::TypeBlob}) {
        EXPECT_EQ(v.SetRaw(type, four, 4), Variant::TypeBlob);
        uint32_t n = 0;
        EXPECT_NE(v.GetData(n), four);
        EXPECT_EQ(DataOf(v), Bytes(four, four + 4));
    }
    EXPECT_EQ(v.SetRaw(Variant::TypeString, four, 4), Variant::TypeString);
    EXPECT_EQ(DataOf(v), (Bytes{7, 0}));
    EXPECT_EQ(v.SetRaw(Variant::TypeInt32, nullptr, 4), Variant::TypeEmpty);
}

TEST(VariantValue, SettersMayReadFromTheirOwnData)
{
    Variant v = Blob({1, 2, 3, 4});
    uint32_t n = 0;
    const uint8_t* own = v.GetData(n);
    v.SetBytes(own + 1, n - 1);
    EXPECT_EQ(DataOf(v), (Bytes{2, 3, 4}));

    v = Text("hello");
    v.SetString(v.GetString() + 2);
    EXPECT_STREQ(v.GetString(), "llo");

    v = Blob({'x', 'y'});
    own = v.GetData(n);
    v.SetRaw(Variant::TypeString, own, n);
    EXPECT_STREQ(v.GetString(), "xy");

    v = Blob({});
    EXPECT_EQ(v.SetBytes(nullptr, 3), Variant::TypeBlob);
    EXPECT_EQ(DataOf(v), (Bytes{0, 0, 0}));
}

TEST(VariantValue, CopiesShareBorrowedDataButOwnTheirBlobs)
{
    const uint8_t bytes[] = {1, 2, 3};
    Variant borrowed;
    borrowed.SetBorrowed(Variant::TypeBorrowed, bytes, 3);
    const Variant borrowedCopy(borrowed);
    uint32_t n = 0;
    EXPECT_EQ(borrowedCopy.GetData(n), bytes);
    EXPECT_TRUE(borrowedCopy == borrowed);

    Variant blob = Blob({1, 2, 3});
    Variant copy(blob);
    uint32_t m = 0;
    EXPECT_NE(copy.GetData(n), blob.GetData(m));
    copy.SetBytes(bytes, 2);
    EXPECT_EQ(DataOf(blob), (Bytes{1, 2, 3}));
    copy = blob;
    blob.Clear();
    EXPECT_EQ(DataOf(copy), (Bytes{1, 2, 3}));
    EXPECT_EQ(blob.GetType(), Variant::TypeEmpty);
}

TEST(VariantValue, SelfAssignmentKeepsTheValue)
{
    const Variant items[] = {Text("abc"), Int32(2)};
    Variant list;
    list.SetList(items, 2);
    for (Variant v : {Blob({4, 5}), Text("t"), Int64(-9), list}) {
        const Bytes before = RecordOf(v);
        Variant& alias = v;
        v = alias;
        EXPECT_EQ(v.Assign(alias), v.GetType());
        EXPECT_EQ(RecordOf(v), before);
    }
}

TEST(VariantValue, Equality)
{
    EXPECT_FALSE(Int32(1) == Int64(1));
    EXPECT_TRUE(Int64(-1) == Int64(-1));
    EXPECT_TRUE(Variant() == Variant());
    EXPECT_FALSE(Bool(1) == Bool(2));
    EXPECT_TRUE(Bool(2) == Bool(2));
    EXPECT_FALSE(Double(kNaN) == Double(kNaN));
    EXPECT_TRUE(Double(0.0) == Double(-0.0));
    EXPECT_TRUE(Float(1.5f) == Float(1.5f));
    EXPECT_TRUE(Blob({}) == Blob({}));
    EXPECT_FALSE(Blob({1}) == Blob({1, 0}));
    EXPECT_FALSE(Blob({1, 2}) == Blob({1, 3}));
    EXPECT_FALSE(Blob({'a', 0}) == Text("a"));
    EXPECT_TRUE(Text("a") == Text("a"));

    // Borrowed data compares by address and size, not contents.
    const uint8_t one[] = {1, 2};
    const uint8_t other[] = {1, 2};
    Variant a, b;
    a.SetBorrowed(Variant::TypeBorrowed, one, 2);
    b.SetBorrowed(Variant::TypeBorrowed, other, 2);
    EXPECT_FALSE(a == b);
    b.SetBorrowed(Variant::TypeBorrowed, one, 1);
    EXPECT_FALSE(a == b);
    b.SetBorrowed(Variant::TypeBorrowed, one, 2);
    EXPECT_TRUE(a == b);
    b.SetBorrowed(Variant::TypeBorrowedRaw, one, 2);
    EXPECT_FALSE(a == b);
}

} // namespace
