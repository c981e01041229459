// Hot-key tables: loading "GHK."/"LHK." entries, binding rules, matching and a control's own keys.
#include "UiTestControls.h"
#include "kx/ui/HotKeyTable.h"
#include "kx/ui/StringTable.h"

#include <gtest/gtest.h>

using namespace KX;

namespace {

HotKeyTable Load(const LStringTable::Entries& entries, const char16_t* prefix = HotKeyTable::kGlobalPrefix)
{
    HotKeyTable t;
    const RCPtr<LStringTable> table(new LStringTable(entries));
    EXPECT_EQ(t.LoadFromStringTable(table.Get(), prefix), S_OK);
    return t;
}

// A key press with generic modifiers and their left sides, as the platform window builds it.
KeyCode Press(uint8_t vk, uint32_t modifiers = 0, uint8_t repeat = 0)
{
    const uint32_t sides = ((modifiers & Modifier::Ctrl) ? Modifier::LeftCtrl : 0) |
                           ((modifiers & Modifier::Shift) ? Modifier::LeftShift : 0);
    return KeyCode(vk, true, repeat, modifiers | sides);
}

constexpr uint32_t kCtrl = Modifier::Ctrl, kShift = Modifier::Shift;

} // namespace

TEST(HotKeyLoading, ShippedGlobalBindingsAndOnlyEntriesOfThePrefix)
{
    const LStringTable::Entries entries = {
        {u"GHK.NID_EDIT_COPY_REQ", u"Ctrl+VKEY_C"},
        {u"GHK.NID_EDIT_DELETE_REQ", u"VKEY_DELETE"},
        {u"GHK.NID_BUTTON_TOGGLE_DIALOG_BUTTON", u"VKEY_D"},
        {u"GHK.NID_MENU_FILE_SAVE_PRESET_TO_FILE", u"Ctrl+VKEY_S"},
        {u"GHK.NID_MENU_FILE_SEND_PRESET_TO_DEVICE", u"SHIFT+CTRL+VKEY_S"},
        {u"GHK.group.NID_DEEP", u"VKEY_F1"}, // the name follows the last dot
        {u"GHK.NID_SEEN_NOWHERE_ELSE", u"VKEY_F7"},
        {u"xGHK.NID_INSIDE", u"VKEY_F2"},
        {u"GHKNID_NODOT", u"VKEY_F3"},
        {u"ghk.NID_LOWER", u"VKEY_F4"},
        {u"GHK.", u"VKEY_F6"},
        {u"LHK.NID_LOCAL_ONLY", u"VKEY_F5"},
    };
    const HotKeyTable t = Load(entries);
    EXPECT_EQ(t.GetCount(), 7u);
    const std::pair<KeyCode, const char16_t*> cases[] = {
        {Press(0x43, kCtrl), u"NID_EDIT_COPY_REQ"},
        {Press(0x2E), u"NID_EDIT_DELETE_REQ"},
        {Press(0x44), u"NID_BUTTON_TOGGLE_DIALOG_BUTTON"},
        {Press(0x53, kCtrl), u"NID_MENU_FILE_SAVE_PRESET_TO_FILE"},
        {Press(0x53, kCtrl | kShift), u"NID_MENU_FILE_SEND_PRESET_TO_DEVICE"},
        {Press(0x70), u"NID_DEEP"},
        {Press(0x76), u"NID_SEEN_NOWHERE_ELSE"},
        {Press(0x71), u""},
        {Press(0x72), u""},
        {Press(0x73), u""},
        {Press(0x75), u""},
        {Press(0x74), u""},
    };
    for (const auto& [key, name] : cases)
        EXPECT_EQ(t.FindNotificationForKey(key), WString(name)) << std::hex << key.code;
    EXPECT_FALSE(t.HasBinding(u"group.NID_DEEP"));

    const HotKeyTable local = Load(entries, HotKeyTable::kLocalPrefix);
    EXPECT_EQ(local.GetCount(), 1u);
    EXPECT_EQ(local.FindNotificationForKey(Press(0x74)), WString(u"NID_LOCAL_ONLY"));
}

TEST(HotKeyLoading, DescriptionsNamingNoKeyBindNothingAndTheFirstEntryKeepsAKey)
{
    const HotKeyTable t = Load({
        {u"GHK.NID_UNKNOWN_KEY", u"Ctrl+VKEY_NOSUCHKEY"},
        {u"GHK.NID_EMPTY_TEXT", u""},
        {u"GHK.NID_B_SECOND", u"Ctrl+VKEY_Q"},
        {u"GHK.NID_A_FIRST", u"CTRL+vkey_q"},
        {u"GHK.NID_Z_CHAR", u"Shift+w"}, // Shift is dropped from a character: the same key as "w"
        {u"GHK.NID_Y_CHAR", u"w"},
    });
    EXPECT_EQ(t.GetCount(), 2u);
    EXPECT_FALSE(t.HasBinding(u"NID_UNKNOWN_KEY"));
    EXPECT_TRUE(t.GetFirstKeyCode(u"NID_EMPTY_TEXT").IsEmpty());
    EXPECT_TRUE(t.FindNotificationForKey(KeyCode()).IsEmpty());
    EXPECT_EQ(t.FindNotificationForKey(Press(0x51, kCtrl)), WString(u"NID_A_FIRST"));
    EXPECT_EQ(t.FindNotificationForKey(KeyCode::FromCharacter(u'w', 0)), WString(u"NID_Y_CHAR"));
}

