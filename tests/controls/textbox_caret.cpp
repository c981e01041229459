// The text box's caret, mouse selection, looks and scrolling on the offscreen window: where
// clicks put the caret, Shift+click, drags and double-clicks, the blink on the injected clock, the
// cue, disabled and selection looks, and keeping the caret of a long text in view.
#include "TextFixture.h"

#include <cmath>

using namespace KX;

namespace {

class TextBoxCaret : public texttest::TextTest {
protected:
    // The window x of the left edge of character index (the caret's line is one pixel left of it).
    static int32_t EdgeX(LTextBox& box, int32_t index)
    {
        const int32_t caret = box.GetCaretPosition();
        box.SetCaretPosition(index, true);
        const double x = box.GetCaretRect().x + 1.0 - box.GetScrollOffset().x + box.GetOriginInRootWindow().x;
        box.SetCaretPosition(caret, true);
        return static_cast<int32_t>(std::lround(x));
    }
    static int32_t MidY(const LControl& c) { return CentreOf(c).y; }
    static bool Opaque(const LControl& c, int32_t look) { return c.GetLookOpacity(static_cast<uint32_t>(look)) > 0.0f; }
};

} // namespace

TEST_F(TextBoxCaret, AClickPutsTheCaretBeforeOrAfterTheCharacterByItsHalf)
{
    RCPtr<LTextBox> box = FocusedBox(u"plainBox", "WWWW");
    ASSERT_TRUE(box);
    const int32_t left = EdgeX(*box, 1), right = EdgeX(*box, 2), y = MidY(*box);
    ASSERT_GT(right - left, 6) << "a W is wide enough to aim at its halves";
    Click(left + (right - left) / 4, y);
    EXPECT_EQ(box->GetCaretPosition(), 1);
    Click(right - (right - left) / 4, y);
    EXPECT_EQ(box->GetCaretPosition(), 2);
    // Beyond the text: the end; on the box's left padding: the start.
    Click(EdgeX(*box, 4) + 30, y);
    EXPECT_EQ(box->GetCaretPosition(), 4);
    Click(static_cast<int32_t>(box->GetOriginInRootWindow().x) + 1, y);
    EXPECT_EQ(box->GetCaretPosition(), 0);
    EXPECT_EQ(box->GetSelectionLength(), 0);
}

TEST_F(TextBoxCaret, ShiftClickExtendsFromTheAnchorAndADragSelectsWhatItCrosses)
{
    RCPtr<LTextBox> box = FocusedBox(u"plainBox", "WWWWWW");
    ASSERT_TRUE(box);
    const int32_t y = MidY(*box);
    auto at = [&](int32_t index) { return EdgeX(*box, index) + 1; };
    Click(at(1), y);
    Click(at(4), y, SDL_BUTTON_LEFT, KMOD_LSHIFT);
    EXPECT_EQ(Sel(*box), "1+3@4");
    Click(at(0), y, SDL_BUTTON_LEFT, KMOD_LSHIFT);
    EXPECT_EQ(Sel(*box), "0+1@0") << "the anchor stays at 1";
    EXPECT_EQ(box->GetSelectionAnchor(), 1);
    // A drag from 2 to 5, then back over its start to 1.
    Press(at(2), y);
    EXPECT_EQ(Sel(*box), "0+0@2");
    MoveTo(at(3), y);
    MoveTo(at(5), y);
    EXPECT_EQ(Sel(*box), "2+3@5");
    MoveTo(at(1), y);
    EXPECT_EQ(Sel(*box), "1+1@1");
    Release(at(1), y);
    EXPECT_EQ(Sel(*box), "1+1@1");
    // Moves without the button select nothing.
    MoveTo(at(5), y);
    EXPECT_EQ(Sel(*box), "1+1@1");
    // The right button neither moves the caret nor drops the selection (the menu would need it).
    Click(at(4), y, SDL_BUTTON_RIGHT);
    EXPECT_EQ(Sel(*box), "1+1@1");
}

TEST_F(TextBoxCaret, ADoubleClickSelectsTheWordWithoutItsTrailingBlanks)
{
    RCPtr<LTextBox> box = FocusedBox(u"plainBox", "ab  cd");
    ASSERT_TRUE(box);
    const int32_t y = MidY(*box);
    DoubleClick(EdgeX(*box, 0) + 2, y);
    EXPECT_EQ(Sel(*box), "0+2@2");
    DoubleClick(EdgeX(*box, 5) + 1, y);
    EXPECT_EQ(Sel(*box), "4+2@6");
    // Ctrl+click does the same.
    Click(EdgeX(*box, 1), y, SDL_BUTTON_LEFT, KMOD_LCTRL);
    EXPECT_EQ(Sel(*box), "0+2@2");
}

