// The MIDI manager against the keyboard simulator, end to end over the loopback ports.
#include "MidiManagerSupport.h"

#include "engine/SysExProtocol.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace {

using namespace mmtest;
using KX::LMidiManager;
using kxtest::KeyboardSimulator;

class MidiManagerTest : public ::testing::Test {
protected:
    KX::RCPtr<LMidiManager> Make(uint32_t waitMs = 60) { return LMidiManager::Create(FastTimings(waitMs)); }
    // For tests that count every message of a keyboard that answers: a late reply on a busy
    // machine must not make the manager ask twice.
    KX::RCPtr<LMidiManager> MakePatient() { return LMidiManager::Create(PatientTimings()); }

    std::vector<Kind> KindsOf(std::initializer_list<Kind> kinds) { return std::vector<Kind>(kinds); }

    KeyboardSimulator keyboard;
    ScopedEngine engine;
};

// Every message is preceded by one lead-in of its own.
void ExpectLeadInBeforeEach(const std::vector<Kind>& kinds)
{
    ASSERT_EQ(kinds.size() % 2, 0u);
    for (size_t i = 0; i < kinds.size(); i += 2) {
        EXPECT_EQ(kinds[i], Kind::LeadIn) << i;
        EXPECT_NE(kinds[i + 1], Kind::LeadIn) << i + 1;
    }
}

// ------------------------------------------------------------ getting a preset

TEST_F(MidiManagerTest, GetPresetPutsTheSlotIntoTheModel)
{
    auto manager = MakePatient();
    ASSERT_EQ(manager->GetPresetFromMidiDevice(7), 0);

    EXPECT_EQ(engine->Records(), KeyboardSimulator::PatternFor(7));
    const auto sets = engine->Sets();
    ASSERT_EQ(sets.size(), 83u);
    for (int32_t id = 0; id < 83; ++id)
        EXPECT_EQ(sets[static_cast<size_t>(id)].first, id);
    EXPECT_EQ(keyboard.Kinds(), KindsOf({Kind::LeadIn, Kind::IdentityRequest, Kind::LeadIn, Kind::PresetRequest}));
}

TEST_F(MidiManagerTest, GetPresetFromEverySlot)
{
    auto manager = Make();
    for (int slot : {0, 1, 12}) {
        ASSERT_EQ(manager->GetPresetFromMidiDevice(slot), 0) << slot;
        EXPECT_EQ(engine->Records(), KeyboardSimulator::PatternFor(slot)) << slot;
    }
    ExpectLeadInBeforeEach(keyboard.Kinds());
}

TEST_F(MidiManagerTest, GetPresetWithChunkedRepliesAndBackgroundTraffic)
{
    keyboard.SetChunkSize(256);
    keyboard.SetBackgroundTraffic(true);
    auto manager = Make(200);
    ASSERT_EQ(manager->GetPresetFromMidiDevice(4), 0);
    EXPECT_EQ(engine->Records(), KeyboardSimulator::PatternFor(4));

    keyboard.SetChunkSize(0);
    ASSERT_EQ(manager->GetPresetFromMidiDevice(5), 0);
    EXPECT_EQ(engine->Records(), KeyboardSimulator::PatternFor(5));
    EXPECT_EQ(engine->SetCount(), 2u * 83u);
}

TEST_F(MidiManagerTest, GetPresetRetriesUntilTheKeyboardAnswers)
{
    keyboard.SetAnswerOnly(Kind::PresetRequest, 3);
    auto manager = Make();
    ASSERT_EQ(manager->GetPresetFromMidiDevice(2), 0);
    EXPECT_EQ(keyboard.Count(Kind::PresetRequest), 3u);
    EXPECT_EQ(engine->Records(), KeyboardSimulator::PatternFor(2));
    ExpectLeadInBeforeEach(keyboard.Kinds());
}

