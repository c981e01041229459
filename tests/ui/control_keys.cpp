// Keys through the control tree from a real root window: own and sibling "LHK" bindings, the root
// window's and the application's hot keys, Tab and Shift+Tab inside a container, Ctrl+Tab across
// containers and on to the next root window.
#include "KeyFakes.h"

#include "kx/ui/ControlDescriptor.h"

#include <gtest/gtest.h>

using namespace KX;
using keytest::Log;
using keytest::MakeKeyControl;

namespace {

constexpr uint32_t kCtrl = 1, kShift = 8;

class ControlKeys : public ::testing::Test {
protected:
    void SetUp() override
    {
        window = LRootWindow::Create(nullptr, &services);
        other = LRootWindow::Create(nullptr, &otherServices);
        otherServices.active = false;
        host.windows = {window, other};
        main = MakeKeyControl(nullptr, u"main", &log, window.Get(), 0, 0, 320, 200);
        window->AttachMainControl(main);
        panel = MakeKeyControl(main, u"panel", &log, window.Get(), 0, 0, 150, 50);
        a = MakeKeyControl(panel, u"a", &log, window.Get(), 0, 0);
        b = MakeKeyControl(panel, u"b", &log, window.Get(), 50, 1);
        c = MakeKeyControl(panel, u"c", &log, window.Get(), 100, 2);
        panel2 = MakeKeyControl(main, u"panel2", &log, window.Get(), 160, 1, 150, 50);
        d = MakeKeyControl(panel2, u"d", &log, window.Get(), 0, 0);
        e = MakeKeyControl(panel2, u"e", &log, window.Get(), 50, 1);
        windowClient->RegisterForNotification(RCPtr<LNotificationDistributor>(window), u"NID_WIN_KEY", 0);
        window->GetHotKeyManager()->GetTable().AddBinding(ParseKeySpec(WString(u"CTRLVKEY_F7")),
                                                          WString(u"NID_WIN_KEY"));
        appHost.hotKeys->GetTable().AddBinding(ParseKeySpec(WString(u"CTRLVKEY_F8")), WString(u"NID_APP_KEY"));
        log.clear();
    }
    void TearDown() override
    {
        windowClient->UnregisterFromAll();
        host.windows.clear();
        a = b = c = d = e = panel = panel2 = main = nullptr;
        window = other = nullptr;
    }
    void Key(const RCPtr<LControl>& focus, KeyCode key)
    {
        window->SetFocusControl(focus);
        window->OnKey(LKeyParam::Create(key, true));
    }
    static KeyCode Tab(uint32_t modifiers = 0) { return KeyCode(9, true, 0, modifiers); }

    rwtest::FakeServices services, otherServices;
    rwtest::ScopedHost host;
    Log log;
    RCPtr<keytest::LogClient> windowClient{new keytest::LogClient(&log, "window")};
    RCPtr<keytest::LogClient> app{new keytest::LogClient(&log, "app")};
    keytest::HotKeyHost appHost{RCPtr<LNotificationReceiver>(app)};
    RCPtr<LRootWindow> window, other;
    RCPtr<keytest::KeyControl> main, panel, a, b, c, panel2, d, e;
};

} // namespace

TEST_F(ControlKeys, TabWrapsInsideTheParentAndShiftTabGoesBack)
{
    Key(b, Tab());
    Key(c, Tab());
    Key(a, Tab(kShift));
    EXPECT_EQ(log, (Log{"c: focus", "a: focus", "c: focus back"}));
    EXPECT_EQ(otherServices.focusRequests, 0);
}

TEST_F(ControlKeys, TabSkipsChildrenThatCannotTakeTheFocus)
{
    b->SetNotFocusable(true);
    Key(a, Tab());
    c->GetLayout()->visible = false;
    Key(a, Tab());
    EXPECT_EQ(log, (Log{"c: focus"})) << "with b and c out, a is alone: the focus stays";
}

TEST_F(ControlKeys, AControlThatWantsTabKeepsIt)
{
    RCPtr<LControlDescriptor> descriptor(new LControlDescriptor(WString(u"X"), WString(u"b"), nullptr));
    RCPtr<LStringTable> params(new LStringTable());
    params->SetString(WString(u"WANTS_TAB"), WString(u" True\t"));
    descriptor->SetCreateParams(params);
    b->AdoptDescriptor(ConstRCPtr<LControlDescriptor>(descriptor));
    b->ReadCreateParams();
    ASSERT_TRUE(b->WantsTab());
    appHost.hotKeys->GetTable().AddBinding(Tab(), WString(u"NID_APP_TAB"));
    Key(b, Tab());
    Key(b, Tab(kCtrl));
    EXPECT_EQ(log, Log{}) << "neither focus movement nor hot keys";
}

