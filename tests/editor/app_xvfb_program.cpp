// The real program on a virtual X server: it starts, paints its main window (saved as a PNG under
// the build folder), opens its File menu on a click and ends with status 0 when its window is
// closed. The user guide's pictures of the edit panels and the Retrieve dialog are taken here.
// Runs only with a display (tools/run-tests.sh runs it under xvfb-run).
#include "AppTestSupport.h"
#include "GuideScreenshots.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <cairo.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <memory>

namespace {

using Clock = std::chrono::steady_clock;

struct DisplayCloser {
    void operator()(Display* d) const { XCloseDisplay(d); }
};

// Windows may go between finding and reading them (a window manager's frames, closing dialogs):
// such errors are not the test's.
int IgnoreXErrors(Display*, XErrorEvent*)
{
    return 0;
}

// The display, retried for up to two seconds: a server that resets when its last client leaves
// refuses connections for a moment.
Display* OpenDisplayWithRetry()
{
    for (int attempt = 0; attempt < 40; ++attempt) {
        if (Display* d = XOpenDisplay(nullptr))
            return d;
        ::usleep(50 * 1000);
    }
    return nullptr;
}

// The 32-bit items of the window's property of that type; empty when it has none.
std::vector<long> PropertyOf(Display* display, Window window, const char* name, Atom type)
{
    Atom actual = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::vector<long> items;
    if (XGetWindowProperty(display, window, XInternAtom(display, name, False), 0, 64, False, type, &actual, &format,
                           &count, &after, &data) == Success &&
        data && format == 32)
        items.assign(reinterpret_cast<const long*>(data), reinterpret_cast<const long*>(data) + count);
    if (data)
        XFree(data);
    return items;
}

// The top-level windows below root whose _NET_WM_PID is pid.
void FindWindowsOf(Display* display, Window window, pid_t pid, std::vector<Window>& out)
{
    if (PropertyOf(display, window, "_NET_WM_PID", XA_CARDINAL) == std::vector<long>{pid})
        out.push_back(window);
    Window rootReturn = 0, parent = 0;
    Window* children = nullptr;
    unsigned int n = 0;
    if (XQueryTree(display, window, &rootReturn, &parent, &children, &n)) {
        for (unsigned int i = 0; i < n; ++i)
            FindWindowsOf(display, children[i], pid, out);
        if (children)
            XFree(children);
    }
}

// The window's pixels as 0xRRGGBB, row by row; empty when it cannot be read.
std::vector<uint32_t> Grab(Display* display, Window window, int& width, int& height)
{
    XWindowAttributes attributes{};
    if (!XGetWindowAttributes(display, window, &attributes) || attributes.map_state != IsViewable)
        return {};
    width = attributes.width;
    height = attributes.height;
    XImage* image = XGetImage(display, window, 0, 0, static_cast<unsigned>(width), static_cast<unsigned>(height),
                              AllPlanes, ZPixmap);
    if (!image)
        return {};
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * static_cast<size_t>(height));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)] =
                static_cast<uint32_t>(XGetPixel(image, x, y)) & 0xFFFFFFu;
    XDestroyImage(image);
    return pixels;
}

bool SavePng(const std::vector<uint32_t>& pixels, int width, int height, const std::string& path)
{
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    cairo_surface_flush(surface);
    for (int y = 0; y < height; ++y)
        std::memcpy(data + static_cast<ptrdiff_t>(y) * stride, pixels.data() + static_cast<size_t>(y) * width,
                    static_cast<size_t>(width) * 4);
    cairo_surface_mark_dirty(surface);
    const bool written = cairo_surface_write_to_png(surface, path.c_str()) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(surface);
    return written;
}

// The picture saved with the user guide's screenshots; the guide, where it shows it, shows it as it is.
void SaveGuidePicture(const std::vector<uint32_t>& pixels, int width, int height, const std::string& name)
{
    const std::string folder = KX_EDITOR_SCREENSHOTS;
    apptest::fs::create_directories(folder);
    EXPECT_TRUE(SavePng(pixels, width, height, folder + name));
    guidetest::ExpectGuidePictureCurrent(folder + name, name);
}

size_t DistinctColours(const std::vector<uint32_t>& pixels)
{
    std::vector<uint32_t> seen;
    for (size_t i = 0; i < pixels.size() && seen.size() < 16; i += 97)
        if (std::find(seen.begin(), seen.end(), pixels[i]) == seen.end())
            seen.push_back(pixels[i]);
    return seen.size();
}

// Pixels that differ in the area under "File" where its menu opens.
size_t ChangedBelowTheMenuBar(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b, int width)
{
    if (a.size() != b.size() || width < 200)
        return 0;
    size_t changed = 0;
    for (int y = 40; y < 200; ++y)
        for (int x = 10; x < 200; ++x) {
            const size_t i = static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x);
            if (i < a.size() && a[i] != b[i])
                ++changed;
        }
    return changed;
}

void SendClick(Display* display, Window window, int x, int y)
{
    // The real pointer moves there (the server tells the window it entered), then the buttons.
    XWarpPointer(display, None, window, 0, 0, 0, 0, x, y);
    XFlush(display);
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    XWarpPointer(display, None, window, 0, 0, 0, 0, x + 1, y);
    XFlush(display);
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    for (int type : {ButtonPress, ButtonRelease}) {
        XEvent event{};
        event.xbutton.type = type;
        event.xbutton.display = display;
        event.xbutton.window = window;
        event.xbutton.root = DefaultRootWindow(display);
        event.xbutton.x = x + 1;
        event.xbutton.y = y;
        event.xbutton.button = Button1;
        event.xbutton.same_screen = True;
        event.xbutton.time = CurrentTime;
        if (type == ButtonRelease)
            event.xbutton.state = Button1Mask;
        XSendEvent(display, window, True, type == ButtonPress ? ButtonPressMask : ButtonReleaseMask, &event);
        XFlush(display);
        std::this_thread::sleep_for(std::chrono::milliseconds(80));
    }
}

// Items of the main window's menus: the x of the menu's title on the bar, and the item's place.
struct MenuItem {
    int titleX, x, y;
};
constexpr MenuItem kLoadPreset{24, 68, 106}, kSavePreset{24, 68, 130}, kUserGuide{94, 120, 34}, kAbout{94, 120, 58};

