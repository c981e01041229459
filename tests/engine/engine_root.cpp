// The root module engine over the real client library, without it, and over a scripted
// device communication: wiring, the set path, what it posts, connection states and the
// device monitor's searches.
#include "EngineFakes.h"
#include "TestSupport.h"

#include "engine/ParamPair.h"
#include "engine/ParamRecords.h"
#include "engine/RootModuleEngine.h"
#include "kx/Exception.h"
#include "kx/ParamValues.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <thread>
#include <vector>

namespace {

using kxtest::EngineNotes;
using kxtest::FakeEngineDeviceCommunication;
using Note = EngineNotes::Note;
using Packed = KX::LWrapper<KX::ParamValues, KX::LRefCountedObject>;

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

// The values a "NID_PARAM_MODULE_STATE_CHANGE" carries, whichever form it has.
std::vector<KX::ParamValue> ValuesOf(const Note& note)
{
    std::vector<KX::ParamValue> out;
    if (const auto pair = KX::ConstRCPtr<KX::LParamPair>::DynamicCast(note.payload)) {
        out.emplace_back(pair->key, pair->value);
    } else if (const auto packed = KX::ConstRCPtr<Packed>::DynamicCast(note.payload)) {
        for (uint32_t i = 0; i < packed->GetCount(); ++i) {
            KX::ParamValue v;
            EXPECT_EQ(packed->GetParamValueAt(i, v), 0);
            out.push_back(v);
        }
    } else {
        ADD_FAILURE() << "unexpected payload";
    }
    return out;
}

// Parameter notes about model ids (the status text the library reports after a connect
// arrives whenever its delivery runs).
std::vector<Note> ModelNotes(const std::vector<Note>& notes)
{
    std::vector<Note> out;
    for (const Note& n : kxtest::OfId(notes, kxtest::Id(KX::NID_PARAM_MODULE_STATE_CHANGE))) {
        const std::vector<KX::ParamValue> values = ValuesOf(n);
        if (!values.empty() && values[0].descriptor.id >= 0)
            out.push_back(n);
    }
    return out;
}

bool HasParam(const std::vector<Note>& notes, int32_t id)
{
    for (const Note& n : kxtest::OfId(notes, kxtest::Id(KX::NID_PARAM_MODULE_STATE_CHANGE)))
        for (const KX::ParamValue& v : ValuesOf(n))
            if (v.descriptor.id == id)
                return true;
    return false;
}

KX::Variant Cached(LRootModuleEngine& engine, int32_t id)
{
    KX::Variant v;
    EXPECT_EQ(engine.GetParamCache()->GetValue(KX::ParamDescriptor(id), v), 0);
    return v;
}

// Reports values as the library's callback would.
void Report(LRootModuleEngine& engine, const std::vector<KX::ParamValue>& values)
{
    const KX::ParamValues list(values.data(), static_cast<uint32_t>(values.size()));
    LDeviceCommunicationInterface::OnParamValues(engine.GetDeviceCommunication().Get(), nullptr, &list);
}

class EngineTest : public ::testing::Test {
protected:
    void SetUp() override { notes = EngineNotes::Listen(); }
    void TearDown() override
    {
        notes->UnregisterFromAll();
        notes = nullptr;
        KX::LNotificationCenterManager::GetInstance()->ProcessAll(true);
    }

