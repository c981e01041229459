// Framework start-up (class table, global hot keys, clipboard, saved skin with its bounds) and
// switching the skin of every open root window.
#include "AppFakes.h"

#include "kx/ui/ControlCreate.h"
#include "kx/ui/KeyCode.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace KX;
using apptest::FakeApp;
using apptest::Make;
using apptest::NameLog;

namespace {
const std::pair<int32_t, std::string> kSkinKey{7, "CurrentSkinIndex"};

// The UI tests' embedded documents: the application strings (with a "GHK." entry) and two skins.
RCPtr<LControlFactory> TestFactory()
{
    RCPtr<LControlFactory> factory(new LControlFactory(WString(u"App")));
    EXPECT_EQ(
        factory->LoadStringTables(factory->GetApplicationStringsPath(), factory->GetFrameworkStringsPath(), 0x0409),
        S_OK);
    EXPECT_EQ(factory->LoadSkins(WString(u"::APP_SKINS")), S_OK);
    EXPECT_EQ(factory->GetSkins().GetCount(), 2u);
    return factory;
}

RCPtr<FakeApp> NewApp(const RCPtr<LControlFactory>& factory = TestFactory())
{
    return RCPtr<FakeApp>(new FakeApp(factory));
}
} // namespace

TEST(AppStartup, RegistersTheHandedOverClassesThatExistAndAreNotTheApplications)
{
    EXPECT_TRUE(GetFrameworkControlClasses().empty()) << "no table before one is handed over";
    const std::vector<FrameworkControlClass> classes{
        {u"Test.Made", &CreateControlOfClass<LControl>, 93, false},
        {u"Test.Missing", nullptr, 96, false},
        {u"Test.ApplicationRow", &CreateControlOfClass<LControl>, 97, true},
    };
    SetFrameworkControlClasses(&classes);
    EXPECT_EQ(&GetFrameworkControlClasses(), &classes);

    RCPtr<FakeApp> app = NewApp();
    const KXRESULT started = app->RunApplicationStartup();
    SetFrameworkControlClasses(nullptr);
    ASSERT_EQ(started, S_OK);
    ControlCreateFunction f = nullptr;
    EXPECT_EQ(app->GetControlFactory()->GetControlCreateFunction(WString(u"Test.Made"), f), S_OK);
    EXPECT_EQ(f, &CreateControlOfClass<LControl>);
    EXPECT_THROW(app->GetControlFactory()->GetControlCreateFunction(WString(u"Test.Missing"), f), std::exception)
        << "a class that does not exist is not registered";
    EXPECT_THROW(app->GetControlFactory()->GetControlCreateFunction(WString(u"Test.ApplicationRow"), f), std::exception)
        << "the application registers its own rows";
}

TEST(AppStartup, StartupLoadsHotKeysInitialisesTheClipboardAndSelectsTheSavedSkin)
{
    RCPtr<FakeApp> app = NewApp();
    LNotification::EnablePooling(false);
    app->ini.ints[kSkinKey] = 1;
    ASSERT_EQ(app->RunApplicationStartup(), S_OK);
    EXPECT_TRUE(LNotification::IsPoolingEnabled());
    EXPECT_TRUE(app->GetClipboard()->IsInitialized());
    EXPECT_EQ(app->GetControlFactory()->GetCurrentSkinIndex(), 1);
    ASSERT_TRUE(app->GetDefaultFont());
    EXPECT_EQ(app->fontQueries, 1);
    EXPECT_EQ(app->ini.writes, 1) << "the index is written back even when unchanged";

    // A global hot key is posted to the application centre and delivered by the next idle pass.
    RCPtr<NameLog> log(new NameLog());
    EXPECT_FALSE(KX::Failed(GetNotificationQueue()->RegisterClient(RCPtr<LNotificationReceiver>(log), u"NID_TEST", 0)));
    EXPECT_EQ(app->GetGlobalHotKeyManager()->DispatchHotKey(KeyCode(0x54, true, 0, Modifier::Ctrl)), S_OK);
    EXPECT_TRUE(log->names.empty());
    app->ProcessNotificationQueue(false);
    EXPECT_EQ(log->names, (std::vector<std::string>{"NID_TEST"}));
}

TEST(AppStartup, SavedSkinIndexIsKeptWithinTheSkinList)
{
    // saved -> selected, with two skins.
    const std::pair<int32_t, int32_t> cases[] = {{5, 1}, {1, 1}, {0, 0}, {-3, 0}, {INT32_MIN, 0}, {INT32_MAX, 1}};
    for (const auto& [saved, selected] : cases) {
        RCPtr<FakeApp> app = NewApp();
        app->ini.ints[kSkinKey] = saved;
        ASSERT_EQ(app->RunApplicationStartup(), S_OK) << saved;
        EXPECT_EQ(app->GetControlFactory()->GetCurrentSkinIndex(), selected) << saved;
        EXPECT_EQ(app->ini.ints[kSkinKey], selected) << saved;
    }
    // Without a settings file: skin 0, nothing saved.
    RCPtr<FakeApp> app = NewApp();
    app->hasSettings = false;
    EXPECT_EQ(app->GetCurrentSkinIndex(), 0);
    ASSERT_EQ(app->RunApplicationStartup(), S_OK);
    EXPECT_EQ(app->GetControlFactory()->GetCurrentSkinIndex(), 0);
    EXPECT_EQ(app->ini.writes, 0);
    // A skin document without skins leaves the skin alone.
    RCPtr<FakeApp> bare = NewApp(RCPtr<LControlFactory>(new LControlFactory(WString(u"Bare"))));
    bare->ini.ints[kSkinKey] = 3;
    EXPECT_EQ(bare->RunApplicationStartup(), S_OK);
    EXPECT_EQ(bare->fontQueries, 0);
    EXPECT_FALSE(bare->GetDefaultFont());
}

