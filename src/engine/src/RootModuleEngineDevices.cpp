#include "engine/RootModuleEngine.h"

#include "kx/Notification.h"
#include "kx/NotificationCenter.h"
#include "kx/NotificationId.h"
#include "kx/Thread.h"

#include <chrono>

namespace {

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
            // A stop request wakes the wait at once.
            const KX::KXRESULT result =
                m_deviceCommunication->WaitForRemoteDeviceListChange(filter, scratch, interval, &m_monitorWake);
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
