// The root module: defaults, the set and read paths online and offline, values the
// device reports, pseudo-parameters, connecting, and the record checks at the entry.
#include "engine/ParamCache.h"
#include "engine/ParamPair.h"
#include "engine/ParamRecords.h"
#include "engine/RootModule.h"

#include "ModelFakes.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace {

KX::Variant Record(std::vector<uint8_t> bytes)
{
    KX::Variant v;
    v.SetBytes(bytes.data(), static_cast<uint32_t>(bytes.size()));
    return v;
}

// The root's owner: keeps a copy of every reported value.
struct Owner {
    std::vector<KX::ParamValue> reported;
    std::function<void(const KX::ParamValue&)> onReport;

    static int32_t Callback(void* context, const KX::IArray<KX::ParamValue>& values)
    {
        Owner* owner = static_cast<Owner*>(context);
        for (uint32_t i = 0; i < values.GetCount(); ++i) {
            owner->reported.push_back(values.ElementAt(i));
            if (owner->onReport)
                owner->onReport(values.ElementAt(i));
        }
        return 0;
    }
};

class RootModuleTest : public ::testing::Test {
protected:
    void Build(bool offline, int32_t firstId = 0)
    {
        root = LRootModule::Create(offline);
        ASSERT_EQ(root->Setup(&Owner::Callback, &owner, cache, device, firstId), 0);
    }

    KX::ParamValues List(std::vector<KX::ParamValue> values)
    {
        return KX::ParamValues(values.data(), static_cast<uint32_t>(values.size()));
    }

    Owner owner;
    KX::RCPtr<kxtest::FakeParamCache> cache{new kxtest::FakeParamCache()};
    KX::RCPtr<kxtest::FakeDeviceCommunication> device{new kxtest::FakeDeviceCommunication()};
    KX::RCPtr<LRootModule> root;
    const KX::Variant encoderValue = Record({1, 0, 40, 0, 0, 127});
};

} // namespace

TEST_F(RootModuleTest, SetupLoadsDefaultsQuietlyAndStartsDelivery)
{
    Build(false);
    for (int32_t i = 0; i < 83; ++i)
        EXPECT_EQ(cache->Slot(static_cast<uint32_t>(i)), MakeDefaultParamRecord(i)) << i;
    EXPECT_EQ(cache->notifiedChanges, 0);
    EXPECT_TRUE(owner.reported.empty());
    EXPECT_EQ(device->GetReceiver(), static_cast<DeviceCommunicationReceiver*>(root.Get()));
    EXPECT_TRUE(device->deliveryEnabled);
    EXPECT_TRUE(device->sets.empty());
    EXPECT_EQ(root->GetParamCache().Get(), static_cast<IParamCache*>(cache.Get()));
    EXPECT_EQ(root->GetDeviceCommunication().Get(), static_cast<IDeviceCommunication*>(device.Get()));
}

TEST_F(RootModuleTest, OnlineSetStoresReportsAndSendsOnce)
{
    Build(false);
    ASSERT_EQ(root->SetParamValues(KX::ParamDescriptor(65), encoderValue), 0);
    EXPECT_EQ(cache->Slot(65), encoderValue);
    ASSERT_EQ(owner.reported.size(), 1u);
    EXPECT_EQ(owner.reported[0].descriptor.id, 65);
    EXPECT_EQ(owner.reported[0].value, encoderValue);
    ASSERT_EQ(device->sets.size(), 1u);
    EXPECT_EQ(device->sets[0].descriptor.id, 65);
    EXPECT_EQ(device->sets[0].value, encoderValue);

    // The same value again: the cache and the owner see nothing new; the device gets it again.
    const int setsBefore = cache->setCalls;
    EXPECT_EQ(root->SetParamValues(KX::ParamDescriptor(65), encoderValue), 0);
    EXPECT_EQ(cache->setCalls, setsBefore);
    EXPECT_EQ(owner.reported.size(), 1u);
    EXPECT_EQ(device->sets.size(), 2u);

    // The device's result is the caller's.
    device->setResult = -7;
    EXPECT_EQ(root->SetParamValues(KX::ParamDescriptor(66), MakeDefaultParamRecord(65)), -7);
    EXPECT_EQ(cache->Slot(66), MakeDefaultParamRecord(65)); // stored before the device refused
}

TEST_F(RootModuleTest, OfflineSetOnlyChangesTheModel)
{
    Build(true);
    EXPECT_EQ(root->SetParamValues(KX::ParamDescriptor(65), encoderValue), 0);
    EXPECT_EQ(cache->Slot(65), encoderValue);
    EXPECT_EQ(owner.reported.size(), 1u);
    EXPECT_TRUE(device->sets.empty());

    KX::Variant read;
    EXPECT_EQ(root->GetParamValue(KX::ParamDescriptor(65), read), 0);
    EXPECT_EQ(read, encoderValue);
}

