#include "platform/sdl/KeyMap.h"

#include "platform/sdl/WindowEvents.h"

#include <SDL.h>

namespace platform::sdl {

namespace {

// Keys found by their position, whatever the layout.
uint8_t FromScancode(int32_t scancode)
{
    if (scancode >= SDL_SCANCODE_KP_1 && scancode <= SDL_SCANCODE_KP_9)
        return static_cast<uint8_t>(0x61 + (scancode - SDL_SCANCODE_KP_1));
    if (scancode >= SDL_SCANCODE_1 && scancode <= SDL_SCANCODE_9)
        return static_cast<uint8_t>('1' + (scancode - SDL_SCANCODE_1));
    switch (scancode) {
    case SDL_SCANCODE_KP_0: return 0x60;
    case SDL_SCANCODE_KP_MULTIPLY: return 0x6A;
    case SDL_SCANCODE_KP_PLUS: return 0x6B;
    case SDL_SCANCODE_KP_COMMA: return 0x6C;
    case SDL_SCANCODE_KP_MINUS: return 0x6D;
    case SDL_SCANCODE_KP_PERIOD: return 0x6E;
    case SDL_SCANCODE_KP_DIVIDE: return 0x6F;
    case SDL_SCANCODE_KP_ENTER: return 0x0D;
    case SDL_SCANCODE_0: return '0';
    default: return 0;
    }
}

// The punctuation keys, by their position on a US keyboard.
uint8_t OemFromScancode(int32_t scancode)
{
    switch (scancode) {
    case SDL_SCANCODE_SEMICOLON: return 0xBA;
    case SDL_SCANCODE_EQUALS: return 0xBB;
    case SDL_SCANCODE_COMMA: return 0xBC;
    case SDL_SCANCODE_MINUS: return 0xBD;
    case SDL_SCANCODE_PERIOD: return 0xBE;
    case SDL_SCANCODE_SLASH: return 0xBF;
    case SDL_SCANCODE_GRAVE: return 0xC0;
    case SDL_SCANCODE_LEFTBRACKET: return 0xDB;
    case SDL_SCANCODE_BACKSLASH: return 0xDC;
    case SDL_SCANCODE_RIGHTBRACKET: return 0xDD;
    case SDL_SCANCODE_APOSTROPHE: return 0xDE;
    case SDL_SCANCODE_NONUSBACKSLASH: return 0xE2;
    default: return 0;
    }
}

uint8_t FromKeycode(int32_t keycode)
{
    if (keycode >= SDLK_F1 && keycode <= SDLK_F12)
        return static_cast<uint8_t>(0x70 + (keycode - SDLK_F1));
    if (keycode >= SDLK_F13 && keycode <= SDLK_F24)
        return static_cast<uint8_t>(0x7C + (keycode - SDLK_F13));
    switch (keycode) {
    case SDLK_BACKSPACE: return 0x08;
    case SDLK_TAB: return 0x09;
    case SDLK_CLEAR: return 0x0C;
    case SDLK_RETURN: return 0x0D;
    case SDLK_RETURN2: return 0x0D;
    case SDLK_LSHIFT:
    case SDLK_RSHIFT: return 0x10;
    case SDLK_LCTRL:
    case SDLK_RCTRL: return 0x11;
    case SDLK_LALT:
    case SDLK_RALT: return 0x12;
    case SDLK_PAUSE: return 0x13;
    case SDLK_CAPSLOCK: return 0x14;
    case SDLK_ESCAPE: return 0x1B;
    case SDLK_SPACE: return 0x20;
    case SDLK_PAGEUP: return 0x21;
    case SDLK_PAGEDOWN: return 0x22;
    case SDLK_END: return 0x23;
    case SDLK_HOME: return 0x24;
    case SDLK_LEFT: return 0x25;
    case SDLK_UP: return 0x26;
    case SDLK_RIGHT: return 0x27;
    case SDLK_DOWN: return 0x28;
    case SDLK_SELECT: return 0x29;
    case SDLK_EXECUTE: return 0x2B;
    case SDLK_PRINTSCREEN: return 0x2C;
    case SDLK_INSERT: return 0x2D;
    case SDLK_DELETE: return 0x2E;
    case SDLK_HELP: return 0x2F;
    case SDLK_LGUI: return 0x5B;
    case SDLK_RGUI: return 0x5C;
    case SDLK_APPLICATION: return 0x5D;
    case SDLK_SLEEP: return 0x5F;
    case SDLK_NUMLOCKCLEAR: return 0x90;
    case SDLK_SCROLLLOCK: return 0x91;
    case SDLK_AC_BACK: return 0xA6;
    case SDLK_AC_FORWARD: return 0xA7;
    case SDLK_AC_REFRESH: return 0xA8;
    case SDLK_AC_STOP: return 0xA9;
    case SDLK_AC_SEARCH: return 0xAA;
    case SDLK_AC_BOOKMARKS: return 0xAB;
    case SDLK_AC_HOME: return 0xAC;
    case SDLK_MUTE:
    case SDLK_AUDIOMUTE: return 0xAD;
    case SDLK_VOLUMEDOWN: return 0xAE;
    case SDLK_VOLUMEUP: return 0xAF;
    case SDLK_AUDIONEXT: return 0xB0;
    case SDLK_AUDIOPREV: return 0xB1;
    case SDLK_AUDIOSTOP: return 0xB2;
    case SDLK_AUDIOPLAY: return 0xB3;
    case SDLK_MAIL: return 0xB4;
    case SDLK_MEDIASELECT: return 0xB5;
    case SDLK_COMPUTER: return 0xB6;
    case SDLK_CALCULATOR: return 0xB7;
    default: return 0;
    }
}

} // namespace

uint8_t VirtualKeyFromSdl(int32_t keycode, int32_t scancode)
{
    if (uint8_t key = FromScancode(scancode))
        return key; // numpad and the digit row
    if (keycode >= 'a' && keycode <= 'z')
        return static_cast<uint8_t>(keycode - 'a' + 'A'); // letters follow the layout
    if (scancode >= SDL_SCANCODE_A && scancode <= SDL_SCANCODE_Z)
        return static_cast<uint8_t>('A' + (scancode - SDL_SCANCODE_A)); // a layout without Latin letters
    if (uint8_t key = FromKeycode(keycode))
        return key;
    return OemFromScancode(scancode);
}

uint8_t SidedVirtualKeyFromScancode(int32_t scancode)
{
    switch (scancode) {
    case SDL_SCANCODE_LSHIFT: return 0xA0;
    case SDL_SCANCODE_RSHIFT: return 0xA1;
    case SDL_SCANCODE_LCTRL: return 0xA2;
    case SDL_SCANCODE_RCTRL: return 0xA3;
    case SDL_SCANCODE_LALT: return 0xA4;
    case SDL_SCANCODE_RALT: return 0xA5;
    default: return 0;
    }
}

uint32_t FullModifierMask(uint32_t sdlMod)
{
    uint32_t mask = 0;
    if (sdlMod & KMOD_LSHIFT)
        mask |= kModShift | kModLeftShift;
    if (sdlMod & KMOD_RSHIFT)
        mask |= kModShift | kModRightShift;
    if (sdlMod & KMOD_LCTRL)
        mask |= kModCtrl | kModLeftCtrl;
    if (sdlMod & KMOD_RCTRL)
        mask |= kModCtrl | kModRightCtrl;
    if (sdlMod & KMOD_LALT)
        mask |= kModAlt | kModLeftAlt;
    if (sdlMod & KMOD_RALT)
        mask |= kModAlt | kModRightAlt;
    if (sdlMod & KMOD_LGUI)
        mask |= kModWin | kModLeftWin;
    if (sdlMod & KMOD_RGUI)
        mask |= kModWin | kModRightWin;
    return mask;
}

uint32_t ShortModifierMask(uint32_t sdlMod)
{
    return FullModifierMask(sdlMod) & (kModCtrl | kModShift | kModAlt);
}

std::optional<char16_t> ControlCharacterForKey(uint8_t virtualKey, uint32_t fullMask)
{
    const bool ctrl = (fullMask & kModCtrl) != 0;
    const bool alt = (fullMask & kModAlt) != 0;
    switch (virtualKey) {
    case 0x08: return ctrl ? u'\x7F' : u'\b';
    case 0x09: return ctrl ? std::nullopt : std::optional<char16_t>(u'\t');
    case 0x0D: return ctrl ? u'\n' : u'\r';
    case 0x1B: return u'\x1B';
    default: break;
    }
    if (ctrl && !alt && virtualKey >= 'A' && virtualKey <= 'Z')
        return static_cast<char16_t>(virtualKey - 'A' + 1);
    return std::nullopt;
}

namespace {

// One code point from the front of text; -1 for a malformed sequence (consumes one byte then).
int32_t DecodeOne(std::string_view text, size_t& at)
{
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    if (lead < 0x80) {
        ++at;
        return lead;
    }
    size_t length = 0;
    int32_t value = 0;
    int32_t least = 0;
    if ((lead & 0xE0) == 0xC0) {
        length = 2, value = lead & 0x1F, least = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, value = lead & 0x0F, least = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, value = lead & 0x07, least = 0x10000;
    } else {
        ++at;
        return -1;
    }
    if (at + length > text.size()) {
        ++at;
        return -1;
    }
    for (size_t i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80) {
            ++at;
            return -1;
        }
        value = (value << 6) | (byte(at + i) & 0x3F);
    }
    if (value < least || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
        ++at;
        return -1;
    }
    at += length;
    return value;
}

} // namespace

std::u16string Utf8ToUtf16(std::string_view utf8)
{
    std::u16string units;
    units.reserve(utf8.size());
    for (size_t at = 0; at < utf8.size();) {
        int32_t value = DecodeOne(utf8, at);
        if (value < 0)
            value = 0xFFFD;
        if (value >= 0x10000) {
            value -= 0x10000;
            units.push_back(static_cast<char16_t>(0xD800 + (value >> 10)));
            units.push_back(static_cast<char16_t>(0xDC00 + (value & 0x3FF)));
        } else {
            units.push_back(static_cast<char16_t>(value));
        }
    }
    return units;
}

bool IsValidUtf8(std::string_view utf8)
{
    for (size_t at = 0; at < utf8.size();)
        if (DecodeOne(utf8, at) < 0)
            return false;
    return true;
}

} // namespace platform::sdl
