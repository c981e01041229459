// Locale passes over the application and framework string documents.
#include "StringDocs.h"
#include "kx/ui/StringTableReader.h"

#include <gtest/gtest.h>

using KXTest::Doc;
using KXTest::Text;
using KXTest::ToUtf16Document;

namespace {

// Shaped like the shipped application document: English everywhere, one Estonian text, one
// string without any text.
const std::string kApplication = ToUtf16Document(
    "<?xml version=\"1.0\" encoding=\"UTF-16\" standalone=\"yes\"?>\n"
    "<Tarvel_StringTable_Definitions>\n"
    " <Application Name=\"PresetEditor\">\n"
    "  <StringTable ID=\"|PresetEditor\">\n"
    "   <String ID=\"TITLE\"><Locale LCID=\"0x0009\">Lumo Editor</Locale></String>\n"
    "   <String ID=\"SAVE\"><Locale LCID=\"0x0009\">Save</Locale><Locale LCID=\"0x0025\">Salvesta</Locale></String>\n"
    "   <String ID=\"EMPTY\"/>\n"
    "  </StringTable>\n"
    "  <StringTable ID=\"PresetEditor|mainControl\">\n"
    "   <String ID=\"LABEL\"><Locale LCID=\"0x0009\">Main</Locale></String>\n"
    "  </StringTable>\n"
    " </Application>\n"
    "</Tarvel_StringTable_Definitions>\n");

const std::string kFramework = ToUtf16Document(
    "<?xml version=\"1.0\" encoding=\"UTF-16\" standalone=\"yes\"?>\n"
    "<Tarvel_StringTable_Definitions><StringTable ID=\"Framework\">\n"
    " <String ID=\"EDIT_CUT\"><Locale LCID=\"0x0009\">Cut</Locale><Locale LCID=\"0x0007\">Ausschneiden</Locale>"
    "<Locale LCID=\"0x7c04\">\xE5\x89\xAA\xE4\xB8\x8B</Locale></String>\n"
    " <String ID=\"EDIT_COPY\"><Locale LCID=\"0x0009\">Copy</Locale><Locale "
    "LCID=\"0x0007\">Kopieren</Locale></String>\n"
    " <String ID=\"REMAINING\"><Locale LCID=\"0x0009\">Remaining</Locale></String>\n"
    "</StringTable></Tarvel_StringTable_Definitions>\n");

struct Loaded {
    KX::StringTableSet tables;
    KX::StringTablesLoadResult result;
};

void Load(Loaded& loaded, const std::string& application, uint32_t localeId)
{
    loaded.result = KX::LoadStringTableDocuments(loaded.tables, Doc(application), Doc(kFramework), localeId);
}

TEST(StringLocalePasses, FallbackIds)
{
    EXPECT_EQ(KX::StringTableFallbackLocale(0x0404), 0x7C04u);
    EXPECT_EQ(KX::StringTableFallbackLocale(0x0C04), 0x7C04u);
    EXPECT_EQ(KX::StringTableFallbackLocale(0x1404), 0x7C04u);
    EXPECT_EQ(KX::StringTableFallbackLocale(0x0804), 0x0004u);
    EXPECT_EQ(KX::StringTableFallbackLocale(0x0407), 0x0007u);
}

// The application document has no Chinese or German text, so it ends in English and the
// framework document is read in English too, although it has those texts.
TEST(StringLocalePasses, UntranslatedApplicationTakesTheFrameworkToEnglish)
{
    for (uint32_t locale : {0x0C04u, 0x0407u}) {
        Loaded loaded;
        Load(loaded, kApplication, locale);
        EXPECT_EQ(loaded.result.applicationLocale, 0x0009u) << locale;
        EXPECT_EQ(loaded.result.frameworkLocale, 0x0009u) << locale;
        EXPECT_EQ(Text(loaded.tables, "Framework", "EDIT_CUT"), "Cut") << locale;
        EXPECT_EQ(Text(loaded.tables, "|PresetEditor", "TITLE"), "Lumo Editor") << locale;
        EXPECT_EQ(loaded.tables.GetApplicationName().ToNarrow().GetString(), std::string("PresetEditor"));
    }
}

// 0x0425 finds the one Estonian text in the second pass. The keys without an Estonian text used
// to be absent; they now carry their English texts, and the translated one stays Estonian only.
TEST(StringLocalePasses, OneTranslatedStringKeepsEveryOtherStringInEnglish)
{
    Loaded loaded;
    Load(loaded, kApplication, 0x0425);
    EXPECT_EQ(loaded.result.applicationLocale, 0x0025u);
    EXPECT_EQ(Text(loaded.tables, "|PresetEditor", "SAVE"), "Salvesta");
    EXPECT_EQ(Text(loaded.tables, "|PresetEditor", "TITLE"), "Lumo Editor");
    EXPECT_EQ(Text(loaded.tables, "PresetEditor|mainControl", "LABEL"), "Main");
    EXPECT_EQ(Text(loaded.tables, "|PresetEditor", "EMPTY"), "<absent>");
    EXPECT_EQ(loaded.result.frameworkLocale, 0x0009u);
    EXPECT_EQ(Text(loaded.tables, "Framework", "EDIT_COPY"), "Copy");
}

TEST(StringLocalePasses, FrameworkDocumentInTheApplicationsLocaleIsFilledFromEnglish)
{
    const std::string german = ToUtf16Document(
        "<R><Application Name=\"App\"><StringTable ID=\"|App\">"
        "<String ID=\"A\"><Locale LCID=\"0x0009\">Open</Locale><Locale LCID=\"0x0007\">Offnen</Locale></String>"
        "<String ID=\"B\"><Locale LCID=\"0x0009\">Close</Locale></String>"
        "</StringTable></Application></R>");
    Loaded loaded;
    Load(loaded, german, 0x0407);
    EXPECT_EQ(loaded.result.applicationLocale, 0x0007u);
    EXPECT_EQ(loaded.result.frameworkLocale, 0x0007u);
    EXPECT_EQ(Text(loaded.tables, "|App", "A"), "Offnen");
    EXPECT_EQ(Text(loaded.tables, "|App", "B"), "Close");
    EXPECT_EQ(Text(loaded.tables, "Framework", "EDIT_CUT"), "Ausschneiden");
    EXPECT_EQ(Text(loaded.tables, "Framework", "REMAINING"), "Remaining");
}

TEST(StringLocalePasses, TraditionalChineseUserReachesTheFrameworksChineseText)
{
    const std::string chinese = ToUtf16Document(
        "<R><StringTable ID=\"|App\"><String ID=\"A\"><Locale LCID=\"0x7C04\">x</Locale></String></StringTable></R>");
    Loaded loaded;
    Load(loaded, chinese, 0x0C04);
    EXPECT_EQ(loaded.result.applicationLocale, 0x7C04u);
    EXPECT_EQ(Text(loaded.tables, "Framework", "EDIT_CUT"), "\xE5\x89\xAA\xE4\xB8\x8B");
    EXPECT_EQ(Text(loaded.tables, "Framework", "EDIT_COPY"), "Copy");
}

// A missing application document matches nothing in any pass, so it ends in English.
TEST(StringLocalePasses, MissingDocumentsAreSkipped)
{
    KX::StringTableSet tables;
    KX::StringTablesLoadResult result =
        KX::LoadStringTableDocuments(tables, KX::StringDocument{}, Doc(kFramework), 0x0407);
    EXPECT_EQ(result.applicationLocale, 0x0009u);
    EXPECT_EQ(result.frameworkLocale, 0x0009u);
    EXPECT_EQ(Text(tables, "Framework", "EDIT_CUT"), "Cut");

    KX::StringTableSet none;
    result = KX::LoadStringTableDocuments(none, KX::StringDocument{}, KX::StringDocument{}, 0x0407);
    EXPECT_EQ(result.lastError.result, KX::S_OK);
    EXPECT_TRUE(none.GetTables().empty());
}

// LCID forms: "0x" with up to four hex digits, else decimal; "0X" is not a hex prefix.
TEST(StringTableReader, LocaleNumberForms)
{
    const std::string doc = "<R><StringTable ID=\"T\">"
                            "<String ID=\"dec\"><Locale LCID=\"9\">d</Locale></String>"
                            "<String ID=\"short\"><Locale LCID=\"0x9\">s</Locale></String>"
                            "<String ID=\"long\"><Locale LCID=\"0x0009\">l</Locale></String>"
                            "<String ID=\"fifth\"><Locale LCID=\"0x00091\">f</Locale></String>"
                            "<String ID=\"upper\"><Locale LCID=\"0X9\">u</Locale></String>"
                            "<String ID=\"blank\"><Locale LCID=\" +9z\">b</Locale></String>"
                            "<String ID=\"none\"><Locale>n</Locale></String>"
                            "</StringTable></R>";
    KX::StringTableSet tables;
    const KX::StringTableParseResult result = KX::StringTableReader(tables).Parse(doc.data(), doc.size(), 9);
    EXPECT_EQ(result.result, KX::S_OK);
    EXPECT_EQ(result.matchedLocales, 5u);
    EXPECT_EQ(Text(tables, "T", "dec"), "d");
    EXPECT_EQ(Text(tables, "T", "short"), "s");
    EXPECT_EQ(Text(tables, "T", "long"), "l");
    EXPECT_EQ(Text(tables, "T", "fifth"), "f");
    EXPECT_EQ(Text(tables, "T", "upper"), "<absent>");
    EXPECT_EQ(Text(tables, "T", "blank"), "b");
    EXPECT_EQ(Text(tables, "T", "none"), "<absent>");
}

TEST(StringTableReader, TextCollection)
{
    const std::string doc =
        "<StringTable ID=\"root is skipped\">\n"
        "<StringTable ID=\"T\">"
        "<String ID=\"joined\"><Locale LCID=\"9\">one</Locale><Locale LCID=\"9\">+two</Locale></String>"
        "<String ID=\"entities\"><Locale LCID=\"9\">a &amp; b &#x4E2D; &lt;c&gt;\n d</Locale></String>"
        "<String ID=\"child\"><Locale LCID=\"9\">before<b>in</b>after</Locale></String>"
        "<String><Locale LCID=\"9\">!</Locale></String>"
        "<String ID=\"\"><Locale LCID=\"9\">empty key</Locale></String>"
        "</StringTable>"
        "<StringTable><String ID=\"k\"><Locale LCID=\"9\">no id</Locale></String></StringTable>"
        "</StringTable>";
    KX::StringTableSet tables;
    EXPECT_EQ(KX::StringTableReader(tables).Parse(doc.data(), doc.size(), 9).result, KX::S_OK);
    EXPECT_EQ(tables.Find(KX::WString(u"root is skipped")), nullptr);
    EXPECT_EQ(Text(tables, "T", "joined"), "one+two");
    EXPECT_EQ(Text(tables, "T", "entities"), "a & b \xE4\xB8\xAD <c>\n d");
    EXPECT_EQ(Text(tables, "T", "child"), "beforein!"); // a String without ID keeps the previous key
    EXPECT_EQ(Text(tables, "T", ""), "empty key");
    EXPECT_EQ(Text(tables, "", "k"), "no id");
}

// A table written twice is one table; a key written twice collects both texts; a pass that
// matches nothing still leaves its tables, empty; an Application without Name names nothing.
TEST(StringTableReader, RepeatedTablesAndKeysJoin)
{
    const std::string doc =
        "<R><Application Name=\"First\"/><Application>"
        "<StringTable ID=\"T\"><String ID=\"k\"><Locale LCID=\"9\">one</Locale></String></StringTable>"
        "<StringTable ID=\"U\"><String ID=\"k\"><Locale LCID=\"7\">other</Locale></String></StringTable>"
        "<StringTable ID=\"T\"><String ID=\"k\"><Locale LCID=\"9\">+two</Locale></String></StringTable>"
        "</Application></R>";
    KX::StringTableSet tables;
    EXPECT_EQ(KX::StringTableReader(tables).Parse(doc.data(), doc.size(), 9).matchedLocales, 2u);
    EXPECT_EQ(Text(tables, "T", "k"), "one+two");
    ASSERT_NE(tables.Find(KX::WString(u"U")), nullptr);
    EXPECT_TRUE(tables.Find(KX::WString(u"U"))->empty());
    EXPECT_TRUE(tables.GetApplicationName().IsEmpty());
}

TEST(StringTableReader, XmlErrorKeepsWhatWasReadAndReportsExpatsTextAndLine)
{
    const std::string doc =
        ToUtf16Document("<R>\n<StringTable ID=\"T\">\n<String ID=\"a\"><Locale LCID=\"9\">kept</Locale></String>\n"
                        "<String ID=\"b\"><Locale LCID=\"9\">partial</Wrong>\n</StringTable></R>");
    KX::StringTableSet tables;
    const KX::StringTableParseResult result = KX::StringTableReader(tables).Parse(doc.data(), doc.size(), 9);
    EXPECT_EQ(result.result, KX::E_FAIL);
    EXPECT_STREQ(result.errorText.ToNarrow().GetString(), "mismatched tag");
    EXPECT_EQ(result.errorLine, 4);
    EXPECT_EQ(Text(tables, "T", "a"), "kept");
    EXPECT_EQ(Text(tables, "T", "b"), "partial");

    // The load goes on past a broken document and keeps its error.
    KX::StringTableSet more;
    const KX::StringTablesLoadResult load = KX::LoadStringTableDocuments(more, Doc(doc), Doc(kFramework), 0x0409);
    EXPECT_EQ(load.lastError.result, KX::E_FAIL);
    EXPECT_EQ(load.lastError.errorLine, 4);
    EXPECT_EQ(Text(more, "Framework", "EDIT_CUT"), "Cut");
}

} // namespace
