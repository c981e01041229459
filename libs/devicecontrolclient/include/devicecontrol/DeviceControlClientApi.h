#pragma once
// The entry points of libDeviceControlClient.so, the device-control client library.
//
// Device ids, descriptors and values are KX::Variant objects and their list forms
// (KX::ParamValues, KX::ParamDescriptors); a null device id or an empty one (type 0) names the
// default device. Every entry point returns a 32-bit result: 0 done, negative a failure (the
// codes below); no exception ever leaves the library.
//
// The library keeps one device, the keyboard's parameter set of 83 parameters (ids 0 to 82, each
// a fixed-length byte record in a type 8 Variant), and the pseudo-parameters -2 (readiness, a
// bool, never reported), -8 (status text), -9 (maker name) and -10 (product name), all texts
// narrow UTF-8 (type 9). Values reach the client through the callback given to
// ZVDI_ConnectDevice, always on the library's own reporting thread, in the order they were
// requested or changed.
#include "kx/ParamValues.h"
#include "kx/Variant.h"

#include <cstdint>

namespace KX::DeviceControl {

inline constexpr int32_t kOk = 0;
inline constexpr int32_t kNotConnected = 1;      // ZVDI_IsDeviceConnected only
inline constexpr int32_t kInvalidArgument = -1;  // a null pointer or an unreadable list
inline constexpr int32_t kUnknownDevice = -2;    // the device id names no device of this library
inline constexpr int32_t kNoConnection = -3;     // the operation needs a connected device
inline constexpr int32_t kUnknownParameter = -4; // no such parameter id
inline constexpr int32_t kInvalidValue = -5;     // wrong type or record length for the parameter
inline constexpr int32_t kInternalError = -6;    // out of memory or another failure inside the library

// Search modes of ZVDI_FindRemoteDevices.
inline constexpr int32_t kQuickSearch = 0;
inline constexpr int32_t kFullSearch = 1;

// The device information record filled by ZVDI_GetDeviceInfo.
inline constexpr uint32_t kDeviceInfoSize = 256;
inline constexpr uint32_t kDeviceInfoNameOffset = 0; // UTF-16 device name, 64 units, NUL-terminated
inline constexpr uint32_t kDeviceInfoNameUnits = 64;
inline constexpr uint32_t kDeviceInfoMakerOffset = 128; // UTF-16 maker name, 32 units, NUL-terminated
inline constexpr uint32_t kDeviceInfoMakerUnits = 32;
inline constexpr uint32_t kDeviceInfoPresentOffset = 252; // non-zero: the device is present
inline constexpr uint32_t kDeviceInfoConnectedOffset = 253;

// Parameter set of the device.
inline constexpr int32_t kParamCount = 83;
inline constexpr int32_t kReadyParam = -2;
inline constexpr int32_t kStatusTextParam = -8;
inline constexpr int32_t kMakerNameParam = -9;
inline constexpr int32_t kProductNameParam = -10;

} // namespace KX::DeviceControl

extern "C" {

// A filter entry of the device searches (a class id); the library lists its device whatever the filter.
struct ZVDI_GUID {
    uint32_t data1;
    uint16_t data2;
    uint16_t data3;
    uint8_t data4[8];
};

// Reports values: context as given to ZVDI_ConnectDevice, the device id, and a KX::ParamValues
// list that is valid for the call only.
typedef void (*ZVDI_ParamValuesCallback)(void* context, const KX::Variant* deviceId, const KX::Variant* values);

// Lists the local devices (the default device, an empty id) into result as a list Variant.
int32_t ZVDI_FindDevices(const ZVDI_GUID* filter, int32_t filterCount, KX::Variant* result);
// Lists the devices that can be connected into result as a list Variant of device ids; 0.
int32_t ZVDI_FindRemoteDevices(const ZVDI_GUID* filter, int32_t filterCount, KX::Variant* result, int32_t mode);
// Connects; values are reported through callback (may be null) from then on, until ZVDI_DisconnectDevice.
int32_t ZVDI_ConnectDevice(const KX::Variant* deviceId, ZVDI_ParamValuesCallback callback, void* context);
// Accepts a KX::ParamDescriptors list from a connected client (the ranges are fixed and can be read
// with ZVDI_GetParamRanges at any time).
int32_t ZVDI_RequestParamRanges(const KX::Variant* deviceId, const KX::Variant* descriptors);
// Reports the current values of the listed ids through the callback (unknown ids are skipped).
int32_t ZVDI_RequestParamValues(const KX::Variant* deviceId, const KX::Variant* descriptors);
// For the listed ids (KX::ParamDescriptors), a KX::ParamValues list of each one's record length
// (a 32-bit integer; 0 for a pseudo-parameter of any length) into ranges.
int32_t ZVDI_GetParamRanges(const KX::Variant* deviceId, const KX::Variant* descriptors, KX::Variant* ranges);
// For the listed ids (KX::ParamDescriptors), a KX::ParamValues list of their current values into values.
int32_t ZVDI_GetParamValues(const KX::Variant* deviceId, const KX::Variant* descriptors, KX::Variant* values);
int32_t ZVDI_GetParamValue(const KX::Variant* deviceId, const KX::ParamDescriptor* descriptor, KX::Variant* value);
// Stores a value (connected device only); a change is reported through the callback.
int32_t ZVDI_SetParamValue(const KX::Variant* deviceId, const KX::ParamDescriptor* descriptor,
                           const KX::Variant* value);
// Stores every value of a KX::ParamValues list, or none when one of them is refused.
int32_t ZVDI_SetParamValues(const KX::Variant* deviceId, const KX::Variant* values);
// Ends the connection; when it returns, no callback of that connection runs any more (unless it
// is called from inside the callback, which then finishes normally).
int32_t ZVDI_DisconnectDevice(const KX::Variant* deviceId);
// 0 when connected, kNotConnected when not, negative for an unknown device.
int32_t ZVDI_IsDeviceConnected(const KX::Variant* deviceId);
// Fills a record of kDeviceInfoSize bytes.
int32_t ZVDI_GetDeviceInfo(const KX::Variant* deviceId, uint8_t* info);
// Disconnects, stops the reporting thread and forgets the stored values; called before unloading.
int32_t ZVDI_ReleaseAll();

} // extern "C"

namespace KX::DeviceControl {

// Pointer types for resolving the entry points with dlsym.
using FindDevicesFn = int32_t (*)(const ZVDI_GUID*, int32_t, Variant*);
using FindRemoteDevicesFn = int32_t (*)(const ZVDI_GUID*, int32_t, Variant*, int32_t);
using ConnectDeviceFn = int32_t (*)(const Variant*, ZVDI_ParamValuesCallback, void*);
using RequestParamRangesFn = int32_t (*)(const Variant*, const Variant*);
using RequestParamValuesFn = int32_t (*)(const Variant*, const Variant*);
using GetParamRangesFn = int32_t (*)(const Variant*, const Variant*, Variant*);
using GetParamValuesFn = int32_t (*)(const Variant*, const Variant*, Variant*);
using GetParamValueFn = int32_t (*)(const Variant*, const ParamDescriptor*, Variant*);
using SetParamValueFn = int32_t (*)(const Variant*, const ParamDescriptor*, const Variant*);
using SetParamValuesFn = int32_t (*)(const Variant*, const Variant*);
using DisconnectDeviceFn = int32_t (*)(const Variant*);
using IsDeviceConnectedFn = int32_t (*)(const Variant*);
using GetDeviceInfoFn = int32_t (*)(const Variant*, uint8_t*);
using ReleaseAllFn = int32_t (*)();

} // namespace KX::DeviceControl
