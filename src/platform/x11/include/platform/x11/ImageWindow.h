#pragma once
// A fixed-size, undecorated X11 window that shows 32-bit ARGB pixels, on a display connection of
// its own. Every call comes from the one thread that created it (no other thread may use it);
// it shares nothing with SDL's connection, so it may live on a thread other than the main one.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace platform::x11 {

// The usable part of the screen: the window manager's work area, else the whole screen.
struct WorkArea {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};

class ImageWindow {
public:
    // Opens the display (null: the one DISPLAY names). Null, with the reason in error, when it
    // cannot be opened or has no 24-bit true-colour visual.
    static std::unique_ptr<ImageWindow> Connect(const char* displayName, std::string& error);
    ~ImageWindow();
    ImageWindow(const ImageWindow&) = delete;
    ImageWindow& operator=(const ImageWindow&) = delete;

    WorkArea GetWorkArea() const;
    // Creates and maps the window at (x, y) with the given size, typed as a splash screen that
    // takes no input focus; titleUtf8 becomes its name. False when it exists already or the
    // size is not positive.
    bool Show(int32_t x, int32_t y, int32_t width, int32_t height, const std::string& titleUtf8);
    // Copies width x height pixels (rows stride bytes apart) and puts them on the window.
    void Present(const uint32_t* pixels, int32_t stride);
    // Handles the events that arrived without waiting; true when the window was exposed (the
    // pixels are put again here; the caller need not draw).
    bool HandleEvents();
    // Events handled and frames put, for tests.
    uint32_t GetExposeCount() const noexcept { return m_exposeCount; }
    uint32_t GetPresentCount() const noexcept { return m_presentCount; }
    // Whether the window is mapped and viewable on the server (a round trip).
    bool IsMapped() const;

private:
    struct Impl;
    explicit ImageWindow(std::unique_ptr<Impl> impl);
    void PutPixels();

    std::unique_ptr<Impl> m_impl;
    std::vector<uint32_t> m_pixels; // width x height, tightly packed
    uint32_t m_exposeCount = 0;
    uint32_t m_presentCount = 0;
};

} // namespace platform::x11
