// The scroll bar built from the skin: its thumb geometry, channel presses with their page repeat
// on the injected clock, thumb drags, keys and value ranges.
#include "ScrollFixture.h"

using namespace KX;

namespace {

class ScrollbarInput : public ctltest::ScrollTest {
protected:
    // The skin's vertical bar: 20 x 240 at (20, 20), channel 200 long from y = 40.
    RCPtr<LScrollbar> MakeVertical()
    {
        RCPtr<LScrollbar> bar = CreateAs<LScrollbar>(u"testVBar");
        if (bar) {
            EXPECT_TRUE(bar->GetChannel());
            EXPECT_TRUE(bar->GetThumb());
        }
        return bar;
    }
    // Resizes the bar along its length.
    static void SetLength(LScrollbar& bar, double length)
    {
        AxisPlacement p;
        SizeSpec s;
        bar.GetLayout()->GetAxisPlacement(1, p, s);
        s.absolute = length;
        bar.SetAxisPlacement(1, p, s);
    }
    static double ThumbY(const LScrollbar& bar) { return bar.GetThumb()->GetPosition().y; }
    static double ThumbLength(const LScrollbar& bar) { return bar.GetThumb()->GetSize().y; }
    // Window y of a point in the channel.
    int32_t ChannelY(const LScrollbar& bar, int32_t y) const { return OriginOf(*bar.GetChannel()).y + y; }
};

} // namespace

TEST_F(ScrollbarInput, OrientationAndThumbLengthFollowTheSkin)
{
    RCPtr<LScrollbar> v = MakeVertical();
    RCPtr<LScrollbar> h = CreateAs<LScrollbar>(u"testHBar");
    ASSERT_TRUE(v && h);
    EXPECT_TRUE(v->IsVertical()) << "inc below dec";
    EXPECT_FALSE(h->IsVertical()) << "inc right of dec";
    EXPECT_EQ(v->GetMinimumThumbLength(), 20.0) << "the thumb's thickness";
    EXPECT_EQ(h->GetMinimumThumbLength(), 16.0);
    EXPECT_EQ(v->GetMinimum(), 0.0);
    EXPECT_EQ(v->GetMaximum(), 100.0);

    // 100-pixel channel: 0.1 of it is below the minimum; 400 pixels: 40.
    SetLength(*v, 140);
    EXPECT_EQ(v->GetTrackEnd(), 100.0);
    EXPECT_EQ(ThumbLength(*v), 20.0);
    SetLength(*v, 440);
    EXPECT_EQ(v->GetTrackEnd(), 400.0);
    EXPECT_EQ(ThumbLength(*v), 40.0);

    // The ends of the travel: at the start and flush with the end.
    EXPECT_EQ(ThumbY(*v), 0.0);
    v->SetNormalizedValue(1.0);
    EXPECT_EQ(ThumbY(*v), 360.0);
    v->SetNormalizedValue(0.5);
    EXPECT_EQ(ThumbY(*v), 180.0);
    // A shorter bar keeps the value and moves the thumb to it.
    SetLength(*v, 240);
    EXPECT_EQ(ThumbY(*v), 90.0);
    v->SetThumbProportion(0.5, true);
    EXPECT_EQ(ThumbLength(*v), 100.0);
    EXPECT_EQ(ThumbY(*v), 50.0);
    // Hostile proportions stay within the track.
    v->SetThumbProportion(7.0, true);
    EXPECT_EQ(ThumbLength(*v), 200.0);
    EXPECT_EQ(ThumbY(*v), 0.0);
}

TEST_F(ScrollbarInput, StepButtonsStepAtOnceAndRepeatWhileHeld)
{
    RCPtr<LScrollbar> v = MakeVertical();
    ASSERT_TRUE(v && v->GetIncButton() && v->GetDecButton());
    for (const RCPtr<LControl>& part :
         {RCPtr<LControl>(v), v->GetIncButton(), v->GetDecButton(), v->GetChannel(), v->GetThumb()})
        EXPECT_TRUE(part->IsNotFocusable(false)) << "Tab never stops on a bar or its parts";
    const PointT<int32_t> inc = CentreOf(*v->GetIncButton());
    Press(inc.x, inc.y);
    EXPECT_DOUBLE_EQ(v->GetNormalizedValue(), 0.02) << "a line step at the press";
    AdvanceInSteps(280);
    EXPECT_DOUBLE_EQ(v->GetNormalizedValue(), 0.02);
    AdvanceInSteps(40);
    EXPECT_DOUBLE_EQ(v->GetNormalizedValue(), 0.04) << "the repeat after its delay";
    Release(inc.x, inc.y);
    AdvanceInSteps(500);
    EXPECT_DOUBLE_EQ(v->GetNormalizedValue(), 0.04) << "nothing after the release";
    EXPECT_EQ(ThumbY(*v), std::round(0.04 * 180.0));
    // Down the other way, and no further than the start.
    for (int i = 0; i < 3; ++i)
        ClickOn(*v->GetDecButton());
    EXPECT_DOUBLE_EQ(v->GetNormalizedValue(), 0.0);
    EXPECT_EQ(ThumbY(*v), 0.0);
}

