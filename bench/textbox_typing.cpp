// A key typed at the end of a text box and taken back again, at text lengths up to the longest
// text typing makes in a box without a maximum (kEditLimit): a key must stay well inside a frame.
#include "ScopedRenderHost.h"

#include "kx/GDITextMeasurer.h"
#include "kx/controls/ControlClasses.h"
#include "kx/controls/TextBox.h"
#include "kx/ui/FactoryControlHost.h"
#include "kx/ui/LayoutDescriptor.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

using namespace KX;

namespace {

class Owner : public LControl {
public:
    Owner() : LControl(nullptr, WString(u"owner"))
    {
        SetLayout(LLayoutDescriptor::Create());
        GetLayout()->Size(0).absolute = 400;
        GetLayout()->Size(1).absolute = 200;
        PerformLayout();
    }
};

void TypeAndTakeBack(benchmark::State& state)
{
    kxtest::ScopedRenderHost render(ConstRCPtr<LMeasurementRenderer>(LGDITextMeasurer::Create().Get()));
    render.defaultFace = u"DejaVu Sans";
    const RCPtr<LControlFactory> factory(new LControlFactory(WString(u"ControlsTest")));
    if (factory->LoadSkins(WString(KX_TEXT_BENCH_SKIN)) != S_OK) {
        state.SkipWithError("the text skin did not load");
        return;
    }
    for (const BuiltInControlClass& c : GetBuiltInControlClasses())
        if (const ControlCreateFunction create = FindBuiltInControlCreator(WString(c.name)))
            factory->RegisterControlClass(WString(c.name), create);
    LFactoryControlHost host(factory);
    const RCPtr<Owner> owner(new Owner());
    const RCPtr<LTextBox> box =
        RCPtr<LTextBox>::DynamicCast(host.CreateSkinControl(WString(u"plainBox"), RCPtr<LControl>(owner)));
    if (!box) {
        state.SkipWithError("no text box");
        return;
    }
    const int32_t length = static_cast<int32_t>(state.range(0));
    const std::u16string text(static_cast<size_t>(length), u'w');
    box->SetText(WString(text.c_str()));
    box->SetCaretPosition(length, true);
    for (auto _ : state) {
        box->InsertCharacter(u'x');
        box->DeleteRange(length, 1);
        benchmark::DoNotOptimize(box->GetCaretRect());
    }
    if (box->GetTextLength() != length)
        state.SkipWithError("the text changed");
    box->SetParent(nullptr);
}
BENCHMARK(TypeAndTakeBack)->Arg(6)->Arg(256)->Arg(LTextBox::kEditLimit - 1)->Unit(benchmark::kMicrosecond);

} // namespace
