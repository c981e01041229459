// The control factory: class registry, attribute syntaxes, documents from resources and folders,
// string tables through the factory, and the current skin index.
#include "TestSupport.h"
#include "kx/Resources.h"
#include "kx/ui/ControlFactory.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>
#include <string>

using KX::ConstRCPtr;
using KX::LControlFactory;
using KX::RCPtr;
using KX::WString;

namespace {

RCPtr<KX::LControl>& CreateOne(RCPtr<KX::LControl>& out, RCPtr<KX::LControl>&, ConstRCPtr<KX::LControlDescriptor>&)
{
    return out;
}

RCPtr<KX::LControl>& CreateTwo(RCPtr<KX::LControl>& out, RCPtr<KX::LControl>&, ConstRCPtr<KX::LControlDescriptor>&)
{
    return out;
}

std::string Narrow(const WString& text)
{
    return text.ToNarrow().GetString();
}

std::string Text(const ConstRCPtr<KX::LStringTable>& table, const char* key)
{
    WString text(u"<absent>");
    if (!table)
        return "<no table>";
    table->Lookup(WString(key), text);
    return Narrow(text);
}

const std::filesystem::path kResources(KX_UI_TEST_RESOURCES);

} // namespace

TEST(ControlFactory, FirstRegistrationWinsAndUnknownClassesThrow)
{
    RCPtr<LControlFactory> factory(new LControlFactory(WString(u"TestApp")));
    EXPECT_EQ(factory->RegisterControlClass(WString(u"Framework.Button"), &CreateOne), KX::S_OK);
    EXPECT_EQ(factory->RegisterControlClass(WString(u"Framework.Button"), &CreateTwo), KX::S_OK);
    KX::ControlCreateFunction function = nullptr;
    EXPECT_EQ(factory->GetControlCreateFunction(WString(u"Framework.Button"), function), KX::S_OK);
    EXPECT_EQ(function, &CreateOne);

    function = &CreateTwo;
    try {
        factory->GetControlCreateFunction(WString(u"framework.button"), function);
        FAIL() << "no exception";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "Runtime Error : KX::LControlFactory::GetControlCreateFunction : "
                               "ControlBase\\ControlFactory : Line 51");
    }
    EXPECT_EQ(function, &CreateTwo);
}

TEST(ControlFactory, AttributesThatShareTheirFirstLettersAreToldApart)
{
    const char* const list[] = {"XSizeAbs", "1", "X", "2", "XS", "3", "XSizeRel", "4", "YSizeAbs", "5", nullptr};
    const KX::XmlAttributes attributes(list);
    EXPECT_STREQ(attributes.Find("X"), "2");
    EXPECT_STREQ(attributes.Find("XS"), "3");
    EXPECT_STREQ(attributes.Find("XSizeRel"), "4");
    EXPECT_STREQ(attributes.Find("YSizeAbs"), "5");
    EXPECT_EQ(attributes.Find("XSize"), nullptr);
    EXPECT_EQ(attributes.Find("XSizeAbsX"), nullptr);
    EXPECT_EQ(attributes.Find("Y"), nullptr);
    EXPECT_EQ(KX::XmlAttributes(nullptr).Find("X"), nullptr);
}

