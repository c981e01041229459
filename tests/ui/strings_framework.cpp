// The framework's string document as shipped (UTF-16LE) and its UTF-8 source.
#include "StringDocs.h"
#include "kx/ui/StringTableReader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

// resources/strings/<name> of the source tree: the first folder above the test program that
// holds it (the program lives in build/<preset>/bin).
std::string ReadResource(const char* name)
{
    namespace fs = std::filesystem;
    fs::path path;
    for (fs::path dir = fs::read_symlink("/proc/self/exe").parent_path(); !dir.empty(); dir = dir.parent_path()) {
        if (fs::exists(dir / "resources" / "strings" / name)) {
            path = dir / "resources" / "strings" / name;
            break;
        }
        if (dir == dir.root_path())
            break;
    }
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(FrameworkStrings, ShippedDocumentHoldsTheThirtyFiveEnglishTexts)
{
    const std::string bytes = ReadResource("FrameworkStrings.xml");
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes.substr(0, 2), std::string("\xFF\xFE", 2));

    KX::StringTableSet tables;
    const KX::StringTablesLoadResult load =
        KX::LoadStringTableDocuments(tables, KX::StringDocument{}, KXTest::Doc(bytes), 0x0409);
    EXPECT_EQ(load.lastError.result, KX::S_OK) << load.lastError.errorText.ToNarrow().GetString();
    ASSERT_EQ(tables.GetTables().size(), 1u);
    KX::ConstRCPtr<KX::LStringTable> framework = tables.GetFrameworkTable();
    ASSERT_TRUE(framework);
    EXPECT_EQ(framework->GetCount(), 35u);

    const std::pair<const char*, const char*> spot[] = {
        {"UNDO_IN_PROGRESS", "Undo in progress..."},
        {"EXCEPTION_ID", "The application has encountered Error ID %d.  Please contact Tarvel Technical Support."},
        {"EDIT_DELETE", "Delete"},
        {"STARTUP_ERROR_CAPTION", "Error"},
        {"ERRORPNG_NOT_PNG", "[read_png_file] File %s is not recognized as a PNG file"},
        {"ERRORPNG_END_OF_WRITE", "[write_png_file] Error during end of write"},
        {"GL_ERROR_MESSAGE_GET_PROC_ADDRESS",
         "wglGetProcAddress(\\\"wglGetExtensionsStringARB\\\") failed with error %d: %s."},
        {"GL_ERROR_UPDATE_DRIVER", "Updating your video card driver, with the latest driver from the manufacturer "
                                   "of your video card, may solve this issue."},
        {"SECONDS_PLURAL", "Seconds"},
        {"REMAINING", "Remaining"},
    };
    for (const auto& [key, text] : spot)
        EXPECT_EQ(KXTest::Text(tables, "Framework", key), text) << key;
}

TEST(FrameworkStrings, TranslatedLocalesAreCompletedFromEnglish)
{
    const std::string bytes = ReadResource("FrameworkStrings.xml");
    const std::string german = KXTest::ToUtf16Document(
        "<R><StringTable ID=\"|App\"><String ID=\"A\"><Locale LCID=\"7\">a</Locale></String></StringTable></R>");
    KX::StringTableSet tables;
    const KX::StringTablesLoadResult load =
        KX::LoadStringTableDocuments(tables, KXTest::Doc(german), KXTest::Doc(bytes), 0x0407);
    EXPECT_EQ(load.frameworkLocale, 0x0007u);
    EXPECT_EQ(tables.GetFrameworkTable()->GetCount(), 35u);
    EXPECT_EQ(KXTest::Text(tables, "Framework", "EDIT_PASTE"), "Einf\xC3\xBCgen");
    EXPECT_EQ(KXTest::Text(tables, "Framework", "UNDO_IN_PROGRESS"), "Undo in progress...");
}

// The shipped file is generated from the UTF-8 source: both must give the same tables.
TEST(FrameworkStrings, Utf8SourceAndShippedDocumentAgree)
{
    const std::string shipped = ReadResource("FrameworkStrings.xml");
    const std::string source = ReadResource("FrameworkStrings.utf8.xml");
    ASSERT_FALSE(source.empty());
    for (uint32_t locale : {0x0009u, 0x000Au, 0x0007u, 0x0011u, 0x000Cu, 0x0010u, 0x0012u, 0x7C04u, 0x0004u}) {
        KX::StringTableSet a;
        KX::StringTableSet b;
        const KX::StringTableParseResult ra = KX::StringTableReader(a).Parse(shipped.data(), shipped.size(), locale);
        const KX::StringTableParseResult rb = KX::StringTableReader(b).Parse(source.data(), source.size(), locale);
        EXPECT_EQ(ra.result, KX::S_OK);
        EXPECT_EQ(rb.result, KX::S_OK);
        EXPECT_EQ(ra.matchedLocales, rb.matchedLocales) << locale;
        EXPECT_TRUE(a.GetTables() == b.GetTables()) << locale;
        if (locale != 0x0009u) {
            EXPECT_EQ(ra.matchedLocales, 11u) << locale;
        }
    }
}

} // namespace