TEST_F(MidiManagerTest, ASecondDumpIsNotApplied)
{
    keyboard.SetReplyRepeat(2);
    auto manager = Make();
    ASSERT_EQ(manager->GetPresetFromMidiDevice(1), 0);
    ASSERT_TRUE(keyboard.WaitIdle());
    EXPECT_EQ(engine->SetCount(), 83u);
}

TEST_F(MidiManagerTest, AKeyboardThatNeverSendsTheDumpGivesNoReply)
{
    keyboard.SetAnswerOnly(Kind::PresetRequest, 11);
    auto manager = Make();
    EXPECT_EQ(manager->GetPresetFromMidiDevice(0), LMidiManager::kNoReply);
    EXPECT_EQ(keyboard.Count(Kind::PresetRequest), 10u);
    EXPECT_EQ(keyboard.Count(Kind::LeadIn), 11u);
    ExpectLeadInBeforeEach(keyboard.Kinds());
    EXPECT_EQ(engine->SetCount(), 0u);
}

TEST_F(MidiManagerTest, RepliesOfTheWrongShapeAreIgnored)
{
    auto manager = Make(10);
    for (int delta : {-1, 1}) {
        keyboard.SetReplyLengthDelta(delta);
        EXPECT_EQ(manager->GetPresetFromMidiDevice(3), LMidiManager::kFirmwareFailure) << delta;
    }
    keyboard.SetReplyLengthDelta(0);
    keyboard.SetWrongCommand(true);
    EXPECT_EQ(manager->GetPresetFromMidiDevice(3), LMidiManager::kFirmwareFailure);
    EXPECT_EQ(engine->SetCount(), 0u);
}

TEST_F(MidiManagerTest, DumpsOfTheWrongLengthOrCommandAreIgnored)
{
    keyboard.SetFaultsOnlyFor(Kind::PresetRequest);
    auto manager = Make(20);
    for (int delta : {-1, 1}) {
        keyboard.ClearLog();
        keyboard.SetReplyLengthDelta(delta);
        EXPECT_EQ(manager->GetPresetFromMidiDevice(3), LMidiManager::kNoReply) << delta;
        EXPECT_EQ(keyboard.Count(Kind::PresetRequest), 10u);
    }
    keyboard.SetReplyLengthDelta(0);
    keyboard.SetWrongCommand(true);
    EXPECT_EQ(manager->GetPresetFromMidiDevice(3), LMidiManager::kNoReply);
    EXPECT_EQ(engine->SetCount(), 0u);
}

TEST_F(MidiManagerTest, AModelThatRefusesValuesStillEndsTheGet)
{
    engine->SetConnected(false);
    auto manager = Make();
    EXPECT_EQ(manager->GetPresetFromMidiDevice(9), 0);
    EXPECT_EQ(engine->SetCount(), 83u);
}

// ------------------------------------------------------------ firmware and ports

TEST_F(MidiManagerTest, OldFirmwareIsRefusedAfterTenIdentityRequests)
{
    for (const char* version : {"1040", "0999"}) {
        keyboard.ClearLog();
        keyboard.SetFirmware(version);
        auto manager = Make(10);
        EXPECT_EQ(manager->GetPresetFromMidiDevice(1), LMidiManager::kFirmwareFailure) << version;
        EXPECT_EQ(keyboard.Count(Kind::IdentityRequest), 10u);
        EXPECT_EQ(keyboard.Count(Kind::LeadIn), 10u);
        ExpectLeadInBeforeEach(keyboard.Kinds());

        keyboard.ClearLog();
        EXPECT_EQ(manager->SendPresetToMidiDevice(1), LMidiManager::kFirmwareFailure) << version;
        EXPECT_EQ(keyboard.Count(Kind::PresetMessage), 0u);
        EXPECT_EQ(keyboard.Count(Kind::IdentityRequest), 10u);
        EXPECT_FALSE(manager->IsDeviceFirmwareVersionUseable());
    }
    EXPECT_EQ(engine->SetCount(), 0u);
}

