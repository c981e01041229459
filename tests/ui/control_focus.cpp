// Focus moves through the control tree: taking, passing on, killing, and the moves that
// disabling, hiding and not-focusable changes cause.
#include "FocusFakes.h"

#include <gtest/gtest.h>

using namespace KX;
using focustest::FocusTree;
using focustest::Watcher;
using Log = std::vector<std::string>;

namespace {
uint32_t Mask(const RCPtr<uitest::TestControl>& c)
{
    return c->GetConditionFlags() & (Condition::kHasFocus | Condition::kContainsFocus);
}
} // namespace

TEST(ControlFocus, FocusPassesToTheFirstOrLastChildAndMarksEveryAncestor)
{
    FocusTree t;
    EXPECT_EQ(t.main->SetFocus(true), S_OK);
    EXPECT_EQ(t.window->GetFocusControl().Get(), t.a.Get());
    EXPECT_EQ(Mask(t.a), Condition::kHasFocus);
    EXPECT_EQ(Mask(t.panel), Condition::kContainsFocus);
    EXPECT_EQ(Mask(t.main), Condition::kContainsFocus);
    // Moving to the sibling kills the old holder through the shared parent.
    EXPECT_EQ(t.b->SetFocus(true), S_OK);
    EXPECT_EQ(Mask(t.a), 0u);
    EXPECT_EQ(Mask(t.b), Condition::kHasFocus);
    EXPECT_EQ(Mask(t.panel), Condition::kContainsFocus);
    EXPECT_EQ(t.window->GetFocusControl().Get(), t.b.Get());
    // Asked again, the holding branch keeps it; backward on a fresh tree picks the last child.
    EXPECT_EQ(t.main->SetFocus(true), S_OK);
    EXPECT_EQ(t.window->GetFocusControl().Get(), t.b.Get());
    FocusTree u;
    EXPECT_EQ(u.main->SetFocus(false), S_OK);
    EXPECT_EQ(u.window->GetFocusControl().Get(), u.b.Get());
}

TEST(ControlFocus, KillFocusClearsTheBranchAndSavesTheHolderInTheRootWindow)
{
    FocusTree t;
    t.main->SetFocus(true);
    EXPECT_TRUE(t.main->KillFocus());
    EXPECT_EQ(Mask(t.main) | Mask(t.panel) | Mask(t.a), 0u);
    EXPECT_EQ(t.window->GetFocusControl().Get(), nullptr);
    EXPECT_EQ(t.window->GetSavedFocus().Get(), t.a.Get());
    EXPECT_FALSE(t.main->KillFocus()) << "no branch holds the focus any more";
}

TEST(ControlFocus, TopLevelControlThatCannotTakeTheFocusAnswersWithoutAskingItselfAgain)
{
    FocusTree t;
    t.main->SetFocus(true);
    // The top-level control stops being focusable while a descendant holds the focus: it still
    // carries contains-focus but can neither take the focus nor pass it on.
    t.main->SetNotFocusable(true);
    ASSERT_TRUE(t.main->GetConditionFlags() & Condition::kContainsFocus);
    EXPECT_EQ(t.main->SetFocus(true), E_FAIL);
    EXPECT_EQ(t.panel->SetFocus(true), E_FAIL) << "the panel hands the request to the top-level control";
}

TEST(ControlFocus, DisablingTheHolderMovesTheFocusAndAnnouncesFocusBeforeEnabled)
{
    FocusTree t;
    t.main->SetFocus(true);
    Log log;
    RCPtr<Watcher> w(new Watcher(&log, "a"));
    w->Watch(t.a, u"NID_HAS_FOCUS_CONDITION_CHANGE");
    w->Watch(t.a, u"NID_ENABLED_CONDITION_CHANGE");
    t.a->SetEnabled(false);
    EXPECT_EQ(t.window->GetFocusControl().Get(), t.b.Get());
    EXPECT_EQ(log, (Log{"a: NID_HAS_FOCUS_CONDITION_CHANGE", "a: NID_ENABLED_CONDITION_CHANGE"}));
    EXPECT_EQ(t.a->GetConditions()->GetCurrentMask() & Condition::kEnabled, 0u);
    w->UnregisterFromAll();
}

TEST(ControlFocus, DisablingAPanelReevaluatesEveryDescendant)
{
    FocusTree t;
    Log log;
    RCPtr<Watcher> wa(new Watcher(&log, "a")), wb(new Watcher(&log, "b"));
    wa->Watch(t.a, u"NID_ENABLED_CONDITION_CHANGE");
    wb->Watch(t.b, u"NID_ENABLED_CONDITION_CHANGE");
    t.panel->SetEnabled(false);
    EXPECT_EQ(log, (Log{"b: NID_ENABLED_CONDITION_CHANGE", "a: NID_ENABLED_CONDITION_CHANGE"}));
    EXPECT_FALSE(t.a->GetConditionFlags() & Condition::kEnabled);
    log.clear();
    t.panel->SetEnabled(true);
    EXPECT_EQ(log.size(), 2u);
    wa->UnregisterFromAll();
    wb->UnregisterFromAll();
}

