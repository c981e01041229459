#pragma once
// Starting and stopping SDL's video and timer subsystems for a program's life. Main thread only.
#include <string>

namespace platform::sdl {

// Starts video and timers: true, or false with SDL's reason in error.
bool StartVideo(std::string* error = nullptr);
// Stops what StartVideo started.
void StopVideo();
// The name of the video driver in use ("x11", "wayland", "offscreen"), empty before StartVideo.
std::string VideoDriverName();

} // namespace platform::sdl
