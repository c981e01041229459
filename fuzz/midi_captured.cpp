// Any byte sequence as one captured MIDI message, handed to the MIDI manager's
// captured-data handler: nothing is read outside the message, values reach the model
// only as whole records of their parameters, and a global reply that no request waits
// for is never announced.
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

class Port : public KX::LRefCountedObject {};

// A port service without devices or threads.
class QuietPortObject : public KX::LMidiCommInterface {
public:
    KX::KXRESULT OpenCapturePort(const KX::WString&, KX::RCPtr<KX::LRefCountedObject>& port) override
    {
        port = new Port;
        return KX::S_OK;
    }
    KX::KXRESULT OpenRenderPort(const KX::WString&, KX::RCPtr<KX::LRefCountedObject>& port) override
    {
        port = new Port;
        return KX::S_OK;
    }
    int32_t Send(const KX::RCPtr<KX::LRefCountedObject>&, const KX::IArray<signed char>& bytes) override
    {
        return static_cast<int32_t>(bytes.GetCount());
    }
};

class Manager : public KX::LMidiManager {
public:
    Manager() : LMidiManager(Timings{0, 0, 0}) {}
    KX::RCPtr<KX::LMidiCommInterface> CreatePortObject() override { return new QuietPortObject; }
};

class Model : public IParamValueStore {
public:
    int32_t GetFirstParamID() override { return 0; }
    KX::KXRESULT GetParamValues(int32_t, int32_t, KX::IArray<KX::ParamValue>&, int32_t) override { return 0; }
    KX::KXRESULT SetParamValues(const KX::ParamDescriptor& d, const KX::Variant& value) override
    {
        Check(d.id == sets);
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

    // Nobody asked: neither now nor at the next operation is a global value announced.
    manager->OpenPorts();
    Check(listener->count == 0);

    listener->UnregisterFromAll();
    manager = nullptr;
    SetParamValueStore(nullptr);
    return 0;
}
