#pragma once
// The editor's conversation with the keyboard over its own MIDI ports: get and send
// presets, read and write the global parameters, check the firmware version.
//
// Threads: the operations run on the caller's thread (the main thread) and block it
// while they wait for replies; replies are handled on the port object's worker thread
// (OnMidiDataCaptured), which hands preset values to the engine. A reply is taken only
// while an operation waits for it: the first preset dump while a get waits; a global
// parameter reply while a request for that parameter waits, announced on the caller's
// thread when the wait ends (so the listeners registered at this manager are told on the
// thread that registers them). A reply that comes later, or that nobody asked for, is
// dropped. The two threads meet in the three events, the dump flag, the awaited code with
// the replies taken for it (under one small lock, never held while calling out) and the
// atomics that name the current port object. The manager registers at a port object
// before its ports open and leaves it only after its ports have closed and its worker
// has delivered everything captured, so no registration changes while it sends.
#include "engine/ParamValueStore.h"
#include "engine/SysExProtocol.h"

#include "kx/Event.h"
#include "kx/KXResult.h"
#include "kx/MidiCommInterface.h"
#include "kx/Mutex.h"
#include "kx/NotificationClient.h"
#include "kx/NotificationDistributor.h"
#include "kx/NotificationHandler.h"
#include "kx/StringT.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <vector>

namespace KX {

// The payload of "NID_MIDIMANAGER_PARAMETER_RECIEVED": one global parameter's name and value.
class LMidiParameterNotification : public LRefCountedObject {
public:
    LMidiParameterNotification(const StringT<char16_t, char>& name, int32_t value) : m_name(name), m_value(value) {}

    const StringT<char16_t, char>& GetName() const noexcept { return m_name; }
    int32_t GetValue() const noexcept { return m_value; }

private:
    StringT<char16_t, char> m_name;
    int32_t m_value;
};

class LMidiManager : public virtual LNotificationClient, public virtual LNotificationDistributor {
public:
    // The keyboard's ports.
    static constexpr const char16_t* kCapturePortName = u"MIDIIN4 (Lumo 25)";
    static constexpr const char16_t* kRenderPortName = u"MIDIOUT4 (Lumo 25)";

    // Results of the operations.
    static constexpr int32_t kPortFailure = -1;
    static constexpr int32_t kFirmwareFailure = -2;
    static constexpr int32_t kNoReply = -3;

    // The conversation's timing. Tests shorten it; the product keeps the defaults.
    struct Timings {
        uint32_t replyWaitMs = 500; // one wait for a reply
        int32_t attempts = 10;      // requests sent before giving up
        uint32_t pauseMs = 10;      // after each message handed to the port
    };

    static RCPtr<LMidiManager> Create();
    static RCPtr<LMidiManager> Create(const Timings& timings);

    // The 16 global parameter names in code order.
    static void BuildNonPresetParameterNames(StringArrayT<char16_t, char>& names);

    // Sends the model's 83 values to slot n (its low byte goes on the wire). The send's
    // result (not negative) on success; -1 port failure or values that cannot be sent;
    // -2 firmware.
    virtual int32_t SendPresetToMidiDevice(int32_t slot);
    // Retrieves slot n into the model: 0, -1, -2 or -3.
    virtual int32_t GetPresetFromMidiDevice(int32_t slot);
    // The send's result; -1 port failure, -2 firmware, E_INVALIDARG for a name outside the
    // table or a value the keyboard does not accept (nothing is sent).
    virtual int32_t SetNonPresetParameterOnDevice(const StringT<char16_t, char>& name, int32_t value,
                                                  bool skipFirmwareCheck);
    // 0 when the reply came (its value is announced), -2, -3, E_FAIL (no ports) or -1.
    virtual int32_t RequestNonPresetParameterFromDevice(const StringT<char16_t, char>& name, bool skipFirmwareCheck);
    virtual bool OpenPorts();
    virtual bool IsDeviceFirmwareVersionUseable();
    // Sends the identity request: the send's result; E_FAIL for a null port.
    virtual int32_t SendShortSysEx(const RCPtr<LRefCountedObject>& renderPort);
    // Re-creates the port object and opens both ports; true when both are open.
    virtual bool SubscribeToCapturedData(const StringT<char16_t, char>& captureName,
                                         const StringT<char16_t, char>& renderName);

