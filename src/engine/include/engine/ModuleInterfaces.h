#pragma once
// The interfaces of the parameter tree's module kinds. The model implements them
// (ControlModules.h, GroupModules.h, Device.h) and so do the user-interface panels,
// which reuse everything implemented here and supply their own children.
#include "engine/ParameterizedModule.h"

// ---- Controls: one parameter each ----

class IControlModule : public LParameterizedModule {
protected:
    IControlModule() noexcept : LParameterizedModule(1) {}
};

class IPresetName : public IControlModule {};
class IKeybedZone : public IControlModule {};
class IWheel : public IControlModule {};
class IVolumePedal : public IControlModule {};
class ISustainPedal : public IControlModule {};
class IPad : public IControlModule {};
class IPushButton : public IControlModule {};
class IFader : public IControlModule {};
class IEncoder : public IControlModule {};
class ITouchPadAxis : public IControlModule {};

// ---- Groups of N like controls ----

// Spreads the ids over the children, routes an id to the child that owns it and
// passes the walks on. Children are reached through GetChild, which each group
// interface maps to its named accessor.
template <class Child, uint32_t N>
class IModuleGroup : public LParameterizedModule {
public:
    static constexpr uint32_t kChildCount = N;

    // Child i gets first + i and index i.
    void SetFirstParamID(LParameterizedModule* parent, int32_t firstId, int32_t index) override
    {
        LParameterizedModule::SetFirstParamID(parent, firstId, index);
        for (uint32_t i = 0; i < N; ++i) {
            if (const KX::RCPtr<Child> child = GetChild(i))
                child->SetFirstParamID(this, OffsetParamID(firstId, static_cast<int32_t>(i)), static_cast<int32_t>(i));
        }
    }

    KX::RCPtr<LParameterizedModule> FindModuleForParam(int32_t id) override
    {
        const uint32_t d = RelativeParamID(id, GetFirstParamID());
        if (d < N) {
            if (const KX::RCPtr<Child> child = GetChild(d))
                return child->FindModuleForParam(id);
        }
        return KX::RCPtr<LParameterizedModule>();
    }

    void PropagateConfigurationError() override
    {
        for (uint32_t i = 0; i < N; ++i) {
            if (const KX::RCPtr<Child> child = GetChild(i))
                child->PropagateConfigurationError();
        }
    }

    void PropagateTreeSignal() override
    {
        for (uint32_t i = 0; i < N; ++i) {
            if (const KX::RCPtr<Child> child = GetChild(i))
                child->PropagateTreeSignal();
        }
    }

protected:
    IModuleGroup() noexcept : LParameterizedModule(0) {}
    virtual KX::RCPtr<Child> GetChild(uint32_t index) = 0;
};

class IKeybedZones : public IModuleGroup<IKeybedZone, 4> {
public:
    virtual KX::ConstRCPtr<IKeybedZone> GetKeybedZone(uint32_t index) const
    {
        return const_cast<IKeybedZones*>(this)->GetKeybedZone(index);
    }
    virtual KX::RCPtr<IKeybedZone> GetKeybedZone(uint32_t index) = 0;

protected:
    KX::RCPtr<IKeybedZone> GetChild(uint32_t index) final { return GetKeybedZone(index); }
};

class IWheels : public IModuleGroup<IWheel, 2> {
public:
    virtual KX::ConstRCPtr<IWheel> GetWheel(uint32_t index) const
    {
        return const_cast<IWheels*>(this)->GetWheel(index);
    }
    virtual KX::RCPtr<IWheel> GetWheel(uint32_t index) = 0;

protected:
    KX::RCPtr<IWheel> GetChild(uint32_t index) final { return GetWheel(index); }
};

class IPads : public IModuleGroup<IPad, 16> {
public:
    virtual KX::ConstRCPtr<IPad> GetPad(uint32_t index) const { return const_cast<IPads*>(this)->GetPad(index); }
    virtual KX::RCPtr<IPad> GetPad(uint32_t index) = 0;

protected:
    KX::RCPtr<IPad> GetChild(uint32_t index) final { return GetPad(index); }
};

class IPushButtons : public IModuleGroup<IPushButton, 20> {
public:
    virtual KX::ConstRCPtr<IPushButton> GetPushButton(uint32_t index) const
    {
        return const_cast<IPushButtons*>(this)->GetPushButton(index);
    }
    virtual KX::RCPtr<IPushButton> GetPushButton(uint32_t index) = 0;

protected:
    KX::RCPtr<IPushButton> GetChild(uint32_t index) final { return GetPushButton(index); }
};

class IFaders : public IModuleGroup<IFader, 20> {
public:
    virtual KX::ConstRCPtr<IFader> GetFader(uint32_t index) const
    {
        return const_cast<IFaders*>(this)->GetFader(index);
    }
    virtual KX::RCPtr<IFader> GetFader(uint32_t index) = 0;

protected:
    KX::RCPtr<IFader> GetChild(uint32_t index) final { return GetFader(index); }
};

