// Files as a user meets them, through the real program: File > Load (its hot key) on what is no
// preset file says why and never waits on a FIFO; the hot keys save and load what the focused field
// shows; while the chooser is open the window paints and drops what is clicked or typed on it; a
// quit in the same batch as a hot key opens no chooser; a damaged window placement or a Profile.ini
// of binary garbage never stops a start, and the placement is saved again at the next exit.
#include "EngineFakes.h"
#include "FakeFileChooser.h"
#include "PictureEndToEnd.h"
#include "PrivateSessionBus.h"

#include "editor/EncoderEditPanel.h"
#include "editor/MoveableControlEditPanel.h"
#include "editor/Version.h"

#include "engine/ParamRecords.h"
#include "kx/controls/NumericUpDown.h"

#include "kx/ui/WindowPlacement.h"

#include "platform/posix/ProfileFile.h"

#include <atomic>
#include <fcntl.h>
#include <filesystem>
#include <random>
#include <sys/stat.h>

using namespace KX;

namespace {

using e2etest::Picture;

const std::string kProfile = "/home/.config/Tarvel/Lumo 25 Preset Editor/Profile.ini";

// The picture end to end with a desktop portal of the test's own answering the file dialogs.
class FileLoading : public e2etest::PictureEndToEnd {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_bus.IsRunning()) << m_bus.Error();
        m_busEnv = std::make_unique<kxtest::ScopedEnv>("DBUS_SESSION_BUS_ADDRESS", m_bus.Address());
        m_pathEnv = std::make_unique<kxtest::ScopedEnv>("PATH", m_noPrograms.Path());
        portal = std::make_unique<kxtest::FakeFileChooser>(m_bus.Address());
        ASSERT_TRUE(portal->IsReady());
        PictureEndToEnd::SetUp();
    }
    void TearDown() override
    {
        portal.reset();
        m_pathEnv.reset();
        m_busEnv.reset();
    }

    // Ctrl+O in the focused window with the portal answering path; the box the load ends with.
    std::string LoadThroughTheHotKey(Picture& p, const std::string& path)
    {
        boxes.Clear();
        portal->Script({kxtest::PortalAnswer::Kind::Respond, 0, {"file://" + path}});
        p.Activate();
        p.Key(SDLK_o, KMOD_LCTRL);
        if (!p.Until([&] { return !boxes.Boxes().empty(); }))
            return "<no box>, dialogs asked: " + std::to_string(portal->Calls().size());
        return boxes.Boxes().back().text + "|" + boxes.Boxes().back().caption;
    }

    std::unique_ptr<kxtest::FakeFileChooser> portal;

private:
    kxtest::PrivateSessionBus m_bus;
    kxtest::TempFolder m_noPrograms;
    std::unique_ptr<kxtest::ScopedEnv> m_busEnv;
    std::unique_ptr<kxtest::ScopedEnv> m_pathEnv;
};

