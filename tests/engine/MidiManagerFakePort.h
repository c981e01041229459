#pragma once
// A double of the MIDI port service for the MIDI manager: it answers identity requests at
// once on the sending thread, fails the sends it is told to, and can drop the manager's
// registration; and a manager over it whose handler bindings fail on demand.
#include "MidiManagerSupport.h"

namespace mmtest {

class FakePort : public KX::LRefCountedObject {};

class FakePortObject : public KX::LMidiCommInterface {
public:
    KX::KXRESULT OpenCapturePort(const KX::WString&, KX::RCPtr<KX::LRefCountedObject>& port) override
    {
        port = new FakePort;
        return KX::S_OK;
    }
    KX::KXRESULT OpenRenderPort(const KX::WString&, KX::RCPtr<KX::LRefCountedObject>& port) override
    {
        port = new FakePort;
        return KX::S_OK;
    }
    int32_t Send(const KX::RCPtr<KX::LRefCountedObject>&, const KX::IArray<signed char>& bytes) override
    {
        const auto* data = reinterpret_cast<const uint8_t*>(bytes.GetData());
        const Bytes message(data, data + bytes.GetCount());
        sent.push_back(message);
        const uint8_t command = message.size() > 7 ? message[7] : 0;
        if (failCommand >= 0 && command == failCommand)
            return failResult;
        const bool identity = message == Bytes{0xF0, 0x7E, 0x7F, 0x06, 0x01, 0xF7};
        if (identity)
            Capture(kxtest::KeyboardSimulator::MakeIdentityReply("1041"));
        if (command == 0x62) {
            for (int i = 0; i < dumpsPerRequest; ++i)
                Capture(
                    kxtest::KeyboardSimulator::MakeDump(message[8], kxtest::KeyboardSimulator::PatternFor(message[8])));
        }
        if (dropBindingOn == (identity ? kIdentity : command))
            UnregisterAllClients();
        return static_cast<int32_t>(message.size());
    }

    void Capture(const Bytes& reply)
    {
        auto payload = KX::LMidiCaptureNotificationData::Create(u"fake", 0);
        payload->AppendBytes(reply.data(), static_cast<uint32_t>(reply.size()));
        KX::RCPtr<KX::LNotification> n;
        KX::LNotification::Create(n, KX::NID_MIDI_DATA_CAPTURED, KX::ConstRCPtr<KX::LRefCountedObject>(payload.Get()));
        SendNotification(n);
    }

    // dropBindingOn: the command byte of the request whose send unregisters every client
    // (the manager then finds its binding gone); kIdentity for the identity request.
    static constexpr int kIdentity = 0x100;

    std::vector<Bytes> sent;
    int failCommand = -1;
    int32_t failResult = KX::E_FAIL;
    int dropBindingOn = -1;
    int dumpsPerRequest = 0; // dumps captured for each preset request
};

class FakePortManager : public KX::LMidiManager {
public:
    FakePortManager() : KX::LMidiManager(FastTimings(10)) {}

    KX::RCPtr<KX::LMidiCommInterface> CreatePortObject() override
    {
        last = new FakePortObject;
        last->failCommand = failCommand;
        last->failResult = failResult;
        last->dropBindingOn = dropBindingOn;
        last->dumpsPerRequest = dumpsPerRequest;
        return KX::RCPtr<KX::LMidiCommInterface>(last.Get());
    }

    // Fails the failBindAt-th binding of the captured-data handler (counting from 1).
    KX::KXRESULT Bind(const KX::RCPtr<KX::LMidiCommInterface>& portObject) override
    {
        if (++binds == failBindAt)
            return failBindResult;
        return KX::LMidiManager::Bind(portObject);
    }

    // The send step on the current ports, lead-in first.
    int32_t Send(const Bytes& message) { return SendSysEx(message, CurrentPorts(), true); }

    KX::RCPtr<FakePortObject> last;
    int failCommand = -1;
    int32_t failResult = KX::E_FAIL;
    int dropBindingOn = -1;
    int dumpsPerRequest = 0;
    int binds = 0;
    int failBindAt = -1;
    KX::KXRESULT failBindResult = KX::E_OUTOFMEMORY;
};

} // namespace mmtest
