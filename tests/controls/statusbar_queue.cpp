// The status bar: posted texts shown one per idle pass in order, an immediate text after the
// oldest posted one, the application's status text reaching no bar in the window, and a
// tear-down that frees the bar whatever other references it holds (run under ASan).
#include "MiscFixture.h"

#include "kx/controls/StatusBar.h"
#include "kx/ui/FrameworkApp.h"

using namespace KX;

namespace {

class StatusBarQueue : public ctltest::MiscTest {
protected:
    void SetUp() override
    {
        ctltest::CountedStatusBar::alive = 0;
        ctltest::MiscTest::SetUp();
    }
    static std::string Shown(const LStatusBar& bar) { return bar.GetLabel() ? Text(*bar.GetLabel()) : "<no label>"; }
};

} // namespace

TEST_F(StatusBarQueue, PostedTextsShowOnePerIdlePassInOrderAndAnImmediateTextComesAfterTheOldest)
{
    RCPtr<LStatusBar> bar = CreateAs<LStatusBar>(u"statusBar");
    ASSERT_TRUE(bar && bar->GetLabel());
    EXPECT_TRUE(bar->IsNotFocusable(false));
    const std::string before = Shown(*bar);
    ASSERT_EQ(bar->PostStatusText(WString(u"Reading preset")), S_OK);
    ASSERT_EQ(bar->PostStatusText(WString(u"Checking firmware")), S_OK);
    ASSERT_EQ(bar->PostStatusText(WString(u"Done")), S_OK);
    EXPECT_EQ(Shown(*bar), before) << "nothing is drawn while posting";
    RunIdle();
    EXPECT_EQ(Shown(*bar), "Reading preset");
    RunIdle();
    EXPECT_EQ(Shown(*bar), "Checking firmware");
    RunIdle();
    EXPECT_EQ(Shown(*bar), "Done");
    RunIdle();
    EXPECT_EQ(Shown(*bar), "Done") << "the last text stays";

    // Two waiting: the immediate text delivers the oldest first, then shows itself; the other
    // waits for its idle pass.
    bar->PostStatusText(WString(u"first"));
    bar->PostStatusText(WString(u"second"));
    ASSERT_EQ(bar->SetText(WString(u"now")), S_OK);
    EXPECT_EQ(Shown(*bar), "now");
    EXPECT_EQ(bar->GetPendingCount(), 1u);
    RunIdle();
    EXPECT_EQ(Shown(*bar), "second");
    Screenshot("second");
}

TEST_F(StatusBarQueue, TheApplicationsStatusTextNeverReachesABarInTheWindow)
{
    // The application has no status bar of its own; a bar in the main window's tree is not
    // looked up, so the application's texts fail and the bar keeps what it shows.
    EXPECT_EQ(app->SetStatusText(WString(u"Busy"), true), E_FAIL);
    RCPtr<LStatusBar> bar = CreateAs<LStatusBar>(u"statusBar");
    ASSERT_TRUE(bar);
    const std::string before = Shown(*bar);
    EXPECT_EQ(app->GetStatusBar(), nullptr);
    EXPECT_EQ(app->SetStatusText(WString(u"Sending preset"), true), E_FAIL);
    EXPECT_EQ(app->SetStatusText(WString(u"Sent"), false), E_FAIL);
    RunIdle();
    EXPECT_EQ(app->ResetStatusText(true), E_FAIL);
    EXPECT_EQ(app->ResetStatusText(false), E_FAIL);
    RunIdle();
    EXPECT_EQ(Shown(*bar), before);
    EXPECT_EQ(bar->GetPendingCount(), 0u);
}

TEST_F(StatusBarQueue, TearDownFreesTheBarWhateverItsOtherReferences)
{
    // The focus on a button, so that no bar is ever the window's (saved) focus, which would hold it.
    RCPtr<LControl> focused = Create(u"plainButton");
    ASSERT_TRUE(focused);
    focused->SetFocus(true);
    {
        // Texts still queued, an extra internal reference (the menu item updater's link back),
        // and an outside holder: leaving the tree does not free the bar while it is held.
        RCPtr<LStatusBar> bar = CreateAs<LStatusBar>(u"countedStatusBar");
        ASSERT_TRUE(bar);
        EXPECT_EQ(ctltest::CountedStatusBar::alive, 1);
        bar->PostStatusText(WString(u"never shown"));
        bar->PostStatusText(WString(u"nor this"));
        ASSERT_TRUE(bar->GetMenuItemUpdater());
        RCPtr<LControl> holder(bar);
        bar->SetParent(nullptr);
        bar = nullptr;
        EXPECT_EQ(ctltest::CountedStatusBar::alive, 1);
        RCPtr<LStatusBar> again = RCPtr<LStatusBar>::DynamicCast(holder);
        EXPECT_EQ(again->PostStatusText(WString(u"still held")), S_OK);
        again = nullptr;
        holder = nullptr;
    }
    EXPECT_EQ(ctltest::CountedStatusBar::alive, 0) << "the last holder's release tears the bar down";

    {
        // A bar without its label, in a container that goes with the bar's texts pending and an
        // idle pass run meanwhile.
        RCPtr<LControl> panel = Create(u"splitPanel");
        ASSERT_TRUE(panel);
        RCPtr<LStatusBar> bare = CreateAs<LStatusBar>(u"bareStatusBar", panel);
        ASSERT_TRUE(bare);
        EXPECT_FALSE(bare->GetLabel());
        EXPECT_EQ(bare->SetText(WString(u"nowhere to show")), S_OK);
        bare->PostStatusText(WString(u"queued"));
        RunIdle();
        bare->PostStatusText(WString(u"queued again"));
        bare = nullptr;
        panel->SetParent(nullptr);
        panel = nullptr;
    }
    EXPECT_EQ(ctltest::CountedStatusBar::alive, 0);

    {
        // A tear-down run by hand while the bar is held: repeated, it changes nothing more; the
        // bar answers posts with a failure and is freed by its last release.
        RCPtr<LStatusBar> bar = CreateAs<LStatusBar>(u"countedStatusBar");
        ASSERT_TRUE(bar);
        bar->SetParent(nullptr);
        bar->ReleaseInternalReferences();
        bar->ReleaseInternalReferences();
        EXPECT_EQ(bar->PostStatusText(WString(u"too late")), E_FAIL);
        EXPECT_EQ(bar->SetText(WString(u"too late")), S_OK);
        EXPECT_EQ(ctltest::CountedStatusBar::alive, 1);
    }
    EXPECT_EQ(ctltest::CountedStatusBar::alive, 0);
}
