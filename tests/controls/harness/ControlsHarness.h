#pragma once
// The controls tests' fixture: an offscreen SDL window with the framework application, the skins
// and strings of the named areas, every built-in control class, and input, clock, idle and paint
// helpers.
//
// Usage:
//   class ButtonClicks : public ctltest::ControlsTest {};           // loads basic_skin.xml and
//   TEST_F(ButtonClicks, ...) {                                       // basic_strings.xml
//       RCPtr<LButton> ok = CreateAs<LButton>(u"okButton");          // a skin control under Page()
//       ClickOn(*ok);                                                  // press + release at its centre
//       Advance(500);                                                  // the clock moves, idle passes run
//       Screenshot("button_pressed");                                 // <build>/controls_screens/*.png
//   }
// Other areas: override Areas() (dependencies first, the test's own area last), e.g.
//   std::vector<std::string> Areas() const override { return {"basic", "lists"}; }
// Each area's documents are tests/controls/resources/<area>_skin.xml and <area>_strings.xml, UTF-8,
// their Application named "ControlsTest". The skin documents are read one after the other: their
// colorizers, parts, looks and look lists are shared; each <Skins> makes its own skin, and a
// control's own skin controls (its pop-up list, its context menu) come from the skin that holds
// the control. The string documents are merged into one UTF-16LE document in memory.
// Page() is the window's main control: a grey background filling the window; Create() builds
// under it unless given another parent, CreateMain() replaces it, CreateTopLevel() makes a control
// of no window (a dialog to run modally). Inside a modal loop, whileModal runs on each idle pass
// and QueueClick() queues input for the modal window (see dialog_modal.cpp).
#include "AppFakes.h"
#include "OSWindowFakes.h"
#include "ScopedRenderHost.h"
#include "StringDocs.h"
#include "UiTestControls.h"

#include "kx/NotificationClient.h"
#include "kx/NotificationReceiver.h"
#include "kx/Resources.h"
#include "kx/controls/ControlClasses.h"
#include "kx/ui/ControlFactory.h"
#include "kx/ui/FrameworkApp.h"
#include "kx/ui/OSWindow.h"

#include "platform/sdl/EventLoop.h"
#include "platform/sdl/Window.h"

#include <gtest/gtest.h>

#include <SDL.h>

#include <functional>
#include <initializer_list>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace ctltest {

// The application name of every area document.
inline constexpr const char16_t* kAppName = u"ControlsTest";

// The file's bytes; empty when it cannot be read.
std::string ReadTextFile(const std::string& path);
// The StringTable elements of each UTF-8 string document, under one Application, as a UTF-16LE
// document with a byte-order mark.
std::string MergeStringDocuments(const std::vector<std::string>& utf8Documents);
// The screenshot folder in the build tree (created on first use), ending with a separator.
std::string ScreenshotFolder();
// The window's surface as last presented, as a PNG file at path (opaque).
void SaveWindowPng(SDL_Window* window, const std::string& path);

// Events pushed for a window without running any loop: the desktop's news (it gained or lost the
// keyboard, was closed), one mouse event at x, y (a move, or a press or release of a button), and
// a move to a point with a left click there.
void PushWindowEvent(Uint32 window, SDL_WindowEventID event);
void PushMouse(Uint32 window, Uint32 type, int32_t x, int32_t y, uint8_t button = SDL_BUTTON_LEFT);
void PushClick(Uint32 window, int32_t x, int32_t y);

// The test resource files of those names as image resources while the holders live: each named
// as the skin names it ("lists_icon_a.png" as LISTS_ICON_A_PNG).
std::vector<std::unique_ptr<KX::ScopedResource>> AddImageResources(std::initializer_list<const char*> fileNames);

// Registers the application's panel class for the scroll-bar channels of lists ("Framework.
// ScrollChannel"), as the application shell does, unless the built-in table already has it.
void RegisterScrollChannelClass(KX::LControlFactory& factory);

