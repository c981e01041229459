// The scroll view built from the skin: bars shown as the automatic extent needs them, their ranges
// and steps, offsets and bar values following each other, line mode and the scroll range.
#include "ScrollFixture.h"

using namespace KX;

namespace {

class ScrollViewExtent : public ctltest::ScrollTest {
protected:
    void SetUp() override
    {
        ScrollTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        view = CreateAs<LScrollView>(u"testView");
        ASSERT_TRUE(view);
        content = view->FindChild(WString(u"content"));
        ASSERT_TRUE(content);
        ASSERT_TRUE(view->GetVerticalBar() && view->GetHorizontalBar() && view->GetCorner());
    }
    void TearDown() override
    {
        view = nullptr;
        content = nullptr;
        ScrollTest::TearDown();
    }
    static void Resize(LControl& c, double w, double h)
    {
        AxisPlacement px, py;
        SizeSpec sx, sy;
        c.GetLayout()->GetAxisPlacement(0, px, sx);
        c.GetLayout()->GetAxisPlacement(1, py, sy);
        sx = SizeSpec{kSizeToSelf, WString(), 0.0f, w};
        sy = SizeSpec{kSizeToSelf, WString(), 0.0f, h};
        c.SetAxisPlacements(px, sx, py, sy);
    }
    // "hv", "h", "v" or "" for the bars shown.
    std::string Shown() const
    {
        return std::string(view->IsHorizontalBarShown() ? "h" : "") + (view->IsVerticalBarShown() ? "v" : "");
    }

    RCPtr<LScrollView> view;
    RCPtr<LControl> content;
};

} // namespace

TEST_F(ScrollViewExtent, AutomaticExtentShowsTheBarsTheContentNeeds)
{
    // 300 x 400 content in 200 x 150 with 17-pixel bars.
    EXPECT_EQ(view->GetBarThickness().x, 17.0);
    EXPECT_EQ(view->GetBarThickness().y, 17.0);
    EXPECT_EQ(view->GetAutoExtent(), LScrollView::kAutoExtentX | LScrollView::kAutoExtentY) << "\" TRUE \" counts";
    EXPECT_EQ(view->GetClientExtent().x, 300.0);
    EXPECT_EQ(view->GetClientExtent().y, 400.0);
    EXPECT_EQ(Shown(), "hv");
    EXPECT_EQ(view->GetClientRect().width, 183.0);
    EXPECT_EQ(view->GetClientRect().height, 133.0);
    const RCPtr<LScrollbar>& v = view->GetVerticalBar();
    EXPECT_EQ(v->GetSize().y, 133.0) << "the vertical bar ends at the corner";
    EXPECT_EQ(v->GetMaximum(), 267.0);
    EXPECT_DOUBLE_EQ(v->GetThumbProportion(), static_cast<double>(133.0f / 400.0f));
    EXPECT_DOUBLE_EQ(v->GetPageStep(), static_cast<double>(133.0f / 267.0f));
    EXPECT_DOUBLE_EQ(v->GetLineStep(), static_cast<double>(133.0f / 267.0f) / 10.0);
    EXPECT_EQ(view->GetHorizontalBar()->GetMaximum(), 117.0);
    // Built again from its descriptor (a skin change): the same bars and scroll position, no second
    // registration.
    view->GetVerticalBar()->SetNormalizedValue(0.5);
    ASSERT_EQ(view->GetScrollOffset().y, 134.0);
    ASSERT_EQ(view->CreateFromDescriptor(view->GetDescriptor()), S_OK);
    EXPECT_EQ(Shown(), "hv");
    EXPECT_EQ(view->GetScrollOffset().y, 134.0);
    EXPECT_EQ(view->GetBarThickness().x, 17.0);
    RCPtr<ctltest::NotificationLog> counter(new ctltest::NotificationLog());
    counter->Listen(view.Get(), {u"NID_SCROLL_OFFSET_CHANGE"});
    view->GetVerticalBar()->SetNormalizedValue(0.0);
    EXPECT_EQ(view->GetScrollOffset().y, 0.0);
    EXPECT_EQ(counter->Count("NID_SCROLL_OFFSET_CHANGE"), 1);

    // 300 high in a view 200 high: the vertical bar alone, thumb 2/3, page 1, line 0.1.
    Resize(*view, 200, 200);
    Resize(*content, 150, 300);
    EXPECT_EQ(view->GetClientExtent().y, 300.0) << "the extent follows the content";
    EXPECT_EQ(Shown(), "v");
    EXPECT_EQ(v->GetSize().y, 200.0);
    EXPECT_DOUBLE_EQ(v->GetThumbProportion(), static_cast<double>(200.0f / 300.0f));
    EXPECT_DOUBLE_EQ(v->GetPageStep(), 1.0);
    EXPECT_DOUBLE_EQ(v->GetLineStep(), 0.1);
    EXPECT_EQ(view->GetCorner()->GetSize().y, 0.0) << "the horizontal bar's room is given back";

    // Exactly the view's size: no bar. One pixel wider than the room the vertical bar leaves: both.
    Resize(*content, 200, 200);
    EXPECT_EQ(Shown(), "");
    EXPECT_EQ(view->GetClientRect().width, 200.0);
    Resize(*content, 184, 300);
    EXPECT_EQ(Shown(), "hv");
    Resize(*content, 183, 300);
    EXPECT_EQ(Shown(), "v");
    // Only wider: the horizontal bar then takes room that the height needs.
    Resize(*content, 201, 190);
    EXPECT_EQ(Shown(), "hv");
    Resize(*content, 201, 183);
    EXPECT_EQ(Shown(), "h");
    Screenshot("horizontal_only");
}

