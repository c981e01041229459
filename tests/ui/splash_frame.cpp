// The splash window's bar arithmetic, placement, frame drawing, and a start without an image.
#include "SplashFakes.h"

#include "kx/DebugTrace.h"
#include "kx/ui/SplashWindow.h"

#include "platform/gdi/Bitmap.h"

#include <gtest/gtest.h>

#include <sstream>

using KX::SplashProgressBar;

namespace {

const KX::LColor kImageColor(0.125f, 0.25f, 0.625f, 1.0f);
const uint32_t kImageArgb = splashtest::ArgbOf(kImageColor);

// Captures the narrow debug trace while it lives.
class TraceCapture {
public:
    TraceCapture() : m_old(KX::GetDebugTrace().narrowOut.exchange(&m_text)) {}
    ~TraceCapture() { KX::GetDebugTrace().narrowOut.store(m_old); }
    std::string Text() const { return m_text.str(); }

private:
    std::ostringstream m_text;
    std::ostream* m_old;
};

} // namespace

TEST(SplashProgress, StartUpAnimationStepsByThreeAndStopsAtNinetySix)
{
    SplashProgressBar bar;
    ASSERT_TRUE(bar.StartAnimation(0, 100, 8));
    EXPECT_TRUE(bar.exists);
    EXPECT_EQ(bar.step, 3);
    EXPECT_EQ(bar.stepsLeft, 32);
    int32_t ticks = 1;
    while (bar.Tick())
        ++ticks;
    EXPECT_EQ(ticks, 32);
    EXPECT_EQ(bar.position, 96);
    EXPECT_FALSE(bar.Tick());
    EXPECT_EQ(bar.position, 96);
}

TEST(SplashProgress, ZeroOrNegativeSecondsJumpToTheEndWithoutDividing)
{
    for (int64_t seconds : {int64_t(0), int64_t(-1), int64_t(INT64_MIN)}) {
        SplashProgressBar bar;
        EXPECT_FALSE(bar.StartAnimation(10, 70, seconds)) << seconds;
        EXPECT_EQ(bar.position, 70);
        EXPECT_EQ(bar.stepsLeft, 0);
        EXPECT_FALSE(bar.Tick());
        EXPECT_EQ(bar.position, 70);
    }
}

TEST(SplashProgress, HostileRangesStayWithinTheBar)
{
    // Seconds beyond an hour are an hour; the tick count does not overflow.
    SplashProgressBar slow;
    ASSERT_TRUE(slow.StartAnimation(0, 100, INT64_MAX));
    EXPECT_EQ(slow.stepsLeft, SplashProgressBar::kMaxSeconds * SplashProgressBar::kTicksPerSecond);
    EXPECT_EQ(slow.step, 0);

    // Backwards, from positions beyond the range.
    SplashProgressBar back;
    ASSERT_TRUE(back.StartAnimation(0xFFFF, 0, 1));
    EXPECT_EQ(back.position, 100);
    EXPECT_EQ(back.step, -25);
    while (back.Tick()) {
    }
    EXPECT_EQ(back.position, 0);

    SplashProgressBar bar;
    bar.SetPosition(-5);
    EXPECT_EQ(bar.position, 0);
    bar.SetPosition(int64_t(1) << 40);
    EXPECT_EQ(bar.position, 100);
    bar.step = 7;
    bar.stepsLeft = 3;
    bar.Tick();
    EXPECT_EQ(bar.position, 100);
}

TEST(SplashProgress, ColorRefsAreSwappedToArgbAndDefaultRestores)
{
    SplashProgressBar bar;
    bar.SetColorRef(0x00332211); // blue 0x33, green 0x22, red 0x11
    EXPECT_EQ(bar.color, 0xFF112233u);
    bar.SetColorRef(0xFF000000);
    EXPECT_EQ(bar.color, SplashProgressBar::kDefaultColor);
}

TEST(SplashPlacement, CentredInTheWorkAreaAndBarAlongTheBottom)
{
    EXPECT_EQ(KX::CenterSplashWindow({0, 0, 1920, 1080}, 400, 300), (KX::PointT<int32_t>{760, 390}));
    // A work area that does not start at the origin (a panel at the top), odd leftovers.
    EXPECT_EQ(KX::CenterSplashWindow({0, 30, 1001, 1001}, 400, 300), (KX::PointT<int32_t>{300, 380}));
    // Bigger than the work area: it overhangs evenly on both sides.
    EXPECT_EQ(KX::CenterSplashWindow({0, 0, 100, 100}, 300, 200), (KX::PointT<int32_t>{-100, -50}));
    // Extreme values do not overflow.
    EXPECT_EQ(KX::CenterSplashWindow({INT32_MAX - 10, 0, 10, 10}, 10, 10).x, INT32_MAX - 10);

    EXPECT_EQ(KX::SplashBarRect(200, 100), (KX::RectT<int32_t>{4, 80, 192, 16}));
}