// Records the notifications it is registered for: their names in order and each name's last
// payload.
class NotificationLog : public KX::LNotificationReceiver {
public:
    // Registers for each name at source.
    void Listen(KX::LNotificationDistributor* source, std::initializer_list<const char16_t*> names)
    {
        for (const char16_t* name : names)
            EXPECT_FALSE(KX::Failed(source->RegisterClient(KX::RCPtr<KX::LNotificationReceiver>(this), name, 0)));
    }
    KX::KXRESULT Receive(const KX::RCPtr<KX::LNotificationDistributor>&, const KX::RCPtr<KX::LNotification>& n) override
    {
        if (!n)
            return KX::S_FALSE;
        names.push_back(KX::LNotification::GetNotificationName(n->GetID()).ToNarrow().GetString());
        last[names.back()] = n->GetPayload();
        return KX::S_OK;
    }
    KX::KXRESULT UnregisterForNotification(const KX::RCPtr<KX::LNotificationDistributor>& d,
                                           const char16_t* name) override
    {
        return d->UnregisterClient(KX::RCPtr<KX::LNotificationReceiver>(this), name);
    }
    int Count(const std::string& name) const
    {
        int k = 0;
        for (const std::string& s : names)
            k += s == name ? 1 : 0;
        return k;
    }
    int Count(const char16_t* name) const { return Count(std::string(KX::WString(name).ToNarrow().GetString())); }
    void Clear()
    {
        names.clear();
        last.clear();
    }

    std::vector<std::string> names;
    std::map<std::string, KX::ConstRCPtr<KX::LRefCountedObject>> last;
};

// Counts the notifications without a payload that reach it (a widget's plain "changed").
class PlainNotificationCounter : public KX::LNotificationClient {
public:
    KX::KXRESULT Receive(const KX::RCPtr<KX::LNotificationDistributor>&, const KX::RCPtr<KX::LNotification>& n) override
    {
        if (n && !n->GetPayload())
            ++count;
        return 0;
    }
    uint32_t count = 0;
};

// The framework application with the OS window's needs: registers its windows and owns the loop.
class HarnessApp : public apptest::FakeApp, public KX::IOSWindowApp {
public:
    HarnessApp(const KX::RCPtr<KX::LControlFactory>& factory, const KX::ConstRCPtr<KX::LStringTable>& strings);
    ~HarnessApp() override;

    // IOSWindowApp.
    KX::WString GetTitle() override { return KX::WString(u"Controls Test"); }
    void RegisterRootWindow(const KX::RCPtr<KX::LRootWindow>& root) override { AddRootWindow(root); }
    void UnregisterRootWindow(KX::LRootWindow* root) override;
    platform::sdl::EventLoop* GetEventLoop() override { return &events; }

    platform::sdl::EventLoop events;
};

class ControlsTest : public ::testing::Test {
protected:
    static constexpr int32_t kW = 480, kH = 320;

    // The areas whose documents are loaded, dependencies first. An area is a name under
    // ResourceFolder() or, when it holds a "/", a path prefix of its own ("<prefix>_skin.xml").
    virtual std::vector<std::string> Areas() const { return {"basic"}; }
    // Where plain area names are found; the controls tests' resources by default.
    virtual std::string ResourceFolder() const;
    // Registers further skin classes after the built-in ones (an application's own).
    virtual void RegisterClasses(KX::LControlFactory&) {}
    // The window's client size.
    virtual int32_t WindowWidth() const { return kW; }
    virtual int32_t WindowHeight() const { return kH; }

    void SetUp() override;
    void TearDown() override;