TEST(ControlFocus, HidingTheHolderMovesTheFocusAndShowingUnderAFocusedParentTakesIt)
{
    FocusTree t;
    t.b->SetFocus(true);
    t.b->SetVisible(false);
    EXPECT_EQ(t.window->GetFocusControl().Get(), t.a.Get());
    EXPECT_FALSE(t.b->GetConditions()->GetCurrentMask() & Condition::kShowing);
    t.b->SetVisible(true);
    EXPECT_EQ(t.window->GetFocusControl().Get(), t.a.Get()) << "the parent only contains the focus";
}

TEST(ControlFocus, NotFocusableFlipsTheTabStopSignAndMovesTheFocusAway)
{
    FocusTree t;
    t.a->GetLayout()->tabStop = 0;
    t.a->SetNotFocusable(true);
    EXPECT_EQ(t.a->GetLayout()->tabStop, -1);
    t.a->SetNotFocusable(false);
    EXPECT_EQ(t.a->GetLayout()->tabStop, 1);
    t.a->SetFocus(true);
    t.a->SetNotFocusable(true);
    EXPECT_EQ(t.window->GetFocusControl().Get(), t.b.Get());
    EXPECT_EQ(Mask(t.a), 0u);
}

TEST(ControlFocus, AHolderThatRefusesToLoseTheFocusKeepsIt)
{
    struct Clingy : uitest::TestControl {
        using uitest::TestControl::TestControl;
        bool CanLoseFocus() override { return false; }
    };
    FocusTree t;
    RCPtr<Clingy> c(new Clingy(t.panel, u"clingy", nullptr));
    c->GetLayout()->Size(0).absolute = c->GetLayout()->Size(1).absolute = 10;
    c->PerformLayout();
    c->SetNotFocusable(false);
    ASSERT_EQ(c->SetFocus(true), S_OK);
    EXPECT_EQ(t.a->SetFocus(true), E_FAIL);
    EXPECT_EQ(t.window->GetFocusControl().Get(), c.Get());
}

TEST(ControlFocus, TheRootWindowLosingAndRegainingItsFocusRestoresTheLastHolder)
{
    FocusTree t;
    t.b->SetFocus(true);
    t.window->OnFocusLost();
    EXPECT_EQ(t.window->GetFocusControl().Get(), nullptr);
    EXPECT_EQ(Mask(t.b) | Mask(t.panel) | Mask(t.main), 0u);
    t.window->RestoreFocus();
    EXPECT_EQ(t.window->GetFocusControl().Get(), t.b.Get());
    EXPECT_EQ(Mask(t.main), Condition::kContainsFocus);

    // A window that has the platform focus gives it to the first focusable control on attach.
    rwtest::FakeServices services;
    services.focused = true;
    RCPtr<LRootWindow> window = LRootWindow::Create(nullptr, &services);
    RCPtr<uitest::TestControl> main = focustest::MakeFocusable(nullptr, u"main", 0, 0, 100, 100);
    RCPtr<uitest::TestControl> field = focustest::MakeFocusable(main, u"field", 0, 0, 10, 10);
    window->AttachMainControl(main);
    EXPECT_EQ(window->GetFocusControl().Get(), field.Get());
}

TEST(ControlFocus, AHolderTakenOutOfTheTreeHandsItsFocusToTheNearestAncestorLeft)
{
    FocusTree t;
    t.main->SetFocus(true);
    ASSERT_EQ(t.window->GetFocusControl().Get(), t.a.Get());
    const RCPtr<uitest::TestControl> a = t.a;
    EXPECT_EQ(a->SetParent(nullptr), S_OK);
    EXPECT_EQ(Mask(a), 0u) << "the removed holder kept its focus flag";
    // As hiding does: the parent takes it, and passes it to its first focusable child.
    EXPECT_EQ(t.window->GetFocusControl().Get(), t.b.Get()) << "the window has no focus owner for keys";
    EXPECT_EQ(Mask(t.panel), Condition::kContainsFocus);
    // The whole focused branch leaving: the main control is left to take it.
    const RCPtr<uitest::TestControl> panel = t.panel;
    panel->SetParent(nullptr);
    EXPECT_EQ(Mask(t.b) | Mask(panel), 0u);
    EXPECT_EQ(t.window->GetFocusControl().Get(), t.main.Get());
    t.window->DropDetachedOwners();
    EXPECT_EQ(t.window->GetFocusControl().Get(), t.main.Get());
    EXPECT_EQ(t.window->GetSavedFocus().Get(), nullptr);
}
