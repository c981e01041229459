// The splash thread: its message queue, its loop and the record that starts and stops it.
#include "kx/ui/SplashWindow.h"

#include "kx/DebugTrace.h"

#include "platform/gdi/Bitmap.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <system_error>

namespace KX {

namespace {

using Clock = std::chrono::steady_clock;

struct Message {
    uint32_t id;
    uint64_t wParam;
    int64_t lParam;
};

// The count of splash threads still running, over every record of the process. Never destroyed:
// a thread that outlived its record may still end while the process exits.
struct LiveThreads {
    std::mutex lock;
    std::condition_variable changed;
    int32_t count = 0;
};

LiveThreads& Live()
{
    static LiveThreads* live = new LiveThreads;
    return *live;
}

void CountThread(int32_t delta)
{
    LiveThreads& live = Live();
    // Notified under the lock: the waiter cannot go on before this thread is done with it.
    std::lock_guard<std::mutex> hold(live.lock);
    live.count += delta;
    live.changed.notify_all();
}

void Trace(const char* text)
{
    DebugOut() << text << std::flush;
}

} // namespace

struct SplashThread::Shared {
    enum class State { Starting, Ready, Failed, Ended };

    std::mutex lock;
    std::condition_variable changed;
    std::deque<Message> queue;
    State state = State::Starting;

    void Post(const Message& message)
    {
        {
            std::lock_guard<std::mutex> hold(lock);
            queue.push_back(message);
        }
        changed.notify_all();
    }
    void SetState(State value)
    {
        {
            std::lock_guard<std::mutex> hold(lock);
            state = value;
        }
        changed.notify_all();
    }
};

namespace {

// The splash thread's body. It holds the shared record and the image until it ends.
class SplashLoop {
public:
    SplashLoop(std::shared_ptr<SplashThread::Shared> shared, ConstRCPtr<LBitmap> image, WString text,
               SplashConfig config)
        : m_shared(std::move(shared)), m_image(std::move(image)), m_text(std::move(text)), m_config(std::move(config))
    {
    }

    void Run()
    {
        using State = SplashThread::Shared::State;
        if (!Open()) {
            m_surface.reset();
            m_shared->SetState(State::Failed);
            return;
        }
        m_shared->SetState(State::Ready);
        Loop();
        m_surface.reset();
        m_shared->SetState(State::Ended);
    }

private:
    bool Open()
    {
        if (!m_image || !m_image->IsLoaded())
            return false;
        const int32_t width = m_image->GetWidth();
        const int32_t height = m_image->GetHeight();
        m_surface = m_config.createSurface ? m_config.createSurface(width, height, m_text)
                                           : CreateDefaultSplashSurface(width, height, m_text);
        if (!m_surface || gdi::Bitmap::Create(width, height, gdi::PixelFormat::Argb32, m_frame) != gdi::Status::Ok) {
            Trace("Unable to create SplashWnd\n");
            return false;
        }
        Paint();
        return true;
    }

    void Loop()
    {
        const uint32_t eventInterval = m_surface->GetEventInterval();
        const auto tick = std::chrono::milliseconds(m_config.tickInterval);
        for (;;) {
            std::deque<Message> batch;
            {
                std::unique_lock<std::mutex> hold(m_shared->lock);
                std::optional<Clock::time_point> until = m_nextTick;
                if (eventInterval > 0) {
                    const auto poll = Clock::now() + std::chrono::milliseconds(eventInterval);
                    until = until ? std::min(*until, poll) : poll;
                }
                const auto any = [this] { return !m_shared->queue.empty(); };
                if (until)
                    m_shared->changed.wait_until(hold, *until, any);
                else
                    m_shared->changed.wait(hold, any);
                batch.swap(m_shared->queue);
            }
            bool dirty = false;
            for (const Message& message : batch) {
                if (message.id == SplashThread::kQuit)
                    return;
                dirty |= Handle(message);
            }
            if (m_nextTick && Clock::now() >= *m_nextTick) {
                dirty = true;
                if (m_bar.Tick())
                    *m_nextTick += tick;
                else
                    m_nextTick.reset();
            }
            if (eventInterval > 0 && m_surface->HandleEvents())
                dirty = true;
            if (dirty)
                Paint();
        }
    }

    // True when the frame changed.
    bool Handle(const Message& message)
    {
        switch (message.id) {
        case SplashThread::kStepProgress:
            m_nextTick.reset();
            if (m_bar.StartAnimation(int32_t(message.wParam & 0xFFFF), int32_t(message.wParam >> 16 & 0xFFFF),
                                     message.lParam))
                m_nextTick = Clock::now() + std::chrono::milliseconds(m_config.tickInterval);
            return true;
        case SplashThread::kSetPosition:
            // The final position ends the animation.
            m_nextTick.reset();
            m_bar.stepsLeft = 0;
            m_bar.SetPosition(int64_t(std::min<uint64_t>(message.wParam, 100)));
            return true;
        case SplashThread::kSetBarColor:
            if (!m_bar.exists)
                m_bar.SetPosition(0);
            m_bar.SetColorRef(uint32_t(message.wParam));
            return true;
        default: return false;
        }
    }

