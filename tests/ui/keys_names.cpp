// Key names, display texts and key descriptions: golden results, case rules, hostile text.
#include "kx/ui/KeyCode.h"

#include <gtest/gtest.h>

#include <string>

using namespace KX;

namespace {

std::u16string Text(const WString& s)
{
    return std::u16string(s.GetString());
}

std::u16string Shown(const char16_t* spec)
{
    return Text(KeyCode::ToDisplayText(ParseKeySpec(WString(spec))));
}

} // namespace

// Under ctest each test runs in a process of its own: no name lookup has built the tables here.
TEST(KeyNames, DisplayTextBeforeAnyNameLookupIsThere)
{
    EXPECT_EQ(Text(KeyCodeToText(0x15)), u"Kana");
    EXPECT_EQ(Text(KeyCodeToText(0x41)), u"A");
    EXPECT_EQ(Text(KeyCode::ToDisplayText(KeyCode(0x70, true, 0, Modifier::Ctrl))), u"Ctrl+F1");
}

TEST(KeyNames, NameTableRowsAndRunBoundaries)
{
    struct Row {
        const char16_t* name;
        uint32_t key;
    };
    const Row rows[] = {
        {u"VKEY_BACK", 0x08},
        {u"VKEY_PAGEUP", 0x21},
        {u"VKEY_PAGEDN", 0x22},
        {u"VKEY_0", 0x30},
        {u"VKEY_9", 0x39},
        {u"VKEY_A", 0x41},
        {u"VKEY_Z", 0x5A},
        {u"VKEY_NUMPAD0", 0x60},
        {u"VKEY_NUMPAD9", 0x69},
        {u"VKEY_F1", 0x70},
        {u"VKEY_F10", 0x79},
        {u"VKEY_F24", 0x87},
        {u"VKEY_KANA", 0x15},
        {u"VKEY_HANGEUL", 0x15},
        {u"VKEY_HANGUL", 0x15},
        {u"VKEY_HANJA", 0x19},
        {u"VKEY_KANJI", 0x19},
        {u"VKEY_OEM_NEC_EQUAL", 0x92},
        {u"VKEY_OEM_FJ_JISHO", 0x92},
        {u"VKEY_DELETE", 0x2E},
        {u"VKEY_LAUNCH_APP2", 0xB7},
        // Not in the table: past the runs, mouse buttons, OEM punctuation, wrong case.
        {u"VKEY_F25", 0},
        {u"VKEY_NUMPAD10", 0},
        {u"VKEY_LBUTTON", 0},
        {u"VKEY_OEM_1", 0},
        {u"vkey_a", 0},
        {u"VKEY_a", 0},
        {u"VKEY_", 0},
        {u"", 0},
        {u"VKEY_A ", 0},
    };
    for (const Row& r : rows)
        EXPECT_EQ(NameToKeyCode(WString(r.name)), r.key) << std::string(WString(r.name).ToNarrow().GetString());
}

TEST(KeyNames, DisplayTextsOfEveryCode)
{
    int withText = 0;
    for (uint32_t key = 0; key < 256; ++key)
        withText += KeyCodeToText(key).IsEmpty() ? 0 : 1;
    EXPECT_EQ(withText, 143);
    EXPECT_TRUE(KeyCodeToText(0x08).IsEmpty());
    EXPECT_TRUE(KeyCodeToText(0x09).IsEmpty());
    EXPECT_TRUE(KeyCodeToText(0x100 + 0x41).IsEmpty());
    EXPECT_EQ(Text(KeyCodeToText(0x19)), u"Hanja");
    EXPECT_EQ(Text(KeyCodeToText(0x92)), u"NEC Equal");
    EXPECT_EQ(Text(KeyCodeToText(0x1D)), u"Non-convert");
    EXPECT_EQ(Text(KeyCodeToText(0x2E)), u"Del");
    EXPECT_EQ(Text(KeyCodeToText(0x69)), u"Numpad 9");
    EXPECT_EQ(Text(KeyCodeToText(0x87)), u"F24");
    EXPECT_EQ(Text(KeyCodeToText(0x5A)), u"Z");
    EXPECT_EQ(Text(KeyCodeToText(0xB6)), u"Launch App 1");
}

