// MIDI port object: what arrives on a capture port reaches subscribers of
// "NID_MIDI_DATA_CAPTURED" as whole messages (loopback backend).
#include "MidiPortSupport.h"

#include <gtest/gtest.h>

namespace {

using KX::RCPtr;
using KX::S_OK;
using miditest::Bytes;
using miditest::CaptureClient;
using miditest::Keyboard;
using miditest::kLumoIn;
using miditest::MakeSysEx;

// A port object with the keyboard's capture port open and a subscriber.
struct Rig {
    Rig()
    {
        comm = miditest::MakeComm();
        client = CaptureClient::Create();
        EXPECT_TRUE(client->RegisterForNotification(comm, KX::NID_MIDI_DATA_CAPTURED, 0));
        EXPECT_EQ(comm->OpenCapturePort(KX::WString(kLumoIn), in), S_OK);
    }
    ~Rig()
    {
        in = nullptr;
        EXPECT_TRUE(miditest::WaitIdle(*comm));
        client->UnregisterFromAll();
    }

    // Everything injected before it has been delivered once the marker has come.
    std::vector<Bytes> MessagesUpToMarker()
    {
        keyboard.input->InjectShort(0xF6); // Tune Request as the marker
        EXPECT_TRUE(client->WaitUntil(
            [](const std::vector<miditest::Captured>& c) { return !c.empty() && c.back().bytes == Bytes{0xF6}; }));
        std::vector<Bytes> messages;
        for (const auto& c : client->Captures())
            messages.push_back(c.bytes);
        EXPECT_EQ(messages.back(), Bytes{0xF6});
        messages.pop_back();
        return messages;
    }