TEST_F(FileLoading, WhatCannotBeReadSaysWhyAndAFileReadButNoPresetIsNotCompatible)
{
    const std::string folder = tree.Folder("files");
    const std::string fifo = folder + "/fifo.Lumo25PresetEditor";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string locked = folder + "/locked.Lumo25PresetEditor";
    apptest::WriteFile(locked, "x");
    ::chmod(locked.c_str(), 0);
    const std::string garbage = folder + "/garbage.Lumo25PresetEditor";
    apptest::WriteFile(garbage, std::string(300, '\x5a'));
    // Should the program wait on the FIFO, a writer comes after a while and the test fails instead
    // of hanging.
    std::atomic<bool> done{false};
    std::thread unblock([&] {
        for (int i = 0; i < 200 && !done; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        if (!done)
            ::close(::open(fifo.c_str(), O_WRONLY | O_NONBLOCK));
    });
    Run([&](Picture& p) {
        const int32_t encoder = p.view->GetFirstParamID() + IDevice::kEncodersOffset;
        const std::vector<uint8_t> before = p.Stored(encoder);
        const std::string caption = "|Preset File Load";
        EXPECT_EQ(LoadThroughTheHotKey(p, fifo),
                  "The preset file could not be read: it is not a regular file." + caption);
        EXPECT_EQ(LoadThroughTheHotKey(p, folder + "/missing.Lumo25PresetEditor"),
                  "The preset file could not be read: no such file or directory." + caption);
        EXPECT_EQ(LoadThroughTheHotKey(p, folder), "The preset file could not be read: is a directory." + caption);
        // Root reads any file.
        if (::geteuid() != 0) {
            EXPECT_EQ(LoadThroughTheHotKey(p, locked),
                      "The preset file could not be read: permission denied." + caption);
        }
        EXPECT_EQ(LoadThroughTheHotKey(p, garbage),
                  "Preset file is not compatible with this version of the preset editor" + caption);
        EXPECT_EQ(p.Stored(encoder), before) << "nothing was loaded";
    });
    done = true;
    unblock.join();
}

TEST_F(FileLoading, ANameSavedWithADotOfItsOwnGetsTheExtensionLoadLooksFor)
{
    const std::string folder = tree.Folder("saved") + "/";
    Run([&](Picture& p) {
        // Typed with the extension, in any case, nothing more is added.
        for (const auto& [name, saved] : {std::pair{"Lead v1.2", "Lead v1.2.Lumo25PresetEditor"},
                                          {"dotted.name.v2", "dotted.name.v2.Lumo25PresetEditor"},
                                          {"Pad.lumo25preseteditor", "Pad.lumo25preseteditor"}}) {
            portal->Script({kxtest::PortalAnswer::Kind::Respond, 0, {"file://" + folder + name}});
            p.Activate();
            p.Key(SDLK_s, KMOD_LCTRL);
            EXPECT_TRUE(p.Until([&] { return std::filesystem::exists(folder + saved); })) << saved;
        }
    });
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 3);
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(FileLoading, ANameOfDotsOrTooLongIsRefusedTheLongestIsSavedAndAFolderIsNeverOfferedForReplacing)
{
    const std::string folder = tree.Folder("names") + "/";
    // With the extension, 255 bytes: the most the folder allows.
    const std::string longName = std::string(236, 'n') + ".Lumo25PresetEditor";
    std::filesystem::create_directory(folder + "Lead.Lumo25PresetEditor");
    Run([&](Picture& p) {
        const auto save = [&](const std::string& name) {
            const size_t before = boxes.Boxes().size();
            portal->Script({kxtest::PortalAnswer::Kind::Respond, 0, {"file://" + folder + name}});
            p.Activate();
            p.Key(SDLK_s, KMOD_LCTRL);
            p.Until([&] { return boxes.Boxes().size() > before || std::filesystem::exists(folder + name); });
            std::string shown;
            for (size_t i = before; i < boxes.Boxes().size(); ++i)
                shown += boxes.Boxes()[i].text + "|";
            return shown;
        };
        EXPECT_EQ(save("..."), "\"...\" cannot be the name of a preset file.\nA name needs more than dots.|");
        EXPECT_EQ(save(longName), "");
        EXPECT_EQ(save(std::string(237, 'n')),
                  "The preset file was not saved: its name is 256 bytes long with the extension, and this folder "
                  "allows names of at most 255 bytes. Choose a shorter name.|");
        EXPECT_EQ(save("Lead"), "Lead.Lumo25PresetEditor is a folder.\nChoose another name for the preset file.|");
    });
    EXPECT_TRUE(std::filesystem::is_regular_file(folder + longName));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 2) << "a refused name left a file";
    EXPECT_TRUE(std::filesystem::is_empty(folder + "Lead.Lumo25PresetEditor"));
}

TEST_F(FileLoading, ALoadTheEngineTookNothingOfSaysTheKeyboardIsGone)
{
    const RCPtr<kxtest::FakeEngineDeviceCommunication> comm(new kxtest::FakeEngineDeviceCommunication());
    const std::string file = tree.Folder("gone") + "/saved.Lumo25PresetEditor";
    Run(
        [&](Picture& p) {
            portal->Script({kxtest::PortalAnswer::Kind::Respond, 0, {"file://" + file}});
            p.Activate();
            p.Key(SDLK_s, KMOD_LCTRL);
            ASSERT_TRUE(p.Until([&] { return std::filesystem::exists(file); }));
            comm->connected.store(false);
            p.app.GetRootModuleEngine()->DisconnectDevice();
            EXPECT_EQ(LoadThroughTheHotKey(p, file),
                      "The preset file was not loaded: the keyboard is not connected. Connect it with its USB cable "
                      "and load the file again.|Preset File Load");
        },
        [&](EditorProgramOptions& options) { options.engine.deviceCommunication = comm; });
}

