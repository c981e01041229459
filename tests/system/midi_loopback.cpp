#include "platform/midi/LoopbackMidiBackend.h"

#include "MidiCapture.h"

#include <gtest/gtest.h>

namespace {

using miditest::Bytes;
using miditest::MakeSysEx;
using miditest::MidiCapture;
using platform::midi::LoopbackMidiBackend;
using platform::midi::MidiInputEventKind;
using platform::midi::MidiStatus;

constexpr const char* kIn = "MIDIIN4 (Lumo 25)";
constexpr const char* kOut = "MIDIOUT4 (Lumo 25)";

class LoopbackMidi : public ::testing::Test {
protected:
    std::shared_ptr<LoopbackMidiBackend> backend = std::make_shared<LoopbackMidiBackend>();
};

TEST_F(LoopbackMidi, ListsAndOpensDevicesByName)
{
    backend->AddInput("Lumo 25");
    auto keyboard = backend->AddInput(std::string("USB ") + kIn + " #1");
    backend->AddOutput(kOut);
    EXPECT_EQ(backend->InputNames(), (std::vector<std::string>{"Lumo 25", "USB MIDIIN4 (Lumo 25) #1"}));
    EXPECT_EQ(backend->OutputNames(), (std::vector<std::string>{kOut}));

    MidiCapture capture;
    ASSERT_EQ(capture.Open(*backend, kIn), MidiStatus::Ok);
    EXPECT_EQ(capture.Input().Name(), "USB MIDIIN4 (Lumo 25) #1");
    EXPECT_EQ(keyboard->OpenCount(), 1u);

    std::unique_ptr<platform::midi::MidiInput> input;
    EXPECT_EQ(backend->OpenInputByName("midiin4 (lumo 25)", {}, input), MidiStatus::NoDevice);
    EXPECT_EQ(input, nullptr);
    EXPECT_EQ(backend->OpenInput(2, {}, input), MidiStatus::NoDevice);
    std::unique_ptr<platform::midi::MidiOutput> output;
    EXPECT_EQ(backend->OpenOutputByName(kIn, {}, output), MidiStatus::NoDevice);
    EXPECT_EQ(output, nullptr);
    ASSERT_EQ(backend->OpenOutputByName(kOut, {}, output), MidiStatus::Ok);
    EXPECT_EQ(output->Name(), kOut);
}

TEST_F(LoopbackMidi, DeliversShortMessagesOnlyWhileStarted)
{
    auto keyboard = backend->AddInput(kIn);
    MidiCapture capture;
    ASSERT_EQ(capture.Open(*backend, kIn, false), MidiStatus::Ok);
    EXPECT_EQ(keyboard->InjectShort(0x643C90), 0u); // before Start: dropped

    ASSERT_EQ(capture.Input().Start(), MidiStatus::Ok);
    EXPECT_EQ(keyboard->InjectShort(0x643C90), 1u); // Note On
    EXPECT_EQ(keyboard->InjectShort(0x05C0), 1u);   // Program Change
    EXPECT_EQ(keyboard->InjectShort(0xF8), 1u);     // Timing Clock
    ASSERT_EQ(capture.Input().Stop(), MidiStatus::Ok);
    EXPECT_EQ(keyboard->InjectShort(0xFE), 0u);

    const auto shorts = capture.Shorts();
    ASSERT_EQ(shorts.size(), 3u);
    EXPECT_EQ(shorts[0].message, 0x643C90u);
    EXPECT_EQ(shorts[1].message, 0x05C0u);
    EXPECT_EQ(shorts[2].message, 0xF8u);
    EXPECT_LE(shorts[0].timestampMs, shorts[2].timestampMs);
    EXPECT_LT(shorts[2].timestampMs, 60000u); // counted from Start, not from some epoch
}

TEST_F(LoopbackMidi, SysExOf600BytesIn3ChunksArrivesAsOneMessage)
{
    auto keyboard = backend->AddInput(kIn);
    const Bytes message = MakeSysEx(600);
    for (size_t chunk : {size_t{200}, size_t{1}, size_t{7}, size_t{256}, size_t{599}, size_t{0}}) {
        MidiCapture capture;
        ASSERT_EQ(capture.Open(*backend, kIn), MidiStatus::Ok);
        EXPECT_EQ(keyboard->InjectSysEx(message, chunk), 1u);
        ASSERT_EQ(capture.Messages(), std::vector<Bytes>{message}) << "chunk " << chunk;
        // The device hands back two full buffers and the rest, whatever the pieces.
        const auto buffers = capture.HandedBackBuffers();
        ASSERT_EQ(buffers.size(), 3u);
        EXPECT_EQ(buffers[0].bytes.size(), 256u);
        EXPECT_NE(buffers[0].bytes.back(), 0xF7);
        EXPECT_EQ(buffers[1].bytes.size(), 256u);
        EXPECT_EQ(buffers[2].bytes.size(), 88u);
        EXPECT_EQ(buffers[2].bytes.back(), 0xF7);
    }
}

TEST_F(LoopbackMidi, SysExOf886BytesArrivesWhole)
{
    auto keyboard = backend->AddInput(kIn);
    MidiCapture capture;
    ASSERT_EQ(capture.Open(*backend, kIn), MidiStatus::Ok);
    const Bytes dump = MakeSysEx(886, 9);
    const Bytes reply = MakeSysEx(15, 3);
    keyboard->InjectSysEx(dump);
    keyboard->InjectSysEx(reply, 4);
    EXPECT_EQ(capture.Messages(), (std::vector<Bytes>{dump, reply}));
}

TEST_F(LoopbackMidi, AFullBufferEndingInF7CompletesTheMessage)
{
    auto keyboard = backend->AddInput(kIn);
    MidiCapture capture;
    ASSERT_EQ(capture.Open(*backend, kIn), MidiStatus::Ok);
    keyboard->InjectSysEx(MakeSysEx(256));
    keyboard->InjectSysEx(MakeSysEx(512), 100);
    const auto buffers = capture.HandedBackBuffers();
    ASSERT_EQ(buffers.size(), 3u);
    for (const auto& b : buffers) {
        EXPECT_EQ(b.kind, MidiInputEventKind::LongData);
        EXPECT_EQ(b.bytes.size(), 256u);
    }
    EXPECT_EQ(capture.Messages(), (std::vector<Bytes>{MakeSysEx(256), MakeSysEx(512)}));
}

TEST_F(LoopbackMidi, ANewMessageCutsAnUnfinishedOneShort)
{
    auto keyboard = backend->AddInput(kIn);
    MidiCapture capture;
    ASSERT_EQ(capture.Open(*backend, kIn), MidiStatus::Ok);
    const Bytes cut{0xF0, 0x01, 0x02};
    const Bytes whole = MakeSysEx(40);
    keyboard->InjectLong(cut);
    keyboard->InjectLong(whole);
    const auto buffers = capture.HandedBackBuffers();
    ASSERT_EQ(buffers.size(), 2u);
    EXPECT_EQ(buffers[0].kind, MidiInputEventKind::LongError);
    EXPECT_EQ(buffers[0].bytes, cut);
    EXPECT_EQ(buffers[1].kind, MidiInputEventKind::LongData);
    EXPECT_EQ(capture.Messages(), std::vector<Bytes>{whole});
}

TEST_F(LoopbackMidi, WithoutBuffersDataIsLostButLaterMessagesAreWhole)
{
    auto keyboard = backend->AddInput(kIn);
    MidiCapture capture;
    capture.SetReAdd(false);
    ASSERT_EQ(capture.Open(*backend, kIn), MidiStatus::Ok);
    keyboard->InjectSysEx(MakeSysEx(886, 1)); // three buffers' worth arrives, the rest is lost
    EXPECT_EQ(capture.HandedBackBuffers().size(), 3u);
    EXPECT_EQ(keyboard->InjectSysEx(MakeSysEx(20, 2)), 1u); // lost entirely

    capture.SetReAdd(true);
    platform::midi::MidiInputBuffer extra;
    std::array<uint8_t, 64> storage{};
    extra.data = storage.data();
    extra.length = storage.size();
    ASSERT_EQ(capture.Input().AddBuffer(extra), MidiStatus::Ok);
    keyboard->InjectSysEx(MakeSysEx(30, 3));
    EXPECT_EQ(capture.Messages(), std::vector<Bytes>{MakeSysEx(30, 3)});
    capture.Close();
}

TEST_F(LoopbackMidi, StopHandsBackAPartlyFilledBufferAndResetAllOfThem)
{
    auto keyboard = backend->AddInput(kIn);
    MidiCapture capture;
    capture.SetReAdd(false);
    ASSERT_EQ(capture.Open(*backend, kIn), MidiStatus::Ok);
    keyboard->InjectLong(Bytes{0xF0, 0x01, 0x02});
    EXPECT_TRUE(capture.HandedBackBuffers().empty());

    ASSERT_EQ(capture.Input().Stop(), MidiStatus::Ok);
    auto buffers = capture.HandedBackBuffers();
    ASSERT_EQ(buffers.size(), 1u);
    EXPECT_EQ(buffers[0].bytes, (Bytes{0xF0, 0x01, 0x02}));
    EXPECT_TRUE(capture.Messages().empty());

    ASSERT_EQ(capture.Input().Reset(), MidiStatus::Ok);
    buffers = capture.HandedBackBuffers();
    ASSERT_EQ(buffers.size(), 3u);
    EXPECT_TRUE(buffers[1].bytes.empty());
    EXPECT_TRUE(buffers[2].bytes.empty());
}

TEST_F(LoopbackMidi, RefusesBadBuffers)
{
    backend->AddInput(kIn);
    MidiCapture capture;
    ASSERT_EQ(capture.Open(*backend, kIn), MidiStatus::Ok);
    platform::midi::MidiInputBuffer none;
    EXPECT_EQ(capture.Input().AddBuffer(none), MidiStatus::InvalidArgument);
    uint8_t byte = 0;
    platform::midi::MidiInputBuffer empty;
    empty.data = &byte;
    EXPECT_EQ(capture.Input().AddBuffer(empty), MidiStatus::InvalidArgument);
    platform::midi::MidiInputBuffer one;
    one.data = &byte;
    one.length = 1;
    EXPECT_EQ(capture.Input().AddBuffer(one), MidiStatus::Ok);
    EXPECT_EQ(capture.Input().AddBuffer(one), MidiStatus::InvalidArgument); // already queued
    capture.Close();
}

TEST_F(LoopbackMidi, ClosingHandsBackBuffersAndEndsDelivery)
{
    auto keyboard = backend->AddInput(kIn);
    MidiCapture capture;
    ASSERT_EQ(capture.Open(*backend, kIn), MidiStatus::Ok);
    capture.Close();
    EXPECT_EQ(capture.HandedBackBuffers().size(), 3u); // and not re-added
    EXPECT_EQ(keyboard->OpenCount(), 0u);
    EXPECT_EQ(keyboard->InjectShort(0x643C90), 0u);
    EXPECT_EQ(keyboard->InjectSysEx(MakeSysEx(10)), 0u);
    EXPECT_EQ(capture.Input().Start(), MidiStatus::Closed);
    EXPECT_EQ(capture.Input().Stop(), MidiStatus::Closed);
    EXPECT_EQ(capture.Input().Reset(), MidiStatus::Closed);
    uint8_t byte = 0;
    platform::midi::MidiInputBuffer one;
    one.data = &byte;
    one.length = 1;
    EXPECT_EQ(capture.Input().AddBuffer(one), MidiStatus::Closed);
    capture.Close();
    EXPECT_EQ(capture.EventCount(), 3u);
}

TEST_F(LoopbackMidi, AnInputMayBeClosedFromItsOwnCallback)
{
    auto keyboard = backend->AddInput(kIn);
    int calls = 0;
    std::unique_ptr<platform::midi::MidiInput> input;
    ASSERT_EQ(backend->OpenInputByName(
                  kIn,
                  [&](platform::midi::MidiInput& in, const platform::midi::MidiInputEvent&) {
                      ++calls;
                      in.Close();
                  },
                  input),
              MidiStatus::Ok);
    ASSERT_EQ(input->Start(), MidiStatus::Ok);
    EXPECT_EQ(keyboard->InjectShort(0xF8), 1u);
    EXPECT_EQ(keyboard->InjectShort(0xF8), 0u);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(keyboard->OpenCount(), 0u);
}

TEST_F(LoopbackMidi, AnInputMayBeDestroyedFromItsOwnCallback)
{
    auto keyboard = backend->AddInput(kIn);
    std::unique_ptr<platform::midi::MidiInput> input;
    ASSERT_EQ(
        backend->OpenInputByName(
            kIn, [&](platform::midi::MidiInput&, const platform::midi::MidiInputEvent&) { input.reset(); }, input),
        MidiStatus::Ok);
    ASSERT_EQ(input->Start(), MidiStatus::Ok);
    EXPECT_EQ(keyboard->InjectShort(0xF8), 1u);
    EXPECT_EQ(input, nullptr);
    EXPECT_EQ(keyboard->InjectShort(0xF8), 0u);
}

TEST_F(LoopbackMidi, RawDriverBytesKeepRealTimeBytesOutOfSysExBuffers)
{
    auto keyboard = backend->AddInput(kIn);
    MidiCapture capture;
    ASSERT_EQ(capture.Open(*backend, kIn), MidiStatus::Ok);
    // A driver that appended bytes arriving between two pieces of a message.
    EXPECT_EQ(keyboard->InjectRaw(Bytes{0xF0, 0x01, 0x02, 0xFE, 0x03}), 1u);
    EXPECT_EQ(keyboard->InjectRaw(Bytes{0xF8, 0x04, 0xF7}), 1u);
    EXPECT_EQ(keyboard->InjectRaw(Bytes{0x90, 0x3C, 0x64}), 1u);
    EXPECT_EQ(keyboard->InjectRaw(Bytes{0xC0, 0x05}), 1u);
    EXPECT_EQ(keyboard->InjectRaw(Bytes{}), 0u);

    const auto shorts = capture.Shorts();
    ASSERT_EQ(shorts.size(), 4u);
    EXPECT_EQ(shorts[0].message, 0xFEu);
    EXPECT_EQ(shorts[1].message, 0xF8u);
    EXPECT_EQ(shorts[2].message, 0x643C90u);
    EXPECT_EQ(shorts[3].message, 0x05C0u);
    const auto buffers = capture.HandedBackBuffers();
    ASSERT_EQ(buffers.size(), 1u);
    EXPECT_EQ(buffers[0].bytes, (Bytes{0xF0, 0x01, 0x02, 0x03, 0x04, 0xF7}));
    EXPECT_EQ(capture.Messages(), std::vector<Bytes>{buffers[0].bytes});
}

TEST_F(LoopbackMidi, EveryOpenInputOnADeviceReceives)
{
    auto keyboard = backend->AddInput(kIn);
    MidiCapture first;
    MidiCapture second;
    ASSERT_EQ(first.Open(*backend, kIn), MidiStatus::Ok);
    ASSERT_EQ(second.Open(*backend, kIn), MidiStatus::Ok);
    EXPECT_EQ(keyboard->InjectSysEx(MakeSysEx(300), 100), 2u);
    EXPECT_EQ(first.Messages(), std::vector<Bytes>{MakeSysEx(300)});
    EXPECT_EQ(second.Messages(), std::vector<Bytes>{MakeSysEx(300)});
}

struct SentLog {
    std::vector<Bytes> sent;
    std::vector<platform::midi::MidiOutputEvent> done;
};

TEST_F(LoopbackMidi, OutputSendsShortAndLongMessagesToTheSink)
{
    SentLog log;
    auto device =
        backend->AddOutput(kOut, [&](std::span<const uint8_t> b) { log.sent.emplace_back(b.begin(), b.end()); });
    std::unique_ptr<platform::midi::MidiOutput> output;
    ASSERT_EQ(backend->OpenOutputByName(
                  kOut,
                  [&](platform::midi::MidiOutput&, const platform::midi::MidiOutputEvent& e) { log.done.push_back(e); },
                  output),
              MidiStatus::Ok);
    EXPECT_EQ(device->OpenCount(), 1u);

    EXPECT_EQ(output->SendShort(0x643C90), MidiStatus::Ok);
    EXPECT_EQ(output->SendShort(0xFF05C0), MidiStatus::Ok); // extra byte past the message is not sent
    EXPECT_EQ(output->SendShort(0xF8), MidiStatus::Ok);
    const Bytes identity{0xF0, 0x7E, 0x7F, 0x06, 0x01, 0xF7};
    EXPECT_EQ(output->SendLong(identity.data(), identity.size()), MidiStatus::Ok);
    EXPECT_EQ(log.sent, (std::vector<Bytes>{{0x90, 0x3C, 0x64}, {0xC0, 0x05}, {0xF8}, identity}));
    ASSERT_EQ(log.done.size(), 1u); // only long sends are reported done
    EXPECT_EQ(log.done[0].data, identity.data());
    EXPECT_EQ(log.done[0].size, 6u);

    EXPECT_EQ(output->SendShort(0x3C), MidiStatus::InvalidArgument); // running status
    EXPECT_EQ(output->SendShort(0xF0), MidiStatus::InvalidArgument);
    EXPECT_EQ(output->SendLong(nullptr, 3), MidiStatus::InvalidArgument);
    EXPECT_EQ(output->SendLong(identity.data(), 0), MidiStatus::InvalidArgument);
    EXPECT_EQ(log.sent.size(), 4u);

    device->SetReportsDone(false); // a hung device takes the data but never finishes
    EXPECT_EQ(output->SendLong(identity.data(), identity.size()), MidiStatus::Ok);
    EXPECT_EQ(log.done.size(), 1u);

    output->Close();
    EXPECT_EQ(device->OpenCount(), 0u);
    EXPECT_EQ(output->SendShort(0xF8), MidiStatus::Closed);
    EXPECT_EQ(output->SendLong(identity.data(), identity.size()), MidiStatus::Closed);
    EXPECT_EQ(log.sent.size(), 5u);
}

TEST_F(LoopbackMidi, ASimulatedDeviceAnswersThroughItsInput)
{
    auto keyboardIn = backend->AddInput(kIn);
    const Bytes reply = MakeSysEx(886, 5);
    backend->AddOutput(kOut, [&](std::span<const uint8_t> request) {
        if (request.size() > 1 && request[0] == 0xF0)
            keyboardIn->InjectSysEx(reply, 256);
    });
    MidiCapture capture;
    ASSERT_EQ(capture.Open(*backend, kIn), MidiStatus::Ok);
    std::unique_ptr<platform::midi::MidiOutput> output;
    ASSERT_EQ(backend->OpenOutputByName(kOut, {}, output), MidiStatus::Ok);
    const Bytes request{0xF0, 0x00, 0x3F, 0x5A, 0x7F, 0x31, 0x04, 0x62, 0x01, 0xF7};
    ASSERT_EQ(output->SendLong(request.data(), request.size()), MidiStatus::Ok);
    EXPECT_EQ(capture.Messages(), std::vector<Bytes>{reply});
}

TEST(MidiBackendSelection, TheRealBackendUnlessAnotherIsInstalled)
{
    const std::shared_ptr<platform::midi::MidiBackend> real = platform::midi::CurrentMidiBackend();
    ASSERT_NE(real, nullptr);
    EXPECT_EQ(platform::midi::CurrentMidiBackend(), real);
    {
        auto loopback = std::make_shared<LoopbackMidiBackend>();
        platform::midi::ScopedMidiBackend scoped(loopback);
        EXPECT_EQ(platform::midi::CurrentMidiBackend(), loopback);
        {
            platform::midi::ScopedMidiBackend inner(std::make_shared<LoopbackMidiBackend>());
            EXPECT_NE(platform::midi::CurrentMidiBackend(), loopback);
        }
        EXPECT_EQ(platform::midi::CurrentMidiBackend(), loopback);
    }
    EXPECT_EQ(platform::midi::CurrentMidiBackend(), real);
    platform::midi::InstallMidiBackend(nullptr);
    EXPECT_EQ(platform::midi::CurrentMidiBackend(), real);
}

} // namespace
