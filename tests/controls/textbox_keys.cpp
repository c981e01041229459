// Text boxes edited through keys typed into the offscreen window: caret moves, Shift selections,
// word jumps, deletions, the character filter, the maximum length and validation on Enter.
#include "TextFixture.h"

#include "kx/NotificationId.h"
#include "kx/ui/KeyCode.h"
#include "kx/ui/ParamRecords.h"

using namespace KX;
using texttest::TextLog;

namespace {

class TextBoxKeys : public texttest::TextTest {
protected:
    // The key handler's answer for a key press: 0 used, 1 travels on.
    static KXRESULT Answer(LTextBox& box, uint8_t virtualKey, uint32_t modifiers = 0)
    {
        return box.FilterKey(LKeyParam::Create(KeyCode(virtualKey, true, 0, modifiers), true));
    }
};

} // namespace

TEST_F(TextBoxKeys, TypingInsertsAtTheCaretAndTheArrowsHomeAndEndMoveIt)
{
    RCPtr<LTextBox> box = FocusedBox(u"plainBox");
    ASSERT_TRUE(box);
    ASSERT_TRUE(box->GetConditionFlags() & Condition::kHasFocus);
    RCPtr<TextLog> log = Listen(RCPtr<LControl>(box), {u"NID_TEXTBOX_TEXT_CHANGE"});
    Type("acd");
    EXPECT_EQ(Text(*box), "acd");
    EXPECT_EQ(log->lines.size(), 3u) << "one change per character";
    Key(SDLK_LEFT);
    Key(SDLK_LEFT);
    Type("b");
    EXPECT_EQ(Text(*box), "abcd");
    EXPECT_EQ(box->GetCaretPosition(), 2);
    Key(SDLK_HOME);
    Type(">");
    Key(SDLK_END);
    Type("<");
    EXPECT_EQ(Text(*box), ">abcd<");
    // Past either end the caret stays.
    Key(SDLK_RIGHT);
    EXPECT_EQ(box->GetCaretPosition(), 6);
    Key(SDLK_HOME);
    Key(SDLK_LEFT);
    EXPECT_EQ(box->GetCaretPosition(), 0);
    // A tab character and control characters are not typed.
    Type("\t");
    EXPECT_EQ(Text(*box), ">abcd<");
}

TEST_F(TextBoxKeys, BackspaceDeleteAndTheirModifiedFormsRemoveTheRightCharacters)
{
    RCPtr<LTextBox> box = FocusedBox(u"plainBox", "abcdef");
    ASSERT_TRUE(box);
    ASSERT_EQ(box->GetCaretPosition(), 6);
    Key(SDLK_BACKSPACE);
    EXPECT_EQ(Text(*box), "abcde");
    Key(SDLK_HOME);
    Key(SDLK_BACKSPACE); // nothing before the caret
    Key(SDLK_DELETE);
    EXPECT_EQ(Text(*box), "bcde");
    Key(SDLK_RIGHT);
    Key(SDLK_DELETE, KMOD_LSHIFT); // Shift+Delete deletes backwards
    EXPECT_EQ(Text(*box), "cde");
    EXPECT_EQ(box->GetCaretPosition(), 0);
    Key(SDLK_RIGHT);
    Key(SDLK_DELETE, KMOD_LCTRL); // to the end
    EXPECT_EQ(Text(*box), "c");
    Key(SDLK_END);
    Key(SDLK_DELETE); // nothing at the end
    EXPECT_EQ(Text(*box), "c");
}

