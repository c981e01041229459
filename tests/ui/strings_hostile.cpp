// String documents as hostile input: every malformed or abusive document ends in an error
// result with expat's text, never a crash, a hang or unbounded memory.
#include "StringDocs.h"
#include "kx/ui/StringTableReader.h"

#include <gtest/gtest.h>

#include <string>

namespace {

KX::StringTableParseResult ParseBytes(const std::string& bytes, KX::StringTableSet& tables)
{
    return KX::StringTableReader(tables).Parse(bytes.data(), bytes.size(), 9);
}

TEST(StringTableHostile, EmptyTruncatedAndOddLengthDocuments)
{
    KX::StringTableSet tables;
    KX::StringTableParseResult result = KX::StringTableReader(tables).Parse(nullptr, 0, 9);
    EXPECT_EQ(result.result, KX::E_FAIL);
    EXPECT_STREQ(result.errorText.ToNarrow().GetString(), "no element found");

    const std::string whole = KXTest::ToUtf16Document(
        "<R><StringTable ID=\"T\"><String ID=\"a\"><Locale LCID=\"9\">text</Locale></String></StringTable></R>");
    for (size_t cut : {size_t(1), size_t(2), size_t(3), whole.size() / 2, whole.size() - 1}) {
        KX::StringTableSet partial;
        result = ParseBytes(whole.substr(0, cut), partial);
        EXPECT_EQ(result.result, KX::E_FAIL) << cut;
        EXPECT_FALSE(result.errorText.IsEmpty()) << cut;
    }
}

TEST(StringTableHostile, DeepNestingAndUnknownElements)
{
    std::string doc = "<R><StringTable ID=\"T\"><String ID=\"a\"><Locale LCID=\"9\">";
    for (int i = 0; i < 200000; ++i)
        doc += "<x>";
    KX::StringTableSet tables;
    const KX::StringTableParseResult result = ParseBytes(doc, tables);
    EXPECT_EQ(result.result, KX::E_FAIL);
    EXPECT_STREQ(result.errorText.ToNarrow().GetString(), "no element found");
    EXPECT_EQ(KXTest::Text(tables, "T", "a"), "");
}

TEST(StringTableHostile, HugeAttributeValuesAreReadOnce)
{
    const std::string big(8 << 20, 'k');
    const std::string doc = "<R><StringTable ID=\"T\"><String ID=\"" + big + "\"><Locale LCID=\"" + big +
                            "9\">v</Locale></String></StringTable></R>";
    KX::StringTableSet tables;
    const KX::StringTableParseResult result = ParseBytes(doc, tables);
    EXPECT_EQ(result.result, KX::S_OK);
    EXPECT_EQ(result.matchedLocales, 0u); // "kkk...9" has no leading number: locale 0
}

// Each Locale of one key appends to its text: 200000 of them must not copy the growing text
// each time.
TEST(StringTableHostile, ManyPiecesOfOneTextAreJoinedOnce)
{
    std::string doc = "<R><StringTable ID=\"T\"><String ID=\"a\">";
    for (int i = 0; i < 200000; ++i)
        doc += "<Locale LCID=\"9\">x&amp;</Locale>";
    doc += "</String></StringTable></R>";
    KX::StringTableSet tables;
    const KX::StringTableParseResult result = ParseBytes(doc, tables);
    EXPECT_EQ(result.result, KX::S_OK);
    EXPECT_EQ(result.matchedLocales, 200000u);
    EXPECT_EQ(tables.Find(KX::WString(u"T"))->begin()->second.GetLength(), 400000u);
}

TEST(StringTableHostile, EntityExpansionIsBounded)
{
    std::string doc = "<?xml version=\"1.0\"?><!DOCTYPE R [<!ENTITY a \"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa\">";
    char previous = 'a';
    for (char name = 'b'; name <= 'k'; ++name) {
        doc += std::string("<!ENTITY ") + name + " \"";
        for (int i = 0; i < 10; ++i)
            doc += std::string("&") + previous + ";";
        doc += "\">";
        previous = name;
    }
    doc += "]><R><StringTable ID=\"T\"><String ID=\"a\"><Locale LCID=\"9\">&k;</Locale></String></StringTable></R>";
    KX::StringTableSet tables;
    const KX::StringTableParseResult result = ParseBytes(doc, tables);
    EXPECT_EQ(result.result, KX::E_FAIL);
    EXPECT_FALSE(result.errorText.IsEmpty());
}

TEST(StringTableHostile, ExternalEntitiesAreNotFetched)
{
    const std::string doc =
        "<?xml version=\"1.0\"?><!DOCTYPE R [<!ENTITY x SYSTEM \"/etc/passwd\">]>"
        "<R><StringTable ID=\"T\"><String ID=\"a\"><Locale LCID=\"9\">[&x;]</Locale></String></StringTable></R>";
    KX::StringTableSet tables;
    ParseBytes(doc, tables);
    EXPECT_EQ(KXTest::Text(tables, "T", "a"), "[]");
}

TEST(StringTableHostile, Utf8DocumentsAndBadEncodings)
{
    KX::StringTableSet tables;
    const std::string utf8 = "\xEF\xBB\xBF<R><StringTable ID=\"T\"><String ID=\"a\"><Locale LCID=\"9\">"
                             "\xC3\xA4</Locale></String></StringTable></R>";
    EXPECT_EQ(ParseBytes(utf8, tables).result, KX::S_OK);
    EXPECT_EQ(KXTest::Text(tables, "T", "a"), "\xC3\xA4");

    KX::StringTableSet bad;
    const std::string invalid = "<R><StringTable ID=\"T\"><String ID=\"a\"><Locale LCID=\"9\">\xC3(</Locale></String>"
                                "</StringTable></R>";
    const KX::StringTableParseResult result = ParseBytes(invalid, bad);
    EXPECT_EQ(result.result, KX::E_FAIL);
    EXPECT_STREQ(result.errorText.ToNarrow().GetString(), "not well-formed (invalid token)");
}

} // namespace
