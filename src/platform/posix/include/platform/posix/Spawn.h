#pragma once
// Starting another program detached from this one: posix_spawnp with an argument vector (no shell),
// in a session of its own, with no descriptor of ours beyond the standard three (which go to
// /dev/null). The child is reaped in the background so that it never lingers as a zombie.
#include <string>
#include <vector>

namespace platform::posix {

// Starts argv[0] (looked up in PATH when it holds no "/") with argv: 0, or the errno of the failed
// start (ENOENT when the program cannot be found, EINVAL for an empty argv).
int SpawnDetached(const std::vector<std::string>& argv);

// Opens a file with the desktop's program for it: "xdg-open <path>" detached. 0, or ENOENT when the
// file does not exist (nothing is started), or the errno of the failed start. opener replaces
// "xdg-open" (tests).
int OpenWithDesktop(const std::string& path, const std::string& opener = "xdg-open");

} // namespace platform::posix
