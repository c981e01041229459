// Opening a popup menu of 30 items: the skin's context menu built under its owner, given the
// menu, sized and placed; and showing a menu again in a popup that already exists (a menu bar's).
#include "ScopedRenderHost.h"

#include "kx/GDITextMeasurer.h"
#include "kx/controls/ControlClasses.h"
#include "kx/controls/PopupMenu.h"
#include "kx/ui/FactoryControlHost.h"
#include "kx/ui/LayoutDescriptor.h"
#include "kx/ui/MenuDescriptor.h"

#include <benchmark/benchmark.h>

#include <memory>

using namespace KX;

namespace {

class Owner : public LControl {
public:
    Owner() : LControl(nullptr, WString(u"owner"))
    {
        SetLayout(LLayoutDescriptor::Create());
        GetLayout()->Size(0).absolute = 1200;
        GetLayout()->Size(1).absolute = 750;
        PerformLayout();
    }
};

struct Scene {
    Scene()
        : render(ConstRCPtr<LMeasurementRenderer>(LGDITextMeasurer::Create().Get())),
          factory(new LControlFactory(WString(u"ControlsTest")))
    {
        render.defaultFace = u"DejaVu Sans";
        loaded = factory->LoadSkins(WString(KX_MENUS_SKIN)) == S_OK;
        for (const BuiltInControlClass& c : GetBuiltInControlClasses())
            if (const ControlCreateFunction create = FindBuiltInControlCreator(WString(c.name)))
                factory->RegisterControlClass(WString(c.name), create);
        host = std::make_unique<LFactoryControlHost>(factory);
        owner = RCPtr<Owner>(new Owner());
        menu = LMenuDescriptor::Create();
        for (uint32_t i = 0; i < 30; ++i) {
            if (i % 10 == 9)
                menu->InsertSeparator(i);
            else
                menu->InsertNewItem(i, WString::Format(u"Command number %d", static_cast<int32_t>(i)),
                                    WString::Format(u"NID_BENCH_%d", static_cast<int32_t>(i)), true, i % 3 == 0);
        }
    }

    kxtest::ScopedRenderHost render;
    RCPtr<LControlFactory> factory;
    std::unique_ptr<LFactoryControlHost> host;
    RCPtr<Owner> owner;
    RCPtr<LMenuDescriptor> menu;
    bool loaded = false;
};

void OpenContextMenu(benchmark::State& state)
{
    Scene scene;
    if (!scene.loaded) {
        state.SkipWithError("the menus skin did not load");
        return;
    }
    for (auto _ : state) {
        RCPtr<LControl> made = scene.host->CreateSkinControl(WString(u"contextMenu"), RCPtr<LControl>(scene.owner));
        auto* popup = dynamic_cast<LPopupMenu*>(made.Get());
        if (!popup) {
            state.SkipWithError("no popup menu");
            return;
        }
        popup->ShowMenu(scene.menu);
        popup->PositionOnScreen();
        benchmark::DoNotOptimize(popup->GetSize());
        state.PauseTiming();
        made->SetParent(nullptr);
        made = nullptr;
        state.ResumeTiming();
    }
}
BENCHMARK(OpenContextMenu)->Unit(benchmark::kMicrosecond);

void ShowMenuInExistingPopup(benchmark::State& state)
{
    Scene scene;
    RCPtr<LControl> made = scene.host->CreateSkinControl(WString(u"contextMenu"), RCPtr<LControl>(scene.owner));
    auto* popup = dynamic_cast<LPopupMenu*>(made.Get());
    if (!popup) {
        state.SkipWithError("no popup menu");
        return;
    }
    for (auto _ : state) {
        popup->SetMenu(scene.menu);
        popup->SetVisible(true);
        benchmark::DoNotOptimize(popup->GetSize());
        popup->SetVisible(false);
    }
    made->SetParent(nullptr);
}
BENCHMARK(ShowMenuInExistingPopup)->Unit(benchmark::kMicrosecond);

} // namespace