TEST_F(TextBoxCaret, TheCaretBlinksHalfASecondOnAndAThirdOffOnlyWhileFocused)
{
    RCPtr<LTextBox> box = FocusedBox(u"plainBox", "ab");
    ASSERT_TRUE(box);
    const int32_t x = EdgeX(*box, 2) - 1, y = MidY(*box);
    auto caretDrawn = [&] {
        Paint();
        return Pixel(x, y) == 0x141414u; // the field's ink
    };
    EXPECT_TRUE(box->IsCaretShown());
    EXPECT_TRUE(caretDrawn());
    Advance(490);
    EXPECT_TRUE(caretDrawn());
    Advance(20);
    EXPECT_FALSE(box->IsCaretShown());
    EXPECT_FALSE(caretDrawn());
    Advance(290);
    EXPECT_FALSE(caretDrawn());
    Advance(20);
    EXPECT_TRUE(caretDrawn());
    // A caret move shows it again at once and restarts the half second.
    Advance(500);
    ASSERT_FALSE(box->IsCaretShown());
    Key(SDLK_LEFT);
    Key(SDLK_RIGHT);
    EXPECT_TRUE(caretDrawn());
    Advance(450);
    EXPECT_TRUE(box->IsCaretShown());
    // Without the focus: no caret, and no more idle work.
    RCPtr<LTextBox> other = CreateAs<LTextBox>(u"nameBox");
    ASSERT_TRUE(other);
    ClickOn(*other);
    EXPECT_FALSE(caretDrawn());
    EXPECT_EQ(box->GetIdleSubscriptionCount(), 0);
    Advance(300);
    Advance(500);
    EXPECT_FALSE(caretDrawn());
}

TEST_F(TextBoxCaret, ALongTextScrollsToKeepTheCaretInViewAndBackWhenTheFocusGoes)
{
    RCPtr<LTextBox> box = FocusedBox(u"narrowBox");
    ASSERT_TRUE(box);
    // A box starts without horizontal auto-scroll: the text runs out of view.
    Type("the quick brown fox jumps");
    EXPECT_EQ(box->GetScrollOffset().x, 0.0);
    Key(SDLK_HOME, KMOD_LSHIFT);
    Key(SDLK_DELETE);
    box->SetAutoScroll(0, true);
    Type("the quick brown fox jumps");
    const RectT<double> client = box->GetClientRect();
    auto caretInView = [&] {
        const double x = box->GetCaretRect().x - box->GetScrollOffset().x;
        return x >= client.x && x + 1.0 <= client.x + client.width;
    };
    EXPECT_GT(box->GetScrollOffset().x, 0.0);
    EXPECT_TRUE(caretInView());
    EXPECT_EQ(box->GetScrollOffset().y, 0.0);
    Screenshot("scrolled_to_end");
    Key(SDLK_HOME);
    EXPECT_EQ(box->GetScrollOffset().x, 0.0);
    EXPECT_TRUE(caretInView());
    for (int i = 0; i < 12; ++i)
        Key(SDLK_RIGHT);
    EXPECT_TRUE(caretInView());
    Key(SDLK_END);
    const double atEnd = box->GetScrollOffset().x;
    EXPECT_TRUE(caretInView());
    // The whole text deleted from the end: back to the start.
    Key(SDLK_HOME, KMOD_LSHIFT);
    Key(SDLK_DELETE);
    EXPECT_EQ(box->GetScrollOffset().x, 0.0);
    Type("the quick brown fox jumps");
    EXPECT_EQ(box->GetScrollOffset().x, atEnd);
    // Losing the focus shows the start again.
    RCPtr<LTextBox> other = CreateAs<LTextBox>(u"plainBox");
    ASSERT_TRUE(other);
    ClickOn(*other);
    EXPECT_EQ(box->GetScrollOffset().x, 0.0);
    EXPECT_EQ(box->GetToolTipText().ToNarrow(), NString("the quick brown fox jumps")) << "clipped: the text as tip";
    EXPECT_TRUE(other->GetToolTipText().IsEmpty());
}

