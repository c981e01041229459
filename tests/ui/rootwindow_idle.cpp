// The root window's idle step (its queue, "NID_IDLE", recorded closes), the application's walk
// over its root windows, the main control's attachment and the window's teardown.
#include "RootWindowFakes.h"

#include "kx/Notification.h"
#include "kx/NotificationId.h"
#include "kx/ui/ControlHost.h"
#include "kx/ui/StringTable.h"

#include <gtest/gtest.h>

using namespace KX;

namespace {
// Records the names of the notifications it receives; may post one more while receiving.
class NameLog : public LNotificationReceiver {
public:
    KXRESULT Receive(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>& n) override
    {
        WString name = LNotification::GetNotificationName(n->GetID());
        std::string text;
        for (const char16_t* p = name.GetString(); *p; ++p)
            text += static_cast<char>(*p);
        names.push_back(text);
        if (onReceive) {
            auto f = std::move(onReceive);
            f();
        }
        return S_OK;
    }
    KXRESULT UnregisterForNotification(const RCPtr<LNotificationDistributor>& d, const char16_t* name) override
    {
        return d->UnregisterClient(RCPtr<LNotificationReceiver>(this), name);
    }
    std::vector<std::string> names;
    std::function<void()> onReceive;
};

RCPtr<LNotification> Make(const char16_t* name)
{
    RCPtr<LNotification> n;
    LNotification::Create(n, name, nullptr);
    return n;
}

void Post(LRootWindow& w, const char16_t* name)
{
    ASSERT_EQ(w.PostNotification(Make(name)), S_OK);
}
} // namespace

TEST(RootIdle, QueueIsDrainedInOrderAndWhatIsPostedMeanwhileWaits)
{
    rwtest::FakeServices services;
    RCPtr<LRootWindow> w = LRootWindow::Create(nullptr, &services);
    RCPtr<NameLog> log(new NameLog());
    for (const char16_t* name : {u"NID_RW_A", u"NID_RW_B", u"NID_RW_C", u"NID_IDLE"})
        ASSERT_EQ(w->RegisterClient(RCPtr<LNotificationReceiver>(log), name, 0), S_OK);
    Post(*w, u"NID_RW_B");
    Post(*w, u"NID_RW_A");
    log->onReceive = [&] { Post(*w, u"NID_RW_C"); };
    EXPECT_TRUE(w->ProcessQueue(false)) << "the one posted during the drain is left";
    EXPECT_EQ(log->names, (std::vector<std::string>{"NID_RW_B", "NID_RW_A"}));
    EXPECT_FALSE(w->ProcessQueue(true));
    EXPECT_EQ(log->names, (std::vector<std::string>{"NID_RW_B", "NID_RW_A", "NID_RW_C", "NID_IDLE"}));
    w->ProcessQueue(false);
    EXPECT_EQ(log->names.size(), 4u) << "idle time only on the first pass of an idle period";
    w->UnregisterClientFromAll(RCPtr<LNotificationReceiver>(log));
}

TEST(RootIdle, CloseIsRecordedAndCarriedOutByTheNextIdleStep)
{
    rwtest::FakeServices services;
    RCPtr<LRootWindow> w = LRootWindow::Create(nullptr, &services);
    ASSERT_EQ(w->Close(7), S_OK);
    EXPECT_TRUE(services.closes.empty()) << "never from inside the event";
    EXPECT_TRUE(w->IsCloseRequested());
    w->ProcessQueue(false);
    EXPECT_EQ(services.closes, (std::vector<uint32_t>{7}));
    w->ProcessQueue(false);
    EXPECT_EQ(services.closes.size(), 1u);
    w->RequestClose();
    w->ProcessQueue(false);
    EXPECT_EQ(services.closes, (std::vector<uint32_t>{7, 0}));
    RCPtr<LRootWindow> bare = LRootWindow::Create(nullptr, nullptr);
    bare->RequestClose();
    EXPECT_FALSE(bare->IsCloseRequested());
}

