#pragma once
// The model's road to the keyboard: wraps the device-control client library for the selected
// device, answers a few pseudo-parameters itself, and carries the values that the library
// reports (on threads of its own) to the receiver on a delivery thread.
//
// Locks (the engine's order is in RootModuleEngine.h): the delivery lock is held whenever
// the receiver is called (drain and echo), so SetDeliveryEnabled(false) and SetReceiver
// wait for such a call; the state lock and the queue lock are leaves, never held while
// anything outside this object is called.
#include "engine/DeviceCommunicationReceiver.h"
#include "engine/DeviceControlClientInterface.h"
#include "kx/Array.h"
#include "kx/Event.h"
#include "kx/EventGatedThreader.h"
#include "kx/KXResult.h"
#include "kx/ParamValues.h"
#include "kx/RefCountedObject.h"
#include "kx/StringT.h"
#include "kx/ThreadWorker.h"
#include "kx/Variant.h"

#include <cstdint>
#include <memory>

struct LDeviceCommunicationState;

// Pseudo-parameter ids that the device communication treats specially.
inline constexpr int32_t kParamIdDeviceReady = -2;
inline constexpr int32_t kParamIdEcho = -4;
inline constexpr int32_t kParamIdStatusText = -8;
inline constexpr int32_t kParamIdMakerName = -9;
inline constexpr int32_t kParamIdProductName = -10;

// True when two device lists hold equal ids in the same order.
bool SameDevices(const KX::IArray<KX::Variant>& a, const KX::IArray<KX::Variant>& b);

class LDeviceCommunicationInterface : public IDeviceCommunication {
public:
    // The result of SelectDevice when the device is not connected.
    static constexpr KX::KXRESULT kNotConnected = -3;

    // libraryPath: the library file that CreateClient loads; empty for the one in the
    // executable's folder.
    static KX::RCPtr<LDeviceCommunicationInterface> Create(const KX::WString& libraryPath = KX::WString());

    explicit LDeviceCommunicationInterface(const KX::WString& libraryPath = KX::WString());
    ~LDeviceCommunicationInterface() override;

    // Stops the delivery thread when only its reference to this object is left.
    KX::KXRESULT ReleaseInternalReferences() override;

    // 1 when a client exists; 0 once one was made (also when the library did not load);
    // E_FAIL when it cannot be made.
    virtual KX::KXRESULT CreateClient();
    virtual bool IsOnline();
    bool EchoConnectionValue(int64_t value) override;
    virtual void Synchronize();
    virtual void Activate();
    // One element, the default device (an empty id); the library is not asked.
    virtual KX::KXRESULT FindDevices(const KX::Array<ZVDI_GUID>& filter, KX::IArray<KX::Variant>& devices);
    // Quick searches every 250 ms until the remote list differs from devices (0, devices then
    // holds the new list) or limitMs has passed (1); E_FAIL for a failed search. A signalled stop
    // event ends the wait between searches at once (1); the signal is consumed.
    virtual KX::KXRESULT WaitForRemoteDeviceListChange(const KX::Array<ZVDI_GUID>& filter,
                                                       KX::IArray<KX::Variant>& devices, uint32_t limitMs,
                                                       KX::Event* stop = nullptr);
    // One full search; the library's result.
    virtual KX::KXRESULT FindRemoteDevices(const KX::Array<ZVDI_GUID>& filter, KX::IArray<KX::Variant>& devices);
    KX::KXRESULT ConnectDevice(const KX::Variant& deviceId) override;
    KX::KXRESULT RequestParamRanges(const KX::ParamDescriptors& descriptors) override;
    virtual KX::KXRESULT RequestParamValues(const KX::ParamDescriptors& descriptors);
    KX::KXRESULT RequestParamValue(const KX::ParamDescriptor& descriptor) override;
    virtual KX::KXRESULT GetParamRanges(const KX::Variant& descriptors, KX::Variant& ranges);
    virtual KX::KXRESULT GetParamValues(const KX::Variant& descriptors, KX::Variant& values);
    KX::KXRESULT GetParamValue(const KX::ParamDescriptor& descriptor, KX::Variant& value) override;
    KX::KXRESULT SetParamValue(const KX::ParamDescriptor& descriptor, const KX::Variant& value) override;
    virtual KX::KXRESULT SetParamValues(const KX::ParamValues& values);
    virtual bool IsDeviceConnected();
    virtual KX::KXRESULT SelectDevice(const KX::Variant& deviceId);
    KX::KXRESULT DisconnectDevice() override;
    // record: KX::DeviceControl::kDeviceInfoSize bytes; byte 252 non-zero means present.
    virtual KX::KXRESULT GetDeviceInfo(const KX::Variant& deviceId, uint8_t* record);
    virtual KX::KXRESULT GetStatusText(KX::Variant& text);
    virtual KX::KXRESULT SetStatusText(const KX::Variant& text);
    virtual KX::KXRESULT GetDeviceIndex(int32_t& index);

    void SetReceiver(DeviceCommunicationReceiver* receiver) override;
    DeviceCommunicationReceiver* GetReceiver() const override;
    // Turning delivery off returns only after a drain in progress has finished.
    void SetDeliveryEnabled(bool enabled) override;

    // Handed to the library: queues a copy of the list and wakes the delivery thread.
    static void OnParamValues(void* context, const KX::Variant* deviceId, const KX::Variant* values);

    // Hands every queued list to the receiver, oldest first (the delivery thread's work).
    void DeliverQueuedValues();

    // For tests: whether the library was loaded, and the delivery thread.
    bool IsLibraryLoaded() const;
    KX::Thread* GetDeliveryThread() const;

private:
    // A copy of the selected device id, taken under the state lock.
    KX::Variant CopyDeviceId() const;
    KX::DeviceControlClientInterface* Client() const;

    LDeviceCommunicationState* m_state;
};

// The delivery thread's work: drains the owner's value queue.
class LDeviceCommunicationThreadWorker : public KX::LThreadWorker {
public:
    KX::KXRESULT Work(const KX::RCPtr<KX::LRefCountedObject>& params) override;
};
