// List box input through the window: clicks with Ctrl and Shift, double-clicks, the arrow keys and
// Enter, and the drop-down mode where hovering selects and a release activates.
#include "ListsFixture.h"

using namespace KX;

namespace {

class ListBoxInput : public ctltest::ListsTest {};

} // namespace

TEST_F(ListBoxInput, ClicksSelectOneRowAndReselectingSendsNothing)
{
    RCPtr<LListBox> list = MakeList(u"listBox");
    ASSERT_TRUE(list);
    const PointT<int32_t> third = RowCentre(*list, 2);
    Click(third.x, third.y);
    EXPECT_TRUE(list->IsItemSelected(2));
    EXPECT_EQ(list->GetSelectedCount(), 1);
    EXPECT_EQ(counter->Count(u"NID_SELECTION_CHANGE"), 1);
    EXPECT_EQ(list->GetRowAt(2)->GetStateLookIndex(), RowLook::kSelected + RowLook::kHover) << "selected, hovered";
    EXPECT_EQ(list->GetConditionFlags() & Condition::kHasFocus, Condition::kHasFocus)
        << "a click on a row focuses the list";

    Click(third.x, third.y);
    EXPECT_EQ(counter->Count(u"NID_SELECTION_CHANGE"), 1) << "the selected item clicked again";
    const PointT<int32_t> first = RowCentre(*list, 0);
    Click(first.x, first.y);
    EXPECT_FALSE(list->IsItemSelected(2));
    EXPECT_TRUE(list->IsItemSelected(0));
    EXPECT_EQ(counter->Count(u"NID_SELECTION_CHANGE"), 2);

    DoubleClick(first.x, first.y);
    EXPECT_EQ(counter->Count(u"NID_ITEM_DOUBLE_CLICKED"), 1);
    Screenshot("selected");
}

TEST_F(ListBoxInput, ShiftAndCtrlClicksBuildAMultipleSelection)
{
    RCPtr<LListBox> list = MakeList(u"listBox");
    ASSERT_TRUE(list);
    list->SetMultiSelection(true);
    const PointT<int32_t> one = RowCentre(*list, 1), four = RowCentre(*list, 4), six = RowCentre(*list, 6);
    Click(one.x, one.y);
    Click(four.x, four.y, SDL_BUTTON_LEFT, KMOD_LSHIFT);
    EXPECT_EQ(list->GetSelectedIndices(), (std::vector<int32_t>{1, 2, 3, 4}));
    EXPECT_EQ(list->GetAnchorIndex(), 1);
    EXPECT_EQ(list->GetCaretIndex(), 4);

    Click(six.x, six.y, SDL_BUTTON_LEFT, KMOD_LCTRL);
    EXPECT_TRUE(list->IsItemSelected(6)) << "Ctrl adds";
    Click(four.x, four.y, SDL_BUTTON_LEFT, KMOD_LCTRL);
    EXPECT_FALSE(list->IsItemSelected(4)) << "Ctrl on a selected row removes it";
    EXPECT_EQ(list->GetSelectedCount(), 4);

    Click(one.x, one.y);
    EXPECT_EQ(list->GetSelectedIndices(), (std::vector<int32_t>{1})) << "a plain click replaces";
}

TEST_F(ListBoxInput, ArrowKeysMoveTheCaretAndEnterActivates)
{
    RCPtr<LListBox> list = MakeList(u"shortList");
    ASSERT_TRUE(list);
    root->SetFocusControl(RCPtr<LControl>(list.Get()));
    Key(SDLK_DOWN);
    EXPECT_EQ(list->GetCaretIndex(), 0) << "from no caret, Down takes the first item";
    Key(SDLK_DOWN);
    Key(SDLK_DOWN);
    EXPECT_EQ(list->GetCaretIndex(), 2);
    EXPECT_EQ(counter->Count(u"NID_SELECTION_CHANGE"), 3);
    Key(SDLK_DOWN);
    EXPECT_EQ(list->GetCaretIndex(), 2) << "Down on the last item changes nothing";
    EXPECT_EQ(counter->Count(u"NID_SELECTION_CHANGE"), 3);
    Key(SDLK_UP, KMOD_LSHIFT);
    EXPECT_EQ(list->GetSelectedIndices(), (std::vector<int32_t>{1})) << "without multi-selection Shift is plain";

    Key(SDLK_RETURN);
    EXPECT_EQ(counter->Count(u"NID_ITEM_ACTIVATED"), 1);
    EXPECT_TRUE(list->IsShowing(true)) << "outside drop-down mode activation keeps the list";
}

TEST_F(ListBoxInput, DropDownModeSelectsOnHoverSilentlyAndHidesOnRelease)
{
    RCPtr<LListBox> list = MakeList(u"listBox");
    ASSERT_TRUE(list);
    list->SetDropDownMode(true);
    const PointT<int32_t> two = RowCentre(*list, 2), five = RowCentre(*list, 5);
    MoveTo(two.x, two.y);
    EXPECT_TRUE(list->IsItemSelected(2)) << "hovering selects";
    EXPECT_EQ(counter->Count(u"NID_ITEM_HOVER_CONDITION_CHANGE"), 1);

    // A press that starts on a row drags the list: the selection follows the pointer.
    Press(two.x, two.y);
    MoveTo(five.x, five.y);
    EXPECT_TRUE(list->IsItemSelected(5));
    EXPECT_EQ(list->GetSelectedCount(), 1);
    Release(five.x, five.y);
    EXPECT_EQ(counter->Count(u"NID_SELECTION_CHANGE"), 0) << "never in drop-down mode";
    EXPECT_EQ(counter->Count(u"NID_ITEM_ACTIVATED"), 1);
    EXPECT_EQ(list->GetCaretIndex(), 5);
    EXPECT_FALSE(list->IsShowing(false)) << "activation hides a drop-down list";
}

TEST_F(ListBoxInput, TheCaretOnASelectedRowIsMarkedWhileTheListHasTheFocus)
{
    RCPtr<LListBox> list = MakeList(u"shortList");
    RCPtr<LListBox> other = MakeList(u"listBox");
    ASSERT_TRUE(list && other);
    root->SetFocusControl(RCPtr<LControl>(list.Get()));
    Key(SDLK_DOWN);
    Key(SDLK_DOWN);
    ASSERT_EQ(list->GetCaretIndex(), 1);
    ASSERT_TRUE(list->IsItemSelected(1));
    RunIdle();
    const auto edgeAndFace = [&](int32_t item) {
        const RCPtr<LListBoxItem> row = list->GetRowAt(list->GetRowOfItem(item));
        const int32_t x = static_cast<int32_t>(row->GetOriginInRootWindow().x);
        const int32_t y = RowCentre(*list, item).y;
        return std::make_pair(Pixel(x + 1, y), Pixel(x + 6, y));
    };
    const auto [edge, face] = edgeAndFace(1);
    EXPECT_NE(edge, face) << "the caret's row shows no mark";

    // The mark follows the caret and leaves with the focus, by the normal repaint.
    Key(SDLK_UP);
    RunIdle();
    EXPECT_EQ(edgeAndFace(1).first, edgeAndFace(1).second) << "the old row keeps the mark";
    EXPECT_NE(edgeAndFace(0).first, edgeAndFace(0).second);
    other->SetFocus(true);
    RunIdle();
    EXPECT_EQ(edgeAndFace(0).first, edgeAndFace(0).second) << "the mark stays without the focus";
}
