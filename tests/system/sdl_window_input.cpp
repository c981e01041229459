// The SDL window's pointer, wheel, focus and capture translation, with events injected into SDL's queue
// under the offscreen video driver.
#include "SdlWindowSupport.h"

#include <limits>

namespace {

using namespace sdltest;

using SdlWindowPointer = WindowTest;

TEST_F(SdlWindowPointer, ButtonsCarryActionButtonModifiersAndTrackedButtonBits)
{
    SDL_SetModState(static_cast<SDL_Keymod>(KMOD_LCTRL | KMOD_RSHIFT));
    Inject(Button(true, SDL_BUTTON_LEFT, 1, 10, 11));
    SDL_SetModState(KMOD_RALT);
    Inject(Button(true, SDL_BUTTON_RIGHT, 1, 12, 13));
    EXPECT_EQ(window->ButtonState(), kButtonLeft | kButtonRight);
    SDL_SetModState(KMOD_NONE);
    Inject(Button(false, SDL_BUTTON_LEFT, 1, 14, 15));
    EXPECT_EQ(window->ButtonState(), kButtonRight) << "the release cleared only its own bit";
    Inject(Button(true, SDL_BUTTON_X1, 1, 0, 0)); // no framework button: nothing

    const auto buttons = sink.Of(WindowEventKind::PointerButton);
    ASSERT_EQ(buttons.size(), 3u);
    EXPECT_EQ(buttons[0].action, kActionPress);
    EXPECT_EQ(buttons[0].button, kButtonLeft);
    EXPECT_EQ(buttons[0].modifiers, kModCtrl | kModShift) << "pointer masks carry no side bits";
    EXPECT_EQ(buttons[0].x, 10);
    EXPECT_EQ(buttons[0].y, 11);
    EXPECT_EQ(buttons[1].button, kButtonRight);
    EXPECT_EQ(buttons[1].modifiers, kModAlt);
    EXPECT_EQ(buttons[2].action, kActionRelease);
    EXPECT_EQ(buttons[2].modifiers, 0u);
}

TEST_F(SdlWindowPointer, AnEvenClickCountIsADoubleClick)
{
    for (Uint8 clicks = 1; clicks <= 4; ++clicks) {
        Inject(Button(true, SDL_BUTTON_MIDDLE, clicks, 1, 1));
        Inject(Button(false, SDL_BUTTON_MIDDLE, clicks, 1, 1));
    }
    const auto buttons = sink.Of(WindowEventKind::PointerButton);
    ASSERT_EQ(buttons.size(), 8u);
    EXPECT_EQ(buttons[0].action, kActionPress);
    EXPECT_EQ(buttons[2].action, kActionDoubleClick);
    EXPECT_EQ(buttons[4].action, kActionPress) << "a triple click starts a new pair";
    EXPECT_EQ(buttons[6].action, kActionDoubleClick);
    EXPECT_EQ(buttons[3].action, kActionRelease) << "a release stays a release whatever the count";
}

TEST_F(SdlWindowPointer, LosingFocusWhileCapturedEndsTheCaptureFirst)
{
    window->SetCapture(true);
    EXPECT_TRUE(window->HasCapture());
    Inject(WindowEventOf(SDL_WINDOWEVENT_FOCUS_LOST));
    ASSERT_EQ(sink.events.size(), 2u);
    EXPECT_EQ(sink.events[0].kind, WindowEventKind::CaptureLost);
    EXPECT_EQ(sink.events[1].kind, WindowEventKind::FocusLost);
    EXPECT_FALSE(window->HasCapture());

    sink.events.clear();
    Inject(WindowEventOf(SDL_WINDOWEVENT_FOCUS_LOST));
    ASSERT_EQ(sink.events.size(), 1u) << "no capture, nothing lost";
    EXPECT_EQ(sink.events[0].kind, WindowEventKind::FocusLost);
}

TEST_F(SdlWindowPointer, LeavingTheWindowIsAMoveOutsideUnlessCaptured)
{
    Inject(WindowEventOf(SDL_WINDOWEVENT_LEAVE));
    const auto moves = sink.Of(WindowEventKind::PointerMove);
    ASSERT_EQ(moves.size(), 1u);
    const Rect client = window->ClientRect();
    const bool inside = moves[0].x >= 0 && moves[0].y >= 0 && moves[0].x < client.width && moves[0].y < client.height;
    EXPECT_FALSE(inside) << moves[0].x << "," << moves[0].y;

    sink.events.clear();
    window->SetCapture(true);
    Inject(WindowEventOf(SDL_WINDOWEVENT_LEAVE));
    EXPECT_TRUE(sink.events.empty()) << "a captured pointer keeps reporting its real moves";
    window->SetCapture(false);
}

TEST_F(SdlWindowPointer, WheelDeltasAddUpToWholeNotchesAndEveryNotchIsDelivered)
{
    Inject(Wheel(0, 0.5f));
    EXPECT_TRUE(sink.events.empty()) << "half a notch waits";
    Inject(Wheel(0, 0.5f));
    auto steps = sink.Of(WindowEventKind::Wheel);
    ASSERT_EQ(steps.size(), 1u);
    EXPECT_EQ(steps[0].direction, kWheelVerticalPositive);
    EXPECT_EQ(steps[0].x, 5);
    EXPECT_EQ(steps[0].y, 6);

    sink.events.clear();
    for (int i = 0; i < 3; ++i)
        Inject(Wheel(0, -1.0f / 3));
    steps = sink.Of(WindowEventKind::Wheel);
    ASSERT_EQ(steps.size(), 1u) << "three thirds make a notch despite float rounding";
    EXPECT_EQ(steps[0].direction, kWheelVerticalNegative);

    sink.events.clear();
    Inject(Wheel(0, 3.0f));
    EXPECT_EQ(sink.Of(WindowEventKind::Wheel).size(), 3u) << "a fast wheel's notches all arrive";

    sink.events.clear();
    Inject(Wheel(-2.0f, 0));
    Inject(Wheel(1.0f, 0, true));
    steps = sink.Of(WindowEventKind::Wheel);
    ASSERT_EQ(steps.size(), 3u);
    EXPECT_EQ(steps[0].direction, kWheelHorizontalNegative);
    EXPECT_EQ(steps[2].direction, kWheelHorizontalNegative) << "a flipped wheel turns the other way";

    sink.events.clear();
    Inject(Wheel(0, 0.75f));
    Inject(Wheel(0, -0.5f));
    Inject(Wheel(0, 0.75f));
    EXPECT_EQ(sink.Of(WindowEventKind::Wheel).size(), 1u) << "back and forth deltas net out";
}

TEST_F(SdlWindowPointer, HostileWheelDeltasAreCutOrDroppedAndTheWheelKeepsWorking)
{
    Inject(Wheel(0, 1e6f));
    const size_t many = sink.Of(WindowEventKind::Wheel).size();
    EXPECT_GT(many, 3u);
    EXPECT_LE(many, 64u) << "one event hands on a bounded number of notches";
    sink.events.clear();
    Inject(Wheel(0, 1e20f)); // once looped for ever
    EXPECT_LE(sink.Of(WindowEventKind::Wheel).size(), 64u);
    sink.events.clear();
    Inject(Wheel(-1e20f, 0));
    EXPECT_LE(sink.Of(WindowEventKind::Wheel).size(), 64u);

    sink.events.clear();
    Inject(Wheel(std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::quiet_NaN()));
    Inject(Wheel(0, std::numeric_limits<float>::infinity()));
    EXPECT_TRUE(sink.Of(WindowEventKind::Wheel).empty());
    Inject(Wheel(0, -1.0f));
    Inject(Wheel(1.0f, 0));
    const auto steps = sink.Of(WindowEventKind::Wheel);
    ASSERT_EQ(steps.size(), 2u) << "a NaN delta must not disable the wheel";
    EXPECT_EQ(steps[0].direction, kWheelVerticalNegative);
    EXPECT_EQ(steps[1].direction, kWheelHorizontalPositive);
}

// A sink that destroys its window on the first event, as a close handler may.
struct DestroyingSink : WindowEventSink {
    std::unique_ptr<Window>* owner = nullptr;
    int calls = 0;
    void OnWindowEvent(Window&, const WindowEvent&) override
    {
        ++calls;
        owner->reset();
    }
};

TEST_F(SdlWindowPointer, ASinkMayDestroyTheWindowInTheMiddleOfSeveralNotches)
{
    DestroyingSink destroying;
    destroying.owner = &window;
    window->SetSink(&destroying);
    Inject(Wheel(0, 4.0f));
    EXPECT_EQ(destroying.calls, 1);
    EXPECT_EQ(window, nullptr);
}

TEST_F(SdlWindowPointer, ADisabledWindowDropsInputAndCloseButNotSizes)
{
    window->SetInputEnabled(false);
    Inject(Button(true, SDL_BUTTON_LEFT, 1, 1, 1));
    Inject(Wheel(0, 1));
    Inject(Key(true, SDLK_a, SDL_SCANCODE_A, KMOD_NONE));
    Inject(WindowEventOf(SDL_WINDOWEVENT_CLOSE));
    EXPECT_TRUE(sink.events.empty());
    EXPECT_EQ(window->ButtonState(), kButtonLeft) << "the button bits still follow the stream";
    Inject(WindowEventOf(SDL_WINDOWEVENT_SIZE_CHANGED, 80, 60));
    ASSERT_EQ(sink.events.size(), 1u);
    EXPECT_EQ(sink.events[0].kind, WindowEventKind::Size);
    EXPECT_EQ(sink.events[0].width, 80);
    EXPECT_EQ(sink.events[0].height, 60);

    window->SetInputEnabled(true);
    Inject(WindowEventOf(SDL_WINDOWEVENT_CLOSE));
    EXPECT_EQ(sink.events.back().kind, WindowEventKind::CloseRequest);
}

TEST_F(SdlWindowPointer, KeyStateComesFromSdlsModifierState)
{
    SDL_SetModState(static_cast<SDL_Keymod>(KMOD_LSHIFT | KMOD_RCTRL | KMOD_CAPS));
    EXPECT_TRUE(Window::GetKeyState(0x10).down);
    EXPECT_TRUE(Window::GetKeyState(0xA0).down);
    EXPECT_FALSE(Window::GetKeyState(0xA1).down);
    EXPECT_TRUE(Window::GetKeyState(0x11).down);
    EXPECT_TRUE(Window::GetKeyState(0xA3).down);
    EXPECT_FALSE(Window::GetKeyState(0x12).down);
    EXPECT_TRUE(Window::GetKeyState(0x14).toggled);
    EXPECT_FALSE(Window::GetKeyState(0x90).toggled);
    EXPECT_FALSE(Window::GetKeyState('A').down);
}

} // namespace
