// What the window does through the windowing system itself, apart from Window.cpp: SDL_syswm.h
// brings Xlib's names.
#include "platform/sdl/Window.h"

#include <SDL.h>
#include <SDL_syswm.h>
#if defined(SDL_VIDEO_DRIVER_X11)
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <vector>
#endif

namespace platform::sdl {

uint64_t Window::X11WindowId() const
{
#if defined(SDL_VIDEO_DRIVER_X11)
    if (!m_window.get())
        return 0;
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWindowWMInfo(m_window.get(), &info) && info.subsystem == SDL_SYSWM_X11)
        return static_cast<uint64_t>(info.info.x11.window);
#endif
    return 0;
}

namespace {

#if defined(SDL_VIDEO_DRIVER_X11)
bool X11Info(SDL_Window* window, SDL_SysWMinfo& info)
{
    SDL_VERSION(&info.version);
    return window && SDL_GetWindowWMInfo(window, &info) && info.subsystem == SDL_SYSWM_X11;
}

Atom Intern(Display* display, const char* name)
{
    return XInternAtom(display, name, False);
}

// The values of a 32-bit property of the type; empty when it is missing.
std::vector<unsigned long> Property32(Display* display, ::Window window, Atom property, Atom type)
{
    Atom actual = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::vector<unsigned long> values;
    if (XGetWindowProperty(display, window, property, 0, 4096, False, type, &actual, &format, &count, &after, &data) ==
            Success &&
        data) {
        if (format == 32 && actual == type) {
            const auto* first = reinterpret_cast<const unsigned long*>(data);
            values.assign(first, first + count);
        }
        XFree(data);
    }
    return values;
}

// While one lives, X errors on the display are dropped: requests about the windows of another
// program, which may go at any moment. Other connections' errors go to the handler before.
class DroppedErrors {
public:
    explicit DroppedErrors(Display* display) : m_display(display)
    {
        XSync(display, False);
        s_display = display;
        s_previous = XSetErrorHandler(&Drop);
    }
    ~DroppedErrors()
    {
        XSync(m_display, False);
        XSetErrorHandler(s_previous);
        s_display = nullptr;
        s_previous = nullptr;
    }
    DroppedErrors(const DroppedErrors&) = delete;
    DroppedErrors& operator=(const DroppedErrors&) = delete;

private:
    static int Drop(Display* display, XErrorEvent* error)
    {
        if (display == s_display)
            return 0;
        return s_previous ? s_previous(display, error) : 0;
    }

