#include "engine/GroupModules.h"

KX::RCPtr<LPedals> LPedals::Create()
{
    KX::RCPtr<LPedals> pedals(new LPedals());
    pedals->CreateChildren();
    return pedals;
}

void LPedals::SetFirstParamID(LParameterizedModule* parent, int32_t firstId, int32_t index)
{
    IPedals::SetFirstParamID(parent, firstId, index);
    if (GetRelativeFirstParamID() != static_cast<uint32_t>(kPlace))
        ControlModuleSupport::ThrowModuleError("Invalid FirstParamID", "LPedals", "SetFirstParamID",
                                               "DeviceControl/GeneratedCode/Engine/Src/Pedals", 72);
}

KX::KXRESULT LPedals::SetParamValueGlobal(const KX::ParamDescriptor& descriptor, const KX::Variant& value)
{
    return SetParamValueGlobalHeld(descriptor, value);
}

KX::Variant LPedals::GetParamValueGlobal(const KX::ParamDescriptor& descriptor)
{
    return GetParamValueGlobalHeld(descriptor);
}

LPedals::~LPedals()
{
    ReleaseChildLink(m_volumePedal.Get(), this);
    ReleaseChildLink(m_sustainPedal.Get(), this);
}

void LPedals::CreateChildren()
{
    ReleaseChildLink(m_volumePedal.Get(), this);
    ReleaseChildLink(m_sustainPedal.Get(), this);
    m_volumePedal = LVolumePedal::Create();
    m_sustainPedal = LSustainPedal::Create();
}
