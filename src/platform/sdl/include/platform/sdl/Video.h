#pragma once
// Starting and stopping SDL's video and timer subsystems for a program's life. Main thread only.
#include <string>

namespace platform::sdl {

// Starts video and timers: true, or false with SDL's reason in error.
bool StartVideo(std::string* error = nullptr);
// Stops what StartVideo started.
void StopVideo();
// The program's own handling of SIGTERM, SIGINT and SIGHUP instead of SDL's: its forked children
// (a message box) end first, then SDL is asked to quit (the process ends at once before SDL's
// events run). Before StartVideo; once per process, never in tests that share their process.
void QuitOnTerminationSignals();
// Lets go of everything SDL keeps for the process (its D-Bus connection among it); at the very end.
void ShutDown();
// The name of the video driver in use ("x11", "wayland", "offscreen"), empty before StartVideo.
std::string VideoDriverName();

} // namespace platform::sdl