    Display* m_display;
    static inline Display* s_display = nullptr;
    static inline XErrorHandler s_previous = nullptr;
};

// A window manager names itself in a window that the root's _NET_SUPPORTING_WM_CHECK points to
// and that points to itself. Call with errors dropped.
bool WindowManagerRuns(Display* display)
{
    const Atom check = Intern(display, "_NET_SUPPORTING_WM_CHECK");
    const std::vector<unsigned long> named = Property32(display, DefaultRootWindow(display), check, XA_WINDOW);
    if (named.empty())
        return false;
    const std::vector<unsigned long> self = Property32(display, named.front(), check, XA_WINDOW);
    return !self.empty() && self.front() == named.front();
}

// The top-level windows of clients: the window manager's list, else the root's children.
std::vector<unsigned long> ClientWindows(Display* display, bool managed)
{
    const ::Window root = DefaultRootWindow(display);
    if (managed)
        return Property32(display, root, Intern(display, "_NET_CLIENT_LIST"), XA_WINDOW);
    std::vector<unsigned long> windows;
    ::Window rootReturn = 0, parent = 0;
    ::Window* children = nullptr;
    unsigned int count = 0;
    if (XQueryTree(display, root, &rootReturn, &parent, &children, &count) && children) {
        windows.assign(children, children + count);
        XFree(children);
    }
    return windows;
}

// A client message to the window manager about the window.
void AskWindowManager(Display* display, ::Window window, const char* message, const std::array<long, 4>& data)
{
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = Intern(display, message);
    event.xclient.format = 32;
    std::copy(data.begin(), data.end(), event.xclient.data.l);
    XSendEvent(display, DefaultRootWindow(display), False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
}

#endif

// Another program's window made the modal dialog of ours (adopt) or brought forward: a window
// manager is asked; with none it is raised and given the focus, which goes only where a client
// puts it then.
void ForeignWindowForward([[maybe_unused]] SDL_Window* own, [[maybe_unused]] uint64_t foreign,
                          [[maybe_unused]] bool adopt)
{
#if defined(SDL_VIDEO_DRIVER_X11)
    SDL_SysWMinfo info;
    if (foreign == 0 || !X11Info(own, info))
        return;
    Display* display = info.info.x11.display;
    const auto window = static_cast<::Window>(foreign);
    const DroppedErrors dropped(display);
    if (adopt)
        XSetTransientForHint(display, window, info.info.x11.window);
    if (!WindowManagerRuns(display)) {
        XRaiseWindow(display, window);
        XSetInputFocus(display, window, RevertToParent, CurrentTime);
        return;
    }
    // A mapped window's states are the window manager's: it is asked to add the modal one. The
    // window is activated as a pager asks, for the user: an application's request for another
    // program's window may be refused as stealing the focus.
    constexpr long kAdd = 1, kFromApplication = 1, kFromUser = 2;
    if (adopt)
        AskWindowManager(display, window, "_NET_WM_STATE",
                         {kAdd, static_cast<long>(Intern(display, "_NET_WM_STATE_MODAL")), 0, kFromApplication});
    else
        AskWindowManager(display, window, "_NET_ACTIVE_WINDOW",
                         {kFromUser, CurrentTime, static_cast<long>(info.info.x11.window), 0});
#endif
}

} // namespace

void Window::PlaceClientAreaWhenMapped(bool unmapped)
{
#if defined(SDL_VIDEO_DRIVER_X11)
    // SDL moves an unmapped window by its client position, which a window manager takes for the
    // frame's under the default gravity; a mapped one by the frame's, allowing for the borders.
    SDL_SysWMinfo info;
    if (!X11Info(m_window.get(), info))
        return;
    Display* display = info.info.x11.display;
    XSizeHints* hints = XAllocSizeHints();
    if (!hints)
        return;
    long supplied = 0;
    XGetWMNormalHints(display, info.info.x11.window, hints, &supplied);
    hints->flags |= PWinGravity;
    hints->win_gravity = unmapped ? StaticGravity : NorthWestGravity;
    XSetWMNormalHints(display, info.info.x11.window, hints);
    XFree(hints);
    XFlush(display);
#else
    (void)unmapped;
#endif
}

void Window::AnnounceModalDialog(bool resizable)
{
#if defined(SDL_VIDEO_DRIVER_X11)
    SDL_SysWMinfo info;
    if (!X11Info(m_window.get(), info))
        return;
    Display* display = info.info.x11.display;
    const ::Window window = info.info.x11.window;
    const auto set = [&](Atom property, Atom type, const unsigned long* values, size_t count) {
        XChangeProperty(display, window, property, type, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(values), static_cast<int>(count));
    };
    const unsigned long dialog = Intern(display, "_NET_WM_WINDOW_TYPE_DIALOG");
    set(Intern(display, "_NET_WM_WINDOW_TYPE"), XA_ATOM, &dialog, 1);
    // Added to the states SDL set; a window manager reads them when the window is mapped.
    const Atom state = Intern(display, "_NET_WM_STATE");
    std::vector<unsigned long> states = Property32(display, window, state, XA_ATOM);
    const unsigned long modal = Intern(display, "_NET_WM_STATE_MODAL");
    if (std::find(states.begin(), states.end(), modal) == states.end())
        states.push_back(modal);
    set(state, XA_ATOM, states.data(), states.size());
    // Motif hints: the functions and decorations, without minimise and maximise.
    constexpr unsigned long kFunctions = 1, kDecorations = 2;
    constexpr unsigned long kResize = 2, kMove = 4, kClose = 32;
    constexpr unsigned long kBorder = 2, kResizeHandle = 4, kTitle = 8, kMenu = 16;
    const unsigned long motif[5] = {kFunctions | kDecorations, kMove | kClose | (resizable ? kResize : 0),
                                    kBorder | kTitle | kMenu | (resizable ? kResizeHandle : 0), 0, 0};
    const Atom motifHints = Intern(display, "_MOTIF_WM_HINTS");
    set(motifHints, motifHints, motif, 5);
    XFlush(display);
#else
    (void)resizable;
#endif
}

uint64_t Window::FindWindowOfProcessGroup(int processGroup) const
{
#if defined(SDL_VIDEO_DRIVER_X11)
    SDL_SysWMinfo info;
    if (processGroup <= 0 || !X11Info(m_window.get(), info))
        return 0;
    Display* display = info.info.x11.display;
    const DroppedErrors dropped(display);
    const Atom pidAtom = Intern(display, "_NET_WM_PID");
    for (const unsigned long window : ClientWindows(display, WindowManagerRuns(display))) {
        const std::vector<unsigned long> pid = Property32(display, window, pidAtom, XA_CARDINAL);
        if (pid.size() != 1 || pid.front() == 0 || ::getpgid(static_cast<pid_t>(pid.front())) != processGroup)
            continue;
        XWindowAttributes attributes{};
        if (XGetWindowAttributes(display, window, &attributes) && attributes.map_state == IsViewable &&
            !attributes.override_redirect)
            return window;
    }
#else
    (void)processGroup;
#endif
    return 0;
}

void Window::AdoptModalDialog(uint64_t foreign) const
{
    ForeignWindowForward(m_window.get(), foreign, true);
}

void Window::BringForeignForward(uint64_t foreign) const
{
    ForeignWindowForward(m_window.get(), foreign, false);
}

void Window::PlaceFrameWhenMapped()
{
    if (!m_popup && !IsVisible())
        PlaceClientAreaWhenMapped(false);
}

bool Window::MapWithoutFocus()
{
#if defined(SDL_VIDEO_DRIVER_X11)
    SDL_SysWMinfo info;
    if (!X11Info(m_window.get(), info))
        return false;
    XMapRaised(info.info.x11.display, info.info.x11.window);
    XSync(info.info.x11.display, False);
    return true;
#else
    return false;
#endif
}

void Window::UnmapDirectly()
{
#if defined(SDL_VIDEO_DRIVER_X11)
    SDL_SysWMinfo info;
    if (!X11Info(m_window.get(), info))
        return;
    XUnmapWindow(info.info.x11.display, info.info.x11.window);
    XFlush(info.info.x11.display);
#endif
}

} // namespace platform::sdl
