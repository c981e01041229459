// The wheel, XY-pad direction and pedal groups in the editor's real skin: a click on a tile opens the one
// edit panel of the group on that tile's value, and the other tile loses its highlight.
#include "PanelsFixture.h"

#include "editor/PedalGroupPanel.h"
#include "editor/WheelEditPanel.h"
#include "editor/WheelGroupPanels.h"
#include "editor/XYPadEditPanel.h"

#include "kx/controls/Button.h"

#include <gtest/gtest.h>

using namespace KX;

namespace {

class DirectionGroups : public paneltest::PanelTest {
protected:
    static void Click(LGroupPanelFrame& group, uint32_t i)
    {
        RCPtr<LNotification> n;
        LNotification::Create(n, NID_LEFT_CLICK, nullptr);
        static_cast<LNotificationDistributor*>(group.GetTile(i)->FindChild(WString(u"button")).Get())
            ->SendNotification(n);
    }
    static double Highlight(LGroupPanelFrame& group, uint32_t i)
    {
        return group.GetTile(i)->FindChild(WString(u"button"))->GetNormalizedValue();
    }
};

TEST_F(DirectionGroups, ClickedTilesOpenTheirEditPanelOnTheirOwnValue)
{
    StartEngine();
    BuildMain();
    const auto wheels = ViewChildAs<LWheelGroupPanel>(u"wheels");
    const auto axes = ViewChildAs<LXYPadDirectionGroupPanel>(u"xyPad");
    ASSERT_TRUE(wheels && axes);
    ASSERT_EQ(wheels->GetTileCount(), 2u);

    Click(*wheels, 1);
    RunIdle();
    const auto wheelEdit = ViewChildAs<LWheelEditPanel>(u"wheelEditPanel");
    ASSERT_TRUE(wheelEdit);
    EXPECT_TRUE(Visible(u"wheelEditPanel"));
    EXPECT_EQ(wheelEdit->GetFirstParamID(), IDevice::kWheelsOffset + 1);
    EXPECT_EQ(wheelEdit->GetIndex(), 1);
    EXPECT_EQ(Highlight(*wheels, 0), 0.0);
    EXPECT_EQ(Highlight(*wheels, 1), 1.0);

    Click(*axes, 0);
    RunIdle();
    const auto axisEdit = ViewChildAs<LXYPadEditPanel>(u"xyPadEditPanel");
    ASSERT_TRUE(axisEdit);
    EXPECT_TRUE(Visible(u"xyPadEditPanel"));
    EXPECT_FALSE(Visible(u"wheelEditPanel"));
    EXPECT_EQ(axisEdit->GetFirstParamID(), IDevice::kTouchPadAxisesOffset);
    EXPECT_EQ(Highlight(*wheels, 1), 0.0) << "the hidden wheel panel took its highlight";
    EXPECT_EQ(Highlight(*axes, 0), 1.0);
}

} // namespace

namespace {

TEST_F(DirectionGroups, PedalTilesOfTheRealPictureOpenTheirOwnEditPanels)
{
    StartEngine();
    BuildMain();
    const auto pedals = ViewChildAs<LPedalGroupPanel>(u"pedals");
    ASSERT_TRUE(pedals && pedals->GetSustainTile() && pedals->GetVolumeTile());
    auto click = [](const RCPtr<LControl>& tile) {
        RCPtr<LNotification> n;
        LNotification::Create(n, NID_LEFT_CLICK, nullptr);
        static_cast<LNotificationDistributor*>(tile->FindChild(WString(u"button")).Get())->SendNotification(n);
    };
    click(pedals->GetSustainTile());
    RunIdle();
    EXPECT_TRUE(Visible(u"sustainEditPage"));
    EXPECT_FALSE(Visible(u"volumePedalEditPanel"));
    click(pedals->GetVolumeTile());
    RunIdle();
    EXPECT_TRUE(Visible(u"volumePedalEditPanel"));
    EXPECT_FALSE(Visible(u"sustainEditPage"));
    EXPECT_EQ(pedals->GetSustainTile()->FindChild(WString(u"button"))->GetNormalizedValue(), 0.0);
}

} // namespace
