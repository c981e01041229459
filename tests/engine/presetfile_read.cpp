// Reading preset files: the golden default file, header and record checks, how records
// reach the engine, the load notifications and the message boxes.
#include "PresetFileSupport.h"

#include "engine/SysExProtocol.h"

#include "kx/Notification.h"
#include "kx/NotificationCenter.h"
#include "kx/NotificationClient.h"
#include "kx/NotificationId.h"
#include "kx/Wrappers.h"

#include "Sha256.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include <sys/stat.h>

using KX::LPresetManager;

namespace {

constexpr const char* kDefaultFileDigest = "cab17562e132802d8d195b62268d09b0fabb9e5ac1560126bf6599fa9b6be137";

class PresetFileRead : public ::testing::Test {
protected:
    // Writes bytes as a file and loads it.
    int32_t LoadBytes(const std::vector<uint8_t>& bytes)
    {
        kxtest::WriteAll(file, bytes);
        return manager->Load(kxtest::WidePath(file));
    }

    static std::vector<uint8_t> Concat(std::vector<std::vector<uint8_t>> parts)
    {
        std::vector<uint8_t> out;
        for (const auto& part : parts)
            out.insert(out.end(), part.begin(), part.end());
        return out;
    }

    kxtest::TempDir dir;
    std::filesystem::path file = dir.path() / "preset.Lumo25PresetEditor";
    KX::RCPtr<kxtest::FakeValueStore> store{new kxtest::FakeValueStore()};
    kxtest::ScopedValueStore registration{store};
    KX::RCPtr<LPresetManager> manager = LPresetManager::Create();
};

TEST_F(PresetFileRead, DefaultPresetFileMatchesGoldenBytes)
{
    const std::vector<uint8_t> bytes = kxtest::DefaultPresetFile();
    ASSERT_EQ(bytes.size(), LPresetManager::kPresetFileBytes);
    EXPECT_EQ(kxtest::Sha256Hex(bytes.data(), bytes.size()), kDefaultFileDigest);

    const std::vector<uint8_t> firstRecord = {0x1E, 0, 0, 0, 0, 0, 0, 0, 0, 0,   0,   0,   0x12, 0,   0,
                                              0,    0, 0, 0, 0, 8, 0, 0, 0, 'P', 'R', 'E', 'S',  'E', 'T'};
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 12, bytes.begin() + 42), firstRecord);
}

