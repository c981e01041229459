#pragma once
// A splash surface that records the frames the splash thread presents, with a gate that can
// hold the thread inside Present, and helpers to read the bar back from a frame.
#include "kx/ui/SplashWindow.h"

#include "platform/gdi/Bitmap.h"

#include <chrono>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <vector>

namespace splashtest {

// What the test and the splash thread share; outlives both the surface and the record.
struct SurfaceLog {
    std::mutex lock;
    std::condition_variable changed;
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint32_t> lastFrame;
    int32_t frames = 0;
    int32_t created = 0;
    bool destroyed = false;
    KX::WString title;
    // Present blocks while holdFrom is reached and the gate is closed.
    int32_t holdFrom = -1;
    bool gateOpen = true;
    bool holding = false;
    // The factory blocks until the gate opens when this is set.
    bool holdFactory = false;
    bool failFactory = false;

    template <class Pred>
    bool WaitFor(Pred pred, int timeoutMs = 10000)
    {
        std::unique_lock<std::mutex> hold(lock);
        return changed.wait_for(hold, std::chrono::milliseconds(timeoutMs), [&] { return pred(*this); });
    }
    void OpenGate()
    {
        {
            std::lock_guard<std::mutex> hold(lock);
            gateOpen = true;
        }
        changed.notify_all();
    }
    uint32_t Pixel(int32_t x, int32_t y) { return lastFrame[size_t(y) * size_t(width) + size_t(x)]; }
};

class FakeSurface final : public KX::ISplashSurface {
public:
    explicit FakeSurface(std::shared_ptr<SurfaceLog> log) : m_log(std::move(log)) {}
    ~FakeSurface() override
    {
        {
            std::lock_guard<std::mutex> hold(m_log->lock);
            m_log->destroyed = true;
        }
        m_log->changed.notify_all();
    }
    void Present(const uint32_t* pixels, int32_t stride) override
    {
        std::unique_lock<std::mutex> hold(m_log->lock);
        SurfaceLog& log = *m_log;
        log.lastFrame.resize(size_t(log.width) * size_t(log.height));
        for (int32_t y = 0; y < log.height; ++y)
            std::memcpy(&log.lastFrame[size_t(y) * size_t(log.width)],
                        reinterpret_cast<const uint8_t*>(pixels) + ptrdiff_t(y) * stride, size_t(log.width) * 4);
        ++log.frames;
        if (log.holdFrom >= 0 && log.frames >= log.holdFrom) {
            log.holding = true;
            log.changed.notify_all();
            log.changed.wait(hold, [&] { return log.gateOpen; });
            log.holding = false;
        }
        log.changed.notify_all();
    }
    bool HandleEvents() override { return false; }
    uint32_t GetEventInterval() const override { return 0; }

private:
    std::shared_ptr<SurfaceLog> m_log;
};

inline KX::SplashSurfaceFactory MakeFactory(const std::shared_ptr<SurfaceLog>& log)
{
    return [log](int32_t width, int32_t height, const KX::WString& title) -> std::unique_ptr<KX::ISplashSurface> {
        std::unique_lock<std::mutex> hold(log->lock);
        ++log->created;
        log->width = width;
        log->height = height;
        log->title = title;
        log->changed.notify_all();
        if (log->holdFactory)
            log->changed.wait(hold, [&] { return log->gateOpen; });
        if (log->failFactory)
            return nullptr;
        return std::make_unique<FakeSurface>(log);
    };
}

// The pixel value a filled bitmap of that colour holds.
inline uint32_t ArgbOf(const KX::LColor& color)
{
    const KX::ConstRCPtr<KX::LBitmap> one = KX::LBitmap::CreateFilledBitmap(1, 1, color);
    gdi::ARGB pixel = 0;
    one->GetBitmapData()->GetPixel(0, 0, pixel);
    return pixel;
}

// Pixels of the bar's colour along the middle row of the bar in a frame.
inline int32_t FilledBarPixels(const std::vector<uint32_t>& frame, int32_t width, int32_t height, uint32_t color)
{
    const KX::RectT<int32_t> bar = KX::SplashBarRect(width, height);
    const int32_t y = bar.y + bar.height / 2;
    int32_t count = 0;
    for (int32_t x = 0; x < width; ++x)
        count += frame[size_t(y) * size_t(width) + size_t(x)] == color ? 1 : 0;
    return count;
}

// The position a bar of that many filled pixels shows.
inline int32_t FilledFor(int32_t width, int32_t height, int32_t position)
{
    return (KX::SplashBarRect(width, height).width - 2) * position / 100;
}

} // namespace splashtest
