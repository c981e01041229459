// The popup menu on its own: rows with shortcut texts and separators, the delayed sub-menus on the
// idle pass, keys through the cascade, Enter or a click on a cascading item, placement at the
// window's edges and activation.
#include "MenusFixture.h"

#include "kx/ui/GlobalHotKeyManager.h"
#include "kx/ui/RootWindow.h"

#include <SDL.h>

using namespace KX;
using menutest::Narrow;
using menutest::Received;

namespace {

class PopupMenu : public menutest::MenusTest {
protected:
    // The stand-alone popup (entries of its own string table), shown with the focus.
    RCPtr<LPopupMenu> ShowTestPopup()
    {
        RCPtr<LPopupMenu> popup = CreateAs<LPopupMenu>(u"testPopup");
        if (!popup)
            return popup;
        EXPECT_FALSE(popup->IsShowing(true)) << "built hidden";
        popup->SetCommandReceiver(RCPtr<LNotificationReceiver>(recorder));
        recorder->Listen(popup.Get(), {u"NID_ITEM_ACTIVATED"});
        popup->SetVisible(true);
        popup->SetFocus(true);
        RunIdle();
        return popup;
    }
    // The harness page was never initialised and takes no idle passes: its deferred removals are
    // finished here.
    void FinishPageRemovals()
    {
        RunIdle();
        Page()->FlushPendingChildren();
    }
};

} // namespace

TEST_F(PopupMenu, RowsShowTheMenuWithShortcutTextsSeparatorsAndCascades)
{
    root->GetHotKeyManager()->GetTable().AddBinding(ParseKeySpec(WString(u"CTRLVKEY_S")), WString(u"NID_TEST_SAVE"));
    const RCPtr<LPopupMenu> popup = ShowTestPopup();
    ASSERT_TRUE(popup);
    EXPECT_EQ(Labels(*popup), (std::vector<std::string>{"Open", "Save", "-", "More", "Disabled", "Last"}));
    const RCPtr<LMenuDescriptor>& menu = popup->GetMenu();
    EXPECT_EQ(menu->GetItem(1)->hotKeyText, KeyCode::ToDisplayText(ParseKeySpec(WString(u"CTRLVKEY_S"))));
    EXPECT_TRUE(menu->GetItem(0)->hotKeyText.IsEmpty());
    EXPECT_EQ(Narrow(menu->GetItem(0)->helpText), "Open a file");
    // The string table's groups: More > Deeper, whose way back to More is a cycle left out.
    const RCPtr<LMenuItemDescriptor> more = menu->GetItem(3);
    ASSERT_EQ(more->GetItemCount(), 2u);
    EXPECT_EQ(more->GetItem(1)->GetItemCount(), 1u);
    EXPECT_TRUE(popup->IsItemAlternate(3)) << "a cascading item shows the sub-menu looks";

    EXPECT_EQ(popup->GetSeparatorCount(), 1);
    EXPECT_EQ(popup->GetContentHeight(), 5.0 * popup->GetRowHeight() + popup->GetSeparatorHeight());
    EXPECT_FALSE(popup->IsItemSelectable(2));
    EXPECT_GE(popup->GetSize().x, popup->MeasureItemWidth(1)) << "as wide as its widest row";
    EXPECT_GT(popup->MeasureItemWidth(1), popup->MeasureItemWidth(5)) << "the shortcut text counts";
    EXPECT_EQ(popup->MeasureItemWidth(6), 0);
    ASSERT_NE(popup->GetRowAt(3), nullptr);
    EXPECT_EQ(Look(*popup->GetRowAt(2)), RowLook::kBlank) << "the separator row";
    Screenshot("rows");
}

TEST_F(PopupMenu, AMenuOfSeparatorsOnlyHasNothingToSelect)
{
    const RCPtr<LPopupMenu> popup = ShowTestPopup();
    ASSERT_TRUE(popup);
    const RCPtr<LMenuDescriptor> lines = LMenuDescriptor::Create();
    for (uint32_t i = 0; i < 3; ++i)
        lines->InsertSeparator(i);
    ASSERT_EQ(popup->SetMenu(lines), S_OK);
    EXPECT_EQ(popup->GetContentHeight(), 3.0 * popup->GetSeparatorHeight());
    for (int32_t i = 0; i < 3; ++i)
        EXPECT_FALSE(popup->IsItemSelectable(i));
    Key(SDLK_DOWN);
    Key(SDLK_RETURN);
    EXPECT_EQ(popup->GetCaretIndex(), -1);
    EXPECT_TRUE(recorder->log.empty());
    EXPECT_EQ(popup->SetMenu(nullptr), E_INVALIDARG);
    EXPECT_EQ(popup->GetItemCount(), 3) << "a refused menu changes nothing";
}

