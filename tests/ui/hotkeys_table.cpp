// Hot-key tables: loading "GHK."/"LHK." entries, binding rules, matching and a control's own keys.
#include "UiTestControls.h"
#include "kx/ui/HotKeyTable.h"
#include "kx/ui/StringTable.h"

#include <gtest/gtest.h>

using namespace KX;

namespace {

RCPtr<LStringTable> Table(const LStringTable::Entries& entries)
{
    return RCPtr<LStringTable>(new LStringTable(entries));
}

// A key press of a virtual key with generic modifiers and their left sides, as the window builds it.
KeyCode Press(uint8_t vk, uint32_t modifiers = 0, uint8_t repeat = 0)
{
    uint32_t sides = 0;
    if (modifiers & Modifier::Ctrl)
        sides |= Modifier::LeftCtrl;
    if (modifiers & Modifier::Shift)
        sides |= Modifier::LeftShift;
    return KeyCode(vk, true, repeat, modifiers | sides);
}

WString Bound(const HotKeyTable& t, const KeyCode& key)
{
    return t.FindNotificationForKey(key);
}

} // namespace

TEST(HotKeyLoading, ShippedGlobalBindingsAndOnlyTheirPrefix)
{
    const RCPtr<LStringTable> strings = Table({
        {u"GHK.NID_EDIT_COPY_REQ", u"Ctrl+VKEY_C"},
        {u"GHK.NID_EDIT_CUT_REQ", u"Ctrl+VKEY_X"},
        {u"GHK.NID_EDIT_DELETE_REQ", u"VKEY_DELETE"},
        {u"GHK.NID_EDIT_PASTE_REQ", u"Ctrl+VKEY_V"},
        {u"GHK.NID_BUTTON_TOGGLE_DIALOG_BUTTON", u"VKEY_D"},
        {u"GHK.NID_MENU_FILE_SAVE_PRESET_TO_FILE", u"Ctrl+VKEY_S"},
        {u"GHK.NID_MENU_FILE_SEND_PRESET_TO_DEVICE", u"SHIFT+CTRL+VKEY_S"},
        {u"GHK.NID_MENU_FILE_LOAD_PRESET_FROM_DEVICE", u"SHIFT+CTRL+VKEY_R"},
        {u"GHK.NID_MENU_FILE_LOAD_PRESET_FROM_FILE", u"Ctrl+VKEY_O"},
        {u"LHK.NID_LOCAL_ONLY", u"VKEY_F5"},
        {u"Title", u"Lumo"},
    });
    HotKeyTable t;
    EXPECT_EQ(t.LoadFromStringTable(strings.Get(), u"GHK"), S_OK);
    EXPECT_EQ(t.GetCount(), 9u);

    EXPECT_EQ(Bound(t, Press(0x43, Modifier::Ctrl)), WString(u"NID_EDIT_COPY_REQ"));
    EXPECT_EQ(Bound(t, Press(0x2E)), WString(u"NID_EDIT_DELETE_REQ"));
    EXPECT_EQ(Bound(t, Press(0x44)), WString(u"NID_BUTTON_TOGGLE_DIALOG_BUTTON"));
    // Ctrl+S and Shift+Ctrl+S are different keys.
    EXPECT_EQ(Bound(t, Press(0x53, Modifier::Ctrl)), WString(u"NID_MENU_FILE_SAVE_PRESET_TO_FILE"));
    EXPECT_EQ(Bound(t, Press(0x53, Modifier::Ctrl | Modifier::Shift)),
              WString(u"NID_MENU_FILE_SEND_PRESET_TO_DEVICE"));
    EXPECT_EQ(Bound(t, Press(0x52, Modifier::Ctrl | Modifier::Shift)),
              WString(u"NID_MENU_FILE_LOAD_PRESET_FROM_DEVICE"));
    // Another prefix's entries stay out.
    EXPECT_FALSE(t.HasBinding(u"NID_LOCAL_ONLY"));
    EXPECT_TRUE(Bound(t, Press(0x74)).IsEmpty());

    HotKeyTable local;
    EXPECT_EQ(local.LoadFromStringTable(strings.Get(), u"LHK"), S_OK);
    EXPECT_EQ(local.GetCount(), 1u);
    EXPECT_EQ(Bound(local, Press(0x74)), WString(u"NID_LOCAL_ONLY"));
}

