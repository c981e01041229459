// Choosing an item of a combo box by mouse and by keys: the list opens and closes on presses,
// keys and focus loss, and the combo box tells of the opening and of a changed choice.
#include "ComboTestSupport.h"

using namespace KX;

namespace {

class ComboChoose : public ctltest::ComboTest {};

// A combo box of the application's own, registered under a class name of its own.
class DerivedCombo : public LComboBox {
public:
    using LComboBox::LComboBox;
};

} // namespace

TEST_F(ComboChoose, BuiltFromTheSkinWithItemsAndInitialChoice)
{
    RCPtr<LComboBox> top = MakeCombo(u"comboTop");
    RCPtr<LComboBox> bottom = MakeCombo(u"comboBottom");
    ASSERT_TRUE(top && bottom);
    EXPECT_EQ(top->GetItemCount(), 5);
    EXPECT_EQ(top->GetSelectedIndex(), 0);
    EXPECT_EQ(top->GetText().ToNarrow(), NString("Off"));
    EXPECT_EQ(bottom->GetSelectedIndex(), 3) << "INITIAL_SELECTED_INDEX";
    EXPECT_EQ(bottom->GetText().ToNarrow(), NString("Channel 4"));
    EXPECT_TRUE(top->GetListBox()->IsDropDownMode());
    EXPECT_FALSE(top->IsDropDownShowing()) << "the list starts hidden";
    EXPECT_EQ(FindBuiltInControlCreator(WString(u"Framework.ComboTextBox")),
              FindBuiltInControlCreator(WString(u"Framework.ComboBox")));
}

TEST_F(ComboChoose, PressDragAndReleaseOverAnItemChoosesItInOneGesture)
{
    RCPtr<LComboBox> combo = MakeCombo(u"comboTop");
    ASSERT_TRUE(combo);
    const PointT<int32_t> at = CentreOf(*combo);
    Press(at.x, at.y);
    ASSERT_TRUE(combo->IsDropDownShowing());
    EXPECT_EQ(recorder->Count("NID_DROPDOWN_OPENING"), 1);
    EXPECT_EQ(combo->GetListBox()->GetCaretIndex(), 0) << "the list shows the current item";
    const PointT<double> handedOn = combo->GetListBox()->GetConditions()->GetPoint();
    EXPECT_DOUBLE_EQ(handedOn.x, at.x - combo->GetOriginInRootWindow().x) << "the press goes on where it hit";
    EXPECT_DOUBLE_EQ(handedOn.y, at.y - combo->GetOriginInRootWindow().y);

    const PointT<int32_t> row = RowCentre(*combo, 2);
    MoveTo(row.x, row.y - 3);
    MoveTo(row.x, row.y);
    EXPECT_EQ(combo->GetListBox()->GetCaretIndex(), 2) << "dragging over the rows follows the pointer";
    EXPECT_EQ(recorder->Count("NID_SELECTION_CHANGE"), 0) << "nothing is chosen before the release";
    Release(row.x, row.y);

    EXPECT_FALSE(combo->IsDropDownShowing());
    EXPECT_EQ(combo->GetSelectedIndex(), 2);
    EXPECT_EQ(combo->GetText().ToNarrow(), NString("Minor"));
    EXPECT_EQ(recorder->Count("NID_SELECTION_CHANGE"), 1);
    EXPECT_TRUE(HasFocus(*combo)) << "the focus comes back from the list";
}

TEST_F(ComboChoose, ReleaseOnTheComboKeepsTheListOpenForAClickOnAnItem)
{
    RCPtr<LComboBox> combo = MakeCombo(u"comboTop");
    ASSERT_TRUE(combo);
    ClickOn(*combo);
    ASSERT_TRUE(combo->IsDropDownShowing()) << "releasing over the combo box leaves the list open";
    EXPECT_TRUE(HasFocus(*combo->GetListBox()));
    EXPECT_EQ(combo->GetStateLookIndex(), 5) << "open, the pointer still over it";

    const PointT<int32_t> row = RowCentre(*combo, 4);
    Click(row.x, row.y);
    EXPECT_FALSE(combo->IsDropDownShowing());
    EXPECT_EQ(combo->GetText().ToNarrow(), NString("Lydian"));
    EXPECT_EQ(recorder->Count("NID_SELECTION_CHANGE"), 1);
}

