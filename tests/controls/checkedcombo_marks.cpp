// Checked combo box: marks toggled in the open list switch the look set at once and reach the
// owner once; the button beside the label mirrors the current item's mark and icon, lets presses
// through when the list has icons and checks nothing when pressed; skins without the button,
// with only seven looks or without a checked list.
#include "ListsFixture.h"

#include "kx/controls/ListParams.h"

using namespace KX;

namespace {

class CheckedComboMarks : public ctltest::Lists2Test {
protected:
    RCPtr<LCheckedComboBox> MakeCombo(const char16_t* name)
    {
        RCPtr<LCheckedComboBox> combo = CreateAs<LCheckedComboBox>(name);
        if (combo)
            counter->Listen(combo.Get(), {u"NID_ITEM_CHECK_CHANGE", u"NID_SELECTION_CHANGE"});
        return combo;
    }
    void ClickAt(const PointT<int32_t>& p) { Click(p.x, p.y); }
    // The look the combo box shows, as an offset from the look of its state: 0 or the second set.
    static int32_t LookSet(LCheckedComboBox& combo) { return combo.GetFirstVisibleLook() - combo.GetStateLookIndex(); }
    ConstRCPtr<LIndexedDataWithValueParam> LastCheck()
    {
        return ConstRCPtr<LIndexedDataWithValueParam>::DynamicCast(counter->last["NID_ITEM_CHECK_CHANGE"]);
    }
    static bool IsRed(uint32_t rgb) { return (rgb >> 16) > 0xA0 && ((rgb >> 8) & 0xFF) < 0x60; }
    static bool IsYellow(uint32_t rgb)
    {
        return (rgb >> 16) > 0xA0 && ((rgb >> 8) & 0xFF) > 0xA0 && (rgb & 0xFF) < 0x60;
    }
};

} // namespace

TEST_F(CheckedComboMarks, MarksInTheOpenListSwitchTheLooksAndTheButtonShowsTheCurrentItem)
{
    RCPtr<LCheckedComboBox> combo = MakeCombo(u"iconCombo");
    ASSERT_TRUE(combo && combo->GetCheckBox());
    ASSERT_TRUE(combo->IsIconMode());
    ASSERT_EQ(combo->GetSelectedIndex(), 0);
    const PointT<int32_t> button = CentreOf(*combo->GetCheckBox());
    Paint();
    EXPECT_TRUE(IsRed(Pixel(button.x, button.y))) << std::hex << Pixel(button.x, button.y);

    // The button only displays: a press on it opens the list.
    ClickAt(button);
    ASSERT_TRUE(combo->IsDropDownShowing());
    EXPECT_EQ(LookSet(*combo), 0);
    EXPECT_FALSE(combo->GetCheckBox()->IsHighlighted());

    // The first mark switches to the second set at once; the list stays open.
    ClickAt(ListCheckCentre(*combo, 1));
    EXPECT_TRUE(combo->IsItemChecked(1));
    EXPECT_TRUE(combo->IsDropDownShowing());
    EXPECT_EQ(LookSet(*combo), LCheckedComboBox::kCheckedLookOffset);
    ASSERT_EQ(counter->Count(u"NID_ITEM_CHECK_CHANGE"), 1);
    ASSERT_TRUE(LastCheck());
    EXPECT_EQ(LastCheck()->GetIndex(), 1);
    EXPECT_DOUBLE_EQ(LastCheck()->GetValue(), 1.0);
    ClickAt(ListCheckCentre(*combo, 3));
    EXPECT_EQ(combo->GetCheckedCount(), 2);
    EXPECT_EQ(counter->Count(u"NID_ITEM_CHECK_CHANGE"), 2);
    EXPECT_EQ(LookSet(*combo), LCheckedComboBox::kCheckedLookOffset);
    EXPECT_DOUBLE_EQ(combo->GetCheckBox()->GetNormalizedValue(), 0.0) << "item 0 is still current and unchecked";
    Screenshot("two_checked_open");

    // Choosing a checked item closes the list and mirrors its mark and icon beside the label.
    const PointT<int32_t> yellow = ListRowCentre(*combo, 1);
    Click(yellow.x + 50, yellow.y);
    EXPECT_FALSE(combo->IsDropDownShowing());
    EXPECT_EQ(combo->GetSelectedIndex(), 1);
    EXPECT_EQ(combo->GetText(), WString(u"Yellow"));
    EXPECT_DOUBLE_EQ(combo->GetCheckBox()->GetNormalizedValue(), 1.0);
    Paint();
    EXPECT_TRUE(IsYellow(Pixel(button.x, button.y))) << std::hex << Pixel(button.x, button.y);
    EXPECT_EQ(LookSet(*combo), LCheckedComboBox::kCheckedLookOffset);
    Screenshot("yellow_chosen");

    // An unchecked item shows no mark although others are checked.
    ClickAt(button);
    ASSERT_TRUE(combo->IsDropDownShowing());
    const PointT<int32_t> red = ListRowCentre(*combo, 2);
    Click(red.x + 50, red.y);
    EXPECT_EQ(combo->GetSelectedIndex(), 2);
    EXPECT_DOUBLE_EQ(combo->GetCheckBox()->GetNormalizedValue(), 0.0);
    Paint();
    EXPECT_TRUE(IsRed(Pixel(button.x, button.y)));
    EXPECT_EQ(counter->Count(u"NID_ITEM_CHECK_CHANGE"), 2) << "choosing items checks nothing";
}