TEST_F(RootModuleTest, IdsOutsideTheModel)
{
    Build(true);
    EXPECT_EQ(root->SetParamValues(KX::ParamDescriptor(83), encoderValue), -1);
    EXPECT_EQ(root->SetCachedParamValue(KX::ParamDescriptor(-1), encoderValue), -1);
    EXPECT_TRUE(owner.reported.empty());

    root = nullptr;
    owner.reported.clear();
    Build(false);
    device->setResult = 42;
    const int setsBefore = cache->setCalls;
    EXPECT_EQ(root->SetParamValues(KX::ParamDescriptor(83), encoderValue), 42);
    EXPECT_EQ(cache->setCalls, setsBefore);
    EXPECT_EQ(device->sets.size(), 1u);
    // Other negative ids are the device communication's alone.
    EXPECT_EQ(root->SetParamValues(KX::ParamDescriptor(-8), KX::Variant()), 42);
    EXPECT_EQ(device->sets.size(), 2u);
    EXPECT_TRUE(owner.reported.empty());

    KX::Variant read = encoderValue;
    EXPECT_EQ(root->GetParamValue(KX::ParamDescriptor(83), read), KX::E_FAIL);
    EXPECT_EQ(read.GetType(), KX::Variant::TypeEmpty);
}

TEST_F(RootModuleTest, WrongRecordsAreRefusedWhereTheyEnter)
{
    for (const bool offline : {false, true}) {
        root = nullptr;
        device->sets.clear();
        owner.reported.clear();
        Build(offline);
        KX::Variant text;
        text.SetString("XXXXX");
        const KX::Variant wrong[] = {Record({1, 2, 3}),
                                     Record({1, 0, 40, 0, 0, 127, 9}),
                                     Record(std::vector<uint8_t>(100000, 7)),
                                     text,
                                     KX::MakeInt32Variant(5),
                                     KX::Variant()};
        for (const KX::Variant& value : wrong) {
            EXPECT_EQ(root->SetParamValues(KX::ParamDescriptor(65), value), KX::E_INVALIDARG);
            EXPECT_EQ(cache->Slot(65), MakeDefaultParamRecord(65));
        }
        EXPECT_TRUE(owner.reported.empty());
        EXPECT_TRUE(device->sets.empty());
        // Through a control: nothing stored either (an empty value is simply not stored).
        const KX::RCPtr<LParameterizedModule> encoder = root->FindModuleForParam(65);
        EXPECT_EQ(encoder->SetParamValueLocal(KX::ParamDescriptor(65), Record({1}), false), KX::E_INVALIDARG);
        EXPECT_EQ(encoder->SetParamValueLocal(KX::ParamDescriptor(65), KX::Variant(), false), 0);
        EXPECT_EQ(cache->Slot(65), MakeDefaultParamRecord(65));
        // Every kind takes exactly its own length.
        EXPECT_EQ(root->SetParamValues(KX::ParamDescriptor(0), Record({'A', 'B', 'C', 'D', 'E', 'F'})), 0);
        EXPECT_EQ(root->SetParamValues(KX::ParamDescriptor(82), MakeDefaultParamRecord(81)), 0);
        EXPECT_EQ(root->SetParamValues(KX::ParamDescriptor(81), MakeDefaultParamRecord(65)), KX::E_INVALIDARG);
    }
}

TEST_F(RootModuleTest, ReportedValuesAreStoredButNeverSentBack)
{
    Build(false);
    root->ReceiveParamValues(List({KX::ParamValue(KX::ParamDescriptor(70), MakeDefaultParamRecord(70))}));
    EXPECT_TRUE(owner.reported.empty());

    const KX::Variant changed = Record({2, 0, 45, 0, 0, 100});
    device->Deliver(List({KX::ParamValue(KX::ParamDescriptor(70), changed)}));
    ASSERT_EQ(owner.reported.size(), 1u);
    EXPECT_EQ(owner.reported[0].descriptor.id, 70);
    EXPECT_EQ(cache->Slot(70), changed);
    EXPECT_TRUE(device->sets.empty());

    // A reported record of the wrong length is dropped.
    device->Deliver(List({KX::ParamValue(KX::ParamDescriptor(70), Record({1, 2}))}));
    EXPECT_EQ(cache->Slot(70), changed);
    EXPECT_EQ(owner.reported.size(), 1u);
}

