// Input routing through the root window: clicks by hit test, capture, hover, wheel and keys.
#include "RootWindowFakes.h"

#include "kx/ui/VirtualKeys.h"

#include <gtest/gtest.h>

using namespace KX;
using rwtest::GiveHitLook;
using rwtest::MakeRecorder;
using rwtest::Recorder;
using Log = std::vector<std::string>;

namespace {
class RootInput : public ::testing::Test {
protected:
    void SetUp() override
    {
        window = LRootWindow::Create(nullptr, &services);
        main = MakeRecorder(nullptr, u"main", &log, 0, 0, 320, 200);
        GiveHitLook(*main, 320, 200, 0);
        window->AttachMainControl(main);
        panel = MakeRecorder(main, u"panel", &log, 20, 30, 200, 100);
        GiveHitLook(*panel, 200, 100);
        button = MakeRecorder(panel, u"button", &log, 10, 10, 50, 20);
        GiveHitLook(*button, 50, 20);
        log.clear();
    }
    void TearDown() override
    {
        button = nullptr;
        panel = nullptr;
        main = nullptr;
        window = nullptr;
    }
    // Moves the platform pointer first, as the platform window does, so that no extra move runs.
    void Click(uint32_t action, uint32_t b, uint32_t mods, PointT<int32_t> p)
    {
        services.pointer = p;
        window->OnMouseButton(action, b, mods, p);
    }

    rwtest::FakeServices services;
    Log log;
    RCPtr<LRootWindow> window;
    RCPtr<Recorder> main, panel, button;
};
} // namespace

TEST_F(RootInput, PressGoesToTheDeepestHitControlInItsOwnCoordinatesWithButtonModifiersAndHeldButtons)
{
    services.buttons = 4;
    Click(kMousePress, kMouseButtonRight, 1 | 64, {35, 45}); // button at 30,40 in root coordinates
    EXPECT_EQ(log, (Log{"button: enter", "button: down b4 5,5 m65 held4"}));
    EXPECT_EQ(window->GetHoverControl().Get(), button.Get());
    log.clear();
    Click(kMousePress, kMouseButtonLeft, 8, {100, 100}); // the panel, outside the button
    EXPECT_EQ(log, (Log{"button: leave", "panel: enter", "panel: down b1 80,70 m8 held4"}));
}

TEST_F(RootInput, ReleasesWithoutCaptureAndUnknownButtonsAreDropped)
{
    Click(kMouseRelease, kMouseButtonLeft, 0, {35, 45});
    EXPECT_TRUE(log.empty());
    Click(kMousePress, 8, 0, {35, 45});
    Click(kMousePress, 3, 0, {35, 45});
    EXPECT_EQ(log, (Log{})) << "no hit test either: the pointer did not move";
}

TEST_F(RootInput, PointerMovedSinceTheLastPositionMovesBeforeThePress)
{
    services.pointer = {0, 0};
    window->OnMouseButton(kMousePress, kMouseButtonLeft, 0, {35, 45});
    EXPECT_EQ(log, (Log{"button: enter", "button: move 5,5 m0", "button: down b1 5,5 m0 held0"}));
}

TEST_F(RootInput, CaptureControlGetsEveryPointerEventInItsCoordinatesAndTheRelease)
{
    ASSERT_EQ(window->SetCaptureControl(button), S_OK);
    Click(kMousePress, kMouseButtonLeft, 0, {300, 190}); // far outside the button
    services.pointer = {-50, 400};
    window->OnMouseMove({-50, 400}, 1); // outside the window
    Click(kMouseRelease, kMouseButtonLeft, 8, {-50, 400});
    EXPECT_EQ(log,
              (Log{"button: down b1 270,150 m0 held0", "button: move -80,360 m1", "button: up b1 -80,360 m8 held0"}));
    log.clear();
    ASSERT_EQ(window->SetCaptureControl(panel), S_OK);
    EXPECT_EQ(log, (Log{"button: capture-lost"}));
    EXPECT_EQ(window->SetCaptureControl(nullptr), E_INVALIDARG);
    EXPECT_EQ(window->GetCaptureControl().Get(), panel.Get());
    window->OnCaptureLost();
    EXPECT_EQ(window->GetCaptureControl().Get(), panel.Get()) << "the platform's loss tells the control only";
    window->ReleaseCaptureControl();
    EXPECT_FALSE(window->GetCaptureControl());
}

