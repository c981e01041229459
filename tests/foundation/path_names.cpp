#include "kx/PathUtils.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using KX::WString;

WString W(const std::string& utf8)
{
    return WString(utf8.c_str());
}
std::string N(const WString& s)
{
    return s.ToNarrow().GetString();
}

void Touch(const fs::path& p)
{
    std::ofstream(p, std::ios::binary) << "x";
}

std::set<std::string> Listed(const KX::IArray<WString>& files)
{
    std::set<std::string> out;
    for (uint32_t i = 0; i < files.GetCount(); ++i)
        out.insert(N(files.ElementAt(i)));
    return out;
}

TEST(MakeValidFileName, ReplacesTheReservedCharacters)
{
    EXPECT_EQ(N(KX::MakeValidFileName(u"AC/DC: Rock & Roll")), "AC_DC_ Rock _ Roll");
    EXPECT_EQ(N(KX::MakeValidFileName(u"\\/:*?\"<>|&;,^()")), std::string(15, '_'));
    EXPECT_TRUE(KX::MakeValidFileName(WString()).IsEmpty());
    // Blanks, dots, other punctuation and non-ASCII text stay; the length does not change.
    const WString kept(u"Lumo 25 v1.0 [x] #1 \u00C4\u00F6-_!");
    const WString result = KX::MakeValidFileName(kept);
    EXPECT_TRUE(result == kept);
    EXPECT_EQ(result.GetLength(), kept.GetLength());
}

class PathTest : public ::testing::Test {
protected:
    kxtest::TempDir dir;
    fs::path Path(const char* name) const { return dir.path() / name; }
    std::string S(const char* rel) const { return dir.str() + rel; }
};

TEST_F(PathTest, EnsureDirectoryExists)
{
    EXPECT_EQ(KX::EnsureDirectoryExists(W(dir.str())), KX::S_FALSE);

    Touch(Path("file"));
    EXPECT_EQ(KX::EnsureDirectoryExists(W(S("/file"))), KX::E_FAIL);

    EXPECT_EQ(KX::EnsureDirectoryExists(W(S("/one/two"))), KX::S_OK);
    EXPECT_TRUE(fs::is_directory(Path("one/two")));
    EXPECT_EQ(KX::EnsureDirectoryExists(W(S("/one/two"))), KX::S_FALSE);

    // Backslashes separate too; a file in the way of a deeper level fails.
    EXPECT_EQ(KX::EnsureDirectoryExists(W(S("\\three\\four"))), KX::S_OK);
    EXPECT_TRUE(fs::is_directory(Path("three/four")));
    EXPECT_EQ(KX::EnsureDirectoryExists(W(S("/file/sub"))), KX::E_FAIL);
    EXPECT_FALSE(fs::exists(Path("file/sub")));
    EXPECT_EQ(KX::EnsureDirectoryExists(WString()), KX::E_FAIL);
}

TEST_F(PathTest, EnsureDirectoryExistsLeavesTheCallersStringAlone)
{
    const WString path = W(S("/a/b/c"));
    const WString sharer(path); // shares the buffer
    const char16_t* chars = path.GetString();
    const std::u16string before(chars);
    EXPECT_EQ(KX::EnsureDirectoryExists(path), KX::S_OK);
    EXPECT_EQ(path.GetString(), chars);
    EXPECT_EQ(sharer.GetString(), chars);
    EXPECT_EQ(std::u16string(chars), before);
    EXPECT_EQ(path.GetLength(), before.size());
    EXPECT_TRUE(fs::is_directory(Path("a/b/c")));
}

TEST_F(PathTest, CreateDirectoryChain)
{
    // A trailing separator: every level is made in the loop.
    std::u16string p = W(S("/x/y/")).GetString();
    const std::u16string original = p;
    EXPECT_TRUE(KX::CreateDirectoryChain(p.data(), false));
    EXPECT_EQ(p, original); // every cut is restored
    EXPECT_TRUE(fs::is_directory(Path("x/y")));

    // parentOnly: the folder before the last separator is tested, the last level not made.
    std::u16string q = W(S("/m\\n/leaf")).GetString();
    EXPECT_TRUE(KX::CreateDirectoryChain(q.data(), true));
    EXPECT_TRUE(fs::is_directory(Path("m/n")));
    EXPECT_FALSE(fs::exists(Path("m/n/leaf")));

    // parentOnly with a trailing separator tests the folder itself.
    std::u16string r = W(S("/r/")).GetString();
    EXPECT_TRUE(KX::CreateDirectoryChain(r.data(), true));
    EXPECT_TRUE(fs::is_directory(Path("r")));

    // parentOnly on a bare name: true, nothing made (it would land in the working folder).
    std::u16string bare = u"kx-chain-bare-name-that-must-not-exist";
    EXPECT_TRUE(KX::CreateDirectoryChain(bare.data(), true));
    EXPECT_FALSE(fs::exists("kx-chain-bare-name-that-must-not-exist"));

    // A level that cannot be made shows in the final answer.
    Touch(Path("blocker"));
    std::u16string blocked = W(S("/blocker/under")).GetString();
    EXPECT_FALSE(KX::CreateDirectoryChain(blocked.data(), false));
    std::u16string empty;
    EXPECT_FALSE(KX::CreateDirectoryChain(empty.data(), false));
}

TEST_F(PathTest, FileExists)
{
    Touch(Path("f"));
    EXPECT_TRUE(KX::FileExists(W(S("/f"))));
    EXPECT_TRUE(KX::FileExists(W(S("\\f"))));
    EXPECT_FALSE(KX::FileExists(W(dir.str())));
    EXPECT_FALSE(KX::FileExists(W(S("/missing"))));
    EXPECT_FALSE(KX::FileExists(WString()));
}

