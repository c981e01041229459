// Parameter value and descriptor lists: their record layout and the reads that check it.
#include "kx/ParamValues.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

KX::Variant Text(const char* s)
{
    KX::Variant v;
    v.SetString(s);
    return v;
}

TEST(ParamValuesList, EntriesKeepIdQualifierAndValueInOrder)
{
    const uint8_t record[] = {0, 0, 40, 0, 0, 127};
    const KX::ParamValue values[] = {
        KX::ParamValue(KX::ParamDescriptor(65), KX::MakeBytesVariant(record, 6)),
        KX::ParamValue(KX::ParamDescriptor(-8), Text("ready")),
        KX::ParamValue(KX::ParamDescriptor(3, KX::MakeInt32Variant(2)), KX::Variant()),
    };
    const KX::ParamValues list(values, 3);
    ASSERT_EQ(list.GetType(), KX::Variant::TypeList);
    ASSERT_EQ(list.GetCount(), 3u);
    for (uint32_t i = 0; i < 3; ++i) {
        KX::ParamValue out;
        ASSERT_EQ(list.GetParamValueAt(i, out), 0);
        EXPECT_TRUE(out == values[i]) << i;
    }
    // Each entry is [value, id, qualifier].
    KX::Variant entry, id;
    ASSERT_EQ(list.GetListItem(0, entry), 0);
    ASSERT_EQ(entry.GetListCount(), 3u);
    entry.GetListItem(1, id);
    EXPECT_EQ(id, KX::MakeInt32Variant(65));

    // A copy, and a list read back from its record, read the same.
    uint8_t buffer[512];
    const uint32_t n = KX::Variant::Serialize(list, buffer, sizeof buffer);
    ASSERT_LT(n, sizeof buffer);
    KX::Variant back;
    ASSERT_EQ(KX::Variant::Deserialize(back, buffer, n), KX::S_OK);
    KX::ParamValue second;
    ASSERT_EQ(KX::ParamValues(back).GetParamValueAt(1, second), 0);
    EXPECT_TRUE(second == values[1]);

    KX::Array<KX::ParamValue> array;
    array.AddItem(values[2]);
    EXPECT_EQ(KX::ParamValues(array).GetCount(), 1u);
    EXPECT_EQ(KX::ParamValues().GetCount(), 0u);
    EXPECT_EQ(KX::ParamValues(nullptr, 5).GetCount(), 0u);
}

TEST(ParamValuesList, UnreadableEntriesGiveTheirCodesAndNoValue)
{
    auto expectCleared = [](const KX::ParamDescriptor& d, const KX::Variant& v) {
        EXPECT_EQ(d.id, -1);
        EXPECT_EQ(d.data.GetType(), KX::Variant::TypeEmpty);
        EXPECT_EQ(v.GetType(), KX::Variant::TypeEmpty);
    };
    KX::ParamDescriptor d(7, KX::MakeInt32Variant(1));
    KX::Variant v = Text("old");

    // Not a list, an empty list, an index past the end.
    EXPECT_EQ(KX::ParamValues(KX::MakeInt32Variant(4)).GetParamValueAt(0, d, v), KX::ParamValues::kNotAList);
    expectCleared(d, v);
    EXPECT_EQ(KX::ParamValues().GetParamValueAt(0, d, v), KX::ParamValues::kNotAList);
    const KX::ParamValue one(KX::ParamDescriptor(1), Text("x"));
    EXPECT_EQ(KX::ParamValues(&one, 1).GetParamValueAt(1, d, v), KX::ParamValues::kNotAList);

    // Entries that are no list of three.
    const KX::Variant pair[2] = {Text("x"), KX::MakeInt32Variant(1)};
    KX::Variant shortEntry;
    shortEntry.SetList(pair, 2);
    const KX::Variant items[2] = {shortEntry, KX::MakeInt32Variant(3)};
    KX::Variant bad;
    bad.SetList(items, 2);
    d = KX::ParamDescriptor(7);
    EXPECT_EQ(KX::ParamValues(bad).GetParamValueAt(0, d, v), KX::ParamValues::kBadEntry);
    expectCleared(d, v);
    EXPECT_EQ(KX::ParamValues(bad).GetParamValueAt(1, d, v), KX::ParamValues::kBadEntry);
}

TEST(ParamDescriptorsList, RangesFromRunsOfIds)
{
    const KX::ParamDescriptors all(0, 83);
    ASSERT_EQ(all.GetRangeCount(), 1u);
    int32_t first = -1, count = -1;
    ASSERT_EQ(all.GetRangeAt(0, first, count), 0);
    EXPECT_EQ(first, 0);
    EXPECT_EQ(count, 83);
    EXPECT_TRUE(all.Contains(82));
    EXPECT_FALSE(all.Contains(83));
    EXPECT_FALSE(all.Contains(-1));
    EXPECT_EQ(KX::ParamDescriptors(5, 0).GetRangeCount(), 0u);

    const KX::ParamDescriptor ids[] = {3, 4, 5, 9, 10, 2, INT_MAX, INT_MIN};
    KX::ParamDescriptors runs;
    ASSERT_EQ(runs.SetDescriptors(ids, 8), 0);
    const std::pair<int32_t, int32_t> expected[] = {{3, 3}, {9, 2}, {2, 1}, {INT_MAX, 1}, {INT_MIN, 1}};
    ASSERT_EQ(runs.GetRangeCount(), 5u);
    for (uint32_t i = 0; i < 5; ++i) {
        ASSERT_EQ(runs.GetRangeAt(i, first, count), 0);
        EXPECT_EQ(first, expected[i].first) << i;
        EXPECT_EQ(count, expected[i].second) << i;
    }
    EXPECT_TRUE(runs.Contains(INT_MIN));
    EXPECT_FALSE(runs.Contains(8));

    // Bad arguments leave the list as it was.
    EXPECT_EQ(runs.SetDescriptors(nullptr, 3), KX::ParamDescriptors::kBadArgument);
    EXPECT_EQ(runs.SetDescriptors(ids, 0), KX::ParamDescriptors::kBadArgument);
    EXPECT_EQ(runs.GetRangeCount(), 5u);
    EXPECT_EQ(KX::ParamDescriptors(KX::MakeInt32Variant(1)).GetRangeAt(0, first, count), -1);
    EXPECT_EQ(first, 0);
}

} // namespace
