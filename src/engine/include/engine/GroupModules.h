#pragma once
// The model's group modules: seven groups of like controls held in an array, and
// the pedal group with its two different pedals. A group owns its controls, hands
// each one out by index and checks its own place in the layout.
#include "engine/ControlModules.h"
#include "engine/ModuleInterfaces.h"

#include "kx/RCPtrArray.h"

// Self supplies kClassName, kSource and kPlace (the first relative id of its children).
template <class Self, class Interface, class Child>
class LControlGroup : public Interface {
public:
    static constexpr uint32_t kCount = Interface::kChildCount;

    // A new group with its first reference taken and its controls created.
    static KX::RCPtr<Self> Create()
    {
        KX::RCPtr<Self> group(new Self());
        group->CreateChildren();
        return group;
    }

    // The children get their ids (and check them) first, then the group checks its own place.
    void SetFirstParamID(LParameterizedModule* parent, int32_t firstId, int32_t index) override
    {
        Interface::SetFirstParamID(parent, firstId, index);
        if (this->GetRelativeFirstParamID() != static_cast<uint32_t>(Self::kPlace))
            ControlModuleSupport::ThrowModuleError("Invalid FirstParamID", Self::kClassName, "SetFirstParamID",
                                                   Self::kSource, 72);
    }

    KX::KXRESULT SetParamValueGlobal(const KX::ParamDescriptor& descriptor, const KX::Variant& value) override
    {
        return this->SetParamValueGlobalHeld(descriptor, value);
    }

    KX::Variant GetParamValueGlobal(const KX::ParamDescriptor& descriptor) override
    {
        return this->GetParamValueGlobalHeld(descriptor);
    }

    // Fills every entry with a new control, releasing what it held before; sets no id.
    virtual void CreateChildren()
    {
        m_children.SetSize(kCount);
        for (uint32_t i = 0; i < kCount; ++i) {
            KX::RCPtr<Child>& entry = m_children.GetData()[i];
            this->ReleaseChildLink(entry.Get(), this);
            entry = Child::Create();
        }
    }

protected:
    LControlGroup() = default;
    ~LControlGroup() override
    {
        for (uint32_t i = 0; i < m_children.GetCount(); ++i)
            this->ReleaseChildLink(m_children.GetData()[i].Get(), this);
    }

    // Entry index, or null for an index outside the group.
    KX::RCPtr<Child> ChildAt(uint32_t index) const
    {
        if (index >= m_children.GetCount())
            return KX::RCPtr<Child>();
        return const_cast<LControlGroup*>(this)->m_children.GetData()[index];
    }

private:
    KX::RCPtrArray<Child, 1, 0> m_children;
};

#define KX_CONTROL_GROUP(Group, Child, Accessor, Place)                                                                \
    class L##Group final : public LControlGroup<L##Group, I##Group, L##Child> {                                        \
    public:                                                                                                            \
        static constexpr const char* kClassName = "L" #Group;                                                          \
        static constexpr const char* kSource = "DeviceControl/GeneratedCode/Engine/Src/" #Group;                       \
        static constexpr int32_t kPlace = Place;                                                                       \
                                                                                                                       \
        KX::ConstRCPtr<I##Child> Accessor(uint32_t index) const override { return ChildAt(index); }                    \
        KX::RCPtr<I##Child> Accessor(uint32_t index) override { return ChildAt(index); }                               \
                                                                                                                       \
    private:                                                                                                           \
        friend class LControlGroup<L##Group, I##Group, L##Child>;                                                      \
        L##Group() = default;                                                                                          \
    }

KX_CONTROL_GROUP(KeybedZones, KeybedZone, GetKeybedZone, 1);
KX_CONTROL_GROUP(Wheels, Wheel, GetWheel, 5);
KX_CONTROL_GROUP(Pads, Pad, GetPad, 9);
KX_CONTROL_GROUP(PushButtons, PushButton, GetPushButton, 25);
KX_CONTROL_GROUP(Faders, Fader, GetFader, 45);
KX_CONTROL_GROUP(Encoders, Encoder, GetEncoder, 65);
KX_CONTROL_GROUP(TouchPadAxises, TouchPadAxis, GetTouchPadAxis, 81);

#undef KX_CONTROL_GROUP

// The volume pedal (first + 0) and the sustain pedal (first + 1).
class LPedals final : public IPedals {
public:
    static constexpr int32_t kPlace = 7;

    static KX::RCPtr<LPedals> Create();

    void SetFirstParamID(LParameterizedModule* parent, int32_t firstId, int32_t index) override;
    KX::KXRESULT SetParamValueGlobal(const KX::ParamDescriptor& descriptor, const KX::Variant& value) override;
    KX::Variant GetParamValueGlobal(const KX::ParamDescriptor& descriptor) override;

    KX::ConstRCPtr<IVolumePedal> GetVolumePedal() const override { return m_volumePedal; }
    KX::RCPtr<IVolumePedal> GetVolumePedal() override { return m_volumePedal; }
    KX::ConstRCPtr<ISustainPedal> GetSustainPedal() const override { return m_sustainPedal; }
    KX::RCPtr<ISustainPedal> GetSustainPedal() override { return m_sustainPedal; }

    virtual void CreateChildren();

private:
    LPedals() = default;
    ~LPedals() override;

    // Released in reverse order: the sustain pedal first.
    KX::RCPtr<LVolumePedal> m_volumePedal;
    KX::RCPtr<LSustainPedal> m_sustainPedal;
};