TEST_F(PresetFileRead, HeaderResults)
{
    struct Case {
        std::vector<uint8_t> bytes;
        int32_t expected;
    };
    const Case cases[] = {
        {kxtest::Header(1), 0},
        {kxtest::Header(2), -2},
        {kxtest::Header(0xFFFFFFFF), -2},
        {kxtest::Header(0), -1},
        {kxtest::Header(1, 0, 5), -4},
        {kxtest::Header(2, 0, 5), -4}, // the reserved words come before the version
        {kxtest::Header(0, 7, 0), -4},
        {{}, -3},
        {{1, 0, 0, 0}, -3},
        {{1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, -3},
    };
    for (const Case& c : cases) {
        store->sets.clear();
        EXPECT_EQ(LoadBytes(c.bytes), c.expected) << "file of " << c.bytes.size() << " bytes";
        EXPECT_TRUE(store->sets.empty());
    }
}

TEST_F(PresetFileRead, FilesThatCannotBeReadSayWhyAndAFifoIsNeverWaitedOn)
{
    EXPECT_EQ(manager->Load(kxtest::WidePath(dir.path() / "missing")), LPresetManager::kLoadUnreadable);
    EXPECT_EQ(manager->GetReadError(), ENOENT);
    EXPECT_EQ(manager->Load(kxtest::WidePath(dir.path())), LPresetManager::kLoadUnreadable);
    EXPECT_EQ(manager->GetReadError(), EISDIR);
    EXPECT_EQ(manager->Load(KX::WString()), LPresetManager::kLoadUnreadable);
    // No writer ever opens the FIFO: a blocking open would wait for ever.
    const std::string fifo = (dir.path() / "fifo").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(manager->Load(kxtest::WidePath(fifo)), LPresetManager::kLoadUnreadable);
    EXPECT_EQ(manager->GetReadError(), LPresetManager::kNotRegularFile);
    EXPECT_TRUE(store->sets.empty());
    EXPECT_EQ(LoadBytes(kxtest::DefaultPresetFile()), 0);
    EXPECT_EQ(manager->GetReadError(), 0);
}

TEST_F(PresetFileRead, StructuralDamageIsCorruptAndAppliesNothing)
{
    const std::vector<uint8_t> good = kxtest::DefaultPresetFile();
    const size_t first = kxtest::RecordOffset(0);
    const size_t last = kxtest::RecordOffset(kParamCount - 1);
    const size_t pad = kxtest::RecordOffset(9); // a 14-byte record

    struct Fault {
        const char* name;
        std::function<void(std::vector<uint8_t>&)> apply;
    };
    const Fault faults[] = {
        {"record type 1", [&](auto& b) { kxtest::PutLE32(b, first + 4, 1); }},
        {"record length 3", [&](auto& b) { kxtest::PutLE32(b, first, 3); }},
        {"record length 0", [&](auto& b) { kxtest::PutLE32(b, first, 0); }},
        {"record length below its heads", [&](auto& b) { kxtest::PutLE32(b, first, 23); }},
        {"record length beyond the file", [&](auto& b) { kxtest::PutLE32(b, last, 0x7FFFFFFF); }},
        {"record length 0xFFFFFFFF", [&](auto& b) { kxtest::PutLE32(b, first, 0xFFFFFFFF); }},
        {"last record cut short", [&](auto& b) { b.pop_back(); }},
        {"only a record length left",
         [&](auto& b) {
             b.insert(b.end(), {30, 0, 0, 0});
         }},
        {"three stray bytes at the end",
         [&](auto& b) {
             b.insert(b.end(), {1, 2, 3});
         }},
        {"value type 11", [&](auto& b) { kxtest::PutLE32(b, pad + 20, 11); }},
        {"value reserved word", [&](auto& b) { kxtest::PutLE32(b, pad + 16, 1); }},
        {"value length short of the record", [&](auto& b) { kxtest::PutLE32(b, pad + 12, 12 + 13); }},
        {"value length past the record", [&](auto& b) { kxtest::PutLE32(b, pad + 12, 12 + 15); }},
        {"value length below its head", [&](auto& b) { kxtest::PutLE32(b, pad + 12, 4); }},
    };
    for (const Fault& fault : faults) {
        std::vector<uint8_t> bytes = good;
        fault.apply(bytes);
        store->sets.clear();
        EXPECT_EQ(LoadBytes(bytes), -3) << fault.name;
        EXPECT_TRUE(store->sets.empty()) << fault.name;
    }
}

TEST_F(PresetFileRead, RecordsTheEngineCannotTakeDoNotStopTheFile)
{
    // Whole records whose index, length, type or bytes the model does not take: the file
    // still loads, every other record is applied.
    const std::vector<uint8_t> good = kxtest::DefaultPresetFile();
    const size_t first = kxtest::RecordOffset(0);
    const size_t last = kxtest::RecordOffset(kParamCount - 1);
    const size_t pad = kxtest::RecordOffset(9);

    struct Case {
        const char* name;
        std::function<void(std::vector<uint8_t>&)> apply;
        uint32_t untouched; // the parameter whose record is the faulty one
        bool reachesEngine; // false: the reader skips the record itself
    };
    const Case cases[] = {
        {"index 83", [&](auto& b) { kxtest::PutLE32(b, last + 8, 83); }, 82, true},
        {"index 1000", [&](auto& b) { kxtest::PutLE32(b, last + 8, 1000); }, 82, true},
        {"index of a longer parameter", [&](auto& b) { kxtest::PutLE32(b, first + 8, 9); }, 0, true},
        {"value type 9", [&](auto& b) { kxtest::PutLE32(b, pad + 20, 9); }, 9, true},
        {"value type 2", [&](auto& b) { kxtest::PutLE32(b, pad + 20, 2); }, 9, true},
        {"a byte of 0x80", [&](auto& b) { b[pad + 24 + 3] = 0x80; }, 9, true},
        {"0xE9 in the preset name", [&](auto& b) { b[first + 24 + 2] = 0xE9; }, 0, true},
        // Never a pseudo-parameter, never borrowed data.
        {"index -1", [&](auto& b) { kxtest::PutLE32(b, first + 8, 0xFFFFFFFF); }, 0, false},
        {"index -4", [&](auto& b) { kxtest::PutLE32(b, first + 8, 0xFFFFFFFC); }, 0, false},
        {"value type 6", [&](auto& b) { kxtest::PutLE32(b, pad + 20, 6); }, 9, false},
        {"value type 7", [&](auto& b) { kxtest::PutLE32(b, pad + 20, 7); }, 9, false},
    };
    const KX::Variant marker = KX::MakeInt32Variant(-1);
    for (const Case& c : cases) {
        std::vector<uint8_t> bytes = good;
        c.apply(bytes);
        store->sets.clear();
        std::fill(store->values.begin(), store->values.end(), marker);
        EXPECT_EQ(LoadBytes(bytes), LPresetManager::kLoadPartlyApplied) << c.name;
        EXPECT_EQ(manager->GetNotAppliedCount(), 1u) << c.name;
        EXPECT_EQ(manager->GetReadRecordCount(), kParamCount) << c.name;
        EXPECT_EQ(store->sets.size(), c.reachesEngine ? kParamCount : kParamCount - 1) << c.name;
        for (const KX::ParamValue& set : store->sets)
            EXPECT_GE(set.descriptor.id, 0) << c.name;
        for (uint32_t i = 0; i < kParamCount; ++i) {
            const KX::Variant expected = i == c.untouched ? marker : MakeDefaultParamRecord(static_cast<int32_t>(i));
            EXPECT_EQ(store->values[i], expected) << c.name << ", parameter " << i;
        }
    }
}

TEST_F(PresetFileRead, AFileOfALaterVersionWithMoreParametersLoads)
{
    std::vector<uint8_t> bytes = kxtest::DefaultPresetFile();
    for (uint32_t index : {83u, 84u, 200u}) {
        const std::vector<uint8_t> extra = kxtest::MakeRecord(index, std::vector<uint8_t>(9, 1));
        bytes.insert(bytes.end(), extra.begin(), extra.end());
    }
    ASSERT_EQ(LoadBytes(bytes), LPresetManager::kLoadPartlyApplied);
    EXPECT_EQ(manager->GetNotAppliedCount(), 3u);
    ASSERT_EQ(store->sets.size(), kParamCount + 3);
    for (uint32_t i = 0; i < kParamCount; ++i)
        EXPECT_EQ(store->values[i], MakeDefaultParamRecord(static_cast<int32_t>(i)));
}

TEST_F(PresetFileRead, TheModelRefusesWhatItCannotSendAndKeepsTheRest)
{
    KX::RCPtr<kxtest::RootModuleStore> model(new kxtest::RootModuleStore());
    kxtest::ScopedValueStore modelRegistration{KX::RCPtr<IParamValueStore>(model.Get())};
    const std::vector<uint8_t> name = {'P', 'R', 0xE9, 'S', 'E', 'T'};
    const std::vector<uint8_t> encoder = {0, 0, 9, 0, 0, 127};
    const std::vector<uint8_t> padText = {'a', 'b', 'c'};
    const std::vector<uint8_t> bytes =
        Concat({kxtest::Header(1), kxtest::MakeRecord(0, name), kxtest::MakeRecord(65, encoder),
                kxtest::MakeRecord(9, std::vector<uint8_t>(6, 1)), kxtest::MakeRecord(9, padText, 9),
                kxtest::MakeRecord(83, encoder), kxtest::MakeRecord(66, encoder)});
    // The name, both records of parameter 9 and the one of a parameter the model does not have
    // were not taken.
    ASSERT_EQ(LoadBytes(bytes), LPresetManager::kLoadPartlyApplied);
    EXPECT_EQ(manager->GetNotAppliedCount(), 4u);
    EXPECT_EQ(model->Get(0), MakeDefaultParamRecord(0));
    EXPECT_EQ(model->Get(9), MakeDefaultParamRecord(9));
    EXPECT_EQ(kxtest::RecordBytes(model->Get(65)), encoder);
    EXPECT_EQ(kxtest::RecordBytes(model->Get(66)), encoder);
    // What the model holds can always go out as System Exclusive data bytes.
    KX::Array<KX::ParamValue> values;
    model->GetParamValues(0, static_cast<int32_t>(kParamCount), values, -1);
    uint8_t records[kPresetRecordBytes];
    EXPECT_TRUE(KX::SysEx::CollectPresetRecords(values, records, sizeof records));
}

TEST_F(PresetFileRead, RecordsReachTheEngineInFileOrder)
{
    const std::vector<uint8_t> padA(14, 0x11), padB(14, 0x22);
    const std::vector<uint8_t> bytes =
        Concat({kxtest::Header(1), kxtest::MakeRecord(10, padA), kxtest::MakeRecord(5, std::vector<uint8_t>(5, 7)),
                kxtest::MakeRecord(10, padB)});
    ASSERT_EQ(LoadBytes(bytes), 0);
    ASSERT_EQ(store->sets.size(), 3u);
    EXPECT_EQ(store->sets[0].descriptor.id, 10);
    EXPECT_EQ(store->sets[1].descriptor.id, 5);
    EXPECT_EQ(store->sets[2].descriptor.id, 10);
    EXPECT_EQ(kxtest::RecordBytes(store->values[10]), padB);
    EXPECT_EQ(kxtest::RecordBytes(store->values[5]), std::vector<uint8_t>(5, 7));
    EXPECT_EQ(store->values[4], MakeDefaultParamRecord(4));
}

TEST_F(PresetFileRead, IndicesCountFromTheEnginesFirstId)
{
    store->firstId = 100;
    ASSERT_EQ(LoadBytes(kxtest::DefaultPresetFile()), 0);
    ASSERT_EQ(store->sets.size(), kParamCount);
    for (uint32_t i = 0; i < kParamCount; ++i)
        EXPECT_EQ(store->sets[i].descriptor.id, 100 + static_cast<int32_t>(i));
}

TEST_F(PresetFileRead, RefusedValuesDoNotStopTheRead)
{
    store->connected = false;
    // Every record is offered; none taken is no success.
    EXPECT_EQ(LoadBytes(kxtest::DefaultPresetFile()), LPresetManager::kLoadNothingApplied);
    EXPECT_EQ(store->sets.size(), kParamCount);
}

TEST_F(PresetFileRead, OversizedFileIsRefusedUnapplied)
{
    // Valid records over and over, past the size limit.
    std::vector<uint8_t> bytes = kxtest::Header(1);
    const std::vector<uint8_t> record = kxtest::MakeRecord(0, {'A', 'B', 'C', 'D', 'E', 'F'});
    while (bytes.size() <= LPresetManager::kMaxPresetFileBytes)
        bytes.insert(bytes.end(), record.begin(), record.end());
    EXPECT_EQ(LoadBytes(bytes), -3);
    EXPECT_TRUE(store->sets.empty());
}

TEST_F(PresetFileRead, NoEngineIsAFailure)
{
    kxtest::WriteAll(file, kxtest::DefaultPresetFile());
    ::SetParamValueStore(nullptr);
    EXPECT_EQ(manager->Load(kxtest::WidePath(file)), KX::E_FAIL);
}

// Records the load notifications sent through the manager.
class LoadWatcher : public KX::LNotificationClient {
public:
    KX::KXRESULT Receive(const KX::RCPtr<KX::LNotificationDistributor>&, const KX::RCPtr<KX::LNotification>& n) override
    {
        const auto data = KX::ConstRCPtr<KX::LPresetFileLoadNotificationData>::DynamicCast(n->GetPayload());
        seen.push_back({KX::GetNotificationName(n->GetID()).ToNarrow().GetString(), data ? data->GetResult() : 999,
                        static_cast<bool>(n->GetPayload())});
        return 0;
    }
    struct Seen {
        std::string name;
        int32_t result;
        bool hasPayload;
    };
    std::vector<Seen> seen;
};

TEST_F(PresetFileRead, LoadIsBracketedByNotifications)
{
    KX::RCPtr<LoadWatcher> watcher(new LoadWatcher());
    const KX::RCPtr<KX::LNotificationDistributor> source(manager);
    ASSERT_TRUE(watcher->RegisterForNotification(source, KX::NID_PRESETFILE_PRE_LOAD, 0));
    ASSERT_TRUE(watcher->RegisterForNotification(source, KX::NID_PRESETFILE_POST_LOAD, 0));

    EXPECT_EQ(LoadBytes(kxtest::DefaultPresetFile()), 0);
    EXPECT_EQ(LoadBytes(kxtest::Header(0)), -1);
    ASSERT_EQ(watcher->seen.size(), 4u);
    EXPECT_EQ(watcher->seen[0].name, "NID_PRESETFILE_PRE_LOAD");
    EXPECT_FALSE(watcher->seen[0].hasPayload);
    EXPECT_EQ(watcher->seen[1].name, "NID_PRESETFILE_POST_LOAD");
    EXPECT_EQ(watcher->seen[1].result, 0);
    EXPECT_EQ(watcher->seen[3].result, -1);
    watcher->UnregisterFromAll();
}

TEST_F(PresetFileRead, ControlPanelRequestLoadsTheNamedFile)
{
    kxtest::WriteAll(file, kxtest::DefaultPresetFile());
    const KX::RCPtr<KX::LNotificationCenter> centre = KX::GetNotificationQueue();
    auto send = [&](const KX::ConstRCPtr<KX::LRefCountedObject>& payload) {
        KX::RCPtr<KX::LNotification> n;
        KX::LNotification::Create(n, KX::NID_GLOBAL_LOAD_CONTROL_PANEL_SETTINGS, payload);
        centre->SendNotification(n);
    };
    send(KX::LWrapperStringable<KX::WString>::Create(kxtest::WidePath(file)));
    EXPECT_EQ(store->sets.size(), kParamCount);

    // Other parameter objects are ignored.
    store->sets.clear();
    send(KX::ConstRCPtr<KX::LRefCountedObject>(KX::LHolder<int>::Create()));
    send(nullptr);
    EXPECT_TRUE(store->sets.empty());

    // Unbound, the manager no longer loads.
    ASSERT_EQ(manager->UnregisterForNotification(KX::RCPtr<KX::LNotificationDistributor>(centre),
                                                 KX::NID_GLOBAL_LOAD_CONTROL_PANEL_SETTINGS),
              0);
    send(KX::LWrapperStringable<KX::WString>::Create(kxtest::WidePath(file)));
    EXPECT_TRUE(store->sets.empty());
}

TEST_F(PresetFileRead, ReleasedManagerLeavesNoRegistrationAtTheCentre)
{
    const KX::RCPtr<KX::LNotificationCenter> centre = KX::GetNotificationQueue();
    const int32_t before = centre->GetRegistrationCount();
    {
        KX::RCPtr<LPresetManager> second = LPresetManager::Create();
        EXPECT_EQ(centre->GetRegistrationCount(), before + 1);
    }
    EXPECT_EQ(centre->GetRegistrationCount(), before);
}

TEST_F(PresetFileRead, MessageBoxesUseTheStringTable)
{
    kxtest::FakeShell shell;
    manager->ShowLoadOlderMessage();
    manager->ShowLoadNewerMessage();
    manager->ShowLoadCorruptMessage();
    manager->ShowLoadWrongDeviceMessage();
    manager->ShowTranslationFailureMessage();
    const char16_t* keys[] = {u"SETTINGS_FILE_LOAD_OLDER_MESSAGE", u"SETTINGS_FILE_LOAD_NEWER_MESSAGE",
                              u"SETTINGS_FILE_LOAD_CORRUPT_MESSAGE", u"SETTINGS_FILE_LOAD_WRONG_DEVICE_MESSAGE",
                              u"SETTINGS_FILE_TRANSLATION_FAILURE_MESSAGE"};
    ASSERT_EQ(shell.boxes.size(), 5u);
    for (size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(shell.boxes[i].text, std::u16string(u"text of ") + keys[i]);
        EXPECT_EQ(shell.boxes[i].caption, u"text of SETTINGS_FILE_LOAD_CAPTION");
        EXPECT_EQ(shell.boxes[i].flags, 0x10u);
    }
}

} // namespace