TEST_F(FileLoading, ALoadSaysHowManyValuesWereNotTakenAndOneThatChangedNothingSaysSo)
{
    const RCPtr<kxtest::FakeEngineDeviceCommunication> comm(new kxtest::FakeEngineDeviceCommunication());
    const std::string folder = tree.Folder("partly") + "/";
    Run(
        [&](Picture& p) {
            const int32_t first = p.view->GetFirstParamID(), count = static_cast<int32_t>(kParamCount);
            // Where a record's value starts in a file.
            const auto value = [](int32_t i) {
                return LPresetManager::kHeaderBytes + LPresetManager::kRecordHeadBytes * static_cast<uint32_t>(i + 1) +
                       GetParamRecordOffset(i);
            };
            // The preset saved with every record's first byte one up; held: what the model holds.
            ASSERT_EQ(LPresetManager::Create()->Save(WString((folder + "changed").c_str())), S_OK);
            std::string changed = apptest::ReadFile(folder + "changed");
            std::vector<std::vector<uint8_t>> held;
            for (int32_t i = 0; i < count; ++i) {
                held.push_back(p.Stored(first + i));
                changed[value(i)] = static_cast<char>((changed[value(i)] + 1) & 0x7F);
            }
            // Five records for parameters the keyboard does not have.
            std::string foreign;
            for (uint32_t k = 0; k < 5; ++k) {
                std::string record = changed.substr(LPresetManager::kHeaderBytes,
                                                    LPresetManager::kRecordHeadBytes + GetParamRecordLength(0));
                record[8] = static_cast<char>(kParamCount + k);
                foreign += record;
            }
            // The even records (42 of 83) with a byte no keyboard takes, and the five.
            std::string partly = changed;
            for (int32_t i = 0; i < count; i += 2)
                partly[value(i)] = '\x80';
            apptest::WriteFile(folder + "partly", partly + foreign);
            apptest::WriteFile(folder + "foreign", changed.substr(0, LPresetManager::kHeaderBytes) + foreign);
            apptest::WriteFile(folder + "changed", changed);

            EXPECT_EQ(LoadThroughTheHotKey(p, folder + "partly"),
                      "The preset file was loaded only in part: 47 of its 88 values were not taken, as they do not "
                      "fit this keyboard. The other values were loaded.|Preset File Load");
            for (int32_t i = 1; i < count; i += 2)
                held[static_cast<size_t>(i)][0] = static_cast<uint8_t>((held[static_cast<size_t>(i)][0] + 1) & 0x7F);
            EXPECT_EQ(LoadThroughTheHotKey(p, folder + "foreign"),
                      "The preset file was not loaded: none of its 5 values fit this keyboard, so nothing was "
                      "changed.|Preset File Load");
            for (int32_t i = 0; i < count; ++i)
                EXPECT_EQ(p.Stored(first + i), held[static_cast<size_t>(i)]) << "parameter " << i;

            // The keyboard goes away while the first record is sent: that one value changed.
            comm->leaveAtSet.store(comm->deviceSets.load() + 1);
            EXPECT_EQ(LoadThroughTheHotKey(p, folder + "changed"),
                      "The preset file was loaded only in part: 82 of its 83 values were not taken because the "
                      "keyboard was disconnected. Connect it with its USB cable and load the file again.|Preset File "
                      "Load");
            EXPECT_EQ(p.Stored(first)[0], (held[0][0] + 1) & 0x7F);
            EXPECT_EQ(p.Stored(first + 2), held[2]);
        },
        [&](EditorProgramOptions& options) { options.engine.deviceCommunication = comm; });
}

