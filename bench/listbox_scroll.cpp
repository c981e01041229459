// A list box of 10,000 items on SDL's offscreen window: scrolling by one row and repainting the
// list, against repainting the same visible rows without scrolling; both through the window's
// paint pass, which draws what was invalidated and presents the frame.
#include "BenchWindowApp.h"
#include "ScopedRenderHost.h"

#include "kx/controls/ControlClasses.h"
#include "kx/controls/ListBox.h"
#include "kx/ui/ControlCreate.h"
#include "kx/ui/FactoryControlHost.h"
#include "kx/ui/LayoutDescriptor.h"
#include "kx/ui/OSWindow.h"
#include "kx/ui/RootWindow.h"

#include "platform/sdl/EventLoop.h"
#include "platform/sdl/Window.h"

#include <benchmark/benchmark.h>

#include <SDL.h>

#include <cstdlib>
#include <memory>
#include <vector>

using namespace KX;

namespace {

constexpr int32_t kW = 480, kH = 320;
constexpr int32_t kItems = 10000;

// A plain page under the list.
class Page : public LControl {
public:
    Page() : LControl(nullptr, WString(u"page"))
    {
        SetLayout(LLayoutDescriptor::Create());
        GetLayout()->Size(0).absolute = kW;
        GetLayout()->Size(1).absolute = kH;
    }
};

// The lists skin's "listBox" (10 rows of 14 pixels and a vertical bar) filled with 10,000 items.
struct Scene {
    Scene()
    {
        if (!benchwindow::StartOffscreenVideo(app))
            return;
        factory = RCPtr<LControlFactory>(new LControlFactory(WString(u"ControlsTest")));
        if (factory->LoadSkins(WString(KX_LISTS_BENCH_SKIN)) != S_OK)
            return;
        for (const BuiltInControlClass& c : GetBuiltInControlClasses())
            if (c.create)
                factory->RegisterControlClass(WString(c.name), c.create);
        // The bar's channel is the application's panel class; a bare scroll view stands in.
        if (!FindBuiltInControlCreator(WString(u"Framework.ScrollChannel")))
            factory->RegisterControlClass(WString(u"Framework.ScrollChannel"), &CreateControlOfClass<LScrollView>);
        host = std::make_unique<LFactoryControlHost>(factory);

        OSWindowOptions options;
        options.title = u"bench";
        options.width = kW;
        options.height = kH;
        window = OSWindow::Create(options);
        if (!window || window->CreateRenderer(kRendererGDIPlus) != S_OK)
            return;
        renderHost =
            std::make_unique<kxtest::ScopedRenderHost>(ConstRCPtr<LMeasurementRenderer>(window->GetRenderer().Get()));
        renderHost->defaultFace = u"DejaVu Sans";
        window->Show(1);
        page = RCPtr<LControl>(new Page());
        window->GetRootWindow()->AttachMainControl(page);
        list = MakeList(u"listBox");
        bareList = MakeList(u"shortList");
        app.loop.ProcessPending();
    }
    bool Ready() const { return list && list->GetRowCount() > 0 && bareList && bareList->GetRowCount() > 0; }

    RCPtr<LListBox> MakeList(const char16_t* name)
    {
        RCPtr<LListBox> made = RCPtr<LListBox>::DynamicCast(host->CreateSkinControl(WString(name), page));
        if (!made)
            return made;
        made->SetItemCount(kItems);
        for (int32_t i = 0; i < kItems; ++i)
            made->SetItemText(i, WString::Format(u"Item %d", i));
        return made;
    }

    // Paints what is invalid through the window's own paint pass and presents the frame.
    void PaintPending() { app.loop.ProcessPending(); }

    benchwindow::App app;
    RCPtr<LControlFactory> factory;
    std::unique_ptr<LFactoryControlHost> host;
    std::unique_ptr<kxtest::ScopedRenderHost> renderHost;
    OSWindow* window = nullptr;
    RCPtr<LControl> page;
    RCPtr<LListBox> list;
    RCPtr<LListBox> bareList; // no scroll bars
};

Scene& TheScene()
{
    static Scene* scene = new Scene(); // kept for the process: SDL stays up
    return *scene;
}

// One row further down (back to the top at the end), then the list repainted.
void ScrollOneRowAndPaint(benchmark::State& state, bool bare)
{
    Scene& scene = TheScene();
    if (!scene.Ready()) {
        state.SkipWithError("no list box on an offscreen window");
        return;
    }
    LListBox& list = bare ? *scene.bareList : *scene.list;
    const double row = list.GetRowHeight();
    const int32_t last = kItems - list.GetRowCount();
    int32_t top = 0;
    for (auto _ : state) {
        top = top >= last ? 0 : top + 1;
        list.SetScrollOffset(PointT<double>{0.0, row * top});
        scene.PaintPending();
    }
    if (list.GetFirstShownItem() != top)
        state.SkipWithError("the list did not follow the offset");
}

// The same visible rows repainted without scrolling.
void PaintVisibleRows(benchmark::State& state, bool bare)
{
    Scene& scene = TheScene();
    if (!scene.Ready()) {
        state.SkipWithError("no list box on an offscreen window");
        return;
    }
    LListBox& list = bare ? *scene.bareList : *scene.list;
    list.SetScrollOffset(PointT<double>{0.0, list.GetRowHeight() * 5000.0});
    scene.PaintPending();
    const PointT<double> size = list.GetSize();
    for (auto _ : state) {
        list.Invalidate(RectT<double>{0.0, 0.0, size.x, size.y}, true);
        scene.PaintPending();
    }
}

// The skin's list box with its vertical bar (10 rows of 200 pixels).
void BM_ScrollOneRowAndPaint(benchmark::State& state)
{
    ScrollOneRowAndPaint(state, false);
}
BENCHMARK(BM_ScrollOneRowAndPaint)->Unit(benchmark::kMicrosecond);

void BM_PaintVisibleRows(benchmark::State& state)
{
    PaintVisibleRows(state, false);
}
BENCHMARK(BM_PaintVisibleRows)->Unit(benchmark::kMicrosecond);

// A list box without bars (5 rows of 160 pixels): the list's own share of a scroll.
void BM_ScrollOneRowAndPaintWithoutBars(benchmark::State& state)
{
    ScrollOneRowAndPaint(state, true);
}
BENCHMARK(BM_ScrollOneRowAndPaintWithoutBars)->Unit(benchmark::kMicrosecond);

void BM_PaintVisibleRowsWithoutBars(benchmark::State& state)
{
    PaintVisibleRows(state, true);
}
BENCHMARK(BM_PaintVisibleRowsWithoutBars)->Unit(benchmark::kMicrosecond);

} // namespace