TEST_F(TextBoxCaret, DraggingPastTheEdgeScrollsOnTheClockAndKeepsSelecting)
{
    RCPtr<LTextBox> box = FocusedBox(u"narrowBox", "abcdefghijklmnopqrstuvwxyz");
    ASSERT_TRUE(box);
    box->SetAutoScroll(0, true);
    Key(SDLK_HOME);
    const PointT<double> origin = box->GetOriginInRootWindow();
    const int32_t y = MidY(*box);
    Press(static_cast<int32_t>(origin.x) + 5, y);
    MoveTo(static_cast<int32_t>(origin.x + box->GetSize().x) + 40, y);
    EXPECT_TRUE(box->IsAxisAnimating(0));
    const int32_t before = box->GetSelectionLength();
    for (int i = 0; i < 40 && box->IsAxisAnimating(0); ++i)
        Advance(50);
    EXPECT_GT(box->GetScrollOffset().x, 0.0);
    EXPECT_GT(box->GetSelectionLength(), before) << "the selection follows the scrolled text";
    EXPECT_EQ(box->GetCaretPosition(), 26);
    EXPECT_FALSE(box->IsAxisAnimating(0)) << "stops at the end";
    Release(static_cast<int32_t>(origin.x + box->GetSize().x) + 40, y);
    EXPECT_FALSE(box->IsAxisAnimating(0));
    EXPECT_EQ(box->GetSelectionStart(), 0);
}

TEST_F(TextBoxCaret, LooksShowCueFocusSelectionAndDisabledStates)
{
    // The first box made takes the page's focus.
    RCPtr<LTextBox> plain = CreateAs<LTextBox>(u"plainBox");
    RCPtr<LTextBox> name = CreateAs<LTextBox>(u"nameBox");
    ASSERT_TRUE(name && plain);
    ASSERT_FALSE(name->GetConditionFlags() & Condition::kHasFocus);
    // The label is a cue, never the text.
    EXPECT_EQ(Text(*name), "");
    EXPECT_EQ(name->GetCueText().ToNarrow(), NString("Your name"));
    EXPECT_TRUE(Opaque(*name, LTextBox::kLookCue));
    EXPECT_TRUE(Opaque(*name, LTextBox::kLookCueBackground));
    EXPECT_FALSE(Opaque(*plain, LTextBox::kLookCue)) << "no label, no cue";
    EXPECT_EQ(plain->GetFirstVisibleLook(), LTextBox::kLookFocused);
    Paint();
    Screenshot("cue");
    // Focused: the cue goes; typing keeps it away after the focus leaves.
    ClickOn(*name);
    EXPECT_FALSE(Opaque(*name, LTextBox::kLookCue));
    EXPECT_TRUE(Opaque(*name, LTextBox::kLookFocused) || Opaque(*name, LTextBox::kLookFocusedHot));
    Type("Ann");
    ClickOn(*plain);
    EXPECT_FALSE(Opaque(*name, LTextBox::kLookCue));
    name->SetText(WString());
    EXPECT_TRUE(Opaque(*name, LTextBox::kLookCue)) << "empty and unfocused again";
    // A selection shows the selected look over its characters only.
    plain->SetText(WString(u"selected"));
    ClickOn(*plain);
    Key(SDLK_HOME);
    Key(SDLK_RIGHT, KMOD_LSHIFT);
    Key(SDLK_RIGHT, KMOD_LSHIFT);
    Key(SDLK_RIGHT, KMOD_LSHIFT);
    MoveTo(300, 300);
    EXPECT_TRUE(Opaque(*plain, LTextBox::kLookSelected));
    EXPECT_TRUE(Opaque(*plain, LTextBox::kLookFocused));
    int32_t l = 0, t = 0, r = 0, b = 0;
    ASSERT_TRUE(plain->GetLookAt(LTextBox::kLookSelected)->GetRegion().GetBounds(l, t, r, b));
    const PointT<double> origin = plain->GetOriginInRootWindow();
    EXPECT_EQ(l + static_cast<int32_t>(origin.x), EdgeX(*plain, 0));
    EXPECT_EQ(r + static_cast<int32_t>(origin.x), EdgeX(*plain, 3));
    Paint();
    EXPECT_EQ(Pixel(EdgeX(*plain, 0) + 1, static_cast<int32_t>(origin.y) + t + 1), 0x2F7FE0u) << "selection fill";
    Screenshot("selection");
    // Without the focus the selection is not shown.
    ClickOn(*name);
    EXPECT_FALSE(Opaque(*plain, LTextBox::kLookSelected));
    EXPECT_EQ(plain->GetSelectionLength(), 3);
    // Disabled: look 6 alone.
    plain->SetEnabled(false);
    EXPECT_EQ(plain->GetFirstVisibleLook(), LTextBox::kLookDisabled);
    EXPECT_FALSE(Opaque(*plain, LTextBox::kLookSelected));
    Paint();
    Screenshot("disabled");
}
