// The parameter cache: plain slots, qualified records in order, and its failure answers.
#include "engine/ParamCache.h"

#include "kx/ParamValues.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

KX::Variant Bytes(std::vector<uint8_t> bytes)
{
    return KX::MakeBytesVariant(bytes.data(), static_cast<uint32_t>(bytes.size()));
}

KX::Variant Int(int32_t v)
{
    return KX::MakeInt32Variant(v);
}

// Counts the change hook's calls.
class HookedCache : public LParamCache {
public:
    HookedCache() : LParamCache(83) {}
    KX::KXRESULT OnValueChanged(uint32_t index, const KX::Variant& value) override
    {
        calls.push_back({index, value});
        return LParamCache::OnValueChanged(index, value);
    }
    struct Call {
        uint32_t index;
        KX::Variant value;
    };
    std::vector<Call> calls;
};

TEST(ParamCache, PlainValuesChangeOnceAndNotifyOnlyWhenAsked)
{
    KX::RCPtr<HookedCache> cache(new HookedCache());
    const KX::Variant record = Bytes({1, 2, 3, 4, 5, 6});
    EXPECT_EQ(cache->SetValue(KX::ParamDescriptor(65), record, true), 0);
    EXPECT_EQ(cache->SetValue(KX::ParamDescriptor(65), record, true), 1);
    ASSERT_EQ(cache->calls.size(), 1u);
    EXPECT_EQ(cache->calls[0].index, 65u);
    EXPECT_EQ(cache->calls[0].value, record);

    // Same bytes but another type is a change; notify off calls no hook.
    EXPECT_EQ(cache->SetValue(KX::ParamDescriptor(65), KX::MakeInt64Variant(1), false), 0);
    EXPECT_EQ(cache->calls.size(), 1u);

    KX::Variant out = Int(7);
    EXPECT_EQ(cache->GetValue(KX::ParamDescriptor(65), out), 0);
    EXPECT_EQ(out, KX::MakeInt64Variant(1));
    EXPECT_EQ(cache->GetValue(KX::ParamDescriptor(0), out), 0);
    EXPECT_EQ(out.GetType(), KX::Variant::TypeEmpty) << "slots start empty";

    // The base hook is not implemented.
    LParamCache plain(1);
    EXPECT_EQ(plain.OnValueChanged(0, record), KX::E_NOTIMPL);
    EXPECT_EQ(plain.Attach(KX::RCPtr<KX::LRefCountedObject>()), KX::S_OK);
}

TEST(ParamCache, IndexOutOfRangeFailsForSetAndGetAndEmptiesTheOutput)
{
    const auto cache = LParamCache::Create(83);
    EXPECT_EQ(cache->SetValue(KX::ParamDescriptor(83), Int(1), true), -1);
    EXPECT_EQ(cache->SetValue(KX::ParamDescriptor(-1), Int(1), true), -1) << "negative ids are huge unsigned";
    KX::Variant out = Int(9);
    EXPECT_EQ(cache->GetValue(KX::ParamDescriptor(83), out), -1);
    EXPECT_EQ(out.GetType(), KX::Variant::TypeEmpty);
    out = Int(9);
    EXPECT_EQ(cache->GetValue(KX::ParamDescriptor(-5, Int(1)), out), -1);
    EXPECT_EQ(out.GetType(), KX::Variant::TypeEmpty);
    EXPECT_EQ(LParamCache::Create(0)->SetValue(KX::ParamDescriptor(0), Int(1), false), -1);
}

TEST(ParamCache, QualifiedRecordsAreKeptInAscendingOrder)
{
    KX::RCPtr<HookedCache> cache(new HookedCache());
    const KX::ParamDescriptor high(4, Int(20));
    const KX::ParamDescriptor low(4, Int(-3));
    EXPECT_EQ(cache->SetValue(high, Bytes({2}), true), 0);
    EXPECT_EQ(cache->SetValue(low, Bytes({1}), true), 0);
    EXPECT_EQ(cache->SetValue(low, Bytes({1}), true), 1);
    ASSERT_EQ(cache->calls.size(), 2u);
    EXPECT_EQ(cache->calls[1].value.GetType(), KX::Variant::TypeList) << "the hook sees the whole list";

    KX::Variant out;
    EXPECT_EQ(cache->GetValue(high, out), 0);
    EXPECT_EQ(out, Bytes({2}));
    EXPECT_EQ(cache->GetValue(low, out), 0);
    EXPECT_EQ(out, Bytes({1}));
    EXPECT_EQ(cache->GetValue(KX::ParamDescriptor(4, Int(5)), out), 1);
    EXPECT_EQ(out.GetType(), KX::Variant::TypeEmpty);

    // A middle qualifier lands between; a new value replaces in place.
    EXPECT_EQ(cache->SetValue(KX::ParamDescriptor(4, Int(7)), Bytes({3}), false), 0);
    EXPECT_EQ(cache->SetValue(high, Bytes({4}), false), 0);

    // An empty qualifier reads the whole list.
    ASSERT_EQ(cache->GetValue(KX::ParamDescriptor(4), out), 0);
    const KX::ParamValues list(out);
    ASSERT_EQ(list.GetCount(), 3u);
    const std::vector<std::pair<int32_t, KX::Variant>> expected = {{-3, Bytes({1})}, {7, Bytes({3})}, {20, Bytes({4})}};
    for (uint32_t i = 0; i < 3; ++i) {
        KX::ParamValue v;
        ASSERT_EQ(list.GetParamValueAt(i, v), 0);
        EXPECT_EQ(v.descriptor.id, 4);
        EXPECT_EQ(v.descriptor.data, Int(expected[i].first)) << i;
        EXPECT_EQ(v.value, expected[i].second) << i;
    }
}

TEST(ParamCache, AQualifiedSetNeverOverwritesAPlainValueOrABrokenList)
{
    const auto cache = LParamCache::Create(2);
    const KX::Variant plain = Bytes({1, 2, 3});
    ASSERT_EQ(cache->SetValue(KX::ParamDescriptor(0), plain, false), 0);
    EXPECT_EQ(cache->SetValue(KX::ParamDescriptor(0, Int(1)), Bytes({5}), true), -1);
    KX::Variant out;
    EXPECT_EQ(cache->GetValue(KX::ParamDescriptor(0), out), 0);
    EXPECT_EQ(out, plain) << "the plain value is kept";
    EXPECT_LT(cache->GetValue(KX::ParamDescriptor(0, Int(1)), out), 0);
    EXPECT_EQ(out.GetType(), KX::Variant::TypeEmpty);

    // A list whose entry is not a (value, id, qualifier) record cannot be read.
    const KX::Variant items[] = {Int(1), Int(2)};
    KX::Variant broken;
    broken.SetList(items, 2);
    ASSERT_EQ(cache->SetValue(KX::ParamDescriptor(1), broken, false), 0);
    EXPECT_EQ(cache->SetValue(KX::ParamDescriptor(1, Int(1)), Bytes({5}), false), -1);
    EXPECT_EQ(cache->GetValue(KX::ParamDescriptor(1, Int(1)), out), KX::ParamValues::kBadEntry);
    EXPECT_EQ(cache->GetValue(KX::ParamDescriptor(1), out), 0);
    EXPECT_EQ(out, broken);
}

} // namespace