// The item chosen with the mouse: its menu's title clicked, then the item.
void ChooseMenuItem(Display* display, Window main, MenuItem item)
{
    SendClick(display, main, item.titleX, 12);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    SendClick(display, main, item.x, item.y);
}

// A key pressed and released in the window; with shiftCtrl, between Ctrl and Shift held.
void SendKey(Display* display, Window window, KeySym key, bool shiftCtrl = false)
{
    std::vector<std::pair<KeySym, int>> steps = {{key, KeyPress}, {key, KeyRelease}};
    if (shiftCtrl)
        steps = {{XK_Control_L, KeyPress}, {XK_Shift_L, KeyPress},   {key, KeyPress},
                 {key, KeyRelease},        {XK_Shift_L, KeyRelease}, {XK_Control_L, KeyRelease}};
    for (const auto& [sym, type] : steps) {
        XEvent event{};
        event.xkey.type = type;
        event.xkey.window = window;
        event.xkey.root = DefaultRootWindow(display);
        event.xkey.keycode = XKeysymToKeycode(display, sym);
        event.xkey.state = shiftCtrl && sym == key ? ControlMask | ShiftMask : 0;
        event.xkey.same_screen = True;
        XSendEvent(display, window, True, type == KeyPress ? KeyPressMask : KeyReleaseMask, &event);
        XFlush(display);
        std::this_thread::sleep_for(std::chrono::milliseconds(40));
    }
}

// Real input through the XTEST extension, as a user gives it: the server routes it to the window
// with the focus or under the pointer, a window manager sees it, and a held key repeats and shows
// in the server's key map.
void RealKey(Display* display, KeySym key, bool down)
{
    XTestFakeKeyEvent(display, XKeysymToKeycode(display, key), down ? True : False, CurrentTime);
    XFlush(display);
    std::this_thread::sleep_for(std::chrono::milliseconds(40));
}

// The pointer moved to (x, y) of window, then a left press and release there.
void RealClick(Display* display, Window window, int x, int y)
{
    int rootX = 0, rootY = 0;
    Window child = 0;
    XTranslateCoordinates(display, window, DefaultRootWindow(display), x, y, &rootX, &rootY, &child);
    XTestFakeMotionEvent(display, DefaultScreen(display), rootX, rootY, CurrentTime);
    XFlush(display);
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    for (const Bool press : {True, False}) {
        XTestFakeButtonEvent(display, Button1, press, CurrentTime);
        XFlush(display);
        std::this_thread::sleep_for(std::chrono::milliseconds(80));
    }
}

void SendClose(Display* display, Window window)
{
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XFlush(display);
}

// The program spawned on the display with its own folders and the arguments after its name. A
// folder given as pathFirst comes first on the program's PATH, or is all of it with onlyPath.
pid_t SpawnProgram(const apptest::TempTree& tree, const std::vector<std::string>& arguments,
                   const std::string& pathFirst = "", bool onlyPath = false,
                   const std::vector<std::string>& extraEnvironment = {})
{
    const platform::posix::XdgEnvironment env = apptest::EnvironmentIn(tree);
    std::vector<std::string> environment = {"DISPLAY=" + std::string(std::getenv("DISPLAY")),
                                            "HOME=" + *env.home,
                                            "HOME=" + *env.home,
                                            "XDG_RUNTIME_DIR=" + *env.runtimeDir,
                                            "XDG_CONFIG_HOME=" + *env.configHome,
                                            "XDG_DATA_HOME=" + *env.dataHome,
                                            "SDL_VIDEODRIVER=x11"};
    for (const char* name : {"PATH", "XAUTHORITY"})
        if (const char* value = std::getenv(name); value && (pathFirst.empty() || std::string(name) != "PATH"))
            environment.push_back(std::string(name) + "=" + value);
    if (!pathFirst.empty()) {
        const char* path = std::getenv("PATH");
        environment.push_back("PATH=" + pathFirst + (path && !onlyPath ? std::string(":") + path : std::string()));
    }
    environment.insert(environment.end(), extraEnvironment.begin(), extraEnvironment.end());

    std::string program = KX_EDITOR_PROGRAM;
    std::vector<std::string> args = arguments;
    std::vector<char*> argv = {program.data()};
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (std::string& e : environment)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    pid_t pid = -1;
    if (::posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), envp.data()) != 0)
        return -1;
    return pid;
}

// The spawned program's painted main window and its pixels; 0 if none came.
Window PaintedMainWindow(Display* display, pid_t pid, std::vector<uint32_t>& pixels)
{
    int width = 0, height = 0;
    const auto deadline = Clock::now() + std::chrono::seconds(60);
    while (Clock::now() < deadline && !apptest::ChildStatus(pid)) {
        std::vector<Window> windows;
        FindWindowsOf(display, DefaultRootWindow(display), pid, windows);
        for (Window w : windows) {
            pixels = Grab(display, w, width, height);
            if (width == 1200 && height == 750 && DistinctColours(pixels) >= 3)
                return w;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return 0;
}

// Asks the window to close and waits for the program's exit status; kills it when none comes.
std::optional<int> CloseAndWait(Display* display, Window window, pid_t pid)
{
    SendClose(display, window);
    const std::optional<int> status = apptest::WaitChild(pid, std::chrono::seconds(30));
    if (!status) {
        ::kill(pid, SIGKILL);
        apptest::WaitChild(pid, std::chrono::seconds(5));
    }
    return status;
}

// Pixels that differ in the edit area below the picture.
size_t ChangedInTheEditArea(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b)
{
    size_t changed = 0;
    for (size_t i = 1200 * 448; i < std::min({a.size(), b.size(), size_t(1200 * 720)}); ++i)
        changed += a[i] != b[i] ? 1 : 0;
    return changed;
}

// Grabs the window until changed(pixels) holds or the time is up; the last grab.
std::vector<uint32_t> GrabUntil(Display* display, Window window,
                                const std::function<bool(const std::vector<uint32_t>&)>& changed)
{
    std::vector<uint32_t> pixels;
    int width = 0, height = 0;
    const auto deadline = Clock::now() + std::chrono::seconds(10);
    while (Clock::now() < deadline) {
        pixels = Grab(display, window, width, height);
        if (changed(pixels))
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return pixels;
}

// The window's pixels once two grabs a tenth of a second apart agree (or after two seconds).
std::vector<uint32_t> GrabSettled(Display* display, Window window, int& width, int& height)
{
    std::vector<uint32_t> shown = Grab(display, window, width, height);
    for (int settle = 0; settle < 20 && !shown.empty(); ++settle) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        std::vector<uint32_t> again = Grab(display, window, width, height);
        const bool still = again == shown;
        shown = std::move(again);
        if (still)
            break;
    }
    return shown;
}

// The processes whose parent is pid.
std::vector<pid_t> ChildrenOf(pid_t pid)
{
    std::vector<pid_t> children;
    for (const auto& entry : apptest::fs::directory_iterator("/proc")) {
        const std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos)
            continue;
        std::ifstream status(entry.path() / "status");
        std::string line;
        while (std::getline(status, line))
            if (line.rfind("PPid:", 0) == 0) {
                if (std::atoi(line.c_str() + 5) == pid)
                    children.push_back(std::atoi(name.c_str()));
                break;
            }
    }
    return children;
}

bool Alive(pid_t pid)
{
    // A zombie has no status file of a live process left to read its state from as running.
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("State:", 0) == 0)
            return line.find('Z') == std::string::npos;
    return false;
}

