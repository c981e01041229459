// Key codes: packing from key events and characters, side masks, key-down and hot-key equality.
#include "kx/ui/KeyCode.h"

#include <gtest/gtest.h>

using namespace KX;

TEST(KeyCodePacking, KeyEventBitsAndModifierBoundaries)
{
    const KeyCode plain(0x52, true, 0, 0);
    EXPECT_EQ(plain.code, 0x20520000u);
    EXPECT_EQ(plain.sideMask, 0u);

    // Every generic modifier, the extra bit, and the sides held on both hands.
    const uint32_t all = 0x1FFF;
    const KeyCode full(0xFF, false, 1, all);
    EXPECT_EQ(full.code, 0x1FFF0000u);
    EXPECT_EQ(full.sideMask, 0xFFu);
    EXPECT_EQ(full.repeat, 1);
    EXPECT_EQ(full.GetVirtualKey(), 0xFF);

    // Mask bits above 0x1000 reach nothing; the extra bit alone sets only bit 28.
    EXPECT_EQ(KeyCode(0x41, true, 0, 0xFFFFE000u).code, 0x20410000u);
    EXPECT_EQ(KeyCode(0x41, true, 0, Modifier::Extra).code, 0x30410000u);
    EXPECT_EQ(KeyCode(0x41, true, 0, Modifier::Win).code, 0x28410000u);
}

TEST(KeyCodePacking, SideMaskNeedsTheGenericBit)
{
    using namespace Modifier;
    EXPECT_EQ(KeyCode::SideMaskFromModifiers(LeftShift | RightShift | LeftCtrl | RightCtrl | LeftAlt | RightAlt |
                                             LeftWin | RightWin),
              0u);
    EXPECT_EQ(KeyCode::SideMaskFromModifiers(Ctrl | Shift | Alt | Win), 0u);
    EXPECT_EQ(KeyCode::SideMaskFromModifiers(Shift | LeftShift), 0x01u);
    EXPECT_EQ(KeyCode::SideMaskFromModifiers(Shift | RightShift), 0x02u);
    EXPECT_EQ(KeyCode::SideMaskFromModifiers(Ctrl | LeftCtrl), 0x04u);
    EXPECT_EQ(KeyCode::SideMaskFromModifiers(Ctrl | RightCtrl), 0x08u);
    EXPECT_EQ(KeyCode::SideMaskFromModifiers(Alt | LeftAlt), 0x10u);
    EXPECT_EQ(KeyCode::SideMaskFromModifiers(Alt | RightAlt), 0x20u);
    EXPECT_EQ(KeyCode::SideMaskFromModifiers(Win | LeftWin), 0x40u);
    EXPECT_EQ(KeyCode::SideMaskFromModifiers(Win | RightWin), 0x80u);
}

TEST(KeyCodePacking, CharacterCodes)
{
    using namespace Modifier;
    const KeyCode both = KeyCode::FromCharacter(u'q', Ctrl | LeftCtrl | RightCtrl | Shift | LeftShift | RightShift);
    EXPECT_EQ(both.code, u'q' + 0x3000000u);
    EXPECT_EQ(both.sideMask, 0x0Fu);
    EXPECT_EQ(both.repeat, 0);
    // The highest character stays in its 16 bits.
    EXPECT_EQ(KeyCode::FromCharacter(0xFFFF, Alt | Win | Extra).code, 0x1C00FFFFu);
    EXPECT_EQ(KeyCode::FromCharacter(0xFFFF, 0).GetVirtualKey(), 0);
}

TEST(KeyCodePacking, KeyDownOnlyForPresses)
{
    EXPECT_TRUE(KeyCode::IsKeyDown(KeyCode(0x09, true, 1, 0)));
    EXPECT_FALSE(KeyCode::IsKeyDown(KeyCode(0x09, false, 1, 0)));
    EXPECT_FALSE(KeyCode::IsKeyDown(KeyCode(0x20000009u, 0, 0))); // a character with the down bit
    EXPECT_FALSE(KeyCode::IsKeyDown(KeyCode(0xA0090000u, 0, 0))); // empty bit set
    EXPECT_FALSE(KeyCode::IsKeyDown(KeyCode()));
    const KeyCode empty;
    EXPECT_EQ(empty.code, 0x80000000u);
    EXPECT_EQ(empty.sideMask, 0u);
    EXPECT_EQ(empty.repeat, 0);
}

TEST(KeyCodePacking, HotKeyEquality)
{
    const KeyCode a = KeyCode::FromCharacter(u'a', 0);
    // Characters match whatever Ctrl and Shift, but not Alt, Win or another character.
    EXPECT_TRUE(KeyCode::MatchesForHotKey(a, KeyCode::FromCharacter(u'a', Modifier::Ctrl | Modifier::Shift)));
    EXPECT_FALSE(KeyCode::MatchesForHotKey(a, KeyCode::FromCharacter(u'a', Modifier::Alt)));
    EXPECT_FALSE(KeyCode::MatchesForHotKey(a, KeyCode::FromCharacter(u'a', Modifier::Win)));
    EXPECT_FALSE(KeyCode::MatchesForHotKey(a, KeyCode::FromCharacter(u'b', 0)));
    // The side mask and the repeat byte never count.
    EXPECT_TRUE(KeyCode::MatchesForHotKey(KeyCode(0x43, true, 0, Modifier::Ctrl),
                                          KeyCode(0x43, true, 1, Modifier::Ctrl | Modifier::LeftCtrl)));
    // Virtual keys need all 32 bits, Ctrl and Shift included; so does the empty code.
    EXPECT_FALSE(KeyCode::MatchesForHotKey(KeyCode(0x43, true, 0, Modifier::Ctrl), KeyCode(0x43, true, 0, 0)));
    EXPECT_FALSE(KeyCode::MatchesForHotKey(KeyCode(0x43, true, 0, 0), KeyCode(0x43, false, 0, 0)));
    const KeyCode emptyCtrl(KeyCode::kEmpty | KeyCode::kCtrl | 'a', 0, 0);
    EXPECT_FALSE(KeyCode::MatchesForHotKey(emptyCtrl, KeyCode(KeyCode::kEmpty | 'a', 0, 0)));
    EXPECT_TRUE(KeyCode::MatchesForHotKey(KeyCode(), KeyCode()));
}