TEST(RootIdle, IdleWalkSurvivesWindowsLeavingTheListWhileTheyClose)
{
    rwtest::ScopedHost host;
    rwtest::FakeServices s[3];
    for (auto& services : s)
        host.windows.push_back(LRootWindow::Create(nullptr, &services));
    RCPtr<NameLog> log(new NameLog());
    ASSERT_EQ(host.windows[0]->RegisterClient(RCPtr<LNotificationReceiver>(log), u"NID_RW_A", 0), S_OK);
    Post(*host.windows[0], u"NID_RW_A");
    // The last window's close takes itself and the first window out of the application's list.
    s[2].onClose = [&] { host.windows = {host.windows[1]}; };
    RCPtr<LRootWindow> first = host.windows[0];
    host.windows[2]->Close(3);
    EXPECT_FALSE(ProcessRootWindowQueues(true));
    EXPECT_EQ(s[2].closes, (std::vector<uint32_t>{3}));
    EXPECT_EQ(log->names, (std::vector<std::string>{"NID_RW_A"})) << "every window of the pass had its step";
    first->UnregisterClientFromAll(RCPtr<LNotificationReceiver>(log));
    host.windows.clear();
}

TEST(RootIdle, RecordedClosesAreCarriedOutAtExitWithoutAnIdlePass)
{
    rwtest::ScopedHost host;
    rwtest::FakeServices s[3];
    for (auto& services : s)
        host.windows.push_back(LRootWindow::Create(nullptr, &services));
    host.windows[1]->Close(1);
    host.windows[2]->Close(2);
    s[2].onClose = [&] { host.windows.pop_back(); };
    RCPtr<NameLog> log(new NameLog());
    EXPECT_FALSE(KX::Failed(host.windows[0]->RegisterClient(RCPtr<LNotificationReceiver>(log), u"NID_RW_A", 0)));
    Post(*host.windows[0], u"NID_RW_A");
    EXPECT_EQ(CloseRequestedRootWindows(), 2u);
    EXPECT_EQ(s[1].closes.size() + s[2].closes.size(), 2u);
    EXPECT_TRUE(s[0].closes.empty());
    EXPECT_TRUE(log->names.empty()) << "queues are not drained at exit";
    host.windows[0]->UnregisterClientFromAll(RCPtr<LNotificationReceiver>(log));
    host.windows.clear();
}

TEST(RootIdle, AttachingAMainControlFillsTheClientAreaAndReplacingItResetsTheOwners)
{
    rwtest::FakeServices services;
    std::vector<std::string> log;
    RCPtr<LRootWindow> w = LRootWindow::Create(nullptr, &services);
    RCPtr<rwtest::Recorder> one = rwtest::MakeRecorder(nullptr, u"one", &log, 5, 5, 10, 10);
    const RCPtr<LLayoutDescriptor> original = one->GetLayout();
    w->AttachMainControl(one);
    EXPECT_EQ(one->GetTopLevelOwnerSlot().Get(), static_cast<IRootWindow*>(w.Get()));
    EXPECT_EQ(one->GetSize().x, 320.0);
    EXPECT_EQ(one->GetSize().y, 200.0);
    EXPECT_EQ(original->Size(0).absolute, 10.0) << "the shared layout record is left alone";
    EXPECT_EQ(services.focusRequests, 1) << "the window is asked for the focus";
    ASSERT_FALSE(services.invalidated.empty());
    EXPECT_EQ(services.invalidated.back().width, 320);

    services.focused = true;
    w->SetFocusControl(one);
    w->SetCaptureControl(one);
    RCPtr<rwtest::Recorder> two = rwtest::MakeRecorder(nullptr, u"two", &log, 0, 0, 10, 10);
    log.clear();
    w->AttachMainControl(two);
    EXPECT_FALSE(w->GetCaptureControl());
    EXPECT_FALSE(one->GetTopLevelOwnerSlot()) << "the old tree lets go of the window";
    EXPECT_EQ(log, (std::vector<std::string>{"two: setfocus"}));
    w->OnSize({640, 480});
    EXPECT_EQ(w->GetClientRect().width, 320) << "the services' rectangle wins";
    EXPECT_EQ(log.back(), "two: resize 640x480");
}

TEST(RootIdle, TeardownReleasesTheTreeAndTheWindow)
{
    int deaths = 0;
    {
        rwtest::FakeServices services;
        RCPtr<LRootWindow> w = LRootWindow::Create(nullptr, &services);
        RCPtr<uitest::TestControl> main = uitest::Make(nullptr, u"main", 0, 0, 10, 10, &deaths);
        uitest::Make(main, u"child", 0, 0, 5, 5, &deaths);
        w->AttachMainControl(main);
        main->SetBuilt();
        main->SubscribeIdle();
        w->SetFocusControl(main);
        main = nullptr;
        Post(*w, u"NID_RW_A");
    }
    EXPECT_EQ(deaths, 2);
}

