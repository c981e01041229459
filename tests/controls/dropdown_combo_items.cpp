// Where a combo box's list opens and how tall it is, and the combo box's item operations: the
// current item against texts, counts, insertions and out-of-range choices.
#include "ComboTestSupport.h"

#include "kx/Wrappers.h"

using namespace KX;

namespace {

class ComboItems : public ctltest::ComboTest {
protected:
    // The list's top and bottom in window coordinates.
    static double ListTop(LComboBox& combo) { return combo.GetListBox()->GetOriginInRootWindow().y; }
    static double ListBottom(LComboBox& combo) { return ListTop(combo) + combo.GetListBox()->GetSize().y; }
    static double ComboTop(LComboBox& combo) { return combo.GetOriginInRootWindow().y; }
    static double ComboBottom(LComboBox& combo) { return ComboTop(combo) + combo.GetSize().y; }
    // Height of the list's frame: the control less its client area.
    static double Frame(LComboBox& combo)
    {
        return combo.GetListBox()->GetSize().y - combo.GetListBox()->GetClientRect().height;
    }
};

} // namespace

TEST_F(ComboItems, ShortListOpensDownAtItsOwnHeight)
{
    RCPtr<LComboBox> combo = MakeCombo(u"comboTop");
    ASSERT_TRUE(combo);
    ASSERT_EQ(combo->ShowDropDown(true), S_OK);
    ASSERT_TRUE(combo->IsDropDownShowing());
    EXPECT_DOUBLE_EQ(ListTop(*combo), ComboBottom(*combo));
    const double rows = 5.0 * combo->GetListBox()->GetRowHeight();
    EXPECT_GE(combo->GetListBox()->GetSize().y, rows) << "every row shows";
    EXPECT_LE(combo->GetListBox()->GetSize().y, rows + Frame(*combo));
    EXPECT_DOUBLE_EQ(combo->GetListBox()->GetSize().x, combo->GetSize().x) << "the combo box's width";
    Screenshot("short_list");

    RCPtr<LComboBox> middle = MakeCombo(u"comboEdit");
    ASSERT_TRUE(middle);
    ASSERT_GT(ComboTop(*middle), kH - ComboBottom(*middle)) << "more room above";
    middle->ShowDropDown(true);
    EXPECT_DOUBLE_EQ(ListTop(*middle), ComboBottom(*middle)) << "yet its rows fit below, so down";
}

TEST_F(ComboItems, LongListWithMoreRoomBelowFillsItInWholeRows)
{
    RCPtr<LComboBox> combo = MakeCombo(u"comboLong");
    ASSERT_TRUE(combo);
    combo->ShowDropDown(true);
    ASSERT_TRUE(combo->IsDropDownShowing());
    EXPECT_DOUBLE_EQ(ListTop(*combo), ComboBottom(*combo)) << "down";
    const double room = kH - ComboBottom(*combo) - 5.0;
    EXPECT_LE(ListBottom(*combo), ComboBottom(*combo) + room) << "within the room below, 5 pixels off the edge";
    const double rowHeight = combo->GetListBox()->GetRowHeight();
    EXPECT_GT(ListBottom(*combo), ComboBottom(*combo) + room - rowHeight) << "no whole row of room left over";
    const double client = combo->GetListBox()->GetSize().y - Frame(*combo);
    EXPECT_DOUBLE_EQ(client, rowHeight * std::floor(client / rowHeight)) << "snapped to whole rows";
    Screenshot("long_list_down");
}

TEST_F(ComboItems, LongListWithMoreRoomAboveOpensUpwards)
{
    RCPtr<LComboBox> combo = MakeCombo(u"comboBottom");
    ASSERT_TRUE(combo);
    combo->ShowDropDown(true);
    ASSERT_TRUE(combo->IsDropDownShowing());
    EXPECT_DOUBLE_EQ(ListBottom(*combo), ComboTop(*combo)) << "its bottom at the combo box's top";
    EXPECT_GE(ListTop(*combo), 5.0);
    EXPECT_EQ(combo->GetListBox()->GetCaretIndex(), 3);
    EXPECT_GE(combo->GetListBox()->GetRowOfItem(3), 0) << "the current item is scrolled into view";
    Screenshot("list_up");

    combo->ShowDropDown(false);
    combo->ShowDropDown(true);
    EXPECT_DOUBLE_EQ(ListBottom(*combo), ComboTop(*combo)) << "the same on the next opening";
}

TEST_F(ComboItems, AClosedListMakesItsRowsWhenFirstOpenedAndTheyShowTheItems)
{
    RCPtr<LComboBox> combo = MakeCombo(u"comboBottom");
    ASSERT_TRUE(combo);
    const RCPtr<LListBox> list(combo->GetListBox());
    EXPECT_EQ(list->GetRowCount(), 0) << "a closed list costs no row controls";
    combo->ShowDropDown(true);
    ASSERT_GT(list->GetRowCount(), 0);
    const RCPtr<LListBoxItem> last = list->GetRowAt(list->GetRowCount() - 1);
    ASSERT_TRUE(last);
    const RectT<double> client = list->GetClientRect();
    EXPECT_GE(last->GetPosition().y + last->GetSize().y, client.y + client.height + list->GetScrollOffset().y)
        << "rows down to the list's bottom";
    for (int32_t r = 0; r < list->GetRowCount(); ++r) {
        const int32_t item = list->GetFirstShownItem() + r;
        if (item < list->GetItemCount()) {
            EXPECT_EQ(list->GetRowAt(r)->GetText(), list->GetItemText(item)) << "row " << r;
        }
    }
}