TEST_F(FileLoading, TheHotKeysSaveAndLoadWhatTheFocusedFieldShowsWithoutEnter)
{
    const std::string file = tree.Folder("typed") + "/typed.Lumo25PresetEditor";
    Run([&](Picture& p) {
        const auto group = p.ViewChild<LGroupPanelFrame>(u"encoders");
        const auto panel = p.ViewChild<LEncoderEditPanel>(u"knobEditPanel");
        const int32_t id = p.view->GetFirstParamID() + IDevice::kEncodersOffset;
        p.Click(*group->GetTile(0)->FindChild(WString(u"button")));
        ASSERT_TRUE(p.Until([&] { return panel->IsShowing(false) && panel->GetFirstParamID() == id; }));
        const RCPtr<LNumericUpDown> number = panel->GetSubEditor()->GetNumberBoxes().ElementAt(0);
        const RCPtr<LTextBox> cc = number->GetTextBox();
        constexpr size_t kCcByte = 2;
        ASSERT_TRUE(p.Until([&] { return number->GetValue() == p.Stored(id)[kCcByte]; }));
        ASSERT_NE(p.Stored(id)[kCcByte], 99);

        // Typed without Enter, saved by Ctrl+S: the file holds what the field shows.
        p.TypeOver(*cc, "99");
        portal->Script({kxtest::PortalAnswer::Kind::Respond, 0, {"file://" + file}});
        p.Key(SDLK_s, KMOD_LCTRL);
        ASSERT_TRUE(p.Until([&] { return std::filesystem::exists(file); }));
        EXPECT_EQ(p.Stored(id)[kCcByte], 99) << "the typed value was not taken before the save";

        // Typed again, then the file loaded by Ctrl+O: the file's value shows and stays.
        p.TypeOver(*cc, "77");
        portal->Script({kxtest::PortalAnswer::Kind::Respond, 0, {"file://" + file}});
        p.Key(SDLK_o, KMOD_LCTRL);
        EXPECT_TRUE(p.Until([&] {
            return portal->Calls().size() == 2 && p.Stored(id)[kCcByte] == 99 && cc->GetText() == WString(u"99");
        })) << "stored "
            << int(p.Stored(id)[kCcByte]) << ", shown " << cc->GetText().ToNarrow().GetString();
        p.Key(SDLK_TAB);
        p.Pause(300);
        EXPECT_EQ(p.Stored(id)[kCcByte], 99) << "the value typed before the load was written over it";

        // Typed, then the window closed: the value is taken before the program ends.
        p.TypeOver(*cc, "55");
        apptest::PushWindowEvent(p.app.GetMainWindow()->GetPlatformWindow().Id(), SDL_WINDOWEVENT_CLOSE);
        ASSERT_TRUE(p.Until([&] { return p.app.IsExitRequested(); }));
        EXPECT_EQ(p.Stored(id)[kCcByte], 55) << "the typed value was lost at the exit";
    });
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(FileLoading, WhileTheChooserIsOpenTheWindowPaintsAndDropsWhatIsClickedOrTyped)
{
    Run([&](Picture& p) {
        platform::sdl::Window& window = p.app.GetMainWindow()->GetPlatformWindow();
        const RCPtr<LControl> pad = p.Pad(6).FindChild(WString(u"button"));
        const RCPtr<LControl> bank2 = p.view->FindChild(WString(u"groupBankPanel"))->FindChild(WString(u"bank2"));
        const RCPtr<LControl> faders2 = p.view->FindChild(WString(u"faders"))->FindChild(WString(u"faderBank2"));
        ASSERT_TRUE(pad && bank2 && faders2 && !p.padEdit->IsShowing(false));
        portal->Script({kxtest::PortalAnswer::Kind::Held, 1, {}});
        int passes = 0;
        bool painted = false;
        // On the loop's idle passes while the chooser is open: a repaint asked for, a click on pad
        // 7 and on bank 2, Ctrl+O; then the chooser is cancelled.
        p.app.onIdle = [&] {
            if (!portal->IsHolding() || ++passes > 6)
                return;
            if (passes == 1) {
                window.InvalidateAll();
                p.Click(*pad);
                p.Click(*bank2);
                p.Key(SDLK_o, KMOD_LCTRL);
            } else if (passes == 6) {
                painted = !window.HasPendingPaint();
                portal->Release();
            }
        };
        p.Activate();
        p.Key(SDLK_s, KMOD_LCTRL);
        p.Key(SDLK_s, KMOD_LCTRL);
        ASSERT_TRUE(p.Until([&] { return passes >= 6 && !portal->IsHolding(); }))
            << "the window was not served while the chooser was open";
        p.Pause(300);
        p.app.onIdle = nullptr;
        EXPECT_TRUE(painted) << "the window was not repainted";
        EXPECT_EQ(portal->Calls().size(), 1u) << "a hot key pressed meanwhile opened another chooser";
        EXPECT_FALSE(p.padEdit->IsShowing(false)) << "a click on pad 7 opened its panel after the chooser";
        EXPECT_FALSE(faders2->IsShowing(false)) << "a click on bank 2 chose it after the chooser";
    });
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(FileLoading, AWindowCloseAndCtrlOInOneBatchQuitWithoutAChooserInEitherOrder)
{
    for (const bool closeFirst : {true, false}) {
        portal->Script({kxtest::PortalAnswer::Kind::Respond, 1, {}});
        Run([&](Picture& p) {
            const Uint32 id = p.app.GetMainWindow()->GetPlatformWindow().Id();
            p.Activate();
            if (closeFirst)
                apptest::PushWindowEvent(id, SDL_WINDOWEVENT_CLOSE);
            p.Key(SDLK_o, KMOD_LCTRL);
            if (!closeFirst)
                apptest::PushWindowEvent(id, SDL_WINDOWEVENT_CLOSE);
            EXPECT_TRUE(p.Until([&] { return p.app.IsExitRequested(); }));
        });
        EXPECT_TRUE(portal->Calls().empty()) << (closeFirst ? "close, then Ctrl+O" : "Ctrl+O, then close")
                                             << ": a chooser opened after the quit request";
    }
}

// The program's own start on the test skin with the profile as the test wrote it; the placement
// its main window got, and the desktop's usable area.
struct Started {
    WindowPlacementRecord placement;
    RectT<int32_t> area{};
};

class ProfileStart : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!apptest::KeepOffscreenVideo())
            GTEST_SKIP() << "no offscreen video driver: " << SDL_GetError();
        ASSERT_FALSE(tree.Root().empty());
        apptest::fs::create_directories(apptest::fs::path(tree.Root() + kProfile).parent_path());
    }
    Started Start()
    {
        Started started;
        EditorProgramOptions options = apptest::OfflineOptions(tree);
        options.onStarted = [&](LApplication& app) {
            started.placement = app.GetMainWindow()->GetPlacement();
            started.area = app.GetWorkArea();
            app.RequestExit();
        };
        EXPECT_EQ(RunEditorProgram({"lumo25-preset-editor"}, std::move(options)), kExitNormal);
        return started;
    }
    std::optional<std::vector<uint8_t>> SavedPlacement()
    {
        platform::posix::ProfileFile file(tree.Root() + kProfile);
        if (file.Load() != 0)
            return std::nullopt;
        return file.GetBinary(apptest::NarrowText(GetInstanceName()), "WP");
    }
    static bool OnTheDesktop(const Started& s)
    {
        return s.placement.left >= s.area.x && s.placement.top >= s.area.y &&
               s.placement.left < s.area.x + s.area.width && s.placement.top < s.area.y + s.area.height;
    }

    apptest::TempTree tree;
    kxtest::RecordingMessageBoxes boxes;
};

