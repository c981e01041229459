// The application object's folders, settings files, clocks, cursors and exit handling, the window
// placement's clamping, the debug switches and the version texts, over a scripted platform.
#include "AppFakes.h"
#include "AppTestSupport.h"

#include "editor/Application.h"
#include "editor/Version.h"

#include <stdexcept>

using namespace KX;

namespace {

class ScriptedPlatform : public IAppPlatform {
public:
    std::string ExecutableFolder() override { return "/opt/lumo"; }
    std::string DataHome() override { return dataHome; }
    std::string ConfigHome() override { return configHome; }
    std::string DocumentsFolder() override { return "/home/u/Documents"; }
    bool ReadProfileValue(const std::string&, const std::string&, const std::string&, std::vector<uint8_t>&) override
    {
        return false;
    }
    bool WriteProfileValue(const std::string&, const std::string&, const std::string&,
                           const std::vector<uint8_t>&) override
    {
        return false;
    }
    int32_t ShowMessageBox(const std::string& text, const std::string&, uint32_t, void*) override
    {
        boxes.push_back(text);
        return 1;
    }
    bool SystemFont(std::string&, float&, uint32_t&) override { return false; }
    AppRect UsableBounds() override { return AppRect{0, 0, 1920, 1040}; }
    bool OpenDocument(const std::string&) override { return false; }
    uint32_t TickCount() override { return *tick; }

    std::string dataHome, configHome;
    std::vector<std::string> boxes;
    uint32_t* tick = nullptr;
};

// Records the paths it is asked to open.
class OpenLog : public apptest::FakeIni {
public:
    KXRESULT OpenIniFile(const WString& path, const WString& section, const WString&, int32_t& h) override
    {
        opened.push_back(apptest::Narrow(path));
        sections.push_back(apptest::Narrow(section));
        h = static_cast<int32_t>(opened.size()) + 10;
        return S_OK;
    }
    std::vector<std::string> opened, sections;
};

class AppObject : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(tree.Root().empty());
        auto scripted = std::make_unique<ScriptedPlatform>();
        scripted->dataHome = tree.Folder("data");
        scripted->configHome = tree.Folder("config");
        scripted->tick = &tick;
        platform = scripted.get();
        LApplication::Options options;
        options.platform = std::move(scripted);
        options.clipboard = apptest::MemoryClipboard();
        options.ini = ini;
        app = RCPtr<LApplication>(new LApplication(RCPtr<LControlFactory>(new LControlFactory(WString(u"T"))), nullptr,
                                                   WString(u"editor -x"), std::move(options)));
    }

    apptest::TempTree tree;
    uint32_t tick = 0xFFFFFF00u;
    ScriptedPlatform* platform = nullptr;
    std::shared_ptr<OpenLog> ini = std::make_shared<OpenLog>();
    RCPtr<LApplication> app;
};

} // namespace

TEST_F(AppObject, FoldersByPathIdAreMadeUnderTheCompanyAndProduct)
{
    EXPECT_EQ(apptest::Narrow(app->GetFolder(0)), "/opt/lumo");
    EXPECT_EQ(apptest::Narrow(app->GetFolder(1)), "::");
    const std::string data = apptest::Narrow(app->GetFolder(2));
    EXPECT_EQ(data, tree.Root() + "/data/Tarvel/Lumo 25 Preset Editor");
    EXPECT_TRUE(apptest::fs::is_directory(data));
    EXPECT_EQ(apptest::Narrow(app->GetFolder(3)), tree.Root() + "/config/Tarvel/Lumo 25 Preset Editor");
    EXPECT_EQ(apptest::Narrow(app->GetFolder(5)), "/home/u/Documents");
    EXPECT_EQ(apptest::Narrow(app->GetFolder(6)), "/home/u/Documents");
    try {
        app->GetFolder(7);
        ADD_FAILURE() << "no throw";
    } catch (const std::out_of_range& e) {
        EXPECT_STREQ(e.what(), "Out of Range : Unknown Path ID. : KX::MFCFrameworkApp<class LApplication>::GetFolder : "
                               "kxframework\\include\\..\\Application\\ApplicationBaseWin : Line 570");
    }
}

