// The main menu's commands at the device view: item states from the keyboard's ports, the four
// dialogs by skin name through the window and the hot-key road, exit closing an open dialog first,
// the user guide, and preset files through a fake desktop portal: the save/load round trip, the
// dialogs' titles, filter and proposed name, and the boxes of refused and failed files.
#include "ViewFixture.h"

#include "FakeFileChooser.h"
#include "PrivateSessionBus.h"

#include "engine/PresetManager.h"

#include "kx/controls/ComboMenu.h"
#include "kx/controls/FileDialog.h"
#include "kx/controls/MainMenu.h"
#include "kx/controls/PopupMenu.h"
#include "kx/ui/MenuDescriptor.h"

#include <filesystem>
#include <fstream>

using namespace KX;
using kxtest::PortalAnswer;
using viewtest::Bytes;

namespace {

constexpr int32_t kEncoder0 = IDevice::kEncodersOffset;
const std::string kNotCompatible = "Preset file is not compatible with this vesion of the preset editor";

class Commands : public viewtest::ViewTest {
protected:
    void SetUp() override
    {
        viewtest::ViewTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        BuildMain();
    }
    RCPtr<LComboMenu> Title(const char16_t* name)
    {
        const RCPtr<LMainMenu> bar(dynamic_cast<LMainMenu*>(main->FindChild(WString(u"mainMenu")).Get()));
        return bar->GetMenuButton(bar->FindMenuIndex(WString(name)));
    }
    bool Enabled(const char16_t* id)
    {
        LMenuItemState state;
        state.enabled = 1;
        EXPECT_EQ(view->GetMenuItemState(nullptr, 0, WString(id), state), S_OK);
        return state.enabled != 0;
    }
};

TEST_F(Commands, KeyboardItemsAreEnabledOnlyWhileThePortsOpen)
{
    const RCPtr<viewtest::PortsMidiManager> midi(new viewtest::PortsMidiManager());
    editorApp.midi = RCPtr<LMidiManager>(midi.Get());
    for (const char16_t* id : {u"NID_MENU_FILE_SEND_PRESET_TO_DEVICE", u"NID_MENU_FILE_LOAD_PRESET_FROM_DEVICE",
                               u"NID_MENU_FILE_GLOBALSETTINGS_REQ"})
        EXPECT_FALSE(Enabled(id)) << viewtest::Narrow(WString(id));
    for (const char16_t* id :
         {u"NID_MENU_FILE_LOAD_PRESET_FROM_FILE", u"NID_MENU_FILE_SAVE_PRESET_TO_FILE", u"NID_MENU_FILE_EXIT_REQ",
          u"NID_MENU_HELP_ABOUT_REQ", u"NID_MENU_HELP_OPEN_USER_GUIDE_REQ"})
        EXPECT_TRUE(Enabled(id)) << viewtest::Narrow(WString(id));
    EXPECT_EQ(midi->opens, 3) << "only the keyboard items ask the ports";

    // The open menu shows it.
    ClickOn(*Title(u"File"));
    const RCPtr<LPopupMenu> popup = Title(u"File")->GetPopupMenu();
    EXPECT_FALSE(popup->IsItemSelectable(0)) << "send";
    EXPECT_FALSE(popup->IsItemSelectable(1)) << "retrieve";
    EXPECT_TRUE(popup->IsItemSelectable(3)) << "load";
    EXPECT_FALSE(popup->IsItemSelectable(6)) << "global settings";
    EXPECT_TRUE(popup->IsItemSelectable(8)) << "exit";
    Screenshot("unplugged");
    ClickOn(*Title(u"File"));

    midi->open = true;
    EXPECT_TRUE(Enabled(u"NID_MENU_FILE_SEND_PRESET_TO_DEVICE"));
    editorApp.midi = nullptr;
    EXPECT_FALSE(Enabled(u"NID_MENU_FILE_GLOBALSETTINGS_REQ")) << "no MIDI manager yet";
}

TEST_F(Commands, DialogCommandsRunTheirSkinDialogsAndOnlyHotKeyCommandsAnswerTheQueue)
{
    SendToWindow(u"NID_MENU_FILE_LOAD_PRESET_FROM_DEVICE");
    SendToWindow(u"NID_MENU_FILE_SEND_PRESET_TO_DEVICE");
    SendToWindow(u"NID_MENU_HELP_ABOUT_REQ");
    SendToWindow(u"NID_MENU_FILE_GLOBALSETTINGS_REQ");
    const std::vector<std::string> names{"dialogRetrievePresetFromHardware", "dialogSendPreset", "dialogAbout",
                                         "globalEditorControl"};
    EXPECT_EQ(editorApp.created, names);
    EXPECT_EQ(editorApp.modal,
              (std::vector<std::string>{"dialogRetrievePresetFromHardware+close", "dialogSendPreset+close",
                                        "dialogAbout+close", "globalEditorControl+close"}));

    editorApp.created.clear();
    PostToQueue(u"NID_MENU_FILE_SEND_PRESET_TO_DEVICE");
    PostToQueue(u"NID_MENU_FILE_LOAD_PRESET_FROM_DEVICE");
    PostToQueue(u"NID_MENU_HELP_ABOUT_REQ");
    PostToQueue(u"NID_MENU_FILE_GLOBALSETTINGS_REQ");
    EXPECT_EQ(editorApp.created, (std::vector<std::string>{"dialogSendPreset", "dialogRetrievePresetFromHardware"}));
}

TEST_F(Commands, ClickingMenuItemsReachesTheView)
{
    ClickOn(*Title(u"Help"));
    ClickOn(*Title(u"Help")->GetPopupMenu()->GetRowAt(1));
    RunIdle();
    EXPECT_EQ(editorApp.created, std::vector<std::string>{"dialogAbout"});

    ClickOn(*Title(u"File"));
    ClickOn(*Title(u"File")->GetPopupMenu()->GetRowAt(8));
    RunIdle();
    EXPECT_TRUE(app->IsExitRequested());
}

TEST_F(Commands, ExitFromTheMenuClosesAnOpenDialogFirst)
{
    editorApp.runModal = true;
    bool asked = false;
    size_t windowsWhileOpen = 0;
    whileModal = [&] {
        if (asked)
            return;
        asked = true;
        windowsWhileOpen = app->GetRootWindows().size();
        SendToWindow(u"NID_MENU_FILE_EXIT_REQ");
    };
    SendToWindow(u"NID_MENU_HELP_ABOUT_REQ");
    whileModal = nullptr;
    EXPECT_TRUE(asked);
    EXPECT_EQ(windowsWhileOpen, 2u);
    EXPECT_TRUE(app->IsExitRequested());
    EXPECT_EQ(app->GetRootWindows().size(), 1u) << "the dialog's window closed";
}

TEST_F(Commands, TheUserGuideOpensFromTheProgramFolderOrABoxSaysItCannot)
{
    SendToWindow(u"NID_MENU_HELP_OPEN_USER_GUIDE_REQ");
    EXPECT_EQ(editorApp.opened, std::vector<std::string>{"/opt/lumo/Lumo 25 Preset Editor - User Guide - v1.0.pdf"});
    EXPECT_TRUE(app->boxes.empty());
    editorApp.openSucceeds = false;
    SendToWindow(u"NID_MENU_HELP_OPEN_USER_GUIDE_REQ");
    EXPECT_EQ(app->boxes, std::vector<std::string>{"The user guide could not be opened.|Open User Guide Error|16"});
}

TEST(PresetFileNames, ExtensionPatternAndFilter)
{
    EXPECT_EQ(viewtest::Narrow(LDeviceView::GetPresetFileExtension()), "Lumo25PresetEditor");
    EXPECT_EQ(viewtest::Narrow(LDeviceView::GetPresetFilePattern()), "*.Lumo25PresetEditor");
}

// Preset files through a fake desktop portal; no chooser program can be found.
class PresetFiles : public viewtest::ViewTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_bus.IsRunning()) << m_bus.Error();
        m_busEnv = std::make_unique<kxtest::ScopedEnv>("DBUS_SESSION_BUS_ADDRESS", m_bus.Address());
        m_pathEnv = std::make_unique<kxtest::ScopedEnv>("PATH", m_noPrograms.Path());
        portal = std::make_unique<kxtest::FakeFileChooser>(m_bus.Address());
        ASSERT_TRUE(portal->IsReady());
        viewtest::ViewTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        StartEngine();
        if (HasFatalFailure())
            return;
        BuildMain();
        encoders = ViewChildAs<viewtest::EncoderGroup>(u"encoders");
    }
    void TearDown() override
    {
        encoders = nullptr;
        viewtest::ViewTest::TearDown();
        portal.reset();
        m_pathEnv.reset();
        m_busEnv.reset();
    }
    std::string Uri(const std::string& path) { return "file://" + path; }
    void Answer(const std::string& path) { portal->Script({PortalAnswer::Kind::Respond, 0, {Uri(path)}}); }
    void Cancel() { portal->Script({PortalAnswer::Kind::Respond, 1, {}}); }
    std::string Write(const std::string& name, const std::vector<uint32_t>& words, size_t extra = 0)
    {
        const std::string path = folder.Path() + "/" + name;
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(words.data()), static_cast<std::streamsize>(words.size() * 4));
        for (size_t i = 0; i < extra; ++i)
            out.put('\x7f');
        return path;
    }
    Variant Value(int32_t id)
    {
        Variant v;
        EXPECT_EQ(engine->GetParamValue(ParamDescriptor(id), v), S_OK);
        return v;
    }

    kxtest::TempFolder folder;
    std::unique_ptr<kxtest::FakeFileChooser> portal;
    RCPtr<viewtest::EncoderGroup> encoders;