TEST(AppStartup, AFailingFontQueryFailsStartupAfterTheEarlierSteps)
{
    RCPtr<FakeApp> app = NewApp();
    app->ini.ints[kSkinKey] = 1;
    app->fontResult = E_FAIL;
    EXPECT_EQ(app->RunApplicationStartup(), E_FAIL);
    EXPECT_TRUE(app->GetClipboard()->IsInitialized());
    EXPECT_EQ(app->GetControlFactory()->GetCurrentSkinIndex(), 0);
    EXPECT_FALSE(app->GetDefaultFont());
    EXPECT_EQ(app->ini.writes, 0);
    // Outside start-up the exception reaches the caller, nothing changed.
    try {
        app->SetSkin(1);
        ADD_FAILURE() << "no exception";
    } catch (const FailedResultException& e) {
        const std::string text = e.what();
        const std::string tail =
            "KXRESULT = 80004005 : KX::LFrameworkApp::SetSkin : Application\\FrameworkApp : Line 225";
        EXPECT_EQ(text.substr(text.size() - std::min(text.size(), tail.size())), tail) << text;
    }
    EXPECT_EQ(app->GetControlFactory()->GetCurrentSkinIndex(), 0);
}

TEST(AppSkin, AnIndexOutsideTheSkinListIsRefused)
{
    RCPtr<FakeApp> app = NewApp();
    EXPECT_EQ(app->SetSkin(2), E_INVALIDARG);
    EXPECT_EQ(app->SetSkin(-1), E_INVALIDARG);
    EXPECT_EQ(app->fontQueries, 0);
    EXPECT_EQ(app->ini.writes, 0);
    EXPECT_EQ(app->GetControlFactory()->GetCurrentSkinIndex(), 0);
}

TEST(AppSkin, EveryWindowIsRepaintedUnderAWaitCursorWithAnIdlePassEach)
{
    rwtest::FakeServices s0, s1;
    s0.client = {0, 0, 300, 200};
    s1.client = {0, 0, 640, 480};
    s1.active = false;
    RCPtr<FakeApp> app = NewApp();
    RCPtr<LRootWindow> w0 = LRootWindow::Create(nullptr, &s0), w1 = LRootWindow::Create(nullptr, &s1);
    app->AddRootWindow(w0);
    app->AddRootWindow(w1);
    RCPtr<NameLog> log(new NameLog());
    std::vector<int32_t> cursors;
    log->onReceive = [&](const std::string&) { cursors.push_back(s0.cursor); };
    EXPECT_FALSE(KX::Failed(GetNotificationQueue()->RegisterClient(RCPtr<LNotificationReceiver>(log), u"NID_IDLE", 0)));
    s0.cursor = 3;

    EXPECT_EQ(app->SetSkin(1), S_OK);
    EXPECT_EQ(cursors, (std::vector<int32_t>{42, 42})) << "the wait cursor shows during each pass";
    EXPECT_EQ(s0.cursor, 3) << "and the previous cursor comes back";
    EXPECT_FALSE(s0.invalidated.empty());
    EXPECT_FALSE(s1.invalidated.empty());
    EXPECT_EQ(app->GetControlFactory()->GetCurrentSkinIndex(), 1);
    w0->ReleaseInternalReferences();
    w1->ReleaseInternalReferences();
}

TEST(AppSkin, AWindowClosedByTheIdlePassDuringTheSwitchIsPassedOver)
{
    rwtest::FakeServices s0, s1, s2;
    RCPtr<FakeApp> app = NewApp();
    std::vector<RCPtr<LRootWindow>> windows;
    for (rwtest::FakeServices* s : {&s0, &s1, &s2}) {
        windows.push_back(LRootWindow::Create(nullptr, s));
        app->AddRootWindow(windows.back());
    }
    // The platform window of a closed root window takes it off the list.
    for (size_t i = 1; i < 3; ++i)
        (i == 1 ? s1 : s2).onClose = [&app, &windows, i] { app->RemoveRootWindow(windows[i]); };
    windows[1]->Close(0);
    windows[2]->Close(0);

    EXPECT_EQ(app->SetSkin(1), S_OK) << "the first window's busy pass closes the other two";
    EXPECT_EQ(app->GetRootWindowCount(), 1u);
    EXPECT_FALSE(s0.invalidated.empty());
    EXPECT_TRUE(s1.invalidated.empty()) << "a closed window is not rebuilt";
    EXPECT_TRUE(s2.invalidated.empty());
    for (auto& w : windows)
        w->ReleaseInternalReferences();
}
