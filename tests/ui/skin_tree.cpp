// The skin's control tree: skins and their roots, SubControls, fonts and their translations,
// create parameters, and the errors that end a load.
#include "SkinLoad.h"

#include <gtest/gtest.h>

#include <string>

using KX::ConstRCPtr;
using KX::RCPtr;
using KX::WString;
using KXTest::Narrow;

namespace {

std::string Param(const ConstRCPtr<KX::LControlDescriptor>& descriptor, const char* id)
{
    if (!descriptor->GetCreateParams())
        return "<no table>";
    WString text(u"<absent>");
    descriptor->GetCreateParams()->Lookup(WString(id), text);
    return Narrow(text);
}

ConstRCPtr<KX::LControlDescriptor> Child(const ConstRCPtr<KX::LControlDescriptor>& parent, const char* name)
{
    const auto& children = parent->GetChildren();
    for (uint32_t i = 0; i < children.GetCount(); ++i) {
        if (Narrow(children.ElementAt(i)->GetName()) == name)
            return children.ElementAt(i);
    }
    return nullptr;
}

KX::KXRESULT Parse(KX::LControlFactory& factory, const std::string& document)
{
    return factory.ParseXMLBuffer(document.data(), document.size());
}

} // namespace

TEST(SkinTree, SkinsAndTheirRoots)
{
    const auto factory = KXTest::LoadTestSkin();
    EXPECT_EQ(Narrow(factory->GetApplicationName()), "TestApp");
    ASSERT_EQ(factory->GetSkins().GetCount(), 2u);
    const ConstRCPtr<KX::LControlDescriptor> root = factory->GetCurrentSkin();
    EXPECT_EQ(Narrow(root->GetClassName()), "Application");
    EXPECT_EQ(Narrow(root->GetName()), "TestApp");
    EXPECT_EQ(root->GetParent(), nullptr);
    EXPECT_EQ(Narrow(root->GetSkin()->GetName()), "Skin1");

    // Top-level controls keep document order; the last of a repeated name is found.
    ASSERT_EQ(root->GetChildren().GetCount(), 3u);
    EXPECT_EQ(Narrow(root->GetChildren().ElementAt(0)->GetName()), "mainControl");
    EXPECT_EQ(Narrow(root->GetChildren().ElementAt(1)->GetName()), "dialog");
    const ConstRCPtr<KX::LControlDescriptor> dialog = factory->FindControlDescriptor(WString(u"dialog"));
    EXPECT_EQ(dialog.Get(), root->GetChildren().ElementAt(2).Get());
    EXPECT_EQ(Narrow(dialog->GetSkin()->GetName()), "SecondDialog");
    // Nested controls are not found by name.
    EXPECT_FALSE(factory->FindControlDescriptor(WString(u"buttonA")));
    EXPECT_FALSE(factory->FindControlDescriptor(WString(u"innerLabel")));

    const ConstRCPtr<KX::LControlDescriptor> main = factory->FindControlDescriptor(WString(u"mainControl"));
    EXPECT_EQ(Narrow(main->GetClassName()), "Test.Panel");
    EXPECT_EQ(main->GetParent(), root.Get());
    ASSERT_EQ(main->GetChildren().GetCount(), 3u);
    const ConstRCPtr<KX::LControlDescriptor> label = Child(main, "labelB");
    ASSERT_EQ(label->GetChildren().GetCount(), 1u);
    EXPECT_EQ(label->GetChildren().ElementAt(0)->GetParent(), label.Get());
}

TEST(SkinTree, SkinFontAndTranslations)
{
    // In Japanese the first translation of Arial applies to the skin and every later control.
    const auto japanese = KXTest::LoadTestSkin(0x0411);
    WString face;
    float size = 0.0f;
    uint32_t style = 0;
    EXPECT_EQ(japanese->GetSkinFont(face, size, style), KX::S_OK);
    EXPECT_EQ(Narrow(face), "MS Gothic");
    EXPECT_FLOAT_EQ(size, 12.5f);
    EXPECT_EQ(style, 1u);
    const ConstRCPtr<KX::LControlDescriptor> main = japanese->FindControlDescriptor(WString(u"mainControl"));
    EXPECT_EQ(Narrow(main->GetSkin()->GetFontName()), "MS Gothic");
    EXPECT_EQ(Narrow(Child(main, "buttonA")->GetSkin()->GetFontName()), "MS PGothic");
    // A new skin empties the translations.
    ASSERT_EQ(japanese->SetCurrentSkinIndex(1), KX::S_OK);
    EXPECT_EQ(Narrow(japanese->FindControlDescriptor(WString(u"mainControl"))->GetSkin()->GetFontName()), "Arial");
    EXPECT_EQ(japanese->GetSkinFont(face, size, style), KX::S_FALSE);

    const auto english = KXTest::LoadTestSkin(0x0409);
    english->GetSkinFont(face, size, style);
    EXPECT_EQ(Narrow(face), "Arial");
    EXPECT_EQ(Narrow(english->FindControlDescriptor(WString(u"mainControl"))->GetSkin()->GetFontName()), "Arial");
}

