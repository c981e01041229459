#pragma once
// What the value controls share: the notifications that frame a drag and a held
// arrow key, steps of one unit of the range from the arrow keys and the wheel, and the value's
// text with a fixed number of decimals. UI thread only.
#include "kx/ui/Control.h"

#include <cstdint>

namespace KX {

class LMouseWheelParam;
struct KeyCode;

namespace values {

// The most decimals a value text shows.
inline constexpr int32_t kMaxDecimals = 15;

// "NID_VALUE_CHANGE_CAPTURE" with the flag as its payload.
void SendCapture(LControl& control, bool on);
// id with the key (none when null) as its payload.
void SendKeyNotification(LControl& control, const char16_t* id, const KeyCode* key);
// The value plus delta units of the range.
void StepValue(LControl& control, double delta);
// Arrow keys: a release sends "NID_VALUE_CHANGE_KEY_UP"; a press without Ctrl, Alt or the Windows
// key steps the value (right and up add), the first of a held key sending
// "NID_VALUE_CHANGE_KEY_DOWN". 0 when used, 1 otherwise.
KXRESULT HandleArrowKey(LControl& control, const KeyCode& key, bool& keyHeld);
// One unit of the range added for a wheel step in direction forward, taken away for the other.
// 0, or 1 without a parameter or for a disabled control.
KXRESULT WheelStep(LControl& control, const LMouseWheelParam* param, uint32_t forward);
// value with decimals places ("%0.Nf"); a negative value that prints as zero shows without its
// sign.
WString FormatValueText(double value, int32_t decimals);

} // namespace values

} // namespace KX
