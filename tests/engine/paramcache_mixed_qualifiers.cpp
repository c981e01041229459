// The parameter cache keeps one order of qualified records whatever types the qualifiers have.
#include "engine/ParamCache.h"

#include "kx/ParamValues.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

KX::Variant Double(double d)
{
    uint8_t raw[8];
    std::memcpy(raw, &d, sizeof raw);
    KX::Variant v;
    v.SetRaw(KX::Variant::TypeDouble, raw, sizeof raw);
    return v;
}

KX::Variant Bytes(std::vector<uint8_t> bytes)
{
    return KX::MakeBytesVariant(bytes.data(), static_cast<uint32_t>(bytes.size()));
}

KX::Variant Text(const char* text)
{
    KX::Variant v;
    v.SetString(text);
    return v;
}

// Qualifiers of several types, among them three that compared by their bytes went round in a
// circle (5 < 10.0 < bytes 01 00 .. < 5).
std::vector<KX::Variant> Qualifiers()
{
    return {
        KX::MakeInt32Variant(5),   Double(10.0), Bytes({1, 0, 0, 0, 0, 0, 0, 0}), Text("a"), KX::MakeInt64Variant(7),
        KX::MakeBoolVariant(true), Bytes({0xFF})};
}

TEST(ParamCacheMixedQualifiers, EveryInsertionOrderGivesTheSameSortedRecords)
{
    const std::vector<KX::Variant> qualifiers = Qualifiers();
    std::vector<size_t> order(qualifiers.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = i;

    KX::Variant first;
    int permutations = 0;
    do {
        LParamCache cache(4);
        for (size_t i : order) {
            ASSERT_EQ(cache.SetValue(KX::ParamDescriptor(2, qualifiers[i]), KX::MakeInt32Variant(int32_t(i)), false),
                      0);
        }
        // One record per qualifier, each found again with its value.
        for (size_t i = 0; i < qualifiers.size(); ++i) {
            KX::Variant value;
            ASSERT_EQ(cache.GetValue(KX::ParamDescriptor(2, qualifiers[i]), value), 0);
            EXPECT_EQ(value, KX::MakeInt32Variant(int32_t(i)));
        }
        KX::Variant slot;
        ASSERT_EQ(cache.GetValue(KX::ParamDescriptor(2), slot), 0);
        const KX::ParamValues list(slot);
        ASSERT_EQ(list.GetCount(), qualifiers.size());
        for (uint32_t i = 1; i < list.GetCount(); ++i) {
            KX::ParamValue before, after;
            ASSERT_EQ(list.GetParamValueAt(i - 1, before), 0);
            ASSERT_EQ(list.GetParamValueAt(i, after), 0);
            ASSERT_TRUE(before.descriptor.data < after.descriptor.data) << "records " << i - 1 << " and " << i;
        }
        if (permutations == 0)
            first = slot;
        else
            ASSERT_EQ(slot, first) << "insertion order changed the records, permutation " << permutations;
        ++permutations;
    } while (std::next_permutation(order.begin(), order.end()));
    EXPECT_EQ(permutations, 5040);
}

} // namespace
