// The push-button, encoder, fader and pad group panels: their names, counts and manners.
#include "editor/GroupPanels.h"

#include "editor/DeviceView.h"

using namespace KX;

// A tile or edit panel belongs to a group when it is the leaf module of the group's kind.
const GroupPanelLayout LButtonGroupPanel::kLayout{"LButtonGroupPanel",
                                                  "UI\\LumoSeriesCommon\\ButtonGroupPanel",
                                                  u"buttonEditPanel",
                                                  u"buttonBank",
                                                  u"button",
                                                  4,
                                                  5,
                                                  LDeviceView::kPushButtonPanel,
                                                  0,
                                                  false,
                                                  false,
                                                  false,
                                                  nullptr,
                                                  u"buttonNumberLabel"};

const GroupPanelLayout LEncoderGroupPanel::kLayout{"LEncoderGroupPanel",
                                                   "UI\\LumoSeriesCommon\\EncoderGroupPanel",
                                                   u"knobEditPanel",
                                                   u"encoderBank",
                                                   u"encoder",
                                                   4,
                                                   4,
                                                   LDeviceView::kEncoderPanel,
                                                   IEncoders::kChildCount,
                                                   true,
                                                   false,
                                                   false,
                                                   nullptr,
                                                   u"encoderNameLabel"};

const GroupPanelLayout LFaderGroupPanel::kLayout{"LFaderGroupPanel",
                                                 "UI\\LumoSeriesCommon\\FaderGroupPanel",
                                                 u"faderEditPanel",
                                                 u"faderBank",
                                                 u"fader",
                                                 4,
                                                 5,
                                                 LDeviceView::kFaderPanel,
                                                 IFaders::kChildCount,
                                                 false,
                                                 true,
                                                 false,
                                                 nullptr,
                                                 u"faderNumberLabel"};

const GroupPanelLayout LPadGroupPanel::kLayout{"LPadGroupPanel",
                                               "UI\\LumoSeriesCommon\\PadGroupPanel",
                                               u"padEditPanel",
                                               nullptr,
                                               u"pad",
                                               1,
                                               16,
                                               LDeviceView::kPadPanel,
                                               IPads::kChildCount,
                                               false,
                                               false,
                                               true,
                                               nullptr,
                                               u"padNumberLabel"};

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
