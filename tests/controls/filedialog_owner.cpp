// The file dialog on a real X display (Xvfb in the test script): the portal is told the active
// root window's X11 window as the dialog's parent. Skipped without a display or when SDL's video
// already runs on another driver in this process.
#include "FakeAppServices.h"
#include "FakeFileChooser.h"
#include "OSWindowFakes.h"
#include "PrivateSessionBus.h"
#include "kx/controls/FileDialog.h"
#include "kx/ui/ControlHost.h"

#include <cstdio>
#include <cstring>

namespace {

// The control host as far as the dialog asks it: the active root window.
class ActiveWindowHost : public KX::IControlHost {
public:
    void ResolveStringTable(KX::LControl&) override {}
    KX::KXRESULT CreateChildControls(KX::LControl&, const KX::LControlDescriptor*) override { return KX::S_OK; }
    KX::RectT<int32_t> GetScreenArea() override { return {0, 0, 1024, 768}; }
    KX::RCPtr<KX::IRootWindow> GetActiveRootWindow() override { return active; }
    KX::RCPtr<KX::IRootWindow> GetFirstRootWindow() override { return active; }
    KX::RCPtr<KX::IRootWindow> active;
};

TEST(FileDialogOnX11, ThePortalIsToldTheActiveRootWindowAsParent)
{
    if (const std::string why = oswtest::StartX11Video(); !why.empty())
        GTEST_SKIP() << why;
    kxtest::PrivateSessionBus bus;
    ASSERT_TRUE(bus.IsRunning()) << bus.Error();
    kxtest::TempFolder noPrograms;
    kxtest::ScopedEnv address("DBUS_SESSION_BUS_ADDRESS", bus.Address());
    kxtest::ScopedEnv path("PATH", noPrograms.Path());
    kxtest::FakeAppServices services;
    kxtest::FakeFileChooser portal(bus.Address());
    ASSERT_TRUE(portal.IsReady());
    portal.Script({kxtest::PortalAnswer::Kind::Respond, 1, {}});

    oswtest::FakeApp app;
    KX::OSWindowOptions options;
    options.title = u"owner";
    KX::OSWindow* window = KX::OSWindow::Create(options);
    ASSERT_NE(window, nullptr) << SDL_GetError();
    ASSERT_EQ(window->CreateRenderer(KX::kRendererGDIPlus), KX::S_OK);
    window->Show(1);
    ActiveWindowHost host;
    host.active = window->GetRootWindow();
    KX::SetControlHost(&host);

    KX::RCPtr<KX::LFileDialog> dialog(new KX::LFileDialog(KX::WString(u".")));
    EXPECT_EQ(dialog->ShowOpenDialog(KX::WString(u""), KX::WString(u""), KX::WString(u"Load"), false), KX::E_FAIL);
    const uint64_t id = window->GetPlatformWindow().X11WindowId();
    KX::SetControlHost(nullptr);
    host.active = nullptr;
    window->Destroy();
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);

    EXPECT_NE(id, 0u);
    char expected[32];
    std::snprintf(expected, sizeof expected, "x11:%llx", static_cast<unsigned long long>(id));
    const std::vector<kxtest::PortalCall> calls = portal.Calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].parentWindow, expected);
}

} // namespace
