#pragma once
// The two-tile groups of the keyboard picture: the pitch and modulation wheels, and the X and Y
// directions of the XY pad. Each is the group panel frame with named tiles and no banks; one edit
// panel serves both tiles and is pointed at the clicked one. Main thread only.
#include "editor/GroupPanelFrame.h"

#include "engine/ModuleInterfaces.h"

class LWheelGroupPanel : public LGroupPanelFrame, public IWheels {
public:
    static const GroupPanelLayout kLayout;

    LWheelGroupPanel(const KX::RCPtr<KX::LControl>& parent, const KX::WString& name);

    using IWheels::GetWheel;
    KX::RCPtr<IWheel> GetWheel(uint32_t index) override { return ChildAs<IWheel>(index); }
    void SetFirstParamID(LParameterizedModule* parent, int32_t firstId, int32_t index) override
    {
        const IdPass pass(*this);
        IWheels::SetFirstParamID(parent, firstId, index);
    }
    KX::KXRESULT SetParamValueGlobal(const KX::ParamDescriptor& descriptor, const KX::Variant& value) override
    {
        return MirrorToTiles(descriptor, value);
    }

protected:
    ~LWheelGroupPanel() override;
    LParameterizedModule* GroupModule() override { return this; }
    LParameterizedModule* LeafModuleOf(KX::LControl* control) const override;
};

class LXYPadDirectionGroupPanel : public LGroupPanelFrame, public ITouchPadAxises {
public:
    static const GroupPanelLayout kLayout;

    LXYPadDirectionGroupPanel(const KX::RCPtr<KX::LControl>& parent, const KX::WString& name);

    using ITouchPadAxises::GetTouchPadAxis;
    KX::RCPtr<ITouchPadAxis> GetTouchPadAxis(uint32_t index) override { return ChildAs<ITouchPadAxis>(index); }
    void SetFirstParamID(LParameterizedModule* parent, int32_t firstId, int32_t index) override
    {
        const IdPass pass(*this);
        ITouchPadAxises::SetFirstParamID(parent, firstId, index);
    }
    KX::KXRESULT SetParamValueGlobal(const KX::ParamDescriptor& descriptor, const KX::Variant& value) override
    {
        return MirrorToTiles(descriptor, value);
    }

protected:
    ~LXYPadDirectionGroupPanel() override;
    LParameterizedModule* GroupModule() override { return this; }
    LParameterizedModule* LeafModuleOf(KX::LControl* control) const override;
};