bool WaitUntil(const std::function<bool()>& done, std::chrono::seconds limit)
{
    const auto deadline = Clock::now() + limit;
    while (!done()) {
        if (Clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

} // namespace

// The real program on the X display, with folders of its own; killed if a test leaves it running.
class XvfbProgram : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!std::getenv("DISPLAY"))
            GTEST_SKIP() << "DISPLAY is not set";
        display.reset(OpenDisplayWithRetry());
        ASSERT_TRUE(display) << "cannot open the display";
        XSetErrorHandler(&IgnoreXErrors);
    }
    void TearDown() override
    {
        if (pid > 0 && !apptest::ChildStatus(pid)) {
            ::kill(pid, SIGKILL);
            apptest::WaitChild(pid, std::chrono::seconds(5));
        }
    }

    // Starts the program (pathFirst first on its PATH, or all of it; environment, NAME=value, added
    // to its own) and waits for its painted main window.
    void Start(const std::string& pathFirst = "", bool onlyPath = false,
               const std::vector<std::string>& environment = {})
    {
        pid = SpawnProgram(tree, {}, pathFirst, onlyPath, environment);
        ASSERT_GT(pid, 0);
        main = PaintedMainWindow(display.get(), pid, pixels);
        ASSERT_NE(main, 0u) << "no painted 1200x750 window of the program";
    }

    // Closing the window ends the program normally.
    void ExpectCleanExit()
    {
        EXPECT_EQ(CloseAndWait(display.get(), main, pid), std::optional<int>(0));
        pid = -1;
    }
    // SIGTERM ends the program normally; pid is cleared once it ended.
    bool EndsOnSigterm(std::chrono::seconds limit = std::chrono::seconds(15))
    {
        const std::optional<int> status =
            ::kill(pid, SIGTERM) == 0 ? apptest::WaitChild(pid, limit) : std::optional<int>();
        if (status)
            pid = -1;
        return status == std::optional<int>(0);
    }

    std::unique_ptr<Display, DisplayCloser> display;
    apptest::TempTree tree;
    Window main = 0;
    std::vector<uint32_t> pixels; // the main window as it first painted
    pid_t pid = -1;
};

TEST_F(XvfbProgram, StartsPaintsOpensTheFileMenuAndExitsZero)
{
    ASSERT_NO_FATAL_FAILURE(Start());
    const std::string folder = KX_EDITOR_TEST_OUTPUT;
    apptest::fs::create_directories(folder);
    EXPECT_TRUE(SavePng(pixels, 1200, 750, folder + "xvfb_program_main.png"));

    // A click on "File" opens its menu over the window; its list covers part of the picture below
    // the menu bar (a hover alone changes the bar).
    SendClick(display.get(), main, 24, 12);
    const std::vector<uint32_t> after = GrabUntil(display.get(), main, [&](const std::vector<uint32_t>& now) {
        return ChangedBelowTheMenuBar(pixels, now, 1200) > 2000;
    });
    EXPECT_GT(ChangedBelowTheMenuBar(pixels, after, 1200), 2000u) << "the File menu did not open";
    if (!after.empty()) {
        EXPECT_TRUE(SavePng(after, 1200, 750, folder + "xvfb_program_menu.png"));
    }
    ExpectCleanExit();
}

TEST_F(XvfbProgram, ATileClickedInThePictureOpensItsEditPanel)
{
    ASSERT_NO_FATAL_FAILURE(Start());
    std::vector<uint32_t> before = pixels;

    // One tile of every kind, in window coordinates (the device view starts below the 24-pixel
    // menu bar): the middle of the tile's face. Kinds alike in their panels are not neighbours, so
    // each click changes the edit area.
    const struct {
        int x, y;
        const char* picture;
    } tiles[] = {{844 + 2 * 52 + 24, 24 + 56 + 52 + 24, "xvfb_edit_pad.png"}, // pad 7
                 {352 + 28, 24 + 52 + 30, "edit_encoder.png"},                // encoder 1
                 {608 + 18, 24 + 192 + 32, "edit_push_button.png"},           // push button 1
                 {352 + 22, 24 + 136 + 62, "edit_fader.png"},                 // fader 1
                 {64 + 2 + 116, 24 + 272 + 15, "edit_keybed_zone.png"},       // zone 1
                 {36 + 22, 24 + 56 + 76, "edit_wheel.png"},                   // pitch wheel
                 {1088 + 48, 24 + 56 + 192 + 82, "edit_sustain_pedal.png"},   // sustain pedal
                 {148 + 44, 24 + 56 + 92, "edit_xy_pad.png"},                 // X axis
                 {1088 + 48, 24 + 56 + 82, "edit_volume_pedal.png"}};         // volume pedal
    for (const auto& tile : tiles) {
        SendClick(display.get(), main, tile.x, tile.y);
        std::vector<uint32_t> after = GrabUntil(display.get(), main, [&](const std::vector<uint32_t>& now) {
            return ChangedInTheEditArea(before, now) > 2000;
        });
        int width = 1200, height = 750;
        EXPECT_GT(ChangedInTheEditArea(before, after), 2000u) << tile.picture << ": no edit panel opened";
        // The picture is taken once the window has stopped changing.
        after = GrabSettled(display.get(), main, width, height);
        if (!after.empty())
            SaveGuidePicture(after, width, height, tile.picture);
        before = after;
    }
    ExpectCleanExit();
}

