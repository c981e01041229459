#pragma once
// Which keys are really held, read from the X server's own key events: SDL forgets a held key when
// one of its windows loses the keyboard, and the server's repeats of that key then reach the next
// window as fresh presses. A press of a key still held is marked a repeat before SDL queues it.

namespace platform::sdl {

// Starts and stops the watch; the video subsystem must be up.
void WatchHeldKeys();
void StopWatchingHeldKeys();

} // namespace platform::sdl
