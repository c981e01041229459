// Context menus from a control's string table: numbered and single menus, sub-menus, hostile
// keys, showing through the popup-menu seam, and hot-key items forwarded to the right queue.
#include "KeyFakes.h"

#include "kx/NotificationCenter.h"
#include "kx/ui/FrameworkControlSeams.h"
#include "kx/ui/MenuDescriptor.h"

#include <gtest/gtest.h>

using namespace KX;
using keytest::Log;
using keytest::Narrow;

namespace {

// "id label" per item ("-" for a separator), sub-menus in brackets.
std::string Describe(const LMenuDescriptor& menu)
{
    std::string out;
    for (uint32_t i = 0; i < menu.GetItemCount(); ++i) {
        const RCPtr<LMenuItemDescriptor> item = menu.GetItem(i);
        out += i ? "; " : "";
        out += item->IsSeparator() ? std::string("-") : Narrow(item->id) + " " + Narrow(item->label);
        if (item->HasSubItems())
            out += " [" + Describe(*item) + "]";
    }
    return out;
}

class FakePopup : public uitest::TestControl, public IPopupMenuControl {
public:
    FakePopup(const RCPtr<LControl>& parent) : uitest::TestControl(parent, u"contextMenu", nullptr) {}
    KXRESULT ShowMenu(const RCPtr<LMenuDescriptor>& m) override
    {
        menu = m;
        return S_OK;
    }
    KXRESULT PositionOnScreen() override
    {
        positioned = true;
        return S_OK;
    }
    void LetOwnerPrepare(LControl&) override {}
    RCPtr<LMenuDescriptor> menu;
    bool positioned = false;
};

class ControlMenus : public ::testing::Test {
protected:
    void SetUp() override
    {
        window = LRootWindow::Create(nullptr, &services);
        main = keytest::MakeKeyControl(nullptr, u"main", &log, window.Get(), 0, 0, 320, 200);
        window->AttachMainControl(main);
        control = keytest::MakeKeyControl(main, u"control", &log, window.Get(), 0, 0);
        windowClient->RegisterForNotification(RCPtr<LNotificationDistributor>(window), u"NID_WIN_KEY", 0);
        window->GetHotKeyManager()->GetTable().AddBinding(ParseKeySpec(WString(u"CTRLVKEY_F7")),
                                                          WString(u"NID_WIN_KEY"));
        appHost.hotKeys->GetTable().AddBinding(ParseKeySpec(WString(u"CTRLVKEY_F8")), WString(u"NID_APP_KEY"));
        log.clear();
    }
    void TearDown() override
    {
        windowClient->UnregisterFromAll();
        control = main = nullptr;
        window = nullptr;
    }
    void Menus(RCPtrArray<LMenuDescriptor>& menus) { EXPECT_EQ(control->GetContextMenuEntries(menus), S_OK); }
    uint32_t MenuCount()
    {
        RCPtrArray<LMenuDescriptor> menus;
        Menus(menus);
        return menus.GetCount();
    }

    rwtest::FakeServices services;
    Log log;
    RCPtr<keytest::LogClient> windowClient{new keytest::LogClient(&log, "window")};
    RCPtr<keytest::LogClient> app{new keytest::LogClient(&log, "app")};
    keytest::HotKeyHost appHost{RCPtr<LNotificationReceiver>(app)};
    RCPtr<LRootWindow> window;
    RCPtr<keytest::KeyControl> main, control;
};

} // namespace

TEST_F(ControlMenus, NumberedMenusComeInTextOrderOfTheirNumbers)
{
    keytest::GiveStrings(*control, {{u"CONTEXT_MENU1.00.NID_HELP", u"Help"},
                                    {u"CONTEXT_MENU0.02.NID_SAVE", u"Save"},
                                    {u"CONTEXT_MENU0.01.-", u""},
                                    {u"CONTEXT_MENU0.00.NID_LOAD", u"Load"},
                                    {u"CONTEXT_MENU10.00.NID_TEN", u"Ten"}});
    RCPtrArray<LMenuDescriptor> menus;
    Menus(menus);
    ASSERT_EQ(menus.GetCount(), 3u);
    EXPECT_EQ(Describe(*menus.GetData()[0]), "NID_LOAD Load; -; NID_SAVE Save");
    EXPECT_TRUE(menus.GetData()[0]->GetItem(1)->IsSeparator());
    EXPECT_EQ(Describe(*menus.GetData()[1]), "NID_HELP Help");
    EXPECT_EQ(Describe(*menus.GetData()[2]), "NID_TEN Ten") << "\"10\" sorts after \"1\" as text";
}