TEST_F(ComboChoose, PressWhileOpenClosesWithoutReopeningOrChoosing)
{
    RCPtr<LComboBox> combo = MakeCombo(u"comboTop");
    ASSERT_TRUE(combo);
    ClickOn(*combo);
    ASSERT_TRUE(combo->IsDropDownShowing());
    ClickOn(*combo);
    EXPECT_FALSE(combo->IsDropDownShowing());
    EXPECT_EQ(recorder->Count("NID_DROPDOWN_OPENING"), 1);
    EXPECT_EQ(combo->GetSelectedIndex(), 0);
    ClickOn(*combo);
    EXPECT_TRUE(combo->IsDropDownShowing()) << "the next press opens it again";
}

TEST_F(ComboChoose, KeysOpenMoveChooseAndEscapeCancels)
{
    RCPtr<LComboBox> combo = MakeCombo(u"comboTop");
    ASSERT_TRUE(combo);
    ASSERT_GE(combo->SetFocus(true), 0);
    Key(SDLK_DOWN);
    ASSERT_TRUE(combo->IsDropDownShowing()) << "Down opens the closed list";
    EXPECT_EQ(combo->GetListBox()->GetCaretIndex(), 0) << "and does not move yet";
    Key(SDLK_DOWN);
    Key(SDLK_DOWN);
    EXPECT_EQ(recorder->Count("NID_SELECTION_CHANGE"), 0);
    Key(SDLK_RETURN);
    EXPECT_FALSE(combo->IsDropDownShowing());
    EXPECT_EQ(combo->GetSelectedIndex(), 2);
    EXPECT_EQ(recorder->Count("NID_SELECTION_CHANGE"), 1);
    EXPECT_TRUE(HasFocus(*combo));

    Key(SDLK_RETURN);
    ASSERT_TRUE(combo->IsDropDownShowing()) << "Enter opens it too";
    EXPECT_EQ(combo->GetListBox()->GetCaretIndex(), 2);
    Key(SDLK_UP);
    Key(SDLK_ESCAPE);
    EXPECT_FALSE(combo->IsDropDownShowing());
    EXPECT_EQ(combo->GetSelectedIndex(), 2) << "Escape chooses nothing";
    EXPECT_EQ(recorder->Count("NID_SELECTION_CHANGE"), 1);
    EXPECT_TRUE(HasFocus(*combo));
    Key(SDLK_ESCAPE);
    EXPECT_FALSE(combo->IsDropDownShowing()) << "Escape on the closed combo box does nothing";
}

TEST_F(ComboChoose, FocusLossClosesTheList)
{
    RCPtr<LComboBox> first = MakeCombo(u"comboTop");
    RCPtr<LComboBox> second = MakeCombo(u"comboLong");
    ASSERT_TRUE(first && second);
    ClickOn(*first);
    ASSERT_TRUE(first->IsDropDownShowing());
    ClickOn(*second);
    EXPECT_FALSE(first->IsDropDownShowing()) << "a press on another control";
    EXPECT_TRUE(second->IsDropDownShowing());
    EXPECT_TRUE(HasFocus(*second->GetListBox()));

    Key(SDLK_TAB);
    EXPECT_FALSE(second->IsDropDownShowing()) << "Tab out of the open list";
    EXPECT_FALSE(second->GetConditionFlags() & (Condition::kHasFocus | Condition::kContainsFocus));
    EXPECT_EQ(first->GetSelectedIndex(), 0);
    EXPECT_EQ(second->GetSelectedIndex(), 0);
}

TEST_F(ComboChoose, LooksFollowFocusHoverOpenAndEnabling)
{
    RCPtr<LComboBox> other = MakeCombo(u"comboLong"); // the first one made under the page takes the focus
    RCPtr<LComboBox> combo = MakeCombo(u"comboTop");
    ASSERT_TRUE(other && combo);
    EXPECT_EQ(combo->GetStateLookIndex(), 0);
    const PointT<int32_t> at = CentreOf(*combo);
    MoveTo(at.x, at.y);
    EXPECT_EQ(combo->GetStateLookIndex(), 2) << "hover";
    combo->SetFocus(true);
    EXPECT_EQ(combo->GetStateLookIndex(), 2) << "no focus look before a key";
    Key(SDLK_ESCAPE);
    EXPECT_EQ(combo->GetStateLookIndex(), 3) << "hover and focus";
    EXPECT_EQ(combo->GetFirstVisibleLook(), 3);
    Screenshot("closed_focused");
    Key(SDLK_DOWN);
    EXPECT_EQ(combo->GetStateLookIndex(), 5) << "open with hover";
    EXPECT_EQ(combo->GetFirstVisibleLook(), 5);
    Screenshot("open");
    Key(SDLK_ESCAPE);
    MoveTo(at.x, 200);
    combo->SetEnabled(false);
    EXPECT_EQ(combo->GetStateLookIndex(), 6);
    EXPECT_EQ(combo->GetFirstVisibleLook(), 6);
    Screenshot("disabled");
}