private:
    kxtest::PrivateSessionBus m_bus;
    kxtest::TempFolder m_noPrograms;
    std::unique_ptr<kxtest::ScopedEnv> m_busEnv;
    std::unique_ptr<kxtest::ScopedEnv> m_pathEnv;
};

TEST_F(PresetFiles, SavedAndLoadedBackThroughTheMenuAndTheHotKeyRoad)
{
    const Variant saved = Bytes({0, 3, 41, 0, 10, 120});
    ASSERT_EQ(engine->SetParamValues(ParamDescriptor(kEncoder0), saved), S_OK);

    // Saved under a name typed without extension: the extension is added.
    Answer(folder.Path() + "/my preset");
    SendToWindow(u"NID_MENU_FILE_SAVE_PRESET_TO_FILE");
    const std::string file = folder.Path() + "/my preset.Lumo25PresetEditor";
    ASSERT_TRUE(std::filesystem::exists(file));
    EXPECT_EQ(std::filesystem::file_size(file), LPresetManager::kPresetFileBytes);
    EXPECT_TRUE(app->boxes.empty());

    ASSERT_EQ(engine->SetParamValues(ParamDescriptor(kEncoder0), Bytes({0, 3, 99, 0, 10, 120})), S_OK);
    RunIdle();
    Answer(file);
    PostToQueue(u"NID_MENU_FILE_LOAD_PRESET_FROM_FILE");
    EXPECT_EQ(Value(kEncoder0), saved);
    EXPECT_TRUE(app->boxes.empty());
    ASSERT_FALSE(encoders->At(0)->entries.empty());
    EXPECT_EQ(encoders->At(0)->entries.back().value, saved) << "the loaded value reached the picture";

    const std::vector<kxtest::PortalCall> calls = portal->Calls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].method, "SaveFile");
    EXPECT_EQ(calls[0].title, "Select Save Location");
    EXPECT_EQ(calls[0].currentName, "Untitled") << "the pattern is no file name";
    ASSERT_EQ(calls[0].filters.size(), 2u);
    EXPECT_EQ(calls[0].filters[0].name, "Control Panel Settings (*.Lumo25PresetEditor)");
    EXPECT_EQ(calls[0].filters[1].name, "All Files (*.*)");
    EXPECT_EQ(calls[1].method, "OpenFile");
    EXPECT_EQ(calls[1].title, "Select Preset File");
    EXPECT_EQ(calls[1].currentFolder, folder.Path()) << "the next dialog opens where the last file went";
    EXPECT_FALSE(calls[1].hasCurrentName);
}