TEST_F(ControlMenus, TheFullStopFormMakesOneMenuAndNumberedEntriesAreIgnored)
{
    keytest::GiveStrings(
        *control,
        {{u"CONTEXT_MENU.01.NID_B", u"B"}, {u"CONTEXT_MENU.00.NID_A", u"A"}, {u"CONTEXT_MENU0.00.NID_IGNORED", u"X"}});
    RCPtrArray<LMenuDescriptor> menus;
    Menus(menus);
    ASSERT_EQ(menus.GetCount(), 1u);
    EXPECT_EQ(Describe(*menus.GetData()[0]), "NID_A A; NID_B B");
}

TEST_F(ControlMenus, SubMenusAndHostileKeys)
{
    keytest::GiveStrings(*control, {{u"CONTEXT_MENU.00.MORE.", u"More"},
                                    {u"CONTEXT_MENU.MORE.00.NID_DEEP", u"Deep"},
                                    {u"CONTEXT_MENU.01.NOSUCH.", u"Missing group"},
                                    {u"CONTEXT_MENU.NID_NO_NUMBER", u"x"},
                                    {u"CONTEXT_MENU.", u"empty"},
                                    {u"CONTEXT_MENU.x1.NID_BAD", u"x"}});
    RCPtrArray<LMenuDescriptor> menus;
    Menus(menus);
    ASSERT_EQ(menus.GetCount(), 1u);
    EXPECT_EQ(Describe(*menus.GetData()[0]), " More [NID_DEEP Deep]");
    EXPECT_EQ(menus.GetData()[0]->GetItem(2), nullptr);

    keytest::GiveStrings(*control, {{u"CONTEXT_MENU", u"no number"}, {u"OTHER", u"x"}});
    EXPECT_EQ(MenuCount(), 0u);
    control->AdoptStringTable(RCPtr<LStringTable>());
    EXPECT_EQ(MenuCount(), 0u);
}

TEST_F(ControlMenus, AMenuIsShownThroughThePopupSeam)
{
    FakePopup* shown = nullptr;
    appHost.skinControls = [&](const WString& name, const RCPtr<LControl>& parent) {
        EXPECT_EQ(Narrow(name), "contextMenu");
        RCPtr<FakePopup> popup(new FakePopup(parent));
        shown = popup.Get();
        return RCPtr<LControl>(popup);
    };
    keytest::GiveStrings(*control, {{u"CONTEXT_MENU.00.NID_A", u"A"}});
    RCPtrArray<LMenuDescriptor> menus;
    Menus(menus);
    ASSERT_EQ(menus.GetCount(), 1u);
    control->ShowPopupMenu(menus.GetData()[0]);
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->menu.Get(), menus.GetData()[0].Get());
    EXPECT_TRUE(shown->positioned);
    EXPECT_EQ(shown->GetParent().Get(), control.Get());
}

TEST_F(ControlMenus, HotKeyItemsArePostedToTheQueueOfTheTableThatBindsThem)
{
    keytest::GiveStrings(*control, {{u"CONTEXT_MENU.00.NID_WIN_KEY", u"Window"},
                                    {u"CONTEXT_MENU.01.SUB.", u"Sub"},
                                    {u"CONTEXT_MENU.SUB.00.NID_APP_KEY", u"Application"},
                                    {u"CONTEXT_MENU.02.NID_PLAIN", u"Plain"}});
    RCPtrArray<LMenuDescriptor> menus;
    Menus(menus);
    ASSERT_EQ(menus.GetCount(), 1u);
    ASSERT_EQ(control->SetContextMenu(menus.GetData()[0]), S_OK);
    EXPECT_EQ(control->GetContextMenuRef().Get(), menus.GetData()[0].Get());

    const RCPtr<LNotificationCenter> centre = GetNotificationQueue();
    centre->GetQueue()->DiscardAll();
    RCPtr<keytest::LogClient> appCentre(new keytest::LogClient(&log, "centre"));
    appCentre->RegisterForNotification(RCPtr<LNotificationDistributor>(centre), u"NID_APP_KEY", 0);
    const RCPtr<LNotificationReceiver> target(control);
    SendNotificationTo(target, u"NID_WIN_KEY", nullptr);
    SendNotificationTo(target, u"NID_APP_KEY", nullptr);
    SendNotificationTo(target, u"NID_PLAIN", nullptr);
    EXPECT_EQ(log, (Log{"control: NID_WIN_KEY", "control: NID_APP_KEY", "control: NID_PLAIN"}));
    log.clear();
    window->ProcessQueue(false);
    centre->GetQueue()->ProcessQueue(false);
    EXPECT_EQ(log, (Log{"window: NID_WIN_KEY", "centre: NID_APP_KEY"})) << "each posted, not sent at once";

    log.clear();
    control->SetContextMenu(nullptr); // the old menu's items are unbound
    SendNotificationTo(target, u"NID_WIN_KEY", nullptr);
    window->ProcessQueue(false);
    EXPECT_EQ(log, (Log{"control: NID_WIN_KEY"}));
    appCentre->UnregisterFromAll();
}
