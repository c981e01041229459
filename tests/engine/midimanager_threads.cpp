// The MIDI manager's two threads: operations on this thread, replies on the port object's
// worker, with the keyboard simulator's own threads injecting traffic underneath.
#include "MidiManagerSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

using namespace mmtest;
using KX::LMidiManager;
using kxtest::KeyboardSimulator;

TEST(MidiManagerThreads, RepeatedGetsWhileTrafficFlows)
{
    KeyboardSimulator keyboard;
    ScopedEngine engine;
    keyboard.SetBackgroundTraffic(true);
    keyboard.SetChunkSize(256);
    auto manager = LMidiManager::Create(FastTimings(300));
    for (int slot = 0; slot < 6; ++slot) {
        ASSERT_EQ(manager->GetPresetFromMidiDevice(slot), 0) << slot;
        EXPECT_EQ(engine->Records(), KeyboardSimulator::PatternFor(slot));
    }
    EXPECT_EQ(engine->SetCount(), 6u * 83u);
}

TEST(MidiManagerThreads, LateRepliesMeetTheNextOperation)
{
    // Each reply comes after the first wait ran out, so replies to one operation's
    // repeated requests keep arriving while the next operation binds and unbinds.
    KeyboardSimulator keyboard;
    ScopedEngine engine;
    keyboard.SetReplyDelay(25);
    keyboard.SetBackgroundTraffic(true);
    auto manager = LMidiManager::Create(FastTimings(15));
    int done = 0;
    for (int i = 0; i < 4; ++i) {
        if (manager->GetPresetFromMidiDevice(i) == 0)
            ++done;
        manager->SetNonPresetParameterOnDevice(u"KEY_TRANSPOSE", i, true);
    }
    EXPECT_GT(done, 0);
    ASSERT_TRUE(keyboard.WaitIdle());
    EXPECT_EQ(keyboard.Global(6), 3);
}

TEST(MidiManagerThreads, ListenersComeAndGoWhileValuesAreAnnounced)
{
    KeyboardSimulator keyboard;
    ScopedEngine engine;
    keyboard.SetGlobal(13, 99);
    keyboard.SetReplyRepeat(3);
    auto manager = LMidiManager::Create(FastTimings(200));
    const KX::RCPtr<KX::LNotificationDistributor> at(manager.Get());
    for (int i = 0; i < 10; ++i) {
        KX::RCPtr<ParameterListener> listener(new ParameterListener);
        listener->RegisterForNotification(at, KX::NID_MIDIMANAGER_PARAMETER_RECIEVED, 0);
        ASSERT_EQ(manager->RequestNonPresetParameterFromDevice(u"GLOBAL_PROGRAM", true), 0);
        // The repeats are still on their way while the listener leaves.
        listener->UnregisterFromAll();
        const auto received = listener->Received();
        ASSERT_FALSE(received.empty());
        EXPECT_EQ(received.front().second, 99);
    }
    ASSERT_TRUE(keyboard.WaitIdle());
}

TEST(MidiManagerThreads, ReleasedWhileRepliesAreOnTheirWay)
{
    KeyboardSimulator keyboard;
    ScopedEngine engine;
    keyboard.SetReplyRepeat(4);
    keyboard.SetChunkSize(128);
    for (int i = 0; i < 5; ++i) {
        auto manager = LMidiManager::Create(FastTimings(200));
        ASSERT_EQ(manager->GetPresetFromMidiDevice(i), 0);
        // Dropping the last reference closes the ports and stops the port object's worker
        // while the repeated dumps are still being injected.
        manager = nullptr;
    }
    ASSERT_TRUE(keyboard.WaitIdle());
    EXPECT_EQ(engine->SetCount(), 5u * 83u);
}

} // namespace
