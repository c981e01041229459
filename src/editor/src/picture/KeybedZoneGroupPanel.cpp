// The keybed-zone group panel: its names and manners.
#include "editor/KeybedZoneGroupPanel.h"

#include "editor/DeviceView.h"

using namespace KX;

// Four tiles of the group's own; the edit panel is watched from Initialize on, registered once.
const GroupPanelLayout LKeybedZoneGroupPanel::kLayout{.className = "LKeybedZoneGroupPanel",
                                                      .sourcePath = "UI\\LumoSeriesCommon\\KeybedZoneGroupPanel",
                                                      .editPanelName = u"zoneEditPanel",
                                                      .bankStem = nullptr,
                                                      .tileStem = u"zone",
                                                      .bankCount = 1,
                                                      .tilesPerBank = IKeybedZones::kChildCount,
                                                      .editPanelKind = LDeviceView::kKeybedZonePanel,
                                                      .requiredTileCount = IKeybedZones::kChildCount,
                                                      .checkBanks = false,
                                                      .watchOnClick = false,
                                                      .retargetFirst = true,
                                                      .tileNames = nullptr,
                                                      .numberLabel = u"zoneName",
                                                      .noEditPanelText = "zoneEditPanel not found",
                                                      .missingTileStops = true};

LKeybedZoneGroupPanel::LKeybedZoneGroupPanel(const RCPtr<LControl>& parent, const WString& name)
    : LGroupPanelFrame(parent, name, kLayout)
{
}

LKeybedZoneGroupPanel::~LKeybedZoneGroupPanel() = default;

LParameterizedModule* LKeybedZoneGroupPanel::LeafModuleOf(LControl* control) const
{
    return dynamic_cast<IKeybedZone*>(control);
}