TEST_F(TextBoxKeys, ShiftArrowsGrowAndShrinkTheSelectionFromItsAnchor)
{
    RCPtr<LTextBox> box = FocusedBox(u"plainBox", "abcdefg");
    ASSERT_TRUE(box);
    Key(SDLK_LEFT);
    Key(SDLK_LEFT);
    ASSERT_EQ(box->GetCaretPosition(), 5);
    Key(SDLK_LEFT, KMOD_LSHIFT);
    Key(SDLK_LEFT, KMOD_LSHIFT);
    EXPECT_EQ(Sel(*box), "3+2@3") << "characters 3 and 4, caret at 3";
    Key(SDLK_RIGHT, KMOD_LSHIFT);
    EXPECT_EQ(Sel(*box), "4+1@4") << "shrinks from the caret's side";
    // Left with a selection drops it and still moves one place from the caret.
    Key(SDLK_LEFT);
    EXPECT_EQ(Sel(*box), "0+0@3");
    // Shift+End and Shift+Home select from the anchor.
    Key(SDLK_END, KMOD_LSHIFT);
    EXPECT_EQ(Sel(*box), "3+4@7");
    EXPECT_EQ(box->GetSelectionAnchor(), 3);
    Key(SDLK_HOME, KMOD_LSHIFT);
    EXPECT_EQ(Sel(*box), "0+3@0");
    // Shift+Left at 0 and Shift+Right at the end change nothing.
    Key(SDLK_LEFT, KMOD_LSHIFT);
    EXPECT_EQ(Sel(*box), "0+3@0");
    Key(SDLK_END);
    Key(SDLK_RIGHT, KMOD_LSHIFT);
    EXPECT_EQ(Sel(*box), "0+0@7");
}

TEST_F(TextBoxKeys, TypingReplacesTheSelectionUntilTheMaximumLength)
{
    RCPtr<LTextBox> box = FocusedBox(u"plainBox", "hello");
    ASSERT_TRUE(box);
    Key(SDLK_LEFT, KMOD_LSHIFT);
    Key(SDLK_LEFT, KMOD_LSHIFT);
    Type("p");
    EXPECT_EQ(Text(*box), "help");
    EXPECT_EQ(Sel(*box), "0+0@4");
    box->SetMaxLength(4);
    Type("s");
    EXPECT_EQ(Text(*box), "help") << "full: the character is dropped";
    // Full, a selected character is replaced within the limit.
    Key(SDLK_LEFT, KMOD_LSHIFT);
    Type("m");
    EXPECT_EQ(Text(*box), "helm");
    // A text set longer than the limit: no room for the character, so text and selection stay.
    box->SetText(WString(u"helmet"), false);
    Key(SDLK_END);
    Key(SDLK_LEFT, KMOD_LSHIFT);
    Type("x");
    EXPECT_EQ(Text(*box), "helmet");
    EXPECT_EQ(Sel(*box), "5+1@5");
}

TEST_F(TextBoxKeys, SetMaxLengthCutsALongerTextAndZeroLiftsTheLimit)
{
    RCPtr<LTextBox> box = CreateAs<LTextBox>(u"plainBox");
    ASSERT_TRUE(box);
    box->SetText(WString(u"1234"));
    box->SetMaxLength(2);
    EXPECT_EQ(Text(*box), "12");
    EXPECT_EQ(box->GetCaretPosition(), 2);
    box->SetMaxLength(0);
    EXPECT_EQ(Text(*box), "12");
    box->SetMaxLength(-5);
    EXPECT_EQ(box->SetText(WString(u"123456")), S_OK);
    EXPECT_EQ(box->GetCaretPosition(), 0) << "SetText resets the caret";
    EXPECT_EQ(box->SetText(WString(u"123456")), S_FALSE) << "the same text changes nothing";
}

TEST_F(TextBoxKeys, TheFilterSwallowsRefusedCharactersAndLetsTheOthersIn)
{
    RCPtr<LTextBox> box = FocusedBox(u"plainBox");
    ASSERT_TRUE(box);
    box->characterFilter = WString(u"0123456789");
    Type("1a2-3 ");
    EXPECT_EQ(Text(*box), "123");
    EXPECT_EQ(box->FilterKey(LKeyParam::Create(KeyCode::FromCharacter(u'q', 0), true)), S_OK)
        << "a refused character is still used";
    box->filterIsAllowList = false;
    box->characterFilter = WString(u"xy");
    Type("axyb");
    EXPECT_EQ(Text(*box), "123ab");
}

