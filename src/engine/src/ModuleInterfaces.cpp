#include "engine/ModuleInterfaces.h"

#include <iterator>

// ---- IPedals ----

void IPedals::SetFirstParamID(LParameterizedModule* parent, int32_t firstId, int32_t index)
{
    LParameterizedModule::SetFirstParamID(parent, firstId, index);
    if (const KX::RCPtr<IVolumePedal> volume = GetVolumePedal())
        volume->SetFirstParamID(this, firstId, 0);
    if (const KX::RCPtr<ISustainPedal> sustain = GetSustainPedal())
        sustain->SetFirstParamID(this, OffsetParamID(firstId, 1), 0);
}

KX::RCPtr<LParameterizedModule> IPedals::FindModuleForParam(int32_t id)
{
    switch (RelativeParamID(id, GetFirstParamID())) {
    case 0:
        if (const KX::RCPtr<IVolumePedal> volume = GetVolumePedal())
            return volume->FindModuleForParam(id);
        break;
    case 1:
        if (const KX::RCPtr<ISustainPedal> sustain = GetSustainPedal())
            return sustain->FindModuleForParam(id);
        break;
    default: break;
    }
    return KX::RCPtr<LParameterizedModule>();
}

void IPedals::PropagateConfigurationError()
{
    if (const KX::RCPtr<IVolumePedal> volume = GetVolumePedal())
        volume->PropagateConfigurationError();
    if (const KX::RCPtr<ISustainPedal> sustain = GetSustainPedal())
        sustain->PropagateConfigurationError();
}

void IPedals::PropagateTreeSignal()
{
    if (const KX::RCPtr<IVolumePedal> volume = GetVolumePedal())
        volume->PropagateTreeSignal();
    if (const KX::RCPtr<ISustainPedal> sustain = GetSustainPedal())
        sustain->PropagateTreeSignal();
}

// ---- IDevice ----

template <class F>
void IDevice::ForEachChild(F&& f)
{
    // Child order: preset name, keybed zones, wheels, pedals, pads, push buttons,
    // faders, encoders, XY pad axes.
    const KX::RCPtr<LParameterizedModule> children[] = {
        GetPresetName(),  GetKeybedZones(), GetWheels(),   GetPedals(),         GetPads(),
        GetPushButtons(), GetFaders(),      GetEncoders(), GetTouchPadAxises(),
    };
    static constexpr int32_t offsets[] = {
        kPresetNameOffset,  kKeybedZonesOffset, kWheelsOffset,   kPedalsOffset,         kPadsOffset,
        kPushButtonsOffset, kFadersOffset,      kEncodersOffset, kTouchPadAxisesOffset,
    };
    for (size_t i = 0; i < std::size(children); ++i) {
        if (children[i])
            f(*children[i], offsets[i]);
    }
}

void IDevice::SetFirstParamID(LParameterizedModule* parent, int32_t firstId, int32_t index)
{
    LParameterizedModule::SetFirstParamID(parent, firstId, index);
    ForEachChild([&](LParameterizedModule& child, int32_t offset) {
        child.SetFirstParamID(this, OffsetParamID(firstId, offset), 0);
    });
}

KX::RCPtr<LParameterizedModule> IDevice::ChildForOffset(uint32_t d)
{
    if (d < static_cast<uint32_t>(kKeybedZonesOffset))
        return GetPresetName();
    if (d < static_cast<uint32_t>(kWheelsOffset))
        return GetKeybedZones();
    if (d < static_cast<uint32_t>(kPedalsOffset))
        return GetWheels();
    if (d < static_cast<uint32_t>(kPadsOffset))
        return GetPedals();
    if (d < static_cast<uint32_t>(kPushButtonsOffset))
        return GetPads();
    if (d < static_cast<uint32_t>(kFadersOffset))
        return GetPushButtons();
    if (d < static_cast<uint32_t>(kEncodersOffset))
        return GetFaders();
    if (d < static_cast<uint32_t>(kTouchPadAxisesOffset))
        return GetEncoders();
    return GetTouchPadAxises();
}

KX::RCPtr<LParameterizedModule> IDevice::FindModuleForParam(int32_t id)
{
    const uint32_t d = RelativeParamID(id, GetFirstParamID());
    if (d >= static_cast<uint32_t>(kParamCount))
        return KX::RCPtr<LParameterizedModule>();
    if (const KX::RCPtr<LParameterizedModule> child = ChildForOffset(d))
        return child->FindModuleForParam(id);
    return KX::RCPtr<LParameterizedModule>();
}

void IDevice::PropagateConfigurationError()
{
    ForEachChild([](LParameterizedModule& child, int32_t) { child.PropagateConfigurationError(); });
}

void IDevice::PropagateTreeSignal()
{
    ForEachChild([](LParameterizedModule& child, int32_t) { child.PropagateTreeSignal(); });
}
