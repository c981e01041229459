// Panels made from the skin: Tab through nested panels, sibling keys offered to a child panel,
// and unused keys reaching the hot-key table once, from the top panel.
#include "ControlsHarness.h"

#include "kx/controls/Button.h"
#include "kx/controls/Panel.h"

using namespace KX;

namespace {

class PanelKeys : public ctltest::ControlsTest {
protected:
    void SetUp() override
    {
        ctltest::ControlsTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        outer = RCPtr<LPanel>::DynamicCast(ConstRCPtr<LControl>(CreateMain(u"outerPanel")));
        ASSERT_TRUE(outer);
        inner = RCPtr<LPanel>::DynamicCast(ConstRCPtr<LControl>(outer->FindChild(WString(u"innerPanel"))));
        ASSERT_TRUE(inner);
        first = outer->FindChild(WString(u"firstButton"));
        last = outer->FindChild(WString(u"lastButton"));
        innerA = inner->FindChild(WString(u"innerA"));
        innerB = inner->FindChild(WString(u"innerB"));
        ASSERT_TRUE(first && last && innerA && innerB);
    }
    void TearDown() override
    {
        outer = inner = nullptr;
        first = last = innerA = innerB = nullptr;
        ctltest::ControlsTest::TearDown();
    }
    std::string Focused() const
    {
        const RCPtr<LControl>& f = root->GetFocusControl();
        return f ? f->GetName().ToNarrow().GetString() : "<none>";
    }

    RCPtr<LPanel> outer, inner;
    RCPtr<LControl> first, last, innerA, innerB;
};

} // namespace

TEST_F(PanelKeys, TabLeavesANestedPanelAtItsEndAndTheTopPanelWraps)
{
    first->SetFocus(true);
    ASSERT_EQ(Focused(), "firstButton");
    std::vector<std::string> forward;
    for (int i = 0; i < 5; ++i) {
        Key(SDLK_TAB);
        forward.push_back(Focused());
    }
    EXPECT_EQ(forward, (std::vector<std::string>{"innerA", "innerB", "lastButton", "firstButton", "innerA"}));
    std::vector<std::string> backward;
    for (int i = 0; i < 4; ++i) {
        Key(SDLK_TAB, KMOD_LSHIFT);
        backward.push_back(Focused());
    }
    EXPECT_EQ(backward, (std::vector<std::string>{"firstButton", "lastButton", "innerB", "innerA"}));
    Screenshot("inner_focus");
    // Ctrl+Tab is handed up without moving the focus inside the panel.
    Key(SDLK_TAB, KMOD_LCTRL);
    EXPECT_EQ(Focused(), "innerA");
}

TEST_F(PanelKeys, SiblingKeyReachesABindingInsideAnotherPanelAndUnusedKeysReachTheHotKeysOnce)
{
    RCPtr<apptest::NameLog> bound(new apptest::NameLog());
    EXPECT_FALSE(KX::Failed(innerA->RegisterClient(RCPtr<LNotificationReceiver>(bound), u"NID_LEFT_CLICK", 0)));
    RCPtr<apptest::NameLog> hot(new apptest::NameLog());
    EXPECT_FALSE(KX::Failed(root->RegisterClient(RCPtr<LNotificationReceiver>(hot), u"NID_PANEL_HOTKEY", 0)));

    last->SetFocus(true);
    ASSERT_EQ(Focused(), "lastButton");
    // F5 is the inner button's own key for a simulated click: it clicks 0.15 s later.
    Key(SDLK_F5);
    Advance(200);
    EXPECT_EQ(bound->names, std::vector<std::string>{"NID_LEFT_CLICK"}) << "offered to the child panel's children";
    EXPECT_TRUE(hot->names.empty());

    // A key nobody binds goes up to the top panel and to the window's hot keys, once.
    innerB->SetFocus(true);
    ASSERT_EQ(Focused(), "innerB");
    ASSERT_TRUE(root->GetHotKeyManager()->GetTable().HasBinding(WString(u"NID_PANEL_HOTKEY")));
    Key(SDLK_h, KMOD_LCTRL);
    RunIdle();
    EXPECT_EQ(hot->names, std::vector<std::string>{"NID_PANEL_HOTKEY"});
    EXPECT_EQ(bound->names.size(), 1u);
    innerA->UnregisterClient(RCPtr<LNotificationReceiver>(bound), u"NID_LEFT_CLICK");
    root->UnregisterClient(RCPtr<LNotificationReceiver>(hot), u"NID_PANEL_HOTKEY");
}
