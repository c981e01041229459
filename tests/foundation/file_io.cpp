#include "kx/File.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using KX::File;
using KX::WString;

WString W(const std::string& utf8)
{
    return WString(utf8.c_str());
}

using kxtest::ReadText;
using kxtest::WriteText;

// Runs f and returns the text of the KX::Exception<std::runtime_error> it throws.
template <class F>
std::string RuntimeErrorText(F&& f)
{
    try {
        f();
    } catch (const KX::Exception<std::runtime_error>& e) {
        return e.what();
    } catch (...) {
        return "<other exception>";
    }
    return "<no exception>";
}

std::string FileError(const char* message, const char* method, int line)
{
    return std::string("Runtime Error : ") + message + " : KX::File::" + method +
           " : Utilities\\Storage\\KXFile : Line " + std::to_string(line);
}

class FileTest : public ::testing::Test {
protected:
    kxtest::TempDir dir;
    fs::path Path(const char* name) const { return dir.path() / name; }
    WString Folder() const { return W(dir.str()); }
};

TEST_F(FileTest, ReadsWholeFileTheWayTheLoadersDo)
{
    WriteText(Path("skin.xml"), "<Application/>");
    File f(W(Path("skin.xml").string()), WString(), File::ReadAccess);
    const int32_t length = f.GetLength();
    ASSERT_EQ(length, 14);
    std::string data(static_cast<size_t>(length), '\0');
    EXPECT_EQ(f.Read(data.data(), static_cast<uint32_t>(length), File::CurrentPosition), length);
    EXPECT_EQ(data, "<Application/>");
    // At the end: 0, no exception.
    char more[4];
    EXPECT_EQ(f.Read(more, sizeof more, File::CurrentPosition), 0);
    EXPECT_EQ(f.Close(), KX::S_OK);
}

TEST_F(FileTest, SequentialAndPositionedReads)
{
    WriteText(Path("data.bin"), "0123456789");
    File f(Folder(), u"data.bin", File::ReadAccess);
    char buf[4] = {};
    EXPECT_EQ(f.Read(buf, 3, File::CurrentPosition), 3);
    EXPECT_EQ(std::string(buf, 3), "012");
    EXPECT_EQ(f.Read(buf, 3, File::CurrentPosition), 3);
    EXPECT_EQ(std::string(buf, 3), "345");
    EXPECT_EQ(f.Read(buf, 4, 8), 2); // short near the end
    EXPECT_EQ(std::string(buf, 2), "89");
    EXPECT_EQ(f.Read(buf, 2, 1), 2);
    EXPECT_EQ(std::string(buf, 2), "12");
    // GetLength leaves the position alone.
    EXPECT_EQ(f.GetLength(), 10);
    EXPECT_EQ(f.Read(buf, 1, File::CurrentPosition), 1);
    EXPECT_EQ(buf[0], '3');
}

TEST_F(FileTest, FullPathJoinsFolderAndName)
{
    WriteText(Path("a.txt"), "x");
    File f(Folder(), u"a.txt", File::ReadAccess);
    EXPECT_TRUE(f.GetFullPath() == W(dir.str() + "/a.txt"));
    EXPECT_TRUE(f.GetFileName() == WString(u"a.txt"));

    // A folder that already ends in a separator gets a doubled one, which the system accepts.
    File g(W(dir.str() + "/"), u"a.txt", File::ReadAccess);
    EXPECT_TRUE(g.GetFullPath() == W(dir.str() + "//a.txt"));
    EXPECT_EQ(g.GetLength(), 1);

    // An empty file name opens the path unchanged; backslashes separate as well.
    File h(W(dir.str() + "\\a.txt"), WString(), File::ReadAccess);
    EXPECT_TRUE(h.GetFullPath() == W(dir.str() + "\\a.txt"));
    EXPECT_TRUE(h.GetFileName().IsEmpty());
    EXPECT_EQ(h.GetLength(), 1);
}

