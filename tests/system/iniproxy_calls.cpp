// The settings manager over the real libIniFileManager.so, loaded with dlopen from the test
// program's folder (where the build puts it), with real files on disk.
#include "TestSupport.h"
#include "kx/IniFileManager.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <filesystem>
#include <string>

using KX::WString;
namespace fs = std::filesystem;

namespace {

fs::path ProgramFolder()
{
    return fs::read_symlink("/proc/self/exe").parent_path();
}

WString Wide(const std::string& utf8)
{
    return WString(utf8.c_str());
}

std::string Narrow(const WString& text)
{
    return text.ToNarrow().GetString();
}

// A folder name that only exists as "\"-separated text.
WString WithBackslashes(const fs::path& folder)
{
    std::string text = folder.string();
    for (char& c : text) {
        if (c == '/')
            c = '\\';
    }
    return Wide(text);
}

class IniProxyTest : public ::testing::Test {
protected:
    kxtest::TempDir dir;
    KX::RCPtr<KX::LIniFileManager> manager = KX::LIniFileManager::Create();

    void SetUp() override { ASSERT_EQ(manager->Load(u""), KX::S_OK) << "libIniFileManager.so beside the tests"; }

    int32_t Open(const char* name, KX::IIniFileManager& ini)
    {
        int32_t handle = -1;
        EXPECT_EQ(ini.OpenIniFile(Wide((dir.path() / name).string()), u"1_0_0", u"Lumo25PresetEditor", handle),
                  KX::S_OK);
        EXPECT_NE(handle, 0);
        return handle;
    }
};

TEST_F(IniProxyTest, ValuesRoundTripThroughTheFileAndASecondLibraryLoad)
{
    const WString unicode = u"Gr\u00FC\u00DFe \u266A \U0001D11E";
    int32_t h = Open("UserSettings.ini", *manager);
    EXPECT_EQ(manager->SetIniValueInt(h, u"CurrentSkinIndex", 3), KX::S_OK);
    EXPECT_EQ(manager->SetIniValueInt(h, u"Window/Left", -42), KX::S_OK);
    EXPECT_EQ(manager->SetIniValueStr(h, u"Window/Title", unicode), KX::S_OK);
    EXPECT_EQ(manager->SetArrayCount(h, u"Recent/Files", 3), KX::S_OK);
    EXPECT_EQ(manager->SetArrayItemAt(h, u"Recent/Files", 0, u"a.Lumo25PresetEditor"), KX::S_OK);
    EXPECT_EQ(manager->SetArrayItemAt(h, u"Recent/Files", 1, u"b"), KX::S_OK);
    EXPECT_EQ(manager->SetArrayItemAt(h, u"Recent/Files", 2, u"c"), KX::S_OK);
    EXPECT_EQ(manager->RemoveArrayItemAt(h, u"Recent/Files", 1), KX::S_OK);
    EXPECT_EQ(manager->CloseIniFile(h, 1), KX::S_OK);

    // Everything comes back from the file through a manager of its own.
    manager = nullptr;
    auto again = KX::LIniFileManager::Create();
    ASSERT_EQ(again->Load(u""), KX::S_OK);
    h = Open("UserSettings.ini", *again);

    int32_t value = 0;
    EXPECT_EQ(again->GetIniValueInt(h, u"CurrentSkinIndex", 0, value), KX::S_OK);
    EXPECT_EQ(value, 3);
    EXPECT_EQ(again->GetIniValueInt(h, u"Window/Left", 0, value), KX::S_OK);
    EXPECT_EQ(value, -42);
    WString text;
    EXPECT_EQ(again->GetIniValueStr(h, u"Window/Title", u"none", text), KX::S_OK);
    EXPECT_EQ(text, unicode);
    EXPECT_TRUE(again->DoesNodeExist(h, u"Window"));
    EXPECT_FALSE(again->DoesNodeExist(h, u"Nowhere"));

    int32_t count = -1;
    EXPECT_EQ(again->GetKeyCount(h, u"Window", count), KX::S_OK);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(again->GetKeyNameAt(h, u"Window", 1, text), KX::S_OK);
    EXPECT_EQ(Narrow(text), "Title");

    EXPECT_EQ(again->GetArrayCount(h, u"Recent/Files", count), KX::S_OK);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(again->GetArrayItemAt(h, u"Recent/Files", 0, text), KX::S_OK);
    EXPECT_EQ(Narrow(text), "a.Lumo25PresetEditor");
    EXPECT_EQ(again->GetArrayItemAt(h, u"Recent/Files", 1, text), KX::S_OK);
    EXPECT_EQ(Narrow(text), "c");
    EXPECT_EQ(again->CloseIniFile(h, 0), KX::S_OK);
}

TEST_F(IniProxyTest, MissingValuesGiveTheDefaultAndFailedReadsAnEmptyText)
{
    const int32_t h = Open("AppSettings.ini", *manager);
    int32_t value = 0;
    EXPECT_EQ(manager->GetIniValueInt(h, u"CurrentSkinIndex", 7, value), 1);
    EXPECT_EQ(value, 7);
    WString text = u"old";
    EXPECT_EQ(manager->GetIniValueStr(h, u"Missing", u"fallback \u00E9", text), 1);
    EXPECT_EQ(text, WString(u"fallback \u00E9"));

    // A read past the end reports the library's error and empties the text.
    text = u"old";
    EXPECT_LT(manager->GetArrayItemAt(h, u"Recent/Files", 5, text), 0);
    EXPECT_TRUE(text.IsEmpty());
    text = u"old";
    EXPECT_LT(manager->GetKeyNameAt(h, u"", 9, text), 0);
    EXPECT_TRUE(text.IsEmpty());

    // A handle the library never gave out is refused, and the default stays.
    value = 0;
    EXPECT_LT(manager->GetIniValueInt(h + 1000, u"CurrentSkinIndex", 5, value), 0);
    EXPECT_EQ(value, 5);
    EXPECT_EQ(manager->CloseIniFile(h, 0), KX::S_OK);
}

TEST_F(IniProxyTest, TextsLongerThanTheFirstBufferComeBackWholeThroughTheSecondQuery)
{
    std::string long1500;
    for (int i = 0; i < 1500; ++i)
        long1500 += static_cast<char>('a' + i % 26);
    // Two-byte characters whose encoding straddles the first buffer's end.
    std::string longUtf8;
    for (int i = 0; i < 700; ++i)
        longUtf8 += "\xC3\xA9"; // e acute

    const int32_t h = Open("UserSettings.ini", *manager);
    ASSERT_EQ(manager->SetIniValueStr(h, u"Long/Value", Wide(long1500)), KX::S_OK);
    ASSERT_EQ(manager->SetIniValueStr(h, u"Long/Accents", Wide(longUtf8)), KX::S_OK);
    ASSERT_EQ(manager->SetArrayCount(h, u"Long/Items", 1), KX::S_OK);
    ASSERT_EQ(manager->SetArrayItemAt(h, u"Long/Items", 0, Wide(long1500)), KX::S_OK);

    WString text;
    EXPECT_EQ(manager->GetIniValueStr(h, u"Long/Value", u"", text), KX::S_OK);
    EXPECT_EQ(text.GetLength(), 1500u);
    EXPECT_EQ(Narrow(text), long1500);
    EXPECT_EQ(manager->GetIniValueStr(h, u"Long/Accents", u"", text), KX::S_OK);
    EXPECT_EQ(text.GetLength(), 700u);
    EXPECT_EQ(Narrow(text), longUtf8);
    EXPECT_EQ(manager->GetArrayItemAt(h, u"Long/Items", 0, text), KX::S_OK);
    EXPECT_EQ(Narrow(text), long1500);

    // A long default for a missing key also needs the second query and comes back whole.
    EXPECT_EQ(manager->GetIniValueStr(h, u"Long/Missing", Wide(long1500), text), 1);
    EXPECT_EQ(Narrow(text), long1500);
    EXPECT_EQ(manager->CloseIniFile(h, 0), KX::S_OK);
}

TEST_F(IniProxyTest, LoadUnloadAndTheLibraryPathForEachFolderForm)
{
    // Already loaded (by SetUp) -> 1, nothing loaded again.
    EXPECT_EQ(manager->Load(u"/no/such/folder"), KX::S_FALSE);
    EXPECT_EQ(manager->Unload(), KX::S_OK);
    EXPECT_EQ(manager->Unload(), KX::S_FALSE);
    int32_t value = 9;
    EXPECT_EQ(manager->GetIniValueInt(1, u"CurrentSkinIndex", 0, value), KX::E_FAIL);
    EXPECT_EQ(value, 0);

    const fs::path bin = ProgramFolder();
    const std::string expected = (bin / KX::CIniFileManagerProxy::kLibraryName).string();
    EXPECT_EQ(KX::CIniFileManagerProxy::LibraryPathFor(u"").GetString(), expected);
    EXPECT_EQ(KX::CIniFileManagerProxy::LibraryPathFor(Wide(bin.string())).GetString(), expected);
    EXPECT_EQ(KX::CIniFileManagerProxy::LibraryPathFor(Wide(bin.string() + "/")).GetString(), expected);
    EXPECT_EQ(KX::CIniFileManagerProxy::LibraryPathFor(WithBackslashes(bin)).GetString(), expected);
    EXPECT_EQ(KX::CIniFileManagerProxy::LibraryPathFor(Wide(bin.string() + "\\")).GetString(), expected);

    // Explicit folders in each form load the same library again.
    for (const WString& folder : {Wide(bin.string()), Wide(bin.string() + "/"), WithBackslashes(bin)}) {
        EXPECT_EQ(manager->Load(folder), KX::S_OK) << Narrow(folder);
        const int32_t h = Open("UserSettings.ini", *manager);
        EXPECT_EQ(manager->SetIniValueInt(h, u"CurrentSkinIndex", 1), KX::S_OK);
        EXPECT_EQ(manager->CloseIniFile(h, 0), KX::S_OK);
        EXPECT_EQ(manager->Unload(), KX::S_OK);
    }
}

// Every call of a manager without a library fails without touching anything, and the getters
// leave their fallbacks in the outputs.
void ExpectEveryCallFails(KX::IIniFileManager& ini)
{
    int32_t handle = 77;
    EXPECT_EQ(ini.OpenIniFile(u"/tmp/x.ini", u"1_0_0", u"p", handle), KX::E_FAIL);
    EXPECT_EQ(handle, 0);
    EXPECT_EQ(ini.WriteIniFile(1), KX::E_FAIL);
    EXPECT_FALSE(ini.DoesNodeExist(1, u"CurrentSkinIndex"));
    EXPECT_EQ(ini.CloseIniFile(1, 1), KX::E_FAIL);
    int32_t value = 5;
    EXPECT_EQ(ini.GetIniValueInt(1, u"CurrentSkinIndex", 0, value), KX::E_FAIL);
    EXPECT_EQ(value, 0);
    EXPECT_EQ(ini.SetIniValueInt(1, u"CurrentSkinIndex", 2), KX::E_FAIL);
    WString text = u"old";
    EXPECT_EQ(ini.GetIniValueStr(1, u"Name", u"default", text), KX::E_FAIL);
    EXPECT_EQ(text, WString(u"default"));
    EXPECT_EQ(ini.SetIniValueStr(1, u"Name", u"x"), KX::E_FAIL);
    int32_t count = 5;
    EXPECT_EQ(ini.GetKeyCount(1, u"", count), KX::E_FAIL);
    EXPECT_EQ(count, 0);
    text = u"old";
    EXPECT_EQ(ini.GetKeyNameAt(1, u"", 0, text), KX::E_FAIL);
    EXPECT_TRUE(text.IsEmpty());
    count = 5;
    EXPECT_EQ(ini.GetArrayCount(1, u"A", count), KX::E_FAIL);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(ini.SetArrayCount(1, u"A", 1), KX::E_FAIL);
    text = u"old";
    EXPECT_EQ(ini.GetArrayItemAt(1, u"A", 0, text), KX::E_FAIL);
    EXPECT_TRUE(text.IsEmpty());
    EXPECT_EQ(ini.SetArrayItemAt(1, u"A", 0, u"x"), KX::E_FAIL);
    EXPECT_EQ(ini.RemoveArrayItemAt(1, u"A", 0), KX::E_FAIL);
}

TEST(IniProxyMissingLibrary, AFolderWithoutTheLibraryLeavesEveryCallFailing)
{
    kxtest::TempDir empty;
    KX::CIniFileManagerProxy proxy;
    ExpectEveryCallFails(proxy);
    EXPECT_EQ(proxy.Load(Wide(empty.str())), KX::E_FAIL);
    ExpectEveryCallFails(proxy);
    EXPECT_EQ(proxy.Unload(), KX::S_FALSE);
    // Nothing was loaded, so a later load from the right folder still works.
    EXPECT_EQ(proxy.Load(Wide(ProgramFolder().string())), KX::S_OK);
}

TEST(IniProxyMissingLibrary, ALibraryWithoutTheEntryPointsFailsToLoadAndIsNeverCalled)
{
    // Any shared library that lacks the settings entry points: the C library itself.
    Dl_info info{};
    ASSERT_NE(::dladdr(reinterpret_cast<void*>(&::dlerror), &info), 0);
    ASSERT_NE(info.dli_fname, nullptr);
    kxtest::TempDir folder;
    fs::create_symlink(info.dli_fname, folder.path() / KX::CIniFileManagerProxy::kLibraryName);

    KX::CIniFileManagerProxy proxy;
    EXPECT_EQ(proxy.Load(Wide(folder.str())), KX::E_FAIL);
    // It stays loaded: a second load is not attempted, and no call reaches a missing entry point.
    EXPECT_EQ(proxy.Load(Wide(ProgramFolder().string())), KX::S_FALSE);
    ExpectEveryCallFails(proxy);
    EXPECT_EQ(proxy.Unload(), KX::S_OK);
    EXPECT_EQ(proxy.Load(Wide(ProgramFolder().string())), KX::S_OK);
}

} // namespace
