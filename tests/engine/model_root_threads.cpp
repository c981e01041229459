// The root module's lock: edits, reads and values the device reports arrive on
// different threads at once.
#include "engine/ParamRecords.h"
#include "engine/RootModule.h"

#include "ModelFakes.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

KX::Variant SixBytes(uint8_t channel, uint8_t controller)
{
    const uint8_t bytes[6] = {channel, 0, controller, 0, 0, 127};
    KX::Variant v;
    v.SetBytes(bytes, 6);
    return v;
}

std::atomic<int> g_reports{0};

int32_t CountReports(void*, const KX::IArray<KX::ParamValue>& values)
{
    g_reports += static_cast<int>(values.GetCount());
    return 0;
}

} // namespace

TEST(RootModuleThreads, EditsReadsAndDeliveriesInterleaveSafely)
{
    const KX::RCPtr<kxtest::FakeParamCache> cache(new kxtest::FakeParamCache());
    const KX::RCPtr<kxtest::FakeDeviceCommunication> device(new kxtest::FakeDeviceCommunication());
    const KX::RCPtr<LRootModule> root = LRootModule::Create(false);
    root->Setup(&CountReports, nullptr, cache, device, 0);
    g_reports = 0;

    constexpr int kRounds = 200;
    std::thread editor([&] {
        for (int round = 1; round <= kRounds; ++round)
            // Only the interleaving is checked here, not each result.
            for (int32_t id = 65; id <= 80; ++id)
                (void)root->SetParamValues(KX::ParamDescriptor(id), SixBytes(static_cast<uint8_t>(round % 16), 1));
    });
    std::thread delivery([&] {
        for (int round = 1; round <= kRounds; ++round) {
            std::vector<KX::ParamValue> values;
            for (int32_t id = 45; id <= 64; ++id)
                values.emplace_back(KX::ParamDescriptor(id), SixBytes(static_cast<uint8_t>(round % 16), 2));
            device->Deliver(KX::ParamValues(values.data(), static_cast<uint32_t>(values.size())));
        }
    });
    std::thread reader([&] {
        KX::Variant value;
        for (int round = 0; round < kRounds * 4; ++round) {
            root->GetParamValue(KX::ParamDescriptor(45 + round % 36), value);
            uint32_t n = 0;
            value.GetData(n);
            ASSERT_EQ(n, 6u);
        }
    });
    editor.join();
    delivery.join();
    reader.join();

    for (int32_t id = 65; id <= 80; ++id)
        EXPECT_EQ(cache->Slot(static_cast<uint32_t>(id)), SixBytes(kRounds % 16, 1));
    for (int32_t id = 45; id <= 64; ++id)
        EXPECT_EQ(cache->Slot(static_cast<uint32_t>(id)), SixBytes(kRounds % 16, 2));
    // Every round changes every value (round % 16 differs from the round before).
    EXPECT_EQ(g_reports.load(), kRounds * (16 + 20));
    EXPECT_EQ(device->sets.size(), static_cast<size_t>(kRounds * 16));
}
