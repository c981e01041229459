// The menu bar and its combo menus: menus from the string table, switching open menus on hover,
// commands to the window's clients with the focus handed back, outside item states, inserting
// menus, placement at the right edge and a change of skin.
#include "MenusFixture.h"

#include "kx/ui/ControlFactory.h"
#include "kx/ui/GlobalHotKeyManager.h"
#include "kx/ui/RootWindow.h"

#include <SDL.h>

#include <functional>

using namespace KX;
using menutest::Narrow;
using menutest::Received;

namespace {

class MainMenu : public menutest::MenusTest {
protected:
    void SetUp() override
    {
        menutest::MenusTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        root->GetHotKeyManager()->GetTable().AddBinding(ParseKeySpec(WString(u"CTRLVKEY_S")),
                                                        WString(u"NID_MENU_FILE_SAVE_PRESET_TO_FILE"));
        bar = CreateAs<LMainMenu>(u"mainMenu");
        ASSERT_TRUE(bar);
        RunIdle();
    }
    void TearDown() override
    {
        bar = nullptr;
        menutest::MenusTest::TearDown();
    }
    RCPtr<LComboMenu> Title(const char16_t* name) { return bar->GetMenuButton(bar->FindMenuIndex(WString(name))); }
    void ClickTitle(const char16_t* name) { ClickOn(*Title(name)); }
    std::vector<std::string> Names()
    {
        std::vector<std::string> out;
        for (int32_t i = 0; i < bar->GetMenuCount(); ++i)
            out.push_back(Narrow(bar->GetMenuName(i)) + "=" + Narrow(bar->GetMenuButton(i)->GetText()));
        return out;
    }

    // The titles stand side by side, each right of the previous one.
    void PaintAndCheckTitlesInARow()
    {
        Paint();
        for (int32_t i = 1; i < bar->GetMenuCount(); ++i)
            EXPECT_EQ(bar->GetMenuButton(i)->GetPosition().x,
                      bar->GetMenuButton(i - 1)->GetPosition().x + bar->GetMenuButton(i - 1)->GetSize().x)
                << Narrow(bar->GetMenuName(i));
    }

    RCPtr<LMainMenu> bar;
};

} // namespace

TEST_F(MainMenu, TheBarIsBuiltFromItsLabelsAndMenus)
{
    EXPECT_EQ(Names(), (std::vector<std::string>{"File=File", "Help=Help"})) << "a hostile label number is ignored";
    EXPECT_EQ(bar->FindMenuIndex(WString(u"templateMenu")), -1) << "the template is retired";
    const RCPtr<LComboMenu> file = Title(u"File"), help = Title(u"Help");
    EXPECT_EQ(help->GetPosition().x, file->GetPosition().x + file->GetSize().x) << "each title right of the previous";
    const RCPtr<LPopupMenu> popup = file->GetPopupMenu();
    ASSERT_TRUE(popup);
    EXPECT_EQ(Labels(*popup), (std::vector<std::string>{"Send Preset", "Retrieve Preset", "-", "Load Preset ",
                                                        "Save Preset ", "Recent", "-", "Exit"}));
    EXPECT_EQ(popup->GetMenu()->GetItem(4)->hotKeyText, KeyCode::ToDisplayText(ParseKeySpec(WString(u"CTRLVKEY_S"))))
        << "the shortcut from the window's hot keys";
    EXPECT_FALSE(popup->ClosesOnFocusLoss());

    const RCPtr<LMainMenu> three = CreateAs<LMainMenu>(u"threeLabels");
    ASSERT_TRUE(three);
    EXPECT_EQ(three->GetMenuCount(), 0) << "three labels but two menus give no menus";
}