TEST_F(ComboItems, SkinMaximumCapsTheList)
{
    RCPtr<LComboBox> combo = MakeCombo(u"comboCapped");
    ASSERT_TRUE(combo);
    combo->ShowDropDown(true);
    ASSERT_TRUE(combo->IsDropDownShowing());
    EXPECT_DOUBLE_EQ(ListTop(*combo), ComboBottom(*combo));
    EXPECT_LE(combo->GetListBox()->GetSize().y, 72.0) << "the skin's maximum height";
    combo->ShowDropDown(false);
    combo->ShowDropDown(true);
    EXPECT_DOUBLE_EQ(ListTop(*combo), ComboBottom(*combo)) << "with a maximum in force the room below still serves";
    EXPECT_LE(combo->GetListBox()->GetSize().y, 72.0);
}

TEST_F(ComboItems, OpeningSelectsTheFirstItemShowingTheLabelElseItemZero)
{
    RCPtr<LComboBox> combo = MakeCombo(u"comboTop");
    ASSERT_TRUE(combo);
    ASSERT_EQ(combo->AddItem(WString(u"Major")), 5);
    EXPECT_EQ(combo->SetText(WString(u"Major")), S_OK);
    EXPECT_EQ(combo->GetSelectedIndex(), 5) << "the last item with the text becomes current";
    EXPECT_EQ(combo->SetText(WString(u"Major")), S_FALSE) << "the same text again";
    combo->ShowDropDown(true);
    EXPECT_EQ(combo->GetListBox()->GetCaretIndex(), 1) << "the list shows the first one";
    combo->ShowDropDown(false);

    EXPECT_EQ(combo->SetText(WString(u"MINOR")), S_OK);
    EXPECT_EQ(combo->GetSelectedIndex(), 2) << "texts match without case";
    EXPECT_EQ(combo->SetText(WString(u"nothing like it")), S_OK);
    EXPECT_EQ(combo->GetSelectedIndex(), -1);
    EXPECT_EQ(combo->GetText().ToNarrow(), NString("nothing like it")) << "the label keeps the text";
    combo->ShowDropDown(true);
    EXPECT_EQ(combo->GetListBox()->GetCaretIndex(), 0);
    EXPECT_EQ(combo->GetListBox()->GetFirstShownItem(), 0);
}

TEST_F(ComboItems, CountsInsertionsAndOutOfRangeChoicesKeepTheCurrentIndexHonest)
{
    RCPtr<LComboBox> combo = MakeCombo(u"comboBottom");
    ASSERT_TRUE(combo);
    ASSERT_EQ(combo->GetSelectedIndex(), 3);

    EXPECT_EQ(combo->InsertItem(0, ConstRCPtr<LRefCountedObject>(TaggableFromString(WString(u"All")).Get())), 0);
    EXPECT_EQ(combo->GetSelectedIndex(), 4) << "an insertion before the current item moves it";
    EXPECT_EQ(combo->GetText().ToNarrow(), NString("Channel 4"));
    EXPECT_EQ(combo->InsertItem(1, ConstRCPtr<LRefCountedObject>()), E_INVALIDARG);

    const size_t before = recorder->names.size();
    EXPECT_EQ(combo->SetSelectedIndex(500), -1) << "past the end";
    EXPECT_EQ(combo->GetListBox()->GetSelectedCount(), 0) << "the list shows no stale choice";
    EXPECT_EQ(recorder->Count("NID_SELECTION_CHANGE"), 1) << "the current index changed, so it is told";
    EXPECT_EQ(recorder->names.size(), before + 1);

    EXPECT_EQ(combo->SetSelectedIndex(10), 10);
    EXPECT_EQ(combo->SetSelectedIndex(10), 10);
    EXPECT_EQ(recorder->Count("NID_SELECTION_CHANGE"), 2) << "choosing the current item again tells nothing";
    combo->SetItemCount(4);
    EXPECT_EQ(combo->GetItemCount(), 4);
    EXPECT_EQ(combo->GetSelectedIndex(), -1) << "the current item went with the count";
    EXPECT_EQ(recorder->Count("NID_SELECTION_CHANGE"), 3);

    // An item with the label's text becomes current when none is.
    combo->SetSelectedIndex(-1);
    combo->SetText(WString(u"Later"));
    EXPECT_EQ(combo->AddItem(WString(u"Later")), 4);
    EXPECT_EQ(combo->GetSelectedIndex(), 4);
}

TEST_F(ComboItems, ASkinWithoutAListGivesFailuresNotCrashes)
{
    RCPtr<LComboBox> combo = MakeCombo(u"comboNoList"); // its child is a label, named in other letter case
    ASSERT_TRUE(combo);
    EXPECT_FALSE(combo->GetListBox());
    ClickOn(*combo);
    Key(SDLK_DOWN);
    EXPECT_FALSE(combo->IsDropDownShowing());
    EXPECT_FALSE(combo->IsDropDownShown());
    EXPECT_EQ(combo->ShowDropDown(true), E_FAIL);
    EXPECT_EQ(combo->SetItemCount(3), E_FAIL);
    EXPECT_EQ(combo->AddItem(WString(u"x")), E_FAIL);
    EXPECT_EQ(combo->SetSelectedIndex(0), -1);
    EXPECT_EQ(combo->SetText(WString(u"typed")), S_OK);
    EXPECT_EQ(combo->GetSelectedIndex(), -1);
    EXPECT_TRUE(combo->GetItemText(0).IsEmpty());
}