    Keyboard keyboard;
    RCPtr<KX::LMidiComm> comm;
    RCPtr<CaptureClient> client;
    RCPtr<KX::LRefCountedObject> in;
};

TEST(MidiPortCapture, SysExInThreeBuffersIsOneMessage)
{
    Rig rig;
    const Bytes message = MakeSysEx(600, 1);
    // 256 bytes not ending in F7, 256 more, then the last 88.
    rig.keyboard.input->InjectSysEx(message, 256);
    ASSERT_TRUE(rig.client->WaitFor(1));
    const auto c = rig.client->Captures();
    ASSERT_EQ(c.size(), 1u);
    EXPECT_EQ(c[0].bytes, message);
    EXPECT_EQ(c[0].port, "MIDIIN4 (Lumo 25)");
    EXPECT_EQ(c[0].timestamp, 0u);
    EXPECT_EQ(c[0].from, rig.comm.Get());
}

TEST(MidiPortCapture, PresetDumpArrivesWholeHoweverItIsCut)
{
    Rig rig;
    const Bytes dump = MakeSysEx(886, 7);
    rig.keyboard.input->InjectSysEx(dump);      // as one piece
    rig.keyboard.input->InjectSysEx(dump, 100); // in pieces that do not fit the buffers
    rig.keyboard.input->InjectSysEx(dump, 1);   // byte by byte
    EXPECT_EQ(rig.MessagesUpToMarker(), (std::vector<Bytes>{dump, dump, dump}));
}

TEST(MidiPortCapture, BufferBoundariesAtF7)
{
    Rig rig;
    const Bytes exact = MakeSysEx(256, 2);   // one full buffer ending in F7
    const Bytes twoFull = MakeSysEx(512, 4); // a pending message completed by a full buffer ending in F7
    rig.keyboard.input->InjectSysEx(exact);
    rig.keyboard.input->InjectSysEx(twoFull);
    EXPECT_EQ(rig.MessagesUpToMarker(), (std::vector<Bytes>{exact, twoFull}));
}

TEST(MidiPortCapture, BytesOutsideAMessageAreDropped)
{
    Rig rig;
    const Bytes stray{0x01, 0x02, 0x03, 0xF7}; // complete, but no F0 and nothing pending
    rig.keyboard.input->InjectLong(stray);
    const Bytes good = MakeSysEx(20);
    rig.keyboard.input->InjectSysEx(good);
    EXPECT_EQ(rig.MessagesUpToMarker(), std::vector<Bytes>{good});
}

TEST(MidiPortCapture, AMessageCutShortIsDroppedNotJoinedToTheNext)
{
    Rig rig;
    Bytes broken = MakeSysEx(300, 5);
    broken.pop_back(); // no F7: the next F0 cuts it short
    rig.keyboard.input->InjectLong(broken);
    const Bytes next = MakeSysEx(15, 9);
    rig.keyboard.input->InjectSysEx(next);

    Bytes interrupted = MakeSysEx(40);
    interrupted[20] = 0x90; // a status byte inside a message ends it
    rig.keyboard.input->InjectLong(interrupted);
    const Bytes after = MakeSysEx(12, 3);
    rig.keyboard.input->InjectSysEx(after);
    EXPECT_EQ(rig.MessagesUpToMarker(), (std::vector<Bytes>{next, after}));
}

TEST(MidiPortCapture, RealTimeBytesInsideSysExAreLeftOut)
{
    Rig rig;
    const Bytes message = MakeSysEx(886, 11);
    Bytes withClock = message;
    withClock.insert(withClock.begin() + 300, 0xF8);
    withClock.insert(withClock.begin() + 600, 0xFE);
    rig.keyboard.input->InjectLong(withClock); // real-time bytes left in the data
    rig.keyboard.input->InjectRaw(withClock);  // real-time bytes passed on as their own messages
    EXPECT_EQ(rig.MessagesUpToMarker(), (std::vector<Bytes>{message, Bytes{0xF8}, Bytes{0xFE}, message}));
}

TEST(MidiPortCapture, AnOverlongSysExIsDroppedAndInputGoesOn)
{
    Rig rig;
    const Bytes largest = MakeSysEx(KX::LMidiCapturePort::kMaxSysExSize, 1);
    const Bytes overlong = MakeSysEx(KX::LMidiCapturePort::kMaxSysExSize + 1, 2);
    Bytes endless = MakeSysEx(200000, 3);
    endless.pop_back();
    endless.push_back(0x7F);
    rig.keyboard.input->InjectSysEx(largest, 4096);
    rig.keyboard.input->InjectSysEx(overlong, 4096);
    rig.keyboard.input->InjectSysEx(endless, 4096);
    rig.keyboard.input->InjectLong(Bytes{0x01, 0x02, 0xF7}); // the end of the endless one
    const Bytes next = MakeSysEx(886);
    rig.keyboard.input->InjectSysEx(next);
    EXPECT_EQ(rig.MessagesUpToMarker(), (std::vector<Bytes>{largest, next}));
}

TEST(MidiPortCapture, ShortMessagesCarryTheirLengthAndTimeStamp)
{
    Rig rig;
    rig.keyboard.input->InjectShort(0x643C90); // Note On
    rig.keyboard.input->InjectShort(0x05C0);   // Program Change
    rig.keyboard.input->InjectShort(0xF8);     // Timing Clock
    rig.keyboard.input->InjectShort(0x2010F2); // Song Position
    rig.keyboard.input->InjectShort(0x07F3);   // Song Select
    ASSERT_TRUE(rig.client->WaitFor(5));
    const auto c = rig.client->Captures();
    ASSERT_EQ(c.size(), 5u);
    EXPECT_EQ(c[0].bytes, (Bytes{0x90, 0x3C, 0x64}));
    EXPECT_EQ(c[1].bytes, (Bytes{0xC0, 0x05}));
    EXPECT_EQ(c[2].bytes, (Bytes{0xF8}));
    EXPECT_EQ(c[3].bytes, (Bytes{0xF2, 0x10, 0x20}));
    EXPECT_EQ(c[4].bytes, (Bytes{0xF3, 0x07}));
    for (size_t i = 1; i < c.size(); ++i)
        EXPECT_GE(c[i].timestamp, c[i - 1].timestamp);
    EXPECT_EQ(c[0].port, "MIDIIN4 (Lumo 25)");
}

TEST(MidiPortCapture, EachPortNamesItsMessages)
{
    Rig rig;
    auto second = rig.keyboard.backend->AddInput("MIDIIN2 (Lumo 25)");
    RCPtr<KX::LRefCountedObject> in2;
    ASSERT_EQ(rig.comm->OpenCapturePort(KX::WString(u"MIDIIN2"), in2), S_OK);
    second->InjectShort(0x403C80);
    ASSERT_TRUE(rig.client->WaitFor(1));
    rig.keyboard.input->InjectShort(0x403C90);
    ASSERT_TRUE(rig.client->WaitFor(2));
    const auto c = rig.client->Captures();
    EXPECT_EQ(c[0].port, "MIDIIN2 (Lumo 25)");
    EXPECT_EQ(c[1].port, "MIDIIN4 (Lumo 25)");
    in2 = nullptr;
    EXPECT_EQ(second->InjectShort(0x403C80), 0u);
}

} // namespace
