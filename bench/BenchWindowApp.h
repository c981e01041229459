#pragma once
// The window benchmarks' application: SDL's offscreen video, and an application that keeps the
// root-window list and owns the event loop.
#include "kx/ui/OSWindow.h"
#include "kx/ui/RootWindow.h"

#include "platform/sdl/EventLoop.h"

#include <SDL.h>

#include <cstdlib>
#include <vector>

namespace benchwindow {

class App : public KX::IOSWindowApp, public KX::IRootWindowHost {
public:
    uint32_t GetRootWindowCount() override { return static_cast<uint32_t>(windows.size()); }
    KX::RCPtr<KX::LRootWindow> GetRootWindowAt(uint32_t i) override
    {
        return i < windows.size() ? windows[i] : KX::RCPtr<KX::LRootWindow>();
    }
    void RegisterRootWindow(const KX::RCPtr<KX::LRootWindow>& root) override { windows.push_back(root); }
    void UnregisterRootWindow(KX::LRootWindow* root) override
    {
        std::erase_if(windows, [root](const auto& w) { return w.Get() == root; });
    }
    platform::sdl::EventLoop* GetEventLoop() override { return &loop; }

    platform::sdl::EventLoop loop;
    std::vector<KX::RCPtr<KX::LRootWindow>> windows;
};

// Starts SDL's offscreen video and makes app the window application and the root-window host;
// false when the video does not start.
inline bool StartOffscreenVideo(App& app)
{
    ::setenv("SDL_VIDEODRIVER", "offscreen", 1);
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_TIMER) != 0)
        return false;
    KX::SetOSWindowApp(&app);
    KX::SetRootWindowHost(&app);
    return true;
}

} // namespace benchwindow
