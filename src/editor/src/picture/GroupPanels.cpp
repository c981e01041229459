// The push-button, encoder, fader and pad group panels: their names, counts and manners.
#include "editor/GroupPanels.h"

#include "editor/DeviceView.h"

using namespace KX;

// A tile or edit panel belongs to a group when it is the leaf module of the group's kind.
const GroupPanelLayout LButtonGroupPanel::kLayout{.className = "LButtonGroupPanel",
                                                  .sourcePath = "UI\\LumoSeriesCommon\\ButtonGroupPanel",
                                                  .editPanelName = u"buttonEditPanel",
                                                  .bankStem = u"buttonBank",
                                                  .tileStem = u"button",
                                                  .bankCount = 4,
                                                  .tilesPerBank = 5,
                                                  .editPanelKind = LDeviceView::kPushButtonPanel,
                                                  .requiredTileCount = 0,
                                                  .checkBanks = false,
                                                  .watchOnClick = false,
                                                  .retargetFirst = false,
                                                  .tileNames = nullptr,
                                                  .numberLabel = u"buttonNumberLabel"};

const GroupPanelLayout LEncoderGroupPanel::kLayout{.className = "LEncoderGroupPanel",
                                                   .sourcePath = "UI\\LumoSeriesCommon\\EncoderGroupPanel",
                                                   .editPanelName = u"knobEditPanel",
                                                   .bankStem = u"encoderBank",
                                                   .tileStem = u"encoder",
                                                   .bankCount = 4,
                                                   .tilesPerBank = 4,
                                                   .editPanelKind = LDeviceView::kEncoderPanel,
                                                   .requiredTileCount = IEncoders::kChildCount,
                                                   .checkBanks = true,
                                                   .watchOnClick = false,
                                                   .retargetFirst = false,
                                                   .tileNames = nullptr,
                                                   .numberLabel = u"encoderNameLabel"};

const GroupPanelLayout LFaderGroupPanel::kLayout{.className = "LFaderGroupPanel",
                                                 .sourcePath = "UI\\LumoSeriesCommon\\FaderGroupPanel",
                                                 .editPanelName = u"faderEditPanel",
                                                 .bankStem = u"faderBank",
                                                 .tileStem = u"fader",
                                                 .bankCount = 4,
                                                 .tilesPerBank = 5,
                                                 .editPanelKind = LDeviceView::kFaderPanel,
                                                 .requiredTileCount = IFaders::kChildCount,
                                                 .checkBanks = false,
                                                 .watchOnClick = true,
                                                 .retargetFirst = false,
                                                 .tileNames = nullptr,
                                                 .numberLabel = u"faderNumberLabel"};

const GroupPanelLayout LPadGroupPanel::kLayout{.className = "LPadGroupPanel",
                                               .sourcePath = "UI\\LumoSeriesCommon\\PadGroupPanel",
                                               .editPanelName = u"padEditPanel",
                                               .bankStem = nullptr,
                                               .tileStem = u"pad",
                                               .bankCount = 1,
                                               .tilesPerBank = 16,
                                               .editPanelKind = LDeviceView::kPadPanel,
                                               .requiredTileCount = IPads::kChildCount,
                                               .checkBanks = false,
                                               .watchOnClick = false,
                                               .retargetFirst = true,
                                               .tileNames = nullptr,
                                               .numberLabel = u"padNumberLabel"};

LButtonGroupPanel::LButtonGroupPanel(const RCPtr<LControl>& parent, const WString& name)
    : LGroupPanelFrame(parent, name, kLayout)
{
}
LButtonGroupPanel::~LButtonGroupPanel() = default;
LParameterizedModule* LButtonGroupPanel::LeafModuleOf(LControl* control) const
{
    return dynamic_cast<IPushButton*>(control);
}

LEncoderGroupPanel::LEncoderGroupPanel(const RCPtr<LControl>& parent, const WString& name)
    : LGroupPanelFrame(parent, name, kLayout)
{
}
LEncoderGroupPanel::~LEncoderGroupPanel() = default;
LParameterizedModule* LEncoderGroupPanel::LeafModuleOf(LControl* control) const
{
    return dynamic_cast<IEncoder*>(control);
}

LFaderGroupPanel::LFaderGroupPanel(const RCPtr<LControl>& parent, const WString& name)
    : LGroupPanelFrame(parent, name, kLayout)
{
}
LFaderGroupPanel::~LFaderGroupPanel() = default;
LParameterizedModule* LFaderGroupPanel::LeafModuleOf(LControl* control) const
{
    return dynamic_cast<IFader*>(control);
}

LPadGroupPanel::LPadGroupPanel(const RCPtr<LControl>& parent, const WString& name)
    : LGroupPanelFrame(parent, name, kLayout)
{
}
LPadGroupPanel::~LPadGroupPanel() = default;
LParameterizedModule* LPadGroupPanel::LeafModuleOf(LControl* control) const
{
    return dynamic_cast<IPad*>(control);
}
