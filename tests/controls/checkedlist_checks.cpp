// Checked list box: a click on a row's check box, the count and the one notification it sends;
// rows rewritten without echo; check boxes below the items; icons repeating down the list.
#include "ListsFixture.h"

#include "kx/controls/ListParams.h"

using namespace KX;

namespace {

class CheckedListChecks : public ctltest::ListsTest {};

} // namespace

TEST_F(CheckedListChecks, ClickingACheckBoxChecksSelectsAndNotifiesOnce)
{
    RCPtr<LCheckedListBox> list = MakeList<LCheckedListBox>(u"checkedList");
    ASSERT_TRUE(list);
    RCPtr<LCheckedListBoxItem> row = list->GetRowControl(1);
    ASSERT_TRUE(row && row->GetCheckBox());
    EXPECT_TRUE(list->AreCheckBoxesShown());

    const PointT<int32_t> box = CentreOf(*row->GetCheckBox());
    MoveTo(box.x, box.y);
    EXPECT_TRUE(row->IsHighlighted()) << "the row lights up while the pointer is on its check box";
    MoveTo(box.x + 60, box.y);
    EXPECT_FALSE(row->IsHighlighted());

    ClickOn(*row->GetCheckBox());
    EXPECT_TRUE(list->IsItemChecked(1));
    EXPECT_EQ(list->GetCheckedCount(), 1);
    EXPECT_TRUE(list->IsItemSelected(1)) << "the toggled item is selected";
    ASSERT_EQ(counter->Count(u"NID_ITEM_CHECK_CHANGE"), 1);
    const ConstRCPtr<LIndexedDataWithValueParam> param =
        ConstRCPtr<LIndexedDataWithValueParam>::DynamicCast(counter->last["NID_ITEM_CHECK_CHANGE"]);
    ASSERT_TRUE(param);
    EXPECT_EQ(param->GetIndex(), 1);
    EXPECT_DOUBLE_EQ(param->GetValue(), 1.0);

    // Rewriting rows moves check boxes without a notification or a count change.
    list->UpdateRow(1);
    list->SetItemChecked(3, true);
    list->SetItemChecked(3, true);
    EXPECT_EQ(list->GetCheckedCount(), 2);
    EXPECT_DOUBLE_EQ(list->GetRowControl(3)->GetCheckBox()->GetNormalizedValue(), 1.0);
    list->SortItems();
    EXPECT_EQ(counter->Count(u"NID_ITEM_CHECK_CHANGE"), 1);
    EXPECT_EQ(list->GetCheckedCount(), 2);

    // Sorting moved the first checked item; its row's check box unchecks it.
    const int32_t faders = list->FindItemByText(WString(u"Faders"), -1, true);
    ASSERT_TRUE(list->IsItemChecked(faders));
    ClickOn(*list->GetRowControl(list->GetRowOfItem(faders))->GetCheckBox());
    EXPECT_FALSE(list->IsItemChecked(faders));
    EXPECT_EQ(counter->Count(u"NID_ITEM_CHECK_CHANGE"), 2);
    EXPECT_EQ(list->GetCheckedCount(), 1) << "unchecking counts down";
    Screenshot("checked");
}

TEST_F(CheckedListChecks, RowsBelowTheItemsShowNoCheckBoxAndTheCountFollowsTheItems)
{
    RCPtr<LCheckedListBox> list = MakeList<LCheckedListBox>(u"checkedList");
    ASSERT_TRUE(list);
    for (int32_t i = 0; i < list->GetItemCount(); ++i)
        list->SetItemChecked(i, true);
    EXPECT_EQ(list->SetItemCount(2), 2);
    EXPECT_EQ(list->GetCheckedCount(), 2);
    ASSERT_GE(list->GetRowCount(), 3);
    EXPECT_TRUE(list->GetRowControl(1)->GetCheckBox()->IsShowing(true));
    EXPECT_FALSE(list->GetRowControl(2)->GetCheckBox()->IsShowing(false));
    EXPECT_DOUBLE_EQ(list->GetRowControl(2)->GetCheckBox()->GetNormalizedValue(), 0.0);
    EXPECT_FALSE(list->IsItemChecked(2));
    EXPECT_FALSE(list->GetRowControl(list->GetRowCount()));

    list->SetItemCount(4);
    EXPECT_TRUE(list->GetRowControl(2)->GetCheckBox()->IsShowing(true));
    EXPECT_FALSE(list->IsItemChecked(3)) << "new items start unchecked";
}

TEST_F(CheckedListChecks, TwoIconsFromTheLooksAlternateDownTheList)
{
    RCPtr<LCheckedListBox> list = MakeList<LCheckedListBox>(u"iconList");
    ASSERT_TRUE(list);
    ASSERT_EQ(list->GetIconList().size(), 2u) << "the image parts of look 3";
    ASSERT_EQ(list->GetItemCount(), 4);
    EXPECT_EQ(list->GetItemIcon(0).Get(), list->GetItemIcon(2).Get());
    EXPECT_EQ(list->GetItemIcon(1).Get(), list->GetItemIcon(3).Get());
    EXPECT_NE(list->GetItemIcon(0).Get(), list->GetItemIcon(1).Get());
    EXPECT_FALSE(list->GetItemIcon(4));
    Screenshot("icons");
}
