// The application's idle pass (centres last to first, then root windows last to first; only what
// was queued when a drain began; no re-entry), the exit request and its closes, the run sequence
// and the root-window list with the pointer queries.
#include "AppFakes.h"

#include <gtest/gtest.h>

using namespace KX;
using apptest::FakeApp;
using apptest::Make;
using apptest::NameLog;

namespace {
RCPtr<FakeApp> NewApp(const ConstRCPtr<LStringTable>& strings = nullptr)
{
    return RCPtr<FakeApp>(new FakeApp(RCPtr<LControlFactory>(new LControlFactory(WString(u"App"))), strings));
}

RCPtr<LNotificationQueue> AppQueue()
{
    return GetNotificationQueue()->GetQueue();
}

// Behaves like the application shell: after the framework's exit handling it closes the main
// window itself.
class ShellApp : public FakeApp {
public:
    using FakeApp::FakeApp;
    KXRESULT HandleNotification(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n) override
    {
        const KXRESULT hr = FakeApp::HandleNotification(from, n);
        if (hr == S_OK && !GetRootWindows().empty())
            GetRootWindows().front()->Close(0);
        return hr;
    }
};
} // namespace

TEST(AppIdle, CentresAreDrainedLastToFirstThenRootWindowsLastToFirst)
{
    rwtest::FakeServices s0, s1;
    RCPtr<FakeApp> app = NewApp();
    RCPtr<LRootWindow> w0 = LRootWindow::Create(nullptr, &s0), w1 = LRootWindow::Create(nullptr, &s1);
    app->AddRootWindow(w0);
    app->AddRootWindow(w1);
    RCPtr<LNotificationCenter> first = GetNotificationQueue();
    RCPtr<LNotificationCenter> second = LNotificationCenterManager::GetInstance()->GetCenter(WString(u"second"));
    RCPtr<NameLog> log(new NameLog());
    const RCPtr<LNotificationReceiver> r(log);
    EXPECT_FALSE(KX::Failed(first->RegisterClient(r, u"NID_T_FIRST", 0)));
    EXPECT_FALSE(KX::Failed(second->RegisterClient(r, u"NID_T_SECOND", 0)));
    EXPECT_FALSE(KX::Failed(w0->RegisterClient(r, u"NID_T_W0", 0)));
    EXPECT_FALSE(KX::Failed(w1->RegisterClient(r, u"NID_T_W1", 0)));
    for (const char16_t* idle : {u"NID_IDLE"}) {
        EXPECT_FALSE(KX::Failed(first->RegisterClient(r, idle, 0)));
        EXPECT_FALSE(KX::Failed(w0->RegisterClient(r, idle, 0)));
    }
    ASSERT_EQ(w0->PostNotification(Make(u"NID_T_W0")), S_OK);
    ASSERT_EQ(w1->PostNotification(Make(u"NID_T_W1")), S_OK);
    ASSERT_EQ(first->GetQueue()->PostNotification(Make(u"NID_T_FIRST")), S_OK);
    ASSERT_EQ(second->GetQueue()->PostNotification(Make(u"NID_T_SECOND")), S_OK);

    EXPECT_FALSE(app->ProcessNotificationQueue(false));
    EXPECT_EQ(log->names, (std::vector<std::string>{"NID_T_SECOND", "NID_T_FIRST", "NID_T_W1", "NID_T_W0"}));
    log->names.clear();
    EXPECT_FALSE(app->ProcessNotificationQueue(true)) << "idle notifications are sent, not queued";
    EXPECT_EQ(log->names, (std::vector<std::string>{"NID_IDLE", "NID_IDLE"}));
    w0->ReleaseInternalReferences();
    w1->ReleaseInternalReferences();
}