    KX::RCPtr<EngineNotes> notes;
};

using EngineWithLibrary = EngineTest;

TEST_F(EngineWithLibrary, InitializeReportsEveryValueOnceAndConnects)
{
    const auto engine = LRootModuleEngine::Create();
    ASSERT_EQ(engine->Initialize(0), KX::S_OK);
    EXPECT_TRUE(engine->GetDeviceCommunication()->IsLibraryLoaded());
    EXPECT_TRUE(engine->IsInitialized());
    EXPECT_FALSE(engine->IsOffline());
    EXPECT_EQ(engine->GetConnectionState(), LRootModuleEngine::kConnected);
    EXPECT_EQ(engine->GetFirstParamID(), 0);

    const std::vector<Note> posted = notes->Take();
    const std::vector<Note> model = ModelNotes(posted);
    ASSERT_EQ(model.size(), 1u);
    ASSERT_TRUE(KX::ConstRCPtr<Packed>::DynamicCast(model[0].payload)) << "83 values travel packed";
    const std::vector<KX::ParamValue> values = ValuesOf(model[0]);
    ASSERT_EQ(values.size(), kParamCount);
    for (int32_t i = 0; i < static_cast<int32_t>(kParamCount); ++i) {
        EXPECT_EQ(values[i].descriptor.id, i);
        EXPECT_EQ(values[i].value, MakeDefaultParamRecord(i)) << i;
        EXPECT_EQ(Cached(*engine, i), MakeDefaultParamRecord(i)) << i;
    }
    EXPECT_EQ(kxtest::PostedStates(posted), std::vector<int32_t>{3});
    EXPECT_TRUE(kxtest::OfId(posted, kxtest::Id(KX::NID_REMOTE_DEVICE_LIST_CHANGE)).empty());
    EXPECT_FALSE(engine->IsMonitorRunning()) << "the default device is not watched";

    EXPECT_EQ(engine->Initialize(0), KX::S_FALSE);
    EXPECT_TRUE(ModelNotes(notes->Take()).empty());
}

TEST_F(EngineWithLibrary, ASetReachesCacheDeviceAndInterfaceOnce)
{
    const auto engine = LRootModuleEngine::Create();
    ASSERT_EQ(engine->Initialize(0), KX::S_OK);
    notes->Take();

    const KX::Variant record = Bytes({0, 3, 41, 0, 10, 120});
    ASSERT_EQ(engine->SetParamValues(KX::ParamDescriptor(65), record), KX::S_OK);
    const std::vector<Note> model = ModelNotes(notes->Take());
    ASSERT_EQ(model.size(), 1u);
    ASSERT_TRUE(KX::ConstRCPtr<KX::LParamPair>::DynamicCast(model[0].payload));
    EXPECT_EQ(ValuesOf(model[0])[0].descriptor.id, 65);
    EXPECT_EQ(ValuesOf(model[0])[0].value, record);
    EXPECT_EQ(Cached(*engine, 65), record);
    KX::Variant v;
    ASSERT_EQ(engine->GetParamValue(KX::ParamDescriptor(65), v), KX::S_OK);
    EXPECT_EQ(v, record);
    ASSERT_EQ(engine->GetDeviceCommunication()->GetParamValue(KX::ParamDescriptor(65), v), 0);
    EXPECT_EQ(v, record) << "the library holds the value";

    // The same value again changes nothing; the library's report of the value is no news.
    ASSERT_EQ(engine->SetParamValues(KX::ParamDescriptor(65), record), KX::S_OK);
    Report(*engine, {KX::ParamValue(KX::ParamDescriptor(65), record)});
    Report(*engine, {KX::ParamValue(KX::ParamDescriptor(kParamIdStatusText), Text("marker"))});
    const std::vector<Note> later = notes->TakeUntil([](const std::vector<Note>& all) {
        for (const Note& n : all)
            for (const KX::ParamValue& pv : ValuesOf(n))
                if (pv.value == Text("marker"))
                    return true;
        return false;
    });
    EXPECT_TRUE(ModelNotes(later).empty());

    // A record of the wrong length goes nowhere.
    EXPECT_EQ(engine->SetParamValues(KX::ParamDescriptor(65), Bytes({1, 2, 3})), KX::E_INVALIDARG);
    EXPECT_EQ(Cached(*engine, 65), record);
    EXPECT_TRUE(ModelNotes(notes->Take()).empty());
    EXPECT_EQ(engine->GetConnectionState(), LRootModuleEngine::kConnected);
}

TEST_F(EngineWithLibrary, ReportedValuesArePostedSingleBelowThreeAndPackedFromThree)
{
    const auto engine = LRootModuleEngine::Create();
    ASSERT_EQ(engine->Initialize(0), KX::S_OK);
    notes->Take();

    Report(*engine, {KX::ParamValue(KX::ParamDescriptor(45), Bytes({0, 0, 9, 0, 0, 100})),
                     KX::ParamValue(KX::ParamDescriptor(46), Bytes({0, 0, 9, 0, 0, 101}))});
    std::vector<Note> got = notes->TakeUntil([](const std::vector<Note>& all) { return HasParam(all, 46); });
    std::vector<Note> model = ModelNotes(got);
    ASSERT_EQ(model.size(), 2u);
    EXPECT_EQ(ValuesOf(model[0])[0].descriptor.id, 45);
    EXPECT_EQ(ValuesOf(model[1])[0].descriptor.id, 46);

    // Three values of one report reach the root as one list, posted as one notification.
    // Of these, the unchanged value is dropped by the model first.
    Report(*engine, {KX::ParamValue(KX::ParamDescriptor(47), Bytes({0, 0, 9, 0, 0, 102})),
                     KX::ParamValue(KX::ParamDescriptor(48), Bytes({0, 0, 9, 0, 0, 103})),
                     KX::ParamValue(KX::ParamDescriptor(49), Bytes({0, 0, 9, 0, 0, 104}))});
    got = notes->TakeUntil([](const std::vector<Note>& all) { return HasParam(all, 49); });
    model = ModelNotes(got);
    ASSERT_EQ(model.size(), 3u) << "the root reports each change it stores on its own";
    EXPECT_EQ(Cached(*engine, 49), Bytes({0, 0, 9, 0, 0, 104}));

    // The engine's own packing: three values handed to it at once are one notification.
    KX::Array<KX::ParamValue> three;
    for (int32_t id : {1, 2, 3})
        three.AddItem(KX::ParamValue(KX::ParamDescriptor(id), Bytes({static_cast<uint8_t>(id)})));
    LRootModuleEngine::ParamValuesCallback(engine.Get(), three);
    model = ModelNotes(notes->Take());
    ASSERT_EQ(model.size(), 1u);
    const std::vector<KX::ParamValue> values = ValuesOf(model[0]);
    ASSERT_EQ(values.size(), 3u);
    EXPECT_EQ(values[2].descriptor.id, 3);
    EXPECT_EQ(values[2].value, Bytes({3}));
}

TEST_F(EngineWithLibrary, TheMidiManagerReachesTheRegisteredEngine)
{
    const auto engine = LRootModuleEngine::Create();
    ASSERT_EQ(engine->Initialize(0), KX::S_OK);
    SetRootModuleEngine(engine);
    const KX::RCPtr<IParamValueStore> store = GetParamValueStore();
    ASSERT_EQ(store.Get(), static_cast<IParamValueStore*>(engine.Get()));
    EXPECT_EQ(GetRootModuleEngine(), engine);
    EXPECT_EQ(store->GetFirstParamID(), 0);

    KX::Array<KX::ParamValue> values;
    values.AddItem(KX::ParamValue(KX::ParamDescriptor(-77), Text("keep")));
    values.AddItem(KX::ParamValue(KX::ParamDescriptor(-78), Text("keep")));
    ASSERT_EQ(store->GetParamValues(0, 83, values, 2), KX::S_OK);
    ASSERT_EQ(values.GetCount(), 85u);
    EXPECT_EQ(values.GetData()[1].descriptor.id, -78);
    for (int32_t k = 0; k < 83; ++k) {
        EXPECT_EQ(values.GetData()[2 + k].descriptor.id, k);
        EXPECT_EQ(values.GetData()[2 + k].value, MakeDefaultParamRecord(k));
    }
    ASSERT_EQ(store->GetParamValues(81, 2, values, -1), KX::S_OK);
    ASSERT_EQ(values.GetCount(), 2u);
    EXPECT_EQ(values.GetData()[1].descriptor.id, 82);
    EXPECT_EQ(store->GetParamValues(0x7FFFFFF0, 100, values, 0), KX::E_INVALIDARG);
    EXPECT_EQ(store->GetParamValues(0, 10, values, 0x7FFFFFFA), KX::E_INVALIDARG);

    // A dump value through the store is a set like any other.
    ASSERT_EQ(store->SetParamValues(KX::ParamDescriptor(0), Bytes({'L', 'E', 'A', 'D', ' ', '1'})), KX::S_OK);
    EXPECT_EQ(Cached(*engine, 0), Bytes({'L', 'E', 'A', 'D', ' ', '1'}));

    SetRootModuleEngine(KX::RCPtr<LRootModuleEngine>());
    EXPECT_FALSE(GetParamValueStore());
    EXPECT_FALSE(GetRootModuleEngine());
}

TEST_F(EngineWithLibrary, AChangeRequestPostedToTheCentreSetsTheValue)
{
    const auto engine = LRootModuleEngine::Create();
    ASSERT_EQ(engine->Initialize(0), KX::S_OK);
    notes->Take();
    const KX::Variant record = Bytes({0, 0, 7, 1, 2, 3});
    const KX::ConstRCPtr<KX::LRefCountedObject> pair(new KX::LParamPair(KX::ParamDescriptor(50), record));
    ASSERT_EQ(engine->PostNotification(KX::NID_PARAM_MODULE_CHANGE_REQ, pair), KX::S_OK);
    const std::vector<Note> got = notes->TakeUntil([](const std::vector<Note>& all) { return HasParam(all, 50); });
    EXPECT_EQ(Cached(*engine, 50), record);
    EXPECT_EQ(ModelNotes(got).size(), 1u);
    EXPECT_EQ(engine->PostNotification(nullptr, pair), KX::E_INVALIDARG);
}

TEST_F(EngineWithLibrary, PostParamModuleStateChangeReadsOnlyIdsThatExist)
{
    const auto engine = LRootModuleEngine::Create();
    ASSERT_EQ(engine->Initialize(0), KX::S_OK);
    notes->Take();
    EXPECT_EQ(engine->PostParamModuleStateChange(KX::ParamDescriptors(80, 2)), KX::S_OK);
    std::vector<Note> model = ModelNotes(notes->Take());
    ASSERT_EQ(model.size(), 2u);
    EXPECT_EQ(ValuesOf(model[1])[0].descriptor.id, 81);
    EXPECT_EQ(ValuesOf(model[1])[0].value, MakeDefaultParamRecord(81));

    // A range far beyond the model costs nothing; other Variants are ignored.
    EXPECT_EQ(engine->PostParamModuleStateChange(KX::ParamDescriptors(82, 0x7FFFFF00)), KX::S_OK);
    model = ModelNotes(notes->Take());
    ASSERT_EQ(model.size(), 1u);
    EXPECT_EQ(engine->PostParamModuleStateChange(KX::MakeInt32Variant(3)), KX::S_OK);
    EXPECT_EQ(engine->PostParamModuleStateChange(KX::ParamDescriptors()), KX::S_OK);
    EXPECT_TRUE(ModelNotes(notes->Take()).empty());
}

TEST_F(EngineWithLibrary, RemoteSearchAndTheMonitor)
{
    LRootModuleEngine::Options options;
    options.monitorIntervalMs = 10;
    const auto engine = LRootModuleEngine::Create(options);
    ASSERT_EQ(engine->Initialize(0), KX::S_OK);
    const KX::Variant lumo = Text("Lumo 25");

    KX::Array<KX::Variant> devices;
    ASSERT_EQ(engine->FindDevices(devices), KX::S_OK);
    ASSERT_EQ(devices.GetCount(), 1u);
    EXPECT_EQ(devices.GetData()[0], lumo);

    ASSERT_EQ(engine->SetActive(true), KX::S_OK);
    EXPECT_TRUE(engine->IsRemoteSearchActive());
    EXPECT_TRUE(engine->IsMonitorRunning());
    EXPECT_EQ(engine->SetActive(true), KX::S_OK);
    // Off, with only the default device connected: nothing left to watch.
    EXPECT_EQ(engine->SetActive(false), KX::S_OK);
    EXPECT_TRUE(kxtest::WaitUntil([&] { return !engine->IsMonitorRunning(); }));

    // Connected to a present device, the monitor stays after the search goes off.
    ASSERT_EQ(engine->ConnectDevice(lumo, false), 0);
    EXPECT_EQ(engine->GetCurrentDeviceId(), lumo);
    EXPECT_TRUE(engine->IsMonitorRunning());
    ASSERT_EQ(engine->SetActive(true), KX::S_OK);
    ASSERT_EQ(engine->SetActive(false), KX::S_OK);
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_TRUE(engine->IsMonitorRunning());
    EXPECT_EQ(engine->GetConnectionState(), LRootModuleEngine::kConnected);

    // A disconnect leaves nothing to watch.
    EXPECT_EQ(engine->DisconnectDevice(), 0);
    EXPECT_TRUE(kxtest::WaitUntil([&] { return !engine->IsMonitorRunning(); }));
}

// The monitor waits for a remote list change for a whole interval; a stop ends that wait at once,
// long before the interval or the stop's own patience runs out.
TEST_F(EngineWithLibrary, AStopEndsTheMonitorsWaitForAListChange)
{
    LRootModuleEngine::Options options;
    options.monitorIntervalMs = 600000;
    options.monitorStopPolls = 5000;
    const auto engine = LRootModuleEngine::Create(options);
    ASSERT_EQ(engine->Initialize(0), KX::S_OK);
    ASSERT_EQ(engine->SetActive(true), KX::S_OK);
    ASSERT_TRUE(engine->IsMonitorRunning());
    // Let the monitor reach its wait.
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(engine->ReleaseInternalReferences(), KX::S_OK);
    EXPECT_FALSE(engine->IsMonitorRunning());
}

// The library file is absent: the device communication still starts, so the engine is
// online and connected as far as it can tell, and the model works from the cache.
TEST_F(EngineTest, WithoutTheLibraryEditingLoadingAndSavingStillWork)
{
    kxtest::TempDir empty;
    LRootModuleEngine::Options options;
    options.libraryPath = KX::WString((empty.path() / "libDeviceControlClient.so").c_str());
    const auto engine = LRootModuleEngine::Create(options);
    ASSERT_EQ(engine->Initialize(0), KX::S_OK);
    EXPECT_FALSE(engine->GetDeviceCommunication()->IsLibraryLoaded());
    EXPECT_FALSE(engine->IsOffline());
    EXPECT_EQ(engine->GetConnectionState(), LRootModuleEngine::kConnected);
    const std::vector<Note> first = notes->Take();
    EXPECT_EQ(ModelNotes(first).size(), 1u);
    EXPECT_EQ(kxtest::PostedStates(first), std::vector<int32_t>{3});

    // Load: every value of a preset.
    for (int32_t id = 0; id < static_cast<int32_t>(kParamCount); ++id) {
        KX::Variant record = MakeDefaultParamRecord(id);
        uint32_t n = 0;
        std::vector<uint8_t> bytes(record.GetData(n), record.GetData(n) + n);
        bytes.back() ^= 0x55;
        ASSERT_EQ(engine->SetParamValues(KX::ParamDescriptor(id), Bytes(bytes)), KX::S_OK) << id;
    }
    EXPECT_EQ(ModelNotes(notes->Take()).size(), kParamCount);

    // Save: read them all back.
    KX::Array<KX::ParamValue> values;
    ASSERT_EQ(engine->GetParamValues(0, 83, values, -1), KX::S_OK);
    for (int32_t id = 0; id < static_cast<int32_t>(kParamCount); ++id) {
        uint32_t n = 0;
        const uint8_t* got = values.GetData()[id].value.GetData(n);
        ASSERT_EQ(n, GetParamRecordLength(id));
        uint32_t m = 0;
        EXPECT_EQ(got[n - 1], MakeDefaultParamRecord(id).GetData(m)[m - 1] ^ 0x55) << id;
    }

    // No library, no remote devices.
    EXPECT_LT(engine->SetActive(true), 0);
    EXPECT_FALSE(engine->IsRemoteSearchActive());
    EXPECT_FALSE(engine->IsMonitorRunning());
    KX::Array<KX::Variant> devices;
    EXPECT_LT(engine->FindDevices(devices), 0);
}

TEST_F(EngineTest, OfflineTheEngineRefusesEverySet)
{
    KX::RCPtr<FakeEngineDeviceCommunication> comm(new FakeEngineDeviceCommunication());
    comm->createClientResult = KX::E_FAIL;
    LRootModuleEngine::Options options;
    options.deviceCommunication = comm;
    const auto engine = LRootModuleEngine::Create(options);
    ASSERT_EQ(engine->Initialize(0), KX::S_OK);
    EXPECT_TRUE(engine->IsOffline());
    EXPECT_EQ(engine->GetConnectionState(), LRootModuleEngine::kNoDevice);
    EXPECT_EQ(comm->connects.load(), 0) << "offline: no connect";
    const std::vector<Note> posted = notes->Take();
    EXPECT_EQ(ModelNotes(posted).size(), 1u);
    EXPECT_TRUE(kxtest::PostedStates(posted).empty());

    EXPECT_EQ(engine->SetParamValues(KX::ParamDescriptor(1), Bytes({1, 1, 1, 1, 1, 1, 1, 1, 1})), KX::E_FAIL);
    EXPECT_EQ(Cached(*engine, 1), MakeDefaultParamRecord(1));
    KX::Variant v;
    EXPECT_EQ(engine->GetParamValue(KX::ParamDescriptor(1), v), KX::S_OK);
    EXPECT_EQ(v, MakeDefaultParamRecord(1));
    EXPECT_TRUE(ModelNotes(notes->Take()).empty());
}

TEST_F(EngineTest, BeforeInitializeNothingIsReachable)
{
    const auto engine = LRootModuleEngine::Create();
    EXPECT_EQ(engine->SetParamValues(KX::ParamDescriptor(0), Bytes({1, 2, 3, 4, 5, 6})), KX::E_FAIL);
    KX::Variant v = Text("x");
    EXPECT_EQ(engine->GetParamValue(KX::ParamDescriptor(0), v), KX::E_FAIL);
    EXPECT_EQ(v.GetType(), KX::Variant::TypeEmpty);
    EXPECT_LT(engine->SetActive(true), 0);
    EXPECT_FALSE(engine->IsRemoteSearchActive());
    KX::Array<KX::ParamValue> values;
    EXPECT_EQ(engine->GetParamValues(0, 2, values, 0), KX::S_OK);
    EXPECT_EQ(values.GetCount(), 2u);
    EXPECT_TRUE(notes->Take().empty());
}

// Scripted device communication: connects, presence and remote searches.

struct ScriptedEngine {
    KX::RCPtr<FakeEngineDeviceCommunication> comm{new FakeEngineDeviceCommunication()};
    KX::RCPtr<LRootModuleEngine> engine;

