// Any byte sequence as the keyboard's answer, handed to the MIDI manager's captured-data
// handler: nothing is read outside the message, values reach the model only as whole
// records of their parameters while a get waits for them, a global value is announced only
// to the request for its parameter, and nothing is taken when no operation waits.
#include "FakeMidiPortObject.h"
#include "engine/MidiManager.h"
#include "engine/ParamRecords.h"
#include "engine/ParamValueStore.h"
#include "engine/SysExProtocol.h"

#include "kx/Notification.h"
#include "kx/NotificationClient.h"
#include "kx/NotificationId.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

void Check(bool ok)
{
    if (!ok)
        std::abort();
}

class Model : public IParamValueStore {
public:
    int32_t GetFirstParamID() override { return 0; }
    KX::KXRESULT GetParamValues(int32_t, int32_t, KX::IArray<KX::ParamValue>&, int32_t) override { return 0; }
    KX::KXRESULT SetParamValues(const KX::ParamDescriptor& d, const KX::Variant& value) override
    {
        Check(d.id == sets % 83);
        // Whole records; the model itself refuses bytes it cannot send.
        uint32_t n = 0;
        value.GetData(n);
        Check(value.GetType() == KX::Variant::TypeBlob && n == GetParamRecordLength(d.id));
        ++sets;
        return 0;
    }
    int32_t sets = 0;
};

class Listener : public KX::LNotificationClient {
public:
    KX::KXRESULT Receive(const KX::RCPtr<KX::LNotificationDistributor>&, const KX::RCPtr<KX::LNotification>& n) override
    {
        const auto p = KX::ConstRCPtr<KX::LMidiParameterNotification>::DynamicCast(n->GetPayload());
        Check(p && p->GetName() == KX::WString(u"KEY_OCTAVE") && p->GetValue() >= 0 && p->GetValue() < 16384);
        ++count;
        return 0;
    }
    int count = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const Bytes answer(data, data + size);
    const KX::SysEx::MessageKind kind = KX::SysEx::Classify(answer.data(), answer.size());
    KX::RCPtr<Model> model(new Model);
    SetParamValueStore(model);
    // A port service without devices or threads: it answers the identity request with a usable
    // version and every preset or global request with the fuzzer's bytes, at once, on the
    // sending thread.
    KX::RCPtr<kxtest::FakeMidiPortManager> manager(new kxtest::FakeMidiPortManager(KX::LMidiManager::Timings{0, 1, 0}));
    manager->answerIdentity = true;
    manager->answer = answer;
    KX::RCPtr<Listener> listener(new Listener);
    listener->RegisterForNotification(KX::RCPtr<KX::LNotificationDistributor>(manager.Get()),
                                      KX::NID_MIDIMANAGER_PARAMETER_RECIEVED, 0);

    // A get takes a dump, once.
    const int32_t got = manager->GetPresetFromMidiDevice(1);
    const bool dump = kind == KX::SysEx::MessageKind::PresetDump;
    Check(got == (dump ? 0 : KX::LMidiManager::kNoReply));
    Check(model->sets == (dump ? 83 : 0));
    Check(listener->count == 0);

    // A request takes only a reply for its own parameter ("KEY_OCTAVE", code 5).
    const int32_t requested = manager->RequestNonPresetParameterFromDevice(u"KEY_OCTAVE", true);
    KX::SysEx::GlobalReplyData reply;
    const bool answered = KX::SysEx::ParseGlobalReply(answer.data(), answer.size(), reply) && reply.code == 5;
    Check(requested == (answered ? 0 : KX::LMidiManager::kNoReply));
    Check(listener->count == (answered ? 1 : 0));

    // With no operation waiting, the same bytes are taken by nobody.
    Check(manager->OpenPorts());
    const KX::RCPtr<KX::LMidiCommInterface> port = manager->GetPortObject();
    const KX::RCPtr<KX::LNotification> n = kxtest::FakeMidiPortObject::CapturedNotification(answer);
    Check(n != nullptr);
    manager->Receive(KX::RCPtr<KX::LNotificationDistributor>(port.Get()), n);
    Check(manager->OnMidiDataCaptured(KX::RCPtr<KX::LNotificationDistributor>(port.Get()), n) == 1);
    manager->OpenPorts();
    Check(model->sets == (dump ? 83 : 0));
    Check(listener->count == (answered ? 1 : 0));

    listener->UnregisterFromAll();
    manager = nullptr;
    SetParamValueStore(nullptr);
    return 0;
}