class IEncoders : public IModuleGroup<IEncoder, 16> {
public:
    virtual KX::ConstRCPtr<IEncoder> GetEncoder(uint32_t index) const
    {
        return const_cast<IEncoders*>(this)->GetEncoder(index);
    }
    virtual KX::RCPtr<IEncoder> GetEncoder(uint32_t index) = 0;

protected:
    KX::RCPtr<IEncoder> GetChild(uint32_t index) final { return GetEncoder(index); }
};

class ITouchPadAxises : public IModuleGroup<ITouchPadAxis, 2> {
public:
    virtual KX::ConstRCPtr<ITouchPadAxis> GetTouchPadAxis(uint32_t index) const
    {
        return const_cast<ITouchPadAxises*>(this)->GetTouchPadAxis(index);
    }
    virtual KX::RCPtr<ITouchPadAxis> GetTouchPadAxis(uint32_t index) = 0;

protected:
    KX::RCPtr<ITouchPadAxis> GetChild(uint32_t index) final { return GetTouchPadAxis(index); }
};

// ---- The pedal group: two different controls ----

class IPedals : public LParameterizedModule {
public:
    // The volume pedal gets first + 0, the sustain pedal first + 1; both index 0.
    void SetFirstParamID(LParameterizedModule* parent, int32_t firstId, int32_t index) override;
    KX::RCPtr<LParameterizedModule> FindModuleForParam(int32_t id) override;
    void PropagateConfigurationError() override;
    void PropagateTreeSignal() override;

    virtual KX::ConstRCPtr<IVolumePedal> GetVolumePedal() const { return const_cast<IPedals*>(this)->GetVolumePedal(); }
    virtual KX::RCPtr<IVolumePedal> GetVolumePedal() = 0;
    virtual KX::ConstRCPtr<ISustainPedal> GetSustainPedal() const
    {
        return const_cast<IPedals*>(this)->GetSustainPedal();
    }
    virtual KX::RCPtr<ISustainPedal> GetSustainPedal() = 0;

protected:
    IPedals() noexcept : LParameterizedModule(0) {}
};

// ---- The device: the preset name and the eight groups ----

class IDevice : public LParameterizedModule {
public:
    // Where each child's ids start, relative to the device's first id.
    static constexpr int32_t kPresetNameOffset = 0;
    static constexpr int32_t kKeybedZonesOffset = 1;
    static constexpr int32_t kWheelsOffset = 5;
    static constexpr int32_t kPedalsOffset = 7;
    static constexpr int32_t kPadsOffset = 9;
    static constexpr int32_t kPushButtonsOffset = 25;
    static constexpr int32_t kFadersOffset = 45;
    static constexpr int32_t kEncodersOffset = 65;
    static constexpr int32_t kTouchPadAxisesOffset = 81;
    static constexpr int32_t kParamCount = 83;

    void SetFirstParamID(LParameterizedModule* parent, int32_t firstId, int32_t index) override;
    KX::RCPtr<LParameterizedModule> FindModuleForParam(int32_t id) override;
    void PropagateConfigurationError() override;
    void PropagateTreeSignal() override;

    virtual KX::ConstRCPtr<IPresetName> GetPresetName() const { return const_cast<IDevice*>(this)->GetPresetName(); }
    virtual KX::RCPtr<IPresetName> GetPresetName() = 0;
    virtual KX::ConstRCPtr<IKeybedZones> GetKeybedZones() const { return const_cast<IDevice*>(this)->GetKeybedZones(); }
    virtual KX::RCPtr<IKeybedZones> GetKeybedZones() = 0;
    virtual KX::ConstRCPtr<IWheels> GetWheels() const { return const_cast<IDevice*>(this)->GetWheels(); }
    virtual KX::RCPtr<IWheels> GetWheels() = 0;
    virtual KX::ConstRCPtr<IPedals> GetPedals() const { return const_cast<IDevice*>(this)->GetPedals(); }
    virtual KX::RCPtr<IPedals> GetPedals() = 0;
    virtual KX::ConstRCPtr<IPads> GetPads() const { return const_cast<IDevice*>(this)->GetPads(); }
    virtual KX::RCPtr<IPads> GetPads() = 0;
    virtual KX::ConstRCPtr<IPushButtons> GetPushButtons() const { return const_cast<IDevice*>(this)->GetPushButtons(); }
    virtual KX::RCPtr<IPushButtons> GetPushButtons() = 0;
    virtual KX::ConstRCPtr<IFaders> GetFaders() const { return const_cast<IDevice*>(this)->GetFaders(); }
    virtual KX::RCPtr<IFaders> GetFaders() = 0;
    virtual KX::ConstRCPtr<IEncoders> GetEncoders() const { return const_cast<IDevice*>(this)->GetEncoders(); }
    virtual KX::RCPtr<IEncoders> GetEncoders() = 0;
    virtual KX::ConstRCPtr<ITouchPadAxises> GetTouchPadAxises() const
    {
        return const_cast<IDevice*>(this)->GetTouchPadAxises();
    }
    virtual KX::RCPtr<ITouchPadAxises> GetTouchPadAxises() = 0;

protected:
    IDevice() noexcept : LParameterizedModule(0) {}

private:
    // The child that owns offset d (0..82) from the device's first id.
    KX::RCPtr<LParameterizedModule> ChildForOffset(uint32_t d);
    template <class F>
    void ForEachChild(F&& f);
};
