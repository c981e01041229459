// The settings library as the editor uses it: loaded with dlopen, called through its C entry points,
// with real files on disk.
#include "IniLibrary.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using namespace KX::Ini;
namespace fs = std::filesystem;

namespace {

using kxtest::FolderEntries;
using kxtest::ReadText;
using kxtest::WriteText;

struct StringRead {
    int32_t result = 0;
    std::string text;
    int calls = 0;
};

// The caller's protocol: ask with 1024 bytes; on kBufferTooSmall ask again with the size reported.
template <class Call>
StringRead ReadString(Call&& call)
{
    std::vector<char> buffer(1024, 'x');
    int32_t needed = -1;
    StringRead read;
    read.calls = 1;
    read.result = call(buffer.data(), static_cast<int32_t>(buffer.size()), &needed);
    if (read.result != kBufferTooSmall) {
        read.text = buffer.data();
        return read;
    }
    EXPECT_EQ(buffer[0], '\0');
    EXPECT_GT(needed, 1024);
    std::vector<char> big(static_cast<std::size_t>(needed), 'x');
    read.calls = 2;
    read.result = call(big.data(), needed, &needed);
    read.text.assign(big.data(), ::strnlen(big.data(), big.size()));
    return read;
}

class IniLibraryTest : public ::testing::Test {
protected:
    const initest::IniLibrary& lib = initest::IniLibrary::Get();
    kxtest::TempDir dir;

    void SetUp() override { ASSERT_TRUE(lib.error.empty()) << lib.error; }

    void TearDown() override
    {
        for (const int32_t h : m_open)
            lib.CloseIniFile(h, 0);
    }

    fs::path File(const char* name = "UserSettings.ini") const { return dir.path() / name; }

    int32_t Open(const fs::path& path, const char* section = "1_0_0")
    {
        int32_t handle = -7;
        EXPECT_EQ(lib.OpenIniFile(path.c_str(), section, "Lumo 25 Preset Editor", &handle), kOk);
        EXPECT_NE(handle, 0);
        m_open.push_back(handle);
        return handle;
    }

    void Close(int32_t handle)
    {
        EXPECT_EQ(lib.CloseIniFile(handle, 0), kOk);
        std::erase(m_open, handle);
    }

    int32_t Int(int32_t handle, const char* path, int32_t fallback = -99)
    {
        int32_t value = 0;
        lib.GetIniValueInt(handle, path, fallback, &value);
        return value;
    }

    StringRead Str(int32_t handle, const char* path, const char* fallback = "")
    {
        return ReadString(
            [&](char* b, int32_t n, int32_t* need) { return lib.GetIniValueStr(handle, path, fallback, b, n, need); });
    }

    StringRead Item(int32_t handle, const char* path, int32_t index)
    {
        return ReadString(
            [&](char* b, int32_t n, int32_t* need) { return lib.GetArrayItemAt(handle, path, index, b, n, need); });
    }

    StringRead KeyName(int32_t handle, const char* path, int32_t index)
    {
        return ReadString(
            [&](char* b, int32_t n, int32_t* need) { return lib.GetKeyNameAt(handle, path, index, b, n, need); });
    }

