// The RtMidi/ALSA backend over virtual sequencer ports of this test: short and System
// Exclusive messages in both directions, and the names the ports are listed by. Reported as
// skipped where there is no ALSA sequencer.
#include "MidiCapture.h"
#include "platform/midi/RtMidiBackend.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

namespace {

using miditest::Bytes;
using platform::midi::MidiStatus;

// Generous: only ever reached when something is broken.
template <class Condition>
bool WaitFor(Condition condition)
{
    for (int i = 0; i < 5000; ++i) {
        if (condition())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return condition();
}

class AlsaBackend : public ::testing::Test {
protected:
    void SetUp() override
    {
        const int fd = ::open("/dev/snd/seq", O_RDWR | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            GTEST_SKIP() << "no ALSA sequencer here (/dev/snd/seq: " << std::strerror(errno) << ")";
        ::close(fd);
        backend = platform::midi::CreateRtMidiBackend("KX ALSA test");
        ASSERT_EQ(backend->Kind(), platform::midi::MidiBackendKind::RtMidiAlsa);
    }

    bool Lists(bool input, const char* name)
    {
        return WaitFor([&] {
            return platform::midi::FindMidiDevice(input ? backend->InputNames() : backend->OutputNames(), name)
                .has_value();
        });
    }

    std::shared_ptr<platform::midi::MidiBackend> backend;
};

TEST_F(AlsaBackend, AVirtualSourceIsAnInputWhoseMessagesArriveWhole)
{
    auto source = platform::midi::CreateRtMidiVirtualSource("KX Test Source", "out");
    ASSERT_TRUE(source) << "the sequencer refused a virtual port";
    // Listed by its client's name, as the first port of a device is.
    ASSERT_TRUE(Lists(true, "KX Test Source"));
    EXPECT_FALSE(platform::midi::FindMidiDevice(backend->OutputNames(), "KX Test Source").has_value());

    miditest::MidiCapture capture;
    ASSERT_EQ(capture.Open(*backend, "KX Test Source"), MidiStatus::Ok);
    const Bytes sysex = miditest::MakeSysEx(600, 3); // more than two 256-byte buffers
    ASSERT_TRUE(source->Send({0x90, 0x3C, 0x64}));
    ASSERT_TRUE(source->Send({0xC0, 0x05}));
    ASSERT_TRUE(source->Send(sysex));
    ASSERT_TRUE(source->Send({0xF8}));
    ASSERT_TRUE(WaitFor([&] { return capture.Shorts().size() >= 3 && !capture.Messages().empty(); }))
        << capture.Shorts().size() << " short, " << capture.Messages().size() << " long";

    const auto shorts = capture.Shorts();
    ASSERT_EQ(shorts.size(), 3u);
    EXPECT_EQ(shorts[0].message, 0x643C90u);
    EXPECT_EQ(shorts[1].message, 0x05C0u);
    EXPECT_EQ(shorts[2].message, 0xF8u);
    EXPECT_LE(shorts[0].timestampMs, shorts[2].timestampMs);
    ASSERT_EQ(capture.Messages().size(), 1u);
    EXPECT_EQ(capture.Messages().front(), sysex);
    capture.Close();
}

TEST_F(AlsaBackend, AnOutputReachesAVirtualSinkAndReportsItsLongSendsDone)
{
    auto sink = platform::midi::CreateRtMidiVirtualSink("KX Test Sink", "in");
    ASSERT_TRUE(sink) << "the sequencer refused a virtual port";
    ASSERT_TRUE(Lists(false, "KX Test Sink"));

    std::atomic<int> done{0};
    std::unique_ptr<platform::midi::MidiOutput> output;
    ASSERT_EQ(backend->OpenOutputByName(
                  "KX Test Sink",
                  [&done](platform::midi::MidiOutput&, const platform::midi::MidiOutputEvent&) { ++done; }, output),
              MidiStatus::Ok);
    const Bytes sysex = miditest::MakeSysEx(300, 1);
    EXPECT_EQ(output->SendShort(0x643C90u), MidiStatus::Ok);
    EXPECT_EQ(output->SendLong(sysex.data(), sysex.size()), MidiStatus::Ok);
    EXPECT_EQ(done.load(), 1) << "a long send is reported done before it returns";
    EXPECT_EQ(output->SendShort(0xF0u), MidiStatus::InvalidArgument);

    std::vector<Bytes> received;
    ASSERT_TRUE(WaitFor([&] {
        for (auto& m : sink->TakeReceived())
            received.push_back(std::move(m));
        return received.size() >= 2;
    })) << received.size()
        << " received";
    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(received[0], (Bytes{0x90, 0x3C, 0x64}));
    EXPECT_EQ(received[1], sysex);

    output->Close();
    EXPECT_EQ(output->SendShort(0x643C80u), MidiStatus::Closed);
}

TEST_F(AlsaBackend, APortThatGoesAwayIsNoLongerListed)
{
    {
        auto source = platform::midi::CreateRtMidiVirtualSource("KX Test Gone", "out");
        ASSERT_TRUE(source);
        ASSERT_TRUE(Lists(true, "KX Test Gone"));
    }
    EXPECT_TRUE(
        WaitFor([&] { return !platform::midi::FindMidiDevice(backend->InputNames(), "KX Test Gone").has_value(); }));
    std::unique_ptr<platform::midi::MidiInput> input;
    EXPECT_EQ(backend->OpenInputByName("KX Test Gone", {}, input), MidiStatus::NoDevice);
}

} // namespace
