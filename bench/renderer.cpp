// One 1200 x 750 frame of an editor-like scene (100 filled rectangles, 300 draws of 20 images,
// 200 short texts) drawn through the GDI+ renderer, beside the same scene drawn with plain
// Cairo calls, and through the OpenGL renderer on OSMesa.
#include "kx/Bitmap.h"
#include "kx/Font.h"
#include "kx/GDIRenderer.h"
#include "kx/RenderHost.h"

#include "EditorScene.h"
#include "OSMesaContext.h"
#include "ScopedRenderHost.h"
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
// Draws the scene's frame through renderer into context for every benchmark iteration.
void DrawSceneFrames(benchmark::State& state, LRenderer& renderer, const RCPtr<LRenderContextInfo>& context)
{
    const Scene& scene = TheScene();
    std::vector<RCPtr<LBitmap>> images;
    for (int i = 0; i < kImages; ++i) {
        auto [w, h] = scene.sizes[size_t(i)];
        RCPtr<LBitmap> image = LBitmap::CreateFilledBitmap(w, h, LColor());
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                image->GetBitmapData()->SetPixel(x, y, scene.pixels[size_t(i)][size_t(y * w + x)]);
        images.push_back(image);
    }
    std::vector<WString> texts;
    for (const Scene::Text& t : scene.texts)
        texts.emplace_back(t.wide.c_str());
    const ConstRCPtr<LFont> font = LFont::GetFont(WString(u"Arial"), kFontPoints, kFontRegular);
    const LColor background = LColor::MakeFromARGB(0xFF202428);
    const LColor textColor = LColor::MakeFromARGB(0xFFE0E0E0);

    for (auto _ : state) {
        renderer.RenderStart(context);
        renderer.FillRect({0, 0, kWidth, kHeight}, background, false);
        for (const Scene::Rect& r : scene.rects)
            renderer.FillRect({r.x, r.y, r.w, r.h}, LColor::MakeFromARGB(r.color), true);
        for (const Scene::Draw& d : scene.draws) {
            auto [w, h] = scene.sizes[size_t(d.image)];
            renderer.DrawBitmap(images[size_t(d.image)], {d.x, d.y, w, h}, 0);
        }
        for (size_t i = 0; i < texts.size(); ++i)
            renderer.DrawText(texts[i], font, {scene.texts[i].x, scene.texts[i].y}, textColor);
        renderer.RenderFinish(context);
        benchmark::ClobberMemory();
    }
}

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

// The same frame through the OpenGL renderer (type 0, FreeType text) drawing with OSMesa into
// memory; the frame ends finished (the context is unbound with glFinish).
void BM_FrameGLRendererOSMesa(benchmark::State& state)
{
    KX::UseOSMesaOffscreen();
    RCPtr<LRenderer> renderer = LRenderer::Create(kRendererOpenGL, {0, 0, kWidth, kHeight}, nullptr);
    kxtest::ScopedRenderHost host{ConstRCPtr<LMeasurementRenderer>(renderer.Get())};
    host.defaultFace = u"DejaVu Sans";
    host.tick = 0;
    RCPtr<LRenderContextInfo> context;
    renderer->InitRenderContextInfo({0, 0, kWidth, kHeight}, nullptr, false, context);

    DrawSceneFrames(state, *renderer, context);
}

} // namespace

BENCHMARK(BM_FrameGdiRenderer)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly(true);
BENCHMARK(BM_FramePlainCairo)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly(true);
BENCHMARK(BM_FrameGdiRendererPresented)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly(true);
BENCHMARK(BM_FrameGLRendererOSMesa)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly(true);
