// Buttons made from the skin and driven through the offscreen window: clicks and their looks,
// toggles, radio groups, auto-repeat and simulated clicks on the injected clock.
#include "ControlsHarness.h"

#include "kx/controls/Button.h"

using namespace KX;

namespace {

// Records the ticks at which the notifications of one name arrive.
class TickLog : public LNotificationReceiver {
public:
    explicit TickLog(const std::function<uint32_t()>& now) : m_now(now) {}
    KXRESULT Receive(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>&) override
    {
        ticks.push_back(m_now());
        return S_OK;
    }
    KXRESULT UnregisterForNotification(const RCPtr<LNotificationDistributor>& d, const char16_t* name) override
    {
        return d->UnregisterClient(RCPtr<LNotificationReceiver>(this), name);
    }
    std::vector<uint32_t> ticks;

private:
    std::function<uint32_t()> m_now;
};

class ButtonClicks : public ctltest::ControlsTest {
protected:
    RCPtr<TickLog> Listen(const RCPtr<LControl>& control, const char16_t* name)
    {
        RCPtr<TickLog> log(new TickLog([this] { return Now(); }));
        EXPECT_FALSE(KX::Failed(control->RegisterClient(RCPtr<LNotificationReceiver>(log), name, 0)));
        return log;
    }
    static int32_t Look(const LControl& c) { return c.GetFirstVisibleLook(); }
    // The look index without its focus variant.
    static int32_t State(const LControl& c)
    {
        const int32_t look = Look(c);
        const int32_t state = look % 7;
        return look - state + (state >= 3 && state <= 5 ? state - 3 : state);
    }
};

} // namespace

TEST_F(ButtonClicks, PushButtonClicksWithoutChangingItsValueAndItsLookFollowsThePointer)
{
    RCPtr<LButton> ok = CreateAs<LButton>(u"okButton");
    ASSERT_TRUE(ok);
    EXPECT_EQ(ok->GetLookCount(), 14u);
    EXPECT_EQ(ok->GetText().ToNarrow(), NString("OK"));
    RCPtr<TickLog> clicks = Listen(RCPtr<LControl>(ok), u"NID_LEFT_CLICK");
    const PointT<int32_t> at = CentreOf(*ok);

    MoveTo(at.x, at.y);
    EXPECT_EQ(State(*ok), LButton::kLookHover);
    Press(at.x, at.y);
    EXPECT_EQ(root->GetFocusControl().Get(), static_cast<LControl*>(ok.Get())) << "a press takes the focus";
    EXPECT_EQ(Look(*ok), LButton::kLookPressed) << "no ring: no key was pressed since";
    Screenshot("pressed");
    // Dragged off while held: the hover look, not the pressed one; back on: pressed again.
    MoveTo(at.x, at.y + 100);
    EXPECT_EQ(Look(*ok), LButton::kLookHover);
    MoveTo(at.x, at.y);
    EXPECT_EQ(Look(*ok), LButton::kLookPressed);
    Release(at.x, at.y);
    EXPECT_EQ(clicks->ticks.size(), 1u);
    EXPECT_EQ(ok->GetNormalizedValue(), 0.0) << "a push button keeps its value";
    EXPECT_EQ(Look(*ok), LButton::kLookHover);

    // Released off the button: no click.
    Press(at.x, at.y);
    MoveTo(at.x + 300, at.y);
    Release(at.x + 300, at.y);
    EXPECT_EQ(clicks->ticks.size(), 1u);
    EXPECT_EQ(Look(*ok), LButton::kLookNormal);
    Key(SDLK_ESCAPE);
    EXPECT_EQ(Look(*ok), LButton::kLookNormal + LButton::kFocusLookOffset) << "a key brings the ring";
}

TEST_F(ButtonClicks, ToggleAlternatesAndShowsTheValueOnLooks)
{
    RCPtr<LButton> toggle = CreateAs<LButton>(u"toggleButton");
    ASSERT_TRUE(toggle);
    EXPECT_TRUE(toggle->autoValueSet);
    EXPECT_FALSE(toggle->isRadio);
    RCPtr<TickLog> changes = Listen(RCPtr<LControl>(toggle), u"NID_VALUE_CHANGE");
    ClickOn(*toggle);
    EXPECT_EQ(toggle->GetNormalizedValue(), 1.0);
    EXPECT_EQ(State(*toggle), LButton::kLookHover + LButton::kOnLookOffset);
    Screenshot("on");
    ClickOn(*toggle);
    EXPECT_EQ(toggle->GetNormalizedValue(), 0.0);
    ClickOn(*toggle);
    EXPECT_EQ(toggle->GetNormalizedValue(), 1.0);
    EXPECT_EQ(changes->ticks.size(), 3u);
    // Disabled while on: look 13; it takes no clicks.
    toggle->SetEnabled(false);
    EXPECT_EQ(Look(*toggle), LButton::kLookDisabled + LButton::kOnLookOffset);
    ClickOn(*toggle);
    EXPECT_EQ(toggle->GetNormalizedValue(), 1.0);
}

