#include "engine/DeviceCommunicationInterface.h"

#include "kx/Event.h"
#include "kx/Mutex.h"
#include "kx/RCPtrQueue.h"
#include "kx/Thread.h"
#include "kx/Wrappers.h"

#include <algorithm>
#include <atomic>
#include <new>

using ValueList = KX::LWrapper<KX::ParamValues, KX::LRefCountedObject>;

// What the library's callback and the delivery thread reach through the object.
struct LDeviceCommunicationState {
    explicit LDeviceCommunicationState(LDeviceCommunicationInterface* o, const KX::WString& path)
        : queue(&queueLock, 256), owner(o), libraryPath(path)
    {
    }

    KX::Mutex stateLock; // guards the device id; never held while calling out
    KX::RCPtr<KX::LEventGatedThreader> threader;
    KX::RCPtr<KX::LEvent> gate;
    KX::Mutex queueLock;
    KX::RCPtrQueue<ValueList, 256> queue;
    KX::Mutex deliveryLock; // held while the receiver is called (drain or echo)
    KX::RCPtr<LDeviceCommunicationThreadWorker> worker;
    std::atomic<KX::DeviceControlClientInterface*> client{nullptr};
    KX::Variant deviceId;
    std::atomic<bool> deliveryOn{false};
    std::atomic<DeviceCommunicationReceiver*> receiver{nullptr};
    LDeviceCommunicationInterface* owner;
    KX::WString libraryPath;
};

namespace {

constexpr KX::KXRESULT kNoClient = KX::DeviceControlClientInterface::kMissing;
constexpr uint32_t kSearchStepMs = 250;

// Maker and product names, by device index.
constexpr const char16_t* kMakerNames[] = {u"Tarvel"};
constexpr const char16_t* kProductNames[] = {u"Lumo 25 Preset Editor"};

bool IsNeverSent(int32_t id)
{
    return id >= -242 && id <= -240;
}

// The items of a list Variant into devices; devices is emptied when v is no list.
void ListToDevices(const KX::Variant& v, KX::IArray<KX::Variant>& devices)
{
    devices.RemoveAll();
    if (v.GetType() != KX::Variant::TypeList)
        return;
    const uint32_t n = v.GetListCount();
    for (uint32_t i = 0; i < n; ++i) {
        KX::Variant item;
        v.GetListItem(i, item);
        devices.AddItem(item);
    }
}

} // namespace

KX::RCPtr<LDeviceCommunicationInterface> LDeviceCommunicationInterface::Create(const KX::WString& libraryPath)
{
    return KX::RCPtr<LDeviceCommunicationInterface>(new LDeviceCommunicationInterface(libraryPath));
}

LDeviceCommunicationInterface::LDeviceCommunicationInterface(const KX::WString& libraryPath)
    : m_state(new LDeviceCommunicationState(this, libraryPath))
{
    m_state->worker = KX::RCPtr<LDeviceCommunicationThreadWorker>(new LDeviceCommunicationThreadWorker());
    m_state->gate = KX::LEvent::Create(1);
    {
        KX::RCPtr<KX::LRefCountedObject> self(this);
        m_state->threader =
            KX::LEventGatedThreader::Create(m_state->gate, m_state->worker, self, KX::THREAD_PRIORITY_NORMAL);
    }
    // The threader's reference to this object is an internal one: the last outside release
    // stops the thread (ReleaseInternalReferences). Counted only now, so that dropping the
    // temporary reference above cannot look like that last release.
    AddToRefCount(1);
}

LDeviceCommunicationInterface::~LDeviceCommunicationInterface()
{
    SetDeliveryEnabled(false);
    if (KX::DeviceControlClientInterface* client = m_state->client.exchange(nullptr)) {
        client->DisconnectDevice(CopyDeviceId());
        // No callback runs after the disconnect; the library is released and unloaded.
        delete client;
    }
    m_state->receiver.store(nullptr);
    delete m_state;
}

KX::KXRESULT LDeviceCommunicationInterface::ReleaseInternalReferences()
{
    KX::RCPtr<KX::LEventGatedThreader> threader;
    {
        KX::MutexLock lock(m_state->stateLock);
        threader = std::move(m_state->threader);
    }
    if (threader) {
        // Waits for the thread unless this runs on it; the thread then keeps its reference
        // to this object until it has ended.
        threader = nullptr;
        AddToRefCount(-1);
    }
    return (GetInternalRefCount() == 0 && GetRefCount() == 1) ? KX::S_OK : KX::E_FAIL;
}

