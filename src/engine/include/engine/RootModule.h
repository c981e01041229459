#pragma once
// The top of the keyboard's parameter model. It owns the device module and so the
// whole tree, keeps every value in the parameter cache, reports each change to its
// owner, sends the values set by the engine to the device and takes the values the
// device reports. A value that came from the device is never sent back to it.
//
// Locks (the engine's lock order is in RootModuleEngine.h): the module lock guards the
// tree and the cache; the send lock, taken under it, keeps sends in model order while
// the module lock is let go for the device call. Pseudo-parameters (negative ids) are
// read and echoed without the module lock. The owner callback runs under the module lock,
// so that the owner hears of changes in the order they were made: it may only post.
#include "engine/Device.h"
#include "engine/RootModuleInterface.h"

#include "kx/Mutex.h"

class LRootModule final : public IRootModule, public DeviceCommunicationReceiver {
public:
    // A new root with its first reference taken and its tree created.
    static KX::RCPtr<LRootModule> Create(bool offline);
    ~LRootModule() override;

    // Wires the root: owner callback, cache and device communication; numbers the tree
    // from firstId, loads the defaults into the cache (unreported) and becomes the device
    // communication's receiver with delivery on. Returns 0.
    KX::KXRESULT Setup(ParamValuesCallback callback, void* context, const KX::RCPtr<IParamCache>& cache,
                       const KX::RCPtr<IDeviceCommunication>& deviceCommunication, int32_t firstId);
    // Reconnects the device communication to device; a failure makes the root offline.
    // Returns the connect result.
    KX::KXRESULT ConnectDevice(const KX::Variant& device);
    // Switches delivery to this receiver off; returns 0.
    KX::KXRESULT StopReceiving();

    // Store and report a changed value; -1 for an id outside the model, E_INVALIDARG for a
    // value that is not the parameter's record, the cache's negative result when it refuses
    // the value (nothing is reported). An empty or equal value changes nothing (0).
    KX::KXRESULT SetCachedParamValue(const KX::ParamDescriptor& descriptor, const KX::Variant& value) override;
    KX::Variant GetCachedParamValue(const KX::ParamDescriptor& descriptor) override;

    void NotifyParamValue(const KX::ParamDescriptor& descriptor, const KX::Variant& value) override;
    KX::RCPtr<IDeviceCommunication> GetDeviceCommunication() override;
    // The model part under the lock, the sending to the device after it (in the same
    // order). Id -4 is echoed through the device communication without the lock (the echo
    // comes back through ReceiveParamValues): 0 when it was delivered, 1 when there is no
    // receiver.
    [[nodiscard]] KX::KXRESULT SetParamValues(const KX::ParamDescriptor& descriptor, const KX::Variant& value) override;
    // Under the lock; negative ids are the device communication's to answer, without it.
    KX::KXRESULT GetParamValue(const KX::ParamDescriptor& descriptor, KX::Variant& value) override;
    KX::ConstRCPtr<IDevice> GetDevice() const override { return m_device; }
    KX::RCPtr<IDevice> GetDevice() override { return m_device; }

    virtual KX::RCPtr<IParamCache> GetParamCache();
    // Hands the values to the owner unchanged.
    virtual void NotifyParamValues(const KX::IArray<KX::ParamValue>& values);
    // Creates the device module and its tree.
    virtual void CreateChildren();

    // Values the device reported, on the delivery thread, under the lock.
    KX::KXRESULT ReceiveParamValues(const KX::ParamValues& values) override;
    KX::KXRESULT ReceiveDeviceNotice(int32_t code, const KX::Variant& a, const KX::Variant& b) override;

private:
    explicit LRootModule(bool offline) : IRootModule(offline) {}
    // Stops delivery to this root and unregisters it, when it is the registered receiver.
    void DetachFrom(IDeviceCommunication& communication);

    KX::RCPtr<IDevice> m_device;
    ParamValuesCallback m_callback = nullptr;
    void* m_context = nullptr;
    KX::RCPtr<IDeviceCommunication> m_deviceCommunication;
    KX::RCPtr<IParamCache> m_cache;
    KX::Mutex m_lock;
    // Keeps sets reaching the device in the order they reached the model; taken under
    // m_lock, which is then let go, so that deliveries need not wait for the device.
    KX::Mutex m_sendLock;
};
