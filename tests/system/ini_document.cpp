// The settings document: parsing, error reports, edits in place and the text written back.
#include "inifile/IniDocument.h"
#include "inifile/IniFileIo.h"
#include "platform/posix/AtomicWrite.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace KX::Ini;

namespace {

IniDocument MustParse(std::string_view text)
{
    ParseError error;
    auto doc = IniDocument::Parse(text, &error);
    EXPECT_TRUE(doc.has_value()) << "line " << error.line << ": " << error.message;
    return doc ? std::move(*doc) : IniDocument{};
}

const NodePath kTop;

TEST(IniDocument, UntouchedTextIsWrittenBackAsRead)
{
    const std::string text = "; comment\n"
                             "top=1\n"
                             "\n"
                             "  [ Window / Placement ]  \n"
                             "\tLeft =  10  \n"
                             "a stray line without equals\n"
                             "list[] = one\n"
                             "LIST [] = two\n"
                             "# trailing comment\n";
    EXPECT_EQ(MustParse(text).Serialize(), text);

    // The file's line end is kept; a missing last line end is added.
    EXPECT_EQ(MustParse("a=1\r\nb=2").Serialize(), "a=1\r\nb=2\r\n");
    EXPECT_EQ(MustParse("a=1\rb=2\r").Serialize(), "a=1\rb=2\r");
    EXPECT_EQ(MustParse("\xEF\xBB\xBF").Serialize(), "\xEF\xBB\xBF");
    EXPECT_EQ(MustParse("").Serialize(), "");
}

TEST(IniDocument, ReadsKeysArraysAndSectionsCaseInsensitively)
{
    const auto doc = MustParse("top = 1\n"
                               "[Window/Placement]\n"
                               "Left = 10\n"
                               "list[] = one\n"
                               "[other]\n"
                               "x = y\n"
                               "[window\\placement]\n"
                               "list[]=two\n"
                               "Quoted = \"  a \\\"b\\\" \\x01\"   \n");
    const NodePath placement{"WINDOW", "placement"};
    ASSERT_NE(doc.FindValue(kTop, "TOP"), nullptr);
    EXPECT_EQ(*doc.FindValue(kTop, "top"), "1");
    EXPECT_EQ(*doc.FindValue(placement, "left"), "10");
    EXPECT_EQ(*doc.FindValue(placement, "quoted"), "  a \"b\" \x01");
    EXPECT_EQ(doc.FindValue(placement, "x"), nullptr);
    EXPECT_EQ(doc.KeyCount(placement), 2u) << "a node may be spread over several sections";
    EXPECT_EQ(*doc.KeyNameAt(placement, 1), "Quoted");
    ASSERT_EQ(doc.ArrayCount(placement, "LIST"), 2u);
    EXPECT_EQ(*doc.ArrayItemAt(placement, "list", 0), "one");
    EXPECT_EQ(*doc.ArrayItemAt(placement, "list", 1), "two");
    EXPECT_TRUE(doc.NodeExists({"window"}));
    EXPECT_FALSE(doc.NodeExists({"placement"}));
}

TEST(IniDocument, DamageIsReadLenientlyAndReportedWithTheLine)
{
    struct Case {
        std::string text;
        std::size_t line;
        const char* message;
        const char* key; // a key of the top node or of [a] that still reads
        const char* expected;
    };
    const std::vector<Case> cases = {
        {"a=1\n[open\nk=2\n", 2, "unterminated section header", "a", "1"},
        {"a=1\n[]\n", 2, "invalid section name", "a", "1"},
        {"[a//b]\nk=1\n[a]\nk=2\n", 1, "invalid section name", "a/k", "2"},
        {"[a]\nk=1\n[b]\nk=1\n[A]\nK=2\n", 6, "key given twice", "a/k", "2"},
        {"x\r\n\r\n=1\r\nk=3\r\n", 3, "invalid key name", "k", "3"},
        {"k[x]=1\nk=2\n", 1, "invalid key name", "k", "2"},
        {"k=\"open\nj=1\n", 1, "broken quoted value", "j", "1"},
        {"k=\"a\" tail\n", 1, "broken quoted value", nullptr, nullptr},
        {"k=\"\\x00\"\n", 1, "broken quoted value", nullptr, nullptr},
        {"a=1\nb=\xC0\x80\n", 2, "text is not valid UTF-8", "b", "\xEF\xBF\xBD\xEF\xBF\xBD"},
        {"a=1\nb=\xED\xA0\x80\n", 2, "text is not valid UTF-8", "a", "1"},
        {std::string("a=1\rb=x\0y\n", 10), 2, "NUL byte in text", "b", "x\xEF\xBF\xBDy"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        std::vector<ParseError> repairs;
        auto doc = IniDocument::Parse(c.text, nullptr, &repairs);
        ASSERT_TRUE(doc.has_value());
        ASSERT_FALSE(repairs.empty());
        EXPECT_EQ(repairs.front().line, c.line);
        EXPECT_EQ(repairs.front().message, c.message);
        if (c.key) {
            const std::string_view key(c.key);
            const auto slash = key.find('/');
            const NodePath node =
                slash == std::string_view::npos ? NodePath{} : NodePath{std::string(key.substr(0, slash))};
            const std::string name(slash == std::string_view::npos ? key : key.substr(slash + 1));
            const std::string* value = doc->FindValue(node, name);
            ASSERT_NE(value, nullptr);
            EXPECT_EQ(*value, c.expected);
        }
        // What was written back parses to the same text again, and stays writable.
        const std::string text = doc->Serialize();
        auto again = IniDocument::Parse(text);
        ASSERT_TRUE(again.has_value());
        EXPECT_EQ(again->Serialize(), text);
        EXPECT_TRUE(again->SetValue({}, "after", "ok"));
        auto edited = IniDocument::Parse(again->Serialize());
        ASSERT_TRUE(edited.has_value());
        ASSERT_NE(edited->FindValue({}, "after"), nullptr);
    }
    // The lines under a bad header are nobody's: nothing is read or added there.
    auto doc = IniDocument::Parse("[ok]\nk=1\n[bad\nk=2\n");
    ASSERT_TRUE(doc.has_value());
    EXPECT_EQ(*doc->FindValue({"ok"}, "k"), "1");
    EXPECT_EQ(doc->KeyCount({}), 0u);
    EXPECT_TRUE(doc->SetValue({}, "top", "t"));
    EXPECT_TRUE(doc->SetValue({"ok"}, "j", "2"));
    EXPECT_EQ(doc->Serialize(), "top = t\n[ok]\nk=1\nj = 2\n[bad\nk=2\n");

    ParseError error;
    EXPECT_FALSE(IniDocument::Parse(std::string(kMaxFileSize + 1, 'a'), &error).has_value());
    EXPECT_EQ(error.message, "file too large");
}

TEST(IniDocument, ChangesKeepTheLinesStyleAndNewLinesGoWhereTheyBelong)
{
    auto doc = MustParse("; head\n"
                         "\n"
                         "[A]\n"
                         "tight=1\n"
                         "spaced  =  2   \n"
                         "empty =\n"
                         "; about A\n"
                         "\n"
                         "[B]\n"
                         "b = 1");
    EXPECT_TRUE(doc.SetValue({"a"}, "TIGHT", "10"));
    EXPECT_TRUE(doc.SetValue({"A"}, "spaced", "20"));
    EXPECT_TRUE(doc.SetValue({"A"}, "empty", "now set"));
    EXPECT_FALSE(doc.SetValue({"A"}, "empty", "now set")) << "equal value, no change";
    EXPECT_TRUE(doc.SetValue({"A"}, "added", " padded"));
    EXPECT_TRUE(doc.SetValue(kTop, "top", "t"));
    EXPECT_TRUE(doc.SetValue({"C", "D"}, "new", ""));
    EXPECT_TRUE(doc.SetValue({"c", "d"}, "next", "n"));
    EXPECT_EQ(doc.Serialize(), "; head\n"
                               "top = t\n"
                               "\n"
                               "[A]\n"
                               "tight=10\n"
                               "spaced  =  20\n"
                               "empty = now set\n"
                               "; about A\n"
                               "added = \" padded\"\n"
                               "\n"
                               "[B]\n"
                               "b = 1\n"
                               "\n"
                               "[C/D]\n"
                               "new =\n"
                               "next = n\n");
    EXPECT_TRUE(doc.SetValue({"A"}, "spaced", ""));
    EXPECT_NE(doc.Serialize().find("\nspaced  =\n"), std::string::npos);
}

TEST(IniDocument, ArrayItemsStayTogetherAndShrinkFromTheEnd)
{
    auto doc = MustParse("[N]\n"
                         "list[] = a\n"
                         "key = k\n"
                         "list[] = b\n"
                         "[M]\n"
                         "[n]\n"
                         "list[] = c\n"
                         "other = o\n");
    const NodePath n{"N"};
    EXPECT_TRUE(doc.SetArrayCount(n, "list", 5));
    EXPECT_FALSE(doc.SetArrayCount(n, "list", 5));
    EXPECT_TRUE(doc.SetArrayItemAt(n, "list", 4, "e"));
    EXPECT_FALSE(doc.SetArrayItemAt(n, "list", 5, "f"));
    EXPECT_EQ(doc.Serialize(), "[N]\n"
                               "list[] = a\n"
                               "key = k\n"
                               "list[] = b\n"
                               "[M]\n"
                               "[n]\n"
                               "list[] = c\n"
                               "list[] =\n"
                               "list[] = e\n"
                               "other = o\n");
    EXPECT_TRUE(doc.RemoveArrayItemAt(n, "list", 1));
    EXPECT_EQ(*doc.ArrayItemAt(n, "list", 1), "c");
    EXPECT_TRUE(doc.SetArrayCount(n, "list", 1));
    EXPECT_EQ(doc.Serialize(), "[N]\nlist[] = a\nkey = k\n[M]\n[n]\nother = o\n");
    EXPECT_TRUE(doc.SetArrayCount({"Fresh"}, "items", 2));
    EXPECT_EQ(doc.ArrayCount({"fresh"}, "ITEMS"), 2u);
    EXPECT_TRUE(doc.NodeExists({"Fresh", "items"}));
}

TEST(IniDocument, EveryValueSurvivesWritingAndReadingBack)
{
    std::string all;
    for (int c = 1; c < 0x80; ++c)
        all += static_cast<char>(c);
    const std::vector<std::string> values = {
        "", " ", "\"", "\"\"", "\\", "a\\", "\\x41", "x = y", "[s]", "; c", "# c", "é ✓ 𝄞", "\t\r\n", all,
    };
    // Appended, not "k" + std::to_string(i): GCC 12 at -O3 warns of an impossible copy size there.
    const auto key = [](std::size_t i) {
        std::string k = "k";
        k += std::to_string(i);
        return k;
    };
    IniDocument doc;
    for (std::size_t i = 0; i < values.size(); ++i) {
        ASSERT_TRUE(doc.SetValue({"V"}, key(i), values[i]) || values[i].empty());
        doc.SetArrayCount({"V"}, "list", i + 1);
        doc.SetArrayItemAt({"V"}, "list", i, values[i]);
    }
    const auto reread = MustParse(doc.Serialize());
    for (std::size_t i = 0; i < values.size(); ++i) {
        SCOPED_TRACE(i);
        ASSERT_NE(reread.FindValue({"V"}, key(i)), nullptr);
        EXPECT_EQ(*reread.FindValue({"V"}, key(i)), values[i]);
        EXPECT_EQ(*reread.ArrayItemAt({"V"}, "list", i), values[i]);
    }
}

TEST(IniDocument, NamesAndPathsAreChecked)
{
    EXPECT_EQ(SplitNodePath("a/b\\c"), (NodePath{"a", "b", "c"}));
    EXPECT_EQ(SplitNodePath(""), NodePath{});
    EXPECT_EQ(SplitNodePath("Grüße/x"), (NodePath{"Grüße", "x"}));
    for (const char* bad : {"/", "a/", "/a", "a//b", " a", "a ", "a=b", "a[", "]", ";a", "#a", "a\tb", "\xC3"})
        EXPECT_FALSE(SplitNodePath(bad).has_value()) << bad;
    EXPECT_TRUE(IsValidName("a;b#c d"));
    EXPECT_TRUE(IsValidUtf8("\xF4\x8F\xBF\xBF"));
    EXPECT_FALSE(IsValidUtf8("\xF4\x90\x80\x80"));
    EXPECT_FALSE(IsValidUtf8("\xE0\x80\xAF"));
    EXPECT_FALSE(IsValidUtf8("\xE2\x82"));
}

TEST(IniFileIo, AtomicWriteReplacesTheFileAndResolvesPaths)
{
    kxtest::TempDir dir;
    const std::string path = dir.str() + "/settings.ini";
    ASSERT_EQ(platform::posix::WriteFileAtomic(path, "first\n"), 0);
    ASSERT_EQ(platform::posix::WriteFileAtomic(path, "second\n"), 0);
    std::string bytes;
    EXPECT_EQ(ReadWholeFile(path, bytes), ReadResult::Ok);
    EXPECT_EQ(bytes, "second\n");
    EXPECT_EQ(ReadWholeFile(dir.str() + "/missing.ini", bytes), ReadResult::Missing);
    EXPECT_EQ(ReadWholeFile(dir.str(), bytes), ReadResult::Failed);
    EXPECT_EQ(platform::posix::WriteFileAtomic(dir.str() + "/no/such/folder.ini", "x"), ENOENT);

    // Backslashes are separators; a link is resolved to its target, which is what gets replaced.
    std::filesystem::create_symlink(path, dir.path() / "link.ini");
    auto viaLink = ResolveFilePath(dir.str() + "\\link.ini");
    ASSERT_TRUE(viaLink.has_value());
    EXPECT_EQ(*viaLink, std::filesystem::canonical(path).string());
    auto fresh = ResolveFilePath(dir.str() + "/./new.ini");
    ASSERT_TRUE(fresh.has_value());
    EXPECT_EQ(*fresh, std::filesystem::canonical(dir.path()).string() + "/new.ini");
    EXPECT_FALSE(ResolveFilePath(dir.str() + "/nothing/new.ini").has_value());
}

} // namespace
