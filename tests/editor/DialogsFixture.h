#pragma once
// The editor dialogs' tests: the controls harness with the dialogs' test skin and the editor's
// classes, a recording application behind the editor's application interface, and the keyboard
// simulator on loopback ports with a MIDI manager on short timings and a fake model.
#include "ControlsHarness.h"
#include "KeyboardSimulator.h"
#include "MidiManagerSupport.h"

#include "editor/EditorApp.h"
#include "editor/EditorClasses.h"

#include "engine/RootModuleEngine.h"
#include "kx/controls/Button.h"

#include "engine/MidiManager.h"

#include <map>
#include <string>
#include <vector>

namespace dlgtest {

inline std::string Narrow(const KX::WString& text)
{
    return text.ToNarrow().GetString();
}

// The application as the dialogs see it: its string table, recorded boxes, the manager.
class FakeEditorApp : public IEditorApp {
public:
    struct Box {
        std::string text;
        std::string caption;
        uint32_t flags = 0;
    };

    KX::RCPtr<KX::LMidiManager> GetMidiManager() override { return manager; }
    KX::RCPtr<LRootModuleEngine> GetRootModuleEngine() override { return {}; }
    KX::RCPtr<KX::LControl> CreateControl(const KX::WString&) override { return {}; }
    int32_t RunModalDialog(const KX::RCPtr<KX::LControl>&, bool) override { return KX::E_FAIL; }
    int32_t OpenRootWindow(const KX::RCPtr<KX::LControl>&, bool, bool, bool) override { return -1; }
    void RequestExit() override {}
    bool IsExitRequested() override { return false; }
    KX::WString LookupAppString(const KX::WString& key) override
    {
        const auto found = strings.find(Narrow(key));
        return found == strings.end() ? KX::WString() : KX::WString(found->second.c_str());
    }
    int32_t ShowAppMessageBox(const KX::WString& text, const KX::WString& caption, uint32_t flags) override
    {
        boxes.push_back({Narrow(text), Narrow(caption), flags});
        return 1;
    }
    KX::WString GetFolder(int32_t) override { return {}; }
    int32_t GetSettingsFile(int32_t) override { return 0; }
    KX::IIniFileManager* GetIniFileManager() override { return nullptr; }
    KX::WString GetCompanyName() override { return KX::WString(company.c_str()); }
    KX::WString GetProductName() override { return KX::WString(product.c_str()); }
    KX::WString GetProductVersion() override { return KX::WString(version.c_str()); }
    KX::WString GetVersionFolderName() override { return KX::WString(u"1_0_0"); }
    bool OpenDocument(const KX::WString&) override { return false; }
    double GetTime() override { return 0; }
    uint32_t GetTickTime() override { return 0; }

    // The texts the dialogs show, as the application's table holds them.
    std::map<std::string, std::string> strings{
        {"LABEL_GET_PRESET_SUCEESS_MSGBOX_CAPTION", "Retrieve Sucessful"},
        {"LABEL_GET_PRESET_SUCEESS_MSGBOX_TEXT", "The preset has been sucessfully retreived."},
        {"LABEL_GET_PRESET_FAILED_MSGBOX_CAPTION", "Retrieve Preset Error"},
        {"LABEL_GET_PRESET_FAILED_MIDI_ERROR_MSGBOX_TEXT", "get: midi error"},
        {"LABEL_GET_PRESET_FAILED_FW_COMPATIBILITY_ERROR_MSGBOX_TEXT", "get: firmware"},
        {"LABEL_SEND_PRESET_SUCEESS_MSGBOX_CAPTION", "Send Sucess"},
        {"LABEL_SEND_PRESET_SUCEESS_MSGBOX_TEXT", "The preset has been sucessfully sent to the device"},
        {"LABEL_SEND_PRESET_FAILED_MSGBOX_CAPTION", "Send Preset Error"},
        {"LABEL_SEND_PRESET_FAILED_MIDI_ERROR_MSGBOX_TEXT", "send: midi error"},
        {"LABEL_SEND_PRESET_FAILED_FW_COMPATIBILITY_ERROR_MSGBOX_TEXT", "send: firmware"},
        {"LABEL_GLOBALSETTINGS_FAILED_MIDI_ERROR_MESSAGEBOX_CAPTION", "Global Settings Error"},
        {"LABEL_GLOBALSETTINGS_FAILED_MIDI_ERROR_MESSAGEBOX_TEXT", "global: midi error"},
        {"APP_VERSION", "Version"},
    };
    std::u16string company = u"Tarvel", product = u"Lumo 25 Preset Editor", version = u"1.0.0.0";
    std::vector<Box> boxes;
    KX::RCPtr<KX::LMidiManager> manager;
};

class DialogsTest : public ctltest::ControlsTest {
protected:
    std::vector<std::string> Areas() const override
    {
        return {"basic", "dropdown", "text", std::string(KX_EDITOR_TEST_RESOURCES) + "dialogs"};
    }
    void RegisterClasses(KX::LControlFactory& f) override { RegisterEditorControlClasses(f); }
    int32_t WindowWidth() const override { return 500; }
    int32_t WindowHeight() const override { return 520; }

    void SetUp() override
    {
        ctltest::ControlsTest::SetUp();
        fake.manager = KX::LMidiManager::Create(mmtest::FastTimings(60));
        SetEditorApp(&fake);
    }
    void TearDown() override
    {
        ctltest::ControlsTest::TearDown();
        SetEditorApp(nullptr);
        fake.manager = nullptr;
    }

    // The text of the exception that creating the skin control raises; empty when none.
    std::string CreationError(const char16_t* name)
    {
        try {
            const KX::RCPtr<KX::LControl> made = Create(name);
            return made ? std::string() : std::string("(not in the skin)");
        } catch (const std::exception& e) {
            return e.what();
        }
    }

    // Declared first: the manager's ports go before the simulator does.
    kxtest::KeyboardSimulator keyboard;
    mmtest::ScopedEngine engine;
    FakeEditorApp fake;
};

} // namespace dlgtest
