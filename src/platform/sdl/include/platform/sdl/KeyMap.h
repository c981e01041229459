#pragma once
// Keyboard translation to the framework's terms: SDL keys to Windows virtual-key codes, SDL modifier states
// to the modifier masks, UTF-8 text to the UTF-16 units a character message carries, and the control
// characters Windows sends for some keys. Plain functions over SDL's integer codes (no SDL types here).
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace platform::sdl {

// The Windows virtual key of an SDL key (SDL_Keycode, SDL_Scancode); 0 when it has none. The scancode decides
// for the keys whose meaning depends on the position (numpad, letters and digits on any layout), the keycode for
// the rest. Shift, Ctrl and Alt give the generic 0x10/0x11/0x12, the GUI keys 0x5B/0x5C.
uint8_t VirtualKeyFromSdl(int32_t keycode, int32_t scancode);

// The side-specific virtual keys (0xA0..0xA5) of a modifier's scancode; 0 for other scancodes.
uint8_t SidedVirtualKeyFromScancode(int32_t scancode);

// The full modifier mask (Ctrl 1, left 2, right 4; Shift 8, 16, 32; Alt 64, 128, 256; Win 512, 1024, 2048) of
// an SDL_Keymod state, and the short mask of pointer and character events (Ctrl 1, Shift 8, Alt 64).
uint32_t FullModifierMask(uint32_t sdlMod);
uint32_t ShortModifierMask(uint32_t sdlMod);

// The character Windows sends with a key press when the key gives no text: Backspace 8 (Ctrl: 127),
// Tab 9, Enter 13 (Ctrl: 10), Escape 27, Ctrl+A..Z 1..26 (not with Alt, which makes AltGr). None otherwise.
std::optional<char16_t> ControlCharacterForKey(uint8_t virtualKey, uint32_t fullMask);

// UTF-8 to UTF-16 units (a character past U+FFFF gives a surrogate pair); malformed sequences, overlong forms
// and surrogate code points each give U+FFFD.
std::u16string Utf8ToUtf16(std::string_view utf8);

// Whether the text is well-formed UTF-8 (no overlong forms, no surrogates, nothing past U+10FFFF).
bool IsValidUtf8(std::string_view utf8);

} // namespace platform::sdl
