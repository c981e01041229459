#include "VariantSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cstring>
#include <functional>
#include <limits>
#include <random>

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

TEST(VariantOrder, OtherMixedTypesGoByTypeWithNumbersTogether)
{
    // Numbers, then types 6 to 10 in the order of their codes, whatever the data.
    EXPECT_TRUE(Int32(0) < Blob({1, 2, 3}));
    EXPECT_TRUE(Double(1e300) < Blob({}));
    EXPECT_FALSE(Blob({1, 0, 0, 0, 0, 0, 0, 0}) < Int32(5));
    EXPECT_TRUE(Blob({0xFF, 0xFF}) < Text(""));
    EXPECT_TRUE(Text("zzz") < List({}));
    static const uint8_t bytes[4] = {9, 9, 9, 9};
    KX::Variant borrowed;
    ASSERT_EQ(borrowed.SetBorrowed(KX::Variant::TypeBorrowed, bytes, 4), KX::Variant::TypeBorrowed);
    KX::Variant raw;
    ASSERT_EQ(raw.SetBorrowed(KX::Variant::TypeBorrowedRaw, bytes, 1), KX::Variant::TypeBorrowedRaw);
    EXPECT_TRUE(Bool(255) < borrowed);
    EXPECT_TRUE(borrowed < raw);
    EXPECT_TRUE(raw < Blob({}));

    // The circle that comparing data made: 5 < 10.0 < bytes 01 00 .. < 5.
    const KX::Variant five = Int32(5), ten = Double(10.0), bytes8 = Blob({1, 0, 0, 0, 0, 0, 0, 0});
    EXPECT_TRUE(five < ten);
    EXPECT_TRUE(ten < bytes8);
    EXPECT_TRUE(five < bytes8);
}

TEST(VariantOrder, NumbersCompareByExactValue)
{
    // Integers beyond the doubles' precision still order against doubles as they do among themselves.
    const int64_t big = int64_t(1) << 53;
    EXPECT_TRUE(Double(double(big)) < Int64(big + 1));
    EXPECT_FALSE(Int64(big + 1) < Double(double(big)));
    EXPECT_FALSE(Int64(big) < Double(double(big)));
    EXPECT_TRUE(Int64(INT64_MAX) < Double(0x1p63));
    EXPECT_TRUE(Double(-0x1p63) < Int64(INT64_MIN + 1));
    EXPECT_FALSE(Int64(INT64_MIN) < Double(-0x1p63));
    EXPECT_TRUE(Int64(-3) < Double(-2.5));
    EXPECT_TRUE(Double(2.5) < Int64(3));
    EXPECT_TRUE(Bool(2) < Float(2.5f));
    // A NaN is greater than every number and equivalent to every other NaN.
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_TRUE(Double(1e308) < Double(nan));
    EXPECT_TRUE(Int64(INT64_MAX) < Float(std::numeric_limits<float>::quiet_NaN()));
    EXPECT_FALSE(Double(nan) < Float(std::numeric_limits<float>::quiet_NaN()));
    EXPECT_FALSE(Double(nan) < Double(-nan));
    EXPECT_TRUE(Double(std::numeric_limits<double>::infinity()) < Double(nan));
}

// A list holding a list holding ... depth levels down, then an Int32.
KX::Variant Nested(int depth, int32_t innermost)
{
    Bytes record = RecordOf(Int32(innermost));
    std::vector<uint8_t> all(static_cast<size_t>(depth) * 12 + record.size());
    for (int level = 0; level < depth; ++level) {
        const uint32_t length = static_cast<uint32_t>(all.size() - static_cast<size_t>(level) * 12);
        uint8_t* header = all.data() + static_cast<size_t>(level) * 12;
        std::memcpy(header, &length, 4);
        std::memset(header + 4, 0, 8);
        header[8] = static_cast<uint8_t>(KX::Variant::TypeList);
    }
    std::memcpy(all.data() + static_cast<size_t>(depth) * 12, record.data(), record.size());
    KX::Variant v;
    EXPECT_EQ(KX::Variant::Deserialize(v, all.data(), static_cast<uint32_t>(all.size())), KX::S_OK);
    return v;
}

TEST(VariantOrder, DeeplyNestedListsCompareWithoutRecursion)
{
    // A record of a megabyte and more nests lists some 100,000 levels deep.
    const KX::Variant a = Nested(100000, 5);
    const KX::Variant b = Nested(100000, 6);
    EXPECT_TRUE(a < b);
    EXPECT_FALSE(b < a);
    EXPECT_FALSE(a < a);
    EXPECT_TRUE(Nested(99999, 9) < a) << "a list nested one level less holds an Int32 before a list";
}

