// MIDI port object under threads: captured data reaches subscribers on the pool's worker in
// capture order; ports open, send and close while background traffic flows; the port object
// may end on its own worker.
#include "MidiPortSupport.h"
#include "ThreadTestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

using KX::RCPtr;
using KX::S_OK;
using miditest::Bytes;
using miditest::CaptureClient;
using miditest::Keyboard;
using miditest::kLumoIn;
using miditest::kLumoOut;
using miditest::MakeSysEx;

// Note On with the sender in the channel and a 14-bit sequence number.
uint32_t Numbered(unsigned sender, unsigned n)
{
    return 0x90u | sender | ((n & 0x7Fu) << 8) | (((n >> 7) & 0x7Fu) << 16);
}

unsigned NumberOf(const Bytes& note)
{
    return note[1] | (note[2] << 7);
}

void Subscribe(KX::LMidiComm& comm, CaptureClient& client)
{
    KX::MutexLock lock(comm.GetSubscriptionLock());
    ASSERT_TRUE(
        client.RegisterForNotification(RCPtr<KX::LNotificationDistributor>(&comm), KX::NID_MIDI_DATA_CAPTURED, 0));
}

void Unsubscribe(KX::LMidiComm& comm, CaptureClient& client)
{
    KX::MutexLock lock(comm.GetSubscriptionLock());
    client.UnregisterForNotification(RCPtr<KX::LNotificationDistributor>(&comm), KX::NID_MIDI_DATA_CAPTURED);
}

// Injects background traffic from its own threads until stopped.
class Traffic {
public:
    explicit Traffic(platform::midi::LoopbackInputDevice& device) : m_device(device)
    {
        m_threads.emplace_back([this] { Run([this](unsigned n) { m_device.InjectShort(n % 2 ? 0xFE : 0xF8); }); });
        m_threads.emplace_back([this] { Run([this](unsigned n) { m_device.InjectShort(Numbered(1, n & 0x3FFF)); }); });
        m_threads.emplace_back([this] {
            Run([this](unsigned n) { m_device.InjectSysEx(MakeSysEx(100 + n % 900, static_cast<uint8_t>(n)), 97); });
        });
    }
    ~Traffic() { Stop(); }

    void Stop()
    {
        m_stop.store(true);
        for (auto& t : m_threads)
            if (t.joinable())
                t.join();
    }

private:
    template <class F>
    void Run(F inject)
    {
        for (unsigned n = 0; !m_stop.load(); ++n) {
            inject(n);
            if (n % 64 == 0)
                std::this_thread::yield();
        }
    }

    platform::midi::LoopbackInputDevice& m_device;
    std::atomic<bool> m_stop{false};
    std::vector<std::thread> m_threads;
};

TEST(MidiPortDelivery, ArrivesOnThePoolWorkerOneAtATimeInCaptureOrder)
{
    Keyboard keyboard;
    auto comm = miditest::MakeComm();
    auto client = CaptureClient::Create();
    Subscribe(*comm, *client);
    RCPtr<KX::LRefCountedObject> in;
    ASSERT_EQ(comm->OpenCapturePort(KX::WString(kLumoIn), in), S_OK);

    std::atomic<int> inside{0};
    std::atomic<bool> overlapped{false};
    client->onReceive = [&](CaptureClient&, const auto&, const auto&) {
        if (inside.fetch_add(1) != 0)
            overlapped.store(true);
        std::this_thread::yield();
        inside.fetch_sub(1);
    };

    constexpr unsigned kNotes = 3000;
    std::thread injector([&] {
        for (unsigned n = 0; n < kNotes; ++n) {
            keyboard.input->InjectShort(Numbered(0, n));
            if (n % 500 == 0)
                keyboard.input->InjectSysEx(MakeSysEx(886, static_cast<uint8_t>(n)), 256);
        }
    });
    const auto injectorId = injector.get_id();
    injector.join();
    ASSERT_TRUE(client->WaitFor(kNotes + kNotes / 500));
    ASSERT_TRUE(miditest::WaitIdle(*comm));

    const auto captures = client->Captures();
    ASSERT_EQ(captures.size(), kNotes + kNotes / 500);
    const std::thread::id worker = captures.front().thread;
    EXPECT_NE(worker, std::this_thread::get_id());
    EXPECT_NE(worker, injectorId);
    unsigned next = 0;
    for (const auto& c : captures) {
        EXPECT_EQ(c.thread, worker);
        if (c.bytes.size() == 886) {
            EXPECT_EQ(c.bytes, MakeSysEx(886, static_cast<uint8_t>(next - 1)));
            continue;
        }
        ASSERT_EQ(c.bytes.size(), 3u);
        EXPECT_EQ(NumberOf(c.bytes), next & 0x3FFF);
        ++next;
    }
    EXPECT_EQ(next, kNotes);
    EXPECT_FALSE(overlapped.load());

    Unsubscribe(*comm, *client);
}