TEST_F(FileTest, OpenOnOpenFileChangesNothing)
{
    WriteText(Path("one"), "first");
    WriteText(Path("two"), "second!");
    File f(Folder(), u"one", File::ReadAccess);
    EXPECT_EQ(f.Open(Folder(), u"two", File::ReadWriteAccess | File::DeleteOnClose), KX::S_FALSE);
    EXPECT_TRUE(f.GetFileName() == WString(u"one"));
    EXPECT_EQ(f.GetFlags(), File::ReadAccess);
    EXPECT_EQ(f.GetLength(), 5);
    f.Close();
    EXPECT_TRUE(fs::exists(Path("two")));
}

TEST_F(FileTest, OpenFailuresCarryTheirTexts)
{
    EXPECT_EQ(RuntimeErrorText([] { File f(WString(), WString(), File::ReadAccess); }),
              FileError("invalid pathname", "Open", 294));
    EXPECT_EQ(RuntimeErrorText([&] { File f(Folder(), u"missing", File::ReadAccess); }),
              FileError("open", "Open", 422));
    // A folder is no file.
    EXPECT_EQ(RuntimeErrorText([&] { File f(Folder(), WString(), File::ReadAccess); }), FileError("open", "Open", 422));
    // A path that has no UTF-8 form (a lone surrogate) is refused, not cut short.
    const char16_t broken[] = {u'x', 0xD800, u'y', 0};
    EXPECT_EQ(RuntimeErrorText([&] { File f(Folder(), broken, File::ReadAccess | File::Create); }),
              FileError("open", "Open", 422));
    EXPECT_TRUE(fs::is_empty(dir.path()));
}

TEST_F(FileTest, FailedReopenKeepsTheAttemptAndStaysClosed)
{
    WriteText(Path("a"), "a");
    File f(Folder(), u"a", File::ReadAccess);
    f.Close();
    EXPECT_FALSE(f.IsOpen());

    // Both empty: nothing is stored.
    EXPECT_EQ(RuntimeErrorText([&] { f.Open(WString(), WString(), File::Create); }),
              FileError("invalid pathname", "Open", 294));
    EXPECT_TRUE(f.GetFileName() == WString(u"a"));
    EXPECT_EQ(f.GetFlags(), File::ReadAccess);

    // A failed open keeps its path and flags.
    EXPECT_EQ(RuntimeErrorText([&] { f.Open(Folder(), u"b", File::ReadWriteAccess); }), FileError("open", "Open", 422));
    EXPECT_TRUE(f.GetFullPath() == W(dir.str() + "/b"));
    EXPECT_EQ(f.GetFlags(), File::ReadWriteAccess);
    EXPECT_FALSE(f.IsOpen());

    // An empty name keeps the last file name; the new path is used as it stands.
    EXPECT_EQ(f.Open(W(Path("a").string()), WString(), File::ReadAccess), KX::S_OK);
    EXPECT_TRUE(f.GetFileName() == WString(u"b"));
    EXPECT_EQ(f.GetLength(), 1);
}

TEST_F(FileTest, CreateAndExclusive)
{
    // Create on a missing file makes an empty one.
    {
        File f(Folder(), u"new", File::ReadWriteAccess | File::Create);
        EXPECT_EQ(f.GetLength(), 0);
    }
    EXPECT_TRUE(fs::exists(Path("new")));

    // Create on an existing file keeps its contents.
    WriteText(Path("old"), "contents");
    {
        File f(Folder(), u"old", File::ReadWriteAccess | File::Create);
        EXPECT_EQ(f.GetLength(), 8);
    }
    EXPECT_EQ(ReadText(Path("old")), "contents");

    // Create with Exclusive refuses an existing file; Exclusive alone changes nothing.
    EXPECT_EQ(RuntimeErrorText([&] { File f(Folder(), u"old", File::Create | File::Exclusive); }),
              FileError("open", "Open", 422));
    EXPECT_NO_THROW(File(Folder(), u"old", File::Exclusive));
    EXPECT_EQ(RuntimeErrorText([&] { File f(Folder(), u"absent", File::Exclusive); }), FileError("open", "Open", 422));
    EXPECT_FALSE(fs::exists(Path("absent")));
    {
        File f(Folder(), u"fresh", File::Create | File::Exclusive);
        EXPECT_EQ(f.GetLength(), 0);
    }
    EXPECT_EQ(ReadText(Path("old")), "contents");
}