TEST(SkinTree, ControlFonts)
{
    const auto factory = KXTest::LoadTestSkin();
    const ConstRCPtr<KX::LControlDescriptor> main = factory->FindControlDescriptor(WString(u"mainControl"));
    const KX::LSkinDescriptor& mainSkin = *main->GetSkin();
    EXPECT_EQ(Narrow(mainSkin.GetName()), "MainSkin");
    EXPECT_FLOAT_EQ(mainSkin.GetFontSize(), 10.0f);
    EXPECT_EQ(mainSkin.GetFontStyle(), 2);
    EXPECT_FALSE(mainSkin.GetFontInheritsFromParent());

    const KX::LSkinDescriptor* buttonA = Child(main, "buttonA")->GetSkin().Get();
    const KX::LSkinDescriptor* buttonC = Child(main, "buttonC")->GetSkin().Get();
    const KX::LSkinDescriptor* labelB = Child(main, "labelB")->GetSkin().Get();
    // A relative size without a size is no relative size.
    EXPECT_TRUE(buttonC->GetFontInheritsFromParent());
    EXPECT_FALSE(buttonC->GetFontSizeIsRelative());
    EXPECT_EQ(buttonC->GetFontSize(), 0.0f);
    EXPECT_EQ(buttonC->GetFontStyle(), -1);
    EXPECT_FALSE(buttonA->GetFontSizeIsRelative());
    EXPECT_TRUE(labelB->GetFontSizeIsRelative());
    EXPECT_FLOAT_EQ(labelB->GetFontSize(), 0.75f);
}

TEST(SkinTree, CreateParameters)
{
    const auto factory = KXTest::LoadTestSkin();
    const ConstRCPtr<KX::LControlDescriptor> main = factory->FindControlDescriptor(WString(u"mainControl"));
    EXPECT_EQ(Param(main, "NOT_FOCUSABLE"), "True");
    // Text split by entities arrives in several pieces: all of them are kept.
    EXPECT_EQ(Param(main, "SPLIT"), "a&b<c>");
    // An empty parameter has no text, so no entry.
    EXPECT_EQ(Param(main, "EMPTY"), "<absent>");
    EXPECT_EQ(Param(factory->FindControlDescriptor(WString(u"dialog")), "USE_PARENT_TOOLTIP"), " TRUE ");
    EXPECT_EQ(Param(Child(main, "buttonA"), "NOT_FOCUSABLE"), "<no table>");
}

TEST(SkinTree, CreateParameterPiecesAcrossParseCalls)
{
    // Character data split across buffer ends: the handler sees each piece separately.
    RCPtr<KX::LControlFactory> factory(new KX::LControlFactory(WString()));
    factory->XMLStartElement("Root", KX::XmlAttributes(nullptr));
    const char* const skin[] = {"Name", "S", nullptr};
    factory->XMLStartElement("Skin", KX::XmlAttributes(skin));
    const char* const control[] = {"Class", "C", "Name", "n", nullptr};
    factory->XMLStartElement("SubControl", KX::XmlAttributes(control));
    factory->XMLStartElement("CreateParamList", KX::XmlAttributes(nullptr));
    const char* const param[] = {"ID", "TEXT", nullptr};
    factory->XMLStartElement("CreateParam", KX::XmlAttributes(param));
    factory->XMLCharacterData("first ", 6);
    factory->XMLCharacterData("second", 6);
    factory->XMLEndElement("CreateParam");
    factory->XMLCharacterData("outside", 7);
    factory->XMLEndElement("CreateParamList");
    ASSERT_EQ(factory->GetSkins().GetCount(), 1u);
    EXPECT_EQ(Param(factory->GetSkins().ElementAt(0)->GetChildren().ElementAt(0), "TEXT"), "first second");
}

