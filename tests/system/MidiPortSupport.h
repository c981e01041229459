#pragma once
// Test side of the MIDI port classes: a loopback keyboard with the Lumo 25's two ports, and a
// client that records every "NID_MIDI_DATA_CAPTURED" it receives.
#include "kx/MidiComm.h"
#include "kx/Notifications.h"
#include "kx/Thread.h"

#include "MidiCapture.h"
#include "platform/midi/LoopbackMidiBackend.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <thread>
#include <vector>

namespace miditest {

inline const char16_t* const kLumoIn = u"MIDIIN4 (Lumo 25)";
inline const char16_t* const kLumoOut = u"MIDIOUT4 (Lumo 25)";

inline std::string Narrow(const KX::WString& text)
{
    return std::string(text.ToNarrow().GetString());
}

// Loopback devices installed as the process's MIDI backend for the test's scope.
class Keyboard {
public:
    explicit Keyboard(const char* inName = "MIDIIN4 (Lumo 25)", const char* outName = "MIDIOUT4 (Lumo 25)")
        : backend(std::make_shared<platform::midi::LoopbackMidiBackend>()), scope(backend)
    {
        if (inName)
            input = backend->AddInput(inName);
        if (outName)
            output = backend->AddOutput(outName, [this](std::span<const uint8_t> bytes) {
                std::lock_guard lock(m_mutex);
                m_sent.emplace_back(bytes.begin(), bytes.end());
            });
    }

    std::vector<Bytes> Sent()
    {
        std::lock_guard lock(m_mutex);
        return m_sent;
    }

    std::shared_ptr<platform::midi::LoopbackMidiBackend> backend;
    platform::midi::ScopedMidiBackend scope;
    std::shared_ptr<platform::midi::LoopbackInputDevice> input;
    std::shared_ptr<platform::midi::LoopbackOutputDevice> output;

private:
    std::mutex m_mutex;
    std::vector<Bytes> m_sent;
};

struct Captured {
    Bytes bytes;
    std::string port;
    uint32_t timestamp = 0;
    std::thread::id thread;
    const KX::LNotificationDistributor* from = nullptr;
};

// Records each captured message with the thread it came on.
class CaptureClient : public KX::LNotificationClient {
public:
    static KX::RCPtr<CaptureClient> Create() { return KX::RCPtr<CaptureClient>(new CaptureClient()); }

    KX::KXRESULT Receive(const KX::RCPtr<KX::LNotificationDistributor>& from,
                         const KX::RCPtr<KX::LNotification>& n) override
    {
        auto data = KX::ConstRCPtr<KX::LMidiCaptureNotificationData>::DynamicCast(n->GetPayload());
        Captured c;
        if (data) {
            c.bytes.assign(data->GetData(), data->GetData() + data->GetCount());
            c.port = Narrow(data->GetPortName());
            c.timestamp = data->GetTimestamp();
        }
        c.thread = std::this_thread::get_id();
        c.from = from.Get();
        {
            std::lock_guard lock(m_mutex);
            m_captured.push_back(std::move(c));
        }
        m_changed.notify_all();
        if (onReceive)
            onReceive(*this, from, n);
        return KX::S_OK;
    }

    // Waits (up to 20 s) until at least count messages have come.
    bool WaitFor(size_t count)
    {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, std::chrono::seconds(20), [&] { return m_captured.size() >= count; });
    }

    // Waits (up to 20 s) until done(captures so far) holds.
    template <class F>
    bool WaitUntil(F done)
    {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, std::chrono::seconds(20), [&] { return done(m_captured); });
    }

    std::vector<Captured> Captures()
    {
        std::lock_guard lock(m_mutex);
        return m_captured;
    }

    std::function<void(CaptureClient&, const KX::RCPtr<KX::LNotificationDistributor>&,
                       const KX::RCPtr<KX::LNotification>&)>
        onReceive;

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<Captured> m_captured;
};

// Waits (up to 20 s) until the port object's pool has nothing queued or running.
inline bool WaitIdle(KX::LMidiComm& comm)
{
    const KX::RCPtr<KX::LThreadPool>& pool = comm.GetThreadPool();
    for (int i = 0; i < 20000; ++i) {
        if (!pool ||
            (pool->GetQueuedCount() == 0 && !pool->GetWorker(0).IsBusy() && !pool->GetQueueThreader().IsBusy()))
            return true;
        KX::Sleep(1);
    }
    return false;
}

inline KX::RCPtr<KX::LMidiComm> MakeComm()
{
    return KX::RCPtr<KX::LMidiComm>::DynamicCast(KX::LMidiCommInterface::Create());
}

} // namespace miditest
