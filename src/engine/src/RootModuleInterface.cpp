#include "engine/RootModuleInterface.h"

#include "engine/ControlModules.h"
#include "engine/ParamRecords.h"

namespace {

KX::KXRESULT SendToDevice(IRootModule& root, const KX::ParamDescriptor& descriptor, const KX::Variant& value)
{
    const KX::RCPtr<IDeviceCommunication> communication = root.GetDeviceCommunication();
    if (!communication)
        return KX::E_FAIL;
    return communication->SetParamValue(descriptor, value);
}

} // namespace

void IRootModule::SetFirstParamID(LParameterizedModule* parent, int32_t firstId, int32_t index)
{
    LParameterizedModule::SetFirstParamID(parent, firstId, index);
    if (const KX::RCPtr<IDevice> device = GetDevice())
        device->SetFirstParamID(this, firstId, 0);
}

KX::RCPtr<LParameterizedModule> IRootModule::FindModuleForParam(int32_t id)
{
    if (RelativeToRoot(id) < kParamCount) {
        if (const KX::RCPtr<IDevice> device = GetDevice())
            return device->FindModuleForParam(id);
    }
    return KX::RCPtr<LParameterizedModule>();
}

KX::KXRESULT IRootModule::SetParamValueGlobal(const KX::ParamDescriptor& descriptor, const KX::Variant& value)
{
    return SetCachedParamValue(descriptor, value);
}

KX::Variant IRootModule::GetParamValueGlobal(const KX::ParamDescriptor& descriptor)
{
    return GetCachedParamValue(descriptor);
}

void IRootModule::PropagateConfigurationError()
{
    if (const KX::RCPtr<IDevice> device = GetDevice())
        device->PropagateConfigurationError();
}

void IRootModule::PropagateTreeSignal()
{
    if (const KX::RCPtr<IDevice> device = GetDevice())
        device->PropagateTreeSignal();
}

KX::ConstRCPtr<LParameterizedModule> IRootModule::GetModuleForPseudoParam(int32_t id) const
{
    return const_cast<IRootModule*>(this)->FindModuleForPseudoParam(id);
}

KX::RCPtr<LParameterizedModule> IRootModule::FindModuleForPseudoParam(int32_t)
{
    return KX::RCPtr<LParameterizedModule>();
}

KX::KXRESULT IRootModule::SetParamValues(const KX::ParamDescriptor& descriptor, const KX::Variant& value)
{
    bool send = false;
    const KX::KXRESULT result = StoreParamValue(descriptor, value, send);
    return send ? SendParamValue(descriptor, value) : result;
}

KX::KXRESULT IRootModule::StoreParamValue(const KX::ParamDescriptor& descriptor, const KX::Variant& value, bool& send)
{
    send = false;
    // A parameter's value must be its record: nothing else is stored or sent.
    const uint32_t relative = RelativeToRoot(descriptor.id);
    if (descriptor.id >= 0 && relative < kParamCount && !IsValidParamRecord(static_cast<int32_t>(relative), value))
        return KX::E_INVALIDARG;

    if (IsOffline())
        return SetCachedParamValue(descriptor, value);

    KX::RCPtr<LParameterizedModule> module;
    if (descriptor.id >= 0)
        module = FindModuleForParam(descriptor.id);
    else if (ControlModuleSupport::IsModulePseudoParam(descriptor.id))
        module = FindModuleForPseudoParam(descriptor.id);

    // The module stores (and reports) the value; the device gets it once, afterwards. A
    // value the model refuses goes nowhere, so model and device keep the same values.
    if (module) {
        const KX::KXRESULT stored = module->SetParamValueLocal(descriptor, value, false);
        if (KX::Failed(stored))
            return stored;
    }
    send = true;
    return KX::S_OK;
}

KX::KXRESULT IRootModule::SendParamValue(const KX::ParamDescriptor& descriptor, const KX::Variant& value)
{
    return SendToDevice(*this, descriptor, value);
}

KX::KXRESULT IRootModule::GetParamValue(const KX::ParamDescriptor& descriptor, KX::Variant& value)
{
    if (IsOffline()) {
        value = GetCachedParamValue(descriptor);
        return KX::S_OK;
    }
    const KX::RCPtr<LParameterizedModule> module = FindModuleForParam(descriptor.id);
    if (!module) {
        value.Clear();
        return KX::E_FAIL;
    }
    value = module->GetParamValueLocal(descriptor);
    return KX::S_OK;
}
