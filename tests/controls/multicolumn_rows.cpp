// Multi-column list: columns and headers from the skin, row-wise selection by mouse and keys with
// one notification from the table, the row under the pointer lit in every column and nothing left
// lit, and the columns scrolling together.
#include "ListsFixture.h"

using namespace KX;

namespace {

class MultiColumnRows : public ctltest::Lists2Test {
protected:
    RCPtr<LMultiColumnListBox> MakeTable(const char16_t* name)
    {
        RCPtr<LMultiColumnListBox> table = CreateAs<LMultiColumnListBox>(name);
        if (table)
            counter->Listen(table.Get(), {u"NID_SELECTION_CHANGE", u"NID_ITEM_ACTIVATED", u"NID_ITEM_DOUBLE_CLICKED"});
        return table;
    }
    void ClickCell(const LMultiColumnListBox& table, int32_t column, int32_t row, uint16_t mod = 0)
    {
        const PointT<int32_t> p = CellCentre(table, column, row);
        Click(p.x, p.y, SDL_BUTTON_LEFT, mod);
    }
    // The columns in which row is selected, as a bit per column.
    static uint32_t SelectedIn(const LMultiColumnListBox& table, int32_t row)
    {
        uint32_t bits = 0;
        for (int32_t c = 0; c < table.GetColumnCount(); ++c)
            bits |= table.GetColumn(c)->IsItemSelected(row) ? 1u << c : 0u;
        return bits;
    }
    // The columns whose row control for row is lit (pointer or highlight), as a bit per column.
    static uint32_t LitIn(const LMultiColumnListBox& table, int32_t row)
    {
        uint32_t bits = 0;
        for (int32_t c = 0; c < table.GetColumnCount(); ++c) {
            const RCPtr<LListBox> column = table.GetColumn(c);
            const RCPtr<LListBoxItem> control = column->GetRowAt(column->GetRowOfItem(row));
            if (control && (control->GetConditionFlags() & Condition::kHoverOrHighlighted))
                bits |= 1u << c;
        }
        return bits;
    }
    static int32_t LitRowsAnywhere(const LMultiColumnListBox& table)
    {
        int32_t lit = 0;
        for (int32_t c = 0; c < table.GetColumnCount(); ++c) {
            const RCPtr<LListBox> column = table.GetColumn(c);
            for (int32_t r = 0; r < column->GetRowCount(); ++r)
                if (column->GetRowAt(r)->GetConditionFlags() & Condition::kHoverOrHighlighted)
                    ++lit;
        }
        return lit;
    }
};

} // namespace

TEST_F(MultiColumnRows, TheClientAreaLeavesOutTheHeadersAndTheExtentFollowsTheColumns)
{
    RCPtr<LMultiColumnListBox> table = MakeTable(u"table");
    ASSERT_TRUE(table);
    ASSERT_EQ(table->GetColumnCount(), 3);
    ASSERT_EQ(table->GetHeaderCount(), 3);
    EXPECT_EQ(table->GetCellText(2, 9), WString(u"20"));
    EXPECT_TRUE(table->GetCellText(3, 0).IsEmpty());
    EXPECT_TRUE(table->GetCellText(0, 10).IsEmpty());

    const RectT<double> client = table->GetClientRect();
    const RCPtr<LListBox> first = table->GetColumn(0);
    EXPECT_EQ(client.y, first->GetPosition().y);
    EXPECT_GE(client.y, table->GetHeader(0)->GetPosition().y + table->GetHeader(0)->GetSize().y);
    EXPECT_EQ(client.height, first->GetSize().y);
    const RCPtr<LListBox> last = table->GetColumn(2);
    EXPECT_EQ(table->GetClientExtent().x, last->GetPosition().x + last->GetSize().x);
    EXPECT_EQ(table->GetClientExtent().y, 10.0 * first->GetRowHeight());
    EXPECT_TRUE(table->IsVerticalBarShown()) << "ten rows, six shown";

    // Rows removed from the first column shrink the extent; the bar goes when all rows fit.
    for (int32_t c = 0; c < 3; ++c)
        table->GetColumn(c)->SetItemCount(5);
    EXPECT_EQ(table->GetClientExtent().y, 5.0 * first->GetRowHeight());
    EXPECT_FALSE(table->IsVerticalBarShown());

    EXPECT_FALSE(first->IsNotFocusable(false));
    EXPECT_TRUE(table->GetColumn(1)->IsNotFocusable(false));
    EXPECT_TRUE(last->IsNotFocusable(false));
}

