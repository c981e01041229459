// Keys end to end: SDL key events through the OS window and the root window into the control
// tree: Tab, Shift+Tab and Ctrl+Tab focus movement, "LHK" bindings and the root window's and the
// application's hot keys.
#include "KeyFakes.h"
#include "OSWindowFakes.h"

using namespace KX;
using keytest::Log;

namespace {

class OSWindowKeys : public oswtest::OSWindowTest {
protected:
    void SetUp() override
    {
        OSWindowTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        LRootWindow* root = window->GetRootWindow().Get();
        main = keytest::MakeKeyControl(nullptr, u"main", &log, root, 0, 0, kW, kH);
        root->AttachMainControl(main);
        panel = keytest::MakeKeyControl(main, u"panel", &log, root, 0, 0, 150, 50);
        a = keytest::MakeKeyControl(panel, u"a", &log, root, 0, 0);
        b = keytest::MakeKeyControl(panel, u"b", &log, root, 50, 1);
        panel2 = keytest::MakeKeyControl(main, u"panel2", &log, root, 160, 1, 150, 50);
        c = keytest::MakeKeyControl(panel2, u"c", &log, root, 0, 0);
        keytest::GiveStrings(*b, {{u"LHK.NID_B_KEY", u"CTRLVKEY_F6"}});
        b->Initialize();
        windowClient->RegisterForNotification(RCPtr<LNotificationDistributor>(root), u"NID_WIN_KEY", 0);
        root->GetHotKeyManager()->GetTable().AddBinding(ParseKeySpec(WString(u"CTRLVKEY_F7")), WString(u"NID_WIN_KEY"));
        appHost.hotKeys->GetTable().AddBinding(ParseKeySpec(WString(u"CTRLVKEY_F8")), WString(u"NID_APP_KEY"));
        root->SetFocusControl(a);
        log.clear();
    }
    void TearDown() override
    {
        windowClient->UnregisterFromAll();
        a = b = c = panel = panel2 = main = nullptr;
        OSWindowTest::TearDown();
    }
    void Press(SDL_Keycode sym, SDL_Scancode scancode, Uint16 mod)
    {
        SDL_SetModState(static_cast<SDL_Keymod>(mod));
        Inject(Key(*window, true, sym, scancode, mod));
        Inject(Key(*window, false, sym, scancode, mod));
        SDL_SetModState(KMOD_NONE);
    }

    Log log;
    RCPtr<keytest::LogClient> windowClient{new keytest::LogClient(&log, "window")};
    RCPtr<keytest::LogClient> app{new keytest::LogClient(&log, "app")};
    keytest::HotKeyHost appHost{RCPtr<LNotificationReceiver>(app)};
    RCPtr<keytest::KeyControl> main, panel, a, b, panel2, c;
};

} // namespace

TEST_F(OSWindowKeys, TabShiftTabAndCtrlTabMoveTheFocus)
{
    Press(SDLK_TAB, SDL_SCANCODE_TAB, KMOD_NONE);
    Press(SDLK_TAB, SDL_SCANCODE_TAB, KMOD_NONE);
    Press(SDLK_TAB, SDL_SCANCODE_TAB, KMOD_LSHIFT);
    Press(SDLK_TAB, SDL_SCANCODE_TAB, KMOD_LCTRL);
    EXPECT_EQ(log, (Log{"b: focus", "a: focus", "b: focus back", "panel2: focus"}));
}

TEST_F(OSWindowKeys, BindingsAndHotKeysDispatchTheirNotifications)
{
    Press(SDLK_F6, SDL_SCANCODE_F6, KMOD_LCTRL); // a has none: the panel offers it to a's sibling b
    window->GetRootWindow()->SetFocusControl(b);
    Press(SDLK_F6, SDL_SCANCODE_F6, KMOD_LCTRL);
    Press(SDLK_F7, SDL_SCANCODE_F7, KMOD_LCTRL);
    EXPECT_EQ(log.size(), 2u) << "the window's hot key waits in the window's queue";
    window->GetRootWindow()->ProcessQueue(false);
    Press(SDLK_F8, SDL_SCANCODE_F8, KMOD_RCTRL);
    EXPECT_EQ(log, (Log{"b: NID_B_KEY", "b: NID_B_KEY", "window: NID_WIN_KEY", "app: NID_APP_KEY"}));
}