KX::KXRESULT LDeviceCommunicationInterface::CreateClient()
{
    if (m_state->client.load())
        return KX::S_FALSE;
    KX::DeviceControlClientInterface* client = nullptr;
    try {
        client = new KX::DeviceControlClientInterface(m_state->libraryPath);
    } catch (const std::bad_alloc&) {
        return KX::E_FAIL;
    }
    KX::DeviceControlClientInterface* expected = nullptr;
    if (!m_state->client.compare_exchange_strong(expected, client)) {
        delete client;
        return KX::S_FALSE;
    }
    return KX::S_OK;
}

bool LDeviceCommunicationInterface::IsOnline()
{
    return true;
}

bool LDeviceCommunicationInterface::EchoConnectionValue(int64_t value)
{
    if (!m_state->receiver.load())
        return false;
    bool online = false;
    KX::ParamValues echo;
    {
        KX::MutexLock lock(m_state->stateLock);
        online = IsOnline();
        const KX::Variant parts[2] = {KX::MakeInt64Variant(value), KX::MakeBoolVariant(online)};
        KX::Variant pair;
        pair.SetList(parts, 2);
        const KX::ParamValue entry(KX::ParamDescriptor(kParamIdEcho), pair);
        echo = KX::ParamValues(&entry, 1);
    }
    // The receiver is called without the state lock (it takes its own locks, which come
    // first), under the delivery lock like every delivery, so that switching delivery off
    // or replacing the receiver waits for it.
    KX::MutexLock delivery(m_state->deliveryLock);
    DeviceCommunicationReceiver* receiver = m_state->receiver.load();
    if (!receiver)
        return false;
    receiver->ReceiveParamValues(echo);
    return online;
}

void LDeviceCommunicationInterface::Synchronize()
{
    KX::MutexLock lock(m_state->stateLock);
}

void LDeviceCommunicationInterface::Activate() {}

KX::KXRESULT LDeviceCommunicationInterface::FindDevices(const KX::Array<ZVDI_GUID>&, KX::IArray<KX::Variant>& devices)
{
    devices.RemoveAll();
    devices.AddItem(KX::Variant());
    return KX::S_OK;
}

KX::KXRESULT LDeviceCommunicationInterface::WaitForRemoteDeviceListChange(const KX::Array<ZVDI_GUID>& filter,
                                                                          KX::IArray<KX::Variant>& devices,
                                                                          uint32_t limitMs, KX::Event* stop)
{
    KX::Array<KX::Variant> before;
    for (uint32_t i = 0; i < devices.GetCount(); ++i)
        before.AddItem(devices.GetData()[i]);
    uint32_t elapsed = 0;
    for (;;) {
        KX::DeviceControlClientInterface* client = Client();
        KX::Variant result;
        const int32_t hr =
            client ? client->FindRemoteDevices(filter, result, KX::DeviceControl::kQuickSearch) : kNoClient;
        if (hr < 0)
            return KX::E_FAIL;
        ListToDevices(result, devices);
        if (!SameDevices(devices, before))
            return KX::S_OK;
        if (elapsed >= limitMs)
            return KX::S_FALSE;
        const uint32_t step = std::min(kSearchStepMs, limitMs - elapsed);
        if (!stop)
            KX::Sleep(step);
        else if (stop->Wait(step) == KX::WAIT_OBJECT_0)
            return KX::S_FALSE;
        elapsed += step;
    }
}

KX::KXRESULT LDeviceCommunicationInterface::FindRemoteDevices(const KX::Array<ZVDI_GUID>& filter,
                                                              KX::IArray<KX::Variant>& devices)
{
    KX::DeviceControlClientInterface* client = Client();
    if (!client)
        return kNoClient;
    KX::Variant result;
    const int32_t hr = client->FindRemoteDevices(filter, result, KX::DeviceControl::kFullSearch);
    if (hr >= 0)
        ListToDevices(result, devices);
    return hr;
}

