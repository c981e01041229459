#pragma once
// The MIDI port service over the platform's MIDI backend (platform::midi::CurrentMidiBackend()).
//
// Threads: open and send run on their callers' threads; the device callbacks hand each captured
// message to the thread pool under the lock and never wait for subscribers; the pool's one
// worker sends "NID_MIDI_DATA_CAPTURED". Locks: the port object's lock, then the pool's lock.
// A platform device is never stopped or closed while the port object's lock is held (closing
// waits for a running callback, which takes that lock).
#include "kx/MidiCaptureNotificationData.h"
#include "kx/MidiCapturePort.h"
#include "kx/MidiCommInterface.h"
#include "kx/MidiRenderPort.h"
#include "kx/Mutex.h"
#include "kx/RCPtrArray.h"
#include "kx/ThreadPool.h"
#include "kx/ThreadWorker.h"

#include <cstdint>

namespace platform::midi {
class MidiInput;
class MidiOutput;
struct MidiInputEvent;
struct MidiOutputEvent;
} // namespace platform::midi

namespace KX {

class LMidiComm : public LMidiCommInterface, public LThreadWorker {
public:
    // How long a long message may take before Send gives up.
    static constexpr uint32_t kLongMessageTimeoutMs = 10000;

    LMidiComm();
    ~LMidiComm() override;

    KXRESULT OpenCapturePort(const StringT<char16_t, char>& name, RCPtr<LRefCountedObject>& port) override;
    KXRESULT OpenRenderPort(const StringT<char16_t, char>& name, RCPtr<LRefCountedObject>& port) override;
    int32_t Send(const RCPtr<LRefCountedObject>& port, const IArray<signed char>& bytes) override;
    using LMidiCommInterface::Send;

    // Sends "NID_MIDI_DATA_CAPTURED" with params as payload; the distribution's result.
    KXRESULT Work(const RCPtr<LRefCountedObject>& params) override;
    // The worker's display name; a shared text, so handing work to the pool does not allocate.
    StringT<char16_t, char> ToString() const override;

    uint32_t GetCapturePortCount();
    uint32_t GetRenderPortCount();
    const RCPtr<LThreadPool>& GetThreadPool() const noexcept { return m_threadPool; }

private:
    friend class LMidiCapturePort;
    friend class LMidiRenderPort;

    // Device callbacks; they run on the devices' threads.
    void OnInput(platform::midi::MidiInput& input, const platform::midi::MidiInputEvent& event);
    void OnOutput(platform::midi::MidiOutput& output, const platform::midi::MidiOutputEvent& event);

    // Takes a port out of its list when nobody else holds it; S_OK when it left.
    KXRESULT RemoveCapturePort(LMidiCapturePort* port);
    KXRESULT RemoveRenderPort(LMidiRenderPort* port);
    // Hands a captured message to the pool, under the lock.
    void Deliver(const RCPtr<LMidiCaptureNotificationData>& data);

    // References in both lists count as internal references of the ports.
    RCPtrArray<LMidiCapturePort, 1, 0> m_capturePorts;
    RCPtrArray<LMidiRenderPort, 1, 0> m_renderPorts;
    RCPtr<LThreadPool> m_threadPool;
    // Guards both lists and every callback.
    Mutex m_lock;
};

} // namespace KX