TEST_F(CheckedComboMarks, TheButtonBesideTheLabelOnlyMirrorsTheCurrentItem)
{
    RCPtr<LCheckedComboBox> combo = MakeCombo(u"checkedCombo");
    ASSERT_TRUE(combo && combo->GetCheckBox());
    ASSERT_FALSE(combo->IsIconMode());
    ASSERT_EQ(combo->GetText(), WString(u"Pads"));

    // A press on the button checks nothing.
    ClickOn(*combo->GetCheckBox());
    EXPECT_FALSE(combo->IsDropDownShowing()) << "the button is not the opening press";
    EXPECT_FALSE(combo->IsItemChecked(0));
    EXPECT_DOUBLE_EQ(combo->GetCheckBox()->GetNormalizedValue(), 0.0);
    EXPECT_EQ(LookSet(*combo), 0);
    EXPECT_EQ(counter->Count(u"NID_ITEM_CHECK_CHANGE"), 0);

    // Checking the current item in the open list marks the button.
    ClickOn(*combo);
    ASSERT_TRUE(combo->IsDropDownShowing());
    ClickAt(ListCheckCentre(*combo, 0));
    EXPECT_TRUE(combo->IsItemChecked(0));
    EXPECT_DOUBLE_EQ(combo->GetCheckBox()->GetNormalizedValue(), 1.0);
    EXPECT_EQ(LookSet(*combo), LCheckedComboBox::kCheckedLookOffset);
    ASSERT_EQ(counter->Count(u"NID_ITEM_CHECK_CHANGE"), 1);
    EXPECT_EQ(LastCheck()->GetIndex(), 0);

    // Unchecking it clears the button too, and the last mark gone brings the first look set back.
    ASSERT_TRUE(combo->IsDropDownShowing());
    ClickAt(ListCheckCentre(*combo, 0));
    EXPECT_FALSE(combo->IsItemChecked(0));
    EXPECT_DOUBLE_EQ(combo->GetCheckBox()->GetNormalizedValue(), 0.0);
    EXPECT_EQ(LookSet(*combo), 0);
    EXPECT_EQ(counter->Count(u"NID_ITEM_CHECK_CHANGE"), 2);
    Key(SDLK_ESCAPE);
    EXPECT_FALSE(combo->IsDropDownShowing());

    // Items that go away take their marks and the second look set with them.
    combo->SetItemChecked(4, true);
    EXPECT_EQ(LookSet(*combo), LCheckedComboBox::kCheckedLookOffset);
    combo->SetItemCount(3);
    EXPECT_EQ(combo->GetCheckedCount(), 0);
    EXPECT_EQ(LookSet(*combo), 0);

    // With no current item the button checks nothing and stays clear.
    combo->SetSelectedIndex(-1);
    ClickOn(*combo->GetCheckBox());
    EXPECT_DOUBLE_EQ(combo->GetCheckBox()->GetNormalizedValue(), 0.0);
    EXPECT_EQ(combo->GetCheckedCount(), 0);
    EXPECT_EQ(counter->Count(u"NID_ITEM_CHECK_CHANGE"), 2);
    Screenshot("cleared");
}

TEST_F(CheckedComboMarks, SkinsWithoutTheButtonOrTheSecondLooksOrACheckedList)
{
    // Without the button and with only seven looks: the marks count, the looks stay valid.
    RCPtr<LCheckedComboBox> bare = MakeCombo(u"bareCheckedCombo");
    ASSERT_TRUE(bare && bare->GetCheckedList());
    EXPECT_FALSE(bare->GetCheckBox());
    ClickOn(*bare);
    ASSERT_TRUE(bare->IsDropDownShowing());
    ClickAt(ListCheckCentre(*bare, 1));
    EXPECT_EQ(bare->GetCheckedCount(), 1);
    EXPECT_EQ(counter->Count(u"NID_ITEM_CHECK_CHANGE"), 1);
    EXPECT_EQ(bare->GetFirstVisibleLook(), bare->GetStateLookIndex());
    const PointT<int32_t> two = ListRowCentre(*bare, 1);
    Click(two.x + 40, two.y);
    EXPECT_EQ(bare->GetText(), WString(u"Two"));

    // A plain list box as the drop-down is refused: no checked list, nothing to check.
    RCPtr<LCheckedComboBox> plain = CreateAs<LCheckedComboBox>(u"plainListCombo");
    ASSERT_TRUE(plain);
    EXPECT_FALSE(plain->GetCheckedList());
    plain->SetItemChecked(0, true);
    EXPECT_EQ(plain->GetCheckedCount(), 0);
    EXPECT_FALSE(plain->IsItemChecked(0));
}
