// Scroll-step requests on the scroll view: wheel notches through SDL's queue move a bar by its
// line step (its page step with Shift, the other bar with Alt), a view with no bar passes the step
// to its parent, keys of a focused child reach the bars, and drag scrolling pans the content.
#include "ScrollFixture.h"

#include "kx/ui/MouseWheelParam.h"

using namespace KX;

namespace {

class ScrollViewWheel : public ctltest::ScrollTest {
protected:
    void SetUp() override
    {
        ScrollTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        view = CreateAs<LScrollView>(u"testView");
        ASSERT_TRUE(view);
        // 300 x 400 in 183 x 133: ranges 0..117 and 0..267.
        ASSERT_TRUE(view->IsVerticalBarShown() && view->IsHorizontalBarShown());
    }
    void TearDown() override
    {
        view = nullptr;
        ScrollTest::TearDown();
    }
    static void Resize(LControl& c, double w, double h)
    {
        AxisPlacement px, py;
        SizeSpec sx, sy;
        c.GetLayout()->GetAxisPlacement(0, px, sx);
        c.GetLayout()->GetAxisPlacement(1, py, sy);
        c.SetAxisPlacements(px, SizeSpec{kSizeToSelf, WString(), 0.0f, w}, py,
                            SizeSpec{kSizeToSelf, WString(), 0.0f, h});
    }
    PointT<int32_t> Inside() const { return PointT<int32_t>{OriginOf(*view).x + 90, OriginOf(*view).y + 60}; }
    double V() const { return view->GetVerticalBar()->GetNormalizedValue(); }
    double H() const { return view->GetHorizontalBar()->GetNormalizedValue(); }

    RCPtr<LScrollView> view;
};

} // namespace

TEST_F(ScrollViewWheel, NotchesMoveTheBarByLineOrPageStep)
{
    // Each step starts from the bar's value, which the scrolled offset sets back in whole pixels.
    const double line = view->GetVerticalBar()->GetLineStep();
    const double page = view->GetVerticalBar()->GetPageStep();
    auto after = [](double offset, double step, double range) {
        return std::max(0.0, std::min(range, std::round((offset / range + step) * range)));
    };
    const PointT<int32_t> at = Inside();
    // Towards the user: down the content.
    Wheel(at.x, at.y, -1.0f);
    double y = after(0, line, 267);
    EXPECT_EQ(y, 13.0);
    EXPECT_EQ(view->GetScrollOffset().y, y);
    EXPECT_DOUBLE_EQ(V(), y / 267.0);
    Wheel(at.x, at.y, -2.0f);
    y = after(after(y, line, 267), line, 267);
    EXPECT_EQ(view->GetScrollOffset().y, y) << "one step per notch";
    Wheel(at.x, at.y, 1.0f);
    y = after(y, -line, 267);
    EXPECT_EQ(view->GetScrollOffset().y, y);
    // Shift: a page.
    SDL_SetModState(KMOD_LSHIFT);
    Wheel(at.x, at.y, -1.0f);
    SDL_SetModState(KMOD_NONE);
    y = after(y, page, 267);
    EXPECT_EQ(view->GetScrollOffset().y, y);
    // Alt with both bars: the horizontal one.
    SDL_SetModState(KMOD_LALT);
    Wheel(at.x, at.y, -1.0f);
    SDL_SetModState(KMOD_NONE);
    EXPECT_EQ(view->GetScrollOffset().y, y);
    const double x = after(0, view->GetHorizontalBar()->GetLineStep(), 117);
    EXPECT_EQ(view->GetScrollOffset().x, x);
    // The second wheel axis: its two directions move the horizontal bar opposite ways.
    Wheel(at.x, at.y, 0.0f, 1.0f);
    const double moved = view->GetScrollOffset().x;
    EXPECT_NE(moved, x);
    Wheel(at.x, at.y, 0.0f, -1.0f);
    EXPECT_EQ(view->GetScrollOffset().x, x);
    EXPECT_EQ(view->GetScrollOffset().y, y) << "the vertical bar stays";
    // Past the end the value stays at 1.
    SDL_SetModState(KMOD_LSHIFT);
    Wheel(at.x, at.y, -3.0f);
    SDL_SetModState(KMOD_NONE);
    EXPECT_DOUBLE_EQ(V(), 1.0);
    EXPECT_EQ(view->GetScrollOffset().y, 267.0);
}