TEST_F(XvfbProgram, TheUserGuideOpensFromTheHelpMenu)
{
    // A desktop opener that only notes what it was asked to open (written whole, then renamed).
    const std::string bin = tree.Folder("bin");
    const std::string noted = tree.Root() + "/opened.txt";
    apptest::WriteFile(bin + "/xdg-open", "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" + noted + ".part' && mv '" + noted +
                                              ".part' '" + noted + "'\n");
    apptest::fs::permissions(bin + "/xdg-open", apptest::fs::perms::owner_all);

    ASSERT_NO_FATAL_FAILURE(Start(bin));
    ChooseMenuItem(display.get(), main, kUserGuide);
    WaitUntil([&] { return apptest::fs::exists(noted); }, std::chrono::seconds(15));

    std::ifstream in(noted);
    std::string opened;
    std::getline(in, opened);
    EXPECT_FALSE(opened.empty()) << "xdg-open was not called";
    if (!opened.empty()) {
        EXPECT_TRUE(apptest::fs::path(opened).is_absolute()) << opened;
        std::error_code error;
        EXPECT_TRUE(apptest::fs::equivalent(opened, KX_USER_GUIDE_PDF, error)) << opened;
        std::ifstream pdf(opened, std::ios::binary);
        char head[5] = {};
        pdf.read(head, sizeof head);
        EXPECT_EQ(std::string(head, sizeof head), "%PDF-") << opened;
    }
    ExpectCleanExit();
}

