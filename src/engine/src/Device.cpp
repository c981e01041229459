#include "engine/Device.h"

KX::RCPtr<LDevice> LDevice::Create()
{
    KX::RCPtr<LDevice> device(new LDevice());
    device->CreateChildren();
    return device;
}

void LDevice::SetFirstParamID(LParameterizedModule* parent, int32_t firstId, int32_t index)
{
    IDevice::SetFirstParamID(parent, firstId, index);
    if (GetRelativeFirstParamID() != 0)
        ControlModuleSupport::ThrowModuleError("Invalid FirstParamID", "LDevice", "SetFirstParamID",
                                               "DeviceControl/GeneratedCode/Engine/Src/Device", 72);
}

KX::KXRESULT LDevice::SetParamValueGlobal(const KX::ParamDescriptor& descriptor, const KX::Variant& value)
{
    return SetParamValueGlobalHeld(descriptor, value);
}

KX::Variant LDevice::GetParamValueGlobal(const KX::ParamDescriptor& descriptor)
{
    return GetParamValueGlobalHeld(descriptor);
}

LDevice::~LDevice()
{
    ReleaseChildLinks();
}

void LDevice::ReleaseChildLinks() noexcept
{
    ReleaseChildLink(m_presetName.Get(), this);
    ReleaseChildLink(m_keybedZones.Get(), this);
    ReleaseChildLink(m_wheels.Get(), this);
    ReleaseChildLink(m_pedals.Get(), this);
    ReleaseChildLink(m_pads.Get(), this);
    ReleaseChildLink(m_pushButtons.Get(), this);
    ReleaseChildLink(m_faders.Get(), this);
    ReleaseChildLink(m_encoders.Get(), this);
    ReleaseChildLink(m_touchPadAxises.Get(), this);
}

void LDevice::CreateChildren()
{
    ReleaseChildLinks();
    m_presetName = LPresetName::Create();
    m_keybedZones = LKeybedZones::Create();
    m_wheels = LWheels::Create();
    m_pedals = LPedals::Create();
    m_pads = LPads::Create();
    m_pushButtons = LPushButtons::Create();
    m_faders = LFaders::Create();
    m_encoders = LEncoders::Create();
    m_touchPadAxises = LTouchPadAxises::Create();
}