TEST_F(TextBoxKeys, CtrlArrowsJumpBetweenWordStartsOverRunsOfBlanks)
{
    RCPtr<LTextBox> box = FocusedBox(u"plainBox", "ab  cd");
    ASSERT_TRUE(box);
    Key(SDLK_HOME);
    Key(SDLK_RIGHT, KMOD_LCTRL);
    EXPECT_EQ(box->GetCaretPosition(), 4);
    Key(SDLK_RIGHT, KMOD_LCTRL);
    EXPECT_EQ(box->GetCaretPosition(), 6);
    Key(SDLK_LEFT, KMOD_LCTRL);
    EXPECT_EQ(box->GetCaretPosition(), 4);
    Key(SDLK_LEFT, KMOD_LCTRL);
    EXPECT_EQ(box->GetCaretPosition(), 0);
    // With Shift the jumps extend the selection.
    Key(SDLK_RIGHT, KMOD_LCTRL | KMOD_LSHIFT);
    EXPECT_EQ(Sel(*box), "0+4@4");
    Key(SDLK_RIGHT, KMOD_LCTRL | KMOD_LSHIFT);
    EXPECT_EQ(Sel(*box), "0+6@6");
    Key(SDLK_LEFT, KMOD_LCTRL);
    EXPECT_EQ(Sel(*box), "0+0@4") << "a plain word jump drops the selection";
    // Only blanks before the caret: the jump ends at the start, not inside the blanks.
    box->SetText(WString(u"   ab"));
    Key(SDLK_END);
    Key(SDLK_LEFT, KMOD_LCTRL);
    EXPECT_EQ(box->GetCaretPosition(), 3);
    Key(SDLK_LEFT, KMOD_LCTRL);
    EXPECT_EQ(box->GetCaretPosition(), 0);
}

TEST_F(TextBoxKeys, EnterValidatesAndPassesOnAnAcceptedTextOnly)
{
    RCPtr<LTextBox> box = FocusedBox(u"plainBox", "12x");
    ASSERT_TRUE(box);
    RCPtr<TextLog> log =
        Listen(RCPtr<LControl>(box), {u"NID_TEXTBOX_TEXT_CHANGE", u"NID_TEXTBOX_VALIDATING", u"NID_TEXTBOX_VALIDATED"});
    log->onValidating = [](LTextValidationParams& p) {
        EXPECT_EQ(p.originalText.ToNarrow(), NString("12x"));
        p.text = WString(u"0");
    };
    EXPECT_EQ(Answer(*box, VKey::Return), S_FALSE) << "accepted: Enter travels on";
    EXPECT_EQ(Text(*box), "0");
    EXPECT_EQ(log->lines, (std::vector<std::string>{"NID_TEXTBOX_VALIDATING:0", "NID_TEXTBOX_TEXT_CHANGE",
                                                    "NID_TEXTBOX_VALIDATED:0"}));
    // Refused: nothing changes and no validated notification.
    log->lines.clear();
    log->onValidating = [](LTextValidationParams& p) {
        p.text = WString(u"never");
        p.accepted = false;
    };
    EXPECT_EQ(Answer(*box, VKey::Return), S_OK) << "refused: Enter is used";
    EXPECT_EQ(Text(*box), "0");
    EXPECT_EQ(log->lines, (std::vector<std::string>{"NID_TEXTBOX_VALIDATING:never"}));
    // Focusing the focused box validates as well.
    log->lines.clear();
    log->onValidating = nullptr;
    box->SetFocus(true);
    EXPECT_EQ(log->lines, (std::vector<std::string>{"NID_TEXTBOX_VALIDATING:0", "NID_TEXTBOX_VALIDATED:0"}));
}