TEST(KeySpec, GoldenDescriptionsAndTheirTexts)
{
    struct Case {
        const char16_t* spec;
        uint32_t code;
        const char16_t* shown;
    };
    const Case cases[] = {
        {u"SHIFT+CTRL+VKEY_R", 0x23520000, u"Ctrl+Shift+R"},
        {u"Ctrl+VKEY_C", 0x21430000, u"Ctrl+C"},
        {u"VKEY_DELETE", 0x202E0000, u"Del"},
        {u"ctrl+alt+vkey_pageup", 0x25210000, u"Ctrl+Alt+Page Up"},
        // Modifier words are found anywhere, even inside a key name.
        {u"VKEY_SHIFT", 0x22100000, u"Shift+Shift"},
        {u"CTRLALTSHIFTVKEY_F5", 0x27740000, u"Ctrl+Alt+Shift+F5"},
        {u"VKEY_BACK", 0x20080000, u""},
        // Characters: only Alt is taken; the last character keeps its case.
        {u"ALT+[65]", 0x04000041, u"Alt+A"},
        {u"CTRL+A", 0x00000041, u"A"},
        {u"shift+x", 0x00000078, u"x"},
        {u"[ 49 ]", 0x00000031, u"1"},
        {u"[1]", 0x00000001, u"Ctrl+A"},
        {u"[26]", 0x0000001A, u"Ctrl+Z"},
        {u"[32]", 0x00000020, u""},
        {u"[abc]", 0x00000000, u""},
        {u"[-1]", 0x0000FFFF, u""},
        {u"[65601]", 0x00000041, u"A"},
        {u"[99999999999999]", 0x0000FFFF, u""},
        {u"ALT+[", 0x20000000, u""},
        {u"]x[", 0x20000000, u""},
    };
    for (const Case& c : cases) {
        const KeyCode key = ParseKeySpec(WString(c.spec));
        const std::string label(WString(c.spec).ToNarrow().GetString());
        EXPECT_EQ(key.code, c.code) << label;
        EXPECT_EQ(key.sideMask, 0u) << label;
        EXPECT_EQ(key.repeat, 0) << label;
        EXPECT_EQ(Text(KeyCode::ToDisplayText(key)), std::u16string(c.shown)) << label;
    }
}

TEST(KeySpec, UnknownKeyNameOrEmptyTextBindsNothing)
{
    for (const char16_t* spec : {u"CTRL+VKEY_NOPE", u"SHIFT+VKEY_", u"VKEY_F25", u"VKEY_R+CTRL", u""}) {
        const KeyCode key = ParseKeySpec(WString(spec));
        EXPECT_TRUE(key.IsEmpty());
        EXPECT_EQ(key, KeyCode());
    }
    EXPECT_EQ(Text(KeyCode::ToDisplayText(KeyCode())), u"");
    // An empty code shows only its prefixes, always in the order Ctrl, Alt, Shift, Cmd.
    EXPECT_EQ(Text(KeyCode::ToDisplayText(KeyCode(KeyCode::kEmpty | 0x0F410041u, 0, 0))), u"Ctrl+Alt+Shift+Cmd+");
}

TEST(KeySpec, HostileTextGivesEmptyCodeOrACharacter)
{
    // Huge, full of modifiers and separators: the name is the whole tail after "VKEY_".
    std::u16string huge;
    for (int i = 0; i < 20000; ++i)
        huge += u"CTRL++ALT\t\u00e9";
    EXPECT_EQ(ParseKeySpec(WString((huge + u"VKEY_A").c_str())).code, 0x25410000u);
    EXPECT_TRUE(ParseKeySpec(WString((huge + u"VKEY_A" + huge).c_str())).IsEmpty());
    EXPECT_EQ(ParseKeySpec(WString(huge.c_str())).code, KeyCode::kAlt | 0xE9u);

    // Non-ASCII is not upper-cased; a lone surrogate as the last unit is just a character.
    EXPECT_TRUE(ParseKeySpec(WString(u"VKEY_\u00e0")).IsEmpty());
    const char16_t lone[] = {u'A', u'L', u'T', u'+', 0xD800, 0};
    EXPECT_EQ(ParseKeySpec(WString(lone)).code, KeyCode::kAlt | 0xD800u);
    EXPECT_EQ(Text(KeyCode::ToDisplayText(ParseKeySpec(WString(lone)))), u"Alt+");
    // Only ASCII letters fold: the dotless i and the long s do not turn into "I" or "S".
    EXPECT_FALSE(ParseKeySpec(WString(u"\u017fhift+VKEY_A")).code & KeyCode::kShift);
}

TEST(KeySpec, ParsedCharacterTextsParseBack)
{
    for (char16_t c = 33; c <= 126; ++c) {
        if (c == u'[')
            continue;
        for (uint32_t mods : {0u, Modifier::Alt}) {
            const KeyCode key = KeyCode::FromCharacter(c, mods);
            EXPECT_EQ(ParseKeySpec(KeyCode::ToDisplayText(key)), key) << int(c);
        }
    }
    EXPECT_EQ(Shown(u"ALT+[91]"), u"Alt+[");
    EXPECT_EQ(ParseKeySpec(WString(u"Alt+[")).code, KeyCode::kKeyDown);
}
