#pragma once
// The device view tests' fixture: the harness window with the view area's skin and strings (looks
// from the controls tests' basic and menus areas), the editor's classes plus test group panels that
// record the values routed to their controls, a fake application behind IEditorApp, a MIDI manager
// whose ports open as the test says, and an engine over a scripted device communication.
#include "ControlsHarness.h"
#include "EngineFakes.h"

#include "editor/DeviceView.h"
#include "editor/EditorApp.h"
#include "editor/EditorClasses.h"
#include "editor/MainControl.h"

#include "engine/MidiManager.h"
#include "engine/ModuleInterfaces.h"
#include "engine/RootModuleEngine.h"

#include "kx/Notification.h"
#include "kx/NotificationCenter.h"
#include "kx/NotificationId.h"
#include "kx/controls/Dialog.h"
#include "kx/controls/Panel.h"
#include "kx/ui/ControlCreate.h"
#include "kx/ui/ControlFactory.h"
#include "kx/ui/FrameworkApp.h"

#include <string>
#include <vector>

namespace viewtest {

using apptest::Narrow;

inline KX::Variant Bytes(std::vector<uint8_t> bytes)
{
    return KX::MakeBytesVariant(bytes.data(), static_cast<uint32_t>(bytes.size()));
}

// A control module that records what is routed to it; with echo set it writes each value back up
// the tree while it is being set, as a panel showing it might.
template <class I>
class RecordingModule : public I {
public:
    struct Entry {
        int32_t id;
        KX::Variant value;
        bool fromDevice;
    };
    KX::KXRESULT SetParamValueLocal(const KX::ParamDescriptor& d, const KX::Variant& v, bool fromDevice) override
    {
        entries.push_back({d.id, v, fromDevice});
        if (echo)
            this->SetParamValueGlobal(d, v);
        return KX::S_OK;
    }
    std::vector<Entry> entries;
    bool echo = false;
};

// Group panels of two kinds whose controls record their values.
template <class Group, class Child>
class RecordingGroup : public KX::LPanel, public Group {
public:
    RecordingGroup(const KX::RCPtr<KX::LControl>& parent, const KX::WString& name) : KX::LPanel(parent, name)
    {
        for (uint32_t i = 0; i < Group::kChildCount; ++i)
            controls.emplace_back(new RecordingModule<Child>());
    }
    KX::RCPtr<RecordingModule<Child>> At(uint32_t i) { return controls[i]; }
    std::vector<KX::RCPtr<RecordingModule<Child>>> controls;

protected:
    KX::RCPtr<Child> Get(uint32_t i) { return i < controls.size() ? KX::RCPtr<Child>(controls[i].Get()) : nullptr; }
};

class PadGroup : public RecordingGroup<IPads, IPad> {
public:
    using IPads::GetPad;
    using RecordingGroup::RecordingGroup;
    KX::RCPtr<IPad> GetPad(uint32_t i) override { return Get(i); }
};

class EncoderGroup : public RecordingGroup<IEncoders, IEncoder> {
public:
    using IEncoders::GetEncoder;
    using RecordingGroup::RecordingGroup;
    KX::RCPtr<IEncoder> GetEncoder(uint32_t i) override { return Get(i); }
};

// A MIDI manager whose ports open or not as the test says.
class PortsMidiManager : public KX::LMidiManager {
public:
    PortsMidiManager() : KX::LMidiManager(Timings{}) {}
    bool OpenPorts() override
    {
        ++opens;
        return open;
    }
    bool open = false;
    int opens = 0;
};

// The application as the device view sees it: dialogs made from the harness's factory and
// recorded (run modally in their own window when runModal is set), documents recorded.
class FakeEditorApp : public IEditorApp {
public:
    KX::RCPtr<KX::LMidiManager> GetMidiManager() override { return midi; }
    KX::RCPtr<LRootModuleEngine> GetRootModuleEngine() override { return ::GetRootModuleEngine(); }
    KX::RCPtr<KX::LControl> CreateControl(const KX::WString& name) override
    {
        created.push_back(Narrow(name));
        KX::RCPtr<KX::LControl> made;
        if (factory)
            factory->CreateControlByName(made, name, KX::RCPtr<KX::IRootWindow>());
        return made;
    }
    int32_t RunModalDialog(const KX::RCPtr<KX::LControl>& control, bool systemMenu) override
    {
        modal.push_back(Narrow(control->GetName()) + (systemMenu ? "+close" : ""));
        if (!runModal)
            return 1;
        return KX::RunDialogInOwnWindow(KX::RCPtr<KX::LDialog>(dynamic_cast<KX::LDialog*>(control.Get())));
    }
    int32_t OpenRootWindow(const KX::RCPtr<KX::LControl>&, bool, bool, bool) override { return -1; }
    void RequestExit() override {}
    bool IsExitRequested() override { return false; }
    KX::WString LookupAppString(const KX::WString& key) override { return KX::LookupAppString(key); }
    int32_t ShowAppMessageBox(const KX::WString& text, const KX::WString& caption, uint32_t flags) override
    {
        return KX::ShowAppMessageBox(text, caption, flags);
    }
    KX::WString GetFolder(int32_t) override { return KX::WString(folder.c_str()); }
    int32_t GetSettingsFile(int32_t) override { return 0; }
    KX::IIniFileManager* GetIniFileManager() override { return nullptr; }
    KX::WString GetCompanyName() override { return KX::WString(u"Tarvel"); }
    KX::WString GetProductName() override { return KX::WString(u"Lumo 25 Preset Editor"); }
    KX::WString GetProductVersion() override { return KX::WString(u"1.0.0"); }
    KX::WString GetVersionFolderName() override { return KX::WString(u"1_0_0"); }
    bool OpenDocument(const KX::WString& path) override
    {
        opened.push_back(Narrow(path));
        return openSucceeds;
    }
    double GetTime() override { return 0.0; }
    uint32_t GetTickTime() override { return 0; }