TEST(SplashDraw, FrameShowsTheImageAndTheBarAtItsPosition)
{
    const KX::ConstRCPtr<KX::LBitmap> image = KX::LBitmap::CreateFilledBitmap(200, 100, kImageColor);
    std::unique_ptr<gdi::Bitmap> frame;
    ASSERT_EQ(gdi::Bitmap::Create(200, 100, gdi::PixelFormat::Argb32, frame), gdi::Status::Ok);

    SplashProgressBar bar;
    KX::DrawSplashFrame(*frame, image.Get(), bar);
    gdi::ARGB pixel = 0;
    frame->GetPixel(100, 88, pixel);
    EXPECT_EQ(pixel, kImageArgb) << "no bar before the first position";

    bar.SetPosition(50);
    bar.SetColorRef(0x000000FF);
    KX::DrawSplashFrame(*frame, image.Get(), bar);
    std::vector<uint32_t> pixels(200 * 100);
    for (int32_t y = 0; y < 100; ++y)
        for (int32_t x = 0; x < 200; ++x)
            frame->GetPixel(x, y, pixels[size_t(y) * 200 + size_t(x)]);
    EXPECT_EQ(splashtest::FilledBarPixels(pixels, 200, 100, 0xFFFF0000), 95);
    EXPECT_EQ(pixels[88 * 200 + 4], SplashProgressBar::kFrameColor);
    EXPECT_EQ(pixels[88 * 200 + 194], SplashProgressBar::kBackColor);
    EXPECT_EQ(pixels[50 * 200 + 100], kImageArgb);
    EXPECT_EQ(pixels[99 * 200 + 100], kImageArgb) << "below the bar";
}

TEST(SplashDraw, ImagesTooSmallForTheBarAndEmptyImagesDrawNoBar)
{
    const KX::ConstRCPtr<KX::LBitmap> image = KX::LBitmap::CreateFilledBitmap(6, 10, kImageColor);
    std::unique_ptr<gdi::Bitmap> frame;
    ASSERT_EQ(gdi::Bitmap::Create(6, 10, gdi::PixelFormat::Argb32, frame), gdi::Status::Ok);
    SplashProgressBar bar;
    bar.SetPosition(100);
    KX::DrawSplashFrame(*frame, image.Get(), bar);
    gdi::ARGB pixel = 0;
    frame->GetPixel(3, 5, pixel);
    EXPECT_EQ(pixel, kImageArgb);

    KX::DrawSplashFrame(*frame, nullptr, bar);
    frame->GetPixel(3, 5, pixel);
    EXPECT_EQ(pixel, 0xFFFFFFFFu);
}

TEST(SplashStart, WithoutAnImageStartReturnsAtOnceAndStartsNoThread)
{
    auto log = std::make_shared<splashtest::SurfaceLog>();
    KX::SplashConfig config;
    config.startTimeout = 600000; // a wait would show as a hung test
    config.createSurface = splashtest::MakeFactory(log);
    KX::SplashThread splash(config);
    TraceCapture trace;
    EXPECT_FALSE(splash.Start());
    EXPECT_FALSE(splash.IsRunning());
    EXPECT_EQ(trace.Text(), "Error starting SplashThread\n");

    // An image that failed to load counts as none.
    splash.SetBitmap(KX::ConstRCPtr<KX::LBitmap>(new KX::LBitmap(u"missing", u"/nonexistent/splash.png")));
    EXPECT_FALSE(splash.Start());
    EXPECT_EQ(log->created, 0);
    EXPECT_FALSE(splash.IsRunning());
    EXPECT_TRUE(splash.Stop());
    EXPECT_FALSE(splash.GetImage());
}

TEST(SplashStart, SetBitmapKeepsTheFirstImage)
{
    const KX::ConstRCPtr<KX::LBitmap> first = KX::LBitmap::CreateFilledBitmap(4, 4, kImageColor);
    const KX::ConstRCPtr<KX::LBitmap> second = KX::LBitmap::CreateFilledBitmap(8, 8, kImageColor);
    KX::SplashThread splash;
    splash.SetBitmap(first);
    splash.SetBitmap(second);
    EXPECT_EQ(splash.GetImage(), first);
    splash.SetText(u"Lumo");
    splash.Stop();
    EXPECT_FALSE(splash.GetImage());
    EXPECT_TRUE(splash.GetText().IsEmpty());
}
