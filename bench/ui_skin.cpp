// Loading a skin the size of the application's (about 4,000 SubControls and 700 looks) through
// the control factory, side by side with expat alone walking the same bytes with empty callbacks;
// creating the whole control tree of that skin; and laying out and drawing a 1200 x 750 frame of
// 300 skinned controls beside the renderer benchmark's plain-Cairo frame.
#include "kx/GDIRenderer.h"
#include "kx/Resources.h"
#include "kx/ui/ControlCreate.h"
#include "kx/ui/ControlFactory.h"
#include "kx/ui/FactoryControlHost.h"

#include "EditorScene.h"
#include "ScopedRenderHost.h"
#include "platform/gdi/Bitmap.h"

#include <benchmark/benchmark.h>
#include <expat.h>

#include <string>
#include <vector>

namespace {

std::string N(const char* prefix, int i)
{
    return prefix + std::to_string(i);
}

// The appearance definitions: 42 colorizers, 350 parts, 700 looks in 70 look lists of 10.
void AppendAppearance(std::string& s)
{
    s += "<Colorizers>\n";
    for (int i = 0; i < 42; ++i)
        s += "  <Colorizer Name=\"" + N("C", i) + "\" ColorType=\"SolidFill\" Color=\"0xFF" +
             std::to_string(100000 + i) + "\"/>\n";
    s += "</Colorizers>\n<Parts>\n";
    for (int i = 0; i < 350; ++i) {
        if (i % 2 == 0)
            s += "  <Part Name=\"" + N("P", i) +
                 "\" Width=\"18\" Height=\"17\" ResizeType=\"Stretch\" ImageFile=\"Images/Panel.png\" ImageLocX=\"" +
                 std::to_string(i % 200) + "\" ImageLocY=\"4\" ColorizerName=\"" + N("C", i % 42) +
                 "\" ColorizerAlphaMod=\"0.5\"/>\n";
        else
            s += "  <Part Name=\"" + N("P", i) + "\" Width=\"1\" Height=\"1\" ResizeType=\"Tile\" ColorizerName=\"" +
                 N("C", i % 42) + "\"/>\n";
    }
    s += "</Parts>\n<Looks>\n";
    for (int i = 0; i < 700; ++i) {
        s += "  <Look Name=\"" + N("L", i) + "\">\n";
        s += "    <ClientPart Name=\"" + N("P", i % 350) +
             "\" OffsetLeft=\"2\" OffsetTop=\"2\" OffsetRight=\"-2\" OffsetBottom=\"-2\"/>\n";
        if (i % 3 == 0) {
            s += "    <NonClientParts Name=\"E\">\n";
            s += "      <NonClientPart Name=\"" + N("P", (i + 1) % 350) +
                 "\" OffsetLeft=\"0\" OffsetTop=\"0\" Width=\"2\" Height=\"2\"/>\n";
            s += "      <NonClientPart Name=\"" + N("P", (i + 2) % 350) +
                 "\" OffsetTop=\"0\" OffsetRight=\"0\" Width=\"2\"/>\n";
            s += "    </NonClientParts>\n";
        }
        if (i % 12 == 0)
            s += "    <TextProperties TextLeftRel=\"0\" TextLeftAbs=\"4\" TextRightRel=\"1\" TextRightAbs=\"-4\" "
                 "TextHAlign=\"0.5\" TextTopRel=\"0\" TextTopAbs=\"0\" TextBottomRel=\"1\" TextBottomAbs=\"0\" "
                 "TextVAlign=\"0.5\" TextForegroundPart=\"P1\"/>\n";
        s += "  </Look>\n";
    }
    s += "</Looks>\n<LookLists>\n";
    for (int i = 0; i < 70; ++i) {
        s += "  <LookList Name=\"" + N("LL", i) + "\" NumLooks=\"10\">\n";
        for (int k = 0; k < 10; ++k)
            s += "    <Look Name=\"" + N("L", i * 10 + k) + "\" Index=\"" + std::to_string(k) + "\"/>\n";
        s += "  </LookList>\n";
    }
    s += "</LookLists>\n";
}

void AppendControl(std::string& s, int& count, int depth, const std::string& indent)
{
    const int id = count++;
    s += indent + "<SubControl Class=\"Framework.Button\" Name=\"" + N("c", id) + "\" LayoutOrder=\"" +
         std::to_string(id % 7) +
         "\" ClipToParent=\"True\" IsVisible=\"True\" TabStop=\"1\" XPositionToControl=\"Parent\" "
         "XPositionRel=\"0\" XPositionAbs=\"4\" YPositionToControl=\"Parent\" YPositionRel=\"0\" "
         "YPositionAbs=\"8\" XSizeToControl=\"Self\" XSizeAbs=\"120\" YSizeToControl=\"Self\" YSizeAbs=\"24\" "
         "XMinSizeToControl=\"Self\" XMaxSizeToControl=\"Self\" FontName=\"Arial\" FontSize=\"11\">\n";
    if (id % 6 == 0)
        s += indent + "  <CreateParamList><CreateParam ID=\"NOT_FOCUSABLE\" Type=\"Boolean\">True</CreateParam>" +
             "</CreateParamList>\n";
    s += indent + "  <Skin Name=\"" + N("s", id) + "\" LookList=\"" + N("LL", id % 70) + "\">\n";
    if (depth < 2) {
        const int children = depth == 0 ? 10 : 9;
        for (int i = 0; i < children; ++i)
            AppendControl(s, count, depth + 1, indent + "    ");
    }
    s += indent + "  </Skin>\n" + indent + "</SubControl>\n";
}

// About 4,000 SubControls in 40 top-level trees of 1 + 10 + 90.
const std::string& Document()
{
    static const std::string document = [] {
        std::string s = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Skin_Definitions>\n"
                        "<Application Name=\"PresetEditor\">\n";
        AppendAppearance(s);
        s += "<Skins>\n<Skin Name=\"Skin1\">\n";
        int count = 0;
        for (int i = 0; i < 40; ++i)
            AppendControl(s, count, 0, "  ");
        s += "</Skin>\n</Skins>\n</Application>\n</Skin_Definitions>\n";
        return s;
    }();
    return document;
}

void SkinLoad_Factory(benchmark::State& state)
{
    const std::string& document = Document();
    for (auto _ : state) {
        KX::RCPtr<KX::LControlFactory> factory(new KX::LControlFactory(KX::WString(u"PresetEditor")));
        if (factory->ParseXMLBuffer(document.data(), document.size()) != KX::S_OK)
            state.SkipWithError("the skin did not load");
        benchmark::DoNotOptimize(factory->GetSkins().GetCount());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(document.size()));
}
BENCHMARK(SkinLoad_Factory)->Unit(benchmark::kMillisecond);

void XMLCALL EmptyStart(void*, const XML_Char*, const XML_Char**) {}
void XMLCALL EmptyEnd(void*, const XML_Char*) {}
void XMLCALL EmptyText(void*, const XML_Char*, int) {}

void SkinLoad_ExpatOnly(benchmark::State& state)
{
    const std::string& document = Document();
    for (auto _ : state) {
        XML_Parser parser = XML_ParserCreate(nullptr);
        XML_SetElementHandler(parser, &EmptyStart, &EmptyEnd);
        XML_SetCharacterDataHandler(parser, &EmptyText);
        const XML_Status status = XML_Parse(parser, document.data(), static_cast<int>(document.size()), XML_TRUE);
        if (status != XML_STATUS_OK)
            state.SkipWithError("expat failed");
        XML_ParserFree(parser);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(document.size()));
}
BENCHMARK(SkinLoad_ExpatOnly)->Unit(benchmark::kMillisecond);

// A root window without a screen.
class BenchRootWindow : public KX::IRootWindow {
public:
    KX::RectT<int32_t> GetClientRect() const override { return {0, 0, 1200, 750}; }
    void InvalidateRect(const KX::RectT<int32_t>&) override {}
    KX::RCPtr<KX::LNotificationDistributor> GetIdleSource() override { return {}; }
    KX::RCPtr<KX::LControl> HitTest(KX::PointT<int32_t>, bool, bool) override { return {}; }
    int32_t SetCursor(int32_t) override { return 0; }
};

class BenchControl : public KX::LControl {
public:
    BenchControl(const KX::RCPtr<KX::LControl>& parent, const KX::WString& name) : KX::LControl(parent, name) {}
};

// A factory with the document read and its one class registered, and a host over it.
struct BuiltSkin {
    explicit BuiltSkin(const std::string& document)
        : factory(new KX::LControlFactory(KX::WString(u"PresetEditor"))), window(new BenchRootWindow())
    {
        ok = factory->ParseXMLBuffer(document.data(), document.size()) == KX::S_OK;
        for (const char16_t* name : {u"Framework.Button", u"Framework.Panel"})
            factory->RegisterControlClass(KX::WString(name), &KX::CreateControlOfClass<BenchControl>);
        host = std::make_unique<KX::LFactoryControlHost>(factory);
        host->SetRootWindow(window);
    }
    KX::RCPtr<KX::LControlFactory> factory;
    KX::RCPtr<KX::IRootWindow> window;
    std::unique_ptr<KX::LFactoryControlHost> host;
    bool ok = false;
};

uint32_t CountControls(KX::LControl& control)
{
    uint32_t count = 1;
    for (uint32_t i = 0; i < control.GetChildren().GetCount(); ++i)
        count += CountControls(*control.GetChildren().GetAt(i, KX::kOrderInsertion));
    return count;
}

// The image the generated skin's parts cut from, offered as the embedded "Images/Panel.png".
std::vector<uint8_t> PanelPng()
{
    constexpr int32_t kW = 224, kH = 24;
    std::vector<uint32_t> pixels(size_t(kW * kH));
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = 0xFF000000u | uint32_t(i * 2654435761u >> 8);
    std::unique_ptr<gdi::Bitmap> bitmap;
    std::vector<uint8_t> png;
    if (gdi::Bitmap::FromPixels(kW, kH, kW * 4, pixels.data(), bitmap) != gdi::Status::Ok ||
        bitmap->EncodePng(png) != gdi::Status::Ok)
        png.clear();
    return png;
}

// Every control of the ~4,000-SubControl skin: its 40 top-level trees created by name.
void SkinCreate_WholeTree(benchmark::State& state)
{
    const std::vector<uint8_t> png = PanelPng();
    const KX::ScopedResource panel(KX::WString(KX::kResourceTypeImage), KX::WString(u"IMAGES/PANEL_PNG"), png);
    BuiltSkin skin(Document());
    if (!skin.ok)
        state.SkipWithError("the skin did not load");
    std::vector<KX::WString> names;
    const KX::RCPtrArray<KX::LControlDescriptor>& top = skin.factory->GetCurrentSkin()->GetChildren();
    for (uint32_t i = 0; i < top.GetCount(); ++i)
        names.push_back(top.GetData()[i]->GetName());
    uint32_t controls = 0;
    for (auto _ : state) {
        std::vector<KX::RCPtr<KX::LControl>> trees;
        for (const KX::WString& name : names)
            trees.push_back(skin.host->CreateControlByName(name, skin.window));
        benchmark::DoNotOptimize(trees.back().Get());
        state.PauseTiming();
        controls = 0;
        for (KX::RCPtr<KX::LControl>& tree : trees)
            controls += tree ? CountControls(*tree) : 0;
        state.ResumeTiming();
        state.PauseTiming();
        for (KX::RCPtr<KX::LControl>& tree : trees)
            if (tree)
                tree->ReleaseInternalReferences();
        trees.clear();
        state.ResumeTiming();
    }
    state.counters["trees"] = static_cast<double>(names.size());
    state.counters["controls"] = controls;
}
BENCHMARK(SkinCreate_WholeTree)->Unit(benchmark::kMillisecond);

// 300 controls filling 1200 x 750: a frame, 20 panels of 14 cells; flat fills with edges, every
// other cell labelled.
const std::string& FrameDocument()
{
    static const std::string document = [] {
        std::string s = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Root><Application Name=\"PresetEditor\">\n"
                        "<Colorizers>\n";
        for (int i = 0; i < 8; ++i)
            s += "<Colorizer Name=\"C" + std::to_string(i) + "\" ColorType=\"SolidFill\" Color=\"0xFF" +
                 std::to_string(203040 + i * 111111 % 700000) + "\"/>\n";
        s += "</Colorizers>\n<Parts>\n";
        for (int i = 0; i < 8; ++i)
            s += "<Part Name=\"P" + std::to_string(i) +
                 "\" Width=\"4\" Height=\"4\" ResizeType=\"Stretch\" "
                 "ColorizerName=\"C" +
                 std::to_string(i) + "\"/>\n";
        s += "</Parts>\n<Looks>\n";
        for (int i = 0; i < 8; ++i) {
            s += "<Look Name=\"L" + std::to_string(i) + "\"><ClientPart Name=\"P" + std::to_string(i) +
                 "\" OffsetLeft=\"1\" OffsetTop=\"1\" OffsetRight=\"-1\" OffsetBottom=\"-1\"/>"
                 "<NonClientParts><NonClientPart Name=\"P" +
                 std::to_string((i + 3) % 8) +
                 "\" OffsetLeft=\"0\" OffsetTop=\"0\" OffsetRight=\"0\" Height=\"1\"/>"
                 "<NonClientPart Name=\"P" +
                 std::to_string((i + 3) % 8) +
                 "\" OffsetLeft=\"0\" OffsetTop=\"0\" OffsetBottom=\"0\" Width=\"1\"/></NonClientParts>";
            s += "<TextProperties TextLeftRel=\"0\" TextLeftAbs=\"3\" TextRightRel=\"1\" TextRightAbs=\"-3\" "
                 "TextHAlign=\"0.5\" TextTopRel=\"0\" TextTopAbs=\"0\" TextBottomRel=\"1\" TextBottomAbs=\"0\" "
                 "TextVAlign=\"0.5\" TextForegroundPart=\"P" +
                 std::to_string((i + 5) % 8) + "\"/></Look>\n";
        }
        s += "</Looks>\n<LookLists>\n";
        for (int i = 0; i < 8; ++i)
            s += "<LookList Name=\"LL" + std::to_string(i) + "\" NumLooks=\"2\"><Look Name=\"L" + std::to_string(i) +
                 "\" Index=\"0\"/><Look Name=\"L" + std::to_string((i + 1) % 8) + "\" Index=\"1\"/></LookList>\n";
        s += "</LookLists>\n<Skin Name=\"Frame\" FontName=\"Arial\" FontSize=\"8\">\n"
             "<SubControl Class=\"Framework.Panel\" Name=\"frame\" XSizeAbs=\"1200\" YSizeAbs=\"750\">"
             "<Skin Name=\"frame\" LookList=\"LL0\">\n";
        int id = 0;
        for (int p = 0; p < 20; ++p) {
            const int px = (p % 5) * 240, py = (p / 5) * 187;
            s += "<SubControl Class=\"Framework.Panel\" Name=\"panel" + std::to_string(p) + "\" XPositionAbs=\"" +
                 std::to_string(px) + "\" YPositionAbs=\"" + std::to_string(py) +
                 "\" XSizeAbs=\"240\" YSizeAbs=\"187\" FontInheritsFromParent=\"True\">"
                 "<Skin Name=\"p\" LookList=\"LL" +
                 std::to_string(p % 8) + "\">\n";
            for (int c = 0; c < 14 && id < 279; ++c, ++id) {
                const std::string prev = c == 0 ? "" : "cell" + std::to_string(id - 1);
                s += "<SubControl Class=\"Framework.Button\" Name=\"cell" + std::to_string(id) + "\" LayoutOrder=\"" +
                     std::to_string(c) + "\"" +
                     (c % 2 == 0 ? " XPositionAbs=\"6\""
                                 : " XPositionToControl=\"" + prev + "\" XPositionRel=\"1\" XPositionAbs=\"6\"") +
                     " YPositionAbs=\"" + std::to_string(6 + (c / 2) * 25) +
                     "\" XSizeToControl=\"Parent\" XSizeRel=\"0.5\" XSizeAbs=\"-9\""
                     " YSizeAbs=\"22\" FontInheritsFromParent=\"True\"><Skin Name=\"c\" LookList=\"LL" +
                     std::to_string(id % 8) + "\"/></SubControl>\n";
            }
            s += "</Skin></SubControl>\n";
        }
        s += "</Skin></SubControl>\n</Skin>\n</Application></Root>\n";
        return s;
    }();
    return document;
}

void ForEachControl(KX::LControl& control, void (*visit)(KX::LControl&))
{
    visit(control);
    for (uint32_t i = 0; i < control.GetChildren().GetCount(); ++i)
        ForEachControl(*control.GetChildren().GetAt(i, KX::kOrderInsertion), visit);
}

// Each iteration lays every control out again (the sizes cleared, so nothing is skipped) and
// draws the whole frame; argument 0 does both, 1 only draws, 2 only lays out.
void SkinFrame_LayoutAndDraw(benchmark::State& state)
{
    KX::RCPtr<KX::LGDIRenderer> renderer(new KX::LGDIRenderer());
    kxtest::ScopedRenderHost renderHost{KX::ConstRCPtr<KX::LMeasurementRenderer>(renderer.Get())};
    KX::RCPtr<KX::LRenderContextInfo> context;
    renderer->InitRenderContextInfo({0, 0, benchscene::kWidth, benchscene::kHeight}, nullptr, true, context);
    BuiltSkin skin(FrameDocument());
    KX::RCPtr<KX::LControl> frame = skin.host->CreateControlByName(KX::WString(u"frame"), skin.window);
    if (!skin.ok || !frame) {
        state.SkipWithError("the frame skin did not build");
        return;
    }
    uint32_t labelled = 0;
    for (uint32_t p = 0; p < frame->GetChildren().GetCount(); ++p) {
        KX::LControl& panel = *frame->GetChildren().GetAt(p, KX::kOrderInsertion);
        for (uint32_t c = 0; c < panel.GetChildren().GetCount(); ++c)
            if (c % 2 == 0 &&
                panel.GetChildren().GetAt(c, KX::kOrderInsertion)->SetText(KX::WString(u"CC 12 Ch 1")) == KX::S_OK)
                ++labelled;
    }
    const KX::RCPtr<KX::LRenderer> drawer(renderer);
    KX::LRegion all_;
    all_.AddRect(0, 0, benchscene::kWidth, benchscene::kHeight);
    const bool layout = state.range(0) != 1, draw = state.range(0) != 2;
    for (auto _ : state) {
        if (layout) {
            ForEachControl(*frame, [](KX::LControl& c) { c.SetBounds({}, {}); });
            ForEachControl(*frame, [](KX::LControl& c) { c.PerformLayout(); });
        }
        if (draw) {
            // The frame's own look covers the whole surface: no background fill first.
            renderer->RenderStart(context);
            KX::RCPtrArray<KX::LControl> unclipped;
            frame->Draw(drawer, all_, unclipped, !frame->GetLayout()->clipToParent);
            renderer->RenderFinish(context);
        }
        benchmark::ClobberMemory();
    }
    state.counters["controls"] = CountControls(*frame);
    state.counters["labels"] = labelled;
    frame->ReleaseInternalReferences();
}
BENCHMARK(SkinFrame_LayoutAndDraw)
    ->Arg(0)
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(benchscene::BM_FramePlainCairo)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

} // namespace