KX::KXRESULT LDeviceCommunicationInterface::ConnectDevice(const KX::Variant& deviceId)
{
    {
        KX::MutexLock lock(m_state->stateLock);
        m_state->deviceId = deviceId;
    }
    KX::DeviceControlClientInterface* client = Client();
    if (!client)
        return kNoClient;
    return client->ConnectDevice(deviceId, &LDeviceCommunicationInterface::OnParamValues, this);
}

KX::KXRESULT LDeviceCommunicationInterface::RequestParamRanges(const KX::ParamDescriptors& descriptors)
{
    KX::DeviceControlClientInterface* client = Client();
    return client ? client->RequestParamRanges(CopyDeviceId(), descriptors) : kNoClient;
}

KX::KXRESULT LDeviceCommunicationInterface::RequestParamValues(const KX::ParamDescriptors& descriptors)
{
    KX::DeviceControlClientInterface* client = Client();
    return client ? client->RequestParamValues(CopyDeviceId(), descriptors) : kNoClient;
}

KX::KXRESULT LDeviceCommunicationInterface::RequestParamValue(const KX::ParamDescriptor& descriptor)
{
    KX::DeviceControlClientInterface* client = Client();
    return client ? client->RequestParamValues(CopyDeviceId(), descriptor) : kNoClient;
}

KX::KXRESULT LDeviceCommunicationInterface::GetParamRanges(const KX::Variant& descriptors, KX::Variant& ranges)
{
    KX::DeviceControlClientInterface* client = Client();
    return client ? client->GetParamRanges(CopyDeviceId(), descriptors, ranges) : kNoClient;
}

KX::KXRESULT LDeviceCommunicationInterface::GetParamValues(const KX::Variant& descriptors, KX::Variant& values)
{
    KX::DeviceControlClientInterface* client = Client();
    return client ? client->GetParamValues(CopyDeviceId(), descriptors, values) : kNoClient;
}

KX::KXRESULT LDeviceCommunicationInterface::GetParamValue(const KX::ParamDescriptor& descriptor, KX::Variant& value)
{
    if (KX::DeviceControlClientInterface* client = Client())
        return client->GetParamValue(CopyDeviceId(), descriptor, value);
    switch (descriptor.id) {
    case kParamIdDeviceReady: value = KX::MakeBoolVariant(IsOnline()); return KX::S_OK;
    case kParamIdStatusText: return GetStatusText(value);
    case kParamIdMakerName:
    case kParamIdProductName: {
        int32_t index = 0;
        GetDeviceIndex(index);
        const char16_t* text = descriptor.id == kParamIdMakerName ? kMakerNames[index] : kProductNames[index];
        value.SetString(KX::WString(text).ToNarrow().GetString());
        return KX::S_OK;
    }
    default: return KX::E_FAIL;
    }
}

KX::KXRESULT LDeviceCommunicationInterface::SetParamValue(const KX::ParamDescriptor& descriptor,
                                                          const KX::Variant& value)
{
    if (!m_state->receiver.load())
        return KX::E_FAIL;
    if (descriptor.id == kParamIdEcho)
        return EchoConnectionValue(value.ToInt64()) ? KX::S_OK : KX::S_FALSE;
    if (IsNeverSent(descriptor.id))
        return KX::E_FAIL;
    if (KX::DeviceControlClientInterface* client = Client())
        return client->SetParamValue(CopyDeviceId(), descriptor, value);
    if (descriptor.id == kParamIdStatusText)
        return SetStatusText(value);
    return KX::E_FAIL;
}

KX::KXRESULT LDeviceCommunicationInterface::SetParamValues(const KX::ParamValues& values)
{
    KX::DeviceControlClientInterface* client = Client();
    return client ? client->SetParamValues(CopyDeviceId(), values) : kNoClient;
}

bool LDeviceCommunicationInterface::IsDeviceConnected()
{
    return true;
}

KX::KXRESULT LDeviceCommunicationInterface::SelectDevice(const KX::Variant& deviceId)
{
    {
        KX::MutexLock lock(m_state->stateLock);
        m_state->deviceId = deviceId;
    }
    return IsDeviceConnected() ? KX::S_OK : kNotConnected;
}

KX::KXRESULT LDeviceCommunicationInterface::DisconnectDevice()
{
    KX::DeviceControlClientInterface* client = Client();
    return client ? client->DisconnectDevice(CopyDeviceId()) : kNoClient;
}

