#include "engine/RootModule.h"

#include "engine/ParamRecords.h"

namespace {
// Pseudo-parameters the root answers itself.
constexpr int32_t kDeviceReadyParam = -2;
constexpr int32_t kEchoParam = -4;
constexpr int32_t kStatusTextParam = -8;
} // namespace

KX::RCPtr<LRootModule> LRootModule::Create(bool offline)
{
    KX::RCPtr<LRootModule> root(new LRootModule(offline));
    root->CreateChildren();
    return root;
}

LRootModule::~LRootModule()
{
    if (m_deviceCommunication) {
        DetachFrom(*m_deviceCommunication);
        m_deviceCommunication->DisconnectDevice();
    }
    ReleaseChildLink(m_device.Get(), this);
}

void LRootModule::DetachFrom(IDeviceCommunication& communication)
{
    // Waits for a delivery in progress; afterwards nothing reaches this receiver.
    if (communication.GetReceiver() == this) {
        communication.SetDeliveryEnabled(false);
        communication.SetReceiver(nullptr);
    }
}

KX::KXRESULT LRootModule::Setup(ParamValuesCallback callback, void* context, const KX::RCPtr<IParamCache>& cache,
                                const KX::RCPtr<IDeviceCommunication>& deviceCommunication, int32_t firstId)
{
    m_callback = callback;
    m_context = context;
    m_cache = cache;
    if (m_deviceCommunication && m_deviceCommunication != deviceCommunication)
        DetachFrom(*m_deviceCommunication);
    m_deviceCommunication = deviceCommunication;

    SetFirstParamID(nullptr, firstId, 0);

    if (m_cache) {
        for (uint32_t i = 0; i < kParamCount; ++i) {
            const int32_t id = OffsetParamID(firstId, static_cast<int32_t>(i));
            if (const KX::RCPtr<LParameterizedModule> module = FindModuleForParam(id))
                m_cache->SetValue(KX::ParamDescriptor(static_cast<int32_t>(i)), module->GetParamValueDefault(id),
                                  false);
        }
    }

    if (m_deviceCommunication) {
        m_deviceCommunication->SetReceiver(this);
        m_deviceCommunication->SetDeliveryEnabled(true);
    }
    return KX::S_OK;
}

KX::KXRESULT LRootModule::ConnectDevice(const KX::Variant& device)
{
    const KX::RCPtr<IDeviceCommunication> communication = m_deviceCommunication;
    if (!communication) {
        SetOffline(true);
        return KX::E_FAIL;
    }
    communication->DisconnectDevice();
    const KX::KXRESULT result = communication->ConnectDevice(device);
    if (KX::Failed(result)) {
        SetOffline(true);
        return result;
    }
    SetOffline(false);
    communication->RequestParamRanges(KX::ParamDescriptors(GetFirstParamID(), static_cast<int32_t>(kParamCount)));
    communication->RequestParamValue(KX::ParamDescriptor(kStatusTextParam));
    return result;
}

KX::KXRESULT LRootModule::StopReceiving()
{
    if (m_deviceCommunication)
        m_deviceCommunication->SetDeliveryEnabled(false);
    return KX::S_OK;
}

KX::KXRESULT LRootModule::SetCachedParamValue(const KX::ParamDescriptor& descriptor, const KX::Variant& value)
{
    const uint32_t index = RelativeToRoot(descriptor.id);
    if (index >= kParamCount)
        return -1;
    if (value.GetType() == KX::Variant::TypeEmpty)
        return KX::S_OK;
    if (!IsValidParamRecord(static_cast<int32_t>(index), value))
        return KX::E_INVALIDARG;
    if (!m_cache)
        return KX::E_FAIL;

    const KX::ParamDescriptor slot(static_cast<int32_t>(index), descriptor.data);
    KX::Variant cached;
    m_cache->GetValue(slot, cached);
    if (cached == value)
        return KX::S_OK;
    // 0 stored, 1 unchanged; a refusal is the caller's, and nothing is reported.
    const int32_t stored = m_cache->SetValue(slot, value, true);
    if (stored < 0)
        return stored;
    if (stored == 0)
        NotifyParamValue(descriptor, value);
    return KX::S_OK;
}

