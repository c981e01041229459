#pragma once
// The keybed-zone group panel ("PresetEditor.MainControl.KeybedZones"): the group panel frame over
// the four zone tiles "zone1".."zone4" and the zone edit panel, which a click points at the
// clicked zone before the device view shows it. Main thread only.
#include "editor/GroupPanelFrame.h"

#include "engine/ModuleInterfaces.h"

class LKeybedZoneGroupPanel : public LGroupPanelFrame, public IKeybedZones {
public:
    static const GroupPanelLayout kLayout;

    LKeybedZoneGroupPanel(const KX::RCPtr<KX::LControl>& parent, const KX::WString& name);

    using IKeybedZones::GetKeybedZone;
    KX::RCPtr<IKeybedZone> GetKeybedZone(uint32_t index) override { return ChildAs<IKeybedZone>(index); }
    void SetFirstParamID(LParameterizedModule* parent, int32_t firstId, int32_t index) override
    {
        const IdPass pass(*this);
        IKeybedZones::SetFirstParamID(parent, firstId, index);
    }
    KX::KXRESULT SetParamValueGlobal(const KX::ParamDescriptor& descriptor, const KX::Variant& value) override
    {
        return MirrorToTiles(descriptor, value);
    }

protected:
    ~LKeybedZoneGroupPanel() override;
    LParameterizedModule* GroupModule() override { return this; }
    LParameterizedModule* LeafModuleOf(KX::LControl* control) const override;
};
