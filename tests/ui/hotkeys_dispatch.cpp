// Hot-key dispatch: the bound notification reaches the receiver at once, a root window's keys come
// before the application's, and through a notification queue the key is delivered by the drain.
#include "UiTreeFakes.h"
#include "kx/NotificationQueue.h"
#include "kx/ui/ControlHost.h"
#include "kx/ui/GlobalHotKeyManager.h"
#include "kx/ui/StringTable.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

using namespace KX;

namespace {

// Records what it is handed; can run a hook inside the call.
class RecordingReceiver : public LNotificationReceiver {
public:
    KXRESULT Receive(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n) override
    {
        received.push_back(GetNotificationName(n->GetID()));
        fromWasNull = fromWasNull && !from;
        payloadWasNull = payloadWasNull && !n->GetPayload();
        if (hook)
            hook();
        return E_FAIL; // ignored by the dispatch
    }
    KXRESULT UnregisterForNotification(const RCPtr<LNotificationDistributor>&, const char16_t*) override
    {
        return S_OK;
    }

    std::vector<WString> received;
    bool fromWasNull = true, payloadWasNull = true;
    std::function<void()> hook;
};

RCPtr<RecordingReceiver> Recorder()
{
    return RCPtr<RecordingReceiver>(new RecordingReceiver());
}

RCPtr<LGlobalHotKeyManager> Manager(const RCPtr<LNotificationReceiver>& receiver, const LStringTable::Entries& entries)
{
    RCPtr<LGlobalHotKeyManager> m = LGlobalHotKeyManager::Create(receiver);
    const RCPtr<LStringTable> table(new LStringTable(entries));
    m->GetTable().LoadFromStringTable(table.Get(), HotKeyTable::kGlobalPrefix);
    return m;
}

class HotKeyWindow : public kxtest::FakeRootWindow {
public:
    RCPtr<LGlobalHotKeyManager> GetHotKeyManager() override { return manager; }
    RCPtr<LGlobalHotKeyManager> manager;
};

class HotKeyHost : public IControlHost {
public:
    void ResolveStringTable(LControl&) override {}
    KXRESULT CreateChildControls(LControl&, const LControlDescriptor*) override { return E_FAIL; }
    WString LookupString(const LControl&, const WString&) override { return {}; }
    RectT<int32_t> GetScreenArea() override { return {0, 0, 1920, 1080}; }
    RCPtr<IRootWindow> GetActiveRootWindow() override { return {}; }
    RCPtr<IRootWindow> GetFirstRootWindow() override { return {}; }
    RCPtr<LGlobalHotKeyManager> GetGlobalHotKeyManager() override { return manager; }
    RCPtr<LGlobalHotKeyManager> manager;
};

// Registers host for the test's lifetime.
struct ScopedHost {
    explicit ScopedHost(IControlHost* host) : previous(GetControlHost()) { SetControlHost(host); }
    ~ScopedHost() { SetControlHost(previous); }
    IControlHost* previous;
};

class Distributor : public LNotificationDistributor {};

const KeyCode kCtrlC(0x43, true, 0, Modifier::Ctrl | Modifier::LeftCtrl);
const KeyCode kF5(0x74, true, 0, 0);
const KeyCode kF6(0x75, true, 0, 0);

} // namespace

TEST(HotKeyDispatch, BoundKeyReachesTheReceiverBeforeReturning)
{
    const RCPtr<RecordingReceiver> r = Recorder();
    const RCPtr<LGlobalHotKeyManager> m =
        Manager(r, {{u"GHK.NID_EDIT_COPY_REQ", u"Ctrl+VKEY_C"}, {u"GHK.NID_CH", u"k"}});

    EXPECT_EQ(m->DispatchHotKey(kCtrlC), S_OK);
    ASSERT_EQ(r->received.size(), 1u);
    EXPECT_EQ(r->received[0], WString(u"NID_EDIT_COPY_REQ"));
    EXPECT_TRUE(r->fromWasNull);
    EXPECT_TRUE(r->payloadWasNull);

    // A character key fires with Ctrl and Shift held.
    EXPECT_EQ(m->DispatchHotKey(KeyCode::FromCharacter(u'k', Modifier::Ctrl | Modifier::Shift)), S_OK);
    ASSERT_EQ(r->received.size(), 2u);
    EXPECT_EQ(r->received[1], WString(u"NID_CH"));

    // Unbound keys, the release of a bound key and the empty code send nothing.
    EXPECT_EQ(m->DispatchHotKey(kF5), S_FALSE);
    EXPECT_EQ(m->DispatchHotKey(KeyCode(0x43, false, 1, Modifier::Ctrl)), S_FALSE);
    EXPECT_EQ(m->DispatchHotKey(KeyCode()), S_FALSE);
    EXPECT_EQ(r->received.size(), 2u);
}