TEST(SkinTree, RootElementIsSkippedWhateverItsName)
{
    RCPtr<KX::LControlFactory> factory(new KX::LControlFactory(WString(u"Before")));
    // A root named Application is not read as one; an Application without Name empties the name.
    ASSERT_EQ(Parse(*factory, "<Application Name=\"Root\"><Skin Name=\"S\"/></Application>"), KX::S_OK);
    EXPECT_EQ(Narrow(factory->GetApplicationName()), "Before");
    ASSERT_EQ(Parse(*factory, "<R><Application><Skin Name=\"T\"/></Application></R>"), KX::S_OK);
    EXPECT_EQ(Narrow(factory->GetApplicationName()), "");
    EXPECT_EQ(factory->GetSkins().GetCount(), 2u);
    // A skin without a name gets an empty one.
    ASSERT_EQ(Parse(*factory, "<R><Skin/></R>"), KX::S_OK);
    EXPECT_EQ(Narrow(factory->GetSkins().ElementAt(2)->GetSkin()->GetName()), "");
}

TEST(SkinTree, BadSubControlEndsTheLoad)
{
    RCPtr<KX::LControlFactory> factory(new KX::LControlFactory(WString()));
    const std::string document =
        KXTest::SkinDocument("<Skin Name=\"S\">\n<SubControl Class=\"C\" Name=\"kept\"/>\n<SubControl Class=\"C\"/>\n"
                             "<SubControl Class=\"C\" Name=\"never\"/></Skin>");
    EXPECT_EQ(Parse(*factory, document), KX::E_FAIL);
    EXPECT_EQ(Narrow(factory->GetLastXMLErrorText()),
              "Runtime Error : Bad Subcontrol Element : KX::LControlFactory::XMLStartElement : "
              "ControlBase\\ControlFactory : Line 1089");
    EXPECT_EQ(factory->GetLastXMLErrorLine(), 4);
    // What was read before stays.
    ASSERT_EQ(factory->GetSkins().GetCount(), 1u);
    ASSERT_EQ(factory->GetSkins().ElementAt(0)->GetChildren().GetCount(), 1u);

    // Outside a skin a SubControl is refused too.
    EXPECT_EQ(Parse(*factory, KXTest::SkinDocument("<SubControl Class=\"C\" Name=\"n\"/>")), KX::E_FAIL);
    EXPECT_NE(Narrow(factory->GetLastXMLErrorText()).find("SubControl outside a skin"), std::string::npos);
}

TEST(SkinTree, LoadResetsTheParseState)
{
    RCPtr<KX::LControlFactory> factory(new KX::LControlFactory(WString()));
    // A parse left inside a SubControl; the next load starts outside any skin.
    const std::string open = "<R><Skin Name=\"A\"><SubControl Class=\"C\" Name=\"n\">";
    EXPECT_EQ(Parse(*factory, open), KX::E_FAIL);
    ASSERT_EQ(factory->LoadSkins(WString(u"::APP_SKINS")), KX::S_OK);
    EXPECT_EQ(factory->GetSkins().GetCount(), 3u);
    EXPECT_EQ(factory->GetSkins().ElementAt(0)->GetChildren().GetCount(), 1u);
    EXPECT_EQ(factory->GetSkins().ElementAt(1)->GetChildren().GetCount(), 3u);
}

TEST(SkinTree, StateOfOneDocumentDoesNotReachTheNext)
{
    RCPtr<KX::LControlFactory> factory(new KX::LControlFactory(WString()));
    factory->SetLocaleId(0x0411);
    ASSERT_EQ(Parse(*factory, "<R><Skin Name=\"A\"><FontLocale LCID=\"0x0411\"/><SubControl Class=\"C\" Name=\"a\">"
                              "<CreateParamList><CreateParam ID=\"P\">one</CreateParam></CreateParamList>"
                              "</SubControl></Skin></R>"),
              KX::S_OK);
    // No FontLocale yet in this document, and no open parameter list.
    ASSERT_EQ(Parse(*factory, "<R><Skin Name=\"B\" FontName=\"Arial\"><FontXLat Name=\"Arial\" XLat=\"G\"/>"
                              "<CreateParam ID=\"P\">two</CreateParam></Skin></R>"),
              KX::S_OK);
    EXPECT_EQ(Narrow(factory->GetSkins().ElementAt(1)->GetSkin()->GetFontName()), "Arial");
    EXPECT_EQ(Param(factory->GetSkins().ElementAt(0)->GetChildren().ElementAt(0), "P"), "one");
}
