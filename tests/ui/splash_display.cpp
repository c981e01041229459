// Smoke tests of the splash window on a real X server (run under xvfb-run); skipped without one.
#include "kx/ui/SplashWindow.h"

#include "platform/x11/ImageWindow.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>
#include <vector>

namespace {

bool HasDisplay()
{
    const char* display = std::getenv("DISPLAY");
    return display && *display;
}

} // namespace

// Runs in a child process, which may change DISPLAY.
TEST(SplashDisplay, DefaultSurfaceFollowsDisplayAndAnUnreachableOneFailsAtOnce)
{
    const int status = kxtest::InChild([] {
        KX::SplashConfig config;
        config.startTimeout = 600000; // waiting for it would hang the test
        ::unsetenv("DISPLAY");
        {
            KX::SplashThread splash(config);
            splash.SetBitmap(KX::LBitmap::CreateFilledBitmap(40, 30, KX::LColor(1, 0, 0, 1)));
            if (!splash.Start() || !splash.Stop())
                return 1;
        }
        ::setenv("DISPLAY", ":987", 1);
        KX::SplashThread splash(config);
        splash.SetBitmap(KX::LBitmap::CreateFilledBitmap(40, 30, KX::LColor(1, 0, 0, 1)));
        if (splash.Start())
            return 2;
        return splash.IsRunning() ? 3 : 0;
    });
    EXPECT_EQ(status, 0);
}

TEST(SplashDisplay, ImageWindowMapsPutsPixelsAndRepaintsOnExpose)
{
    if (!HasDisplay())
        GTEST_SKIP() << "DISPLAY is not set";
    std::string error;
    auto window = platform::x11::ImageWindow::Connect(nullptr, error);
    ASSERT_TRUE(window) << error;
    const platform::x11::WorkArea area = window->GetWorkArea();
    EXPECT_GT(area.right, area.left);
    EXPECT_GT(area.bottom, area.top);

    EXPECT_FALSE(window->Show(0, 0, 0, 10, "none"));
    ASSERT_TRUE(window->Show(10, 10, 64, 32, "Lumo splash"));
    EXPECT_FALSE(window->Show(10, 10, 64, 32, "twice"));
    std::vector<uint32_t> pixels(64 * 40, 0xFF336699); // rows longer than the window
    window->Present(pixels.data(), 40 * 4);
    EXPECT_EQ(window->GetPresentCount(), 1u);

    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while ((!window->IsMapped() || window->GetExposeCount() == 0) && std::chrono::steady_clock::now() < until) {
        window->HandleEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_TRUE(window->IsMapped());
    EXPECT_GE(window->GetExposeCount(), 1u);
}

TEST(SplashDisplay, SplashThreadShowsItsWindowThroughItsOwnConnection)
{
    if (!HasDisplay())
        GTEST_SKIP() << "DISPLAY is not set";
    KX::SplashThread splash;
    splash.SetBitmap(KX::LBitmap::CreateFilledBitmap(320, 200, KX::LColor(0.2f, 0.3f, 0.4f, 1.0f)));
    ASSERT_TRUE(splash.Start());
    splash.SetProgressStep(0, 100, 8);
    splash.SetProgress(100);
    EXPECT_TRUE(splash.Stop());
    EXPECT_TRUE(KX::SplashThread::WaitForAllThreads(5000));
}