TEST_F(ScrollViewWheel, ViewWithoutBarsPassesTheStepToItsParent)
{
    // A second view inside the first, its content small enough to need no bar.
    RCPtr<LScrollView> inner = CreateAs<LScrollView>(u"testView", view);
    ASSERT_TRUE(inner);
    Resize(*inner->FindChild(WString(u"content")), 50, 50);
    Resize(*inner, 100, 80);
    EXPECT_FALSE(inner->IsVerticalBarShown());
    EXPECT_FALSE(inner->IsHorizontalBarShown());
    const RCPtr<LMouseWheelParam> step = LMouseWheelParam::Create(PointT<int32_t>{}, 0, kWheelDown);
    EXPECT_EQ(inner->HandleVerticalWheel(step), S_FALSE);
    EXPECT_EQ(inner->HandleHorizontalWheel(LMouseWheelParam::Create(PointT<int32_t>{}, 0, kWheelLeft)), S_FALSE);

    const PointT<int32_t> over = OriginOf(*inner);
    Wheel(over.x + 20, over.y + 20, -1.0f);
    EXPECT_EQ(view->GetScrollOffset().y, 13.0) << "the outer view took the step";
    EXPECT_EQ(inner->GetScrollOffset().y, 0.0);

    // Only a horizontal bar: the vertical wheel uses it.
    Resize(*view->FindChild(WString(u"content")), 300, 100);
    Resize(*inner, 100, 50); // the inner view sits at (40, 60)
    ASSERT_FALSE(view->IsVerticalBarShown());
    ASSERT_TRUE(view->IsHorizontalBarShown());
    Wheel(Inside().x, Inside().y, -1.0f);
    EXPECT_GT(view->GetScrollOffset().x, 0.0);
}

TEST_F(ScrollViewWheel, KeysOfAFocusedChildReachTheBars)
{
    RCPtr<LControl> mark = view->FindChild(WString(u"mark"));
    ASSERT_TRUE(mark);
    root->SetFocusControl(mark);
    Key(SDLK_DOWN);
    EXPECT_EQ(view->GetScrollOffset().y, 13.0) << "a line step";
    Key(SDLK_PAGEDOWN);
    EXPECT_EQ(view->GetScrollOffset().y, std::round((13.0 / 267.0 + view->GetVerticalBar()->GetPageStep()) * 267.0));
    Key(SDLK_RIGHT);
    EXPECT_EQ(view->GetScrollOffset().x, 12.0);
    // With a modifier the key is not the bar's.
    const double y = view->GetScrollOffset().y;
    Key(SDLK_DOWN, KMOD_LCTRL);
    EXPECT_EQ(view->GetScrollOffset().y, y);
    Key(SDLK_END);
    EXPECT_TRUE(V() == 1.0 || H() == 1.0) << "End goes to one bar";
}

TEST_F(ScrollViewWheel, DragScrollingPansTheContentWithinItsRange)
{
    // Content narrower than the view leaves its background to grab.
    Resize(*view->FindChild(WString(u"content")), 100, 400);
    Resize(*view->FindChild(WString(u"mark")), 100, 20);
    view->SetAutoExtent(LScrollView::kAutoExtentY);
    view->SetDragScrolling(true);
    const PointT<int32_t> o = OriginOf(*view);
    Press(o.x + 150, o.y + 100);
    MoveTo(o.x + 150, o.y + 90);
    MoveTo(o.x + 150, o.y + 60);
    EXPECT_EQ(view->GetScrollOffset().y, 40.0) << "the content follows the pointer up";
    EXPECT_NEAR(V(), 40.0 / view->GetVerticalBar()->GetMaximum(), 1e-12) << "the bar follows the offset";
    MoveTo(o.x + 150, o.y - 400);
    EXPECT_EQ(view->GetScrollOffset().y, view->GetVerticalBar()->GetMaximum()) << "no further than the range";
    Release(o.x + 150, o.y - 400);
}