TEST_F(ScrollbarInput, ChannelPressPagesAtOnceThenRepeatsUntilTheThumbPassesThePointer)
{
    RCPtr<LScrollbar> v = MakeVertical();
    ASSERT_TRUE(v);
    v->SetPageStep(0.1);
    const int32_t x = OriginOf(*v).x + 10;
    // Below the thumb, 150 pixels down the channel (thumb 20 long, travel 180).
    Press(x, ChannelY(*v, 150));
    EXPECT_EQ(v->GetPageDirection(), LScrollbar::kPageTowardsEnd);
    EXPECT_DOUBLE_EQ(v->GetNormalizedValue(), 0.1) << "one page at once";
    Advance(390);
    EXPECT_DOUBLE_EQ(v->GetNormalizedValue(), 0.1) << "not before 0.4 s";
    Advance(20);
    EXPECT_DOUBLE_EQ(v->GetNormalizedValue(), 0.2);
    Advance(200);
    EXPECT_DOUBLE_EQ(v->GetNormalizedValue(), 0.3);

    // The channel shows its pressed look between the thumb and the end, the normal look above.
    Paint();
    const int32_t thumbEnd = static_cast<int32_t>(ThumbY(*v) + ThumbLength(*v));
    EXPECT_EQ(Pixel(x, ChannelY(*v, thumbEnd + 5)), 0x9A9A9Au);
    EXPECT_EQ(Pixel(x, ChannelY(*v, 2)), 0xD8D8D8u);
    Screenshot("page_pressed");

    // Pages go on until the thumb reaches the pointer: value 0.7 puts it over y 126..146, 0.8
    // over 144..164, under the pointer at 150; then nothing more.
    AdvanceInSteps(2000);
    EXPECT_DOUBLE_EQ(v->GetNormalizedValue(), 0.8);
    AdvanceInSteps(1000);
    EXPECT_DOUBLE_EQ(v->GetNormalizedValue(), 0.8);

    Release(x, ChannelY(*v, 150));
    EXPECT_EQ(v->GetPageDirection(), LScrollbar::kPageNone);
    EXPECT_EQ(v->GetIdleSubscriptionCount(), 0) << "the idle pass is only held while pressing";
    Paint();
    EXPECT_EQ(Pixel(x, ChannelY(*v, 190)), 0xD8D8D8u) << "the normal look again";

    // Above the thumb: towards the start.
    Press(x, ChannelY(*v, 5));
    Release(x, ChannelY(*v, 5));
    EXPECT_DOUBLE_EQ(v->GetNormalizedValue(), 0.7);
}

TEST_F(ScrollbarInput, PageRepeatPausesWhileThePointerIsOutside)
{
    RCPtr<LScrollbar> v = MakeVertical();
    ASSERT_TRUE(v);
    v->SetPageStep(0.05);
    const int32_t x = OriginOf(*v).x + 10;
    Press(x, ChannelY(*v, 190));
    EXPECT_DOUBLE_EQ(v->GetNormalizedValue(), 0.05);
    Advance(300);
    // Away from the bar for two seconds: the countdown stands still.
    MoveTo(x + 200, ChannelY(*v, 190));
    Advance(2000);
    EXPECT_DOUBLE_EQ(v->GetNormalizedValue(), 0.05);
    MoveTo(x, ChannelY(*v, 190));
    Advance(50);
    EXPECT_DOUBLE_EQ(v->GetNormalizedValue(), 0.05) << "0.35 s of the 0.4 s have passed over the channel";
    Advance(60);
    EXPECT_DOUBLE_EQ(v->GetNormalizedValue(), 0.1);
    Release(x, ChannelY(*v, 190));
}

