#pragma once
// Whether the keyboard focus is moving by Tab. UI thread only.

namespace KX {

// True while a Tab or Shift+Tab press moves the focus: a control gaining the focus then was
// reached from the keyboard, not by a click.
bool IsFocusMovingByTab() noexcept;

} // namespace KX