TEST_F(TextBoxKeys, LeavingByTabOrByAClickValidatesAndARefusedTextKeepsTheFocus)
{
    RCPtr<LTextBox> box = FocusedBox(u"plainBox", "7");
    RCPtr<LTextBox> other = CreateAs<LTextBox>(u"nameBox");
    ASSERT_TRUE(box && other);
    RCPtr<TextLog> log = Listen(RCPtr<LControl>(box), {u"NID_TEXTBOX_VALIDATING", u"NID_TEXTBOX_VALIDATED"});
    Type("5");
    Key(SDLK_TAB);
    EXPECT_EQ(log->lines, (std::vector<std::string>{"NID_TEXTBOX_VALIDATING:75", "NID_TEXTBOX_VALIDATED:75"}));
    EXPECT_FALSE(box->GetConditionFlags() & Condition::kHasFocus);

    ClickOn(*box);
    log->lines.clear();
    log->onValidating = [](LTextValidationParams& p) { p.accepted = p.text != WString(u"750"); };
    Type("0");
    ClickOn(*other);
    EXPECT_EQ(log->lines, (std::vector<std::string>{"NID_TEXTBOX_VALIDATING:750"}));
    EXPECT_TRUE(box->GetConditionFlags() & Condition::kHasFocus) << "a refused text keeps the focus";
    Key(SDLK_BACKSPACE);
    ClickOn(*other);
    EXPECT_TRUE(other->GetConditionFlags() & Condition::kHasFocus);
    EXPECT_EQ(Text(*box), "75");
}

TEST_F(TextBoxKeys, WhileTheBoxValidatesTheFocusStaysUntilTheTextIsAccepted)
{
    RCPtr<LTextBox> box = FocusedBox(u"plainBox", "999");
    RCPtr<LTextBox> other = CreateAs<LTextBox>(u"nameBox");
    ASSERT_TRUE(box && other);
    // One listener moves the focus on, a second refuses the text.
    RCPtr<TextLog> mover = Listen(RCPtr<LControl>(box), {u"NID_TEXTBOX_VALIDATING", u"NID_TEXTBOX_VALIDATED"});
    RCPtr<TextLog> refuser = Listen(RCPtr<LControl>(box), {u"NID_TEXTBOX_VALIDATING"});
    mover->onValidating = [&other](LTextValidationParams&) { other->SetFocus(true); };
    refuser->onValidating = [](LTextValidationParams& p) { p.accepted = false; };
    Key(SDLK_RETURN);
    Key(SDLK_TAB);
    EXPECT_TRUE(box->GetConditionFlags() & Condition::kHasFocus) << "the refused text keeps the focus";
    EXPECT_EQ(mover->lines, (std::vector<std::string>{"NID_TEXTBOX_VALIDATING:999", "NID_TEXTBOX_VALIDATING:999"}));

    // An auto-advancing form moves on once the text is accepted, validating the box once.
    refuser->onValidating = nullptr;
    mover->onValidating = nullptr;
    mover->onValidated = [&other](LTextValidationParams&) { other->SetFocus(true); };
    mover->lines.clear();
    Key(SDLK_RETURN);
    EXPECT_TRUE(other->GetConditionFlags() & Condition::kHasFocus);
    EXPECT_EQ(mover->lines, (std::vector<std::string>{"NID_TEXTBOX_VALIDATING:999", "NID_TEXTBOX_VALIDATED:999"}));
}

