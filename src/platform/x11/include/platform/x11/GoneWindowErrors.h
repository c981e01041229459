#pragma once
// X errors raised by a request that raced the destruction of its window.

namespace platform::x11 {

// From now on an X error about a window or drawable that no longer exists (BadWindow,
// BadDrawable) is written to standard error and the program goes on; any other error goes to the
// handler that was in place before (Xlib's own ends the process). Xlib's handler is one for the
// whole process: call this after the toolkit has installed its own, from the thread that owns it.
void SurviveGoneWindowErrors();

} // namespace platform::x11
