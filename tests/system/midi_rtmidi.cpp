// The RtMidi/ALSA backend on whatever machine the tests run (virtual ports: midi_rtmidi_alsa_threads.cpp).
#include "platform/midi/LoopbackMidiBackend.h"
#include "platform/midi/RtMidiBackend.h"

#include "MidiCapture.h"

#include <gtest/gtest.h>

namespace {

using platform::midi::MidiStatus;

// Runs on any machine: with or without an ALSA sequencer and devices.
TEST(RtMidiBackend, WorksQuietlyWithWhateverDevicesThereAre)
{
    ::testing::internal::CaptureStderr();
    ::testing::internal::CaptureStdout();
    {
        const std::shared_ptr<platform::midi::MidiBackend> backend =
            platform::midi::CreateRtMidiBackend("KX MIDI test");
        const std::vector<std::string> inputs = backend->InputNames();
        const std::vector<std::string> outputs = backend->OutputNames();
        EXPECT_EQ(backend->InputNames(), inputs);

        std::unique_ptr<platform::midi::MidiInput> input;
        std::unique_ptr<platform::midi::MidiOutput> output;
        EXPECT_EQ(backend->OpenInput(inputs.size() + 5, {}, input), MidiStatus::NoDevice);
        EXPECT_EQ(backend->OpenOutput(outputs.size(), {}, output), MidiStatus::NoDevice);
        EXPECT_EQ(backend->OpenInputByName("no such device \x7f", {}, input), MidiStatus::NoDevice);
        EXPECT_EQ(input, nullptr);
        EXPECT_EQ(output, nullptr);

        // Where there are devices, opening and closing them works.
        if (!inputs.empty()) {
            miditest::MidiCapture capture;
            EXPECT_EQ(capture.Open(*backend, inputs.front()), MidiStatus::Ok);
            capture.Close();
            EXPECT_EQ(capture.HandedBackBuffers().size(), 3u);
        }
        if (!outputs.empty()) {
            EXPECT_EQ(backend->OpenOutputByName(outputs.front(), {}, output), MidiStatus::Ok);
            output.reset();
        }
    }
    const std::string out = ::testing::internal::GetCapturedStdout();
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(out, "");
    EXPECT_EQ(err, "");
}

TEST(RtMidiBackend, IsTheDefaultBackend)
{
    const std::shared_ptr<platform::midi::MidiBackend> current = platform::midi::CurrentMidiBackend();
    ASSERT_NE(current, nullptr);
    EXPECT_EQ(current->Kind(), platform::midi::MidiBackendKind::RtMidiAlsa);
    EXPECT_EQ(platform::midi::CreateRtMidiBackend()->Kind(), platform::midi::MidiBackendKind::RtMidiAlsa);
    {
        platform::midi::ScopedMidiBackend loopback(std::make_shared<platform::midi::LoopbackMidiBackend>());
        EXPECT_EQ(platform::midi::CurrentMidiBackend()->Kind(), platform::midi::MidiBackendKind::Loopback);
    }
    // Back to the same default once the installed one goes.
    EXPECT_EQ(platform::midi::CurrentMidiBackend(), current);
    current->InputNames();
    current->OutputNames();
}

} // namespace
