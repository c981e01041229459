// List rows' looks: a disabled list, blank rows that stay blank when rewritten, a press dragged off
// the row, and the drop-down row handing its press to the list; the list's interaction mode on every
// row, made from the template or named by the skin.
#include "ListsFixture.h"

using namespace KX;

namespace {

class ListBoxRows : public ctltest::ListsTest {};

} // namespace

TEST_F(ListBoxRows, DisabledAndBlankRowsShowTheirLooks)
{
    RCPtr<LListBox> list = MakeList(u"shortList");
    ASSERT_TRUE(list);
    list->SelectRange(1, -1, true);
    list->SetEnabled(false);
    EXPECT_EQ(list->GetRowAt(1)->GetStateLookIndex(), RowLook::kBlank) << "selected in a disabled list";
    EXPECT_EQ(list->GetRowAt(0)->GetStateLookIndex(), RowLook::kDisabled);
    EXPECT_EQ(list->GetFirstVisibleLook(), 1) << "the list's own disabled look";
    list->SetEnabled(true);

    ASSERT_EQ(list->SetItemAlternate(0, true), 1);
    EXPECT_EQ(list->GetRowAt(0)->GetStateLookIndex(), RowLook::kAlternateOffset);
    ASSERT_EQ(list->SetItemBlank(2, true), 1);
    EXPECT_EQ(RowText(*list, 2), "") << "a blank row hides the record's text";
    EXPECT_EQ(list->GetRowAt(2)->GetStateLookIndex(), RowLook::kBlank);
    list->SetItemText(2, WString(u"Renamed"));
    EXPECT_EQ(RowText(*list, 2), "") << "rewriting a blank row keeps it blank";
    EXPECT_EQ(ItemText(*list, 2), "Renamed");
    EXPECT_EQ(list->SetItemBlank(7, true), 0);
}

TEST_F(ListBoxRows, APressDraggedOffTheRowShowsTheHoverLook)
{
    RCPtr<LListBox> list = MakeList(u"listBox");
    ASSERT_TRUE(list);
    RCPtr<LListBoxItem> row = list->GetRowAt(3);
    const PointT<int32_t> on = RowCentre(*list, 3);
    Press(on.x, on.y);
    EXPECT_EQ(row->GetStateLookIndex(), RowLook::kSelected + RowLook::kPressed);
    MoveTo(on.x, on.y + 40);
    EXPECT_EQ(row->GetStateLookIndex(), RowLook::kSelected + RowLook::kHover) << "pressed, pointer outside";
    EXPECT_TRUE(row->GetConditionFlags() & Condition::kCapture) << "outside drop-down mode the row keeps the drag";
    Release(on.x, on.y + 40);
    EXPECT_EQ(row->GetStateLookIndex(), RowLook::kSelected);
}

TEST_F(ListBoxRows, EveryRowTakesTheListsInteractionMode)
{
    RCPtr<LListBox> list = MakeList(u"listBox");
    ASSERT_TRUE(list && list->GetRowCount() > 1);
    EXPECT_EQ(list->GetInteractionMode(), 0) << "a control starts at 0";
    for (int32_t r = 0; r < list->GetRowCount(); ++r)
        EXPECT_EQ(list->GetRowAt(r)->GetInteractionMode(), list->GetInteractionModeForRows()) << "row " << r;
    EXPECT_EQ(list->GetInteractionModeForRows(), 1);
    RCPtr<LListBox> fixed = MakeList(u"fixedList");
    ASSERT_TRUE(fixed && fixed->GetRowCount() == 2);
    EXPECT_EQ(fixed->GetRowAt(1)->GetInteractionMode(), 1) << "a row the skin names";
    EXPECT_EQ(fixed->GetRowAt(1)->SetInteractionMode(-1), E_INVALIDARG);
    EXPECT_EQ(fixed->GetRowAt(1)->GetInteractionMode(), 1);
}
