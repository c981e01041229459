// One editor per user: a later start hands its command line to the running one and ends with 255;
// a lock left by a killed run does not block; the main window's placement "WP" is saved at exit and
// restored (kept on the desktop) at the next start. Later instances are child processes of this
// test program (AppChild.Run) running the editor program on the same folders.
#include "AppTestSupport.h"
#include "RecordingMessageBoxes.h"

#include "editor/Application.h"
#include "editor/Version.h"

#include "kx/ui/WindowPlacement.h"

#include "platform/posix/ProfileFile.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/un.h>

using namespace KX;
using apptest::TempTree;

namespace {

// A child's tree: the folder the parent gave.
class ChildTree {
public:
    std::string root = std::getenv(apptest::kChildTreeVariable) ? std::getenv(apptest::kChildTreeVariable) : "";
};

EditorProgramOptions ChildOptions(const std::string& root)
{
    EditorProgramOptions options;
    platform::posix::XdgEnvironment env;
    env.home = root + "/home";
    env.dataHome = root + "/home/.local/share";
    env.configHome = root + "/home/.config";
    env.cacheHome = root + "/home/.cache";
    env.runtimeDir = root + "/run";
    options.makePlatform = [env] { return std::make_unique<SystemAppPlatform>(env); };
    options.instanceFolder = root + "/run";
    options.resourceFolder = root + "/res";
    options.engine.libraryPath = KX::WString((root + "/no-device-library.so").c_str());
    return options;
}

class AppInstance : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!apptest::KeepOffscreenVideo())
            GTEST_SKIP() << "no offscreen video driver: " << SDL_GetError();
        ASSERT_FALSE(tree.Root().empty());
        options = apptest::OfflineOptions(tree);
    }

    // Runs the first instance; at its first idle pass it starts a later instance with marker in its
    // command line and waits (serving it) until that one ends.
    int RunWithLaterInstance(const std::string& marker, std::optional<int>& childStatus,
                             std::vector<std::string>& handedOver)
    {
        pid_t child = -1;
        auto started = std::chrono::steady_clock::now();
        options.onStarted = [&](LApplication& app) {
            child = apptest::SpawnChild(tree, "second", marker);
            started = std::chrono::steady_clock::now();
            app.onIdle = [&app, &child, &childStatus, &started] {
                if (!childStatus)
                    childStatus = apptest::ChildStatus(child);
                if (childStatus || std::chrono::steady_clock::now() - started > std::chrono::seconds(60))
                    app.RequestExit();
            };
            app.onCommandLine = [&](const WString& text) {
                handedOver.push_back(apptest::NarrowText(text));
                lineHolders.push_back(text.GetBuffer()->GetRefCount());
            };
        };
        const int status = RunEditorProgram({"lumo25-preset-editor"}, std::move(options));
        if (!childStatus && child > 0) {
            ::kill(child, SIGKILL);
            apptest::WaitChild(child, std::chrono::seconds(5));
        }
        return status;
    }

    TempTree tree;
    EditorProgramOptions options;
    // How many hold each handed-over line's text as it arrives.
    std::vector<int32_t> lineHolders;
    kxtest::RecordingMessageBoxes boxes;
};

} // namespace

// Not a test of its own: the later instance that the tests below start as a child process.
TEST(AppChild, Run)
{
    const char* mode = std::getenv(apptest::kChildModeVariable);
    if (!mode)
        GTEST_SKIP() << "runs only as a child of the instance tests";
    const ChildTree tree;
    kxtest::RecordingMessageBoxes boxes;
    EditorProgramOptions options = ChildOptions(tree.root);
    std::vector<std::string> args = {"lumo25-preset-editor"};
    for (const std::string& a : ::testing::internal::GetArgvs())
        if (a.rfind("--", 0) != 0 && a != ::testing::internal::GetArgvs()[0])
            args.push_back(a);
    if (std::string(mode) == "hang") {
        options.onStarted = [&tree](LApplication&) { apptest::WriteFile(tree.root + "/ready", "1"); };
    }
    std::_Exit(RunEditorProgram(args, std::move(options)));
}

