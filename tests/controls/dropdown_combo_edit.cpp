// An editable combo box: its "textBox" child shows the chosen item, a validated text chooses the
// item with that text (or becomes a new one), the text box's notifications are passed on, and the
// text box taking the focus closes the list.
#include "ComboTestSupport.h"

using namespace KX;

namespace {

class ComboEdit : public ctltest::ComboTest {
protected:
    void SetUp() override
    {
        ctltest::ComboTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        combo = MakeCombo(u"comboEdit");
        ASSERT_TRUE(combo);
        edit = RCPtr<ctltest::FakeEdit>::DynamicCast(ConstRCPtr<LControl>(combo->GetTextBox()));
        ASSERT_TRUE(edit);
        recorder->Listen(combo.Get(),
                         {u"NID_TEXTBOX_VALIDATING", u"NID_TEXTBOX_TEXT_CHANGE", u"NID_TEXTBOX_VALIDATED"});
    }
    void TearDown() override
    {
        combo = nullptr;
        edit = nullptr;
        ctltest::ComboTest::TearDown();
    }
    void Validate(const char16_t* text)
    {
        edit->SetText(WString(text));
        edit->Send(u"NID_TEXTBOX_VALIDATED");
    }

    RCPtr<LComboBox> combo;
    RCPtr<ctltest::FakeEdit> edit;
};

} // namespace

TEST_F(ComboEdit, ChoosingAnItemWritesTheTextBox)
{
    EXPECT_EQ(combo->SetSelectedIndex(2), 2);
    EXPECT_EQ(edit->GetText().ToNarrow(), NString("Minor"));
}

TEST_F(ComboEdit, ValidatedTextChoosesTheMatchingItemOrNone)
{
    Validate(u"dorian");
    EXPECT_EQ(combo->GetSelectedIndex(), 3) << "matched without case";
    EXPECT_EQ(recorder->Count("NID_TEXTBOX_VALIDATED"), 1) << "passed on";
    EXPECT_EQ(recorder->Count("NID_SELECTION_CHANGE"), 1);

    Validate(u"Aeolian");
    EXPECT_EQ(combo->GetSelectedIndex(), -1);
    EXPECT_EQ(combo->GetItemCount(), 5) << "typed texts are not added unless asked";

    combo->SetAddTypedText(true);
    Validate(u"");
    EXPECT_EQ(combo->GetItemCount(), 5) << "an empty text is never added";
    Validate(u"Aeolian");
    EXPECT_EQ(combo->GetItemCount(), 6);
    EXPECT_EQ(combo->GetSelectedIndex(), 5);
    EXPECT_EQ(combo->GetItemText(5).ToNarrow(), NString("Aeolian"));

    edit->Send(u"NID_TEXTBOX_VALIDATING");
    edit->Send(u"NID_TEXTBOX_TEXT_CHANGE");
    EXPECT_EQ(recorder->Count("NID_TEXTBOX_VALIDATING"), 1);
    EXPECT_EQ(recorder->Count("NID_TEXTBOX_TEXT_CHANGE"), 1);
}

TEST_F(ComboEdit, TextBoxTakingTheFocusClosesTheList)
{
    combo->ShowDropDown(true);
    ASSERT_TRUE(combo->IsDropDownShowing());
    ASSERT_GE(edit->SetFocus(true), 0);
    EXPECT_FALSE(combo->IsDropDownShowing());
    EXPECT_TRUE(HasFocus(*edit));
}