namespace {

// The program's viewable window of that size other than main, or 0 once the time is up.
Window WaitForWindow(Display* display, pid_t pid, Window main, int width, int height, bool present = true)
{
    const auto deadline = Clock::now() + std::chrono::seconds(15);
    while (Clock::now() < deadline) {
        std::vector<Window> windows;
        FindWindowsOf(display, DefaultRootWindow(display), pid, windows);
        Window found = 0;
        for (Window w : windows) {
            XWindowAttributes a{};
            if (w != main && XGetWindowAttributes(display, w, &a) && a.map_state == IsViewable && a.width == width &&
                a.height == height)
                found = w;
        }
        if ((found != 0) == present)
            return present ? found : 1;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return 0;
}

// The place of window (or of its top-level ancestor) in the root window's stacking order,
// bottom first; -1 when it is not found.
int StackingIndex(Display* display, Window window)
{
    const Window rootWindow = DefaultRootWindow(display);
    for (;;) {
        Window rootReturn = 0, parent = 0;
        Window* children = nullptr;
        unsigned int n = 0;
        if (!XQueryTree(display, window, &rootReturn, &parent, &children, &n))
            return -1;
        if (children)
            XFree(children);
        if (parent == rootWindow || parent == 0)
            break;
        window = parent;
    }
    Window rootReturn = 0, parent = 0;
    Window* children = nullptr;
    unsigned int n = 0;
    int index = -1;
    if (XQueryTree(display, rootWindow, &rootReturn, &parent, &children, &n)) {
        for (unsigned int i = 0; i < n; ++i)
            if (children[i] == window)
                index = static_cast<int>(i);
        if (children)
            XFree(children);
    }
    return index;
}

// A viewable window of the program other than main (and than also); 0 when there is none.
Window OtherWindowOf(Display* display, pid_t pid, Window main, Window also = 0)
{
    std::vector<Window> windows;
    FindWindowsOf(display, DefaultRootWindow(display), pid, windows);
    for (Window w : windows) {
        XWindowAttributes a{};
        if (w != main && w != also && XGetWindowAttributes(display, w, &a) && a.map_state == IsViewable)
            return w;
    }
    return 0;
}

// The same once one shows, waited for up to limit; 0 if none did.
Window AwaitOtherWindow(Display* display, pid_t pid, Window main, std::chrono::seconds limit, Window also = 0)
{
    Window other = 0;
    WaitUntil([&] { return (other = OtherWindowOf(display, pid, main, also)) != 0; }, limit);
    return other;
}

// A viewable window below root named title (WM_NAME); 0 once the time is up.
Window WaitForTitled(Display* display, const std::string& title, std::chrono::seconds limit)
{
    const std::function<Window(Window)> find = [&](Window window) -> Window {
        char* name = nullptr;
        const bool named = XFetchName(display, window, &name) && name && title == name;
        if (name)
            XFree(name);
        XWindowAttributes a{};
        if (named && XGetWindowAttributes(display, window, &a) && a.map_state == IsViewable)
            return window;
        Window rootReturn = 0, parent = 0, found = 0;
        Window* children = nullptr;
        unsigned int n = 0;
        if (XQueryTree(display, window, &rootReturn, &parent, &children, &n)) {
            for (unsigned int i = 0; i < n && !found; ++i)
                found = find(children[i]);
            if (children)
                XFree(children);
        }
        return found;
    };
    const auto deadline = Clock::now() + limit;
    Window found = 0;
    while (!(found = find(DefaultRootWindow(display))) && Clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    return found;
}

// The window's area in root window coordinates.
XRectangle AreaOnScreen(Display* display, Window window)
{
    XWindowAttributes a{};
    XGetWindowAttributes(display, window, &a);
    int x = 0, y = 0;
    Window child = 0;
    XTranslateCoordinates(display, window, DefaultRootWindow(display), 0, 0, &x, &y, &child);
    return XRectangle{static_cast<short>(x), static_cast<short>(y), static_cast<unsigned short>(a.width),
                      static_cast<unsigned short>(a.height)};
}

// About the About dialog as the skin places it: 500 x 200 with OK at (396, 156, 80, 28).
constexpr int kAboutWidth = 500, kAboutHeight = 200;

// The keys pressed in turn and released the other way round, through XTEST.
void RealChord(Display* display, std::initializer_list<KeySym> keys)
{
    for (const KeySym key : keys)
        RealKey(display, key, true);
    for (auto key = std::rbegin(keys); key != std::rend(keys); ++key)
        RealKey(display, *key, false);
}

// The names in the window's list of atoms.
std::vector<std::string> AtomNames(Display* display, Window window, const char* property)
{
    std::vector<std::string> names;
    for (const long atom : PropertyOf(display, window, property, XA_ATOM))
        if (char* name = XGetAtomName(display, static_cast<Atom>(atom))) {
            names.emplace_back(name);
            XFree(name);
        }
    return names;
}

// A point of main, in its coordinates, near one of its corners and clear of other's area and of
// a frame around it.
std::pair<int, int> PointClearOf(Display* display, Window main, Window other)
{
    const XRectangle area = AreaOnScreen(display, main), covered = AreaOnScreen(display, other);
    constexpr int kFrame = 40;
    for (const auto& [x, y] : {std::pair{10, area.height - 10}, std::pair{area.width - 10, area.height - 10},
                               std::pair{10, 40}, std::pair{area.width - 10, 40}}) {
        const int onScreenX = area.x + x, onScreenY = area.y + y;
        if (onScreenX < covered.x - kFrame || onScreenX >= covered.x + covered.width + kFrame ||
            onScreenY < covered.y - kFrame || onScreenY >= covered.y + covered.height + kFrame)
            return {x, y};
    }
    return {10, area.height - 10};
}

} // namespace

TEST_F(XvfbProgram, SavePresetOpensZenitysDialogWhereNoDesktopPortalAnswers)
{
    // The zenity the run command installs (tools/deps.sh --run); the program has no session bus.
    ASSERT_NO_FATAL_FAILURE(Start());
    ChooseMenuItem(display.get(), main, kSavePreset);
    const Window chooser = WaitForTitled(display.get(), "Select Save Location", std::chrono::seconds(30));
    ASSERT_NE(chooser, 0u) << "no zenity save dialog; a File Dialog Unavailable box instead?";
    // Its picture, once it has had time to paint, for a look at what the user gets.
    std::this_thread::sleep_for(std::chrono::seconds(2));
    int width = 0, height = 0;
    const std::vector<uint32_t> shown = Grab(display.get(), chooser, width, height);
    EXPECT_TRUE(SavePng(shown, width, height, std::string(KX_EDITOR_TEST_OUTPUT) + "xvfb_save_chooser.png"));
    // The user types in it (the keyboard goes there), then closes it by its title bar's close:
    // zenity ends as cancelled and the program goes on.
    XSetInputFocus(display.get(), chooser, RevertToParent, CurrentTime);
    XSync(display.get(), False);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    SendClose(display.get(), chooser);
    EXPECT_TRUE(WaitUntil([&] { return ChildrenOf(pid).empty(); }, std::chrono::seconds(15)));
    for (const pid_t child : ChildrenOf(pid))
        ::kill(child, SIGKILL);
    EXPECT_EQ(OtherWindowOf(display.get(), pid, main), 0u) << "a box opened after the chooser closed";
    // The keyboard is the program's again: its hot key opens Retrieve Preset.
    SendKey(display.get(), main, XK_r, true);
    const Window retrieve = AwaitOtherWindow(display.get(), pid, main, std::chrono::seconds(10));
    EXPECT_NE(retrieve, 0u) << "the keys were dead after the chooser was cancelled";
    if (retrieve != 0) {
        SendClose(display.get(), retrieve);
        EXPECT_TRUE(WaitUntil([&] { return OtherWindowOf(display.get(), pid, main) == 0; }, std::chrono::seconds(10)));
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
    }

    // Open again, then a termination signal: the chooser goes and the program ends with 0.
    ChooseMenuItem(display.get(), main, kSavePreset);
    ASSERT_NE(WaitForTitled(display.get(), "Select Save Location", std::chrono::seconds(30)), 0u);
    const std::vector<pid_t> choosers = ChildrenOf(pid);
    EXPECT_TRUE(EndsOnSigterm()) << "the open chooser kept the program running";
    for (const pid_t chooser : choosers) {
        EXPECT_NE(::kill(chooser, 0), 0) << "the chooser outlived the program";
        ::kill(chooser, SIGKILL);
    }
}

TEST_F(XvfbProgram, ZenitysChooserStaysAboveTheMainWindowWithTheKeyboardWhenTheMainWindowIsClicked)
{
    ASSERT_NO_FATAL_FAILURE(Start());
    Display* d = display.get();
    XSetInputFocus(d, main, RevertToParent, CurrentTime);
    XSync(d, False);
    RealChord(d, {XK_Control_L, XK_s}); // Save Preset
    const Window chooser = WaitForTitled(d, "Select Save Location", std::chrono::seconds(30));
    ASSERT_NE(chooser, 0u) << "Ctrl+S opened no zenity chooser";
    std::this_thread::sleep_for(std::chrono::seconds(1));

    // A click on the main window beside the chooser, then a second start, which activates the
    // program: the chooser stays above the main window and keeps the keys (Escape cancels it, and
    // the program goes on).
    const auto [x, y] = PointClearOf(d, main, chooser);
    RealClick(d, main, x, y);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_GT(StackingIndex(d, chooser), StackingIndex(d, main)) << "the click raised the main window over it";
    const pid_t second = SpawnProgram(tree, {"again"});
    ASSERT_GT(second, 0);
    EXPECT_EQ(apptest::WaitChild(second, std::chrono::seconds(30)), std::optional<int>(kExitSecondInstance));
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_GT(StackingIndex(d, chooser), StackingIndex(d, main)) << "the second start raised the main window over it";
    RealChord(d, {XK_Escape});
    EXPECT_TRUE(WaitUntil([&] { return ChildrenOf(pid).empty(); }, std::chrono::seconds(5)))
        << "Escape did not reach the chooser";
    for (const pid_t child : ChildrenOf(pid))
        ::kill(child, SIGKILL);
    ExpectCleanExit();
}

TEST_F(XvfbProgram, TheMainWindowIsTitled)
{
    ASSERT_NO_FATAL_FAILURE(Start());
    char* name = nullptr;
    ASSERT_TRUE(XFetchName(display.get(), main, &name));
    const std::string title = name ? name : "";
    if (name)
        XFree(name);
    EXPECT_FALSE(title.empty()) << "WM_NAME is empty";
    ExpectCleanExit();
}

TEST_F(XvfbProgram, TheFirstClickAfterTheAboutDialogClosesWithOKIsNotLost)
{
    ASSERT_NO_FATAL_FAILURE(Start());
    ChooseMenuItem(display.get(), main, kAbout);
    const Window about = WaitForWindow(display.get(), pid, main, kAboutWidth, kAboutHeight);
    ASSERT_NE(about, 0u) << "the About dialog did not open";
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    SendClick(display.get(), about, 436, 170); // OK
    ASSERT_NE(WaitForWindow(display.get(), pid, main, kAboutWidth, kAboutHeight, false), 0u) << "About stayed open";
    std::this_thread::sleep_for(std::chrono::milliseconds(500));

    int width = 0, height = 0;
    const std::vector<uint32_t> before = Grab(display.get(), main, width, height);
    SendClick(display.get(), main, 24, 12); // File, once
    const std::vector<uint32_t> after = GrabUntil(display.get(), main, [&](const std::vector<uint32_t>& now) {
        return ChangedBelowTheMenuBar(before, now, 1200) > 2000;
    });
    EXPECT_GT(ChangedBelowTheMenuBar(before, after, 1200), 2000u) << "the first click after the dialog was lost";
    ExpectCleanExit();
}

TEST_F(XvfbProgram, ADialogOpensCentredOnTheMainWindowWhereverThatIs)
{
    ASSERT_NO_FATAL_FAILURE(Start());
    // The main window moved off the screen's corner (a window manager may put its frame there
    // instead; the program hears of the move before the clicks below).
    Display* d = display.get();
    const XRectangle before = AreaOnScreen(d, main);
    XMoveWindow(d, main, 310, 190);
    XSync(d, False);
    XRectangle moved{};
    ASSERT_TRUE(WaitUntil(
        [&] {
            moved = AreaOnScreen(d, main);
            return moved.x != before.x && moved.y != before.y && std::abs(moved.x - 310) < 30 &&
                   std::abs(moved.y - 190) < 30;
        },
        std::chrono::seconds(5)));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));