TEST(HotKeyDispatch, AReceiverMayDropTheManagerWhileItRunsAndNoReceiverStillHandlesTheKey)
{
    const RCPtr<LGlobalHotKeyManager> silent = Manager(RCPtr<LNotificationReceiver>(), {{u"GHK.NID_X", u"VKEY_F5"}});
    EXPECT_EQ(silent->DispatchHotKey(kF5), S_OK);
    EXPECT_EQ(silent->DispatchHotKey(kF6), S_FALSE);

    const RCPtr<RecordingReceiver> r = Recorder();
    RCPtr<LGlobalHotKeyManager> m = Manager(r, {{u"GHK.NID_CLOSE", u"VKEY_F5"}});
    LGlobalHotKeyManager* raw = m.Get();
    r->hook = [&m] { m = nullptr; };
    EXPECT_EQ(raw->DispatchHotKey(kF5), S_OK);
    EXPECT_FALSE(m);
    EXPECT_EQ(r->received.size(), 1u);
}

TEST(HotKeyDispatch, ThroughAQueueTheKeyArrivesWithTheDrain)
{
    const RCPtr<LNotificationQueue> queue = LNotificationQueue::Create();
    const RCPtr<Distributor> d(new Distributor());
    ASSERT_EQ(queue->AttachDistributor(d), S_OK);
    const RCPtr<RecordingReceiver> client = Recorder();
    ASSERT_EQ(d->RegisterClient(client, u"NID_MENU_FILE_SAVE_PRESET_TO_FILE", 0), S_OK);

    const RCPtr<LGlobalHotKeyManager> m =
        Manager(queue->GetReceiver(), {{u"GHK.NID_MENU_FILE_SAVE_PRESET_TO_FILE", u"Ctrl+VKEY_S"}});
    EXPECT_EQ(m->DispatchHotKey(KeyCode(0x53, true, 0, Modifier::Ctrl)), S_OK);
    EXPECT_TRUE(client->received.empty());
    EXPECT_EQ(queue->GetCount(), 1u);
    queue->ProcessQueue(false);
    ASSERT_EQ(client->received.size(), 1u);
    EXPECT_EQ(client->received[0], WString(u"NID_MENU_FILE_SAVE_PRESET_TO_FILE"));
    queue->Detach();
}

TEST(HotKeyPrecedence, TheRootWindowsKeysComeBeforeTheApplications)
{
    const RCPtr<RecordingReceiver> windowSide = Recorder();
    const RCPtr<RecordingReceiver> appSide = Recorder();
    HotKeyHost host;
    host.manager = Manager(appSide, {{u"GHK.NID_APP_COPY", u"Ctrl+VKEY_C"}, {u"GHK.NID_APP_ONLY", u"VKEY_F6"}});
    ScopedHost scope(&host);
    const RCPtr<HotKeyWindow> window(new HotKeyWindow());
    window->manager = Manager(windowSide, {{u"GHK.NID_WINDOW_COPY", u"Ctrl+VKEY_C"}});

    // Bound in both: only the window's receiver hears it.
    EXPECT_EQ(DispatchUnconsumedKey(window.Get(), kCtrlC), S_OK);
    ASSERT_EQ(windowSide->received.size(), 1u);
    EXPECT_EQ(windowSide->received[0], WString(u"NID_WINDOW_COPY"));
    EXPECT_TRUE(appSide->received.empty());

    // Not bound at the window: the application's table gets it.
    EXPECT_EQ(DispatchUnconsumedKey(window.Get(), kF6), S_OK);
    ASSERT_EQ(appSide->received.size(), 1u);
    EXPECT_EQ(appSide->received[0], WString(u"NID_APP_ONLY"));

    // No window, or a window that keeps no hot keys: straight to the application.
    EXPECT_EQ(DispatchUnconsumedKey(nullptr, kCtrlC), S_OK);
    const RCPtr<kxtest::FakeRootWindow> plain(new kxtest::FakeRootWindow());
    EXPECT_EQ(DispatchUnconsumedKey(plain.Get(), kCtrlC), S_OK);
    ASSERT_EQ(appSide->received.size(), 3u);
    EXPECT_EQ(appSide->received[2], WString(u"NID_APP_COPY"));

    // Bound nowhere; and without an application only the window answers.
    EXPECT_EQ(DispatchUnconsumedKey(window.Get(), kF5), S_FALSE);
    SetControlHost(nullptr);
    EXPECT_EQ(DispatchUnconsumedKey(window.Get(), kCtrlC), S_OK);
    EXPECT_EQ(DispatchUnconsumedKey(nullptr, kCtrlC), S_FALSE);
    EXPECT_EQ(windowSide->received.size(), 2u);
    EXPECT_EQ(appSide->received.size(), 3u);
}
