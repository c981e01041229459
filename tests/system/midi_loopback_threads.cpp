#include "platform/midi/LoopbackMidiBackend.h"
#include "platform/midi/RtMidiBackend.h"

#include "MidiCapture.h"

#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <random>
#include <thread>

namespace {

using miditest::Bytes;
using miditest::MakeSysEx;
using miditest::MidiCapture;
using platform::midi::LoopbackMidiBackend;
using platform::midi::MidiStatus;

constexpr const char* kIn = "MIDIIN4 (Lumo 25)";
constexpr const char* kOut = "MIDIOUT4 (Lumo 25)";

// Note On with the sender in the channel and a 14-bit sequence number.
uint32_t Numbered(unsigned sender, unsigned n)
{
    return 0x90u | sender | ((n & 0x7Fu) << 8) | (((n >> 7) & 0x7Fu) << 16);
}

TEST(LoopbackMidiThreads, ShortMessagesFromSeveralThreadsArriveInOrderPerThread)
{
    auto backend = std::make_shared<LoopbackMidiBackend>();
    auto keyboard = backend->AddInput(kIn);
    MidiCapture capture;
    ASSERT_EQ(capture.Open(*backend, kIn), MidiStatus::Ok);

    constexpr unsigned kThreads = 4;
    constexpr unsigned kEach = 2000;
    std::vector<std::thread> threads;
    for (unsigned t = 0; t < kThreads; ++t)
        threads.emplace_back([&, t] {
            for (unsigned n = 0; n < kEach; ++n)
                keyboard->InjectShort(Numbered(t, n));
        });
    for (auto& th : threads)
        th.join();

    const auto shorts = capture.Shorts();
    ASSERT_EQ(shorts.size(), kThreads * kEach);
    std::vector<unsigned> next(kThreads, 0);
    for (const auto& e : shorts) {
        const unsigned sender = e.message & 0x0F;
        const unsigned n = ((e.message >> 8) & 0x7F) | (((e.message >> 16) & 0x7F) << 7);
        ASSERT_LT(sender, kThreads);
        EXPECT_EQ(n, next[sender]);
        next[sender] = n + 1;
    }
}

TEST(LoopbackMidiThreads, SysExSurvivesInterleavedBackgroundTraffic)
{
    auto backend = std::make_shared<LoopbackMidiBackend>();
    auto keyboard = backend->AddInput(kIn);
    MidiCapture capture;
    ASSERT_EQ(capture.Open(*backend, kIn), MidiStatus::Ok);

    std::vector<Bytes> sent;
    for (unsigned i = 0; i < 60; ++i)
        sent.push_back(MakeSysEx(i % 3 == 0 ? 886 : i % 3 == 1 ? 600 : 15, static_cast<uint8_t>(i)));

    std::atomic<bool> done{false};
    std::atomic<size_t> background{0};
    auto traffic = [&](uint32_t message) {
        while (!done.load()) {
            keyboard->InjectShort(message);
            ++background;
            std::this_thread::yield();
        }
    };
    std::thread sensing(traffic, 0xFEu);   // active sensing
    std::thread clock(traffic, 0xF8u);     // timing clock
    std::thread notes(traffic, 0x403C90u); // note on
    std::thread sysex([&] {
        while (background.load() < 50)
            std::this_thread::yield();
        std::mt19937 random(7);
        for (const Bytes& message : sent) {
            // Piece by piece, so the other threads get in between.
            size_t pos = 0;
            while (pos < message.size()) {
                const size_t n = std::min<size_t>(1 + random() % 300, message.size() - pos);
                keyboard->InjectLong(std::span<const uint8_t>(message.data() + pos, n));
                pos += n;
            }
        }
    });
    sysex.join();
    done = true;
    sensing.join();
    clock.join();
    notes.join();

    EXPECT_EQ(capture.Messages(), sent);
    EXPECT_EQ(capture.Shorts().size(), background.load());
}

TEST(LoopbackMidiThreads, NoCallbackRunsAfterCloseWhileTrafficFlows)
{
    auto backend = std::make_shared<LoopbackMidiBackend>();
    auto keyboard = backend->AddInput(kIn);
    std::atomic<bool> stop{false};
    std::vector<std::thread> injectors;
    for (unsigned t = 0; t < 3; ++t)
        injectors.emplace_back([&, t] {
            const Bytes message = MakeSysEx(300 + t * 100, static_cast<uint8_t>(t));
            while (!stop.load()) {
                keyboard->InjectShort(Numbered(t, 1));
                keyboard->InjectSysEx(message, 128);
            }
        });

    for (int round = 0; round < 40; ++round) {
        std::atomic<bool> closed{false};
        std::atomic<int> late{0};
        std::atomic<int> calls{0};
        std::array<std::array<uint8_t, 256>, 3> storage{};
        std::array<platform::midi::MidiInputBuffer, 3> buffers{};
        std::unique_ptr<platform::midi::MidiInput> input;
        ASSERT_EQ(backend->OpenInputByName(
                      kIn,
                      [&](platform::midi::MidiInput& in, const platform::midi::MidiInputEvent& e) {
                          if (closed.load())
                              ++late;
                          ++calls;
                          if (e.buffer != nullptr)
                              in.AddBuffer(*e.buffer);
                      },
                      input),
                  MidiStatus::Ok);
        for (size_t i = 0; i < buffers.size(); ++i) {
            buffers[i].data = storage[i].data();
            buffers[i].length = 256;
            input->AddBuffer(buffers[i]);
        }
        input->Start();
        while (calls.load() < 20)
            std::this_thread::yield();
        if (round % 2 == 0)
            input->Close();
        else
            input.reset(); // destroying closes too
        closed = true;
        std::this_thread::yield();
        input.reset();
        EXPECT_EQ(late.load(), 0);
    }
    stop = true;
    for (auto& th : injectors)
        th.join();
    EXPECT_EQ(keyboard->OpenCount(), 0u);
}

TEST(LoopbackMidiThreads, SendsFromSeveralThreadsReachTheDeviceWhole)
{
    auto backend = std::make_shared<LoopbackMidiBackend>();
    std::mutex mutex;
    std::map<size_t, size_t> received; // size -> count
    auto device = backend->AddOutput(kOut, [&](std::span<const uint8_t> bytes) {
        std::lock_guard lock(mutex);
        if (bytes.size() > 3 && (bytes.front() != 0xF0 || bytes.back() != 0xF7))
            ADD_FAILURE() << "torn message";
        ++received[bytes.size()];
    });
    std::atomic<size_t> doneNotices{0};
    std::unique_ptr<platform::midi::MidiOutput> output;
    ASSERT_EQ(
        backend->OpenOutputByName(
            kOut, [&](platform::midi::MidiOutput&, const platform::midi::MidiOutputEvent&) { ++doneNotices; }, output),
        MidiStatus::Ok);

    constexpr size_t kEach = 300;
    std::atomic<size_t> accepted{0};
    std::vector<std::thread> senders;
    for (unsigned t = 0; t < 4; ++t)
        senders.emplace_back([&, t] {
            const Bytes message = MakeSysEx(t % 2 == 0 ? 886 : 14, static_cast<uint8_t>(t));
            for (size_t i = 0; i < kEach; ++i) {
                if (output->SendLong(message.data(), message.size()) == MidiStatus::Ok)
                    ++accepted;
                if (output->SendShort(Numbered(t, static_cast<unsigned>(i))) == MidiStatus::Ok)
                    ++accepted;
            }
        });
    for (auto& th : senders)
        th.join();
    EXPECT_EQ(accepted.load(), 4 * kEach * 2);
    EXPECT_EQ(doneNotices.load(), 4 * kEach);
    EXPECT_EQ(received[886], 2 * kEach);
    EXPECT_EQ(received[14], 2 * kEach);
    EXPECT_EQ(received[3], 4 * kEach);

    // Closing while others send: everything accepted reached the device, nothing after.
    std::atomic<bool> go{true};
    std::atomic<size_t> acceptedLater{0};
    const size_t before = [&] {
        std::lock_guard lock(mutex);
        size_t n = 0;
        for (const auto& [size, count] : received)
            n += count;
        return n;
    }();
    std::vector<std::thread> racers;
    for (unsigned t = 0; t < 3; ++t)
        racers.emplace_back([&] {
            while (go.load())
                if (output->SendShort(0xF8) == MidiStatus::Ok)
                    ++acceptedLater;
        });
    while (acceptedLater.load() < 100)
        std::this_thread::yield();
    output->Close();
    const size_t acceptedAtClose = acceptedLater.load();
    go = false;
    for (auto& th : racers)
        th.join();
    EXPECT_LE(acceptedLater.load(), acceptedAtClose + 3); // sends already past the check when Close ran
    std::lock_guard lock(mutex);
    size_t after = 0;
    for (const auto& [size, count] : received)
        after += count;
    EXPECT_EQ(after - before, acceptedLater.load());
    EXPECT_EQ(device->OpenCount(), 0u);
}

TEST(LoopbackMidiThreads, BackendSelectionIsSafeToUseFromAnyThread)
{
    std::atomic<bool> stop{false};
    std::vector<std::thread> users;
    for (int t = 0; t < 3; ++t)
        users.emplace_back([&] {
            while (!stop.load()) {
                const auto backend = platform::midi::CurrentMidiBackend();
                backend->InputNames();
                backend->OutputNames();
            }
        });
    for (int i = 0; i < 200; ++i) {
        auto loopback = std::make_shared<LoopbackMidiBackend>();
        loopback->AddInput(kIn);
        platform::midi::ScopedMidiBackend scoped(loopback);
        std::this_thread::yield();
    }
    stop = true;
    for (auto& th : users)
        th.join();
}

} // namespace