TEST_F(PresetFiles, RefusedFilesShowTheirBoxAndChangeNothing)
{
    const Variant before = Value(kEncoder0);
    struct Case {
        std::vector<uint32_t> words;
        size_t extra;
        int32_t result;
        std::string text;
    };
    const Case cases[] = {
        {{2, 0, 0}, 0, LPresetManager::kLoadNewer, "Preset file is not compatible with this version of the editor"},
        {{0, 0, 0}, 0, LPresetManager::kLoadOlder, kNotCompatible},
        {{1, 7, 0}, 0, LPresetManager::kLoadWrongDevice, kNotCompatible},
        {{1, 0, 0, 2}, 3, LPresetManager::kLoadCorrupt, kNotCompatible},
    };
    int n = 0;
    for (const Case& c : cases) {
        app->boxes.clear();
        Answer(Write("case" + std::to_string(n++), c.words, c.extra));
        EXPECT_EQ(view->LoadPresetFromFile(), c.result) << c.text;
        EXPECT_EQ(app->boxes, std::vector<std::string>{c.text + "|Preset File Load|16"});
    }
    EXPECT_EQ(Value(kEncoder0), before);

    app->boxes.clear();
    Cancel();
    EXPECT_LT(view->LoadPresetFromFile(), 0);
    EXPECT_LT(view->SavePresetToFile(), 0);
    EXPECT_TRUE(app->boxes.empty()) << "a cancelled dialog says nothing";
}

TEST_F(PresetFiles, AFailedSaveShowsAnErrorBox)
{
    Answer(folder.Path() + "/no such folder/preset.Lumo25PresetEditor");
    EXPECT_LT(view->SavePresetToFile(), 0);
    EXPECT_EQ(app->boxes, std::vector<std::string>{"The preset file could not be saved.|Preset File Save|16"});
    EXPECT_FALSE(std::filesystem::exists(folder.Path() + "/no such folder"));
}

} // namespace