TEST_F(ProfileStart, APlacementFarBeyondAnyDesktopIsRefusedAndTheWindowOpensOnIt)
{
    WindowPlacementRecord far;
    far.left = 0x7FFFFD00;
    far.top = 0x7FFFFD00;
    far.right = 0x7FFFFFF0;
    far.bottom = 0x7FFFFFF0;
    const auto bytes = EncodeWindowPlacement(far);
    platform::posix::ProfileFile file(tree.Root() + kProfile);
    ASSERT_EQ(file.WriteBinary(apptest::NarrowText(GetInstanceName()), "WP", bytes.data(), bytes.size()), 0);
    const Started started = Start();
    EXPECT_TRUE(OnTheDesktop(started)) << started.placement.left << "," << started.placement.top;
    const auto saved = SavedPlacement();
    ASSERT_TRUE(saved.has_value());
    WindowPlacementRecord record;
    ASSERT_TRUE(DecodeWindowPlacement(saved->data(), saved->size(), record)) << "the exit saved a sound placement";
    EXPECT_EQ(record.left, started.placement.left);
}

TEST_F(ProfileStart, AProfileOfBinaryGarbageIsSetAsideAndWrittenAfresh)
{
    // More than a profile may hold: it was never read, so never written again.
    std::string garbage(1536 * 1024, '\0');
    std::mt19937 random(22);
    for (char& c : garbage)
        c = static_cast<char>(random());
    apptest::WriteFile(tree.Root() + kProfile, garbage);
    const Started first = Start();
    EXPECT_TRUE(OnTheDesktop(first));
    const auto saved = SavedPlacement();
    ASSERT_TRUE(saved.has_value()) << "the placement was saved at exit";
    EXPECT_EQ(saved->size(), kWindowPlacementSize);
    // The damaged file is kept beside the fresh one, as it was.
    std::vector<std::string> kept;
    for (const auto& entry : apptest::fs::directory_iterator(apptest::fs::path(tree.Root() + kProfile).parent_path()))
        if (entry.path().filename().string().rfind("Profile.ini.damaged", 0) == 0)
            kept.push_back(entry.path().string());
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(apptest::ReadFile(kept[0]), garbage);
    EXPECT_TRUE(boxes.Boxes().empty());
}

} // namespace