TEST(HotKeyLoading, EntryKeysNeedThePrefixAndADotAtTheStartAndNameFollowsTheLastDot)
{
    HotKeyTable t;
    t.LoadFromStringTable(Table({
                                    {u"GHK.group.NID_DEEP", u"VKEY_F1"},
                                    {u"xGHK.NID_INSIDE", u"VKEY_F2"},
                                    {u"GHKNID_NODOT", u"VKEY_F3"},
                                    {u"ghk.NID_LOWER", u"VKEY_F4"},
                                    {u"GHK.", u"VKEY_F6"},
                                    {u"GHK.NID_SEEN_NOWHERE_ELSE", u"VKEY_F7"},
                                })
                              .Get(),
                          u"GHK");
    EXPECT_EQ(Bound(t, Press(0x70)), WString(u"NID_DEEP"));
    EXPECT_FALSE(t.HasBinding(u"group.NID_DEEP"));
    for (uint8_t vk : {0x71, 0x72, 0x73, 0x75})
        EXPECT_TRUE(Bound(t, Press(vk)).IsEmpty()) << int(vk);
    // A name no code has used before binds like any other.
    EXPECT_EQ(Bound(t, Press(0x76)), WString(u"NID_SEEN_NOWHERE_ELSE"));
    EXPECT_EQ(t.GetCount(), 2u);
}

TEST(HotKeyLoading, DescriptionsNamingNoKeyBindNothing)
{
    HotKeyTable t;
    t.LoadFromStringTable(Table({
                                    {u"GHK.NID_UNKNOWN_NAME", u"Ctrl+VKEY_NOSUCHKEY"},
                                    {u"GHK.NID_EMPTY_TEXT", u""},
                                    {u"GHK.NID_GOOD", u"Alt+VKEY_F9"},
                                })
                              .Get(),
                          u"GHK");
    EXPECT_EQ(t.GetCount(), 1u);
    EXPECT_FALSE(t.HasBinding(u"NID_UNKNOWN_NAME"));
    EXPECT_FALSE(t.HasBinding(u"NID_EMPTY_TEXT"));
    EXPECT_TRUE(t.GetFirstKeyCode(u"NID_EMPTY_TEXT").IsEmpty());
    // The empty code itself is never bound, so an empty key finds nothing.
    EXPECT_TRUE(Bound(t, KeyCode()).IsEmpty());
}

TEST(HotKeyLoading, TheEntrySortingFirstKeepsADoubleBoundKey)
{
    HotKeyTable t;
    t.LoadFromStringTable(Table({
                                    {u"GHK.NID_B_SECOND", u"Ctrl+VKEY_Q"},
                                    {u"GHK.NID_A_FIRST", u"CTRL+vkey_q"},
                                    // Shift is dropped from a character, so these are one key too.
                                    {u"GHK.NID_Z_CHAR", u"Shift+w"},
                                    {u"GHK.NID_Y_CHAR", u"w"},
                                })
                              .Get(),
                          u"GHK");
    EXPECT_EQ(Bound(t, Press(0x51, Modifier::Ctrl)), WString(u"NID_A_FIRST"));
    EXPECT_FALSE(t.HasBinding(u"NID_B_SECOND"));
    EXPECT_EQ(Bound(t, KeyCode::FromCharacter(u'w', 0)), WString(u"NID_Y_CHAR"));
    EXPECT_FALSE(t.HasBinding(u"NID_Z_CHAR"));
}

TEST(HotKeyLoading, NullTableIsRefusedAndChangesNothing)
{
    HotKeyTable t;
    ASSERT_EQ(t.AddBinding(Press(0x41), u"NID_KEEP"), S_OK);
    EXPECT_EQ(t.LoadFromStringTable(nullptr, u"GHK"), E_INVALIDARG);
    EXPECT_EQ(t.GetCount(), 1u);
    EXPECT_EQ(Bound(t, Press(0x41)), WString(u"NID_KEEP"));
    // An empty table is no error.
    EXPECT_EQ(t.LoadFromStringTable(Table({}).Get(), u"GHK"), S_OK);
}

TEST(HotKeyBinding, ResultsAndKeyOrder)
{
    HotKeyTable t;
    EXPECT_EQ(t.AddBinding(Press(0x41), u"NID_ONE"), S_OK);
    EXPECT_EQ(t.AddBinding(Press(0x41), u"NID_ONE"), S_FALSE);
    EXPECT_EQ(t.AddBinding(Press(0x41), u"NID_TWO"), E_INVALIDARG);
    EXPECT_EQ(t.AddBinding(Press(0x42), u""), E_INVALIDARG);
    EXPECT_EQ(t.AddBinding(KeyCode(), u"NID_TWO"), E_INVALIDARG);
    EXPECT_EQ(t.AddBinding(KeyCode(KeyCode::kEmpty | 0x41, 0, 0), u"NID_TWO"), E_INVALIDARG);
    EXPECT_FALSE(t.HasBinding(u"NID_TWO"));
    EXPECT_FALSE(t.HasBinding(u""));

    EXPECT_EQ(t.AddBinding(Press(0x43, Modifier::Ctrl), u"NID_ONE"), S_OK);
    const Array<KeyCode> keys = t.GetKeyCodes(u"NID_ONE");
    ASSERT_EQ(keys.GetCount(), 2u);
    EXPECT_EQ(keys.ElementAt(0), Press(0x41));
    EXPECT_EQ(keys.ElementAt(1), Press(0x43, Modifier::Ctrl));
    EXPECT_EQ(t.GetFirstKeyCode(u"NID_ONE"), Press(0x41));
    EXPECT_EQ(t.GetKeyCodes(u"NID_NONE").GetCount(), 0u);
    EXPECT_EQ(t.GetKeyCodes(u"").GetCount(), 0u);

    t.Clear();
    EXPECT_TRUE(t.IsEmpty());
    EXPECT_TRUE(Bound(t, Press(0x41)).IsEmpty());
}