TEST(RootIdle, ClientSizeIsConstrainedToAtLeastOnePixel)
{
    RCPtr<LRootWindow> w = LRootWindow::Create(nullptr, nullptr);
    PointT<int32_t> size{0, -5};
    EXPECT_TRUE(w->ConstrainClientSize(size));
    EXPECT_EQ(size.x, 1);
    EXPECT_EQ(size.y, 1);
    RCPtr<uitest::TestControl> main = uitest::Make(nullptr, u"main", 0, 0, 10, 10);
    w->AttachMainControl(main);
    size = {300, 100};
    EXPECT_FALSE(w->ConstrainClientSize(size)) << "a control that fills the client area takes any size";
    EXPECT_EQ(size.x, 300);
    // Limits of the main control bound the window's client area.
    main->GetLayout()->MaxSize(0).absolute = 250;
    main->GetLayout()->MinSize(1).absolute = 150;
    size = {300, 100};
    EXPECT_TRUE(w->ConstrainClientSize(size));
    EXPECT_EQ(size.x, 250);
    EXPECT_EQ(size.y, 150);
    w->AttachMainControl(nullptr);
}

TEST(RootIdle, GlobalHotKeysOfTheMainControlArePostedToTheWindowsQueue)
{
    rwtest::FakeServices services;
    RCPtr<LRootWindow> w = LRootWindow::Create(nullptr, &services);
    RCPtr<uitest::TestControl> main = uitest::Make(nullptr, u"main", 0, 0, 10, 10);
    main->AdoptStringTable(RCPtr<LStringTable>(
        new LStringTable({{u"GHK.NID_RW_SAVE", u"Ctrl+VKEY_S"}, {u"LHK.NID_RW_LOCAL", u"VKEY_F5"}})));
    w->AttachMainControl(main);
    RCPtr<NameLog> log(new NameLog());
    EXPECT_FALSE(KX::Failed(w->RegisterClient(RCPtr<LNotificationReceiver>(log), u"NID_RW_SAVE", 0)));
    EXPECT_EQ(DispatchUnconsumedKey(w.Get(), KeyCode(0x53, true, 0, Modifier::Ctrl)), S_OK);
    EXPECT_EQ(DispatchUnconsumedKey(w.Get(), KeyCode(0x74, true, 0, 0)), S_FALSE) << "local bindings stay local";
    EXPECT_TRUE(log->names.empty()) << "queued, not sent at once";
    EXPECT_EQ(w->GetCount(), 1u);
    w->ProcessQueue(true);
    EXPECT_EQ(log->names, (std::vector<std::string>{"NID_RW_SAVE"}));
    w->AttachMainControl(nullptr);
    EXPECT_TRUE(w->GetHotKeyManager()->GetTable().IsEmpty()) << "the bindings leave with their control";
    w->UnregisterClientFromAll(RCPtr<LNotificationReceiver>(log));
}

namespace {
struct BusyHost : KX::IControlHost {
    void ResolveStringTable(LControl&) override {}
    KXRESULT CreateChildControls(LControl&, const LControlDescriptor*) override { return S_OK; }
    WString LookupString(const LControl&, const WString&) override { return WString(); }
    RectT<int32_t> GetScreenArea() override { return {0, 0, 1920, 1080}; }
    RCPtr<IRootWindow> GetActiveRootWindow() override { return active; }
    RCPtr<IRootWindow> GetFirstRootWindow() override { return first; }
    RCPtr<IRootWindow> active, first;
};
struct CursorNames : rwtest::ScopedHost {
    int32_t GetApplicationCursor(const WString& name) override { return name == WString(u"UI_CURSOR_WAIT") ? 42 : 7; }
};
} // namespace

TEST(RootIdle, BusyCursorScopeShowsTheWaitCursorInTheActiveWindowElseTheFirst)
{
    BusyHost host;
    SetControlHost(&host);
    CursorNames names;
    rwtest::FakeServices s1, s2;
    RCPtr<LRootWindow> first = LRootWindow::Create(nullptr, &s1), active = LRootWindow::Create(nullptr, &s2);
    host.first = first;
    s1.cursor = 3;
    {
        BusyCursorScope busy(WString(u"Loading"));
        EXPECT_EQ(s1.cursor, 42);
    }
    EXPECT_EQ(s1.cursor, 3);
    host.active = active;
    {
        BusyCursorScope busy(WString(u"Loading"));
        EXPECT_EQ(s2.cursor, 42);
        EXPECT_EQ(s1.cursor, 3);
    }
    EXPECT_EQ(s2.cursor, 7) << "the previous cursor was the default, which is the application's arrow";
    SetControlHost(nullptr);
    host.active = host.first = nullptr;
}
