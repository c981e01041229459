// The root module engine across threads: values from the delivery thread, sets from a
// thread-pool thread and the main thread at once, and the engine's teardown while its
// device monitor runs, waits, ends by itself or is stuck.
#include "DevCommSupport.h"
#include "EngineFakes.h"

#include "engine/ParamPair.h"
#include "engine/ParamRecords.h"
#include "engine/RootModuleEngine.h"
#include "kx/ParamValues.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

using kxtest::EngineNotes;
using kxtest::FakeEngineDeviceCommunication;
using kxtest::ProbeEngine;
using Note = EngineNotes::Note;

KX::Variant Record(int32_t id, uint8_t last)
{
    KX::Variant v = MakeDefaultParamRecord(id);
    uint32_t n = 0;
    std::vector<uint8_t> bytes(v.GetData(n), v.GetData(n) + n);
    if (!bytes.empty())
        bytes.back() = last;
    return KX::MakeBytesVariant(bytes.data(), static_cast<uint32_t>(bytes.size()));
}

KX::Variant Text(const char* text)
{
    KX::Variant v;
    v.SetString(text);
    return v;
}

bool HasText(const std::vector<Note>& notes, const char* text)
{
    for (const Note& n : notes)
        if (const auto pair = KX::ConstRCPtr<KX::LParamPair>::DynamicCast(n.payload))
            if (pair->value == Text(text))
                return true;
    return false;
}

class EngineThreads : public ::testing::Test {
protected:
    void SetUp() override
    {
        baseline = platform::posix::CountThreadObjects();
        notes = EngineNotes::Listen();
    }
    void TearDown() override
    {
        notes->UnregisterFromAll();
        notes = nullptr;
        KX::LNotificationCenterManager::GetInstance()->ProcessAll(true);
        EXPECT_TRUE(kxtest::WaitForPlatformThreads(baseline)) << "a thread outlived its engine";
    }

    uint32_t baseline = 0;
    KX::RCPtr<EngineNotes> notes;
};

TEST_F(EngineThreads, DeviceReportsAndSetsFromTwoThreadsWhileTheMainThreadDrains)
{
    const auto engine = LRootModuleEngine::Create();
    ASSERT_EQ(engine->Initialize(0), KX::S_OK);
    SetRootModuleEngine(engine);
    constexpr int kRounds = 60;

    // The MIDI manager's pool thread: a dump's values through the store.
    std::thread pool([] {
        const KX::RCPtr<IParamValueStore> store = GetParamValueStore();
        for (int r = 1; r <= kRounds; ++r)
            for (int32_t id = 9; id < 25; ++id)
                ASSERT_GE(store->SetParamValues(KX::ParamDescriptor(id), Record(id, static_cast<uint8_t>(r))), 0);
    });
    // The library's reporting: faders changed on the device.
    std::thread device([&] {
        for (int r = 1; r <= kRounds; ++r) {
            std::vector<KX::ParamValue> values;
            for (int32_t id = 45; id < 65; ++id)
                values.emplace_back(KX::ParamDescriptor(id), Record(id, static_cast<uint8_t>(r)));
            const KX::ParamValues list(values.data(), static_cast<uint32_t>(values.size()));
            LDeviceCommunicationInterface::OnParamValues(engine->GetDeviceCommunication().Get(), nullptr, &list);
        }
    });
    // The main thread edits and reads meanwhile.
    KX::Array<KX::ParamValue> values;
    for (int r = 1; r <= kRounds; ++r) {
        ASSERT_EQ(engine->SetParamValues(KX::ParamDescriptor(70), Record(70, static_cast<uint8_t>(r))), KX::S_OK);
        ASSERT_EQ(engine->GetParamValues(0, 83, values, -1), KX::S_OK);
        notes->Take();
    }
    pool.join();
    device.join();

    // Everything reported before the marker has been delivered once the marker arrives.
    const KX::ParamValue marker(KX::ParamDescriptor(kParamIdStatusText), Text("marker"));
    const KX::ParamValues list(&marker, 1);
    LDeviceCommunicationInterface::OnParamValues(engine->GetDeviceCommunication().Get(), nullptr, &list);
    notes->TakeUntil([](const std::vector<Note>& all) { return HasText(all, "marker"); });

    KX::Variant v;
    for (int32_t id = 45; id < 65; ++id) {
        ASSERT_EQ(engine->GetParamValue(KX::ParamDescriptor(id), v), KX::S_OK);
        EXPECT_EQ(v, Record(id, kRounds)) << id;
    }
    // The library reports the pads' values back as they change; they settle on the last set.
    EXPECT_TRUE(kxtest::WaitUntil([&] {
        for (int32_t id = 9; id < 25; ++id) {
            KX::Variant pad;
            engine->GetParamValue(KX::ParamDescriptor(id), pad);
            if (!(pad == Record(id, kRounds)))
                return false;
        }
        return true;
    }));
    ASSERT_EQ(engine->GetParamValue(KX::ParamDescriptor(70), v), KX::S_OK);
    EXPECT_EQ(v, Record(70, kRounds));
    SetRootModuleEngine(KX::RCPtr<LRootModuleEngine>());
}

