// The wheel and XY-pad direction groups: their names and manners.
#include "editor/WheelGroupPanels.h"

#include "editor/DeviceView.h"

using namespace KX;

namespace {
constexpr const char16_t* kWheelTiles[] = {u"pitchWheel", u"modWheel"};
constexpr const char16_t* kAxisTiles[] = {u"xAxis", u"yAxis"};
} // namespace

const GroupPanelLayout LWheelGroupPanel::kLayout{.className = "LWheelGroupPanel",
                                                 .sourcePath = "UI\\LumoSeriesCommon\\WheelGroupPanel",
                                                 .editPanelName = u"wheelEditPanel",
                                                 .bankStem = nullptr,
                                                 .tileStem = nullptr,
                                                 .bankCount = 1,
                                                 .tilesPerBank = IWheels::kChildCount,
                                                 .editPanelKind = LDeviceView::kWheelPanel,
                                                 .requiredTileCount = IWheels::kChildCount,
                                                 .checkBanks = false,
                                                 .watchOnClick = false,
                                                 .retargetFirst = false,
                                                 .tileNames = kWheelTiles,
                                                 .numberLabel = nullptr};

const GroupPanelLayout LXYPadDirectionGroupPanel::kLayout{.className = "LXYPadDirectionGroupPanel",
                                                          .sourcePath =
                                                              "UI\\LumoSeriesCommon\\XYPadDirectionGroupPanel",
                                                          .editPanelName = u"xyPadEditPanel",
                                                          .bankStem = nullptr,
                                                          .tileStem = nullptr,
                                                          .bankCount = 1,
                                                          .tilesPerBank = ITouchPadAxises::kChildCount,
                                                          .editPanelKind = LDeviceView::kXYPadPanel,
                                                          .requiredTileCount = ITouchPadAxises::kChildCount,
                                                          .checkBanks = false,
                                                          .watchOnClick = false,
                                                          .retargetFirst = false,
                                                          .tileNames = kAxisTiles,
                                                          .numberLabel = nullptr,
                                                          .missingEditPanelText = "Cannot find child xyPadEditPanel",
                                                          .missingTileStops = true};

LWheelGroupPanel::LWheelGroupPanel(const RCPtr<LControl>& parent, const WString& name)
    : LGroupPanelFrame(parent, name, kLayout)
{
}
LWheelGroupPanel::~LWheelGroupPanel() = default;
LParameterizedModule* LWheelGroupPanel::LeafModuleOf(LControl* control) const
{
    return dynamic_cast<IWheel*>(control);
}

LXYPadDirectionGroupPanel::LXYPadDirectionGroupPanel(const RCPtr<LControl>& parent, const WString& name)
    : LGroupPanelFrame(parent, name, kLayout)
{
}
LXYPadDirectionGroupPanel::~LXYPadDirectionGroupPanel() = default;
LParameterizedModule* LXYPadDirectionGroupPanel::LeafModuleOf(LControl* control) const
{
    return dynamic_cast<ITouchPadAxis*>(control);
}