TEST(AppIdle, ADrainDeliversOnlyWhatWasQueuedWhenItBegan)
{
    RCPtr<FakeApp> app = NewApp();
    RCPtr<NameLog> log(new NameLog());
    EXPECT_FALSE(KX::Failed(GetNotificationQueue()->RegisterClient(RCPtr<LNotificationReceiver>(log), u"NID_T_A", 0)));
    EXPECT_FALSE(KX::Failed(GetNotificationQueue()->RegisterClient(RCPtr<LNotificationReceiver>(log), u"NID_T_B", 0)));
    log->onReceive = [](const std::string& name) {
        if (name == "NID_T_A")
            AppQueue()->PostNotification(Make(u"NID_T_B"));
    };
    AppQueue()->PostNotification(Make(u"NID_T_A"));
    EXPECT_TRUE(app->ProcessNotificationQueue(false)) << "what was posted meanwhile waits and is reported";
    EXPECT_EQ(log->names, (std::vector<std::string>{"NID_T_A"}));
    EXPECT_FALSE(app->ProcessNotificationQueue(false));
    EXPECT_EQ(log->names, (std::vector<std::string>{"NID_T_A", "NID_T_B"}));
}

TEST(AppIdle, APassFromInsideADrainSkipsThatDrainButVisitsEverythingElse)
{
    rwtest::FakeServices services;
    RCPtr<FakeApp> app = NewApp();
    RCPtr<LRootWindow> w = LRootWindow::Create(nullptr, &services);
    app->AddRootWindow(w);
    RCPtr<LNotificationCenter> appCentre = GetNotificationQueue();
    RCPtr<LNotificationCenter> other = LNotificationCenterManager::GetInstance()->GetCenter(WString(u"other"));
    RCPtr<NameLog> log(new NameLog());
    const RCPtr<LNotificationReceiver> r(log);
    for (const char16_t* name : {u"NID_T_A", u"NID_T_B", u"NID_IDLE"})
        EXPECT_FALSE(KX::Failed(appCentre->RegisterClient(r, name, 0)));
    EXPECT_FALSE(KX::Failed(other->RegisterClient(r, u"NID_T_O", 0)));
    EXPECT_FALSE(KX::Failed(w->RegisterClient(r, u"NID_T_W", 0)));
    int nested = 0;
    log->onReceive = [&](const std::string& name) {
        if (name == "NID_T_A" && nested++ == 0) {
            // Runs while the application centre is being drained.
            other->GetQueue()->PostNotification(Make(u"NID_T_O"));
            w->PostNotification(Make(u"NID_T_W"));
            app->ProcessNotificationQueue(true);
        }
    };
    appCentre->GetQueue()->PostNotification(Make(u"NID_T_A"));
    appCentre->GetQueue()->PostNotification(Make(u"NID_T_B"));
    app->ProcessNotificationQueue(false);
    EXPECT_EQ(log->names, (std::vector<std::string>{"NID_T_A", "NID_T_O", "NID_IDLE", "NID_T_W", "NID_T_B"}))
        << "the inner pass must not take B out of the running drain";
    w->ReleaseInternalReferences();
}

TEST(AppExit, ExitClosesSecondaryWindowsLastFirstThenTheMainWindow)
{
    rwtest::FakeServices s[3];
    std::vector<int> order;
    RCPtr<ShellApp> app(new ShellApp(RCPtr<LControlFactory>(new LControlFactory(WString(u"App")))));
    std::vector<RCPtr<LRootWindow>> windows;
    for (int i = 0; i < 3; ++i) {
        windows.push_back(LRootWindow::Create(nullptr, &s[i]));
        app->AddRootWindow(windows.back());
        s[i].onClose = [&order, &app, &windows, i] {
            order.push_back(i);
            app->RemoveRootWindow(windows[static_cast<size_t>(i)]);
        };
    }
    ASSERT_NE(
        app->RegisterForNotification(RCPtr<LNotificationDistributor>(GetNotificationQueue()), u"NID_APP_EXIT_REQ", 0),
        nullptr);
    AppQueue()->PostNotification(Make(u"NID_APP_EXIT_REQ"));
    EXPECT_FALSE(RunIdlePass(0)) << "once exit is requested no more idle time is asked for";
    EXPECT_TRUE(app->IsExitRequested());
    EXPECT_EQ(order, (std::vector<int>{2, 1, 0}));
    EXPECT_EQ(s[2].closes, (std::vector<uint32_t>{0}));
    EXPECT_TRUE(app->GetRootWindows().empty());

    // The idle handler no longer runs the pass.
    RCPtr<NameLog> log(new NameLog());
    EXPECT_FALSE(
        KX::Failed(GetNotificationQueue()->RegisterClient(RCPtr<LNotificationReceiver>(log), u"NID_T_LATE", 0)));
    AppQueue()->PostNotification(Make(u"NID_T_LATE"));
    EXPECT_FALSE(RunIdlePass(0));
    EXPECT_TRUE(log->names.empty());
    for (auto& w : windows)
        w->ReleaseInternalReferences();
}

