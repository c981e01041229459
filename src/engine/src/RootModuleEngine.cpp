#include "engine/RootModuleEngine.h"

#include "engine/ParamPair.h"
#include "engine/ParamRecords.h"

#include "kx/Exception.h"
#include "kx/Notification.h"
#include "kx/NotificationCenter.h"
#include "kx/NotificationId.h"
#include "kx/Thread.h"
#include "kx/Wrappers.h"

#include <algorithm>
#include <chrono>
#include <limits>
#include <new>

namespace {

// The lowest id a value can have: the pseudo-parameters that model modules may claim.
constexpr int64_t kLowestParamId = -256;

bool IsEmpty(const KX::Variant& v) noexcept
{
    return v.GetType() == KX::Variant::TypeEmpty;
}

void CopyDevices(const KX::IArray<KX::Variant>& from, KX::IArray<KX::Variant>& to)
{
    to.RemoveAll();
    for (uint32_t i = 0; i < from.GetCount(); ++i)
        to.AddItem(from.GetData()[i]);
}

} // namespace

// The monitor thread's worker. It holds no reference on the engine: the engine keeps
// itself alive while its loop may run (see TakeMonitorReference).
class LRootModuleEngine::MonitorWorker : public KX::LThreadWorker {
public:
    explicit MonitorWorker(LRootModuleEngine* engine) : m_engine(engine) {}

    KX::KXRESULT Work(const KX::RCPtr<KX::LRefCountedObject>& params) override { return m_engine->Work(params); }

private:
    LRootModuleEngine* m_engine;
};

KX::RCPtr<LRootModuleEngine> LRootModuleEngine::Create()
{
    return Create(Options());
}

KX::RCPtr<LRootModuleEngine> LRootModuleEngine::Create(const Options& options)
{
    return KX::RCPtr<LRootModuleEngine>(new LRootModuleEngine(options));
}

LRootModuleEngine::LRootModuleEngine(const Options& options)
    : m_options(options), m_monitorWorker(new MonitorWorker(this)),
      m_monitor(std::make_unique<KX::RetriggerableThreader>(KX::WString()))
{
}

LRootModuleEngine::~LRootModuleEngine()
{
    RequestMonitorStop();
    // No values arrive after this.
    if (m_rootModule)
        m_rootModule->StopReceiving();
    // Joins the monitor thread (idle by now), unless this runs on it.
    m_monitor.reset();
    m_rootModule = nullptr;
    m_paramCache = nullptr;
    m_deviceCommunication = nullptr;
    m_monitorWorker = nullptr;
    m_handler = nullptr;
}

KX::KXRESULT LRootModuleEngine::Initialize(int32_t firstId)
{
    if (m_handler)
        return KX::S_FALSE;
    try {
        m_handler = KX::RCPtr<KX::LNotificationHandler<LRootModuleEngine>>(
            new KX::LNotificationHandler<LRootModuleEngine>(this));
    } catch (const std::bad_alloc&) {
        return KX::E_FAIL;
    }
    const KX::KXRESULT registered = RegisterChangeRequestHandler();
    if (KX::Failed(registered))
        KX::ThrowFailedResult(registered, "LRootModuleEngine::Initialize",
                              "Engine\\PresetEditorCommon\\RootModuleEngine", 237);

    m_deviceCommunication = m_options.deviceCommunication
                                ? m_options.deviceCommunication
                                : LDeviceCommunicationInterface::Create(m_options.libraryPath);
    m_paramCache = LParamCache::Create(kParamCount);

    m_offline.store(false);
    KX::Array<KX::Variant> devices;
    if (KX::Failed(m_deviceCommunication->CreateClient()))
        m_offline.store(true);
    else
        m_deviceCommunication->FindDevices(KX::Array<ZVDI_GUID>(), devices);

    m_rootModule = LRootModule::Create(m_offline.load());
    m_rootModule->Setup(&LRootModuleEngine::ParamValuesCallback, this, KX::RCPtr<IParamCache>(m_paramCache.Get()),
                        KX::RCPtr<IDeviceCommunication>(m_deviceCommunication.Get()), firstId);
    m_initialized.store(true);

    PostParamModuleStateChange(KX::ParamDescriptors(firstId, static_cast<int32_t>(kParamCount)));

    if (!m_offline.load() && devices.GetCount() > 0)
        ConnectDevice(devices.GetData()[0], false);
    return KX::S_OK;
}

