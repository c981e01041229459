// List box rows over 10,000 items: a few reused rows, scrolling by whole rows with the wheel, the
// bar and the keys, the caret kept in view, and the rows below a short list.
#include "ListsFixture.h"

using namespace KX;

namespace {

constexpr int32_t kItems = 10000;

class ListBoxScroll : public ctltest::ListsTest {
protected:
    RCPtr<LListBox> MakeLongList()
    {
        RCPtr<LListBox> list = MakeList(u"listBox");
        if (!list)
            return list;
        EXPECT_EQ(list->SetItemCount(kItems), kItems);
        for (int32_t i = 0; i < kItems; ++i)
            list->SetItemText(i, WString::Format(u"Item %d", i));
        return list;
    }
};

} // namespace

TEST_F(ListBoxScroll, TenThousandItemsShowThroughAFewReusedRows)
{
    RCPtr<LListBox> list = MakeLongList();
    ASSERT_TRUE(list);
    const int32_t rows = list->GetRowCount();
    EXPECT_GE(rows, 10);
    EXPECT_LE(rows, 11) << "rows fill the visible height, not the items";
    EXPECT_DOUBLE_EQ(list->GetClientExtent().y, 14.0 * kItems);
    ASSERT_TRUE(list->GetVerticalBar());
    EXPECT_TRUE(list->IsVerticalBarShown());

    ASSERT_EQ(list->EnsureItemVisible(5000), S_OK);
    EXPECT_EQ(list->GetFirstShownItem(), 4991) << "an item below comes in at the last whole row";
    EXPECT_EQ(RowText(*list, 9), "Item 5000");
    EXPECT_EQ(RowText(*list, 0), "Item 4991");
    EXPECT_EQ(list->GetRowCount(), rows) << "scrolling makes no rows";
    const PointT<int32_t> shown = RowCentre(*list, 5000);
    const PointT<double> origin = list->GetOriginInRootWindow();
    EXPECT_EQ(list->GetItemAtPoint(PointT<double>{shown.x - origin.x, shown.y - origin.y}), 5000);

    ASSERT_EQ(list->EnsureItemVisible(4995), S_OK);
    EXPECT_EQ(list->GetFirstShownItem(), 4991) << "an item fully shown does not scroll";
    ASSERT_EQ(list->EnsureItemVisible(12), S_OK);
    EXPECT_EQ(list->GetFirstShownItem(), 12) << "an item above comes in at the first row";
    EXPECT_EQ(list->EnsureItemVisible(kItems), E_INVALIDARG);

    list->SetScrollOffset(PointT<double>{0.0, 14.0 * 12 + 7.0});
    EXPECT_EQ(list->GetFirstShownItem(), 12) << "half a row scrolls no item";
    list->SetScrollOffset(PointT<double>{0.0, 14.0 * (kItems - 10)});
    EXPECT_EQ(RowText(*list, 9), "Item 9999");
    Screenshot("end");
}

TEST_F(ListBoxScroll, WheelAndKeysScrollByWholeRowsAndKeepTheCaretInView)
{
    RCPtr<LListBox> list = MakeLongList();
    ASSERT_TRUE(list);
    const PointT<int32_t> centre = CentreOf(*list);
    Wheel(centre.x, centre.y, -1.0f);
    EXPECT_EQ(list->GetFirstShownItem(), 1) << "a notch towards the user scrolls one row";
    EXPECT_EQ(RowText(*list, 0), "Item 1");
    Wheel(centre.x, centre.y, 1.0f);
    EXPECT_EQ(list->GetFirstShownItem(), 0);

    const PointT<int32_t> last = RowCentre(*list, 9);
    Click(last.x, last.y);
    ASSERT_EQ(list->GetCaretIndex(), 9);
    Key(SDLK_DOWN);
    EXPECT_EQ(list->GetCaretIndex(), 10);
    EXPECT_EQ(list->GetFirstShownItem(), 1) << "the caret moved below: one row scrolled";
    EXPECT_TRUE(list->GetRowAt(9)->GetNormalizedValue() >= 0.5) << "the last row shows the selected item";
    EXPECT_FALSE(list->GetRowAt(8)->GetNormalizedValue() >= 0.5) << "reused rows drop the old selection";

    Key(SDLK_END);
    EXPECT_EQ(list->GetFirstShownItem(), kItems - 10) << "End goes to the vertical bar";
    EXPECT_EQ(list->GetCaretIndex(), 10) << "the bar's keys move no caret";
    Key(SDLK_UP);
    EXPECT_EQ(list->GetCaretIndex(), 9);
    EXPECT_EQ(list->GetFirstShownItem(), 9) << "the caret is scrolled back into view";
    EXPECT_EQ(RowText(*list, 0), "Item 9");
}

