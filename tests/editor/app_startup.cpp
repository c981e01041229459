// The editor program end to end on SDL's offscreen driver: an offline start with no keyboard, a
// start with the keyboard simulator on loopback ports, the exit request closing a dialog before the
// main window, and start-up failures ending with the start-up error box and a non-zero status.
#include "AppTestSupport.h"
#include "KeyboardSimulator.h"
#include "RecordingMessageBoxes.h"

#include "editor/Application.h"
#include "editor/DeviceView.h"
#include "editor/EditorApp.h"
#include "editor/MainControl.h"

#include "kx/ui/RootWindow.h"
#include "kx/ui/UserLocale.h"

#include "platform/sdl/Window.h"

#include <SDL.h>

using namespace KX;
using apptest::TempTree;

namespace {

class AppStartup : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!apptest::KeepOffscreenVideo())
            GTEST_SKIP() << "no offscreen video driver: " << SDL_GetError();
        ASSERT_FALSE(tree.Root().empty());
        options = apptest::OfflineOptions(tree);
    }

    int Run(const std::vector<std::string>& args = {"lumo25-preset-editor"})
    {
        return RunEditorProgram(args, std::move(options));
    }

    TempTree tree;
    EditorProgramOptions options;
    kxtest::RecordingMessageBoxes boxes;
};

} // namespace

TEST_F(AppStartup, OfflineStartShowsTheFixedMainWindowAndExitsZero)
{
    bool started = false;
    options.onStarted = [&](LApplication& app) {
        started = true;
        EXPECT_EQ(GetEditorApp(), &app);
        ASSERT_NE(app.GetMainWindow(), nullptr);
        RectT<int32_t> client{};
        app.GetMainWindow()->GetClientRect(client);
        EXPECT_EQ(client.width, 1200);
        EXPECT_EQ(client.height, 750);
        EXPECT_FALSE(app.GetMainWindow()->GetPlatformWindow().IsResizable());
        ASSERT_EQ(app.GetRootWindows().size(), 1u);
        const RCPtr<LControl>& main = app.GetRootWindows().front()->GetMainControl();
        ASSERT_TRUE(main);
        EXPECT_TRUE(main->GetName() == WString(u"mainControl"));
        EXPECT_TRUE(main->FindChild(WString(u"keyButton")));
        // No keyboard: the engine runs on its default preset.
        ASSERT_TRUE(app.GetRootModuleEngine());
        EXPECT_TRUE(app.GetRootModuleEngine()->IsInitialized());
        ASSERT_TRUE(app.GetMidiManager());
        // The editor's and the framework's classes are both registered.
        ControlCreateFunction create = nullptr;
        EXPECT_EQ(app.GetControlFactory()->GetControlCreateFunction(WString(u"PresetEditor.TabControl"), create), S_OK);
        EXPECT_EQ(app.GetControlFactory()->GetControlCreateFunction(WString(u"Framework.Button"), create), S_OK);
        // The operations a control reaches the desktop through.
        EXPECT_TRUE(app.GetMainRenderContext());
        EXPECT_EQ(app.GetLanguageId(), GetUserDefaultLCID());
        EXPECT_EQ(app.ShowCursor(false), -1);
        EXPECT_EQ(app.ShowCursor(false), -2);
        EXPECT_EQ(app.ShowCursor(true), -1);
        EXPECT_EQ(app.ShowCursor(true), 0);
        SDL_SetModState(KMOD_CAPS);
        bool pressed = true, toggled = false;
        EXPECT_EQ(app.GetKeyState(0x14, pressed, toggled), S_OK);
        EXPECT_FALSE(pressed);
        EXPECT_TRUE(toggled) << "Caps Lock is on without being held";
        SDL_SetModState(KMOD_NONE);
        // The exit request ends the loop.
        app.RequestExit();
    };
    EXPECT_EQ(Run(), kExitNormal);
    EXPECT_TRUE(started);
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_EQ(GetEditorApp(), nullptr);
}

