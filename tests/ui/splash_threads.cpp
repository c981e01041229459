// The splash thread's life: start, messages, the animation, stop, and the waits that time out.
#include "SplashFakes.h"

#include "kx/ui/SplashWindow.h"

#include <gtest/gtest.h>

#include <chrono>

using splashtest::SurfaceLog;

namespace {

constexpr uint32_t kBarColor = KX::SplashProgressBar::kDefaultColor;

struct Splash {
    std::shared_ptr<SurfaceLog> log = std::make_shared<SurfaceLog>();
    KX::SplashConfig config;
    KX::ConstRCPtr<KX::LBitmap> image = KX::LBitmap::CreateFilledBitmap(200, 100, KX::LColor(0, 0, 1, 1));

    explicit Splash(uint32_t tick = 250)
    {
        config.tickInterval = tick;
        config.createSurface = splashtest::MakeFactory(log);
    }
    // Waits for a frame whose bar shows the position.
    bool WaitForPosition(int32_t position)
    {
        const int32_t filled = splashtest::FilledFor(200, 100, position);
        return log->WaitFor([&](SurfaceLog& l) {
            return l.frames > 0 && splashtest::FilledBarPixels(l.lastFrame, 200, 100, kBarColor) == filled;
        });
    }
};

} // namespace

TEST(SplashThreadLife, StartShowsTheImageAndStopEndsTheThread)
{
    Splash s;
    {
        KX::SplashThread splash(s.config);
        splash.SetBitmap(s.image);
        splash.SetText(u"Lumo 25");
        ASSERT_TRUE(splash.Start());
        EXPECT_TRUE(splash.IsRunning());
        EXPECT_EQ(s.log->created, 1);
        EXPECT_EQ(s.log->title, KX::WString(u"Lumo 25"));
        EXPECT_EQ(s.log->width, 200);
        EXPECT_EQ(s.log->height, 100);
        {
            std::lock_guard<std::mutex> hold(s.log->lock);
            EXPECT_GE(s.log->frames, 1) << "the window is drawn before it is ready";
            EXPECT_EQ(splashtest::FilledBarPixels(s.log->lastFrame, 200, 100, kBarColor), 0);
        }

        // A second start while the thread runs does nothing.
        EXPECT_FALSE(splash.Start());
        EXPECT_EQ(s.log->created, 1);

        EXPECT_TRUE(splash.Stop());
        EXPECT_FALSE(splash.IsRunning());
        EXPECT_TRUE(s.log->destroyed);
        EXPECT_FALSE(splash.GetImage());
        EXPECT_FALSE(splash.PostMessage(KX::SplashThread::kSetPosition, 10, 0));

        // The record can start again with a new image; its destructor stops that thread.
        splash.SetBitmap(s.image);
        ASSERT_TRUE(splash.Start());
    }
    EXPECT_EQ(s.log->created, 2);
    EXPECT_EQ(KX::SplashThread::GetLiveThreadCount(), 0);
    EXPECT_EQ(s.image->GetRefCount(), 1);
}

TEST(SplashThreadLife, PositionBeforeAnyAnimationCreatesTheBar)
{
    Splash s;
    KX::SplashThread splash(s.config);
    splash.SetBitmap(s.image);
    ASSERT_TRUE(splash.Start());
    splash.SetProgress(50);
    EXPECT_TRUE(s.WaitForPosition(50));
    splash.SetProgress(250);
    EXPECT_TRUE(s.WaitForPosition(100));
}

TEST(SplashThreadLife, ColourBeforeAnyBarCreatesItAtZero)
{
    Splash s;
    KX::SplashThread splash(s.config);
    splash.SetBitmap(s.image);
    ASSERT_TRUE(splash.Start());
    splash.SetBarColor(0x0000FF00);
    splash.SetProgress(40);
    const int32_t filled = splashtest::FilledFor(200, 100, 40);
    EXPECT_TRUE(s.log->WaitFor(
        [&](SurfaceLog& l) { return splashtest::FilledBarPixels(l.lastFrame, 200, 100, 0xFF00FF00) == filled; }));
}

