// Splitters dragged with the mouse: the anchor pane stops at its minimum size, a pane after the
// splitter stops the drag at its own minimum, the end of a drag glues the splitter to its anchor
// again, a splitter placed on its own drags freely and resizes nothing, and shrinking the panes'
// container pulls the splitter back by resizing the anchor.
#include "MiscFixture.h"

#include "kx/controls/Splitter.h"

using namespace KX;

namespace {

class SplitterLimits : public ctltest::MiscTest {
protected:
    void SetUp() override
    {
        ctltest::MiscTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        panel = Create(u"splitPanel");
        ASSERT_TRUE(panel);
        splitter = RCPtr<LSplitterV>::DynamicCast(panel->FindChild(WString(u"splitter")));
        left = panel->FindChild(WString(u"leftPane"));
        right = panel->FindChild(WString(u"rightPane"));
        ASSERT_TRUE(splitter && left && right);
    }
    // Drags the splitter from its centre by (dx, dy) in two moves and lets go.
    void Drag(LControl& bar, int32_t dx, int32_t dy)
    {
        const PointT<int32_t> at = CentreOf(bar);
        Press(at.x, at.y);
        MoveTo(at.x + dx / 2, at.y + dy / 2);
        MoveTo(at.x + dx, at.y + dy);
        Release(at.x + dx, at.y + dy);
        RunIdle();
    }
    void SetPanelWidth(double width)
    {
        SizeSpec size = panel->GetLayout()->Size(0);
        size.absolute = width;
        panel->SetAxisPlacement(0, panel->GetLayout()->Position(0), size);
    }

    RCPtr<LControl> panel;
    RCPtr<LSplitterV> splitter;
    RCPtr<LControl> left;
    RCPtr<LControl> right;
};

} // namespace

TEST_F(SplitterLimits, TheAnchorStopsAtItsMinimumAndAPaneAfterTheSplitterAtItsOwn)
{
    ASSERT_EQ(splitter->GetPosition().x, 200.0);
    ASSERT_EQ(right->GetSize().x, 194.0);
    EXPECT_EQ(splitter->GetOrientation(), 1);

    // Back by 300: the left pane (200, at least 50) lets it go back 150 only.
    Drag(*splitter, -300, 0);
    EXPECT_EQ(left->GetSize().x, 50.0);
    EXPECT_EQ(splitter->GetPosition().x, 50.0);
    EXPECT_EQ(right->GetPosition().x, 56.0);
    EXPECT_EQ(right->GetSize().x, 344.0);
    Screenshot("left");

    // On by 400: the right pane (344, at least 80) stops it 264 further on.
    Drag(*splitter, 400, 0);
    EXPECT_EQ(splitter->GetPosition().x, 314.0);
    EXPECT_EQ(left->GetSize().x, 314.0);
    EXPECT_EQ(right->GetSize().x, 80.0);
    EXPECT_EQ(splitter->GetPosition().y, 0.0) << "a vertical bar moves along x only";

    // Let go, the splitter is placed against its anchor again and follows it.
    EXPECT_EQ(splitter->GetLayout()->Position(0).kind, kPositionToControl);
    SizeSpec size = left->GetLayout()->Size(0);
    size.absolute = 120;
    left->SetAxisPlacement(0, left->GetLayout()->Position(0), size);
    EXPECT_EQ(splitter->GetPosition().x, 120.0);
    EXPECT_EQ(right->GetPosition().x, 126.0);
}

TEST_F(SplitterLimits, ASplitterPlacedOnItsOwnDragsFreelyAndResizesNothing)
{
    RCPtr<LSplitterH> free = CreateAs<LSplitterH>(u"freeSplitter");
    ASSERT_TRUE(free);
    const PointT<double> leftSize = left->GetSize();
    const PointT<int32_t> at = CentreOf(*free);
    Press(at.x, at.y);
    MoveTo(at.x + 30, at.y + 20);
    EXPECT_EQ(free->GetDragMin(), 0.0);
    EXPECT_EQ(free->GetDragMax(), LSplitterBase::kNoLimit);
    MoveTo(at.x + 30, at.y + 50);
    Release(at.x + 30, at.y + 50);
    EXPECT_EQ(free->GetPosition().y, 150.0);
    EXPECT_EQ(free->GetPosition().x, 0.0) << "a horizontal bar moves along y only";
    EXPECT_EQ(left->GetSize(), leftSize);
}

TEST_F(SplitterLimits, ShrinkingTheContainerPullsTheSplitterBackByResizingTheAnchor)
{
    // Still room for the right pane: nothing moves.
    SetPanelWidth(300);
    EXPECT_EQ(splitter->GetPosition().x, 200.0);
    EXPECT_EQ(right->GetSize().x, 94.0);
    // The right pane would fall to 44, below its 80: the left pane gives up 36.
    SetPanelWidth(250);
    EXPECT_EQ(left->GetSize().x, 164.0);
    EXPECT_EQ(splitter->GetPosition().x, 164.0);
    EXPECT_EQ(right->GetSize().x, 80.0);
    EXPECT_EQ(right->GetPosition().x + right->GetSize().x, 250.0);
}

TEST_F(SplitterLimits, TheLookFollowsHoverAndPress)
{
    const PointT<int32_t> at = CentreOf(*splitter);
    MoveTo(at.x, at.y);
    EXPECT_EQ(splitter->GetFirstVisibleLook(), 1);
    Press(at.x, at.y);
    EXPECT_EQ(splitter->GetFirstVisibleLook(), 2);
    Release(at.x, at.y);
    EXPECT_EQ(splitter->GetFirstVisibleLook(), 1);
    MoveTo(5, 300);
    EXPECT_EQ(splitter->GetFirstVisibleLook(), 0);
}