KX::KXRESULT LDeviceCommunicationInterface::GetDeviceInfo(const KX::Variant& deviceId, uint8_t* record)
{
    KX::DeviceControlClientInterface* client = Client();
    return client ? client->GetDeviceInfo(deviceId, record) : kNoClient;
}

KX::KXRESULT LDeviceCommunicationInterface::GetStatusText(KX::Variant& text)
{
    KX::DeviceControlClientInterface* client = Client();
    return client ? client->GetParamValue(CopyDeviceId(), KX::ParamDescriptor(kParamIdStatusText), text) : kNoClient;
}

KX::KXRESULT LDeviceCommunicationInterface::SetStatusText(const KX::Variant& text)
{
    KX::DeviceControlClientInterface* client = Client();
    return client ? client->SetParamValue(CopyDeviceId(), KX::ParamDescriptor(kParamIdStatusText), text) : kNoClient;
}

KX::KXRESULT LDeviceCommunicationInterface::GetDeviceIndex(int32_t& index)
{
    index = 0;
    return KX::S_OK;
}

void LDeviceCommunicationInterface::SetReceiver(DeviceCommunicationReceiver* receiver)
{
    // Waits for a delivery or echo in progress: the old receiver is not called afterwards.
    KX::MutexLock lock(m_state->deliveryLock);
    m_state->receiver.store(receiver);
}

DeviceCommunicationReceiver* LDeviceCommunicationInterface::GetReceiver() const
{
    return m_state->receiver.load();
}

void LDeviceCommunicationInterface::SetDeliveryEnabled(bool enabled)
{
    m_state->deliveryOn.store(enabled);
    if (!enabled) {
        // Returns once a drain that is running has finished.
        KX::MutexLock lock(m_state->deliveryLock);
    }
}

void LDeviceCommunicationInterface::OnParamValues(void* context, const KX::Variant*, const KX::Variant* values)
{
    auto* self = static_cast<LDeviceCommunicationInterface*>(context);
    if (!self || !values)
        return;
    try {
        KX::RCPtr<ValueList> copy(new ValueList(KX::ParamValues(*values)));
        self->m_state->queue.Enqueue(copy);
        self->m_state->gate->Set();
    } catch (...) {
        // Nothing may leave into the library's thread; a list that cannot be copied is lost.
    }
}

void LDeviceCommunicationInterface::DeliverQueuedValues()
{
    LDeviceCommunicationState& s = *m_state;
    KX::MutexLock lock(s.deliveryLock);
    while (s.queue.GetCount() > 0) {
        const KX::RCPtr<ValueList> values = s.queue.Dequeue();
        DeviceCommunicationReceiver* receiver = s.receiver.load();
        if (!values || !s.deliveryOn.load() || !receiver)
            continue;
        try {
            receiver->ReceiveParamValues(*values);
        } catch (...) {
            // A receiver's failure costs this list only; the later ones still arrive.
        }
    }
}

bool LDeviceCommunicationInterface::IsLibraryLoaded() const
{
    KX::DeviceControlClientInterface* client = Client();
    return client && client->IsLoaded();
}

KX::Thread* LDeviceCommunicationInterface::GetDeliveryThread() const
{
    KX::MutexLock lock(m_state->stateLock);
    return m_state->threader ? &m_state->threader->GetThread() : nullptr;
}

KX::Variant LDeviceCommunicationInterface::CopyDeviceId() const
{
    KX::MutexLock lock(m_state->stateLock);
    return m_state->deviceId;
}

KX::DeviceControlClientInterface* LDeviceCommunicationInterface::Client() const
{
    return m_state->client.load();
}

KX::KXRESULT LDeviceCommunicationThreadWorker::Work(const KX::RCPtr<KX::LRefCountedObject>& params)
{
    // No reference of its own: the threader's reference keeps the owner while this runs, and
    // an outside release then waits for the drain instead of leaving the teardown to this thread.
    auto* owner = dynamic_cast<LDeviceCommunicationInterface*>(params.Get());
    if (owner)
        owner->DeliverQueuedValues();
    return KX::S_OK;
}

bool SameDevices(const KX::IArray<KX::Variant>& a, const KX::IArray<KX::Variant>& b)
{
    if (a.GetCount() != b.GetCount())
        return false;
    for (uint32_t i = 0; i < a.GetCount(); ++i)
        if (!(a.GetData()[i] == b.GetData()[i]))
            return false;
    return true;
}
