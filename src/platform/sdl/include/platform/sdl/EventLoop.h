#pragma once
// The main thread's message loop over SDL's event queue, with the framework's idle passes: when the queue is
// empty, pending paints are delivered, then the idle handler runs with the pass count of the idle period (0 on
// the first pass) and runs again while it wants more and the count is below 2; then the loop waits. Any event
// except a pointer move to the same place starts a new idle period; so does each window's 33 ms tick and a
// Wake() from any thread. Modal runs nest; a window that a modal run disabled and that gains the keyboard focus
// hands it on to the innermost run's own window. All calls except Wake() on the main thread; SDL video must be
// started.
#include <cstdint>
#include <functional>
#include <vector>

namespace platform::sdl {

class Window;

class EventLoop {
public:
    // Returns whether it wants another pass.
    using IdleHandler = std::function<bool(int idleCount)>;

    EventLoop();
    EventLoop(const EventLoop&) = delete;
    EventLoop& operator=(const EventLoop&) = delete;

    void SetIdleHandler(IdleHandler handler) { m_idle = std::move(handler); }
    // Called for SDL's own quit request (a signal); without one the loop quits with code 0.
    void SetQuitRequestHandler(std::function<void()> handler) { m_quitRequest = std::move(handler); }

    // Runs until Quit; returns the code given to Quit.
    int Run();
    // Runs until the window's EndModal, the window's destruction (result -1) or Quit (result -1; the quit stays
    // in force for the outer loops). The owner, when given, is disabled for the run and, when it took input before
    // (no other modal run holds it), enabled and raised after.
    int RunModal(Window& window, Window* owner);
    // Runs until done() (true) or Quit (false; the quit stays in force for the outer loops): a wait on
    // something outside the loop, which calls Wake() when it ends.
    bool RunUntil(const std::function<bool()>& done);
    // The window of another program (an X11 window id) that the innermost RunUntil waits on: it takes the
    // keyboard focus that a disabled window gains. 0 none.
    void SetWaitWindow(uint64_t foreign);
    void Quit(int code);
    bool QuitRequested() const { return m_quit; }

    // Handles every queued event and pending paint without idle passes or waiting (for tests and for
    // draining before a shutdown).
    void ProcessPending();

    // Wakes the loop from any thread: a new idle period starts on the loop's thread.
    static void Wake();

private:
    // Runs until done() or Quit.
    void Loop(const std::function<bool()>& done);
    // Dispatches one event; returns whether it starts a new idle period.
    bool Dispatch(const void* event);
    bool DeliverPaints();
    // Gives the focus that the disabled window gained to the innermost modal run's window.
    void BringModalForward(uint32_t disabledId);

    // What each modal run (innermost last) brings forward: its window, or another program's.
    struct ModalFront {
        uint32_t window = 0;
        uint64_t foreign = 0;
    };
    struct FrontKept;
    std::vector<ModalFront> m_fronts;

    IdleHandler m_idle;
    std::function<void()> m_quitRequest;
    bool m_quit = false;
    int m_code = 0;
    int m_lastX = -1;
    int m_lastY = -1;
    unsigned m_lastMoveWindow = 0;
};

} // namespace platform::sdl