TEST_F(ScrollbarInput, ThumbDragFollowsThePointerAndDefersOutsideValues)
{
    RCPtr<LScrollbar> v = MakeVertical();
    ASSERT_TRUE(v);
    RCPtr<ctltest::NotificationLog> changes(new ctltest::NotificationLog());
    changes->Listen(v.Get(), {u"NID_VALUE_CHANGE"});
    const int32_t x = OriginOf(*v).x + 10;
    // Grab the thumb 5 pixels below its top and pull it 90 pixels down: half the travel.
    Press(x, ChannelY(*v, 5));
    MoveTo(x, ChannelY(*v, 50));
    MoveTo(x, ChannelY(*v, 95));
    EXPECT_TRUE(v->IsDragging());
    EXPECT_EQ(ThumbY(*v), 90.0);
    EXPECT_DOUBLE_EQ(v->GetNormalizedValue(), 0.5);
    EXPECT_GE(changes->Count("NID_VALUE_CHANGE"), 2) << "each move reports its value";

    // A value from outside waits for the end of the drag.
    v->SetNormalizedValue(0.25);
    EXPECT_DOUBLE_EQ(v->GetNormalizedValue(), 0.5);
    EXPECT_DOUBLE_EQ(v->GetDeferredValue(), 0.25);
    // Past the end of the track: the thumb stops flush with it.
    MoveTo(x, ChannelY(*v, 400));
    EXPECT_EQ(ThumbY(*v), 180.0);
    EXPECT_DOUBLE_EQ(v->GetNormalizedValue(), 1.0);
    Paint();
    EXPECT_EQ(Pixel(x, ChannelY(*v, 190)), 0x2C4080u) << "pressed look while dragged";
    Screenshot("dragged_to_the_end");
    Release(x, ChannelY(*v, 400));
    EXPECT_FALSE(v->IsDragging());
    EXPECT_DOUBLE_EQ(v->GetNormalizedValue(), 0.25) << "the deferred value is applied at the end";
    EXPECT_EQ(ThumbY(*v), 45.0);
    EXPECT_DOUBLE_EQ(v->GetDeferredValue(), -1.0);

    // With the deferred value switched off the drag's value stays.
    v->SetApplyDeferredValue(false);
    Press(x, ChannelY(*v, 50));
    MoveTo(x, ChannelY(*v, 60));
    v->SetNormalizedValue(0.9);
    Release(x, ChannelY(*v, 60));
    EXPECT_DOUBLE_EQ(v->GetNormalizedValue(), 55.0 / 180.0);
}

TEST_F(ScrollbarInput, HorizontalBarPagesAndDragsAlongX)
{
    // 400 x 16 at (60, 20): channel 368 long from x = 76, thumb 37 long (0.1 of it), travel 331.
    RCPtr<LScrollbar> h = CreateAs<LScrollbar>(u"testHBar");
    ASSERT_TRUE(h);
    EXPECT_EQ(h->GetThumb()->GetSize().x, 37.0);
    const PointT<int32_t> channel = OriginOf(*h->GetChannel());
    const int32_t y = channel.y + 8;
    Press(channel.x + 300, y);
    Release(channel.x + 300, y);
    EXPECT_DOUBLE_EQ(h->GetNormalizedValue(), 0.2);
    EXPECT_EQ(h->GetThumb()->GetPosition().x, std::round(0.2 * 331.0));
    EXPECT_EQ(h->GetThumb()->GetPosition().y, 0.0) << "across the axis the thumb stays";
    // Below the channel, level with the thumb's far side: not on the channel.
    Press(channel.x + 300, y + 40);
    Release(channel.x + 300, y + 40);
    EXPECT_DOUBLE_EQ(h->GetNormalizedValue(), 0.2);
    // Drag the thumb left by 66 pixels; a vertical wobble changes nothing.
    const int32_t grab = channel.x + 66 + 10;
    Press(grab, y);
    MoveTo(grab - 30, y + 5);
    MoveTo(grab - 66, y - 5);
    EXPECT_EQ(h->GetThumb()->GetPosition().x, 0.0);
    EXPECT_DOUBLE_EQ(h->GetNormalizedValue(), 0.0);
    Release(grab - 66, y - 5);
}