TEST(HotKeyBinding, ResultsKeyOrderAndANullTable)
{
    HotKeyTable t;
    EXPECT_EQ(t.AddBinding(Press(0x41), u"NID_ONE"), S_OK);
    EXPECT_EQ(t.AddBinding(Press(0x41), u"NID_ONE"), E_INVALIDARG) << "a bound key, even to the same name";
    EXPECT_EQ(t.AddBinding(Press(0x41), u"NID_TWO"), E_INVALIDARG);
    EXPECT_EQ(t.AddBinding(Press(0x42), u""), E_INVALIDARG);
    EXPECT_EQ(t.AddBinding(KeyCode(), u"NID_TWO"), E_INVALIDARG);
    EXPECT_EQ(t.AddBinding(KeyCode(KeyCode::kEmpty | 0x41, 0, 0), u"NID_TWO"), E_INVALIDARG);
    EXPECT_FALSE(t.HasBinding(u"NID_TWO"));
    EXPECT_FALSE(t.HasBinding(u""));

    EXPECT_EQ(t.AddBinding(Press(0x43, kCtrl), u"NID_ONE"), S_OK);
    const Array<KeyCode> keys = t.GetKeyCodes(u"NID_ONE");
    ASSERT_EQ(keys.GetCount(), 2u);
    EXPECT_EQ(keys.ElementAt(1), Press(0x43, kCtrl));
    EXPECT_EQ(t.GetFirstKeyCode(u"NID_ONE"), Press(0x41));
    EXPECT_EQ(t.GetKeyCodes(u"NID_NONE").GetCount(), 0u);

    EXPECT_EQ(t.LoadFromStringTable(nullptr, u"GHK"), E_INVALIDARG);
    EXPECT_EQ(t.GetCount(), 1u);
    t.Clear();
    EXPECT_TRUE(t.FindNotificationForKey(Press(0x41)).IsEmpty());
}

TEST(HotKeyMatching, CharactersIgnoreCtrlAndShiftNamedKeysMatchAllCodeBits)
{
    const HotKeyTable t = Load({{u"GHK.NID_CHAR", u"x"}, {u"GHK.NID_NAMED", u"Ctrl+VKEY_C"}});
    const std::pair<KeyCode, const char16_t*> cases[] = {
        {KeyCode::FromCharacter(u'x', 0), u"NID_CHAR"},
        {KeyCode::FromCharacter(u'x', kCtrl | Modifier::LeftCtrl), u"NID_CHAR"},
        {KeyCode::FromCharacter(u'x', kShift), u"NID_CHAR"},
        {KeyCode::FromCharacter(u'x', Modifier::Alt), u""},
        {KeyCode::FromCharacter(u'X', 0), u""},
        {Press(0x58), u""}, // the X key is not the character
        // Side mask and repeat do not count; modifiers, key-down and the key do.
        {Press(0x43, kCtrl, 1), u"NID_NAMED"},
        {KeyCode(0x43, true, 0, kCtrl | Modifier::RightCtrl), u"NID_NAMED"},
        {Press(0x43), u""},
        {Press(0x43, kCtrl | kShift), u""},
        {Press(0x43, kCtrl | Modifier::Alt), u""},
        {KeyCode(0x43, false, 1, kCtrl), u""},
        {KeyCode::FromCharacter(u'c', kCtrl), u""},
    };
    for (const auto& [key, name] : cases)
        EXPECT_EQ(t.FindNotificationForKey(key), WString(name)) << std::hex << key.code;
}

TEST(HotKeyControl, AControlAnswersForItsOwnBindings)
{
    RCPtr<uitest::TestControl> c = uitest::Make(nullptr, u"c", 0, 0, 10, 10);
    const KeyCode none = c->GetKeyCodeForNotification(u"NID_LOCAL");
    EXPECT_EQ(none, KeyCode(0x80000000u, 0, 0));
    EXPECT_FALSE(c->HasKeyBinding(u"NID_LOCAL"));

    c->GetKeyBindings() = Load({{u"LHK.NID_LOCAL", u"VKEY_F2"}, {u"GHK.NID_GLOBAL", u"VKEY_F3"}}, u"LHK");
    c->GetKeyBindings().AddBinding(Press(0x71, kShift), u"NID_LOCAL");
    EXPECT_TRUE(c->HasKeyBinding(u"NID_LOCAL"));
    EXPECT_EQ(c->GetKeyCodeForNotification(u"NID_LOCAL"), Press(0x71));
    EXPECT_FALSE(c->HasKeyBinding(u"NID_GLOBAL"));
    EXPECT_FALSE(c->HasKeyBinding(u""));
}
