#pragma once
// The device module: the one child of the root module and the parent of the
// preset name and the eight control groups.
#include "engine/ControlModules.h"
#include "engine/GroupModules.h"
#include "engine/ModuleInterfaces.h"

class LDevice final : public IDevice {
public:
    // A new device with its first reference taken and its whole subtree created.
    static KX::RCPtr<LDevice> Create();

    // The children get their ids first; then the device must sit at the root's first id.
    void SetFirstParamID(LParameterizedModule* parent, int32_t firstId, int32_t index) override;
    KX::KXRESULT SetParamValueGlobal(const KX::ParamDescriptor& descriptor, const KX::Variant& value) override;
    KX::Variant GetParamValueGlobal(const KX::ParamDescriptor& descriptor) override;

    KX::ConstRCPtr<IPresetName> GetPresetName() const override { return m_presetName; }
    KX::RCPtr<IPresetName> GetPresetName() override { return m_presetName; }
    KX::ConstRCPtr<IKeybedZones> GetKeybedZones() const override { return m_keybedZones; }
    KX::RCPtr<IKeybedZones> GetKeybedZones() override { return m_keybedZones; }
    KX::ConstRCPtr<IWheels> GetWheels() const override { return m_wheels; }
    KX::RCPtr<IWheels> GetWheels() override { return m_wheels; }
    KX::ConstRCPtr<IPedals> GetPedals() const override { return m_pedals; }
    KX::RCPtr<IPedals> GetPedals() override { return m_pedals; }
    KX::ConstRCPtr<IPads> GetPads() const override { return m_pads; }
    KX::RCPtr<IPads> GetPads() override { return m_pads; }
    KX::ConstRCPtr<IPushButtons> GetPushButtons() const override { return m_pushButtons; }
    KX::RCPtr<IPushButtons> GetPushButtons() override { return m_pushButtons; }
    KX::ConstRCPtr<IFaders> GetFaders() const override { return m_faders; }
    KX::RCPtr<IFaders> GetFaders() override { return m_faders; }
    KX::ConstRCPtr<IEncoders> GetEncoders() const override { return m_encoders; }
    KX::RCPtr<IEncoders> GetEncoders() override { return m_encoders; }
    KX::ConstRCPtr<ITouchPadAxises> GetTouchPadAxises() const override { return m_touchPadAxises; }
    KX::RCPtr<ITouchPadAxises> GetTouchPadAxises() override { return m_touchPadAxises; }

    // Creates the nine children anew (they have no parent and no ids until SetFirstParamID).
    virtual void CreateChildren();

private:
    LDevice() = default;
    ~LDevice() override;
    void ReleaseChildLinks() noexcept;

    // Released in reverse order: the XY pad axes first, the preset name last.
    KX::RCPtr<LPresetName> m_presetName;
    KX::RCPtr<LKeybedZones> m_keybedZones;
    KX::RCPtr<LWheels> m_wheels;
    KX::RCPtr<LPedals> m_pedals;
    KX::RCPtr<LPads> m_pads;
    KX::RCPtr<LPushButtons> m_pushButtons;
    KX::RCPtr<LFaders> m_faders;
    KX::RCPtr<LEncoders> m_encoders;
    KX::RCPtr<LTouchPadAxises> m_touchPadAxises;
};