    ChooseMenuItem(d, main, kAbout);
    const Window about = WaitForWindow(d, pid, main, kAboutWidth, kAboutHeight);
    ASSERT_NE(about, 0u) << "the About dialog did not open";
    // The middle of the 1200 x 750 window, not the skin's place for a window at (0, 0).
    const XRectangle area = AreaOnScreen(d, about);
    EXPECT_EQ(area.x, moved.x + (1200 - kAboutWidth) / 2);
    EXPECT_EQ(area.y, moved.y + (750 - kAboutHeight) / 2);

    SendClick(d, about, 436, 170); // OK
    EXPECT_NE(WaitForWindow(d, pid, main, kAboutWidth, kAboutHeight, false), 0u) << "About stayed open";
    ExpectCleanExit();
}

TEST_F(XvfbProgram, ASecondStartKeepsAnOpenDialogInFrontOfTheMainWindow)
{
    ASSERT_NO_FATAL_FAILURE(Start());
    ChooseMenuItem(display.get(), main, kAbout);
    const Window about = WaitForWindow(display.get(), pid, main, kAboutWidth, kAboutHeight);
    ASSERT_NE(about, 0u) << "the About dialog did not open";

    const pid_t second = SpawnProgram(tree, {"again"});
    ASSERT_GT(second, 0);
    EXPECT_EQ(apptest::WaitChild(second, std::chrono::seconds(30)), std::optional<int>(kExitSecondInstance));
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_GT(StackingIndex(display.get(), about), StackingIndex(display.get(), main))
        << "the disabled main window was raised over its dialog";

    SendClick(display.get(), about, 436, 170);
    WaitForWindow(display.get(), pid, main, kAboutWidth, kAboutHeight, false);
    ExpectCleanExit();
}

TEST_F(XvfbProgram, ASecondStartWithAVeryLongCommandLineRaisesTheRunningProgram)
{
    ASSERT_NO_FATAL_FAILURE(Start());
    // A window of the test's own covers the program.
    Display* d = display.get();
    const Window cover = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 1300, 850, 0, 0, 0);
    XMapRaised(d, cover);
    XSync(d, False);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    ASSERT_LT(StackingIndex(d, main), StackingIndex(d, cover));

    const pid_t second = SpawnProgram(tree, {std::string(40000, 'a'), "b"});
    ASSERT_GT(second, 0);
    EXPECT_EQ(apptest::WaitChild(second, std::chrono::seconds(30)), std::optional<int>(kExitSecondInstance));
    const auto deadline = Clock::now() + std::chrono::seconds(5);
    while (Clock::now() < deadline && StackingIndex(d, main) < StackingIndex(d, cover))
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_GT(StackingIndex(d, main), StackingIndex(d, cover)) << "the running program was not raised";
    XDestroyWindow(d, cover);
    XSync(d, False);
    ExpectCleanExit();
}

TEST_F(XvfbProgram, EndedByASignalWithAMessageBoxOpenItLeavesNoChildAndTheNextStartOpens)
{
    // No file dialog program and no session bus: File > Load Preset says so in the program's own
    // box, a window of its own centred on the main window (no window manager places it).
    ASSERT_NO_FATAL_FAILURE(Start(tree.Folder("bin"), true));
    ChooseMenuItem(display.get(), main, kLoadPreset);
    const Window box = AwaitOtherWindow(display.get(), pid, main, std::chrono::seconds(15));
    EXPECT_NE(box, 0u) << "no message box window";
    if (box != 0) {
        const XRectangle boxArea = AreaOnScreen(display.get(), box), mainArea = AreaOnScreen(display.get(), main);
        EXPECT_NEAR(boxArea.x + boxArea.width / 2, mainArea.x + mainArea.width / 2, 1);
        EXPECT_NEAR(boxArea.y + boxArea.height / 2, mainArea.y + mainArea.height / 2, 1);
    }
    const std::vector<pid_t> children = ChildrenOf(pid);

    // The signal is a quit request like any other: a normal end.
    EXPECT_TRUE(EndsOnSigterm(std::chrono::seconds(30))) << "the program did not end";
    for (const pid_t child : children) {
        EXPECT_TRUE(WaitUntil([&] { return !Alive(child); }, std::chrono::seconds(10)))
            << "child " << child << " outlived the program";
        if (Alive(child))
            ::kill(child, SIGKILL);
    }

    // The next start is the first instance again.
    ASSERT_NO_FATAL_FAILURE(Start());
    ExpectCleanExit();
}