TEST(SplashThreadAnimation, RunsToTheLastStep)
{
    Splash s(2);
    KX::SplashThread splash(s.config);
    splash.SetBitmap(s.image);
    ASSERT_TRUE(splash.Start());
    splash.SetProgressStep(0, 100, 8);
    EXPECT_TRUE(s.WaitForPosition(96));
    splash.SetProgressStep(20, 80, 0); // no time: straight to the end
    EXPECT_TRUE(s.WaitForPosition(80));
}

TEST(SplashThreadAnimation, FinalPositionStopsTheStepping)
{
    Splash s(5);
    KX::SplashThread splash(s.config);
    splash.SetBitmap(s.image);
    ASSERT_TRUE(splash.Start());
    // Backwards from 100 over 8 seconds: any further tick would show below 100.
    splash.SetProgressStep(100, 0, 8);
    EXPECT_TRUE(s.log->WaitFor([](SurfaceLog& l) { return l.frames >= 4; }));
    splash.SetProgress(100);
    EXPECT_TRUE(s.WaitForPosition(100));
    int32_t frames = 0;
    {
        std::lock_guard<std::mutex> hold(s.log->lock);
        frames = s.log->frames;
    }
    // Long enough for several more ticks of 5 ms had the timer kept running.
    EXPECT_FALSE(s.log->WaitFor([&](SurfaceLog& l) { return l.frames > frames; }, 100));
    EXPECT_TRUE(splash.Stop());
    std::lock_guard<std::mutex> hold(s.log->lock);
    EXPECT_EQ(splashtest::FilledBarPixels(s.log->lastFrame, 200, 100, kBarColor), splashtest::FilledFor(200, 100, 100));
}

TEST(SplashThreadWaits, SurfaceThatCannotBeMadeEndsTheStartAtOnce)
{
    Splash s;
    s.config.startTimeout = 600000; // waiting for it would hang the test
    s.log->failFactory = true;
    KX::SplashThread splash(s.config);
    splash.SetBitmap(s.image);
    EXPECT_FALSE(splash.Start());
    EXPECT_FALSE(splash.IsRunning());
    EXPECT_EQ(s.log->created, 1);
    EXPECT_EQ(KX::SplashThread::GetLiveThreadCount(), 0);
}

TEST(SplashThreadWaits, StartTimesOutWhileTheThreadStillRunsAndStopEndsItLater)
{
    Splash s;
    s.config.startTimeout = 20;
    s.log->holdFactory = true;
    s.log->gateOpen = false;
    KX::SplashThread splash(s.config);
    splash.SetBitmap(s.image);
    EXPECT_FALSE(splash.Start());
    EXPECT_TRUE(splash.IsRunning());
    s.log->OpenGate();
    EXPECT_TRUE(splash.Stop());
    EXPECT_FALSE(splash.IsRunning());
}

TEST(SplashThreadWaits, ImageOutlivesAStopTimeoutWhileTheThreadPaints)
{
    Splash s;
    s.config.stopTimeout = 20;
    {
        KX::SplashThread splash(s.config);
        splash.SetBitmap(s.image);
        ASSERT_TRUE(splash.Start());
        // The next frame holds the thread inside Present, in the middle of painting.
        {
            std::lock_guard<std::mutex> hold(s.log->lock);
            s.log->gateOpen = false;
            s.log->holdFrom = s.log->frames + 1;
        }
        splash.SetProgress(30);
        ASSERT_TRUE(s.log->WaitFor([](SurfaceLog& l) { return l.holding; }));
        splash.SetProgress(60); // drawn with the image after Stop has given up

        EXPECT_FALSE(splash.Stop());
        EXPECT_FALSE(splash.IsRunning());
        EXPECT_FALSE(splash.GetImage());
    }
    // The record is gone; the thread still holds the image.
    EXPECT_EQ(s.image->GetRefCount(), 2);
    const KX::LBitmap* raw = s.image.Get();
    s.image = nullptr;
    EXPECT_EQ(raw->GetRefCount(), 1);
    {
        std::lock_guard<std::mutex> hold(s.log->lock);
        s.log->holdFrom = -1;
    }
    s.log->OpenGate();
    EXPECT_TRUE(KX::SplashThread::WaitForAllThreads(10000));
    std::lock_guard<std::mutex> hold(s.log->lock);
    EXPECT_TRUE(s.log->destroyed);
}
