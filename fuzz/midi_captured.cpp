// Any byte sequence as one captured MIDI message, handed to the MIDI manager's
// captured-data handler: nothing is read outside the message, values reach the model
// only as whole records of their parameters, and announced globals are in range.
#include "FakeMidiPortObject.h"
#include "engine/MidiManager.h"
#include "engine/ParamRecords.h"
#include "engine/ParamValueStore.h"

#include "kx/MidiCaptureNotificationData.h"
#include "kx/Notification.h"
#include "kx/NotificationClient.h"
#include "kx/NotificationId.h"

#include <cstdint>
#include <cstdlib>

namespace {

void Check(bool ok)
{
    if (!ok)
        std::abort();
}

// A port service without devices or threads.
using Manager = kxtest::FakeMidiPortManager;

class Model : public IParamValueStore {
public:
    int32_t GetFirstParamID() override { return 0; }
    KX::KXRESULT GetParamValues(int32_t, int32_t, KX::IArray<KX::ParamValue>&, int32_t) override { return 0; }
    KX::KXRESULT SetParamValues(const KX::ParamDescriptor& d, const KX::Variant& value) override
    {
        Check(d.id == sets);
        Check(IsValidParamRecord(d.id, value));
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
        Check(p && !p->GetName().IsEmpty() && p->GetValue() >= 0 && p->GetValue() < 16384);
        ++count;
        return 0;
    }
    int count = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    KX::RCPtr<Model> model(new Model);
    SetParamValueStore(model);
    KX::RCPtr<Manager> manager(new Manager);
    KX::RCPtr<Listener> listener(new Listener);
    listener->RegisterForNotification(KX::RCPtr<KX::LNotificationDistributor>(manager.Get()),
                                      KX::NID_MIDIMANAGER_PARAMETER_RECIEVED, 0);
    Check(manager->OpenPorts());
    const KX::RCPtr<KX::LMidiCommInterface> port = manager->GetPortObject();

    auto payload = KX::LMidiCaptureNotificationData::Create(u"MIDIIN4 (Lumo 25)", 0);
    Check(payload->AppendBytes(data, static_cast<uint32_t>(size)));
    KX::RCPtr<KX::LNotification> n;
    KX::LNotification::Create(n, KX::NID_MIDI_DATA_CAPTURED, KX::ConstRCPtr<KX::LRefCountedObject>(payload.Get()));
    // Twice through the binding, once directly: a dump is applied only once.
    manager->Receive(KX::RCPtr<KX::LNotificationDistributor>(port.Get()), n);
    manager->Receive(KX::RCPtr<KX::LNotificationDistributor>(port.Get()), n);
    Check(manager->OnMidiDataCaptured(KX::RCPtr<KX::LNotificationDistributor>(port.Get()), n) == 1);
    Check(model->sets == 0 || model->sets == 83);

    // The next operation announces what was received.
    manager->OpenPorts();
    Check(listener->count == 0 || listener->count == 3);

    listener->UnregisterFromAll();
    manager = nullptr;
    SetParamValueStore(nullptr);
    return 0;
}