TEST_F(MidiManagerTest, ASilentKeyboard)
{
    keyboard.SetSilent(true);
    auto manager = Make(20);
    EXPECT_EQ(manager->GetPresetFromMidiDevice(1), LMidiManager::kFirmwareFailure);
    keyboard.ClearLog();
    EXPECT_EQ(manager->RequestNonPresetParameterFromDevice(u"KEY_OCTAVE", true), LMidiManager::kNoReply);
    EXPECT_EQ(keyboard.Count(Kind::GlobalRequest), 10u);
    ExpectLeadInBeforeEach(keyboard.Kinds());
}

TEST(MidiManagerPorts, WithoutTheKeyboardEveryOperationFailsAtOnce)
{
    auto backend = std::make_shared<platform::midi::LoopbackMidiBackend>();
    // Only the keyboard's output is there: both ports are needed.
    std::vector<Bytes> sent;
    backend->AddOutput("MIDIOUT4 (Lumo 25)",
                       [&](std::span<const uint8_t> b) { sent.emplace_back(b.begin(), b.end()); });
    backend->AddInput("MIDIIN3 (Another 25)");
    platform::midi::ScopedMidiBackend installed(backend);
    ScopedEngine engine;

    auto manager = LMidiManager::Create(FastTimings(5000));
    EXPECT_EQ(manager->GetPresetFromMidiDevice(0), LMidiManager::kPortFailure);
    EXPECT_EQ(manager->SendPresetToMidiDevice(0), LMidiManager::kPortFailure);
    EXPECT_EQ(manager->SetNonPresetParameterOnDevice(u"KEY_OCTAVE", 3, true), LMidiManager::kPortFailure);
    EXPECT_EQ(manager->RequestNonPresetParameterFromDevice(u"KEY_OCTAVE", true), KX::E_FAIL);
    EXPECT_FALSE(manager->IsDeviceFirmwareVersionUseable());
    EXPECT_FALSE(manager->OpenPorts());
    EXPECT_TRUE(sent.empty());
}

TEST_F(MidiManagerTest, OpenPortsKeepsBothPortsOpen)
{
    auto manager = Make();
    ASSERT_TRUE(manager->OpenPorts());
    EXPECT_EQ(keyboard.CaptureDevice().OpenCount(), 1u);
    EXPECT_EQ(keyboard.RenderDevice().OpenCount(), 1u);
    // A fresh port object each time; the old one's ports are closed.
    ASSERT_TRUE(manager->OpenPorts());
    EXPECT_EQ(keyboard.CaptureDevice().OpenCount(), 1u);
    EXPECT_EQ(keyboard.RenderDevice().OpenCount(), 1u);
    manager = nullptr;
    EXPECT_EQ(keyboard.CaptureDevice().OpenCount(), 0u);
    EXPECT_EQ(keyboard.RenderDevice().OpenCount(), 0u);
}

// ------------------------------------------------------------ sending a preset

TEST_F(MidiManagerTest, SendPresetStoresTheModelInTheSlot)
{
    Bytes records = KeyboardSimulator::PatternFor(40);
    engine->SetRecords(records);
    auto manager = MakePatient();
    const int32_t result = manager->SendPresetToMidiDevice(12);
    EXPECT_GE(result, 0);
    EXPECT_EQ(keyboard.Slot(12), records);
    EXPECT_EQ(keyboard.Kinds(), KindsOf({Kind::LeadIn, Kind::IdentityRequest, Kind::LeadIn, Kind::PresetMessage}));
    // The 886 bytes go in pieces of at most 256.
    EXPECT_EQ(keyboard.HandOverCount(), 3u + 4u);
    EXPECT_EQ(keyboard.Slot(11), KeyboardSimulator::PatternFor(11));
}

