#include "VariantSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace kxtest;

namespace {

KX::Variant List(std::initializer_list<KX::Variant> items)
{
    std::vector<KX::Variant> v(items);
    KX::Variant list;
    list.SetList(v.data(), static_cast<int32_t>(v.size()));
    return list;
}

TEST(VariantOrder, EmptyComesFirstAndIsNotLessThanItself)
{
    KX::Variant empty;
    EXPECT_FALSE(empty < empty);
    EXPECT_TRUE(empty < Int32(-5));
    EXPECT_FALSE(Int32(-5) < empty);
    EXPECT_TRUE(empty < Text(""));
}

TEST(VariantOrder, MixedNumericTypesCompareAsDoubles)
{
    EXPECT_TRUE(Int32(2) < Double(2.5));
    EXPECT_FALSE(Double(2.5) < Int32(2));
    EXPECT_TRUE(Int64(-10) < Float(-9.5f));
    EXPECT_TRUE(Bool(0) < Int32(1));
    EXPECT_FALSE(Int32(3) < Double(3.0));
    EXPECT_FALSE(Double(3.0) < Int32(3));
}

TEST(VariantOrder, SameTypeScalars)
{
    EXPECT_TRUE(Int32(-1) < Int32(0));
    EXPECT_TRUE(Int64(-1) < Int64(1));
    EXPECT_TRUE(Int64(0x00000001FFFFFFFFLL) < Int64(0x0000000200000000LL));
    EXPECT_TRUE(Int64(INT64_MIN) < Int64(INT64_MAX));
    EXPECT_TRUE(Float(-0.5f) < Float(0.25f));
    EXPECT_TRUE(Bool(0) < Bool(1));
}

TEST(VariantOrder, BlobsShorterFirstThenUnsignedBytes)
{
    EXPECT_TRUE(Blob({0xFF}) < Blob({0x00, 0x00}));
    EXPECT_TRUE(Blob({0x01, 0x7F}) < Blob({0x01, 0x80}));
    EXPECT_FALSE(Blob({1, 2}) < Blob({1, 2}));
}

TEST(VariantOrder, TextsShorterFirstThenSignedBytes)
{
    EXPECT_TRUE(Text("zz") < Text("aaa"));
    EXPECT_TRUE(Text("\xC3") < Text("a")); // 0xC3 is negative as a signed byte
    EXPECT_TRUE(Text("B") < Text("a"));
}

TEST(VariantOrder, MixedNonNumericTypesCompareData)
{
    // A numeric value counts as its 8 value bytes.
    EXPECT_TRUE(Blob({1, 2, 3}) < Int32(0));
    EXPECT_TRUE(Int32(0) < Blob({0, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_TRUE(Int32(1) < Blob({2, 0, 0, 0, 0, 0, 0, 0}));
}

TEST(VariantOrder, ListsItemByItemWithPrefixFirst)
{
    EXPECT_TRUE(List({Int32(1), Int32(2)}) < List({Int32(1), Int32(3)}));
    EXPECT_TRUE(List({Int32(1)}) < List({Int32(1), Int32(0)}));
    EXPECT_FALSE(List({Int32(1), Int32(0)}) < List({Int32(1)}));
    EXPECT_TRUE(List({Int32(2)}) < List({Double(2.5), Int32(0)}) );
    EXPECT_TRUE(List({}) < List({KX::Variant()}));
}

TEST(VariantOrder, SortsAMixedCollectionConsistently)
{
    std::vector<KX::Variant> values = {Text("b"), Int32(5), KX::Variant(), Double(-1.0), Blob({9}), Int64(2)};
    std::sort(values.begin(), values.end());
    for (size_t i = 1; i < values.size(); ++i)
        EXPECT_FALSE(values[i] < values[i - 1]) << "at " << i;
    EXPECT_EQ(values.front().GetType(), KX::Variant::TypeEmpty);
}

} // namespace