TEST(AppExit, ExitWithOneWindowOnlySetsTheFlagAndWindowsWithoutServicesAreSkipped)
{
    rwtest::FakeServices main, last;
    RCPtr<FakeApp> app = NewApp();
    RCPtr<LRootWindow> w0 = LRootWindow::Create(nullptr, &main);
    app->AddRootWindow(w0);
    EXPECT_EQ(app->HandleNotification(nullptr, Make(u"NID_APP_EXIT_REQ")), S_OK);
    EXPECT_TRUE(app->IsExitRequested());
    EXPECT_FALSE(w0->IsCloseRequested());
    EXPECT_EQ(app->HandleNotification(nullptr, Make(u"NID_OTHER")), S_FALSE);

    RCPtr<LRootWindow> bare = LRootWindow::Create(nullptr, nullptr);
    RCPtr<LRootWindow> w2 = LRootWindow::Create(nullptr, &last);
    app->AddRootWindow(bare);
    app->AddRootWindow(w2);
    app->HandleNotification(nullptr, Make(u"NID_APP_EXIT_REQ"));
    EXPECT_TRUE(w2->IsCloseRequested()) << "a second request repeats the closes";
    EXPECT_FALSE(w0->IsCloseRequested());
    w0->ReleaseInternalReferences();
    w2->ReleaseInternalReferences();
}

TEST(AppExit, ClosesRecordedAfterTheLastIdlePassAreCarriedOutAtShutdown)
{
    rwtest::FakeServices s[3];
    std::vector<int> order;
    RCPtr<FakeApp> app = NewApp();
    std::vector<RCPtr<LRootWindow>> windows;
    for (int i = 0; i < 3; ++i) {
        windows.push_back(LRootWindow::Create(nullptr, &s[i]));
        app->AddRootWindow(windows.back());
        s[i].onClose = [&order, i] { order.push_back(i); };
    }
    // Sent at once (a menu command), not through a queue: no idle pass follows.
    EXPECT_FALSE(
        KX::Failed(GetNotificationQueue()->RegisterClient(RCPtr<LNotificationReceiver>(app), u"NID_APP_EXIT_REQ", 0)));
    GetNotificationQueue()->SendNotification(Make(u"NID_APP_EXIT_REQ"));
    EXPECT_FALSE(RunIdlePass(0));
    EXPECT_TRUE(order.empty());
    EXPECT_EQ(app->RunApplicationShutdown(), S_OK);
    EXPECT_EQ(order, (std::vector<int>{2, 1}));
    EXPECT_FALSE(app->GetControlFactory());
    EXPECT_FALSE(app->GetClipboard());
    for (auto& w : windows)
        w->ReleaseInternalReferences();
}

