// The exported entry points: each forwards to the process-wide core and turns any escaping
// failure into a result code.
#include "devicecontrol/DeviceControlClientApi.h"
#include "devicecontrol/DeviceControlCore.h"

#define ZVDI_EXPORT __attribute__((visibility("default")))

namespace {

using KX::DeviceControl::DeviceControlCore;

DeviceControlCore& Core()
{
    static DeviceControlCore core;
    return core;
}

template <class F>
int32_t Guarded(F&& call) noexcept
{
    try {
        return call(Core());
    } catch (...) {
        return KX::DeviceControl::kInternalError;
    }
}

} // namespace

extern "C" {

ZVDI_EXPORT int32_t ZVDI_FindDevices(const ZVDI_GUID*, int32_t, KX::Variant* result)
{
    return Guarded([&](DeviceControlCore& c) { return c.FindDevices(result); });
}

ZVDI_EXPORT int32_t ZVDI_FindRemoteDevices(const ZVDI_GUID*, int32_t, KX::Variant* result, int32_t mode)
{
    return Guarded([&](DeviceControlCore& c) { return c.FindRemoteDevices(result, mode); });
}

ZVDI_EXPORT int32_t ZVDI_ConnectDevice(const KX::Variant* deviceId, ZVDI_ParamValuesCallback callback, void* context)
{
    return Guarded([&](DeviceControlCore& c) { return c.ConnectDevice(deviceId, callback, context); });
}

ZVDI_EXPORT int32_t ZVDI_RequestParamRanges(const KX::Variant* deviceId, const KX::Variant* descriptors)
{
    return Guarded([&](DeviceControlCore& c) { return c.RequestParamRanges(deviceId, descriptors); });
}

ZVDI_EXPORT int32_t ZVDI_RequestParamValues(const KX::Variant* deviceId, const KX::Variant* descriptors)
{
    return Guarded([&](DeviceControlCore& c) { return c.RequestParamValues(deviceId, descriptors); });
}

ZVDI_EXPORT int32_t ZVDI_GetParamRanges(const KX::Variant* deviceId, const KX::Variant* descriptors,
                                        KX::Variant* ranges)
{
    return Guarded([&](DeviceControlCore& c) { return c.GetParamRanges(deviceId, descriptors, ranges); });
}

ZVDI_EXPORT int32_t ZVDI_GetParamValues(const KX::Variant* deviceId, const KX::Variant* descriptors,
                                        KX::Variant* values)
{
    return Guarded([&](DeviceControlCore& c) { return c.GetParamValues(deviceId, descriptors, values); });
}

ZVDI_EXPORT int32_t ZVDI_GetParamValue(const KX::Variant* deviceId, const KX::ParamDescriptor* descriptor,
                                       KX::Variant* value)
{
    return Guarded([&](DeviceControlCore& c) { return c.GetParamValue(deviceId, descriptor, value); });
}

ZVDI_EXPORT int32_t ZVDI_SetParamValue(const KX::Variant* deviceId, const KX::ParamDescriptor* descriptor,
                                       const KX::Variant* value)
{
    return Guarded([&](DeviceControlCore& c) { return c.SetParamValue(deviceId, descriptor, value); });
}

ZVDI_EXPORT int32_t ZVDI_SetParamValues(const KX::Variant* deviceId, const KX::Variant* values)
{
    return Guarded([&](DeviceControlCore& c) { return c.SetParamValues(deviceId, values); });
}

ZVDI_EXPORT int32_t ZVDI_DisconnectDevice(const KX::Variant* deviceId)
{
    return Guarded([&](DeviceControlCore& c) { return c.DisconnectDevice(deviceId); });
}

ZVDI_EXPORT int32_t ZVDI_IsDeviceConnected(const KX::Variant* deviceId)
{
    return Guarded([&](DeviceControlCore& c) { return c.IsDeviceConnected(deviceId); });
}

ZVDI_EXPORT int32_t ZVDI_GetDeviceInfo(const KX::Variant* deviceId, uint8_t* info)
{
    return Guarded([&](DeviceControlCore& c) { return c.GetDeviceInfo(deviceId, info); });
}

ZVDI_EXPORT int32_t ZVDI_ReleaseAll()
{
    return Guarded([&](DeviceControlCore& c) { return c.ReleaseAll(); });
}

} // extern "C"