    // Notification client.
    KXRESULT Receive(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n) override;
    KXRESULT UnregisterForNotification(const RCPtr<LNotificationDistributor>& d, const char16_t* name) override;
    KXRESULT ReleaseInternalReferences() override;

    // The captured-data handler (port object's worker thread). Always 1.
    KXRESULT OnMidiDataCaptured(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n);

    // The current port object (may be null).
    RCPtr<LMidiCommInterface> GetPortObject();
    const Timings& GetTimings() const noexcept { return m_timings; }

protected:
    explicit LMidiManager(const Timings& timings);
    ~LMidiManager() override;

    // Makes the port service for each operation; tests put a double of it here.
    virtual RCPtr<LMidiCommInterface> CreatePortObject();

    // The ports an operation works on, held for its whole run.
    struct Ports {
        RCPtr<LMidiCommInterface> portObject;
        RCPtr<LRefCountedObject> capture;
        RCPtr<LRefCountedObject> render;
    };

    Ports CurrentPorts();
    // The send step: the lead-in first (unless withLeadIn is false), framing, hand-over in
    // pieces of at most 256 bytes with a pause after each. The last hand-over's result;
    // E_FAIL for a message that cannot be framed (empty, a lone F0 or F7); -1 for any
    // other failure (no port, a refused hand-over).
    int32_t SendSysEx(const SysEx::Bytes& message, const Ports& ports, bool withLeadIn);
    // Binds the captured-data handler at the port object; the handler map's result.
    virtual KXRESULT Bind(const RCPtr<LMidiCommInterface>& portObject);

private:
    enum class SendFailure {
        EndsLoop, // the wait loop ends at once with -1
        NextAttempt,
    };
    // Ends the binding (replies are no longer handled); E_FAIL when there was none. The
    // registration at the port object stays until the port object is retired.
    KXRESULT Unbind(const RCPtr<LMidiCommInterface>& portObject);
    // Lets go of the current port object: ports closed, captured data delivered, then the
    // registration dropped and the port object released.
    void RetirePorts();
    // Waits until the port object's worker has delivered everything queued so far.
    static void WaitForDeliveries(const RCPtr<LMidiCommInterface>& portObject);
    // A request for the global parameter with this code starts waiting (-1, a name outside
    // the table: no reply answers it).
    void BeginParameterWait(int32_t code);
    // Ends the wait: nothing is taken afterwards. Returns the replies taken for it when it
    // was answered (a time-out drops them).
    std::vector<SysEx::GlobalReplyData> EndParameterWait(bool answered);
    // Tells the listeners of these values (caller's thread).
    void Announce(const std::vector<SysEx::GlobalReplyData>& received);
    // The shared request/reply loop. identity: the message is the identity request sent
    // through SendShortSysEx.
    int32_t WaitLoop(Event& event, const SysEx::Bytes& message, bool identity, const Ports& ports,
                     SendFailure onFailure, int32_t timeoutResult, const char* method, int bindLine, int unbindLine);

    void ApplyPresetDump(const uint8_t* records);

    RCPtr<LNotificationHandler<LMidiManager>> m_handler;
    // Main thread only: the port object and the ports held open for it.
    Ports m_ports;
    TrafficLight m_dumpEvent;
    TrafficLight m_parameterEvent;
    TrafficLight m_identityEvent;

    // Read by the worker thread: which port object is current, and at which one the
    // captured-data handler is bound (compared, never followed).
    std::atomic<const LNotificationDistributor*> m_currentPort{nullptr};
    std::atomic<const LNotificationDistributor*> m_boundPort{nullptr};
    // Set while a get waits for its dump; the worker takes it when it applies one.
    std::atomic<bool> m_dumpAwaited{false};
    // The code a global request waits for, and the replies taken for it on the worker,
    // announced on the caller's thread.
    static constexpr int32_t kNothingAwaited = -2;
    std::mutex m_receivedLock;
    int32_t m_awaitedCode = kNothingAwaited;
    std::vector<SysEx::GlobalReplyData> m_received;

    Timings m_timings;
};

} // namespace KX
