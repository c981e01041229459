// Embedded resources: names from "::" paths, the tables compiled in at build time, lookups
// and resources added at run time.
#include "kx/Resources.h"

#include "TestImages.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

using KX::FindEmbeddedResource;
using KX::WString;

namespace {

std::string Text(std::span<const uint8_t> bytes)
{
    return std::string(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

bool IsPng(std::span<const uint8_t> bytes)
{
    static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    return bytes.size() > 8 && std::memcmp(bytes.data(), kSignature, 8) == 0;
}

} // namespace

TEST(ResourceNames, PathsGiveUpperCaseNamesWithUnderscores)
{
    EXPECT_EQ(KX::ResourceNameFromPath(u"::App Skins.xml"), WString(u"APP_SKINS_XML"));
    EXPECT_EQ(KX::ResourceNameFromPath(u"::ce.png"), WString(u"CE_PNG"));
    EXPECT_EQ(KX::ResourceNameFromPath(u"::my knob.v2.png"), WString(u"MY_KNOB_V2_PNG"));
    EXPECT_EQ(KX::ResourceNameFromPath(u"::Images\\Knob Small.png"), WString(u"IMAGES\\KNOB_SMALL_PNG"));
    EXPECT_EQ(KX::ResourceNameFromPath(u"APP_SKINS"), WString(u"APP_SKINS"));
    EXPECT_EQ(KX::ResourceNameFromPath(u"::"), WString(u""));

    EXPECT_TRUE(KX::IsResourcePath(u"::x"));
    EXPECT_TRUE(KX::IsResourcePath(u"::"));
    EXPECT_FALSE(KX::IsResourcePath(u":x"));
    EXPECT_FALSE(KX::IsResourcePath(u""));
    EXPECT_FALSE(KX::IsResourcePath(u"C::x"));
}

TEST(EmbeddedResources, BuildStepCompilesFilesUnderTheirNames)
{
    std::span<const uint8_t> bytes;
    ASSERT_TRUE(FindEmbeddedResource(u"GDIPLUS", u"SOLID_2X3_PNG", bytes));
    EXPECT_TRUE(IsPng(bytes));
    ASSERT_TRUE(FindEmbeddedResource(u"GDIPLUS", u"IMAGES/KNOB_SMALL_PNG", bytes));
    EXPECT_TRUE(IsPng(bytes));
    const size_t knobSize = bytes.size();
    ASSERT_TRUE(FindEmbeddedResource(u"GDIPLUS", u"TRUNCATED_PNG", bytes));
    EXPECT_EQ(bytes.size(), knobSize / 2);

    // Documents: a folder (names relative to it) and one named explicitly.
    ASSERT_TRUE(FindEmbeddedResource(u"KXXML", u"STRINGS_XML", bytes));
    EXPECT_EQ(Text(bytes), "<Application/>\n");
    ASSERT_TRUE(FindEmbeddedResource(u"KXXML", u"NESTED_FOLDER/EXTRA_DOC_XML", bytes));
    EXPECT_EQ(Text(bytes), "<Skins/>\n");
    ASSERT_TRUE(FindEmbeddedResource(u"KXXML", u"APP_TEST_DOC", bytes));
    EXPECT_EQ(Text(bytes), kxtest::kTestDocText);
}

TEST(EmbeddedResources, LookupIgnoresLetterCaseAndSeparatorKind)
{
    std::span<const uint8_t> exact, other;
    ASSERT_TRUE(FindEmbeddedResource(u"GDIPLUS", u"IMAGES/KNOB_SMALL_PNG", exact));
    ASSERT_TRUE(FindEmbeddedResource(u"gdiplus", u"images\\knob_small_png", other));
    EXPECT_EQ(other.data(), exact.data());
    EXPECT_EQ(other.size(), exact.size());
    ASSERT_TRUE(FindEmbeddedResource(u"KXXML", u"nested_folder\\Extra_Doc_Xml", other));
}

TEST(EmbeddedResources, MissingOrOtherTypeFindsNothing)
{
    std::span<const uint8_t> bytes = std::span<const uint8_t>(reinterpret_cast<const uint8_t*>("x"), 1);
    EXPECT_FALSE(FindEmbeddedResource(u"GDIPLUS", u"NO_SUCH_PNG", bytes));
    EXPECT_EQ(bytes.data(), nullptr);
    EXPECT_EQ(bytes.size(), 0u);
    EXPECT_FALSE(FindEmbeddedResource(u"KXXML", u"SOLID_2X3_PNG", bytes)); // the name exists as GDIPLUS only
    EXPECT_FALSE(FindEmbeddedResource(u"GDIPLUS", u"", bytes));
    EXPECT_FALSE(FindEmbeddedResource(u"", u"SOLID_2X3_PNG", bytes));
    // The name of a file as written, not as the build step derives it.
    EXPECT_FALSE(FindEmbeddedResource(u"GDIPLUS", u"Solid 2x3.png", bytes));
}

TEST(ScopedResources, LiveAsLongAsTheirOwnerAndKeepACopy)
{
    std::vector<uint8_t> source = {1, 2, 3};
    std::span<const uint8_t> bytes;
    {
        KX::ScopedResource added(u"KXXML", u"RUNTIME_DOC", source);
        source[0] = 99;
        ASSERT_TRUE(FindEmbeddedResource(u"KXXML", u"runtime_doc", bytes));
        EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.end()), (std::vector<uint8_t>{1, 2, 3}));

        {
            // A newer resource of the same name hides the older one while it lives.
            const uint8_t newer[] = {7};
            KX::ScopedResource shadow(u"KXXML", u"RUNTIME_DOC", newer);
            ASSERT_TRUE(FindEmbeddedResource(u"KXXML", u"RUNTIME_DOC", bytes));
            EXPECT_EQ(bytes.size(), 1u);
            EXPECT_EQ(bytes[0], 7);
        }
        ASSERT_TRUE(FindEmbeddedResource(u"KXXML", u"RUNTIME_DOC", bytes));
        EXPECT_EQ(bytes.size(), 3u);
    }
    EXPECT_FALSE(FindEmbeddedResource(u"KXXML", u"RUNTIME_DOC", bytes));

    // An empty resource exists, with no bytes.
    KX::ScopedResource empty(u"KXXML", u"EMPTY_DOC", {});
    EXPECT_TRUE(FindEmbeddedResource(u"KXXML", u"EMPTY_DOC", bytes));
    EXPECT_EQ(bytes.size(), 0u);
}

TEST(ScopedResources, RegisteredTablesSkipBrokenEntries)
{
    static const uint8_t kData[] = {5, 6};
    static const KX::EmbeddedResource kTable[] = {
        {nullptr, "NO_TYPE", kData, 2},
        {"KXXML", nullptr, kData, 2},
        {"KXXML", "NULL_DATA", nullptr, 2},
        {"KXXML", "TABLE_DOC", kData, 2},
    };
    KX::RegisterResourceTable(kTable, 4);
    std::span<const uint8_t> bytes;
    EXPECT_FALSE(FindEmbeddedResource(u"KXXML", u"NULL_DATA", bytes));
    ASSERT_TRUE(FindEmbeddedResource(u"KXXML", u"TABLE_DOC", bytes));
    EXPECT_EQ(bytes.data(), kData);
}