TEST_F(FileTest, NonAsciiNamesReachTheSystemAsUtf8)
{
    const char16_t name[] = u"Gr\u00FC\u00DFe \u2713 \U0001D11E.txt";
    {
        File f(Folder(), name, File::ReadWriteAccess | File::Create);
        EXPECT_EQ(f.Write("hi", 2, File::CurrentPosition), 2);
    }
    EXPECT_EQ(ReadText(dir.path() / "Gr\u00FC\u00DFe \u2713 \U0001D11E.txt"), "hi");
}

TEST_F(FileTest, WriteOverwritesInPlace)
{
    WriteText(Path("w"), "abcdef");
    {
        File f(Folder(), u"w", File::ReadWriteAccess);
        EXPECT_EQ(f.Write("XY", 2, 2), 2);
        char c;
        EXPECT_EQ(f.Read(&c, 1, File::CurrentPosition), 1);
        EXPECT_EQ(c, 'e');
        EXPECT_EQ(f.Write("Z", 1, File::CurrentPosition), 1);
        EXPECT_EQ(f.Write("tail", 4, File::CurrentPosition), 4);
        EXPECT_EQ(f.GetLength(), 10);
    }
    EXPECT_EQ(ReadText(Path("w")), "abXYeZtail");
}

TEST_F(FileTest, WriteNeedsReadWriteAccessBeforeAnythingElse)
{
    WriteText(Path("ro"), "abc");
    File f(Folder(), u"ro", File::ReadAccess | File::Create | 0x1234);
    EXPECT_EQ(f.GetFlags(), File::ReadAccess | File::Create | 0x1234u);
    const std::string readOnly = FileError("file is read only", "Write", 598);
    EXPECT_EQ(RuntimeErrorText([&] { f.Write("x", 1, 0); }), readOnly);
    EXPECT_EQ(RuntimeErrorText([&] { f.Write("x", 0, File::CurrentPosition); }), readOnly);
    // Even a position that could not be reached reports the access first.
    EXPECT_EQ(RuntimeErrorText([&] { f.Write("x", 1, 0x80000000u); }), readOnly);
    EXPECT_EQ(ReadText(Path("ro")), "abc");
}

TEST_F(FileTest, PositionsBeyondThe32BitRangeFailTheSeek)
{
    WriteText(Path("p"), "abc");
    File f(Folder(), u"p", File::ReadWriteAccess);
    char c;
    EXPECT_EQ(RuntimeErrorText([&] { f.Read(&c, 1, 0x80000000u); }), FileError("lseek", "Read", 476));
    EXPECT_EQ(RuntimeErrorText([&] { f.Read(&c, 1, 0xFFFFFFFEu); }), FileError("lseek", "Read", 476));
    EXPECT_EQ(RuntimeErrorText([&] { f.Write("x", 1, 0x80000000u); }), FileError("lseek", "Write", 607));
    // The File stays usable.
    EXPECT_EQ(f.Read(&c, 1, 2), 1);
    EXPECT_EQ(c, 'c');
    EXPECT_EQ(ReadText(Path("p")), "abc");
}

TEST_F(FileTest, SeekReportsPositionOrMinusOne)
{
    WriteText(Path("s"), "0123456789");
    File f(Folder(), u"s", File::ReadWriteAccess);
    EXPECT_EQ(f.Seek(4, 0), 4);
    EXPECT_EQ(f.Seek(-1, 1), 3);
    EXPECT_EQ(f.Seek(-2, 2), 8);
    EXPECT_EQ(f.Seek(100, 0), 100); // beyond the end is allowed
    EXPECT_EQ(f.GetLength(), 10);
    EXPECT_EQ(f.Seek(-1, 0), -1);
    EXPECT_EQ(f.Seek(0, 3), -1);
    EXPECT_EQ(f.Seek(0x7FFFFFFF, 0), 0x7FFFFFFF);
    EXPECT_EQ(f.Seek(1, 1), -1); // would pass the 32-bit range
    // A failed seek leaves the position where it was.
    EXPECT_EQ(f.Seek(0, 1), 0x7FFFFFFF);
    char c;
    EXPECT_EQ(f.Read(&c, 1, 5), 1);
    EXPECT_EQ(c, '5');
}