TEST_F(ScrollViewExtent, SameExtentTwiceIsAnnouncedOnce)
{
    RCPtr<ctltest::NotificationLog> counter(new ctltest::NotificationLog());
    counter->Listen(view.Get(), {u"NID_CLIENT_EXTENT_CHANGE"});
    view->SetAutoExtent(0);
    EXPECT_EQ(view->SetClientExtent(500, 600), S_OK);
    EXPECT_EQ(view->SetClientExtent(500, 600), S_FALSE);
    EXPECT_EQ(view->SetClientExtent(std::nan(""), std::nan("")), S_FALSE) << "not a number changes nothing";
    EXPECT_EQ(counter->Count("NID_CLIENT_EXTENT_CHANGE"), 1);
    EXPECT_EQ(view->GetVerticalBar()->GetMaximum(), 467.0);
    // An endless extent is cut to the largest coordinate, and gives a finite range.
    EXPECT_EQ(view->SetClientExtent(500, INFINITY), S_OK);
    EXPECT_EQ(view->GetClientExtent().y, 536870912.0) << "half the layout's largest coordinate";
    EXPECT_EQ(view->GetVerticalBar()->GetMaximum(), 536870912.0 - 133.0);
    EXPECT_EQ(view->SetClientExtent(500, 600), S_OK);
    // The automatic extent puts the children's corner back, plus the margins.
    view->SetAutoExtent(LScrollView::kAutoExtentY);
    EXPECT_EQ(view->GetClientExtent().x, 500.0);
    EXPECT_EQ(view->GetClientExtent().y, 400.0);
    view->SetExtentMargin(0, 25);
    EXPECT_EQ(view->GetClientExtent().y, 425.0);
    EXPECT_EQ(counter->Count("NID_CLIENT_EXTENT_CHANGE"), 5);
}