KX::KXRESULT LRootModuleEngine::RegisterChangeRequestHandler()
{
    const KX::RCPtr<KX::LNotificationDistributor> centre(KX::GetNotificationQueue().Get());
    return m_handler->AddDistributorHandler(&LRootModuleEngine::OnParamModuleChangeRequest, centre,
                                            KX::NID_PARAM_MODULE_CHANGE_REQ, 0);
}

// Values

KX::KXRESULT LRootModuleEngine::SetParamValues(const KX::ParamDescriptor& descriptor, const KX::Variant& value)
{
    if (m_connectionState.load() != kConnected || !m_rootModule)
        return KX::E_FAIL;
    const KX::KXRESULT result = m_rootModule->SetParamValues(descriptor, value);
    if (KX::Failed(result))
        UpdateConnectionState();
    return result;
}

KX::KXRESULT LRootModuleEngine::GetParamValue(const KX::ParamDescriptor& descriptor, KX::Variant& value)
{
    if (!m_rootModule) {
        value.Clear();
        return KX::E_FAIL;
    }
    return m_rootModule->GetParamValue(descriptor, value);
}

KX::KXRESULT LRootModuleEngine::GetParamValues(int32_t firstId, int32_t count, KX::IArray<KX::ParamValue>& values,
                                               int32_t startIndex)
{
    if (startIndex < 0) {
        values.RemoveAll();
        startIndex = 0;
    }
    count = std::max(count, 0);
    const int64_t end = static_cast<int64_t>(startIndex) + count;
    if (end > std::numeric_limits<int32_t>::max() ||
        static_cast<int64_t>(firstId) + count - 1 > std::numeric_limits<int32_t>::max())
        return KX::E_INVALIDARG;
    if (values.GetCount() < static_cast<uint32_t>(end))
        values.SetSize(static_cast<uint32_t>(end));
    for (int32_t k = 0; k < count; ++k) {
        KX::ParamValue& entry = values.GetData()[startIndex + k];
        entry.descriptor = KX::ParamDescriptor(firstId + k);
        GetParamValue(entry.descriptor, entry.value);
    }
    return KX::S_OK;
}

int32_t LRootModuleEngine::GetFirstParamID()
{
    return m_rootModule ? m_rootModule->GetFirstParamID() : 0;
}

// Posting

KX::KXRESULT LRootModuleEngine::PostParamModuleStateChange(const KX::Variant& descriptors)
{
    if (descriptors.GetType() != KX::Variant::TypeList || !m_rootModule)
        return KX::S_OK;
    const KX::ParamDescriptors ranges(descriptors);
    // Only ids that can hold a value are read, however wide a range is.
    const int64_t highest = static_cast<int64_t>(m_rootModule->GetFirstParamID()) + kParamCount;
    KX::Array<KX::ParamValue> values;
    for (uint32_t i = 0; i < ranges.GetRangeCount(); ++i) {
        int32_t first = 0;
        int32_t count = 0;
        if (ranges.GetRangeAt(i, first, count) != 0 || count < 1)
            continue;
        const int64_t from = std::max<int64_t>(first, kLowestParamId);
        const int64_t to = std::min<int64_t>(static_cast<int64_t>(first) + count, highest);
        for (int64_t id = from; id < to; ++id) {
            KX::ParamValue entry;
            entry.descriptor = KX::ParamDescriptor(static_cast<int32_t>(id));
            m_rootModule->GetParamValue(entry.descriptor, entry.value);
            values.AddItem(entry);
        }
    }
    PostParamValues(values);
    return KX::S_OK;
}