TEST(AppRun, AThrowingLoopShowsTheStartupErrorAndRequestsExit)
{
    RCPtr<FakeApp> app = NewApp(ConstRCPtr<LStringTable>(
        new LStringTable({{u"STARTUP_ERROR", u"Could not start"}, {u"STARTUP_ERROR_CAPTION", u"Lumo"}})));
    rwtest::FakeServices s0, s1;
    RCPtr<LRootWindow> w0 = LRootWindow::Create(nullptr, &s0), w1 = LRootWindow::Create(nullptr, &s1);
    app->AddRootWindow(w0);
    app->AddRootWindow(w1);
    EXPECT_FALSE(
        KX::Failed(GetNotificationQueue()->RegisterClient(RCPtr<LNotificationReceiver>(app), u"NID_APP_EXIT_REQ", 0)));
    app->loop = [] { throw std::runtime_error("device gone"); };
    EXPECT_EQ(app->Run(), 0);
    EXPECT_EQ(app->boxes, (std::vector<std::string>{"Could not start|Lumo|16"}));
    EXPECT_TRUE(app->IsExitRequested()) << "the posted exit request is delivered by the last pass";
    EXPECT_EQ(s1.closes, (std::vector<uint32_t>{0}));
    EXPECT_TRUE(s0.closes.empty()) << "the main window is the shell's to close";
    EXPECT_EQ(s0.invalidateAlls, 1) << "the main window is repainted before the loop";
    w0->ReleaseInternalReferences();
    w1->ReleaseInternalReferences();
}

TEST(AppWindows, RootWindowListAndPointerQueries)
{
    rwtest::FakeServices s0, s1;
    s0.active = false;
    s1.active = false;
    RCPtr<FakeApp> app = NewApp();
    RCPtr<LRootWindow> w0 = LRootWindow::Create(nullptr, &s0), w1 = LRootWindow::Create(nullptr, &s1);
    app->AddRootWindow(w0);
    app->AddRootWindow(w0);
    app->AddRootWindow(w1);
    app->RemoveRootWindow(LRootWindow::Create(nullptr, nullptr));
    ASSERT_EQ(app->GetRootWindowCount(), 2u);
    EXPECT_EQ(app->GetRootWindowAt(0), w0);
    EXPECT_FALSE(app->GetRootWindowAt(2));
    EXPECT_EQ(GetRootWindowHost(), app.Get());
    EXPECT_EQ(GetControlHost(), app.Get());
    EXPECT_EQ(GetAppServices(), app.Get());
    EXPECT_FALSE(app->GetMeasurementRenderer()) << "the main window has no renderer here";
    EXPECT_EQ(app->SetStatusText(WString(u"Busy"), true), E_FAIL) << "no status bar is registered";
    EXPECT_EQ(app->ResetStatusText(false), E_FAIL);

    // No active window: the platform's pointer and three key-state queries, left, middle, right.
    app->keys[4] = true;
    EXPECT_EQ(app->GetMouseButtons(), 2u);
    EXPECT_EQ(app->keyQueries, (std::vector<int32_t>{1, 4, 2}));
    EXPECT_EQ(app->GetCursorScreenPosition().x, 11);
    EXPECT_FALSE(app->GetActiveRootWindow());

    // The last active window answers, its pointer converted to the screen.
    s0.active = s1.active = true;
    s1.pointer = {5, 6};
    s1.buttons = 4;
    EXPECT_EQ(app->GetActiveRootWindow().Get(), static_cast<IRootWindow*>(w1.Get()));
    EXPECT_EQ(app->GetCursorScreenPosition().x, 105);
    EXPECT_EQ(app->GetCursorScreenPosition().y, 56);
    app->RemoveRootWindow(w1);
    EXPECT_EQ(app->GetRootWindowCount(), 1u);
    EXPECT_EQ(app->GetFirstRootWindow().Get(), static_cast<IRootWindow*>(w0.Get()));
    w0->ReleaseInternalReferences();
    w1->ReleaseInternalReferences();
}

TEST(AppWindows, DestructionClearsTheSeamsAndTheCurrentApplication)
{
    {
        RCPtr<FakeApp> app = NewApp();
        EXPECT_EQ(LFrameworkApp::GetCurrent(), app.Get());
        EXPECT_EQ(std::string(app->GetCommandLine().GetString()), "app --test");
    }
    EXPECT_EQ(LFrameworkApp::GetCurrent(), nullptr);
    EXPECT_EQ(GetRootWindowHost(), nullptr);
    EXPECT_EQ(GetControlHost(), nullptr);
    EXPECT_EQ(GetAppServices(), nullptr);
}