TEST_F(ScrollbarInput, KeysFollowTheOrientationAndTheMask)
{
    RCPtr<LScrollbar> v = MakeVertical();
    RCPtr<LScrollbar> h = CreateAs<LScrollbar>(u"testHBar");
    ASSERT_TRUE(v && h);
    // Keys reach the bars through their parent's sibling-key broadcast, passed up by a sibling.
    RCPtr<LControl> sibling = Create(u"testView");
    ASSERT_TRUE(sibling);
    auto send = [&](uint32_t vk) {
        RCPtr<LKeyParam> key = LKeyParam::Create(KeyCode(0x20000000u | (vk << 16), 0, 0), true);
        key->GetRoute().AddItem(sibling);
        return Page()->HandleSiblingKey(key);
    };
    v->SetNormalizedValue(0.5);
    h->SetNormalizedValue(0.5);
    EXPECT_EQ(send(0x28), S_OK) << "Down";
    EXPECT_DOUBLE_EQ(v->GetNormalizedValue(), 0.52);
    EXPECT_DOUBLE_EQ(h->GetNormalizedValue(), 0.5) << "Down is across the horizontal bar";
    EXPECT_EQ(send(0x27), S_OK) << "Right";
    EXPECT_DOUBLE_EQ(h->GetNormalizedValue(), 0.52);
    EXPECT_DOUBLE_EQ(v->GetNormalizedValue(), 0.52) << "Right is across the vertical bar";
    send(0x21); // Page Up
    EXPECT_DOUBLE_EQ(v->GetNormalizedValue(), 0.32);
    EXPECT_DOUBLE_EQ(h->GetNormalizedValue(), 0.52);
    EXPECT_EQ(send(0x41), S_FALSE) << "a key no bar maps is passed on";

    // Home and End whatever the orientation; one bar takes a key, so the other is masked off.
    h->SetKeyMask(0);
    send(0x23);
    EXPECT_DOUBLE_EQ(v->GetNormalizedValue(), 1.0);
    EXPECT_DOUBLE_EQ(h->GetNormalizedValue(), 0.52);
    h->SetKeyMask(0xFF);
    v->SetKeyMask(0);
    send(0x24);
    EXPECT_DOUBLE_EQ(h->GetNormalizedValue(), 0.0);
    EXPECT_DOUBLE_EQ(v->GetNormalizedValue(), 1.0);
    EXPECT_EQ(send(0x22), S_FALSE) << "Page Down: no vertical bar listens";

    // Bits above the low eight are refused, the low ones kept.
    EXPECT_EQ(v->SetKeyMask(0x140), E_INVALIDARG);
    EXPECT_EQ(v->GetKeyMask(), 0x40);
    h->SetKeyMask(0);
    EXPECT_EQ(send(0x23), S_FALSE) << "End is masked off";
    send(0x24);
    EXPECT_DOUBLE_EQ(v->GetNormalizedValue(), 0.0);
    // A hidden bar ignores keys.
    v->SetKeyMask(0xFF);
    v->SetVisible(false);
    EXPECT_EQ(send(0x23), S_FALSE);
    EXPECT_DOUBLE_EQ(v->GetNormalizedValue(), 0.0);
}

TEST_F(ScrollbarInput, ValueRangeKeepsTheValueInRangeUnits)
{
    RCPtr<LScrollbar> v = MakeVertical();
    ASSERT_TRUE(v);
    v->SetNormalizedValue(0.5); // 50 in 0..100
    EXPECT_EQ(v->SetValueRange(10.0, 1000.0, 1), S_OK);
    EXPECT_NEAR(v->NormalizedToValue(v->GetNormalizedValue()), 50.0, 1e-9);
    EXPECT_NEAR(v->GetNormalizedValue(), std::log(5.0) / std::log(100.0), 1e-12);
    EXPECT_EQ(ThumbY(*v), std::round(180.0 * v->GetNormalizedValue()));
    // Logarithmic with a bound of 0: refused, the range and value stay.
    EXPECT_EQ(v->SetValueRange(0.0, 100.0, 1), E_INVALIDARG);
    EXPECT_EQ(v->GetMinimum(), 10.0);
    EXPECT_NEAR(v->NormalizedToValue(v->GetNormalizedValue()), 50.0, 1e-9);
    // A value outside the new range is cut to it.
    EXPECT_EQ(v->SetValueRange(0.0, 20.0, 0), S_OK);
    EXPECT_DOUBLE_EQ(v->GetNormalizedValue(), 1.0);
    EXPECT_EQ(ThumbY(*v), 180.0);
    // Not a number leaves the value alone.
    v->SetNormalizedValue(std::nan(""));
    EXPECT_DOUBLE_EQ(v->GetNormalizedValue(), 1.0);
}