TEST_F(RootModuleTest, ReportedPseudoParametersGoToTheOwnerUncached)
{
    Build(false);
    KX::Variant status;
    status.SetString("ready");
    device->Deliver(List({KX::ParamValue(KX::ParamDescriptor(-2), KX::MakeBoolVariant(true)),
                          KX::ParamValue(KX::ParamDescriptor(-8), status),
                          KX::ParamValue(KX::ParamDescriptor(200), encoderValue)}));
    ASSERT_EQ(owner.reported.size(), 3u);
    EXPECT_EQ(owner.reported[0].descriptor.id, -2);
    EXPECT_TRUE(owner.reported[0].value.ToBool());
    EXPECT_EQ(owner.reported[1].descriptor.id, -8);
    EXPECT_EQ(owner.reported[1].value, status);
    EXPECT_EQ(owner.reported[2].descriptor.id, 200);
    EXPECT_EQ(cache->notifiedChanges, 0);
    EXPECT_TRUE(device->sets.empty());
}

TEST_F(RootModuleTest, UnreadableEntriesAreSkipped)
{
    Build(false);
    // A list whose middle entry is a list of two instead of three.
    const KX::ParamValue good[2] = {KX::ParamValue(KX::ParamDescriptor(65), encoderValue),
                                    KX::ParamValue(KX::ParamDescriptor(66), encoderValue)};
    const KX::ParamValues first(&good[0], 1);
    const KX::ParamValues last(&good[1], 1);
    KX::Variant items[3];
    first.GetListItem(0, items[0]);
    const KX::Variant pair[2] = {encoderValue, KX::MakeInt32Variant(67)};
    items[1].SetList(pair, 2);
    last.GetListItem(0, items[2]);
    KX::ParamValues mixed;
    mixed.SetList(items, 3);

    root->ReceiveParamValues(mixed);
    ASSERT_EQ(owner.reported.size(), 2u);
    EXPECT_EQ(owner.reported[0].descriptor.id, 65);
    EXPECT_EQ(owner.reported[1].descriptor.id, 66);
    EXPECT_EQ(cache->Slot(67), MakeDefaultParamRecord(67));

    // Not a list at all: nothing happens.
    EXPECT_EQ(root->ReceiveParamValues(KX::ParamValues(KX::MakeInt32Variant(3))), 0);
    EXPECT_EQ(owner.reported.size(), 2u);
}

TEST_F(RootModuleTest, EchoComesBackBeforeTheCallReturns)
{
    Build(false);
    EXPECT_EQ(root->SetParamValues(KX::ParamDescriptor(-4), KX::MakeInt64Variant(0x123456789LL)), 0);
    ASSERT_EQ(owner.reported.size(), 1u);
    EXPECT_EQ(owner.reported[0].descriptor.id, -4);
    KX::Variant echoed, state;
    owner.reported[0].value.GetListItem(0, echoed);
    owner.reported[0].value.GetListItem(1, state);
    EXPECT_EQ(echoed.ToInt64(), 0x123456789LL);
    EXPECT_TRUE(state.ToBool());

    // Without a receiver the echo has nowhere to go.
    device->SetReceiver(nullptr);
    EXPECT_EQ(root->SetParamValues(KX::ParamDescriptor(-4), KX::MakeInt64Variant(1)), 1);
    EXPECT_EQ(owner.reported.size(), 1u);

    // A root that was never wired answers 1 as well.
    const KX::RCPtr<LRootModule> bare = LRootModule::Create(false);
    EXPECT_EQ(bare->SetParamValues(KX::ParamDescriptor(-4), KX::MakeInt64Variant(1)), 1);
}

TEST_F(RootModuleTest, NegativeReadsGoToTheDeviceCommunicationEvenOffline)
{
    Build(true);
    device->getAnswer.SetString("Tarvel");
    device->getResult = 0;
    KX::Variant read;
    EXPECT_EQ(root->GetParamValue(KX::ParamDescriptor(-9), read), 0);
    EXPECT_EQ(read, device->getAnswer);
    ASSERT_EQ(device->gets.size(), 1u);
    EXPECT_EQ(device->gets[0], -9);

    // Model ids are read from the cache, online through the owning control.
    root = nullptr;
    Build(false);
    EXPECT_EQ(root->GetParamValue(KX::ParamDescriptor(5), read), 0);
    EXPECT_EQ(read, MakeDefaultParamRecord(5));
    EXPECT_EQ(device->gets.size(), 1u);
}

