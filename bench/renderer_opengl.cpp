// The editor-like scene's frame (see renderer.cpp) through the OpenGL renderer drawing with
// OSMesa into memory: the only benchmark that links OSMesa.
#include "OSMesaContext.h"
#include "SceneFrames.h"
#include "ScopedRenderHost.h"

#include "kx/RenderHost.h"

#include <benchmark/benchmark.h>

namespace {

using namespace benchscene;
using namespace KX;

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

BENCHMARK(BM_FrameGLRendererOSMesa)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly(true);