TEST_F(MainMenu, OnceOneMenuIsOpenThePointerOpensEachTitleInTurn)
{
    const RCPtr<LComboMenu> file = Title(u"File"), help = Title(u"Help");
    const PointT<int32_t> helpAt = CentreOf(*help), fileAt = CentreOf(*file);
    MoveTo(helpAt.x, helpAt.y);
    EXPECT_EQ(Look(*help), ComboMenuLook::kHover);
    MoveTo(fileAt.x, fileAt.y);
    EXPECT_EQ(Look(*help), ComboMenuLook::kNormal);
    EXPECT_FALSE(help->IsDropDownShowing() || file->IsDropDownShowing()) << "hovering alone opens nothing";

    ClickTitle(u"File");
    ASSERT_TRUE(file->IsDropDownShowing());
    EXPECT_EQ(Look(*file), ComboMenuLook::kOpen);
    Screenshot("file_open");
    MoveTo(helpAt.x, helpAt.y);
    EXPECT_FALSE(file->IsDropDownShowing());
    EXPECT_EQ(Look(*file), ComboMenuLook::kNormal);
    EXPECT_TRUE(help->IsDropDownShowing());
    EXPECT_EQ(Look(*help), ComboMenuLook::kOpen);
    Screenshot("help_open");

    ClickTitle(u"Help");
    EXPECT_FALSE(help->IsDropDownShowing()) << "a second press closes it";
    help->SetEnabled(false);
    MoveTo(helpAt.x, helpAt.y + 1);
    EXPECT_EQ(Look(*help), ComboMenuLook::kDisabled);
}

TEST_F(MainMenu, ACommandGoesToTheWindowsClientsAndTheFocusGoesBack)
{
    const RCPtr<menutest::MenuOwner> field = CreateAs<menutest::MenuOwner>(u"editField");
    ASSERT_TRUE(field);
    field->SetFocus(true);
    ASSERT_TRUE(HasFocus(*field));
    recorder->Listen(root.Get(), {u"NID_MENU_FILE_SAVE_PRESET_TO_FILE", u"NID_MENU_RECENT_2"});

    ClickTitle(u"File");
    const RCPtr<LPopupMenu> popup = Title(u"File")->GetPopupMenu();
    ASSERT_TRUE(Showing(popup.Get()));
    EXPECT_EQ(bar->GetSavedFocus(), RCPtr<LControl>(field));
    EXPECT_EQ(bar->GetEditTarget(), RCPtr<LControl>(field)) << "edits go to the control that had the focus";
    const PointT<int32_t> save = RowCentre(*popup, 4);
    Click(save.x, save.y);
    EXPECT_EQ(recorder->log, (std::vector<Received>{{"NID_MENU_FILE_SAVE_PRESET_TO_FILE", 4}}));
    EXPECT_FALSE(Showing(popup.Get()));
    EXPECT_EQ(Look(*Title(u"File")), ComboMenuLook::kNormal);
    EXPECT_TRUE(HasFocus(*field));

    // A command in the cascade closes the bar's popup as well.
    recorder->log.clear();
    ClickTitle(u"File");
    ASSERT_TRUE(Showing(popup.Get()));
    const PointT<int32_t> recent = RowCentre(*popup, 5);
    MoveTo(recent.x, recent.y);
    Advance(300);
    const RCPtr<LPopupMenu> sub = popup->GetSubMenu();
    ASSERT_TRUE(sub);
    Screenshot("recent");
    const PointT<int32_t> second = RowCentre(*sub, 1);
    MoveTo(second.x, second.y);
    Click(second.x, second.y);
    EXPECT_EQ(recorder->log, (std::vector<Received>{{"NID_MENU_RECENT_2", 1}}));
    EXPECT_FALSE(Showing(popup.Get()) || Showing(sub.Get()));
    EXPECT_TRUE(HasFocus(*field));
}

