// End to end through a real OS window on SDL's offscreen driver: SDL events reach plain controls'
// notifications (clicks, double-clicks, capture and drags leaving the window), and notifications
// posted from another thread are delivered on the main thread by the application's idle pass.
#include "AppFakes.h"
#include "OSWindowFakes.h"
#include "UiTestControls.h"

#include <atomic>
#include <thread>

using namespace KX;
using Log = std::vector<std::string>;

namespace {

// Records each notification as "name b<button> x,y m<modifiers> [dbl] held<buttons>".
class InputLog : public LNotificationReceiver {
public:
    KXRESULT Receive(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>& n) override
    {
        std::string line = apptest::Narrow(LNotification::GetNotificationName(n->GetID()));
        if (auto* b = dynamic_cast<const LMouseButtonParam*>(n->GetPayload().Get())) {
            const PointT<int32_t> p = b->GetPoint();
            line += " b" + std::to_string(b->GetButton()) + " " + std::to_string(p.x) + "," + std::to_string(p.y) +
                    " m" + std::to_string(b->GetModifiers()) + (b->IsDoubleClick() ? " dbl" : "") + " held" +
                    std::to_string(b->GetPressedButtons());
        } else if (auto* m = dynamic_cast<const LPointWithModifiersParam*>(n->GetPayload().Get())) {
            const PointT<int32_t> p = m->GetPoint();
            line += " " + std::to_string(p.x) + "," + std::to_string(p.y);
        }
        lines.push_back(line);
        return S_OK;
    }
    KXRESULT UnregisterForNotification(const RCPtr<LNotificationDistributor>&, const char16_t*) override
    {
        return S_OK;
    }
    Log lines;
};

class E2EWindow : public oswtest::OSWindowTest {
protected:
    void SetUp() override
    {
        OSWindowTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        main = uitest::Make(nullptr, u"main", 0, 0, kW, kH);
        rwtest::GiveHitLook(*main, kW, kH, 0);
        window->GetRootWindow()->AttachMainControl(main);
        button = uitest::Make(main, u"button", 30, 40, 50, 20);
        rwtest::GiveHitLook(*button, 50, 20);
        other = uitest::Make(main, u"other", 200, 100, 60, 40);
        rwtest::GiveHitLook(*other, 60, 40);
        for (const char16_t* n :
             {u"NID_MOUSE_DOWN", u"NID_MOUSE_UP", u"NID_MOUSE_MOVE", u"NID_LEFT_CLICK", u"NID_RIGHT_CLICK"}) {
            EXPECT_FALSE(KX::Failed(button->RegisterClient(RCPtr<LNotificationReceiver>(buttonLog), n, 0)));
            EXPECT_FALSE(KX::Failed(other->RegisterClient(RCPtr<LNotificationReceiver>(otherLog), n, 0)));
        }
    }
    void TearDown() override
    {
        button = other = main = nullptr;
        OSWindowTest::TearDown();
    }
    // The lines of the log without pointer moves.
    static Log Presses(const Log& lines)
    {
        Log out;
        for (const std::string& l : lines)
            if (l.rfind("NID_MOUSE_MOVE", 0) != 0)
                out.push_back(l);
        return out;
    }

    RCPtr<uitest::TestControl> main, button, other;
    RCPtr<InputLog> buttonLog{new InputLog()}, otherLog{new InputLog()};
};

} // namespace

TEST_F(E2EWindow, LeftClickReachesTheHitControlWithButtonActionAndModifiers)
{
    SDL_SetModState(static_cast<SDL_Keymod>(KMOD_LCTRL | KMOD_LSHIFT));
    Inject(Button(*window, true, SDL_BUTTON_LEFT, 1, 35, 45));
    EXPECT_EQ(window->GetRootWindow()->GetCaptureControl().Get(), button.Get()) << "a press takes the capture";
    Inject(Button(*window, false, SDL_BUTTON_LEFT, 1, 36, 46));
    EXPECT_EQ(Presses(buttonLog->lines), (Log{"NID_MOUSE_DOWN b1 5,5 m9 held1", "NID_MOUSE_UP b1 6,6 m9 held0",
                                              "NID_LEFT_CLICK b1 6,6 m9 held0"}));
    EXPECT_EQ(window->GetRootWindow()->GetCaptureControl().Get(), nullptr);
    EXPECT_TRUE(otherLog->lines.empty());
    // The right button on the other control: its own click, no left click.
    SDL_SetModState(KMOD_NONE);
    Inject(Button(*window, true, SDL_BUTTON_RIGHT, 1, 210, 110));
    Inject(Button(*window, false, SDL_BUTTON_RIGHT, 1, 210, 110));
    EXPECT_EQ(Presses(otherLog->lines), (Log{"NID_MOUSE_DOWN b4 10,10 m0 held4", "NID_MOUSE_UP b4 10,10 m0 held0",
                                             "NID_RIGHT_CLICK b4 10,10 m0 held0"}));
}

