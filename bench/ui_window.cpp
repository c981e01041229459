// The OS window on SDL's offscreen driver: a click from the SDL queue to the hit control, and a
// whole 1200 x 750 frame invalidated, painted and shown, against the same frame drawn offscreen.
#include "BenchWindowApp.h"
#include "UiTreeFakes.h"

#include "kx/GDIRenderContextInfo.h"
#include "kx/ui/LayoutDescriptor.h"
#include "kx/ui/OSWindow.h"

#include "platform/sdl/EventLoop.h"
#include "platform/sdl/Window.h"

#include <benchmark/benchmark.h>

#include <SDL.h>

#include <cstdlib>
#include <vector>

using namespace KX;

namespace {

constexpr int32_t kW = 1200, kH = 750;

// A control that counts the presses routed to it.
class Pad : public LControl {
public:
    Pad(const RCPtr<LControl>& parent, double x, double y, double w, double h, uint32_t argb)
        : LControl(parent, WString(u"pad"))
    {
        SetLayout(LLayoutDescriptor::Create());
        LLayoutDescriptor& l = *GetLayout();
        l.Position(0).absolute = x;
        l.Position(1).absolute = y;
        l.Size(0).absolute = w;
        l.Size(1).absolute = h;
        PerformLayout();
        const auto side = [](double v) { return static_cast<int32_t>(v); };
        ShowLook(AddLook(RCPtr<IControlLook>(new kxtest::FakeLook({0, 0, side(w), side(h)}, argb))), 1);
    }
    KXRESULT OnMouseDown(const RCPtr<LMouseButtonParam>&) override
    {
        ++presses;
        return S_OK;
    }
    int64_t presses = 0;
};

// One shown window with a panel of 20 x 10 pads over a background, focused.
struct Scene {
    Scene()
    {
        if (!benchwindow::StartOffscreenVideo(app))
            return;
        OSWindowOptions options;
        options.title = u"bench";
        options.width = kW;
        options.height = kH;
        window = OSWindow::Create(options);
        if (!window || window->CreateRenderer(kRendererGDIPlus) != S_OK)
            return;
        window->Show(1);
        main = RCPtr<Pad>(new Pad(nullptr, 0, 0, kW, kH, 0xFF303840));
        window->GetRootWindow()->AttachMainControl(main);
        for (int row = 0; row < 10; ++row)
            for (int column = 0; column < 20; ++column) {
                const uint32_t argb = 0xFF000000u | (uint32_t(column * 12) << 16) | (uint32_t(row * 25) << 8) | 0x80u;
                pads.push_back(RCPtr<Pad>(new Pad(main, 10 + column * 59, 10 + row * 73, 50, 60, argb)));
            }
        app.loop.ProcessPending();
        SDL_Event focus{};
        focus.type = SDL_WINDOWEVENT;
        focus.window.windowID = window->GetPlatformWindow().Id();
        focus.window.event = SDL_WINDOWEVENT_FOCUS_GAINED;
        SDL_PushEvent(&focus);
        app.loop.ProcessPending();
    }
    bool Ready() const { return window && window->GetRootWindow(); }

    benchwindow::App app;
    OSWindow* window = nullptr;
    RCPtr<Pad> main;
    std::vector<RCPtr<Pad>> pads;
};

Scene& TheScene()
{
    static Scene* scene = new Scene(); // kept for the process: SDL stays up
    return *scene;
}

SDL_Event ButtonEvent(uint32_t windowId, bool down, int x, int y)
{
    SDL_Event event{};
    event.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    event.button.windowID = windowId;
    event.button.button = SDL_BUTTON_LEFT;
    event.button.clicks = 1;
    event.button.x = x;
    event.button.y = y;
    return event;
}

// One press and one release from the SDL queue to the pad under the pointer (per event).
void BM_ClickToControl(benchmark::State& state)
{
    Scene& scene = TheScene();
    if (!scene.Ready()) {
        state.SkipWithError("no offscreen window");
        return;
    }
    const uint32_t id = scene.window->GetPlatformWindow().Id();
    Pad& target = *scene.pads[5 * 20 + 7];
    const int x = 10 + 7 * 59 + 20, y = 10 + 5 * 73 + 20;
    const int64_t before = target.presses;
    for (auto _ : state) {
        SDL_Event down = ButtonEvent(id, true, x, y);
        SDL_Event up = ButtonEvent(id, false, x, y);
        SDL_PushEvent(&down);
        SDL_PushEvent(&up);
        scene.app.loop.ProcessPending();
    }
    if (target.presses - before != static_cast<int64_t>(state.iterations()))
        state.SkipWithError("presses were lost");
    state.SetItemsProcessed(2 * static_cast<int64_t>(state.iterations()));
}
BENCHMARK(BM_ClickToControl);

// The whole window invalidated, painted and presented to the SDL window surface.
void BM_WindowFrame(benchmark::State& state)
{
    Scene& scene = TheScene();
    if (!scene.Ready()) {
        state.SkipWithError("no offscreen window");
        return;
    }
    for (auto _ : state) {
        scene.window->InvalidateAll();
        scene.app.loop.ProcessPending();
    }
}
BENCHMARK(BM_WindowFrame)->Unit(benchmark::kMillisecond);

// The same frame drawn by the same renderer into an offscreen context.
void BM_OffscreenFrame(benchmark::State& state)
{
    Scene& scene = TheScene();
    if (!scene.Ready()) {
        state.SkipWithError("no offscreen window");
        return;
    }
    const RCPtr<LRenderer>& renderer = scene.window->GetRenderer();
    RCPtr<LRenderContextInfo> context;
    renderer->InitRenderContextInfo({0, 0, kW, kH}, nullptr, true, context);
    LRegion all;
    all.AddRect(0, 0, kW, kH);
    for (auto _ : state) {
        context->GetInvalidRegion().Clear();
        context->GetInvalidRegion().AddRect(0, 0, kW, kH);
        renderer->RenderStart(ConstRCPtr<LRenderContextInfo>(context));
        scene.window->GetRootWindow()->Paint(all);
        renderer->RenderFinish(ConstRCPtr<LRenderContextInfo>(context));
    }
}
BENCHMARK(BM_OffscreenFrame)->Unit(benchmark::kMillisecond);

} // namespace