TEST_F(ScrollViewExtent, BarValueAndScrollOffsetFollowEachOtherWithoutEcho)
{
    view->SetAutoExtent(0);
    view->SetClientExtent(300, 233); // vertical range 0..100
    const RCPtr<LScrollbar>& v = view->GetVerticalBar();
    ASSERT_EQ(v->GetMaximum(), 100.0);
    RCPtr<ctltest::NotificationLog> counter(new ctltest::NotificationLog());
    counter->Listen(view.Get(), {u"NID_SCROLL_OFFSET_CHANGE"});
    counter->Listen(v.Get(), {u"NID_VALUE_CHANGE"});

    v->SetNormalizedValue(0.5);
    EXPECT_EQ(view->GetScrollOffset().y, 50.0);
    EXPECT_EQ(view->GetScrollOffset().x, 0.0);
    EXPECT_EQ(counter->Count("NID_SCROLL_OFFSET_CHANGE"), 1);
    // A value between pixels scrolls to the nearest whole one.
    v->SetNormalizedValue(0.505);
    EXPECT_EQ(view->GetScrollOffset().y, 51.0);

    // An offset from code moves the bar (and its thumb) and comes back as no second offset change.
    view->SetScrollOffset(PointT<double>{0, 20});
    EXPECT_DOUBLE_EQ(v->GetNormalizedValue(), 0.2);
    EXPECT_EQ(v->GetThumb()->GetPosition().y, std::round(0.2 * (v->GetTrackEnd() - v->GetThumbLength())));
    EXPECT_EQ(counter->Count("NID_SCROLL_OFFSET_CHANGE"), 3);
    EXPECT_EQ(view->GetScrollOffset().y, 20.0);

    // The visible part of the content; a wider minimum view is centred on it and cut to the children.
    RectT<double> b = view->GetBounds();
    EXPECT_EQ(b.y, 20.0);
    EXPECT_EQ(b.width, 183.0);
    EXPECT_EQ(b.height, 133.0);
    view->SetMinimumViewSize(PointT<double>{400, 133});
    b = view->GetBounds();
    EXPECT_EQ(b.x, 0.0);
    EXPECT_EQ(b.width, 300.0);

    // The bars stay where they are while the content scrolls under them.
    EXPECT_EQ(OriginOf(*v).y, OriginOf(*view).y);
    EXPECT_EQ(OriginOf(*content).y, OriginOf(*view).y - 20);

    // A smaller extent cuts the offset to the new range.
    view->SetClientExtent(300, 143);
    EXPECT_EQ(view->GetScrollOffset().y, 10.0);
    RectT<double> range;
    view->GetScrollRange(range, RCPtr<LControl>());
    EXPECT_EQ(range.width, 117.0);
    EXPECT_EQ(range.height, 10.0);
    view->SetClientExtent(0, 143);
    view->GetScrollRange(range, RCPtr<LControl>());
    EXPECT_EQ(range.width, 4503599627370496.0) << "no extent: unbounded";
}

TEST_F(ScrollViewExtent, LineModeScrollsByWholeLines)
{
    // 400 high in lines of 20: 20 lines, 6 of them visible in 133 pixels.
    view->SetLineMode(20);
    const RCPtr<LScrollbar>& v = view->GetVerticalBar();
    EXPECT_EQ(v->GetMaximum(), 14.0);
    EXPECT_DOUBLE_EQ(v->GetLineStep(), 1.0 / 14.0);
    EXPECT_DOUBLE_EQ(v->GetPageStep(), 6.0 / 14.0);
    EXPECT_DOUBLE_EQ(v->GetThumbProportion(), 0.3);
    v->SetNormalizedValue(0.5);
    EXPECT_EQ(view->GetScrollOffset().y, 140.0);
    v->SetNormalizedValue(0.53); // 7.42 lines: whole lines only
    EXPECT_EQ(view->GetScrollOffset().y, 140.0);
    // Fewer lines: the value in lines is cut to the new last line.
    Resize(*content, 300, 200);
    EXPECT_EQ(v->GetMaximum(), 4.0);
    EXPECT_EQ(view->GetScrollOffset().y, 80.0);
    // A line height of zero turns line mode off instead of dividing by it.
    view->SetLineMode(0);
    EXPECT_FALSE(view->IsLineMode());
    EXPECT_EQ(v->GetMaximum(), 67.0);
}

