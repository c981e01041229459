#pragma once
// The device-control client library, loaded at run time. Every wrapper returns -1 when the
// library or its entry point is missing, and otherwise the entry point's result unchanged.
#include "devicecontrol/DeviceControlClientApi.h"
#include "kx/Array.h"
#include "kx/ParamValues.h"
#include "kx/StringT.h"
#include "kx/Variant.h"
#include "platform/posix/SharedLibrary.h"

#include <cstdint>

namespace KX {

class DeviceControlClientInterface {
public:
    // File name of the library in the executable's folder.
    static constexpr const char16_t* kLibraryFileName = u"libDeviceControlClient.so";
    static constexpr int32_t kMissing = -1;

    // Loads the library file at path; an empty path means kLibraryFileName in the executable's
    // folder. A library that cannot be loaded leaves every wrapper answering kMissing.
    explicit DeviceControlClientInterface(const WString& path = WString());
    // Releases everything the library holds (ZVDI_ReleaseAll) and unloads it.
    virtual ~DeviceControlClientInterface();
    DeviceControlClientInterface(const DeviceControlClientInterface&) = delete;
    DeviceControlClientInterface& operator=(const DeviceControlClientInterface&) = delete;

    // The executable's folder followed by "/" and kLibraryFileName.
    static WString GetDefaultLibraryPath();

    virtual int32_t FindDevices(const Array<ZVDI_GUID>& filter, Variant& result);
    virtual int32_t FindRemoteDevices(const Array<ZVDI_GUID>& filter, Variant& result, int32_t mode);
    virtual int32_t ConnectDevice(const Variant& deviceId, ZVDI_ParamValuesCallback callback, void* context);
    virtual int32_t RequestParamRanges(const Variant& deviceId, const ParamDescriptors& descriptors);
    virtual int32_t RequestParamValues(const Variant& deviceId, const ParamDescriptors& descriptors);
    // Sent as a one-element descriptor list.
    virtual int32_t RequestParamValues(const Variant& deviceId, const ParamDescriptor& descriptor);
    virtual int32_t GetParamRanges(const Variant& deviceId, const Variant& descriptors, Variant& ranges);
    virtual int32_t GetParamValues(const Variant& deviceId, const Variant& descriptors, Variant& values);
    virtual int32_t GetParamValue(const Variant& deviceId, const ParamDescriptor& descriptor, Variant& value);
    virtual int32_t SetParamValue(const Variant& deviceId, const ParamDescriptor& descriptor, const Variant& value);
    virtual int32_t SetParamValues(const Variant& deviceId, const ParamValues& values);
    // true exactly when the entry point answers 0.
    virtual bool IsDeviceConnected(const Variant& deviceId);
    virtual int32_t DisconnectDevice(const Variant& deviceId);
    // record: DeviceControl::kDeviceInfoSize bytes.
    virtual int32_t GetDeviceInfo(const Variant& deviceId, uint8_t* record);

    bool IsLoaded() const noexcept { return m_module.IsLoaded(); }

private:
    platform::posix::SharedLibrary m_module;
    DeviceControl::FindDevicesFn m_findDevices = nullptr;
    DeviceControl::FindRemoteDevicesFn m_findRemoteDevices = nullptr;
    DeviceControl::ConnectDeviceFn m_connectDevice = nullptr;
    DeviceControl::RequestParamRangesFn m_requestParamRanges = nullptr;
    DeviceControl::RequestParamValuesFn m_requestParamValues = nullptr;
    DeviceControl::GetParamRangesFn m_getParamRanges = nullptr;
    DeviceControl::GetParamValuesFn m_getParamValues = nullptr;
    DeviceControl::GetParamValueFn m_getParamValue = nullptr;
    DeviceControl::SetParamValueFn m_setParamValue = nullptr;
    DeviceControl::SetParamValuesFn m_setParamValues = nullptr;
    DeviceControl::DisconnectDeviceFn m_disconnectDevice = nullptr;
    DeviceControl::IsDeviceConnectedFn m_isDeviceConnected = nullptr;
    DeviceControl::GetDeviceInfoFn m_getDeviceInfo = nullptr;
    DeviceControl::ReleaseAllFn m_releaseAll = nullptr;
};

} // namespace KX
