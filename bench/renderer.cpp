// One 1200 x 750 frame of an editor-like scene (100 filled rectangles, 300 draws of 20 images,
// 200 short texts) drawn through the GDI+ renderer, beside the same scene drawn with plain
// Cairo calls (the OpenGL renderer's frame is in renderer_opengl.cpp).
#include "kx/Bitmap.h"
#include "kx/Font.h"
#include "kx/GDIRenderer.h"
#include "kx/RenderHost.h"

#include "EditorScene.h"
#include "SceneFrames.h"
#include "platform/gdi/Gdi.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace benchscene;
using namespace KX;

// A window without a screen.
class BenchWindow : public KX::IRenderWindow {
public:
    BenchWindow() { gdi::OffscreenWindowSurface::Create(kWidth, kHeight, m_surface); }
    gdi::WindowSurface* GetWindowSurface() override { return m_surface.get(); }
    void* GetDeviceContext() override { return nullptr; }

private:
    std::unique_ptr<gdi::OffscreenWindowSurface> m_surface;
};

// windowed: the frame is presented to a window, the whole viewport invalid (a full repaint).
void RunRendererFrames(benchmark::State& state, bool windowed)
{
    RCPtr<LGDIRenderer> renderer(new LGDIRenderer());
    BenchWindow window;
    RCPtr<LRenderContextInfo> context;
    renderer->InitRenderContextInfo({0, 0, kWidth, kHeight}, windowed ? &window : nullptr, !windowed, context);
    if (windowed)
        context->GetInvalidRegion().AddRect(0, 0, kWidth, kHeight);

    DrawSceneFrames(state, *renderer, context);
}

void BM_FrameGdiRenderer(benchmark::State& state)
{
    RunRendererFrames(state, false);
}

void BM_FrameGdiRendererPresented(benchmark::State& state)
{
    RunRendererFrames(state, true);
}

} // namespace

BENCHMARK(BM_FrameGdiRenderer)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly(true);
BENCHMARK(BM_FramePlainCairo)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly(true);
BENCHMARK(BM_FrameGdiRendererPresented)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly(true);