TEST_F(TextBoxKeys, IndicesInsideASurrogatePairMoveToItsEdgesAndHalvesAreNeverInserted)
{
    RCPtr<LTextBox> box = FocusedBox(u"plainBox");
    ASSERT_TRUE(box);
    box->SetText(WString(u"a\U0001F3B9b")); // a, a keyboard emoji (two code units), b
    EXPECT_EQ(box->SetCaretPosition(2, false), S_OK);
    EXPECT_EQ(box->GetCaretPosition(), 1) << "the caret never stands between the halves";
    Type("x");
    EXPECT_TRUE(box->GetText() == WString(u"ax\U0001F3B9b"));
    box->SelectRange(3, 3);
    EXPECT_EQ(Sel(*box), "2+2@2") << "a selection covers the whole pair";
    box->SetSelection(3, 0, 3);
    EXPECT_EQ(box->GetSelectionStart(), 2);
    box->SetSelection(3, 1, 3);
    EXPECT_EQ(box->GetSelectedText().GetLength(), 2u);
    // Cut leaves valid text in the box and on the clipboard.
    box->SelectRange(3, 4);
    Request(NID_EDIT_CUT_REQ);
    EXPECT_EQ(Text(*box), "ax");
    EXPECT_EQ(ClipboardText(), "\xF0\x9F\x8E\xB9"
                               "b");
    // A lone first half typed is never kept; the next character comes alone.
    Key(SDLK_END);
    box->FilterKey(LKeyParam::Create(KeyCode::FromCharacter(char16_t(0xD83C), 0), true));
    EXPECT_EQ(Text(*box), "ax");
    Type("y");
    EXPECT_EQ(Text(*box), "axy");
    box->FilterKey(LKeyParam::Create(KeyCode::FromCharacter(char16_t(0xDFB9), 0), true));
    EXPECT_EQ(Text(*box), "axy") << "nor a lone second half";
}

TEST_F(TextBoxKeys, WithoutAMaximumTypingAndPastingStopAtTheEditLimit)
{
    RCPtr<LTextBox> box = FocusedBox(u"plainBox");
    ASSERT_TRUE(box);
    const std::u16string full(static_cast<size_t>(LTextBox::kEditLimit - 1), u'w');
    box->SetText(WString(full.c_str()));
    Key(SDLK_END);
    Type("xy");
    EXPECT_EQ(box->GetTextLength(), LTextBox::kEditLimit) << "one more fits, the next does not";
    PutOnClipboard("z");
    EXPECT_FALSE(box->CanPerformEdit(kEditPaste));
    EXPECT_EQ(box->PerformEdit(kEditPaste), E_FAIL);
    Key(SDLK_BACKSPACE);
    EXPECT_TRUE(box->CanPerformEdit(kEditPaste));
    // A longer text set by a program stays whole; it can be shortened, not lengthened.
    const std::u16string longer(static_cast<size_t>(LTextBox::kEditLimit + 10), u'w');
    box->SetText(WString(longer.c_str()));
    Key(SDLK_END);
    Type("x");
    Key(SDLK_BACKSPACE);
    EXPECT_EQ(box->GetTextLength(), LTextBox::kEditLimit + 9);
}

TEST_F(TextBoxKeys, KeysThatTypingDoesNotNeedTravelOn)
{
    RCPtr<LTextBox> box = FocusedBox(u"plainBox", "x");
    ASSERT_TRUE(box);
    EXPECT_EQ(Answer(*box, VKey::Up), S_FALSE);
    EXPECT_EQ(Answer(*box, VKey::Down, Modifier::Shift), S_FALSE);
    EXPECT_EQ(Answer(*box, VKey::Escape), S_FALSE);
    EXPECT_EQ(Answer(*box, VKey::Tab), S_FALSE) << "Tab navigation must pass";
    EXPECT_EQ(Answer(*box, 0x74 /* F5 */), S_FALSE);
    EXPECT_EQ(Answer(*box, 'S', Modifier::Ctrl), S_FALSE) << "shortcuts reach the hot keys";
    // Letters, digits and space become characters: their presses are used.
    EXPECT_EQ(Answer(*box, 'S'), S_OK);
    EXPECT_EQ(Answer(*box, 'S', Modifier::Shift), S_OK);
    EXPECT_EQ(Answer(*box, '7'), S_OK);
    EXPECT_EQ(Answer(*box, VKey::Space), S_OK);
    EXPECT_EQ(box->FilterKey(LKeyParam::Create(KeyCode(VKey::Up, false, 1, 0), true)), S_OK) << "a release";
    EXPECT_EQ(box->FilterKey(LKeyParam::Create(KeyCode::FromCharacter(u'\x1b', 0), true)), S_FALSE);
    EXPECT_EQ(Text(*box), "x");
}

