// Clipboard edits of the text box through the edit requests that menus and hot keys post to the
// application, their limits (selection, maximum length, filter, one line), and the context menu
// shown through the control base's popup-menu seam with the item states it answers.
#include "TextFixture.h"

#include "kx/NotificationId.h"
#include "kx/controls/NumericUpDown.h"

using namespace KX;
using texttest::FakePopupMenu;

namespace {

class TextBoxClipboard : public texttest::TextTest {
protected:
    // The item states the popup's updater would read: "E" enabled, "-" disabled, per item.
    static std::string States(LTextBox& box, const RCPtr<LMenuDescriptor>& menu)
    {
        std::string out;
        for (uint32_t i = 0; i < menu->GetItemCount(); ++i) {
            LMenuItemState state;
            state.enabled = 7;
            const KXRESULT hr = box.GetMenuItemState(menu, i, menu->GetItem(i)->id, state);
            out += hr != S_OK ? "?" : state.enabled == 1 ? "E" : state.enabled == 0 ? "-" : "!";
        }
        return out;
    }
};

} // namespace

TEST_F(TextBoxClipboard, EditRequestsCutCopyPasteAndDeleteTheFocusedBoxsSelection)
{
    RCPtr<LTextBox> box = FocusedBox(u"plainBox", "hello world");
    ASSERT_TRUE(box);
    Key(SDLK_LEFT, KMOD_LCTRL | KMOD_LSHIFT);
    ASSERT_EQ(Sel(*box), "6+5@6");
    Request(NID_EDIT_COPY_REQ);
    EXPECT_EQ(ClipboardText(), "world");
    EXPECT_EQ(Text(*box), "hello world");
    Request(NID_EDIT_CUT_REQ);
    EXPECT_EQ(Text(*box), "hello ");
    EXPECT_EQ(Sel(*box), "0+0@6");
    Key(SDLK_HOME);
    Request(NID_EDIT_PASTE_REQ);
    EXPECT_EQ(Text(*box), "worldhello ");
    EXPECT_EQ(box->GetCaretPosition(), 5) << "after the pasted text";
    // Without a selection cut, copy and delete do nothing.
    Request(NID_EDIT_DELETE_REQ);
    Request(NID_EDIT_CUT_REQ);
    EXPECT_EQ(Text(*box), "worldhello ");
    EXPECT_EQ(ClipboardText(), "world");
    Key(SDLK_END, KMOD_LSHIFT);
    Request(NID_EDIT_DELETE_REQ);
    EXPECT_EQ(Text(*box), "world");
    EXPECT_EQ(ClipboardText(), "world") << "delete leaves the clipboard alone";
    // Paste over a selection replaces it.
    PutOnClipboard("W");
    Key(SDLK_HOME);
    Key(SDLK_RIGHT, KMOD_LSHIFT);
    Request(NID_EDIT_PASTE_REQ);
    EXPECT_EQ(Text(*box), "World");
    EXPECT_EQ(Sel(*box), "0+0@1");
}

TEST_F(TextBoxClipboard, PerformEditFailsWithoutSelectionTextOrRoomAndChangesNothing)
{
    RCPtr<LTextBox> box = FocusedBox(u"plainBox", "12");
    ASSERT_TRUE(box);
    for (int32_t kind : {kEditDelete, kEditCut, kEditCopy}) {
        EXPECT_FALSE(box->CanPerformEdit(kind)) << kind;
        EXPECT_EQ(box->PerformEdit(kind), E_FAIL) << kind;
    }
    EXPECT_EQ(box->PerformEdit(4), E_FAIL);
    EXPECT_EQ(box->PerformEdit(-1), E_FAIL);
    EXPECT_FALSE(box->CanPerformEdit(kEditPaste)) << "an empty clipboard";
    EXPECT_EQ(box->PerformEdit(kEditPaste), E_FAIL);
    // Maximum 3: one more character fits, two do not.
    box->SetMaxLength(3);
    PutOnClipboard("45");
    EXPECT_FALSE(box->CanPerformEdit(kEditPaste));
    EXPECT_EQ(box->PerformEdit(kEditPaste), E_FAIL);
    EXPECT_EQ(Text(*box), "12");
    PutOnClipboard("4");
    EXPECT_TRUE(box->CanPerformEdit(kEditPaste));
    EXPECT_EQ(box->PerformEdit(kEditPaste), S_OK);
    EXPECT_EQ(Text(*box), "124");
    // Over a selection the selected characters make room.
    PutOnClipboard("56");
    Key(SDLK_LEFT, KMOD_LSHIFT);
    EXPECT_FALSE(box->CanPerformEdit(kEditPaste));
    EXPECT_EQ(box->ReplaceSelection(WString(u"56")), E_FAIL);
    Key(SDLK_LEFT, KMOD_LSHIFT);
    EXPECT_TRUE(box->CanPerformEdit(kEditPaste));
    EXPECT_EQ(box->PerformEdit(kEditPaste), S_OK);
    EXPECT_EQ(Text(*box), "156");
    EXPECT_EQ(box->ReplaceSelection(WString(u"x")), E_FAIL) << "no selection";
}