TEST_F(MultiColumnRows, ClicksAndKeysSelectWholeRowsWithOneNotificationFromTheTable)
{
    RCPtr<LMultiColumnListBox> table = MakeTable(u"table");
    ASSERT_TRUE(table);
    ClickCell(*table, 1, 2);
    EXPECT_EQ(SelectedIn(*table, 2), 0b111u);
    EXPECT_EQ(table->GetColumn(0)->GetSelectedCount(), 1);
    EXPECT_EQ(counter->Count(u"NID_SELECTION_CHANGE"), 1);

    ClickCell(*table, 2, 4);
    EXPECT_EQ(SelectedIn(*table, 4), 0b111u);
    EXPECT_EQ(SelectedIn(*table, 2), 0u) << "one row at a time";
    EXPECT_EQ(counter->Count(u"NID_SELECTION_CHANGE"), 2);

    // Keys go to the first column; the others follow and scroll with it.
    ClickCell(*table, 0, 4);
    EXPECT_TRUE(table->GetColumn(0)->GetConditionFlags() & Condition::kHasFocus);
    counter->Clear();
    for (int i = 0; i < 4; ++i)
        Key(SDLK_DOWN);
    EXPECT_EQ(SelectedIn(*table, 8), 0b111u);
    EXPECT_EQ(counter->Count(u"NID_SELECTION_CHANGE"), 4);
    const double y = table->GetColumn(0)->GetScrollOffset().y;
    EXPECT_GT(y, 0.0) << "row 8 lies below the six shown";
    for (int32_t c = 0; c < 3; ++c)
        EXPECT_EQ(table->GetColumn(c)->GetScrollOffset().y, y) << c;
    EXPECT_EQ(table->GetScrollOffset().y, y);
    Key(SDLK_UP);
    EXPECT_EQ(SelectedIn(*table, 7), 0b111u);

    Key(SDLK_RETURN);
    EXPECT_EQ(counter->Count(u"NID_ITEM_ACTIVATED"), 1);
    const PointT<int32_t> p = CellCentre(*table, 2, 7);
    DoubleClick(p.x, p.y);
    EXPECT_EQ(counter->Count(u"NID_ITEM_DOUBLE_CLICKED"), 1);
    Screenshot("row_selected");

    // In the one-column mode a selection in one column clears the others.
    RCPtr<LMultiColumnListBox> narrow = MakeTable(u"narrowTable");
    ASSERT_TRUE(narrow);
    narrow->SetSelectionMode(LMultiColumnListBox::kSelectionOneColumn);
    ClickCell(*narrow, 1, 1);
    EXPECT_EQ(SelectedIn(*narrow, 1), 0b10u);
    ClickCell(*narrow, 0, 2);
    EXPECT_EQ(SelectedIn(*narrow, 2), 0b01u);
    EXPECT_EQ(narrow->GetColumn(1)->GetSelectedCount(), 0);
}

TEST_F(MultiColumnRows, ThePointerLightsOneRowInEveryColumnAndLeavingLightsNone)
{
    RCPtr<LMultiColumnListBox> table = MakeTable(u"table");
    ASSERT_TRUE(table);
    const PointT<int32_t> a = CellCentre(*table, 0, 1);
    MoveTo(a.x, a.y);
    EXPECT_EQ(LitIn(*table, 1), 0b111u);
    EXPECT_EQ(table->GetHoverRow(), 1);
    Screenshot("row_lit");

    // Along the row into another column, then down to another row.
    const PointT<int32_t> b = CellCentre(*table, 2, 1);
    MoveTo(b.x, b.y);
    EXPECT_EQ(LitIn(*table, 1), 0b111u);
    const PointT<int32_t> c = CellCentre(*table, 1, 4);
    MoveTo(c.x, c.y);
    EXPECT_EQ(LitIn(*table, 4), 0b111u);
    EXPECT_EQ(LitIn(*table, 1), 0u);
    EXPECT_EQ(table->GetHoverRow(), 4);

    // Out of the table: no row stays lit anywhere.
    MoveTo(5, 5);
    EXPECT_EQ(LitRowsAnywhere(*table), 0);
    EXPECT_EQ(table->GetHoverRow(), -1);

    // The one-column mode lights only the row under the pointer.
    table->SetSelectionMode(LMultiColumnListBox::kSelectionOneColumn);
    MoveTo(a.x, a.y);
    EXPECT_EQ(LitIn(*table, 1), 0b001u);
}

TEST_F(MultiColumnRows, TheColumnsScrollTogetherEachKeepingItsOwnX)
{
    RCPtr<LMultiColumnListBox> table = MakeTable(u"table");
    ASSERT_TRUE(table);
    const int32_t step = table->GetColumn(0)->GetRowHeight();
    const PointT<int32_t> p = CellCentre(*table, 1, 2);
    Wheel(p.x, p.y, -1.0f);
    const double y = table->GetScrollOffset().y;
    EXPECT_GT(y, 0.0) << "a notch over a column without bars scrolls the table";
    for (int32_t c = 0; c < 3; ++c)
        EXPECT_EQ(table->GetColumn(c)->GetScrollOffset().y, y) << c;

    // The first column scrolled from code takes the table and the others along; x stays each one's.
    table->GetColumn(2)->SetScrollOffset(PointT<double>{3.0, table->GetColumn(2)->GetScrollOffset().y});
    table->GetColumn(0)->SetScrollOffset(PointT<double>{0.0, 4.0 * step});
    EXPECT_EQ(table->GetScrollOffset().y, 4.0 * step);
    EXPECT_EQ(table->GetColumn(1)->GetScrollOffset().y, 4.0 * step);
    EXPECT_EQ(table->GetColumn(2)->GetScrollOffset().y, 4.0 * step);
    EXPECT_EQ(table->GetColumn(2)->GetScrollOffset().x, 3.0);
    EXPECT_EQ(table->GetCellText(0, table->GetColumn(1)->GetFirstShownItem()), WString(u"date"));
    EXPECT_EQ(table->GetColumn(1)->GetFirstShownItem(), 4);
    EXPECT_EQ(table->GetColumn(2)->GetFirstShownItem(), 4);

    // The table's bar moves the columns back up a row.
    ClickOn(*table->GetVerticalBar()->FindChild(WString(u"dec")));
    EXPECT_EQ(table->GetColumn(1)->GetScrollOffset().y, 3.0 * step);
    EXPECT_EQ(table->GetColumn(0)->GetScrollOffset().y, 3.0 * step);
    Screenshot("scrolled");
}
