// The wheel and XY-pad direction groups: their names and manners.
#include "editor/WheelGroupPanels.h"

#include "editor/DeviceView.h"

using namespace KX;

namespace {
constexpr const char16_t* kWheelTiles[] = {u"pitchWheel", u"modWheel"};
constexpr const char16_t* kAxisTiles[] = {u"xAxis", u"yAxis"};
} // namespace

const GroupPanelLayout LWheelGroupPanel::kLayout{"LWheelGroupPanel",
                                                 "UI\\LumoSeriesCommon\\WheelGroupPanel",
                                                 u"wheelEditPanel",
                                                 nullptr,
                                                 nullptr,
                                                 1,
                                                 IWheels::kChildCount,
                                                 LDeviceView::kWheelPanel,
                                                 IWheels::kChildCount,
                                                 false,
                                                 false,
                                                 false,
                                                 kWheelTiles,
                                                 nullptr};

const GroupPanelLayout LXYPadDirectionGroupPanel::kLayout{"LXYPadDirectionGroupPanel",
                                                          "UI\\LumoSeriesCommon\\XYPadDirectionGroupPanel",
                                                          u"xyPadEditPanel",
                                                          nullptr,
                                                          nullptr,
                                                          1,
                                                          ITouchPadAxises::kChildCount,
                                                          LDeviceView::kXYPadPanel,
                                                          ITouchPadAxises::kChildCount,
                                                          false,
                                                          false,
                                                          false,
                                                          kAxisTiles,
                                                          nullptr};

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