TEST_F(MainMenu, PressOnATitleDragAndReleaseOnAnItemChoosesIt)
{
    recorder->Listen(root.Get(), {u"NID_MENU_FILE_LOAD_PRESET_FROM_FILE"});
    const RCPtr<LComboMenu> file = Title(u"File");
    const PointT<int32_t> title = CentreOf(*file);
    Press(title.x, title.y);
    const RCPtr<LPopupMenu> popup = file->GetPopupMenu();
    ASSERT_TRUE(Showing(popup.Get()));
    const PointT<int32_t> load = RowCentre(*popup, 3);
    MoveTo(load.x, load.y - 4);
    MoveTo(load.x, load.y);
    EXPECT_EQ(popup->GetCaretIndex(), 3);
    Release(load.x, load.y);
    EXPECT_EQ(recorder->log, (std::vector<Received>{{"NID_MENU_FILE_LOAD_PRESET_FROM_FILE", 3}}));
    EXPECT_FALSE(Showing(popup.Get()));
}

TEST_F(MainMenu, ItemStatesComeFromTheOutsideUpdaterWhenAMenuOpens)
{
    ClickTitle(u"File");
    const RCPtr<LPopupMenu> popup = Title(u"File")->GetPopupMenu();
    LMenuItemState state;
    EXPECT_EQ(bar->GetMenuItemState(popup->GetMenu(), 0, WString(u"x"), state), S_FALSE)
        << "without an updater the items stay as parsed";
    ClickTitle(u"File");

    const RCPtr<menutest::MenuOwner> view = CreateAs<menutest::MenuOwner>(u"menuOwner");
    view->states["NID_MENU_FILE_SEND_PRESET_TO_DEVICE"] = LMenuItemState{0, 0, WString(u"Send Preset")};
    view->states["NID_MENU_FILE_EXIT_REQ"] = LMenuItemState{1, 1, WString(u"Quit")};
    EXPECT_FALSE(bar->SetMenuItemUpdater(view->GetMenuItemUpdater()));
    EXPECT_TRUE(bar->SetMenuItemUpdater(view->GetMenuItemUpdater()));
    ClickTitle(u"File");
    ASSERT_TRUE(Showing(popup.Get()));
    EXPECT_EQ(view->queries, 5) << "every plain item, no separator or cascade";
    EXPECT_FALSE(popup->IsItemSelectable(0));
    EXPECT_EQ(Labels(*popup).back(), "Quit");
    const RCPtr<LControl> check = popup->GetRowAt(7)->FindChild(WString(u"checkBox"));
    EXPECT_GE(Look(*check), 7) << "the check mark shows";
    EXPECT_EQ(Look(*popup->GetRowAt(0)), RowLook::kDisabled);
    Screenshot("states");
}

TEST_F(MainMenu, InsertingAMenuMovesTheLaterOnesRight)
{
    const RCPtr<LMenuDescriptor> edit = LMenuDescriptor::Create();
    edit->InsertNewItem(0, WString(u"Undo"), WString(u"NID_UNDO"), true, false);
    EXPECT_EQ(bar->InsertMenu(WString(u"Nope"), WString(u"Edit"), WString(u"Edit"), edit), E_INVALIDARG);
    EXPECT_EQ(bar->AddMenu(3, WString(u"Edit"), WString(u"Edit"), edit), E_INVALIDARG);
    EXPECT_EQ(bar->CreateMenuButton(WString(u"File")), E_INVALIDARG);
    EXPECT_EQ(bar->GetMenuCount(), 2);
    EXPECT_EQ(bar->InsertMenu(WString(u"Help"), WString(u"Edit"), WString(u"Edit"), edit), 1);
    EXPECT_EQ(Names(), (std::vector<std::string>{"File=File", "Edit=Edit", "Help=Help"}));
    EXPECT_EQ(Labels(*Title(u"Help")->GetPopupMenu()), (std::vector<std::string>{"Open User Guide", "About"}));
    EXPECT_EQ(Labels(*Title(u"Edit")->GetPopupMenu()), (std::vector<std::string>{"Undo"}));
    PaintAndCheckTitlesInARow();
}