TEST_F(TextBoxClipboard, PastedTextKeepsToOneLineAndToTheFilter)
{
    RCPtr<LTextBox> box = FocusedBox(u"plainBox");
    ASSERT_TRUE(box);
    PutOnClipboard("one\r\ntwo\tthree\x7f");
    Request(NID_EDIT_PASTE_REQ);
    EXPECT_EQ(Text(*box), "onetwothree");
    // A number box takes the digits of a paste only; nothing left to paste is no paste.
    RCPtr<LNumericUpDown> number = CreateAs<LNumericUpDown>(u"numberBox");
    ASSERT_TRUE(number);
    ASSERT_EQ(number->SetValueRange(0, 100000, 0), S_OK);
    ClickOn(*number->GetTextBox());
    Key(SDLK_END);
    Key(SDLK_HOME, KMOD_LSHIFT);
    PutOnClipboard("1a2-b3");
    Request(NID_EDIT_PASTE_REQ);
    EXPECT_EQ(Text(*number->GetTextBox()), "123");
    PutOnClipboard("abc");
    EXPECT_FALSE(number->GetTextBox()->CanPerformEdit(kEditPaste));
    EXPECT_EQ(number->GetTextBox()->PerformEdit(kEditPaste), E_FAIL);
    Key(SDLK_RETURN);
    EXPECT_EQ(number->GetValue(), 123.0);
}

TEST_F(TextBoxClipboard, TheContextMenuOffersTheFourEditsWithStatesFromTheFocusedBox)
{
    RCPtr<LTextBox> box = FocusedBox(u"plainBox", "copy me");
    ASSERT_TRUE(box);
    Click(CentreOf(*box).x, CentreOf(*box).y, SDL_BUTTON_RIGHT);
    ASSERT_EQ(FakePopupMenu::Shown().size(), 1u) << "the right click shows the box's menu";
    ASSERT_EQ(FakePopupMenu::Owners().size(), 1u);
    EXPECT_EQ(FakePopupMenu::Owners()[0], static_cast<LControl*>(box.Get()));
    const RCPtr<LMenuDescriptor> menu = FakePopupMenu::Shown()[0];
    ASSERT_EQ(menu->GetItemCount(), 4u);
    const char* const labels[] = {"Cut", "Copy", "Paste", "Delete"};
    const char16_t* const ids[] = {NID_EDIT_CUT_REQ, NID_EDIT_COPY_REQ, NID_EDIT_PASTE_REQ, NID_EDIT_DELETE_REQ};
    for (uint32_t i = 0; i < 4; ++i) {
        const RCPtr<LMenuItemDescriptor> item = menu->GetItem(i);
        EXPECT_EQ(item->label.ToNarrow(), NString(labels[i]));
        EXPECT_TRUE(item->id == WString(ids[i]));
        EXPECT_TRUE(item->IsEnabled());
        EXPECT_FALSE(item->IsChecked());
    }
    // Nothing selected, nothing to paste.
    EXPECT_EQ(States(*box, menu), "----");
    PutOnClipboard("x");
    EXPECT_EQ(States(*box, menu), "--E-");
    Key(SDLK_HOME, KMOD_LSHIFT);
    EXPECT_EQ(States(*box, menu), "EEEE");
    // Any other item is not the box's to answer.
    LMenuItemState state;
    EXPECT_EQ(box->GetMenuItemState(menu, 0, WString(u"NID_MENU_FILE_SAVE"), state), S_FALSE);
    // The states are the focused control's: another box holding the focus answers for both.
    RCPtr<LTextBox> other = CreateAs<LTextBox>(u"nameBox");
    ASSERT_TRUE(other);
    ClickOn(*other);
    EXPECT_EQ(States(*box, menu), "--E-");
    // Choosing Copy, as the menu would: the request reaches the focused box.
    other->SetText(WString(u"abc"));
    Key(SDLK_END, KMOD_LSHIFT);
    Request(NID_EDIT_COPY_REQ);
    EXPECT_EQ(ClipboardText(), "abc");
}