TEST_F(ButtonClicks, RadioSiblingsSwitchEachOtherOffAndAClickNeverSwitchesOneOff)
{
    RCPtr<LButton> one = CreateAs<LButton>(u"radio1");
    RCPtr<LButton> two = CreateAs<LButton>(u"radio2");
    RCPtr<LButton> three = CreateAs<LButton>(u"radio3");
    RCPtr<LButton> toggle = CreateAs<LButton>(u"toggleButton"); // a sibling outside the group
    ASSERT_TRUE(one && two && three && toggle);
    ASSERT_TRUE(one->isRadio);
    toggle->SetNormalizedValue(1.0);
    RCPtr<TickLog> clicks = Listen(RCPtr<LControl>(two), u"NID_LEFT_CLICK");

    ClickOn(*two);
    EXPECT_EQ(two->GetNormalizedValue(), 1.0);
    ClickOn(*three);
    EXPECT_EQ(std::vector<double>({one->GetNormalizedValue(), two->GetNormalizedValue(), three->GetNormalizedValue()}),
              std::vector<double>({0.0, 0.0, 1.0}));
    // Clicking the one that is on leaves it on and still clicks.
    ClickOn(*three);
    EXPECT_EQ(three->GetNormalizedValue(), 1.0);
    // A value set from code switches the group too.
    one->SetNormalizedValue(1.0);
    EXPECT_EQ(three->GetNormalizedValue(), 0.0);
    EXPECT_EQ(State(*three), LButton::kLookHover) << "the pointer is still over it";
    EXPECT_EQ(toggle->GetNormalizedValue(), 1.0) << "a non-radio sibling is not touched";
    EXPECT_EQ(clicks->ticks.size(), 1u);
    Screenshot("group");
}

TEST_F(ButtonClicks, AutoRepeatFollowsDelayAndIntervalAndPausesOffTheButton)
{
    RCPtr<LButton> repeat = CreateAs<LButton>(u"repeatButton");
    ASSERT_TRUE(repeat);
    repeat->autoRepeat = true;
    RCPtr<TickLog> repeats = Listen(RCPtr<LControl>(repeat), u"NID_BUTTON_AUTOREPEAT");
    const PointT<int32_t> at = CentreOf(*repeat);
    const uint32_t start = Now();
    Press(at.x, at.y);
    ASSERT_EQ(repeats->ticks.size(), 1u) << "the first repeat comes with the press";
    for (int i = 0; i < 30; ++i) // 990 ms in idle passes 33 ms apart
        Advance(33);
    std::vector<uint32_t> offsets;
    for (uint32_t t : repeats->ticks)
        offsets.push_back(t - start);
    EXPECT_EQ(offsets, (std::vector<uint32_t>{0, 330, 462, 594, 726, 858, 990}));

    // Off the button the countdown stands still; back on, it resumes without catching up.
    MoveTo(at.x, at.y + 150);
    const size_t before = repeats->ticks.size();
    for (int i = 0; i < 20; ++i)
        Advance(33);
    EXPECT_EQ(repeats->ticks.size(), before);
    MoveTo(at.x, at.y);
    Advance(33);
    Advance(33);
    Advance(33);
    EXPECT_EQ(repeats->ticks.size(), before) << "no repeat for the time spent outside";
    Advance(33);
    EXPECT_EQ(repeats->ticks.size(), before + 1);

    // Released: no more repeats and no idle subscription left.
    Release(at.x, at.y);
    EXPECT_FALSE(repeat->repeating);
    EXPECT_EQ(repeat->GetIdleSubscriptionCount(), 0);
    Advance(500);
    EXPECT_EQ(repeats->ticks.size(), before + 1);
}

TEST_F(ButtonClicks, EnterShowsThePressedLookAndClicksLaterWithoutLosingARapidSecondPress)
{
    RCPtr<LButton> ok = CreateAs<LButton>(u"okButton");
    ASSERT_TRUE(ok);
    RCPtr<TickLog> clicks = Listen(RCPtr<LControl>(ok), u"NID_LEFT_CLICK");
    root->SetFocusControl(RCPtr<LControl>(ok));
    Key(SDLK_RETURN);
    EXPECT_TRUE(ok->clickPending);
    EXPECT_EQ(Look(*ok), LButton::kLookPressed) << "the simulated press shows the plain pressed look";
    EXPECT_TRUE(clicks->ticks.empty());
    Advance(100);
    EXPECT_TRUE(clicks->ticks.empty());
    Key(SDLK_RETURN);
    EXPECT_EQ(clicks->ticks.size(), 1u) << "the pending click is delivered when the second begins";
    Advance(100);
    EXPECT_EQ(clicks->ticks.size(), 1u);
    Advance(60);
    EXPECT_EQ(clicks->ticks.size(), 2u);
    EXPECT_FALSE(ok->clickPending);
    EXPECT_EQ(ok->GetIdleSubscriptionCount(), 0);
    EXPECT_NE(Look(*ok), LButton::kLookPressed);

    // Other keys pass; a simulated click from another control counts when enabled.
    Key(SDLK_SPACE);
    EXPECT_FALSE(ok->clickPending);
    SendNotificationTo(RCPtr<LNotificationReceiver>(ok), u"NID_SIMULATE_CLICK", nullptr);
    Advance(200);
    EXPECT_EQ(clicks->ticks.size(), 3u);
    ok->SetEnabled(false);
    SendNotificationTo(RCPtr<LNotificationReceiver>(ok), u"NID_SIMULATE_CLICK", nullptr);
    Advance(200);
    EXPECT_EQ(clicks->ticks.size(), 3u);
}

TEST_F(ButtonClicks, MouseTransparentButtonIsNeverHitAndKeepsItsLook)
{
    RCPtr<LButton> ok = CreateAs<LButton>(u"okButton");
    ASSERT_TRUE(ok);
    ok->mouseTransparent = true;
    RCPtr<TickLog> clicks = Listen(RCPtr<LControl>(ok), u"NID_LEFT_CLICK");
    const int32_t look = Look(*ok);
    ClickOn(*ok);
    EXPECT_TRUE(clicks->ticks.empty());
    EXPECT_EQ(Look(*ok), look);
    EXPECT_NE(root->GetHoverControl().Get(), static_cast<LControl*>(ok.Get()));
}
