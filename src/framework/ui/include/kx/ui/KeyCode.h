#pragma once
// Key codes: one packed value for a key press or release, a typed character or a shortcut; the
// modifier mask the platform window reports; key names, shortcut texts and key descriptions
// ("SHIFT+CTRL+VKEY_R") as string tables hold them.
#include "kx/StringT.h"
#include "kx/ui/VirtualKeys.h"

#include <cstdint>
#include <type_traits>

namespace KX {

// Bits of the modifier mask that the platform window builds from the key states. Pointer events
// carry only Ctrl, Shift and Alt.
namespace Modifier {
inline constexpr uint32_t Ctrl = 0x1;
inline constexpr uint32_t LeftCtrl = 0x2;
inline constexpr uint32_t RightCtrl = 0x4;
inline constexpr uint32_t Shift = 0x8;
inline constexpr uint32_t LeftShift = 0x10;
inline constexpr uint32_t RightShift = 0x20;
inline constexpr uint32_t Alt = 0x40;
inline constexpr uint32_t LeftAlt = 0x80;
inline constexpr uint32_t RightAlt = 0x100;
inline constexpr uint32_t Win = 0x200;
inline constexpr uint32_t LeftWin = 0x400;
inline constexpr uint32_t RightWin = 0x800;
// Carried into the code as KeyCode::kExtra; the platform window never sets it.
inline constexpr uint32_t Extra = 0x1000;
} // namespace Modifier

struct KeyCode {
    // Bits of code.
    static constexpr uint32_t kCharacterMask = 0x0000FFFF;
    static constexpr uint32_t kVirtualKeyMask = 0x00FF0000;
    static constexpr unsigned kVirtualKeyShift = 16;
    static constexpr uint32_t kCtrl = 0x01000000;
    static constexpr uint32_t kShift = 0x02000000;
    static constexpr uint32_t kAlt = 0x04000000;
    static constexpr uint32_t kWin = 0x08000000;
    static constexpr uint32_t kExtra = 0x10000000;
    static constexpr uint32_t kKeyDown = 0x20000000;
    static constexpr uint32_t kEmpty = 0x80000000;

    // Bits of the side mask: which side's modifier key was down.
    static constexpr uint32_t kSideLeftShift = 0x01;
    static constexpr uint32_t kSideRightShift = 0x02;
    static constexpr uint32_t kSideLeftCtrl = 0x04;
    static constexpr uint32_t kSideRightCtrl = 0x08;
    static constexpr uint32_t kSideLeftAlt = 0x10;
    static constexpr uint32_t kSideRightAlt = 0x20;
    static constexpr uint32_t kSideLeftWin = 0x40;
    static constexpr uint32_t kSideRightWin = 0x80;

    uint32_t code = kEmpty;
    uint32_t sideMask = 0;
    // 1 when the key was already down (and for every release), else 0.
    uint8_t repeat = 0;

    // The empty key code.
    constexpr KeyCode() = default;
    constexpr KeyCode(uint32_t codeWord, uint32_t sides, uint8_t repeatByte)
        : code(codeWord), sideMask(sides), repeat(repeatByte)
    {
    }
    // A key press or release with the modifier mask at the time.
    KeyCode(uint8_t virtualKey, bool down, uint8_t repeatByte, uint32_t modifiers);
    // A typed character with the modifier mask at the time; repeat 0, key-down bit clear.
    static KeyCode FromCharacter(char16_t character, uint32_t modifiers);
    // The side-mask bits for a modifier mask: a side counts only with its generic bit.
    static uint32_t SideMaskFromModifiers(uint32_t modifiers);
    // The code bits (Ctrl, Shift, Alt, Win, Extra) for a modifier mask.
    static uint32_t CodeBitsFromModifiers(uint32_t modifiers);

    // A press of a virtual key: never a release, a character or the empty code.
    static bool IsKeyDown(const KeyCode& key);
    // Equality for hot-key bindings: two character codes (no virtual key, not empty) match whatever
    // their Ctrl and Shift bits; anything else must have the same code word. Only the code is compared.
    static bool MatchesForHotKey(const KeyCode& a, const KeyCode& b);
    // The shortcut text: "Ctrl+", "Alt+", "Shift+", "Cmd+" as held, then the key's display text or
    // the character.
    static WString ToDisplayText(const KeyCode& key);

    bool IsEmpty() const { return (code & kEmpty) != 0; }
    uint8_t GetVirtualKey() const { return static_cast<uint8_t>((code & kVirtualKeyMask) >> kVirtualKeyShift); }
    char16_t GetCharacter() const { return static_cast<char16_t>(code & kCharacterMask); }

    bool operator==(const KeyCode& other) const = default;
};

static_assert(std::is_standard_layout_v<KeyCode> && std::is_trivially_copyable_v<KeyCode>);

// The virtual-key code of a key name ("VKEY_" and the key's name, case-sensitive), 0 when the name
// is unknown.
uint32_t NameToKeyCode(const WString& name);
// The display text of a virtual-key code ("Page Up", "F5", "A"), empty when the key has none.
WString KeyCodeToText(uint32_t virtualKey);
// Parses a key description, compared in upper case: "CTRL", "ALT" and "SHIFT" anywhere add their
// modifier; "VKEY_" and a name make a key press; otherwise the last character, or the decimal
// number between "[" and "]", makes a character key with only Alt taken. An unknown key name, or
// an empty text, gives the empty key code.
KeyCode ParseKeySpec(const WString& text);

} // namespace KX