TEST_F(ListBoxScroll, RowsTurnedByScrollingStayInOrderOnScreen)
{
    RCPtr<LListBox> list = MakeLongList();
    ASSERT_TRUE(list);
    const PointT<double> origin = list->GetOriginInRootWindow();
    // Each row one row height below the other from the client top, showing the items in order.
    auto expectRowsInOrder = [&](const char* when) {
        const int32_t first = list->GetFirstShownItem();
        for (int32_t r = 0; r < list->GetRowCount(); ++r) {
            const RectT<double> rect = list->GetItemRowRect(first + r);
            EXPECT_DOUBLE_EQ(rect.y, 14.0 * r) << when << ", row " << r;
            EXPECT_EQ(RowText(*list, r), "Item " + std::to_string(first + r)) << when << ", row " << r;
            const PointT<int32_t> centre = RowCentre(*list, first + r);
            // The spare row below the visible ones is out of sight, and so out of reach.
            const bool inSight = centre.y - origin.y < list->GetSize().y;
            EXPECT_EQ(list->GetItemAtPoint(PointT<double>{centre.x - origin.x, centre.y - origin.y}),
                      inSight ? first + r : -1)
                << when << ", row " << r;
        }
    };
    list->SetScrollOffset(PointT<double>{0.0, 14.0 * 100});
    expectRowsInOrder("a jump");
    list->SetScrollOffset(PointT<double>{0.0, 14.0 * 101});
    expectRowsInOrder("one row down");
    list->SetScrollOffset(PointT<double>{0.0, 14.0 * 98});
    expectRowsInOrder("three rows up");
    list->SetScrollOffset(PointT<double>{0.0, 14.0 * 98 + 5});
    list->SetScrollOffset(PointT<double>{0.0, 14.0 * 99});
    expectRowsInOrder("by parts of rows");
    list->SelectRange(103, -1, true);
    list->SetScrollOffset(PointT<double>{0.0, 14.0 * 95});
    EXPECT_TRUE(list->GetRowAt(list->GetRowOfItem(103))->GetNormalizedValue() >= 0.5);
    EXPECT_EQ(list->GetRowAt(list->GetRowOfItem(103))->GetStateLookIndex(), RowLook::kSelected);
    Screenshot("turned");

    // A row of another height (a menu's separator): the rows still follow one another.
    RCPtr<LListBoxItem> odd = list->GetRowAt(3);
    odd->GetLayout()->Size(1).absolute = 8.0;
    odd->PerformLayout();
    auto expectRowsContiguous = [&](const char* when) {
        double y = 0.0;
        for (int32_t r = 0; r < list->GetRowCount(); ++r) {
            const RectT<double> rect = list->GetItemRowRect(list->GetFirstShownItem() + r);
            EXPECT_DOUBLE_EQ(rect.y, y) << when << ", row " << r;
            y += rect.height;
        }
    };
    expectRowsContiguous("shrunk");
    list->SetScrollOffset(PointT<double>{0.0, 14.0 * 96});
    expectRowsContiguous("one row down");
    list->SetScrollOffset(PointT<double>{0.0, 14.0 * 93});
    expectRowsContiguous("three rows up");
}

