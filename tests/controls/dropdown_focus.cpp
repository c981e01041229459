// The drop-down base: presses open and close the part, focus changes close it, a press that closes
// it does not open it again, and the shown query reads the part's layout and size; a combo box's
// list beside a field that refuses its text.
#include "ControlsHarness.h"
#include "TextFixture.h"

#include "kx/controls/ComboBox.h"
#include "kx/controls/DropDownControl.h"
#include "kx/controls/ListBox.h"
#include "kx/ui/ControlCreate.h"
#include "kx/ui/RootWindow.h"

#include <memory>

using namespace KX;

namespace {

// A drop-down whose part is a plain control below it, counting the part's openings and closings.
class FakeDropDown : public LDropDownControl {
public:
    FakeDropDown(const RCPtr<LControl>& parent, const WString& name) : LDropDownControl(parent, name) {}

    KXRESULT Initialize() override
    {
        const KXRESULT result = LDropDownControl::Initialize();
        part = uitest::Make(RCPtr<LControl>(this), u"part", 0, 22, 120, 60);
        part->GetLayout()->clipToParent = false;
        part->SetVisible(false);
        return result;
    }
    bool IsDropDownShowing() override
    {
        return part && part->GetLayout()->visible && part->GetSize().x > 0 && part->GetSize().y > 0;
    }
    KXRESULT ShowDropDown(bool show) override
    {
        if (show)
            ++opened;
        else if (IsDropDownShowing())
            ++closed;
        part->SetVisible(show);
        return S_OK;
    }
    RCPtr<LControl> GetDropDownPart() override { return RCPtr<LControl>(part); }

    RCPtr<uitest::TestControl> part;
    int opened = 0;
    int closed = 0;
};

class DropDownFocus : public ctltest::ControlsTest {
protected:
    std::vector<std::string> Areas() const override { return {"dropdown"}; }
    void SetUp() override
    {
        ctltest::ControlsTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        factory->RegisterControlClass(WString(u"Test.DropDown"), &CreateControlOfClass<FakeDropDown>);
        first = CreateAs<FakeDropDown>(u"plainDropDown");
        second = CreateAs<FakeDropDown>(u"otherDropDown");
        ASSERT_TRUE(first && second);
    }
    void TearDown() override
    {
        first = second = nullptr;
        ctltest::ControlsTest::TearDown();
    }

    RCPtr<FakeDropDown> first, second;
};

// Text boxes and combo boxes in one low window: a capped list has room on neither side of a box
// in the middle and opens in a window of its own.
class ComboBesideARefusingField : public texttest::TextTest {
protected:
    std::vector<std::string> Areas() const override { return {"basic", "text", "dropdown"}; }
    int32_t WindowHeight() const override { return 120; }
    void SetUp() override
    {
        texttest::TextTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        ctltest::RegisterScrollChannelClass(*factory);
    }
};

} // namespace

TEST_F(DropDownFocus, PressOpensPressAgainClosesAndLeavesItClosed)
{
    ClickOn(*first);
    EXPECT_TRUE(first->IsDropDownShowing()) << "the first press opens the part";
    EXPECT_EQ(first->opened, 1);
    EXPECT_FALSE(first->IsClosedByFocus()) << "taking the focus found nothing open";

    ClickOn(*first);
    EXPECT_FALSE(first->IsDropDownShowing()) << "the press that takes the focus back closes the part";
    EXPECT_EQ(first->opened, 1) << "and does not reopen it";
    EXPECT_EQ(first->closed, 1);
    EXPECT_FALSE(first->IsOpenSuppressed()) << "the swallowed opening is used up";

    ClickOn(*first);
    EXPECT_TRUE(first->IsDropDownShowing()) << "the next press opens it again";
    EXPECT_EQ(first->opened, 2);
}

TEST_F(DropDownFocus, PressOnTheFocusedClosedControlOpens)
{
    ASSERT_GE(first->SetFocus(true), 0);
    ClickOn(*first);
    EXPECT_TRUE(first->IsDropDownShowing());
    EXPECT_FALSE(first->IsClosedByFocus());
}