TEST_F(PathTest, FindFilesInDirectoryMissingFolder)
{
    KX::Array<WString> files;
    files.AddItem(u"stale");
    EXPECT_EQ(KX::FindFilesInDirectory(W(S("/missing")), u"*", files), KX::E_NOTIMPL);
    EXPECT_EQ(files.GetCount(), 0u);

    Touch(Path("plain"));
    files.AddItem(u"stale");
    EXPECT_EQ(KX::FindFilesInDirectory(W(S("/plain")), u"*", files), KX::E_NOTIMPL);
    EXPECT_EQ(files.GetCount(), 0u);
}

TEST_F(PathTest, FindFilesInDirectoryMatchesLikeWindows)
{
    for (const char* name : {"a.ttf", "B.TTF", "c.ttc", "d.ttf.bak", "noext", ".hidden.ttf", "x1.ttf", "xy1.ttf"})
        Touch(Path(name));
    fs::create_directory(Path("folder.ttf"));
    KX::Array<WString> files;

    // Letters match without regard to case; folders are skipped, hidden files are not.
    EXPECT_EQ(KX::FindFilesInDirectory(W(dir.str()), u"*.ttf", files), 5);
    EXPECT_EQ(Listed(files),
              (std::set<std::string>{S("/a.ttf"), S("/B.TTF"), S("/.hidden.ttf"), S("/x1.ttf"), S("/xy1.ttf")}));

    EXPECT_EQ(KX::FindFilesInDirectory(W(dir.str()), u"x?.TTF", files), 1);
    EXPECT_EQ(Listed(files), (std::set<std::string>{S("/x1.ttf")}));

    // "*.*" lists names without a dot as well; "*" lists every file, no folder.
    EXPECT_EQ(KX::FindFilesInDirectory(W(dir.str()), u"*.*", files), 8);
    EXPECT_EQ(Listed(files).count(S("/noext")), 1u);
    EXPECT_EQ(KX::FindFilesInDirectory(W(dir.str()), u"*", files), 8);
    EXPECT_EQ(Listed(files).count(S("/folder.ttf")), 0u);

    EXPECT_EQ(KX::FindFilesInDirectory(W(dir.str()), u"*.otf", files), 0);
    EXPECT_EQ(files.GetCount(), 0u);
}

TEST_F(PathTest, FindFilesInDirectoryKeepsTheFolderAsGiven)
{
    Touch(Path("font.ttc"));
    KX::Array<WString> files;
    EXPECT_EQ(KX::FindFilesInDirectory(W(S("/")), u"*.ttc", files), 1);
    EXPECT_EQ(N(files.ElementAt(0)), S("//font.ttc"));
    EXPECT_EQ(KX::FindFilesInDirectory(W(dir.str()), u"font.ttc", files), 1);
    EXPECT_EQ(N(files.ElementAt(0)), S("/font.ttc"));
}

TEST_F(PathTest, FindFilesInDirectoryNonAsciiNames)
{
    Touch(dir.path() / "Sch\u00F6n \U0001D11E.TTF");
    KX::Array<WString> files;
    EXPECT_EQ(KX::FindFilesInDirectory(W(dir.str()), u"sch\u00F6n*.ttf", files), 1);
    EXPECT_EQ(N(files.ElementAt(0)), S("/Sch\u00F6n \U0001D11E.TTF"));
    // Case folding is ASCII only.
    EXPECT_EQ(KX::FindFilesInDirectory(W(dir.str()), u"SCH\u00D6N*", files), 0);
}

TEST(GetParentDirectory, CutsTheLastComponent)
{
    EXPECT_EQ(N(KX::GetParentDirectory(u"/home/user/file.png")), "/home/user");
    EXPECT_EQ(N(KX::GetParentDirectory(u"/home/user/")), "/home/user");
    EXPECT_EQ(N(KX::GetParentDirectory(u"skins\\images\\a.png")), "skins\\images");
    EXPECT_EQ(N(KX::GetParentDirectory(u"/file")), "/");
    EXPECT_EQ(N(KX::GetParentDirectory(u"/")), "/");
    EXPECT_EQ(N(KX::GetParentDirectory(u"name.txt")), "");
    EXPECT_EQ(N(KX::GetParentDirectory(WString())), "");

    const WString path(u"/a/b");
    const WString parent = KX::GetParentDirectory(path);
    EXPECT_EQ(N(path), "/a/b");
    EXPECT_EQ(N(parent), "/a");
}

TEST_F(PathTest, GetLongPathName)
{
    Touch(Path("img.png"));
    const WString existing = W(S("/img.png"));
    EXPECT_TRUE(KX::GetLongPathName(existing) == existing);
    // Backslashes are written as the program's separator.
    EXPECT_EQ(N(KX::GetLongPathName(W(S("\\img.png")))), S("/img.png"));

    // A missing path comes back unchanged, the same for the same input.
    const WString missing = W(S("\\no\\such.png"));
    EXPECT_TRUE(KX::GetLongPathName(missing) == missing);
    EXPECT_TRUE(KX::GetLongPathName(missing) == KX::GetLongPathName(missing));
    EXPECT_TRUE(KX::GetLongPathName(WString()).IsEmpty());

    // Longer than 260 units: still the whole path.
    std::string deep = dir.str();
    while (deep.size() < 400)
        deep += "/level-of-a-deep-folder-chain";
    fs::create_directories(deep);
    EXPECT_EQ(N(KX::GetLongPathName(W(deep))), deep);
}

} // namespace
