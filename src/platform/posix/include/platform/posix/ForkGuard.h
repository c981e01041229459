#pragma once
// Forked copies of the program (SDL's message box on X11 runs in one) never outlive it and never
// keep what marks it as running: a forked child closes the registered descriptors (the
// single-instance lock and socket) at once and is killed when the thread that forked it ends; and a
// termination signal ends the forked children before the program is asked to quit, so that a
// parent waiting for such a child (a message box) gets on with its exit.
#include <functional>

namespace platform::posix {

// Installs the fork handler (once per process).
void InstallForkGuard();

// Descriptors that forked children close at once; unregistered before the descriptor is closed.
void CloseInForkedChildren(int fd);
void KeepInForkedChildren(int fd);

// SIGTERM, SIGINT and SIGHUP: the forked children get SIGTERM, then onSignal runs (on a thread of
// the guard's, not in the signal handler). Once per process; later calls replace onSignal.
void EndForkedChildrenOnSignal(std::function<void()> onSignal);

// A child started through exec that the program waits for (a file chooser), leading a process
// group of its own: a termination signal sends SIGTERM to the whole group, so that the wait ends
// and the quit request is seen. Signalled at once when the signal has already come.
void EndOnTerminationSignal(int pid);
void ForgetOnTerminationSignal(int pid);
// Whether a termination signal has come since the guard was installed.
bool TerminationSignalled();
// A descriptor that becomes readable once a termination signal has come (to poll beside a wait;
// never read it); -1 while signals are not watched (EndForkedChildrenOnSignal not called).
int TerminationSignalledFd();

// Sends SIGTERM to every child of this process that is a forked copy of it (the same executable,
// not started through exec); the number signalled.
int EndForkedChildren();

} // namespace platform::posix