TEST_F(XvfbProgram, ASignalEndsTheProgramWhileADialogItsHotKeyOpenedIsOpen)
{
    ASSERT_NO_FATAL_FAILURE(Start());
    // Shift+Ctrl+R opens Retrieve Preset.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    SendKey(display.get(), main, XK_r, true);
    ASSERT_NE(AwaitOtherWindow(display.get(), pid, main, std::chrono::seconds(15)), 0u)
        << "Shift+Ctrl+R opened no dialog";

    EXPECT_TRUE(EndsOnSigterm()) << "the dialog kept the program running";
}

TEST_F(XvfbProgram, AHotKeyHeldThroughItsDialogsCloseDoesNotOpenItAgain)
{
    ASSERT_NO_FATAL_FAILURE(Start());
    Display* d = display.get();
    static constexpr KeySym keys[] = {XK_Control_L, XK_Shift_L, XK_r};
    const auto release = [](Display* held) {
        for (const KeySym key : keys)
            RealKey(held, key, false);
    };
    // Whatever fails below, the server is not left with the keys down.
    const std::unique_ptr<Display, decltype(release)> releaseAtEnd(d, release);
    XSetInputFocus(d, main, RevertToParent, CurrentTime);
    XSync(d, False);

    // Shift+Ctrl+R held opens Retrieve; its Close clicked with the keys still down.
    for (const KeySym key : keys)
        RealKey(d, key, true);
    const Window dialog = WaitForWindow(d, pid, main, 400, 150);
    ASSERT_NE(dialog, 0u) << "Shift+Ctrl+R opened no Retrieve dialog";
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    RealClick(d, dialog, 238, 117);
    ASSERT_TRUE(WaitUntil([&] { return OtherWindowOf(d, pid, main) == 0; }, std::chrono::seconds(10)))
        << "Close did not close it";
    // The server repeats the held R meanwhile.
    std::this_thread::sleep_for(std::chrono::seconds(1));
    EXPECT_EQ(OtherWindowOf(d, pid, main), 0u) << "the held keys opened Retrieve again";

    // Released and pressed again, the keys open it.
    release(d);
    RealChord(d, {XK_Control_L, XK_Shift_L, XK_r});
    EXPECT_NE(AwaitOtherWindow(d, pid, main, std::chrono::seconds(10)), 0u) << "a fresh Shift+Ctrl+R did nothing";
    EXPECT_TRUE(EndsOnSigterm());
}

TEST_F(XvfbProgram, NoRingBeforeTheKeyboardAndTheFirstClickAfterARestoreOpensTheMenu)
{
    ASSERT_NO_FATAL_FAILURE(Start());
    // Nothing gave the window the keyboard: no title wears the focus ring.
    EXPECT_NE(pixels[12 * 1200 + 0], 0x3FA9F5u) << "File wears the focus ring at start";

    // Minimised and restored: unmapped and mapped again.
    Display* d = display.get();
    XUnmapWindow(d, main);
    XSync(d, False);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    XMapWindow(d, main);
    XSync(d, False);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    int width = 0, height = 0;
    const std::vector<uint32_t> before = Grab(d, main, width, height);
    SendClick(d, main, 24, 12); // File, once
    const std::vector<uint32_t> after = GrabUntil(
        d, main, [&](const std::vector<uint32_t>& now) { return ChangedBelowTheMenuBar(before, now, 1200) > 2000; });
    EXPECT_GT(ChangedBelowTheMenuBar(before, after, 1200), 2000u) << "the first click after a restore was lost";
    ExpectCleanExit();
}

TEST_F(XvfbProgram, TheRetrieveDialogKeepsTheSkinsTextSizesWhateverTheDesktopsFontResolution)
{
    // A desktop whose fonts resolve at 120 dots per inch instead of fontconfig's 75.
    const std::string conf = tree.Root() + "/fonts-120dpi.conf";
    apptest::WriteFile(conf, "<?xml version=\"1.0\"?>\n<fontconfig>\n"
                             "  <include ignore_missing=\"yes\">/etc/fonts/fonts.conf</include>\n"
                             "  <match target=\"pattern\"><edit name=\"dpi\" mode=\"assign\"><double>120</double>"
                             "</edit></match>\n</fontconfig>\n");
    const std::vector<std::string> environments[] = {{}, {"FONTCONFIG_FILE=" + conf}};
    std::vector<uint32_t> shown[2];
    for (int run = 0; run < 2; ++run) {
        ASSERT_NO_FATAL_FAILURE(Start("", false, environments[run]));
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        SendKey(display.get(), main, XK_r, true);
        const Window dialog = WaitForWindow(display.get(), pid, main, 400, 150);
        ASSERT_NE(dialog, 0u) << "Shift+Ctrl+R opened no Retrieve dialog";
        int width = 0, height = 0;
        shown[run] = GrabSettled(display.get(), dialog, width, height);
        ASSERT_EQ(shown[run].size(), 400u * 150u);
        ASSERT_TRUE(EndsOnSigterm());
    }
    SaveGuidePicture(shown[0], 400, 150, "dialog_get_preset.png");
    // The title, the subtitle and the slot's label are sized by the skin alone: not a pixel moves.
    EXPECT_TRUE(shown[0] == shown[1]) << "the dialog changed with the desktop's font resolution";
}

TEST_F(XvfbProgram, TheWindowOpensWhereItWasLeftWithOrWithoutAWindowManager)
{
    // Under a window manager the frame lies around the client area: what is saved at the end is
    // what the next start restores, so the window does not creep across the screen.
    ASSERT_NO_FATAL_FAILURE(Start());
    const XRectangle first = AreaOnScreen(display.get(), main);
    // A first start shows the whole frame, title bar included (left, right, top, bottom).
    const std::vector<long> frame = PropertyOf(display.get(), main, "_NET_FRAME_EXTENTS", XA_CARDINAL);
    if (frame.size() == 4) {
        EXPECT_GE(first.x, frame[0]);
        EXPECT_GE(first.y, frame[2]) << "the title bar is above the screen";
    }
    ExpectCleanExit();
    for (int start = 0; start < 2; ++start) {
        ASSERT_NO_FATAL_FAILURE(Start());
        const XRectangle again = AreaOnScreen(display.get(), main);
        EXPECT_EQ(again.x, first.x) << "start " << start + 2;
        EXPECT_EQ(again.y, first.y) << "start " << start + 2;
        ExpectCleanExit();
    }
}