void LRootModuleEngine::PostParamValues(const KX::IArray<KX::ParamValue>& values)
{
    const uint32_t count = values.GetCount();
    if (count == 0)
        return;
    if (count < 3) {
        for (uint32_t i = 0; i < count; ++i) {
            const KX::ParamValue& v = values.GetData()[i];
            const KX::ConstRCPtr<KX::LRefCountedObject> pair(new KX::LParamPair(v.descriptor, v.value));
            PostNotification(KX::NID_PARAM_MODULE_STATE_CHANGE, pair);
        }
        return;
    }
    using Packed = KX::LWrapper<KX::ParamValues, KX::LRefCountedObject>;
    const KX::RCPtr<Packed> packed = Packed::Create();
    packed->SetValues(values.GetData(), count);
    PostNotification(KX::NID_PARAM_MODULE_STATE_CHANGE, KX::ConstRCPtr<KX::LRefCountedObject>(packed.Get()));
}

KX::KXRESULT LRootModuleEngine::PostNotification(const char16_t* name,
                                                 const KX::ConstRCPtr<KX::LRefCountedObject>& payload)
{
    KX::RCPtr<KX::LNotification> n;
    KX::LNotification::Create(n, name, payload);
    if (!n)
        return KX::E_INVALIDARG;
    const KX::RCPtr<KX::LNotificationCenter> centre = KX::GetNotificationQueue();
    if (!centre || !centre->GetQueue())
        return KX::E_FAIL;
    return centre->GetQueue()->PostNotification(n);
}

int32_t LRootModuleEngine::ParamValuesCallback(void* context, const KX::IArray<KX::ParamValue>& values)
{
    static_cast<LRootModuleEngine*>(context)->PostParamValues(values);
    return 0;
}

void LRootModuleEngine::PostConnectionState(DeviceConnectionState state)
{
    const KX::RCPtr<KX::LHolder<DeviceConnectionState>> holder = KX::LHolder<DeviceConnectionState>::Create();
    holder->Value() = state;
    PostNotification(KX::NID_DEVICE_CONNECTION_STATE_CHANGE, KX::ConstRCPtr<KX::LRefCountedObject>(holder.Get()));
}

void LRootModuleEngine::PostDeviceCount(uint32_t count)
{
    const KX::RCPtr<KX::LHolder<unsigned int>> holder = KX::LHolder<unsigned int>::Create();
    holder->Value() = count;
    PostNotification(KX::NID_REMOTE_DEVICE_LIST_CHANGE, KX::ConstRCPtr<KX::LRefCountedObject>(holder.Get()));
}

// Notifications

KX::KXRESULT LRootModuleEngine::Receive(const KX::RCPtr<KX::LNotificationDistributor>& from,
                                        const KX::RCPtr<KX::LNotification>& n)
{
    if (!m_initialized.load() || !m_handler)
        return KX::S_OK;
    return m_handler->Receive(from, n);
}

KX::KXRESULT LRootModuleEngine::UnregisterForNotification(const KX::RCPtr<KX::LNotificationDistributor>& d,
                                                          const char16_t* name)
{
    if (m_handler)
        m_handler->RemoveDistributorHandler(d, name);
    return KX::LNotificationClient::UnregisterForNotification(d, name);
}

KX::KXRESULT LRootModuleEngine::OnParamModuleChangeRequest(const KX::RCPtr<KX::LNotificationDistributor>&,
                                                           const KX::RCPtr<KX::LNotification>& n)
{
    if (!n)
        return KX::S_OK;
    const auto pair = KX::ConstRCPtr<KX::LParamPair>::DynamicCast(n->GetPayload());
    if (pair && m_connectionState.load() == kConnected && m_rootModule) {
        if (KX::Failed(m_rootModule->SetParamValues(pair->key, pair->value)))
            UpdateConnectionState();
    }
    return KX::S_OK;
}

// Devices and connection

bool LRootModuleEngine::IsDevicePresent(const KX::Variant& device)
{
    if (IsEmpty(device) || !m_deviceCommunication)
        return false;
    uint8_t record[KX::DeviceControl::kDeviceInfoSize] = {};
    const KX::KXRESULT result = m_deviceCommunication->GetDeviceInfo(device, record);
    return KX::Succeeded(result) && record[KX::DeviceControl::kDeviceInfoPresentOffset] != 0;
}