TEST(ControlFactory, AttributeSyntaxes)
{
    const char* const list[] = {"Hex",        "0x00FF", "LowHex", "0xff", "Upper",       "0X0A", "Bad",
                                "0x1G",       "Trail",  "12abc",  "Neg",  "-5",          "Five", "0x123456",
                                "Bare",       "0x",     "True",   "True", "Lower",       "true", "Real",
                                " 12.9e0xyz", "NoNum",  "abc",    "Big",  "99999999999", nullptr};
    const KX::XmlAttributes attributes(list);
    const std::pair<const char*, int32_t> ints[] = {{"Hex", 255},     {"LowHex", 255}, {"Upper", 0},
                                                    {"Bad", 1},       {"Trail", 12},   {"Neg", -5},
                                                    {"Five", 0x1234}, {"Bare", 0},     {"Big", INT32_MAX}};
    for (const auto& [name, expected] : ints) {
        int32_t value = 77;
        EXPECT_TRUE(LControlFactory::GetIntAttribute(attributes, name, value));
        EXPECT_EQ(value, expected) << name;
    }
    int32_t untouched = 77;
    EXPECT_FALSE(LControlFactory::GetIntAttribute(attributes, "Missing", untouched));
    EXPECT_EQ(untouched, 77);
    // The plain integer syntax reads no hex.
    EXPECT_TRUE(LControlFactory::GetDecimalAttribute(attributes, "Hex", untouched));
    EXPECT_EQ(untouched, 0);

    bool flag = true;
    EXPECT_TRUE(LControlFactory::GetBoolAttribute(attributes, "Lower", flag));
    EXPECT_FALSE(flag);
    EXPECT_TRUE(LControlFactory::GetBoolAttribute(attributes, "True", flag));
    EXPECT_TRUE(flag);
    EXPECT_FALSE(LControlFactory::GetBoolAttribute(attributes, "Missing", flag));
    EXPECT_TRUE(flag);

    float real = 5.0f;
    EXPECT_TRUE(LControlFactory::GetFloatAttribute(attributes, "Real", real));
    EXPECT_FLOAT_EQ(real, 12.9f);
    EXPECT_TRUE(LControlFactory::GetFloatAttribute(attributes, "NoNum", real));
    EXPECT_EQ(real, 0.0f);
}

TEST(ControlFactory, DocumentPathsFollowTheFolder)
{
    RCPtr<LControlFactory> factory(new LControlFactory(WString()));
    EXPECT_EQ(Narrow(factory->GetSkinsPath()), "::APP_SKINS");
    EXPECT_EQ(Narrow(factory->GetApplicationStringsPath()), "::APP_STRINGS");
    EXPECT_EQ(Narrow(factory->GetFrameworkStringsPath()), "::FRAMEWORK_STRINGS");
    factory->SetDocumentFolder(WString("/opt/app/"));
    EXPECT_EQ(Narrow(factory->GetSkinsPath()), "/opt/app/Skins.xml");
    EXPECT_EQ(Narrow(factory->GetFrameworkStringsPath()), "/opt/app/FrameworkStrings.xml");
}

TEST(ControlFactory, ResourceNamesAreFoldedLikeTheirPaths)
{
    // Both spellings name APP_SKINS; a missing resource fails the skin load and reads nothing.
    for (const char16_t* path : {u"::app_skins", u"::APP.SKINS"}) {
        RCPtr<LControlFactory> factory(new LControlFactory(WString()));
        EXPECT_EQ(factory->LoadSkins(WString(path)), KX::S_OK) << Narrow(WString(path));
        EXPECT_EQ(factory->GetSkins().GetCount(), 2u);
    }
    RCPtr<LControlFactory> factory(new LControlFactory(WString()));
    EXPECT_EQ(factory->LoadSkins(WString(u"::NO_SUCH_SKINS")), KX::E_FAIL);
    EXPECT_EQ(factory->GetSkins().GetCount(), 0u);
    EXPECT_FALSE(factory->GetCurrentSkin());
    EXPECT_FALSE(factory->FindControlDescriptor(WString(u"mainControl")));
}

TEST(ControlFactory, StringTablesFromResourcesShareTheApplicationName)
{
    RCPtr<LControlFactory> factory(new LControlFactory(WString(u"Other")));
    EXPECT_EQ(
        factory->LoadStringTables(factory->GetApplicationStringsPath(), factory->GetFrameworkStringsPath(), 0x0407),
        KX::S_OK);
    // The application document names the application; its ids follow.
    EXPECT_EQ(Narrow(factory->GetApplicationName()), "TestApp");
    EXPECT_EQ(Text(factory->GetApplicationStringTable(), "TITLE"), "Testanwendung");
    EXPECT_EQ(Text(factory->GetApplicationStringTable(), "GHK.NID_TEST"), "CTRL+VKEY_T");
    EXPECT_EQ(Text(factory->GetStringTable(WString(u"TestApp"), WString(u"mainControl")), "LABEL"), "Main");
    EXPECT_FALSE(factory->GetStringTable(WString(u"TestApp"), WString(u"nobody")));
    EXPECT_EQ(Text(factory->GetFrameworkStringTable(), "EDIT_CUT"), "Ausschneiden");
    EXPECT_EQ(factory->GetLocaleId(), 0x0007u);

    // Missing documents are skipped without a failure.
    RCPtr<LControlFactory> bare(new LControlFactory(WString(u"Bare")));
    EXPECT_EQ(bare->LoadStringTables(WString(u"::NONE_1"), WString(u"::NONE_2"), 0x0409), KX::S_OK);
    EXPECT_FALSE(bare->GetFrameworkStringTable());
    EXPECT_EQ(Narrow(bare->GetApplicationName()), "Bare");
}