TEST_F(AppObject, SettingsFilesOpenOnceAndNeverAtTheRoot)
{
    const int32_t user = app->GetSettingsFile(1);
    EXPECT_NE(user, 0);
    EXPECT_EQ(app->GetSettingsFile(1), user);
    EXPECT_EQ(app->GetSettingsFile(2), 0);
    EXPECT_EQ(app->GetSettingsFile(-1), 0);
    ASSERT_EQ(ini->opened.size(), 1u);
    EXPECT_EQ(ini->opened[0], tree.Root() + "/config/Tarvel/Lumo 25 Preset Editor/UserSettings.ini");
    EXPECT_EQ(ini->sections[0], "1_0_0");

    // A data home that is a file: the folder cannot be made, so there is no settings file.
    apptest::WriteFile(tree.Root() + "/blocked", "x");
    platform->dataHome = tree.Root() + "/blocked";
    EXPECT_TRUE(app->GetFolder(2).IsEmpty());
    EXPECT_EQ(app->GetSettingsFile(0), 0);
    EXPECT_EQ(ini->opened.size(), 1u) << "nothing like /AppSettings.ini was opened";
    // No config home at all: no profile either.
    platform->configHome.clear();
    EXPECT_TRUE(app->GetProfilePath().empty());
    std::vector<uint8_t> bytes;
    EXPECT_FALSE(app->GetProfileBinary(GetInstanceName(), WString(u"WP"), bytes));
}

TEST_F(AppObject, TimeAbsorbsTheWrapOfTheMillisecondCount)
{
    EXPECT_EQ(app->GetTime(), 0.0);
    tick += 0x100u + 250u; // across the wrap
    EXPECT_DOUBLE_EQ(app->GetTime(), 0.506);
    EXPECT_DOUBLE_EQ(app->GetTime(), 0.506) << "the same millisecond gives the same time";
    EXPECT_EQ(app->GetTickTime(), 250u);
}

TEST_F(AppObject, CursorsOutsideTheTableAreTheArrowAndSomeHaveNone)
{
    EXPECT_EQ(app->LoadAppCursor(WString(u"UI_CURSOR_IBEAM")), 2);
    EXPECT_EQ(app->LoadAppCursor(WString(u"UI_CURSOR_HAND")), 10);
    EXPECT_EQ(app->LoadAppCursor(WString(u"UI_CURSOR_MAG")), -1);
    EXPECT_EQ(app->LoadAppCursor(WString(u"NO_SUCH_CURSOR")), 0);
    // The drop cursors are the program's own, apart from the arrow.
    EXPECT_EQ(app->LoadAppCursor(WString(u"UI_CURSOR_DROP_MOVE")), 11);
    EXPECT_EQ(app->LoadAppCursor(WString(u"UI_CURSOR_DROP_COPY")), 12);
    WString face;
    float size = 3.0f;
    uint32_t style = 5;
    EXPECT_EQ(app->GetSystemFont(face, size, style), E_FAIL);
    EXPECT_EQ(size, 0.0f);
    EXPECT_EQ(style, 0u);
}

TEST_F(AppObject, OnlyTheExitRequestEndsTheApplication)
{
    EXPECT_EQ(app->HandleNotification(nullptr, apptest::Make(u"NID_SOMETHING_ELSE")), S_FALSE);
    EXPECT_FALSE(app->IsExitRequested());
    EXPECT_EQ(app->HandleNotification(nullptr, apptest::Make(u"NID_APP_EXIT_REQ")), S_OK);
    EXPECT_TRUE(app->IsExitRequested());
    EXPECT_TRUE(app->GetEvents().QuitRequested());
}

