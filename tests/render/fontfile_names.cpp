// Reading family and subfamily names from TrueType files and collections.
#include "FontFileTestUtil.h"
#include "kx/TrueTypeNames.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

using namespace fonttest;

namespace {

using Name = std::tuple<std::string, std::string, int32_t>;

std::vector<Name> NamesOf(const Bytes& bytes)
{
    // A buffer of exactly the file's size, so that a read past its end is caught.
    std::vector<uint8_t> exact(bytes);
    KX::MemoryFontByteSource source(exact.data(), exact.size());
    std::vector<Name> names;
    const int32_t count =
        KX::ReadFontNames(source, [&](const KX::WString& family, const KX::WString& style, int32_t face) {
            names.emplace_back(family.ToNarrow().GetString(), style.ToNarrow().GetString(), face);
        });
    EXPECT_EQ(count, static_cast<int32_t>(names.size()));
    return names;
}

} // namespace

TEST(TrueTypeNames, RealFontGivesMacintoshAndWindowsPairs)
{
    const std::vector<Name> names = NamesOf(ReadBytes(DejaVu("DejaVuSans.ttf")));
    ASSERT_EQ(names.size(), 2u);
    EXPECT_EQ(names[0], Name("DejaVu Sans", "book", 0));
    EXPECT_EQ(names[1], Name("DejaVu Sans", "book", 0));
}

TEST(TrueTypeNames, CollectionReportsEveryFontWithItsIndex)
{
    const Bytes collection =
        MakeCollection({ReadBytes(DejaVu("DejaVuSans.ttf")), ReadBytes(DejaVu("DejaVuSerif-Bold.ttf")),
                        ReadBytes(DejaVu("DejaVuSansMono-Oblique.ttf"))});
    std::vector<Name> names = NamesOf(collection);
    ASSERT_EQ(names.size(), 6u);
    EXPECT_EQ(names[0], Name("DejaVu Sans", "book", 0));
    EXPECT_EQ(names[2], Name("DejaVu Serif", "bold", 1));
    EXPECT_EQ(names[4], Name("DejaVu Sans Mono", "oblique", 2));

    // A version-2 header carries three more fields after the offsets.
    const Bytes v2 = MakeCollection({MakeFamilyFont(u"One", u"Regular"), MakeFamilyFont(u"Two", u"Bold")}, 0x00020000);
    EXPECT_EQ(NamesOf(v2), (std::vector<Name>{{"One", "regular", 0}, {"Two", "bold", 1}}));
}

TEST(TrueTypeNames, OnlyEnglishFamilyAndSubfamilyRecordsCount)
{
    const Bytes font = MakeNameFont({
        {3, 0x0407, 1, u"Schrift"}, // German: passed over
        {3, 0x0407, 2, u"Fett"},
        {3, 0x0409, 4, u"Full Name"}, // not a family or subfamily
        {3, 0x0409, 1, u""},          // empty: passed over
        {3, 0x0409, 1, u"Schrift Sans"},
        {3, 0x0409, 2, u"Bold Italic"},
    });
    EXPECT_EQ(NamesOf(font), (std::vector<Name>{{"Schrift Sans", "bold italic", 0}}));

    // Macintosh names (language 0) are single-byte text.
    EXPECT_EQ(NamesOf(MakeNameFont({{1, 0, 1, u"Mac Family"}, {1, 0, 2, u"Italic"}, {1, 1, 1, u"French"}})),
              (std::vector<Name>{{"Mac Family", "italic", 0}}));
}

TEST(TrueTypeNames, PairsFormInRecordOrderWhicheverComesFirst)
{
    // The subfamily before the family still makes one pair; the first family of a pair wins.
    EXPECT_EQ(
        NamesOf(MakeNameFont(
            {{3, 0x0409, 2, u"Italic"}, {3, 0x0409, 1, u"First"}, {3, 0x0409, 1, u"Second"}, {3, 0x0409, 2, u"Bold"}})),
        (std::vector<Name>{{"First", "italic", 0}, {"Second", "bold", 0}}));
    // A family without a subfamily makes nothing.
    EXPECT_TRUE(NamesOf(MakeNameFont({{3, 0x0409, 1, u"Lonely"}})).empty());
}

TEST(TrueTypeNames, EveryTruncationIsReadSafely)
{
    const Bytes small = MakeCollection({MakeFamilyFont(u"Alpha", u"Regular"), MakeFamilyFont(u"Beta", u"Bold")});
    for (size_t n = 0; n <= small.size(); ++n) {
        const Bytes prefix(small.begin(), small.begin() + static_cast<std::ptrdiff_t>(n));
        const std::vector<Name> names = NamesOf(prefix);
        EXPECT_LE(names.size(), 2u);
        if (n == small.size()) {
            EXPECT_EQ(names.size(), 2u);
        }
    }
    EXPECT_TRUE(NamesOf(Bytes()).empty());
}

TEST(TrueTypeNames, CountsAndOffsetsBeyondTheFileAreNotFollowed)
{
    const Bytes good = MakeFamilyFont(u"Fine", u"Regular");
    const size_t nameTable = 12 + 16;

    Bytes manyTables = good; // the table count claims far more records than the file holds
    manyTables[4] = manyTables[5] = 0xFF;
    EXPECT_EQ(NamesOf(manyTables).size(), 1u);

    Bytes farTable = good; // the naming table lies beyond the end
    Set32(farTable, 12 + 8, 0xFFFFFFF0u);
    EXPECT_TRUE(NamesOf(farTable).empty());

    Bytes manyNames = good; // more name records than fit
    manyNames[nameTable + 2] = manyNames[nameTable + 3] = 0xFF;
    EXPECT_EQ(NamesOf(manyNames).size(), 1u);

    Bytes farStrings = good; // string storage beyond the end: every string is passed over
    farStrings[nameTable + 4] = farStrings[nameTable + 5] = 0xFF;
    EXPECT_TRUE(NamesOf(farStrings).empty());

    Bytes longString = good; // the first record's length runs past the end
    longString[nameTable + 6 + 8] = 0xFF;
    EXPECT_TRUE(NamesOf(longString).empty());

    Bytes collection = MakeCollection({good});
    Set32(collection, 8, 0xFFFFFFFFu); // absurd font count
    EXPECT_EQ(NamesOf(collection).size(), 1u);
    Set32(collection, 12, 0x7FFFFFFFu); // the font's offset beyond the end
    EXPECT_TRUE(NamesOf(collection).empty());
}

TEST(TrueTypeNames, DamagedBytesNeverReadOutside)
{
    // Every byte of a small collection set to a few telling values, one at a time.
    const Bytes base = MakeCollection({MakeFamilyFont(u"Alpha", u"Regular"), MakeFamilyFont(u"Beta", u"Bold")});
    for (size_t i = 0; i < base.size(); ++i) {
        for (uint8_t value : {uint8_t(0x00), uint8_t(0x7F), uint8_t(0x80), uint8_t(0xFF)}) {
            Bytes damaged = base;
            damaged[i] = value;
            // Under the address sanitizer a read outside the exact-size buffer fails the test.
            NamesOf(damaged);
        }
    }
}