TEST_F(MidiManagerTest, ValuesThatCannotBeSentSendNothing)
{
    auto manager = Make();
    const Bytes before = keyboard.Slot(3);

    // A record longer than its parameter's would push every later record out of place.
    const uint8_t longName[12] = {'L', 'O', 'N', 'G', 'N', 'A', 'M', 'E', 'X', 'Y', 'Z', 'W'};
    engine->SetValue(0, KX::MakeBytesVariant(longName, sizeof(longName)));
    EXPECT_EQ(manager->SendPresetToMidiDevice(3), LMidiManager::kPortFailure);

    // A byte of 0x80 or more would end or break the message on the wire.
    engine->SetValue(0, MakeDefaultParamRecord(0));
    Bytes pad(14, 0x01);
    pad[6] = 0xF7;
    engine->SetValue(9, KX::MakeBytesVariant(pad.data(), 14));
    EXPECT_EQ(manager->SendPresetToMidiDevice(3), LMidiManager::kPortFailure);

    // A slot number whose low byte is a status byte.
    engine->SetValue(9, MakeDefaultParamRecord(9));
    EXPECT_EQ(manager->SendPresetToMidiDevice(0x83), LMidiManager::kPortFailure);
    EXPECT_EQ(manager->GetPresetFromMidiDevice(0x80), LMidiManager::kPortFailure);

    EXPECT_EQ(keyboard.Count(Kind::PresetMessage), 0u);
    EXPECT_EQ(keyboard.Count(Kind::PresetRequest), 0u);
    EXPECT_EQ(keyboard.Slot(3), before);
}

TEST_F(MidiManagerTest, GetThenSendRoundTripsASlot)
{
    auto manager = Make();
    ASSERT_EQ(manager->GetPresetFromMidiDevice(6), 0);
    ASSERT_GE(manager->SendPresetToMidiDevice(0), 0);
    EXPECT_EQ(keyboard.Slot(0), KeyboardSimulator::PatternFor(6));
}

// ------------------------------------------------------------ global parameters

TEST_F(MidiManagerTest, RequestAnnouncesTheValue)
{
    keyboard.SetGlobal(5, 3);
    keyboard.SetGlobal(13, 300);
    auto manager = MakePatient();
    KX::RCPtr<ParameterListener> listener(new ParameterListener);
    ASSERT_NE(listener->RegisterForNotification(KX::RCPtr<KX::LNotificationDistributor>(manager.Get()),
                                                KX::NID_MIDIMANAGER_PARAMETER_RECIEVED, 0),
              nullptr);

    EXPECT_EQ(manager->RequestNonPresetParameterFromDevice(u"KEY_OCTAVE", false), 0);
    EXPECT_EQ(manager->RequestNonPresetParameterFromDevice(u"GLOBAL_PROGRAM", true), 0);
    const auto received = listener->Received();
    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(received[0].first, KX::WString(u"KEY_OCTAVE"));
    EXPECT_EQ(received[0].second, 3);
    EXPECT_EQ(received[1].first, KX::WString(u"GLOBAL_PROGRAM"));
    EXPECT_EQ(received[1].second, 300);
    EXPECT_EQ(keyboard.Kinds(), KindsOf({Kind::LeadIn, Kind::IdentityRequest, Kind::LeadIn, Kind::GlobalRequest,
                                         Kind::LeadIn, Kind::GlobalRequest}));
    listener->UnregisterFromAll();
}

TEST_F(MidiManagerTest, RepliesWithCodesOutsideTheTableAreIgnored)
{
    keyboard.SetReplyCode(16);
    auto manager = Make(20);
    KX::RCPtr<ParameterListener> listener(new ParameterListener);
    listener->RegisterForNotification(KX::RCPtr<KX::LNotificationDistributor>(manager.Get()),
                                      KX::NID_MIDIMANAGER_PARAMETER_RECIEVED, 0);
    EXPECT_EQ(manager->RequestNonPresetParameterFromDevice(u"Global_Channel", true), LMidiManager::kNoReply);
    keyboard.SetReplyCode(0x7F);
    EXPECT_EQ(manager->RequestNonPresetParameterFromDevice(u"Global_Channel", true), LMidiManager::kNoReply);
    EXPECT_TRUE(listener->Received().empty());
    listener->UnregisterFromAll();
}