TEST_F(PopupMenu, ASubMenuOpensAndClosesOnlyAfterMoreThanAQuarterSecond)
{
    const RCPtr<LPopupMenu> popup = ShowTestPopup();
    ASSERT_TRUE(popup);
    const PointT<int32_t> more = RowCentre(*popup, 3);
    MoveTo(more.x, more.y);
    ASSERT_EQ(popup->GetCaretIndex(), 3) << "hovering selects the row";
    EXPECT_TRUE(popup->IsSubMenuTimerRunning());
    Advance(250);
    EXPECT_EQ(popup->GetSubMenu(), nullptr) << "250 ms is not yet more than the delay";
    Advance(1);
    const RCPtr<LPopupMenu> sub = popup->GetSubMenu();
    ASSERT_TRUE(sub);
    EXPECT_TRUE(Showing(sub.Get()));
    EXPECT_FALSE(popup->IsSubMenuTimerRunning());
    EXPECT_EQ(Labels(*sub), (std::vector<std::string>{"Deep A", "Deeper"}));
    const RectT<double> row = popup->GetItemRowRect(3);
    EXPECT_EQ(sub->GetOriginInRootWindow().x, popup->GetOriginInRootWindow().x + row.x + row.width)
        << "right of its row";
    EXPECT_EQ(sub->GetOriginInRootWindow().y, popup->GetOriginInRootWindow().y + row.y);
    Screenshot("submenu");

    // Into the sub-menu: the parent keeps its highlight on the cascading item.
    const PointT<int32_t> deep = RowCentre(*sub, 0);
    MoveTo(deep.x, deep.y);
    EXPECT_EQ(sub->GetCaretIndex(), 0);
    EXPECT_EQ(popup->GetCaretIndex(), 3);
    EXPECT_FALSE(popup->IsSubMenuTimerRunning());

    // Back onto a plain item: the sub-menu stays for the delay, then closes.
    const PointT<int32_t> open = RowCentre(*popup, 0);
    MoveTo(open.x, open.y);
    EXPECT_TRUE(popup->IsSubMenuTimerRunning());
    Advance(240);
    EXPECT_EQ(popup->GetSubMenu(), sub);
    Advance(20);
    EXPECT_EQ(popup->GetSubMenu(), nullptr);
    RunIdle();
    EXPECT_EQ(popup->GetChildIndex(RCPtr<LControl>(sub), kOrderInsertion), -1) << "the closed sub-menu is removed";
}

TEST_F(PopupMenu, KeysWalkTheCascadeSkippingWhatCannotBeChosen)
{
    const RCPtr<LPopupMenu> popup = ShowTestPopup();
    ASSERT_TRUE(popup);
    LMenuItemState disabled{0, 0, WString(u"Disabled")};
    EXPECT_EQ(popup->SetItemState(4, disabled), S_OK);
    EXPECT_EQ(popup->SetItemState(4, disabled), S_FALSE) << "the same state again changes nothing";
    EXPECT_EQ(popup->SetItemState(6, disabled), E_INVALIDARG);

    Key(SDLK_DOWN);
    Key(SDLK_DOWN);
    EXPECT_EQ(popup->GetCaretIndex(), 1);
    Key(SDLK_DOWN);
    EXPECT_EQ(popup->GetCaretIndex(), 3) << "over the separator";
    Key(SDLK_DOWN);
    EXPECT_EQ(popup->GetCaretIndex(), 5) << "over the disabled item";
    Key(SDLK_UP);
    Key(SDLK_RIGHT);
    const RCPtr<LPopupMenu> sub = popup->GetSubMenu();
    ASSERT_TRUE(sub) << "Right opens the cascade at once";
    EXPECT_EQ(sub->GetCaretIndex(), 0);
    EXPECT_TRUE(HasFocus(*sub));
    Key(SDLK_DOWN);
    Key(SDLK_RIGHT);
    const RCPtr<LPopupMenu> third = sub->GetSubMenu();
    ASSERT_TRUE(third);
    EXPECT_EQ(Labels(*third), (std::vector<std::string>{"Deepest"}));
    EXPECT_TRUE(sub->IsInMenuChain(third.Get()) && third->IsInMenuChain(popup.Get()));
    EXPECT_FALSE(popup->IsInMenuChain(popup.Get()));
    Key(SDLK_LEFT);
    EXPECT_EQ(sub->GetSubMenu(), nullptr);
    EXPECT_TRUE(HasFocus(*sub)) << "the focus goes back a level";
    Key(SDLK_LEFT);
    EXPECT_EQ(popup->GetSubMenu(), nullptr);
    Key(SDLK_LEFT);
    EXPECT_TRUE(Showing(popup.Get())) << "Left in the top popup does nothing";
    Key(SDLK_DOWN);
    Key(SDLK_RETURN);
    EXPECT_EQ(recorder->log,
              (std::vector<Received>{{"NID_ITEM_ACTIVATED", 5}, {"NID_TEST_LAST", 5}, {"NID_ITEM_ACTIVATED", -1}}))
        << "the popup's own activation, the command, then the list box's plain one";
}

