// The keybed-zone group panel: its names and manners.
#include "editor/KeybedZoneGroupPanel.h"

#include "editor/DeviceView.h"

using namespace KX;

// Four tiles of the group's own; the edit panel is watched from Initialize on, registered once.
const GroupPanelLayout LKeybedZoneGroupPanel::kLayout{"LKeybedZoneGroupPanel",
                                                      "UI\\LumoSeriesCommon\\KeybedZoneGroupPanel",
                                                      u"zoneEditPanel",
                                                      nullptr,
                                                      u"zone",
                                                      1,
                                                      IKeybedZones::kChildCount,
                                                      LDeviceView::kKeybedZonePanel,
                                                      IKeybedZones::kChildCount,
                                                      false,
                                                      false,
                                                      true,
                                                      nullptr,
                                                      u"zoneName"};

LKeybedZoneGroupPanel::LKeybedZoneGroupPanel(const RCPtr<LControl>& parent, const WString& name)
    : LGroupPanelFrame(parent, name, kLayout)
{
}

LKeybedZoneGroupPanel::~LKeybedZoneGroupPanel() = default;

LParameterizedModule* LKeybedZoneGroupPanel::LeafModuleOf(LControl* control) const
{
    return dynamic_cast<IKeybedZone*>(control);
}