TEST_F(ScrollViewExtent, ContentScrollsUnderFixedBars)
{
    view->GetVerticalBar()->SetNormalizedValue(1.0);
    view->GetHorizontalBar()->SetNormalizedValue(1.0);
    EXPECT_EQ(view->GetScrollOffset().x, 117.0);
    EXPECT_EQ(view->GetScrollOffset().y, 267.0);
    const std::string path = Screenshot("scrolled_to_the_end");
    const PointT<int32_t> o = OriginOf(*view);
    // The content's bottom-right mark sits just inside the corner of the client area.
    EXPECT_EQ(Pixel(o.x + 180, o.y + 130), 0x2040E0u);
    EXPECT_EQ(Pixel(o.x + 160, o.y + 110), 0x30A060u);
    EXPECT_EQ(Pixel(o.x + 190, o.y + 140), 0xC4C4C4u) << "the corner";
    // The thumbs at the ends of their channels.
    const RCPtr<LScrollbar>& v = view->GetVerticalBar();
    EXPECT_EQ(v->GetThumb()->GetPosition().y + v->GetThumbLength(), v->GetTrackEnd());
}

TEST_F(ScrollViewExtent, HugeContentStaysWithinTheLayoutAndScrollsBack)
{
    // Content of 1e300: the extent is cut to what the layout can place.
    Resize(*content, 1e300, 1e300);
    EXPECT_EQ(view->GetClientExtent().x, 536870912.0);
    EXPECT_EQ(view->GetClientExtent().y, 536870912.0);
    EXPECT_EQ(Shown(), "hv");
    const RCPtr<LScrollbar>& v = view->GetVerticalBar();
    const RCPtr<LScrollbar>& h = view->GetHorizontalBar();
    v->SetNormalizedValue(1.0);
    h->SetNormalizedValue(1.0);
    EXPECT_EQ(view->GetScrollOffset().y, 536870912.0 - 133.0);
    // The bars and their thumbs keep their size, and the pointer takes the view back to the start.
    EXPECT_EQ(v->GetSize().x, 17.0);
    EXPECT_EQ(h->GetSize().y, 17.0);
    EXPECT_EQ(v->GetThumb()->GetSize().x, 17.0);
    EXPECT_EQ(v->GetThumbLength(), v->GetMinimumThumbLength());
    const PointT<int32_t> centre = CentreOf(*view);
    MoveTo(centre.x, centre.y);
    Paint();
    // Dragging each thumb back to the start of its channel.
    const PointT<int32_t> vThumb = CentreOf(*v->GetThumb());
    Press(vThumb.x, vThumb.y);
    MoveTo(vThumb.x, vThumb.y - 50);
    MoveTo(vThumb.x, vThumb.y - 400);
    Release(vThumb.x, vThumb.y - 400);
    const PointT<int32_t> hThumb = CentreOf(*h->GetThumb());
    Press(hThumb.x, hThumb.y);
    MoveTo(hThumb.x - 50, hThumb.y);
    MoveTo(hThumb.x - 400, hThumb.y);
    Release(hThumb.x - 400, hThumb.y);
    EXPECT_EQ(view->GetScrollOffset().x, 0.0);
    EXPECT_EQ(view->GetScrollOffset().y, 0.0);
    EXPECT_EQ(OriginOf(*content).y, OriginOf(*view).y);
    Paint();

    // An extent set from code, and an offset far beyond it, are cut the same way.
    view->SetAutoExtent(0);
    view->SetClientExtent(1e300, -1e300);
    EXPECT_EQ(view->GetClientExtent().x, 536870912.0);
    EXPECT_EQ(view->GetClientExtent().y, -536870912.0);
    view->SetScrollOffset(PointT<double>{1e300, 0});
    EXPECT_EQ(view->GetScrollOffset().x, 536870912.0);
    Paint();
}

