// The application's idle pass when nothing is queued: the application centre and one more
// centre, two root windows, with and without the idle notification.
#include "MemoryClipboard.h"

#include "kx/NotificationCenter.h"
#include "kx/ui/FrameworkApp.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

using namespace KX;

class NullServices : public IWindowOSServices {
public:
    KXRESULT SetTitle(const WString&) override { return S_OK; }
    KXRESULT InvalidateAll() override { return S_OK; }
    KXRESULT InvalidateRect(int32_t, int32_t, int32_t, int32_t) override { return S_OK; }
    KXRESULT GetClientRect(RectT<int32_t>& out) override { return out = {0, 0, 1200, 750}, S_OK; }
    PointT<int32_t> ScreenToClient(PointT<int32_t> p) override { return p; }
    PointT<int32_t> ClientToScreen(PointT<int32_t> p) override { return p; }
    KXRESULT SetClientRect(const RectT<int32_t>&) override { return S_OK; }
    bool Show(int32_t) override { return true; }
    KXRESULT Redraw() override { return S_OK; }
    KXRESULT BringToTop() override { return S_OK; }
    KXRESULT SetTopMost(bool) override { return S_OK; }
    KXRESULT Close(uint32_t) override { return S_OK; }
    int32_t RunModal() override { return 0; }
    bool IsModal() override { return false; }
    bool IsActive() override { return true; }
    bool HasFocus() override { return true; }
    KXRESULT SetFocus() override { return S_OK; }
    int32_t SetCursor(int32_t c) override { return c; }
    PointT<int32_t> GetCursorPos() override { return {}; }
    uint32_t GetMouseButtons() override { return 0; }
    WindowHandle GetWindowHandle() override { return nullptr; }
    void SetTextInputPosition(const RectT<int32_t>&) override {}
};

class BenchApp : public LFrameworkApp {
public:
    BenchApp()
        : LFrameworkApp(RCPtr<LControlFactory>(new LControlFactory(WString(u"Bench"))), nullptr, NString(""),
                        LClipboard::Create(std::make_unique<kxtest::MemoryClipboard>()))
    {
    }
    KXRESULT GetSystemFont(WString&, float&, uint32_t&) override { return E_FAIL; }
    IIniFileManager* GetIniFileManager() override { return nullptr; }
    int32_t GetSettingsFile(int32_t) override { return 0; }
    int32_t LoadAppCursor(const WString&) override { return 0; }
    int32_t ShowMessageBox(const WString&, const WString&, uint32_t) override { return 0; }
    void RunMessageLoop() override {}
    RectT<int32_t> GetWorkArea() override { return {0, 0, 1920, 1080}; }
    KX::KXRESULT GetKeyState(int32_t, bool& pressed, bool& toggled) override
    {
        pressed = toggled = false;
        return KX::S_OK;
    }
    PointT<int32_t> GetScreenCursorPos() override { return {}; }
};

void IdlePass(benchmark::State& state)
{
    NullServices s0, s1;
    RCPtr<BenchApp> app(new BenchApp());
    RCPtr<LRootWindow> w0 = LRootWindow::Create(nullptr, &s0), w1 = LRootWindow::Create(nullptr, &s1);
    app->AddRootWindow(w0);
    app->AddRootWindow(w1);
    LNotificationCenterManager::GetInstance()->GetCenter(WString(u"engine"));
    const bool idle = state.range(0) != 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(app->ProcessNotificationQueue(idle));
    w0->ReleaseInternalReferences();
    w1->ReleaseInternalReferences();
}
BENCHMARK(IdlePass)->Arg(0)->Arg(1);

} // namespace