TEST_F(ControlKeys, TheReleaseOfTabIsAnOrdinaryKey)
{
    const KeyCode release(9, false, 0, 0);
    appHost.hotKeys->GetTable().AddBinding(release, WString(u"NID_APP_TAB_UP"));
    Key(a, release);
    EXPECT_EQ(log, (Log{"app: NID_APP_TAB_UP"}));
}

TEST_F(ControlKeys, CtrlTabMovesToTheParentsNextSiblingAndCtrlShiftTabToThePrevious)
{
    Key(b, Tab(kCtrl));
    Key(d, Tab(kCtrl | kShift));
    EXPECT_EQ(log, (Log{"panel2: focus", "panel: focus back"}));
    EXPECT_EQ(otherServices.focusRequests, 0);
}

TEST_F(ControlKeys, CtrlTabPastTheEndOfTheTopTabOrderGoesToTheNextRootWindow)
{
    Key(e, Tab(kCtrl)); // panel2 is last in the main control's tab order
    EXPECT_EQ(log, Log{});
    EXPECT_EQ(otherServices.focusRequests, 1);
    Key(panel, Tab(kCtrl)); // a direct child of the main control: at once
    EXPECT_EQ(otherServices.focusRequests, 2);
    EXPECT_EQ(log, Log{});
}

TEST_F(ControlKeys, OwnBindingHandlesTheKeyAndHotKeysNeverSeeIt)
{
    keytest::GiveStrings(*a, {{u"LHK.NID_A_KEY", u"CTRLVKEY_F7"}});
    a->Initialize();
    Key(a, ParseKeySpec(WString(u"CTRLVKEY_F7")));
    EXPECT_EQ(log, (Log{"a: NID_A_KEY"})) << "the window binds the same key";
}

TEST_F(ControlKeys, SiblingBindingReachedThroughTheParentStopsTheKey)
{
    keytest::GiveStrings(*b, {{u"LHK.NID_B_KEY", u"CTRLVKEY_F8"}});
    b->Initialize();
    panel->offerToSiblings = true;
    Key(a, ParseKeySpec(WString(u"CTRLVKEY_F8")));
    EXPECT_EQ(log, (Log{"b: NID_B_KEY"})) << "the application binds the same key";
    log.clear();
    b->SetEnabled(false);
    Key(a, ParseKeySpec(WString(u"CTRLVKEY_F8")));
    EXPECT_EQ(log, (Log{"app: NID_APP_KEY"})) << "a disabled sibling does not take it";
}

TEST_F(ControlKeys, UnboundKeysGoToTheRootWindowThenTheApplicationButNoFurtherUpTheTree)
{
    Key(a, ParseKeySpec(WString(u"CTRLVKEY_F7")));
    EXPECT_TRUE(log.empty()) << "the window's hot key is posted to the window's queue";
    window->ProcessQueue(false);
    Key(a, ParseKeySpec(WString(u"CTRLVKEY_F8")));
    Key(main, ParseKeySpec(WString(u"CTRLVKEY_F7"))); // no parent: straight to the hot keys
    window->ProcessQueue(false);
    Key(a, ParseKeySpec(WString(u"CTRLVKEY_F9")));
    window->ProcessQueue(false);
    EXPECT_EQ(log, (Log{"window: NID_WIN_KEY", "app: NID_APP_KEY", "window: NID_WIN_KEY"}));
}

TEST_F(ControlKeys, KeysToHiddenOrDisabledControlsAreDropped)
{
    panel->SetEnabled(false);
    Key(a, ParseKeySpec(WString(u"CTRLVKEY_F8")));
    Key(a, Tab());
    panel->SetEnabled(true);
    a->SetVisible(false);
    Key(a, ParseKeySpec(WString(u"CTRLVKEY_F8")));
    EXPECT_EQ(log, Log{});
}

TEST_F(ControlKeys, SiblingKeyRegistrationNeedsBindingsAndAParent)
{
    const int32_t before = keytest::ClientRegistrations(*a);
    a->Initialize();
    EXPECT_EQ(keytest::ClientRegistrations(*a), before) << "no LHK entries";
    keytest::GiveStrings(*main, {{u"LHK.NID_MAIN_KEY", u"CTRLVKEY_F9"}});
    const int32_t mainBefore = keytest::ClientRegistrations(*main);
    main->Initialize();
    EXPECT_EQ(keytest::ClientRegistrations(*main), mainBefore) << "no parent";
    EXPECT_TRUE(main->HasKeyBinding(WString(u"NID_MAIN_KEY")));
    keytest::GiveStrings(*c, {{u"LHK.NID_C_KEY", u"CTRLVKEY_F9"}, {u"LHK.NID_C_BAD", u"VKEY_NOSUCHKEY"}});
    c->Initialize();
    EXPECT_EQ(keytest::ClientRegistrations(*c), before + 1);
    EXPECT_FALSE(c->HasKeyBinding(WString(u"NID_C_BAD")));
}
