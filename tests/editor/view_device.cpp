// The device view in the main window: what shows after start, bank switching by the bank buttons,
// edit-panel switching, the status object, the menu's item-state source and a skin that lacks a
// required child.
#include "ViewFixture.h"

#include "kx/controls/Button.h"
#include "kx/controls/MainMenu.h"

#include <stdexcept>

using namespace KX;

namespace {

constexpr const char16_t* kEditPanels[] = {u"faderEditPanel", u"knobEditPanel", u"padEditPanel",   u"xyPadEditPanel",
                                           u"wheelEditPanel", u"zoneEditPanel", u"buttonEditPanel"};
constexpr const char16_t* kPedalPanels[] = {u"volumePedalEditPanel", u"sustainEditPage"};

class DeviceView : public viewtest::ViewTest {
protected:
    void SetUp() override
    {
        viewtest::ViewTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        BuildMain();
    }

    RCPtr<LButton> BankButton(int n)
    {
        const RCPtr<LControl> group = ViewChild(u"groupBankPanel");
        return RCPtr<LButton>(
            dynamic_cast<LButton*>(group->FindChild(WString(u"bank") + WString(std::to_string(n).c_str())).Get()));
    }
    // "1000" when bank 1 of the group shows and the others do not.
    std::string Banks(const char16_t* group, const char16_t* stem)
    {
        std::string shown;
        for (int n = 1; n <= 4; ++n)
            shown += ViewChild(group)->FindChild(WString(stem) + WString(std::to_string(n).c_str()))->IsShowing(false)
                         ? '1'
                         : '0';
        return shown;
    }
    std::string Pressed()
    {
        std::string pressed;
        for (int n = 1; n <= 4; ++n)
            pressed += BankButton(n)->GetNormalizedValue() >= 0.5 ? '1' : '0';
        return pressed;
    }
    // The edit panels shown, in the order of kEditPanels then the two pedal panels.
    std::string Shown()
    {
        std::string shown;
        for (const char16_t* name : kEditPanels)
            shown += Visible(name) ? '1' : '0';
        shown += '/';
        for (const char16_t* name : kPedalPanels)
            shown += Visible(name) ? '1' : '0';
        return shown;
    }
};

TEST_F(DeviceView, AfterStartBankOneAndOnlyThePushButtonEditPanelShow)
{
    ASSERT_TRUE(view);
    EXPECT_EQ(Banks(u"faders", u"faderBank"), "1000");
    EXPECT_EQ(Banks(u"buttons", u"buttonBank"), "1000");
    EXPECT_EQ(Banks(u"encoders", u"encoderBank"), "1000");
    EXPECT_EQ(Pressed(), "1000");
    EXPECT_EQ(Shown(), "0000001/00");

    // The status object keeps its identity; the view holds it alive.
    const RCPtr<LStatusView> status = view->GetStatusView();
    ASSERT_TRUE(status);
    EXPECT_EQ(view->GetStatusView().Get(), status.Get());
    EXPECT_GE(status->GetRefCount(), 2);

    // The main menu asks the view for its item states.
    const RCPtr<LMainMenu> menu(dynamic_cast<LMainMenu*>(main->FindChild(WString(u"mainMenu")).Get()));
    ASSERT_TRUE(menu && menu->GetOutsideItemUpdater());
    EXPECT_EQ(menu->GetOutsideItemUpdater()->GetControl().Get(), static_cast<LControl*>(view.Get()));
    Screenshot("start");
}

TEST_F(DeviceView, ABankButtonShowsItsBankInEveryGroupAndAloneStaysPressed)
{
    ClickOn(*BankButton(3));
    RunIdle();
    EXPECT_EQ(Banks(u"faders", u"faderBank"), "0010");
    EXPECT_EQ(Banks(u"buttons", u"buttonBank"), "0010");
    EXPECT_EQ(Banks(u"encoders", u"encoderBank"), "0010");
    EXPECT_EQ(Pressed(), "0010");
    EXPECT_EQ(Shown(), "0000001/00") << "switching banks leaves the edit panels alone";

    ClickOn(*BankButton(3));
    RunIdle();
    EXPECT_EQ(Banks(u"faders", u"faderBank"), "0010") << "a second click changes nothing";
    EXPECT_EQ(Pressed(), "0010");

    // A click from anything but a bank button changes nothing.
    view->OnBankButtonClick(RCPtr<LNotificationDistributor>(ViewChild(u"faders").Get()),
                            apptest::Make(u"NID_LEFT_CLICK"));
    EXPECT_EQ(Pressed(), "0010");

    ClickOn(*BankButton(1));
    RunIdle();
    EXPECT_EQ(Banks(u"encoders", u"encoderBank"), "1000");
    EXPECT_EQ(Pressed(), "1000");
}

TEST_F(DeviceView, ShowEditPanelShowsOnePanelAndThePedalIndexChoosesThePedal)
{
    const char* expected[] = {"1000000/00", "0100000/00", "0010000/00", "0001000/00",
                              "0000100/00", "0000010/00", "0000001/00"};
    for (int32_t kind = 0; kind <= 6; ++kind) {
        EXPECT_EQ(view->ShowEditPanel(kind, 5), 0);
        EXPECT_EQ(Shown(), expected[kind]) << "kind " << kind;
    }
    view->ShowEditPanel(LDeviceView::kPedalPanel, 1);
    EXPECT_EQ(Shown(), "0000000/01");
    view->ShowEditPanel(LDeviceView::kPedalPanel, 0);
    EXPECT_EQ(Shown(), "0000000/10");
    view->ShowEditPanel(LDeviceView::kPadPanel, 0);
    view->ShowEditPanel(LDeviceView::kPedalPanel, 1);
    view->ShowEditPanel(LDeviceView::kPedalPanel, 2);
    EXPECT_EQ(Shown(), "0000000/01") << "another pedal index leaves the pedal panels as they were";
    view->ShowEditPanel(8, 0);
    EXPECT_EQ(Shown(), "0000000/00") << "an unknown kind hides them all";
    view->ShowEditPanel(-1, 1);
    EXPECT_EQ(Shown(), "0000000/00");
    EXPECT_TRUE(Visible(u"presetNameEditPanel")) << "never touched";
}

TEST_F(DeviceView, GroupPanelsAreHandedOutUnderTheModelInterfacesOnly)
{
    EXPECT_TRUE(view->GetPads());
    EXPECT_TRUE(view->GetEncoders());
    EXPECT_FALSE(view->GetFaders()) << "a plain panel is no fader group";
    EXPECT_FALSE(view->GetPresetName());
    EXPECT_FALSE(view->GetPedals());
    EXPECT_EQ(main->GetDevice().Get(), static_cast<IDevice*>(view.Get()));
}

TEST_F(DeviceView, ASkinWithoutARequiredChildNamesIt)
{
    try {
        Create(u"viewDeviceEmpty");
        ADD_FAILURE() << "no error";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "Runtime Error : Null Pointer : Cannot find child: padEditPanel : "
                               "LDeviceView::Initialize : UI\\DeviceView : Line 84");
    }
}

} // namespace