TEST_F(E2EWindow, DoubleClickIsMarkedOnTheSecondPress)
{
    Inject(Button(*window, true, SDL_BUTTON_LEFT, 1, 35, 45));
    Inject(Button(*window, false, SDL_BUTTON_LEFT, 1, 35, 45));
    Inject(Button(*window, true, SDL_BUTTON_LEFT, 2, 35, 45));
    Inject(Button(*window, false, SDL_BUTTON_LEFT, 2, 35, 45));
    EXPECT_EQ(Presses(buttonLog->lines),
              (Log{"NID_MOUSE_DOWN b1 5,5 m0 held1", "NID_MOUSE_UP b1 5,5 m0 held0", "NID_LEFT_CLICK b1 5,5 m0 held0",
                   "NID_MOUSE_DOWN b1 5,5 m0 dbl held1", "NID_MOUSE_UP b1 5,5 m0 dbl held0",
                   "NID_LEFT_CLICK b1 5,5 m0 dbl held0"}));
}

TEST_F(E2EWindow, DragOutsideTheWindowKeepsDeliveringToTheCapturingControl)
{
    Inject(Button(*window, true, SDL_BUTTON_LEFT, 1, 35, 45));
    ASSERT_EQ(window->GetRootWindow()->GetCaptureControl().Get(), button.Get());
    // Across the other control and out of the window: the moves stay with the button.
    Inject(Motion(*window, 210, 110));
    Inject(Motion(*window, -20, 300));
    EXPECT_TRUE(window->IsCaptured());
    EXPECT_EQ(window->GetRootWindow()->GetCaptureControl().Get(), button.Get());
    ASSERT_FALSE(buttonLog->lines.empty());
    EXPECT_EQ(buttonLog->lines.back(), "NID_MOUSE_MOVE -50,260");
    EXPECT_TRUE(Presses(otherLog->lines).empty());
    // Released outside: the capture ends, and there is no click.
    Inject(Button(*window, false, SDL_BUTTON_LEFT, 1, -20, 300));
    EXPECT_EQ(window->GetRootWindow()->GetCaptureControl().Get(), nullptr);
    EXPECT_FALSE(window->IsCaptured());
    EXPECT_EQ(Presses(buttonLog->lines), (Log{"NID_MOUSE_DOWN b1 5,5 m0 held1", "NID_MOUSE_UP b1 -50,260 m0 held0"}));
    // The next move inside reaches the control under the pointer again.
    Inject(Motion(*window, 215, 115));
    ASSERT_FALSE(otherLog->lines.empty());
    EXPECT_EQ(otherLog->lines.back(), "NID_MOUSE_MOVE 15,15");
}

TEST_F(E2EWindow, PostsFromAnotherThreadArriveInOrderThroughTheIdlePassOfTheLoop)
{
    RCPtr<apptest::FakeApp> fw(new apptest::FakeApp(RCPtr<LControlFactory>(new LControlFactory(WString(u"App")))));
    RCPtr<apptest::NameLog> names(new apptest::NameLog());
    const std::thread::id mainThread = std::this_thread::get_id();
    int offMain = 0;
    names->onReceive = [&](const std::string&) { offMain += std::this_thread::get_id() != mainThread; };
    const RCPtr<LNotificationReceiver> r(names);
    EXPECT_FALSE(KX::Failed(GetNotificationQueue()->RegisterClient(r, u"NID_T_A", 0)));
    EXPECT_FALSE(KX::Failed(GetNotificationQueue()->RegisterClient(r, u"NID_T_B", 0)));
    const RCPtr<LNotificationQueue> queue = GetNotificationQueue()->GetQueue();

    constexpr int kPosts = 40;
    constexpr int kMaxIterations = 200;
    int iterations = 0;
    app.loop.SetIdleHandler([&](int passCount) {
        const bool more = RunIdlePass(passCount);
        if (++iterations >= kMaxIterations || names->names.size() >= size_t(kPosts))
            app.loop.Quit(0);
        return more;
    });
    std::atomic<bool> posted{false};
    std::thread poster([&] {
        for (int i = 0; i < kPosts; ++i)
            EXPECT_EQ(queue->PostNotification(apptest::Make(i % 2 ? u"NID_T_B" : u"NID_T_A")), S_OK);
        posted = true;
    });
    // The loop goes idle and waits; nothing but the window's tick wakes it for the posts.
    EXPECT_EQ(app.loop.Run(), 0);
    poster.join();
    EXPECT_TRUE(posted);
    EXPECT_LT(iterations, kMaxIterations);
    EXPECT_EQ(offMain, 0);
    ASSERT_EQ(names->names.size(), size_t(kPosts));
    for (int i = 0; i < kPosts; ++i)
        EXPECT_EQ(names->names[size_t(i)], i % 2 ? "NID_T_B" : "NID_T_A") << i;
    app.loop.SetIdleHandler(nullptr);
    GetNotificationQueue()->UnregisterClient(r, u"NID_T_A");
    GetNotificationQueue()->UnregisterClient(r, u"NID_T_B");
}