KX::Variant LRootModule::GetCachedParamValue(const KX::ParamDescriptor& descriptor)
{
    KX::Variant value;
    if (!m_cache)
        return value;
    const KX::ParamDescriptor slot(static_cast<int32_t>(RelativeToRoot(descriptor.id)), descriptor.data);
    if (KX::Failed(m_cache->GetValue(slot, value)))
        value.Clear();
    return value;
}

void LRootModule::NotifyParamValue(const KX::ParamDescriptor& descriptor, const KX::Variant& value)
{
    if (!m_callback)
        return;
    // A buffer of its own per call, so that a callback that sets further values
    // cannot overwrite what it is reading.
    KX::Array<KX::ParamValue> values;
    values.AddItem(KX::ParamValue(descriptor, value));
    m_callback(m_context, values);
}

KX::RCPtr<IDeviceCommunication> LRootModule::GetDeviceCommunication()
{
    return m_deviceCommunication;
}

KX::KXRESULT LRootModule::SetParamValues(const KX::ParamDescriptor& descriptor, const KX::Variant& value)
{
    if (descriptor.id == kEchoParam) {
        // Without the lock: the echo comes back through ReceiveParamValues, which takes it.
        if (!m_deviceCommunication)
            return KX::S_FALSE;
        return m_deviceCommunication->EchoConnectionValue(value.ToInt64()) ? KX::S_OK : KX::S_FALSE;
    }
    bool send = false;
    KX::KXRESULT result = KX::S_OK;
    {
        KX::MutexLock lock(m_lock);
        result = StoreParamValue(descriptor, value, send);
        if (send)
            m_sendLock.Lock();
    }
    if (!send)
        return result;
    struct SendUnlock {
        KX::Mutex& mutex;
        ~SendUnlock() { mutex.Unlock(); }
    } unlock{m_sendLock};
    return SendParamValue(descriptor, value);
}

KX::KXRESULT LRootModule::GetParamValue(const KX::ParamDescriptor& descriptor, KX::Variant& value)
{
    if (descriptor.id < 0) {
        // The device communication's to answer, outside the model's lock.
        if (!m_deviceCommunication) {
            value.Clear();
            return KX::E_FAIL;
        }
        return m_deviceCommunication->GetParamValue(descriptor, value);
    }
    KX::MutexLock lock(m_lock);
    return IRootModule::GetParamValue(descriptor, value);
}

KX::RCPtr<IParamCache> LRootModule::GetParamCache()
{
    return m_cache;
}

void LRootModule::NotifyParamValues(const KX::IArray<KX::ParamValue>& values)
{
    if (m_callback)
        m_callback(m_context, values);
}

void LRootModule::CreateChildren()
{
    ReleaseChildLink(m_device.Get(), this);
    m_device = LDevice::Create();
}

KX::KXRESULT LRootModule::ReceiveParamValues(const KX::ParamValues& values)
{
    KX::MutexLock lock(m_lock);
    const uint32_t count = values.GetCount();
    for (uint32_t i = 0; i < count; ++i) {
        KX::ParamDescriptor descriptor;
        KX::Variant value;
        // An entry that cannot be read carries nothing to deliver.
        if (values.GetParamValueAt(i, descriptor, value) != 0)
            continue;

        KX::RCPtr<LParameterizedModule> module;
        if (descriptor.id >= 0)
            module = FindModuleForParam(descriptor.id);
        else if (ControlModuleSupport::IsModulePseudoParam(descriptor.id))
            module = FindModuleForPseudoParam(descriptor.id);
        else if (descriptor.id == kDeviceReadyParam && value.ToBool())
            PropagateConfigurationError();

        if (module)
            module->SetParamValueLocal(descriptor, value, true);
        else
            NotifyParamValue(KX::ParamDescriptor(descriptor.id), value);
    }
    return KX::S_OK;
}

KX::KXRESULT LRootModule::ReceiveDeviceNotice(int32_t, const KX::Variant&, const KX::Variant&)
{
    return KX::E_FAIL;
}
