#pragma once
// The event loop's own SDL user events: the 33 ms tick of the window timers and the wake-up from other
// threads. Each is pushed only when none of its kind is queued. Safe to call from any thread.
#include <cstdint>

namespace platform::sdl::detail {

uint32_t TickEventType();
uint32_t WakeEventType();
void PostTick();
void PostWake();

} // namespace platform::sdl::detail