// Injects bytes as the keyboard once it has received a message of kind (on a thread of its
// own, so the test thread can be inside an operation meanwhile).
class InjectOnceSeen {
public:
    InjectOnceSeen(KeyboardSimulator& keyboard, Kind kind, Bytes bytes)
        : m_thread([&keyboard, kind, bytes = std::move(bytes)] {
              for (int i = 0; i < 20000 && keyboard.Count(kind) == 0; ++i)
                  std::this_thread::sleep_for(std::chrono::milliseconds(1));
              keyboard.Inject(bytes);
          })
    {
    }
    ~InjectOnceSeen() { m_thread.join(); }

private:
    std::thread m_thread;
};

TEST_F(MidiManagerTest, GlobalRepliesNobodyWaitsForAreDropped)
{
    keyboard.SetGlobal(5, 7);
    auto manager = Make(500);
    KX::RCPtr<ParameterListener> listener(new ParameterListener);
    listener->RegisterForNotification(KX::RCPtr<KX::LNotificationDistributor>(manager.Get()),
                                      KX::NID_MIDIMANAGER_PARAMETER_RECIEVED, 0);

    // A global reply that turns up during an unrelated get is not announced, then or later.
    keyboard.SetReplyDelay(150);
    {
        InjectOnceSeen late(keyboard, Kind::PresetRequest, KeyboardSimulator::MakeGlobalReply(5, 3));
        ASSERT_EQ(manager->GetPresetFromMidiDevice(1), 0);
    }
    EXPECT_TRUE(listener->Received().empty());

    // Nor is the reply to an earlier request that timed out, when it arrives during a request
    // for another parameter: that request waits for its own reply.
    keyboard.ClearLog();
    {
        InjectOnceSeen late(keyboard, Kind::GlobalRequest, KeyboardSimulator::MakeGlobalReply(13, 99));
        ASSERT_EQ(manager->RequestNonPresetParameterFromDevice(u"KEY_OCTAVE", true), 0);
    }
    const auto received = listener->Received();
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].first, KX::WString(u"KEY_OCTAVE"));
    EXPECT_EQ(received[0].second, 7);
    ASSERT_TRUE(keyboard.WaitIdle());
    listener->UnregisterFromAll();
}

TEST_F(MidiManagerTest, RequestForAnUnknownNameGoesWithoutCode)
{
    auto manager = Make(20);
    EXPECT_EQ(manager->RequestNonPresetParameterFromDevice(u"key_octave", true), LMidiManager::kNoReply);
    const auto log = keyboard.Log();
    ASSERT_EQ(log.size(), 20u);
    EXPECT_EQ(log[1].bytes, (Bytes{0xF0, 0x00, 0x3F, 0x5A, 0x7F, 0x31, 0x04, 0x6B, 0x00, 0x02, 0x00, 0xF7}));
}

TEST_F(MidiManagerTest, SetWritesTheGlobalValue)
{
    auto manager = MakePatient();
    EXPECT_GE(manager->SetNonPresetParameterOnDevice(u"KEY_OCTAVE", 10, true), 0);
    EXPECT_EQ(keyboard.Global(5), 10);
    EXPECT_GE(manager->SetNonPresetParameterOnDevice(u"GLOBAL_BANK_LSB", 127, false), 0);
    EXPECT_EQ(keyboard.Global(15), 127);
    EXPECT_EQ(keyboard.Kinds(), KindsOf({Kind::LeadIn, Kind::GlobalSet, Kind::LeadIn, Kind::IdentityRequest,
                                         Kind::LeadIn, Kind::GlobalSet}));
}

TEST_F(MidiManagerTest, SetThatCannotBeBuiltSendsNothingAndFails)
{
    auto manager = Make();
    EXPECT_LT(manager->SetNonPresetParameterOnDevice(u"KEY_OCTAVE", 0, true), 0);
    EXPECT_LT(manager->SetNonPresetParameterOnDevice(u"KEY_OCTAVE", 11, true), 0);
    EXPECT_LT(manager->SetNonPresetParameterOnDevice(u"XYPAD_VELOCITY", 0, true), 0);
    EXPECT_LT(manager->SetNonPresetParameterOnDevice(u"NO_SUCH_NAME", 1, true), 0);
    EXPECT_LT(manager->SetNonPresetParameterOnDevice(u"GLOBAL_PROGRAM", -1, true), 0);
    EXPECT_TRUE(keyboard.Log().empty());
}