TEST(ControlFactory, DocumentsFromAFolder)
{
    kxtest::TempDir folder;
    kxtest::WriteText(folder.path() / "Skins.xml", kxtest::ReadText(kResources / "skin_test_skin.xml"));
    kxtest::WriteText(folder.path() / "StringTables.xml", kxtest::ReadText(kResources / "skin_test_strings.xml"));
    // A broken framework document keeps the parser's error but fails nothing.
    kxtest::WriteText(folder.path() / "FrameworkStrings.xml", "<Root><StringTable ID=\"Framework\">\n<Str");

    RCPtr<LControlFactory> factory(new LControlFactory(WString()));
    factory->SetDocumentFolder(WString((folder.str() + "/").c_str()));
    EXPECT_EQ(
        factory->LoadStringTables(factory->GetApplicationStringsPath(), factory->GetFrameworkStringsPath(), 0x0409),
        KX::S_OK);
    EXPECT_EQ(Text(factory->GetApplicationStringTable(), "TITLE"), "Test Application");
    EXPECT_FALSE(factory->GetLastXMLErrorText().IsEmpty());
    EXPECT_EQ(factory->GetLastXMLErrorLine(), 2);

    ASSERT_EQ(factory->LoadSkins(factory->GetSkinsPath()), KX::S_OK);
    const ConstRCPtr<KX::LVisualPartDescriptor> part = factory->FindPart(WString(u"FrameTL"));
    ASSERT_TRUE(part);
    // Image paths are the folder and the lower-cased file name; the file is there.
    EXPECT_EQ(Narrow(part->GetImage().path), folder.str() + "/skin_frame.png");
    EXPECT_TRUE(std::filesystem::exists(kResources / "skin_frame.png"));

    EXPECT_THROW(factory->LoadSkins(WString((folder.str() + "/Missing.xml").c_str())), std::exception);
}

TEST(ControlFactory, CurrentSkinIndexStaysInsideTheSkinList)
{
    RCPtr<LControlFactory> factory(new LControlFactory(WString()));
    EXPECT_EQ(factory->SetCurrentSkinIndex(0), KX::E_INVALIDARG); // no skins yet
    ASSERT_EQ(factory->LoadSkins(WString(u"::APP_SKINS")), KX::S_OK);
    EXPECT_EQ(factory->GetCurrentSkinIndex(), 0);
    EXPECT_EQ(factory->SetCurrentSkinIndex(1), KX::S_OK);
    EXPECT_EQ(factory->FindControlDescriptor(WString(u"mainControl"))->GetChildren().GetCount(), 0u);
    EXPECT_EQ(factory->SetCurrentSkinIndex(-1), KX::E_INVALIDARG);
    EXPECT_EQ(factory->SetCurrentSkinIndex(2), KX::E_INVALIDARG);
    EXPECT_EQ(factory->GetCurrentSkinIndex(), 1);
    EXPECT_EQ(Narrow(factory->GetCurrentSkin()->GetSkin()->GetName()), "Skin2");

    // A second load appends its skins and starts again at the first.
    ASSERT_EQ(factory->LoadSkins(WString(u"::APP_SKINS")), KX::S_OK);
    EXPECT_EQ(factory->GetSkins().GetCount(), 4u);
    EXPECT_EQ(factory->GetCurrentSkinIndex(), 0);
}