TEST_F(XvfbProgram, ASlotListInAWindowOfItsOwnStaysOpenAndTheDialogKeepsTheKeyboard)
{
    ASSERT_NO_FATAL_FAILURE(Start());
    Display* d = display.get();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    SendKey(d, main, XK_r, true); // Retrieve Preset
    const Window dialog = AwaitOtherWindow(d, pid, main, std::chrono::seconds(15));
    ASSERT_NE(dialog, 0u) << "Shift+Ctrl+R opened no dialog";
    std::this_thread::sleep_for(std::chrono::milliseconds(500));

    // The slot box near the dialog's foot: its list is longer than the room below it in the
    // dialog, so it opens in a window of its own.
    const auto listWindow = [&] { return OtherWindowOf(d, pid, main, dialog); };
    SendClick(d, dialog, 24 + 60, 104 + 14);
    const Window list = AwaitOtherWindow(d, pid, main, std::chrono::seconds(10), dialog);
    ASSERT_NE(list, 0u) << "the click opened no list window";
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_EQ(listWindow(), list) << "the list closed by itself";
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(d, &focus, &revert);
    EXPECT_EQ(focus, dialog) << "the list window took the keyboard focus";

    // The keys reach the box: Escape closes the list and leaves the dialog; Down opens it again.
    SendKey(d, dialog, XK_Escape);
    EXPECT_TRUE(WaitUntil([&] { return listWindow() == 0; }, std::chrono::seconds(10))) << "Escape did not close it";
    EXPECT_EQ(OtherWindowOf(d, pid, main), dialog);
    SendKey(d, dialog, XK_Down);
    EXPECT_TRUE(WaitUntil([&] { return listWindow() != 0; }, std::chrono::seconds(10))) << "Down did not open it";
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_NE(listWindow(), 0u) << "the list opened by Down closed by itself";
    SendKey(d, dialog, XK_Escape);
    SendClose(d, dialog);
    EXPECT_TRUE(WaitUntil([&] { return OtherWindowOf(d, pid, main) == 0; }, std::chrono::seconds(10)));
    ExpectCleanExit();
}

TEST_F(XvfbProgram, AClickOnTheMainWindowLeavesTheKeyboardOnItsDialogWhoseCloseThenClosesAtOnce)
{
    ASSERT_NO_FATAL_FAILURE(Start());
    Display* d = display.get();
    XSetInputFocus(d, main, RevertToParent, CurrentTime);
    XSync(d, False);
    RealChord(d, {XK_Control_L, XK_Shift_L, XK_r}); // Retrieve Preset
    const Window dialog = WaitForWindow(d, pid, main, 400, 150);
    ASSERT_NE(dialog, 0u) << "Shift+Ctrl+R opened no Retrieve dialog";
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    // A window manager knows it as a modal dialog that cannot be maximised.
    if (!PropertyOf(d, DefaultRootWindow(d), "_NET_SUPPORTING_WM_CHECK", XA_WINDOW).empty()) {
        const std::vector<std::string> states = AtomNames(d, dialog, "_NET_WM_STATE");
        EXPECT_NE(std::find(states.begin(), states.end(), "_NET_WM_STATE_MODAL"), states.end());
        for (const std::string& action : AtomNames(d, dialog, "_NET_WM_ALLOWED_ACTIONS"))
            EXPECT_EQ(action.find("MAXIMIZE"), std::string::npos) << action;
    }

    const auto [x, y] = PointClearOf(d, main, dialog);
    RealClick(d, main, x, y);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(d, &focus, &revert);
    EXPECT_EQ(focus, dialog) << "the keyboard left the dialog";
    // Another program's window takes the keyboard; the click that brings the dialog back acts too.
    const Window other = XCreateSimpleWindow(d, DefaultRootWindow(d), 1300, 800, 200, 150, 0, 0, 0xFFFFFF);
    XMapWindow(d, other);
    XSync(d, False);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    RealClick(d, other, 50, 50);
    XSetInputFocus(d, other, RevertToParent, CurrentTime);
    XSync(d, False);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    RealClick(d, dialog, 238, 117); // Close
    EXPECT_NE(WaitForWindow(d, pid, main, 400, 150, false), 0u) << "the first click on Close did not close it";
    EXPECT_TRUE(EndsOnSigterm());
}

TEST_F(XvfbProgram, AChooserThatOutlivesSigtermEndsWithTheProgramAndNeverOutlivesIt)
{
    // A zenity that ignores SIGTERM and whose child, ignoring it too, keeps the answer pipe open.
    const std::string bin = tree.Folder("bin");
    const std::string root = tree.Root();
    apptest::WriteFile(bin + "/zenity", "#!/bin/sh\ntrap '' TERM\nsleep 600 &\necho \"$$ $!\" > '" + root +
                                            "/chooser.part' && mv '" + root + "/chooser.part' '" + root +
                                            "/chooser'\nwait\n");
    apptest::fs::permissions(bin + "/zenity", apptest::fs::perms::owner_all);
    // SIGTERM: the program stops waiting and ends with 0, and the chooser's group goes with it;
    // SIGKILL: nothing of the chooser stays behind either.
    for (const int signal : {SIGTERM, SIGKILL}) {
        ASSERT_NO_FATAL_FAILURE(Start(bin));
        apptest::fs::remove(root + "/chooser");
        ChooseMenuItem(display.get(), main, kSavePreset);
        ASSERT_TRUE(WaitUntil([&] { return apptest::fs::exists(root + "/chooser"); }, std::chrono::seconds(15)))
            << "the chooser did not start";
        pid_t chooser = 0, child = 0;
        std::ifstream(root + "/chooser") >> chooser >> child;
        ASSERT_TRUE(Alive(chooser) && Alive(child));
        ASSERT_EQ(::kill(pid, signal), 0);
        const std::optional<int> status = apptest::WaitChild(pid, std::chrono::seconds(15));
        if (signal == SIGTERM) {
            EXPECT_EQ(status, std::optional<int>(0)) << "the chooser kept the program running";
        }
        if (status)
            pid = -1;
        for (const pid_t left : {chooser, child}) {
            EXPECT_TRUE(WaitUntil([&] { return !Alive(left); }, std::chrono::seconds(10)))
                << left << " outlived the program's end by signal " << signal;
            ::kill(left, SIGKILL);
        }
        if (pid > 0)
            return;
    }
}
