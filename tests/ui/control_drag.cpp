// Drag steps of the control base: panning content in mode 6 and the auto-scroll of the parent
// near its edges in mode 3, driven by the idle pass.
#include "ScopedRenderHost.h"
#include "UiTestControls.h"

#include <gtest/gtest.h>

using namespace KX;

namespace {
RCPtr<LPointWithModifiersParam> At(int32_t x, int32_t y)
{
    return LPointWithModifiersParam::Create(PointT<int32_t>{x, y}, 0);
}
} // namespace

TEST(ControlDrag, PanningMovesTheOwnScrollOffsetAgainstThePointerOnTheEnabledAxisOnly)
{
    uitest::Tree tree;
    RCPtr<uitest::TestControl> pane = uitest::Make(tree.root, u"pane", 0, 0, 100, 100);
    pane->SetDragMode(6, 1);
    pane->OnDragMove(At(10, 10)); // content pulled right past the start: held at 0
    EXPECT_EQ(pane->GetScrollOffset().x, 0.0);
    pane->OnDragMove(At(4, 30)); // 6 back to the left: the view scrolls 6 on X, never on Y
    EXPECT_EQ(pane->GetScrollOffset().x, 6.0);
    EXPECT_EQ(pane->GetScrollOffset().y, 0.0);
}

TEST(ControlDrag, NearTheParentsFarEdgeTheParentScrollsByTheOvershootAndStopsAwayFromIt)
{
    kxtest::ScopedRenderHost host{ConstRCPtr<LMeasurementRenderer>()};
    host.tick = 1000;
    uitest::Tree tree;
    RCPtr<uitest::TestControl> parent = uitest::Make(tree.root, u"parent", 10, 10, 300, 200);
    RCPtr<uitest::TestControl> bar = uitest::Make(parent, u"bar", 20, 20, 50, 30);
    bar->SetDragMode(3, 1);
    // The pointer 10 pixels inside the right edge: overshoot 20, (20 + 1) * 15 pixels per second.
    bar->OnDragMove(At(270, 5));
    ASSERT_TRUE(parent->IsAxisAnimating(0));
    EXPECT_EQ(parent->GetAxisSpeed(0), 315.0);
    EXPECT_FALSE(parent->IsAxisAnimating(1)); // only X is a drag axis
    // 200 ms later the idle pass scrolls round(315 * 0.2) = 63 pixels.
    host.tick = 1200;
    parent->OnIdle(nullptr, nullptr);
    EXPECT_EQ(parent->GetScrollOffset().x, 63.0);
    // Back near the middle (the bar now sits at 290 in the parent's content) the auto-scroll stops.
    bar->OnDragMove(At(-250, 5));
    EXPECT_FALSE(parent->IsAxisAnimating(0));
    EXPECT_EQ(parent->GetIdleSubscriptionCount(), 0);
}