    KX::LControlFactory* factory = nullptr;
    KX::RCPtr<KX::LMidiManager> midi;
    bool runModal = false;
    std::string folder = "/opt/lumo";
    bool openSucceeds = true;
    std::vector<std::string> created;
    std::vector<std::string> modal;
    std::vector<std::string> opened;
};

class ViewTest : public ctltest::ControlsTest {
protected:
    std::vector<std::string> Areas() const override
    {
        return {"basic", "menus", std::string(KX_EDITOR_TEST_RESOURCES) + "view"};
    }
    void RegisterClasses(KX::LControlFactory& f) override
    {
        RegisterEditorControlClasses(f);
        f.RegisterControlClass(KX::WString(u"Test.Dialog"), &KX::CreateControlOfClass<KX::LDialog>);
        f.RegisterControlClass(KX::WString(u"Test.PadGroup"), &KX::CreateControlOfClass<PadGroup>);
        f.RegisterControlClass(KX::WString(u"Test.EncoderGroup"), &KX::CreateControlOfClass<EncoderGroup>);
    }
    int32_t WindowWidth() const override { return 600; }
    int32_t WindowHeight() const override { return 420; }

    void SetUp() override
    {
        ctltest::ControlsTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        editorApp.factory = factory.Get();
        SetEditorApp(&editorApp);
        // The application shell answers the exit request; here the harness application does.
        app->RegisterForNotification(KX::RCPtr<KX::LNotificationDistributor>(KX::GetNotificationQueue().Get()),
                                     KX::NID_APP_EXIT_REQ, 0);
    }
    void TearDown() override
    {
        main = nullptr;
        view = nullptr;
        ctltest::ControlsTest::TearDown();
        SetEditorApp(nullptr);
        if (engine) {
            SetRootModuleEngine(nullptr);
            engine = nullptr;
        }
        comm = nullptr;
    }

    // An engine numbered from 0 over a scripted device communication, registered as the
    // application's; connected to a device when asked.
    void StartEngine(bool connect = true)
    {
        comm = KX::RCPtr<kxtest::FakeEngineDeviceCommunication>(new kxtest::FakeEngineDeviceCommunication());
        LRootModuleEngine::Options options;
        options.deviceCommunication = comm;
        options.monitorIntervalMs = 5;
        engine = LRootModuleEngine::Create(options);
        ASSERT_EQ(engine->Initialize(0), KX::S_OK);
        if (connect) {
            KX::Variant device;
            device.SetString("Lumo 25");
            ASSERT_GE(engine->ConnectDevice(device, false), 0);
            ASSERT_EQ(engine->GetConnectionState(), LRootModuleEngine::kConnected);
        }
        SetRootModuleEngine(engine);
    }

    // The main window's control tree; the values the engine posted so far are routed.
    void BuildMain(const char16_t* name = u"mainControl")
    {
        main = KX::RCPtr<KX::LMainControl>::DynamicCast(CreateMain(name));
        ASSERT_TRUE(main);
        view = main->GetDeviceView();
        RunIdle();
    }

    KX::RCPtr<KX::LControl> ViewChild(const char16_t* name) { return view->FindChild(KX::WString(name)); }
    bool Visible(const char16_t* name) { return ViewChild(name)->IsShowing(false); }
    // An edit panel, made when first shown, is made here too: the tests use it straight as a module.
    template <class T>
    KX::RCPtr<T> ViewChildAs(const char16_t* name)
    {
        const KX::RCPtr<KX::LControl> child = ViewChild(name);
        if (child)
            child->BuildDeferredSubtree();
        return KX::RCPtr<T>(dynamic_cast<T*>(child.Get()));
    }

    // A notification through the window, as the menu bar hands it on.
    void SendToWindow(const char16_t* name) { root->SendNotification(apptest::Make(name)); }
    // A notification on the process-wide queue, then the idle passes that deliver it.
    void PostToQueue(const char16_t* name, const KX::ConstRCPtr<KX::LRefCountedObject>& payload = nullptr)
    {
        KX::RCPtr<KX::LNotification> n;
        KX::LNotification::Create(n, name, payload);
        KX::GetNotificationQueue()->GetQueue()->PostNotification(n);
        RunIdle();
    }

    FakeEditorApp editorApp;
    KX::RCPtr<kxtest::FakeEngineDeviceCommunication> comm;
    KX::RCPtr<LRootModuleEngine> engine;
    KX::RCPtr<KX::LMainControl> main;
    KX::RCPtr<LDeviceView> view;
};

} // namespace viewtest