TEST_F(RootModuleTest, ConnectFlipsTheOfflineFlag)
{
    Build(true);
    using Call = kxtest::FakeDeviceCommunication::Call;
    KX::Variant id;
    id.SetString("device-1");
    EXPECT_EQ(root->ConnectDevice(id), 0);
    EXPECT_FALSE(root->IsOffline());
    EXPECT_EQ(device->calls,
              (std::vector<Call>{Call::Disconnect, Call::Connect, Call::RequestRanges, Call::RequestValue}));
    EXPECT_EQ(device->connectedDevice, id);
    int32_t first = -1, count = -1;
    ASSERT_EQ(device->requestedRanges.GetRangeCount(), 1u);
    device->requestedRanges.GetRangeAt(0, first, count);
    EXPECT_EQ(first, 0);
    EXPECT_EQ(count, 83);
    EXPECT_EQ(device->requestedValues, std::vector<int32_t>{-8});

    device->calls.clear();
    device->connectResult = -1;
    EXPECT_EQ(root->ConnectDevice(id), -1);
    EXPECT_TRUE(root->IsOffline());
    EXPECT_EQ(device->calls, (std::vector<Call>{Call::Disconnect, Call::Connect}));

    // Offline now: sets stay in the model.
    EXPECT_EQ(root->SetParamValues(KX::ParamDescriptor(65), encoderValue), 0);
    EXPECT_TRUE(device->sets.empty());
}

TEST_F(RootModuleTest, ControlsHandTheirPseudoParametersToTheDevice)
{
    Build(false);
    const KX::RCPtr<LParameterizedModule> encoder = root->FindModuleForParam(65);
    const KX::Variant value = KX::MakeInt32Variant(9);
    EXPECT_EQ(encoder->SetParamValueLocal(KX::ParamDescriptor(-128), value, false), -1);
    EXPECT_EQ(encoder->SetParamValueLocal(KX::ParamDescriptor(-257), value, false), -1);
    EXPECT_TRUE(device->sets.empty());
    EXPECT_EQ(encoder->SetParamValueLocal(KX::ParamDescriptor(-129), value, true), 1);
    EXPECT_TRUE(device->sets.empty());
    EXPECT_EQ(encoder->SetParamValueLocal(KX::ParamDescriptor(-129), value, false), 1);
    EXPECT_EQ(encoder->SetParamValueLocal(KX::ParamDescriptor(-256), value, false), 1);
    ASSERT_EQ(device->sets.size(), 2u);
    EXPECT_EQ(device->sets[1].descriptor.id, -256);
    // Another control's id is not this one's.
    EXPECT_EQ(encoder->SetParamValueLocal(KX::ParamDescriptor(66), encoderValue, false), -1);
    EXPECT_EQ(cache->Slot(66), MakeDefaultParamRecord(66));
    EXPECT_TRUE(owner.reported.empty());
}

TEST_F(RootModuleTest, ARootAwayFromZeroUsesRelativeSlots)
{
    Build(false, 100);
    EXPECT_EQ(cache->Slot(65), MakeDefaultParamRecord(65));
    EXPECT_EQ(root->SetParamValues(KX::ParamDescriptor(165), encoderValue), 0);
    EXPECT_EQ(cache->Slot(65), encoderValue);
    EXPECT_EQ(root->SetParamValues(KX::ParamDescriptor(65), encoderValue), 0); // no parameter: device only
    EXPECT_EQ(device->sets.size(), 2u);
    EXPECT_EQ(owner.reported.size(), 1u);
}

TEST_F(RootModuleTest, QualifiedValuesKeepTheirQualifier)
{
    Build(false);
    KX::ParamDescriptor qualified(65, KX::MakeInt32Variant(3));
    EXPECT_EQ(root->SetParamValues(qualified, encoderValue), 0);
    KX::Variant read;
    EXPECT_EQ(root->GetParamValue(qualified, read), 0);
    EXPECT_EQ(read, encoderValue);
    EXPECT_EQ(root->GetParamValue(KX::ParamDescriptor(65), read), 0);
    EXPECT_EQ(read, MakeDefaultParamRecord(65));
    ASSERT_EQ(owner.reported.size(), 1u);
    EXPECT_EQ(owner.reported[0].descriptor, qualified);
}