    void Paint()
    {
        DrawSplashFrame(*m_frame, m_image.Get(), m_bar);
        gdi::BitmapData data;
        const gdi::RectI all{0, 0, m_frame->GetWidth(), m_frame->GetHeight()};
        if (m_frame->LockBits(all, gdi::ImageLockMode::Read, gdi::PixelFormat::Argb32, data) != gdi::Status::Ok)
            return;
        m_surface->Present(static_cast<const uint32_t*>(data.scan0), data.stride);
        m_frame->UnlockBits(data);
    }

    std::shared_ptr<SplashThread::Shared> m_shared;
    ConstRCPtr<LBitmap> m_image;
    WString m_text;
    SplashConfig m_config;
    std::unique_ptr<ISplashSurface> m_surface;
    std::unique_ptr<gdi::Bitmap> m_frame;
    SplashProgressBar m_bar;
    std::optional<Clock::time_point> m_nextTick;
};

} // namespace

SplashThread::SplashThread() : SplashThread(SplashConfig{}) {}

SplashThread::SplashThread(SplashConfig config) : m_config(std::move(config)) {}

SplashThread::~SplashThread()
{
    Stop();
}

void SplashThread::SetBitmap(const ConstRCPtr<LBitmap>& bitmap)
{
    if (!m_image)
        m_image = bitmap;
}

bool SplashThread::Start()
{
    if (m_shared)
        return false;
    // Without an image there is no window to wait for.
    if (!m_image || !m_image->IsLoaded()) {
        Trace("Error starting SplashThread\n");
        return false;
    }
    auto shared = std::make_shared<Shared>();
    CountThread(1);
    // The thread gets its own holds on the record, the image and a copy of the text.
    auto body = [shared, image = m_image, text = WString(m_text.GetString()), config = m_config]() mutable {
        {
            SplashLoop loop(std::move(shared), std::move(image), std::move(text), std::move(config));
            loop.Run();
        }
        CountThread(-1);
    };
    try {
        m_thread = std::thread(std::move(body));
    } catch (const std::system_error&) {
        CountThread(-1);
        Trace("Error starting SplashThread\n");
        return false;
    }
    m_shared = shared;

    Shared::State state;
    {
        std::unique_lock<std::mutex> hold(shared->lock);
        shared->changed.wait_for(hold, std::chrono::milliseconds(m_config.startTimeout),
                                 [&] { return shared->state != Shared::State::Starting; });
        state = shared->state;
    }
    if (state == Shared::State::Ready)
        return true;
    if (state == Shared::State::Failed) {
        // The thread ends right after saying so.
        m_thread.join();
        m_shared.reset();
    }
    Trace("Error starting SplashThread\n");
    return false;
}

bool SplashThread::PostMessage(uint32_t message, uint64_t wParam, int64_t lParam)
{
    if (!m_shared)
        return false;
    m_shared->Post({message, wParam, lParam});
    return true;
}

void SplashThread::SetProgressStep(int32_t start, int32_t end, int32_t seconds)
{
    const auto word = [](int32_t value) { return uint64_t(std::clamp(value, 0, 0xFFFF)); };
    PostMessage(kStepProgress, word(start) | word(end) << 16, seconds);
}

void SplashThread::SetProgress(int32_t position)
{
    PostMessage(kSetPosition, uint64_t(std::max(position, 0)), 0);
}

void SplashThread::SetBarColor(uint32_t colorRef)
{
    PostMessage(kSetBarColor, colorRef, 0);
}

bool SplashThread::Stop()
{
    bool ended = true;
    if (m_shared) {
        m_shared->Post({kQuit, 0, 0});
        {
            std::unique_lock<std::mutex> hold(m_shared->lock);
            ended = m_shared->changed.wait_for(hold, std::chrono::milliseconds(m_config.stopTimeout), [this] {
                return m_shared->state == Shared::State::Ended || m_shared->state == Shared::State::Failed;
            });
        }
        // A thread still painting keeps its own hold on the image and ends on its own.
        if (ended)
            m_thread.join();
        else
            m_thread.detach();
        m_shared.reset();
    }
    m_image = nullptr;
    m_text = WString();
    return ended;
}

int32_t SplashThread::GetLiveThreadCount()
{
    LiveThreads& live = Live();
    std::lock_guard<std::mutex> hold(live.lock);
    return live.count;
}

bool SplashThread::WaitForAllThreads(uint32_t timeout)
{
    LiveThreads& live = Live();
    std::unique_lock<std::mutex> hold(live.lock);
    return live.changed.wait_for(hold, std::chrono::milliseconds(timeout), [&] { return live.count == 0; });
}

} // namespace KX