TEST_F(ComboChoose, LongListScrollsByWheelBarAndKeysWhileStayingOpen)
{
    RCPtr<LComboBox> combo = MakeCombo(u"comboLong");
    ASSERT_TRUE(combo);
    const RCPtr<LListBox> list = combo->GetListBox();
    ClickOn(*combo);
    ASSERT_TRUE(combo->IsDropDownShowing());
    ASSERT_TRUE(list->GetVerticalBar());

    const PointT<int32_t> row = RowCentre(*combo, 3);
    Wheel(row.x, row.y, -1.0f);
    EXPECT_GT(list->GetFirstShownItem(), 0) << "the wheel scrolls the open list";
    const int32_t shown = list->GetFirstShownItem();
    ClickOn(*list->GetVerticalBar()->FindChild(WString(u"inc")));
    EXPECT_TRUE(combo->IsDropDownShowing()) << "a press on the list's own bar is no choice";
    EXPECT_EQ(list->GetFirstShownItem(), shown + 1);
    EXPECT_EQ(combo->GetSelectedIndex(), 0);
    EXPECT_EQ(recorder->Count("NID_SELECTION_CHANGE"), 0);

    const int32_t from = list->GetCaretIndex(); // the row under the pointer took the hover selection
    ASSERT_GE(from, 0);
    for (int i = 0; i < 20; ++i)
        Key(SDLK_DOWN);
    EXPECT_EQ(list->GetCaretIndex(), from + 20);
    EXPECT_GE(list->GetRowOfItem(from + 20), 0) << "the caret item is scrolled into view";
    Key(SDLK_RETURN);
    EXPECT_EQ(combo->GetSelectedIndex(), from + 20);
    EXPECT_EQ(std::string(combo->GetText().ToNarrow().GetString()), "Preset " + std::to_string(from + 21));
    EXPECT_FALSE(combo->IsDropDownShowing());
}

TEST_F(ComboChoose, AClickOnAComboWhoseListOpensUpwardsLeavesTheListOpenAndTheItemAlone)
{
    // The press and release land below an upward list, where its spare row lies out of sight.
    RCPtr<LComboBox> combo = MakeCombo(u"comboBottom");
    ASSERT_TRUE(combo);
    ClickOn(*combo);
    ASSERT_TRUE(combo->IsDropDownShowing());
    EXPECT_EQ(combo->GetSelectedIndex(), 3);
    EXPECT_EQ(recorder->Count("NID_ITEM_ACTIVATED"), 0);
    const PointT<int32_t> at = CentreOf(*combo);
    EXPECT_EQ(
        combo->GetListBox()->GetItemAtPoint(PointT<double>{at.x - combo->GetListBox()->GetOriginInRootWindow().x,
                                                           at.y - combo->GetListBox()->GetOriginInRootWindow().y}),
        -1)
        << "no item lies outside the list";
}

TEST_F(ComboChoose, ADerivedComboUnderItsOwnClassNameOwnsItsListLikeAnyCombo)
{
    factory->RegisterControlClass(WString(u"Test.DerivedCombo"), &CreateControlOfClass<DerivedCombo>);
    RCPtr<LComboBox> combo = MakeCombo(u"comboDerived");
    ASSERT_TRUE(combo);
    combo->AddItem(WString(u"One"));
    combo->AddItem(WString(u"Two"));
    ClickOn(*combo);
    ASSERT_TRUE(combo->IsDropDownShowing()) << "released over its owner, the list stays open";
    ClickOn(*combo);
    ASSERT_FALSE(combo->IsDropDownShowing());

    // Pressed on the combo, released away from it and from the list: the list closes unchosen.
    const int32_t chosen = combo->GetSelectedIndex();
    const PointT<int32_t> at = CentreOf(*combo);
    Press(at.x, at.y);
    ASSERT_TRUE(combo->IsDropDownShowing());
    MoveTo(400, 60);
    Release(400, 60);
    EXPECT_FALSE(combo->IsDropDownShowing());
    EXPECT_EQ(combo->GetSelectedIndex(), chosen);
    EXPECT_EQ(recorder->Count("NID_SELECTION_CHANGE"), 0);
}