TEST_F(AppStartup, MidiManagerReachesTheKeyboardOnLoopbackPorts)
{
    kxtest::KeyboardSimulator keyboard;
    keyboard.SetSlot(3, kxtest::KeyboardSimulator::PatternFor(3));
    int32_t got = 1;
    options.onStarted = [&](LApplication& app) {
        got = app.GetMidiManager()->GetPresetFromMidiDevice(3);
        app.RequestExit();
    };
    EXPECT_EQ(Run(), kExitNormal);
    EXPECT_EQ(got, 0);
}

TEST_F(AppStartup, ExitRequestInsideADialogClosesTheDialogBeforeTheMainWindow)
{
    int32_t dialogResult = 0;
    size_t windowsAfterDialog = 0;
    bool exitSeenInDialog = false;
    options.onStarted = [&](LApplication& app) {
        RCPtr<LControl> dialog = app.CreateControl(WString(u"testDialog"));
        ASSERT_TRUE(dialog);
        bool asked = false;
        app.onIdle = [&app, &asked] {
            if (app.GetRootWindows().size() == 2 && !asked) {
                asked = true;
                app.RequestExit();
            }
        };
        dialogResult = app.RunModalDialog(dialog, true);
        exitSeenInDialog = app.IsExitRequested();
        windowsAfterDialog = app.GetRootWindows().size();
        app.onIdle = nullptr;
    };
    EXPECT_EQ(Run(), kExitNormal);
    EXPECT_TRUE(exitSeenInDialog);
    EXPECT_EQ(dialogResult, -1) << "the quit ends the modal loop";
    EXPECT_EQ(windowsAfterDialog, 1u) << "the dialog's window is gone, the main one still there";
    // The main window closed afterwards and saved its placement.
    EXPECT_TRUE(apptest::fs::exists(tree.Root() + "/home/.config/Tarvel/Lumo 25 Preset Editor/Profile.ini"));
}

TEST_F(AppStartup, MissingMainControlShowsTheStartupBoxWithTheStringTableText)
{
    std::string skin = apptest::ReadFile(std::string(KX_EDITOR_TEST_RESOURCES) + "app_skin.xml");
    const size_t at = skin.find("Name=\"mainControl\"");
    ASSERT_NE(at, std::string::npos);
    skin.replace(at, 18, "Name=\"otherControl\"");
    options.resourceFolder = apptest::MakeResourceFolder(tree, skin);
    EXPECT_EQ(Run(), kExitStartupFailure);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, "Start-up failed (code 5).");
    EXPECT_EQ(boxes.Boxes()[0].flags & 0xF0u, 0x10u);
}

TEST_F(AppStartup, UnreadableSkinShowsTheBuiltInStartupText)
{
    options.resourceFolder = apptest::MakeResourceFolder(tree, "<Controls_Skin_Root><Application");
    EXPECT_EQ(Run(), kExitStartupFailure);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text,
              "The application encountered problems during startup and will now close.  (Error code = 1)");
}

TEST_F(AppStartup, EmbeddedSkinStartsTheEditorWithTheKeyboardConnected)
{
    kxtest::KeyboardSimulator keyboard;
    keyboard.SetSlot(3, kxtest::KeyboardSimulator::PatternFor(3));
    options.resourceFolder = "::";
    bool started = false;
    options.onStarted = [&](LApplication& app) {
        started = true;
        const RCPtr<LControl>& main = app.GetRootWindows().front()->GetMainControl();
        ASSERT_TRUE(RCPtr<LMainControl>::DynamicCast(main)) << "the skin's mainControl is the editor's main control";
        ASSERT_TRUE(RCPtr<LDeviceView>::DynamicCast(main->FindChild(WString(u"viewDevice"))));
        EXPECT_TRUE(main->FindChild(WString(u"mainMenu")));
        EXPECT_EQ(app.GetMidiManager()->GetPresetFromMidiDevice(3), 0);
        app.RequestExit();
    };
    EXPECT_EQ(Run(), kExitNormal);
    EXPECT_TRUE(started);
    EXPECT_TRUE(boxes.Boxes().empty());
}