TEST_F(PopupMenu, ACommandDeepInTheCascadeClosesItAll)
{
    const RCPtr<LPopupMenu> popup = ShowTestPopup();
    ASSERT_TRUE(popup);
    ASSERT_EQ(popup->OpenSubMenu(0), E_INVALIDARG) << "a plain item has no sub-menu";
    ASSERT_EQ(popup->OpenSubMenu(3), S_OK);
    const RCPtr<LPopupMenu> sub = popup->GetSubMenu();
    ASSERT_EQ(sub->OpenSubMenu(1), S_OK);
    const RCPtr<LPopupMenu> third = sub->GetSubMenu();
    ASSERT_TRUE(third);
    third->SetFocus(true);
    Key(SDLK_DOWN);
    Key(SDLK_RETURN);
    EXPECT_EQ(recorder->log, (std::vector<Received>{{"NID_TEST_DEEPEST", 0}}))
        << "the command only: the deep popup's activation is for its own clients";
    FinishPageRemovals();
    EXPECT_FALSE(Showing(popup.Get()) || Showing(sub.Get()) || Showing(third.Get()));
    EXPECT_EQ(popup->GetParent(), nullptr) << "a popup that closes on focus loss leaves its parent";
}

TEST_F(PopupMenu, EnterOrAClickOnACascadingItemShowsItsSubMenu)
{
    const RCPtr<LPopupMenu> popup = ShowTestPopup();
    ASSERT_TRUE(popup);
    for (int i = 0; i < 3; ++i)
        Key(SDLK_DOWN);
    ASSERT_EQ(popup->GetCaretIndex(), 3) << "the cascading item";
    Key(SDLK_RETURN);
    RunIdle();
    RCPtr<LPopupMenu> sub = popup->GetSubMenu();
    ASSERT_TRUE(sub);
    EXPECT_TRUE(Showing(popup.Get()) && Showing(sub.Get())) << "the popup stays open with its sub-menu";
    EXPECT_TRUE(HasFocus(*sub));
    EXPECT_EQ(sub->GetCaretIndex(), 0);

    Key(SDLK_LEFT);
    ASSERT_EQ(popup->GetSubMenu(), nullptr);
    const PointT<int32_t> more = RowCentre(*popup, 3);
    Click(more.x, more.y);
    RunIdle();
    sub = popup->GetSubMenu();
    ASSERT_TRUE(sub);
    EXPECT_TRUE(Showing(popup.Get()) && Showing(sub.Get()));
}

TEST_F(PopupMenu, ASubMenuAtTheRightEdgeOpensToTheLeft)
{
    const RCPtr<LPopupMenu> popup = ShowTestPopup();
    ASSERT_TRUE(popup);
    // Move the popup to the window's right edge.
    AxisPlacement x;
    x.kind = kPositionToParent;
    x.absolute = kW - popup->GetSize().x;
    popup->SetAxisPlacement(0, x, popup->GetLayout()->Size(0));
    AxisPlacement y;
    y.kind = kPositionToParent;
    y.absolute = kH - 80; // the cascading row's sub-menu would pass the bottom
    popup->SetAxisPlacement(1, y, popup->GetLayout()->Size(1));
    ASSERT_EQ(popup->OpenSubMenu(3), S_OK);
    const RCPtr<LPopupMenu> sub = popup->GetSubMenu();
    const PointT<double> at = sub->GetOriginInRootWindow();
    EXPECT_EQ(at.x + sub->GetSize().x, popup->GetOriginInRootWindow().x) << "left of its parent";
    EXPECT_EQ(at.y + sub->GetSize().y, static_cast<double>(kH)) << "moved up to end at the bottom";
    Screenshot("left");
}

TEST_F(PopupMenu, EscapeClosesAPopupThatClosesOnFocusLoss)
{
    const RCPtr<LPopupMenu> popup = ShowTestPopup();
    ASSERT_TRUE(popup);
    EXPECT_EQ(popup->SetCommandReceiver(RCPtr<LNotificationReceiver>(new menutest::Recorder())), E_FAIL);
    EXPECT_EQ(popup->SetCommandReceiver(nullptr), E_INVALIDARG);
    Key(SDLK_ESCAPE);
    FinishPageRemovals();
    EXPECT_TRUE(popup->IsClosing());
    EXPECT_EQ(popup->GetParent(), nullptr);

    const RCPtr<LPopupMenu> kept = ShowTestPopup();
    kept->SetClosesOnFocusLoss(false);
    Key(SDLK_ESCAPE);
    RunIdle();
    EXPECT_FALSE(Showing(kept.Get())) << "Escape leaves a menu bar's popup open";
    EXPECT_FALSE(kept->IsClosing()) << "a menu bar's popup hides, its title keeps it";
}