TEST_F(MainMenu, ATitleNearTheRightEdgeOpensItsPopupShiftedLeft)
{
    const RCPtr<LMenuDescriptor> menu = LMenuDescriptor::Create();
    menu->InsertNewItem(0, WString(u"A rather long command label"), WString(u"NID_LONG"), true, false);
    for (int32_t i = 0; i < 5; ++i)
        ASSERT_GE(bar->AddMenu(bar->GetMenuCount(), WString::Format(u"M%d", i), WString::Format(u"M%d", i), menu), 0);
    const RCPtr<LComboMenu> last = Title(u"M4");
    ASSERT_GT(last->GetOriginInRootWindow().x + last->GetPopupMenu()->GetSize().x, double(kW));
    ClickOn(*last);
    const RCPtr<LPopupMenu> popup = last->GetPopupMenu();
    ASSERT_TRUE(Showing(popup.Get()));
    EXPECT_EQ(popup->GetOriginInRootWindow().x + popup->GetSize().x, double(kW)) << "ends at the window's edge";
    Screenshot("right_edge");
}

TEST_F(MainMenu, ApplyingTheSkinAgainKeepsTheMenus)
{
    bar->InsertMenu(WString(), WString(u"Extra"), WString(u"Extra"), Title(u"Help")->GetPopupMenu()->GetMenu());
    ASSERT_EQ(factory->ReapplyDescriptor(RCPtr<LControl>(bar)), S_OK);
    RunIdle();
    EXPECT_EQ(Names(), (std::vector<std::string>{"File=File", "Help=Help", "Extra=Extra"}));
    EXPECT_EQ(Labels(*Title(u"File")->GetPopupMenu()).size(), 8u);
    EXPECT_EQ(Labels(*Title(u"Extra")->GetPopupMenu()), (std::vector<std::string>{"Open User Guide", "About"}));
    PaintAndCheckTitlesInARow();
}

namespace {
// Re-applies the skin to the bar when a command reaches it, as a command that changes skins does.
class Rebuilder : public menutest::Recorder {
public:
    KXRESULT Receive(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n) override
    {
        menutest::Recorder::Receive(from, n);
        if (rebuild)
            rebuild();
        return S_OK;
    }
    std::function<void()> rebuild;
};
} // namespace

TEST_F(MainMenu, ACommandThatRebuildsTheBarLeavesTheWindowAnsweringClicks)
{
    const RCPtr<LComboMenu> oldFile = Title(u"File");
    const RCPtr<Rebuilder> rebuilder(new Rebuilder());
    rebuilder->rebuild = [&] { factory->ReapplyDescriptor(RCPtr<LControl>(bar)); };
    rebuilder->Listen(root.Get(), {u"NID_MENU_FILE_SAVE_PRESET_TO_FILE"});

    ClickTitle(u"File");
    const RCPtr<LPopupMenu> oldPopup = oldFile->GetPopupMenu();
    ASSERT_TRUE(Showing(oldPopup.Get()));
    const PointT<int32_t> save = RowCentre(*oldPopup, 4);
    Click(save.x, save.y);
    ASSERT_EQ(rebuilder->log.size(), 1u);
    rebuilder->rebuild = nullptr;
    RunIdle();

    // Nothing that left the tree keeps the capture, the focus or the hover.
    MoveTo(2, 200);
    for (const RCPtr<LControl>* owner :
         {&root->GetCaptureControl(), &root->GetFocusControl(), &root->GetHoverControl()})
        if (*owner) {
            EXPECT_TRUE(root->HoldsControl(**owner)) << Narrow((*owner)->GetName());
        }
    EXPECT_FALSE(HasFocus(*oldFile));
    EXPECT_FALSE(oldPopup->GetConditionFlags() & Condition::kCapture);

    // The first click opens the menu again.
    ClickTitle(u"File");
    EXPECT_TRUE(Showing(Title(u"File")->GetPopupMenu().Get())) << "the window is dead to clicks";
    rebuilder->UnregisterFromAll();
}
