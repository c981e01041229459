#pragma once
// What the parameter model needs of the device communication: the receiver
// interface through which reported values arrive, and the operations the root
// module calls. The device communication implements IDeviceCommunication.
#include "kx/KXResult.h"
#include "kx/ParamValues.h"
#include "kx/RefCountedObject.h"
#include "kx/Variant.h"

#include <cstdint>

// Receives the value lists that the device reported.
class DeviceCommunicationReceiver {
public:
    virtual KX::KXRESULT ReceiveParamValues(const KX::ParamValues& values) = 0;
    // Not called by the device communication; receivers answer E_FAIL.
    virtual KX::KXRESULT ReceiveDeviceNotice(int32_t code, const KX::Variant& a, const KX::Variant& b) = 0;

protected:
    ~DeviceCommunicationReceiver() = default;
};

class IDeviceCommunication : public virtual KX::LRefCountedObject {
public:
    // Hands [value as 64-bit integer, online flag] as pseudo-parameter -4 straight back to the
    // receiver on the caller's thread; false when no receiver is registered. The caller
    // holds none of the receiver's locks.
    virtual bool EchoConnectionValue(int64_t value) = 0;
    virtual KX::KXRESULT ConnectDevice(const KX::Variant& deviceId) = 0;
    virtual KX::KXRESULT DisconnectDevice() = 0;
    virtual KX::KXRESULT RequestParamRanges(const KX::ParamDescriptors& descriptors) = 0;
    virtual KX::KXRESULT RequestParamValue(const KX::ParamDescriptor& descriptor) = 0;
    virtual KX::KXRESULT GetParamValue(const KX::ParamDescriptor& descriptor, KX::Variant& value) = 0;
    virtual KX::KXRESULT SetParamValue(const KX::ParamDescriptor& descriptor, const KX::Variant& value) = 0;

    virtual void SetReceiver(DeviceCommunicationReceiver* receiver) = 0;
    virtual DeviceCommunicationReceiver* GetReceiver() const = 0;
    // Turning delivery off returns only after a delivery in progress has finished.
    virtual void SetDeliveryEnabled(bool enabled) = 0;
};