KX::Variant LRootModuleEngine::GetCurrentDeviceId()
{
    KX::MutexLock lock(m_lock);
    return m_currentDeviceId;
}

void LRootModuleEngine::UpdateConnectionState()
{
    KX::MutexLock lock(m_lock);
    DeviceConnectionState state = kNoDevice;
    if (m_deviceCommunication && m_deviceCommunication->IsDeviceConnected())
        state = kConnected;
    else if (m_connectPending.load())
        state = kConnectionPending;
    if (state != m_connectionState.load()) {
        m_connectionState.store(state);
        PostConnectionState(state);
    }
}

KX::KXRESULT LRootModuleEngine::ConnectDevice(const KX::Variant& device, bool keepTrying)
{
    m_connectInProgress.store(true);
    DisconnectDevice();
    KX::KXRESULT result = KX::E_FAIL;
    bool startMonitor = false;
    {
        KX::MutexLock lock(m_lock);
        if (m_rootModule)
            result = m_rootModule->ConnectDevice(device);
        if (KX::Succeeded(result)) {
            m_currentDeviceId = device;
            startMonitor = IsDevicePresent(device);
        } else if (!keepTrying) {
            m_currentDeviceId.Clear();
        } else if (IsDevicePresent(device)) {
            m_connectPending.store(true);
            m_currentDeviceId = device;
            startMonitor = true;
        }
    }
    // Outside the lock: a start may wait for an ending monitor, which needs the lock.
    if (startMonitor)
        StartDeviceMonitor();
    m_connectInProgress.store(false);
    UpdateConnectionState();
    StopDeviceMonitorIfIdle();
    return result;
}

KX::KXRESULT LRootModuleEngine::DisconnectDevice()
{
    KX::KXRESULT result = KX::E_FAIL;
    {
        KX::MutexLock lock(m_lock);
        m_connectPending.store(false);
        m_pendingRemoteDeviceId.Clear();
        m_currentDeviceId.Clear();
        if (m_deviceCommunication)
            result = m_deviceCommunication->DisconnectDevice();
    }
    if (!m_connectInProgress.load()) {
        UpdateConnectionState();
        StopDeviceMonitorIfIdle();
    }
    return result;
}

KX::KXRESULT LRootModuleEngine::SearchRemoteDevices()
{
    if (!m_deviceCommunication)
        return KX::E_FAIL;
    KX::Array<KX::Variant> devices;
    const KX::KXRESULT result =
        m_deviceCommunication->WaitForRemoteDeviceListChange(KX::Array<ZVDI_GUID>(), devices, 0);
    if (KX::Succeeded(result)) {
        KX::MutexLock lock(m_lock);
        CopyDevices(devices, m_deviceList);
    }
    return result;
}

KX::KXRESULT LRootModuleEngine::SetActive(bool active)
{
    if (m_remoteSearchActive.load() == active)
        return KX::S_OK;
    m_remoteSearchActive.store(active);
    if (!active) {
        StopDeviceMonitorIfIdle();
        return KX::S_OK;
    }
    // Only a search that worked counts as the first one: a failed one is tried again at
    // the next switch-on.
    if (!m_firstSearchDone.load()) {
        const KX::KXRESULT result = SearchRemoteDevices();
        m_firstSearchResult.store(result);
        if (KX::Succeeded(result))
            m_firstSearchDone.store(true);
    }
    const KX::KXRESULT result = m_firstSearchResult.load();
    if (KX::Failed(result)) {
        m_remoteSearchActive.store(false);
        return result;
    }
    StartDeviceMonitor();
    return result;
}

KX::KXRESULT LRootModuleEngine::FindDevices(KX::IArray<KX::Variant>& devices)
{
    if (!m_remoteSearchActive.load()) {
        {
            KX::MutexLock lock(m_lock);
            m_deviceList.RemoveAll();
        }
        const KX::KXRESULT result = SearchRemoteDevices();
        if (KX::Failed(result))
            return result;
    }
    KX::MutexLock lock(m_lock);
    CopyDevices(m_deviceList, devices);
    return KX::S_OK;
}

// The device monitor