    explicit ScriptedEngine(uint32_t intervalMs = 2)
    {
        LRootModuleEngine::Options options;
        options.deviceCommunication = comm;
        options.monitorIntervalMs = intervalMs;
        engine = LRootModuleEngine::Create(options);
    }
};

TEST_F(EngineTest, AFailedConnectToAPresentDeviceIsRetriedByTheMonitor)
{
    ScriptedEngine s;
    s.comm->connected = false;
    s.comm->connectResult = -1;
    ASSERT_EQ(s.engine->Initialize(0), KX::S_OK);
    EXPECT_EQ(s.engine->GetConnectionState(), LRootModuleEngine::kNoDevice);
    EXPECT_TRUE(kxtest::PostedStates(notes->Take()).empty());

    const KX::Variant device = Text("Lumo 25");
    EXPECT_EQ(s.engine->ConnectDevice(device, true), -1);
    EXPECT_EQ(s.engine->GetConnectionState(), LRootModuleEngine::kConnectionPending);
    EXPECT_TRUE(s.engine->IsMonitorRunning());
    EXPECT_EQ(s.engine->SetParamValues(KX::ParamDescriptor(0), Bytes({1, 2, 3, 4, 5, 6})), KX::E_FAIL);

    s.comm->connectResult = 0;
    const std::vector<Note> got =
        notes->TakeUntil([](const std::vector<Note>& all) { return kxtest::PostedStates(all).size() >= 2; });
    EXPECT_EQ(kxtest::PostedStates(got), (std::vector<int32_t>{1, 3}));
    EXPECT_EQ(s.engine->GetConnectionState(), LRootModuleEngine::kConnected);

    // Connected again: sets reach the device once each.
    EXPECT_EQ(s.engine->SetParamValues(KX::ParamDescriptor(0), Bytes({1, 2, 3, 4, 5, 6})), KX::S_OK);
    EXPECT_EQ(s.comm->deviceSets.load(), 1);
}

TEST_F(EngineTest, WithoutKeepTryingAFailedConnectForgetsTheDevice)
{
    ScriptedEngine s;
    s.comm->connected = false;
    ASSERT_EQ(s.engine->Initialize(0), KX::S_OK);
    s.comm->connected = false;
    s.comm->connectResult = -1;
    EXPECT_EQ(s.engine->ConnectDevice(Text("Lumo 25"), false), -1);
    EXPECT_EQ(s.engine->GetCurrentDeviceId().GetType(), KX::Variant::TypeEmpty);
    EXPECT_FALSE(s.engine->IsMonitorRunning());
    EXPECT_NE(s.engine->GetConnectionState(), LRootModuleEngine::kConnectionPending);

    // With keep-trying but an absent device there is nothing to retry either.
    s.comm->present = false;
    EXPECT_EQ(s.engine->ConnectDevice(Text("Lumo 25"), true), -1);
    EXPECT_FALSE(s.engine->IsMonitorRunning());
}

TEST_F(EngineTest, TheMonitorMakesEightQuickWaitsThenAFullSearch)
{
    ScriptedEngine s(1);
    s.comm->SetRemoteDevices({Text("A")});
    ASSERT_EQ(s.engine->Initialize(0), KX::S_OK);
    ASSERT_EQ(s.engine->SetActive(true), KX::S_OK);
    ASSERT_TRUE(kxtest::WaitUntil([&] {
        const std::string l = s.comm->SearchLog();
        return std::count(l.begin(), l.end(), 'F') >= 2;
    }));
    const std::string log = s.comm->SearchLog();
    // The switch-on search, then the monitor's rhythm.
    EXPECT_EQ(log.substr(0, 19), "Q"
                                 "qqqqqqqqF"
                                 "qqqqqqqqF")
        << log;

    // While full searches answer 1, every pass is a full search.
    s.comm->fullSearchResult = KX::S_FALSE;
    ASSERT_TRUE(kxtest::WaitUntil([&] {
        const std::string l = s.comm->SearchLog();
        return l.size() > log.size() + 12 && l.substr(l.size() - 3) == "FFF";
    }));
}

TEST_F(EngineTest, TheMonitorPostsTheDeviceCountWhenTheRemoteListChanges)
{
    ScriptedEngine s(1);
    s.comm->SetRemoteDevices({Text("A")});
    ASSERT_EQ(s.engine->Initialize(0), KX::S_OK);
    ASSERT_EQ(s.engine->SetActive(true), KX::S_OK);
    notes->Take();

    s.comm->SetRemoteDevices({Text("A"), Text("B")});
    auto lists = [](const std::vector<Note>& all) {
        return kxtest::OfId(all, kxtest::Id(KX::NID_REMOTE_DEVICE_LIST_CHANGE));
    };
    std::vector<Note> got = notes->TakeUntil([&](const std::vector<Note>& all) { return !lists(all).empty(); });
    ASSERT_FALSE(lists(got).empty());
    const auto count = KX::ConstRCPtr<KX::LHolder<unsigned int>>::DynamicCast(lists(got)[0].payload);
    ASSERT_TRUE(count);
    EXPECT_EQ(count->Value(), 2u);
    KX::Array<KX::Variant> devices;
    ASSERT_EQ(s.engine->FindDevices(devices), KX::S_OK);
    ASSERT_EQ(devices.GetCount(), 2u);
    EXPECT_EQ(devices.GetData()[1], Text("B"));

    s.comm->SetRemoteDevices({});
    got = notes->TakeUntil([&](const std::vector<Note>& all) { return !lists(all).empty(); });
    ASSERT_FALSE(lists(got).empty());
    EXPECT_EQ(KX::ConstRCPtr<KX::LHolder<unsigned int>>::DynamicCast(lists(got).back().payload)->Value(), 0u);
}

TEST_F(EngineTest, TheFirstRemoteSearchRunsOnceUnlessItFailed)
{
    ScriptedEngine s(1);
    s.comm->SetRemoteDevices({Text("A")});
    ASSERT_EQ(s.engine->Initialize(0), KX::S_OK);

    s.comm->quickSearchResult = KX::E_FAIL;
    EXPECT_EQ(s.engine->SetActive(true), KX::E_FAIL);
    EXPECT_FALSE(s.engine->IsRemoteSearchActive());
    EXPECT_FALSE(s.engine->IsMonitorRunning());

    // A failed first search does not stay the answer for good.
    s.comm->quickSearchResult = KX::S_OK;
    EXPECT_EQ(s.engine->SetActive(true), KX::S_OK);
    EXPECT_TRUE(s.engine->IsRemoteSearchActive());
    ASSERT_EQ(s.engine->SetActive(false), KX::S_OK);
    ASSERT_TRUE(kxtest::WaitUntil([&] { return !s.engine->IsMonitorRunning(); }));

    // Switched on again: no further switch-on search; the monitor simply starts.
    EXPECT_EQ(s.engine->SetActive(true), KX::S_OK);
    EXPECT_TRUE(s.engine->IsMonitorRunning());
    const std::string log = s.comm->SearchLog();
    EXPECT_EQ(std::count(log.begin(), log.end(), 'Q'), 2) << log;
}

TEST_F(EngineTest, FindDevicesWithTheSearchOffSearchesAfresh)
{
    ScriptedEngine s(1);
    ASSERT_EQ(s.engine->Initialize(0), KX::S_OK);
    s.comm->SetRemoteDevices({Text("X"), Text("Y")});
    KX::Array<KX::Variant> devices;
    ASSERT_EQ(s.engine->FindDevices(devices), KX::S_OK);
    ASSERT_EQ(devices.GetCount(), 2u);
    s.comm->SetRemoteDevices({});
    ASSERT_EQ(s.engine->FindDevices(devices), KX::S_OK);
    EXPECT_EQ(devices.GetCount(), 0u);
    s.comm->quickSearchResult = KX::E_FAIL;
    EXPECT_EQ(s.engine->FindDevices(devices), KX::E_FAIL);
    EXPECT_EQ(s.comm->SearchLog(), "QQQ");
}

} // namespace
