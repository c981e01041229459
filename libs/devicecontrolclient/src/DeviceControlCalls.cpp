#include "devicecontrol/DeviceControlCore.h"

#include "devicecontrol/DeviceControlCoreInternal.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

namespace KX::DeviceControl {

int32_t DeviceControlCore::FindDevices(Variant* result)
{
    if (!result)
        return kInvalidArgument;
    const Variant local;
    result->SetList(&local, 1);
    return kOk;
}

int32_t DeviceControlCore::FindRemoteDevices(Variant* result, int32_t mode)
{
    if (!result || (mode != kQuickSearch && mode != kFullSearch))
        return kInvalidArgument;
    const Variant id = GetRemoteDeviceId();
    result->SetList(&id, 1);
    return kOk;
}

int32_t DeviceControlCore::ConnectDevice(const Variant* deviceId, ZVDI_ParamValuesCallback callback, void* context)
{
    if (!IsKnownDevice(deviceId))
        return kUnknownDevice;
    std::unique_lock<std::mutex> lock(m_lock);
    const int32_t started = StartReporterLocked(lock);
    if (started != kOk)
        return started;
    // A reconnect replaces the callback; reports queued for the old one go to the new one.
    m_connected = true;
    m_callback = callback;
    m_context = context;
    m_connectedId = deviceId ? *deviceId : Variant();
    return kOk;
}

int32_t DeviceControlCore::RequestParamRanges(const Variant* deviceId, const Variant* descriptors)
{
    if (!IsKnownDevice(deviceId))
        return kUnknownDevice;
    if (!ForEachKnownId(descriptors, [](int32_t) {}))
        return kInvalidArgument;
    // Every range is fixed; the request only has to be well formed.
    std::lock_guard<std::mutex> lock(m_lock);
    return m_connected ? kOk : kNoConnection;
}

int32_t DeviceControlCore::RequestParamValues(const Variant* deviceId, const Variant* descriptors)
{
    if (!IsKnownDevice(deviceId))
        return kUnknownDevice;
    std::vector<int32_t> ids;
    if (!ForEachKnownId(descriptors, [&](int32_t id) { ids.push_back(id); }))
        return kInvalidArgument;
    bool wake = false;
    {
        std::lock_guard<std::mutex> lock(m_lock);
        if (!m_connected)
            return kNoConnection;
        for (int32_t id : ids)
            wake = QueueReportLocked(id) || wake;
    }
    if (wake)
        WakeReporter();
    return kOk;
}

int32_t DeviceControlCore::GetParamRanges(const Variant* deviceId, const Variant* descriptors, Variant* ranges)
{
    if (!IsKnownDevice(deviceId))
        return kUnknownDevice;
    if (!ranges)
        return kInvalidArgument;
    std::vector<ParamValue> out;
    if (!ForEachKnownId(descriptors, [&](int32_t id) {
            out.emplace_back(ParamDescriptor(id), MakeInt32Variant(static_cast<int32_t>(GetRecordLength(id))));
        }))
        return kInvalidArgument;
    *ranges = ParamValues(out.data(), static_cast<uint32_t>(out.size()));
    return kOk;
}

int32_t DeviceControlCore::GetParamValues(const Variant* deviceId, const Variant* descriptors, Variant* values)
{
    if (!IsKnownDevice(deviceId))
        return kUnknownDevice;
    if (!values)
        return kInvalidArgument;
    std::vector<int32_t> ids;
    if (!ForEachKnownId(descriptors, [&](int32_t id) { ids.push_back(id); }))
        return kInvalidArgument;
    std::vector<ParamValue> out;
    {
        std::lock_guard<std::mutex> lock(m_lock);
        for (int32_t id : ids)
            out.emplace_back(ParamDescriptor(id), ValueLocked(id));
    }
    *values = ParamValues(out.data(), static_cast<uint32_t>(out.size()));
    return kOk;
}

int32_t DeviceControlCore::GetParamValue(const Variant* deviceId, const ParamDescriptor* descriptor, Variant* value)
{
    if (!IsKnownDevice(deviceId))
        return kUnknownDevice;
    if (!descriptor || !value)
        return kInvalidArgument;
    if (!IsKnownId(descriptor->id))
        return kUnknownParameter;
    Variant current;
    {
        std::lock_guard<std::mutex> lock(m_lock);
        current = ValueLocked(descriptor->id);
    }
    *value = current;
    return kOk;
}

int32_t DeviceControlCore::SetParamValue(const Variant* deviceId, const ParamDescriptor* descriptor,
                                         const Variant* value)
{
    if (!IsKnownDevice(deviceId))
        return kUnknownDevice;
    if (!descriptor || !value)
        return kInvalidArgument;
    const int32_t checked = CheckValue(descriptor->id, *value);
    if (checked != kOk)
        return checked;
    bool wake = false;
    {
        std::lock_guard<std::mutex> lock(m_lock);
        if (!m_connected)
            return kNoConnection;
        wake = StoreLocked(descriptor->id, *value);
    }
    if (wake)
        WakeReporter();
    return kOk;
}

int32_t DeviceControlCore::SetParamValues(const Variant* deviceId, const Variant* values)
{
    if (!IsKnownDevice(deviceId))
        return kUnknownDevice;
    if (!values || values->GetType() != Variant::TypeList)
        return kInvalidArgument;
    const ParamValues list(*values);
    const uint32_t n = list.GetCount();
    uint32_t size = 0;
    list.GetData(size);
    if (n == 0 && size != 0)
        return kInvalidArgument;
    std::vector<ParamValue> items(n);
    for (uint32_t i = 0; i < n; ++i) {
        if (list.GetParamValueAt(i, items[i]) != 0)
            return kInvalidArgument;
        const int32_t checked = CheckValue(items[i].descriptor.id, items[i].value);
        if (checked != kOk)
            return checked;
    }
    bool wake = false;
    {
        std::lock_guard<std::mutex> lock(m_lock);
        if (!m_connected)
            return kNoConnection;
        for (const ParamValue& item : items)
            wake = StoreLocked(item.descriptor.id, item.value) || wake;
    }
    if (wake)
        WakeReporter();
    return kOk;
}

int32_t DeviceControlCore::DisconnectDevice(const Variant* deviceId)
{
    if (!IsKnownDevice(deviceId))
        return kUnknownDevice;
    std::unique_lock<std::mutex> lock(m_lock);
    m_connected = false;
    m_callback = nullptr;
    m_context = nullptr;
    m_connectedId.Clear();
    m_pending.clear();
    std::fill(m_pendingFlags.begin(), m_pendingFlags.end(), false);
    // The client may free the callback's context once this returns.
    if (m_reporter.joinable() && m_reporter.get_id() != std::this_thread::get_id())
        m_idle.wait(lock, [this] { return !m_inCallback; });
    return kOk;
}

int32_t DeviceControlCore::IsDeviceConnected(const Variant* deviceId)
{
    if (!IsKnownDevice(deviceId))
        return kUnknownDevice;
    std::lock_guard<std::mutex> lock(m_lock);
    return m_connected ? kOk : kNotConnected;
}

int32_t DeviceControlCore::GetDeviceInfo(const Variant* deviceId, uint8_t* info)
{
    if (!IsKnownDevice(deviceId))
        return kUnknownDevice;
    if (!info)
        return kInvalidArgument;
    bool connected = false;
    {
        std::lock_guard<std::mutex> lock(m_lock);
        connected = m_connected;
    }
    std::memset(info, 0, kDeviceInfoSize);
    PutUtf16(info, kDeviceInfoNameOffset, kDeviceInfoNameUnits, kDeviceName);
    PutUtf16(info, kDeviceInfoMakerOffset, kDeviceInfoMakerUnits, kMakerName);
    info[kDeviceInfoPresentOffset] = 1;
    info[kDeviceInfoConnectedOffset] = connected ? 1 : 0;
    return kOk;
}

int32_t DeviceControlCore::ReleaseAll()
{
    std::thread finished;
    {
        std::unique_lock<std::mutex> lock(m_lock);
        ++m_generation;
        m_connected = false;
        m_callback = nullptr;
        m_context = nullptr;
        m_connectedId.Clear();
        m_pending.clear();
        std::fill(m_pendingFlags.begin(), m_pendingFlags.end(), false);
        ResetValuesLocked();
        m_wake.notify_all();
        // From inside a callback the thread cannot be joined; it ends after the callback and
        // the next connect or the destructor joins it.
        if (m_reporter.joinable() && m_reporter.get_id() != std::this_thread::get_id())
            finished = std::move(m_reporter);
    }
    if (finished.joinable())
        finished.join();
    return kOk;
}

} // namespace KX::DeviceControl