TEST_F(DropDownFocus, TabAwayClosesAndTheFocusStaysWithTheNextControl)
{
    struct Case {
        const char* what;
        bool partHoldsFocus;
        uint16_t mod;
    };
    for (const Case& c :
         {Case{"the control holds the focus", false, 0}, Case{"the part holds it, as a combo box's list does", true, 0},
          Case{"Ctrl+Tab from the part", true, KMOD_LCTRL}}) {
        SCOPED_TRACE(c.what);
        ClickOn(*first);
        ASSERT_TRUE(first->IsDropDownShowing());
        if (c.partHoldsFocus) {
            first->part->SetNotFocusable(false);
            first->part->SetFocus(true);
            ASSERT_TRUE(first->part->GetConditionFlags() & Condition::kHasFocus);
        }
        Key(SDLK_TAB, c.mod);
        EXPECT_FALSE(first->IsDropDownShowing());
        EXPECT_TRUE(second->GetConditionFlags() & Condition::kHasFocus) << "the closing part did not pull it back";
        EXPECT_FALSE(first->GetConditionFlags() & (Condition::kHasFocus | Condition::kContainsFocus));
    }
}

TEST_F(DropDownFocus, PressOnAnotherControlClosesTheOpenOne)
{
    ClickOn(*second);
    ASSERT_TRUE(second->IsDropDownShowing());
    second->part->SetNotFocusable(false);
    second->part->SetFocus(true);
    ClickOn(*first);
    EXPECT_FALSE(second->IsDropDownShowing());
    EXPECT_TRUE(first->IsDropDownShowing());
    EXPECT_TRUE(first->GetConditionFlags() & Condition::kHasFocus) << "the part closing gave no focus back";
    EXPECT_FALSE(second->GetConditionFlags() & (Condition::kHasFocus | Condition::kContainsFocus));
}

TEST_F(DropDownFocus, ShownNeedsAVisiblePartWithArea)
{
    EXPECT_FALSE(first->IsDropDownShown());
    first->part->SetVisible(true);
    EXPECT_TRUE(first->IsDropDownShown());
    first->part->GetLayout()->Size(0).absolute = 0;
    first->part->PerformLayout();
    EXPECT_FALSE(first->IsDropDownShown()) << "visible with a width of 0";
}

TEST_F(ComboBesideARefusingField, AListThatCannotTakeTheFocusStaysShutAndNoListWindowOutlivesItsBox)
{
    RCPtr<LTextBox> field = FocusedBox(u"plainBox", "bad");
    RCPtr<LComboBox> combo = CreateAs<LComboBox>(u"comboTop");
    RCPtr<LComboBox> capped = CreateAs<LComboBox>(u"comboCapped");
    ASSERT_TRUE(field && combo && capped);
    AxisPlacement middle = capped->GetLayout()->Position(1);
    middle.absolute = 45;
    ASSERT_GE(capped->SetAxisPlacement(1, middle, capped->GetLayout()->Size(1)), 0);
    const auto refuse = std::make_shared<bool>(true);
    RCPtr<texttest::TextLog> refuser = Listen(RCPtr<LControl>(field), {u"NID_TEXTBOX_VALIDATING"});
    refuser->onValidating = [refuse](LTextValidationParams& p) { p.accepted = !*refuse; };
    const int32_t chosen = combo->GetSelectedIndex();

    // The list below the box would cover the field: a click, keys, a press on the page, a click on
    // the field where the list's second row would be.
    ClickOn(*combo);
    EXPECT_FALSE(combo->IsDropDownShowing()) << "opened without the focus";
    Key(SDLK_ESCAPE);
    Key(SDLK_DOWN);
    Type("z");
    Click(300, 110);
    Click(100, 70);
    EXPECT_EQ(combo->GetSelectedIndex(), chosen) << "a row acted beside the refusing field";
    EXPECT_EQ(Text(*field), "badz");

    // The capped list would open in a window of its own.
    IRootWindowHost* host = GetRootWindowHost();
    ASSERT_TRUE(host);
    const uint32_t windows = host->GetRootWindowCount();
    ClickOn(*capped);
    EXPECT_FALSE(capped->IsDropDownShowing());
    EXPECT_EQ(host->GetRootWindowCount(), windows) << "a list window opened without the focus";

    // Mended, the field lets the lists have the focus; a box that leaves the tree and goes takes
    // its list window along.
    *refuse = false;
    ClickOn(*combo);
    EXPECT_TRUE(combo->IsDropDownShowing());
    ClickOn(*capped);
    ASSERT_EQ(host->GetRootWindowCount(), windows + 1);
    capped->SetParent(nullptr);
    capped = nullptr;
    RunIdle();
    EXPECT_EQ(host->GetRootWindowCount(), windows) << "the list window outlived its box";
}