namespace {

// Both class levels bind the window's idle notification: the view's own table and the control
// base's (through the idle subscription, which ends in OnIdleHook).
class ChainProbe : public LScrollView {
public:
    ChainProbe(const RCPtr<LControl>& parent) : LScrollView(parent, WString(u"chainProbe")) {}
    void Bind(const RCPtr<LNotificationDistributor>& idle)
    {
        EXPECT_FALSE(KX::Failed(
            GetViewHandler()->AddDistributorHandler(static_cast<Fn>(&ChainProbe::OnOwn), idle, u"NID_IDLE", 0)));
    }
    KXRESULT OnOwn(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>&)
    {
        order += "view ";
        return consume ? S_FALSE : S_OK;
    }
    void OnIdleHook() override { order += "control "; }

    std::string order;
    bool consume = true;

private:
    using Fn = KXRESULT (LScrollView::*)(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>&);
};

} // namespace

TEST_F(ScrollViewExtent, TheViewsOwnTableIsAskedFirstAndAUsedNotificationGoesNoFurther)
{
    RCPtr<ChainProbe> probe(new ChainProbe(Page()));
    ASSERT_EQ(probe->Initialize(), S_OK);
    probe->SetBuilt();
    probe->SubscribeIdle();
    const RCPtr<IRootWindow>& window = Page()->GetTopLevelOwnerSlot();
    ASSERT_TRUE(window && window->GetIdleSource());
    probe->Bind(window->GetIdleSource());
    RunIdle();
    EXPECT_EQ(probe->order, "view ") << "used by the view's table: the control base's is not asked";
    probe->consume = false;
    probe->order.clear();
    RunIdle();
    EXPECT_EQ(probe->order, "view control ");
    probe->UnsubscribeIdle();
    probe->LNotificationClient::UnregisterFromAll();
}

TEST_F(ScrollViewExtent, TakingTheContentOutShrinksTheExtentAndHidesTheBars)
{
    ASSERT_EQ(Shown(), "hv");
    view->GetVerticalBar()->SetNormalizedValue(1.0);
    EXPECT_EQ(view->GetScrollOffset().y, 267.0);
    const RCPtr<LControl> kept = content;
    kept->SetParent(RCPtr<LControl>());
    // Only the small mark at (10, 10) is left.
    EXPECT_EQ(view->GetClientExtent().x, 40.0);
    EXPECT_EQ(view->GetClientExtent().y, 30.0);
    EXPECT_EQ(Shown(), "");
    EXPECT_EQ(view->GetScrollOffset().y, 0.0);
}

TEST_F(ScrollViewExtent, ASizeChangeRecordsTheVisibleContentAndTheContentSizeIsTheChildrens)
{
    auto box = [](const RectT<double>& r) { return std::vector<double>{r.x, r.y, r.width, r.height}; };
    view->SetAutoExtent(0);
    view->SetScrollOffset(PointT<double>{0, 100});
    ASSERT_EQ(Shown(), "hv");
    view->SetClientExtent(300, 500);
    EXPECT_EQ(box(view->GetTrackedBounds()), box(RectT<double>{})) << "no size change in progress";
    // Between the two halves of a size change the bars' update records what is visible.
    view->CaptureLookBounds();
    view->SetClientExtent(300, 600);
    view->CheckTrackedBoundsChanged();
    EXPECT_EQ(box(view->GetTrackedBounds()), (std::vector<double>{0, 100, 183, 133}));

    // Sized to its children on x: their far corner; y keeps the layout's own maximum.
    view->GetLayout()->MaxSize(0) = SizeLimit{1, WString(u"Children"), 0.0f, 0.0};
    view->GetLayout()->MaxSize(1) = SizeLimit{0, WString(), 0.0f, 90.0};
    EXPECT_EQ(view->GetMaximumSize(), (PointT<double>{300, 90}));
}
