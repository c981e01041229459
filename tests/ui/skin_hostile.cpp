// Skin documents as outside input: malformed, truncated, deeply nested, oversized and
// amplifying documents end in the parser's error result or load within bounds.
#include "SkinLoad.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

using KX::RCPtr;
using KX::WString;
using KXTest::Narrow;

namespace {

RCPtr<KX::LControlFactory> NewFactory()
{
    return RCPtr<KX::LControlFactory>(new KX::LControlFactory(WString(u"App")));
}

std::string Repeat(const std::string& text, int count)
{
    std::string out;
    out.reserve(text.size() * static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        out += text;
    return out;
}

} // namespace

TEST(SkinHostile, MalformedDocumentsKeepTheParserErrorAndLine)
{
    const auto factory = NewFactory();
    const std::string mismatched = "<R>\n<Application Name=\"A\">\n<Skin Name=\"S\"></Skins>\n</R>";
    EXPECT_EQ(factory->ParseXMLBuffer(mismatched.data(), mismatched.size()), KX::E_FAIL);
    EXPECT_EQ(Narrow(factory->GetLastXMLErrorText()), "mismatched tag");
    EXPECT_EQ(factory->GetLastXMLErrorLine(), 3);

    const std::string empty;
    kxtest::TempDir folder;
    kxtest::WriteText(folder.path() / "Skins.xml", empty);
    EXPECT_EQ(factory->LoadSkins(WString((folder.str() + "/Skins.xml").c_str())), KX::E_FAIL);
    EXPECT_EQ(Narrow(factory->GetLastXMLErrorText()), "no element found");
    // The skin read before the failures stays.
    EXPECT_EQ(factory->GetSkins().GetCount(), 1u);
}

TEST(SkinHostile, EveryTruncationOfTheTestSkinFailsCleanly)
{
    const std::string skin = kxtest::ReadText(std::filesystem::path(KX_UI_TEST_RESOURCES) / "skin_test_skin.xml");
    ASSERT_GT(skin.size(), 1000u);
    const auto factory = NewFactory();
    for (size_t length = 1; length < skin.size() - 20; length += 37) {
        ASSERT_EQ(factory->ParseXMLBuffer(skin.data(), length), KX::E_FAIL) << length;
        EXPECT_FALSE(factory->GetLastXMLErrorText().IsEmpty());
        EXPECT_GE(factory->GetLastXMLErrorLine(), 1);
    }
}

TEST(SkinHostile, ByteCountZeroStopsAtTheFirstNul)
{
    const auto factory = NewFactory();
    const std::string document = std::string("<R><Skin Name=\"A\"/></R>") + '\0' + "<garbage";
    EXPECT_EQ(factory->ParseXMLBuffer(document.data(), 0), KX::S_OK);
    EXPECT_EQ(factory->GetSkins().GetCount(), 1u);
}

TEST(SkinHostile, DeepNesting)
{
    const auto factory = NewFactory();
    // Unknown elements nest as deep as the document goes.
    const int depth = 20000;
    const std::string unknown = "<R>" + Repeat("<x>", depth) + Repeat("</x>", depth) + "</R>";
    EXPECT_EQ(factory->ParseXMLBuffer(unknown.data(), unknown.size()), KX::S_OK);

    // Controls stop at the depth limit with an error.
    const int tooDeep = KX::LControlFactory::kMaxControlDepth + 5;
    const std::string controls = "<R><Skin Name=\"S\">" + Repeat("<SubControl Class=\"C\" Name=\"n\">", tooDeep) +
                                 Repeat("</SubControl>", tooDeep) + "</Skin></R>";
    EXPECT_EQ(factory->ParseXMLBuffer(controls.data(), controls.size()), KX::E_FAIL);
    EXPECT_NE(Narrow(factory->GetLastXMLErrorText()).find("nested too deeply"), std::string::npos);

    const int deepest = KX::LControlFactory::kMaxControlDepth;
    const std::string fits = "<R><Skin Name=\"S\">" + Repeat("<SubControl Class=\"C\" Name=\"n\">", deepest) +
                             Repeat("</SubControl>", deepest) + "</Skin></R>";
    EXPECT_EQ(factory->ParseXMLBuffer(fits.data(), fits.size()), KX::S_OK);
}

TEST(SkinHostile, HugeValuesAndUnknownElements)
{
    const auto factory = NewFactory();
    const std::string big(4 << 20, 'A');
    const std::string document = "<R><Unknown Attr=\"" + big + "\"><Skin Name=\"" + big +
                                 "\"><SubControl Class=\"C\" Name=\"n\" FontSize=\"" + std::string(100000, '9') +
                                 "\" LayoutOrder=\"" + std::string(1000, '9') + "\"><Skin Name=\"x\"/>" +
                                 "<CreateParamList><CreateParam ID=\"P\">" + big +
                                 "</CreateParam></CreateParamList></SubControl></Skin></Unknown></R>";
    ASSERT_EQ(factory->ParseXMLBuffer(document.data(), document.size()), KX::S_OK);
    ASSERT_EQ(factory->GetSkins().GetCount(), 1u);
    const auto control = factory->GetSkins().ElementAt(0)->GetChildren().ElementAt(0);
    EXPECT_EQ(control->GetSkin()->GetFontSize(), std::numeric_limits<float>::infinity());
    WString text;
    ASSERT_TRUE(control->GetCreateParams()->Lookup(WString(u"P"), text));
    EXPECT_EQ(text.GetLength(), big.size());
}

TEST(SkinHostile, LookListsStayWithinTheirBudget)
{
    const auto factory = NewFactory();
    std::string lists;
    for (int i = 0; i < 300; ++i)
        lists += "<LookList Name=\"L" + std::to_string(i) + "\" NumLooks=\"1024\"/>";
    lists += "<LookList Name=\"Long\" NumLooks=\"0xFFFF\"/>";
    lists += "<LookList Name=\"Huge\" NumLooks=\"2000000000\"/>";
    const std::string document = KXTest::SkinDocument("<LookLists>" + lists + "</LookLists>");
    ASSERT_EQ(factory->ParseXMLBuffer(document.data(), document.size()), KX::S_OK);
    int64_t entries = 0;
    int registered = 0;
    for (int i = 0; i < 300; ++i) {
        if (const auto list = factory->FindLookList(WString(("L" + std::to_string(i)).c_str()))) {
            entries += list->GetCount();
            ++registered;
        }
    }
    EXPECT_LE(entries, KX::LControlFactory::kMaxLookListEntries);
    EXPECT_EQ(registered, 256);
    EXPECT_FALSE(factory->FindLookList(WString(u"Huge")));
    EXPECT_FALSE(factory->FindLookList(WString(u"Long")));
}

TEST(SkinHostile, ChildrenSkinsAndEdgePartsAreBounded)
{
    // Their arrays grow one slot at a time: a document may not make them grow without end.
    const auto factory = NewFactory();
    const int most = static_cast<int>(KX::LControlFactory::kMaxChildren);
    const std::string control = "<SubControl Class=\"C\" Name=\"n\"/>";
    const std::string fits = "<R><Skin Name=\"S\">" + Repeat(control, most) + "</Skin></R>";
    ASSERT_EQ(factory->ParseXMLBuffer(fits.data(), fits.size()), KX::S_OK);
    EXPECT_EQ(factory->GetSkins().ElementAt(0)->GetChildren().GetCount(), KX::LControlFactory::kMaxChildren);
    const std::string tooMany = "<R><Skin Name=\"S\">" + Repeat(control, most + 1) + "</Skin></R>";
    EXPECT_EQ(factory->ParseXMLBuffer(tooMany.data(), tooMany.size()), KX::E_FAIL);
    EXPECT_NE(Narrow(factory->GetLastXMLErrorText()).find("too many SubControls"), std::string::npos);

    const int skins = static_cast<int>(KX::LControlFactory::kMaxSkins);
    const std::string manySkins = "<R>" + Repeat("<Skin Name=\"S\"/>", skins) + "</R>";
    EXPECT_EQ(factory->ParseXMLBuffer(manySkins.data(), manySkins.size()), KX::E_FAIL);
    EXPECT_EQ(factory->GetSkins().GetCount(), KX::LControlFactory::kMaxSkins);

    const std::string edges =
        KXTest::SkinDocument("<Colorizer Name=\"C\" ColorType=\"SolidFill\" Color=\"0xFF000000\"/>"
                             "<Part Name=\"P\" Width=\"1\" Height=\"1\" ResizeType=\"Tile\" ColorizerName=\"C\"/>"
                             "<Looks><Look Name=\"L\">" +
                             Repeat("<NonClientPart Name=\"P\" OffsetLeft=\"0\"/>", 3000) + "</Look></Looks>");
    ASSERT_EQ(factory->ParseXMLBuffer(edges.data(), edges.size()), KX::S_OK);
    EXPECT_EQ(factory->FindLook(WString(u"L"))->GetNonClientParts().GetCount(),
              KX::LControlFactory::kMaxNonClientParts);
}

TEST(SkinHostile, EntityAmplificationIsRefused)
{
    const auto factory = NewFactory();
    std::string document = "<?xml version=\"1.0\"?>\n<!DOCTYPE R [\n<!ENTITY a \"aaaaaaaaaaaaaaaaaaaa\">\n";
    char previous = 'a';
    for (char name = 'b'; name <= 'k'; ++name) {
        document += std::string("<!ENTITY ") + name + " \"" + Repeat(std::string("&") + previous + ";", 10) + "\">\n";
        previous = name;
    }
    document += "]>\n<R><Skin Name=\"S\"><SubControl Class=\"C\" Name=\"n\"><CreateParamList>"
                "<CreateParam ID=\"P\">&k;</CreateParam></CreateParamList></SubControl></Skin></R>";
    EXPECT_EQ(factory->ParseXMLBuffer(document.data(), document.size()), KX::E_FAIL);
    EXPECT_FALSE(factory->GetLastXMLErrorText().IsEmpty());
}

TEST(SkinHostile, Utf16SkinFollowsItsByteOrderMark)
{
    const auto factory = NewFactory();
    const std::string utf8 = "<R><Application Name=\"Wide\"><Skin Name=\"S\"/></Application></R>";
    std::string bytes("\xFF\xFE", 2);
    for (char c : utf8) {
        bytes.push_back(c);
        bytes.push_back('\0');
    }
    EXPECT_EQ(factory->ParseXMLBuffer(bytes.data(), bytes.size()), KX::S_OK);
    EXPECT_EQ(Narrow(factory->GetApplicationName()), "Wide");
}
