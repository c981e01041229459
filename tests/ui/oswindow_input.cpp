// Input end to end: SDL events through the OS window into the root window and the hit control,
// with buttons, actions, modifier masks, the press count and the capture policy.
#include "OSWindowFakes.h"

#include "kx/ui/VirtualKeys.h"

using namespace KX;
using Log = std::vector<std::string>;

namespace {

class OSWindowInput : public oswtest::OSWindowTest {
protected:
    void SetUp() override
    {
        OSWindowTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        main = rwtest::MakeRecorder(nullptr, u"main", &log, 0, 0, kW, kH);
        rwtest::GiveHitLook(*main, kW, kH, 0);
        window->GetRootWindow()->AttachMainControl(main);
        button = rwtest::MakeRecorder(main, u"button", &log, 30, 40, 50, 20);
        rwtest::GiveHitLook(*button, 50, 20);
        window->GetRootWindow()->SetFocusControl(button);
        log.clear();
    }
    void TearDown() override
    {
        button = main = nullptr;
        OSWindowTest::TearDown();
    }

    Log log;
    RCPtr<rwtest::Recorder> main, button;
};

std::string KeyLine(const KeyCode& code)
{
    return "button: key " + std::to_string(code.code);
}

} // namespace

TEST_F(OSWindowInput, ClickReachesTheHitControlWithButtonActionAndModifiers)
{
    SDL_SetModState(static_cast<SDL_Keymod>(KMOD_LCTRL | KMOD_LALT));
    Inject(Button(*window, true, SDL_BUTTON_RIGHT, 1, 35, 45));
    EXPECT_EQ(log, (Log{"button: enter", "button: down b4 5,5 m65 held4"}));
    EXPECT_TRUE(window->IsCaptured());
    EXPECT_EQ(window->GetPressCount(), 1u);
    // Controls take the control capture on a press; the release goes to it.
    ASSERT_EQ(window->GetRootWindow()->SetCaptureControl(button), S_OK);
    log.clear();
    SDL_SetModState(KMOD_LSHIFT);
    Inject(Button(*window, false, SDL_BUTTON_RIGHT, 1, 36, 46));
    EXPECT_EQ(log, (Log{"button: up b4 6,6 m8 held0"}));
    // Released inside: the capture stays for hover until the pointer leaves.
    EXPECT_TRUE(window->IsCaptured());
    log.clear();
    Inject(Motion(*window, 400, 10));
    EXPECT_FALSE(window->IsCaptured());
    EXPECT_EQ(window->GetPressCount(), 0u);
    // So the next press takes the capture again (a count left over would never take it).
    Inject(Button(*window, true, SDL_BUTTON_LEFT, 1, 35, 45));
    EXPECT_TRUE(window->IsCaptured());
    EXPECT_TRUE(window->GetPlatformWindow().HasCapture());
    EXPECT_EQ(window->GetPressCount(), 1u);
}

TEST_F(OSWindowInput, EvenClickCountIsADoubleClickOddIsAPress)
{
    Inject(Button(*window, true, SDL_BUTTON_LEFT, 1, 35, 45));
    ASSERT_EQ(window->GetRootWindow()->SetCaptureControl(button), S_OK);
    Inject(Button(*window, false, SDL_BUTTON_LEFT, 1, 35, 45));
    Inject(Button(*window, true, SDL_BUTTON_LEFT, 2, 35, 45));
    Inject(Button(*window, false, SDL_BUTTON_LEFT, 2, 35, 45));
    Inject(Button(*window, true, SDL_BUTTON_LEFT, 3, 35, 45));
    EXPECT_EQ(log, (Log{"button: enter", "button: down b1 5,5 m0 held1", "button: up b1 5,5 m0 held0",
                        "button: down b1 5,5 m0 dbl held1", "button: up b1 5,5 m0 dbl held0",
                        "button: down b1 5,5 m0 held1"}));
    EXPECT_EQ(window->GetPressCount(), 3u);
}

TEST_F(OSWindowInput, DragOutsideKeepsTheCaptureUntilReleasedOutside)
{
    Inject(Button(*window, true, SDL_BUTTON_LEFT, 1, 35, 45));
    ASSERT_EQ(window->GetRootWindow()->SetCaptureControl(button), S_OK);
    log.clear();
    // Held: moves outside stay captured and reach the capture control.
    Inject(Motion(*window, -20, 300));
    EXPECT_TRUE(window->IsCaptured());
    EXPECT_EQ(log, (Log{"button: leave", "button: move -50,260 m0"}));
    log.clear();
    Inject(Button(*window, false, SDL_BUTTON_LEFT, 1, -20, 300));
    EXPECT_FALSE(window->IsCaptured());
    EXPECT_EQ(window->GetPressCount(), 0u);
    EXPECT_FALSE(window->GetPlatformWindow().HasCapture());
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back(), "button: up b1 -50,260 m0 held0");
    // A fresh press takes the capture again with a count of one.
    Inject(Button(*window, true, SDL_BUTTON_LEFT, 1, 35, 45));
    EXPECT_TRUE(window->IsCaptured());
    EXPECT_EQ(window->GetPressCount(), 1u);
}