TEST_F(FileTest, LengthOf2GiBOrMoreDoesNotFit)
{
    const fs::path big = Path("big");
    WriteText(big, "");
    std::error_code ec;
    fs::resize_file(big, 0x80000000ull, ec); // sparse
    if (ec)
        GTEST_SKIP() << "cannot make a sparse file here";
    File f(Folder(), u"big", File::ReadAccess);
    EXPECT_EQ(RuntimeErrorText([&] { f.GetLength(); }), FileError("fstat", "GetLength", 113));
    EXPECT_EQ(f.Seek(0, 2), -1);
    EXPECT_EQ(f.Seek(-1, 2), 0x7FFFFFFF);
}

TEST_F(FileTest, CloseTwiceAndUseAfterClose)
{
    WriteText(Path("c"), "abc");
    File f(Folder(), u"c", File::ReadWriteAccess);
    EXPECT_EQ(f.Close(), KX::S_OK);
    EXPECT_EQ(f.Close(), KX::S_OK);
    EXPECT_FALSE(f.IsOpen());
    // No descriptor left: the calls fail cleanly instead of touching freed state.
    char c;
    EXPECT_EQ(RuntimeErrorText([&] { f.Read(&c, 1, File::CurrentPosition); }), FileError("read", "Read", 503));
    EXPECT_EQ(RuntimeErrorText([&] { f.Write("x", 1, File::CurrentPosition); }), FileError("write", "Write", 643));
    EXPECT_EQ(RuntimeErrorText([&] { f.GetLength(); }), FileError("fstat", "GetLength", 113));
    EXPECT_EQ(f.Seek(0, 0), -1);
    EXPECT_EQ(ReadText(Path("c")), "abc");
}

TEST_F(FileTest, DeleteOnClose)
{
    WriteText(Path("d1"), "x");
    {
        File f(Folder(), u"d1", File::ReadAccess | File::DeleteOnClose);
        EXPECT_TRUE(fs::exists(Path("d1")));
    }
    EXPECT_FALSE(fs::exists(Path("d1"))); // through the destructor

    WriteText(Path("d2"), "x");
    File f(Folder(), u"d2", File::ReadAccess | File::DeleteOnClose);
    f.Close();
    EXPECT_FALSE(fs::exists(Path("d2")));
}

TEST_F(FileTest, CopiesShareTheDescriptorUntilTheLastCloses)
{
    WriteText(Path("shared"), "0123");
    File a(Folder(), u"shared", File::ReadAccess | File::DeleteOnClose);
    {
        File b(a);
        char c;
        EXPECT_EQ(b.Read(&c, 1, File::CurrentPosition), 1);
        EXPECT_EQ(a.Read(&c, 1, File::CurrentPosition), 1);
        EXPECT_EQ(c, '1'); // one descriptor, one position
        EXPECT_EQ(a.Close(), KX::S_OK);
        EXPECT_TRUE(a.IsOpen()); // b still shares it
        EXPECT_TRUE(fs::exists(Path("shared")));
        EXPECT_EQ(a.Read(&c, 1, File::CurrentPosition), 1);
        EXPECT_EQ(c, '2');
    } // b's Close found a sharer too and only dropped its reference
    EXPECT_TRUE(fs::exists(Path("shared")));
    EXPECT_EQ(a.Close(), KX::S_OK);
    EXPECT_FALSE(a.IsOpen());
    EXPECT_FALSE(fs::exists(Path("shared")));
}

TEST_F(FileTest, CreatedFileIsReadableAndWritable)
{
    {
        File f(Folder(), u"perm", File::ReadWriteAccess | File::Create);
    }
    const auto perms = fs::status(Path("perm")).permissions();
    EXPECT_NE(perms & fs::perms::owner_read, fs::perms::none);
    EXPECT_NE(perms & fs::perms::owner_write, fs::perms::none);
}

} // namespace
