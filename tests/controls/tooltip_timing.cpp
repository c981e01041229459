// Tool tips through the root window's hover: the wait before showing, the time shown, the quick
// follow-up from one control to the next, the placement below the pointer inside the window,
// and hiding when the pointer leaves.
#include "MiscFixture.h"

#include "kx/controls/Button.h"
#include "kx/controls/ToolTip.h"

using namespace KX;

namespace {

class ToolTipTiming : public ctltest::MiscTest {
protected:
    void SetUp() override
    {
        ctltest::MiscTest::SetUp();
        // Far from any earlier tip's vanishing.
        LToolTip::SetLastHiddenTick(Now() - 100000u);
    }
    // The tip the control shows now, or null.
    static RCPtr<LToolTip> TipOf(LControl& owner)
    {
        return RCPtr<LToolTip>::DynamicCast(owner.FindChild(WString(u"toolTip")));
    }
    static bool Showing(const RCPtr<LToolTip>& tip) { return tip && tip->IsShowing(true); }
};

} // namespace

TEST_F(ToolTipTiming, ShowsAfterTheDelayStaysFiveSecondsAndLeavesItsOwner)
{
    RCPtr<LButton> button = CreateAs<LButton>(u"tipButton");
    ASSERT_TRUE(button);
    PointAt(40, 30);
    RCPtr<LToolTip> tip = TipOf(*button);
    ASSERT_TRUE(tip) << "resting on the button builds its tip";
    EXPECT_EQ(Text(*tip), "Shifts every key by semitones");
    EXPECT_EQ(tip->GetTipState(), LToolTip::kWaiting);
    Advance(500);
    EXPECT_FALSE(Showing(tip)) << "500 ms is not yet more than the delay";
    Advance(1);
    ASSERT_TRUE(Showing(tip));
    // Below the pointer, at its x.
    const RectT<int32_t> r = WindowRect(*tip);
    EXPECT_EQ(r.x, 40);
    EXPECT_EQ(r.y, 50);
    EXPECT_GT(r.width, 100) << "the tip grows with its text";
    Screenshot("shown");

    Advance(5000);
    EXPECT_TRUE(Showing(tip));
    Advance(1);
    EXPECT_FALSE(Showing(tip));
    RunIdle();
    EXPECT_FALSE(TipOf(*button)) << "a hidden tip leaves its owner on the next idle pass";
    EXPECT_EQ(button->GetIdleSubscriptionCount(), 0);
}

TEST_F(ToolTipTiming, LeavingHidesAndTheNextControlFollowsAtOnceOnlyWithinFiftyMilliseconds)
{
    RCPtr<LButton> first = CreateAs<LButton>(u"tipButton");
    RCPtr<LButton> second = CreateAs<LButton>(u"tipButton2");
    RCPtr<LButton> plain = CreateAs<LButton>(u"plainButton");
    ASSERT_TRUE(first && second && plain);
    PointAt(40, 30);
    Advance(600);
    RCPtr<LToolTip> tip = TipOf(*first);
    ASSERT_TRUE(Showing(tip));

    // Straight onto the next button: its tip shows without the wait.
    Advance(10);
    PointAt(150, 30);
    EXPECT_FALSE(Showing(tip)) << "leaving hides the first tip";
    RCPtr<LToolTip> next = TipOf(*second);
    ASSERT_TRUE(next);
    EXPECT_TRUE(Showing(next)) << "within 50 ms of the last tip vanishing";
    EXPECT_EQ(next->GetTipState(), LToolTip::kShown);
    RunIdle();
    EXPECT_FALSE(TipOf(*first));

    // Onto a control without a tip, then back after more than 50 ms: the full wait again.
    PointAt(40, 130);
    RunIdle();
    EXPECT_FALSE(TipOf(*second));
    Advance(51);
    PointAt(150, 30);
    next = TipOf(*second);
    ASSERT_TRUE(next);
    EXPECT_EQ(next->GetTipState(), LToolTip::kWaiting);
    EXPECT_FALSE(Showing(next));
}

TEST_F(ToolTipTiming, ATipThatNeverShowedStartsNoQuickFollowUpAndHidingTwiceIsHarmless)
{
    RCPtr<LButton> first = CreateAs<LButton>(u"tipButton");
    RCPtr<LButton> second = CreateAs<LButton>(u"tipButton2");
    ASSERT_TRUE(first && second);
    PointAt(40, 30);
    Advance(100);
    RCPtr<LToolTip> waiting = TipOf(*first);
    ASSERT_TRUE(waiting);
    // Away before the delay ran out: the next tip still waits.
    PointAt(150, 30);
    RCPtr<LToolTip> next = TipOf(*second);
    ASSERT_TRUE(next);
    EXPECT_EQ(next->GetTipState(), LToolTip::kWaiting);

    // A second hide only asks the parent again; the subscription is not dropped twice.
    const int32_t subscriptions = waiting->GetIdleSubscriptionCount();
    waiting->Hide();
    EXPECT_EQ(waiting->GetTipState(), LToolTip::kHidden);
    EXPECT_EQ(waiting->GetIdleSubscriptionCount(), subscriptions);
}

TEST_F(ToolTipTiming, ATipNearTheCornerIsPulledInsideTheWindowAndWrapsToItsWidth)
{
    RCPtr<LButton> edge = CreateAs<LButton>(u"edgeButton");
    ASSERT_TRUE(edge);
    PointAt(470, 310);
    Advance(501);
    RCPtr<LToolTip> tip = TipOf(*edge);
    ASSERT_TRUE(Showing(tip));
    const RectT<int32_t> r = WindowRect(*tip);
    EXPECT_GE(r.x, 0);
    EXPECT_GE(r.y, 0);
    EXPECT_LE(r.x + r.width, kW) << "pulled left inside the window";
    EXPECT_LE(r.y + r.height, kH) << "pulled up inside the window";
    EXPECT_LE(r.width, kW - LToolTip::kWindowMargin) << "no wider than the window less the margin";
    Screenshot("corner");
}
