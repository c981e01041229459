// The user's folders under odd environments (unset, empty, relative, trailing slashes) and the
// documents entry of a user-dirs file in the forms such files take and the forms they must not.
#include "platform/posix/XdgFolders.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

namespace fs = std::filesystem;
using namespace platform::posix;

namespace {

TEST(XdgFolders, BaseFoldersFollowTheVariablesElseTheHomeDefaults)
{
    XdgEnvironment env;
    env.home = "/home/ann/";
    EXPECT_EQ(HomeFolder(env), "/home/ann");
    EXPECT_EQ(DataHome(env), "/home/ann/.local/share");
    EXPECT_EQ(ConfigHome(env), "/home/ann/.config");
    EXPECT_EQ(CacheHome(env), "/home/ann/.cache");

    env.dataHome = "/data//";
    env.configHome = "relative/config"; // ignored: only absolute values count
    env.cacheHome = "";
    EXPECT_EQ(DataHome(env), "/data");
    EXPECT_EQ(ConfigHome(env), "/home/ann/.config");
    EXPECT_EQ(CacheHome(env), "/home/ann/.cache");

    // The root as home: no double slash, and never a folder at the root by accident.
    // Made anew, not assigned over the longer value: GCC 12 at -O3 warns of an impossible copy size there.
    env.home.emplace("/");
    EXPECT_EQ(ConfigHome(env), "/.config");
    // No usable home and no variable: nothing, never a relative ".config".
    for (const char* home : {"", "~", "home/ann"}) {
        XdgEnvironment bare;
        bare.home = home;
        EXPECT_EQ(HomeFolder(bare), "") << home;
        EXPECT_EQ(ConfigHome(bare), "") << home;
        EXPECT_EQ(DocumentsFolder(bare), "") << home;
    }
}

TEST(XdgFolders, RuntimeFolderMustExist)
{
    kxtest::TempDir dir;
    XdgEnvironment env;
    env.runtimeDir = dir.str();
    EXPECT_EQ(RuntimeDir(env), dir.str());
    env.runtimeDir = dir.str() + "/gone";
    EXPECT_EQ(RuntimeDir(env), "");
    kxtest::WriteText(dir.path() / "file", "");
    env.runtimeDir = (dir.path() / "file").string();
    EXPECT_EQ(RuntimeDir(env), "");
}

TEST(UserDirs, DocumentsEntryInTheFormsTheFileUses)
{
    const std::string_view key = "XDG_DOCUMENTS_DIR";
    struct Case {
        const char* text;
        std::optional<std::string> expected;
    };
    const Case cases[] = {
        {"XDG_DOCUMENTS_DIR=\"$HOME/Documents\"\n", "/home/ann/Documents"},
        {"  XDG_DOCUMENTS_DIR = \"$HOME/My Docs/\"  # mine\r\n", "/home/ann/My Docs"},
        {"XDG_DOCUMENTS_DIR=\"/srv/docs\"", "/srv/docs"},
        {"XDG_DOCUMENTS_DIR=\"$HOME\"", "/home/ann"},
        {"XDG_DOCUMENTS_DIR=\"$HOME/\"", "/home/ann"},
        {"XDG_DOCUMENTS_DIR=$HOME/Bare", "/home/ann/Bare"},
        {"XDG_DOCUMENTS_DIR=\"$HOME/Say \\\"hi\\\"\"", "/home/ann/Say \"hi\""},
        {"XDG_DOCUMENTS_DIR=\"$HOME/Fran\xC3\xA7"
         "ais\"",
         "/home/ann/Fran\xC3\xA7"
         "ais"},
        // The last valid line wins; an invalid later line does not undo it.
        {"XDG_DOCUMENTS_DIR=\"/a\"\nXDG_DOCUMENTS_DIR=\"/b\"\nXDG_DOCUMENTS_DIR=\"rel\"\n", "/b"},
        // Not the entry, or not a form a path may take.
        {"# XDG_DOCUMENTS_DIR=\"/commented\"\n", std::nullopt},
        {"XDG_DOCUMENTS_DIRS=\"/other\"\nXDG_DOWNLOAD_DIR=\"/dl\"\n", std::nullopt},
        {"XDG_DOCUMENTS_DIR=\"Documents\"", std::nullopt},
        {"XDG_DOCUMENTS_DIR=\"$HOMEWORK/x\"", std::nullopt},
        {"XDG_DOCUMENTS_DIR=\"$USER/x\"", std::nullopt},
        {"XDG_DOCUMENTS_DIR=\"/unterminated", std::nullopt},
        {"XDG_DOCUMENTS_DIR=\"/a\" trailing", std::nullopt},
        {"XDG_DOCUMENTS_DIR", std::nullopt},
        {"XDG_DOCUMENTS_DIR=", std::nullopt},
        {"", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParseUserDirsEntry(c.text, key, "/home/ann"), c.expected) << c.text;

    // A zero byte inside the value, and "$HOME" with no home known.
    EXPECT_EQ(ParseUserDirsEntry(std::string("XDG_DOCUMENTS_DIR=\"/a\0b\"", 25), key, "/h"), std::nullopt);
    EXPECT_EQ(ParseUserDirsEntry("XDG_DOCUMENTS_DIR=\"$HOME/D\"", key, ""), std::nullopt);
}

TEST(UserDirs, DocumentsFolderReadsTheConfigFileElseTheHome)
{
    kxtest::TempDir dir;
    XdgEnvironment env;
    env.home = dir.str();
    env.configHome = (dir.path() / "cfg").string();
    EXPECT_EQ(DocumentsFolder(env), dir.str()); // no file

    fs::create_directories(dir.path() / "cfg");
    kxtest::WriteText(dir.path() / "cfg/user-dirs.dirs", "XDG_DESKTOP_DIR=\"$HOME/Desktop\"\n");
    EXPECT_EQ(DocumentsFolder(env), dir.str()); // no entry

    kxtest::WriteText(dir.path() / "cfg/user-dirs.dirs",
                      "XDG_DESKTOP_DIR=\"$HOME/Desktop\"\nXDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n");
    EXPECT_EQ(DocumentsFolder(env), dir.str() + "/Dokumente");

    // A folder where the file should be is not read.
    fs::remove(dir.path() / "cfg/user-dirs.dirs");
    fs::create_directories(dir.path() / "cfg/user-dirs.dirs");
    EXPECT_EQ(DocumentsFolder(env), dir.str());
}

TEST(XdgFolders, MakeFolderChainCreatesParentsAndStopsAtAFile)
{
    kxtest::TempDir dir;
    const fs::path deep = dir.path() / "Tarvel" / "Lumo 25 Preset Editor";
    EXPECT_EQ(MakeFolderChain(deep.string()), 0);
    EXPECT_TRUE(fs::is_directory(deep));
    EXPECT_EQ(MakeFolderChain(deep.string()), 0); // already there

    kxtest::WriteText(dir.path() / "plain", "x");
    EXPECT_EQ(MakeFolderChain((dir.path() / "plain").string()), ENOTDIR);
    EXPECT_EQ(MakeFolderChain((dir.path() / "plain" / "sub").string()), ENOTDIR);
    EXPECT_EQ(MakeFolderChain(""), ENOENT);
}

} // namespace