TEST_F(OSWindowInput, FocusLossWhileCapturedEndsTheCaptureThroughTheLostPath)
{
    Inject(Button(*window, true, SDL_BUTTON_LEFT, 1, 35, 45));
    ASSERT_EQ(window->GetRootWindow()->SetCaptureControl(button), S_OK);
    log.clear();
    Inject(WindowEventOf(*window, SDL_WINDOWEVENT_FOCUS_LOST));
    EXPECT_FALSE(window->IsCaptured());
    EXPECT_EQ(window->GetPressCount(), 0u);
    EXPECT_NE(std::find(log.begin(), log.end(), "button: capture-lost"), log.end());
    EXPECT_FALSE(window->IsActive());
    Inject(WindowEventOf(*window, SDL_WINDOWEVENT_FOCUS_GAINED));
    Inject(Button(*window, true, SDL_BUTTON_LEFT, 1, 35, 45));
    EXPECT_TRUE(window->IsCaptured());
}

TEST_F(OSWindowInput, APressIntoAWindowWithoutTheFocusActivatesItAndIsNotLost)
{
    // As after a modal dialog closed with no window manager to hand the focus back.
    Inject(WindowEventOf(*window, SDL_WINDOWEVENT_FOCUS_LOST));
    ASSERT_FALSE(window->IsActive());
    log.clear();
    Inject(Button(*window, true, SDL_BUTTON_LEFT, 1, 35, 45));
    EXPECT_TRUE(window->IsActive());
    EXPECT_TRUE(std::any_of(log.begin(), log.end(), [](const std::string& line) {
        return line.rfind("button: down", 0) == 0;
    })) << "the first press after the focus came back was dropped";
}

TEST_F(OSWindowInput, WheelNotchesAndFractionsAddUp)
{
    Inject(Wheel(*window, 0, 0.5f));
    EXPECT_TRUE(log.empty() || log == Log{"button: enter"}) << log.size();
    log.clear();
    Inject(Wheel(*window, 0, 0.5f));  // two halves make one notch up
    Inject(Wheel(*window, 0, -3.0f)); // a fast wheel: every notch delivered
    Inject(Wheel(*window, 1.0f, 0));
    Log wheels;
    for (const std::string& line : log)
        if (line.find("wheel") != std::string::npos)
            wheels.push_back(line);
    EXPECT_EQ(wheels, (Log{"button: wheel 1 35,45", "button: wheel 0 35,45", "button: wheel 0 35,45",
                           "button: wheel 0 35,45", "button: hwheel 3"}));
}

TEST_F(OSWindowInput, KeysAndCharactersCarryTheirMasks)
{
    // Ctrl+Shift+A down, left sides: the full mask, then Ctrl+A's control character with the short mask.
    const Uint16 mod = KMOD_LCTRL | KMOD_LSHIFT;
    SDL_SetModState(static_cast<SDL_Keymod>(mod));
    Inject(Key(*window, true, SDLK_a, SDL_SCANCODE_A, mod));
    Inject(Key(*window, false, SDLK_a, SDL_SCANCODE_A, mod));
    const uint32_t full = 1 + 2 + 8 + 16;
    EXPECT_EQ(log, (Log{KeyLine(KeyCode('A', true, 0, full)), KeyLine(KeyCode::FromCharacter(1, 1 + 8)),
                        KeyLine(KeyCode('A', false, 1, full))}));
    log.clear();
    SDL_SetModState(KMOD_RALT);
    Inject(Key(*window, true, SDLK_F5, SDL_SCANCODE_F5, KMOD_RALT));
    Inject(Text(*window, "\xC3\xA9")); // e acute
    EXPECT_EQ(log, (Log{KeyLine(KeyCode(0x74, true, 0, 64 + 256)), KeyLine(KeyCode::FromCharacter(0xE9, 64))}));
    log.clear();
    // A Windows key held: characters are dropped.
    SDL_SetModState(KMOD_LGUI);
    Inject(Text(*window, "x"));
    EXPECT_TRUE(log.empty());
}

TEST_F(OSWindowInput, InputBeforeTheRendererOnlyMovesThePointer)
{
    OSWindowOptions options;
    options.title = u"bare";
    OSWindow* bare = OSWindow::Create(options);
    ASSERT_NE(bare, nullptr);
    Inject(Button(*bare, true, SDL_BUTTON_LEFT, 1, 3, 4));
    Inject(Wheel(*bare, 0, 2.0f));
    EXPECT_FALSE(bare->IsCaptured());
    EXPECT_EQ(bare->GetPressCount(), 0u);
    EXPECT_EQ(bare->GetRootWindow().Get(), nullptr);
    bare->Destroy();
    EXPECT_TRUE(log.empty());
}
