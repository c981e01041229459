// A press held while its control is hidden or disabled: the control lets go of the pointer, stops
// repeating and does not act on the release.
#include "ComboTestSupport.h"
#include "ScrollFixture.h"

#include "kx/ui/RootWindow.h"

using namespace KX;

namespace {

class HeldPressOnABar : public ctltest::ScrollTest {
protected:
    LRootWindow* Root() { return dynamic_cast<LRootWindow*>(Page()->GetTopLevelOwnerSlot().Get()); }
};

class HeldPressOnACombo : public ctltest::ComboTest {};

} // namespace

TEST_F(HeldPressOnABar, AHiddenStepButtonStopsRepeatingAndLetsGo)
{
    RCPtr<LScrollbar> bar = CreateAs<LScrollbar>(u"testVBar");
    ASSERT_TRUE(bar && bar->GetIncButton() && Root());
    const RCPtr<LControl> inc = bar->GetIncButton();
    const PointT<int32_t> at = CentreOf(*inc);
    Press(at.x, at.y);
    AdvanceInSteps(320);
    EXPECT_DOUBLE_EQ(bar->GetNormalizedValue(), 0.04) << "the press and one repeat";

    bar->SetVisible(false);
    EXPECT_EQ(Root()->GetCaptureControl(), nullptr);
    EXPECT_EQ(inc->GetConditionFlags() & (Condition::kCapture | Condition::kHover | Condition::kLeftPressed), 0u);
    AdvanceInSteps(600);
    EXPECT_DOUBLE_EQ(bar->GetNormalizedValue(), 0.04) << "no repeat while hidden";
    Release(at.x, at.y);
    EXPECT_DOUBLE_EQ(bar->GetNormalizedValue(), 0.04);

    // Shown again, a new press works as before.
    bar->SetVisible(true);
    Press(at.x, at.y);
    EXPECT_DOUBLE_EQ(bar->GetNormalizedValue(), 0.06);
    Release(at.x, at.y);
}

TEST_F(HeldPressOnABar, ADisabledBarLetsGoOfAHeldChannelPress)
{
    RCPtr<LScrollbar> bar = CreateAs<LScrollbar>(u"testVBar");
    ASSERT_TRUE(bar && bar->GetChannel() && Root());
    const int32_t x = OriginOf(*bar).x + 10, y = OriginOf(*bar->GetChannel()).y + 190;
    Press(x, y);
    EXPECT_DOUBLE_EQ(bar->GetNormalizedValue(), 0.2);
    bar->SetEnabled(false);
    EXPECT_EQ(Root()->GetCaptureControl(), nullptr);
    EXPECT_EQ(bar->GetPageDirection(), LScrollbar::kPageNone);
    AdvanceInSteps(1000);
    EXPECT_DOUBLE_EQ(bar->GetNormalizedValue(), 0.2) << "no page repeat while disabled";
    Release(x, y);
}

TEST_F(HeldPressOnACombo, AComboDisabledAndHiddenWhileItsListHoldsThePressChoosesNothing)
{
    RCPtr<LComboBox> combo = MakeCombo(u"comboTop");
    ASSERT_TRUE(combo);
    const PointT<int32_t> at = CentreOf(*combo);
    Press(at.x, at.y);
    ASSERT_TRUE(combo->IsDropDownShowing());
    const PointT<int32_t> row = RowCentre(*combo, 2);
    MoveTo(row.x, row.y);
    EXPECT_EQ(combo->GetListBox()->GetCaretIndex(), 2);

    combo->SetEnabled(false);
    combo->SetVisible(false);
    Release(row.x, row.y);
    EXPECT_EQ(combo->GetSelectedIndex(), 0) << "the release chose nothing";
    EXPECT_EQ(recorder->Count("NID_SELECTION_CHANGE"), 0);

    // Back again, the same gesture chooses.
    combo->SetVisible(true);
    combo->SetEnabled(true);
    combo->ShowDropDown(false);
    Press(at.x, at.y);
    ASSERT_TRUE(combo->IsDropDownShowing());
    const PointT<int32_t> again = RowCentre(*combo, 2);
    MoveTo(again.x, again.y);
    Release(again.x, again.y);
    EXPECT_EQ(combo->GetSelectedIndex(), 2);
}
