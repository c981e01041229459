#pragma once
// A MIDI port service without devices or threads, and a MIDI manager that uses it: ports open
// at once, sends return their length on the calling thread, and switches make the sends of one
// command fail, answer identity requests at once, drop every binding on a preset request, or
// record what was sent. Header-only, for the programs that link the engine.
#include "KeyboardSimulator.h"

#include "engine/MidiManager.h"

#include "kx/MidiCaptureNotificationData.h"
#include "kx/MidiCommInterface.h"
#include "kx/Notification.h"
#include "kx/NotificationId.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace kxtest {

struct FakeMidiPortSwitches {
    int failCommand = -1;              // sends whose command byte (byte 7) is this fail; -1: none
    int32_t failResult = KX::E_FAIL;   // what a failing send returns
    bool answerIdentity = false;       // an identity request is answered on the sending thread
    bool dropBindingOnRequest = false; // a preset request unregisters every client
    bool recordSends = false;          // every message sent is kept in `sent`
};

class FakeMidiPort : public KX::LRefCountedObject {};

class FakeMidiPortObject : public KX::LMidiCommInterface, public FakeMidiPortSwitches {
public:
    using Bytes = std::vector<uint8_t>;

    KX::KXRESULT OpenCapturePort(const KX::WString&, KX::RCPtr<KX::LRefCountedObject>& port) override
    {
        port = new FakeMidiPort;
        return KX::S_OK;
    }
    KX::KXRESULT OpenRenderPort(const KX::WString&, KX::RCPtr<KX::LRefCountedObject>& port) override
    {
        port = new FakeMidiPort;
        return KX::S_OK;
    }
    int32_t Send(const KX::RCPtr<KX::LRefCountedObject>&, const KX::IArray<signed char>& bytes) override
    {
        const auto* data = reinterpret_cast<const uint8_t*>(bytes.GetData());
        const size_t count = bytes.GetCount();
        if (recordSends)
            sent.emplace_back(data, data + count);
        const int command = count > 7 ? data[7] : -1;
        if (failCommand >= 0 && command == failCommand)
            return failResult;
        static const uint8_t kIdentityRequest[6] = {0xF0, 0x7E, 0x7F, 0x06, 0x01, 0xF7};
        if (answerIdentity && count == 6 && std::equal(data, data + 6, kIdentityRequest))
            Capture(KeyboardSimulator::MakeIdentityReply("1041"));
        if (command == 0x62 && dropBindingOnRequest)
            UnregisterAllClients();
        return static_cast<int32_t>(count);
    }

    // Delivers bytes to the bound clients as a captured message.
    void Capture(const Bytes& reply)
    {
        auto payload = KX::LMidiCaptureNotificationData::Create(u"fake", 0);
        payload->AppendBytes(reply.data(), static_cast<uint32_t>(reply.size()));
        KX::RCPtr<KX::LNotification> n;
        KX::LNotification::Create(n, KX::NID_MIDI_DATA_CAPTURED, KX::ConstRCPtr<KX::LRefCountedObject>(payload.Get()));
        SendNotification(n);
    }

    std::vector<Bytes> sent;
};

// Each port object it makes gets the manager's switches; the last one made is kept.
class FakeMidiPortManager : public KX::LMidiManager, public FakeMidiPortSwitches {
public:
    explicit FakeMidiPortManager(const Timings& timings = Timings{0, 0, 0}) : LMidiManager(timings) {}

    KX::RCPtr<KX::LMidiCommInterface> CreatePortObject() override
    {
        last = new FakeMidiPortObject;
        static_cast<FakeMidiPortSwitches&>(*last) = *this;
        return KX::RCPtr<KX::LMidiCommInterface>(last.Get());
    }

    KX::RCPtr<FakeMidiPortObject> last;
};

} // namespace kxtest
