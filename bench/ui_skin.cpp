// Loading a skin the size of the application's (about 4,000 SubControls and 700 looks) through
// the control factory, side by side with expat alone walking the same bytes with empty callbacks.
#include "kx/ui/ControlFactory.h"

#include <benchmark/benchmark.h>
#include <expat.h>

#include <string>

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

} // namespace