// A pool of values chosen to meet at the boundaries: equal numbers of other types, integers past
// the doubles' precision, NaNs, byte strings that read like numbers, lists of them.
std::vector<KX::Variant> MixedValues(uint32_t seed, size_t count)
{
    static const uint8_t borrowed[8] = {1, 0, 0, 0, 0, 0, 0, 0};
    const int64_t big = int64_t(1) << 53;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    std::mt19937 random(seed);
    auto pick = [&random](size_t n) { return static_cast<size_t>(random() % n); };
    std::function<KX::Variant(int)> make = [&](int depth) -> KX::Variant {
        switch (pick(depth > 0 ? 11 : 10)) {
        case 0: return KX::Variant();
        case 1: return Bool(std::array<uint8_t, 4>{0, 1, 2, 255}[pick(4)]);
        case 2: return Int32(std::array<int32_t, 6>{-1, 0, 1, 5, 10, INT32_MIN}[pick(6)]);
        case 3: return Int64(std::array<int64_t, 6>{5, big, big + 1, -big - 1, INT64_MAX, INT64_MIN}[pick(6)]);
        case 4: return Float(std::array<float, 5>{2.5f, 5.0f, -0.0f, float(nan), 1e30f}[pick(5)]);
        case 5:
            return Double(std::array<double, 8>{10.0, 0.0, -0.0, double(big), 0x1p63, -0x1p63, nan,
                                                std::numeric_limits<double>::infinity()}[pick(8)]);
        case 6:
        case 7: {
            KX::Variant v;
            v.SetBorrowed(pick(2) ? KX::Variant::TypeBorrowed : KX::Variant::TypeBorrowedRaw, borrowed + pick(3),
                          uint32_t(1 + pick(5)));
            return v;
        }
        case 8: {
            Bytes bytes(pick(10));
            for (auto& b : bytes)
                b = std::array<uint8_t, 3>{0, 1, 0xFF}[pick(3)];
            return Blob(bytes);
        }
        case 9: return Text(std::array<const char*, 4>{"", "a", "b", "\xC3"}[pick(4)]);
        default: {
            std::vector<KX::Variant> items(pick(3));
            for (auto& item : items)
                item = make(depth - 1);
            KX::Variant list;
            list.SetList(items.data(), static_cast<int32_t>(items.size()));
            return list;
        }
        }
    };
    std::vector<KX::Variant> values;
    for (size_t i = 0; i < count; ++i)
        values.push_back(make(2));
    return values;
}

TEST(VariantOrder, IsAStrictWeakOrderOverMixedValues)
{
    for (uint32_t seed : {1u, 2u, 3u}) {
        const std::vector<KX::Variant> v = MixedValues(seed, 70);
        const size_t n = v.size();
        std::vector<std::vector<char>> less(n, std::vector<char>(n));
        for (size_t i = 0; i < n; ++i)
            for (size_t j = 0; j < n; ++j)
                less[i][j] = v[i] < v[j];
        int failures = 0;
        for (size_t a = 0; a < n && failures < 5; ++a) {
            if (less[a][a]) {
                ADD_FAILURE() << "seed " << seed << ": value " << a << " is less than itself";
                ++failures;
            }
            for (size_t b = 0; b < n && failures < 5; ++b) {
                for (size_t c = 0; c < n && failures < 5; ++c) {
                    const bool ordered = less[a][b] && less[b][c] && !less[a][c];
                    const bool equivalences =
                        !less[a][b] && !less[b][a] && !less[b][c] && !less[c][b] && (less[a][c] || less[c][a]);
                    if (ordered || equivalences) {
                        ADD_FAILURE() << "seed " << seed << ": values " << a << ", " << b << ", " << c << " (types "
                                      << v[a].GetType() << ", " << v[b].GetType() << ", " << v[c].GetType()
                                      << ") are not ordered transitively";
                        ++failures;
                    }
                }
            }
        }
    }
}

TEST(VariantOrder, ListsItemByItemWithPrefixFirst)
{
    EXPECT_TRUE(List({Int32(1), Int32(2)}) < List({Int32(1), Int32(3)}));
    EXPECT_TRUE(List({Int32(1)}) < List({Int32(1), Int32(0)}));
    EXPECT_FALSE(List({Int32(1), Int32(0)}) < List({Int32(1)}));
    EXPECT_TRUE(List({Int32(2)}) < List({Double(2.5), Int32(0)}));
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
