#include "engine/DeviceControlClientInterface.h"

#include "platform/posix/SharedLibrary.h"

#include <string>

namespace KX {

WString DeviceControlClientInterface::GetDefaultLibraryPath()
{
    WString path(platform::posix::ExecutableFolder().c_str());
    path += u"/";
    path += kLibraryFileName;
    return path;
}

DeviceControlClientInterface::DeviceControlClientInterface(const WString& path)
{
    const WString file = path.IsEmpty() ? GetDefaultLibraryPath() : path;
    const NString narrow = file.ToNarrow();
    // Only the file named: a missing file is not looked for elsewhere.
    m_module = platform::posix::SharedLibrary(std::string(narrow.GetString()));
    if (!m_module)
        return;
    m_module.Resolve(m_findDevices, "ZVDI_FindDevices");
    m_module.Resolve(m_findRemoteDevices, "ZVDI_FindRemoteDevices");
    m_module.Resolve(m_connectDevice, "ZVDI_ConnectDevice");
    m_module.Resolve(m_requestParamRanges, "ZVDI_RequestParamRanges");
    m_module.Resolve(m_requestParamValues, "ZVDI_RequestParamValues");
    m_module.Resolve(m_getParamRanges, "ZVDI_GetParamRanges");
    m_module.Resolve(m_getParamValues, "ZVDI_GetParamValues");
    m_module.Resolve(m_getParamValue, "ZVDI_GetParamValue");
    m_module.Resolve(m_setParamValue, "ZVDI_SetParamValue");
    m_module.Resolve(m_setParamValues, "ZVDI_SetParamValues");
    m_module.Resolve(m_disconnectDevice, "ZVDI_DisconnectDevice");
    m_module.Resolve(m_isDeviceConnected, "ZVDI_IsDeviceConnected");
    m_module.Resolve(m_getDeviceInfo, "ZVDI_GetDeviceInfo");
    m_module.Resolve(m_releaseAll, "ZVDI_ReleaseAll");
}

DeviceControlClientInterface::~DeviceControlClientInterface()
{
    // The library lets its devices go before it is unloaded (by m_module's destructor).
    if (m_module && m_releaseAll)
        m_releaseAll();
}

int32_t DeviceControlClientInterface::FindDevices(const Array<ZVDI_GUID>& filter, Variant& result)
{
    if (!m_module || !m_findDevices)
        return kMissing;
    return m_findDevices(filter.GetCount() ? filter.GetData() : nullptr, static_cast<int32_t>(filter.GetCount()),
                         &result);
}

int32_t DeviceControlClientInterface::FindRemoteDevices(const Array<ZVDI_GUID>& filter, Variant& result, int32_t mode)
{
    if (!m_module || !m_findRemoteDevices)
        return kMissing;
    return m_findRemoteDevices(filter.GetCount() ? filter.GetData() : nullptr, static_cast<int32_t>(filter.GetCount()),
                               &result, mode);
}

int32_t DeviceControlClientInterface::ConnectDevice(const Variant& deviceId, ZVDI_ParamValuesCallback callback,
                                                    void* context)
{
    if (!m_module || !m_connectDevice)
        return kMissing;
    return m_connectDevice(&deviceId, callback, context);
}

int32_t DeviceControlClientInterface::RequestParamRanges(const Variant& deviceId, const ParamDescriptors& descriptors)
{
    if (!m_module || !m_requestParamRanges)
        return kMissing;
    return m_requestParamRanges(&deviceId, &descriptors);
}

int32_t DeviceControlClientInterface::RequestParamValues(const Variant& deviceId, const ParamDescriptors& descriptors)
{
    if (!m_module || !m_requestParamValues)
        return kMissing;
    return m_requestParamValues(&deviceId, &descriptors);
}

int32_t DeviceControlClientInterface::RequestParamValues(const Variant& deviceId, const ParamDescriptor& descriptor)
{
    if (!m_module || !m_requestParamValues)
        return kMissing;
    ParamDescriptors list;
    list.SetDescriptors(&descriptor, 1);
    return m_requestParamValues(&deviceId, &list);
}

int32_t DeviceControlClientInterface::GetParamRanges(const Variant& deviceId, const Variant& descriptors,
                                                     Variant& ranges)
{
    if (!m_module || !m_getParamRanges)
        return kMissing;
    return m_getParamRanges(&deviceId, &descriptors, &ranges);
}

int32_t DeviceControlClientInterface::GetParamValues(const Variant& deviceId, const Variant& descriptors,
                                                     Variant& values)
{
    if (!m_module || !m_getParamValues)
        return kMissing;
    return m_getParamValues(&deviceId, &descriptors, &values);
}

int32_t DeviceControlClientInterface::GetParamValue(const Variant& deviceId, const ParamDescriptor& descriptor,
                                                    Variant& value)
{
    if (!m_module || !m_getParamValue)
        return kMissing;
    return m_getParamValue(&deviceId, &descriptor, &value);
}

int32_t DeviceControlClientInterface::SetParamValue(const Variant& deviceId, const ParamDescriptor& descriptor,
                                                    const Variant& value)
{
    if (!m_module || !m_setParamValue)
        return kMissing;
    return m_setParamValue(&deviceId, &descriptor, &value);
}

int32_t DeviceControlClientInterface::SetParamValues(const Variant& deviceId, const ParamValues& values)
{
    if (!m_module || !m_setParamValues)
        return kMissing;
    return m_setParamValues(&deviceId, &values);
}

bool DeviceControlClientInterface::IsDeviceConnected(const Variant& deviceId)
{
    if (!m_module || !m_isDeviceConnected)
        return false;
    return m_isDeviceConnected(&deviceId) == 0;
}

int32_t DeviceControlClientInterface::DisconnectDevice(const Variant& deviceId)
{
    if (!m_module || !m_disconnectDevice)
        return kMissing;
    return m_disconnectDevice(&deviceId);
}

int32_t DeviceControlClientInterface::GetDeviceInfo(const Variant& deviceId, uint8_t* record)
{
    if (!m_module || !m_getDeviceInfo)
        return kMissing;
    return m_getDeviceInfo(&deviceId, record);
}

} // namespace KX
