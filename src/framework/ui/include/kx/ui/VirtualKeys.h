#pragma once
// Virtual-key codes of the keyboard keys that key codes carry and key descriptions name.
#include <cstdint>

namespace KX::VKey {

inline constexpr uint8_t Back = 0x08;
inline constexpr uint8_t Tab = 0x09;
inline constexpr uint8_t Clear = 0x0C;
inline constexpr uint8_t Return = 0x0D;
inline constexpr uint8_t Shift = 0x10;
inline constexpr uint8_t Control = 0x11;
inline constexpr uint8_t Menu = 0x12;
inline constexpr uint8_t Pause = 0x13;
inline constexpr uint8_t Capital = 0x14;
inline constexpr uint8_t Kana = 0x15; // also Hangeul, Hangul
inline constexpr uint8_t Junja = 0x17;
inline constexpr uint8_t Final = 0x18;
inline constexpr uint8_t Hanja = 0x19; // also Kanji
inline constexpr uint8_t Escape = 0x1B;
inline constexpr uint8_t Convert = 0x1C;
inline constexpr uint8_t NonConvert = 0x1D;
inline constexpr uint8_t Accept = 0x1E;
inline constexpr uint8_t ModeChange = 0x1F;
inline constexpr uint8_t Space = 0x20;
inline constexpr uint8_t PageUp = 0x21;
inline constexpr uint8_t PageDown = 0x22;
inline constexpr uint8_t End = 0x23;
inline constexpr uint8_t Home = 0x24;
inline constexpr uint8_t Left = 0x25;
inline constexpr uint8_t Up = 0x26;
inline constexpr uint8_t Right = 0x27;
inline constexpr uint8_t Down = 0x28;
inline constexpr uint8_t Select = 0x29;
inline constexpr uint8_t Print = 0x2A;
inline constexpr uint8_t Execute = 0x2B;
inline constexpr uint8_t Snapshot = 0x2C;
inline constexpr uint8_t Insert = 0x2D;
inline constexpr uint8_t Delete = 0x2E;
inline constexpr uint8_t Help = 0x2F;
inline constexpr uint8_t Digit0 = 0x30;  // to Digit0 + 9
inline constexpr uint8_t LetterA = 0x41; // to LetterA + 25 ('Z')
inline constexpr uint8_t LeftWin = 0x5B;
inline constexpr uint8_t RightWin = 0x5C;
inline constexpr uint8_t Apps = 0x5D;
inline constexpr uint8_t Sleep = 0x5F;
inline constexpr uint8_t Numpad0 = 0x60; // to Numpad0 + 9
inline constexpr uint8_t Multiply = 0x6A;
inline constexpr uint8_t Add = 0x6B;
inline constexpr uint8_t Separator = 0x6C;
inline constexpr uint8_t Subtract = 0x6D;
inline constexpr uint8_t Decimal = 0x6E;
inline constexpr uint8_t Divide = 0x6F;
inline constexpr uint8_t F1 = 0x70; // to F1 + 23 (F24)
inline constexpr uint8_t NumLock = 0x90;
inline constexpr uint8_t Scroll = 0x91;
inline constexpr uint8_t OemNecEqual = 0x92; // also OemFjJisho
inline constexpr uint8_t OemFjMasshou = 0x93;
inline constexpr uint8_t OemFjTouroku = 0x94;
inline constexpr uint8_t OemFjLoya = 0x95;
inline constexpr uint8_t OemFjRoya = 0x96;
inline constexpr uint8_t LeftShift = 0xA0;
inline constexpr uint8_t RightShift = 0xA1;
inline constexpr uint8_t LeftControl = 0xA2;
inline constexpr uint8_t RightControl = 0xA3;
inline constexpr uint8_t LeftMenu = 0xA4;
inline constexpr uint8_t RightMenu = 0xA5;
inline constexpr uint8_t BrowserBack = 0xA6;
inline constexpr uint8_t BrowserForward = 0xA7;
inline constexpr uint8_t BrowserRefresh = 0xA8;
inline constexpr uint8_t BrowserStop = 0xA9;
inline constexpr uint8_t BrowserSearch = 0xAA;
inline constexpr uint8_t BrowserFavorites = 0xAB;
inline constexpr uint8_t BrowserHome = 0xAC;
inline constexpr uint8_t VolumeMute = 0xAD;
inline constexpr uint8_t VolumeDown = 0xAE;
inline constexpr uint8_t VolumeUp = 0xAF;
inline constexpr uint8_t MediaNextTrack = 0xB0;
inline constexpr uint8_t MediaPrevTrack = 0xB1;
inline constexpr uint8_t MediaStop = 0xB2;
inline constexpr uint8_t MediaPlayPause = 0xB3;
inline constexpr uint8_t LaunchMail = 0xB4;
inline constexpr uint8_t LaunchMediaSelect = 0xB5;
inline constexpr uint8_t LaunchApp1 = 0xB6;
inline constexpr uint8_t LaunchApp2 = 0xB7;

} // namespace KX::VKey
