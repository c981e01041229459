// List box records: items from a string table (gaps, duplicates, hostile keys), sorting with the
// caret and check marks travelling, removal and insertion around the caret, search, range limits.
#include "ListsFixture.h"

#include "kx/ui/StringTable.h"

using namespace KX;

namespace {

class ListBoxItems : public ctltest::ListsTest {};

ConstRCPtr<LStringTable> Table(std::initializer_list<std::pair<const char16_t*, const char16_t*>> entries)
{
    LStringTable::Entries map;
    for (const auto& [key, text] : entries)
        map[WString(key)] = WString(text);
    return ConstRCPtr<LStringTable>(new LStringTable(map));
}

} // namespace

TEST_F(ListBoxItems, StringTableKeysFillGapsLaterKeysWinAndHostileKeysAreIgnored)
{
    RCPtr<LListBox> list = MakeList(u"listBox");
    ASSERT_TRUE(list);
    EXPECT_EQ(list->GetItemCount(), 15) << "the skin's table";
    EXPECT_EQ(ItemText(*list, 14), "Quince");

    ASSERT_EQ(list->FillFromStringTable(Table({{u"ITEM.00", u"zero"},
                                               {u"ITEM.02", u"two"},
                                               {u"ITEM.01", u"first one"},
                                               {u"ITEM.1", u"second one"},
                                               {u"ITEM.-1", u"negative"},
                                               {u"ITEM.99999999999", u"huge"},
                                               {u"ITEM.2147483647", u"largest"},
                                               {u"ITEM.70000", u"too far"},
                                               {u"OTHER.05", u"not an item"}})),
              S_OK);
    ASSERT_EQ(list->GetItemCount(), 3) << "keys naming a negative or absurd index allocate nothing";
    EXPECT_EQ(ItemText(*list, 0), "zero");
    EXPECT_EQ(ItemText(*list, 1), "second one") << "\"ITEM.1\" follows \"ITEM.01\" in key order and wins";
    EXPECT_EQ(ItemText(*list, 2), "two");

    ASSERT_EQ(list->FillFromStringTable(Table({{u"ITEM.00", u"a"}, {u"ITEM.02", u"c"}})), S_OK);
    ASSERT_EQ(list->GetItemCount(), 3);
    EXPECT_EQ(ItemText(*list, 1), "") << "a gap is an empty item";
    EXPECT_EQ(list->FillFromStringTable(ConstRCPtr<LStringTable>()), E_INVALIDARG);
    EXPECT_EQ(list->GetItemCount(), 3) << "a refused table loses nothing";
}

TEST_F(ListBoxItems, SortingIsCaseBlindAndTheCaretAndCheckMarksStayWithTheirItems)
{
    RCPtr<LCheckedListBox> list = MakeList<LCheckedListBox>(u"checkedList");
    ASSERT_TRUE(list);
    list->RemoveAllItems();
    list->InsertItem(0, WString(u"b"));
    list->InsertItem(1, WString(u"A"));
    list->InsertItem(2, WString(u"a"));
    list->SetItemChecked(0, true);
    ASSERT_EQ(list->SelectRange(0, -1, true), 0);

    list->SortItems();
    EXPECT_EQ(ItemText(*list, 2), "b");
    EXPECT_EQ(list->GetCaretIndex(), 2) << "the caret follows its item";
    EXPECT_TRUE(list->IsItemSelected(2));
    EXPECT_TRUE(list->IsItemChecked(2)) << "the check mark travels with the item";
    EXPECT_FALSE(list->IsItemChecked(0));
    EXPECT_EQ(list->GetCheckedCount(), 1);
    const std::string first = ItemText(*list, 0), second = ItemText(*list, 1);
    EXPECT_TRUE((first == "A" && second == "a") || (first == "a" && second == "A"));

    list->SetSorted(true);
    list->InsertItem(0, WString(u"B2"));
    EXPECT_EQ(ItemText(*list, 3), "B2") << "a sorted list sorts each insertion";
}

TEST_F(ListBoxItems, RemovalAndInsertionKeepTheCaretOnItsItem)
{
    RCPtr<LListBox> list = MakeList(u"shortList");
    ASSERT_TRUE(list);
    ASSERT_EQ(list->GetItemCount(), 3);
    list->SelectRange(2, -1, true);
    counter->Clear();

    list->InsertItem(0, WString(u"Zero"));
    EXPECT_EQ(list->GetCaretIndex(), 3);
    EXPECT_EQ(ItemText(*list, list->GetCaretIndex()), "Three");
    list->RemoveItemAt(0);
    EXPECT_EQ(list->GetCaretIndex(), 2);
    EXPECT_EQ(ItemText(*list, list->GetCaretIndex()), "Three");
    EXPECT_EQ(counter->Count(u"NID_SELECTION_CHANGE"), 0);

    EXPECT_EQ(list->RemoveItemAt(2), S_OK);
    EXPECT_EQ(list->GetCaretIndex(), -1) << "removing the only selected item";
    EXPECT_EQ(list->GetAnchorIndex(), -1);
    EXPECT_EQ(list->GetSelectedCount(), 0);
    EXPECT_EQ(counter->Count(u"NID_SELECTION_CHANGE"), 1);
    EXPECT_EQ(list->RemoveItemAt(2), E_INVALIDARG);
    EXPECT_EQ(list->InsertItem(5, WString(u"far")), E_INVALIDARG);
    EXPECT_EQ(list->GetItemCount(), 2);
}

TEST_F(ListBoxItems, SelectionRangesSearchAndDeselectionAtTheEdges)
{
    RCPtr<LListBox> list = MakeList(u"listBox");
    ASSERT_TRUE(list);
    const int32_t count = list->GetItemCount();
    EXPECT_EQ(list->SelectRange(count, -1, true), E_INVALIDARG);
    EXPECT_EQ(list->SelectRange(-3, -1, true), E_INVALIDARG);
    EXPECT_EQ(list->GetSelectedCount(), 0);
    EXPECT_EQ(counter->Count(u"NID_SELECTION_CHANGE"), 0);

    list->SetMultiSelection(true);
    EXPECT_EQ(list->SelectRange(count - 3, count + 50, true), count - 3) << "the range ends at the last item";
    EXPECT_EQ(list->GetSelectedCount(), 3);
    EXPECT_EQ(list->GetCaretIndex(), count - 1);
    EXPECT_EQ(list->GetSelectedIndices(), (std::vector<int32_t>{count - 3, count - 2, count - 1}));

    // Deselecting the caret or the anchor moves it to a selected neighbour.
    list->SelectRange(4, 6, true);
    EXPECT_EQ(list->DeselectItem(6), S_OK);
    EXPECT_EQ(list->GetCaretIndex(), 5);
    EXPECT_EQ(list->DeselectItem(4), S_OK);
    EXPECT_EQ(list->GetAnchorIndex(), 5);
    EXPECT_EQ(list->DeselectItem(count), S_FALSE);
    list->ClearSelection();
    EXPECT_EQ(list->GetCaretIndex(), -1);

    // Search wraps round from the start and ignores ASCII case when asked.
    EXPECT_EQ(list->FindItemByText(WString(u"apple"), -1, true), -1);
    EXPECT_EQ(list->FindItemByText(WString(u"apple"), -1, false), 0);
    EXPECT_EQ(list->FindItemByText(WString(u"Apple"), 5, true), 0) << "wraps round";
    EXPECT_EQ(list->FindItemByText(WString(u"Apple"), count + 7, true), 0) << "a wild start counts as -1";
}