TEST_F(RootInput, DoubleClickFlagRidesOnTheFollowingReleaseOnly)
{
    window->SetCaptureControl(button);
    Click(kMouseDoubleClick, kMouseButtonLeft, 0, {35, 45});
    Click(kMouseRelease, kMouseButtonLeft, 0, {35, 45});
    Click(kMousePress, kMouseButtonLeft, 0, {35, 45});
    Click(kMouseRelease, kMouseButtonLeft, 0, {35, 45});
    EXPECT_EQ(log, (Log{"button: down b1 5,5 m0 dbl held0", "button: up b1 5,5 m0 dbl held0",
                        "button: down b1 5,5 m0 held0", "button: up b1 5,5 m0 held0"}));
    EXPECT_EQ(window->GetDoubleClickBits(), 0u);
}

TEST_F(RootInput, HoverEntersAndLeavesAndCaptureKeepsOthersFromEntering)
{
    window->OnMouseMove({35, 45}, 0);
    window->OnMouseMove({100, 100}, 0);
    window->OnMouseMove({310, 190}, 0); // the main control: it has no visible look, so nothing is hit
    EXPECT_EQ(log, (Log{"button: enter", "button: move 5,5 m0", "button: leave", "panel: enter", "panel: move 80,70 m0",
                        "panel: leave"}));
    log.clear();
    window->SetCaptureControl(button);
    window->OnMouseMove({35, 45}, 0);   // back over the capture control
    window->OnMouseMove({100, 100}, 0); // over the panel: nobody enters
    EXPECT_EQ(log, (Log{"button: enter", "button: move 5,5 m0", "button: leave", "button: move 70,60 m0"}));
    EXPECT_FALSE(window->GetHoverControl());
}

TEST_F(RootInput, HoverLeaveSkipsAControlThatLeftTheTree)
{
    window->OnMouseMove({35, 45}, 0);
    button->SetParent(nullptr);
    log.clear();
    window->SetHoverControl(panel);
    EXPECT_EQ(log, (Log{"panel: enter"}));
}

TEST_F(RootInput, WheelGoesToTheHitControlThenToTheFocusWhenNotHandled)
{
    window->SetFocusControl(panel);
    window->OnMouseWheel({35, 45}, 1, kWheelUp);
    button->wheelResult = S_FALSE;
    window->OnMouseWheel({35, 45}, 0, kWheelLeft);
    EXPECT_EQ(log, (Log{"button: wheel 1 35,45", "button: hwheel 2", "panel: hwheel 2"}));
    log.clear();
    window->OnMouseWheel({35, 45}, 0, 4);            // no such direction
    window->OnMouseWheel({310, 190}, 0, kWheelDown); // nothing hit
    EXPECT_TRUE(log.empty());
}

TEST_F(RootInput, UnhandledWheelIsNotDeliveredTwiceToTheFocusedTarget)
{
    window->SetFocusControl(button);
    button->wheelResult = S_FALSE;
    window->OnMouseWheel({35, 45}, 0, kWheelDown);
    EXPECT_EQ(log, (Log{"button: wheel 0 35,45"}));
}

TEST_F(RootInput, KeysGoToTheFocusOwnerOrNowhere)
{
    const RCPtr<LKeyParam> key = LKeyParam::Create(KeyCode(VKey::Return, true, 0, 0), true);
    window->OnKey(key);
    EXPECT_TRUE(log.empty());
    window->SetFocusControl(button);
    window->OnKey(key);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0], "button: key " + std::to_string(key->GetKey().code));
    window->SuspendFocus();
    EXPECT_EQ(window->GetSavedFocus().Get(), button.Get());
    window->OnKey(key);
    EXPECT_EQ(log.size(), 1u);
}

