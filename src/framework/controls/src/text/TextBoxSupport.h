#pragma once
// Helpers of the text box: character classes, the text area of its first look. UI thread only.
#include "kx/Utf8.h"
#include "kx/ui/Control.h"

namespace KX {

namespace textbox {

// What typing may insert: no control character (C0, DEL, C1).
bool IsPrintable(char16_t c) noexcept;
using KX::IsHighSurrogate;
using KX::IsLowSurrogate;
// Blanks and line breaks, the separators of words.
bool IsWordSpace(char16_t c) noexcept;
// The width of the first look's label box; 0 without one.
double GetTextAreaWidth(LControl& control);
// The first look's label box (x, y, width, height) with the alignment of its text; all 0 without.
RectT<double> GetTextArea(LControl& control, float& hAlign, float& vAlign);

} // namespace textbox
} // namespace KX