    int32_t ArrayCount(int32_t handle, const char* path)
    {
        int32_t count = -1;
        lib.GetArrayCount(handle, path, &count);
        return count;
    }

private:
    std::vector<int32_t> m_open;
};

TEST_F(IniLibraryTest, ValuesSurviveReopenUnderTheSectionAndNodePaths)
{
    const auto path = File();
    int32_t h = Open(path);
    EXPECT_FALSE(fs::exists(path)) << "opening alone creates nothing";

    EXPECT_EQ(lib.SetIniValueInt(h, "CurrentSkinIndex", 3), kOk);
    EXPECT_EQ(lib.SetIniValueInt(h, "Window/Placement/Left", -120), kOk);
    EXPECT_EQ(lib.SetIniValueStr(h, "Window\\Placement\\Title", "Lumo 25 – Grüße ♫"), kOk);
    EXPECT_EQ(ReadText(path), "[1_0_0]\n"
                              "CurrentSkinIndex = 3\n"
                              "\n"
                              "[1_0_0/Window/Placement]\n"
                              "Left = -120\n"
                              "Title = Lumo 25 – Grüße ♫\n");
    Close(h);

    h = Open(path);
    int32_t value = 0;
    EXPECT_EQ(lib.GetIniValueInt(h, "CurrentSkinIndex", 0, &value), kOk);
    EXPECT_EQ(value, 3);
    EXPECT_EQ(Int(h, "window/PLACEMENT/left"), -120) << "names compare case-insensitively";
    EXPECT_EQ(Str(h, "Window/Placement/Title").text, "Lumo 25 – Grüße ♫");

    // Another section of the same file is a separate set of settings.
    const int32_t other = Open(path, "2_0_0");
    EXPECT_EQ(Int(other, "CurrentSkinIndex", 7), 7);
    const int32_t top = Open(path, nullptr);
    EXPECT_EQ(Int(top, "1_0_0/CurrentSkinIndex"), 3);
}

TEST_F(IniLibraryTest, MissingValuesGiveTheDefaultAndSayTheyAreMissing)
{
    const int32_t h = Open(File());
    int32_t value = 0;
    EXPECT_EQ(lib.GetIniValueInt(h, "CurrentSkinIndex", 42, &value), kNothingThere);
    EXPECT_EQ(value, 42);

    const auto text = Str(h, "Missing/Text", "fallback");
    EXPECT_EQ(text.result, kNothingThere);
    EXPECT_EQ(text.text, "fallback");

    const std::string longDefault(1500, 'd');
    const auto longText = Str(h, "Missing/Text", longDefault.c_str());
    EXPECT_EQ(longText.calls, 2);
    EXPECT_EQ(longText.result, kNothingThere);
    EXPECT_EQ(longText.text, longDefault);

    ASSERT_EQ(lib.SetIniValueStr(h, "Broken", "12abc"), kOk);
    EXPECT_EQ(lib.GetIniValueInt(h, "Broken", 5, &value), kNotANumber);
    EXPECT_EQ(value, 5);
    ASSERT_EQ(lib.SetIniValueStr(h, "TooBig", "2147483648"), kOk);
    EXPECT_EQ(lib.GetIniValueInt(h, "TooBig", 5, &value), kNotANumber);
    ASSERT_EQ(lib.SetIniValueInt(h, "Smallest", INT32_MIN), kOk);
    EXPECT_EQ(Int(h, "Smallest"), INT32_MIN);
}

TEST_F(IniLibraryTest, LongValuesComeBackThroughTheSecondQuery)
{
    const int32_t h = Open(File());
    std::string value(1500, ' ');
    for (std::size_t i = 0; i < value.size(); ++i)
        value[i] = static_cast<char>('a' + i % 26);
    ASSERT_EQ(lib.SetIniValueStr(h, "Recent/Long", value.c_str()), kOk);

    char small[1024];
    std::memset(small, 'x', sizeof small);
    int32_t needed = 0;
    EXPECT_EQ(lib.GetIniValueStr(h, "Recent/Long", "", small, sizeof small, &needed), kBufferTooSmall);
    EXPECT_EQ(needed, 1501);
    EXPECT_EQ(small[0], '\0');

    const auto read = Str(h, "Recent/Long");
    EXPECT_EQ(read.calls, 2);
    EXPECT_EQ(read.result, kOk);
    EXPECT_EQ(read.text, value);

    // The boundary: 1023 bytes and the NUL fit exactly, 1024 do not.
    ASSERT_EQ(lib.SetIniValueStr(h, "Fits", std::string(1023, 'f').c_str()), kOk);
    EXPECT_EQ(Str(h, "Fits").calls, 1);
    ASSERT_EQ(lib.SetIniValueStr(h, "Fits", std::string(1024, 'f').c_str()), kOk);
    EXPECT_EQ(Str(h, "Fits").calls, 2);

    // A size-only query with no buffer at all.
    EXPECT_EQ(lib.GetIniValueStr(h, "Recent/Long", "", nullptr, 0, &needed), kBufferTooSmall);
    EXPECT_EQ(needed, 1501);
}

TEST_F(IniLibraryTest, ArraysGrowShrinkAndKeepTheirOrderAcrossReopen)
{
    const auto path = File();
    int32_t h = Open(path);
    EXPECT_EQ(ArrayCount(h, "Files/Recent"), 0);
    int32_t count = -1;
    EXPECT_EQ(lib.GetArrayCount(h, "Files/Recent", &count), kNothingThere);

    ASSERT_EQ(lib.SetArrayCount(h, "Files/Recent", 3), kOk);
    EXPECT_EQ(ArrayCount(h, "Files/Recent"), 3);
    EXPECT_EQ(Item(h, "Files/Recent", 2).text, "") << "new items are empty";
    ASSERT_EQ(lib.SetArrayItemAt(h, "Files/Recent", 0, "/home/a.syx"), kOk);
    ASSERT_EQ(lib.SetArrayItemAt(h, "Files/Recent", 1, " spaced ; \"quoted\" "), kOk);
    ASSERT_EQ(lib.SetArrayItemAt(h, "Files/Recent", 2, "c"), kOk);
    EXPECT_EQ(lib.SetArrayItemAt(h, "Files/Recent", 3, "d"), kNotFound) << "setting does not append";
    EXPECT_EQ(lib.SetArrayItemAt(h, "Files/Recent", -1, "d"), kInvalidArgument);
    EXPECT_EQ(lib.SetIniValueStr(h, "Files/Recent", "a key beside the array"), kOk);

    Close(h);
    h = Open(path);
    EXPECT_EQ(ArrayCount(h, "files/recent"), 3);
    EXPECT_EQ(Item(h, "Files/Recent", 1).text, " spaced ; \"quoted\" ");
    EXPECT_EQ(Str(h, "Files/Recent").text, "a key beside the array");

    EXPECT_EQ(lib.RemoveArrayItemAt(h, "Files/Recent", 0), kOk);
    EXPECT_EQ(ArrayCount(h, "Files/Recent"), 2);
    EXPECT_EQ(Item(h, "Files/Recent", 0).text, " spaced ; \"quoted\" ");
    EXPECT_EQ(Item(h, "Files/Recent", 1).text, "c");
    EXPECT_EQ(lib.RemoveArrayItemAt(h, "Files/Recent", 2), kNotFound);
    const auto beyond = Item(h, "Files/Recent", 2);
    EXPECT_EQ(beyond.result, kNotFound);
    EXPECT_EQ(beyond.text, "");

    const std::string longItem(1500, 'L');
    ASSERT_EQ(lib.SetArrayItemAt(h, "Files/Recent", 1, longItem.c_str()), kOk);
    EXPECT_EQ(Item(h, "Files/Recent", 1).text, longItem);

    ASSERT_EQ(lib.SetArrayCount(h, "Files/Recent", 1), kOk);
    EXPECT_EQ(Item(h, "Files/Recent", 0).text, " spaced ; \"quoted\" ") << "shrinking drops from the end";
    EXPECT_EQ(lib.SetArrayCount(h, "Files/Recent", -1), kInvalidArgument);
    EXPECT_EQ(lib.SetArrayCount(h, "Files/Recent", INT32_MAX), kInvalidArgument);
    ASSERT_EQ(lib.SetArrayCount(h, "Files/Recent", 0), kOk);
    Close(h);
    h = Open(path);
    EXPECT_EQ(ArrayCount(h, "Files/Recent"), 0);
    EXPECT_EQ(Str(h, "Files/Recent").text, "a key beside the array");
}

TEST_F(IniLibraryTest, KeysOfANodeAreCountedAndNamedInFileOrder)
{
    const int32_t h = Open(File());
    ASSERT_EQ(lib.SetIniValueInt(h, "Dialog/Width", 1), kOk);
    ASSERT_EQ(lib.SetIniValueInt(h, "Dialog/Height", 2), kOk);
    ASSERT_EQ(lib.SetIniValueInt(h, "Dialog/Child/Depth", 3), kOk);
    ASSERT_EQ(lib.SetArrayCount(h, "Dialog/List", 2), kOk);
    const std::string longName(1100, 'k');
    ASSERT_EQ(lib.SetIniValueInt(h, ("Dialog/" + longName).c_str(), 4), kOk);

    int32_t count = -1;
    EXPECT_EQ(lib.GetKeyCount(h, "Dialog", &count), kOk);
    EXPECT_EQ(count, 3) << "child nodes and arrays are not keys";
    EXPECT_EQ(KeyName(h, "Dialog", 0).text, "Width");
    EXPECT_EQ(KeyName(h, "Dialog", 1).text, "Height");
    const auto last = KeyName(h, "Dialog", 2);
    EXPECT_EQ(last.calls, 2);
    EXPECT_EQ(last.text, longName);
    EXPECT_EQ(KeyName(h, "Dialog", 3).result, kNotFound);
    EXPECT_EQ(KeyName(h, "Dialog", -1).result, kInvalidArgument);

    EXPECT_EQ(lib.GetKeyCount(h, "", &count), kNothingThere) << "the section itself holds no keys";
    EXPECT_EQ(count, 0);
    EXPECT_EQ(lib.GetKeyCount(h, "Nowhere", &count), kNothingThere);
    EXPECT_EQ(count, 0);
}

TEST_F(IniLibraryTest, NodesExistForSectionsTheirParentsKeysAndArrays)
{
    const auto path = File();
    WriteText(path, "[1_0_0/A/B/C]\nkey = 1\nlist[] = x\n");
    const int32_t h = Open(path);
    EXPECT_TRUE(lib.DoesNodeExist(h, ""));
    EXPECT_TRUE(lib.DoesNodeExist(h, "A"));
    EXPECT_TRUE(lib.DoesNodeExist(h, "a/b"));
    EXPECT_TRUE(lib.DoesNodeExist(h, "A/B/C"));
    EXPECT_TRUE(lib.DoesNodeExist(h, "A/B/C/key"));
    EXPECT_TRUE(lib.DoesNodeExist(h, "A/B/C/list"));
    EXPECT_FALSE(lib.DoesNodeExist(h, "A/B/C/other"));
    EXPECT_FALSE(lib.DoesNodeExist(h, "B"));
    EXPECT_FALSE(lib.DoesNodeExist(h, "A//B"));
    EXPECT_FALSE(lib.DoesNodeExist(h, nullptr));
    EXPECT_FALSE(lib.DoesNodeExist(0, "A"));
}

TEST_F(IniLibraryTest, UnknownAndClosedHandlesAreRefusedSafely)
{
    const int32_t h = Open(File());
    Close(h);
    EXPECT_EQ(lib.CloseIniFile(h, 0), kBadHandle);
    for (const int32_t bad : {0, -1, h, 123456, INT32_MAX, INT32_MIN}) {
        SCOPED_TRACE(bad);
        char buffer[16] = "junk";
        int32_t out = 77, needed = 77;
        EXPECT_EQ(lib.WriteIniFile(bad), kBadHandle);
        EXPECT_EQ(lib.CloseIniFile(bad, 1), kBadHandle);
        EXPECT_FALSE(lib.DoesNodeExist(bad, "x"));
        EXPECT_EQ(lib.GetIniValueInt(bad, "x", 9, &out), kBadHandle);
        EXPECT_EQ(out, 9);
        EXPECT_EQ(lib.SetIniValueInt(bad, "x", 1), kBadHandle);
        EXPECT_EQ(lib.GetIniValueStr(bad, "x", "d", buffer, sizeof buffer, &needed), kBadHandle);
        EXPECT_EQ(buffer[0], '\0');
        EXPECT_EQ(needed, 0);
        EXPECT_EQ(lib.SetIniValueStr(bad, "x", "v"), kBadHandle);
        EXPECT_EQ(lib.GetKeyCount(bad, "x", &out), kBadHandle);
        EXPECT_EQ(out, 0);
        EXPECT_EQ(lib.GetKeyNameAt(bad, "x", 0, buffer, sizeof buffer, &needed), kBadHandle);
        EXPECT_EQ(lib.GetArrayCount(bad, "x", &out), kBadHandle);
        EXPECT_EQ(lib.SetArrayCount(bad, "x", 1), kBadHandle);
        EXPECT_EQ(lib.GetArrayItemAt(bad, "x", 0, buffer, sizeof buffer, &needed), kBadHandle);
        EXPECT_EQ(lib.SetArrayItemAt(bad, "x", 0, "v"), kBadHandle);
        EXPECT_EQ(lib.RemoveArrayItemAt(bad, "x", 0), kBadHandle);
    }
    EXPECT_FALSE(fs::exists(File())) << "nothing was written for a closed handle";
}

TEST_F(IniLibraryTest, BadArgumentsAreRefusedAndChangeNothing)
{
    const auto path = File();
    int32_t handle = 55;
    EXPECT_EQ(lib.OpenIniFile(nullptr, "1_0_0", "p", &handle), kInvalidArgument);
    EXPECT_EQ(handle, 0);
    EXPECT_EQ(lib.OpenIniFile(path.c_str(), "1_0_0", "p", nullptr), kInvalidArgument);
    EXPECT_EQ(lib.OpenIniFile("", "1_0_0", "p", &handle), kInvalidArgument);
    EXPECT_EQ(lib.OpenIniFile((dir.str() + "/").c_str(), "1_0_0", "p", &handle), kInvalidArgument);
    EXPECT_EQ(lib.OpenIniFile(path.c_str(), "bad[section]", "p", &handle), kInvalidArgument);
    EXPECT_EQ(handle, 0);

    const int32_t h = Open(path);
    ASSERT_EQ(lib.SetIniValueInt(h, "Keep", 1), kOk);
    const std::string before = ReadText(path);
    for (const char* bad : {"", "/", "a//b", "a/", " padded", "a=b", "list[]", "x/;comment", "\x01"}) {
        SCOPED_TRACE(bad);
        EXPECT_EQ(lib.SetIniValueInt(h, bad, 1), kInvalidArgument);
        EXPECT_EQ(lib.SetIniValueStr(h, bad, "v"), kInvalidArgument);
        EXPECT_EQ(lib.SetArrayCount(h, bad, 1), kInvalidArgument);
    }
    EXPECT_EQ(lib.SetIniValueStr(h, "Text", "\xC3\x28 not UTF-8"), kInvalidArgument);
    EXPECT_EQ(lib.SetIniValueStr(h, "Text", nullptr), kInvalidArgument);
    EXPECT_EQ(lib.SetIniValueInt(h, nullptr, 1), kInvalidArgument);
    EXPECT_EQ(lib.GetIniValueInt(h, "Keep", 0, nullptr), kInvalidArgument);
    char buffer[4];
    EXPECT_EQ(lib.GetIniValueStr(h, "Keep", "", nullptr, 4, nullptr), kInvalidArgument);
    EXPECT_EQ(lib.GetIniValueStr(h, "Keep", "", buffer, -1, nullptr), kInvalidArgument);
    EXPECT_EQ(lib.GetIniValueStr(h, "Keep", "", buffer, sizeof buffer, nullptr), kOk) << "the needed size is optional";
    EXPECT_STREQ(buffer, "1");
    EXPECT_EQ(ReadText(path), before);
}

TEST_F(IniLibraryTest, DamagedFilesAreReadLenientlyAndStayWritable)
{
    struct Case {
        std::string text;
        const char* key;
        const char* expected;
    };
    const std::vector<Case> damaged = {
        {"[1_0_0]\nCurrentSkinIndex = 2\n[unterminated\n", "CurrentSkinIndex", "2"},
        {"[1_0_0]\nCurrentSkinIndex = 2\ncurrentskinindex = 3\n", "CurrentSkinIndex", "3"},
        {"[1_0_0]\nName = \xFF\xFE\nCurrentSkinIndex = 4\n", "Name", "\xEF\xBF\xBD\xEF\xBF\xBD"},
    };
    for (const auto& c : damaged) {
        SCOPED_TRACE(c.text);
        const auto path = File("Damaged.ini");
        WriteText(path, c.text);
        int32_t h = 0;
        ASSERT_EQ(lib.OpenIniFile(path.c_str(), "1_0_0", "p", &h), kOk);
        EXPECT_NE(h, 0);
        EXPECT_EQ(Str(h, c.key).text, c.expected);
        EXPECT_EQ(ReadText(path), c.text) << "opening changes nothing on disk";
        // Writes work again and keep the other settings.
        ASSERT_EQ(lib.SetIniValueInt(h, "Added", 7), kOk);
        ASSERT_EQ(lib.WriteIniFile(h), kOk);
        EXPECT_EQ(lib.CloseIniFile(h, 0), kOk);
        const int32_t again = Open(path);
        EXPECT_EQ(Str(again, c.key).text, c.expected);
        EXPECT_EQ(Str(again, "Added").text, "7");
        lib.CloseIniFile(again, 0);
    }

    int32_t h = 99;
    EXPECT_EQ(lib.OpenIniFile(dir.path().c_str(), "1_0_0", "p", &h), kIoError) << "a folder is no file";
    EXPECT_EQ(lib.OpenIniFile((dir.path() / "no/such/folder.ini").c_str(), "1_0_0", "p", &h), kIoError);
    EXPECT_EQ(h, 0);
}

TEST_F(IniLibraryTest, EditsKeepCommentsUnknownLinesAndTheFilesLayout)
{
    const auto path = File();
    WriteText(path, "\xEF\xBB\xBF; settings of the editor\r\n"
                    "# written by hand\r\n"
                    "[1_0_0]\r\n"
                    "CurrentSkinIndex=1\r\n"
                    "some stray line\r\n"
                    "  Quoted   =   \"  padded  \"  \r\n"
                    "\r\n"
                    "[Other]\r\n"
                    "Untouched =  spacing kept   \r\n");
    const int32_t h = Open(path);
    EXPECT_EQ(Str(h, "Quoted").text, "  padded  ");
    ASSERT_EQ(lib.SetIniValueInt(h, "CurrentSkinIndex", 2), kOk);
    ASSERT_EQ(lib.SetIniValueStr(h, "Added", "new"), kOk);
    EXPECT_EQ(ReadText(path), "\xEF\xBB\xBF; settings of the editor\r\n"
                              "# written by hand\r\n"
                              "[1_0_0]\r\n"
                              "CurrentSkinIndex=2\r\n"
                              "some stray line\r\n"
                              "  Quoted   =   \"  padded  \"  \r\n"
                              "Added = new\r\n"
                              "\r\n"
                              "[Other]\r\n"
                              "Untouched =  spacing kept   \r\n");

    // Storing a value equal to the stored one leaves the file alone.
    const auto stamp = fs::last_write_time(path);
    fs::last_write_time(path, stamp - std::chrono::hours(1));
    ASSERT_EQ(lib.SetIniValueInt(h, "CurrentSkinIndex", 2), kOk);
    EXPECT_EQ(fs::last_write_time(path), stamp - std::chrono::hours(1));
}

TEST_F(IniLibraryTest, HandlesOnTheSameFileShareOneDocument)
{
    const auto path = File();
    const int32_t a = Open(path);
    const int32_t b = Open(dir.str() + "/./UserSettings.ini", nullptr);
    ASSERT_EQ(lib.SetIniValueInt(a, "First", 1), kOk);
    ASSERT_EQ(lib.SetIniValueInt(b, "1_0_0/Second", 2), kOk);
    EXPECT_EQ(Int(a, "Second"), 2);
    Close(b);
    ASSERT_EQ(lib.SetIniValueInt(a, "Third", 3), kOk);
    EXPECT_EQ(ReadText(path), "[1_0_0]\nFirst = 1\nSecond = 2\nThird = 3\n")
        << "no write lost the other handle's value";
}

TEST_F(IniLibraryTest, WriteAndCloseCanCreateTheFileAndAFailedCloseKeepsTheHandle)
{
    const auto folder = dir.path() / "sub";
    fs::create_directory(folder);
    int32_t h = Open(folder / "AppSettings.ini");
    EXPECT_EQ(lib.WriteIniFile(h), kOk);
    EXPECT_TRUE(fs::exists(folder / "AppSettings.ini"));
    EXPECT_EQ(ReadText(folder / "AppSettings.ini"), "");

    fs::remove_all(folder);
    EXPECT_EQ(lib.SetIniValueInt(h, "Lost", 1), kIoError);
    EXPECT_EQ(Int(h, "Lost", -1), -1) << "a change that could not be saved is undone";
    EXPECT_EQ(lib.CloseIniFile(h, 1), kIoError);
    int32_t value = 0;
    EXPECT_EQ(lib.GetIniValueInt(h, "Lost", 0, &value), kNothingThere) << "the handle is still open";
    Close(h);
}

// A write that fails part-way must leave the old file whole and no temporary file behind.
TEST_F(IniLibraryTest, AFailedWriteLeavesTheOldFileIntact)
{
    const auto path = File();
    const std::string original = "[1_0_0]\nCurrentSkinIndex = 1\n";
    WriteText(path, original);
    ::chmod(path.c_str(), 0640);
    const int32_t h = Open(path);

    struct rlimit saved {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    // SIGXFSZ keeps its default action (ending the process): the library must hold it back.
    struct rlimit limited = saved;
    limited.rlim_cur = 64; // files may not grow beyond 64 bytes
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
    const int32_t result = lib.SetIniValueStr(h, "Recent/Long", std::string(200, 'z').c_str());
    ::setrlimit(RLIMIT_FSIZE, &saved);

    EXPECT_EQ(result, kIoError);
    EXPECT_EQ(ReadText(path), original);
    EXPECT_EQ(FolderEntries(dir.path()), std::vector<std::string>{"UserSettings.ini"});
    EXPECT_FALSE(lib.DoesNodeExist(h, "Recent"));
    EXPECT_EQ(lib.SetIniValueInt(h, "CurrentSkinIndex", 2), kOk) << "later writes work again";
    EXPECT_EQ(ReadText(path), "[1_0_0]\nCurrentSkinIndex = 2\n");
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u) << "the replacement keeps the file's permissions";
}

TEST_F(IniLibraryTest, AReadOnlyFolderKeepsTheOldFile)
{
    const auto folder = dir.path() / "locked";
    fs::create_directory(folder);
    const auto path = folder / "UserSettings.ini";
    const std::string original = "[1_0_0]\nCurrentSkinIndex = 1\n";
    WriteText(path, original);
    const int32_t h = Open(path);
    ::chmod(folder.c_str(), 0555);
    const bool canStillWrite = ::access(folder.c_str(), W_OK) == 0;
    const int32_t result = lib.SetIniValueInt(h, "CurrentSkinIndex", 4);
    ::chmod(folder.c_str(), 0755);
    if (canStillWrite)
        GTEST_SKIP() << "permissions do not bind this user";

    EXPECT_EQ(result, kIoError);
    EXPECT_EQ(ReadText(path), original);
    EXPECT_EQ(Int(h, "CurrentSkinIndex"), 1);
    EXPECT_EQ(lib.SetIniValueInt(h, "CurrentSkinIndex", 4), kOk);
}

} // namespace
