#pragma once
// What the push-button and pad edit panels share: the places of their bytes in a value, the key
// list's mapping, the selector look-ups with their "Null Pointer" errors, and the check that keeps
// a value with an unselected box (a byte of 0x80 or above) from the engine. Main thread only.
#include "kx/Array.h"
#include "kx/StringT.h"
#include "kx/controls/ComboBox.h"
#include "kx/ui/Control.h"

#include <cstdint>
#include <string_view>

namespace pads {

// The value bytes around the message (bytes 0 and 5..13): the four colours and the key stroke.
inline constexpr uint32_t kFirstColorByte = 1;
inline constexpr uint32_t kColorCount = 4;
inline constexpr uint32_t kHidColorByte = 14;
inline constexpr uint32_t kHidKeyByte = 15;
inline constexpr uint32_t kHidModifierByte = 16;
// The key byte that means "no key" (the key list's item 0).
inline constexpr uint8_t kNoKey = 0x57;

// The key list's item for a key byte read as signed: 87 and -1 are "Off" (item 0), k is item k + 1
// (an item past the list selects nothing).
int32_t KeyItemFromByte(int8_t byte);
// The key byte of a selected item: "Off" is 87, item i is i - 1 (no selection gives 0xFE).
uint8_t KeyByteFromItem(int32_t item);

// A selected index as its low 8 bits (no selection gives 0xFF).
inline uint8_t IndexByte(int32_t index)
{
    return static_cast<uint8_t>(index & 0xFF);
}

// The selected index of a box as its low 8 bits; 0xFF without a box.
uint8_t SelectedByte(const KX::RCPtr<KX::LComboBox>& combo);

// count bytes as the array the frame sends.
KX::Array<signed char> ToSigned(const uint8_t* bytes, uint32_t count);

// "Runtime Error : Null Pointer : <what> : method : path : Line N".
[[noreturn]] void ThrowNullPointer(std::string_view what, std::string_view method, std::string_view path, int line);

// The "comboBox" of the selector of that name on page, or null.
KX::RCPtr<KX::LComboBox> FindSelectorCombo(const KX::RCPtr<KX::LControl>& page, const char16_t* selector);

// Swatches beside the colour names of a selector's box, in the colours the picture's indicators
// show (the looks of the skin's look list of that name). Nothing when the list is missing.
void ShowColorSwatches(const KX::RCPtr<KX::LComboBox>& combo, const char16_t* lookList);

// Sets the "colorNameLabel" of a selector to its table's text under key, formatted with number
// when the text holds a "%d". Nothing when the selector or its label is missing.
void SetColorLabel(const KX::RCPtr<KX::LControl>& selector, const char16_t* key, int32_t number);

// The control's own "LABEL" text formatted with number.
KX::WString FormatLabel(const KX::RCPtr<KX::LControl>& label, int32_t number);

// Clears a flag when it leaves scope, also by an exception.
class FillingScope {
public:
    explicit FillingScope(bool& flag) : m_flag(flag) { m_flag = true; }
    ~FillingScope() { m_flag = false; }
    FillingScope(const FillingScope&) = delete;
    FillingScope& operator=(const FillingScope&) = delete;

private:
    bool& m_flag;
};

} // namespace pads