TEST(MidiManagerNames, SixteenNamesInCodeOrder)
{
    KX::StringArrayT<char16_t, char> names;
    names.AddItem(KX::WString(u"stale"));
    LMidiManager::BuildNonPresetParameterNames(names);
    ASSERT_EQ(names.GetCount(), 16u);
    EXPECT_EQ(names.ElementAt(0), KX::WString(u"Global_Channel"));
    EXPECT_EQ(names.ElementAt(11), KX::WString(u"CURVE_ACCELLERATION"));
    EXPECT_EQ(names.ElementAt(15), KX::WString(u"GLOBAL_BANK_LSB"));
}

// ------------------------------------------------------------ the wire, byte for byte

TEST_F(MidiManagerTest, GoldenMessagesOnTheWire)
{
    keyboard.SetGlobal(5, 4);
    auto manager = MakePatient();
    ASSERT_EQ(manager->GetPresetFromMidiDevice(7), 0);
    ASSERT_EQ(manager->RequestNonPresetParameterFromDevice(u"KEY_OCTAVE", true), 0);
    ASSERT_GE(manager->SetNonPresetParameterOnDevice(u"KEY_OCTAVE", 10, true), 0);
    ASSERT_GE(manager->SetNonPresetParameterOnDevice(u"GLOBAL_PROGRAM", 127, true), 0);
    ASSERT_GE(manager->SendPresetToMidiDevice(12), 0);

    const Bytes leadIn{0xF0, 0x00, 0x3F, 0x5A, 0x7F, 0x31, 0x04, 0x6D, 0x00, 0x01, 0x01, 0xF7};
    const auto log = keyboard.Log();
    ASSERT_EQ(log.size(), 14u);
    for (size_t i = 0; i < log.size(); i += 2)
        EXPECT_EQ(log[i].bytes, leadIn) << i;
    EXPECT_EQ(log[1].bytes, (Bytes{0xF0, 0x7E, 0x7F, 0x06, 0x01, 0xF7}));
    EXPECT_EQ(log[3].bytes, (Bytes{0xF0, 0x00, 0x3F, 0x5A, 0x7F, 0x31, 0x04, 0x62, 0x07, 0xF7}));
    EXPECT_EQ(log[5].bytes, (Bytes{0xF0, 0x00, 0x3F, 0x5A, 0x7F, 0x31, 0x04, 0x6B, 0x00, 0x02, 0x00, 0x05, 0xF7}));
    EXPECT_EQ(log[7].bytes,
              (Bytes{0xF0, 0x00, 0x3F, 0x5A, 0x7F, 0x31, 0x04, 0x6A, 0x00, 0x04, 0x00, 0x05, 0x00, 0x0A, 0xF7}));
    EXPECT_EQ(log[9].bytes,
              (Bytes{0xF0, 0x00, 0x3F, 0x5A, 0x7F, 0x31, 0x04, 0x6A, 0x00, 0x04, 0x00, 0x0D, 0x00, 0x7F, 0xF7}));
    EXPECT_EQ(log[11].bytes, log[1].bytes);
    const Bytes& preset = log[13].bytes;
    ASSERT_EQ(preset.size(), 886u);
    EXPECT_EQ(Slice(preset, 0, 11), (Bytes{0xF0, 0x00, 0x3F, 0x5A, 0x7F, 0x31, 0x04, 0x61, 0x0A, 0x3B, 0x0C}));
    EXPECT_EQ(Slice(preset, 11, 885), KeyboardSimulator::PatternFor(7));
    EXPECT_EQ(preset[885], 0xF7);
}

} // namespace
