#pragma once
// The start-up splash window: the application's splash image with a progress bar along its
// bottom edge, shown by a thread of its own with its own message queue while the main thread
// starts the application. The main thread only posts messages and waits; the splash thread owns
// the surface, the frame and the bar. Lock order: each record's queue lock, then nothing (no
// call leaves the component while it is held); the live-thread count's lock is taken alone.
#include "kx/Bitmap.h"
#include "kx/Geometry.h"
#include "kx/RefCountedObject.h"
#include "kx/StringT.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <thread>

namespace KX {

// The bar of the splash window: a range of 0-100, a position, and the timed animation's step.
struct SplashProgressBar {
    // The bar's default colour, and its frame and background.
    static constexpr uint32_t kDefaultColor = 0xFF06B025;
    static constexpr uint32_t kFrameColor = 0xFF808080;
    static constexpr uint32_t kBackColor = 0xFFE6E6E6;
    // Ticks of the animation per second, and the most seconds it takes.
    static constexpr int32_t kTicksPerSecond = 4;
    static constexpr int32_t kMaxSeconds = 3600;

    bool exists = false;
    int32_t position = 0;
    int32_t step = 0;
    int32_t stepsLeft = 0;
    uint32_t color = kDefaultColor;

    // Creates the bar when missing and sets the position, kept within 0-100.
    void SetPosition(int64_t value);
    // Sets the start position and the step that reaches end in seconds x 4 ticks (integer
    // division); true when ticks must follow. Less than one second jumps to end at once.
    bool StartAnimation(int32_t start, int32_t end, int64_t seconds);
    // One tick: moves by the step, within 0-100; true while more ticks remain.
    bool Tick();
    // A COLORREF (0x00BBGGRR); CLR_DEFAULT (0xFF000000) restores the default colour.
    void SetColorRef(uint32_t colorRef);
};

// Where the splash thread puts its frames. Made, used and destroyed on the splash thread.
class ISplashSurface {
public:
    virtual ~ISplashSurface() = default;
    // width x height straight ARGB pixels of the whole window, rows stride bytes apart.
    virtual void Present(const uint32_t* pixels, int32_t stride) = 0;
    // Handles what the display sent; true when the frame must be drawn again.
    virtual bool HandleEvents() = 0;
    // Milliseconds between calls of HandleEvents; 0 when the surface needs none.
    virtual uint32_t GetEventInterval() const = 0;
};

// Makes the surface of a width x height splash window titled title on the splash thread; null
// when no window can be made.
using SplashSurfaceFactory =
    std::function<std::unique_ptr<ISplashSurface>(int32_t width, int32_t height, const WString& title)>;

// The waits and the surface of a splash thread.
struct SplashConfig {
    uint32_t startTimeout = 5000; // ms Start waits for the window
    uint32_t stopTimeout = 1000;  // ms Stop waits for the thread to end
    uint32_t tickInterval = 250;  // ms between animation ticks
    // Null: an X11 window when DISPLAY is set, else an offscreen surface.
    SplashSurfaceFactory createSurface;
};

// The surface made when the configuration names none.
std::unique_ptr<ISplashSurface> CreateDefaultSplashSurface(int32_t width, int32_t height, const WString& title);
// An offscreen surface that keeps the last frame.
std::unique_ptr<ISplashSurface> CreateOffscreenSplashSurface(int32_t width, int32_t height);
// The top-left corner of a width x height window centred in the work area.
PointT<int32_t> CenterSplashWindow(const RectT<int32_t>& workArea, int32_t width, int32_t height);
// The bar's place in a width x height window: 4 pixels from the sides, 20 from the bottom,
// 16 high.
RectT<int32_t> SplashBarRect(int32_t width, int32_t height);
// Draws the frame: the window colour, the image at (0, 0) at its own size, then the bar when it
// exists. The target and the image must be distinct.
void DrawSplashFrame(gdi::Bitmap& target, const LBitmap* image, const SplashProgressBar& bar);

// The record that holds the splash thread and its image; used by the main thread only.
class SplashThread {
public:
    // Messages posted to the thread.
    static constexpr uint32_t kSetPosition = 1026;  // wParam: position
    static constexpr uint32_t kStepProgress = 1028; // wParam: start | end << 16; lParam: seconds
    static constexpr uint32_t kSetBarColor = 1033;  // wParam: COLORREF
    static constexpr uint32_t kQuit = 0x12;

    SplashThread();
    explicit SplashThread(SplashConfig config);
    // Stops the thread.
    ~SplashThread();
    SplashThread(const SplashThread&) = delete;
    SplashThread& operator=(const SplashThread&) = delete;

    // Takes the image when none is held yet.
    void SetBitmap(const ConstRCPtr<LBitmap>& bitmap);
    const ConstRCPtr<LBitmap>& GetImage() const noexcept { return m_image; }
    // The window title; an empty title marks a tool window. Read by the next Start.
    void SetText(const WString& text) { m_text = text; }
    const WString& GetText() const noexcept { return m_text; }

    // When no thread exists: starts one and waits up to the start timeout for its window. True
    // when the window is shown. Without a loaded image, or when the thread cannot make its
    // window, it returns at once; on a timeout the thread may still be running.
    bool Start();
    void SetProgressStep(int32_t start, int32_t end, int32_t seconds);
    void SetProgress(int32_t position);
    void SetBarColor(uint32_t colorRef);
    // Posts a message; false when no thread runs.
    bool PostMessage(uint32_t message, uint64_t wParam, int64_t lParam);
    // Ends the thread, waiting up to the stop timeout; then releases the image and empties the
    // text. A thread that outlives the wait keeps its own hold on the image and ends on its own.
    // True when the thread ended within the wait (or none ran).
    bool Stop();
    bool IsRunning() const noexcept { return m_shared != nullptr; }

    // Splash threads of the process still running; waits up to timeout ms for them all to end.
    static int32_t GetLiveThreadCount();
    static bool WaitForAllThreads(uint32_t timeout);

    // What the record and its thread share: the message queue and the thread's state.
    struct Shared;

private:
    SplashConfig m_config;
    std::shared_ptr<Shared> m_shared;
    std::thread m_thread;
    ConstRCPtr<LBitmap> m_image;
    WString m_text;
};

} // namespace KX
