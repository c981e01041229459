// The splash window's bar, frame drawing and surfaces.
#include "kx/ui/SplashWindow.h"

#include "platform/gdi/Brush.h"
#include "platform/gdi/Graphics.h"
#include "platform/posix/Utf.h"
#include "platform/x11/ImageWindow.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <vector>

namespace KX {

void SplashProgressBar::SetPosition(int64_t value)
{
    exists = true;
    position = static_cast<int32_t>(std::clamp<int64_t>(value, 0, 100));
}

bool SplashProgressBar::StartAnimation(int32_t start, int32_t end, int64_t seconds)
{
    SetPosition(start);
    step = 0;
    stepsLeft = 0;
    if (seconds < 1) {
        // No time to animate over: the bar goes straight to the end.
        SetPosition(end);
        return false;
    }
    const int32_t ticks = static_cast<int32_t>(std::min<int64_t>(seconds, kMaxSeconds)) * kTicksPerSecond;
    step = (std::clamp(end, 0, 100) - position) / ticks;
    stepsLeft = ticks;
    return true;
}

bool SplashProgressBar::Tick()
{
    if (stepsLeft < 1) {
        stepsLeft = 0;
        return false;
    }
    SetPosition(int64_t(position) + step);
    if (--stepsLeft < 1) {
        stepsLeft = 0;
        return false;
    }
    return true;
}

void SplashProgressBar::SetColorRef(uint32_t colorRef)
{
    if (colorRef == 0xFF000000u) {
        color = kDefaultColor;
        return;
    }
    color = 0xFF000000u | (colorRef & 0xFFu) << 16 | (colorRef & 0xFF00u) | (colorRef >> 16 & 0xFFu);
}

PointT<int32_t> CenterSplashWindow(const RectT<int32_t>& workArea, int32_t width, int32_t height)
{
    const int64_t left = workArea.x, top = workArea.y;
    const int64_t x = (left + (left + workArea.width) - width) / 2;
    const int64_t y = (top + (top + workArea.height) - height) / 2;
    return {static_cast<int32_t>(x), static_cast<int32_t>(y)};
}

RectT<int32_t> SplashBarRect(int32_t width, int32_t height)
{
    return {4, height - 20, width - 8, 16};
}

void DrawSplashFrame(gdi::Bitmap& target, const LBitmap* image, const SplashProgressBar& bar)
{
    std::unique_ptr<gdi::Graphics> graphics;
    if (gdi::Graphics::FromImage(target, graphics) != gdi::Status::Ok)
        return;
    graphics->Clear(0xFFFFFFFF);
    if (image && image->GetBitmapData()) {
        const gdi::Bitmap& pixels = *image->GetBitmapData();
        // A sub-bitmap shows its own rectangle of its root's image.
        graphics->DrawImage(pixels, 0, 0, image->GetX(), image->GetY(), image->GetWidth(), image->GetHeight());
    }
    if (!bar.exists)
        return;
    const RectT<int32_t> r = SplashBarRect(target.GetWidth(), target.GetHeight());
    const int32_t width = r.width;
    const int32_t height = r.height;
    if (width < 3 || r.y < 0)
        return;
    gdi::SolidBrush frame(SplashProgressBar::kFrameColor);
    gdi::SolidBrush back(SplashProgressBar::kBackColor);
    gdi::SolidBrush fill(bar.color);
    graphics->FillRectangle(frame, r.x, r.y, width, height);
    graphics->FillRectangle(back, r.x + 1, r.y + 1, width - 2, height - 2);
    const int32_t filled = (width - 2) * bar.position / 100;
    if (filled > 0)
        graphics->FillRectangle(fill, r.x + 1, r.y + 1, filled, height - 2);
}

namespace {

class OffscreenSurface final : public ISplashSurface {
public:
    OffscreenSurface(int32_t width, int32_t height) : m_width(width), m_pixels(size_t(width) * size_t(height)) {}

    void Present(const uint32_t* pixels, int32_t stride) override
    {
        const size_t rows = m_width > 0 ? m_pixels.size() / size_t(m_width) : 0;
        for (size_t y = 0; y < rows; ++y)
            std::memcpy(&m_pixels[y * size_t(m_width)], reinterpret_cast<const uint8_t*>(pixels) + y * size_t(stride),
                        size_t(m_width) * 4);
    }
    bool HandleEvents() override { return false; }
    uint32_t GetEventInterval() const override { return 0; }

private:
    int32_t m_width;
    std::vector<uint32_t> m_pixels;
};

class X11Surface final : public ISplashSurface {
public:
    explicit X11Surface(std::unique_ptr<platform::x11::ImageWindow> window) : m_window(std::move(window)) {}

    void Present(const uint32_t* pixels, int32_t stride) override { m_window->Present(pixels, stride); }
    // The window puts its last frame again by itself on an expose.
    bool HandleEvents() override
    {
        m_window->HandleEvents();
        return false;
    }
    uint32_t GetEventInterval() const override { return 20; }

private:
    std::unique_ptr<platform::x11::ImageWindow> m_window;
};

} // namespace

std::unique_ptr<ISplashSurface> CreateOffscreenSplashSurface(int32_t width, int32_t height)
{
    if (width <= 0 || height <= 0)
        return nullptr;
    return std::make_unique<OffscreenSurface>(width, height);
}

std::unique_ptr<ISplashSurface> CreateDefaultSplashSurface(int32_t width, int32_t height, const WString& title)
{
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display)
        return CreateOffscreenSplashSurface(width, height);
    std::string error;
    auto window = platform::x11::ImageWindow::Connect(nullptr, error);
    if (!window)
        return nullptr;
    const platform::x11::WorkArea area = window->GetWorkArea();
    const PointT<int32_t> at =
        CenterSplashWindow({area.left, area.top, area.right - area.left, area.bottom - area.top}, width, height);
    const std::u16string_view text(title.GetString(), title.GetLength());
    if (!window->Show(at.x, at.y, width, height, platform::posix::ToUtf8Replacing(text)))
        return nullptr;
    return std::make_unique<X11Surface>(std::move(window));
}

} // namespace KX