TEST(MidiPortDelivery, PortsOpenSendAndCloseWhileBackgroundTrafficFlows)
{
    Keyboard keyboard;
    auto comm = miditest::MakeComm();
    auto client = CaptureClient::Create();
    Subscribe(*comm, *client);
    {
        Traffic traffic(*keyboard.input);
        const Bytes request{0xF0, 0x00, 0x20, 0x32, 0x7F, 0x31, 0x04, 0x63, 0x01, 0xF7};
        for (int round = 0; round < 60; ++round) {
            RCPtr<KX::LRefCountedObject> in, out;
            ASSERT_EQ(comm->OpenCapturePort(KX::WString(kLumoIn), in), S_OK);
            ASSERT_EQ(comm->OpenRenderPort(KX::WString(kLumoOut), out), S_OK);
            EXPECT_EQ(comm->Send(out, request), static_cast<int32_t>(request.size()));
            EXPECT_EQ(comm->Send(out, Bytes{0xB0, 0x07, 0x64}), 3);
            if (round % 3 == 0) // now and then the subscriber comes and goes while data flows
                Unsubscribe(*comm, *client);
            if (round % 3 == 1)
                Subscribe(*comm, *client);
            in = nullptr; // the capture port closes under traffic
            out = nullptr;
        }
        // Close for good while traffic still flows.
        RCPtr<KX::LRefCountedObject> in;
        ASSERT_EQ(comm->OpenCapturePort(KX::WString(kLumoIn), in), S_OK);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        in = nullptr;
        EXPECT_EQ(comm->GetCapturePortCount(), 0u);
        traffic.Stop();
    }
    ASSERT_TRUE(miditest::WaitIdle(*comm));
    EXPECT_EQ(keyboard.input->OpenCount(), 0u);
    EXPECT_EQ(keyboard.output->OpenCount(), 0u);
    EXPECT_EQ(keyboard.Sent().size(), 2u * 60u);
    // Whatever arrived was whole.
    for (const auto& c : client->Captures()) {
        ASSERT_FALSE(c.bytes.empty());
        if (c.bytes[0] == 0xF0) {
            EXPECT_EQ(c.bytes.back(), 0xF7);
            EXPECT_EQ(c.bytes, MakeSysEx(c.bytes.size(), static_cast<uint8_t>(c.bytes[1] - 1)));
        }
    }
    Unsubscribe(*comm, *client);
}

TEST(MidiPortDelivery, TheLastHolderMayLetGoWhileTrafficFlows)
{
    const uint32_t threads = platform::posix::CountThreadObjects();
    {
        Keyboard keyboard;
        RCPtr<KX::LRefCountedObject> in;
        {
            auto comm = miditest::MakeComm();
            ASSERT_EQ(comm->OpenCapturePort(KX::WString(kLumoIn), in), S_OK);
        }
        Traffic traffic(*keyboard.input);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        in = nullptr; // the port closes under traffic
        EXPECT_EQ(keyboard.input->OpenCount(), 0u);
        traffic.Stop();
    }
    // Deliveries still queued hold the port object; once they are through, it ends with its
    // pool (usually on the pool's worker), and nothing keeps it or its threads.
    EXPECT_TRUE(kxtest::WaitForThreadsBack(threads));
}

TEST(MidiPortDelivery, PortsOpenedAndReleasedFromSeveralThreadsStayUsable)
{
    Keyboard keyboard;
    auto comm = miditest::MakeComm();
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 1000 && failures.load() == 0; ++i) {
                RCPtr<KX::LRefCountedObject> out;
                if (comm->OpenRenderPort(KX::WString(kLumoOut), out) != S_OK) {
                    ++failures;
                    continue;
                }
                // A port that left the list while held would never see its long message done.
                if (comm->Send(out, Bytes{0xF0, 0x11, 0xF7}) != 3)
                    ++failures;
            }
        });
    for (auto& t : threads)
        t.join();
    EXPECT_EQ(failures.load(), 0);
    EXPECT_EQ(comm->GetRenderPortCount(), 0u);
    EXPECT_EQ(keyboard.output->OpenCount(), 0u);
}

// A port object that tells which thread destroyed it.
class ObservedComm : public KX::LMidiComm {
public:
    explicit ObservedComm(std::atomic<std::thread::id>* destroyedOn) : m_destroyedOn(destroyedOn) {}
    ~ObservedComm() override { m_destroyedOn->store(std::this_thread::get_id()); }

private:
    std::atomic<std::thread::id>* m_destroyedOn;
};

// The subscriber drops its registration on the worker after every other holder has gone, so
// the running work holds the last reference: the port object and its pool end on that worker.
TEST(MidiPortDelivery, ThePortObjectMayEndOnItsOwnWorker)
{
    const uint32_t threads = platform::posix::CountThreadObjects();
    std::atomic<std::thread::id> destroyedOn{};
    std::atomic<std::thread::id> deliveredOn{};
    std::atomic<bool> portGone{false};
    {
        Keyboard keyboard;
        auto client = CaptureClient::Create();
        RCPtr<KX::LRefCountedObject> in;
        {
            RCPtr<KX::LMidiComm> comm(new ObservedComm(&destroyedOn));
            Subscribe(*comm, *client);
            ASSERT_EQ(comm->OpenCapturePort(KX::WString(kLumoIn), in), S_OK);
        }
        client->onReceive = [&](CaptureClient& self, const RCPtr<KX::LNotificationDistributor>& from,
                                const RCPtr<KX::LNotification>&) {
            for (int i = 0; i < 20000 && !portGone.load(); ++i)
                KX::Sleep(1);
            self.UnregisterForNotification(from, KX::NID_MIDI_DATA_CAPTURED); // under the worker's lock
            deliveredOn.store(std::this_thread::get_id());
        };
        keyboard.input->InjectShort(0x643C90);
        in = nullptr; // the port closes; the registration and the work hold the port object
        portGone.store(true);
        for (int i = 0; i < 20000 && destroyedOn.load() == std::thread::id(); ++i)
            KX::Sleep(1);
        client->onReceive = nullptr;
    }
    ASSERT_NE(destroyedOn.load(), std::thread::id());
    EXPECT_EQ(destroyedOn.load(), deliveredOn.load());
    EXPECT_TRUE(kxtest::WaitForThreadsBack(threads));
}

} // namespace