TEST_F(RootInput, InactiveOrDetachedWindowDropsPointerInput)
{
    services.active = false;
    Click(kMousePress, kMouseButtonLeft, 0, {35, 45});
    window->OnMouseMove({35, 45}, 0);
    window->OnMouseWheel({35, 45}, 0, kWheelUp);
    EXPECT_TRUE(log.empty());
    RCPtr<LRootWindow> bare = LRootWindow::Create(nullptr, nullptr);
    EXPECT_EQ(bare->Close(1), E_FAIL);
    EXPECT_EQ(bare->SetCursor(5), 0);
    bare->OnMouseButton(kMousePress, kMouseButtonLeft, 0, {1, 1});
}

TEST_F(RootInput, FocusRestoresToTheSavedControlOfThisWindowElseTheMainControl)
{
    window->SetFocusControl(button);
    window->SuspendFocus();
    window->RestoreFocus();
    EXPECT_EQ(log, (Log{"button: setfocus"}));
    log.clear();
    button->SetParent(nullptr); // no longer in this window
    window->RestoreFocus();
    EXPECT_EQ(log, (Log{"main: setfocus"}));
    log.clear();
    window->OnMouseMove({100, 100}, 0);
    log.clear();
    window->OnFocusLost();
    EXPECT_EQ(log, (Log{"panel: leave", "main: setfocus", "main: killfocus"}));
}

TEST_F(RootInput, FocusNextRootWindowCyclesTheApplicationsWindows)
{
    rwtest::ScopedHost host;
    const RCPtr<LKeyParam> tab = LKeyParam::Create(KeyCode(VKey::Tab, true, 0, 0), true);
    const RCPtr<LKeyParam> shiftTab = LKeyParam::Create(KeyCode(VKey::Tab, true, 0, 8), true);
    window->FocusNextRootWindow(shiftTab); // alone: the main control loses and retakes the focus
    EXPECT_EQ(log, (Log{"main: killfocus", "main: setfocus-back"}));

    rwtest::FakeServices s2, s3;
    s2.active = s3.active = false;
    host.windows = {window, LRootWindow::Create(nullptr, &s2), LRootWindow::Create(nullptr, &s3)};
    window->FocusNextRootWindow(tab);
    EXPECT_EQ(s2.focusRequests, 1);
    window->FocusNextRootWindow(shiftTab); // wraps to the last
    EXPECT_EQ(s3.focusRequests, 1);
    services.modal = true;
    window->FocusNextRootWindow(tab);
    EXPECT_EQ(s2.focusRequests, 1);
    host.windows.clear();
}

TEST_F(RootInput, ModifierAndPointerStateComeFromTheHostWhenInactive)
{
    rwtest::ScopedHost host;
    host.keys[16] = host.keys[18] = true;
    EXPECT_EQ(window->GetModifierState(), 8u | 64u);
    services.buttons = 2;
    services.pointer = {7, 8};
    EXPECT_EQ(window->GetMouseButtonState(), 2u);
    EXPECT_EQ(window->GetCursorPos().x, 7);
    services.active = false;
    EXPECT_EQ(window->GetMouseButtonState(), 0u);
    EXPECT_EQ(window->GetCursorPos().x, -100) << "the host's screen point converted to client coordinates";
}

TEST_F(RootInput, ToolTipFollowsTheHoverAndHidesOnInput)
{
    button->toolTip = WString(u"Press me");
    window->OnMouseMove({35, 45}, 0);
    EXPECT_EQ(window->GetToolTipControl().Get(), button.Get());
    Click(kMousePress, kMouseButtonLeft, 0, {35, 45});
    window->OnMouseMove({100, 100}, 0); // the panel has no tooltip
    EXPECT_FALSE(window->GetToolTipControl());
    EXPECT_EQ(log, (Log{"button: tip-on", "button: enter", "button: move 5,5 m0", "button: tip-off",
                        "button: down b1 5,5 m0 held0", "button: tip-off", "button: leave", "panel: enter",
                        "panel: move 80,70 m0"}));
}