TEST_F(RootModuleTest, BytesOfEightBitsNeverEnterTheModel)
{
    const KX::Variant name = Record({'P', 'R', 0xE9, 'S', 'E', 'T'});
    for (const bool offline : {true, false}) {
        root = nullptr;
        owner.reported.clear();
        device->sets.clear();
        Build(offline);
        EXPECT_EQ(root->SetParamValues(KX::ParamDescriptor(0), name), KX::E_INVALIDARG) << offline;
        EXPECT_EQ(root->SetCachedParamValue(KX::ParamDescriptor(0), name), KX::E_INVALIDARG) << offline;
        // Nor from the device.
        device->Deliver(List(
            {KX::ParamValue(KX::ParamDescriptor(0), name), KX::ParamValue(KX::ParamDescriptor(65), encoderValue)}));
        EXPECT_EQ(cache->Slot(0), MakeDefaultParamRecord(0)) << offline;
        EXPECT_EQ(cache->Slot(65), encoderValue) << offline;
        ASSERT_EQ(owner.reported.size(), 1u) << offline;
        EXPECT_EQ(owner.reported[0].descriptor.id, 65);
        EXPECT_TRUE(device->sets.empty()) << offline;
        cache->SetValue(KX::ParamDescriptor(65), MakeDefaultParamRecord(65), false);
    }
}

TEST(RootModuleCache, AValueTheCacheRefusesIsNeitherReportedNorSent)
{
    // The real cache holds plain records; a qualified value for a plain slot is refused.
    Owner owner;
    const KX::RCPtr<LParamCache> cache = LParamCache::Create(83);
    const KX::RCPtr<kxtest::FakeDeviceCommunication> device(new kxtest::FakeDeviceCommunication());
    const KX::Variant value = Record({1, 0, 40, 0, 0, 127});
    const KX::ParamDescriptor qualified(65, KX::MakeInt32Variant(3));
    for (const bool offline : {true, false}) {
        owner.reported.clear();
        device->sets.clear();
        const KX::RCPtr<LRootModule> root = LRootModule::Create(offline);
        ASSERT_EQ(root->Setup(&Owner::Callback, &owner, KX::RCPtr<IParamCache>(cache.Get()), device, 0), 0);
        for (int i = 0; i < 2; ++i) {
            EXPECT_LT(root->SetCachedParamValue(qualified, value), 0) << offline;
            EXPECT_LT(root->SetParamValues(qualified, value), 0) << offline;
        }
        EXPECT_TRUE(owner.reported.empty()) << offline;
        EXPECT_TRUE(device->sets.empty()) << offline;
        KX::Variant slot;
        EXPECT_EQ(cache->GetValue(KX::ParamDescriptor(65), slot), 0);
        EXPECT_EQ(slot, MakeDefaultParamRecord(65));
        root->StopReceiving();
    }
}

TEST_F(RootModuleTest, AnOwnerThatSetsValuesWhileBeingToldKeepsItsOwnReport)
{
    Build(false);
    std::vector<int32_t> seen;
    owner.onReport = [&](const KX::ParamValue& value) {
        seen.push_back(value.descriptor.id);
        if (value.descriptor.id == 65) {
            EXPECT_FALSE(KX::Failed(root->SetParamValues(KX::ParamDescriptor(66), encoderValue)));
        }
    };
    EXPECT_FALSE(KX::Failed(root->SetParamValues(KX::ParamDescriptor(65), encoderValue)));
    EXPECT_EQ(seen, (std::vector<int32_t>{65, 66}));
    ASSERT_EQ(owner.reported.size(), 2u);
    EXPECT_EQ(owner.reported[0].descriptor.id, 65);
}

TEST_F(RootModuleTest, TeardownUnregistersAndDisconnects)
{
    Build(false);
    const KX::RCPtr<LParameterizedModule> leaf = root->FindModuleForParam(30);
    root->StopReceiving();
    EXPECT_FALSE(device->deliveryEnabled);
    EXPECT_EQ(device->GetReceiver(), static_cast<DeviceCommunicationReceiver*>(root.Get()));

    root = nullptr;
    EXPECT_EQ(device->GetReceiver(), nullptr);
    EXPECT_EQ(device->calls.back(), kxtest::FakeDeviceCommunication::Call::Disconnect);
    // Deliveries after the root is gone reach nobody.
    device->SetDeliveryEnabled(true);
    device->Deliver(List({KX::ParamValue(KX::ParamDescriptor(65), encoderValue)}));
    // A control that outlives its tree answers like one that never had a parent.
    EXPECT_EQ(leaf->SetParamValueGlobal(KX::ParamDescriptor(30), encoderValue), -1);
    EXPECT_EQ(leaf->GetParamValueLocal(KX::ParamDescriptor(30)).GetType(), KX::Variant::TypeEmpty);
}

TEST(ParamPair, TextIsTheId)
{
    const KX::RCPtr<KX::LParamPair> pair(new KX::LParamPair(KX::ParamDescriptor(-8), KX::Variant()));
    EXPECT_TRUE(pair->ToString() == KX::WString(u"-8"));
    EXPECT_TRUE(KX::ParamDescriptorToString(KX::ParamDescriptor(82)) == KX::WString(u"82"));
}