TEST_F(ListBoxScroll, WheelNotchesRepaintWhatFullPaintsShowAndTheMovedPartsAnswerClicks)
{
    RCPtr<LListBox> list = MakeLongList();
    ASSERT_TRUE(list);
    RunIdle();
    const RCPtr<LScrollbar> bar = list->GetVerticalBar();
    ASSERT_TRUE(bar);
    const RCPtr<LControl> inc = bar->FindChild(WString(u"inc"));
    ASSERT_TRUE(inc);
    const PointT<double> barAt = bar->GetOriginInRootWindow();
    const PointT<double> origin = list->GetOriginInRootWindow();
    const int32_t w = static_cast<int32_t>(list->GetSize().x), h = static_cast<int32_t>(list->GetSize().y);
    auto pixels = [&] {
        std::vector<uint32_t> out;
        for (int32_t y = 0; y < h; ++y)
            for (int32_t x = 0; x < w; ++x)
                out.push_back(Pixel(static_cast<int32_t>(origin.x) + x, static_cast<int32_t>(origin.y) + y));
        return out;
    };
    const PointT<int32_t> centre = CentreOf(*list);
    for (int notch = 0; notch < 3; ++notch)
        Wheel(centre.x, centre.y, -1.0f);
    Wheel(centre.x, centre.y, 1.0f);
    ASSERT_EQ(list->GetFirstShownItem(), 2);
    const std::vector<uint32_t> painted = pixels();
    Paint();
    EXPECT_TRUE(painted == pixels()) << "what the scrolls repainted differs from a full paint";
    EXPECT_EQ(bar->GetOriginInRootWindow().x, barAt.x) << "the bar stays in view";
    EXPECT_EQ(bar->GetOriginInRootWindow().y, barAt.y);

    // The top row came round from the bottom: it shows item 2 and takes its clicks.
    EXPECT_EQ(RowText(*list, 0), "Item 2");
    EXPECT_DOUBLE_EQ(list->GetItemRowRect(2).y, 0.0);
    const PointT<int32_t> top = RowCentre(*list, 2);
    Click(top.x, top.y);
    EXPECT_EQ(list->GetCaretIndex(), 2);
    EXPECT_TRUE(list->GetRowAt(0)->GetNormalizedValue() >= 0.5);
    ClickOn(*inc);
    EXPECT_EQ(list->GetFirstShownItem(), 3) << "the shifted bar's button answers where it is drawn";
}

TEST_F(ListBoxScroll, RowsBelowTheItemsAreEmptyAndDisabled)
{
    RCPtr<LListBox> list = MakeList(u"shortList");
    ASSERT_TRUE(list);
    ASSERT_EQ(list->GetItemCount(), 3);
    ASSERT_GE(list->GetRowCount(), 5);
    EXPECT_EQ(RowText(*list, 2), "Three");
    EXPECT_TRUE(list->GetRowAt(2)->IsEnabled(true));
    EXPECT_EQ(RowText(*list, 3), "");
    EXPECT_FALSE(list->GetRowAt(3)->IsEnabled(true));
    const PointT<int32_t> empty = RowCentre(*list, 3);
    Click(empty.x, empty.y);
    EXPECT_EQ(list->GetSelectedCount(), 0) << "a row below the items selects nothing";

    list->RemoveAllItems();
    EXPECT_EQ(RowText(*list, 0), "");
    EXPECT_EQ(list->GetItemAtPoint(PointT<double>{20.0, 5.0}), -1);

    RCPtr<LListBox> fixed = MakeList(u"fixedList");
    ASSERT_TRUE(fixed);
    EXPECT_EQ(fixed->GetRowCount(), 2) << "rows named item1, item2 by the skin";
    EXPECT_EQ(fixed->GetItemCount(), 2);
    fixed->SetItemText(1, WString(u"Second"));
    EXPECT_EQ(RowText(*fixed, 1), "Second");
}