TEST(HotKeyMatching, CharactersIgnoreCtrlAndShiftNamedKeysMatchAllBits)
{
    HotKeyTable t;
    t.LoadFromStringTable(Table({{u"GHK.NID_CHAR", u"x"}, {u"GHK.NID_NAMED", u"Ctrl+VKEY_C"}}).Get(), u"GHK");

    EXPECT_EQ(Bound(t, KeyCode::FromCharacter(u'x', 0)), WString(u"NID_CHAR"));
    EXPECT_EQ(Bound(t, KeyCode::FromCharacter(u'x', Modifier::Ctrl | Modifier::LeftCtrl)), WString(u"NID_CHAR"));
    EXPECT_EQ(Bound(t, KeyCode::FromCharacter(u'x', Modifier::Shift)), WString(u"NID_CHAR"));
    EXPECT_TRUE(Bound(t, KeyCode::FromCharacter(u'x', Modifier::Alt)).IsEmpty());
    EXPECT_TRUE(Bound(t, KeyCode::FromCharacter(u'X', 0)).IsEmpty());
    // The press of the X key is not the character.
    EXPECT_TRUE(Bound(t, Press(0x58)).IsEmpty());

    // Side mask and repeat do not count; modifiers, key-down and the key do.
    EXPECT_EQ(Bound(t, Press(0x43, Modifier::Ctrl, 1)), WString(u"NID_NAMED"));
    EXPECT_EQ(Bound(t, KeyCode(0x43, true, 0, Modifier::Ctrl | Modifier::RightCtrl)), WString(u"NID_NAMED"));
    EXPECT_TRUE(Bound(t, Press(0x43)).IsEmpty());
    EXPECT_TRUE(Bound(t, Press(0x43, Modifier::Ctrl | Modifier::Shift)).IsEmpty());
    EXPECT_TRUE(Bound(t, Press(0x43, Modifier::Ctrl | Modifier::Alt)).IsEmpty());
    EXPECT_TRUE(Bound(t, KeyCode(0x43, false, 1, Modifier::Ctrl)).IsEmpty());
    EXPECT_TRUE(Bound(t, KeyCode::FromCharacter(u'c', Modifier::Ctrl)).IsEmpty());
}

TEST(HotKeyControl, AControlAnswersForItsOwnBindings)
{
    RCPtr<uitest::TestControl> c = uitest::Make(nullptr, u"c", 0, 0, 10, 10);
    EXPECT_FALSE(c->HasKeyBinding(u"NID_LOCAL"));
    const KeyCode none = c->GetKeyCodeForNotification(u"NID_LOCAL");
    EXPECT_EQ(none.code, 0x80000000u);
    EXPECT_EQ(none.sideMask, 0u);
    EXPECT_EQ(none.repeat, 0);

    c->GetKeyBindings().LoadFromStringTable(
        Table({{u"LHK.NID_LOCAL", u"VKEY_F2"}, {u"LHK.NID_LOCAL_TOO", u"[43]"}, {u"GHK.NID_GLOBAL", u"VKEY_F3"}}).Get(),
        HotKeyTable::kLocalPrefix);
    c->GetKeyBindings().AddBinding(Press(0x71, Modifier::Shift), u"NID_LOCAL");
    EXPECT_TRUE(c->HasKeyBinding(u"NID_LOCAL"));
    EXPECT_EQ(c->GetKeyCodeForNotification(u"NID_LOCAL"), Press(0x71));
    EXPECT_EQ(c->GetKeyCodeForNotification(u"NID_LOCAL_TOO"), KeyCode::FromCharacter(u'+', 0));
    EXPECT_FALSE(c->HasKeyBinding(u"NID_GLOBAL"));
    EXPECT_FALSE(c->HasKeyBinding(u""));
}