    // Creation. The skin control of that name (searched in the skins from the last loaded back)
    // under parent (Page() when null), laid out; null when no skin holds it.
    KX::RCPtr<KX::LControl> Create(const char16_t* name, const KX::RCPtr<KX::LControl>& parent = nullptr);
    template <class T>
    KX::RCPtr<T> CreateAs(const char16_t* name, const KX::RCPtr<KX::LControl>& parent = nullptr)
    {
        KX::RCPtr<KX::LControl> made = Create(name, parent);
        KX::RCPtr<T> typed = KX::RCPtr<T>::DynamicCast(made);
        EXPECT_TRUE(typed) << "the skin control is missing or of another class";
        return typed;
    }
    // The skin control of that name with no parent and no window (dialogs, menus run elsewhere).
    KX::RCPtr<KX::LControl> CreateTopLevel(const char16_t* name);
    template <class T>
    KX::RCPtr<T> CreateTopLevelAs(const char16_t* name)
    {
        KX::RCPtr<T> typed = KX::RCPtr<T>::DynamicCast(KX::ConstRCPtr<KX::LControl>(CreateTopLevel(name)));
        EXPECT_TRUE(typed) << "the skin control is missing or of another class";
        return typed;
    }
    // The skin control of that name as the window's main control, filling the window.
    KX::RCPtr<KX::LControl> CreateMain(const char16_t* name);
    const KX::RCPtr<KX::LControl>& Page() const { return m_page; }
    // Selects the skin that holds name; false when none does.
    bool SelectSkinOf(const char16_t* name);

    // Input through SDL's queue. Points are window client coordinates; mod is an SDL_Keymod held
    // for the event (and released after it).
    void MoveTo(int32_t x, int32_t y);
    void Press(int32_t x, int32_t y, uint8_t button = SDL_BUTTON_LEFT, uint8_t clicks = 1, uint16_t mod = 0);
    void Release(int32_t x, int32_t y, uint8_t button = SDL_BUTTON_LEFT, uint8_t clicks = 1, uint16_t mod = 0);
    void Click(int32_t x, int32_t y, uint8_t button = SDL_BUTTON_LEFT, uint16_t mod = 0);
    void DoubleClick(int32_t x, int32_t y, uint16_t mod = 0);
    // Wheel notches at (x, y): positive dy away from the user, positive dx to the right.
    void Wheel(int32_t x, int32_t y, float dy, float dx = 0.0f);
    // The control's centre in window coordinates, and a click there.
    static KX::PointT<int32_t> CentreOf(const KX::LControl& control);
    void ClickOn(const KX::LControl& control, uint8_t button = SDL_BUTTON_LEFT, uint16_t mod = 0);
    void KeyDown(SDL_Keycode key, uint16_t mod = 0, bool repeat = false);
    void KeyUp(SDL_Keycode key, uint16_t mod = 0);
    // Down and up.
    void Key(SDL_Keycode key, uint16_t mod = 0);
    // Characters, as an input method gives them (UTF-8).
    void Type(const char* utf8);
    // Any SDL event (its window id set here), then the loop's pending work.
    void Inject(SDL_Event event);
    // Queues a left click at (x, y) of another window (a modal dialog's) without running the loop;
    // the window gets the focus first.
    static void QueueClick(KX::OSWindow& target, int32_t x, int32_t y);
    // The OS window that holds control's tree, or null.
    static KX::OSWindow* WindowOf(KX::LControl& control);
    // Runs on every idle pass of the event loop, also inside modal loops (for input to a modal
    // window); after kModalIdleLimit passes the loop is made to quit, so a test cannot hang.
    std::function<void()> whileModal;
    static constexpr int kModalIdleLimit = 600;

    // Time: moves the injected clock on by milliseconds and runs the idle passes.
    void Advance(uint32_t milliseconds);
    uint32_t Now() const { return m_host ? m_host->tick : 0; }
    // Up to eight idle passes (the first is the idle notification's) and the loop's pending work.
    void RunIdle();

    // Painting: the whole window drawn now; the window's pixel as 0xRRGGBB.
    void Paint();
    uint32_t Pixel(int32_t x, int32_t y);
    // Paints and writes the window as <build>/controls_screens/<test suite>.<name>.png; returns
    // the path.
    std::string Screenshot(const std::string& name);
    // <build>/controls_screens/<test suite>.<test>.<name>.png, for pictures of other windows.
    static std::string ScreenshotPath(const std::string& name);

    KX::RCPtr<KX::LControlFactory> factory;
    KX::RCPtr<HarnessApp> app;
    KX::OSWindow* window = nullptr;
    KX::RCPtr<KX::LRootWindow> root;

private:
    std::unique_ptr<kxtest::ScopedRenderHost> m_host;
    KX::RCPtr<KX::LControl> m_page;
    std::string m_stringsPath;
    int m_modalIdles = 0;
};

} // namespace ctltest