TEST_F(EngineThreads, ReleasingTheEngineWhileTheLibraryReportsIsSafe)
{
    auto& lib = devcommtest::Library::Get();
    ASSERT_TRUE(lib.Complete());
    for (int round = 0; round < 5; ++round) {
        auto engine = LRootModuleEngine::Create();
        ASSERT_EQ(engine->Initialize(0), KX::S_OK);
        std::atomic<bool> stop{false};
        // Sets made straight in the library are reported to the connected engine.
        std::thread device([&] {
            const KX::Variant none;
            for (uint8_t i = 0; !stop.load(); ++i) {
                const KX::ParamDescriptor d(45 + i % 20);
                const KX::Variant value = Record(d.id, i);
                lib.SetParamValue(&none, &d, &value);
            }
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        engine = nullptr;
        stop = true;
        device.join();
        notes->Take();
    }
}

TEST_F(EngineThreads, TeardownWhileTheMonitorWaitsReturnsAfterTheWaitOnTheReleasingThread)
{
    ProbeEngine::Record record;
    LRootModuleEngine::Options options;
    options.monitorIntervalMs = 300;
    KX::RCPtr<ProbeEngine> engine = ProbeEngine::Create(options, &record);
    ASSERT_EQ(engine->Initialize(0), KX::S_OK);
    ASSERT_EQ(engine->SetActive(true), KX::S_OK);
    ASSERT_TRUE(engine->IsMonitorRunning());
    // Inside the device communication's wait for a list change (no change comes).
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    engine = nullptr;
    EXPECT_TRUE(record.destroyed.load()) << "the last release destroys the engine";
    EXPECT_EQ(record.thread, std::this_thread::get_id());
}

TEST_F(EngineThreads, AMonitorEndingByItselfNeverLeavesTheEngineToItsThread)
{
    for (int round = 0; round < 40; ++round) {
        ProbeEngine::Record record;
        KX::RCPtr<FakeEngineDeviceCommunication> comm(new FakeEngineDeviceCommunication());
        LRootModuleEngine::Options options;
        options.deviceCommunication = comm;
        options.monitorIntervalMs = 1;
        KX::RCPtr<ProbeEngine> engine = ProbeEngine::Create(options, &record);
        ASSERT_EQ(engine->Initialize(0), KX::S_OK);
        ASSERT_EQ(engine->ConnectDevice(Text("A"), false), 0);
        ASSERT_TRUE(engine->IsMonitorRunning());
        comm->present = false;
        // Nothing left to watch: the monitor is told to end, and ends on its own...
        engine->DisconnectDevice();
        if (round % 2)
            std::this_thread::sleep_for(std::chrono::microseconds(50 * round));
        // ...while the engine's last holder lets go.
        engine = nullptr;
        ASSERT_TRUE(record.destroyed.load()) << round;
        ASSERT_EQ(record.thread, std::this_thread::get_id()) << round;
    }
}

TEST_F(EngineThreads, ATeardownThatGivesUpLeavesTheEngineToTheStuckMonitor)
{
    ProbeEngine::Record record;
    KX::RCPtr<FakeEngineDeviceCommunication> comm(new FakeEngineDeviceCommunication());
    comm->SetRemoteDevices({Text("A")});
    LRootModuleEngine::Options options;
    options.deviceCommunication = comm;
    options.monitorIntervalMs = 1;
    options.monitorStopPolls = 20;
    KX::RCPtr<ProbeEngine> engine = ProbeEngine::Create(options, &record);
    ASSERT_EQ(engine->Initialize(0), KX::S_OK);
    ASSERT_EQ(engine->SetActive(true), KX::S_OK);
    comm->blockSearches = true;
    ASSERT_TRUE(kxtest::WaitUntil([&] { return comm->blockedSearches.load() > 0; }));

    // The stop gives up after its polls; the engine stays alive for its monitor.
    engine = nullptr;
    EXPECT_FALSE(record.destroyed.load());

    // Unstuck, the monitor sees the stop, ends, and lets go of the engine on its way out:
    // the engine is destroyed there, and its monitor thread is not joined from itself.
    comm->blockSearches = false;
    ASSERT_TRUE(kxtest::WaitUntil([&] { return record.destroyed.load(); }));
    EXPECT_EQ(record.thread, comm->SearchThread());
    EXPECT_NE(record.thread, std::this_thread::get_id());
    comm = nullptr;
}

} // namespace