bool LRootModuleEngine::IsMonitorRunning()
{
    return m_monitor->IsBusy();
}

void LRootModuleEngine::RequestMonitorStop()
{
    m_monitorStop.store(true);
    m_monitorWake.Set();
}

void LRootModuleEngine::MonitorPause(uint32_t ms)
{
    if (!m_monitorStop.load())
        m_monitorWake.Wait(ms);
}

void LRootModuleEngine::TakeMonitorReference()
{
    std::lock_guard<std::mutex> guard(m_monitorRefLock);
    if (!m_monitorRef) {
        // The caller holds a reference, so the engine is alive; this one counts as internal,
        // so that the last outside release still stops the monitor.
        m_monitorRef = KX::RCPtr<LRootModuleEngine>(this);
        AddToRefCount(1);
    }
    m_monitorLoopActive = true;
    m_monitorDropsRef = false;
}

void LRootModuleEngine::DropMonitorReference()
{
    KX::RCPtr<LRootModuleEngine> ref;
    {
        std::lock_guard<std::mutex> guard(m_monitorRefLock);
        ref = std::move(m_monitorRef);
    }
    if (ref) {
        AddToRefCount(-1);
        // May be the last reference: nothing touches the engine after this.
        ref = nullptr;
    }
}

KX::KXRESULT LRootModuleEngine::StartDeviceMonitor()
{
    if (!m_deviceCommunication)
        return KX::E_FAIL;
    if (m_monitor->IsBusy()) {
        if (!m_monitorStop.load())
            return KX::S_FALSE;
        if (!StopDeviceMonitor())
            return KX::E_FAIL;
    }
    TakeMonitorReference();
    m_monitorWake.Reset();
    m_monitorStop.store(false);
    if (KX::Failed(m_monitor->Trigger(m_monitorWorker, KX::RCPtr<KX::LRefCountedObject>(), 0))) {
        m_monitorStop.store(true);
        std::lock_guard<std::mutex> guard(m_monitorRefLock);
        m_monitorLoopActive = false;
        return KX::E_FAIL;
    }
    return KX::S_OK;
}

bool LRootModuleEngine::StopDeviceMonitor()
{
    if (!m_monitor->IsBusy())
        return true;
    RequestMonitorStop();
    // The monitor never waits for itself.
    if (m_monitor->IsCurrentThread())
        return false;
    const uint32_t polls = m_options.monitorStopPolls;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(polls);
    for (uint32_t poll = 0; poll < polls && m_monitor->IsBusy(); ++poll) {
        if (std::chrono::steady_clock::now() >= deadline)
            break;
        KX::Sleep(1);
    }
    return !m_monitor->IsBusy();
}

void LRootModuleEngine::StopDeviceMonitorIfIdle()
{
    if (!m_monitor->IsBusy() || m_monitorStop.load() || m_remoteSearchActive.load() || m_connectInProgress.load())
        return;
    const DeviceConnectionState state = m_connectionState.load();
    if (state == kNoDevice || (state == kConnected && !IsDevicePresent(GetCurrentDeviceId())))
        RequestMonitorStop();
}

void LRootModuleEngine::MonitorConnectionStep()
{
    KX::MutexLock lock(m_lock);
    if (IsEmpty(m_currentDeviceId) || !IsDevicePresent(m_currentDeviceId))
        return;
    UpdateConnectionState();
    const DeviceConnectionState state = m_connectionState.load();
    KX::Variant device;
    if (state == kConnectionPending)
        device = m_currentDeviceId;
    else if (state == kRemoteDevicePending)
        device = m_pendingRemoteDeviceId;
    if (IsEmpty(device) || !m_rootModule)
        return;
    if (KX::Failed(m_rootModule->ConnectDevice(device)))
        return;
    if (state == kRemoteDevicePending)
        m_pendingRemoteDeviceId.Clear();
    else
        m_connectPending.store(false);
    m_connectionState.store(kConnected);
    PostConnectionState(kConnected);
}