TEST_F(AppInstance, LaterInstanceHandsOverItsCommandLineAndEnds255)
{
    std::optional<int> childStatus;
    std::vector<std::string> handedOver;
    EXPECT_EQ(RunWithLaterInstance("open=preset-17", childStatus, handedOver), kExitNormal);
    ASSERT_TRUE(childStatus.has_value()) << "the later instance did not end";
    EXPECT_EQ(*childStatus, kExitSecondInstance);
    ASSERT_EQ(handedOver.size(), 1u);
    EXPECT_NE(handedOver[0].find("open=preset-17"), std::string::npos) << handedOver[0];
    EXPECT_EQ(lineHolders, std::vector<int32_t>{1}) << "the program keeps the line for the whole run";
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(AppInstance, LockOfAKilledRunDoesNotBlockTheNextStart)
{
    apptest::MakeResourceFolder(tree);
    const pid_t killed = apptest::SpawnChild(tree, "hang", "first");
    ASSERT_GT(killed, 0);
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!apptest::fs::exists(tree.Root() + "/ready") && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ASSERT_TRUE(apptest::fs::exists(tree.Root() + "/ready")) << "the first run did not start";
    ::kill(killed, SIGKILL);
    ASSERT_EQ(apptest::WaitChild(killed, std::chrono::seconds(10)), std::optional<int>(-1));
    // Its lock file and socket are still there.
    const std::string prefix = tree.Root() + "/run/" + apptest::NarrowText(GetInstanceName()) + "Prevent";
    EXPECT_TRUE(apptest::fs::exists(prefix + ".lock"));
    EXPECT_TRUE(apptest::fs::exists(prefix + ".sock"));

    // This start becomes the first instance and serves a later one.
    std::optional<int> childStatus;
    std::vector<std::string> handedOver;
    EXPECT_EQ(RunWithLaterInstance("after-kill", childStatus, handedOver), kExitNormal);
    EXPECT_EQ(childStatus, std::optional<int>(kExitSecondInstance));
    EXPECT_EQ(handedOver.size(), 1u);
}

TEST_F(AppInstance, PlacementIsSavedAtExitAndRestoredOnTheDesktop)
{
    WindowPlacementRecord moved;
    moved.left = 210;
    moved.top = 120;
    moved.right = 210 + 1200;
    moved.bottom = 120 + 750;
    options.onStarted = [&](LApplication& app) {
        app.GetMainWindow()->SetPlacement(moved);
        app.RequestExit();
    };
    ASSERT_EQ(RunEditorProgram({"editor"}, std::move(options)), kExitNormal);
    const std::string profile = tree.Root() + "/home/.config/Tarvel/Lumo 25 Preset Editor/Profile.ini";
    platform::posix::ProfileFile file(profile);
    ASSERT_EQ(file.Load(), 0);
    const std::optional<std::vector<uint8_t>> saved = file.GetBinary(apptest::NarrowText(GetInstanceName()), "WP");
    ASSERT_TRUE(saved.has_value());
    ASSERT_EQ(saved->size(), kWindowPlacementSize);
    WindowPlacementRecord record;
    ASSERT_TRUE(DecodeWindowPlacement(saved->data(), saved->size(), record));
    EXPECT_EQ(record.left, 210);
    EXPECT_EQ(record.top, 120);

    // The next start comes back there, kept on the desktop (the offscreen display may be small).
    WindowPlacementRecord restored;
    RectT<int32_t> area{};
    options = apptest::OfflineOptions(tree);
    options.onStarted = [&](LApplication& app) {
        restored = app.GetMainWindow()->GetPlacement();
        area = app.GetWorkArea();
        app.RequestExit();
    };
    ASSERT_EQ(RunEditorProgram({"editor"}, std::move(options)), kExitNormal);
    const PlacementRect expected =
        ClampToDesktop({record.left - area.x, record.top - area.y, record.right - area.x, record.bottom - area.y},
                       area.width, area.height, 1200, 750);
    EXPECT_EQ(restored.left, expected.left + area.x);
    EXPECT_EQ(restored.top, expected.top + area.y);
    EXPECT_EQ(restored.right - restored.left, expected.right - expected.left);

    // A placement on a monitor that is gone, saved minimised, comes back restored on the desktop.
    WindowPlacementRecord lost = record;
    lost.left = -4000;
    lost.right = -4000 + 1200;
    lost.showCommand = kShowMinimized;
    const auto bytes = EncodeWindowPlacement(lost);
    ASSERT_EQ(file.WriteBinary(apptest::NarrowText(GetInstanceName()), "WP", bytes.data(), bytes.size()), 0);
    options = apptest::OfflineOptions(tree);
    options.onStarted = [&](LApplication& app) {
        restored = app.GetMainWindow()->GetPlacement();
        area = app.GetWorkArea();
        app.RequestExit();
    };
    ASSERT_EQ(RunEditorProgram({"editor"}, std::move(options)), kExitNormal);
    EXPECT_GE(restored.left, area.x);
    EXPECT_EQ(restored.right - restored.left, 1200) << "the fixed size stays";
    EXPECT_NE(restored.showCommand, kShowMinimized);
}