TEST(AppPlacement, SavedPlacementIsKeptOnTheDesktop)
{
    // On a monitor that is gone: back to the top-left corner, size kept.
    PlacementRect r = ClampToDesktop({-3000, -200, -1800, 550}, 1920, 1040);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(r.right, 1200);
    EXPECT_EQ(r.bottom, 750);
    // Beyond the right and bottom edges.
    r = ClampToDesktop({1500, 900, 2700, 1650}, 1920, 1040);
    EXPECT_EQ(r.left, 720);
    EXPECT_EQ(r.top, 290);
    EXPECT_EQ(r.right, 1920);
    EXPECT_EQ(r.bottom, 1040);
    // Larger than the desktop: cut to its size.
    r = ClampToDesktop({100, 50, 3100, 2050}, 1920, 1040);
    EXPECT_EQ(r.right - r.left, 1920);
    EXPECT_EQ(r.bottom - r.top, 1040);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 0);
    // A fixed-size window larger than the desktop keeps its size, its left and top edges on it.
    r = ClampToDesktop({300, 200, 1500, 950}, 1024, 768, 1200, 750);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.right, 1200);
    EXPECT_EQ(r.top, 18);
    EXPECT_EQ(r.bottom, 768);
    // Edges at the ends of the 32-bit range: no sum overflows, the window lands on the desktop.
    r = ClampToDesktop({INT32_MAX - 600, INT32_MIN, INT32_MAX - 10, INT32_MIN + 750}, 1920, 1040, 1200, 750);
    EXPECT_EQ(r.left, 720);
    EXPECT_EQ(r.right, 1920);
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(r.bottom, 750);
}

TEST(AppPlacement, DialogsAreMovedIntoTheWorkArea)
{
    const RectT<int32_t> area{0, 30, 1920, 1010};
    RectT<int32_t> r = KeepInWorkArea({1800, -20, 300, 140}, area);
    EXPECT_EQ(r.x, 1620);
    EXPECT_EQ(r.y, 30);
    // Larger than the area: the title and the top-left corner stay on it, the rest sticks out.
    r = KeepInWorkArea({10, 40, 2000, 1100}, area);
    EXPECT_EQ(r.x, 0);
    EXPECT_EQ(r.y, 30);
}

TEST(AppPlacement, ADialogIsCentredOnItsOwnerAlsoWhenWiderThanIt)
{
    RectT<int32_t> r = CentreOnOwner({350, 275, 500, 200}, {310, 190, 1200, 750});
    EXPECT_EQ(r.x, 660);
    EXPECT_EQ(r.y, 465);
    EXPECT_EQ(r.width, 500);
    // A box over a smaller dialog sticks out on both sides; odd halves go to the top-left.
    r = CentreOnOwner({0, 0, 441, 145}, {-100, 300, 400, 150});
    EXPECT_EQ(r.x, -121);
    EXPECT_EQ(r.y, 302);
}

TEST(AppDebugSwitches, ConsoleAndTraceTargetAsTheCommandLineSays)
{
    DebugSwitches s = ParseDebugSwitches("editor -debug_Console");
    EXPECT_TRUE(s.openConsole);
    EXPECT_FALSE(s.traceTarget);

    s = ParseDebugSwitches("editor -DEBUG_CONSOLE:9000:tracehost -x");
    EXPECT_FALSE(s.openConsole);
    EXPECT_TRUE(s.traceTarget);
    EXPECT_EQ(s.port, 9000);
    EXPECT_EQ(s.host, "TRACEHOST");

    s = ParseDebugSwitches("editor -DEBUG_CONSOLE:9:tracehost");
    EXPECT_FALSE(s.openConsole);
    EXPECT_FALSE(s.traceTarget) << "a one-character port does nothing";

    s = ParseDebugSwitches("editor -DEBUG_CONSOLE:4711 -DEBUG_CONSOLE:9000:other");
    EXPECT_EQ(s.port, 4711);
    EXPECT_TRUE(s.host.empty()) << "the first occurrence counts, up to its blank";

    EXPECT_FALSE(ParseDebugSwitches("editor -DEBUG").openConsole);
}

TEST(AppVersion, BlockTextsAndStartupErrorText)
{
    const Version version;
    EXPECT_EQ(apptest::Narrow(version.GetCompanyName()), "Tarvel");
    EXPECT_EQ(apptest::Narrow(version.GetProductName()), "Lumo 25 Preset Editor");
    EXPECT_FALSE(version.GetProductVersion().IsEmpty());
    EXPECT_TRUE(version.QueryString(WString(u"NoSuchKey")).IsEmpty());
    EXPECT_EQ(apptest::Narrow(GetInstanceName()), "Tarvel_Lumo 25 Preset Editor");
    EXPECT_EQ(apptest::Narrow(GetStartupErrorText(903)),
              "The application encountered problems during startup and will now close.  (Error code = 903)");
    EXPECT_EQ(JoinCommandLine({"/usr/bin/editor", "my file.x", "-a"}), "/usr/bin/editor \"my file.x\" -a");
}
