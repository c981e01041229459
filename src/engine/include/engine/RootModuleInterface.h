#pragma once
// The top of a parameter tree. The model's root module implements it, and so does
// the user interface's main control, which shares every body implemented here: they
// reach the device, the cache and the device communication only through the
// virtual operations, and read the offline flag of this interface.
#include "engine/DeviceCommunicationReceiver.h"
#include "engine/ModuleInterfaces.h"
#include "engine/ParameterizedModule.h"

#include "kx/Array.h"

#include <atomic>

// The last known value of each parameter, one slot per index (the descriptor's id
// taken as unsigned). SetValue: 0 stored, 1 unchanged, negative failure; GetValue:
// 0 found, 1 not found, negative failure, with the output emptied first.
class IParamCache : public virtual KX::LRefCountedObject {
public:
    virtual int32_t SetValue(const KX::ParamDescriptor& descriptor, const KX::Variant& value, bool notify) = 0;
    virtual int32_t GetValue(const KX::ParamDescriptor& descriptor, KX::Variant& value) = 0;
};

// Told of every value that changed in the cache, or that the device reported
// without a module to own it. The array lives only for the call.
using ParamValuesCallback = int32_t (*)(void* context, const KX::IArray<KX::ParamValue>& values);

class IRootModule : public LParameterizedModule {
public:
    // The root's first id is spread to the device (index 0); no range check.
    void SetFirstParamID(LParameterizedModule* parent, int32_t firstId, int32_t index) override;
    // Ids first .. first + 82 go to the device; others find nothing.
    KX::RCPtr<LParameterizedModule> FindModuleForParam(int32_t id) override;
    KX::KXRESULT SetParamValueGlobal(const KX::ParamDescriptor& descriptor, const KX::Variant& value) override;
    KX::Variant GetParamValueGlobal(const KX::ParamDescriptor& descriptor) override;
    void PropagateConfigurationError() override;
    void PropagateTreeSignal() override;

    // Reports one value to the owner.
    virtual void NotifyParamValue(const KX::ParamDescriptor& descriptor, const KX::Variant& value) = 0;
    // The device communication, with a new reference; may be null.
    virtual KX::RCPtr<IDeviceCommunication> GetDeviceCommunication() = 0;
    virtual KX::ConstRCPtr<LParameterizedModule> GetModuleForPseudoParam(int32_t id) const;
    // No module claims a pseudo-parameter.
    virtual KX::RCPtr<LParameterizedModule> FindModuleForPseudoParam(int32_t id);
    // Sets a value from the user interface or the engine: into the owning module (and so
    // the cache), then to the device unless offline. A model id whose value is not a
    // record of exactly its length is refused with E_INVALIDARG and goes nowhere; so does a
    // value the owning module refuses to store (its result is returned).
    [[nodiscard]] virtual KX::KXRESULT SetParamValues(const KX::ParamDescriptor& descriptor, const KX::Variant& value);
    // Reads a model value: online through its module, offline from the cache.
    virtual KX::KXRESULT GetParamValue(const KX::ParamDescriptor& descriptor, KX::Variant& value);
    virtual KX::ConstRCPtr<IDevice> GetDevice() const { return const_cast<IRootModule*>(this)->GetDevice(); }
    virtual KX::RCPtr<IDevice> GetDevice() = 0;

    bool IsOffline() const noexcept { return m_offline.load(); }

protected:
    explicit IRootModule(bool offline) noexcept : LParameterizedModule(0), m_offline(offline) {}

    void SetOffline(bool offline) noexcept { m_offline.store(offline); }
    // SetParamValues in two steps: the model part, which sets send when the value is then
    // to go to the device, and the sending.
    KX::KXRESULT StoreParamValue(const KX::ParamDescriptor& descriptor, const KX::Variant& value, bool& send);
    KX::KXRESULT SendParamValue(const KX::ParamDescriptor& descriptor, const KX::Variant& value);
    // The id's offset from this root's first id, unsigned (ids below it come out very large).
    uint32_t RelativeToRoot(int32_t id) const noexcept { return RelativeParamID(id, GetFirstParamID()); }

private:
    // Read by the threads that set values, written by the one that connects.
    std::atomic<bool> m_offline;
};