TEST_F(TextBoxKeys, OutOfRangeCaretAndSelectionRequestsChangeNothing)
{
    RCPtr<LTextBox> box = CreateAs<LTextBox>(u"plainBox");
    ASSERT_TRUE(box);
    box->SetText(WString(u"abc"));
    box->SetCaretPosition(1, false);
    EXPECT_EQ(box->SetCaretPosition(-1, false), E_INVALIDARG);
    EXPECT_EQ(box->SetCaretPosition(4, true), E_INVALIDARG);
    EXPECT_EQ(box->GetCaretPosition(), 1);
    EXPECT_EQ(box->SetCaretPosition(1, false), S_FALSE);
    EXPECT_EQ(box->SetCaretPosition(1, true), S_FALSE);
    box->SelectRange(0, 3);
    box->SelectRange(-2, 1);
    box->SelectRange(INT32_MAX, 0);
    EXPECT_EQ(Sel(*box), "0+0@1");
    box->SelectRange(2, 0);
    EXPECT_EQ(Sel(*box), "0+3@1");
    EXPECT_EQ(box->GetSelectionAnchor(), 0);
    box->SelectRange(-1, 0);
    box->SelectRange(0, -1);
    EXPECT_EQ(Sel(*box), "0+3@1") << "everything";
    EXPECT_EQ(box->DeleteRange(2, 5), S_FALSE);
    EXPECT_EQ(box->DeleteRange(3, 1), S_FALSE);
    EXPECT_EQ(box->DeleteRange(INT32_MAX, INT32_MAX), S_FALSE);
    EXPECT_EQ(box->DeleteRange(1, INT32_MAX), S_FALSE);
    EXPECT_EQ(Text(*box), "abc");
    EXPECT_EQ(box->DeleteRange(1, 2), S_OK);
    EXPECT_EQ(Text(*box), "a");
}

TEST_F(TextBoxKeys, ACharacterOutsideTheBasicPlaneIsMovedOverAndDeletedWhole)
{
    RCPtr<LTextBox> box = FocusedBox(u"plainBox");
    ASSERT_TRUE(box);
    Type("a\xF0\x9F\x8E\xB9"
         "b"); // a, a keyboard emoji (two code units), b
    ASSERT_EQ(box->GetTextLength(), 4);
    Key(SDLK_LEFT);
    EXPECT_EQ(box->GetCaretPosition(), 3);
    Key(SDLK_LEFT);
    EXPECT_EQ(box->GetCaretPosition(), 1) << "over the pair in one step";
    Key(SDLK_RIGHT, KMOD_LSHIFT);
    EXPECT_EQ(Sel(*box), "1+2@3");
    Key(SDLK_END);
    Key(SDLK_LEFT);
    Key(SDLK_BACKSPACE);
    EXPECT_EQ(Text(*box), "ab");
    // No room for both halves: neither comes.
    box->SetMaxLength(3);
    Type("\xF0\x9F\x8E\xB9");
    EXPECT_EQ(Text(*box), "ab");
    box->SetMaxLength(0);
    Key(SDLK_HOME);
    Type("\xF0\x9F\x8E\xB9");
    EXPECT_EQ(box->GetTextLength(), 4);
    Key(SDLK_HOME);
    Key(SDLK_DELETE);
    EXPECT_EQ(Text(*box), "ab");
    Type("\xF0\x9F\x8E\xB9");
    box->SetMaxLength(1);
    EXPECT_EQ(Text(*box), "") << "the limit cuts through the pair: neither half stays";
}
