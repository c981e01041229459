#pragma once
// A MIDI port service without devices or threads, and a MIDI manager that uses it: ports open
// at once and sends return their length on the calling thread. Switches make the sends of one
// command fail, answer identity requests, answer preset requests with dumps or preset and
// global requests with given bytes, drop every binding on a request, record what was sent, and
// call a hook on each send. Header-only, for the programs that link the engine.
#include "KeyboardSimulator.h"

#include "engine/MidiManager.h"
#include "engine/SysExProtocol.h"

#include "kx/MidiCaptureNotificationData.h"
#include "kx/MidiCommInterface.h"
#include "kx/Notification.h"
#include "kx/NotificationId.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace kxtest {

class FakeMidiPortObject;

struct FakeMidiPortSwitches {
    using Bytes = std::vector<uint8_t>;

    // dropBindingOn: the identity request rather than a command byte.
    static constexpr int kIdentity = 0x100;

    int failCommand = -1;            // sends whose command byte (byte 7) is this fail; -1: none
    int32_t failResult = KX::E_FAIL; // what a failing send returns
    bool answerIdentity = false;     // an identity request is answered with firmware "1041"
    int dumpsPerRequest = 0;         // dumps of the requested slot's pattern for each preset request
    std::optional<Bytes> answer;     // the answer to every preset and global request
    int dropBindingOn = -1;          // the request (command byte or kIdentity) whose send unregisters every client
    bool recordSends = false;        // every message sent is kept in `sent`
    // Called last in each send that does not fail, on the sending thread.
    std::function<void(FakeMidiPortObject& port, const Bytes& message)> onSend;
};

class FakeMidiPort : public KX::LRefCountedObject {};

// Everything happens on the sending thread, in this order: record, fail, answers, drop, hook.
class FakeMidiPortObject : public KX::LMidiCommInterface, public FakeMidiPortSwitches {
public:
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
        const Bytes message(data, data + bytes.GetCount());
        if (recordSends)
            sent.push_back(message);
        const int command = message.size() > 7 ? message[7] : -1;
        if (failCommand >= 0 && command == failCommand)
            return failResult;
        static const uint8_t kIdentityRequest[6] = {0xF0, 0x7E, 0x7F, 0x06, 0x01, 0xF7};
        const bool identity = message.size() == 6 && std::equal(message.begin(), message.end(), kIdentityRequest);
        if (identity && answerIdentity)
            Capture(KeyboardSimulator::MakeIdentityReply("1041"));
        if (command == KX::SysEx::kPresetRequest && message.size() > 8) {
            for (int i = 0; i < dumpsPerRequest; ++i)
                Capture(KeyboardSimulator::MakeDump(message[8], KeyboardSimulator::PatternFor(message[8])));
        }
        if (answer && (command == KX::SysEx::kPresetRequest || command == KX::SysEx::kGlobalRequest))
            Capture(*answer);
        if (dropBindingOn >= 0 && dropBindingOn == (identity ? kIdentity : command))
            UnregisterAllClients();
        if (onSend)
            onSend(*this, message);
        return static_cast<int32_t>(message.size());
    }

    // Delivers bytes to the bound clients as a captured message; whether the payload took them.
    bool Capture(const Bytes& bytes)
    {
        const KX::RCPtr<KX::LNotification> n = CapturedNotification(bytes);
        if (n)
            Deliver(n);
        return n != nullptr;
    }

    // The notification a capture port sends for bytes; null when the payload refuses them. An
    // unpooled one may be kept and delivered again.
    static KX::RCPtr<KX::LNotification> CapturedNotification(const Bytes& bytes, bool pooled = true)
    {
        auto payload = KX::LMidiCaptureNotificationData::Create(u"MIDIIN4 (Lumo 25)", 0);
        if (!payload->AppendBytes(bytes.data(), static_cast<uint32_t>(bytes.size())))
            return nullptr;
        KX::RCPtr<KX::LNotification> n;
        const KX::ConstRCPtr<KX::LRefCountedObject> data(payload.Get());
        if (pooled)
            KX::LNotification::Create(n, KX::NID_MIDI_DATA_CAPTURED, data);
        else
            KX::LNotification::CreateUnpooled(n, KX::NID_MIDI_DATA_CAPTURED, data);
        return n;
    }

    // Delivers a notification made beforehand to the bound clients.
    void Deliver(const KX::RCPtr<KX::LNotification>& notification) { SendNotification(notification); }

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
