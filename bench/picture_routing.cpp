// A whole retrieved preset (83 values) on the program's own road: posted by the engine, drained by
// the idle pass, routed from the main control down the parameter tree to the tiles and the open
// pad edit panel, and what it changed painted and presented by the event loop. For comparison, the
// same routing followed by a repaint of the whole window, and the routing alone.
// Runs inside the editor program on its own main window (offscreen without a display).
#include "InEditorProgram.h"

#include "editor/Application.h"
#include "editor/DeviceView.h"
#include "editor/EditorProgram.h"
#include "editor/GroupPanels.h"
#include "editor/MainControl.h"

#include "engine/RootModuleEngine.h"

#include "kx/AppServices.h"
#include "kx/Notification.h"
#include "kx/NotificationId.h"
#include "kx/ui/RootWindow.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

LApplication* g_app = nullptr;

struct Preset {
    KX::RCPtr<KX::LMainControl> main;
    std::vector<KX::ParamValue> values;
};

// The engine's current preset, with the pad edit panel open on pad 7.
bool Prepare(Preset& preset)
{
    if (!g_app || g_app->GetRootWindows().empty())
        return false;
    preset.main = KX::RCPtr<KX::LMainControl>::DynamicCast(g_app->GetRootWindows().front()->GetMainControl());
    const KX::RCPtr<LRootModuleEngine> engine = g_app->GetRootModuleEngine();
    if (!preset.main || !preset.main->GetDeviceView() || !engine)
        return false;
    const int32_t first = engine->GetFirstParamID();
    for (int32_t i = 0; i < IDevice::kParamCount; ++i) {
        KX::ParamValue v;
        v.descriptor = KX::ParamDescriptor(first + i);
        engine->GetParamValue(v.descriptor, v.value);
        preset.values.push_back(v);
    }
    const KX::RCPtr<LDeviceView>& view = preset.main->GetDeviceView();
    auto* pads = dynamic_cast<LPadGroupPanel*>(view->FindChild(KX::WString(u"pads")).Get());
    if (!pads || !pads->GetTile(6))
        return false;
    KX::RCPtr<KX::LNotification> click;
    KX::LNotification::Create(click, KX::NID_LEFT_CLICK, nullptr);
    pads->OnTileClicked(
        KX::RCPtr<KX::LNotificationDistributor>(pads->GetTile(6)->FindChild(KX::WString(u"button")).Get()), click);
    return view->FindChild(KX::WString(u"padEditPanel"))->IsShowing(false);
}

void RouteAll(const Preset& preset)
{
    for (const KX::ParamValue& v : preset.values)
        preset.main->RouteParamValue(v.descriptor, v.value);
}

// The same preset with the channel of every pad, push button, fader and encoder moved on by one,
// so that every tile's summary changes when the two presets alternate.
Preset Shifted(const Preset& preset)
{
    Preset shifted = preset;
    const int32_t first = preset.values.empty() ? 0 : preset.values.front().descriptor.id;
    for (KX::ParamValue& v : shifted.values) {
        const int32_t offset = v.descriptor.id - first;
        if (offset < IDevice::kPadsOffset || offset >= IDevice::kTouchPadAxisesOffset)
            continue;
        uint32_t n = 0;
        const uint8_t* bytes = v.value.GetData(n);
        if (!bytes || n == 0)
            continue;
        std::vector<uint8_t> copy(bytes, bytes + n);
        copy[0] = static_cast<uint8_t>((copy[0] + 1) % 17);
        v.value = KX::MakeBytesVariant(copy.data(), n);
    }
    return shifted;
}

// Two presets in turn, each as the program meets a retrieved one: the engine posts it, the idle
// pass routes it, the event loop paints and presents what changed.
void BM_RetrievedPreset_ProgramRepaint(benchmark::State& state)
{
    Preset preset;
    if (!Prepare(preset)) {
        state.SkipWithError("no picture to route to");
        return;
    }
    const Preset other = Shifted(preset);
    const KX::RCPtr<LRootModuleEngine> engine = g_app->GetRootModuleEngine();
    KX::Array<KX::ParamValue> presets[2];
    for (const KX::ParamValue& v : preset.values)
        presets[0].AddItem(v);
    for (const KX::ParamValue& v : other.values)
        presets[1].AddItem(v);
    g_app->GetEvents().ProcessPending();
    size_t next = 1;
    for (auto _ : state) {
        engine->PostParamValues(presets[next]);
        next ^= 1;
        KX::RunIdlePass(0);
        g_app->GetEvents().ProcessPending();
    }
    state.counters["values"] = static_cast<double>(preset.values.size());
}

// The routing followed by a repaint of the whole window, which routing does not ask for.
void BM_RoutePreset_WholeWindowRepaint(benchmark::State& state)
{
    Preset preset;
    if (!Prepare(preset)) {
        state.SkipWithError("no picture to route to");
        return;
    }
    KX::OSWindow* window = g_app->GetMainWindow();
    for (auto _ : state) {
        RouteAll(preset);
        benchmark::DoNotOptimize(window->Redraw());
    }
}

void BM_RoutePreset_Alone(benchmark::State& state)
{
    Preset preset;
    if (!Prepare(preset)) {
        state.SkipWithError("no picture to route to");
        return;
    }
    for (auto _ : state)
        RouteAll(preset);
}

// Process CPU time for the repaints: a present drawn on other threads would count too.
BENCHMARK(BM_RetrievedPreset_ProgramRepaint)->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RoutePreset_WholeWindowRepaint)->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RoutePreset_Alone)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    benchapp::DrawOffscreenWithoutDisplay();
    const std::string folder = benchapp::MakeTempFolder("lumo-routing");
    benchmark::Initialize(&argc, argv);
    return benchapp::RunBenchmarksInEditor(argv[0], folder, g_app);
}