void LRootModuleEngine::RunMonitorLoop()
{
    const KX::RCPtr<KX::LNotificationCenter> centre = KX::GetNotificationQueue();
    if (!centre)
        return;
    const KX::Array<ZVDI_GUID> filter;
    const uint32_t interval = m_options.monitorIntervalMs;
    bool repeatFullSearch = false;
    int32_t passes = 0;
    KX::Array<KX::Variant> scratch;
    while (!m_monitorStop.load()) {
        MonitorConnectionStep();
        if (m_monitorStop.load())
            break;
        if (!m_remoteSearchActive.load()) {
            MonitorPause(interval);
            continue;
        }
        if (!repeatFullSearch && passes < kQuickSearchPasses) {
            // A quick wait for the list to change; no pause after it.
            ++passes;
            {
                KX::MutexLock lock(m_lock);
                CopyDevices(m_deviceList, scratch);
            }
            const KX::KXRESULT result = m_deviceCommunication->WaitForRemoteDeviceListChange(filter, scratch, interval);
            if (!m_monitorStop.load() && result == KX::S_OK) {
                uint32_t count = 0;
                {
                    KX::MutexLock lock(m_lock);
                    CopyDevices(scratch, m_deviceList);
                    count = m_deviceList.GetCount();
                }
                PostDeviceCount(count);
            }
            continue;
        }
        // A full search.
        passes = 0;
        scratch.RemoveAll();
        const KX::KXRESULT result = m_deviceCommunication->FindRemoteDevices(filter, scratch);
        if (m_monitorStop.load())
            break;
        if (KX::Failed(result)) {
            MonitorPause(interval);
            continue;
        }
        repeatFullSearch = result == KX::S_FALSE;
        bool changed = false;
        uint32_t count = 0;
        {
            KX::MutexLock lock(m_lock);
            if (!SameDevices(scratch, m_deviceList)) {
                CopyDevices(scratch, m_deviceList);
                changed = true;
                count = m_deviceList.GetCount();
            }
        }
        if (changed)
            PostDeviceCount(count);
        MonitorPause(interval);
    }
}

KX::KXRESULT LRootModuleEngine::Work(const KX::RCPtr<KX::LRefCountedObject>&)
{
    RunMonitorLoop();
    // The loop's last look at the engine. When teardown gave up waiting for it, the loop lets
    // go of the engine's own reference, which may destroy the engine: nothing follows.
    bool drop = false;
    {
        std::lock_guard<std::mutex> guard(m_monitorRefLock);
        m_monitorLoopActive = false;
        drop = m_monitorDropsRef;
        m_monitorDropsRef = false;
    }
    if (drop)
        DropMonitorReference();
    return KX::S_OK;
}

KX::KXRESULT LRootModuleEngine::ReleaseInternalReferences()
{
    StopDeviceMonitor();
    UnregisterFromAll();
    bool drop = true;
    {
        std::lock_guard<std::mutex> guard(m_monitorRefLock);
        if (m_monitorLoopActive) {
            // Still running (stuck in a library call, or this is its own thread): the loop
            // lets go when it ends.
            m_monitorDropsRef = true;
            drop = false;
        }
    }
    if (drop)
        DropMonitorReference();
    return (GetInternalRefCount() == 0 && GetRefCount() == 1) ? KX::S_OK : KX::E_FAIL;
}

// The application's engine

namespace {

std::mutex& EngineLock()
{
    static std::mutex* const lock = new std::mutex();
    return *lock;
}

// Never destroyed: the application lets go of its engine itself, on its own thread.
KX::RCPtr<LRootModuleEngine>& EngineSlot()
{
    static auto* const slot = new KX::RCPtr<LRootModuleEngine>();
    return *slot;
}

} // namespace

KX::RCPtr<LRootModuleEngine> GetRootModuleEngine()
{
    std::lock_guard<std::mutex> guard(EngineLock());
    return EngineSlot();
}

void SetRootModuleEngine(const KX::RCPtr<LRootModuleEngine>& engine)
{
    KX::RCPtr<LRootModuleEngine> previous; // released outside the lock
    {
        std::lock_guard<std::mutex> guard(EngineLock());
        previous = EngineSlot();
        EngineSlot() = engine;
    }
    SetParamValueStore(KX::RCPtr<IParamValueStore>(engine.Get()));
}
