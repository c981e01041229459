// Building key codes from key events and characters, hot-key equality, shortcut texts and the
// parser of key descriptions.
#include "kx/ui/KeyCode.h"

namespace KX {

uint32_t KeyCode::CodeBitsFromModifiers(uint32_t modifiers)
{
    uint32_t bits = 0;
    if (modifiers & Modifier::Shift)
        bits |= kShift;
    if (modifiers & Modifier::Ctrl)
        bits |= kCtrl;
    if (modifiers & Modifier::Alt)
        bits |= kAlt;
    if (modifiers & Modifier::Win)
        bits |= kWin;
    if (modifiers & Modifier::Extra)
        bits |= kExtra;
    return bits;
}

uint32_t KeyCode::SideMaskFromModifiers(uint32_t modifiers)
{
    struct Side {
        uint32_t generic, side, bit;
    };
    static constexpr Side kSides[] = {
        {Modifier::Shift, Modifier::LeftShift, kSideLeftShift},
        {Modifier::Shift, Modifier::RightShift, kSideRightShift},
        {Modifier::Ctrl, Modifier::LeftCtrl, kSideLeftCtrl},
        {Modifier::Ctrl, Modifier::RightCtrl, kSideRightCtrl},
        {Modifier::Alt, Modifier::LeftAlt, kSideLeftAlt},
        {Modifier::Alt, Modifier::RightAlt, kSideRightAlt},
        {Modifier::Win, Modifier::LeftWin, kSideLeftWin},
        {Modifier::Win, Modifier::RightWin, kSideRightWin},
    };
    uint32_t mask = 0;
    for (const Side& s : kSides) {
        if ((modifiers & s.generic) && (modifiers & s.side))
            mask |= s.bit;
    }
    return mask;
}

KeyCode::KeyCode(uint8_t virtualKey, bool down, uint8_t repeatByte, uint32_t modifiers)
    : code((static_cast<uint32_t>(virtualKey) << kVirtualKeyShift) | (down ? kKeyDown : 0) |
           CodeBitsFromModifiers(modifiers)),
      sideMask(SideMaskFromModifiers(modifiers)), repeat(repeatByte)
{
}

KeyCode KeyCode::FromCharacter(char16_t character, uint32_t modifiers)
{
    return KeyCode(static_cast<uint32_t>(character) | CodeBitsFromModifiers(modifiers),
                   SideMaskFromModifiers(modifiers), 0);
}

bool KeyCode::IsKeyDown(const KeyCode& key)
{
    return key.GetVirtualKey() != 0 && !key.IsEmpty() && (key.code & kKeyDown) != 0;
}

bool KeyCode::MatchesForHotKey(const KeyCode& a, const KeyCode& b)
{
    const bool aCharacter = a.GetVirtualKey() == 0 && !a.IsEmpty();
    const bool bCharacter = b.GetVirtualKey() == 0 && !b.IsEmpty();
    if (aCharacter && bCharacter) {
        constexpr uint32_t kIgnored = kCtrl | kShift;
        return (a.code & ~kIgnored) == (b.code & ~kIgnored);
    }
    return a.code == b.code;
}

WString KeyCode::ToDisplayText(const KeyCode& key)
{
    WString text;
    if (key.code & kCtrl)
        text += WString(u"Ctrl+");
    if (key.code & kAlt)
        text += WString(u"Alt+");
    if (key.code & kShift)
        text += WString(u"Shift+");
    if (key.code & kWin)
        text += WString(u"Cmd+");
    if (key.IsEmpty())
        return text;
    const uint8_t virtualKey = key.GetVirtualKey();
    if (virtualKey != 0) {
        text += KeyCodeToText(virtualKey);
        return text;
    }
    // Control characters 1-26 are the Ctrl+letter combinations that produced them.
    const char16_t c = key.GetCharacter();
    if (c >= 1 && c <= 26) {
        text += WString(u"Ctrl+");
        text.AppendChar(static_cast<char16_t>(u'A' + c - 1));
    } else if (c >= 33 && c <= 126) {
        text.AppendChar(c);
    }
    return text;
}

KeyCode ParseKeySpec(const WString& text)
{
    if (text.IsEmpty())
        return KeyCode();
    const WString upper = text.ToUpper();
    const bool ctrl = upper.Find(WString(u"CTRL")) >= 0;
    const bool alt = upper.Find(WString(u"ALT")) >= 0;
    const bool shift = upper.Find(WString(u"SHIFT")) >= 0;

    const int name = upper.Find(WString(u"VKEY_"));
    if (name >= 0) {
        const uint32_t virtualKey = NameToKeyCode(upper.Mid(name));
        // An unknown key name binds nothing.
        if (virtualKey == 0)
            return KeyCode();
        const uint32_t modifiers =
            (ctrl ? Modifier::Ctrl : 0) | (alt ? Modifier::Alt : 0) | (shift ? Modifier::Shift : 0);
        return KeyCode(((virtualKey & 0xFF) << KeyCode::kVirtualKeyShift) | KeyCode::kKeyDown |
                           KeyCode::CodeBitsFromModifiers(modifiers),
                       KeyCode::SideMaskFromModifiers(modifiers), 0);
    }

    const uint32_t modifiers = alt ? Modifier::Alt : 0;
    const int open = upper.Find(WString(u"["));
    if (open < 0)
        return KeyCode::FromCharacter(text.GetString()[text.GetLength() - 1], modifiers);
    const WString rest = upper.Mid(open + 1);
    const int close = rest.Find(WString(u"]"));
    if (close < 0)
        return KeyCode(KeyCode::kKeyDown, 0, 0);
    // The number is read as a 32-bit integer and kept to its low 16 bits, as a character is.
    const int number = rest.Left(static_cast<unsigned>(close)).ToInt();
    return KeyCode::FromCharacter(static_cast<char16_t>(static_cast<uint32_t>(number) & 0xFFFF), modifiers);
}

} // namespace KX
