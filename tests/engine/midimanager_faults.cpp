// The MIDI manager over a port service double whose sends fail on demand.
#include "MidiManagerSupport.h"

#include <gtest/gtest.h>

namespace {

using namespace mmtest;
using KX::LMidiManager;

class MidiManagerSendFailures : public ::testing::Test {
protected:
    ScopedEngine engine;
    KX::RCPtr<FakePortManager> manager{new FakePortManager};
};

TEST_F(MidiManagerSendFailures, FailedSendsComeBackAsMinusOne)
{
    for (int32_t failure : {KX::E_FAIL, KX::E_INVALIDARG, -7}) {
        manager->failResult = failure;
        manager->failCommand = 0x61; // the preset message
        EXPECT_EQ(manager->SendPresetToMidiDevice(1), LMidiManager::kPortFailure) << failure;
        manager->failCommand = 0x6A; // the global set
        EXPECT_EQ(manager->SetNonPresetParameterOnDevice(u"KEY_OCTAVE", 2, true), LMidiManager::kPortFailure);
    }
}

TEST_F(MidiManagerSendFailures, APresetMessageStopsAtTheFirstFailedPiece)
{
    manager->failCommand = 0x61;
    EXPECT_EQ(manager->SendPresetToMidiDevice(1), LMidiManager::kPortFailure);
    // Lead-in, identity, lead-in, then the first piece of the preset message only.
    EXPECT_EQ(manager->last->sent.size(), 4u);
    EXPECT_EQ(manager->last->sent.back().size(), 256u);

    manager->failCommand = -1;
    EXPECT_GE(manager->SendPresetToMidiDevice(1), 0);
    ASSERT_EQ(manager->last->sent.size(), 7u);
    size_t total = 0;
    for (size_t i = 3; i < 7; ++i)
        total += manager->last->sent[i].size();
    EXPECT_EQ(total, 886u);
}

TEST_F(MidiManagerSendFailures, AFailedLeadInKeepsTheMessageBack)
{
    manager->failCommand = 0x6D;
    EXPECT_EQ(manager->SetNonPresetParameterOnDevice(u"KEY_OCTAVE", 2, true), LMidiManager::kPortFailure);
    ASSERT_EQ(manager->last->sent.size(), 1u);
    // The firmware check's sends fail ten times over: no identity reply.
    EXPECT_FALSE(manager->IsDeviceFirmwareVersionUseable());
    EXPECT_EQ(manager->last->sent.size(), 10u);
}

TEST_F(MidiManagerSendFailures, AFailedPresetRequestEndsTheGetAtOnce)
{
    manager->failCommand = 0x62;
    EXPECT_EQ(manager->GetPresetFromMidiDevice(1), LMidiManager::kPortFailure);
    // Lead-in, identity request, lead-in, one preset request: no second attempt.
    EXPECT_EQ(manager->last->sent.size(), 4u);
}

TEST_F(MidiManagerSendFailures, AFailedGlobalRequestTriesAgain)
{
    manager->failCommand = 0x6B;
    EXPECT_EQ(manager->RequestNonPresetParameterFromDevice(u"KEY_OCTAVE", true), LMidiManager::kPortFailure);
    EXPECT_EQ(manager->last->sent.size(), 20u);
}

TEST_F(MidiManagerSendFailures, ResultCodesOfTheSendStep)
{
    // No render port: a general failure, nothing sent.
    EXPECT_EQ(manager->SendShortSysEx(nullptr), KX::E_FAIL);
    ASSERT_TRUE(manager->OpenPorts());
    EXPECT_TRUE(manager->last->sent.empty());

    // A lone F0 or F7 cannot be framed: a general failure after the lead-in.
    for (const uint8_t lone : {uint8_t{0xF0}, uint8_t{0xF7}}) {
        manager->last->sent.clear();
        EXPECT_EQ(manager->Send(Bytes{lone}), KX::E_FAIL) << int{lone};
        ASSERT_EQ(manager->last->sent.size(), 1u);
        EXPECT_EQ(manager->last->sent[0].at(7), 0x6D); // the lead-in only
    }
    // Any other lone byte is framed.
    manager->last->sent.clear();
    EXPECT_EQ(manager->Send(Bytes{0x42}), 3);
    ASSERT_EQ(manager->last->sent.size(), 2u);
    EXPECT_EQ(manager->last->sent[1], (Bytes{0xF0, 0x42, 0xF7}));
}

TEST_F(MidiManagerSendFailures, AReplyAfterTheRequestTimedOutIsDropped)
{
    // This keyboard never answers a global request; its captures arrive on the sending thread.
    KX::RCPtr<ParameterListener> listener(new ParameterListener);
    listener->RegisterForNotification(KX::RCPtr<KX::LNotificationDistributor>(manager.Get()),
                                      KX::NID_MIDIMANAGER_PARAMETER_RECIEVED, 0);
    EXPECT_EQ(manager->RequestNonPresetParameterFromDevice(u"GLOBAL_PROGRAM", true), LMidiManager::kNoReply);
    // The binding a set leaves behind still hears the port when the reply comes at last.
    ASSERT_GE(manager->SetNonPresetParameterOnDevice(u"KEY_OCTAVE", 2, true), 0);
    manager->last->Capture(kxtest::KeyboardSimulator::MakeGlobalReply(13, 99));
    // The next operations announce nothing of it.
    EXPECT_TRUE(manager->IsDeviceFirmwareVersionUseable());
    EXPECT_TRUE(manager->OpenPorts());
    EXPECT_TRUE(listener->Received().empty());
    listener->UnregisterFromAll();
}

TEST_F(MidiManagerSendFailures, DumpsAreTakenFromTheCurrentPortObjectWhileAGetWaits)
{
    ASSERT_TRUE(manager->OpenPorts());
    KX::RCPtr<FakePortObject> old = manager->last;
    ASSERT_TRUE(manager->OpenPorts());
    const Bytes dump = kxtest::KeyboardSimulator::MakeDump(0, kxtest::KeyboardSimulator::PatternFor(0));
    const KX::RCPtr<KX::LNotification> n = FakePortObject::CapturedNotification(dump);
    // The old port object is no longer bound; and with no get waiting, the current one is
    // not heard either: a dump nobody asked for never overwrites the model.
    old->Capture(dump);
    manager->OnMidiDataCaptured(KX::RCPtr<KX::LNotificationDistributor>(old.Get()), n);
    manager->last->Capture(dump);
    manager->OnMidiDataCaptured(KX::RCPtr<KX::LNotificationDistributor>(manager->last.Get()), n);
    EXPECT_EQ(engine->SetCount(), 0u);
    // A get takes the first of its answers.
    manager->dumpsPerRequest = 2;
    EXPECT_EQ(manager->GetPresetFromMidiDevice(3), 0);
    EXPECT_EQ(engine->SetCount(), 83u);
    EXPECT_EQ(engine->Records(), kxtest::KeyboardSimulator::PatternFor(3));
}

} // namespace
